#pragma once
#include <memory>
#include "platform/DataSet.h"
#include "platform/Form.h"

namespace Ui { class TfrmCharge; }

// The settlement window: hires returned but not yet paid. Settling stores the
// amount received and the settlement moment, and may book the income.
class TfrmCharge : public TForm {
    Q_OBJECT
public:
    explicit TfrmCharge(QWidget* parent = nullptr);
    ~TfrmCharge() override;

    void CalcSettleFee();
    void Button1Click();

    std::unique_ptr<Ui::TfrmCharge> ui;
    TDataSet* ADOQry;
    TDataSet* ADOQry2;

protected:
    void FormShow() override;

private:
    void FormCreate();
    void ADOQryCalcFields(TDataSet& ds);
    void DataSource1DataChange();
    void DtDateChange();
    void EdtOdographChange();
    void BtnExit1Click();

    QDateTime returnMoment() const;
    void openList();
};

extern TfrmCharge* frmCharge;
