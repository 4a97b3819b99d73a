// The hire-out through a second copy of the program on the same file: a vehicle
// hired out meanwhile is refused with the notice and nothing is written.
#include "ui_UnitLend.h"
#include "LendFixture.h"
#include "platform/Errors.h"

TEST_F(LendFixture, AVehicleHiredOutMeanwhileIsNotHiredOutAgain)
{
    addCar(u"粤A'1"_s, 1000);
    addCust(u"C1"_s, u"王五"_s);
    TADOConnection other;
    other.open(dbFile());
    withDesk([&] {
        ASSERT_EQ(u()->EdtCar->text(), u"粤A'1"_s);
        fillHire(u"C1"_s, u"王五"_s);
        // The other copy hires the vehicle out first.
        other.execute(u"Update Car set State='B' where CarID=:id"_s, {{"id", u"粤A'1"_s}});
        other.execute(u"Insert into Leaso(CarID,CustID,BeginTime) values(:id,'C1',Now())"_s, {{"id", u"粤A'1"_s}});
        messages.clear();
        click(u()->BtnLend);
        expectBox(EChangedError().message());
        // Read afresh: no free vehicle is left.
        EXPECT_EQ(frmLend->ADOQry->recordCount(), 0);
        EXPECT_EQ(u()->EdtCar->text(), QString());
    });
    EXPECT_EQ(hires(), 1);
    EXPECT_EQ(carState(u"粤A'1"_s), u"B"_s);
    EXPECT_FALSE(db().inTransaction());
}

// Pasted text the key filters would refuse when typed is refused in every
// money and reading box of the desk, before anything is written.
TEST_F(LendFixture, PastedNegativesAreRefusedInEveryMoneyAndReadingBox)
{
    addCar(u"粤A1"_s, 1000);
    addCust(u"C1"_s, u"王五"_s);
    withDesk([&] {
        QLineEdit* boxes[] = {u()->EdtPrice, u()->EdtLimit, u()->EdtAdditionalPrice, u()->EdtPrepay, u()->EdtOdograph};
        for (QLineEdit* box : boxes) {
            SCOPED_TRACE(box->objectName().toStdString());
            fillHire(u"C1"_s, u"王五"_s);
            fill({{u()->EdtAdditionalPrice, u"1"_s}, {u()->EdtPrepay, u"100"_s}, {u()->EdtOdograph, u"1000"_s}});
            box->setText(u"-300"_s);   // pasted past the filter
            u()->EdtMemo->setFocus();
            messages.clear();
            click(u()->BtnLend);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(messages[0].text.startsWith(u"“-300”不是有效的"_s)) << messages[0].text.toStdString();
            EXPECT_EQ(frmLend->focusWidget(), box);
        }
    });
    EXPECT_EQ(hires(), 0);
    EXPECT_EQ(carState(u"粤A1"_s), u"A"_s);
}
