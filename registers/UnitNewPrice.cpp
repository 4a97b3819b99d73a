#include "registers/UnitNewPrice.h"
#include "ui_UnitNewPrice.h"

TfrmNewPrice* frmNewPrice = nullptr;

TfrmNewPrice::TfrmNewPrice(QWidget* parent) : TForm(parent), ui(new Ui::TfrmNewPrice)
{
    ui->setupUi(this);
}

TfrmNewPrice::~TfrmNewPrice() { delete ui; }
