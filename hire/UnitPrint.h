#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmPrint; }

class TfrmPrint : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrint(QWidget* parent = nullptr);
    ~TfrmPrint() override;

    Ui::TfrmPrint* ui;
};

extern TfrmPrint* frmPrint;
