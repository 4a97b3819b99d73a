#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmBirthday; }

// The system-name dialog: one edit and an OK button. Its caller reads the edit
// however the dialog was closed.
class TfrmBirthday : public TForm {
    Q_OBJECT
public:
    explicit TfrmBirthday(QWidget* parent = nullptr);
    ~TfrmBirthday() override;

    Ui::TfrmBirthday* ui;
};

extern TfrmBirthday* frmBirthday;
