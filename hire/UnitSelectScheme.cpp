#include "hire/UnitSelectScheme.h"
#include "ui_UnitSelectScheme.h"

TfrmSelectScheme* frmSelectScheme = nullptr;

TfrmSelectScheme::TfrmSelectScheme(QWidget* parent) : TForm(parent), ui(new Ui::TfrmSelectScheme)
{
    ui->setupUi(this);
}

TfrmSelectScheme::~TfrmSelectScheme() { delete ui; }
