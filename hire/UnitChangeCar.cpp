#include "hire/UnitChangeCar.h"
#include "ui_UnitChangeCar.h"

TfrmChangeCar* frmChangeCar = nullptr;

TfrmChangeCar::TfrmChangeCar(QWidget* parent) : TForm(parent), ui(new Ui::TfrmChangeCar)
{
    ui->setupUi(this);
}

TfrmChangeCar::~TfrmChangeCar() { delete ui; }
