#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmCharge; }

class TfrmCharge : public TForm {
    Q_OBJECT
public:
    explicit TfrmCharge(QWidget* parent = nullptr);
    ~TfrmCharge() override;

    Ui::TfrmCharge* ui;
};

extern TfrmCharge* frmCharge;
