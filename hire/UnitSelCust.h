#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmSelCust; }

// The customer picker: shows the hire desk's look-up result; a double-click
// closes it. The desk takes the row the look-up stands on, however it closed.
class TfrmSelCust : public TForm {
    Q_OBJECT
public:
    explicit TfrmSelCust(QWidget* parent = nullptr);
    ~TfrmSelCust() override;

    std::unique_ptr<Ui::TfrmSelCust> ui;

    void DBGrid1DblClick();
};

extern TfrmSelCust* frmSelCust;
