#include "hire/UnitCharge.h"
#include "ui_UnitCharge.h"
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

TfrmCharge* frmCharge = nullptr;

namespace {
const QString kListSql = QStringLiteral(
    "Select Leaso.*,Customer.CustName,Customer.Tel from Leaso,Customer Where (EndTime is not null) "
    "and (ChargeTime is null) and Leaso.CustID=Customer.CustID ");
}

TfrmCharge::TfrmCharge(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCharge)
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
    g->addColumn(QStringLiteral("BasicPrice"), QStringLiteral("价格"), 63);
    g->addColumn(QStringLiteral("BeginTime"), QStringLiteral("租出日期"), 125);
    g->addColumn(QStringLiteral("EndTime"), QStringLiteral("还车时间"), 125);
    g->addColumn(QStringLiteral("Limit"), QStringLiteral("限里程"), 50);
    g->addColumn(QStringLiteral("Odograph1"), QStringLiteral("租出时里程"));
    g->addColumn(QStringLiteral("Odograph2"), QStringLiteral("还车时里程"));
    g->addColumn(QStringLiteral("AdditionalPrice"), QStringLiteral("超程单价"), 64);
    g->addColumn(QStringLiteral("prepay"), QStringLiteral("预付款及押金"), 90);
    g->addColumn(QStringLiteral("CustName"), QStringLiteral("客户"), 60);
    g->addColumn(QStringLiteral("Tel"), QStringLiteral("联系电话"), 250);
    g->setColumnVisible(0, false);

    On(ADOQry, &TDataSet::dataChange, this, [this] { DataSource1DataChange(); });
    On(ui->DtDate, &QDateEdit::dateChanged, this, [this] { DtDateChange(); });
    On(ui->DtTime, &QTimeEdit::timeChanged, this, [this] { EdtOdographChange(); });
    On(ui->EdtOdograph, &QLineEdit::textChanged, this, [this] { EdtOdographChange(); });
    On(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    On(ui->BtnExit2, &QPushButton::clicked, this, [this] { BtnExit1Click(); });

    FormCreate();
}

TfrmCharge::~TfrmCharge() = default;

void TfrmCharge::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("还车结算")));
    ADOQry->setConnection(&AppConnection());
    ADOQry2->setConnection(&AppConnection());
}

void TfrmCharge::openList()
{
    ADOQry->close();
    ADOQry->setSQL(kListSql);
    ADOQry->open();
    ADOQry->first();
    if (!ADOQry->isEmpty()) CalcSettleFee();
}

void TfrmCharge::FormShow() { openList(); }

void TfrmCharge::ADOQryCalcFields(TDataSet& ds)
{
    CalcLeasoTypeStr(ds);
}

void TfrmCharge::DataSource1DataChange()
{
    const bool row = ADOQry->active() && !ADOQry->isEmpty();
    auto text = [&](const char* field) {
        return row ? ADOQry->fieldByName(QLatin1String(field)).shownText() : QString();
    };
    SetEditText(ui->EdtCarID, text("CarID"));
    ui->Memo1->setPlainText(text("Memo"));
    {
        // Filled as one step: the fee is worked out once, from the whole row.
        // A return moment the pickers cannot show is kept as stored.
        const QSignalBlocker bd(ui->DtDate), bt(ui->DtTime), bo(ui->EdtOdograph);
        if (row) ShowStoredMoment(ui->DtDate, ui->DtTime, ADOQry->fieldByName(QStringLiteral("EndTime")).value());
        SetEditText(ui->EdtOdograph, text("Odograph2"));
    }
    CalcSettleFee();
}

void TfrmCharge::DtDateChange() { CalcSettleFee(); }
void TfrmCharge::EdtOdographChange() { CalcSettleFee(); }
void TfrmCharge::BtnExit1Click() { close(); }

void TfrmCharge::CalcSettleFee()
{
    FeeInput in = FeeInputFromRow(*ADOQry);
    in.returnMoment = returnMoment();
    // A stored return that is no moment gives no fee to show.
    if (!in.returnMoment.isValid()) {
        for (QLineEdit* e : {ui->EdtCalDays, ui->EdtTimeOwe, ui->EdtAdditionalOwe, ui->EdtOwe}) e->clear();
        return;
    }
    in.reading = ui->EdtOdograph->text();
    ShowHireFee(in, ui->EdtCalDays, ui->EdtTimeOwe, ui->EdtAdditionalOwe, ui->EdtOwe);
}

QDateTime TfrmCharge::returnMoment() const
{
    if (KeepsStoredValue(ui->DtDate)) return PickedOrStoredMoment(ui->DtDate, ui->DtTime);
    const QTime t = ui->DtTime->time();
    return CombineDateTime(ui->DtDate->date(), QTime(t.hour(), t.minute(), t.second()));
}

void TfrmCharge::Button1Click()
{
    if (!ADOQry->active() || ADOQry->isEmpty()) {
        NoRecordNotice(this, *ADOQry, QStringLiteral("待结算的租借列表"));
        return;
    }
    const qint64 key = ADOQry->fieldByName(QStringLiteral("LeasoID")).asInteger();
    const QString amountText = ui->EdtLeaso->text().trimmed();
    if (amountText.isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入结算金额！"));
        ui->EdtLeaso->setFocus();
        return;
    }
    // An amount the database could not read, or a pasted negative, is refused
    // here, before anything is written.
    if (!CheckFilteredInput(this, {ui->EdtLeaso, ui->EdtOdograph})) return;
    Currency amount;
    try {
        amount = StrToCurr(amountText);
    } catch (const EConvertError& e) {
        Dlg::Notice(this, e.message());
        ui->EdtLeaso->setFocus();
        return;
    }
    const bool hasReading = !ui->EdtOdograph->text().isEmpty();
    const int reading = hasReading ? StrToInt(ui->EdtOdograph->text()) : 0;
    const QDateTime r = returnMoment();
    const bool keepEnd = KeepsStoredValue(ui->DtDate);
    // A time set beside a return date the picker could not show makes no moment.
    if (TimeSetWithoutDate(ui->DtDate)) {
        Dlg::Notice(this, QStringLiteral("请选择还车时间的日期！"));
        ui->DtDate->setFocus();
        return;
    }
    const QDateTime begin = ADOQry->fieldByName(QStringLiteral("BeginTime")).asDateTime();
    if (!keepEnd && MomentSeconds(r) < MomentSeconds(begin)) {
        Dlg::Notice(this, QStringLiteral("还车时间不应当早于车辆借出时间！"));
        return;
    }

    // Only a hire returned and not yet settled is settled.
    const bool saved = WriteUnlessChanged(this, [&] {
        TTransaction tr(AppConnection());
        Params p{{QStringLiteral("charge"), QVariant::fromValue(amount)},
                 {QStringLiteral("memo"), ui->Memo1->toPlainText()}, {QStringLiteral("id"), key}};
        QString sets = QStringLiteral("ChargeTime=Now(),Charge=:charge,");
        // A return moment the pickers could not show stays as stored.
        if (!keepEnd) {
            p.append({QStringLiteral("end"), r});
            sets += QStringLiteral("EndTime=:end,");
        }
        if (hasReading) {
            p.append({QStringLiteral("odo"), reading});
            sets += QStringLiteral("Odograph2=:odo,");
        }
        ExpectOneRow(ADOQry2->execSQL(QStringLiteral("Update Leaso set ") + sets
            + QStringLiteral("[Memo]=:memo where LeasoID=:id and EndTime is not null and ChargeTime is null"), p));
        if (ui->ChkSynchro->isChecked())
            InsertSettlementIncome(*ADOQry2, amount, key, ui->EdtCarID->text());
        tr.commit();
    }, [this] { openList(); });
    if (!saved) return;
    Dlg::Notice(this, QStringLiteral("结算信息已保存！"));
    openList();
}
