// The statistics window, driven through its real controls over a month of hires.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/Typing.h"
#include "support/XlsxRead.h"
#include "accounts/UnitReport.h"
#include "app/AppContext.h"
#include "app/UnitMain.h"
#include "platform/Convert.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Moment.h"
#include "ui_UnitReport.h"
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace {

const QString Zhang = QStringLiteral("110101199001011234");   // 张三
const QString OBrien = QStringLiteral("B7");                   // O'Brien
const QString Ming = QStringLiteral("320102198505050011");     // 张小明
const QString Pct = QStringLiteral("P9");                      // A%B
const QString StillOut = QStringLiteral("该车辆为“租出”状态，请先做“还车”操作后再删除！");
const QString DeleteQuestion = QStringLiteral("确定要删除本条纪录吗？");

QDateTime at(int y, int m, int d, int h = 0, int mi = 0, int s = 0) { return CombineDateTime(QDate(y, m, d), QTime(h, mi, s)); }

class Report : public AppFixture {
protected:
    // Hire keys in the order made.
    enum { H1 = 1, H2, H3, H4, H5, H6, H7 };

    void prepareDatabase(TADOConnection& cn) override
    {
        const QList<QPair<QString, QString>> custs{{Zhang, QStringLiteral("张三")}, {OBrien, QStringLiteral("O'Brien")},
                                                   {Ming, QStringLiteral("张小明")}, {Pct, QStringLiteral("A%B")}};
        for (const auto& [id, name] : custs)
            cn.execute(QStringLiteral("INSERT INTO Customer (CustID, CustName) VALUES (:i, :n)"), {{"i", id}, {"n", name}});
        for (const char* car : {"京A1", "沪B2", "粤C3"})
            cn.execute(QStringLiteral("INSERT INTO Car (CarID, State) VALUES (:c, 'A')"), {{"c", QString::fromUtf8(car)}});
        // A month of hires: the first begins at the month's first midnight, two
        // are still out, two lie just outside the month.
        hire(cn, "京A1", Zhang, at(2024, 3, 1), at(2024, 3, 3, 12), "300.1");
        hire(cn, "京A1", OBrien, at(2024, 3, 10, 8), at(2024, 3, 11, 16), "0.2");
        hire(cn, "京A1", Zhang, at(2024, 3, 20, 9), {}, nullptr);
        hire(cn, "沪B2", Ming, at(2024, 3, 31, 23, 59, 59), {}, nullptr);
        hire(cn, "沪B2", OBrien, at(2024, 4, 1), at(2024, 4, 2), "50");
        hire(cn, "粤C3", Zhang, at(2024, 2, 29, 23, 59, 59), at(2024, 3, 1, 6), nullptr);
        hire(cn, "粤C3", Pct, at(2024, 1, 5, 10), at(2024, 1, 6, 10), "80");
    }
    static void hire(TADOConnection& cn, const char* car, const QString& cust, const QDateTime& b, const QDateTime& e, const char* charge)
    {
        cn.execute(QStringLiteral("INSERT INTO Leaso (CarID, CustID, BeginTime, EndTime, Charge, ChargeTime, Memo) "
                                  "VALUES (:car, :cust, :b, :e, :m, :ct, :memo)"),
                   {{"car", QString::fromUtf8(car)}, {"cust", cust}, {"b", b}, {"e", e.isValid() ? QVariant(e) : QVariant()},
                    {"m", charge ? QVariant::fromValue(StrToCurr(QString::fromUtf8(charge))) : QVariant()},
                    {"ct", charge ? QVariant(e.addSecs(600)) : QVariant()}, {"memo", QStringLiteral("备注 -- 'x'")}});
    }

    void SetUp() override
    {
        AppFixture::SetUp();
        if (frmReport) frmReport->show();
        // The save dialog's suggested name is part of what each export shows.
        Dlg::hooks().saveFile = [this](const QString&, const QString& name, const QString&) {
            suggested << name;
            return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.takeFirst();
        };
    }
    void TearDown() override
    {
        if (frmReport) frmReport->hide();
        AppFixture::TearDown();
    }

    Ui::TfrmReport* R() { return frmReport->ui.get(); }
    static QString cell(TDBGrid* g, int row, int col) { return g->model()->index(row, col).data().toString(); }
    // The rows a grid shows, each as its visible cells joined by "|".
    static QStringList rows(TDBGrid* g)
    {
        QStringList out;
        for (int r = 0; r < g->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < g->model()->columnCount(); ++c)
                if (!g->isColumnHidden(c)) cells << cell(g, r, c);
            out << cells.join(QLatin1Char('|'));
        }
        out.sort();
        return out;
    }
    void setRange(QDateEdit* from, QDateEdit* to, QDate a, QDate b) { from->setDate(a); to->setDate(b); }
    void selectRow(TDBGrid* g, const QString& text, int col)
    {
        for (int r = 0; r < g->model()->rowCount(); ++r)
            if (cell(g, r, col) == text) { QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(r, col)).center()); return; }
        ADD_FAILURE() << "no row " << text.toStdString();
    }
    void setText(QComboBox* c, const QString& text)
    {
        c->lineEdit()->clear();
        c->setFocus();
        TypeText(c->lineEdit(), text);
    }
    void chooseRadio(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }
    qint64 hires() { return scalar(QStringLiteral("select count(*) from Leaso")).toLongLong(); }

    // Exports through a button to a file and reads it back.
    XlsxSheet exportTo(QPushButton* b, const QString& name)
    {
        const QString file = dir() + name;
        saveFileAnswers << file;
        messages.clear();
        click(b);
        EXPECT_EQ(lastMessage(), QStringLiteral("导出完毕！"));
        XlsxSheet x;
        QString err;
        EXPECT_TRUE(x.load(file, &err)) << err.toStdString();
        return x;
    }
    static QStringList sorted(QStringList l) { l.sort(); return l; }
    static int rowOf(const XlsxSheet& x, int col, const QString& text)
    {
        for (int r = 3; r <= x.rowCount(); ++r)
            if (x.text(r, col) == text) return r;
        return -1;
    }

    QStringList suggested;
};

} // namespace

// Made by hand, so that the clock is set before the window's creation.
class ReportAtStart : public Report {
protected:
    ReportAtStart() { createForms = false; }
};

TEST_F(ReportAtStart, StartsWithDefaultRangesListsAndDisabledExportsOnTheFourthTab)
{
    SetClockHook([] { return at(2024, 3, 15, 10); });
    startApp();
    EXPECT_EQ(frmReport->windowTitle(), QStringLiteral("Quorvane - 统计报表"));
    EXPECT_EQ(R()->Dt1->date(), QDate(2024, 2, 14));
    EXPECT_EQ(R()->Dt2->date(), QDate(2024, 3, 15));
    EXPECT_EQ(R()->Dt31->date(), QDate(2023, 3, 16));
    EXPECT_EQ(R()->Dt32->date(), QDate(2024, 3, 15));
    EXPECT_EQ(R()->PageControl1->currentIndex(), 3);
    EXPECT_EQ(R()->PageControl1->tabText(0), QStringLiteral(" 车辆租借情况统计 "));
    EXPECT_EQ(R()->CmbCar->count(), 3);
    EXPECT_EQ(R()->CmbCar->currentText(), QString()) << "filling the list picks no plate";
    EXPECT_TRUE(R()->RbName->isChecked());
    EXPECT_EQ(R()->CmbCust->count(), 4);
    EXPECT_GE(R()->CmbCust->findText(QStringLiteral("O'Brien")), 0);
    EXPECT_EQ(R()->CmbCust->currentText(), QString());
    for (QPushButton* b : {R()->BtnExpXls1, R()->BtnExpXls2, R()->BtnExpXls3, R()->BtnExpXls4}) EXPECT_FALSE(b->isEnabled());
    for (TDataSet* ds : {frmReport->ADOQry, frmReport->ADOQry2, frmReport->ADOQry3, frmReport->ADOQry4}) EXPECT_FALSE(ds->active());
    // Opened from the main window it shows, and closes by its title bar.
    whenShown(frmReport, [] { frmReport->close(); });
    frmMain->BtnReportClick();
}

TEST_F(Report, PerVehicleTotalsOverAMonthSwapAReversedRangeAndCountFromTheFirstMidnight)
{
    // Given backwards: the pickers exchange their dates.
    setRange(R()->Dt1, R()->Dt2, QDate(2024, 3, 31), QDate(2024, 3, 1));
    click(R()->BtnQry);
    EXPECT_EQ(R()->Dt1->date(), QDate(2024, 3, 1));
    EXPECT_EQ(R()->Dt2->date(), QDate(2024, 3, 31));
    // 京A1: 300.1 + 0.2 exactly, three hires (one still out), 2.5 + 1.333 days;
    // 沪B2: only a hire still out, so no sum and no days.
    EXPECT_EQ(rows(R()->DBGrid1), sorted({QStringLiteral("京A1|300.3|3|3.83"), QStringLiteral("沪B2||1|")}));
    EXPECT_TRUE(R()->BtnExpXls1->isEnabled());
    EXPECT_FALSE(R()->BtnExpXls3->isEnabled());

    // Ranges are half-open days: a hire at midnight belongs to its own day only,
    // one at 23:59:59 to its day too.
    struct Case { const char* name; QDate from, to; QStringList want; };
    const Case cases[] = {
        {"midnight after the month", QDate(2024, 4, 1), QDate(2024, 4, 1), {QStringLiteral("沪B2|50|1|1")}},
        {"last second of a leap day", QDate(2024, 2, 29), QDate(2024, 2, 29), {QStringLiteral("粤C3||1|0.25")}},
        {"first midnight alone", QDate(2024, 3, 1), QDate(2024, 3, 1), {QStringLiteral("京A1|300.1|1|2.5")}},
        {"nothing in range", QDate(2023, 1, 1), QDate(2023, 12, 31), {}},
    };
    for (const Case& c : cases) {
        setRange(R()->Dt1, R()->Dt2, c.from, c.to);
        click(R()->BtnQry);
        EXPECT_EQ(rows(R()->DBGrid1), sorted(c.want)) << c.name;
    }

    setRange(R()->Dt1, R()->Dt2, QDate(2024, 3, 1), QDate(2024, 3, 31));
    click(R()->BtnQry);
    XlsxSheet x = exportTo(R()->BtnExpXls1, QStringLiteral("v.xlsx"));
    EXPECT_EQ(suggested.value(0), QStringLiteral("车辆租借情况统计.xlsx"));
    EXPECT_EQ(x.text(1, 1), QStringLiteral("2024/3/1至2024/3/31  车辆租借情况统计"));
    EXPECT_EQ(QStringList({x.text(2, 1), x.text(2, 2), x.text(2, 3), x.text(2, 4)}),
              (QStringList{QStringLiteral("车辆"), QStringLiteral("合计结算金额"), QStringLiteral("合计出租次数"), QStringLiteral("合计出租天数")}));
    const int r = rowOf(x, 1, QStringLiteral("京A1"));
    ASSERT_GT(r, 0);
    ASSERT_TRUE(x.cell(r, 2) && x.cell(r, 2)->isNumber());
    EXPECT_DOUBLE_EQ(x.cell(r, 2)->number(), 300.3);
    EXPECT_DOUBLE_EQ(x.cell(r, 3)->number(), 3);
    EXPECT_FALSE(x.cell(rowOf(x, 1, QStringLiteral("沪B2")), 2)) << "no settled hire: empty sum";
}

TEST_F(Report, PerCustomerTotalsUseTheirOwnRangeAndExportWithIt)
{
    setRange(R()->Dt31, R()->Dt32, QDate(2024, 3, 31), QDate(2024, 3, 1));
    setRange(R()->Dt1, R()->Dt2, QDate(2020, 1, 1), QDate(2020, 1, 2));
    click(R()->BtnQry3);
    EXPECT_EQ(R()->Dt31->date(), QDate(2024, 3, 1));
    EXPECT_EQ(rows(R()->DBGrid2), sorted({Zhang + QStringLiteral("|张三|300.1|2|2.5"), Ming + QStringLiteral("|张小明||1|"),
                                               OBrien + QStringLiteral("|O'Brien|0.2|1|1.33")}));
    XlsxSheet x = exportTo(R()->BtnExpXls3, QStringLiteral("c.xlsx"));
    EXPECT_EQ(suggested.value(0), QStringLiteral("客户交易情况统计.xlsx"));
    EXPECT_EQ(x.text(1, 1), QStringLiteral("2024/3/1至2024/3/31客户交易情况统计"));
    EXPECT_EQ(x.text(2, 1), QStringLiteral("客户证件号"));
    EXPECT_EQ(x.text(2, 5), QStringLiteral("合计出租天数"));
    const int r = rowOf(x, 1, Zhang);
    ASSERT_GT(r, 0);
    EXPECT_TRUE(x.cell(r, 1)->isText()) << "an 18-digit document number stays text";
    EXPECT_DOUBLE_EQ(x.cell(r, 5)->number(), 2.5);
}

TEST_F(Report, HiresOfOneVehicleExportAndDeleteOnlyAFinishedHireKeepingItsIncomeEntry)
{
    exec(QStringLiteral("INSERT INTO Acct (Type, Amount, LeasoID, Item, AcctTime, Deleted, Category) VALUES (1, :a, :l, 'x', :t, 0, '租金')"),
         {{"a", QVariant::fromValue(StrToCurr(QStringLiteral("0.2")))}, {"l", qint64(H2)}, {"t", at(2024, 3, 11, 16)}});
    R()->PageControl1->setCurrentIndex(1);
    // An empty plate lists nothing; a plate typed in another letter case still matches.
    click(R()->BtnQry2);
    EXPECT_EQ(R()->DBGrid3->model()->rowCount(), 0);
    EXPECT_TRUE(R()->BtnExpXls2->isEnabled());
    setText(R()->CmbCar, QStringLiteral("京a1"));
    click(R()->BtnQry2);
    EXPECT_EQ(rows(R()->DBGrid3), sorted({
        QStringLiteral("京A1|2024/3/1|2024/3/3 12:00:00|300.1|2024/3/3 12:10:00|张三|备注 -- 'x'"),
        QStringLiteral("京A1|2024/3/10 8:00:00|2024/3/11 16:00:00|0.2|2024/3/11 16:10:00|O'Brien|备注 -- 'x'"),
        QStringLiteral("京A1|2024/3/20 9:00:00||||张三|备注 -- 'x'")}));

    // The title carries the first tab's dates.
    setRange(R()->Dt1, R()->Dt2, QDate(2024, 3, 1), QDate(2024, 3, 31));
    XlsxSheet x = exportTo(R()->BtnExpXls2, QStringLiteral("d.xlsx"));
    EXPECT_EQ(suggested.value(0), QStringLiteral("车辆租借明细.xlsx"));
    EXPECT_EQ(x.text(1, 1), QStringLiteral("2024/3/1至2024/3/31车辆租借明细"));
    EXPECT_EQ(x.text(2, 1), QStringLiteral("车辆")) << "the hidden key takes no column";
    EXPECT_EQ(x.text(2, 7), QStringLiteral("备注"));
    const int r = rowOf(x, 4, QStringLiteral("300.1"));
    ASSERT_GT(r, 0);
    ASSERT_TRUE(x.cell(r, 2));
    EXPECT_TRUE(x.cell(r, 2)->isDate());
    EXPECT_EQ(x.cell(r, 2)->moment(), at(2024, 3, 1));
    EXPECT_EQ(frmReport->ADOQry2->recNo(), 0);

    // A hire still out is refused; a returned one asks first, and No keeps it.
    selectRow(R()->DBGrid3, QStringLiteral("2024/3/20 9:00:00"), 2);
    messages.clear();
    click(R()->Button1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, StillOut);
    EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
    EXPECT_EQ(hires(), 7);

    selectRow(R()->DBGrid3, QStringLiteral("2024/3/10 8:00:00"), 2);
    messages.clear();
    answers = {Dlg::IdNo};
    click(R()->Button1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, DeleteQuestion);
    EXPECT_EQ(messages[0].buttons, Dlg::Buttons::YesNo);
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Question);
    EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
    EXPECT_EQ(hires(), 7);

    answers = {Dlg::IdYes};
    click(R()->Button1);
    EXPECT_EQ(hires(), 6);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Leaso where LeasoID=:i"), {{"i", qint64(H2)}}).toInt(), 0);
    EXPECT_EQ(R()->DBGrid3->model()->rowCount(), 2) << "the list is read again with the plate it holds";
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Acct where LeasoID=:i"), {{"i", qint64(H2)}}).toInt(), 1)
        << "its income entry stays in the account book";
}

TEST_F(Report, AHireDeletedMeanwhileIsReportedAndTheListReadAgain)
{
    setText(R()->CmbCar, QStringLiteral("京A1"));
    click(R()->BtnQry2);
    selectRow(R()->DBGrid3, QStringLiteral("2024/3/10 8:00:00"), 2);
    exec(QStringLiteral("delete from Leaso where LeasoID=:i"), {{"i", qint64(H2)}});
    answers = {Dlg::IdYes};
    click(R()->Button1);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("该记录已被修改"))) << lastMessage().toStdString();
    EXPECT_EQ(R()->DBGrid3->model()->rowCount(), 2);
    EXPECT_EQ(hires(), 6);
}

TEST_F(Report, CustomerLookUpsMatchSubstringsLiterallyAndTheSwitchClosesTheList)
{
    struct Case { const char* name; bool byName; QString text; int want; };
    const Case cases[] = {
        {"name substring", true, QStringLiteral("张"), 4},         // 张三's three hires and 张小明's one
        {"empty name: everyone", true, QString(), 7},
        {"name with a quote", true, QStringLiteral("O'B"), 2},
        {"percent matched as itself", true, QStringLiteral("%"), 1},
        {"underscore matched as itself", true, QStringLiteral("_"), 0},
        {"document-number substring", false, QStringLiteral("1234"), 3},
        {"empty number: everyone", false, QString(), 7},
    };
    for (const Case& c : cases) {
        chooseRadio(c.byName ? R()->RbName : R()->RbCardID);
        setText(R()->CmbCust, c.text);
        click(R()->BtnQry4);
        EXPECT_EQ(R()->DBGrid4->model()->rowCount(), c.want) << c.name;
    }

    // Back to names: the list closes, the picker holds names again, the export
    // button keeps its state and exporting the closed list fails.
    ASSERT_TRUE(R()->RbCardID->isChecked());
    ASSERT_TRUE(R()->BtnExpXls4->isEnabled());
    EXPECT_GE(R()->CmbCust->findText(Zhang), 0);
    chooseRadio(R()->RbName);
    EXPECT_FALSE(frmReport->ADOQry4->active());
    EXPECT_EQ(R()->DBGrid4->model()->rowCount(), 0);
    EXPECT_EQ(R()->CmbCust->findText(Zhang), -1);
    EXPECT_GE(R()->CmbCust->findText(QStringLiteral("张小明")), 0);
    EXPECT_TRUE(R()->BtnExpXls4->isEnabled());
    // Clicking the selected one again runs nothing.
    setText(R()->CmbCust, QStringLiteral("张"));
    click(R()->BtnQry4);
    chooseRadio(R()->RbName);
    EXPECT_EQ(R()->DBGrid4->model()->rowCount(), 4);

    chooseRadio(R()->RbCardID);
    const QString file = dir() + QStringLiteral("closed.xlsx");
    saveFileAnswers << file;
    messages.clear();
    click(R()->BtnExpXls4);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("本机没有安装Excel.\n")));
    EXPECT_EQ(messages[0].caption, QStringLiteral("错误"));
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(Report, HiresOfCustomersExportWithTheFirstTabsDatesAndDeleteFromThatList)
{
    setRange(R()->Dt1, R()->Dt2, QDate(2024, 3, 1), QDate(2024, 3, 31));
    setText(R()->CmbCust, QStringLiteral("O'Brien"));
    click(R()->BtnQry4);
    ASSERT_EQ(R()->DBGrid4->model()->rowCount(), 2);
    XlsxSheet x = exportTo(R()->BtnExpXls4, QStringLiteral("k.xlsx"));
    EXPECT_EQ(suggested.value(0), QStringLiteral("客户租借明细.xlsx"));
    EXPECT_EQ(x.text(1, 1), QStringLiteral("2024/3/1至2024/3/31客户租借明细"));
    EXPECT_EQ(x.text(2, 1), QStringLiteral("证件号"));
    EXPECT_EQ(x.text(2, 9), QStringLiteral("应收（欠款）"));
    const int r = rowOf(x, 3, QStringLiteral("沪B2"));
    ASSERT_GT(r, 0);
    EXPECT_DOUBLE_EQ(x.cell(r, 6)->number(), 50.0);
    EXPECT_EQ(x.cell(r, 5)->moment(), at(2024, 4, 2));
    EXPECT_FALSE(x.cell(r, 9)) << "the last column has no field";

    selectRow(R()->DBGrid4, QStringLiteral("沪B2"), 3);
    answers = {Dlg::IdYes};
    click(R()->BtnDelLeaso);
    EXPECT_EQ(R()->DBGrid4->model()->rowCount(), 1);
    EXPECT_EQ(hires(), 6);

    // A hire still out is refused from this list too.
    setText(R()->CmbCust, QStringLiteral("张小明"));
    click(R()->BtnQry4);
    ASSERT_EQ(R()->DBGrid4->model()->rowCount(), 1);
    messages.clear();
    click(R()->BtnDelLeaso);
    EXPECT_EQ(lastMessage(), StillOut);
    EXPECT_EQ(hires(), 6);
}

TEST_F(Report, NoCellIsEditable)
{
    setRange(R()->Dt1, R()->Dt2, QDate(2024, 3, 1), QDate(2024, 3, 31));
    setRange(R()->Dt31, R()->Dt32, QDate(2024, 3, 1), QDate(2024, 3, 31));
    setText(R()->CmbCar, QStringLiteral("京A1"));
    click(R()->BtnQry);
    click(R()->BtnQry2);
    click(R()->BtnQry3);
    click(R()->BtnQry4);
    int tab = 0;
    for (TDBGrid* g : {R()->DBGrid1, R()->DBGrid3, R()->DBGrid2, R()->DBGrid4}) {
        R()->PageControl1->setCurrentIndex(tab++);
        ASSERT_GT(g->model()->rowCount(), 0) << g->objectName().toStdString();
        const QModelIndex idx = g->model()->index(0, 1);
        EXPECT_FALSE(g->model()->flags(idx) & Qt::ItemIsEditable);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(idx).center());
        QTest::keyClick(g, Qt::Key_F2);
        // An editor would be a child of the viewport.
        EXPECT_TRUE(g->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty()) << g->objectName().toStdString();
    }
}

TEST_F(Report, ReplacedDataEmptyTheListsAndRefreshThePickers)
{
    setRange(R()->Dt1, R()->Dt2, QDate(2024, 3, 1), QDate(2024, 3, 31));
    setText(R()->CmbCar, QStringLiteral("京A1"));
    click(R()->BtnQry);
    click(R()->BtnQry2);
    click(R()->BtnQry3);
    click(R()->BtnQry4);
    // A clearing: the business data go, then every window hears of it.
    exec(QStringLiteral("delete from Leaso"));
    exec(QStringLiteral("delete from Customer"));
    exec(QStringLiteral("delete from Car"));
    emit AppEvents::instance().databaseReplaced();
    for (TDBGrid* g : {R()->DBGrid1, R()->DBGrid3, R()->DBGrid2, R()->DBGrid4}) {
        EXPECT_FALSE(g->dataSet()->active()) << g->objectName().toStdString();
        EXPECT_EQ(g->model()->rowCount(), 0) << g->objectName().toStdString();
    }
    EXPECT_EQ(R()->CmbCar->count(), 0);
    EXPECT_EQ(R()->CmbCust->count(), 0);
    EXPECT_EQ(R()->CmbCar->currentText(), QStringLiteral("京A1")) << "the typed plate stays";
    // Until its query runs again the list stays empty, and then it reads the new data.
    click(R()->BtnQry);
    EXPECT_EQ(R()->DBGrid1->model()->rowCount(), 0);
    EXPECT_TRUE(frmReport->ADOQry->active());
}
