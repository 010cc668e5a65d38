#pragma once
// Cell editing in the schedule grids: dates through a date box, amounts restricted to numbers,
// texts to the field's size; a value the field refuses is reported, not thrown through Qt.
#include <QStyledItemDelegate>

class ScheduleDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};
