#pragma once
#include "platform/Form.h"
#include <QString>
#include <memory>

namespace Ui { class TfrmAcctMod; }

// The edit dialog of an account entry. Its caller fills and reads the
// controls; the dialog itself only filters the amount and switches the
// category list with the kind. 保存 closes it with OK unless the amount was
// changed to one the key filter would refuse.
class TfrmAcctMod : public TForm {
    Q_OBJECT
public:
    explicit TfrmAcctMod(QWidget* parent = nullptr);
    ~TfrmAcctMod() override;

    void RbOweClick();
    void RbPayClick();
    void BtnSaveClick();

    std::unique_ptr<Ui::TfrmAcctMod> ui;

protected:
    void FormShow() override;

private:
    QString m_shownAmount;   // the amount as the caller filled it in
};

extern TfrmAcctMod* frmAcctMod;
