#include "registers/UnitNewCust.h"
#include "ui_UnitNewCust.h"
#include "common/AppContext.h"
#include "platform/Connection.h"
#include "platform/App.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "common/UnitPhoto.h"

TfrmNewCust* frmNewCust = nullptr;

bool CheckCustEntry(QWidget* owner, QLineEdit* id, QLineEdit* name, bool checkKey, bool photoKept)
{
    if (id->text().trimmed().isEmpty()) {
        Dlg::Notice(owner, QStringLiteral("请输入客户编号（证件号）！"));
        id->setFocus();
        return false;
    }
    if (name->text().trimmed().isEmpty()) {
        Dlg::Notice(owner, QStringLiteral("请输入客户名称！"));
        name->setFocus();
        return false;
    }
    if (checkKey && !CheckPhotoKey(owner, CustPicDir, id->text(), QStringLiteral("客户证件号"), photoKept)) {
        id->setFocus();
        return false;
    }
    return true;
}

TfrmNewCust::TfrmNewCust(QWidget* parent) : TForm(parent), ui(new Ui::TfrmNewCust)
{
    ui->setupUi(this);
    ADOQry = new TDataSet(this);
    Photo = new TPhotoBox(this, ui->ImgCust, ui->EdtCustPath, CustPicDir);
    FormCreate();

    On(ui->BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(ui->BtnExit, &QPushButton::clicked, this, &QDialog::reject);
    On(ui->BtnNewCarPath, &QPushButton::clicked, this, [this] { BtnNewCarPathClick(); });
    On(ui->BtnNewCarClearImg, &QPushButton::clicked, this, [this] { BtnNewCarClearImgClick(); });
}

TfrmNewCust::~TfrmNewCust() = default;

void TfrmNewCust::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("新客户信息录入")));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(720, 350);
    ADOQry->setConnection(&AppConnection());
    // This dialog's path box keeps the normal background.
    ui->EdtCustPath->setReadOnly(true);
    LimitMemoLength(ui->MmMemo, 200);
    ui->CmbCardType->setCurrentIndex(0);
}

void TfrmNewCust::FormShow()
{
    ui->EdtCustID->clear();
    ui->EdtCustName->clear();
    ui->EdtTel->clear();
    ui->EdtAddress->clear();
    ui->EdtBankCard->clear();
    ui->EdtBankCard_memo->clear();
    ui->MmMemo->clear();
    Photo->clear();
    ui->EdtCustID->setFocus();
}

void TfrmNewCust::BitBtn1Click()
{
    const QString id = ui->EdtCustID->text();
    // The number names the photo file, picture or not: it must stay inside the
    // photo folder, and name the picture when there is one.
    if (!CheckCustEntry(this, ui->EdtCustID, ui->EdtCustName, true, !Photo->pathEmpty())) return;

    ADOQry->close();
    ADOQry->clearParams();
    ADOQry->setSQL(QStringLiteral("select * from customer where CustID=:CustID"));
    ADOQry->setParam(QStringLiteral("CustID"), id);
    ADOQry->open();
    if (!ADOQry->isEmpty()) {
        // The caller then takes the existing customer's number as typed.
        Dlg::Notice(this, QStringLiteral("该证件号的客户已经存在！"));
        ADOQry->close();
        accept();
        return;
    }

    // The row and its photo together or not at all; a failure keeps the dialog
    // open, so the caller never takes a customer that was not written. No
    // earlier file may attach itself to the new customer.
    StoreWithPhoto(AppConnection(), *Photo, id, [&] {
        ADOQry->appendRecord({
            {QStringLiteral("CustID"), id},
            {QStringLiteral("CustName"), ui->EdtCustName->text()},
            {QStringLiteral("Tel"), ui->EdtTel->text()},
            {QStringLiteral("Memo"), ui->MmMemo->toPlainText()},
            {QStringLiteral("CardType"), ui->CmbCardType->currentText()},
            {QStringLiteral("Address"), ui->EdtAddress->text()},
            {QStringLiteral("BankCard"), ui->EdtBankCard->text()},
            {QStringLiteral("BankCard_Memo"), ui->EdtBankCard_memo->text()}});
        ADOQry->close();
    });
    Dlg::Notice(this, QStringLiteral("保存成功！"));
    accept();
}

void TfrmNewCust::BtnNewCarPathClick() { Photo->pick(); }

void TfrmNewCust::BtnNewCarClearImgClick() { Photo->clear(); }
