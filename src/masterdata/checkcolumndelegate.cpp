#include "checkcolumndelegate.h"

#include "data/datasetmodel.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

CheckColumnDelegate::CheckColumnDelegate(const DatasetModel* model, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model) {}

bool CheckColumnDelegate::isCheckColumn(const QModelIndex& index) const {
    const Field* field = m_model->fieldAt(index.column());
    return field && field->type() == FieldType::Boolean;
}

bool CheckColumnDelegate::isTicked(const QModelIndex& index) {
    return index.data(Qt::EditRole).toString() == QLatin1String("True");
}

void CheckColumnDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (!isCheckColumn(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // the cell's background and selection, without its text
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    QStyleOptionButton box;
    box.state = option.state & QStyle::State_Enabled;
    box.state |= isTicked(index) ? QStyle::State_On : QStyle::State_Off;
    const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &box, widget);
    box.rect = QRect(option.rect.x() + 4,
                     option.rect.y() + (option.rect.height() - indicator.height()) / 2,
                     indicator.width(), indicator.height());
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}
