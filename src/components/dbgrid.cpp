#include "dbgrid.h"

#include <QHeaderView>
#include <QKeyEvent>

const QColor DBGrid::AlternateRowColor(240, 251, 255);

DBGrid::DBGrid(Dataset* dataset, QWidget* parent)
    : QTableView(parent), m_model(new DatasetModel(dataset, this)) {
    setModel(m_model);
    setSelectionModel(m_model->selectionModel());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    QPalette p = palette();
    p.setColor(QPalette::AlternateBase, AlternateRowColor);
    setPalette(p);
    setWordWrap(true);
    setShowGrid(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QAbstractItemView::clicked, this, &DBGrid::cellClicked);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::applyWidths);
    applyWidths();
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
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int chars = m_model->widthAt(c);
        setColumnWidth(c, (chars > 0 ? chars : 10) * charWidth + 8);
    }
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
