#pragma once
// The fee a hire has earned, shown by the return and settlement windows. One
// calculation for both, so the two windows can never disagree.
#include "platform/Currency.h"
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <initializer_list>

class TDataSet;
class QLineEdit;
class QDateEdit;
class QTimeEdit;

struct FeeInput {
    QDateTime begin;            // invalid: no date
    QString leasoTypeStr;       // "按天", "包月", "按小时" or anything else (no unit)
    Currency basicPrice;        // per unit
    int64_t limit = 0;          // km allowed per unit
    int64_t odograph1 = 0;      // reading at hire-out
    Currency additionalPrice;   // per km beyond the allowance
    QDateTime returnMoment;
    QString reading;            // text of the reading box; may be empty
};

struct HireFee {
    QString calDays;            // "3 天"
    QString timeOwe;
    QString additionalOwe;
    QString owe;
};

// A moment in whole seconds since 1899-12-30 (an invalid one is 0), so that
// differences are exact integers.
int64_t MomentSeconds(const QDateTime& m);

// The unit word found in the pricing-unit text: "天", "月", "小时" or empty.
QString FeeUnitWord(const QString& leasoTypeStr);
// Charged units for an elapsed time above zero: a begun unit counts in full.
int64_t ChargedUnits(int64_t elapsedSeconds, const QString& unitWord);

// The four figures. A reading that is not a whole number, a distance beyond the
// allowance past 64 bits, or an amount beyond the money range throws
// EConvertError: a fee that does not fit is refused, never wrapped.
HireFee CalcHireFee(const FeeInput& in);

// The inputs taken from the current row of a hire list (empty fields count 0);
// an inactive or empty list gives all defaults.
FeeInput FeeInputFromRow(TDataSet& ds);

// The account-book income of a settlement: the amount received, linked to the
// hire, the item being the plate number followed by "租车款".
void InsertSettlementIncome(TDataSet& q, Currency amount, qint64 leasoId, const QString& carId);

// The input and figure boxes both fee windows share: the return-moment pickers,
// the reading and amount filters, and the silver read-only boxes.
void SetupFeeBoxes(QDateEdit* date, QTimeEdit* time, QLineEdit* reading, QLineEdit* amount,
                   std::initializer_list<QLineEdit*> readOnly);

// Writes the figures into the four boxes. When the reading does not convert or
// an amount leaves the money range, the figures worked out before that are
// shown and the rest emptied (nothing stale beside new figures), and the error
// goes on to the caller.
void ShowHireFee(const FeeInput& in, QLineEdit* calDays, QLineEdit* timeOwe,
                 QLineEdit* additionalOwe, QLineEdit* owe);
