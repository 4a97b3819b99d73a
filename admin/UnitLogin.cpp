#include "admin/UnitLogin.h"
#include "ui_UnitLogin.h"
#include "common/AppContext.h"
#include "platform/App.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include <QCloseEvent>
#include <QCoreApplication>
#include <QScreen>

TfrmLogin* frmLogin = nullptr;
bool LoginPassed = false;

TfrmLogin::TfrmLogin(QWidget* parent) : TForm(parent), ui(new Ui::TfrmLogin)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // Masked entries show "*".
    setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    setDefaultButton(ui->BtnLogin);
    On(ui->BtnLogin, &QPushButton::clicked, this, [this] { BtnLoginClick(); });
    On(ui->BtnEnd, &QPushButton::clicked, this, [this] { BtnEndClick(); });
    setFixedSize(sizeHint().expandedTo(QSize(215, 102)));
    FormCreate();
}

TfrmLogin::~TfrmLogin() = default;

void TfrmLogin::FormCreate()
{
    setWindowTitle(AppTitle());
    LoginPassed = false;
}

void TfrmLogin::FormShow()
{
    // Centred on the desktop, not on the main window.
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    ui->EdtPasswd->setFocus();
}

void TfrmLogin::BtnLoginClick()
{
    // Exact: letter case counts and nothing is trimmed.
    if (ui->EdtPasswd->text() != AdminPassword) {
        Dlg::Notice(this, QStringLiteral("密码输入错误！"));
        ui->EdtPasswd->setFocus();
        return;
    }
    LoginPassed = true;
    accept();
}

void TfrmLogin::BtnEndClick()
{
    m_ending = true;
    QCoreApplication::exit(0);
    TForm::done(QDialog::Rejected);
}

void TfrmLogin::reject()
{
    // Esc and every close request end here: refused until the password is right.
    if (LoginPassed || m_ending) TForm::reject();
}

void TfrmLogin::closeEvent(QCloseEvent* e)
{
    if (!LoginPassed && !m_ending) {
        e->ignore();
        return;
    }
    TForm::closeEvent(e);
}

void TfrmLogin::done(int r)
{
    if (!LoginPassed && !m_ending) return;
    TForm::done(r);
}
