#include "registers/UnitNewCar.h"
#include "ui_UnitNewCar.h"

TfrmNewCar* frmNewCar = nullptr;

TfrmNewCar::TfrmNewCar(QWidget* parent) : TForm(parent), ui(new Ui::TfrmNewCar)
{
    ui->setupUi(this);
}

TfrmNewCar::~TfrmNewCar() { delete ui; }
