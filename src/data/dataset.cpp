// The dataset's source, its fields and columns, the pending row's life (append, edit, post,
// cancel, delete) and the notices to bound views.
#include "dataset.h"

#include "database.h"
#include "rowloader.h"
#include "rowwriter.h"
#include "schema.h"

#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>

namespace {

QString quoted(const QString& name) {
    return u'"' + name + u'"';
}

// Field and column names compare without regard to case, and most comparisons are settled
// without Qt's full case folding: names of different lengths never match (folding maps one
// code unit to one), ASCII letters fold among themselves, and CJK ideographs have no case.
bool sameName(const QString& a, const QString& b) {
    if (a.size() != b.size())
        return false;
    const auto* x = reinterpret_cast<const char16_t*>(a.constData());
    const auto* y = reinterpret_cast<const char16_t*>(b.constData());
    auto ideograph = [](char16_t c) { return c >= 0x3400 && c <= 0x9FFF; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (x[i] == y[i])
            continue;
        if (x[i] < 0x80 && y[i] < 0x80) {
            const char16_t lower = x[i] | 0x20;
            if (lower == (y[i] | 0x20) && lower >= u'a' && lower <= u'z')
                continue;
            return false;
        }
        if (ideograph(x[i]) || ideograph(y[i]))
            return false;
        return a.compare(b, Qt::CaseInsensitive) == 0;
    }
    return true;
}

FieldType typeFromStore(const QSqlField& field) {
    if (auto t = Schema::columnType(field.name()))
        return *t;
    switch (field.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        return FieldType::Integer;
    case QMetaType::Double:
        return FieldType::Float;
    default:
        return FieldType::String;
    }
}

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

// ---------------------------------------------------------------- definition

Dataset::Dataset(Database& db, const QString& name, QObject* parent)
    : QObject(parent), m_db(db), m_name(name), m_memo(db) {
    setObjectName(name);
}

Dataset::~Dataset() {
    clearMaster();
    for (Dataset* d : m_details) {
        d->m_master = nullptr;
        d->m_masterDataset = nullptr;
    }
}

void Dataset::setTable(const QString& table, const QString& keyColumn) {
    m_table = table;
    m_keyColumn = keyColumn;
    m_memo.setSource(table, keyColumn);
    m_sql.clear();
    m_params.clear();
}

void Dataset::setDeferredColumns(const QString& table, const QString& keyColumn,
                                 const QStringList& columns) {
    m_memo.setSource(table, keyColumn);
    m_deferred = columns;
}

void Dataset::setSql(const QString& sql, const QVariantList& params) {
    if (isActive())
        close();
    m_sql = sql;
    m_params = params;
    m_table.clear();
    m_keyColumn.clear();
    m_columns.clear();
    m_keyIndex = -1;
    dropAutoFields();
}

// Fields taken from the previous query's columns go with it; views let go of them first.
void Dataset::dropAutoFields() {
    if (!m_autoFields)
        return;
    auto gone = std::move(m_fieldStore);
    m_fieldStore.clear();
    m_fieldList.clear();
    m_autoFields = false;
    Q_EMIT fieldsChanged();
}

Field* Dataset::addField(const FieldDef& def) {
    Field::Kind kind = Field::Kind::Stored;
    if (def.lookupDataset)
        kind = Field::Kind::Lookup;
    else if (def.calculate)
        kind = Field::Kind::Calculated;
    else if (def.onDemand)
        kind = Field::Kind::OnDemand;
    int column = -1;
    if (kind == Field::Kind::Stored && !m_table.isEmpty()) {
        column = int(m_columns.size());
        m_columns.emplace_back(def.name, def.type);
        if (sameName(def.name, m_keyColumn))
            m_keyIndex = column;
    }
    m_fieldStore.push_back(std::unique_ptr<Field>(new Field(this, def, kind, column)));
    m_fieldList.push_back(m_fieldStore.back().get());
    return m_fieldList.back();
}

std::vector<Field*> Dataset::visibleFields() const {
    std::vector<Field*> out;
    for (Field* f : m_fieldList)
        if (!f->isHidden())
            out.push_back(f);
    return out;
}

Field* Dataset::findField(const QString& name) const {
    for (Field* f : m_fieldList)
        if (sameName(f->name(), name))
            return f;
    return nullptr;
}

Field* Dataset::fieldByName(const QString& name) const {
    if (Field* f = findField(name))
        return f;
    throw DataError(QStringLiteral("%1：找不到字段“%2”").arg(m_name, name));
}

int Dataset::columnIndex(const QString& name) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (sameName(m_columns[i].name(), name))
            return int(i);
    return -1;
}

int Dataset::fieldIndex(const Field* field) const {
    return int(std::find(m_fieldList.begin(), m_fieldList.end(), field) - m_fieldList.begin());
}

// ---------------------------------------------------------------- reading

// A table's rows, those of the master's row only when linked, or the one row of a key.
QString Dataset::selectSql(bool linked, bool byKey) const {
    if (m_table.isEmpty())
        return m_sql;
    QStringList names;
    for (const StoredColumn& c : m_columns)
        names << quoted(c.name());
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(names.join(u','), quoted(m_table));
    QStringList conditions;
    for (const QString& d : linked ? m_detailFields : QStringList())
        conditions << quoted(d) + QStringLiteral(" = ?");
    if (byKey)
        conditions << quoted(m_keyColumn) + QStringLiteral(" = ?");
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    return sql + QStringLiteral(" ORDER BY ") + quoted(m_keyColumn);
}

// The master's values for a detail table, or a query's own parameters.
QVariantList Dataset::readBinds(bool linked) const {
    if (m_table.isEmpty())
        return m_params;
    QVariantList binds;
    if (!linked)
        return binds;
    for (const QVariant& v : m_masterKey)
        binds << (v.userType() == qMetaTypeId<Currency>()
                      ? QVariant(qlonglong(v.value<Currency>().units()))
                      : v);
    return binds;
}

// A query's columns, typed as declared fields say or as the store says.
void Dataset::defineColumns(const QSqlRecord& rec) {
    m_columns.clear();
    for (int i = 0; i < rec.count(); ++i) {
        const Field* declared = findField(rec.fieldName(i));
        const FieldType type = declared && declared->kind() == Field::Kind::Stored
                                   ? declared->type()
                                   : typeFromStore(rec.field(i));
        m_columns.emplace_back(rec.fieldName(i), type);
    }
    const int key = m_memo.keyColumn().isEmpty() ? -1 : columnIndex(m_memo.keyColumn());
    m_keyIndex = key;
    if (m_fieldList.empty())
        addAutoFields(key);
    for (Field* f : m_fieldList) {
        if (f->kind() != Field::Kind::Stored)
            continue;
        f->m_column = columnIndex(f->name());
        if (f->m_column < 0)
            throw DataError(QStringLiteral("%1：找不到字段“%2”").arg(m_name, f->name()));
    }
}

void Dataset::addAutoFields(int key) {
    m_autoFields = true;
    for (const StoredColumn& c : m_columns) {
        FieldDef def;
        def.name = c.name();
        def.type = c.type();
        def.onDemand = key >= 0 && m_deferred.contains(c.name(), Qt::CaseInsensitive);
        addField(def);
    }
    Q_EMIT fieldsChanged();
}

// Deferred columns stay empty in memory.
std::vector<bool> Dataset::wantedColumns() const {
    std::vector<bool> wanted;
    for (const StoredColumn& c : m_columns) {
        const Field* f = findField(c.name());
        wanted.push_back(!f || f->kind() != Field::Kind::OnDemand);
    }
    return wanted;
}

void Dataset::load(std::optional<QVariant> keepKey) {
    if (!m_table.isEmpty() && m_keyIndex < 0 && !m_keyColumn.isEmpty()) {
        m_keyIndex = int(m_columns.size());
        m_columns.emplace_back(m_keyColumn, FieldType::AutoInc);
    }
    const int keepPosition = m_pos;
    m_masterKey = masterValues();
    const bool noMasterRow = m_master && std::any_of(m_masterKey.begin(), m_masterKey.end(),
                                                     [](const QVariant& v) { return v.isNull(); });
    // A held dataset reads its whole table and links in memory.
    const bool linked = m_master && !m_held;
    RowLoader loader(m_db);
    if (m_table.isEmpty() && m_columns.empty())
        defineColumns(loader.columnsOf(m_sql, m_params));
    for (StoredColumn& c : m_columns)
        c.clear();
    if (!linked || !noMasterRow)
        loader.read(selectSql(linked), readBinds(linked), m_columns, wantedColumns());
    for (StoredColumn& c : m_columns)
        c.finishLoad();
    invalidateLookupIndex();
    m_memo.clear();
    m_orders.clear();
    showRows(keepKey, keepPosition);
}

// The view over the stored rows, on the row with the kept key, else at the kept position,
// else on the first row.
void Dataset::showRows(std::optional<QVariant> keepKey, int keepPosition) {
    m_masterKey = masterValues();
    rebuildView();
    m_pos = m_view.empty() ? -1 : 0;
    if (keepKey && m_keyIndex >= 0) {
        if (const int p = findKey(*keepKey); p >= 0)
            m_pos = p;
    } else if (keepKey && !m_view.empty()) {
        m_pos = std::clamp(keepPosition, 0, int(m_view.size()) - 1);
    }
    m_bof = true;
    m_eof = m_view.empty();
}

void Dataset::open() {
    if (isActive())
        return;
    load(std::nullopt);
    setState(DatasetState::Browse);
    notifyReset();
    notifyCurrent();
}

void Dataset::close() {
    if (!isActive())
        return;
    for (StoredColumn& c : m_columns)
        c.clear();
    m_view.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    m_sort.clear();
    m_edit.clear();
    m_modified = false;
    invalidateLookupIndex();
    setState(DatasetState::Inactive);
    notifyReset();
    notifyCurrent();
}

// The key of the current row for finding it again after a re-read; a null key when there is
// none, so that the cursor then goes to the first row.
std::optional<QVariant> Dataset::currentKey() const {
    if (const int row = currentStorageRow(); row >= 0 && m_keyIndex >= 0)
        return keyValueAt(row);
    return QVariant();
}

void Dataset::refresh() {
    checkActive();
    if (!checkBrowseMode())
        return;
    const std::optional<QVariant> key = currentKey();
    if (m_held && m_master) {
        refreshLinkedRows();
        showRows(key, m_pos);
    } else {
        load(key);
    }
    notifyReset();
    notifyCurrent();
}

void Dataset::reopenHeld() {
    if (!m_held || !isActive()) {
        close();
        clearMaster();
        open();
        return;
    }
    cancel(); // as closing does: a pending row is dropped
    clearMaster();
    m_sort.clear();
    showRows(std::nullopt, -1);
    notifyReset();
    notifyCurrent();
}

void Dataset::reshow() {
    checkActive();
    if (!checkBrowseMode())
        return;
    const std::optional<QVariant> key = currentKey();
    showRows(key, m_pos);
    notifyReset();
    notifyCurrent();
}

// The master row's rows as the store holds them now, merged into the held rows by key: a row
// changed elsewhere takes the new values, a new one joins, and one that is no longer the
// master row's is read again by its key, or goes when the store no longer has it.
void Dataset::refreshLinkedRows() {
    m_masterKey = masterValues();
    std::vector<std::pair<int, QVariant>> link;
    if (!linkTest(link))
        return;
    auto fresh = [this] {
        std::vector<StoredColumn> read;
        for (const StoredColumn& c : m_columns)
            read.emplace_back(c.name(), c.type());
        return read;
    };
    std::vector<StoredColumn> read = fresh();
    RowLoader loader(m_db);
    loader.read(selectSql(true), readBinds(true), read, wantedColumns());
    std::vector<qlonglong> gone; // held for the master row before, not read now
    const StoredColumn& keys = read[size_t(m_keyIndex)];
    std::vector<qlonglong> readKeys;
    for (size_t r = 0; r < keys.size(); ++r)
        readKeys.push_back(keys.get(r).toLongLong());
    std::sort(readKeys.begin(), readKeys.end());
    const int rows = int(m_columns[size_t(m_keyIndex)].size());
    for (int r = 0; r < rows; ++r) {
        const qlonglong key = keyValueAt(r).toLongLong();
        if (passesLink(r, link) && !std::binary_search(readKeys.begin(), readKeys.end(), key))
            gone.push_back(key);
    }
    for (size_t r = 0; r < keys.size(); ++r)
        mergeRow(read, r);
    for (const qlonglong key : gone) {
        std::vector<StoredColumn> one = fresh();
        loader.read(selectSql(false, true), {key}, one, wantedColumns());
        if (one.front().size() != 0)
            mergeRow(one, 0);
        else if (const size_t at = keyPlace(key); at < m_columns[size_t(m_keyIndex)].size() &&
                                                  keyValueAt(int(at)).toLongLong() == key)
            eraseStorageRow(int(at));
    }
    invalidateLookupIndex();
    m_memo.clear();
}

// Held rows stay in key order: the first row whose key is not less than this one.
size_t Dataset::keyPlace(qlonglong key) const {
    const StoredColumn& keys = m_columns[size_t(m_keyIndex)];
    size_t lo = 0, hi = keys.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (keys.get(mid).toLongLong() < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// One row as read from the store, into the held rows.
void Dataset::mergeRow(const std::vector<StoredColumn>& read, size_t readRow) {
    const qlonglong key = read[size_t(m_keyIndex)].get(readRow).toLongLong();
    const size_t at = keyPlace(key);
    if (at == m_columns[size_t(m_keyIndex)].size() || keyValueAt(int(at)).toLongLong() != key) {
        for (size_t c = 0; c < m_columns.size(); ++c)
            m_columns[c].insert(at, read[c].get(readRow));
        m_orders.clear(); // the rows after it moved
        return;
    }
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].sameAs(at, read[c], readRow))
            continue;
        m_columns[c].set(at, read[c].get(readRow));
        m_orders.valueChanged(m_columns, int(c), int(at));
    }
}

void Dataset::eraseStorageRow(int storageRow) {
    for (StoredColumn& c : m_columns)
        c.erase(size_t(storageRow));
    m_orders.rowErased(storageRow);
}

void Dataset::requery() {
    checkActive();
    if (!checkBrowseMode())
        return;
    load(std::nullopt);
    notifyReset();
    notifyCurrent();
}

void Dataset::checkActive() const {
    if (!isActive())
        throw DataError(QStringLiteral("%1：数据集未打开，无法执行此操作").arg(m_name));
}

void Dataset::checkWritable() const {
    if (isReadOnly())
        throw DataError(QStringLiteral("%1：只读数据集不能修改").arg(m_name));
}

QVariant Dataset::keyValueAt(int storageRow) const {
    return m_keyIndex < 0 ? QVariant() : m_columns[size_t(m_keyIndex)].get(size_t(storageRow));
}

// ---------------------------------------------------------------- editing

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
    if (afterPost)
        afterPost(*this);
    return true;
}

void Dataset::write() {
    if (m_state == DatasetState::Insert)
        writeInsert();
    else
        writeUpdate();
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
    appendStoredRow();
}

// The saved new row joins the stored rows, shown after them. Its key is greater than any held
// one (held tables number their rows upwards), so held rows stay in key order.
void Dataset::appendStoredRow() {
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_columns[c].append(m_edit.column(c));
    const int row = int(m_columns.empty() ? 0 : m_columns.front().size()) - 1;
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
        if (exactInMemory(type))
            expected.push_back(
                {m_columns[c].name(), bindable(type, m_columns[c].get(size_t(row))), isText(type)});
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
    commitBuffer(row);
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
    RowWriter(m_db, m_table, m_keyColumn).remove(keyValueAt(currentStorageRow()));
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

// ---------------------------------------------------------------- bound views

void Dataset::disableControls() {
    ++m_disabled;
}

void Dataset::enableControls() {
    if (m_disabled == 0 || --m_disabled > 0)
        return;
    if (std::exchange(m_resetPending, false))
        Q_EMIT reset();
    if (std::exchange(m_currentPending, false))
        Q_EMIT currentChanged();
}

// While controls are suspended, any change of rows comes to them as one reset on resume.
void Dataset::notifyReset() {
    if (m_disabled > 0)
        m_resetPending = true;
    else
        Q_EMIT reset();
}

void Dataset::notifyInserted(int position) {
    if (m_disabled > 0)
        m_resetPending = true;
    else
        Q_EMIT rowInserted(position);
}

void Dataset::notifyRemoved(int position) {
    if (m_disabled > 0)
        m_resetPending = true;
    else
        Q_EMIT rowRemoved(position);
}

void Dataset::notifyRowChanged(int position) {
    if (m_disabled == 0)
        Q_EMIT rowChanged(position);
}

void Dataset::notifyCurrent() {
    if (m_disabled > 0)
        m_currentPending = true;
    else
        Q_EMIT currentChanged();
}
