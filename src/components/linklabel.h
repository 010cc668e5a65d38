#pragma once
// A label that reads like a link: underlined, black, blue under the mouse, hand cursor; a left
// click reports itself.
#include <QLabel>

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

    bool isHovered() const { return m_hovered; }

Q_SIGNALS:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setHovered(bool hovered);

    bool m_hovered = false;
};
