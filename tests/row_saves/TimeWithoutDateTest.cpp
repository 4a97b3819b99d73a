// A moment whose date the picker could not show (null, text) is kept by a
// save; a time the user sets beside it makes no moment, so the save is
// refused with nothing written rather than dropping the time and saying saved.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "ui_UnitCharge.h"
#include "ui_UnitLend.h"
#include "app/UnitMain.h"
#include "hire/UnitCharge.h"
#include "hire/UnitLend.h"
#include "platform/Moment.h"

using namespace Qt::StringLiterals;

namespace {

enum class Window { Desk, Settlement };

struct Case {
    const char* name;
    Window window;
    const char* odd;     // what another tool stored (an SQL set list)
    const char* time;    // the time picker the user changes
    bool datePicked;     // the user also picks the date beside it
    const char* box;
    const char* stored;  // BeginTime|PlanEndTime|EndTime after the save
};

const Case kCases[] = {
    {"DeskBeginNullTimeOnly", Window::Desk, "BeginTime=NULL", "DtMod1Time", false, "请选择出租时间的日期！",
     "NULL|46093.3333333333|NULL"},
    {"DeskPlanTextTimeOnly", Window::Desk, "PlanEndTime='abc'", "DTMod2Time", false, "请选择计划归还时间的日期！",
     "46090.3333333333|abc|NULL"},
    {"DeskBeginNullDateAndTime", Window::Desk, "BeginTime=NULL", "DtMod1Time", true, "修改已保存！",
     "46089.4166666667|46093.3333333333|NULL"},
    {"SettlementEndTextTimeOnly", Window::Settlement, "EndTime='abc'", "DtTime", false, "请选择还车时间的日期！",
     "46090.3333333333|46093.3333333333|abc"},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class TimeWithoutDate : public AppFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(TimeWithoutDate, ASaveRefusesATimeSetBesideADateThePickerCouldNotShow)
{
    const Case& c = GetParam();
    SetClockHook([] { return CombineDateTime(QDate(2026, 3, 10), QTime(9, 30)); });
    const bool settle = c.window == Window::Settlement;
    exec(u"Insert into Customer(CustID,CardType,CustName,Tel) values('C1','身份证','张三','138')"_s);
    exec(u"Insert into Leaso(CarID,CustID,LeasoType,BeginTime,PlanEndTime,EndTime,BasicPrice,[Limit],AdditionalPrice,"
         "Odograph1,Memo) values('京Y2','C1',0,:b,:p,:e,990000,200,8000,1000,'m')"_s,
         {{"b", CombineDateTime(QDate(2026, 3, 9), QTime(8, 0))}, {"p", CombineDateTime(QDate(2026, 3, 12), QTime(8, 0))},
          {"e", settle ? QVariant(CombineDateTime(QDate(2026, 3, 10), QTime(8, 0))) : QVariant()}});
    exec(u"Update Leaso set %1"_s.arg(QString::fromUtf8(c.odd)));
    auto moments = [&] {
        QStringList cols;
        for (const char* col : {"BeginTime", "PlanEndTime", "EndTime"})
            cols << u"iif(typeof(%1)='real', round(%1, 10), %1)"_s.arg(QString::fromUtf8(col));
        return RowsText(db(), u"Leaso"_s, cols);
    };
    const QString before = moments();
    auto setTime = [&](QWidget* w) {
        auto* t = w->findChild<QTimeEdit*>(QString::fromUtf8(c.time));
        ASSERT_TRUE(t);
        t->setTime(QTime(10, 0));
    };
    if (settle) {
        inWindow(frmCharge, &TfrmMain::BtnChargeClick, [&] {
            auto* u = frmCharge->ui.get();
            setTime(frmCharge);
            clearAndType(u->EdtLeaso, u"100"_s);
            click(u->Button1);
        });
    } else {
        frmLend->ui->PageControl1->setCurrentWidget(frmLend->ui->TabSheet1);
        inWindow(frmLend, &TfrmMain::BtnLendClick, [&] {
            auto* u = frmLend->ui.get();
            setTime(frmLend);
            if (c.datePicked) u->DtMod1Date->setDate(QDate(2026, 3, 8));
            click(u->BtnSaveMod);
        });
    }
    EXPECT_EQ(lastMessage(), QString::fromUtf8(c.box));
    EXPECT_EQ(moments(), QString::fromUtf8(c.stored));
    if (!c.datePicked) EXPECT_EQ(moments(), before) << "nothing written";
    ExpectLastGuardQuiet();
}

INSTANTIATE_TEST_SUITE_P(Windows, TimeWithoutDate, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

} // namespace
