#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmReport; }

class TfrmReport : public TForm {
    Q_OBJECT
public:
    explicit TfrmReport(QWidget* parent = nullptr);
    ~TfrmReport() override;

    Ui::TfrmReport* ui;
};

extern TfrmReport* frmReport;
