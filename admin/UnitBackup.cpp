#include "admin/UnitBackup.h"
#include "ui_UnitBackup.h"

TfrmBackup* frmBackup = nullptr;

TfrmBackup::TfrmBackup(QWidget* parent) : TForm(parent), ui(new Ui::TfrmBackup)
{
    ui->setupUi(this);
}

TfrmBackup::~TfrmBackup() { delete ui; }
