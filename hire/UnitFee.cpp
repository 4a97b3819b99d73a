#include "hire/UnitFee.h"
#include "common/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Errors.h"
#include "platform/App.h"
#include "platform/KeyFilters.h"
#include "platform/Look.h"
#include "platform/Pickers.h"
#include <QLineEdit>
#include <limits>

namespace {
constexpr int64_t kDay = 86400;
constexpr int64_t kHour = 3600;
constexpr int64_t kMonth = 31 * kDay;
const int64_t kEpochJd = QDate(1899, 12, 30).toJulianDay();

QVariant fieldValue(TDataSet& ds, const QString& name)
{
    if (!ds.active() || ds.isEmpty() || ds.fieldIndex(name) < 0) return {};
    return ds.fieldByName(name).value();
}
}

int64_t MomentSeconds(const QDateTime& m)
{
    if (!m.isValid()) return 0;
    return (m.date().toJulianDay() - kEpochJd) * kDay + m.time().msecsSinceStartOfDay() / 1000;
}

QString FeeUnitWord(const QString& leasoTypeStr)
{
    const PricingUnit* u = PricingUnitByText(leasoTypeStr);
    return u ? u->unitWord : QString();
}

int64_t ChargedUnits(int64_t elapsedSeconds, const QString& unitWord)
{
    int64_t unit = 0;
    if (unitWord == QStringLiteral("天")) unit = kDay;
    else if (unitWord == QStringLiteral("月")) unit = kMonth;
    else if (unitWord == QStringLiteral("小时")) unit = kHour;
    if (unit == 0 || elapsedSeconds <= 0) return 0;
    return (elapsedSeconds + unit - 1) / unit;
}

namespace {
// Kilometres beyond the allowance of units charged units, never below 0. A
// reading or an allowance stored by another tool may hold any 64-bit value:
// the difference is worked out in 128 bits, so no step wraps, and a distance
// that does not fit is refused rather than charged.
int64_t kmBeyondAllowance(int64_t reading, int64_t odograph1, int64_t units, int64_t limit)
{
    __int128 allowed, driven, beyond;
    const bool wrapped = __builtin_mul_overflow(units, limit, &allowed)
        || __builtin_sub_overflow(__int128(reading), __int128(odograph1), &driven)
        || __builtin_sub_overflow(driven, allowed, &beyond);
    if (!wrapped && beyond <= 0) return 0;
    if (wrapped || beyond > std::numeric_limits<int64_t>::max())
        throw EConvertError(QStringLiteral("超程公里数超出范围，无法计算费用，请核对里程读数和限里程！"));
    return int64_t(beyond);
}

// Fills the figures in order, so that when one fails (a reading that is
// no whole number, an amount beyond the money range) the earlier ones are there.
void calcInto(const FeeInput& in, HireFee& f)
{
    const QString word = FeeUnitWord(in.leasoTypeStr);
    const int64_t elapsed = MomentSeconds(in.returnMoment) - MomentSeconds(in.begin);
    if (elapsed <= 0) {
        f.calDays = QStringLiteral("0 ") + word;
        return;
    }
    const int64_t n = ChargedUnits(elapsed, word);
    f.calDays = QString::number(n) + QLatin1Char(' ') + word;
    const Currency timeFee = (in.basicPrice * n).roundedToYuanHalfEven();
    f.timeOwe = timeFee.toString();
    if (in.reading.isEmpty()) {
        f.owe = f.timeOwe;
        return;
    }
    const int64_t reading = StrToInt(in.reading);
    Currency overrun;
    QString additionalOwe;
    // Without a price per kilometre the distance costs nothing, however far.
    if (in.additionalPrice > Currency()) {
        overrun = in.additionalPrice * kmBeyondAllowance(reading, in.odograph1, n, in.limit);
        additionalOwe = overrun.toString();
    }
    const QString owe = (timeFee + overrun).toString();
    f.additionalOwe = additionalOwe;
    f.owe = owe;
}
}

HireFee CalcHireFee(const FeeInput& in)
{
    HireFee f;
    calcInto(in, f);
    return f;
}

FeeInput FeeInputFromRow(TDataSet& ds)
{
    FeeInput in;
    const QVariant begin = fieldValue(ds, QStringLiteral("BeginTime"));
    if (!begin.isNull()) in.begin = ds.fieldByName(QStringLiteral("BeginTime")).asDateTime();
    in.leasoTypeStr = fieldValue(ds, QStringLiteral("LeasoTypeStr")).toString();
    if (!fieldValue(ds, QStringLiteral("BasicPrice")).isNull())
        in.basicPrice = ds.fieldByName(QStringLiteral("BasicPrice")).asCurrency();
    if (!fieldValue(ds, QStringLiteral("Limit")).isNull())
        in.limit = ds.fieldByName(QStringLiteral("Limit")).asInteger();
    if (!fieldValue(ds, QStringLiteral("Odograph1")).isNull())
        in.odograph1 = ds.fieldByName(QStringLiteral("Odograph1")).asInteger();
    if (!fieldValue(ds, QStringLiteral("AdditionalPrice")).isNull())
        in.additionalPrice = ds.fieldByName(QStringLiteral("AdditionalPrice")).asCurrency();
    return in;
}

void ShowHireFee(const FeeInput& in, QLineEdit* calDays, QLineEdit* timeOwe,
                 QLineEdit* additionalOwe, QLineEdit* owe)
{
    HireFee f;
    try {
        calcInto(in, f);
    } catch (const EConvertError&) {
        // What was worked out is shown, the rest emptied: no figure of an
        // earlier hire or reading stays beside the new ones.
        SetEditText(calDays, f.calDays);
        SetEditText(timeOwe, f.timeOwe);
        additionalOwe->clear();
        owe->clear();
        throw;
    }
    SetEditText(calDays, f.calDays);
    SetEditText(timeOwe, f.timeOwe);
    SetEditText(additionalOwe, f.additionalOwe);
    SetEditText(owe, f.owe);
}

void InsertSettlementIncome(TDataSet& q, Currency amount, qint64 leasoId, const QString& carId)
{
    q.execSQL(QStringLiteral("Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
                             "Values(1,:amount,:id,:item,Now(),0,'租车款')"),
              {{QStringLiteral("amount"), QVariant::fromValue(amount)}, {QStringLiteral("id"), leasoId},
               {QStringLiteral("item"), carId + QStringLiteral("租车款")}});
}

void SetupFeeBoxes(QDateEdit* date, QTimeEdit* time, QLineEdit* reading, QLineEdit* amount,
                   std::initializer_list<QLineEdit*> readOnly)
{
    SetupDatePicker(date);
    SetupTimePicker(time);
    InstallKeyFilter(reading, KeyFilter::WholeNumber);
    InstallKeyFilter(amount, KeyFilter::Money);
    for (QLineEdit* e : readOnly) SetReadOnlySilver(e);
}
