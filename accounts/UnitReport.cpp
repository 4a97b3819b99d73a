#include "accounts/UnitReport.h"
#include "ui_UnitReport.h"

TfrmReport* frmReport = nullptr;

TfrmReport::TfrmReport(QWidget* parent) : TForm(parent), ui(new Ui::TfrmReport)
{
    ui->setupUi(this);
}

TfrmReport::~TfrmReport() { delete ui; }
