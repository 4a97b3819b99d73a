#include "admin/UnitLogin.h"
#include "ui_UnitLogin.h"

TfrmLogin* frmLogin = nullptr;

TfrmLogin::TfrmLogin(QWidget* parent) : TForm(parent), ui(new Ui::TfrmLogin)
{
    ui->setupUi(this);
}

TfrmLogin::~TfrmLogin() { delete ui; }
