// The pending row's life: append, edit, post (writing only what changed), cancel and delete.
#include "dataset.h"

#include "database.h"
#include "rowwriter.h"

#include <algorithm>
#include <optional>

namespace {

// What goes into the store for a value; empty text is stored as NULL.
QVariant bindable(FieldType type, const QVariant& value) {
    if (type == FieldType::String || type == FieldType::Memo)
        if (value.isNull() || value.toString().isEmpty())
            return QVariant(QMetaType(QMetaType::QString));
    const QVariant stored = FieldValues::toStore(type, value);
    return stored.isNull() ? QVariant(QMetaType(QMetaType::QString)) : stored;
}

// Types whose stored form memory gives back exactly, so that another program's change is
// told from our own reading of the row.
bool exactInMemory(FieldType type) {
    return type != FieldType::DateTime && type != FieldType::Float;
}

bool isText(FieldType type) {
    return type == FieldType::String || type == FieldType::Memo;
}

} // namespace

void Dataset::setState(DatasetState state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

bool Dataset::checkBrowseMode() {
    if (!settleDetails())
        return false;
    if (!isEditing())
        return true;
    if (m_modified)
        return post();
    cancel();
    return true;
}

void Dataset::append() {
    checkActive();
    checkWritable();
    if (!checkBrowseMode())
        return;
    m_edit.startInsert(m_columns.size(), m_fieldList.size());
    setState(DatasetState::Insert);
    notifyInserted(recordCount());
    if (m_master) {
        const std::vector<QVariant> values = masterValues();
        for (int i = 0; i < m_detailFields.size(); ++i) {
            const int c = columnIndex(m_detailFields[i]);
            m_edit.setColumn(size_t(c),
                             FieldValues::normalize(m_columns[size_t(c)].type(), values[size_t(i)],
                                                    m_detailFields[i]));
        }
    }
    if (onNewRecord)
        onNewRecord(*this);
    // Defaults alone do not make a row worth keeping.
    m_modified = false;
    notifyCurrent();
}

void Dataset::edit() {
    checkActive();
    if (isEditing())
        return;
    checkWritable();
    if (m_view.empty()) {
        append();
        return;
    }
    m_edit.startEdit(m_columns, currentStorageRow(), m_fieldList.size());
    m_modified = false;
    setState(DatasetState::Edit);
}

void Dataset::setFieldValue(Field* field, const QVariant& value) {
    if (!isEditing())
        throw DataError(QStringLiteral("%1：数据集不在编辑或新增状态").arg(m_name));
    if (field->kind() == Field::Kind::Lookup || field->kind() == Field::Kind::Calculated)
        throw DataError(QStringLiteral("字段“%1”不能修改").arg(field->name()));
    const QVariant normalized = FieldValues::normalize(field->type(), value, field->name());
    if (field->onValidate && !field->onValidate(*field, normalized))
        return;
    if (!isEditing())
        return; // the validation rule discarded the row
    if (field->kind() == Field::Kind::Stored)
        m_edit.setColumn(size_t(field->m_column), normalized);
    else
        m_edit.setField(size_t(fieldIndex(field)), normalized);
    m_modified = true;
    notifyRowChanged(m_state == DatasetState::Insert ? recordCount() : m_pos);
}

bool Dataset::post() {
    checkActive();
    if (!isEditing())
        return true;
    if (beforePost)
        beforePost(*this);
    try {
        write();
    } catch (const DataError& e) {
        const PostErrorAction action = onPostError ? onPostError(*this, e) : PostErrorAction::Fail;
        if (action == PostErrorAction::Abort)
            return false;
        throw;
    }
    // A new row stays where it was shown, after the stored rows: views see a change of values.
    const int position = m_state == DatasetState::Insert ? recordCount() - 1 : m_pos;
    m_modified = false;
    m_edit.clear();
    setState(DatasetState::Browse);
    invalidateLookupIndex();
    notifyRowChanged(position);
    notifyCurrent();
    applyDeferredRows();
    if (afterPost)
        afterPost(*this);
    return true;
}

// With a rule that records changes, the row and its record are written in one savepoint: both
// or neither reach the store. Memory takes the row only once the store has it.
void Dataset::write() {
    const bool inserting = m_state == DatasetState::Insert;
    RowChange change;
    std::optional<Database::Savepoint> savepoint;
    if (onWritten)
        change = pendingChange(); // before the write, while the store holds the old texts
    if (onWritten || beforeWrite || afterWrite)
        savepoint.emplace(m_db);
    if (beforeWrite)
        beforeWrite(*this);
    if (inserting)
        writeInsert();
    else
        writeUpdate();
    if (afterWrite)
        afterWrite(*this);
    if (onWritten) {
        if (inserting)
            change.setKey(keyValueOfPending());
        onWritten(*this, change);
    }
    if (savepoint)
        savepoint->release();
    if (inserting)
        appendStoredRow();
    else
        commitBuffer(m_edit.row());
}

void Dataset::writeInsert() {
    std::vector<RowWriter::Value> values;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if ((int(c) == m_keyIndex && m_columns[c].type() == FieldType::AutoInc) ||
            m_edit.column(c).isNull())
            continue;
        values.push_back({m_columns[c].name(), bindable(m_columns[c].type(), m_edit.column(c))});
    }
    for (size_t f = 0; f < m_fieldList.size(); ++f)
        if (m_fieldList[f]->kind() == Field::Kind::OnDemand && !m_edit.field(f).isNull())
            values.push_back(
                {m_fieldList[f]->name(), bindable(m_fieldList[f]->type(), m_edit.field(f))});
    const QVariant key = RowWriter(m_db, m_table, m_keyColumn).insert(values);
    if (m_keyIndex >= 0 && m_columns[size_t(m_keyIndex)].type() == FieldType::AutoInc)
        m_edit.setColumn(size_t(m_keyIndex), key.toInt());
}

QVariant Dataset::keyValueOfPending() const {
    return m_keyIndex < 0 ? QVariant() : m_edit.column(size_t(m_keyIndex));
}

// The saved new row joins the stored rows, shown after them. Its key is greater than any held
// one (held tables number their rows upwards), so held rows stay in key order.
void Dataset::appendStoredRow() {
    const size_t rows = m_columns.empty() ? 0 : m_columns.front().size();
    if (m_keyIndex >= 0 && rows > 0 &&
        keyValueAt(int(rows) - 1).toLongLong() > keyValueOfPending().toLongLong()) {
        // a row another program added after this one began is held already: keep key order
        const size_t at = keyPlace(keyValueOfPending().toLongLong());
        for (size_t c = 0; c < m_columns.size(); ++c)
            m_columns[c].insert(at, m_edit.column(c));
        m_orders.clear();
        for (int& r : m_view)
            r += r >= int(at) ? 1 : 0;
        m_view.push_back(int(at));
        m_pos = int(m_view.size()) - 1;
        commitBuffer(int(at));
        return;
    }
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_columns[c].append(m_edit.column(c));
    const int row = int(rows);
    m_orders.rowAppended(m_columns, row);
    m_view.push_back(row);
    m_pos = int(m_view.size()) - 1;
    commitBuffer(row);
}

// Only the changed columns are written, and only if the row still holds what was read.
void Dataset::writeUpdate() {
    const int row = m_edit.row();
    std::vector<RowWriter::Value> sets, expected;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!m_edit.columnChanged(c))
            continue;
        const FieldType type = m_columns[c].type();
        sets.push_back({m_columns[c].name(), bindable(type, m_edit.column(c))});
        // what the edit began from: another program's change taken meanwhile is no licence
        if (exactInMemory(type))
            expected.push_back(
                {m_columns[c].name(), bindable(type, m_edit.original(c)), isText(type)});
    }
    const QVariant key = keyValueAt(row);
    for (size_t f = 0; f < m_fieldList.size(); ++f) {
        const Field* field = m_fieldList[f];
        if (field->kind() != Field::Kind::OnDemand || !m_edit.fieldWritten(f))
            continue;
        sets.push_back({field->name(), bindable(field->type(), m_edit.field(f))});
        if (QVariant read; m_memo.known(key, int(f), &read))
            expected.push_back({field->name(), bindable(field->type(), read), true});
    }
    RowWriter(m_db, m_table, m_keyColumn).update(key, sets, expected);
}

// The pending row against the stored one; texts read one row at a time count when written.
RowChange Dataset::pendingChange() const {
    const bool inserting = m_state == DatasetState::Insert;
    RowChange change{inserting ? RowChange::Kind::Added : RowChange::Kind::Changed,
                     m_table,
                     m_keyColumn,
                     keyValueOfPending(),
                     {}};
    const int row = m_edit.row();
    for (size_t c = 0; c < m_columns.size(); ++c)
        change.values.push_back({m_columns[c].name(), m_columns[c].type(),
                                 inserting ? QVariant() : m_columns[c].get(size_t(row)),
                                 m_edit.column(c)});
    for (size_t f = 0; f < m_fieldList.size(); ++f) {
        const Field* field = m_fieldList[f];
        if (field->kind() != Field::Kind::OnDemand || !m_edit.fieldWritten(f))
            continue;
        const QVariant before = inserting ? QVariant() : onDemandValue(row, field);
        change.values.push_back({field->name(), field->type(), before, m_edit.field(f)});
    }
    return change;
}

// The current stored row as it goes, long texts included.
RowChange Dataset::removalOfCurrent() const {
    const int row = currentStorageRow();
    RowChange change{RowChange::Kind::Removed, m_table, m_keyColumn, keyValueAt(row), {}};
    for (size_t c = 0; c < m_columns.size(); ++c)
        change.values.push_back(
            {m_columns[c].name(), m_columns[c].type(), m_columns[c].get(size_t(row)), {}});
    for (const Field* field : m_fieldList)
        if (field->kind() == Field::Kind::OnDemand)
            change.values.push_back({field->name(), field->type(), onDemandValue(row, field), {}});
    return change;
}

// The write succeeded: memory takes the pending values, and the memo cache the new texts.
void Dataset::commitBuffer(int storageRow) {
    const bool inserted = m_state == DatasetState::Insert;
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (!inserted && m_edit.columnChanged(c)) {
            m_columns[c].set(size_t(storageRow), m_edit.column(c));
            m_orders.valueChanged(m_columns, int(c), storageRow);
        }
    const QVariant key = keyValueAt(storageRow);
    for (size_t f = 0; f < m_fieldList.size(); ++f)
        if (m_fieldList[f]->kind() == Field::Kind::OnDemand && m_edit.fieldKnown(f))
            m_memo.store(key, int(f), m_edit.field(f));
}

void Dataset::cancel() {
    if (!isEditing())
        return;
    const bool wasInsert = m_state == DatasetState::Insert;
    m_edit.clear();
    m_modified = false;
    setState(DatasetState::Browse);
    if (wasInsert) {
        notifyRemoved(recordCount());
        m_pos = m_view.empty() ? -1 : std::clamp(m_pos, 0, int(m_view.size()) - 1);
    }
    notifyCurrent();
    if (m_pos >= 0)
        notifyRowChanged(m_pos);
    applyDeferredRows();
}

void Dataset::deleteRecord() {
    checkActive();
    if (m_state == DatasetState::Insert) {
        cancel();
        return;
    }
    cancel();
    deleteCurrentInStore();
    dropCurrentRow();
    if (afterDelete)
        afterDelete(*this);
}

void Dataset::deleteCurrentInStore() {
    checkActive();
    checkWritable();
    if (m_view.empty())
        throw DataError(QStringLiteral("%1：数据集为空，无法执行此操作").arg(m_name));
    const QVariant key = keyValueAt(currentStorageRow());
    if (!onWritten && !beforeWrite && !afterWrite) {
        RowWriter(m_db, m_table, m_keyColumn).remove(key);
        return;
    }
    Database::Savepoint savepoint(m_db);
    if (beforeWrite)
        beforeWrite(*this);
    if (onWritten)
        onWritten(*this, removalOfCurrent());
    RowWriter(m_db, m_table, m_keyColumn).remove(key);
    if (afterWrite)
        afterWrite(*this);
    savepoint.release();
}

void Dataset::dropCurrentRow() {
    const int row = currentStorageRow();
    if (row < 0)
        return;
    eraseStorageRow(row);
    const int removed = m_pos;
    m_view.erase(m_view.begin() + m_pos);
    for (int& r : m_view)
        if (r > row)
            --r;
    if (m_pos >= int(m_view.size()))
        m_pos = int(m_view.size()) - 1;
    m_eof = m_view.empty();
    invalidateLookupIndex();
    notifyRemoved(removed);
    notifyCurrent();
}
