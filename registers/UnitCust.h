#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmCust; }
class TDataSet;
class TPhotoBox;

// The customer register: every customer with details and photo; saves changes
// (a changed document number carried to the hires and the photo), deletes
// customers without hires, and adds through the add-customer dialog.
class TfrmCust : public TForm {
    Q_OBJECT
public:
    explicit TfrmCust(QWidget* parent = nullptr);
    ~TfrmCust() override;

    void BtnNewClick();
    void BtnSaveBasicClick();
    void BtnDelClick();
    void BtnCustPathClick();
    void BtnCustClearImgClick();
    void BtnExit1Click();

    // The number of the customer the list stands on; empty when the list is empty.
    QString selectedKey() const;

    std::unique_ptr<Ui::TfrmCust> ui;
    TDataSet* ADOQry;     // the list
    TDataSet* ADOQry2;    // the customer row and the hire test
    TDataSet* ADOQry3;    // the hires of a changed number
    TPhotoBox* Photo;

protected:
    void FormShow() override;

private:
    void FormCreate();
    void DataSource1DataChange();
    void openList();
};

extern TfrmCust* frmCust;
