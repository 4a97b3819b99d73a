#include "registers/UnitCar.h"
#include "ui_UnitCar.h"
#include "common/AppContext.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Convert.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "platform/Transaction.h"
#include "platform/Look.h"
#include "registers/UnitCost.h"
#include "common/UnitPhoto.h"
#include "ui_UnitCost.h"
#include <QDateEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <limits>

TfrmCar* frmCar = nullptr;

namespace {

const QString ListSQL = QStringLiteral("select * from Car");
const QString VehicleList = QStringLiteral("车辆列表");
const QString NoVehicleYet = QStringLiteral("当前没有车辆信息。请先通过“车辆新增”功能录入车辆信息！");
const QString Free = QStringLiteral("空闲");
const QString OutOfService = QStringLiteral("停租");
const QString HiredOut = QStringLiteral("租出");   // the edit list's word; the list says "出租"

// The letter the state list's text stands for; none for any other text.
QString stateLetter(const QString& text)
{
    if (text == OutOfService) return QStringLiteral("D");
    if (text == Free) return QStringLiteral("A");
    if (text == HiredOut) return QStringLiteral("B");
    return {};
}

QString normalState(const QString& letter) { return letter.trimmed().toUpper(); }

// Shows a stored text in a combo box: its entry when the list holds it as
// stored, otherwise the text itself, so a save writes back what was stored.
void showInCombo(QComboBox* cmb, const QString& text)
{
    const int i = cmb->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    cmb->setCurrentIndex(i);
    if (i < 0) cmb->setEditText(text);
}

} // namespace

TfrmCar::TfrmCar(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCar)
{
    ui->setupUi(this);
    UseFlatButtonTabs(ui->PageControl1);
    ADOQry = new TDataSet(this);
    ADOQry2 = new TDataSet(this);
    Photo = new TPhotoBox(this, ui->ImgCar, ui->EdtCarPath, CarPicDir);

    ADOQry->addCalcField(QStringLiteral("StrState"), FieldType::String);
    ADOQry->onCalcFields = [this](TDataSet& ds) { ADOQryCalcFields(ds); };

    TDBGrid* g = ui->DBGrid1;
    g->setDataSet(ADOQry);
    g->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 200);
    g->addColumn(QStringLiteral("StrState"), QStringLiteral("状态"), 60);
    g->addColumn(QStringLiteral("Mark"), QStringLiteral("品牌"));
    g->addColumn(QStringLiteral("pledge"), QStringLiteral("押金标准"));
    g->addColumn(QStringLiteral("Odograph"), QStringLiteral("当前里程"), 100);

    On(ADOQry, &TDataSet::dataChange, this, [this] { DataSource1DataChange(); });
    On(ADOQry, &TDataSet::afterScroll, this, [this] { ADOQryAfterScroll(); });
    On(ui->BtnSaveBasic, &QPushButton::clicked, this, [this] { BtnSaveBasicClick(); });
    On(ui->BtnDel, &QPushButton::clicked, this, [this] { BtnDelClick(); });
    On(ui->BtnExit1, &QPushButton::clicked, this, [this] { BtnExit1Click(); });
    On(ui->BtnExit2, &QPushButton::clicked, this, [this] { BtnExit1Click(); });
    On(ui->BtnAgainstLaw, &QPushButton::clicked, this, [this] { BtnAgainstLawClick(); });
    On(ui->BtnNewCarPath, &QPushButton::clicked, this, [this] { BtnNewCarPathClick(); });
    On(ui->BtnNewCarClearImg, &QPushButton::clicked, this, [this] { BtnNewCarClearImgClick(); });
    On(ui->BtnSave, &QPushButton::clicked, this, [this] { BtnSaveClick(); });
    InstallKeyFilter(ui->EdtCarOdograph, KeyFilter::WholeNumber);
    InstallKeyFilter(ui->EdtDefend, KeyFilter::WholeNumber);
    // The rows kept here belong to the data that were replaced.
    connect(&AppEvents::instance(), &AppEvents::databaseReplaced, this, [this] { ADOQry->close(); });

    setupFeePage();
    FormCreate();
}

TfrmCar::~TfrmCar() = default;

void TfrmCar::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("车辆信息")));
    resize(762, 554);
    ADOQry->setConnection(&AppConnection());
    ADOQry2->setConnection(&AppConnection());
    ui->PageControl1->setCurrentIndex(0);
    SetReadOnlySilver(ui->EdtCarPath);
    SetupDatePicker(ui->DtBuy);
    SetupDatePicker(ui->DtCheck);
    LimitMemoLength(ui->MmCar, 255);
}

void TfrmCar::fillList(QComboBox* cmb, const QString& sql)
{
    cmb->clear();
    ADOQry2->close();
    ADOQry2->clearParams();
    ADOQry2->setSQL(sql);
    ADOQry2->open();
    for (; !ADOQry2->eof(); ADOQry2->next()) cmb->addItem(ADOQry2->field(0).asString());
    ADOQry2->close();
}

void TfrmCar::FormShow()
{
    fillList(ui->CmbMark, QStringLiteral("Select distinct mark from car"));
    fillList(ui->CmbCarStyle, QStringLiteral("Select distinct style from car"));
    fillList(ui->CmbColor, QStringLiteral("Select distinct Color from car"));
    openList();
    openFeeTable();
}

void TfrmCar::openList()
{
    ADOQry->close();
    ADOQry->clearParams();
    ADOQry->setSQL(ListSQL);
    ADOQry->open();
}

void TfrmCar::ADOQryCalcFields(TDataSet& ds)
{
    ds.fieldByName(QStringLiteral("StrState")).setValue(CarStateText(ds.fieldByName(QStringLiteral("State")).asString()));
}

QString TfrmCar::selectedKey() const
{
    if (!ADOQry->active() || ADOQry->isEmpty()) return {};
    return ADOQry->fieldByName(QStringLiteral("CarID")).asString();
}

void TfrmCar::ADOQryAfterScroll()
{
    // Nothing to edit in an empty register; each command says so itself.
    ui->PnlBasic->setEnabled(ADOQry->active() && !ADOQry->isEmpty());
}

void TfrmCar::showState(const QString& stored)
{
    const QString s = normalState(stored);
    QComboBox* c = ui->CmbState;
    c->clear();
    if (s == QLatin1String("A") || s == QLatin1String("D")) {
        c->addItems({Free, OutOfService});
        c->setCurrentIndex(s == QLatin1String("A") ? 0 : 1);
        c->setEnabled(true);
        return;
    }
    // Hired out, reserved or unknown: the one entry it has, and no change offered.
    c->addItem(s == QLatin1String("B") ? HiredOut : CarStateText(s));
    c->setCurrentIndex(0);
    c->setEnabled(false);
}

void TfrmCar::DataSource1DataChange()
{
    const bool any = ADOQry->active() && !ADOQry->isEmpty();
    auto text = [&](const char* name) { return any ? ADOQry->fieldByName(QLatin1String(name)).shownText() : QString(); };
    const QString key = selectedKey();
    SetEditText(ui->EdtCarID, key);
    showState(text("State"));
    SetEditText(ui->EdtCarOdograph, text("Odograph"));
    SetEditText(ui->EdtPledge, text("Pledge"));
    SetEditText(ui->EdtCarMotorID, text("MotorID"));
    SetEditText(ui->EdtDefend, text("Defend"));
    ui->MmCar->setPlainText(text("Description"));
    showInCombo(ui->CmbCarStyle, text("Style"));
    showInCombo(ui->CmbMark, text("Mark"));
    showInCombo(ui->CmbColor, text("Color"));
    // A date the pickers cannot show (none, text, out of their range) is kept
    // as stored; none shows as 30 days before today.
    auto stored = [&](const char* name) { return any ? ADOQry->fieldByName(QLatin1String(name)).value() : QVariant(); };
    const QDate noDate = NowMoment().date().addDays(-30);
    ShowStoredDate(ui->DtBuy, stored("BuyDate"), noDate);
    ShowStoredDate(ui->DtCheck, stored("CheckDate"), noDate);
    Photo->showStored(key);
}

bool TfrmCar::readMileage(QLineEdit* box, const QString& what, int* value, bool* keep)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    const QString t = box->text().trimmed();
    *keep = t.isEmpty();
    if (*keep) return true;
    const qint64 v = digits.match(t).hasMatch() ? t.toLongLong() : -1;
    if (v < 0 || v > std::numeric_limits<int>::max()) {
        Dlg::Notice(this, QStringLiteral("%1必须是0到%2之间的整数！").arg(what).arg(std::numeric_limits<int>::max()));
        ui->PageControl1->setCurrentWidget(ui->TabSheet3);
        box->setFocus();
        return false;
    }
    *value = int(v);
    return true;
}

void TfrmCar::BtnSaveBasicClick()
{
    const QString oldKey = selectedKey();
    if (oldKey.trimmed().isEmpty()) {
        NoRecordNotice(this, *ADOQry, VehicleList, NoVehicleYet);
        return;
    }
    if (!Dlg::Confirm(this, QStringLiteral("确定要修改原信息吗？"))) return;
    const QString newKey = ui->EdtCarID->text();
    if (newKey.trimmed().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入车辆编号！"));
        ui->EdtCarID->setFocus();
        return;
    }
    const bool keyChanged = newKey != oldKey;
    // The key names the photo file: it must stay inside the photo folder, and
    // name the stored photo that moves with it.
    if (keyChanged && !CheckPhotoKey(this, CarPicDir, newKey, QStringLiteral("车辆编号"), HasPhotoFile(CarPicDir, oldKey))) {
        ui->EdtCarID->setFocus();
        return;
    }
    // Every number is read before anything is written.
    int odograph = 0, defend = 0;
    bool keepOdograph = true, keepDefend = true;
    if (!readMileage(ui->EdtCarOdograph, QStringLiteral("当前里程数"), &odograph, &keepOdograph)) return;
    if (!readMileage(ui->EdtDefend, QStringLiteral("保养里程数"), &defend, &keepDefend)) return;
    const QString letter = stateLetter(ui->CmbState->currentText());
    const QString shownState = normalState(ADOQry->fieldByName(QStringLiteral("State")).asString());

    if (keyChanged) {
        // The database compares keys ignoring letter case: a change of case alone finds the vehicle itself.
        OpenByKey(ADOQry2, QStringLiteral("Select * from car where CarID=:CarID"), QStringLiteral("CarID"), newKey);
        const bool taken = !ADOQry2->isEmpty();
        ADOQry2->close();
        if (taken) {
            Dlg::Notice(this, QStringLiteral("该编号的车辆已经存在，请重新输入！"));
            ui->EdtCarID->setFocus();
            return;
        }
    }

    auto writeRow = [&] {
        // Every hire, open or finished, follows the vehicle; fee items and the change log keep the old key.
        if (keyChanged)
            ADOQry2->execSQL(QStringLiteral("Update Leaso set CarID=:NewID Where CarID=:OldID"),
                             {{QStringLiteral("NewID"), newKey}, {QStringLiteral("OldID"), oldKey}});
        OpenByKey(ADOQry2, QStringLiteral("Select * from car where CarID=:CarID"), QStringLiteral("CarID"), oldKey);
        // The state offered was the one the list showed: a vehicle hired out or
        // deleted since then is not overwritten.
        if (ADOQry2->isEmpty() || normalState(ADOQry2->fieldByName(QStringLiteral("State")).asString()) != shownState)
            throw EChangedError();
        ADOQry2->edit();
        auto set = [&](const char* name, const QVariant& v) { ADOQry2->fieldByName(QLatin1String(name)).setValue(v); };
        if (keyChanged) set("CarID", newKey);
        set("Description", ui->MmCar->toPlainText());
        // Free is never written over hired out or reserved.
        if (!letter.isEmpty() && letter != shownState
            && !(letter == QLatin1String("A") && (shownState == QLatin1String("B") || shownState == QLatin1String("C"))))
            set("State", letter);
        if (!keepOdograph) set("Odograph", odograph);
        set("MotorID", ui->EdtCarMotorID->text());
        set("Style", ui->CmbCarStyle->currentText());
        set("Mark", ui->CmbMark->currentText());
        set("Color", ui->CmbColor->currentText());
        if (!KeepsStoredValue(ui->DtBuy)) set("BuyDate", ui->DtBuy->date());
        if (!KeepsStoredValue(ui->DtCheck)) set("CheckDate", ui->DtCheck->date());
        set("Pledge", ui->EdtPledge->text());
        if (!keepDefend) set("Defend", defend);
        ADOQry2->post();
        ADOQry2->close();
    };
    // The stored photo moves with the key inside the transaction: the row, the
    // hires and the file change together or not at all. A file left under the
    // new key (free, so it belongs to no vehicle) goes.
    auto write = [&] {
        TStagedPhoto photo(CarPicDir, TStagedPhoto::Action::Keep);
        StoreWithPhoto(AppConnection(), photo, newKey, writeRow, oldKey);
    };
    auto dropEdit = [this] {
        ADOQry2->cancel();
        ADOQry2->close();
    };
    bool saved = false;
    try {
        saved = WriteUnlessChanged(this, write, [&] { dropEdit(); openList(); });
    } catch (...) {
        dropEdit();
        throw;
    }
    if (!saved) return;
    openList();
    Dlg::Notice(this, QStringLiteral("车辆信息修改完成！"));
}

void TfrmCar::BtnDelClick()
{
    const QString key = selectedKey();
    if (key.trimmed().isEmpty()) {
        NoRecordNotice(this, *ADOQry, VehicleList, QStringLiteral("当前没有车辆信息！"));
        return;
    }
    if (!Dlg::Confirm(this, QStringLiteral("确定要删除本项车辆的信息吗？"))) return;
    DeleteRegisterRecord(this, {QStringLiteral("CAR"), QStringLiteral("CARID"), key, CarPicDir, Photo->showsStored(),
                                QStringLiteral("该车辆存在出租纪录，不能删除！\n如果车辆已不能使用，请将状态置为“停租”！"),
                                QStringLiteral("成功删除此车辆信息！")},
                         [this] { openList(); });
}

void TfrmCar::BtnExit1Click() { close(); }

void TfrmCar::BtnAgainstLawClick() { OpenTrafficQueryPage(); }

void TfrmCar::BtnNewCarPathClick() { Photo->pick(); }

void TfrmCar::BtnNewCarClearImgClick() { Photo->clear(); }

void TfrmCar::BtnSaveClick()
{
    // The file is named after the vehicle selected, never the typed, unsaved key.
    const QString key = selectedKey();
    if (key.trimmed().isEmpty()) {
        NoRecordNotice(this, *ADOQry, VehicleList, NoVehicleYet);
        return;
    }
    if (Photo->pathEmpty()) {
        DeletePhotoFile(CarPicDir, key);
        return;
    }
    if (!CheckPhotoKey(this, CarPicDir, key, QStringLiteral("车辆编号"), true)) return;
    if (Photo->write(key)) Dlg::Notice(this, QStringLiteral("图片保存成功！"));
}

// ---- the fee-item page ----

namespace {

const QString FeeCategory = QStringLiteral("费用");

// The account link of a fee item: minus its key.
qint64 feeLink(qint64 costId) { return -costId; }

// The amount typed in the fee dialog. A pasted text can hold anything; it is
// refused before anything is written.
Currency feeAmount(const QString& text)
{
    const Currency c = StrToCurr(text);
    if (c < Currency()) throw EConvertError(QStringLiteral("“%1”不是有效的金额").arg(text));
    return c;
}

// The account entry's item: the vehicle's key, a blank and the first 200
// characters of the item's name (never half a character).
QString feeEntryItem(const QString& carId, const QString& name)
{
    qsizetype n = std::min<qsizetype>(name.size(), 200);
    if (n > 0 && n < name.size() && name.at(n - 1).isHighSurrogate()) --n;
    return carId + QLatin1Char(' ') + name.left(n);
}

} // namespace

void TfrmCar::setupFeePage()
{
    ADOTable1 = new TDataSet(this);
    ADOQryAcct = new TDataSet(this);
    ADOTable1->setConnection(&AppConnection());
    ADOQryAcct->setConnection(&AppConnection());
    ADOTable1->setTableName(QStringLiteral("CarCost"));
    ADOTable1->setMaster(ADOQry, QStringLiteral("CarID"), QStringLiteral("CarID"));

    TDBGrid* g = ui->DBGrid2;
    g->setDataSet(ADOTable1);
    g->addColumn(QStringLiteral("CostID"), QString());
    g->addColumn(QStringLiteral("CarID"), QStringLiteral("车辆"), 100);
    g->addColumn(QStringLiteral("Name"), QStringLiteral("项目"), 100);
    g->addColumn(QStringLiteral("Cost"), QStringLiteral("金额"));
    g->addColumn(QStringLiteral("BeginTime"), QStringLiteral("生效时间"));
    g->addColumn(QStringLiteral("EndTime"), QStringLiteral("到期时间"));
    g->addColumn(QStringLiteral("Content"), QStringLiteral("内容"), 280);
    g->addColumn(QStringLiteral("CreateTime"), QStringLiteral("付款日期"));
    g->setColumnVisible(0, false);
    for (int col : {4, 5, 7}) g->setColumnDateOnly(col, true);

    On(ui->BtnAddCost, &QPushButton::clicked, this, [this] { BtnAddCostClick(); });
    On(ui->BtnDelCost, &QPushButton::clicked, this, [this] { BtnDelCostClick(); });
    On(ui->BtnModCost, &QPushButton::clicked, this, [this] { BtnModCostClick(); });
    On(ui->BtnExit4, &QPushButton::clicked, this, [this] { BtnExit1Click(); });
}

void TfrmCar::openFeeTable()
{
    // The fee items follow the list; they are read whenever the list moves.
    if (ADOQry->active()) ADOTable1->open();
}

qint64 TfrmCar::selectedCostID()
{
    if (!ADOTable1->active() || ADOTable1->isEmpty()) return 0;
    if (ADOTable1->fieldByName(QStringLiteral("CarID")).asString().isEmpty()) return 0;
    return ADOTable1->fieldByName(QStringLiteral("CostID")).asInteger();
}

void TfrmCar::reloadFees(qint64 costId)
{
    ADOTable1->cancel();
    if (!ADOQry->active()) return;
    const int at = ADOTable1->recNo();
    ADOTable1->close();
    ADOTable1->open();
    if (costId != 0 && ADOTable1->locate(QStringLiteral("CostID"), costId)) return;
    if (at > 0 && !ADOTable1->isEmpty()) ADOTable1->setRecNo(std::min(at, ADOTable1->recordCount() - 1));
}

int TfrmCar::feeLinkState(qint64 costId)
{
    ADOQryAcct->close();
    ADOQryAcct->clearParams();
    ADOQryAcct->setSQL(QStringLiteral("Select Deleted from [ACCT] where LeasoID=:link"));
    ADOQryAcct->setParam(QStringLiteral("link"), feeLink(costId));
    ADOQryAcct->open();
    const int state = ADOQryAcct->isEmpty() ? -1 : int(ADOQryAcct->field(0).asInteger());
    ADOQryAcct->close();
    return state;
}

void TfrmCar::setFeeFields(const Currency& amount)
{
    auto* d = frmCost->ui.get();
    auto set = [&](const char* name, const QVariant& v) { ADOTable1->fieldByName(QLatin1String(name)).setValue(v); };
    // The key whole, so the item stays on its vehicle's page; name and remark
    // at the width the page has always kept.
    set("CarID", d->EdtCar->text());
    set("Name", CutToCodePageBytes(d->EdtName->text(), FeeTextBytes));
    // A date the picker could not show stays as the item stored it.
    auto setDate = [&](const char* name, const QDateEdit* e) { if (!KeepsStoredValue(e)) set(name, e->date()); };
    setDate("BeginTime", d->Dt1);
    setDate("EndTime", d->Dt2);
    set("Cost", QVariant::fromValue(amount));
    set("Content", CutToCodePageBytes(d->EdtContent->text(), FeeTextBytes));
    setDate("CreateTime", d->DtCreateTime);
}

void TfrmCar::BtnAddCostClick()
{
    const QString key = selectedKey();
    if (key.trimmed().isEmpty()) {
        NoRecordNotice(this, *ADOQry, VehicleList, NoVehicleYet);
        return;
    }
    auto* d = frmCost->ui.get();
    frmCost->setWindowTitle(QStringLiteral("新增交费项目"));
    SetEditText(d->EdtCar, key);
    d->EdtName->clear();
    d->EdtCost->clear();
    d->EdtContent->clear();
    // A date kept from an item whose stored date the picker could not show
    // means nothing for a new item: it starts as the dialog's own default.
    frmCost->ForgetKeptDates();
    if (frmCost->showModal() != QDialog::Accepted) return;
    const Currency amount = feeAmount(d->EdtCost->text());

    openFeeTable();
    qint64 costId = 0;
    try {
        TTransaction tr(AppConnection());
        ADOTable1->append();
        setFeeFields(amount);
        ADOTable1->post();
        // The link comes from the row just posted; keys are never reused, so
        // no entry of a deleted item can carry it.
        costId = ADOTable1->fieldByName(QStringLiteral("CostID")).asInteger();
        if (d->ChkAcct->isChecked() && amount > Currency()) {
            ADOQryAcct->execSQL(QStringLiteral("Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
                                               "Values(-1,:amount,:link,:item,:time,0,:category)"),
                                {{QStringLiteral("amount"), QVariant::fromValue(amount)},
                                 {QStringLiteral("link"), feeLink(costId)},
                                 {QStringLiteral("item"), feeEntryItem(key, d->EdtName->text())},
                                 {QStringLiteral("time"), d->DtCreateTime->date()},
                                 {QStringLiteral("category"), FeeCategory}});
        }
        tr.commit();
    } catch (...) {
        // The row posted in memory went with the rollback.
        reloadFees(0);
        throw;
    }
    reloadFees(costId);
}

void TfrmCar::BtnModCostClick()
{
    const qint64 costId = selectedCostID();
    if (costId == 0) return;
    auto* d = frmCost->ui.get();
    auto field = [&](const char* name) { return ADOTable1->fieldByName(QLatin1String(name)); };
    // Every box shows the selected item as stored; a date the picker cannot
    // show is kept, an amount stored as text is refused by the save.
    auto showDate = [&](QDateEdit* e, const char* name) { ShowStoredDate(e, field(name).value()); };
    frmCost->setWindowTitle(QStringLiteral("修改交费项目"));
    SetEditText(d->EdtCar, selectedKey());
    SetEditText(d->EdtName, field("Name").shownText());
    showDate(d->Dt1, "BeginTime");
    showDate(d->Dt2, "EndTime");
    SetEditText(d->EdtCost, field("Cost").shownText());
    SetEditText(d->EdtContent, field("Content").shownText());
    showDate(d->DtCreateTime, "CreateTime");
    if (frmCost->showModal() != QDialog::Accepted) return;
    const Currency amount = feeAmount(d->EdtCost->text());

    auto write = [&] {
        TTransaction tr(AppConnection());
        // The item may have gone since the page read it.
        if (AppConnection().scalar(QStringLiteral("Select count(*) from CarCost where CostID=:id"),
                                   {{QStringLiteral("id"), costId}}).toLongLong() != 1)
            throw EChangedError();
        ADOTable1->edit();
        setFeeFields(amount);
        ADOTable1->post();
        // Only the amount, the item and the date follow; kind, category and
        // the deleted flag stay. Without an entry nothing is made.
        // A payment date kept as stored leaves the entry's date as it is.
        if (d->ChkAcct->isChecked()) {
            Params p{{QStringLiteral("amount"), QVariant::fromValue(amount)},
                     {QStringLiteral("item"), feeEntryItem(d->EdtCar->text(), d->EdtName->text())},
                     {QStringLiteral("link"), feeLink(costId)}};
            const bool keepTime = KeepsStoredValue(d->DtCreateTime);
            if (!keepTime) p.append({QStringLiteral("time"), d->DtCreateTime->date()});
            ADOQryAcct->execSQL(QStringLiteral("Update [Acct] set [Amount]=:amount,[Item]=:item")
                                    + (keepTime ? QString() : QStringLiteral(",[AcctTime]=:time"))
                                    + QStringLiteral(" Where LeasoID=:link"), p);
        }
        tr.commit();
    };
    bool saved = false;
    try {
        saved = WriteUnlessChanged(this, write, [this] { reloadFees(0); });
    } catch (...) {
        reloadFees(costId);   // no edit left pending on the page
        throw;
    }
    if (saved) reloadFees(costId);
}

void TfrmCar::BtnDelCostClick()
{
    const qint64 costId = selectedCostID();
    if (costId == 0) return;
    if (!Dlg::Confirm(this, QStringLiteral("确实要删除此项纪录吗？"), Dlg::Icon::Question, true)) return;

    // Every question is answered before the transaction begins.
    const int linkState = feeLinkState(costId);
    bool dropEntry = linkState == 1;
    if (linkState == 0)
        dropEntry = Dlg::Confirm(this, QStringLiteral("在帐本中有本项费用的记录，是否同步删除帐本中的记录？"),
                                 Dlg::Icon::Question, true);

    const bool deleted = WriteUnlessChanged(this, [&] {
        TTransaction tr(AppConnection());
        // What was asked about must still hold.
        if (feeLinkState(costId) != linkState) throw EChangedError();
        if (dropEntry)
            ADOQryAcct->execSQL(QStringLiteral("Delete from [ACCT] Where LeasoID=:link"), {{QStringLiteral("link"), feeLink(costId)}});
        ExpectOneRow(ADOQryAcct->execSQL(QStringLiteral("Delete from CarCost Where CostID=:id"), {{QStringLiteral("id"), costId}}));
        tr.commit();
    }, [this] { reloadFees(0); });
    if (deleted) reloadFees(0);
}
