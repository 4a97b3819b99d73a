#pragma once
#include "platform/Form.h"
#include <memory>

namespace Ui { class TfrmAcctMod; }

// The edit dialog of an account entry. Its caller fills and reads the
// controls; the dialog itself only filters the amount and switches the
// category list with the kind. 保存 closes it with OK.
class TfrmAcctMod : public TForm {
    Q_OBJECT
public:
    explicit TfrmAcctMod(QWidget* parent = nullptr);
    ~TfrmAcctMod() override;

    void RbOweClick();
    void RbPayClick();

    std::unique_ptr<Ui::TfrmAcctMod> ui;
};

extern TfrmAcctMod* frmAcctMod;
