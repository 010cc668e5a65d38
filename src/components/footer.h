#pragma once
// A footer row under a grid: one text per column, kept under its column as the columns are
// resized or scrolled.
#include <QMap>
#include <QWidget>

class QTableView;

class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(QTableView* grid, QWidget* parent = nullptr);

    void setText(int column, const QString& text);
    QString text(int column) const { return m_texts.value(column); }
    void clear();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int viewportLeft() const;
    QRect cellRect(int column) const;

    QTableView* m_grid;
    QMap<int, QString> m_texts;
};
