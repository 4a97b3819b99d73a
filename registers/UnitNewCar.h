#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmNewCar; }

class TfrmNewCar : public TForm {
    Q_OBJECT
public:
    explicit TfrmNewCar(QWidget* parent = nullptr);
    ~TfrmNewCar() override;

    Ui::TfrmNewCar* ui;
};

extern TfrmNewCar* frmNewCar;
