#pragma once
// A data grid over a dataset: whole-row selection that follows the dataset's cursor, column
// widths in characters, alternate rows painted, and the last-row guard (Down on the last row
// never starts a new row).
#include "data/datasetmodel.h"

#include <QTableView>

class QLabel;

class DBGrid : public QTableView {
    Q_OBJECT
public:
    static const QColor AlternateRowColor; // RGB(240, 251, 255)

    explicit DBGrid(Dataset* dataset, QWidget* parent = nullptr);

    DatasetModel* datasetModel() const { return m_model; }
    Dataset* dataset() const { return m_model->dataset(); }
    // Columns with their titles and widths in characters; empty: the dataset's visible fields.
    void setColumns(const QList<DatasetModel::Column>& columns);
    // Cell editing, for the schedule grids only.
    void setEditable(bool editable);
    // Re-applies the widths in characters (after the font or the columns change).
    void applyWidths();

    // The look of every list, also of those not over a dataset: whole rows selected one at a
    // time, no editing, alternate rows painted.
    static void applyLook(QTableView* grid);
    // A column width in characters (0: 10), in pixels of the grid's font.
    static int pixelWidth(const QWidget* grid, int chars);

Q_SIGNALS:
    void cellClicked(const QModelIndex& index);
    void rowDoubleClicked(const QModelIndex& index);
    // Every key press, before the grid acts on it; set *handled to stop it.
    void keyPressed(QKeyEvent* event, bool* handled);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool onLastRow() const;

    DatasetModel* m_model;
};
