#include "columnstore.h"

#include <algorithm>
#include <cstring>
#include <numeric>

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
    m_internUtf8.clear();
    m_loadTexts = 0;
    m_pooling = true;
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

void StoredColumn::appendStoredInteger(int64_t stored) {
    m_null.push_back(0);
    m_cells.push_back(m_type == FieldType::Boolean ? (stored != 0 ? 1 : 0) : stored);
}

void StoredColumn::appendStoredText(const char* utf8, qsizetype bytes) {
    if (m_type == FieldType::DateTime) {
        // Stored dates are ASCII: widened in place rather than decoded into a QString.
        char16_t wide[19];
        const bool ascii =
            bytes <= 19 && std::all_of(utf8, utf8 + bytes, [](char c) { return uchar(c) < 0x80; });
        std::copy(utf8, utf8 + (ascii ? bytes : 0), wide);
        const QDateTime dt = ascii ? FieldValues::parseStoredDate(QStringView(wide, bytes))
                                   : FieldValues::parseStoredDate(QString::fromUtf8(utf8, bytes));
        m_null.push_back(dt.isValid() ? 0 : 1);
        m_cells.push_back(dt.isValid() ? encodeDate(dt) : 0);
        return;
    }
    m_null.push_back(0);
    // A column whose texts hardly repeat (numbers, paths) gains nothing from pooling: once
    // that shows, its texts are kept as they come.
    if (m_pooling && ++m_loadTexts == 8192 && size_t(m_internUtf8.size()) * 2 > m_loadTexts) {
        m_pooling = false;
        m_internUtf8 = QHash<QByteArray, int64_t>();
    }
    if (!m_pooling) {
        m_pool.push_back(QString::fromUtf8(utf8, bytes));
        m_cells.push_back(int64_t(m_pool.size() - 1));
        return;
    }
    auto it = m_internUtf8.constFind(QByteArray::fromRawData(utf8, bytes));
    if (it == m_internUtf8.constEnd()) {
        m_pool.push_back(QString::fromUtf8(utf8, bytes));
        it = m_internUtf8.insert(QByteArray(utf8, bytes), int64_t(m_pool.size() - 1));
    }
    m_cells.push_back(it.value());
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

void StoredColumn::insert(size_t row, const QVariant& value) {
    m_null.insert(m_null.begin() + std::ptrdiff_t(row), 1);
    m_cells.insert(m_cells.begin() + std::ptrdiff_t(row), 0);
    set(row, value);
}

bool StoredColumn::sameAs(size_t row, const StoredColumn& other, size_t otherRow) const {
    if (m_null[row] || other.m_null[otherRow])
        return m_null[row] == other.m_null[otherRow];
    if (isText(m_type))
        return m_pool[size_t(m_cells[row])] == other.m_pool[size_t(other.m_cells[otherRow])];
    return m_cells[row] == other.m_cells[otherRow];
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

void StoredColumn::sortRows(std::vector<int>& rows) const {
    if (const std::vector<uint32_t> keys = sortKeys(); !keys.empty())
        std::stable_sort(rows.begin(), rows.end(),
                         [&keys](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    else
        std::stable_sort(rows.begin(), rows.end(),
                         [this](int a, int b) { return compare(size_t(a), size_t(b)) < 0; });
}

std::vector<uint32_t> StoredColumn::sortKeys() const {
    if (!isText(m_type))
        return {};
    auto less = [this](uint32_t x, uint32_t y) {
        const QString& s = m_pool[x];
        const QString& t = m_pool[y];
        const int c = s.compare(t, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : s.compare(t) < 0;
    };
    std::vector<uint32_t> order(m_pool.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), less);
    // Equal texts share a rank; 0 stands for null, which sorts first.
    std::vector<uint32_t> rank(m_pool.size());
    uint32_t r = 1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && less(order[i - 1], order[i]))
            ++r;
        rank[order[i]] = r;
    }
    std::vector<uint32_t> keys(m_cells.size());
    for (size_t row = 0; row < m_cells.size(); ++row)
        keys[row] = m_null[row] ? 0 : rank[size_t(m_cells[row])];
    return keys;
}
