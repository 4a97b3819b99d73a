#pragma once
#include "platform/Form.h"
#include <QString>
#include <memory>

namespace Ui { class TfrmReport; }
class TDataSet;
class TDBGrid;
class QComboBox;
class QDateEdit;
class TStatement;
class QPushButton;

// The statistics window: hire totals per vehicle and per customer over a date
// range, the hires of one vehicle and of the customers matched by name or
// document number; each list exports to a workbook, and a finished hire can be
// deleted from the two hire lists. Lists run only on the user's command.
class TfrmReport : public TForm {
    Q_OBJECT
public:
    explicit TfrmReport(QWidget* parent = nullptr);
    ~TfrmReport() override;

    void BtnQryClick();
    void BtnQry2Click();
    void BtnQry3Click();
    void BtnQry4Click();
    void RbNameClick();
    void RbCardIDClick();
    void Button1Click();
    void BtnDelLeasoClick();
    void BtnExpXls1Click();
    void BtnExpXls2Click();
    void BtnExpXls3Click();
    void BtnExpXls4Click();

    std::unique_ptr<Ui::TfrmReport> ui;
    TDataSet* ADOQry;    // per-vehicle totals
    TDataSet* ADOQry2;   // hires of one vehicle
    TDataSet* ADOQry3;   // per-customer totals
    TDataSet* ADOQry4;   // hires of matching customers

private:
    void FormCreate();
    void fillCarList();
    void fillCustList(const QString& sql);
    void fillPickList(QComboBox* list, TStatement& rows);
    // Runs a totals statement over the pickers' days, swapping a reversed range first.
    void runTotals(TDataSet* ds, QDateEdit* from, QDateEdit* to, const QString& sql, QPushButton* exportButton);
    void openCarHires();
    void openCustHires();
    // Deletes the selected returned hire of a hire list; reload re-reads that list.
    void deleteFinishedHire(TDataSet* ds, void (TfrmReport::*reload)());
    void exportList(const QString& defaultName, const QString& title, TDataSet* ds, TDBGrid* grid);
    QString range(QDateEdit* from, QDateEdit* to) const;
    void dataReplaced();
};

extern TfrmReport* frmReport;
