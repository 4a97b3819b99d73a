#include "admin/UnitChangePass.h"
#include "ui_UnitChangePass.h"
#include "common/AppContext.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include "platform/Transaction.h"

TfrmChangePass* frmChangePass = nullptr;

TfrmChangePass::TfrmChangePass(QWidget* parent) : TForm(parent), ui(new Ui::TfrmChangePass)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    // Masked entries show "*".
    setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    SetReadOnlySilver(ui->EdtUser);
    On(ui->BtnLogin, &QPushButton::clicked, this, [this] { BtnLoginClick(); });
    On(ui->BtnEnd, &QPushButton::clicked, this, [this] { reject(); });
    resize(QSize(234, 205).expandedTo(minimumSizeHint()));
}

TfrmChangePass::~TfrmChangePass() = default;

void TfrmChangePass::BtnLoginClick()
{
    if (ui->EdtPasswd->text() != AdminPassword) {
        Dlg::Notice(this, QStringLiteral("请输入正确的旧密码！"));
        ui->EdtPasswd->setFocus();
        return;
    }
    if (ui->EdtNewPass1->text() != ui->EdtNewPass2->text()) {
        Dlg::Notice(this, QStringLiteral("两次输入新密码不一致！"));
        ui->EdtNewPass1->setFocus();
        return;
    }
    const QString newPass = ui->EdtNewPass1->text();
    TADOConnection& cn = AppConnection();
    {
        // Edited in place, every row of the key, or appended when there is none;
        // never deleted, so the key always holds what start-up will read.
        TTransaction tr(cn);
        const Params p{{QStringLiteral("value"), newPass}};
        if (cn.execute(QStringLiteral("Update config set [Value]=:value where Item='ADMINPASS'"), p) == 0)
            cn.execute(QStringLiteral("Insert into config([Item],[Value]) Values('ADMINPASS',:value)"), p);
        tr.commit();
    }
    AdminPassword = newPass;
    accept();
}
