#pragma once
#include <memory>
#include "platform/DataSet.h"
#include "platform/Currency.h"
#include "platform/Form.h"

namespace Ui { class TfrmReturn; }

// The return window: the open hires, oldest planned return first, overdue ones
// in red; the fee for the return moment and reading; return, or return and
// settle in one go.
class TfrmReturn : public TForm {
    Q_OBJECT
public:
    explicit TfrmReturn(QWidget* parent = nullptr);
    ~TfrmReturn() override;

    void CalcReturnFee();
    void BtnReturnClick();
    void BtnReturnChargeClick();

    std::unique_ptr<Ui::TfrmReturn> ui;
    TDataSet* ADOQry;
    TDataSet* ADOQry2;

protected:
    void FormShow() override;

private:
    void FormCreate();
    void ADOQryCalcFields(TDataSet& ds);
    void DataSource1DataChange();
    void ADOQryAfterScroll();
    void DtDateChange();
    void EdtOdographChange();
    void BtnExit1Click();
    QColor DBGrid1DrawColumnCell(TDataSet& ds, int row);

    QDateTime returnMoment() const;
    // Reloads the open hires without ordering; the boxes follow the first row.
    void reloadAfterReturn();
    struct ReturnInput {
        qint64 key = 0;
        QString car;
        QDateTime end;
        qint64 odo1 = 0;
        bool hasReading = false;
        int reading = 0;
    };
    bool selectedReturn(ReturnInput& in);
    bool readingAndConfirm(ReturnInput& in);
    void writeReturn(const ReturnInput& in, const Currency* charge);
};

extern TfrmReturn* frmReturn;
