#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmCust; }

class TfrmCust : public TForm {
    Q_OBJECT
public:
    explicit TfrmCust(QWidget* parent = nullptr);
    ~TfrmCust() override;

    Ui::TfrmCust* ui;
};

extern TfrmCust* frmCust;
