// Reading a dataset's rows from the store: its statement, its columns, opening, closing and
// reading again.
#include "database.h"
#include "dataset.h"

#include "database.h"
#include "rowloader.h"
#include "schema.h"

#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>

namespace {

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

} // namespace

// A table's rows, those of the master's row only when linked, or the one row of a key.
QString Dataset::selectSql(bool linked, bool byKey) const {
    if (m_table.isEmpty())
        return m_sql;
    QStringList names;
    for (const StoredColumn& c : m_columns)
        names << m_db.quoted(c.name());
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(names.join(u','), m_db.quoted(m_table));
    QStringList conditions;
    for (const QString& d : linked ? m_detailFields : QStringList())
        conditions << m_db.quoted(d) + QStringLiteral(" = ?");
    if (byKey)
        conditions << m_db.quoted(m_keyColumn) + QStringLiteral(" = ?");
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    return sql + QStringLiteral(" ORDER BY ") + m_db.quoted(m_keyColumn);
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

void Dataset::requery() {
    checkActive();
    if (!checkBrowseMode())
        return;
    load(std::nullopt);
    notifyReset();
    notifyCurrent();
}
