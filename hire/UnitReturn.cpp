#include "hire/UnitReturn.h"
#include "ui_UnitReturn.h"

TfrmReturn* frmReturn = nullptr;

TfrmReturn::TfrmReturn(QWidget* parent) : TForm(parent), ui(new Ui::TfrmReturn)
{
    ui->setupUi(this);
}

TfrmReturn::~TfrmReturn() { delete ui; }
