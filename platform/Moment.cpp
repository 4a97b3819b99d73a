#include "platform/Moment.h"
#include <QRegularExpression>
#include <cmath>

namespace {
const qint64 kEpochJd = QDate(1899, 12, 30).toJulianDay();
std::function<QDateTime()>& clockHook()
{
    static std::function<QDateTime()> h;
    return h;
}
}

double DateToDays(const QDate& d) { return double(d.toJulianDay() - kEpochJd); }

double DateTimeToDays(const QDateTime& dt)
{
    return DateToDays(dt.date()) + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime DaysToDateTime(double days)
{
    // Whole milliseconds from the epoch, so 0.9999999 of a day becomes midnight of the next.
    const qint64 ms = qint64(std::llround(days * 86400000.0));
    qint64 d = ms / 86400000, rest = ms % 86400000;
    if (rest < 0) { rest += 86400000; --d; }
    return CombineDateTime(QDate::fromJulianDay(kEpochJd + d), QTime::fromMSecsSinceStartOfDay(int(rest)));
}

QDateTime NowMoment()
{
    if (clockHook()) return clockHook()();
    QDateTime n = QDateTime::currentDateTime();
    // Whole milliseconds only, as the stored form keeps them.
    return CombineDateTime(n.date(), n.time());
}

void SetClockHook(std::function<QDateTime()> hook) { clockHook() = std::move(hook); }

QString DateToStr(const QDate& d) { return d.toString(QStringLiteral("yyyy/M/d")); }
QString TimeToStr(const QTime& t) { return t.toString(QStringLiteral("H:mm:ss")); }

QString DateTimeToStr(const QDateTime& dt)
{
    if (dt.time() == QTime(0, 0)) return DateToStr(dt.date());
    return DateToStr(dt.date()) + QLatin1Char(' ') + TimeToStr(dt.time());
}

std::optional<QDateTime> ParseMoment(const QString& text)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(\\d{4})[/-](\\d{1,2})[/-](\\d{1,2})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    auto m = re.match(text);
    if (!m.hasMatch()) return std::nullopt;
    QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!d.isValid()) return std::nullopt;
    QTime t(0, 0);
    if (!m.captured(4).isEmpty()) {
        t = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
        if (!t.isValid()) return std::nullopt;
    }
    return CombineDateTime(d, t);
}

QDateTime CombineDateTime(const QDate& d, const QTime& t)
{
    // Wall-clock values only: kept in a zone without daylight saving, so that
    // every date and time of day exists and differences are plain.
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(t.msecsSinceStartOfDay()), Qt::UTC);
}
