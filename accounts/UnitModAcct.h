#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmAcctMod; }

class TfrmAcctMod : public TForm {
    Q_OBJECT
public:
    explicit TfrmAcctMod(QWidget* parent = nullptr);
    ~TfrmAcctMod() override;

    Ui::TfrmAcctMod* ui;
};

extern TfrmAcctMod* frmAcctMod;
