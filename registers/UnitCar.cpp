#include "registers/UnitCar.h"
#include "ui_UnitCar.h"

TfrmCar* frmCar = nullptr;

TfrmCar::TfrmCar(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCar)
{
    ui->setupUi(this);
}

TfrmCar::~TfrmCar() { delete ui; }
