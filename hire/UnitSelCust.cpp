#include "hire/UnitSelCust.h"
#include "ui_UnitSelCust.h"
#include "hire/UnitLend.h"
#include "platform/Handler.h"

TfrmSelCust* frmSelCust = nullptr;

TfrmSelCust::TfrmSelCust(QWidget* parent) : TForm(parent), ui(new Ui::TfrmSelCust)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint().expandedTo(QSize(386, 307)));
    // DataSource1: the desk's look-up query (the desk is made before this window).
    ui->DBGrid1->setDataSet(frmLend->ADOQry2);
    ui->DBGrid1->addColumn(QStringLiteral("CustName"), QStringLiteral("姓名"), 100);
    ui->DBGrid1->addColumn(QStringLiteral("CustID"), QStringLiteral("证件号"), 160);
    ui->DBGrid1->addColumn(QStringLiteral("BankCard"), QStringLiteral("银行卡号"), 100);
    On(ui->DBGrid1, &TDBGrid::cellDoubleClicked, this, [this] { DBGrid1DblClick(); });
}

TfrmSelCust::~TfrmSelCust() = default;

void TfrmSelCust::DBGrid1DblClick() { accept(); }
