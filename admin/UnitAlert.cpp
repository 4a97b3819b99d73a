#include "admin/UnitAlert.h"
#include "ui_UnitAlert.h"

TfrmAlert* frmAlert = nullptr;

TfrmAlert::TfrmAlert(QWidget* parent) : TForm(parent), ui(new Ui::TfrmAlert)
{
    ui->setupUi(this);
}

TfrmAlert::~TfrmAlert() { delete ui; }
