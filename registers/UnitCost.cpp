#include "registers/UnitCost.h"
#include "ui_UnitCost.h"
#include "platform/App.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"

TfrmCost* frmCost = nullptr;

QString CutToCodePageBytes(const QString& text, int maxBytes)
{
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int width = pair ? 4 : text.at(i).unicode() < 0x80 ? 1 : 2;
        if (bytes + width > maxBytes) break;
        bytes += width;
        i += pair ? 2 : 1;
    }
    return text.left(i);
}

TfrmCost::TfrmCost(QWidget* parent) : TForm(parent), ui(new Ui::TfrmCost)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setCancelButton(ui->BtnCancel);

    // EdtCostKeyPress: digits and one decimal point; Enter passes and presses nothing.
    InstallKeyFilter(ui->EdtCost, KeyFilter::Money);
    On(ui->EdtName, &QLineEdit::textChanged, this, [this] { EdtNameChange(); });
    On(ui->EdtCost, &QLineEdit::textChanged, this, [this] { EdtCostChange(); });
    On(ui->EdtName, &QLineEdit::returnPressed, this, [this] { EdtNameKeyPress(); });
    On(ui->BtnOK, &QPushButton::clicked, this, [this] { accept(); });
    On(ui->BtnCancel, &QPushButton::clicked, this, [this] { reject(); });

    setFixedSize(sizeHint().expandedTo(QSize(460, 0)));
    FormCreate();
}

TfrmCost::~TfrmCost() = default;

void TfrmCost::FormCreate()
{
    SetupDatePicker(ui->Dt1);
    SetupDatePicker(ui->Dt2);
    SetupDatePicker(ui->DtCreateTime);
    const QDate today = NowMoment().date();
    ui->Dt1->setDate(today);
    ui->Dt2->setDate(today.addDays(365));
    ui->DtCreateTime->setDate(today);
    SetReadOnlySilver(ui->EdtCar);
    EdtNameChange();
}

void TfrmCost::ForgetKeptDates()
{
    const QDate today = NowMoment().date();
    ForgetStoredValue(ui->Dt1, today);
    ForgetStoredValue(ui->Dt2, today.addDays(365));
    ForgetStoredValue(ui->DtCreateTime, today);
}

void TfrmCost::EdtNameChange()
{
    // Texts as they stand: a blank counts as filled.
    ui->BtnOK->setEnabled(!ui->EdtName->text().isEmpty() && !ui->EdtCost->text().isEmpty());
}

void TfrmCost::EdtNameKeyPress() { ui->EdtCost->setFocus(); }
