// Saves after a move to a record whose stored values the boxes or pickers
// cannot take (a price stored as text, a moment that is null, text or out of
// the pickers' range): the record keeps what it stored unless the user changed
// it, never the previous record's values or a date the picker made up.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "ui_UnitAcct.h"
#include "ui_UnitCar.h"
#include "ui_UnitCharge.h"
#include "ui_UnitCost.h"
#include "ui_UnitLend.h"
#include "ui_UnitModAcct.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitModAcct.h"
#include "app/UnitMain.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "registers/UnitCar.h"
#include "registers/UnitCost.h"

using namespace Qt::StringLiterals;

namespace {

enum class Window { Desk, Settlement, Register, Account, FeeItem };

struct Case {
    const char* name;
    Window window;
    const char* odd;       // what another tool stored in Y (an SQL set list)
    const char* picked;    // the column whose picker the user changes on Y, or none
    const char* box;       // the last box the save shows
    const char* shows;     // what Y's date pickers (and the desk's unit) show
};

const char* const kSaved = "修改已保存！";
const Case kCases[] = {
    {"DeskPriceText", Window::Desk, "BasicPrice='abc'", nullptr,
     "“abc”不是有效的金额或数值，这里只能输入数字和小数点，请重新输入！", "2026/3/7|2026/3/9|包月"},
    {"DeskBeginAndUnitNull", Window::Desk, "BeginTime=NULL, LeasoType=NULL", nullptr, kSaved, " |2026/3/9|"},
    {"DeskBeginText", Window::Desk, "BeginTime='昨天上午'", nullptr, kSaved, "昨天上午|2026/3/9|包月"},
    {"DeskBeginNullPickedPlanText", Window::Desk, "BeginTime=NULL, PlanEndTime='abc'", "BeginTime", kSaved, " |abc|包月"},
    {"SettlementEndText", Window::Settlement, "EndTime='abc'", nullptr, "结算信息已保存！", "abc"},
    {"SettlementEndPast9999", Window::Settlement, "EndTime=2958466.5", nullptr, "结算信息已保存！", "10000/1/1"},
    {"RegisterBuyBefore1900", Window::Register, "BuyDate=-29", nullptr, "车辆信息修改完成！", "1899/12/1|2025/7/1"},
    {"RegisterBuyPast9999", Window::Register, "BuyDate=2958470", nullptr, "车辆信息修改完成！", "10000/1/5|2025/7/1"},
    {"RegisterCheckText", Window::Register, "CheckDate='去年'", nullptr, "车辆信息修改完成！", "2021/2/3|去年"},
    {"RegisterCheckNull", Window::Register, "CheckDate=NULL", nullptr, "车辆信息修改完成！", "2021/2/3|2026/2/8"},
    {"RegisterBuyBefore1900PickedCheckNull", Window::Register, "BuyDate=-29, CheckDate=NULL", "BuyDate", "车辆信息修改完成！", "1899/12/1|2026/2/8"},
    {"AccountDateText", Window::Account, "AcctTime='abc'", nullptr, "", "abc"},
    {"AccountDateNull", Window::Account, "AcctTime=NULL", nullptr, "", " "},
    {"FeeItemDatesOdd", Window::FeeItem, "BeginTime=NULL, EndTime='明年', CreateTime=-29", nullptr, "", " |明年|1899/12/1"},
    {"FeeItemEndPickedBeginNull", Window::FeeItem, "BeginTime=NULL, EndTime=2958470", "EndTime", "", " |10000/1/5|2025/6/1"},
};

// Per window: the table, its key and the columns a save may touch.
struct Place { QString table, key; QStringList columns; };
Place PlaceOf(Window w)
{
    switch (w) {
    case Window::Desk:
        return {u"Leaso"_s, u"LeasoID"_s, {u"CustID"_s, u"LeasoType"_s, u"BeginTime"_s, u"PlanEndTime"_s, u"BasicPrice"_s,
                                         u"[Limit]"_s, u"AdditionalPrice"_s, u"Prepay"_s, u"Odograph1"_s, u"Memo"_s}};
    case Window::Settlement: return {u"Leaso"_s, u"LeasoID"_s, {u"EndTime"_s, u"Odograph2"_s, u"Memo"_s}};
    case Window::Register:
        return {u"Car"_s, u"CarID"_s, {u"BuyDate"_s, u"CheckDate"_s, u"Odograph"_s, u"Pledge"_s, u"Description"_s}};
    case Window::Account: return {u"Acct"_s, u"ID"_s, {u"Type"_s, u"Amount"_s, u"Item"_s, u"AcctTime"_s, u"Category"_s}};
    case Window::FeeItem:
        return {u"CarCost"_s, u"CostID"_s, {u"Name"_s, u"Cost"_s, u"BeginTime"_s, u"EndTime"_s, u"CreateTime"_s, u"Content"_s}};
    }
    return {};
}

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RowFixture : public AppFixture {
protected:
    const QDateTime now = CombineDateTime(QDate(2026, 3, 10), QTime(9, 30, 15));
    const QDateTime pick = CombineDateTime(QDate(2026, 3, 8), QTime(10, 5));
    QVariant x, y;   // the two records' keys

    void SetUp() override { AppFixture::SetUp(); SetClockHook([this] { return now; }); }
    static QDateTime at(int d, int h) { return CombineDateTime(QDate(2026, 3, d), QTime(h, 0)); }

    qint64 insert(const QString& sql, const Params& p) { exec(sql, p); return db().lastInsertId(); }
    void setUpRecords(Window w)
    {
        exec(u"Insert into Customer(CustID,CardType,CustName,Tel) values('C1','身份证','张三','138')"_s);
        auto hire = [&](const char* car, int type, const QDateTime& begin, const QVariant& end, int price, const char* memo) {
            return insert(u"Insert into Leaso(CarID,CustID,LeasoType,BeginTime,PlanEndTime,EndTime,BasicPrice,[Limit],"
                          "AdditionalPrice,Prepay,Odograph1,Odograph2,Memo,CreateTime) values(:car,'C1',:t,:b,:p,:e,:pr,200,"
                          "8000,5000000,1000,:o2,:m,:b)"_s,
                          {{"car", car}, {"t", type}, {"b", begin}, {"p", begin.addDays(2)}, {"e", end},
                           {"pr", qint64(price) * 10000}, {"o2", end.isNull() ? QVariant() : QVariant(1500)}, {"m", memo}});
        };
        switch (w) {
        case Window::Desk:
            x = hire("京X1", 0, at(8, 9), {}, 150, "X备注");
            y = hire("京Y2", 1, at(7, 8), {}, 99, "Y备注");
            break;
        case Window::Settlement:
            x = hire("京X1", 0, at(8, 9), at(9, 9), 150, "X备注");
            y = hire("京Y2", 1, at(7, 8), at(9, 18), 99, "Y备注");
            break;
        case Window::Register:
        case Window::FeeItem: {
            auto car = [&](const char* key, const QDate& buy, const QDate& check, const char* pledge) {
                exec(u"Insert into Car(CarID,State,Mark,Odograph,Pledge,BuyDate,CheckDate,Description) "
                     "values(:k,'A','大众',100,:p,:b,:c,:k)"_s, {{"k", key}, {"p", pledge}, {"b", buy}, {"c", check}});
                return QVariant(QString::fromUtf8(key));
            };
            x = car("京X1", QDate(2020, 1, 2), QDate(2025, 6, 1), "3000元");
            y = car("京Y2", QDate(2021, 2, 3), QDate(2025, 7, 1), "5000元");
            if (w == Window::Register) break;
            auto fee = [&](const char* name, int cost, const QDate& from) {
                return insert(u"Insert into CarCost(CarID,Name,Cost,BeginTime,EndTime,Content,CreateTime) "
                              "values('京X1',:n,:c,:b,:e,'备注',:b)"_s,
                              {{"n", name}, {"c", qint64(cost) * 10000}, {"b", from}, {"e", from.addYears(1)}});
            };
            x = fee("X保险", 100, QDate(2026, 1, 1));
            y = fee("Y年检", 200, QDate(2025, 6, 1));
            break;
        }
        case Window::Account: {
            auto entry = [&](int type, int amount, const char* item, int day, const char* cat) {
                return insert(u"Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
                              "Values(:t,:a,0,:i,:w,0,:c)"_s,
                              {{"t", type}, {"a", qint64(amount) * 10000}, {"i", item}, {"w", QDate(2026, 3, day)}, {"c", cat}});
            };
            x = entry(-1, 50, "X加油", 5, "油费");
            y = entry(1, 80, "Y收入", 6, "租金");
            break;
        }
        }
    }
    QString shown;     // what Y's pickers showed before the save
    QString yStored;   // Y as stored, odd values and all, before the save (but the column picked)
    void storeOdd(const Case& c)
    {
        const Place p = PlaceOf(c.window);
        exec(u"Update %1 set %2 where %3=:y"_s.arg(p.table, QString::fromUtf8(c.odd), p.key), {{"y", y}});
        yStored = row(c.window, y, QString::fromUtf8(c.picked));
    }
    // The columns a save may touch, but one.
    QString row(Window w, const QVariant& key, const QString& except = {})
    {
        Place p = PlaceOf(w);
        p.columns.removeAll(except);
        return RowsText(db(), p.table, p.columns, p.key + u"=:k"_s, {{"k", key}});
    }

    // Selects X, moves to Y, changes the picker when the case says so, and saves.
    void selectXMoveToYAndSave(const Case& c)
    {
        // Moving shows no box: every value stored shows as it is, or is kept.
        auto save = [&](QAbstractButton* b) {
            EXPECT_EQ(messageTexts().join(u'|'), QString());
            messages.clear();
            click(b);
        };
        switch (c.window) {
        case Window::Desk:
            frmLend->ui->PageControl1->setCurrentWidget(frmLend->ui->TabSheet1);
            inWindow(frmLend, &TfrmMain::BtnLendClick, [&] {
                auto* u = frmLend->ui.get();
                ASSERT_TRUE(frmLend->ADOMod->locate(u"LeasoID"_s, x));
                ASSERT_TRUE(frmLend->ADOMod->locate(u"LeasoID"_s, y));
                EXPECT_EQ(u->EdtModMemo->text() + u->EdtModPrice->text(),
                          u"Y备注"_s + (QString::fromUtf8(c.odd).startsWith(u"BasicPrice"_s) ? u"abc"_s : u"99"_s));
                shown = u->DtMod1Date->text() + u'|' + u->DTMod2Date->text() + u'|' + u->CmbModType->currentText();
                if (c.picked) SetMoment(u->DtMod1Date, u->DtMod1Time, pick);
                save(u->BtnSaveMod);
            });
            break;
        case Window::Settlement:
            inWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
                auto* u = frmCharge->ui.get();
                ASSERT_TRUE(frmCharge->ADOQry->locate(u"LeasoID"_s, x));
                ASSERT_TRUE(frmCharge->ADOQry->locate(u"LeasoID"_s, y));
                EXPECT_EQ(u->Memo1->toPlainText(), u"Y备注"_s);
                shown = u->DtDate->text();
                clearAndType(u->EdtLeaso, u"100"_s);
                save(u->Button1);
            });
            break;
        case Window::Register:
            inWindow(frmCar, &TfrmMain::BtnCarClick, [&] {
                ASSERT_TRUE(frmCar->ADOQry->locate(u"CarID"_s, x));
                ASSERT_TRUE(frmCar->ADOQry->locate(u"CarID"_s, y));
                EXPECT_EQ(frmCar->ui->EdtPledge->text(), u"5000元"_s);
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
                for (const QVariant& key : {x, y}) {
                    ASSERT_TRUE(frmCar->ADOTable1->locate(u"CostID"_s, key));
                    whenShown(frmCost, [&] {
                        auto* d = frmCost->ui.get();
                        shown = d->Dt1->text() + u'|' + d->Dt2->text() + u'|' + d->DtCreateTime->text();
                        if (key == y && c.picked) d->Dt2->setDate(pick.date());
                        frmCost->ui->BtnOK->click();
                    });
                    save(frmCar->ui->BtnModCost);
                }
            });
            break;
        case Window::Account:
            inWindow(frmAcct, &TfrmMain::ToolButton7Click, [&] {
                auto* u = frmAcct->ui.get();
                u->DateTimePicker1->setDate(QDate(2026, 3, 1));
                u->DateTimePicker2->setDate(QDate(2026, 3, 10));
                click(u->BtnQry);
                for (const QVariant& key : {x, y}) {
                    // Another tool changes Y after the book listed it.
                    if (key == y) storeOdd(c);
                    ASSERT_TRUE(frmAcct->ADOQry->locate(u"ID"_s, key));
                    whenShown(frmAcctMod, [&] {
                        shown = frmAcctMod->ui->DateTimePicker3->text();
                        frmAcctMod->ui->BtnSave->click();
                    });
                    save(u->BtnModify);
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
    const QString xBefore = row(c.window, x);
    selectXMoveToYAndSave(c);
    EXPECT_EQ(shown, QString::fromUtf8(c.shows));
    EXPECT_EQ(lastMessage(), QString::fromUtf8(c.box));
    EXPECT_EQ(row(c.window, x), xBefore);
    EXPECT_EQ(row(c.window, y, QString::fromUtf8(c.picked)), yStored);
    if (c.picked) {
        // The picked column takes the moment picked (its date alone where the
        // window has no time picker).
        const Place p = PlaceOf(c.window);
        const QVariant v = scalar(u"Select %1 from %2 where %3=:y"_s.arg(QString::fromUtf8(c.picked), p.table, p.key), {{"y", y}});
        EXPECT_EQ(DaysToDateTime(v.toDouble()), c.window == Window::Desk ? pick : CombineDateTime(pick.date(), QTime(0, 0)));
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
    selectXMoveToYAndSave(c);
    inWindow(frmCar, &TfrmMain::BtnCarClick, [&] {
        frmCar->ui->PageControl1->setCurrentWidget(frmCar->ui->TabSheet1);
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
    EXPECT_EQ(row(c.window, y), yStored);
}

INSTANTIATE_TEST_SUITE_P(Windows, RowSave, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

} // namespace
