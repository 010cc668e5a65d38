#include "linklabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);
    setHovered(false);
}

void LinkLabel::setHovered(bool hovered) {
    m_hovered = hovered;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, hovered ? QColor(Qt::blue) : QColor(Qt::black));
    setPalette(p);
}

void LinkLabel::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event) {
    setHovered(false);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}
