#include "datasetmodel.h"

#include "platform/dialogs.h"

DatasetModel::DatasetModel(Dataset* dataset, QObject* parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_selection(this) {
    rebuildColumns();
    m_rows = datasetRows();
    connect(m_dataset, &Dataset::reset, this, &DatasetModel::datasetReset);
    connect(m_dataset, &Dataset::fieldsChanged, this, &DatasetModel::fieldsChanged);
    connect(m_dataset, &Dataset::rowInserted, this, &DatasetModel::rowInserted);
    connect(m_dataset, &Dataset::rowRemoved, this, &DatasetModel::rowRemoved);
    connect(m_dataset, &Dataset::currentChanged, this, &DatasetModel::datasetMoved);
    connect(m_dataset, &Dataset::rowChanged, this, &DatasetModel::rowChanged);
    connect(m_dataset, &Dataset::stateChanged, this,
            [this] { rowChanged(m_dataset->recNo() - 1); });
    connect(&m_selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { selectionMoved(current); });
    datasetMoved();
}

void DatasetModel::setColumns(const QList<Column>& columns) {
    beginResetModel();
    m_requested = columns;
    rebuildColumns();
    endResetModel();
    datasetMoved();
}

// A new row that is being entered shows after the stored ones, never in place of one.
int DatasetModel::datasetRows() const {
    return m_dataset->recordCount() + (m_dataset->state() == DatasetState::Insert ? 1 : 0);
}

void DatasetModel::fieldsChanged() {
    beginResetModel();
    rebuildColumns();
    m_rows = datasetRows();
    endResetModel();
    datasetMoved();
}

void DatasetModel::rowInserted(int position) {
    if (position < 0 || position > m_rows || datasetRows() != m_rows + 1)
        return datasetReset();
    // The selection shifts with the rows; the dataset's cursor stays where it is.
    m_syncing = true;
    beginInsertRows({}, position, position);
    m_rows = datasetRows();
    endInsertRows();
    m_syncing = false;
}

void DatasetModel::rowRemoved(int position) {
    if (position < 0 || position >= m_rows || datasetRows() != m_rows - 1)
        return datasetReset();
    m_syncing = true;
    beginRemoveRows({}, position, position);
    m_rows = datasetRows();
    endRemoveRows();
    m_syncing = false;
    datasetMoved();
}

void DatasetModel::setEditable(bool editable) {
    m_editable = editable;
}

void DatasetModel::rebuildColumns() {
    m_fields.clear();
    m_widths.clear();
    m_titles.clear();
    if (m_requested.isEmpty()) {
        for (Field* f : m_dataset->visibleFields()) {
            m_fields.push_back(f);
            m_widths.push_back(f->size());
            m_titles.emplace_back();
        }
        return;
    }
    for (const Column& c : m_requested) {
        Field* f = m_dataset->findField(c.field);
        if (!f)
            continue;
        m_fields.push_back(f);
        m_widths.push_back(c.width > 0 ? c.width : f->size());
        m_titles.push_back(c.title);
    }
}

Field* DatasetModel::fieldAt(int column) const {
    return column >= 0 && column < int(m_fields.size()) ? m_fields[size_t(column)] : nullptr;
}

int DatasetModel::widthAt(int column) const {
    return m_widths[size_t(column)];
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= datasetRows())
        return {};
    const Field* f = m_fields[size_t(index.column())];
    if (role == Qt::DisplayRole)
        return FieldValues::displayText(f->type(), m_dataset->valueAt(index.row(), f));
    if (role == Qt::EditRole)
        return FieldValues::asText(f->type(), m_dataset->valueAt(index.row(), f));
    if (role == Qt::TextAlignmentRole) {
        const bool numeric = f->type() == FieldType::Currency || f->type() == FieldType::Float ||
                             f->type() == FieldType::Integer;
        return QVariant::fromValue(Qt::AlignVCenter | (numeric ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return {};
    if (section < 0 || section >= int(m_fields.size()))
        return {};
    const QString& title = m_titles[size_t(section)];
    return title.isEmpty() ? m_fields[size_t(section)]->title() : title;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid() && !m_fields[size_t(index.column())]->isReadOnly())
        f |= Qt::ItemIsEditable;
    return f;
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !m_editable)
        return false;
    if (m_dataset->recNo() != index.row() + 1)
        m_dataset->setRecNo(index.row() + 1);
    Field* f = m_fields[size_t(index.column())];
    if (FieldValues::asText(f->type(), f->value()) == value.toString())
        return false;
    m_dataset->edit();
    f->setValue(value);
    return true;
}

void DatasetModel::datasetReset() {
    beginResetModel();
    m_rows = datasetRows();
    endResetModel();
    datasetMoved();
}

void DatasetModel::datasetMoved() {
    if (m_syncing)
        return;
    if (m_rows != datasetRows()) {
        datasetReset();
        return;
    }
    const int row = m_dataset->recNo() - 1;
    m_syncing = true;
    if (row >= 0 && row < m_rows) {
        const QModelIndex current = m_selection.currentIndex();
        const int column = current.isValid() ? current.column() : 0;
        m_selection.setCurrentIndex(index(row, std::min(column, columnCount() - 1)),
                                    QItemSelectionModel::ClearAndSelect |
                                        QItemSelectionModel::Rows);
    } else {
        m_selection.clear();
    }
    m_syncing = false;
}

void DatasetModel::rowChanged(int position) {
    if (position >= 0 && position < m_rows)
        Q_EMIT dataChanged(index(position, 0), index(position, columnCount() - 1));
}

void DatasetModel::selectionMoved(const QModelIndex& current) {
    if (m_syncing || !current.isValid())
        return;
    m_syncing = true;
    try {
        if (m_dataset->recNo() != current.row() + 1)
            m_dataset->setRecNo(current.row() + 1);
    } catch (const DataError& e) {
        // A row the store refused to save: the user sees why and stays on it. The error must
        // not travel through the view's selection machinery.
        Dialogs::showError(e.text());
    }
    m_syncing = false;
    // The dataset may refuse to leave a row it could not save; show where it stands.
    if (m_dataset->recNo() != current.row() + 1)
        datasetMoved();
}
