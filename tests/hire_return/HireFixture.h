#pragma once
// Hires made with plain SQL, and the return and settlement windows opened from the main window.
#include "hire_lend/LendFixture.h"
#include "hire/UnitCharge.h"
#include "hire/UnitReturn.h"
#include "ui_UnitCharge.h"
#include "ui_UnitReturn.h"
#include "platform/Convert.h"

inline QDateTime M(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return CombineDateTime(QDate(y, mo, d), QTime(h, mi, s)); }

// Amounts are written as text so no double takes part.
inline Currency Yuan(const char* text) { return StrToCurr(QString::fromLatin1(text)); }

// By the day at 150, 200 km at 0.8 per km beyond, out 1 May 9:00 at 10000 km.
struct Hire {
    QString car = "京A-10001";
    QDateTime planEnd = M(2026, 6, 20, 9);
    Currency price = Yuan("150");
    QVariant end, odo2;   // null: open, no reading
};

// The four figure boxes of either window.
template <class U> QStringList Fee(U* ui) { return {ui->EdtCalDays->text(), ui->EdtTimeOwe->text(), ui->EdtAdditionalOwe->text(), ui->EdtOwe->text()}; }

class HireFixture : public LendFixture {
protected:
    void SetUp() override
    {
        LendFixture::SetUp();
        now = M(2026, 6, 15, 12);   // the present moment of most tests
        addCust("C1", "O'Brien", "010-1234");
    }

    // A hire of customer C1 and its own vehicle (out while the hire is open); its key.
    qint64 standardHire(const Hire& h = {})
    {
        addCar(h.car, 10000, h.end.isNull() ? "B" : "A");
        const qint64 id = addHire(h.car, "C1", 0, M(2026, 5, 1, 9), h.planEnd, h.price.raw(), 200, 8000, {}, 10000);
        exec("Update Leaso set EndTime=:end, Odograph2=:odo2 where LeasoID=:id", {{"end", h.end}, {"odo2", h.odo2}, {"id", id}});
        return id;
    }

    // Returned on 3 May 15:00 at 10800 km, not settled; the vehicle free.
    qint64 returnedHire(Hire h = {}) { h.end = M(2026, 5, 3, 15); h.odo2 = 10800; return standardHire(h); }

    void openReturn(const std::function<void()>& fn) { inWindow(frmReturn, &TfrmMain::BtnReturnClick, fn); }
    void openCharge(const std::function<void()>& fn) { inWindow(frmCharge, &TfrmMain::BtnChargeClick, fn); }

    int incomes() { return scalar("Select count(*) from Acct").toInt(); }

    // Hire id settled now by the local clock (under SetClockHook({})), with its one income row.
    void expectSettled(qint64 id, Currency amount, const QString& car)
    {
        const QDateTime n = QDateTime::currentDateTime();
        EXPECT_EQ(leaso("Charge", id).toLongLong(), amount.raw());
        EXPECT_LE(std::abs(leasoMoment("ChargeTime", id).secsTo(CombineDateTime(n.date(), n.time()))), 5);
        EXPECT_EQ(RowsText(db(), "Acct", {"[Type]", "Amount", "LeasoID", "Item", "Category", "Deleted"}),
                  QString("1|%1|%2|%3租车款|租车款|0").arg(amount.raw()).arg(id).arg(car));
    }
};
