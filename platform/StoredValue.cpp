#include "platform/StoredValue.h"
#include "platform/Convert.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <QDateTime>
#include <cmath>

FieldType FieldTypeFromDecl(const char* decl)
{
    const QString d = QString::fromLatin1(decl).toUpper();
    if (d.contains(QLatin1String("CURRENCY")) || d.contains(QLatin1String("MONEY"))) return FieldType::Currency;
    if (d.contains(QLatin1String("DATE")) || d.contains(QLatin1String("TIME"))) return FieldType::DateTime;
    if (d.contains(QLatin1String("BOOL")) || d.contains(QLatin1String("YESNO")) || d == QLatin1String("BIT")) return FieldType::Boolean;
    if (d.contains(QLatin1String("INT")) || d.contains(QLatin1String("COUNTER"))) return FieldType::Integer;
    if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("FLOA")) || d.contains(QLatin1String("DOUB"))) return FieldType::Float;
    return FieldType::String;
}

QVariant ToStored(const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return QVariant();
    const int t = v.userType();
    if (t == qMetaTypeId<Currency>()) return QVariant(qint64(v.value<Currency>().raw()));
    switch (t) {
    case QMetaType::QDateTime: return QVariant(DateTimeToDays(v.toDateTime()));
    case QMetaType::QDate: return QVariant(DateToDays(v.toDate()));
    case QMetaType::Bool: return QVariant(qint64(v.toBool() ? 1 : 0));
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Long: case QMetaType::Short:
        return QVariant(qint64(v.toLongLong()));
    case QMetaType::Double: case QMetaType::Float:
        return QVariant(v.toDouble());
    default:
        return QVariant(v.toString());
    }
}

QVariant ToStored(const QVariant& v, FieldType type)
{
    if (!v.isValid() || v.isNull()) return QVariant();
    const int t = v.userType();
    switch (type) {
    case FieldType::String:
        return QVariant(v.toString());
    case FieldType::Integer:
        if (t == QMetaType::QString) return QVariant(qint64(StrToInt64(v.toString())));
        if (t == QMetaType::Bool) return QVariant(qint64(v.toBool() ? 1 : 0));
        return QVariant(qint64(v.toLongLong()));
    case FieldType::Currency:
        if (t == qMetaTypeId<Currency>()) return QVariant(qint64(v.value<Currency>().raw()));
        if (t == QMetaType::QString) return QVariant(qint64(StrToCurr(v.toString()).raw()));
        if (t == QMetaType::Double || t == QMetaType::Float) return QVariant(qint64(std::llround(v.toDouble() * Currency::Scale)));
        return QVariant(qint64(Currency::fromYuan(v.toLongLong()).raw()));
    case FieldType::DateTime:
        if (t == QMetaType::QString) {
            auto m = ParseMoment(v.toString());
            if (!m) throw EConvertError(QStringLiteral("“%1”不是有效的日期").arg(v.toString()));
            return QVariant(DateTimeToDays(*m));
        }
        if (t == QMetaType::QDateTime || t == QMetaType::QDate) return ToStored(v);
        return QVariant(v.toDouble());
    case FieldType::Float:
        if (t == QMetaType::QString) return QVariant(StrToFloat(v.toString()));
        return QVariant(v.toDouble());
    case FieldType::Boolean:
        if (t == QMetaType::QString) {
            const QString s = v.toString().trimmed().toLower();
            return QVariant(qint64(s == QLatin1String("true") || s == QLatin1String("1") || s == QLatin1String("-1") ? 1 : 0));
        }
        return QVariant(qint64(v.toLongLong() != 0 ? 1 : 0));
    }
    return ToStored(v);
}

bool StoredNumberFitsMoney(double v)
{
    // -2^63 up to, not including, 2^63: the ten-thousandths a 64-bit integer holds.
    return v >= -9223372036854775808.0 && v < 9223372036854775808.0;
}

QString SqlFitsMoney(const QString& column)
{
    return QStringLiteral("(%1 between -9223372036854775808 and 9223372036854775807)").arg(column);
}

Currency StoredCurrency(const QVariant& v)
{
    if (v.isNull()) return Currency();
    if (v.userType() == QMetaType::Double) {
        if (!StoredNumberFitsMoney(v.toDouble()))
            throw EConvertError(QStringLiteral("“%1”超出金额的范围").arg(QString::number(v.toDouble(), 'g', 15)));
        return Currency::fromRaw(std::llround(v.toDouble()));
    }
    if (v.userType() == QMetaType::QString) return StrToCurr(v.toString());
    return Currency::fromRaw(v.toLongLong());
}

QDateTime StoredMoment(const QVariant& v)
{
    if (v.isNull()) return {};
    if (v.userType() != QMetaType::QString) return DaysToDateTime(v.toDouble());
    const auto m = ParseMoment(v.toString());
    return m ? *m : QDateTime();
}
