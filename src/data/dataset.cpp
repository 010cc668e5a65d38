#include "dataset.h"

#include "database.h"
#include "schema.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <sqlite3.h>

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

int compareValues(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return int(b.isNull()) - int(a.isNull());
    const QPartialOrdering o = QVariant::compare(a, b);
    if (o == QPartialOrdering::Less)
        return -1;
    if (o == QPartialOrdering::Greater)
        return 1;
    return 0;
}

// Wildcard match for partial-key locates: "*" stands for any run of characters.
bool matchesLeading(const QString& text, const QString& pattern, Qt::CaseSensitivity cs) {
    if (!pattern.contains(u'*'))
        return text.startsWith(pattern, cs);
    QString rx = QRegularExpression::escape(pattern);
    rx.replace(QStringLiteral("\\*"), QStringLiteral(".*"));
    QRegularExpression re(u'^' + rx, cs == Qt::CaseInsensitive
                                         ? QRegularExpression::CaseInsensitiveOption
                                         : QRegularExpression::NoPatternOption);
    return re.match(text).hasMatch();
}

// The value Qt's SQLite driver yields for a column of the current row.
QVariant driverValue(sqlite3_stmt* st, int i) {
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, i);
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(st, i)),
                          sqlite3_column_bytes(st, i));
    default:
        return QString(static_cast<const QChar*>(sqlite3_column_text16(st, i)),
                       sqlite3_column_bytes16(st, i) / qsizetype(sizeof(QChar)));
    }
}

// Reads a query's rows straight from SQLite into the columns, converting each value as
// appendStored converts what Qt's driver yields, without a QVariant per value (text is taken
// as the UTF-8 the register holds and decoded by Qt, not by SQLite). False (columns
// left partly filled) when the connection is not SQLite, a value cannot be bound here, or
// SQLite refuses: the caller then reads through Qt SQL, which reports any error.
bool readDirect(QSqlDatabase& db, const QString& sql, const QVariantList& binds,
                std::vector<StoredColumn>& columns, const std::vector<int>& read) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* h = *static_cast<sqlite3* const*>(handle.data());
    if (!h)
        return false;
    sqlite3_stmt* st = nullptr;
    const void* tail = nullptr;
    const int prepared =
        sqlite3_prepare16_v2(h, sql.utf16(), int(sql.size() * sizeof(QChar)), &st, &tail);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    // Qt SQL refuses a second statement after the first; so does this path, by leaving it.
    const qsizetype used =
        tail ? static_cast<const char16_t*>(tail) - reinterpret_cast<const char16_t*>(sql.utf16())
             : sql.size();
    if (prepared != SQLITE_OK || !st || !QStringView(sql).mid(used).trimmed().isEmpty())
        return false;
    const int n = int(columns.size());
    if (sqlite3_column_count(st) != n || sqlite3_bind_parameter_count(st) != int(binds.size()))
        return false;
    for (int i = 0; i < int(binds.size()); ++i) {
        const QVariant& v = binds[i];
        int rc;
        if (v.isNull())
            rc = sqlite3_bind_null(st, i + 1);
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
        else if (v.typeId() == QMetaType::QString)
            rc = sqlite3_bind_text16(st, i + 1, v.toString().utf16(),
                                     int(v.toString().size() * sizeof(QChar)), SQLITE_TRANSIENT);
        else
            return false;
        if (rc != SQLITE_OK)
            return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            StoredColumn& c = columns[size_t(i)];
            if (!read[size_t(i)]) {
                c.appendStored(QVariant());
                continue;
            }
            const int type = sqlite3_column_type(st, i);
            const FieldType ft = c.type();
            if (type == SQLITE_INTEGER && (ft == FieldType::Integer || ft == FieldType::AutoInc ||
                                           ft == FieldType::Currency || ft == FieldType::Boolean)) {
                c.appendStoredInteger(sqlite3_column_int64(st, i));
            } else if (type == SQLITE_TEXT && (ft == FieldType::String || ft == FieldType::Memo ||
                                               ft == FieldType::DateTime)) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                c.appendStoredText(text, sqlite3_column_bytes(st, i));
            } else {
                c.appendStored(driverValue(st, i));
            }
        }
    }
    return rc == SQLITE_DONE;
}

} // namespace

// ---------------------------------------------------------------- Record

QVariant Record::value(const QString& name) const {
    if (const Field* f = m_dataset.findField(name))
        return m_dataset.rowValue(m_row, f);
    const int c = m_dataset.columnIndex(name);
    if (c < 0)
        throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_dataset.name(), name));
    return m_dataset.columnValue(m_row, c);
}

double Record::asFloat(const QString& name) const {
    const QVariant v = value(name);
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>().toDouble();
    return v.toDouble();
}

Currency Record::asCurrency(const QString& name) const {
    const QVariant v = value(name);
    if (v.isNull())
        return {};
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>();
    return Currency::fromDouble(v.toDouble());
}

QString Record::asString(const QString& name) const {
    const QVariant v = value(name);
    if (const Field* f = m_dataset.findField(name))
        return FieldValues::asText(f->type(), v);
    return v.toString();
}

QDateTime Record::asDateTime(const QString& name) const {
    return value(name).toDateTime();
}

// ---------------------------------------------------------------- Field

QVariant Field::value() const {
    const Dataset& d = *m_dataset;
    if (d.isEditing())
        return d.rowValue(-1, this);
    const int row = d.currentStorageRow();
    return row < 0 ? QVariant() : d.rowValue(row, this);
}

QString Field::asString() const {
    return FieldValues::asText(type(), value());
}

int Field::asInteger() const {
    const QVariant v = value();
    if (v.userType() == qMetaTypeId<Currency>())
        return int(v.value<Currency>().units() / Currency::Scale);
    return v.toInt();
}

double Field::asFloat() const {
    const QVariant v = value();
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>().toDouble();
    return v.toDouble();
}

Currency Field::asCurrency() const {
    const QVariant v = value();
    if (v.isNull())
        return {};
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>();
    return Currency::fromDouble(v.toDouble());
}

QDateTime Field::asDateTime() const {
    return value().toDateTime();
}
bool Field::asBoolean() const {
    return value().toBool();
}
QString Field::displayText() const {
    return FieldValues::displayText(type(), value());
}

void Field::setValue(const QVariant& value) {
    m_dataset->setFieldValue(this, value);
}

// ---------------------------------------------------------------- Dataset: definition

Dataset::Dataset(Database& db, const QString& name, QObject* parent)
    : QObject(parent), m_db(db), m_name(name) {
    setObjectName(name);
}

Dataset::~Dataset() = default;

void Dataset::setTable(const QString& table, const QString& keyColumn) {
    m_table = table;
    m_keyColumn = keyColumn;
    m_demandTable = table;
    m_demandKey = keyColumn;
    m_sql.clear();
    m_params.clear();
}

void Dataset::setDeferredColumns(const QString& table, const QString& keyColumn,
                                 const QStringList& columns) {
    m_demandTable = table;
    m_demandKey = keyColumn;
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
    if (m_autoFields) {
        // Fields taken from the previous query's columns go with it.
        m_fieldList.clear();
        m_fieldStore.clear();
        m_autoFields = false;
    }
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
    throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_name, name));
}

int Dataset::columnIndex(const QString& name) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (sameName(m_columns[i].name(), name))
            return int(i);
    return -1;
}

// ---------------------------------------------------------------- Dataset: reading

QString Dataset::selectSql() const {
    if (m_table.isEmpty())
        return m_sql;
    QStringList names;
    for (const StoredColumn& c : m_columns)
        names << quoted(c.name());
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(names.join(u','), quoted(m_table));
    if (m_master) {
        QStringList conditions;
        for (const QString& d : m_detailFields)
            conditions << quoted(d) + QStringLiteral(" = ?");
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
    return sql + QStringLiteral(" ORDER BY ") + quoted(m_keyColumn);
}

void Dataset::defineColumnsFrom(const QSqlQuery& query) {
    const QSqlRecord rec = query.record();
    m_columns.clear();
    for (int i = 0; i < rec.count(); ++i) {
        const Field* declared = findField(rec.fieldName(i));
        const FieldType type = declared && declared->kind() == Field::Kind::Stored
                                   ? declared->type()
                                   : typeFromStore(rec.field(i));
        m_columns.emplace_back(rec.fieldName(i), type);
    }
    const int key = m_demandKey.isEmpty() ? -1 : columnIndex(m_demandKey);
    m_keyIndex = key;
    if (m_fieldList.empty()) {
        m_autoFields = true;
        for (const StoredColumn& c : m_columns) {
            FieldDef def;
            def.name = c.name();
            def.type = c.type();
            def.onDemand = key >= 0 && m_deferred.contains(c.name(), Qt::CaseInsensitive);
            addField(def);
        }
    }
    for (Field* f : m_fieldList) {
        if (f->kind() != Field::Kind::Stored)
            continue;
        f->m_column = columnIndex(f->name());
        if (f->m_column < 0)
            throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_name, f->name()));
    }
}

// A query's columns are learnt without computing its rows where the store allows it.
void Dataset::learnColumns() {
    QSqlQuery probe(m_db.connection());
    probe.setForwardOnly(true);
    if (probe.prepare(QStringLiteral("SELECT * FROM (%1) LIMIT 0").arg(m_sql))) {
        for (const QVariant& v : m_params)
            probe.addBindValue(v);
        if (probe.exec()) {
            defineColumnsFrom(probe);
            return;
        }
    }
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(m_sql))
        Database::raise(q.lastError());
    for (const QVariant& v : m_params)
        q.addBindValue(v);
    Database::exec(q);
    defineColumnsFrom(q);
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
    for (StoredColumn& c : m_columns)
        c.clear();
    if (!noMasterRow) {
        QVariantList binds;
        for (const QVariant& v : m_masterKey)
            binds << (v.userType() == qMetaTypeId<Currency>()
                          ? QVariant(qlonglong(v.value<Currency>().units()))
                          : v);
        if (m_table.isEmpty())
            binds += m_params;
        auto readFlags = [this] {
            std::vector<int> read; // deferred columns stay empty in memory
            for (int i = 0; i < int(m_columns.size()); ++i) {
                const Field* f = findField(m_columns[size_t(i)].name());
                read.push_back(f && f->kind() == Field::Kind::OnDemand ? 0 : 1);
            }
            return read;
        };
        if (m_table.isEmpty() && m_columns.empty())
            learnColumns();
        // Once the columns are known, SQLite's rows go straight into them.
        const bool direct = !m_columns.empty() && readDirect(m_db.connection(), selectSql(), binds,
                                                             m_columns, readFlags());
        if (!direct) {
            for (StoredColumn& c : m_columns)
                c.clear();
            QSqlQuery q(m_db.connection());
            q.setForwardOnly(true);
            if (!q.prepare(selectSql()))
                Database::raise(q.lastError());
            for (const QVariant& v : binds)
                q.addBindValue(v);
            Database::exec(q);
            if (m_table.isEmpty() && m_columns.empty())
                defineColumnsFrom(q);
            const std::vector<int> read = readFlags();
            const int n = int(m_columns.size());
            while (q.next())
                for (int i = 0; i < n; ++i)
                    m_columns[size_t(i)].appendStored(read[size_t(i)] ? q.value(i) : QVariant());
        }
    }
    for (StoredColumn& c : m_columns)
        c.finishLoad();
    invalidateLookupIndex();
    m_demandCache.clear();
    m_demandCacheKey = QVariant();
    rebuildView();
    m_pos = m_view.empty() ? -1 : 0;
    if (keepKey && m_keyIndex >= 0) {
        for (size_t p = 0; p < m_view.size(); ++p)
            if (keyValueAt(m_view[p]) == *keepKey) {
                m_pos = int(p);
                break;
            }
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
    m_buffer.clear();
    m_modified = false;
    invalidateLookupIndex();
    setState(DatasetState::Inactive);
    notifyReset();
    notifyCurrent();
}

void Dataset::refresh() {
    checkActive();
    if (!checkBrowseMode())
        return;
    std::optional<QVariant> key = QVariant();
    if (const int row = currentStorageRow(); row >= 0 && m_keyIndex >= 0)
        key = keyValueAt(row);
    load(key);
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

void Dataset::checkActive() const {
    if (!isActive())
        throw DataError(
            QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(m_name));
}

QVariant Dataset::keyValueAt(int storageRow) const {
    return m_keyIndex < 0 ? QVariant() : m_columns[size_t(m_keyIndex)].get(size_t(storageRow));
}

int Dataset::currentStorageRow() const {
    if (m_pos < 0 || m_pos >= int(m_view.size()))
        return -1;
    return m_view[size_t(m_pos)];
}

QVariant Dataset::valueAt(int position, const Field* field) const {
    if (isEditing() && position == m_pos)
        return rowValue(-1, field);
    return rowValue(m_view[size_t(position)], field);
}

QVariant Dataset::columnValue(int storageRow, int column) const {
    if (storageRow < 0)
        return m_buffer[size_t(column)];
    return m_columns[size_t(column)].get(size_t(storageRow));
}

QVariant Dataset::rowValue(int storageRow, const Field* field) const {
    switch (field->kind()) {
    case Field::Kind::Stored:
        return columnValue(storageRow, field->m_column);
    case Field::Kind::Lookup:
        return lookupValue(storageRow, field);
    case Field::Kind::Calculated:
        return field->def().calculate(Record(*this, storageRow));
    case Field::Kind::OnDemand:
        return onDemandValue(storageRow, field);
    }
    return {};
}

QVariant Dataset::lookupValue(int storageRow, const Field* field) const {
    const FieldDef& def = field->def();
    const QVariant key = Record(*this, storageRow).value(def.keyField);
    if (key.isNull())
        return {};
    const Dataset& other = *def.lookupDataset;
    const int keyColumn = other.columnIndex(def.lookupKey);
    const int resultColumn = other.columnIndex(def.lookupResult);
    if (keyColumn < 0 || resultColumn < 0)
        return {};
    const int row = other.lookupRow(keyColumn, key);
    return row < 0 ? QVariant() : other.m_columns[size_t(resultColumn)].get(size_t(row));
}

int Dataset::lookupRow(int column, const QVariant& key) const {
    auto it = m_lookupIndex.find(column);
    if (it == m_lookupIndex.end()) {
        QHash<QString, int> index;
        const StoredColumn& c = m_columns[size_t(column)];
        index.reserve(qsizetype(c.size()));
        // Walking backwards leaves the first row of each key in the index.
        for (size_t r = c.size(); r-- > 0;)
            if (!c.isNull(r))
                index.insert(c.get(r).toString(), int(r));
        it = m_lookupIndex.insert(column, index);
    }
    return it.value().value(key.toString(), -1);
}

void Dataset::invalidateLookupIndex() {
    m_lookupIndex.clear();
}

QVariant Dataset::onDemandValue(int storageRow, const Field* field) const {
    const int index =
        int(std::find(m_fieldList.begin(), m_fieldList.end(), field) - m_fieldList.begin());
    if (storageRow < 0) {
        if (m_demandLoaded[size_t(index)])
            return m_demandBuffer[size_t(index)];
        if (m_editRow < 0)
            return {};
        storageRow = m_editRow;
    }
    const QVariant key = keyValueAt(storageRow);
    if (key != m_demandCacheKey) {
        m_demandCache.clear();
        m_demandCacheKey = key;
    }
    auto it = m_demandCache.constFind(index);
    if (it != m_demandCache.constEnd())
        return it.value();
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                  .arg(quoted(field->name()), quoted(m_demandTable), quoted(m_demandKey)));
    q.addBindValue(key);
    QVariant v;
    if (q.exec() && q.next())
        v = FieldValues::fromStore(field->type(), q.value(0));
    m_demandCache.insert(index, v);
    return v;
}

// ---------------------------------------------------------------- Dataset: view, filter, sort

bool Dataset::filterMatches(int storageRow) const {
    if (!m_filter)
        return true;
    const QVariant v = Record(*this, storageRow).value(m_filter->column);
    if (v.isNull())
        return false;
    const QVariant& k = m_filter->constant;
    int c;
    if (k.typeId() == QMetaType::Bool) {
        c = int(v.toBool()) - int(k.toBool());
    } else if (k.typeId() == QMetaType::Double) {
        const double d =
            v.userType() == qMetaTypeId<Currency>() ? v.value<Currency>().toDouble() : v.toDouble();
        c = d < k.toDouble() ? -1 : (d > k.toDouble() ? 1 : 0);
    } else {
        c = v.toString().compare(k.toString(), Qt::CaseInsensitive);
    }
    const QString& op = m_filter->op;
    if (op == QLatin1String("="))
        return c == 0;
    if (op == QLatin1String("<>"))
        return c != 0;
    if (op == QLatin1String("<"))
        return c < 0;
    if (op == QLatin1String(">"))
        return c > 0;
    if (op == QLatin1String("<="))
        return c <= 0;
    return c >= 0;
}

bool Dataset::acceptRow(int storageRow) const {
    if (!m_filtered)
        return true;
    if (!filterMatches(storageRow))
        return false;
    return !onFilterRecord || onFilterRecord(Record(*this, storageRow));
}

void Dataset::rebuildView() {
    m_view.clear();
    if (m_filtered && onFilterStart)
        onFilterStart(*this);
    const int rows = m_columns.empty() ? 0 : int(m_columns.front().size());
    m_view.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r)
        if (acceptRow(r))
            m_view.push_back(r);
    const QString order = m_sort.isEmpty() ? m_indexFieldNames : m_sort;
    if (order.isEmpty())
        return;
    const Field* field = findField(order);
    const int column =
        field && field->kind() == Field::Kind::Stored ? field->m_column : columnIndex(order);
    if (column >= 0) {
        const StoredColumn& c = m_columns[size_t(column)];
        if (const std::vector<uint32_t> keys = c.sortKeys(); !keys.empty())
            std::stable_sort(m_view.begin(), m_view.end(),
                             [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
        else
            std::stable_sort(m_view.begin(), m_view.end(),
                             [&c](int a, int b) { return c.compare(size_t(a), size_t(b)) < 0; });
    } else if (field) {
        std::stable_sort(m_view.begin(), m_view.end(), [this, field](int a, int b) {
            return compareValues(rowValue(a, field), rowValue(b, field)) < 0;
        });
    }
}

void Dataset::setFilter(const QString& filter) {
    m_filterText = filter;
    m_filter.reset();
    static const QRegularExpression re(
        QStringLiteral("^\\s*(.+?)\\s*(<=|>=|<>|=|<|>)\\s*(.+?)\\s*$"));
    const auto m = re.match(filter);
    if (!filter.trimmed().isEmpty()) {
        if (!m.hasMatch())
            throw DataError(QStringLiteral("%1: invalid filter '%2'").arg(m_name, filter));
        Filter f{m.captured(1), m.captured(2), {}};
        const QString k = m.captured(3);
        bool isNumber = false;
        const double d = k.toDouble(&isNumber);
        if (k.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            f.constant = true;
        else if (k.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            f.constant = false;
        else if (isNumber)
            f.constant = d;
        else
            f.constant = k.startsWith(u'\'') && k.endsWith(u'\'') && k.size() >= 2
                             ? k.mid(1, k.size() - 2)
                             : k;
        m_filter = f;
    }
    if (m_filtered && isActive())
        reapplyView(false);
}

void Dataset::setFiltered(bool on) {
    if (m_filtered == on)
        return;
    m_filtered = on;
    // A filter switched on stands on the first accepted row, as a re-read does.
    if (isActive())
        reapplyView(on);
}

void Dataset::setSort(const QString& fieldName) {
    m_sort = fieldName;
    if (isActive())
        reapplyView(false);
}

void Dataset::reapplyView(bool toFirst) {
    if (!checkBrowseMode())
        return;
    const int row = currentStorageRow();
    rebuildView();
    auto it = std::find(m_view.begin(), m_view.end(), row);
    m_pos = (!toFirst && it != m_view.end()) ? int(it - m_view.begin()) : (m_view.empty() ? -1 : 0);
    m_bof = m_pos <= 0;
    m_eof = m_view.empty();
    notifyReset();
    notifyCurrent();
}

void Dataset::setIndexFieldNames(const QString& fieldName) {
    m_indexFieldNames = fieldName;
}

// ---------------------------------------------------------------- Dataset: cursor

int Dataset::recNo() const {
    if (m_state == DatasetState::Insert)
        return recordCount() + 1;
    return m_pos + 1;
}

void Dataset::moveTo(int position) {
    if (position == m_pos)
        return;
    m_pos = position;
    notifyCurrent();
}

void Dataset::first() {
    checkActive();
    if (!checkBrowseMode())
        return;
    moveTo(m_view.empty() ? -1 : 0);
    m_bof = true;
    m_eof = m_view.empty();
}

void Dataset::next() {
    checkActive();
    if (!checkBrowseMode())
        return;
    if (m_pos + 1 < int(m_view.size())) {
        moveTo(m_pos + 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_eof = true;
    }
}

void Dataset::prior() {
    checkActive();
    if (!checkBrowseMode())
        return;
    if (m_pos > 0) {
        moveTo(m_pos - 1);
        m_bof = false;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Dataset::last() {
    checkActive();
    if (!checkBrowseMode())
        return;
    moveTo(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
}

void Dataset::setRecNo(int recNo) {
    checkActive();
    if (!checkBrowseMode() || m_view.empty())
        return;
    moveTo(std::clamp(recNo, 1, int(m_view.size())) - 1);
    m_bof = m_eof = false;
}

bool Dataset::locate(const QString& fieldName, const QVariant& value, int options) {
    checkActive();
    if (!checkBrowseMode())
        return false;
    const Field* field = findField(fieldName);
    const int column = field ? -1 : columnIndex(fieldName);
    if (!field && column < 0)
        throw DataError(QStringLiteral("%1: Field '%2' not found").arg(m_name, fieldName));
    const Qt::CaseSensitivity cs =
        options & LocateCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString wanted = value.toString();
    for (size_t p = 0; p < m_view.size(); ++p) {
        const int row = m_view[p];
        const QVariant v = field ? rowValue(row, field) : columnValue(row, column);
        if (v.isNull())
            continue;
        const QString text = field ? FieldValues::asText(field->type(), v) : v.toString();
        const bool hit = options & LocatePartialKey ? matchesLeading(text, wanted, cs)
                                                    : text.compare(wanted, cs) == 0;
        if (hit) {
            moveTo(int(p));
            m_bof = m_eof = false;
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- Dataset: editing

void Dataset::setState(DatasetState state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

bool Dataset::checkBrowseMode() {
    if (!isEditing())
        return true;
    if (m_modified)
        return post();
    cancel();
    return true;
}

void Dataset::append() {
    checkActive();
    if (isReadOnly())
        throw DataError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(m_name));
    if (!checkBrowseMode())
        return;
    m_insertReturn = m_pos;
    m_editRow = -1;
    m_buffer.assign(m_columns.size(), QVariant());
    m_bufferChanged.assign(m_columns.size(), false);
    m_demandBuffer.assign(m_fieldList.size(), QVariant());
    m_demandLoaded.assign(m_fieldList.size(), true);
    setState(DatasetState::Insert);
    if (m_master) {
        const std::vector<QVariant> values = masterValues();
        for (int i = 0; i < m_detailFields.size(); ++i) {
            const int c = columnIndex(m_detailFields[i]);
            m_buffer[size_t(c)] = FieldValues::normalize(m_columns[size_t(c)].type(),
                                                         values[size_t(i)], m_detailFields[i]);
            m_bufferChanged[size_t(c)] = true;
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
    if (isReadOnly())
        throw DataError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(m_name));
    if (m_view.empty()) {
        append();
        return;
    }
    m_editRow = currentStorageRow();
    m_buffer.resize(m_columns.size());
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_buffer[c] = m_columns[c].get(size_t(m_editRow));
    m_bufferChanged.assign(m_columns.size(), false);
    m_demandBuffer.assign(m_fieldList.size(), QVariant());
    m_demandLoaded.assign(m_fieldList.size(), false);
    m_modified = false;
    setState(DatasetState::Edit);
}

void Dataset::setFieldValue(Field* field, const QVariant& value) {
    if (!isEditing())
        throw DataError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_name));
    if (field->kind() == Field::Kind::Lookup || field->kind() == Field::Kind::Calculated)
        throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(field->name()));
    const QVariant normalized = FieldValues::normalize(field->type(), value, field->name());
    if (field->onValidate && !field->onValidate(*field, normalized))
        return;
    if (!isEditing())
        return; // the validation rule discarded the row
    if (field->kind() == Field::Kind::Stored) {
        m_buffer[size_t(field->m_column)] = normalized;
        m_bufferChanged[size_t(field->m_column)] = true;
    } else {
        const size_t index =
            size_t(std::find(m_fieldList.begin(), m_fieldList.end(), field) - m_fieldList.begin());
        m_demandBuffer[index] = normalized;
        m_demandLoaded[index] = true;
    }
    m_modified = true;
    if (m_disabled == 0)
        Q_EMIT rowChanged(m_pos);
}

bool Dataset::post() {
    checkActive();
    if (!isEditing())
        return true;
    if (beforePost)
        beforePost(*this);
    try {
        if (m_state == DatasetState::Insert)
            writeInsert();
        else
            writeUpdate();
    } catch (const DataError& e) {
        const PostErrorAction action = onPostError ? onPostError(*this, e) : PostErrorAction::Fail;
        if (action == PostErrorAction::Abort)
            return false;
        throw;
    }
    m_modified = false;
    m_buffer.clear();
    setState(DatasetState::Browse);
    invalidateLookupIndex();
    notifyReset();
    notifyCurrent();
    if (afterPost)
        afterPost(*this);
    return true;
}

namespace {

QVariant bindable(FieldType type, const QVariant& value) {
    if (type == FieldType::String || type == FieldType::Memo)
        if (value.isNull() || value.toString().isEmpty())
            return QVariant(QMetaType(QMetaType::QString)); // empty text is stored as NULL
    const QVariant stored = FieldValues::toStore(type, value);
    return stored.isNull() ? QVariant(QMetaType(QMetaType::QString)) : stored;
}

} // namespace

void Dataset::writeInsert() {
    QStringList names, marks;
    QVariantList values;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (int(c) == m_keyIndex && m_columns[c].type() == FieldType::AutoInc)
            continue;
        if (m_buffer[c].isNull())
            continue;
        names << quoted(m_columns[c].name());
        marks << QStringLiteral("?");
        values << bindable(m_columns[c].type(), m_buffer[c]);
    }
    for (size_t f = 0; f < m_fieldList.size(); ++f) {
        if (m_fieldList[f]->kind() != Field::Kind::OnDemand || m_demandBuffer[f].isNull())
            continue;
        names << quoted(m_fieldList[f]->name());
        marks << QStringLiteral("?");
        values << bindable(m_fieldList[f]->type(), m_demandBuffer[f]);
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(m_table))
                            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(quoted(m_table), names.join(u','), marks.join(u','));
    QSqlQuery q = m_db.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    Database::exec(q);
    if (m_keyIndex >= 0 && m_columns[size_t(m_keyIndex)].type() == FieldType::AutoInc)
        m_buffer[size_t(m_keyIndex)] = q.lastInsertId().toInt();
    for (size_t c = 0; c < m_columns.size(); ++c)
        m_columns[c].append(m_buffer[c]);
    const int row = int(m_columns.empty() ? 0 : m_columns.front().size()) - 1;
    m_view.push_back(row);
    m_pos = int(m_view.size()) - 1;
    m_editRow = row;
    commitBufferTo(row);
}

void Dataset::writeUpdate() {
    QStringList sets;
    QVariantList values;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (!m_bufferChanged[c])
            continue;
        sets << quoted(m_columns[c].name()) + QStringLiteral(" = ?");
        values << bindable(m_columns[c].type(), m_buffer[c]);
    }
    for (size_t f = 0; f < m_fieldList.size(); ++f) {
        if (m_fieldList[f]->kind() != Field::Kind::OnDemand || !m_demandLoaded[f])
            continue;
        sets << quoted(m_fieldList[f]->name()) + QStringLiteral(" = ?");
        values << bindable(m_fieldList[f]->type(), m_demandBuffer[f]);
    }
    if (!sets.isEmpty()) {
        QSqlQuery q = m_db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                       .arg(quoted(m_table), sets.join(u','), quoted(m_keyColumn)));
        for (const QVariant& v : values)
            q.addBindValue(v);
        q.addBindValue(keyValueAt(m_editRow));
        Database::exec(q);
    }
    commitBufferTo(m_editRow);
}

// The write succeeded: memory takes the pending values, and the on-demand cache the new texts.
void Dataset::commitBufferTo(int storageRow) {
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_bufferChanged[c])
            m_columns[c].set(size_t(storageRow), m_buffer[c]);
    const QVariant key = keyValueAt(storageRow);
    m_demandCacheKey = key;
    m_demandCache.clear();
    for (size_t f = 0; f < m_fieldList.size(); ++f)
        if (m_fieldList[f]->kind() == Field::Kind::OnDemand && m_demandLoaded[f])
            m_demandCache.insert(int(f), m_demandBuffer[f]);
    if (m_state == DatasetState::Insert)
        for (size_t f = 0; f < m_fieldList.size(); ++f)
            if (m_fieldList[f]->kind() == Field::Kind::OnDemand && !m_demandLoaded[f])
                m_demandCache.insert(int(f), QVariant());
}

void Dataset::cancel() {
    if (!isEditing())
        return;
    const bool wasInsert = m_state == DatasetState::Insert;
    m_buffer.clear();
    m_modified = false;
    m_editRow = -1;
    setState(DatasetState::Browse);
    if (wasInsert)
        m_pos = m_view.empty() ? -1 : std::clamp(m_insertReturn, 0, int(m_view.size()) - 1);
    notifyCurrent();
    if (m_disabled == 0 && m_pos >= 0)
        Q_EMIT rowChanged(m_pos);
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
    if (isReadOnly())
        throw DataError(QStringLiteral("%1: Cannot modify a read-only dataset").arg(m_name));
    if (m_view.empty())
        throw DataError(
            QStringLiteral("%1: Cannot perform this operation on an empty dataset").arg(m_name));
    QSqlQuery q = m_db.prepare(
        QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoted(m_table), quoted(m_keyColumn)));
    q.addBindValue(keyValueAt(currentStorageRow()));
    Database::exec(q);
}

void Dataset::dropCurrentRow() {
    const int row = currentStorageRow();
    if (row < 0)
        return;
    for (StoredColumn& c : m_columns)
        c.erase(size_t(row));
    m_view.erase(m_view.begin() + m_pos);
    for (int& r : m_view)
        if (r > row)
            --r;
    if (m_pos >= int(m_view.size()))
        m_pos = int(m_view.size()) - 1;
    m_eof = m_view.empty();
    invalidateLookupIndex();
    notifyReset();
    notifyCurrent();
}

// ---------------------------------------------------------------- Dataset: master link

void Dataset::setMaster(DataSource* master, const QString& masterFields,
                        const QString& detailFields) {
    clearMaster();
    m_master = master;
    m_masterFields = masterFields.split(u';', Qt::SkipEmptyParts);
    m_detailFields = detailFields.split(u';', Qt::SkipEmptyParts);
    Dataset* m = master->dataset();
    m_masterConnections[0] = connect(m, &Dataset::currentChanged, this, &Dataset::masterMoved);
    m_masterConnections[1] = connect(m, &Dataset::reset, this, &Dataset::masterMoved);
    if (isActive()) {
        checkBrowseMode();
        load(std::nullopt);
        notifyReset();
        notifyCurrent();
    }
}

void Dataset::clearMaster() {
    if (!m_master)
        return;
    for (auto& c : m_masterConnections)
        disconnect(c);
    m_master = nullptr;
    m_masterFields.clear();
    m_detailFields.clear();
    m_masterKey.clear();
}

std::vector<QVariant> Dataset::masterValues() const {
    std::vector<QVariant> values;
    if (!m_master)
        return values;
    const Dataset* m = m_master->dataset();
    for (const QString& name : m_masterFields) {
        if (!m->isActive()) {
            values.emplace_back();
            continue;
        }
        if (const Field* f = m->findField(name)) {
            values.push_back(f->value());
            continue;
        }
        const int c = m->columnIndex(name);
        const int row = m->isEditing() ? -1 : m->currentStorageRow();
        values.push_back(c < 0 || (row < 0 && !m->isEditing()) ? QVariant()
                                                               : m->columnValue(row, c));
    }
    return values;
}

void Dataset::masterMoved() {
    if (!isActive() || !m_master)
        return;
    if (masterValues() == m_masterKey)
        return;
    if (isEditing())
        cancel();
    load(std::nullopt);
    notifyReset();
    notifyCurrent();
}

// ---------------------------------------------------------------- Dataset: bound controls

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

void Dataset::notifyReset() {
    if (m_disabled > 0)
        m_resetPending = true;
    else
        Q_EMIT reset();
}

void Dataset::notifyCurrent() {
    if (m_disabled > 0)
        m_currentPending = true;
    else
        Q_EMIT currentChanged();
}
