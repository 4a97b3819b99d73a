#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmLend; }

class TfrmLend : public TForm {
    Q_OBJECT
public:
    explicit TfrmLend(QWidget* parent = nullptr);
    ~TfrmLend() override;

    Ui::TfrmLend* ui;
};

extern TfrmLend* frmLend;
