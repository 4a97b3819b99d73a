#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmNewPrice; }

class TfrmNewPrice : public TForm {
    Q_OBJECT
public:
    explicit TfrmNewPrice(QWidget* parent = nullptr);
    ~TfrmNewPrice() override;

    Ui::TfrmNewPrice* ui;
};

extern TfrmNewPrice* frmNewPrice;
