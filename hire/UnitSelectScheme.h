#pragma once
#include <memory>
#include "platform/DataSet.h"
#include "platform/Form.h"

namespace Ui { class TfrmSelectScheme; }

// The scheme picker: the hire schemes with a name filter. On OK the caller
// reads the chosen scheme from the public fields.
class TfrmSelectScheme : public TForm {
    Q_OBJECT
public:
    explicit TfrmSelectScheme(QWidget* parent = nullptr);
    ~TfrmSelectScheme() override;

    std::unique_ptr<Ui::TfrmSelectScheme> ui;
    TDataSet* ADOTable1;   // PriceList by name (DataSource1)

    QString SchemeName;
    QString SchemeLimit;
    QString SchemeAdditionalPrice;
    QString SchemeBasicPrice;
    int SchemeLeasoType = -1;   // -1 when nothing was chosen

    void EdtNameChange();
    void ADOTable1AfterOpen();
    void ADOTable1CalcFields(TDataSet& ds);
    void BtnOKClick();

protected:
    void FormShow() override;

private:
    void FormCreate();
    void UpdateOK();
};

extern TfrmSelectScheme* frmSelectScheme;
