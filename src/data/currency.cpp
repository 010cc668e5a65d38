#include "currency.h"

#include "dataerror.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace {

using Wide = __int128;
constexpr Wide Max = std::numeric_limits<int64_t>::max();
constexpr Wide Min = std::numeric_limits<int64_t>::min();

// "###,##0.00" of any number of ten-thousandths, rounded half away from zero.
QString formatUnits(Wide units) {
    const bool negative = units < 0;
    const unsigned __int128 a = negative ? 0 - static_cast<unsigned __int128>(units)
                                         : static_cast<unsigned __int128>(units);
    unsigned __int128 cents = (a + 50) / 100;
    QString centsText = QString::number(uint(cents % 100)).rightJustified(2, u'0');
    unsigned __int128 whole = cents / 100;
    QString wholeText;
    do {
        wholeText.prepend(QChar(u'0' + int(whole % 10)));
        whole /= 10;
    } while (whole > 0);
    for (qsizetype i = wholeText.size() - 3; i > 0; i -= 3)
        wholeText.insert(i, u',');
    const QString s = wholeText + u'.' + centsText;
    return negative && cents != 0 ? u'-' + s : s;
}

QString withYuan(const QString& s) {
    return s.startsWith(u'-') ? QStringLiteral("-￥") + s.mid(1) : QStringLiteral("￥") + s;
}

Currency checked(Wide units, const QString& shown) {
    if (units > Max || units < Min)
        throw DataError(Currency::rangeMessage(shown));
    return Currency::fromUnits(int64_t(units));
}

} // namespace

QString Currency::rangeMessage(const QString& amount) {
    return QStringLiteral("金额 %1 超出范围，金额最多 15 位整数、4 位小数"
                          "（不超过 922,337,203,685,477.5807）。")
        .arg(amount);
}

Currency Currency::fromDouble(double value) {
    const double scaled = std::round(value * Scale);
    // 2^63 is the first double past the range; NaN fails both comparisons.
    if (!(scaled < 9223372036854775808.0 && scaled >= -9223372036854775808.0))
        throw DataError(rangeMessage(QString::number(value, 'f', 4)));
    return fromUnits(static_cast<int64_t>(scaled));
}

Currency Currency::operator+(Currency o) const {
    return checked(Wide(m_units) + o.m_units, formatUnits(Wide(m_units) + o.m_units));
}

Currency Currency::operator-(Currency o) const {
    return checked(Wide(m_units) - o.m_units, formatUnits(Wide(m_units) - o.m_units));
}

QString Currency::Sum::format() const {
    return formatUnits(m_units);
}

QString Currency::Sum::formatYuan() const {
    return withYuan(format());
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
    QString whole = m.captured(2);
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.size() > 15)
        return std::nullopt;
    QString frac = m.captured(3);
    // Digits past the fourth decimal round half away from zero.
    const bool roundUp = frac.size() > 4 && frac.at(4) >= u'5';
    frac = frac.left(4).leftJustified(4, u'0');
    Wide units = Wide(whole.toLongLong()) * Scale + frac.toLongLong() + (roundUp ? 1 : 0);
    if (m.captured(1) == QLatin1String("-"))
        units = -units;
    if (units > Max || units < Min)
        return std::nullopt;
    return fromUnits(int64_t(units));
}

QString Currency::toString() const {
    // unsigned, so that the smallest amount has a magnitude too
    const uint64_t a = m_units < 0 ? 0 - uint64_t(m_units) : uint64_t(m_units);
    QString s = QString::number(a / Scale);
    if (uint64_t f = a % Scale) {
        QString frac = QString::number(f).rightJustified(4, u'0');
        while (frac.endsWith(u'0'))
            frac.chop(1);
        s += u'.' + frac;
    }
    return m_units < 0 ? u'-' + s : s;
}

QString Currency::format() const {
    return formatUnits(m_units);
}

QString Currency::formatYuan() const {
    return withYuan(format());
}
