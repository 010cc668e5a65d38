#include "footer.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

GridFooter::GridFooter(QTableView* grid, QWidget* parent) : QWidget(parent), m_grid(grid) {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    const auto redraw = [this] { update(); };
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, redraw);
    connect(grid->horizontalHeader(), &QHeaderView::geometriesChanged, this, redraw);
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, redraw);
}

void GridFooter::setText(int column, const QString& text) {
    m_texts.insert(column, text);
    update();
}

void GridFooter::clear() {
    m_texts.clear();
    update();
}

QSize GridFooter::sizeHint() const {
    return {m_grid->sizeHint().width(), fontMetrics().height() + 8};
}

// Where the grid's cells start in this widget: after the grid's frame and row indicator.
int GridFooter::viewportLeft() const {
    return mapFromGlobal(m_grid->viewport()->mapToGlobal(QPoint(0, 0))).x();
}

QRect GridFooter::cellRect(int column) const {
    const QHeaderView* header = m_grid->horizontalHeader();
    return {viewportLeft() + header->sectionViewportPosition(column), 0,
            header->sectionSize(column), height()};
}

void GridFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect clip(viewportLeft(), 0, m_grid->viewport()->width(), height());
    painter.setClipRect(clip);
    painter.setPen(palette().color(QPalette::Mid));
    for (int c = 0; c < m_grid->horizontalHeader()->count(); ++c) {
        const QRect cell = cellRect(c);
        painter.drawLine(cell.topRight(), cell.bottomRight());
    }
    painter.setPen(palette().color(QPalette::ButtonText));
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it)
        painter.drawText(cellRect(it.key()).adjusted(4, 0, -4, 0),
                         Qt::AlignRight | Qt::AlignVCenter, it.value());
}
