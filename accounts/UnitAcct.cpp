#include "accounts/UnitAcct.h"
#include "ui_UnitAcct.h"

TfrmAcct* frmAcct = nullptr;

TfrmAcct::TfrmAcct(QWidget* parent) : TForm(parent), ui(new Ui::TfrmAcct)
{
    ui->setupUi(this);
}

TfrmAcct::~TfrmAcct() { delete ui; }
