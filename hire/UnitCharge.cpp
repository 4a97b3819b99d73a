#include "hire/UnitCharge.h"
#include "ui_UnitCharge.h"

TfrmCharge* frmCharge = nullptr;

TfrmCharge::TfrmCharge(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCharge)
{
    ui->setupUi(this);
}

TfrmCharge::~TfrmCharge() { delete ui; }
