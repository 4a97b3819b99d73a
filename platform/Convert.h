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

// Why a file in folder could not be read, written or moved, as a sentence
// without its full stop: the common causes of the system's error number err,
// or the folder missing (asked of the disk: the system's error alone does not
// tell); empty for the rest. folderWord names the folder in the sentence.
QString FileErrorCause(int err, const QString& folder, const QString& folderWord);

QString IntToStr(int64_t n);
QString CurrToStr(Currency c);           // the general amount text
