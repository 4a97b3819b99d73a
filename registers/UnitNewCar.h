#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmNewCar; }
class TDataSet;
class TPhotoBox;

// The add-vehicle dialog: enters new vehicles one per save, with an optional
// photo, and stays open for the next one.
class TfrmNewCar : public TForm {
    Q_OBJECT
public:
    explicit TfrmNewCar(QWidget* parent = nullptr);
    ~TfrmNewCar() override;

    // Runs the checks and the save; true when the vehicle was stored.
    bool SaveOK();

    void BtnSaveNewCarClick();
    void BtnSaveExitClick();
    void BtnExitClick();
    void BtnNewCarPathClick();
    void BtnNewCarClearImgClick();
    // Enter in the fields moves the focus on; nothing else.
    void EdtNewCarIDKeyDown();
    void CmbCarStyleKeyDown();
    void CmbMarkKeyDown();
    void CmbColorKeyDown();
    void EdtCarMotorIDKeyDown();
    void EdtNewCarOdographKeyDown();
    void EdtDefendKeyDown();
    void EdtPledgeKeyDown();

    std::unique_ptr<Ui::TfrmNewCar> ui;
    TDataSet* ADOQry;
    TPhotoBox* Photo;

protected:
    void FormShow() override;

private:
    void FormCreate();
    void fillList(class QComboBox* cmb, const QString& sql);
    void emptyPerVehicleFields();
};

extern TfrmNewCar* frmNewCar;
