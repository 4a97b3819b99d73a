#include "hire/UnitSelectScheme.h"
#include "ui_UnitSelectScheme.h"
#include "common/AppContext.h"
#include "common/StartupReads.h"
#include "platform/Connection.h"
#include "common/UnitPublic.h"
#include "platform/Handler.h"

TfrmSelectScheme* frmSelectScheme = nullptr;

TfrmSelectScheme::TfrmSelectScheme(QWidget* parent) : TForm(parent), ui(new Ui::TfrmSelectScheme)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint().expandedTo(QSize(454, 431)));

    ADOTable1 = new TDataSet(this);
    ADOTable1->setTableName(StartupSql::SchemeTable, StartupSql::SchemeOrder);
    ADOTable1->addCalcField(QStringLiteral("LeasoTypeStr"), FieldType::String);
    ADOTable1->onCalcFields = [this](TDataSet& ds) { ADOTable1CalcFields(ds); };
    // Filtering is on from the start; without a filter every row passes.
    ADOTable1->setFiltered(true);

    ui->DBGrid1->setDataSet(ADOTable1);
    ui->DBGrid1->addColumn(QStringLiteral("PriceName"), QStringLiteral("方案名称"), 92);
    ui->DBGrid1->addColumn(QStringLiteral("LeasoTypeStr"), QStringLiteral("计价单位"), 58);
    ui->DBGrid1->addColumn(QStringLiteral("BasicPrice"), QStringLiteral("价格(单价)"), 70);
    ui->DBGrid1->addColumn(QStringLiteral("Limit"), QStringLiteral("单位时间限里程"), 96);
    ui->DBGrid1->addColumn(QStringLiteral("AdditionalPrice"), QStringLiteral("超程基价(元/公里)"), 112);

    setDefaultButton(ui->BtnOK);
    On(ui->EdtName, &QLineEdit::textChanged, this, [this] { EdtNameChange(); });
    On(ADOTable1, &TDataSet::afterOpen, this, [this] { ADOTable1AfterOpen(); });
    On(ui->BtnOK, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    connect(ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    // Made at start-up, which reports a file it cannot read and ends.
    FormCreate();
}

TfrmSelectScheme::~TfrmSelectScheme() = default;

void TfrmSelectScheme::FormCreate()
{
    ADOTable1->setConnection(&AppConnection());
    ADOTable1->open();
}

void TfrmSelectScheme::FormShow()
{
    // Read afresh on every showing, so schemes added or changed since show;
    // the filter and the chosen scheme stay.
    QString current;
    if (ADOTable1->active() && !ADOTable1->isEmpty())
        current = ADOTable1->fieldByName(QStringLiteral("PriceName")).asString();
    ADOTable1->close();
    ADOTable1->open();
    if (!current.isEmpty()) ADOTable1->locate(QStringLiteral("PriceName"), current);
}

void TfrmSelectScheme::UpdateOK()
{
    ui->BtnOK->setEnabled(ADOTable1->active() && !ADOTable1->isEmpty());
}

void TfrmSelectScheme::ADOTable1AfterOpen() { UpdateOK(); }

void TfrmSelectScheme::EdtNameChange()
{
    const QString text = ui->EdtName->text();
    if (!text.isEmpty()) {
        // A name that holds the text; the user's % and _ are plain characters.
        ADOTable1->setFilter([text](TDataSet& ds) {
            return ds.fieldByName(QStringLiteral("PriceName")).asString().contains(text, Qt::CaseInsensitive);
        });
        ADOTable1->setFiltered(true);
    } else {
        ADOTable1->setFilter(nullptr);
        ADOTable1->setFiltered(false);
    }
    UpdateOK();
}

void TfrmSelectScheme::ADOTable1CalcFields(TDataSet& ds)
{
    CalcLeasoTypeStr(ds);
}

void TfrmSelectScheme::BtnOKClick()
{
    if (!ADOTable1->active() || ADOTable1->isEmpty()) {
        SchemeName.clear();
        SchemeLimit.clear();
        SchemeAdditionalPrice.clear();
        SchemeBasicPrice.clear();
        SchemeLeasoType = -1;
    } else {
        SchemeName = ADOTable1->fieldByName(QStringLiteral("PriceName")).asString();
        SchemeLimit = ADOTable1->fieldByName(QStringLiteral("Limit")).asString();
        SchemeAdditionalPrice = ADOTable1->fieldByName(QStringLiteral("AdditionalPrice")).asString();
        SchemeBasicPrice = ADOTable1->fieldByName(QStringLiteral("BasicPrice")).asString();
        const TField type = ADOTable1->fieldByName(QStringLiteral("LeasoType"));
        SchemeLeasoType = type.isNull() ? -1 : int(type.asInteger());
    }
    accept();
}
