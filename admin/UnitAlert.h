#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmAlert; }

class TfrmAlert : public TForm {
    Q_OBJECT
public:
    explicit TfrmAlert(QWidget* parent = nullptr);
    ~TfrmAlert() override;

    Ui::TfrmAlert* ui;
};

extern TfrmAlert* frmAlert;
