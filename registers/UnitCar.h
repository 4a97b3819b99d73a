#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmCar; }
class TDataSet;
class TPhotoBox;

// The vehicle register: every vehicle with its details, photo and fee items;
// edits a vehicle (its key included, carried to the hires and the photo) and
// deletes vehicles that were never hired out. New vehicles come from the
// add-vehicle dialog.
class TfrmCar : public TForm {
    Q_OBJECT
public:
    explicit TfrmCar(QWidget* parent = nullptr);
    ~TfrmCar() override;

    void BtnSaveBasicClick();
    void BtnDelClick();
    void BtnExit1Click();
    void BtnAgainstLawClick();
    void BtnNewCarPathClick();
    void BtnNewCarClearImgClick();
    void BtnSaveClick();

    // The key of the vehicle the list stands on; empty when the list is empty.
    QString selectedKey() const;

    // The fee-item page: the selected vehicle's items, each booked in the
    // account book as an expense when the user asks for it.
    void BtnAddCostClick();
    void BtnModCostClick();
    void BtnDelCostClick();

    std::unique_ptr<Ui::TfrmCar> ui;
    TDataSet* ADOQry;     // the list, master of the fee items
    TDataSet* ADOQry2;    // lists, look-ups and writes
    TPhotoBox* Photo;
    TDataSet* ADOTable1;  // the selected vehicle's fee items (CarCost), detail of the list
    TDataSet* ADOQryAcct; // the fee items' linked account-book entries

protected:
    void FormShow() override;

private:
    void FormCreate();
    void ADOQryCalcFields(TDataSet& ds);
    void ADOQryAfterScroll();
    void DataSource1DataChange();

    void openList();
    void fillList(class QComboBox* cmb, const QString& sql);
    void showState(const QString& stored);
    // Reads a mileage box: true with *value set, or with *keep set when the
    // box is empty; false after a notice when the text is no whole number
    // that fits the column.
    bool readMileage(class QLineEdit* box, const QString& what, int* value, bool* keep);

    void setupFeePage();
    void openFeeTable();
    // The selected fee item's key; 0 when the page lists none.
    qint64 selectedCostID();
    // Re-reads the fee items, standing on the item with this key when it is
    // there, otherwise near the row the page stood on.
    void reloadFees(qint64 costId);
    // The link state of a fee item's account entry: the Deleted flag of the
    // first entry carrying its link (null counting as 0), or -1 without one.
    int feeLinkState(qint64 costId);
    // Writes the dialog's values into the fee row being added or edited.
    void setFeeFields(const class Currency& amount);
};

extern TfrmCar* frmCar;
