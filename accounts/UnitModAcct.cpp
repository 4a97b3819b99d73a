#include "accounts/UnitModAcct.h"
#include "ui_UnitModAcct.h"
#include "accounts/UnitAcct.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Pickers.h"
#include <QLineEdit>

TfrmAcctMod* frmAcctMod = nullptr;

TfrmAcctMod::TfrmAcctMod(QWidget* parent) : TForm(parent), ui(std::make_unique<Ui::TfrmAcctMod>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(size().expandedTo(minimumSizeHint()));
    SetupDatePicker(ui->DateTimePicker3);
    // EdtAmountKeyPress
    InstallKeyFilter(ui->EdtAmount, KeyFilter::AcctAmount);
    ui->CmbOweCategory->lineEdit()->setMaxLength(AcctCategoryLength);
    ui->CmbPayCategory->lineEdit()->setMaxLength(AcctCategoryLength);
    ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, false);

    On(ui->RbOwe, &QRadioButton::toggled, this, [this](bool on) { if (on) RbOweClick(); });
    On(ui->RbPay, &QRadioButton::toggled, this, [this](bool on) { if (on) RbPayClick(); });
    On(ui->BtnSave, &QPushButton::clicked, this, [this] { accept(); });
}

TfrmAcctMod::~TfrmAcctMod() = default;

void TfrmAcctMod::RbOweClick() { ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, true); }
void TfrmAcctMod::RbPayClick() { ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, false); }
