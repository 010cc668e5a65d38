#pragma once
// Paints the boolean columns of a dataset grid as check boxes, ticked when the value is set;
// the other columns as text.
#include <QStyledItemDelegate>

class DatasetModel;

class CheckColumnDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CheckColumnDelegate(const DatasetModel* model, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // True when the cell belongs to a boolean column.
    bool isCheckColumn(const QModelIndex& index) const;
    // Whether the cell's box is ticked; a value never set is not.
    static bool isTicked(const QModelIndex& index);

private:
    const DatasetModel* m_model;
};
