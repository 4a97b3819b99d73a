#include "admin/UnitBirthday.h"
#include "ui_UnitBirthday.h"

TfrmBirthday* frmBirthday = nullptr;

TfrmBirthday::TfrmBirthday(QWidget* parent) : TForm(parent), ui(new Ui::TfrmBirthday)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint().expandedTo(QSize(330, 110)));
    connect(ui->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TfrmBirthday::~TfrmBirthday() = default;
