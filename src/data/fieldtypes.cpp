#include "fieldtypes.h"

#include <QRegularExpression>

#include "dataerror.h"

namespace {

int digits(QStringView s, int from, int count, bool& ok) {
    int v = 0;
    for (int i = from; i < from + count; ++i) {
        const QChar c = s.at(i);
        if (c < u'0' || c > u'9') {
            ok = false;
            return 0;
        }
        v = v * 10 + (c.unicode() - u'0');
    }
    return v;
}

[[noreturn]] void refuseText(const QString& text, const QString& fieldName) {
    throw DataError(QStringLiteral("“%1”不是字段“%2”的有效值。").arg(text, fieldName));
}

// An amount as typed or as the program shows it: digits, either plain or grouped by threes
// with commas ("46,600.00"), a sign and a yuan sign in front. More decimals than the store
// keeps are refused rather than rounded away.
Currency parseMoneyText(const QString& t, const QString& text, const QString& fieldName) {
    static const QRegularExpression amount(
        QStringLiteral("^[+-]?[￥¥]?(?:[0-9]{1,3}(?:,[0-9]{3})+|[0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch m = amount.match(t);
    if (!m.hasMatch())
        refuseText(text, fieldName);
    if (m.captured(1).size() > 4)
        throw DataError(QStringLiteral("“%1”的小数超过 4 位：字段“%2”最多保留 4 位小数。")
                            .arg(text, fieldName));
    if (auto c = Currency::parse(t))
        return *c;
    if (t.contains(QRegularExpression(QStringLiteral("[0-9]"))))
        throw DataError(Currency::rangeMessage(t)); // a number, only too large for money
    refuseText(text, fieldName);
}

QVariant parseNumberText(FieldType type, const QString& text, const QString& fieldName) {
    const QString t = text.trimmed();
    bool ok = false;
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc: {
        const int v = t.toInt(&ok);
        if (ok)
            return v;
        break;
    }
    case FieldType::Float: {
        const double v = t.toDouble(&ok);
        if (ok)
            return v;
        break;
    }
    case FieldType::Currency:
        return QVariant::fromValue(parseMoneyText(t, text, fieldName));
    default:
        break;
    }
    refuseText(text, fieldName);
}

} // namespace

namespace FieldValues {

QDateTime makeDateTime(QDate date, QTime time) {
    return QDateTime(date, time, Qt::UTC);
}

QDateTime toDateTime(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return makeDateTime(value.toDate());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return makeDateTime(dt.date(), dt.time());
    }
    case QMetaType::QString:
        return parseStoredDate(value.toString().trimmed());
    default:
        return {};
    }
}

QDateTime parseStoredDate(QStringView s) {
    bool ok = true;
    if (s.size() != 10 && s.size() != 19)
        return {};
    if (s.at(4) != u'-' || s.at(7) != u'-')
        return {};
    const QDate date(digits(s, 0, 4, ok), digits(s, 5, 2, ok), digits(s, 8, 2, ok));
    QTime time(0, 0);
    if (s.size() == 19) {
        if (s.at(13) != u':' || s.at(16) != u':')
            return {};
        time = QTime(digits(s, 11, 2, ok), digits(s, 14, 2, ok), digits(s, 17, 2, ok));
    }
    if (!ok || !date.isValid() || !time.isValid())
        return {};
    return makeDateTime(date, time);
}

QString storedDate(const QDateTime& value) {
    const QTime t = value.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return value.date().toString(Qt::ISODate);
    return value.date().toString(Qt::ISODate) + u' ' + t.toString(QStringLiteral("HH:mm:ss"));
}

QVariant normalize(FieldType type, const QVariant& value, const QString& fieldName) {
    if (value.isNull() || !value.isValid())
        return {};
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty())
        return {};
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return value.toString();
    case FieldType::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed().toLower();
            return t == QLatin1String("true") || t == QLatin1String("1") ||
                   t == QLatin1String("yes");
        }
        return value.toBool();
    case FieldType::DateTime: {
        const QDateTime dt = toDateTime(value);
        if (!dt.isValid())
            throw DataError(QStringLiteral("“%1”不是有效的日期。").arg(value.toString()));
        return dt;
    }
    case FieldType::Currency:
        if (value.canConvert<Currency>() && value.userType() == qMetaTypeId<Currency>())
            return value;
        if (value.typeId() == QMetaType::QString)
            return parseNumberText(type, value.toString(), fieldName);
        if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
            return QVariant::fromValue(Currency::fromDouble(value.toDouble()));
        return QVariant::fromValue(Currency::fromUnits(value.toLongLong() * Currency::Scale));
    case FieldType::Float:
        if (value.typeId() == QMetaType::QString)
            return parseNumberText(type, value.toString(), fieldName);
        if (value.userType() == qMetaTypeId<Currency>())
            return value.value<Currency>().toDouble();
        return value.toDouble();
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (value.typeId() == QMetaType::QString)
            return parseNumberText(type, value.toString(), fieldName);
        return value.toInt();
    }
    return value;
}

QVariant toStore(FieldType type, const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return {};
    switch (type) {
    case FieldType::Currency:
        return qlonglong(value.value<Currency>().units());
    case FieldType::DateTime:
        return storedDate(value.toDateTime());
    case FieldType::Boolean:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

QVariant fromStore(FieldType type, const QVariant& stored) {
    if (stored.isNull())
        return {};
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return stored.toString();
    case FieldType::Integer:
    case FieldType::AutoInc:
        return stored.toInt();
    case FieldType::Currency:
        return QVariant::fromValue(Currency::fromUnits(stored.toLongLong()));
    case FieldType::Float:
        return stored.toDouble();
    case FieldType::DateTime: {
        if (stored.typeId() == QMetaType::QDateTime) // a server's timestamp column
            return toDateTime(stored);
        const QDateTime dt = parseStoredDate(stored.toString());
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    case FieldType::Boolean:
        return stored.toLongLong() != 0;
    }
    return stored;
}

QString displayText(FieldType type, const QVariant& value) {
    // a yes/no cell never set reads as its unticked box shows it
    if (type == FieldType::Boolean)
        return value.toBool() ? QStringLiteral("是") : QStringLiteral("否");
    if (value.isNull() || !value.isValid())
        return {};
    switch (type) {
    case FieldType::Currency:
        return value.value<Currency>().format();
    case FieldType::DateTime: {
        const QDateTime dt = value.toDateTime();
        const QTime t = dt.time();
        if (t == QTime(0, 0))
            return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return asText(type, value);
    }
}

QString asText(FieldType type, const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return {};
    switch (type) {
    case FieldType::Currency:
        return value.value<Currency>().toString();
    case FieldType::DateTime:
        return displayText(type, value);
    case FieldType::Boolean:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return value.toString();
    }
}

} // namespace FieldValues
