#include "admin/UnitInitSys.h"
#include "ui_UnitInitSys.h"

TfrmInit* frmInit = nullptr;

TfrmInit::TfrmInit(QWidget* parent) : TForm(parent), ui(new Ui::TfrmInit)
{
    ui->setupUi(this);
}

TfrmInit::~TfrmInit() { delete ui; }
