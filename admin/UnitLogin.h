#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmLogin; }

class TfrmLogin : public TForm {
    Q_OBJECT
public:
    explicit TfrmLogin(QWidget* parent = nullptr);
    ~TfrmLogin() override;

    Ui::TfrmLogin* ui;
};

extern TfrmLogin* frmLogin;
