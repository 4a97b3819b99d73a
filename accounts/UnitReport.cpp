#include "accounts/UnitReport.h"
#include "ui_UnitReport.h"
#include "common/AppContext.h"
#include "common/StartupReads.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/Look.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "platform/StoredValue.h"
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

TfrmReport* frmReport = nullptr;

namespace {

// Only values stored as numbers are added (a begin time in the range is one),
// charges only within what money holds; another tool's text would add as 0 or
// as its leading digits, and a number past the range would wrap, so the hires
// holding such a charge or return time are counted in the same scan instead.
// Every number sorts before any text and text before a blob, so "< ''" picks
// the numbers, ">= ''" the others, and null neither (cheaper than typeof()).
const QString TotalsColumns = QStringLiteral(
    "sum(case when %1 then charge end) as charge,count(*) as counts,"
    "Round(sum(case when EndTime < '' then EndTime-BeginTime end),2) as Time1,"
    "count(case when not %1 or EndTime >= '' then 1 end) as unread").arg(SqlFitsMoney(QStringLiteral("charge")));
// A hire counts in a range by its begin time, from the from-date's midnight up
// to (not including) the midnight after the to-date.
const QString InRange = QStringLiteral(" from leaso where begintime >= :from and begintime < :to group by ");
const QString CarTotalsSql = QStringLiteral("select carID,") + TotalsColumns + InRange + QStringLiteral("CarID");
// Summed per customer key first and then joined to the customer, one look-up
// per customer instead of one per hire; a key names one customer, so the
// groups and their order are those of grouping by key and name.
const QString CustTotalsSql = QStringLiteral(
    "select t.CustID,CustName,charge,counts,Time1,unread from (select CustID,") + TotalsColumns + InRange
    + QStringLiteral("CustID) t,Customer where t.CustID=Customer.CustID");
const QString CarHiresSql = QStringLiteral(
    "select leaso.*,CustName from leaso,Customer where Leaso.CustID=Customer.Custid and CarID=:car");
const QString CustHiresSql = QStringLiteral(
    "select leaso.CustID,CustName,CarID,BeginTime,EndTime,Charge,ChargeTime,Leaso.LeasoID,Leaso.Memo"
    " from leaso,Customer where Leaso.CustID=Customer.Custid ");
// By name the matching customers are found first and their hires through the
// hire table's customer index, not every hire read for its customer's name.
const QString CustHiresByNameSql = QStringLiteral(
    "select leaso.CustID,CustName,CarID,BeginTime,EndTime,Charge,ChargeTime,Leaso.LeasoID,Leaso.Memo"
    " from Customer cross join leaso where Leaso.CustID=Customer.Custid ");
const QString ByName = QStringLiteral(" and CustName like :pat escape '\\'");
const QString ByCardID = QStringLiteral(" and Leaso.CustID like :pat escape '\\'");
// A returned hire only: one still out, or gone meanwhile, changes nothing.
const QString DeleteSql = QStringLiteral("Delete from [Leaso] where LeasoID=:id and EndTime is not null");

const QString StillOut = QStringLiteral("该车辆为“租出”状态，请先做“还车”操作后再删除！");
const QString DeleteQuestion = QStringLiteral("确定要删除本条纪录吗？");

// The typed text is matched as it stands, wildcards included.
QString containsPattern(const QString& text)
{
    return QLatin1Char('%') + LikeLiteral(text) + QLatin1Char('%');
}

// The totals' expression columns, typed as the list shows them.
void declareTotals(TDataSet* ds)
{
    ds->declareField(QStringLiteral("charge"), FieldType::Currency);
    ds->declareField(QStringLiteral("counts"), FieldType::Integer);
    ds->declareField(QStringLiteral("Time1"), FieldType::Float);
}

class CentredDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
protected:
    void initStyleOption(QStyleOptionViewItem* opt, const QModelIndex& idx) const override
    {
        QStyledItemDelegate::initStyleOption(opt, idx);
        opt->displayAlignment = Qt::AlignCenter;
    }
};

// The user may drag columns to a new place; exports follow what the grid shows.
void setupGrid(TDBGrid* g, TDataSet* ds)
{
    g->setDataSet(ds);
    g->horizontalHeader()->setSectionsMovable(true);
    g->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

} // namespace

TfrmReport::TfrmReport(QWidget* parent)
    : TForm(parent), ui(std::make_unique<Ui::TfrmReport>()),
      ADOQry(new TDataSet(this)), ADOQry2(new TDataSet(this)), ADOQry3(new TDataSet(this)), ADOQry4(new TDataSet(this))
{
    ui->setupUi(this);
    UseFlatButtonTabs(ui->PageControl1);
    resize(783, 536);
    for (QDateEdit* d : {ui->Dt1, ui->Dt2, ui->Dt31, ui->Dt32}) SetupDatePicker(d);
    for (TDataSet* ds : {ADOQry, ADOQry3}) declareTotals(ds);

    TDBGrid* g = ui->DBGrid1;
    setupGrid(g, ADOQry);
    g->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 100);
    g->addColumn(QStringLiteral("Charge"), QStringLiteral("合计结算金额"), 100);
    g->addColumn(QStringLiteral("counts"), QStringLiteral("合计出租次数"), 100);
    g->addColumn(QStringLiteral("Time1"), QStringLiteral("合计出租天数"), 100);
    g->setItemDelegateForColumn(3, new CentredDelegate(g));

    g = ui->DBGrid3;
    setupGrid(g, ADOQry2);
    g->addColumn(QStringLiteral("LeasoID"), QString());
    g->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 80);
    // Wide enough for a moment with its time in this font.
    g->addColumn(QStringLiteral("BeginTime"), QStringLiteral("租出时间"), 125);
    g->addColumn(QStringLiteral("EndTime"), QStringLiteral("还车日期"), 125);
    g->addColumn(QStringLiteral("Charge"), QStringLiteral("租金"), 80);
    g->addColumn(QStringLiteral("ChargeTime"), QStringLiteral("结算时间"), 125);
    g->addColumn(QStringLiteral("CustName"), QStringLiteral("客户"), 100);
    g->addColumn(QStringLiteral("Memo"), QStringLiteral("备注"), 200);
    g->setColumnVisible(0, false);

    g = ui->DBGrid2;
    setupGrid(g, ADOQry3);
    g->addColumn(QStringLiteral("CustID"), QStringLiteral("客户证件号"), 150);
    g->addColumn(QStringLiteral("CustName"), QStringLiteral("客户姓名"), 80);
    g->addColumn(QStringLiteral("Charge"), QStringLiteral("合计结算金额"), 100);
    g->addColumn(QStringLiteral("counts"), QStringLiteral("合计出租次数"), 100);
    g->addColumn(QStringLiteral("Time1"), QStringLiteral("合计出租天数"), 100);
    g->setItemDelegateForColumn(4, new CentredDelegate(g));

    g = ui->DBGrid4;
    setupGrid(g, ADOQry4);
    g->addColumn(QStringLiteral("LeasoID"), QString());
    g->addColumn(QStringLiteral("CustID"), QStringLiteral("证件号"), 160);
    g->addColumn(QStringLiteral("CustName"), QStringLiteral("客户"), 100);
    g->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 80);
    g->addColumn(QStringLiteral("BeginTime"), QStringLiteral("租出时间"), 125);
    g->addColumn(QStringLiteral("EndTime"), QStringLiteral("还车日期"), 125);
    g->addColumn(QStringLiteral("Charge"), QStringLiteral("实收租金"), 80);
    g->addColumn(QStringLiteral("ChargeTime"), QStringLiteral("结算时间"), 125);
    g->addColumn(QStringLiteral("Memo"), QStringLiteral("备注"), 200);
    g->addColumn(QString(), QStringLiteral("应收（欠款）"));
    g->setColumnVisible(0, false);

    On(ui->BtnQry, &QPushButton::clicked, this, [this] { BtnQryClick(); });
    On(ui->BtnQry2, &QPushButton::clicked, this, [this] { BtnQry2Click(); });
    On(ui->BtnQry3, &QPushButton::clicked, this, [this] { BtnQry3Click(); });
    On(ui->BtnQry4, &QPushButton::clicked, this, [this] { BtnQry4Click(); });
    // A click on the button already selected changes nothing and runs nothing.
    On(ui->RbName, &QRadioButton::toggled, this, [this](bool on) { if (on) RbNameClick(); });
    On(ui->RbCardID, &QRadioButton::toggled, this, [this](bool on) { if (on) RbCardIDClick(); });
    On(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    On(ui->BtnDelLeaso, &QPushButton::clicked, this, [this] { BtnDelLeasoClick(); });
    On(ui->BtnExpXls1, &QPushButton::clicked, this, [this] { BtnExpXls1Click(); });
    On(ui->BtnExpXls2, &QPushButton::clicked, this, [this] { BtnExpXls2Click(); });
    On(ui->BtnExpXls3, &QPushButton::clicked, this, [this] { BtnExpXls3Click(); });
    On(ui->BtnExpXls4, &QPushButton::clicked, this, [this] { BtnExpXls4Click(); });
    On(&AppEvents::instance(), &AppEvents::databaseReplaced, this, [this] { dataReplaced(); });

    FormCreate();
}

TfrmReport::~TfrmReport() = default;

void TfrmReport::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("统计报表")));
    for (TDataSet* ds : {ADOQry, ADOQry2, ADOQry3, ADOQry4}) ds->setConnection(&AppConnection());

    const QDate today = NowMoment().date();
    ui->Dt1->setDate(today.addDays(-30));
    ui->Dt2->setDate(today);
    ui->Dt32->setDate(today);
    ui->Dt31->setDate(today.addDays(-365));

    fillCarList();
    {
        const QSignalBlocker block(ui->RbName);
        ui->RbName->setChecked(true);
    }
    RbNameClick();
}

void TfrmReport::fillCarList()
{
    ADOQry2->close();
    TStatement rows(AppConnection(), StartupSql::CarIds);
    fillPickList(ui->CmbCar, rows);
}

void TfrmReport::fillCustList(const QString& sql)
{
    // The customer list is closed by the switch and stays closed until its query runs.
    ADOQry4->close();
    TStatement rows(AppConnection(), sql);
    fillPickList(ui->CmbCust, rows);
}

void TfrmReport::fillPickList(QComboBox* list, TStatement& rows)
{
    // Filled at once from the rows as read; filling selects nothing.
    SetComboItemsFromRows(list, rows);
    list->setCurrentIndex(-1);
    list->setEditText(QString());
}

void TfrmReport::RbNameClick() { fillCustList(StartupSql::CustNames); }
void TfrmReport::RbCardIDClick() { fillCustList(QStringLiteral("Select CustID from Customer")); }

void TfrmReport::runTotals(TDataSet* ds, QDateEdit* from, QDateEdit* to, const QString& sql, QPushButton* exportButton)
{
    if (to->date() < from->date()) {
        const QDate d = from->date();
        from->setDate(to->date());
        to->setDate(d);
    }
    ds->setSQL(sql);
    ds->setParam(QStringLiteral("from"), QVariant(from->date().startOfDay()));
    ds->setParam(QStringLiteral("to"), QVariant(to->date().addDays(1).startOfDay()));
    ds->open();
    if (!ds->active()) return;
    exportButton->setEnabled(true);
    // Every group is listed; one box for the whole list.
    const int col = ds->fieldIndex(QStringLiteral("unread"));
    qint64 unread = 0;
    for (int row = 0; row < ds->recordCount(); ++row) unread += ds->valueAt(row, col).toLongLong();
    if (unread > 0)
        Dlg::Notice(this, QStringLiteral("统计范围内有%1次租借的结算金额或还车时间不是数字，"
                                         "合计结算金额和合计出租天数没有计入这些值。").arg(unread));
}

void TfrmReport::BtnQryClick() { runTotals(ADOQry, ui->Dt1, ui->Dt2, CarTotalsSql, ui->BtnExpXls1); }
void TfrmReport::BtnQry3Click() { runTotals(ADOQry3, ui->Dt31, ui->Dt32, CustTotalsSql, ui->BtnExpXls3); }

void TfrmReport::openCarHires()
{
    ADOQry2->setSQL(CarHiresSql);
    ADOQry2->setParam(QStringLiteral("car"), ui->CmbCar->currentText());
    ADOQry2->open();
}

void TfrmReport::BtnQry2Click()
{
    openCarHires();
    if (ADOQry2->active()) ui->BtnExpXls2->setEnabled(true);
}

void TfrmReport::openCustHires()
{
    ADOQry4->close();
    ADOQry4->setSQL(ui->RbName->isChecked() ? CustHiresByNameSql + ByName : CustHiresSql + ByCardID);
    ADOQry4->setParam(QStringLiteral("pat"), containsPattern(ui->CmbCust->currentText()));
    ADOQry4->open();
}

void TfrmReport::BtnQry4Click()
{
    openCustHires();
    if (ADOQry4->active()) ui->BtnExpXls4->setEnabled(true);
}

void TfrmReport::deleteFinishedHire(TDataSet* ds, void (TfrmReport::*reload)())
{
    if (!ds->active() || ds->isEmpty()) return;
    const QString key = ds->fieldByName(QStringLiteral("LeasoID")).asString();
    if (key.isEmpty()) return;
    if (ds->fieldByName(QStringLiteral("EndTime")).isNull()) {
        Dlg::Notice(this, StillOut);
        return;
    }
    if (!Dlg::Confirm(this, DeleteQuestion)) return;

    const qint64 id = ds->fieldByName(QStringLiteral("LeasoID")).asInteger();
    // The list is read afresh whether the row went or had changed meanwhile.
    WriteUnlessChanged(this, [&] { ExpectOneRow(ds->execSQL(DeleteSql, {{QStringLiteral("id"), id}})); }, {});
    (this->*reload)();
}

void TfrmReport::Button1Click() { deleteFinishedHire(ADOQry2, &TfrmReport::openCarHires); }
void TfrmReport::BtnDelLeasoClick() { deleteFinishedHire(ADOQry4, &TfrmReport::openCustHires); }

QString TfrmReport::range(QDateEdit* from, QDateEdit* to) const
{
    return DateToStr(from->date()) + QStringLiteral("至") + DateToStr(to->date());
}

void TfrmReport::exportList(const QString& defaultName, const QString& title, TDataSet* ds, TDBGrid* grid)
{
    const QString file = Dlg::SaveFile(this, QString(), defaultName, QString());
    if (file.isEmpty()) return;
    ExportGridToExcel(file, title, ds, grid);
}

void TfrmReport::BtnExpXls1Click()
{
    exportList(QStringLiteral("车辆租借情况统计.xlsx"), range(ui->Dt1, ui->Dt2) + QStringLiteral("  车辆租借情况统计"),
               ADOQry, ui->DBGrid1);
}

void TfrmReport::BtnExpXls2Click()
{
    exportList(QStringLiteral("车辆租借明细.xlsx"), range(ui->Dt1, ui->Dt2) + QStringLiteral("车辆租借明细"),
               ADOQry2, ui->DBGrid3);
}

void TfrmReport::BtnExpXls3Click()
{
    exportList(QStringLiteral("客户交易情况统计.xlsx"), range(ui->Dt31, ui->Dt32) + QStringLiteral("客户交易情况统计"),
               ADOQry3, ui->DBGrid2);
}

void TfrmReport::BtnExpXls4Click()
{
    exportList(QStringLiteral("客户租借明细.xlsx"), range(ui->Dt1, ui->Dt2) + QStringLiteral("客户租借明细"),
               ADOQry4, ui->DBGrid4);
}

void TfrmReport::dataReplaced()
{
    // No rows of the replaced data stay on show; the lists wait for their query.
    for (TDataSet* ds : {ADOQry, ADOQry2, ADOQry3, ADOQry4}) ds->close();
    const QString car = ui->CmbCar->currentText();
    const QString cust = ui->CmbCust->currentText();
    fillCarList();
    if (ui->RbName->isChecked()) RbNameClick(); else RbCardIDClick();
    ui->CmbCar->setEditText(car);
    ui->CmbCust->setEditText(cust);
}
