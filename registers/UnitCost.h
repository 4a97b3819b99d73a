#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmCost; }

class TfrmCost : public TForm {
    Q_OBJECT
public:
    explicit TfrmCost(QWidget* parent = nullptr);
    ~TfrmCost() override;

    Ui::TfrmCost* ui;
};

extern TfrmCost* frmCost;
