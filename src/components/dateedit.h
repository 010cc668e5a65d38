#pragma once
// A date box that may stay empty: typed text ("2024-5-1", "24/5/1", "2024年5月1日", "20240501") or
// a date picked from a calendar that drops down from the arrow at its right.
#include <QDate>
#include <QLineEdit>

class QAction;
class QCalendarWidget;

class DateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DateEdit(QWidget* parent = nullptr);

    // Reads "y-m-d" with "-", "/" or "." between the parts, "y年m月d日", or eight digits; a
    // two-digit year falls in 1950..2049. Invalid for anything else, and for empty text.
    static QDate parse(const QString& text);
    static QString format(const QDate& date);

    // The date shown; invalid when the box is empty or holds no date.
    QDate date() const { return parse(text()); }
    // An invalid date empties the box.
    void setDate(const QDate& date);
    bool isBlank() const { return text().trimmed().isEmpty(); }

    // Drops the calendar down under the box (does nothing while read-only).
    void showCalendar();

Q_SIGNALS:
    // The user typed a complete date, emptied the box or picked a day from the calendar.
    void dateEdited();

private:
    void textWasEdited(const QString& text);
    void dayPicked(QDate day);

    QAction* m_dropDown;
    QCalendarWidget* m_calendar = nullptr;
};
