// The grids over files other tools have edited: text where an amount, a
// moment or a whole number belongs is shown as it is, and only a command that
// works with the value refuses it. A list that can no longer be read while
// another moves ends in the error box, and the window goes on.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "app/UnitMain.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitReport.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "hire/UnitReturn.h"
#include "hire/UnitSelectScheme.h"
#include "registers/UnitCar.h"
#include "registers/UnitCost.h"
#include "accounts/UnitModAcct.h"
#include "registers/UnitPrice.h"
#include "ui_UnitAcct.h"
#include "ui_UnitCar.h"
#include "ui_UnitCost.h"
#include "ui_UnitModAcct.h"
#include "ui_UnitCharge.h"
#include "ui_UnitLend.h"
#include "ui_UnitPrice.h"
#include "ui_UnitReport.h"
#include "ui_UnitReturn.h"
#include "ui_UnitSelectScheme.h"
#include "platform/DBGrid.h"
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

class StoredText : public AppFixture {
protected:
    // Three vehicles, each with one hire of customer C1: open, returned,
    // settled. Text stands where the scheme's price, the settled charge, the
    // fee item's cost and the account entry's amount belong.
    void addHires()
    {
        exec(u"Insert into Customer(CustID,CustName) values('C1','王五')"_s);
        for (int i = 1; i <= 3; ++i) {
            exec(u"Insert into Car(CarID,State,Odograph) values(:c,'A',5000)"_s, {{"c", car(i)}});
            exec(u"Insert into Leaso(CarID,CustID,LeasoType,BeginTime,PlanEndTime,EndTime,ChargeTime,BasicPrice,[Limit],"
                 "AdditionalPrice,Prepay,Odograph1,Odograph2,Charge) values(:c,'C1',0,:b,:p,:e,:t,1500000,200,8000,5000000,"
                 "10000,10300,:charge)"_s,
                 {{"c", car(i)}, {"b", today.addDays(-3)}, {"p", today.addDays(1)}, {"e", i > 1 ? QVariant(today) : QVariant()},
                  {"t", i > 2 ? QVariant(today) : QVariant()}, {"charge", i > 2 ? QVariant(u"abc"_s) : QVariant()}});
        }
        exec(u"Insert into PriceList(PriceName,LeasoType,BasicPrice,[Limit],AdditionalPrice) values('日租',0,'十元',200,8000)"_s);
        exec(u"Insert into CarCost(CarID,Name,Cost,BeginTime) values('京A-1','保险','abc',:d)"_s, {{"d", today}});
        exec(u"Insert into Acct([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) values(-1,'abc',0,'加油',:d,0,'油费')"_s,
             {{"d", today}});
    }
    static QString car(int i) { return u"京A-%1"_s.arg(i); }
    // Every stored value, to show that nothing was written.
    QString everything()
    {
        QStringList all;
        for (const char* t : {"Car", "Leaso", "PriceList", "CarCost", "Acct"})
            for (TStatement st(db(), u"select * from "_s + QLatin1String(t), {}); st.next();)
                for (int c = 0; c < st.columnCount(); ++c) all << st.value(c).toString();
        return all.join(u'|');
    }
    const QDate today = QDate::currentDate();
};

// The text a grid shows in the column captioned `caption`, on the row whose
// column `keyCaption` shows `key`.
QString Shown(TDBGrid* g, const QString& keyCaption, const QString& key, const QString& caption)
{
    const QAbstractItemModel* m = g->model();
    int kc = -1, c = -1;
    for (int i = 0; i < m->columnCount(); ++i) {
        const QString h = m->headerData(i, Qt::Horizontal).toString();
        if (h == keyCaption) kc = i;
        if (h == caption) c = i;
    }
    for (int r = 0; kc >= 0 && c >= 0 && r < m->rowCount(); ++r)
        if (m->index(r, kc).data().toString() == key) return m->index(r, c).data().toString();
    return u"<no such cell>"_s;
}

struct Window { QDialog* form; void (TfrmMain::*open)(); };

} // namespace

// Each window opens and paints with no box, the stored text in its cell; the
// account book's query says that its totals leave the text out.
TEST_F(StoredText, EveryGridThatShowsMoneyShowsTextStoredThereAsItIs)
{
    addHires();
    exec(u"Update Leaso set Prepay='abc', PlanEndTime='下周一' where EndTime is null or ChargeTime is null"_s);
    exec(u"Update Leaso set ChargeTime='昨天' where ChargeTime is not null"_s);
    exec(u"Update CarCost set BeginTime='今天'"_s);
    exec(u"Update Car set Odograph='abc' where CarID='京A-1'"_s);
    const Window price{frmPrice, &TfrmMain::ToolButton10Click}, ret{frmReturn, &TfrmMain::BtnReturnClick},
        charge{frmCharge, &TfrmMain::BtnChargeClick}, cars{frmCar, &TfrmMain::BtnCarClick},
        acct{frmAcct, &TfrmMain::ToolButton7Click}, report{frmReport, &TfrmMain::BtnReportClick};
    const QString leftOut = u"查询范围内有1条记录的金额不是数字，收入合计、支出合计和节余没有计入这些记录。"_s;
    auto fees = [] { frmCar->ui->PageControl1->setCurrentWidget(frmCar->ui->TabSheet1); };
    auto hires = [] {
        frmReport->ui->PageControl1->setCurrentWidget(frmReport->ui->TabSheet2);
        frmReport->ui->CmbCar->setEditText(u"京A-3"_s);
        frmReport->ui->BtnQry2->click();
    };
    const struct Row {
        const char* name; Window w; std::function<void()> prepare; TDBGrid* grid; QString keyCaption, key, caption, shown;
        QStringList boxes = {};
    } rows[] = {
        {"scheme price", price, {}, frmPrice->ui->DBGrid1, u"方案名称"_s, u"日租"_s, u"价格(单价)"_s, u"十元"_s},
        {"open hire prepay", ret, {}, frmReturn->ui->DBGrid1, u"车辆"_s, car(1), u"预付款及押金"_s, u"abc"_s},
        {"open hire planned return", ret, {}, frmReturn->ui->DBGrid1, u"车辆"_s, car(1), u"计划还车时间"_s, u"下周一"_s},
        {"returned hire prepay", charge, {}, frmCharge->ui->DBGrid1, u"车辆"_s, car(2), u"预付款及押金"_s, u"abc"_s},
        {"fee item cost", cars, fees, frmCar->ui->DBGrid2, u"车辆"_s, car(1), u"金额"_s, u"abc"_s},
        {"fee item start", cars, fees, frmCar->ui->DBGrid2, u"车辆"_s, car(1), u"生效时间"_s, u"今天"_s},
        {"vehicle mileage", cars, {}, frmCar->ui->DBGrid1, u"车辆"_s, car(1), u"当前里程"_s, u"abc"_s},
        {"account entry", acct, {}, frmAcct->ui->DBGrid1, u"事项"_s, u"加油"_s, u"金额"_s, u"abc"_s, {leftOut}},
        {"account entry kind", acct, {}, frmAcct->ui->DBGrid1, u"事项"_s, u"加油"_s, u"收/支"_s, u"支"_s, {leftOut}},
        {"settled hire charge", report, hires, frmReport->ui->DBGrid3, u"车辆"_s, car(3), u"租金"_s, u"abc"_s},
        {"settled hire time", report, hires, frmReport->ui->DBGrid3, u"车辆"_s, car(3), u"结算时间"_s, u"昨天"_s},
    };
    for (const Row& r : rows) {
        messages.clear();
        inWindow(r.w.form, r.w.open, [&] {
            if (r.prepare) r.prepare();
            EXPECT_FALSE(r.w.form->grab().isNull()) << r.name;
            EXPECT_EQ(Shown(r.grid, r.keyCaption, r.key, r.caption), r.shown) << r.name;
        });
        EXPECT_EQ(messageTexts(), r.boxes) << r.name;
    }
}

// A command that works with such a value refuses it with the conversion's
// message in the error box and writes nothing.
TEST_F(StoredText, ACommandThatWorksWithTheValueRefusesIt)
{
    addHires();
    exec(u"Update Leaso set BasicPrice='abc' where ChargeTime is null"_s);
    const QString abc = u"“abc”不是有效的金额"_s;
    const struct Row { const char* name; QDialog* form; void (TfrmMain::*open)(); std::function<void()> command; QString refusal; } rows[] = {
        {"scheme taken into the hire desk", frmLend, &TfrmMain::BtnLendClick, [this] {
             whenShown(frmSelectScheme, [] {
                 frmSelectScheme->ui->BtnOK->click();
                 EXPECT_TRUE(frmSelectScheme->isVisible());   // refused, still choosing
                 frmSelectScheme->reject();
             });
             frmLend->ui->BtnScheme->click();
             EXPECT_EQ(frmLend->ui->EdtPrice->text(), QString());
         }, u"“十元”不是有效的金额"_s},
        // The fee of the selected hire is worked out as the window opens.
        {"return fee", frmReturn, &TfrmMain::BtnReturnClick, [] { EXPECT_EQ(frmReturn->ui->EdtOwe->text(), QString()); }, abc},
        {"settlement fee", frmCharge, &TfrmMain::BtnChargeClick, [] { EXPECT_EQ(frmCharge->ui->EdtOwe->text(), QString()); }, abc},
        // The change dialogs show the stored text; their save refuses it.
        {"fee item changed", frmCar, &TfrmMain::BtnCarClick, [this] {
             frmCar->ui->PageControl1->setCurrentWidget(frmCar->ui->TabSheet1);
             whenShown(frmCost, [] {
                 EXPECT_EQ(frmCost->ui->EdtCost->text(), u"abc"_s);
                 frmCost->ui->BtnOK->click();
             });
             frmCar->ui->BtnModCost->click();
         }, abc},
        {"account entry changed", frmAcct, &TfrmMain::ToolButton7Click, [this] {
             whenShown(frmAcctMod, [] {
                 EXPECT_EQ(frmAcctMod->ui->EdtAmount->text(), u"abc"_s);
                 frmAcctMod->ui->BtnSave->click();
             });
             frmAcct->ui->BtnModify->click();
         }, abc},
    };
    const QString before = everything();
    for (const Row& r : rows) {
        messages.clear();
        inWindow(r.form, r.open, r.command);
        ASSERT_FALSE(messages.empty()) << r.name;
        EXPECT_TRUE(messages.back().text.endsWith(r.refusal)) << r.name << ": " << messages.back().text.toStdString();
        EXPECT_EQ(everything(), before) << r.name;
    }
}

// The fee items follow the vehicle list. When they can no longer be read, a
// move of the list ends in the error box; the list, the boxes and the
// selection agree on the vehicle moved to, no fee item of another vehicle
// stays on show, and the window closes as usual.
TEST_F(StoredText, AMoveToAVehicleWhoseFeeItemsCannotBeReadEndsInTheErrorBox)
{
    addHires();
    inWindow(frmCar, &TfrmMain::BtnCarClick, [&] {
        TDBGrid* list = frmCar->ui->DBGrid1;
        ASSERT_EQ(frmCar->ADOTable1->recordCount(), 1);
        exec(u"Alter table CarCost rename to CarCost2"_s);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.contains(u"no such table: CarCost"_s)) << messages[0].text.toStdString();
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
        EXPECT_EQ(frmCar->ADOQry->recNo(), 1);
        EXPECT_EQ(list->currentIndex().row(), 1);
        EXPECT_EQ(frmCar->ui->EdtCarID->text(), car(2));
        EXPECT_EQ(frmCar->ui->DBGrid2->model()->rowCount(), 0);
        // Readable again: the next move reads the first vehicle's item.
        exec(u"Alter table CarCost2 rename to CarCost"_s);
        QTest::keyClick(list, Qt::Key_Up);
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(list->currentIndex().row(), 0);
        EXPECT_EQ(frmCar->ui->EdtCarID->text(), car(1));
        EXPECT_EQ(frmCar->ui->DBGrid2->model()->rowCount(), 1);
        frmCar->ui->BtnExit1->click();
    });
}
