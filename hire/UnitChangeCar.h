#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmChangeCar; }

class TfrmChangeCar : public TForm {
    Q_OBJECT
public:
    explicit TfrmChangeCar(QWidget* parent = nullptr);
    ~TfrmChangeCar() override;

    Ui::TfrmChangeCar* ui;
};

extern TfrmChangeCar* frmChangeCar;
