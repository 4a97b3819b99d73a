#include "registers/UnitNewCust.h"
#include "ui_UnitNewCust.h"

TfrmNewCust* frmNewCust = nullptr;

TfrmNewCust::TfrmNewCust(QWidget* parent) : TForm(parent), ui(new Ui::TfrmNewCust)
{
    ui->setupUi(this);
}

TfrmNewCust::~TfrmNewCust() { delete ui; }
