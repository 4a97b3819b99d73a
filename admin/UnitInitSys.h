#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmInit; }

class TfrmInit : public TForm {
    Q_OBJECT
public:
    explicit TfrmInit(QWidget* parent = nullptr);
    ~TfrmInit() override;

    Ui::TfrmInit* ui;
};

extern TfrmInit* frmInit;
