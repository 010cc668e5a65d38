#pragma once
// Small pieces the contract editor is built from: its texts, its boxes and buttons.
#include <QFocusEvent>
#include <QLineEdit>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;
class ScheduleTab;

namespace EditorParts {

inline const QString Receipt = QStringLiteral("收款");
inline const QString Payment = QStringLiteral("付款");
inline const QString Direction = QStringLiteral("收付类型");
inline const QString FileField = QStringLiteral("文件位置");

extern const QStringList ContractTypes;

// The contract number box keeps its text unselected when it takes the focus.
class NumberEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        deselect();
    }
};

// Totals are computed by walking the schedule, which saves a pending row; a refusal is shown.
void runGuardedTotals(ScheduleTab* tab);

template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QPushButton* button(const QString& caption, const QString& name, QWidget* parent);
QLabel* redLabel(const QString& text, QWidget* parent);
// The red mark after a required field, with an optional button before it.
QWidget* markedCell(QWidget* parent, QPushButton* button, QLabel* mark);
QComboBox* listBox(const QString& name, const QStringList& items, int visibleRows, QWidget* parent);

} // namespace EditorParts
