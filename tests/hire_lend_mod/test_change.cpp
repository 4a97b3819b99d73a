// The change of vehicle: the picker, the four writes in one transaction, and
// the refusals when the hire or the replacement changed meanwhile.
#include "ui_UnitLend.h"
#include "ui_UnitChangeCar.h"
#include "ModFixture.h"

namespace {
const QString kX = u"京X'1"_s, kY = u"京Y2"_s, kZ = u"京Z3"_s;
const QString kNoFree = u"现在没有可供替换的空闲车辆！"_s;
}

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
        addCar(u"京W4"_s, 100);
        exec(u"UPDATE Car SET State='D' WHERE CarID='京W4'"_s);
        h = addOpenHire(kX, u"C1"_s);
        exec(u"UPDATE Leaso SET Memo='押金 ''现金''' WHERE LeasoID=:id"_s, {{"id", h}});
    }
    // The hire's columns a change must not touch.
    QString keptColumns()
    {
        return scalar(u"SELECT CustID||'|'||BeginTime||'|'||PlanEndTime||'|'||BasicPrice||'|'||[Limit]||'|'||"
                      "AdditionalPrice||'|'||Prepay||'|'||Odograph1||'|'||Memo FROM Leaso WHERE LeasoID=:id"_s, {{"id", h}})
            .toString();
    }
};

TEST_F(ChangeFixture, ChangeWritesHireBothVehiclesAndLogAndAChangeBackAddsASecondRow)
{
    const QString kept = keptColumns();
    withModPage([&] {
        bool ran = false;
        whenShown(frmChangeCar, [&] {
            ran = true;
            EXPECT_EQ(frmChangeCar->ui->EdtOldCar->text(), kX);
            QStringList offered;
            for (int i = 0; i < frmChangeCar->ui->LstNewCar->count(); ++i) offered << frmChangeCar->ui->LstNewCar->item(i)->text();
            EXPECT_EQ(offered, QStringList({kY, kZ}));
            // Nothing chosen: the notice, and the picker stays open.
            messages.clear();
            QTest::mouseClick(frmChangeCar->ui->Button1, Qt::LeftButton);
            expectBox(u"请选择更换出租的车辆！"_s);
            EXPECT_TRUE(frmChangeCar->isVisible());
            pickLine(kY);
            messages.clear();
            QTest::mouseClick(frmChangeCar->ui->Button1, Qt::LeftButton);
        });
        click(u()->BtnChangeCar);
        ASSERT_TRUE(ran);
        EXPECT_TRUE(messages.empty());
        // Reloaded: the hire now shows its new vehicle.
        EXPECT_EQ(listedCars(), QStringList({kY}));
    });
    EXPECT_EQ(leaso(u"CarID||ChangeCar"_s, h).toString(), kY + u"1"_s);
    EXPECT_EQ(carState(kX) + carState(kY), u"AB"_s);
    EXPECT_EQ(changeLog(), QStringList({u"%1:%2>%3"_s.arg(h).arg(kX, kY)}));

    // And back again.
    withModPage([&] { changeTo(kX); });
    EXPECT_EQ(leaso(u"CarID"_s, h).toString(), kX);
    EXPECT_EQ(carState(kX) + carState(kY), u"BA"_s);
    EXPECT_EQ(changeLog(), QStringList({u"%1:%2>%3"_s.arg(h).arg(kX, kY), u"%1:%2>%3"_s.arg(h).arg(kY, kX)}));
    // Everything else of the hire, and both mileages, stay.
    EXPECT_EQ(keptColumns(), kept);
    EXPECT_EQ(scalar(u"SELECT group_concat(Odograph) FROM (SELECT Odograph FROM Car ORDER BY CarID)"_s).toString(),
              u"100,12000,3000,4000"_s);
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(ChangeFixture, NoFreeVehicleOtherThanItsOwnIsReported)
{
    exec(u"UPDATE Car SET State='D' WHERE CarID<>:x"_s, {{"x", kX}});
    withModPage([&] {
        forbidShown(frmChangeCar);
        messages.clear();
        click(u()->BtnChangeCar);
        expectBox(kNoFree);
        // Its own plate, free by some slip, is no replacement.
        exec(u"UPDATE Car SET State='A' WHERE CarID=:x"_s, {{"x", kX}});
        messages.clear();
        click(u()->BtnChangeCar);
        expectBox(kNoFree);
    });
    EXPECT_TRUE(changeLog().isEmpty());
    EXPECT_EQ(leaso(u"ChangeCar"_s, h).toInt(), 0);
}

TEST_F(ChangeFixture, CancelWritesNothingButRereadsTheList)
{
    const QString before = snapshot();
    withModPage([&] {
        whenShown(frmChangeCar, [&] {
            pickLine(kZ);
            // A hire made elsewhere meanwhile shows once the picker is closed.
            exec(u"UPDATE Car SET State='B' WHERE CarID='京W4'"_s);
            addOpenHire(u"京W4"_s, u"C1"_s);
            click(frmChangeCar->ui->BtnCancel);
        });
        click(u()->BtnChangeCar);
        EXPECT_EQ(listedCars(), QStringList({kX, u"京W4"_s}));
        EXPECT_TRUE(messages.empty());
    });
    exec(u"DELETE FROM Leaso WHERE CarID='京W4'"_s);
    exec(u"UPDATE Car SET State='D' WHERE CarID='京W4'"_s);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(ChangeFixture, ChangeIsRefusedWhenTheHireOrTheReplacementChangedMeanwhile)
{
    struct Case {
        const char* name;
        std::function<void()> beforeClick;   // after the page was read
        std::function<void()> inPicker;      // after the picker was filled
        QStringList listedAfter;
    };
    const QList<Case> cases = {
        {"hire returned after the page was shown",
         [&] {
             exec(u"UPDATE Leaso SET EndTime=:e, Odograph2=12100 WHERE LeasoID=:id"_s, {{"e", now}, {"id", h}});
             exec(u"UPDATE Car SET State='A' WHERE CarID=:x"_s, {{"x", kX}});
         },
         [] {}, {}},
        {"replacement hired out after the picker was filled", [] {},
         [&] {
             exec(u"UPDATE Car SET State='B' WHERE CarID=:y"_s, {{"y", kY}});
             addOpenHire(kY, u"C1"_s);
         },
         {kX, kY}},
        {"old vehicle out on a second open hire", [&] { addOpenHire(kX, u"C1"_s); }, [] {}, {kX, kX}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        exec(u"DELETE FROM Leaso WHERE LeasoID<>:id"_s, {{"id", h}});
        exec(u"UPDATE Leaso SET EndTime=NULL, Odograph2=NULL, CarID=:x WHERE LeasoID=:id"_s, {{"x", kX}, {"id", h}});
        exec(u"UPDATE Car SET State=CASE WHEN CarID=:x THEN 'B' WHEN CarID='京W4' THEN 'D' ELSE 'A' END"_s, {{"x", kX}});
        QString before;
        withModPage([&] {
            c.beforeClick();
            whenShown(frmChangeCar, [&] {
                c.inPicker();
                before = snapshot();
                pickLine(kY);
                QTest::mouseClick(frmChangeCar->ui->Button1, Qt::LeftButton);
            });
            messages.clear();
            click(u()->BtnChangeCar);
            expectBox(EChangedError().message());
            EXPECT_EQ(listedCars(), c.listedAfter);
        });
        // Nothing written: the hire, every vehicle and the log as they were.
        EXPECT_EQ(snapshot(), before);
        EXPECT_TRUE(changeLog().isEmpty());
        EXPECT_FALSE(db().inTransaction());
    }
}
