#pragma once
// Fixed-point money: ten-thousandths of a yuan in a 64-bit integer, the way the
// database stores currency. No double ever takes part in money arithmetic.
#include <QMetaType>
#include <QString>
#include <cstdint>

class Currency {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Currency() = default;
    static constexpr Currency fromRaw(int64_t raw) { Currency c; c.m_raw = raw; return c; }
    static Currency fromYuan(int64_t yuan);   // throws EConvertError on overflow

    constexpr int64_t raw() const { return m_raw; }

    Currency operator+(Currency o) const;     // throw on overflow
    Currency operator-(Currency o) const;
    Currency operator-() const;
    Currency& operator+=(Currency o) { return *this = *this + o; }
    Currency& operator-=(Currency o) { return *this = *this - o; }
    Currency operator*(int64_t n) const;      // exact; throws on overflow
    auto operator<=>(const Currency&) const = default;

    // Whole yuan, a value exactly halfway going to the even neighbour.
    Currency roundedToYuanHalfEven() const;
    // Two decimals, halfway away from zero.
    Currency roundedToCentsHalfUp() const;

    // General decimal text: no thousands separators, as many decimals as needed
    // up to four ("450", "29.6", "0", "-3.25").
    QString toString() const;
    double toDouble() const { return double(m_raw) / Scale; }

private:
    int64_t m_raw = 0;
};

Q_DECLARE_METATYPE(Currency)
