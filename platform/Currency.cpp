#include "platform/Currency.h"
#include "platform/Convert.h"
#include "platform/Errors.h"

namespace {
[[noreturn]] void overflow() { throw EConvertError(QStringLiteral("金额超出范围")); }
}

Currency Currency::fromYuan(int64_t yuan)
{
    int64_t r;
    if (__builtin_mul_overflow(yuan, Scale, &r)) overflow();
    return fromRaw(r);
}

Currency Currency::operator+(Currency o) const
{
    int64_t r;
    if (__builtin_add_overflow(m_raw, o.m_raw, &r)) overflow();
    return fromRaw(r);
}

Currency Currency::operator-(Currency o) const
{
    int64_t r;
    if (__builtin_sub_overflow(m_raw, o.m_raw, &r)) overflow();
    return fromRaw(r);
}

Currency Currency::operator-() const { return Currency() - *this; }

Currency Currency::operator*(int64_t n) const
{
    int64_t r;
    if (__builtin_mul_overflow(m_raw, n, &r)) overflow();
    return fromRaw(r);
}

Currency Currency::roundedToYuanHalfEven() const
{
    int64_t q = m_raw / Scale, rem = m_raw % Scale;   // truncates toward zero
    int64_t absRem = rem < 0 ? -rem : rem;
    int sign = m_raw < 0 ? -1 : 1;
    if (absRem * 2 > Scale || (absRem * 2 == Scale && (q % 2 != 0)))
        q += sign;
    return fromYuan(q);
}

Currency Currency::roundedToCentsHalfUp() const
{
    const int64_t step = Scale / 100;
    int64_t q = m_raw / step, rem = m_raw % step;
    int64_t absRem = rem < 0 ? -rem : rem;
    if (absRem * 2 >= step) q += (m_raw < 0 ? -1 : 1);
    return fromRaw(q * step);
}

QString Currency::toString() const
{
    uint64_t a = m_raw < 0 ? uint64_t(0) - uint64_t(m_raw) : uint64_t(m_raw);
    QString s = QString::number(a / Scale);
    uint64_t frac = a % Scale;
    if (frac) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith(QLatin1Char('0'))) f.chop(1);
        s += QLatin1Char('.') + f;
    }
    return m_raw < 0 ? QLatin1Char('-') + s : s;
}
