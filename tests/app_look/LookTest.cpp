// What a user sees and waits for: the look of pickers, tabs, boxes and lists, and
// the account book and statistics lists read through indexes, not whole tables.
#include "ui_UnitLend.h"
#include "ui_UnitSelectScheme.h"
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "app/UnitMain.h"
#include "accounts/UnitAcct.h"
#include "accounts/UnitReport.h"
#include "admin/UnitBackup.h"
#include "admin/UnitChangePass.h"
#include "hire/UnitLend.h"
#include "hire/UnitSelectScheme.h"
#include "registers/UnitCar.h"
#include "registers/UnitNewCar.h"
#include "registers/UnitNewCust.h"
#include "platform/Look.h"
#include "platform/Pickers.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QTest>
#include <tuple>

using namespace Qt::StringLiterals;

TEST(LookTexts, DatePickersCalendarIsChineseFromSundayWhenFirstOpened)
{
    QDateEdit d;
    SetupDatePicker(&d);
    d.resize(120, 24);
    d.show();
    // The calendar is made by the first press on the picker.
    QTest::mousePress(&d, Qt::LeftButton, {}, QPoint(110, 12));
    EXPECT_EQ(d.calendarWidget()->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(d.calendarWidget()->locale().language(), QLocale::Chinese);
    QTest::mouseRelease(&d, Qt::LeftButton, {}, QPoint(110, 12));
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
}

using Look = AppFixture;

TEST_F(Look, EditsFilledByTheProgramShowTheirStartAndTheDeskOpensInOnePlace)
{
    const QString longName = u"周末特惠长租方案——适用于所有轿车及商务车型，含保险与道路救援服务"_s;
    exec(u"INSERT INTO PriceList (PriceName, LeasoType, BasicPrice, [Limit], AdditionalPrice) VALUES (:n, 2, 1500000, 200, 8000)"_s,
         {{"n", longName}});
    exec(u"INSERT INTO Car (CarID, State, Odograph, Pledge) VALUES ('京A1', 'A', 1000, '3000')"_s);
    frmMain->resize(700, 560);
    CentreOnOwner(frmMain);
    frmMain->show();
    QRect first, second;
    inWindow(frmLend, &TfrmMain::BtnLendClick, [&] {
        first = frmLend->geometry();
        Ui::TfrmLend* u = frmLend->ui.get();
        whenShown(frmSelectScheme, [&] { click(frmSelectScheme->ui->BtnOK); });
        click(u->BtnScheme);
        ASSERT_EQ(u->EdtScheme->text(), longName);
        EXPECT_EQ(u->EdtScheme->cursorPosition(), 0);
        frmLend->move(frmLend->pos() + QPoint(37, 23));   // a user's move is not kept
    });
    inWindow(frmLend, &TfrmMain::BtnLendClick, [&] { second = frmLend->geometry(); });
    EXPECT_EQ(first, second);
    EXPECT_LE((first.center() - frmMain->geometry().center()).manhattanLength(), 2);
}

TEST_F(Look, AccountBookAndStatisticsStatementsAreServedByTheirIndexes)
{
    // The statements as the settlement list, the account book and the statistics window run them.
    const Params range{{u"from"_s, 46000.0}, {u"to"_s, 46031.0}};
    const struct { QString sql; Params params; QString search; } cases[] = {
        {u"Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where (EndTime is not null) "
         "and (ChargeTime is null) and Leaso.CustID=Customer.CustID "_s, {}, u"SEARCH Leaso USING INDEX Leaso_ChargeTime"_s},
        {u"Select * from [Acct] where (Deleted<>1 or Deleted is null) And AcctTime >= :from"
         " And AcctTime < :to Order By [AcctTime] DESC, ID"_s, range, u"SEARCH Acct USING INDEX Acct_AcctTime"_s},
        {u"select carID,sum(charge) as charge,count(*) as counts,Round(sum(EndTime-BeginTime),2) as Time1"
         " from leaso where begintime >= :from and begintime < :to group by CarID"_s, range, u"SEARCH leaso USING INDEX Leaso_BeginTime"_s},
        {u"select leaso.CustID,CustName,CarID,BeginTime,EndTime,Charge,ChargeTime,Leaso.LeasoID,Leaso.Memo from Customer cross join"
         " leaso where Leaso.CustID=Customer.Custid and CustName like :pat escape '\\'"_s, {{u"pat"_s, u"%王%"_s}},
         u"SEARCH leaso USING INDEX Leaso_CustID"_s}};
    for (const auto& c : cases) {
        TStatement plan(db(), u"EXPLAIN QUERY PLAN "_s + c.sql, c.params);
        QStringList steps;
        while (plan.next()) steps << plan.value(3).toString();
        EXPECT_TRUE(steps.join(u" | "_s).contains(c.search)) << c.search.toStdString() << ": " << steps.join(u" | "_s).toStdString();
    }
}

TEST_F(Look, PageControlsShareTheDesksFlatButtonTabs)
{
    QTabWidget reference;
    UseFlatButtonTabs(&reference);
    for (const auto& [name, w] : {std::pair<const char*, QWidget*>{"hire desk", frmLend}, {"vehicle register", frmCar},
                                  {"account book", frmAcct}, {"statistics", frmReport}, {"backup", frmBackup}}) {
        auto* tabs = w->findChild<QTabWidget*>(u"PageControl1"_s);
        ASSERT_TRUE(tabs) << name;
        // The style sheet selects on the property: without it the tabs keep the plain look.
        EXPECT_EQ(std::tuple(tabs->property(FlatButtonTabsProperty).toBool(), tabs->documentMode(), tabs->styleSheet()),
                  std::tuple(true, true, reference.styleSheet())) << name;
    }
}

TEST_F(Look, ReadOnlyBoxesAreSilverButTheNewCustomersPhotoPath)
{
    auto base = [](QWidget* window, const char* box) {
        window->ensurePolished();
        auto* e = window->findChild<QLineEdit*>(QString::fromLatin1(box));
        return e ? e->palette().color(QPalette::Base).name() : QString();
    };
    const QString silver = base(frmCar, "EdtCarPath");
    EXPECT_EQ(silver, u"#c0c0c0"_s);
    EXPECT_EQ(base(frmChangePass, "EdtUser"), silver) << "password dialog's user";
    EXPECT_EQ(base(frmBackup, "EdtBackupPath"), silver) << "backup folder";
    EXPECT_EQ(base(frmBackup, "EdtRecoverDir"), silver) << "restore folder";
    EXPECT_EQ(base(frmNewCust, "EdtCustPath"), QApplication::palette().color(QPalette::Base).name()) << "new customer's photo path";
}

TEST_F(Look, MainWindowTextsAreInTheProgramsFaceAtNinePoints)
{
    // Also the buttons and texts on the styled toolbar and contact strip.
    for (const char* name : {"TfrmMain", "BtnCar", "Label1", "lblVersion"}) {
        QWidget* w = frmMain->objectName() == QLatin1String(name) ? frmMain : frmMain->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_TRUE(w) << name;
        EXPECT_EQ(u"%1 %2"_s.arg(w->font().family()).arg(w->font().pointSize()), u"Noto Sans CJK SC 9"_s) << name;
    }
}

TEST_F(Look, DropDownListsOpenAsWideAsTheirLongestEntryWhileTheBoxKeepsItsWidth)
{
    InstallChineseLook(*qApp);
    const QStringList brands{u"大众帕萨特"_s, u"丰田凯美瑞"_s};
    for (const QString& b : brands)
        exec(u"INSERT INTO Car (CarID, State, Mark) VALUES (:id, 'A', :m)"_s, {{"id", b + u"车"_s}, {"m", b}});
    inWindow(frmNewCar, &TfrmMain::BtnNewCarClick, [&] {
        auto* combo = frmNewCar->findChild<QComboBox*>(u"CmbMark"_s);
        ASSERT_EQ(combo->count(), 2);
        const int boxWidth = combo->width();
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(list->isVisible());
        const int listWidth = list->viewport()->width();
        EXPECT_GE(listWidth, list->sizeHintForColumn(0)) << "an entry is cut short";
        EXPECT_EQ(combo->width(), boxWidth);
        combo->hidePopup();
    });
}
