#include "hire/UnitChangeCar.h"
#include "ui_UnitChangeCar.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include "platform/Look.h"

TfrmChangeCar* frmChangeCar = nullptr;

TfrmChangeCar::TfrmChangeCar(QWidget* parent) : TForm(parent), ui(new Ui::TfrmChangeCar)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(QSize(260, 280).expandedTo(minimumSizeHint()));
    setCancelButton(ui->BtnCancel);
    On(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    On(ui->BtnCancel, &QPushButton::clicked, this, [this] { reject(); });
}

TfrmChangeCar::~TfrmChangeCar() = default;

void TfrmChangeCar::Fill(const QString& oldCar, const QStringList& freeCars)
{
    ui->LstNewCar->clear();
    ui->LstNewCar->addItems(freeCars);
    ui->LstNewCar->setCurrentRow(-1);
    ui->LstNewCar->clearSelection();
    SetEditText(ui->EdtOldCar, oldCar);
}

QString TfrmChangeCar::NewCar() const
{
    const QList<QListWidgetItem*> chosen = ui->LstNewCar->selectedItems();
    return chosen.isEmpty() ? QString() : chosen.first()->text();
}

void TfrmChangeCar::Button1Click()
{
    if (ui->LstNewCar->selectedItems().isEmpty()) {
        Dlg::Notice(this, QStringLiteral("请选择更换出租的车辆！"));
        return;
    }
    accept();
}
