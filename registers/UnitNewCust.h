#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmNewCust; }

class TfrmNewCust : public TForm {
    Q_OBJECT
public:
    explicit TfrmNewCust(QWidget* parent = nullptr);
    ~TfrmNewCust() override;

    Ui::TfrmNewCust* ui;
};

extern TfrmNewCust* frmNewCust;
