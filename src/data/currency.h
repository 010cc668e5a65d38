#pragma once
// Money as an exact count of ten-thousandths of the unit, the way the register stores it: 19
// significant digits, four of them decimals (at most 922,337,203,685,477.5807 either way).
// Nothing overflows silently: conversions and arithmetic out of that range throw DataError,
// and sums of many amounts are kept in Currency::Sum, which is exact far beyond it.
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
    // Rounds half away from zero to four decimals, as a fixed-point conversion does; throws
    // DataError for a value out of range.
    static Currency fromDouble(double value);
    // Accepts "1234.5", "-0.25", "1,234.50", "￥1,234.50"; nullopt for anything else, an
    // amount out of range included.
    static std::optional<Currency> parse(const QString& text);
    // The message for an amount out of range.
    static QString rangeMessage(const QString& amount);

    constexpr int64_t units() const { return m_units; }
    double toDouble() const { return double(m_units) / Scale; }

    // Plain text with up to four decimals and no trailing zeros ("1234.567", "0").
    QString toString() const;
    // "###,##0.00": thousands separated, two decimals rounded half away from zero.
    QString format() const;
    // "￥###,##0.00".
    QString formatYuan() const;

    Currency operator+(Currency o) const;
    Currency operator-(Currency o) const;
    Currency& operator+=(Currency o) { return *this = *this + o; }
    constexpr auto operator<=>(const Currency&) const = default;

    // A total of any number of amounts, exact.
    class Sum {
    public:
        Sum& operator+=(Currency c) {
            m_units += c.units();
            return *this;
        }
        Sum& operator+=(const Sum& o) {
            m_units += o.m_units;
            return *this;
        }
        Sum& operator-=(Currency c) {
            m_units -= c.units();
            return *this;
        }
        Sum& operator-=(const Sum& o) {
            m_units -= o.m_units;
            return *this;
        }
        bool operator==(const Sum& o) const { return m_units == o.m_units; }
        bool operator<(const Sum& o) const { return m_units < o.m_units; }
        Sum operator-(const Sum& o) const {
            Sum d = *this;
            d -= o;
            return d;
        }
        // "###,##0.00" and "￥###,##0.00", as for one amount.
        QString format() const;
        QString formatYuan() const;
        // The total with its four decimals, for comparisons and further sums.
        __int128 units() const { return m_units; }
        double toDouble() const { return double(m_units) / Scale; }

    private:
        __int128 m_units = 0;
    };

private:
    int64_t m_units = 0;
};

Q_DECLARE_METATYPE(Currency)
