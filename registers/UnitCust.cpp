#include "registers/UnitCust.h"
#include "ui_UnitCust.h"
#include "common/AppContext.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Look.h"
#include "registers/UnitNewCust.h"
#include "common/UnitPhoto.h"

TfrmCust* frmCust = nullptr;

namespace {

const QString ListSQL = QStringLiteral("Select * from customer");

// Shows a stored text in the editable combo box: its entry when the list holds
// it, otherwise the text itself.
void showInCombo(QComboBox* cmb, const QString& text)
{
    const int i = cmb->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    cmb->setCurrentIndex(i);
    if (i < 0) cmb->setEditText(text);
}

} // namespace

TfrmCust::TfrmCust(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCust)
{
    ui->setupUi(this);
    ADOQry = new TDataSet(this);
    ADOQry2 = new TDataSet(this);
    ADOQry3 = new TDataSet(this);
    Photo = new TPhotoBox(this, ui->ImgCust, ui->EdtCustPath, CustPicDir);

    TDBGrid* g = ui->DBGrid1;
    g->setDataSet(ADOQry);
    // Wide enough for an 18-digit identity number in this font.
    g->addColumn(QStringLiteral("CustID"), QStringLiteral("客户证件号"), 146);
    g->addColumn(QStringLiteral("CustName"), QStringLiteral("客户名称"), 70);
    const char* hidden[] = {"Tel", "CardType", "Address", "Memo", "BankCard", "BankCard_Memo"};
    for (const char* f : hidden) {
        g->addColumn(QLatin1String(f), QString());
        g->setColumnVisible(g->columns().size() - 1, false);
    }

    On(ADOQry, &TDataSet::dataChange, this, [this] { DataSource1DataChange(); });
    On(ui->BtnNew, &QPushButton::clicked, this, [this] { BtnNewClick(); });
    On(ui->BtnSaveBasic, &QPushButton::clicked, this, [this] { BtnSaveBasicClick(); });
    On(ui->BtnDel, &QPushButton::clicked, this, [this] { BtnDelClick(); });
    On(ui->BtnCustPath, &QPushButton::clicked, this, [this] { BtnCustPathClick(); });
    On(ui->BtnCustClearImg, &QPushButton::clicked, this, [this] { BtnCustClearImgClick(); });
    On(ui->BtnExit1, &QPushButton::clicked, this, [this] { BtnExit1Click(); });
    // The rows kept here belong to the data that were replaced.
    connect(&AppEvents::instance(), &AppEvents::databaseReplaced, this, [this] { ADOQry->close(); });

    FormCreate();
}

TfrmCust::~TfrmCust() = default;

void TfrmCust::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("客户信息")));
    resize(696, 516);
    ADOQry->setConnection(&AppConnection());
    ADOQry2->setConnection(&AppConnection());
    ADOQry3->setConnection(&AppConnection());
    SetReadOnlySilver(ui->EdtCustPath);
    LimitMemoLength(ui->MmMemo, 200);
}

void TfrmCust::FormShow() { openList(); }

void TfrmCust::openList()
{
    ADOQry->close();
    ADOQry->clearParams();
    ADOQry->setSQL(ListSQL);
    ADOQry->open();
}

QString TfrmCust::selectedKey() const
{
    if (!ADOQry->active() || ADOQry->isEmpty()) return {};
    return ADOQry->fieldByName(QStringLiteral("CustID")).asString();
}

void TfrmCust::DataSource1DataChange()
{
    const bool any = ADOQry->active() && !ADOQry->isEmpty();
    auto text = [&](const char* name) { return any ? ADOQry->fieldByName(QLatin1String(name)).asString() : QString(); };
    const QString key = selectedKey();
    SetEditText(ui->EdtCustID, key);
    SetEditText(ui->EdtCustName, text("CustName"));
    SetEditText(ui->EdtTel, text("Tel"));
    showInCombo(ui->CmbCardType, text("CardType"));
    SetEditText(ui->EdtAddress, text("Address"));
    ui->MmMemo->setPlainText(text("Memo"));
    SetEditText(ui->EdtBankCard, text("BankCard"));
    SetEditText(ui->EdtBankCard_memo, text("BankCard_Memo"));
    Photo->showStored(key);
}

void TfrmCust::BtnNewClick()
{
    if (frmNewCust->showModal() == QDialog::Accepted) openList();
}

void TfrmCust::BtnSaveBasicClick()
{
    const QString oldKey = selectedKey();
    if (oldKey.isEmpty()) {
        NoRecordNotice(this, *ADOQry, QStringLiteral("客户列表"));
        return;
    }
    const QString newKey = ui->EdtCustID->text();
    // A number and a name; a photo to be kept under the number needs a number
    // that can name its file.
    const bool photoKept = !Photo->pathEmpty();
    if (!CheckCustEntry(this, ui->EdtCustID, ui->EdtCustName, photoKept, photoKept)) return;
    const bool keyChanged = newKey != oldKey;

    // Whatever the outcome, the edit buffer goes: the rows were saved or rolled back.
    auto dropEdit = [this] {
        ADOQry2->cancel();
        ADOQry2->close();
    };
    auto writeRows = [&] {
        OpenByKey(ADOQry2, QStringLiteral("Select * from customer Where CustID=:CustID"),
                  QStringLiteral("CustID"), oldKey);
        if (ADOQry2->isEmpty()) throw EChangedError();   // deleted meanwhile
        ADOQry2->edit();
        auto set = [&](const char* name, const QString& v) { ADOQry2->fieldByName(QLatin1String(name)).setValue(v); };
        set("CustID", newKey);
        set("CardType", ui->CmbCardType->currentText());
        set("CustName", ui->EdtCustName->text());
        set("Tel", ui->EdtTel->text());
        set("Address", ui->EdtAddress->text());
        set("Memo", ui->MmMemo->toPlainText());
        set("BankCard", ui->EdtBankCard->text());
        set("BankCard_Memo", ui->EdtBankCard_memo->text());
        ADOQry2->post();
        ADOQry2->close();
        // Every hire, open or finished, follows the customer.
        if (keyChanged)
            ADOQry3->execSQL(QStringLiteral("Update [Leaso] Set CustID=:NewID where CustID=:OldID"),
                             {{QStringLiteral("NewID"), newKey}, {QStringLiteral("OldID"), oldKey}});
    };
    try {
        // The photo is put in place under the new number inside the
        // transaction: the rows and the file change together or not at all.
        const bool saved = WriteUnlessChanged(this, [&] { StoreWithPhoto(AppConnection(), *Photo, newKey, writeRows, oldKey); },
                                              [&] { dropEdit(); openList(); });
        if (!saved) return;
    } catch (const std::exception& e) {
        // Rolled back: nothing changed, the typed values stay.
        dropEdit();
        const bool taken = keyChanged && AppConnection().scalar(
            QStringLiteral("select count(*) from customer where CustID=:NewID and CustID<>:OldID"),
            {{QStringLiteral("NewID"), newKey}, {QStringLiteral("OldID"), oldKey}}).toLongLong() > 0;
        if (taken) {
            Dlg::PlainMessage(this, QStringLiteral("该证件号的客户已经存在！"));
            ui->EdtCustID->setFocus();
        } else {
            Dlg::PlainMessage(this, ErrorText(e));
        }
        return;
    }

    openList();
    Dlg::Notice(this, QStringLiteral("客户信息修改完成！"));
}

void TfrmCust::BtnDelClick()
{
    const QString key = selectedKey();
    if (key.isEmpty()) {
        NoRecordNotice(this, *ADOQry, QStringLiteral("客户列表"));
        return;
    }
    if (!Dlg::Confirm(this, QStringLiteral("确定要删除本项客户信息吗？"))) return;
    DeleteRegisterRecord(this, {QStringLiteral("Customer"), QStringLiteral("CustID"), key, CustPicDir, Photo->showsStored(),
                                QStringLiteral("该客户存在租车纪录，不能删除！"), QStringLiteral("成功删除此客户信息！")},
                         [this] { openList(); });
}

void TfrmCust::BtnCustPathClick() { Photo->pick(); }

void TfrmCust::BtnCustClearImgClick() { Photo->clear(); }

void TfrmCust::BtnExit1Click() { reject(); }
