#include "dbgrid.h"

#include <QHeaderView>
#include <QKeyEvent>

const QColor DBGrid::AlternateRowColor(240, 251, 255);

DBGrid::DBGrid(Dataset* dataset, QWidget* parent)
    : QTableView(parent), m_model(new DatasetModel(dataset, this)) {
    setModel(m_model);
    setSelectionModel(m_model->selectionModel());
    applyLook(this);
    connect(this, &QAbstractItemView::clicked, this, &DBGrid::cellClicked);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::applyWidths);
    applyWidths();
}

void DBGrid::applyLook(QTableView* grid) {
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    QPalette p = grid->palette();
    p.setColor(QPalette::AlternateBase, AlternateRowColor);
    grid->setPalette(p);
    grid->setWordWrap(true);
    grid->setShowGrid(true);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

int DBGrid::pixelWidth(const QWidget* grid, int chars) {
    const int charWidth = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    return (chars > 0 ? chars : 10) * charWidth + 8;
}

void DBGrid::setColumns(const QList<DatasetModel::Column>& columns) {
    m_model->setColumns(columns);
    applyWidths();
}

void DBGrid::setEditable(bool editable) {
    m_model->setEditable(editable);
    setEditTriggers(editable ? QAbstractItemView::AllEditTriggers
                             : QAbstractItemView::NoEditTriggers);
}

void DBGrid::applyWidths() {
    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, pixelWidth(this, m_model->widthAt(c)));
}

bool DBGrid::onLastRow() const {
    const Dataset* ds = dataset();
    return ds->isEmpty() || ds->recNo() >= ds->recordCount() || ds->eof();
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    bool handled = false;
    Q_EMIT keyPressed(event, &handled);
    if (handled)
        return;
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier && onLastRow()) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    Q_EMIT rowDoubleClicked(index);
}
