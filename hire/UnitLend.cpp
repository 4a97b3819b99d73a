#include "hire/UnitLend.h"
#include "ui_UnitLend.h"

TfrmLend* frmLend = nullptr;

TfrmLend::TfrmLend(QWidget* parent) : TForm(parent), ui(new Ui::TfrmLend)
{
    ui->setupUi(this);
}

TfrmLend::~TfrmLend() { delete ui; }
