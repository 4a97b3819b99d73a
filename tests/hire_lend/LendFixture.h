#pragma once
// The hire-out desk with vehicles, customers and schemes set up by SQL, a
// fixed clock, and helpers to open the desk and fill a hire.
#include "support/AppFixture.h"
#include "app/UnitMain.h"
#include "hire/UnitLend.h"
#include "hire/UnitPrint.h"
#include "hire/UnitSelCust.h"
#include "hire/UnitSelectScheme.h"
#include "platform/Currency.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "platform/DBGrid.h"
#include "registers/UnitNewCust.h"
// The including file includes the ui_ headers first (so the build generates them).
#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

class LendFixture : public AppFixture {
protected:
    // The desk opens at this moment.
    QDateTime now = CombineDateTime(QDate(2026, 3, 10), QTime(9, 30, 15));

    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([this] { return now; });
    }

    Ui::TfrmLend* u() { return frmLend->ui; }

    static QVariant money(int64_t raw) { return QVariant::fromValue(Currency::fromRaw(raw)); }

    void addCar(const QString& id, int odograph, const QString& pledge = QStringLiteral("3000元"),
                const QString& state = QStringLiteral("A"))
    {
        exec(QStringLiteral("INSERT INTO Car (CarID, State, Style, Mark, Color, Odograph, Defend, Pledge) "
                            "VALUES (:id, :st, '轿车', '大众', '白', :odo, 5000, :pl)"),
             {{"id", id}, {"st", state}, {"odo", odograph}, {"pl", pledge}});
    }

    void addCust(const QString& id, const QVariant& name, const QVariant& tel = QVariant(),
                 const QVariant& card = QVariant(), const QVariant& cardMemo = QVariant())
    {
        exec(QStringLiteral("INSERT INTO Customer (CustID, CardType, CustName, Tel, BankCard, BankCard_Memo) "
                            "VALUES (:id, '身份证', :n, :t, :c, :cm)"),
             {{"id", id}, {"n", name}, {"t", tel}, {"c", card}, {"cm", cardMemo}});
    }

    void addScheme(const QString& name, const QVariant& type, int64_t priceRaw, int limit, int64_t additionalRaw)
    {
        exec(QStringLiteral("INSERT INTO PriceList (PriceName, LeasoType, BasicPrice, [Limit], AdditionalPrice) "
                            "VALUES (:n, :t, :p, :l, :a)"),
             {{"n", name}, {"t", type}, {"p", money(priceRaw)}, {"l", limit}, {"a", money(additionalRaw)}});
    }

    int hires() { return scalar(QStringLiteral("SELECT count(*) FROM Leaso")).toInt(); }
    QString carState(const QString& id) { return scalar(QStringLiteral("SELECT State FROM Car WHERE CarID=:id"), {{"id", id}}).toString(); }
    qint64 carOdograph(const QString& id) { return scalar(QStringLiteral("SELECT Odograph FROM Car WHERE CarID=:id"), {{"id", id}}).toLongLong(); }
    QVariant leaso(const QString& column, qint64 id = 1)
    {
        return scalar(QStringLiteral("SELECT %1 FROM Leaso WHERE LeasoID=:id").arg(column), {{"id", id}});
    }
    static QDateTime moment(const QVariant& v) { return v.isNull() ? QDateTime() : DaysToDateTime(v.toDouble()); }

    // Opens the desk from the main window, runs fn while it shows, then closes it.
    void withDesk(const std::function<void()>& fn)
    {
        bool ran = false;
        whenShown(frmLend, [&] {
            ran = true;
            fn();
            if (frmLend->isVisible()) frmLend->reject();
        });
        frmMain->BtnLendClick();
        EXPECT_TRUE(ran);
    }

    // Fails the test (and closes it) should w show while fn runs.
    void forbidShown(QWidget* w)
    {
        auto* t = new QTimer(w);
        QObject::connect(t, &QTimer::timeout, w, [w, t] {
            if (w->isVisible()) {
                ADD_FAILURE() << w->objectName().toStdString() << " was shown";
                QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
                t->stop();
            }
        });
        t->start(5);
    }

    // A complete hire on the desk's selected vehicle, ready for 租 出.
    void fillHire(const QString& custID, const QString& name, const QString& price = QStringLiteral("150"),
                  const QString& limit = QStringLiteral("200"))
    {
        clearAndType(u()->EdtCustID, custID);
        clearAndType(u()->EdtCustName, name);
        clearAndType(u()->EdtPrice, price);
        clearAndType(u()->EdtLimit, limit);
        SetMoment(u()->Dt1Date, u()->Dt1Time, CombineDateTime(QDate(2026, 3, 10), QTime(10, 0)));
        SetMoment(u()->Dt2Date, u()->Dt2Time, CombineDateTime(QDate(2026, 3, 12), QTime(10, 0)));
    }

    void selectCar(const QString& id) { ASSERT_TRUE(frmLend->ADOQry->locate(QStringLiteral("CarID"), id)); }
};
