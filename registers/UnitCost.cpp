#include "registers/UnitCost.h"
#include "ui_UnitCost.h"

TfrmCost* frmCost = nullptr;

TfrmCost::TfrmCost(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCost)
{
    ui->setupUi(this);
}

TfrmCost::~TfrmCost() { delete ui; }
