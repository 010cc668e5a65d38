#include "accessiblenames.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>

namespace {

class AccessibleComboBox : public QAccessibleWidget {
public:
    explicit AccessibleComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return static_cast<QComboBox*>(widget())->currentText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* comboBoxFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("QComboBox") && object && object->isWidgetType())
        return new AccessibleComboBox(static_cast<QComboBox*>(object));
    return nullptr;
}

// The parts of a combo box, spin box or list (its headers) are read through their owner.
bool isPartOfAnother(const QWidget* w) {
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QAbstractItemView*>(p))
            return true;
    }
    return false;
}

bool wantsLabel(const QWidget* w) {
    const bool control =
        qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
        qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
        qobject_cast<const QTextEdit*>(w) || qobject_cast<const QAbstractItemView*>(w);
    return control && w->accessibleName().isEmpty() && !isPartOfAnother(w);
}

QString plain(QString caption) {
    static const QRegularExpression closing(QStringLiteral("[:：\\s]+$"));
    caption.remove(QLatin1Char('&'));
    return caption.remove(closing).trimmed();
}

QString textOf(QLayoutItem* item) {
    const auto* label = item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
    return label ? plain(label->text()) : QString();
}

QLayout* layoutHolding(QLayout* layout, QWidget* w) {
    if (!layout)
        return nullptr;
    if (layout->indexOf(w) >= 0)
        return layout;
    for (int i = 0; i < layout->count(); ++i) {
        if (QLayout* found = layoutHolding(layout->itemAt(i)->layout(), w))
            return found;
    }
    return nullptr;
}

QString neighbourLabel(QWidget* w) {
    QLayout* layout = w->parentWidget() ? layoutHolding(w->parentWidget()->layout(), w) : nullptr;
    if (!layout)
        return {};
    const int at = layout->indexOf(w);
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        int row = 0;
        QFormLayout::ItemRole role{};
        form->getItemPosition(at, &row, &role);
        return role == QFormLayout::FieldRole ? textOf(form->itemAt(row, QFormLayout::LabelRole))
                                              : QString();
    }
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(at, &row, &column, &rows, &columns);
        return column > 0 ? textOf(grid->itemAtPosition(row, column - 1)) : QString();
    }
    return at > 0 ? textOf(layout->itemAt(at - 1)) : QString();
}

QString buddyLabel(QWidget* w, QWidget* window) {
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() == w)
            return plain(label->text());
    }
    return {};
}

bool isList(const QWidget* w) {
    return qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
}

// The group box title or tab caption of a list that is the only control of its group or tab.
QString enclosingCaption(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p && !p->isWindow(); p = p->parentWidget()) {
        QString caption;
        if (auto* group = qobject_cast<QGroupBox*>(p))
            caption = plain(group->title());
        else if (auto* pages = qobject_cast<QStackedWidget*>(p->parentWidget());
                 pages && qobject_cast<QTabWidget*>(pages->parentWidget()))
            caption =
                plain(static_cast<QTabWidget*>(pages->parentWidget())->tabText(pages->indexOf(p)));
        if (caption.isEmpty())
            continue;
        int lists = 0;
        for (const QWidget* c : p->findChildren<QWidget*>())
            lists += isList(c) && !isPartOfAnother(c) ? 1 : 0;
        return lists == 1 ? caption : QString();
    }
    return {};
}

// Toolbars and the buttons Qt adds when a toolbar or menu bar runs out of room have no label.
bool nameQtsOwn(QWidget* w) {
    if (!w->accessibleName().isEmpty())
        return false;
    if (qobject_cast<QToolBar*>(w))
        w->setAccessibleName(QStringLiteral("工具栏"));
    else if (w->objectName() == QLatin1String("qt_toolbar_ext_button") ||
             w->objectName() == QLatin1String("qt_menubar_ext_button"))
        w->setAccessibleName(QStringLiteral("更多"));
    else
        return false;
    return true;
}

} // namespace

namespace AccessibleNames {

void install() {
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(comboBoxFactory);
    installed = true;
}

void fromLabels(QWidget* window) {
    install();
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (nameQtsOwn(w) || !wantsLabel(w))
            continue;
        QString name = buddyLabel(w, window);
        if (name.isEmpty())
            name = neighbourLabel(w);
        if (name.isEmpty() && isList(w))
            name = enclosingCaption(w);
        if (!name.isEmpty())
            w->setAccessibleName(name);
    }
}

} // namespace AccessibleNames
