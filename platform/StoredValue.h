#pragma once
// How values are kept in the database file, in one place for the connection
// and the datasets: amounts as INTEGER ten-thousandths, moments as REAL days
// since 1899-12-30, flags as 0/1, text as text.
#include "platform/Currency.h"
#include <QDateTime>
#include <QVariant>

enum class FieldType { String, Integer, Currency, DateTime, Float, Boolean };

// The field type a declared column type stands for ("CURRENCY", "DATETIME"...).
FieldType FieldTypeFromDecl(const char* decl);

// A value in its stored form (qint64, double, QString or null) by the value's
// own type: Currency, QDateTime, QDate, bool, numbers, anything else as text.
QVariant ToStored(const QVariant& v);
// A user value in the stored form of a field type; text that does not convert
// throws EConvertError.
QVariant ToStored(const QVariant& v, FieldType type);

// The amount a stored value holds (null gives 0); a number past what money
// holds (another tool's) throws EConvertError instead of wrapping.
Currency StoredCurrency(const QVariant& v);
// Whether a stored number is one money can hold, and the same test in SQL
// (true only for such numbers: null, text and blobs fail it).
bool StoredNumberFitsMoney(double v);
QString SqlFitsMoney(const QString& column);
// The moment a stored value holds: day numbers, or text that reads as a
// moment (another tool may have written one); invalid for null and other text.
QDateTime StoredMoment(const QVariant& v);
