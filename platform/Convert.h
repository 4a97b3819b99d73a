#pragma once
// Text to number conversions that either succeed or throw EConvertError with a
// message in the program's own words; never a silent 0.
#include "platform/Currency.h"
#include <QString>
#include <cstdint>

int StrToInt(const QString& s);          // 32-bit
int64_t StrToInt64(const QString& s);
Currency StrToCurr(const QString& s);    // more than four decimals are rounded half up
double StrToFloat(const QString& s);

// The same, but empty text gives the fallback instead of an error.
int StrToIntDef(const QString& s, int fallback);

QString IntToStr(int64_t n);
QString CurrToStr(Currency c);           // the general amount text
