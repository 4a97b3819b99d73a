#include "hire/UnitSelCust.h"
#include "ui_UnitSelCust.h"

TfrmSelCust* frmSelCust = nullptr;

TfrmSelCust::TfrmSelCust(QWidget* parent) : TForm(parent), ui(new Ui::TfrmSelCust)
{
    ui->setupUi(this);
}

TfrmSelCust::~TfrmSelCust() { delete ui; }
