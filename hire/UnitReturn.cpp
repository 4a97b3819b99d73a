#include "hire/UnitReturn.h"
#include "ui_UnitReturn.h"
#include "common/AppContext.h"
#include "platform/Connection.h"
#include "platform/Transaction.h"
#include "common/UnitPublic.h"
#include "hire/UnitFee.h"
#include "platform/App.h"
#include "platform/Convert.h"
#include "platform/Currency.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/Look.h"
#include "platform/KeyFilters.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include <QSignalBlocker>

TfrmReturn* frmReturn = nullptr;

namespace {
const QString kListSql = QStringLiteral(
    "Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where (EndTime is null) "
    "and Leaso.CustID=Customer.CustID order by PlanEndTime");
const QString kReloadSql = QStringLiteral(
    "Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where (EndTime is null) "
    "and Leaso.CustID=Customer.CustID ");
const QString kOverdueHint = QStringLiteral("红色表示应还车辆");
}

TfrmReturn::TfrmReturn(QWidget* parent) : TForm(parent), ui(new Ui::TfrmReturn)
{
    ui->setupUi(this);
    ADOQry = new TDataSet(this);
    ADOQry2 = new TDataSet(this);
    SetupFeeBoxes(ui->DtDate, ui->DtTime, ui->EdtOdograph, ui->EdtLeaso,
                  {ui->EdtCarID, ui->EdtCalDays, ui->EdtTimeOwe, ui->EdtAdditionalOwe, ui->EdtOwe});

    ADOQry->addCalcField(QStringLiteral("LeasoTypeStr"), FieldType::String);
    ADOQry->onCalcFields = [this](TDataSet& ds) { ADOQryCalcFields(ds); };

    // The layout's widths, a little wider where this font would cut a caption or a moment.
    TDBGrid* g = ui->DBGrid1;
    g->setDataSet(ADOQry);
    g->addColumn(QStringLiteral("LeasoID"), QString());
    g->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 110);
    g->addColumn(QStringLiteral("LeasoTypeStr"), QStringLiteral("方式"), 52);
    g->addColumn(QStringLiteral("BeginTime"), QStringLiteral("租出日期"), 125);
    g->addColumn(QStringLiteral("BasicPrice"), QStringLiteral("价格"), 60);
    g->addColumn(QStringLiteral("Limit"), QStringLiteral("限里程"), 50);
    g->addColumn(QStringLiteral("Odograph1"), QStringLiteral("租出时里程"), 76);
    g->addColumn(QStringLiteral("AdditionalPrice"), QStringLiteral("超程单价"), 64);
    g->addColumn(QStringLiteral("prepay"), QStringLiteral("预付款及押金"), 100);
    g->addColumn(QStringLiteral("PlanEndTime"), QStringLiteral("计划还车时间"), 125);
    g->addColumn(QStringLiteral("CustName"), QStringLiteral("客户"), 80);
    g->addColumn(QStringLiteral("Tel"), QStringLiteral("联系电话"), 250);
    g->setColumnVisible(0, false);
    g->setRowForeground([this](TDataSet& ds, int row) { return DBGrid1DrawColumnCell(ds, row); });

    On(ADOQry, &TDataSet::dataChange, this, [this] { DataSource1DataChange(); });
    On(ADOQry, &TDataSet::afterScroll, this, [this] { ADOQryAfterScroll(); });
    On(ui->DtDate, &QDateEdit::dateChanged, this, [this] { DtDateChange(); });
    On(ui->DtTime, &QTimeEdit::timeChanged, this, [this] { DtDateChange(); });
    On(ui->EdtOdograph, &QLineEdit::textChanged, this, [this] { EdtOdographChange(); });
    On(ui->BtnReturn, &QPushButton::clicked, this, [this] { BtnReturnClick(); });
    On(ui->BtnReturnCharge, &QPushButton::clicked, this, [this] { BtnReturnChargeClick(); });
    On(ui->BtnExit1, &QPushButton::clicked, this, [this] { BtnExit1Click(); });

    FormCreate();
}

TfrmReturn::~TfrmReturn() = default;

void TfrmReturn::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("还车")));
    ADOQry->setConnection(&AppConnection());
    ADOQry2->setConnection(&AppConnection());
}

void TfrmReturn::FormShow()
{
    // The return moment starts as the moment of showing, to the second.
    const QDateTime now = NowMoment();
    {
        const QSignalBlocker bd(ui->DtDate), bt(ui->DtTime);
        ui->DtDate->setDate(now.date());
        ui->DtTime->setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    }
    ADOQry->close();
    ADOQry->setSQL(kListSql);
    ADOQry->open();
    ADOQry->first();
    if (!ADOQry->isEmpty()) CalcReturnFee();
}

void TfrmReturn::ADOQryCalcFields(TDataSet& ds)
{
    CalcLeasoTypeStr(ds);
}

void TfrmReturn::DataSource1DataChange()
{
    const bool row = ADOQry->active() && !ADOQry->isEmpty();
    SetEditText(ui->EdtCarID, row ? ADOQry->fieldByName(QStringLiteral("CarID")).asString() : QString());
    ui->Memo1->setPlainText(row ? ADOQry->fieldByName(QStringLiteral("Memo")).asString() : QString());
}

void TfrmReturn::ADOQryAfterScroll() { CalcReturnFee(); }
void TfrmReturn::DtDateChange() { CalcReturnFee(); }
void TfrmReturn::EdtOdographChange() { CalcReturnFee(); }
void TfrmReturn::BtnExit1Click() { close(); }

QColor TfrmReturn::DBGrid1DrawColumnCell(TDataSet& ds, int row)
{
    const int col = ds.fieldIndex(QStringLiteral("PlanEndTime"));
    if (col < 0) return {};
    // A moment stored as text counts when it reads as one.
    const QDateTime due = StoredMoment(ds.valueAt(row, col));
    if (!due.isValid() || due >= NowMoment()) return {};
    if (ui->DBGrid1->toolTip() != kOverdueHint) ui->DBGrid1->setToolTip(kOverdueHint);
    return QColor(Qt::red);
}

void TfrmReturn::CalcReturnFee()
{
    const bool row = ADOQry->active() && !ADOQry->isEmpty();
    if (!row || ADOQry->fieldByName(QStringLiteral("CarID")).asString().isEmpty()) {
        for (QLineEdit* e : {ui->EdtCalDays, ui->EdtTimeOwe, ui->EdtAdditionalOwe, ui->EdtOwe}) e->clear();
        return;
    }
    FeeInput in = FeeInputFromRow(*ADOQry);
    in.returnMoment = returnMoment();
    in.reading = ui->EdtOdograph->text();
    ShowHireFee(in, ui->EdtCalDays, ui->EdtTimeOwe, ui->EdtAdditionalOwe, ui->EdtOwe);
}

QDateTime TfrmReturn::returnMoment() const
{
    const QTime t = ui->DtTime->time();
    return CombineDateTime(ui->DtDate->date(), QTime(t.hour(), t.minute(), t.second()));
}

void TfrmReturn::reloadAfterReturn()
{
    ADOQry->close();
    ADOQry->setSQL(kReloadSql);
    ADOQry->open();
    // Opening selects the first row (or none), which refills the boxes.
    ADOQry->first();
}

// The selected hire and the return moment; false after the notice when the
// return would be earlier than the hire-out.
bool TfrmReturn::selectedReturn(ReturnInput& in)
{
    if (!ADOQry->active() || ADOQry->isEmpty()) {
        NoRecordNotice(this, *ADOQry, QStringLiteral("未还车的租借列表"));
        return false;
    }
    in.key = ADOQry->fieldByName(QStringLiteral("LeasoID")).asInteger();
    in.car = ADOQry->fieldByName(QStringLiteral("CarID")).asString();
    in.end = returnMoment();
    if (MomentSeconds(in.end) < MomentSeconds(ADOQry->fieldByName(QStringLiteral("BeginTime")).asDateTime())) {
        Dlg::Notice(this, QStringLiteral("还车时间不应当早于车辆借出时间！"));
        return false;
    }
    return true;
}

// The return reading (a conversion error for text that is no whole number),
// then the user's confirmation.
bool TfrmReturn::readingAndConfirm(ReturnInput& in)
{
    if (!CheckFilteredInput(this, {ui->EdtOdograph})) return false;
    in.odo1 = ADOQry->fieldByName(QStringLiteral("Odograph1")).asInteger();
    in.hasReading = !ui->EdtOdograph->text().isEmpty();
    in.reading = in.hasReading ? StrToInt(ui->EdtOdograph->text()) : 0;
    return Dlg::Confirm(this, QStringLiteral("确定要归还车辆 “") + ui->EdtCarID->text() + QStringLiteral("” 吗？"),
                        Dlg::Icon::Information, true);
}

// The hire's return (and, with an amount, its settlement) and the vehicle set free,
// its mileage raised only above the hire-out reading.
void TfrmReturn::writeReturn(const ReturnInput& in, const Currency* charge)
{
    Params p{{QStringLiteral("end"), in.end}, {QStringLiteral("memo"), ui->Memo1->toPlainText()}, {QStringLiteral("id"), in.key}};
    QString sets = QStringLiteral("EndTime=:end,[Memo]=:memo");
    if (charge) {
        sets = QStringLiteral("ChargeTime=Now(),Charge=:charge,") + sets;
        p.append({QStringLiteral("charge"), QVariant::fromValue(*charge)});
    }
    if (in.hasReading) {
        sets += QStringLiteral(",Odograph2=:odo");
        p.append({QStringLiteral("odo"), in.reading});
    }
    // Only a hire still open is returned.
    ExpectOneRow(ADOQry2->execSQL(QStringLiteral("Update Leaso set ") + sets + QStringLiteral(" where LeasoID=:id and EndTime is null"), p));
    if (in.reading > in.odo1)
        ADOQry2->execSQL(QStringLiteral("Update Car set State='A',Odograph=:odo where CarID=:car"),
            {{QStringLiteral("odo"), in.reading}, {QStringLiteral("car"), in.car}});
    else
        ADOQry2->execSQL(QStringLiteral("Update Car set State='A' where CarID=:car"), {{QStringLiteral("car"), in.car}});
}

void TfrmReturn::BtnReturnClick()
{
    ReturnInput in;
    if (!selectedReturn(in)) return;
    if (!readingAndConfirm(in)) return;

    if (!WriteUnlessChanged(this, [&] {
            TTransaction tr(AppConnection());
            writeReturn(in, nullptr);
            tr.commit();
        }, [this] { reloadAfterReturn(); }))
        return;
    reloadAfterReturn();
}

void TfrmReturn::BtnReturnChargeClick()
{
    ReturnInput in;
    if (!selectedReturn(in)) return;
    const QString amountText = ui->EdtLeaso->text().trimmed();
    if (amountText.isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入结算金额！"));
        ui->EdtLeaso->setFocus();
        return;
    }
    // An amount the database could not read, or a pasted negative, is refused
    // here, before anything is written.
    if (!CheckFilteredInput(this, {ui->EdtLeaso})) return;
    Currency amount;
    try {
        amount = StrToCurr(amountText);
    } catch (const EConvertError& e) {
        Dlg::Notice(this, e.message());
        ui->EdtLeaso->setFocus();
        return;
    }
    if (!readingAndConfirm(in)) return;

    WriteOrReport(this, [&] {
        TTransaction tr(AppConnection());
        writeReturn(in, &amount);
        if (ui->ChkSynchroAcct->isChecked())
            InsertSettlementIncome(*ADOQry2, amount, in.key, ui->EdtCarID->text());
        tr.commit();
    });
    reloadAfterReturn();
}
