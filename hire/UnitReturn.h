#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmReturn; }

class TfrmReturn : public TForm {
    Q_OBJECT
public:
    explicit TfrmReturn(QWidget* parent = nullptr);
    ~TfrmReturn() override;

    Ui::TfrmReturn* ui;
};

extern TfrmReturn* frmReturn;
