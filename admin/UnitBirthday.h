#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmBirthday; }

// The system-name dialog: one edit and an OK button. Its caller reads the edit
// however the dialog was closed.
class TfrmBirthday : public TForm {
    Q_OBJECT
public:
    explicit TfrmBirthday(QWidget* parent = nullptr);
    ~TfrmBirthday() override;

    std::unique_ptr<Ui::TfrmBirthday> ui;
};

extern TfrmBirthday* frmBirthday;
