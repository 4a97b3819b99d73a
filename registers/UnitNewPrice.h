#pragma once
#include <memory>
#include "platform/Form.h"
#include <QString>

namespace Ui { class TfrmNewPrice; }
class QButtonGroup;
class TDataSet;

// The add/edit dialog of a hire scheme. It only checks what was typed; the
// register fills it, shows it and writes the row when it closes with OK. The
// mode is carried by the caption: "新增" in it means an add.
class TfrmNewPrice : public TForm {
    Q_OBJECT
public:
    explicit TfrmNewPrice(QWidget* parent = nullptr);
    ~TfrmNewPrice() override;

    // The chosen pricing unit (0 by the day, 1 by the month, 2 by the hour), -1 for none.
    int RadioGroup1ItemIndex() const;
    void SetRadioGroup1ItemIndex(int index);

    // Runs the checks and closes with OK when every one passes.
    void BitBtn1Click();

    std::unique_ptr<Ui::TfrmNewPrice> ui;
    // The name of the scheme being edited; set by the register on edit only.
    QString OldPriceName;
    TDataSet* ADOQry;

private:
    void FormCreate();
    bool fail(const QString& text, QWidget* focus);
    QButtonGroup* m_units;
};

extern TfrmNewPrice* frmNewPrice;
