#pragma once
// Hires, vehicles and customers made with plain SQL, the return and settlement
// windows opened the way the main window opens them, and the shared checks.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "app/UnitMain.h"
#include "hire/UnitCharge.h"
#include "hire/UnitReturn.h"
#include "ui_UnitCharge.h"
#include "ui_UnitReturn.h"
#include "platform/Currency.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include <QAbstractButton>
#include <QLineEdit>
#include <ostream>

inline QDateTime M(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return CombineDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// Amounts are written as text so no double takes part.
inline Currency Yuan(const char* text)
{
    const QStringList p = QString::fromLatin1(text).split(QLatin1Char('.'));
    const QString frac = (p.value(1) + QStringLiteral("0000")).left(4);
    return Currency::fromRaw(p[0].toLongLong() * Currency::Scale + frac.toLongLong());
}

struct Hire {
    QString car = "京A-10001";
    QVariant type = 0;
    QDateTime begin = M(2026, 5, 1, 9);
    QDateTime planEnd = M(2026, 6, 20, 9);
    Currency price = Yuan("150");
    QVariant limit = 200;
    Currency addPrice = Yuan("0.8");
    QVariant odo1 = 10000;
    QVariant memo = QString();
    QVariant end, odo2, charge, chargeTime;   // null: open, no reading, not settled
};

// The four figure boxes of either window.
template <class U> QStringList Fee(U* ui)
{
    return {ui->EdtCalDays->text(), ui->EdtTimeOwe->text(), ui->EdtAdditionalOwe->text(), ui->EdtOwe->text()};
}

class HireFixture : public AppFixture {
protected:
    // The present moment of most tests; hires planned before it are overdue.
    static QDateTime fixedNow() { return M(2026, 6, 15, 12); }
    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return fixedNow(); });
        exec("Insert into Customer(CustID,CardType,CustName,Tel) Values('C1','身份证','O''Brien','010-1234')");
    }

    // The hire of customer C1 and its own vehicle, out while the hire is open; its key.
    qint64 standardHire(const Hire& h = {})
    {
        exec("Insert into Car(CarID,State,Style,Odograph) Values(:id,:state,'轿车',:odo)",
             {{"id", h.car}, {"state", h.end.isNull() ? "B" : "A"}, {"odo", h.odo1}});
        exec("Insert into Leaso(CarID,CustID,LeasoType,BeginTime,PlanEndTime,EndTime,BasicPrice,[Limit],"
             "AdditionalPrice,Odograph1,Odograph2,Memo,Charge,ChargeTime) Values(:car,'C1',:type,:begin,:plan,"
             ":end,:price,:limit,:add,:odo1,:odo2,:memo,:charge,:chargeTime)",
             {{"car", h.car}, {"type", h.type}, {"begin", h.begin}, {"plan", h.planEnd},
              {"end", h.end}, {"price", QVariant::fromValue(h.price)}, {"limit", h.limit},
              {"add", QVariant::fromValue(h.addPrice)}, {"odo1", h.odo1}, {"odo2", h.odo2}, {"memo", h.memo},
              {"charge", h.charge}, {"chargeTime", h.chargeTime}});
        return scalar("Select max(LeasoID) from Leaso").toLongLong();
    }

    // Returned on 3 May 15:00 at 10800 km, not settled; the vehicle free.
    qint64 returnedHire(Hire h = {})
    {
        h.end = M(2026, 5, 3, 15);
        h.odo2 = 10800;
        return standardHire(h);
    }

    // Opens a window from the main window's command; fn runs while it shows.
    template <class W> void withWindow(W* w, void (TfrmMain::*command)(), const std::function<void()>& fn)
    {
        bool ran = false;
        whenShown(w, [&] { fn(); ran = true; w->close(); });
        (frmMain->*command)();
        EXPECT_TRUE(ran) << "the window did not show";
    }
    void openReturn(const std::function<void()>& fn) { withWindow(frmReturn, &TfrmMain::BtnReturnClick, fn); }
    void openCharge(const std::function<void()>& fn) { withWindow(frmCharge, &TfrmMain::BtnChargeClick, fn); }

    int count(const QString& sql) { return scalar(sql).toInt(); }
    QVariant leaso(qint64 id, const QString& c)
    {
        return scalar("Select [" + c + "] from Leaso where LeasoID=:id", {{"id", id}});
    }
    QVariant car(const QString& id, const QString& c)
    {
        return scalar("Select [" + c + "] from Car where CarID=:id", {{"id", id}});
    }
    static QDateTime moment(const QVariant& v) { return v.isNull() ? QDateTime() : DaysToDateTime(v.toDouble()); }
    static Currency money(const QVariant& v) { return Currency::fromRaw(v.toLongLong()); }

    // Message i: its text, the application title as caption, and its icon.
    void expectMessage(size_t i, const QString& text, Dlg::Icon icon = Dlg::Icon::Information)
    {
        ASSERT_GT(messages.size(), i) << text.toStdString();
        EXPECT_EQ(messages[i].text, text);
        EXPECT_EQ(messages[i].caption, "Quorvane");
        EXPECT_EQ(messages[i].icon, icon);
    }
    // A database error: its text names the failing table.
    void expectDbError(size_t i, const QString& table, Dlg::Icon icon)
    {
        ASSERT_GT(messages.size(), i);
        EXPECT_TRUE(messages[i].text.contains(table, Qt::CaseInsensitive)) << messages[i].text.toStdString();
        expectMessage(i, messages[i].text, icon);
    }

    // The settlement of hire id stamped now by the local clock (under SetClockHook({})),
    // with its one income row.
    void expectSettled(qint64 id, Currency amount, const QString& car)
    {
        const QDateTime n = QDateTime::currentDateTime(), now = CombineDateTime(n.date(), n.time());
        EXPECT_EQ(money(leaso(id, "Charge")), amount);
        EXPECT_LE(std::abs(moment(leaso(id, "ChargeTime")).secsTo(now)), 5);
        ASSERT_EQ(count("Select count(*) from Acct"), 1);
        EXPECT_EQ(scalar("Select [Type]||'|'||Amount||'|'||LeasoID||'|'||Item||'|'||Category||'|'||Deleted from Acct").toString(),
                  QString("1|%1|%2|%3租车款|租车款|0").arg(amount.raw()).arg(id).arg(car));
        EXPECT_LE(std::abs(moment(scalar("Select AcctTime from Acct")).secsTo(now)), 5);
    }

    // An empty amount (blanks are dropped by the filter) and a lone point (the
    // filter lets one through) are refused with no confirmation and the focus put
    // back on the amount box; it is moved away first so that the move is proved.
    void expectAmountRefused(QWidget* w, QLineEdit* amount, QWidget* away, QAbstractButton* command)
    {
        using Case = std::pair<const char*, const char*>;
        for (const auto& [typed, text] : {Case{"   ", "请输入结算金额！"}, Case{"..", "“.”不是有效的金额"}}) {
            const size_t n = messages.size();
            clearAndType(amount, typed);
            away->setFocus();
            click(command);
            EXPECT_EQ(messages.size(), n + 1);
            expectMessage(n, text);
            EXPECT_EQ(w->focusWidget(), amount);
        }
    }
};
