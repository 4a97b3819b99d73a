#include "registers/UnitPrice.h"
#include "ui_UnitPrice.h"
#include "ui_UnitNewPrice.h"
#include "common/AppContext.h"
#include "platform/Connection.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include "platform/Errors.h"
#include "platform/Look.h"
#include "platform/Transaction.h"
#include "registers/UnitNewPrice.h"

TfrmPrice* frmPrice = nullptr;

namespace {
const QString ListSQL = QStringLiteral("Select * from PriceList");
}

TfrmPrice::TfrmPrice(QWidget* parent) : TForm(parent), ui(new Ui::TfrmPrice), ADOQry(new TDataSet(this))
{
    ui->setupUi(this);
    resize(701, 460);

    ADOQry->addCalcField(QStringLiteral("LeasoTypeStr"), FieldType::String);
    ADOQry->onCalcFields = [this](TDataSet& ds) { ADOQryCalcFields(ds); };

    ui->DBGrid1->setDataSet(ADOQry);
    ui->DBGrid1->addColumn(QStringLiteral("PriceName"), QStringLiteral("方案名称"), 250);
    ui->DBGrid1->addColumn(QStringLiteral("LeasoTypeStr"), QStringLiteral("计价单位"), 60);
    ui->DBGrid1->addColumn(QStringLiteral("BasicPrice"), QStringLiteral("价格(单价)"), 70);
    ui->DBGrid1->addColumn(QStringLiteral("Limit"), QStringLiteral("单位时间限里程"), 100);
    // Wide enough for its caption.
    ui->DBGrid1->addColumn(QStringLiteral("AdditionalPrice"), QStringLiteral("超程基价(元/公里)"), 120);
    ui->DBGrid1->addColumn(QStringLiteral("LeasoType"), QString(), 0);
    ui->DBGrid1->setColumnVisible(5, false);

    On(ui->BtnNewPrice, &QPushButton::clicked, this, [this] { BtnNewPriceClick(); });
    On(ui->BtnEdtPrice, &QPushButton::clicked, this, [this] { BtnEdtPriceClick(); });
    On(ui->BtnDelPrice, &QPushButton::clicked, this, [this] { BtnDelPriceClick(); });
    On(ui->BtnExit, &QPushButton::clicked, this, [this] { reject(); });

    FormCreate();
}

TfrmPrice::~TfrmPrice() = default;

void TfrmPrice::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("计费方案管理")));
    ADOQry->setConnection(&AppConnection());
}

void TfrmPrice::FormShow()
{
    openList();
}

void TfrmPrice::openList()
{
    ADOQry->setSQL(ListSQL);
    ADOQry->open();
}

void TfrmPrice::ADOQryCalcFields(TDataSet& ds)
{
    CalcLeasoTypeStr(ds);
}

QString TfrmPrice::selectedName()
{
    if (!ADOQry->active() || ADOQry->isEmpty()) return {};
    return ADOQry->fieldByName(QStringLiteral("PriceName")).asString();
}

void TfrmPrice::BtnNewPriceClick()
{
    auto* d = frmNewPrice->ui.get();
    frmNewPrice->setWindowTitle(FormCaption(QStringLiteral("新增租赁方案")));
    d->EdtPriceName->clear();
    d->EdtBasicPrice->clear();
    d->EdtLimit->clear();
    d->EdtAdditionalPrice->clear();
    if (frmNewPrice->showModal() != QDialog::Accepted) return;

    // The dialog has checked every text, so the conversions below hold.
    const QString limit = d->EdtLimit->text().trimmed();
    const QString additional = d->EdtAdditionalPrice->text().trimmed();
    if (!ADOQry->active()) openList();
    ADOQry->append();
    try {
        ADOQry->fieldByName(QStringLiteral("LeasoType")).setValue(frmNewPrice->RadioGroup1ItemIndex());
        ADOQry->fieldByName(QStringLiteral("PriceName")).setValue(d->EdtPriceName->text());
        if (!limit.isEmpty()) ADOQry->fieldByName(QStringLiteral("Limit")).setValue(StrToInt(limit));
        ADOQry->fieldByName(QStringLiteral("BasicPrice")).setValue(QVariant::fromValue(StrToCurr(d->EdtBasicPrice->text())));
        if (!additional.isEmpty())
            ADOQry->fieldByName(QStringLiteral("AdditionalPrice")).setValue(QVariant::fromValue(StrToCurr(additional)));
        ADOQry->post();
    } catch (...) {
        // Leave no half-filled row in the list.
        ADOQry->cancel();
        throw;
    }
}

void TfrmPrice::BtnEdtPriceClick()
{
    const QString name = selectedName();
    if (name.trimmed().isEmpty()) return;

    auto* d = frmNewPrice->ui.get();
    frmNewPrice->setWindowTitle(FormCaption(QStringLiteral("修改租赁方案")));
    frmNewPrice->OldPriceName = name;
    // Every box shows the scheme as stored, text another tool put where a
    // number belongs included: the dialog refuses it unless it is changed.
    SetEditText(d->EdtPriceName, name);
    SetEditText(d->EdtBasicPrice, ADOQry->fieldByName(QStringLiteral("BasicPrice")).shownText());
    const PricingUnit* unit = PricingUnitByText(ADOQry->fieldByName(QStringLiteral("LeasoTypeStr")).asString());
    frmNewPrice->SetRadioGroup1ItemIndex(unit ? int(unit->code) : -1);
    SetEditText(d->EdtLimit, ADOQry->fieldByName(QStringLiteral("Limit")).shownText());
    SetEditText(d->EdtAdditionalPrice, ADOQry->fieldByName(QStringLiteral("AdditionalPrice")).shownText());
    if (frmNewPrice->showModal() != QDialog::Accepted) return;

    const QString limit = d->EdtLimit->text().trimmed();
    const QString additional = d->EdtAdditionalPrice->text().trimmed();
    const Params values{
        {QStringLiteral("name"), d->EdtPriceName->text()},
        {QStringLiteral("price"), QVariant::fromValue(StrToCurr(d->EdtBasicPrice->text()))},
        {QStringLiteral("type"), frmNewPrice->RadioGroup1ItemIndex()},
        {QStringLiteral("limit"), limit.isEmpty() ? 0 : StrToInt(limit)},
        {QStringLiteral("additional"), QVariant::fromValue(additional.isEmpty() ? Currency() : StrToCurr(additional))},
        {QStringLiteral("old"), frmNewPrice->OldPriceName}};
    // Only a scheme that still exists is changed; the list comes back whatever happened.
    try {
        WriteUnlessChanged(this, [&] {
            TTransaction tr(AppConnection());
            ExpectOneRow(AppConnection().execute(QStringLiteral(
                "Update PriceList set PriceName=:name,BasicPrice=:price,LeasoType=:type,[Limit]=:limit,"
                "AdditionalPrice=:additional where PriceName=:old"), values));
            tr.commit();
        }, nullptr);
    } catch (...) {
        openList();
        throw;
    }
    openList();
}

void TfrmPrice::BtnDelPriceClick()
{
    const QString name = selectedName();
    if (name.trimmed().isEmpty()) return;
    if (!Dlg::Confirm(this, QStringLiteral("确定要删除本项信息吗？"))) return;

    // Only a scheme that still exists is deleted.
    WriteUnlessChanged(this, [&] {
        ExpectOneRow(AppConnection().execute(QStringLiteral("Delete FROM PRICELIST WHERE PRICENAME=:name"),
                                             {{QStringLiteral("name"), name}}));
    }, nullptr);
    ADOQry->close();
    openList();
}
