#pragma once
// Field types and the conversions between the store, memory and QVariant.
#include "currency.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

enum class FieldType { String, Memo, Integer, AutoInc, Currency, Float, DateTime, Boolean };

namespace FieldValues {

// Dates carry no time zone: wall-clock values kept in a UTC-specified QDateTime so that day
// arithmetic never meets a daylight-saving jump.
QDateTime makeDateTime(QDate date, QTime time = QTime(0, 0));
QDateTime toDateTime(const QVariant& value);

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"; an invalid QDateTime for anything else.
QDateTime parseStoredDate(QStringView text);
QString storedDate(const QDateTime& value);

// Converts any accepted input (text, numbers, dates, Currency) into the canonical QVariant of
// the type; a null QVariant for empty input; throws DataError for text that cannot convert.
QVariant normalize(FieldType type, const QVariant& value, const QString& fieldName);
// What goes into the store for a canonical value (NULL for null).
QVariant toStore(FieldType type, const QVariant& value);
// Reads a store value into the canonical QVariant of the type.
QVariant fromStore(FieldType type, const QVariant& stored);

// Display text: money with two decimals, dates in the short form, booleans as True/False.
QString displayText(FieldType type, const QVariant& value);
// Plain text as a field reads it: an empty field gives "".
QString asText(FieldType type, const QVariant& value);

} // namespace FieldValues
