// The dataset's definition (source, fields, columns), the checks its operations share, and the
// notices to bound views.
#include "dataset.h"

#include <algorithm>
#include <utility>

namespace {

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

} // namespace

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
