#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmChangePass; }

// The change of the login password: the old one, then the new one twice.
class TfrmChangePass : public TForm {
    Q_OBJECT
public:
    explicit TfrmChangePass(QWidget* parent = nullptr);
    ~TfrmChangePass() override;

    // Checks the texts, stores the new password and closes with OK.
    void BtnLoginClick();

    std::unique_ptr<Ui::TfrmChangePass> ui;
};

extern TfrmChangePass* frmChangePass;
