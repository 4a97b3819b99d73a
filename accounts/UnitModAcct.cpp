#include "accounts/UnitModAcct.h"
#include "ui_UnitModAcct.h"

TfrmAcctMod* frmAcctMod = nullptr;

TfrmAcctMod::TfrmAcctMod(QWidget* parent) : TForm(parent), ui(new Ui::TfrmAcctMod)
{
    ui->setupUi(this);
}

TfrmAcctMod::~TfrmAcctMod() { delete ui; }
