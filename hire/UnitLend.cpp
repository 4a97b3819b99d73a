#include "hire/UnitLend.h"
#include "ui_UnitLend.h"
#include "common/AppContext.h"
#include "common/UnitPublic.h"
#include "platform/Connection.h"
#include "platform/Transaction.h"
#include "hire/UnitChangeCar.h"
#include "hire/UnitPrint.h"
#include "hire/UnitSelCust.h"
#include "hire/UnitSelectScheme.h"
#include "platform/App.h"
#include "platform/Convert.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Look.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "registers/UnitNewCust.h"
#include "ui_UnitNewCust.h"

TfrmLend* frmLend = nullptr;

namespace {

const QString kFreeCars = QStringLiteral("Select * from Car where State='A'");

bool FilledIn(const QString& s) { return !s.trimmed().isEmpty(); }

// The prepayment in whole cents, halves up. Only the first three decimals
// decide the cent, so digits past the fourth are cut rather than rounded
// twice (0.12499 stays 0.12).
Currency PrepayInCents(const QString& text)
{
    QString t = text.trimmed();
    const int dot = t.indexOf(QLatin1Char('.'));
    if (dot >= 0 && t.size() - dot - 1 > 4) t.truncate(dot + 5);
    return StrToCurr(t).roundedToCentsHalfUp();
}

// Both pages take a hire's moments and numbers alike: prices and the
// prepayment as money, the allowance and the reading as whole numbers.
void SetupHireBoxes(QDateEdit* beginDate, QTimeEdit* beginTime, QDateEdit* planDate, QTimeEdit* planTime,
                    std::initializer_list<QLineEdit*> money, std::initializer_list<QLineEdit*> whole)
{
    SetupDatePicker(beginDate);
    SetupTimePicker(beginTime);
    SetupDatePicker(planDate);
    SetupTimePicker(planTime);
    for (QLineEdit* e : money) InstallKeyFilter(e, KeyFilter::Money);
    for (QLineEdit* e : whole) InstallKeyFilter(e, KeyFilter::WholeNumber);
}

// A page's customer boxes.
struct CustBoxes {
    QLineEdit* id;
    QLineEdit* name;
    QLineEdit* tel;
    QLineEdit* card;
};

// The customer found by a look-up on exact values: the name and telephone
// when the row has a name; a number or card the user typed stays as typed.
void ShowFoundCust(TDataSet* found, const CustBoxes& b)
{
    const TField name = found->fieldByName(QStringLiteral("CustName"));
    if (!name.isNull()) {
        SetEditText(b.name, name.asString());
        SetEditText(b.tel, found->fieldByName(QStringLiteral("Tel")).asString());
    }
    if (b.id->text().isEmpty()) SetEditText(b.id, found->fieldByName(QStringLiteral("CustID")).asString());
    const TField card = found->fieldByName(QStringLiteral("BankCard"));
    if (b.card->text().isEmpty() && !card.isNull()) SetEditText(b.card, card.asString());
}

// A customer added through the add-customer dialog becomes the page's customer.
void TakeNewCust(const CustBoxes& b)
{
    if (frmNewCust->showModal() != QDialog::Accepted) return;
    SetEditText(b.id, frmNewCust->ui->EdtCustID->text());
    SetEditText(b.tel, frmNewCust->ui->EdtTel->text());
    SetEditText(b.name, frmNewCust->ui->EdtCustName->text());
}

} // namespace

TfrmLend::TfrmLend(QWidget* parent) : TForm(parent), ui(new Ui::TfrmLend)
{
    ui->setupUi(this);
    UseFlatButtonTabs(ui->PageControl1);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(QSize(684, 541).expandedTo(minimumSizeHint()));
    ADOQry = new TDataSet(this);
    ADOQry2 = new TDataSet(this);
    ADOMod = new TDataSet(this);

    ui->DBGrid1->setDataSet(ADOQry);
    ui->DBGrid1->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 100);
    ui->DBGrid1->addColumn(QStringLiteral("Style"), QStringLiteral("车型"), 56);
    ui->DBGrid1->addColumn(QStringLiteral("Mark"), QStringLiteral("品牌"), 56);
    ui->DBGrid1->addColumn(QStringLiteral("pledge"), QStringLiteral("押金标准"), 68);
    ui->DBGrid1->addColumn(QStringLiteral("Defend"), QStringLiteral("保养里程"), 68);
    ui->DBGrid1->addColumn(QStringLiteral("Odograph"), QStringLiteral("当前里程"), 68);

    SetupHireBoxes(ui->Dt1Date, ui->Dt1Time, ui->Dt2Date, ui->Dt2Time,
                   {ui->EdtPrice, ui->EdtAdditionalPrice, ui->EdtPrepay}, {ui->EdtLimit, ui->EdtOdograph});

    On(ADOQry, &TDataSet::dataChange, this, [this] { DataSource1DataChange(); });
    // Only a unit the user picks runs it; the scheme choice sets the unit and
    // relabels by itself.
    On(ui->CmbType, &QComboBox::activated, this, [this] { CmbTypeChange(); });
    On(ui->BtnScheme, &QPushButton::clicked, this, [this] { BtnSchemeClick(); });
    On(ui->BtnQryCust, &QPushButton::clicked, this, [this] { BtnQryCustClick(); });
    On(ui->BtnNewCust, &QPushButton::clicked, this, [this] { BtnNewCustClick(); });
    On(ui->BtnLend, &QPushButton::clicked, this, [this] { BtnLendClick(); });
    On(ui->BtnLendPrint, &QPushButton::clicked, this, [this] { BtnLendPrintClick(); });
    On(ui->BtnExit1, &QPushButton::clicked, this, [this] { BtnExit1Click(); });
    On(ui->PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (isVisible()) PageShow(index);
    });

    SetupModPage();

    RunGuarded(this, [this] { FormCreate(); });
}

TfrmLend::~TfrmLend() = default;

void TfrmLend::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("车辆出租")));
    ADOQry->setConnection(&AppConnection());
    ADOQry2->setConnection(&AppConnection());
    ADOMod->setConnection(&AppConnection());
    // Only here: later openings show the page that was active at the last close.
    ui->PageControl1->setCurrentWidget(ui->TabSheet2);
    for (QLineEdit* e : findChildren<QLineEdit*>())
        if (e->objectName().startsWith(QLatin1String("Edt")) && e->isReadOnly()) SetReadOnlySilver(e);
}

void TfrmLend::PageShow(int index)
{
    if (ui->PageControl1->widget(index) == ui->TabSheet2) TabSheet2Show();
    else if (ui->PageControl1->widget(index) == ui->TabSheet1) TabSheet1Show();
}

void TfrmLend::FormShow()
{
    // The active page's own show handler runs first, on the first opening only.
    bool listRead = false;
    if (!m_pageShown) {
        m_pageShown = true;
        PageShow(ui->PageControl1->currentIndex());
        // The hire-out page's show has just read the free vehicles: once is enough.
        listRead = ui->PageControl1->currentWidget() == ui->TabSheet2;
    } else if (ui->PageControl1->currentWidget() == ui->TabSheet1) {
        // The open hires are read on every opening too: one returned while the
        // window was closed must not stay listed.
        TabSheet1Show();
    }
    ui->EdtCustID->clear();
    ui->EdtCustName->clear();
    ui->EdtTel->clear();
    ui->EdtMemo->clear();

    // From now to the same time tomorrow, to the second the pickers show.
    const QDateTime now = NowMoment();
    const QTime t = now.time();
    ui->Dt1Time->setTime(QTime(t.hour(), t.minute(), t.second()));
    ui->Dt1Date->setDate(now.date());
    ui->Dt2Date->setDate(now.addDays(1).date());
    ui->Dt2Time->setTime(ui->Dt1Time->time());

    if (listRead) return;
    ADOQry->setSQL(kFreeCars);
    ADOQry->open();
}

void TfrmLend::TabSheet2Show()
{
    ADOQry->setSQL(kFreeCars);
    ADOQry->open();
}

void TfrmLend::DataSource1DataChange()
{
    const bool none = !ADOQry->active() || ADOQry->isEmpty();
    SetEditText(ui->EdtCar, none ? QString() : ADOQry->fieldByName(QStringLiteral("CarID")).asString());
    SetEditText(ui->EdtPledge, none ? QString() : ADOQry->fieldByName(QStringLiteral("Pledge")).asString());
    SetEditText(ui->EdtOdograph, none ? QString() : ADOQry->fieldByName(QStringLiteral("Odograph")).asString());
}

void TfrmLend::CmbTypeChange()
{
    if (const PricingUnit* u = PricingUnitByText(ui->CmbType->currentText())) {
        ui->lblPrice->setText(u->priceLabel);
        ui->lblLimit->setText(u->limitLabel);
    }
}

void TfrmLend::BtnSchemeClick()
{
    frmSelectScheme->setWindowTitle(QStringLiteral("选择租凭方案"));
    if (frmSelectScheme->showModal() != QDialog::Accepted) return;
    SetEditText(ui->EdtScheme, frmSelectScheme->SchemeName);
    SetEditText(ui->EdtPrice, frmSelectScheme->SchemeBasicPrice);
    SetEditText(ui->EdtLimit, frmSelectScheme->SchemeLimit);
    SetEditText(ui->EdtAdditionalPrice, frmSelectScheme->SchemeAdditionalPrice);
    if (const PricingUnit* u = PricingUnitByCode(frmSelectScheme->SchemeLeasoType)) {
        const int i = ui->CmbType->findText(u->text);
        if (i >= 0) ui->CmbType->setCurrentIndex(i);
    }
    CmbTypeChange();
}

void TfrmLend::BtnQryCustClick()
{
    const QString n = ui->EdtCustID->text();
    const QString b = ui->EdtBankCard->text();
    const QString m = ui->EdtCustName->text();
    const bool hasN = FilledIn(n), hasB = FilledIn(b), hasM = FilledIn(m);
    if (!hasN && !hasB && !hasM) {
        Dlg::Notice(this, QStringLiteral("请输入老客户的证件号、名称或银行卡号之一进行查询！\n\r（支持模糊查询）"));
        ui->EdtCustID->setFocus();
        return;
    }

    // The same shape twice: exact compares, then substring matches.
    auto lookUp = [&](bool exact) {
        auto cond = [exact](const QString& column, const QString& param) {
            return exact ? column + QStringLiteral("=:") + param
                         : column + QStringLiteral(" like '%' || :") + param + QStringLiteral(" || '%' ESCAPE '\\'");
        };
        QString sql;
        if (hasN && !hasB) sql = QStringLiteral("Select * from Customer where ") + cond(QStringLiteral("CustID"), QStringLiteral("N"));
        else if (hasB && !hasN) sql = QStringLiteral("Select * from Customer where ") + cond(QStringLiteral("BankCard"), QStringLiteral("B"));
        else if (hasN && hasB)
            sql = QStringLiteral("Select * from Customer where ") + cond(QStringLiteral("CustID"), QStringLiteral("N"))
                + QStringLiteral(" and ") + cond(QStringLiteral("BankCard"), QStringLiteral("B"));
        if (hasM) {
            if (!hasN && !hasB) sql = QStringLiteral("Select * from Customer where ") + cond(QStringLiteral("CustName"), QStringLiteral("M"));
            else sql += QStringLiteral(" and ") + cond(QStringLiteral("CustName"), QStringLiteral("M"));
        }
        ADOQry2->close();
        ADOQry2->setSQL(sql);
        if (hasN) ADOQry2->setParam(QStringLiteral("N"), exact ? n : LikeLiteral(n));
        if (hasB) ADOQry2->setParam(QStringLiteral("B"), exact ? b : LikeLiteral(b));
        if (hasM) ADOQry2->setParam(QStringLiteral("M"), exact ? m : LikeLiteral(m));
        ADOQry2->open();
        ADOQry2->first();
    };

    lookUp(true);
    if (!ADOQry2->isEmpty()) {
        ShowFoundCust(ADOQry2, {ui->EdtCustID, ui->EdtCustName, ui->EdtTel, ui->EdtBankCard});
        ADOQry2->close();
        return;
    }

    lookUp(false);
    if (ADOQry2->isEmpty()) {
        Dlg::Notice(this, QStringLiteral("系统中没有此客户信息，客户为新客户！\r请点击“新客户建档”按钮建立客户资料。"));
        return;
    }
    // Read however the picker closed: the row under its cursor is the choice.
    frmSelCust->showModal();
    if (!ADOQry2->isEmpty()) {
        SetEditText(ui->EdtCustName, ADOQry2->fieldByName(QStringLiteral("CustName")).asString());
        SetEditText(ui->EdtCustID, ADOQry2->fieldByName(QStringLiteral("CustID")).asString());
        SetEditText(ui->EdtTel, ADOQry2->fieldByName(QStringLiteral("Tel")).asString());
        SetEditText(ui->EdtBankCard, ADOQry2->fieldByName(QStringLiteral("BankCard")).asString());
    }
    ADOQry2->close();
}

void TfrmLend::BtnNewCustClick()
{
    TakeNewCust({ui->EdtCustID, ui->EdtCustName, ui->EdtTel, ui->EdtBankCard});
}

void TfrmLend::BtnExit1Click() { close(); }

bool TfrmLend::LendOut()
{
    if (ui->EdtCar->text().isEmpty()) {
        NoRecordNotice(this, *ADOQry, QStringLiteral("空闲车辆列表"), QStringLiteral("当前没有空闲可租车辆！"));
        return false;
    }
    if (ui->EdtCustID->text().isEmpty() || ui->EdtCustName->text().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请录入客户信息！"));
        return false;
    }
    if (ui->EdtPrice->text().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入每日、月或小时租金信息！"));
        ui->EdtPrice->setFocus();
        return false;
    }
    if (ui->EdtLimit->text().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入每出租单位时间（日、月）内限里程数！"));
        ui->EdtLimit->setFocus();
        return false;
    }
    // Pasted text the key filters would have refused (a negative amount) stores nothing.
    if (!CheckFilteredInput(this, {ui->EdtPrice, ui->EdtLimit, ui->EdtAdditionalPrice, ui->EdtPrepay, ui->EdtOdograph}))
        return false;
    // Outside the transaction: a bad amount here ends in the error box with nothing written.
    const Currency additional = ui->EdtAdditionalPrice->text().isEmpty()
        ? Currency() : StrToCurr(ui->EdtAdditionalPrice->text());

    const QDateTime begin = MomentOf(ui->Dt1Date, ui->Dt1Time);
    const QDateTime planEnd = MomentOf(ui->Dt2Date, ui->Dt2Time);
    if (!(begin < planEnd)) {
        Dlg::Notice(this, QStringLiteral("计划还车时间不应前于借车时间！"));
        return false;
    }

    ADOQry2->close();
    ADOQry2->setSQL(QStringLiteral("Select * from [Customer] Where CustID=:CustID"));
    ADOQry2->setParam(QStringLiteral("CustID"), ui->EdtCustID->text());
    ADOQry2->open();
    if (ADOQry2->isEmpty()) {
        Dlg::Notice(this, QStringLiteral("客户信息错误：没有找到该证件号的客户！"));
        ADOQry2->close();
        return false;
    }
    ADOQry2->close();

    const bool lent = WriteOrReport(this, [&] {
        TTransaction tr(*ADOQry2->connection());
        // The fields of a hire without reading years of hires into memory.
        ADOQry2->setSQL(QStringLiteral("select * from Leaso where LeasoID is null"));
        ADOQry2->open();
        ADOQry2->append();
        ADOQry2->fieldByName(QStringLiteral("CarID")).setValue(ui->EdtCar->text());
        ADOQry2->fieldByName(QStringLiteral("BeginTime")).setValue(begin);
        ADOQry2->fieldByName(QStringLiteral("PlanEndTime")).setValue(planEnd);
        ADOQry2->fieldByName(QStringLiteral("CustID")).setValue(ui->EdtCustID->text());
        ADOQry2->fieldByName(QStringLiteral("LeasoType")).setValue(ui->CmbType->currentIndex());
        ADOQry2->fieldByName(QStringLiteral("BasicPrice")).setValue(QVariant::fromValue(StrToCurr(ui->EdtPrice->text())));
        ADOQry2->fieldByName(QStringLiteral("Limit")).setValue(StrToInt(ui->EdtLimit->text()));
        if (!ui->EdtPrepay->text().isEmpty())
            ADOQry2->fieldByName(QStringLiteral("Prepay")).setValue(QVariant::fromValue(PrepayInCents(ui->EdtPrepay->text())));
        const int odograph = StrToInt(ui->EdtOdograph->text());
        ADOQry2->fieldByName(QStringLiteral("Odograph1")).setValue(odograph);
        ADOQry2->fieldByName(QStringLiteral("Memo")).setValue(ui->EdtMemo->text());
        ADOQry2->fieldByName(QStringLiteral("AdditionalPrice")).setValue(QVariant::fromValue(additional));
        ADOQry2->fieldByName(QStringLiteral("CreateTime")).setValue(NowMoment());
        ADOQry2->post();

        // Only a vehicle still free is hired out.
        ADOQry2->close();
        ADOQry2->setSQL(QStringLiteral("Update Car Set State='B',Odograph=:Odograph where CarID=:CarID and State='A'"));
        ADOQry2->setParam(QStringLiteral("Odograph"), odograph);
        ADOQry2->setParam(QStringLiteral("CarID"), ui->EdtCar->text());
        ExpectOneRow(ADOQry2->execSQL());

        tr.commit();
    });
    if (!lent) ADOQry2->close();
    if (lent) Dlg::Notice(this, QStringLiteral("车辆已借出！"));

    // Ready for the next hire, whatever happened: a fresh list, no customer.
    const QString listSql = ADOQry->sql();
    ADOQry->close();
    ADOQry->setSQL(listSql);
    ADOQry->open();
    ADOQry->first();
    ui->EdtCustID->clear();
    ui->EdtCustName->clear();
    ui->EdtTel->clear();
    ui->EdtMemo->clear();
    return lent;
}

void TfrmLend::BtnLendClick() { LendOut(); }

void TfrmLend::BtnLendPrintClick()
{
    if (Dlg::Printers().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("本机没有安装打印机！"));
        return;
    }
    if (!LendOut()) return;
    ADOQry2->close();
    ADOQry2->setSQL(QStringLiteral("select Max(LeasoID) from Leaso"));
    ADOQry2->open();
    frmPrint->PrintLeasoID = ADOQry2->field(0).asString();
    ADOQry2->close();
    frmPrint->showModal();
}

// ---- The second page: open hires, their correction, the change of vehicle ----

namespace {

const QString kOpenHires = QStringLiteral(
    "Select leaso.*,CustName,Tel,BankCard,BankCard_Memo from Leaso left join customer "
    "on Leaso.custID=Customer.CustID where Endtime is null");
const QString kOpenHiresAfterSave = QStringLiteral(
    "Select leaso.*,CustName,Tel,[BankCard],[BankCard_Memo] from Leaso left join customer "
    "on Leaso.custID=Customer.CustID where Endtime is null");

} // namespace

void TfrmLend::SetupModPage()
{
    ui->CmbModType->addItems(PricingUnitTexts());
    ui->CmbModType->setCurrentIndex(0);

    ADOMod->addCalcField(QStringLiteral("LeasoTypeStr"), FieldType::String);
    ADOMod->onCalcFields = [this](TDataSet& ds) { ADOModCalcFields(ds); };

    // Read-only: a hire is corrected through the boxes below and 保存修改 only.
    TDBGrid* g = ui->DBGrid2;
    g->setDataSet(ADOMod);
    g->addColumn(QStringLiteral("LeasoID"), QStringLiteral("编号"));
    g->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 100);
    g->addColumn(QStringLiteral("LeasoTypeStr"), QStringLiteral("租赁方式"), 60);
    g->addColumn(QStringLiteral("BeginTime"), QStringLiteral("出租时间"), 125);
    // Wide enough for an 18-character identity number.
    g->addColumn(QStringLiteral("CustID"), QStringLiteral("客户证件号"), 150);
    g->addColumn(QStringLiteral("CustName"), QStringLiteral("客户名称"), 80);
    g->addColumn(QStringLiteral("Tel"), QStringLiteral("客户电话"), 100);
    g->addColumn(QStringLiteral("BankCard"), QStringLiteral("银行卡"), 150);
    g->addColumn(QStringLiteral("BankCard_Memo"), QStringLiteral("银行卡备注"), 100);
    g->setColumnVisible(0, false);

    SetupHireBoxes(ui->DtMod1Date, ui->DtMod1Time, ui->DTMod2Date, ui->DTMod2Time,
                   {ui->EdtModPrice, ui->EdtModAdditionalPrice, ui->EdtModPrepay}, {ui->EdtModLimit, ui->EdtModOdograph});

    On(ADOMod, &TDataSet::dataChange, this, [this] { DsModDataChange(); });
    // The first page's label update reads the first page's unit, so this page's
    // labels keep their daily wording whatever unit is chosen here. Only the
    // user's choice runs it: a selected hire setting its unit relabels nothing.
    On(ui->CmbModType, &QComboBox::activated, this, [this] { CmbTypeChange(); });
    On(ui->BtnSaveMod, &QPushButton::clicked, this, [this] { BtnSaveModClick(); });
    On(ui->BtnModQryCust, &QPushButton::clicked, this, [this] { BtnModQryCustClick(); });
    On(ui->BtnModNewCust, &QPushButton::clicked, this, [this] { BtnModNewCustClick(); });
    On(ui->BtnChangeCar, &QPushButton::clicked, this, [this] { BtnChangeCarClick(); });
    On(ui->BtnPrint, &QPushButton::clicked, this, [this] { BtnPrintClick(); });
    On(ui->BtnExit2, &QPushButton::clicked, this, [this] { BtnExit1Click(); });
}

void TfrmLend::TabSheet1Show() { LoadModList(kOpenHires); }

void TfrmLend::LoadModList(const QString& sql)
{
    ADOMod->close();
    ADOMod->setSQL(sql);
    ADOMod->open();
    ADOMod->first();
}

qint64 TfrmLend::SelectedModKey() const
{
    const QString key = ui->DBGrid2->selectedText(0);
    return key.isEmpty() ? 0 : StrToInt64(key);
}

void TfrmLend::ADOModCalcFields(TDataSet& ds) { CalcLeasoTypeStr(ds); }

void TfrmLend::DsModDataChange()
{
    // An empty list reads as a row of empty fields. Every box shows the
    // selected hire as stored, text where a number belongs included.
    const bool row = ADOMod->active() && !ADOMod->isEmpty();
    auto text = [&](const char* name) {
        return row ? ADOMod->fieldByName(QLatin1String(name)).shownText() : QString();
    };
    auto stored = [&](const char* name) {
        return row ? ADOMod->fieldByName(QLatin1String(name)).value() : QVariant();
    };

    SetEditText(ui->EdtModOdograph, text("Odograph1"));
    ShowStoredMoment(ui->DtMod1Date, ui->DtMod1Time, stored("BeginTime"));
    ShowStoredMoment(ui->DTMod2Date, ui->DTMod2Time, stored("PlanEndTime"));
    // A unit the list cannot name shows none, and the save keeps it.
    ui->CmbModType->setCurrentIndex(ui->CmbModType->findText(text("LeasoTypeStr")));
    const QString custID = text("CustID");
    if (custID.isEmpty()) {
        for (QLineEdit* e : {ui->EdtModCustID, ui->EdtModCustName, ui->EdtModTel, ui->EdtModBankCard}) e->clear();
    } else {
        SetEditText(ui->EdtModCustID, custID);
        SetEditText(ui->EdtModCustName, text("CustName"));
        SetEditText(ui->EdtModBankCard, text("BankCard"));
    }
    SetEditText(ui->EdtModTel, text("Tel"));
    SetEditText(ui->EdtModPrice, text("BasicPrice"));
    SetEditText(ui->EdtModLimit, text("Limit"));
    SetEditText(ui->EdtModAdditionalPrice, text("AdditionalPrice"));
    SetEditText(ui->EdtModPrepay, text("Prepay"));
    SetEditText(ui->EdtModMemo, text("Memo"));
}

void TfrmLend::BtnSaveModClick()
{
    const qint64 key = SelectedModKey();
    if (key == 0) {
        NoRecordNotice(this, *ADOMod, QStringLiteral("租借列表"), QStringLiteral("没有可修改的租借信息！"));
        return;
    }
    if (ui->EdtModCustID->text().isEmpty() || ui->EdtModCustName->text().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请录入客户信息！"));
        return;
    }
    if (ui->EdtModPrice->text().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入每日、月或小时租金信息！"));
        ui->EdtModPrice->setFocus();
        return;
    }
    // A moment the pickers could not show is kept as stored, and checked only
    // when it is a moment.
    const QDateTime begin = PickedOrStoredMoment(ui->DtMod1Date, ui->DtMod1Time);
    const QDateTime planEnd = PickedOrStoredMoment(ui->DTMod2Date, ui->DTMod2Time);
    if (ui->EdtModLimit->text().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入每出租单位时间（日、月）内限里程数！\r如无里程限制，请填写“0”！"));
        ui->EdtModLimit->setFocus();
        return;
    }
    // Pasted text the key filters would have refused (a negative amount) stores nothing.
    if (!CheckFilteredInput(this, {ui->EdtModPrice, ui->EdtModLimit, ui->EdtModAdditionalPrice, ui->EdtModPrepay,
                                   ui->EdtModOdograph}))
        return;
    // A time set beside a date the picker could not show makes no moment.
    for (const auto& [date, what] : {std::pair{ui->DtMod1Date, "出租时间"}, std::pair{ui->DTMod2Date, "计划归还时间"}}) {
        if (!TimeSetWithoutDate(date)) continue;
        Dlg::Notice(this, QStringLiteral("请选择%1的日期！").arg(QString::fromUtf8(what)));
        date->setFocus();
        return;
    }
    if (begin.isValid() && planEnd.isValid() && !(begin < planEnd)) {
        Dlg::Notice(this, QStringLiteral("计划还车时间不应前于借车时间！"));
        return;
    }

    // Every conversion before the write: text that is no number ends in the
    // error box with nothing written.
    const int odograph = ui->EdtModOdograph->text().isEmpty() ? 0 : StrToInt(ui->EdtModOdograph->text());
    const bool hasPrepay = !ui->EdtModPrepay->text().isEmpty();
    const Currency prepay = hasPrepay ? StrToCurr(ui->EdtModPrepay->text()) : Currency();
    const Currency price = StrToCurr(ui->EdtModPrice->text());
    const int limit = FilledIn(ui->EdtModLimit->text()) ? StrToInt(ui->EdtModLimit->text()) : 0;
    const Currency additional = FilledIn(ui->EdtModAdditionalPrice->text())
        ? StrToCurr(ui->EdtModAdditionalPrice->text()) : Currency();

    Params p{{QStringLiteral("memo"), ui->EdtModMemo->text()}, {QStringLiteral("cust"), ui->EdtModCustID->text()},
             {QStringLiteral("odo"), odograph}, {QStringLiteral("price"), QVariant::fromValue(price)},
             {QStringLiteral("limit"), limit}, {QStringLiteral("additional"), QVariant::fromValue(additional)},
             {QStringLiteral("id"), key}};
    QString sets = QStringLiteral("[Memo]=:memo,CustID=:cust");
    // What the pickers and the unit could not show stays as stored.
    auto setUnlessKept = [&](bool keep, const char* column, const char* name, const QVariant& v) {
        if (keep) return;
        sets += QLatin1Char(',') + QLatin1String(column) + QStringLiteral("=:") + QLatin1String(name);
        p.append({QLatin1String(name), v});
    };
    setUnlessKept(KeepsStoredValue(ui->DtMod1Date), "BeginTime", "begin", begin);
    setUnlessKept(KeepsStoredValue(ui->DTMod2Date), "PlanEndTime", "plan", planEnd);
    setUnlessKept(ui->CmbModType->currentIndex() < 0, "LeasoType", "type", ui->CmbModType->currentIndex());
    // No prepayment typed: the stored one stays.
    if (hasPrepay) {
        sets += QStringLiteral(",Prepay=:prepay");
        p.append({QStringLiteral("prepay"), QVariant::fromValue(prepay)});
    }
    sets += QStringLiteral(",Odograph1=:odo,BasicPrice=:price,[Limit]=:limit,AdditionalPrice=:additional");
    // Only a hire that is still open.
    if (!WriteUnlessChanged(this, [&] {
            ExpectOneRow(ADOQry2->execSQL(
                QStringLiteral("Update Leaso set ") + sets + QStringLiteral(" where LeasoID=:id and EndTime is null"), p));
        }, [this] { LoadModList(kOpenHires); }))
        return;
    LoadModList(kOpenHiresAfterSave);
    Dlg::Notice(this, QStringLiteral("修改已保存！"));
}

void TfrmLend::BtnModQryCustClick()
{
    const QString n = ui->EdtModCustID->text();
    const QString b = ui->EdtModBankCard->text();
    const bool hasN = FilledIn(n), hasB = FilledIn(b);
    if (!hasN && !hasB) {
        Dlg::Notice(this, QStringLiteral("请输入老客户的证件号或银行卡号进行查询！"));
        ui->EdtModCustID->setFocus();
        return;
    }
    // The values as typed, blanks and all.
    QString sql;
    if (hasN && hasB) sql = QStringLiteral("Select * from Customer where CustID=:N and BankCard=:B");
    else if (hasN) sql = QStringLiteral("Select * from Customer where CustID=:N");
    else sql = QStringLiteral("Select * from Customer where BankCard=:B");
    ADOQry2->close();
    ADOQry2->setSQL(sql);
    if (hasN) ADOQry2->setParam(QStringLiteral("N"), n);
    if (hasB) ADOQry2->setParam(QStringLiteral("B"), b);
    ADOQry2->open();
    ADOQry2->first();

    if (ADOQry2->isEmpty()) {
        ADOQry2->close();
        Dlg::Notice(this, QStringLiteral("系统中没有此客户信息，客户为新客户！\r请点击“新客户建档”按钮建立客户资料。"));
        ui->EdtModCustName->clear();
        ui->EdtModTel->clear();
        return;
    }
    ShowFoundCust(ADOQry2, {ui->EdtModCustID, ui->EdtModCustName, ui->EdtModTel, ui->EdtModBankCard});
    ADOQry2->close();
}

void TfrmLend::BtnModNewCustClick()
{
    TakeNewCust({ui->EdtModCustID, ui->EdtModCustName, ui->EdtModTel, ui->EdtModBankCard});
}

void TfrmLend::BtnChangeCarClick()
{
    const qint64 key = SelectedModKey();
    if (key == 0) return;
    const QString oldCar = ui->DBGrid2->selectedText(1);

    ADOQry2->close();
    ADOQry2->setSQL(QStringLiteral("Select * from Car where State='A' and CarID<>:car"));
    ADOQry2->setParam(QStringLiteral("car"), oldCar);
    ADOQry2->open();
    ADOQry2->first();
    if (ADOQry2->isEmpty()) {
        ADOQry2->close();
        Dlg::Notice(this, QStringLiteral("现在没有可供替换的空闲车辆！"));
        return;
    }
    QStringList freeCars;
    const int carCol = ADOQry2->fieldIndex(QStringLiteral("CarID"));
    for (int r = 0; r < ADOQry2->recordCount(); ++r) freeCars << ADOQry2->textAt(r, carCol);
    ADOQry2->close();

    frmChangeCar->Fill(oldCar, freeCars);
    if (frmChangeCar->showModal() == QDialog::Accepted) {
        const QString newCar = frmChangeCar->NewCar();
        const Params ids{{QStringLiteral("id"), key}, {QStringLiteral("old"), oldCar}, {QStringLiteral("new"), newCar}};
        // Each statement carries what the picker showed: the hire still open on
        // the old vehicle, the replacement still free. The list is read afresh either way.
        WriteOrReport(this, [&] {
            TTransaction tr(AppConnection());
            ExpectOneRow(ADOQry2->execSQL(QStringLiteral(
                "Update Leaso set ChangeCar=1,CarID=:new Where LeasoID=:id and EndTime is null and CarID=:old"), ids));
            // Never free a vehicle that is still out on another open hire.
            ExpectOneRow(ADOQry2->execSQL(QStringLiteral(
                "Update Car set State='A' where CarID=:old "
                "and not exists (select 1 from Leaso where CarID=:old and EndTime is null)"),
                {{QStringLiteral("old"), oldCar}}));
            ExpectOneRow(ADOQry2->execSQL(QStringLiteral(
                "Update Car set State='B' where CarID=:new and State='A'"), {{QStringLiteral("new"), newCar}}));
            ExpectOneRow(ADOQry2->execSQL(QStringLiteral(
                "Insert into ChangeCar(LeasoID,OldCarID,NewCarID) Values(:id,:old,:new)"), ids));
            tr.commit();
        });
    }
    LoadModList(kOpenHires);
}

void TfrmLend::BtnPrintClick()
{
    if (Dlg::Printers().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("本机没有安装打印机！"));
        return;
    }
    if (!ADOMod->active() || ADOMod->recordCount() < 1) {
        NoRecordNotice(this, *ADOMod, QStringLiteral("租借列表"), QStringLiteral("没有要打印的纪录！"));
        return;
    }
    frmPrint->PrintLeasoID = ui->DBGrid2->selectedText(0);
    frmPrint->showModal();
}
