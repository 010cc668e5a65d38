#pragma once
// A table model over a dataset's fields for grids; the grid's current row and the dataset's
// cursor follow each other through the model's selection model.
#include "dataset.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>

class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title; // empty: the field's own title, read afresh on every reset
        int width = 0; // in characters; 0: the field's size
    };

    explicit DatasetModel(Dataset* dataset, QObject* parent = nullptr);

    // Shows these columns instead of the dataset's visible fields.
    void setColumns(const QList<Column>& columns);
    // Lets the grid edit cells (schedules only).
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }

    Dataset* dataset() const { return m_dataset; }
    Field* fieldAt(int column) const;
    int widthAt(int column) const;
    QItemSelectionModel* selectionModel() { return &m_selection; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    void rebuildColumns();
    int datasetRows() const;
    void fieldsChanged();
    void rowInserted(int position);
    void rowRemoved(int position);
    void datasetReset();
    void datasetMoved();
    void rowChanged(int position);
    void selectionMoved(const QModelIndex& current);

    Dataset* m_dataset;
    QList<Column> m_requested;
    std::vector<Field*> m_fields;
    std::vector<int> m_widths;
    std::vector<QString> m_titles;
    bool m_editable = false;
    bool m_syncing = false;
    int m_rows = 0;
    QItemSelectionModel m_selection;
};
