#include "columnstore.h"

#include <cstring>

namespace {

constexpr int64_t MsPerDay = 86400000;

int64_t encodeDate(const QDateTime& dt) {
    return dt.date().toJulianDay() * MsPerDay + dt.time().msecsSinceStartOfDay();
}

QDateTime decodeDate(int64_t cell) {
    const int64_t day = cell / MsPerDay;
    return FieldValues::makeDateTime(QDate::fromJulianDay(day),
                                     QTime::fromMSecsSinceStartOfDay(int(cell - day * MsPerDay)));
}

bool isText(FieldType t) {
    return t == FieldType::String || t == FieldType::Memo;
}

} // namespace

void StoredColumn::reserve(size_t rows) {
    m_cells.reserve(rows);
    m_null.reserve(rows);
}

void StoredColumn::clear() {
    m_cells.clear();
    m_null.clear();
    m_pool.clear();
    m_intern.clear();
}

int64_t StoredColumn::internText(const QString& text) {
    auto it = m_intern.constFind(text);
    if (it != m_intern.constEnd())
        return it.value();
    m_pool.push_back(text);
    const int64_t index = int64_t(m_pool.size() - 1);
    m_intern.insert(text, index);
    return index;
}

int64_t StoredColumn::encode(const QVariant& v) {
    switch (m_type) {
    case FieldType::String:
    case FieldType::Memo:
        return internText(v.toString());
    case FieldType::Integer:
    case FieldType::AutoInc:
        return v.toLongLong();
    case FieldType::Boolean:
        return v.toBool() ? 1 : 0;
    case FieldType::Currency:
        return v.value<Currency>().units();
    case FieldType::Float: {
        const double d = v.toDouble();
        int64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        return bits;
    }
    case FieldType::DateTime:
        return encodeDate(v.toDateTime());
    }
    return 0;
}

void StoredColumn::append(const QVariant& value) {
    const bool null = value.isNull() || !value.isValid();
    m_null.push_back(null ? 1 : 0);
    m_cells.push_back(null ? 0 : encode(value));
}

void StoredColumn::appendStored(const QVariant& stored) {
    if (stored.isNull()) {
        m_null.push_back(1);
        m_cells.push_back(0);
        return;
    }
    switch (m_type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
    case FieldType::Currency:
        m_null.push_back(0);
        m_cells.push_back(stored.toLongLong());
        return;
    case FieldType::Boolean:
        m_null.push_back(0);
        m_cells.push_back(stored.toLongLong() != 0 ? 1 : 0);
        return;
    default:
        append(FieldValues::fromStore(m_type, stored));
    }
}

void StoredColumn::set(size_t row, const QVariant& value) {
    const bool null = value.isNull() || !value.isValid();
    m_null[row] = null ? 1 : 0;
    if (!null && isText(m_type)) {
        // Rows written after the load keep their own text: no interning table any more.
        m_pool.push_back(value.toString());
        m_cells[row] = int64_t(m_pool.size() - 1);
        return;
    }
    m_cells[row] = null ? 0 : encode(value);
}

void StoredColumn::erase(size_t row) {
    m_cells.erase(m_cells.begin() + std::ptrdiff_t(row));
    m_null.erase(m_null.begin() + std::ptrdiff_t(row));
}

QVariant StoredColumn::get(size_t row) const {
    if (m_null[row])
        return {};
    const int64_t c = m_cells[row];
    switch (m_type) {
    case FieldType::String:
    case FieldType::Memo:
        return m_pool[size_t(c)];
    case FieldType::Integer:
    case FieldType::AutoInc:
        return int(c);
    case FieldType::Boolean:
        return c != 0;
    case FieldType::Currency:
        return QVariant::fromValue(Currency::fromUnits(c));
    case FieldType::Float: {
        double d;
        std::memcpy(&d, &c, sizeof d);
        return d;
    }
    case FieldType::DateTime:
        return decodeDate(c);
    }
    return {};
}

int StoredColumn::compare(size_t a, size_t b) const {
    if (m_null[a] || m_null[b])
        return int(m_null[b]) - int(m_null[a]);
    const int64_t x = m_cells[a], y = m_cells[b];
    if (isText(m_type)) {
        const QString& s = m_pool[size_t(x)];
        const QString& t = m_pool[size_t(y)];
        const int c = s.compare(t, Qt::CaseInsensitive);
        return c != 0 ? c : s.compare(t);
    }
    if (m_type == FieldType::Float) {
        double d, e;
        std::memcpy(&d, &x, sizeof d);
        std::memcpy(&e, &y, sizeof e);
        return d < e ? -1 : (d > e ? 1 : 0);
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}
