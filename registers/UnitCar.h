#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmCar; }

class TfrmCar : public TForm {
    Q_OBJECT
public:
    explicit TfrmCar(QWidget* parent = nullptr);
    ~TfrmCar() override;

    Ui::TfrmCar* ui;
};

extern TfrmCar* frmCar;
