#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmAcct; }

class TfrmAcct : public TForm {
    Q_OBJECT
public:
    explicit TfrmAcct(QWidget* parent = nullptr);
    ~TfrmAcct() override;

    Ui::TfrmAcct* ui;
};

extern TfrmAcct* frmAcct;
