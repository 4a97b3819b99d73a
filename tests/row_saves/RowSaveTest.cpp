// Saves after a move from record X to a record Y holding values the boxes or pickers
// cannot take: Y keeps them unless the user changed them, never X's nor a made-up date.
#include "hire_lend/LendFixture.h"
#include "ui_UnitAcct.h"
#include "ui_UnitCar.h"
#include "ui_UnitCharge.h"
#include "ui_UnitCost.h"
#include "ui_UnitModAcct.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitModAcct.h"
#include "hire/UnitCharge.h"
#include "registers/UnitCar.h"
#include "registers/UnitCost.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include <QTest>

namespace {

enum class Window { Desk, Settlement, Register, Account, FeeItem, Scheme };

struct Case {
    const char* name;
    Window window;
    const char* odd;       // what another tool stored in Y (an SQL set list)
    const char* picked;    // the column whose picker (or box, or kind) the user changes on Y, or none
    const char* box;       // the last box the save shows
    const char* shows;     // what Y's date pickers (the desk's unit, the entry's kind, the scheme's amounts) show
    const char* pickedTo = nullptr;   // what the pick stores where it is no moment
    const char* time = nullptr;       // a time picker the user changes beside a date it could not show
};

const char* const kSaved = "修改已保存！";
const char* const kCarSaved = "车辆信息修改完成！";
const Case kCases[] = {
    {"DeskPriceText", Window::Desk, "BasicPrice='abc'", nullptr,
     "“abc”不是有效的金额或数值，这里只能输入数字和小数点，请重新输入！", "2026/3/7|2026/3/9|包月"},
    {"DeskBeginAndUnitNull", Window::Desk, "BeginTime=NULL, LeasoType=NULL", nullptr, kSaved, " |2026/3/9|"},
    {"DeskBeginNullPickedPlanText", Window::Desk, "BeginTime=NULL, PlanEndTime='abc'", "BeginTime", kSaved, " |abc|包月"},
    {"DeskBeginNullTimeOnly", Window::Desk, "BeginTime=NULL", nullptr, "请选择出租时间的日期！", " |2026/3/9|包月", nullptr,
     "DtMod1Time"},
    {"DeskBeginNullTimeThenDatePicked", Window::Desk, "BeginTime=NULL", "BeginTime", kSaved, " |2026/3/9|包月", nullptr, "DtMod1Time"},
    {"DeskPlanTextTimeOnly", Window::Desk, "PlanEndTime='abc'", nullptr, "请选择计划归还时间的日期！", "2026/3/7|abc|包月", nullptr,
     "DTMod2Time"},
    {"SettlementEndText", Window::Settlement, "EndTime='abc'", nullptr, "结算信息已保存！", "abc"},
    {"SettlementEndTextTimeOnly", Window::Settlement, "EndTime='abc'", nullptr, "请选择还车时间的日期！", "abc", nullptr, "DtTime"},
    {"SettlementEndPast9999", Window::Settlement, "EndTime=2958466.5", nullptr, "结算信息已保存！", "10000/1/1"},
    {"SettlementEndTextPicked", Window::Settlement, "EndTime='abc'", "EndTime", "结算信息已保存！", "abc"},
    {"RegisterBuyBefore1900", Window::Register, "BuyDate=-29", nullptr, kCarSaved, "1899/12/1|2025/7/1"},
    {"RegisterCheckText", Window::Register, "CheckDate='去年'", nullptr, kCarSaved, "2021/2/3|去年"},
    {"RegisterBuyBefore1900PickedCheckNull", Window::Register, "BuyDate=-29, CheckDate=NULL", "BuyDate", kCarSaved,
     "1899/12/1|2026/2/8"},
    {"AccountDateText", Window::Account, "AcctTime='abc'", nullptr, "", "abc|1|0"},
    {"AccountKindNull", Window::Account, "Type=NULL", nullptr, "", "2026/3/6|0|0"},
    {"AccountKindOtherPickedIncome", Window::Account, "Type=2", "Type", "", "2026/3/6|0|0", "1"},
    {"FeeItemDatesOdd", Window::FeeItem, "BeginTime=NULL, EndTime='明年', CreateTime=-29", nullptr, "", " |明年|1899/12/1"},
    {"FeeItemEndPickedBeginNull", Window::FeeItem, "BeginTime=NULL, EndTime=2958470", "EndTime", "", " |10000/1/5|2025/6/1"},
    {"SchemeAmountsText", Window::Scheme, "BasicPrice='abc', AdditionalPrice='约2元'", nullptr, "租赁价格不是有效的金额，请重新输入！",
     "abc|200|约2元"},
    {"SchemePerKmTextPricePicked", Window::Scheme, "BasicPrice='abc', AdditionalPrice='约2元'", "BasicPrice",
     "超程基价不是有效的金额，请重新输入！", "abc|200|约2元", "abc"},
    {"SchemePriceTextPicked", Window::Scheme, "BasicPrice='abc'", "BasicPrice", "", "abc|200|0.8", "1200000"},
};

// Per window (in its order): the table, its key, the columns a save may touch, and X's and Y's keys.
struct Place { QString table, key; QStringList columns; QVariant x, y; };
const Place kPlaces[] = {
    {u"Leaso"_s, u"LeasoID"_s, {u"CustID"_s, u"LeasoType"_s, u"BeginTime"_s, u"PlanEndTime"_s, u"BasicPrice"_s, u"[Limit]"_s,
                                u"AdditionalPrice"_s, u"Prepay"_s, u"Odograph1"_s, u"Memo"_s}, 1, 2},
    {u"Leaso"_s, u"LeasoID"_s, {u"EndTime"_s, u"Odograph2"_s, u"Memo"_s}, 3, 4},
    {u"Car"_s, u"CarID"_s, {u"BuyDate"_s, u"CheckDate"_s, u"Odograph"_s, u"Pledge"_s, u"Description"_s}, u"京X1"_s, u"京Y2"_s},
    {u"Acct"_s, u"ID"_s, {u"Type"_s, u"Amount"_s, u"Item"_s, u"AcctTime"_s, u"Category"_s}, 1, 2},
    {u"CarCost"_s, u"CostID"_s, {u"Name"_s, u"Cost"_s, u"BeginTime"_s, u"EndTime"_s, u"CreateTime"_s, u"Content"_s}, 1, 2},
    {u"PriceList"_s, u"PriceName"_s, {u"LeasoType"_s, u"BasicPrice"_s, u"[Limit]"_s, u"AdditionalPrice"_s}, u"前一项"_s, u"文字价"_s},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RowFixture : public LendFixture {
protected:
    const QDateTime pick = at(8, 10, 5);
    Place p;           // the window's rows
    QString shown;     // what Y's pickers showed before the save
    QString yStored;   // Y as stored, odd values and all, before the save (but the column picked)

    // For every window an X and a Y: open hires 1 and 2, returned hires 3 and
    // 4, two vehicles, X's fee items 1 and 2, account entries 1 and 2, two schemes.
    void setUpRecords(Window w)
    {
        p = kPlaces[int(w)];
        addCust(u"C1"_s, u"张三"_s);
        for (bool returned : {false, true})
            for (auto [car, type, day, price, memo] : {std::tuple("京X1", 0, 8, 150, "X备注"), std::tuple("京Y2", 1, 7, 99, "Y备注")})
                exec(u"Insert into Leaso(CarID,CustID,LeasoType,BeginTime,PlanEndTime,EndTime,BasicPrice,[Limit],AdditionalPrice,"
                     "Prepay,Odograph1,Odograph2,Memo,CreateTime) values(:car,'C1',:t,:b,:p,:e,:pr,200,8000,5000000,1000,:o2,:m,:b)"_s,
                     {{"car", car}, {"t", type}, {"b", at(day, day)}, {"p", at(day + 2, day)}, {"pr", price * 10000}, {"m", memo},
                      {"e", returned ? QVariant(at(9, day + 9)) : QVariant()}, {"o2", returned ? QVariant(1500) : QVariant()}});
        exec(u"Insert into Car(CarID,State,Mark,Odograph,Pledge,BuyDate,CheckDate,Description) values"
             "('京X1','A','大众',100,'3000元',:bx,:cx,'X'),('京Y2','A','大众',200,'5000元',:by,:cy,'Y')"_s,
             {{"bx", QDate(2020, 1, 2)}, {"cx", QDate(2025, 6, 1)}, {"by", QDate(2021, 2, 3)}, {"cy", QDate(2025, 7, 1)}});
        exec(u"Insert into CarCost(CarID,Name,Cost,BeginTime,EndTime,Content,CreateTime) values"
             "('京X1','X保险',1000000,:bx,:ex,'备注',:bx),('京X1','Y年检',2000000,:by,:ey,'备注',:by)"_s,
             {{"bx", QDate(2026, 1, 1)}, {"ex", QDate(2027, 1, 1)}, {"by", QDate(2025, 6, 1)}, {"ey", QDate(2026, 6, 1)}});
        exec(u"Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) values"
             "(-1,500000,0,'X加油',:x,0,'油费'),(1,800000,0,'Y收入',:y,0,'租金')"_s,
             {{"x", QDate(2026, 3, 5)}, {"y", QDate(2026, 3, 6)}});
        exec(u"Insert into PriceList(PriceName,LeasoType,BasicPrice,[Limit],AdditionalPrice) values"
             "('前一项',0,1500000,100,20000),('文字价',1,990000,200,8000)"_s);
    }
    void storeOdd(const Case& c)
    {
        exec(u"Update %1 set %2 where %3=:y"_s.arg(p.table, QString::fromUtf8(c.odd), p.key), {{"y", p.y}});
        yStored = row(p.y, c.picked);
    }
    // The columns a save may touch, but one.
    QString row(const QVariant& key, const char* except = nullptr)
    {
        QStringList columns = p.columns;
        columns.removeAll(QString::fromUtf8(except));
        return RowsText(db(), p.table, columns, p.key + u"=:k"_s, {{"k", key}});
    }

    // Selects X, moves to Y, changes the picker when the case says so, and
    // saves; then runs more in the fee-item page when asked.
    void selectXMoveToYAndSave(const Case& c, const std::function<void()>& thenOnFeePage = {})
    {
        // Moving shows no box: every value stored shows as it is, or is kept.
        auto save = [&](QAbstractButton* b) {
            EXPECT_EQ(messageTexts(), QStringList());
            messages.clear();
            click(b);
        };
        auto changeTime = [&](QWidget* w) {
            if (!c.time) return;
            auto* t = w->findChild<QTimeEdit*>(QString::fromUtf8(c.time));
            ASSERT_TRUE(t) << c.time;
            t->setTime(QTime(10, 0));
        };
        auto moveToY = [&](TDataSet* list) { return list->locate(p.key, p.x) && list->locate(p.key, p.y); };
        switch (c.window) {
        case Window::Desk:
            withModPage([&] {
                ASSERT_TRUE(moveToY(frmLend->ADOMod));
                EXPECT_EQ(u()->EdtModMemo->text(), u"Y备注"_s);
                shown = u()->DtMod1Date->text() + u'|' + u()->DTMod2Date->text() + u'|' + u()->CmbModType->currentText();
                changeTime(frmLend);
                if (c.picked) SetMoment(u()->DtMod1Date, u()->DtMod1Time, pick);
                save(u()->BtnSaveMod);
            });
            break;
        case Window::Settlement:
            inWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
                ASSERT_TRUE(moveToY(frmCharge->ADOQry));
                shown = frmCharge->ui->DtDate->text();
                clearAndType(frmCharge->ui->EdtLeaso, u"100"_s);
                changeTime(frmCharge);
                if (c.picked) {   // the fee shown follows the date picked
                    frmCharge->ui->DtDate->setDate(pick.date());
                    const QString fee = frmCharge->ui->EdtOwe->text();
                    frmCharge->CalcSettleFee();
                    EXPECT_EQ(fee, frmCharge->ui->EdtOwe->text());
                }
                save(frmCharge->ui->Button1);
            });
            break;
        case Window::Register:
            inWindow(frmCar, &TfrmMain::BtnCarClick, [&] {
                ASSERT_TRUE(moveToY(frmCar->ADOQry));
                shown = frmCar->ui->DtBuy->text() + u'|' + frmCar->ui->DtCheck->text();
                if (c.picked) frmCar->ui->DtBuy->setDate(pick.date());
                answers = {Dlg::IdYes};
                save(frmCar->ui->BtnSaveBasic);
            });
            break;
        case Window::FeeItem:
            inWindow(frmCar, &TfrmMain::BtnCarClick, [&] {
                frmCar->ui->PageControl1->setCurrentWidget(frmCar->ui->TabSheet1);
                ASSERT_TRUE(frmCar->ADOQry->locate(u"CarID"_s, u"京X1"_s));
                for (const QVariant& key : {p.x, p.y}) {
                    ASSERT_TRUE(frmCar->ADOTable1->locate(p.key, key));
                    whenShown(frmCost, [&] {
                        auto* d = frmCost->ui.get();
                        shown = d->Dt1->text() + u'|' + d->Dt2->text() + u'|' + d->DtCreateTime->text();
                        if (key == p.y && c.picked) d->Dt2->setDate(pick.date());
                        d->BtnOK->click();
                    });
                    save(frmCar->ui->BtnModCost);
                }
                if (thenOnFeePage) thenOnFeePage();
            });
            break;
        case Window::Account:
            inWindow(frmAcct, &TfrmMain::ToolButton7Click, [&] {
                frmAcct->ui->DateTimePicker1->setDate(QDate(2026, 3, 1));
                click(frmAcct->ui->BtnQry);
                for (const QVariant& key : {p.x, p.y}) {
                    // Another tool changes Y after the book listed it.
                    if (key == p.y) storeOdd(c);
                    ASSERT_TRUE(frmAcct->ADOQry->locate(p.key, key));
                    whenShown(frmAcctMod, [&] {
                        auto* d = frmAcctMod->ui.get();
                        shown = u"%1|%2|%3"_s.arg(d->DateTimePicker3->text()).arg(int(d->RbOwe->isChecked())).arg(int(d->RbPay->isChecked()));
                        if (key == p.y && c.picked) QTest::mouseClick(d->RbOwe, Qt::LeftButton, {}, QPoint(8, d->RbOwe->height() / 2));
                        d->BtnSave->click();
                    });
                    save(frmAcct->ui->BtnModify);
                }
            });
            break;
        case Window::Scheme:
            inWindow(frmPrice, &TfrmMain::ToolButton10Click, [&] {
                for (const QVariant& key : {p.x, p.y}) {
                    ASSERT_TRUE(frmPrice->ADOQry->locate(p.key, key));
                    whenShown(frmNewPrice, [&] {
                        auto* d = frmNewPrice->ui.get();
                        shown = d->EdtBasicPrice->text() + u'|' + d->EdtLimit->text() + u'|' + d->EdtAdditionalPrice->text();
                        if (key == p.y && c.picked) clearAndType(d->EdtBasicPrice, u"120"_s);
                        click(d->BitBtn1);
                        if (frmNewPrice->isVisible()) click(d->BitBtn2);
                    });
                    save(frmPrice->ui->BtnEdtPrice);
                }
            });
            break;
        }
    }
};

class RowSave : public RowFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(RowSave, TheSavedRecordKeepsItsStoredValuesUnlessTheUserChangedThem)
{
    const Case& c = GetParam();
    setUpRecords(c.window);
    if (c.window != Window::Account) storeOdd(c);
    const QString xBefore = row(p.x);
    selectXMoveToYAndSave(c);
    EXPECT_EQ(shown, QString::fromUtf8(c.shows));
    EXPECT_EQ(lastMessage(), QString::fromUtf8(c.box));
    EXPECT_EQ(row(p.x), xBefore);
    EXPECT_EQ(row(p.y, c.picked), yStored);
    if (c.picked) {   // the moment picked, or its date alone where the window has no time picker
        const QVariant v = scalar(u"Select %1 from %2 where %3=:y"_s.arg(QString::fromUtf8(c.picked), p.table, p.key), {{"y", p.y}});
        if (c.pickedTo) EXPECT_EQ(v.toString(), QString::fromUtf8(c.pickedTo));
        else EXPECT_EQ(DaysToDateTime(v.toDouble()), c.window == Window::Desk ? pick : CombineDateTime(pick.date(), QTime(0, 0)));
    }
    ExpectLastGuardQuiet();
}

// The fee-item dialog serves the add as well: a date kept for the changed
// item's odd value is no date for a new item, which takes the dialog's default.
TEST_F(RowFixture, AnAddAfterAChangeOfAnItemWithOddDatesWritesNoMadeUpDate)
{
    const Case c{"", Window::FeeItem, "BeginTime=NULL, EndTime='明年'", nullptr, "", ""};
    setUpRecords(c.window);
    storeOdd(c);
    selectXMoveToYAndSave(c, [&] {
        whenShown(frmCost, [&] {
            clearAndType(frmCost->ui->EdtName, u"新项"_s);
            clearAndType(frmCost->ui->EdtCost, u"10"_s);
            click(frmCost->ui->BtnOK);
        });
        click(frmCar->ui->BtnAddCost);
    });
    // Begin and end at the dialog's defaults; the payment date as last shown (Y's).
    EXPECT_EQ(RowsText(db(), u"CarCost"_s, {u"BeginTime"_s, u"EndTime"_s, u"CreateTime"_s}, u"Name='新项'"_s),
              u"%1|%2|%3"_s.arg(DateToDays(now.date())).arg(DateToDays(now.date().addDays(365))).arg(DateToDays(QDate(2025, 6, 1))));
    EXPECT_EQ(row(p.y), yStored);
}

INSTANTIATE_TEST_SUITE_P(Windows, RowSave, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

} // namespace
