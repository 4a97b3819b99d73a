#include "hire/UnitLend.h"
#include "ui_UnitLend.h"
#include "app/AppContext.h"
#include "platform/Connection.h"
#include "platform/Transaction.h"
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

// The user's text inside a LIKE pattern, its wildcards taken literally.
QString LikeText(const QString& s)
{
    QString r;
    r.reserve(s.size());
    for (QChar c : s) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_')) r += QLatin1Char('\\');
        r += c;
    }
    return r;
}

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

} // namespace

TfrmLend::TfrmLend(QWidget* parent) : TForm(parent), ui(new Ui::TfrmLend)
{
    ui->setupUi(this);
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

    SetupDatePicker(ui->Dt1Date);
    SetupTimePicker(ui->Dt1Time);
    SetupDatePicker(ui->Dt2Date);
    SetupTimePicker(ui->Dt2Time);

    // EdtPriceKeyPress: money edits; EdtOdographKeyPress: whole-number edits.
    for (QLineEdit* e : {ui->EdtPrice, ui->EdtAdditionalPrice, ui->EdtPrepay})
        InstallKeyFilter(e, KeyFilter::Money);
    for (QLineEdit* e : {ui->EdtLimit, ui->EdtOdograph})
        InstallKeyFilter(e, KeyFilter::WholeNumber);

    On(ADOQry, &TDataSet::dataChange, this, [this] { DataSource1DataChange(); });
    On(ui->CmbType, &QComboBox::currentIndexChanged, this, [this] { CmbTypeChange(); });
    On(ui->BtnScheme, &QPushButton::clicked, this, [this] { BtnSchemeClick(); });
    On(ui->BtnQryCust, &QPushButton::clicked, this, [this] { BtnQryCustClick(); });
    On(ui->BtnNewCust, &QPushButton::clicked, this, [this] { BtnNewCustClick(); });
    On(ui->BtnLend, &QPushButton::clicked, this, [this] { BtnLendClick(); });
    On(ui->BtnLendPrint, &QPushButton::clicked, this, [this] { BtnLendPrintClick(); });
    On(ui->BtnExit1, &QPushButton::clicked, this, [this] { BtnExit1Click(); });
    On(ui->PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (isVisible()) PageShow(index);
    });

    RunGuarded(this, [this] { FormCreate(); });
}

TfrmLend::~TfrmLend() { delete ui; }

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
    const QString t = ui->CmbType->currentText();
    if (t == QStringLiteral("按天")) {
        ui->lblPrice->setText(QStringLiteral("每天租金(元)："));
        ui->lblLimit->setText(QStringLiteral("每天限程："));
    } else if (t == QStringLiteral("包月")) {
        ui->lblPrice->setText(QStringLiteral("每月租金(元)："));
        ui->lblLimit->setText(QStringLiteral("每月限程："));
    } else if (t == QStringLiteral("按小时")) {
        ui->lblPrice->setText(QStringLiteral("小时租金(元)："));
        ui->lblLimit->setText(QStringLiteral("小时限程："));
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
    static const QStringList units = {QStringLiteral("按天"), QStringLiteral("包月"), QStringLiteral("按小时")};
    const int code = frmSelectScheme->SchemeLeasoType;
    if (code >= 0 && code < units.size()) {
        const int i = ui->CmbType->findText(units[code]);
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
        if (hasN) ADOQry2->setParam(QStringLiteral("N"), exact ? n : LikeText(n));
        if (hasB) ADOQry2->setParam(QStringLiteral("B"), exact ? b : LikeText(b));
        if (hasM) ADOQry2->setParam(QStringLiteral("M"), exact ? m : LikeText(m));
        ADOQry2->open();
        ADOQry2->first();
    };

    lookUp(true);
    if (!ADOQry2->isEmpty()) {
        const TField name = ADOQry2->fieldByName(QStringLiteral("CustName"));
        if (!name.isNull()) {
            SetEditText(ui->EdtCustName, name.asString());
            SetEditText(ui->EdtTel, ADOQry2->fieldByName(QStringLiteral("Tel")).asString());
        }
        // A number or card the user typed stays as typed.
        if (ui->EdtCustID->text().isEmpty())
            SetEditText(ui->EdtCustID, ADOQry2->fieldByName(QStringLiteral("CustID")).asString());
        const TField card = ADOQry2->fieldByName(QStringLiteral("BankCard"));
        if (ui->EdtBankCard->text().isEmpty() && !card.isNull()) SetEditText(ui->EdtBankCard, card.asString());
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
    if (frmNewCust->showModal() != QDialog::Accepted) return;
    SetEditText(ui->EdtCustID, frmNewCust->ui->EdtCustID->text());
    SetEditText(ui->EdtTel, frmNewCust->ui->EdtTel->text());
    SetEditText(ui->EdtCustName, frmNewCust->ui->EdtCustName->text());
}

void TfrmLend::BtnExit1Click() { close(); }

bool TfrmLend::LendOut()
{
    if (ui->EdtCar->text().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("当前没有空闲可租车辆！"));
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

    bool lent = true;
    try {
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
    } catch (const EChangedError& e) {
        ADOQry2->close();
        Dlg::Notice(this, e.message());
        lent = false;
    } catch (const std::exception& e) {
        ADOQry2->close();
        Dlg::PlainMessage(this, ErrorText(e));
        lent = false;
    }
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
