// What a user sees: Qt's own texts in Chinese, edits filled by the program
// showing their start, windows opening at the same place, the main window's
// picture in proportion, and the hire desk reading its list once per opening.
#include "ui_UnitLend.h"
#include "ui_UnitMain.h"
#include "ui_UnitSelectScheme.h"
#include "support/AppFixture.h"
#include "app/UnitMain.h"
#include "hire/UnitLend.h"
#include "hire/UnitSelCust.h"
#include "hire/UnitSelectScheme.h"
#include "platform/Image.h"
#include "platform/Look.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

class Look : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return CombineDateTime(QDate(2026, 3, 10), QTime(9, 30, 15)); });
    }
    void addScheme(const QString& name)
    {
        exec(u"INSERT INTO PriceList (PriceName, LeasoType, BasicPrice, [Limit], AdditionalPrice) VALUES (:n, 2, 1500000, 200, 8000)"_s,
             {{"n", name}});
    }
    void addCar(const QString& id)
    {
        exec(u"INSERT INTO Car (CarID, State, Odograph, Pledge) VALUES (:id, 'A', 1000, '3000')"_s, {{"id", id}});
    }
    // Opens w through open(), runs fn while it shows, then closes it.
    void whileShown(QWidget* w, const std::function<void()>& open, const std::function<void()>& fn)
    {
        bool ran = false;
        whenShown(w, [&] { ran = true; fn(); if (w->isVisible()) QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection); });
        open();
        EXPECT_TRUE(ran) << w->objectName().toStdString();
    }
    static QStringList actionTexts(QMenu* m)
    {
        QStringList l;
        for (QAction* a : m->actions()) if (!a->isSeparator()) l << a->text().section(QLatin1Char('\t'), 0, 0);
        return l;
    }
};

} // namespace

TEST_F(Look, QtOwnTextsAreChinese)
{
    ASSERT_TRUE(InstallChineseLook(*qApp)) << "Qt's Chinese translation is not installed";
    QLineEdit e;
    std::unique_ptr<QMenu> menu(e.createStandardContextMenu());
    const QString all = actionTexts(menu.get()).join(u" | "_s);
    for (const QString& english : {u"Undo"_s, u"Cut"_s, u"Copy"_s, u"Paste"_s, u"Select All"_s})
        EXPECT_FALSE(all.contains(english)) << all.toStdString();
    EXPECT_TRUE(all.contains(u"粘贴"_s)) << all.toStdString();
    EXPECT_TRUE(all.contains(u"全选"_s)) << all.toStdString();

    QDialogButtonBox box(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().remove(u"(&C)"_s), u"取消"_s);
    EXPECT_EQ(box.button(QDialogButtonBox::Open)->text().remove(u"(&O)"_s), u"打开"_s);
}

TEST_F(Look, EditsFilledByTheProgramShowTheirStart)
{
    const QString longName = u"周末特惠长租方案——适用于所有轿车及商务车型，含保险与道路救援服务"_s;
    const QString longCar = u"京A·12345（白色大众帕萨特，商务接待专用）"_s;
    addScheme(longName);
    addCar(longCar);
    frmMain->show();
    whileShown(frmLend, [] { frmMain->BtnLendClick(); }, [&] {
        Ui::TfrmLend* u = frmLend->ui;
        EXPECT_EQ(u->EdtCar->text(), longCar);
        EXPECT_EQ(u->EdtCar->cursorPosition(), 0);
        whenShown(frmSelectScheme, [&] { click(frmSelectScheme->ui->BtnOK); });
        click(u->BtnScheme);
        ASSERT_EQ(u->EdtScheme->text(), longName);
        EXPECT_EQ(u->EdtScheme->cursorPosition(), 0);
        // The box is narrower than the name, so showing its start is a choice.
        EXPECT_GT(u->EdtScheme->fontMetrics().horizontalAdvance(longName), u->EdtScheme->width());
        EXPECT_EQ(u->EdtPrice->text(), u"150"_s);
        EXPECT_EQ(u->EdtPrice->cursorPosition(), 0);
    });
}

TEST_F(Look, DialogsOpenAtTheSamePlaceCentredOnTheMainWindow)
{
    frmMain->resize(700, 560);
    CentreOnOwner(frmMain);
    frmMain->show();
    const QPoint mainCentre = frmMain->geometry().center();
    struct Case { const char* name; QWidget* w; std::function<void()> open; };
    const std::vector<Case> cases = {
        {"desk", frmLend, [] { frmMain->BtnLendClick(); }},
        {"scheme picker", frmSelectScheme, [] { frmSelectScheme->showModal(); }},
        {"customer picker", frmSelCust, [] { frmSelCust->showModal(); }},
    };
    for (const Case& c : cases) {
        QRect first, second;
        whileShown(c.w, c.open, [&] { first = c.w->geometry(); });
        // A user who moves the window finds it back in its place next time.
        whileShown(c.w, c.open, [&] { second = c.w->geometry(); c.w->move(c.w->pos() + QPoint(37, 23)); });
        QRect third;
        whileShown(c.w, c.open, [&] { third = c.w->geometry(); });
        EXPECT_EQ(first, second) << c.name;
        EXPECT_EQ(first, third) << c.name;
        EXPECT_LE((first.center() - mainCentre).manhattanLength(), 2) << c.name;
    }
}

TEST_F(Look, MainWindowPictureKeepsItsProportions)
{
    frmMain->show();
    auto* image = frmMain->ui->Image1;
    ASSERT_FALSE(image->pixmap().isNull());
    for (const QSize size : {QSize(897, 601), QSize(1400, 601), QSize(1400, 900), QSize(700, 601)}) {
        frmMain->resize(size);
        QApplication::processEvents();
        const QRectF part = image->shownPart();
        ASSERT_FALSE(part.isEmpty());
        // The part shown has the widget's own shape: nothing is stretched.
        EXPECT_NEAR(part.width() / part.height(), double(image->width()) / image->height(), 0.01)
            << size.width() << "x" << size.height();
        EXPECT_LE(part.width(), image->pixmap().width() + 0.5);
        EXPECT_LE(part.height(), image->pixmap().height() + 0.5);
        const QImage shown = image->grab().toImage();
        EXPECT_EQ(shown.size(), image->size() * image->devicePixelRatioF());
    }
}

TEST_F(Look, DeskReadsItsFreeVehiclesOncePerOpening)
{
    addCar(u"京A00001"_s);
    int reads = 0;
    QObject::connect(frmLend->ADOQry, &TDataSet::afterOpen, frmLend, [&] { ++reads; });
    frmMain->show();
    for (int opening = 1; opening <= 2; ++opening) {
        reads = 0;
        whileShown(frmLend, [] { frmMain->BtnLendClick(); }, [&] {
            EXPECT_EQ(frmLend->ui->EdtCar->text(), u"京A00001"_s);
        });
        EXPECT_EQ(reads, 1) << "opening " << opening;
    }
}

TEST_F(Look, SettlementListIsReadThroughAnIndex)
{
    // The list statement of the settlement window, as the window runs it.
    TStatement plan(db(), u"EXPLAIN QUERY PLAN Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where "
                          "(EndTime is not null) and (ChargeTime is null) and Leaso.CustID=Customer.CustID "_s);
    QStringList steps;
    while (plan.next()) steps << plan.value(3).toString();
    const QString all = steps.join(u" | "_s);
    EXPECT_TRUE(all.contains(u"SEARCH Leaso USING INDEX Leaso_ChargeTime"_s)) << all.toStdString();
    EXPECT_FALSE(all.contains(u"SCAN Leaso"_s)) << all.toStdString();
}

TEST_F(Look, AccountBookAndStatisticsStatementsAreServedByTheirIndexes)
{
    // The statements as the account book and the statistics window run them.
    const Params range{{u"from"_s, 46000.0}, {u"to"_s, 46031.0}};
    struct Case { const char* name; QString sql; Params params; QString uses; QString neverScans; };
    const QString live = u"(Deleted<>1 or Deleted is null)"_s;
    const Case cases[] = {
        {"account book list", u"Select * from [Acct] where "_s + live + u" And AcctTime >= :from And AcctTime < :to"
                              " Order By [AcctTime] DESC, ID"_s, range, u"SEARCH Acct USING INDEX Acct_AcctTime"_s, u"SCAN Acct"_s},
        {"account book total", u"Select sum(Amount) from [Acct] where [Type]=-1 and "_s + live
                               + u" And AcctTime >= :from And AcctTime < :to"_s, range,
         u"SEARCH Acct USING INDEX Acct_AcctTime"_s, u"SCAN Acct"_s},
        {"totals per vehicle", u"select carID,sum(charge) as charge,count(*) as counts,Round(sum(EndTime-BeginTime),2) as Time1"
                               " from leaso where begintime >= :from and begintime < :to group by CarID"_s, range,
         u"SEARCH leaso USING INDEX Leaso_BeginTime"_s, u"SCAN leaso"_s},
        {"totals per customer", u"select t.CustID,CustName,charge,counts,Time1 from (select CustID,sum(charge) as charge,"
                                "count(*) as counts,Round(sum(EndTime-BeginTime),2) as Time1 from leaso where begintime >= :from"
                                " and begintime < :to group by CustID) t,Customer where t.CustID=Customer.CustID"_s, range,
         u"SEARCH leaso USING INDEX Leaso_BeginTime"_s, u"SCAN leaso"_s},
        {"hires by customer name", u"select leaso.CustID,CustName,CarID,BeginTime,EndTime,Charge,ChargeTime,Leaso.LeasoID,"
                                   "Leaso.Memo from Customer cross join leaso where Leaso.CustID=Customer.Custid "
                                   " and CustName like :pat escape '\\'"_s, {{u"pat"_s, u"%王%"_s}},
         u"SEARCH leaso USING INDEX Leaso_CustID"_s, u"SCAN leaso"_s},
    };
    for (const Case& c : cases) {
        TStatement plan(db(), u"EXPLAIN QUERY PLAN "_s + c.sql, c.params);
        QStringList steps;
        while (plan.next()) steps << plan.value(3).toString();
        const QString all = steps.join(u" | "_s);
        EXPECT_TRUE(all.contains(c.uses)) << c.name << ": " << all.toStdString();
        EXPECT_FALSE(all.contains(c.neverScans)) << c.name << ": " << all.toStdString();
    }
}

TEST_F(Look, DatePickersCalendarIsChineseFromSundayWhenFirstOpened)
{
    QDateEdit d;
    SetupDatePicker(&d);
    d.resize(120, 24);
    d.show();
    // A press on the picker makes its calendar, set up as the program's.
    QTest::mousePress(&d, Qt::LeftButton, {}, QPoint(110, 12));
    QCalendarWidget* c = d.calendarWidget();
    EXPECT_EQ(c->firstDayOfWeek(), Qt::Sunday);
    EXPECT_EQ(c->locale().language(), QLocale::Chinese);
    QTest::mouseRelease(&d, Qt::LeftButton, {}, QPoint(110, 12));
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    // Made on demand too, in the same set-up.
    QDateEdit other;
    SetupDatePicker(&other);
    EXPECT_EQ(PickerCalendar(&other)->firstDayOfWeek(), Qt::Sunday);
}
