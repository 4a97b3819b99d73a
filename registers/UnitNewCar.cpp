#include "registers/UnitNewCar.h"
#include "ui_UnitNewCar.h"
#include "common/AppContext.h"
#include "platform/Connection.h"
#include "platform/App.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "common/UnitPhoto.h"
#include <QKeyEvent>

TfrmNewCar* frmNewCar = nullptr;

namespace {

// Runs a handler when Enter is pressed in a field; the key itself goes on as
// usual (and never presses a button).
class EnterWatch : public QObject {
public:
    EnterWatch(QWidget* field, QWidget* owner, std::function<void()> handler)
        : QObject(field), m_owner(owner), m_handler(std::move(handler)) { field->installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* ev) override
    {
        if (ev->type() != QEvent::KeyPress) return false;
        auto* ke = static_cast<QKeyEvent*>(ev);
        if ((ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter)
            && (ke->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
            RunGuarded(m_owner, m_handler);
        return false;
    }

private:
    QWidget* m_owner;
    std::function<void()> m_handler;
};

void moveOnWhenFilled(const QString& text, QWidget* next)
{
    if (!text.trimmed().isEmpty()) next->setFocus();
}

} // namespace

TfrmNewCar::TfrmNewCar(QWidget* parent) : TForm(parent), ui(new Ui::TfrmNewCar)
{
    ui->setupUi(this);
    ADOQry = new TDataSet(this);
    Photo = new TPhotoBox(this, ui->ImgNewCar, ui->EdtNewCarPath, CarPicDir);
    FormCreate();

    On(ui->BtnSaveNewCar, &QPushButton::clicked, this, [this] { BtnSaveNewCarClick(); });
    On(ui->BtnSaveExit, &QPushButton::clicked, this, [this] { BtnSaveExitClick(); });
    On(ui->BtnExit, &QPushButton::clicked, this, [this] { BtnExitClick(); });
    On(ui->BtnNewCarPath, &QPushButton::clicked, this, [this] { BtnNewCarPathClick(); });
    On(ui->BtnNewCarClearImg, &QPushButton::clicked, this, [this] { BtnNewCarClearImgClick(); });

    // The digit filters first, so the Enter moves below see the key before them.
    InstallKeyFilter(ui->EdtNewCarOdograph, KeyFilter::WholeNumber);
    InstallKeyFilter(ui->EdtDefend, KeyFilter::WholeNumber);
    new EnterWatch(ui->EdtNewCarID, this, [this] { EdtNewCarIDKeyDown(); });
    new EnterWatch(ui->CmbCarStyle, this, [this] { CmbCarStyleKeyDown(); });
    new EnterWatch(ui->CmbMark, this, [this] { CmbMarkKeyDown(); });
    new EnterWatch(ui->CmbColor, this, [this] { CmbColorKeyDown(); });
    new EnterWatch(ui->EdtCarMotorID, this, [this] { EdtCarMotorIDKeyDown(); });
    new EnterWatch(ui->EdtNewCarOdograph, this, [this] { EdtNewCarOdographKeyDown(); });
    new EnterWatch(ui->EdtDefend, this, [this] { EdtDefendKeyDown(); });
    new EnterWatch(ui->EdtPledge, this, [this] { EdtPledgeKeyDown(); });
}

TfrmNewCar::~TfrmNewCar() = default;

void TfrmNewCar::FormCreate()
{
    setWindowTitle(FormCaption(QStringLiteral("新车信息录入")));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(672, 401);
    // The fields' panel is a little wider than 368 so that every caption shows whole.
    ui->Splitter1->setSizes({ui->PnlFields->minimumWidth(), 672 - ui->PnlFields->minimumWidth()});
    ADOQry->setConnection(&AppConnection());
    SetReadOnlySilver(ui->EdtNewCarPath);
    SetupDatePicker(ui->DtBuy);
    SetupDatePicker(ui->DtCheck);
    LimitMemoLength(ui->MmNewCar, 255);
    ui->CmbState->setCurrentIndex(0);
}

void TfrmNewCar::fillList(QComboBox* cmb, const QString& sql)
{
    ADOQry->close();
    ADOQry->clearParams();
    ADOQry->setSQL(sql);
    ADOQry->open();
    while (!ADOQry->eof()) {
        cmb->addItem(ADOQry->field(0).asString());
        ADOQry->next();
    }
    ADOQry->close();
}

void TfrmNewCar::FormShow()
{
    ui->EdtNewCarID->clear();

    // Filling a list would put its first entry into the text: the typed text stays.
    const QString style = ui->CmbCarStyle->currentText();
    ui->CmbCarStyle->clear();
    fillList(ui->CmbCarStyle, QStringLiteral("Select distinct style from car Where (Style is not null) and Style<>'' "));
    for (const QString& s : {QStringLiteral("轿车"), QStringLiteral("面包车")})
        if (ui->CmbCarStyle->findText(s, Qt::MatchExactly) < 0) ui->CmbCarStyle->addItem(s);
    ui->CmbCarStyle->setCurrentIndex(-1);
    ui->CmbCarStyle->setEditText(style);

    ui->CmbMark->clear();
    fillList(ui->CmbMark, QStringLiteral("Select distinct mark from car where (mark is not null) and mark<>'' "));
    ui->CmbMark->setCurrentIndex(-1);
    ui->CmbMark->setEditText(QString());

    const QString color = ui->CmbColor->currentText();
    ui->CmbColor->clear();
    fillList(ui->CmbColor, QStringLiteral("Select distinct Color from car where (Color is not null) and Color<>''"));
    ui->CmbColor->setCurrentIndex(-1);
    ui->CmbColor->setEditText(color);

    emptyPerVehicleFields();
    const QDate today = NowMoment().date();
    ui->DtBuy->setDate(today);
    ui->DtCheck->setDate(today);
    ui->EdtNewCarID->setFocus();
}

void TfrmNewCar::emptyPerVehicleFields()
{
    ui->EdtNewCarID->clear();
    ui->EdtCarMotorID->clear();
    ui->EdtNewCarOdograph->clear();
    ui->EdtDefend->clear();
    ui->EdtPledge->clear();
    ui->MmNewCar->clear();
    Photo->clear();
}

bool TfrmNewCar::SaveOK()
{
    const QString id = ui->EdtNewCarID->text();
    if (id.trimmed().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请输入车辆编号！"));
        ui->EdtNewCarID->setFocus();
        return false;
    }
    // The key names the photo file: it must stay inside the photo folder, and
    // name the picture when there is one.
    if (!CheckPhotoKey(this, CarPicDir, id, QStringLiteral("车辆编号"), !Photo->pathEmpty())) {
        ui->EdtNewCarID->setFocus();
        return false;
    }

    ADOQry->close();
    ADOQry->clearParams();
    ADOQry->setSQL(QStringLiteral("Select * from car where CarID=:CarID"));
    ADOQry->setParam(QStringLiteral("CarID"), id);
    ADOQry->open();
    if (!ADOQry->isEmpty()) {
        Dlg::Notice(this, QStringLiteral("该编号的车辆已经存在，请重新输入！"));
        ui->EdtNewCarID->setFocus();
        ADOQry->close();
        return false;
    }

    // Converted before the row is begun, so a bad or pasted negative number stores nothing.
    if (!CheckFilteredInput(this, {ui->EdtNewCarOdograph, ui->EdtDefend})) return false;
    const int odograph = StrToIntDef(ui->EdtNewCarOdograph->text(), 0);
    const int defend = StrToIntDef(ui->EdtDefend->text(), 0);
    // The row and its photo together or not at all; no earlier file may
    // attach itself to the new vehicle.
    StoreWithPhoto(AppConnection(), *Photo, id, [&] {
        ADOQry->appendRecord({
            {QStringLiteral("CarID"), id},
            {QStringLiteral("Style"), ui->CmbCarStyle->currentText()},
            {QStringLiteral("Mark"), ui->CmbMark->currentText()},
            {QStringLiteral("Color"), ui->CmbColor->currentText()},
            {QStringLiteral("Odograph"), odograph},
            {QStringLiteral("Defend"), defend},
            {QStringLiteral("Description"), ui->MmNewCar->toPlainText()},
            {QStringLiteral("MotorID"), ui->EdtCarMotorID->text()},
            {QStringLiteral("State"), ui->CmbState->currentText() == QStringLiteral("空闲") ? QStringLiteral("A") : QStringLiteral("D")},
            {QStringLiteral("Pledge"), ui->EdtPledge->text()},
            {QStringLiteral("BuyDate"), ui->DtBuy->date()},
            {QStringLiteral("CheckDate"), ui->DtCheck->date()}});
        ADOQry->close();
    });

    Dlg::Notice(this, QStringLiteral("该车辆信息成功保存！"));
    emptyPerVehicleFields();
    return true;
}

void TfrmNewCar::BtnSaveNewCarClick() { SaveOK(); }

void TfrmNewCar::BtnSaveExitClick()
{
    if (SaveOK()) close();
}

void TfrmNewCar::BtnExitClick() { close(); }

void TfrmNewCar::BtnNewCarPathClick() { Photo->pick(); }

void TfrmNewCar::BtnNewCarClearImgClick() { Photo->clear(); }

void TfrmNewCar::EdtNewCarIDKeyDown() { moveOnWhenFilled(ui->EdtNewCarID->text(), ui->CmbCarStyle); }
void TfrmNewCar::CmbCarStyleKeyDown() { moveOnWhenFilled(ui->CmbCarStyle->currentText(), ui->CmbMark); }
void TfrmNewCar::CmbMarkKeyDown() { moveOnWhenFilled(ui->CmbMark->currentText(), ui->CmbColor); }
void TfrmNewCar::CmbColorKeyDown() { moveOnWhenFilled(ui->CmbColor->currentText(), ui->EdtCarMotorID); }
void TfrmNewCar::EdtCarMotorIDKeyDown() { ui->EdtNewCarOdograph->setFocus(); }
void TfrmNewCar::EdtNewCarOdographKeyDown() { ui->EdtDefend->setFocus(); }
void TfrmNewCar::EdtDefendKeyDown() { ui->EdtPledge->setFocus(); }
void TfrmNewCar::EdtPledgeKeyDown() { ui->MmNewCar->setFocus(); }
