#include "hire/UnitPrint.h"
#include "ui_UnitPrint.h"

TfrmPrint* frmPrint = nullptr;

TfrmPrint::TfrmPrint(QWidget* parent) : TForm(parent), ui(new Ui::TfrmPrint)
{
    ui->setupUi(this);
}

TfrmPrint::~TfrmPrint() { delete ui; }
