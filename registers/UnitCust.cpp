#include "registers/UnitCust.h"
#include "ui_UnitCust.h"

TfrmCust* frmCust = nullptr;

TfrmCust::TfrmCust(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCust)
{
    ui->setupUi(this);
}

TfrmCust::~TfrmCust() { delete ui; }
