#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmNewCust; }
class QLineEdit;
class QWidget;
class TDataSet;
class TPhotoBox;

// What a customer's number and name must be before they are stored, in the
// add and the edit alike: both filled in; with checkKey, a number that stays
// inside the photo folder and, when a photo is to be kept under it
// (photoKept), can name the file. The first problem gets a notice and the
// focus; false then.
bool CheckCustEntry(QWidget* owner, QLineEdit* id, QLineEdit* name, bool checkKey, bool photoKept);

// The add-customer dialog: records one new customer, with an optional photo.
// A caller that gets OK back reads ui->EdtCustID, ui->EdtCustName and
// ui->EdtTel; OK also follows the notice that the number is taken (nothing
// written then). Any other result means nothing was written.
class TfrmNewCust : public TForm {
    Q_OBJECT
public:
    explicit TfrmNewCust(QWidget* parent = nullptr);
    ~TfrmNewCust() override;

    void BitBtn1Click();
    void BtnNewCarPathClick();
    void BtnNewCarClearImgClick();

    std::unique_ptr<Ui::TfrmNewCust> ui;
    TDataSet* ADOQry;
    TPhotoBox* Photo;

protected:
    void FormShow() override;

private:
    void FormCreate();
};

extern TfrmNewCust* frmNewCust;
