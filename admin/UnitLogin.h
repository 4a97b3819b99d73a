#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmLogin; }

// The login at start-up: it lets the program go on only with the right
// password; "取消" ends the program. Every other way of closing it is refused.
class TfrmLogin : public TForm {
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget* parent = nullptr);
    ~TfrmLogin() override;

    void BtnLoginClick();
    // Asks the application to end and takes the dialog down.
    void BtnEndClick();

    std::unique_ptr<Ui::TfrmLogin> ui;

public slots:
    void reject() override;

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* e) override;
    void done(int r) override;

private:
    void FormCreate();
    bool m_ending = false;
};

extern TfrmLogin* frmLogin;
// True once the right password has been typed.
extern bool LoginPassed;
