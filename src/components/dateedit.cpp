#include "dateedit.h"

#include "platform/clock.h"

#include <QAction>
#include <QCalendarWidget>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The same arrow as on the drop-down boxes.
QIcon dropDownIcon(const QWidget* edit) {
    QPixmap arrow(12, 12);
    arrow.fill(Qt::transparent);
    QPainter painter(&arrow);
    QStyleOption option;
    option.initFrom(edit);
    option.rect = arrow.rect();
    edit->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &option, &painter, edit);
    return QIcon(arrow);
}

int fullYear(const QString& digits) {
    const int y = digits.toInt();
    if (digits.size() > 2)
        return y;
    return y < 50 ? 2000 + y : 1900 + y;
}

} // namespace

DateEdit::DateEdit(QWidget* parent) : QLineEdit(parent) {
    // No validator: a pasted date in any form stays whole, and what is no date is refused
    // with a message by whoever reads the box.
    m_dropDown = addAction(dropDownIcon(this), QLineEdit::TrailingPosition);
    m_dropDown->setObjectName(QStringLiteral("calendarButton"));
    m_dropDown->setToolTip(QStringLiteral("选择日期"));
    // the arrow is the box's only button: its name for a screen reader (a text on the action
    // would also be its caption)
    for (QToolButton* button : findChildren<QToolButton*>())
        button->setAccessibleName(m_dropDown->toolTip());
    connect(m_dropDown, &QAction::triggered, this, &DateEdit::showCalendar);
    connect(this, &QLineEdit::textEdited, this, &DateEdit::textWasEdited);
}

QDate DateEdit::parse(const QString& text) {
    static const QRegularExpression parts(
        QStringLiteral("^\\s*(\\d{2}|\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})\\s*$"));
    static const QRegularExpression chinese(
        QStringLiteral("^\\s*(\\d{2}|\\d{4})\\s*年\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日?\\s*$"));
    static const QRegularExpression compact(QStringLiteral("^\\s*(\\d{4})(\\d{2})(\\d{2})\\s*$"));
    QRegularExpressionMatch m;
    for (const QRegularExpression* form : {&parts, &chinese, &compact})
        if ((m = form->match(text)).hasMatch())
            break;
    if (!m.hasMatch())
        return {};
    return QDate(fullYear(m.captured(1)), m.captured(2).toInt(), m.captured(3).toInt());
}

QString DateEdit::format(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

void DateEdit::setDate(const QDate& date) {
    const QString shown = format(date);
    if (text() != shown)
        setText(shown);
}

void DateEdit::textWasEdited(const QString& text) {
    if (text.trimmed().isEmpty() || parse(text).isValid())
        Q_EMIT dateEdited();
}

void DateEdit::showCalendar() {
    if (isReadOnly() || !isEnabled())
        return;
    if (!m_calendar) {
        auto* popup = new QWidget(this, Qt::Popup);
        popup->setObjectName(QStringLiteral("calendarPopup"));
        auto* layout = new QVBoxLayout(popup);
        layout->setContentsMargins(0, 0, 0, 0);
        m_calendar = new QCalendarWidget(popup);
        m_calendar->setObjectName(QStringLiteral("calendar"));
        layout->addWidget(m_calendar);
        connect(m_calendar, &QCalendarWidget::clicked, this, &DateEdit::dayPicked);
        connect(m_calendar, &QCalendarWidget::activated, this, &DateEdit::dayPicked);
    }
    const QDate shown = date();
    m_calendar->setSelectedDate(shown.isValid() ? shown : Clock::today());
    QWidget* popup = m_calendar->parentWidget();
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
    m_calendar->setFocus();
}

void DateEdit::dayPicked(QDate day) {
    m_calendar->parentWidget()->hide();
    setDate(day);
    Q_EMIT dateEdited();
}
