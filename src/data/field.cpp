// Reading a row's values: fields and records give typed access; stored, looked-up, calculated
// and on-demand values come from the dataset.
#include "dataset.h"

namespace {

Currency currencyOf(const QVariant& v) {
    if (v.isNull())
        return {};
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>();
    return Currency::fromDouble(v.toDouble());
}

double floatOf(const QVariant& v) {
    if (v.userType() == qMetaTypeId<Currency>())
        return v.value<Currency>().toDouble();
    return v.toDouble();
}

} // namespace

// ---------------------------------------------------------------- Record

QVariant Record::value(const QString& name) const {
    if (const Field* f = m_dataset.findField(name))
        return m_dataset.rowValue(m_row, f);
    const int c = m_dataset.columnIndex(name);
    if (c < 0)
        throw DataError(QStringLiteral("%1：找不到字段“%2”").arg(m_dataset.name(), name));
    return m_dataset.columnValue(m_row, c);
}

double Record::asFloat(const QString& name) const {
    return floatOf(value(name));
}

Currency Record::asCurrency(const QString& name) const {
    return currencyOf(value(name));
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
    return floatOf(value());
}

Currency Field::asCurrency() const {
    return currencyOf(value());
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

// ---------------------------------------------------------------- Dataset: values of rows

QVariant Dataset::valueAt(int position, const Field* field) const {
    if ((m_state == DatasetState::Edit && position == m_pos) ||
        (m_state == DatasetState::Insert && position == recordCount()))
        return rowValue(-1, field);
    return rowValue(m_view[size_t(position)], field);
}

QVariant Dataset::columnValue(int storageRow, int column) const {
    if (storageRow < 0)
        return m_edit.column(size_t(column));
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
    const size_t index = size_t(fieldIndex(field));
    if (storageRow < 0) {
        if (m_edit.fieldKnown(index))
            return m_edit.field(index);
        storageRow = m_edit.row();
        if (storageRow < 0)
            return {};
    }
    return m_memo.value(keyValueAt(storageRow), int(index), field->name(), field->type());
}
