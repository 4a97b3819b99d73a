#include "admin/UnitChangePass.h"
#include "ui_UnitChangePass.h"

TfrmChangePass* frmChangePass = nullptr;

TfrmChangePass::TfrmChangePass(QWidget* parent) : TForm(parent), ui(new Ui::TfrmChangePass)
{
    ui->setupUi(this);
}

TfrmChangePass::~TfrmChangePass() { delete ui; }
