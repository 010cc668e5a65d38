#include "rowfilter.h"

#include "currency.h"
#include "dataerror.h"

#include <QRegularExpression>

RowFilter RowFilter::parse(const QString& text, const QString& datasetName) {
    RowFilter f;
    if (text.trimmed().isEmpty())
        return f;
    static const QRegularExpression re(
        QStringLiteral("^\\s*(.+?)\\s*(<=|>=|<>|=|<|>)\\s*(.+?)\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        throw DataError(QStringLiteral("%1：过滤条件“%2”无效").arg(datasetName, text));
    f.m_column = m.captured(1);
    f.m_op = m.captured(2);
    const QString k = m.captured(3);
    bool isNumber = false;
    const double d = k.toDouble(&isNumber);
    if (k.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        f.m_constant = true;
    else if (k.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        f.m_constant = false;
    else if (isNumber)
        f.m_constant = d;
    else
        f.m_constant =
            k.startsWith(u'\'') && k.endsWith(u'\'') && k.size() >= 2 ? k.mid(1, k.size() - 2) : k;
    return f;
}

int RowFilter::compare(const QVariant& v) const {
    const QVariant& k = m_constant;
    if (k.typeId() == QMetaType::Bool)
        return int(v.toBool()) - int(k.toBool());
    if (k.typeId() == QMetaType::Double) {
        const double d =
            v.userType() == qMetaTypeId<Currency>() ? v.value<Currency>().toDouble() : v.toDouble();
        return d < k.toDouble() ? -1 : (d > k.toDouble() ? 1 : 0);
    }
    return v.toString().compare(k.toString(), Qt::CaseInsensitive);
}

bool RowFilter::accepts(const QVariant& value) const {
    if (isEmpty())
        return true;
    if (value.isNull())
        return false;
    const int c = compare(value);
    if (m_op == QLatin1String("="))
        return c == 0;
    if (m_op == QLatin1String("<>"))
        return c != 0;
    if (m_op == QLatin1String("<"))
        return c < 0;
    if (m_op == QLatin1String(">"))
        return c > 0;
    if (m_op == QLatin1String("<="))
        return c <= 0;
    return c >= 0;
}
