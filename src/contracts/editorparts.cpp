#include "editorparts.h"

#include "platform/gui/application.h"
#include "scheduletab.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace EditorParts {

const QStringList ContractTypes = {
    QStringLiteral("购销合同"),     QStringLiteral("加工承揽"), QStringLiteral("建设工程勘察设计"),
    QStringLiteral("财产租赁"),     QStringLiteral("货物运输"), QStringLiteral("仓储保管"),
    QStringLiteral("借款合同"),     QStringLiteral("财产保险"), QStringLiteral("技术合同"),
    QStringLiteral("产权转移书据"), QStringLiteral("营业帐薄")};

void runGuardedTotals(ScheduleTab* tab) {
    runGuarded([tab] { tab->computeTotals(); });
}

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false); // Enter in a box must not press a button
    return b;
}

QLabel* redLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(p);
    return label;
}

// The red mark after a required field, with an optional button before it.
QWidget* markedCell(QWidget* parent, QPushButton* button, QLabel* mark) {
    auto* cell = new QWidget(parent);
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(7);
    if (button)
        layout->addWidget(button);
    if (mark)
        layout->addWidget(mark);
    layout->addStretch(1);
    return cell;
}

QComboBox* listBox(const QString& name, const QStringList& items, int visibleRows,
                   QWidget* parent) {
    auto* box = named(new QComboBox(parent), name);
    box->addItems(items);
    box->setMaxVisibleItems(visibleRows);
    // a list that drops down under the box with that many rows, not one over the whole screen
    box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    return box;
}

} // namespace EditorParts
