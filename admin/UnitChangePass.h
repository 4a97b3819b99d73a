#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmChangePass; }

class TfrmChangePass : public TForm {
    Q_OBJECT
public:
    explicit TfrmChangePass(QWidget* parent = nullptr);
    ~TfrmChangePass() override;

    Ui::TfrmChangePass* ui;
};

extern TfrmChangePass* frmChangePass;
