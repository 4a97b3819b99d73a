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
    InstallKeyFilter(ui->EdtAmount, KeyFilter::AcctAmount);
    ui->CmbOweCategory->lineEdit()->setMaxLength(AcctCategoryLength);
    ui->CmbPayCategory->lineEdit()->setMaxLength(AcctCategoryLength);
    ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, false);

    On(ui->RbOwe, &QRadioButton::toggled, this, [this](bool on) { if (on) RbOweClick(); });
    On(ui->RbPay, &QRadioButton::toggled, this, [this](bool on) { if (on) RbPayClick(); });
    On(ui->BtnSave, &QPushButton::clicked, this, [this] { BtnSaveClick(); });
}

TfrmAcctMod::~TfrmAcctMod() = default;

void TfrmAcctMod::FormShow() { m_shownAmount = ui->EdtAmount->text(); }

void TfrmAcctMod::BtnSaveClick()
{
    // A pasted amount the key filter would refuse (a negative one) keeps the
    // dialog open. The stored amount as filled in passes: a settlement may
    // carry more decimals than can be typed here.
    if (ui->EdtAmount->text() != m_shownAmount && !CheckFilteredInput(this, {ui->EdtAmount})) return;
    accept();
}

void TfrmAcctMod::RbOweClick() { ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, true); }
void TfrmAcctMod::RbPayClick() { ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, false); }
