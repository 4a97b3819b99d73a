#pragma once
#include <memory>
#include "platform/DataSet.h"
#include "platform/Form.h"

namespace Ui { class TfrmLend; }

// The hire-out desk: the free vehicles, the customer look-up, the scheme and
// the prices, and the hire itself (one row in Leaso, the vehicle hired out).
// Its second page keeps the open hires.
class TfrmLend : public TForm {
    Q_OBJECT
public:
    explicit TfrmLend(QWidget* parent = nullptr);
    ~TfrmLend() override;

    std::unique_ptr<Ui::TfrmLend> ui;
    TDataSet* ADOQry;    // the free vehicles, the first page's list
    TDataSet* ADOQry2;   // customer look-up; the customer picker shows it; the hire runs on it
    TDataSet* ADOMod;    // the open hires of the second page

    void TabSheet2Show();
    void DataSource1DataChange();
    void CmbTypeChange();
    void BtnSchemeClick();
    void BtnQryCustClick();
    void BtnNewCustClick();
    void BtnExit1Click();
    void BtnLendClick();
    void BtnLendPrintClick();

    // The second page: the open hires, their correction and the change of vehicle.
    void TabSheet1Show();
    void ADOModCalcFields(TDataSet& ds);
    void DsModDataChange();
    void BtnSaveModClick();
    void BtnModQryCustClick();
    void BtnModNewCustClick();
    void BtnChangeCarClick();
    void BtnPrintClick();

protected:
    void FormShow() override;

private:
    void FormCreate();
    // The show handler of a page, run on the first showing and on every switch.
    void PageShow(int index);
    // The checks and the one transaction of a hire; true when it was committed.
    bool LendOut();
    // The second page's controls and handlers, made once with the window.
    void SetupModPage();
    // Reads the open hires afresh; the selection goes to the first row.
    void LoadModList(const QString& sql);
    // The key of the selected open hire; 0 when the list has no row.
    qint64 SelectedModKey() const;

    bool m_pageShown = false;
};

extern TfrmLend* frmLend;
