#pragma once
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

    Ui::TfrmCar* ui;
    TDataSet* ADOQry;     // the list, master of the fee items
    TDataSet* ADOQry2;    // lists, look-ups and writes
    TPhotoBox* Photo;

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
    // The photo follows a change of key, once the rows are committed.
    void movePhoto(const QString& oldKey, const QString& newKey);
};

extern TfrmCar* frmCar;
