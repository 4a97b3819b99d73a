#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmPrice; }

class TfrmPrice : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrice(QWidget* parent = nullptr);
    ~TfrmPrice() override;

    Ui::TfrmPrice* ui;
};

extern TfrmPrice* frmPrice;
