#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmSelCust; }

class TfrmSelCust : public TForm {
    Q_OBJECT
public:
    explicit TfrmSelCust(QWidget* parent = nullptr);
    ~TfrmSelCust() override;

    Ui::TfrmSelCust* ui;
};

extern TfrmSelCust* frmSelCust;
