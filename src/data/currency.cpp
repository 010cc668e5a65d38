#include "currency.h"

#include <QRegularExpression>
#include <cmath>

Currency Currency::fromDouble(double value) {
    return fromUnits(static_cast<int64_t>(std::llround(value * Scale)));
}

std::optional<Currency> Currency::parse(const QString& text) {
    QString t = text.trimmed();
    t.remove(QChar(u'￥'));
    t.remove(QChar(u'¥'));
    t.remove(QChar(u','));
    t = t.trimmed();
    static const QRegularExpression re(QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?$"));
    const auto m = re.match(t);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return std::nullopt;
    const QString whole = m.captured(2).isEmpty() ? QStringLiteral("0") : m.captured(2);
    QString frac = m.captured(3);
    if (whole.size() > 14)
        return std::nullopt;
    // Digits past the fourth decimal round half away from zero.
    bool roundUp = frac.size() > 4 && frac.at(4) >= u'5';
    frac = frac.left(4).leftJustified(4, u'0');
    int64_t units = whole.toLongLong() * Scale + frac.toLongLong() + (roundUp ? 1 : 0);
    if (m.captured(1) == QLatin1String("-"))
        units = -units;
    return fromUnits(units);
}

QString Currency::toString() const {
    const int64_t a = m_units < 0 ? -m_units : m_units;
    QString s = QString::number(a / Scale);
    if (int64_t f = a % Scale) {
        QString frac = QString::number(f).rightJustified(4, u'0');
        while (frac.endsWith(u'0'))
            frac.chop(1);
        s += u'.' + frac;
    }
    return m_units < 0 ? u'-' + s : s;
}

QString Currency::format() const {
    const bool negative = m_units < 0;
    const int64_t a = negative ? -m_units : m_units;
    const int64_t cents = (a + 50) / 100;
    QString whole = QString::number(cents / 100);
    for (int i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, u',');
    const QString s = whole + u'.' + QString::number(cents % 100).rightJustified(2, u'0');
    return negative && cents != 0 ? u'-' + s : s;
}

QString Currency::formatYuan() const {
    const QString s = format();
    return s.startsWith(u'-') ? QStringLiteral("-￥") + s.mid(1) : QStringLiteral("￥") + s;
}
