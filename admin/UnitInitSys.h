#pragma once
#include <memory>
#include "platform/DataSet.h"
#include "platform/Form.h"

namespace Ui { class TfrmInit; }

// Clears the business data: every hire, hire scheme, fee item, vehicle and
// customer, with the photo files of both folders, as one change. The
// account book, the log of vehicle changes and the settings stay.
class TfrmInit : public TForm {
    Q_OBJECT
public:
    explicit TfrmInit(QWidget* parent = nullptr);
    ~TfrmInit() override;

    void BtnOKClick();

    std::unique_ptr<Ui::TfrmInit> ui;
    TDataSet* ADOQry;

private:
    void FormCreate();
};

extern TfrmInit* frmInit;
