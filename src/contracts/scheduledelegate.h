#pragma once
// Cell editing in the schedule grids: dates through a date box, texts limited to the field's
// size. Amounts and dates take any text; a value the field refuses is reported, not thrown
// through Qt, and the cell opens again with the text as typed for correction.
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

class ScheduleDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    void editAgain(QWidget* editor, const QModelIndex& index, const QString& text) const;

    // The refused text, shown by the next editor of its cell.
    mutable QPersistentModelIndex m_refusedCell;
    mutable QString m_refusedText;
};
