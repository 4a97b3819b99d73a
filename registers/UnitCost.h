#pragma once
#include <memory>
#include "platform/Form.h"
#include <QString>

namespace Ui { class TfrmCost; }

// The dialog for one fee item of a vehicle. The caller fills it, shows it and
// reads its controls when it closes with OK; the dates and the account-book
// box keep their last values between uses.
class TfrmCost : public TForm {
    Q_OBJECT
public:
    explicit TfrmCost(QWidget* parent = nullptr);
    ~TfrmCost() override;

    std::unique_ptr<Ui::TfrmCost> ui;

    // A date kept for an item's stored value the picker could not show goes
    // back to the dialog's default; the others keep their last values.
    void ForgetKeptDates();

private:
    void FormCreate();
    void EdtNameChange();
    void EdtCostChange() { EdtNameChange(); }
    void EdtNameKeyPress();
};

extern TfrmCost* frmCost;

// The longest head of text that fits maxBytes in the Chinese code page: a
// character outside ASCII counts 2 bytes (4 beyond the basic plane), and no
// character is ever cut in two.
QString CutToCodePageBytes(const QString& text, int maxBytes);

// The width of a fee item's name and remark in that code page.
constexpr int FeeTextBytes = 20;
