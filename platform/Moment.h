#pragma once
// Moments as the database keeps them: days since 1899-12-30 (local wall-clock
// time), the fraction being the time of day. One converter serves every read
// and write. The regional formats are fixed: short date "yyyy/M/d", long time
// "H:mm:ss".
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <functional>
#include <optional>

double DateTimeToDays(const QDateTime& dt);
double DateToDays(const QDate& d);
QDateTime DaysToDateTime(double days);       // rounded to the millisecond

// The present local moment; tests may replace the clock.
QDateTime NowMoment();
void SetClockHook(std::function<QDateTime()> hook);   // empty restores the real clock

QString DateToStr(const QDate& d);           // "2026/5/1"
QString TimeToStr(const QTime& t);           // "9:05:00"
QString DateTimeToStr(const QDateTime& dt);  // date, a blank, time; time left out at midnight

// Parses what CDate accepts: a date in short form (or yyyy-M-d), optionally a
// blank and a time "H:mm" or "H:mm:ss".
std::optional<QDateTime> ParseMoment(const QString& text);

// A moment made of the date of one value and the time of day of another.
QDateTime CombineDateTime(const QDate& d, const QTime& t);
