#pragma once
#include "platform/Form.h"

namespace Ui { class TfrmBackup; }

class TfrmBackup : public TForm {
    Q_OBJECT
public:
    explicit TfrmBackup(QWidget* parent = nullptr);
    ~TfrmBackup() override;

    Ui::TfrmBackup* ui;
    bool Restored = false;   // set when a restore has been completed
};

extern TfrmBackup* frmBackup;
