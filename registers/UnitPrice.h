#pragma once
#include <memory>
#include "platform/Form.h"

namespace Ui { class TfrmPrice; }
class TDataSet;

// The hire-scheme register: the list of schemes with add, edit and delete.
// It fills the scheme dialog, shows it and writes the row itself.
class TfrmPrice : public TForm {
    Q_OBJECT
public:
    explicit TfrmPrice(QWidget* parent = nullptr);
    ~TfrmPrice() override;

    void BtnNewPriceClick();
    void BtnEdtPriceClick();
    void BtnDelPriceClick();

    std::unique_ptr<Ui::TfrmPrice> ui;
    TDataSet* ADOQry;

protected:
    void FormShow() override;

private:
    void FormCreate();
    void ADOQryCalcFields(TDataSet& ds);
    void openList();
    QString selectedName();
};

extern TfrmPrice* frmPrice;
