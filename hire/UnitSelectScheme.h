#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmSelectScheme; }

class TfrmSelectScheme : public TForm {
    Q_OBJECT
public:
    explicit TfrmSelectScheme(QWidget* parent = nullptr);
    ~TfrmSelectScheme() override;

    Ui::TfrmSelectScheme* ui;
};

extern TfrmSelectScheme* frmSelectScheme;
