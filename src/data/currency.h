#pragma once
// Money as an exact count of ten-thousandths of the unit, the way the register stores it.
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <optional>

class Currency {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromUnits(int64_t tenThousandths) {
        Currency c;
        c.m_units = tenThousandths;
        return c;
    }
    // Rounds half away from zero to four decimals, as a fixed-point conversion does.
    static Currency fromDouble(double value);
    // Accepts "1234.5", "-0.25", "1,234.50", "￥1,234.50"; nullopt for anything else.
    static std::optional<Currency> parse(const QString& text);

    constexpr int64_t units() const { return m_units; }
    double toDouble() const { return double(m_units) / Scale; }

    // Plain text with up to four decimals and no trailing zeros ("1234.567", "0").
    QString toString() const;
    // "###,##0.00": thousands separated, two decimals rounded half away from zero.
    QString format() const;
    // "￥###,##0.00".
    QString formatYuan() const;

    constexpr Currency operator+(Currency o) const { return fromUnits(m_units + o.m_units); }
    constexpr Currency operator-(Currency o) const { return fromUnits(m_units - o.m_units); }
    Currency& operator+=(Currency o) {
        m_units += o.m_units;
        return *this;
    }
    constexpr auto operator<=>(const Currency&) const = default;

private:
    int64_t m_units = 0;
};

Q_DECLARE_METATYPE(Currency)
