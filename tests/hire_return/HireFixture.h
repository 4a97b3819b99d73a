#pragma once
// Hires, vehicles and customers made with plain SQL, and the return and
// settlement windows opened the way the main window opens them.
#include "support/AppFixture.h"
#include "app/UnitMain.h"
#include "platform/Currency.h"
#include "platform/Moment.h"
#include <QDateTime>
#include <QVariant>
#include <ostream>

// Readable texts in failure output.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline QDateTime M(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return CombineDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

inline QVariant Yuan(const char* text)
{
    // Amounts in the tests are written as text so no double takes part.
    const QString t = QString::fromLatin1(text);
    const int dot = t.indexOf(QLatin1Char('.'));
    QString whole = dot < 0 ? t : t.left(dot), frac = dot < 0 ? QString() : t.mid(dot + 1);
    while (frac.size() < 4) frac += QLatin1Char('0');
    return QVariant::fromValue(Currency::fromRaw(whole.toLongLong() * Currency::Scale + frac.toLongLong()));
}

struct Hire {
    QString car = QStringLiteral("京A-10001");
    QString cust = QStringLiteral("110101199001011234");
    QVariant type = 0;
    QDateTime begin = M(2026, 5, 1, 9, 0, 0);
    QDateTime planEnd = M(2026, 6, 20, 9, 0, 0);
    QVariant price = Yuan("150");
    QVariant limit = 200;
    QVariant addPrice = Yuan("0.8");
    QVariant prepay = Yuan("1000");
    QVariant odo1 = 10000;
    QVariant memo = QString();
    QVariant end;      // null: open
    QVariant odo2;
    QVariant charge;
    QVariant chargeTime;
};

class HireFixture : public AppFixture {
protected:
    // The present moment of most tests; hires planned before it are overdue.
    static QDateTime fixedNow() { return M(2026, 6, 15, 12, 0, 0); }

    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return fixedNow(); });
    }

    void addCustomer(const QString& id, const QString& name, const QString& tel = QStringLiteral("13800138000"))
    {
        exec(QStringLiteral("Insert into Customer(CustID,CardType,CustName,Tel) Values(:id,'身份证',:name,:tel)"),
             {{QStringLiteral("id"), id}, {QStringLiteral("name"), name}, {QStringLiteral("tel"), tel}});
    }

    void addCar(const QString& id, qint64 odograph, const QString& state = QStringLiteral("B"))
    {
        exec(QStringLiteral("Insert into Car(CarID,State,Style,Odograph) Values(:id,:state,'轿车',:odo)"),
             {{QStringLiteral("id"), id}, {QStringLiteral("state"), state}, {QStringLiteral("odo"), odograph}});
    }

    // Inserts the hire (customer and vehicle must exist); its key.
    qint64 addHire(const Hire& h)
    {
        exec(QStringLiteral(
                 "Insert into Leaso(CarID,CustID,LeasoType,BeginTime,PlanEndTime,EndTime,BasicPrice,[Limit],"
                 "AdditionalPrice,Prepay,Odograph1,Odograph2,Memo,CreateTime,Charge,ChargeTime) "
                 "Values(:car,:cust,:type,:begin,:plan,:end,:price,:limit,:add,:prepay,:odo1,:odo2,:memo,:begin,"
                 ":charge,:chargeTime)"),
             {{QStringLiteral("car"), h.car}, {QStringLiteral("cust"), h.cust}, {QStringLiteral("type"), h.type},
              {QStringLiteral("begin"), h.begin}, {QStringLiteral("plan"), h.planEnd}, {QStringLiteral("end"), h.end},
              {QStringLiteral("price"), h.price}, {QStringLiteral("limit"), h.limit},
              {QStringLiteral("add"), h.addPrice}, {QStringLiteral("prepay"), h.prepay},
              {QStringLiteral("odo1"), h.odo1}, {QStringLiteral("odo2"), h.odo2}, {QStringLiteral("memo"), h.memo},
              {QStringLiteral("charge"), h.charge}, {QStringLiteral("chargeTime"), h.chargeTime}});
        return scalar(QStringLiteral("Select max(LeasoID) from Leaso")).toLongLong();
    }

    // A customer, a hired-out vehicle and one open hire on it.
    qint64 standardHire(Hire h = {})
    {
        if (scalar(QStringLiteral("Select count(*) from Customer where CustID=:id"), {{QStringLiteral("id"), h.cust}}).toInt() == 0)
            addCustomer(h.cust, QStringLiteral("张三"));
        if (scalar(QStringLiteral("Select count(*) from Car where CarID=:id"), {{QStringLiteral("id"), h.car}}).toInt() == 0)
            addCar(h.car, h.odo1.toLongLong(), h.end.isNull() ? QStringLiteral("B") : QStringLiteral("A"));
        return addHire(h);
    }

    // Opens a window from the main window's command; fn runs while it shows.
    template <class W>
    void withWindow(W* w, void (TfrmMain::*command)(), const std::function<void()>& fn)
    {
        bool ran = false;
        whenShown(w, [&] {
            fn();
            ran = true;
            w->close();
        });
        (frmMain->*command)();
        EXPECT_TRUE(ran) << "the window did not show";
    }

    QVariant leaso(qint64 id, const QString& column)
    {
        return scalar(QStringLiteral("Select [%1] from Leaso where LeasoID=:id").arg(column), {{QStringLiteral("id"), id}});
    }
    QVariant car(const QString& id, const QString& column)
    {
        return scalar(QStringLiteral("Select [%1] from Car where CarID=:id").arg(column), {{QStringLiteral("id"), id}});
    }
    static QDateTime moment(const QVariant& v) { return v.isNull() ? QDateTime() : DaysToDateTime(v.toDouble()); }
    static Currency money(const QVariant& v) { return Currency::fromRaw(v.toLongLong()); }
    // The local wall clock, not the test's fixed one.
    static QDateTime localNow()
    {
        const QDateTime n = QDateTime::currentDateTime();
        return CombineDateTime(n.date(), n.time());
    }
};
