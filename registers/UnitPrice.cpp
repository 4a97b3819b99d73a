#include "registers/UnitPrice.h"
#include "ui_UnitPrice.h"

TfrmPrice* frmPrice = nullptr;

TfrmPrice::TfrmPrice(QWidget* parent) : TForm(parent), ui(new Ui::TfrmPrice)
{
    ui->setupUi(this);
}

TfrmPrice::~TfrmPrice() { delete ui; }
