// The change of vehicle: the four writes in one transaction, and the
// refusals when the hire or the replacement changed meanwhile.
#include "ui_UnitLend.h"
#include "ui_UnitChangeCar.h"
#include "ModFixture.h"

namespace { const QString kX = u"京X'1"_s, kY = u"京Y2"_s, kZ = u"京Z3"_s; }

class ChangeFixture : public ModFixture {
protected:
    qint64 h = 0;
    void SetUp() override
    {
        ModFixture::SetUp();
        addCust(u"C1"_s, u"张三"_s);
        addHiredCar(kX, 12000);
        addCar(kY, 3000);
        addCar(kZ, 4000);
        exec(u"UPDATE Car SET State='D' WHERE CarID=:z"_s, {{"z", kZ}});
        h = addOpenHire(kX, u"C1"_s);
    }
};

TEST_F(ChangeFixture, ChangeWritesTheHireBothVehiclesAndTheLog)
{
    const QString kept = leaso(u"CustID||BeginTime||PlanEndTime||BasicPrice||Prepay||Odograph1||Memo"_s, h).toString();
    withModPage([&] {
        // Neither its own vehicle nor one out of service is offered.
        changeTo(kY, [] { EXPECT_EQ(frmChangeCar->ui->LstNewCar->count(), 1); });
        EXPECT_EQ(listedCars(), QStringList({kY}));
        EXPECT_EQ(scalar(u"SELECT group_concat(CarID||State||Odograph) FROM Car"_s).toString(),
                  kX + u"A12000,"_s + kY + u"B3000,"_s + kZ + u"D4000"_s);
        // Its own vehicle, free by some slip, is no replacement.
        exec(u"UPDATE Car SET State=CASE CarID WHEN :y THEN 'A' ELSE 'D' END"_s, {{"y", kY}});
        messages.clear();
        click(u()->BtnChangeCar);
        expectBox(u"现在没有可供替换的空闲车辆！"_s);
    });
    EXPECT_EQ(leaso(u"CarID||ChangeCar"_s, h).toString(), kY + u"1"_s);
    EXPECT_EQ(leaso(u"CustID||BeginTime||PlanEndTime||BasicPrice||Prepay||Odograph1||Memo"_s, h).toString(), kept);
    EXPECT_EQ(changeLog(), u"%1:%2>%3"_s.arg(h).arg(kX, kY));
}

TEST_F(ChangeFixture, ChangeIsRefusedWhenTheHireOrTheReplacementChangedMeanwhile)
{
    struct Case {
        const char* name;
        std::function<void()> meanwhile;   // after the picker was filled
        QStringList listedAfter;
    };
    const QList<Case> cases = {
        {"hire returned", [&] { exec(u"UPDATE Leaso SET EndTime=:e WHERE LeasoID=:id"_s, {{"e", now}, {"id", h}}); }, {}},
        {"replacement hired out", [&] { exec(u"UPDATE Car SET State='B' WHERE CarID=:y"_s, {{"y", kY}}); }, {kX}},
        {"old vehicle out on a second open hire", [&] { addOpenHire(kX, u"C1"_s); }, {kX, kX}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec(u"DELETE FROM Leaso WHERE LeasoID<>:id"_s, {{"id", h}});
        exec(u"UPDATE Leaso SET EndTime=NULL WHERE LeasoID=:id"_s, {{"id", h}});
        exec(u"UPDATE Car SET State=CASE CarID WHEN :x THEN 'B' WHEN :y THEN 'A' ELSE 'D' END"_s, {{"x", kX}, {"y", kY}});
        QString before;
        withModPage([&] {
            messages.clear();
            changeTo(kY, [&] { c.meanwhile(); before = snapshot(); });
            expectBox(EChangedError().message());
            EXPECT_EQ(listedCars(), c.listedAfter);
        });
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(db().inTransaction());
    }
}
