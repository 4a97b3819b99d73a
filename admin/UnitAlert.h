#pragma once
#include <memory>
#include "platform/Form.h"
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace Ui { class TfrmAlert; }
class TADOConnection;

// The alert settings. Its controls are the live settings the alert build reads;
// they are loaded from Config once, at creation, and written back only by OK.
class TfrmAlert : public TForm {
    Q_OBJECT
public:
    explicit TfrmAlert(QWidget* parent = nullptr);
    ~TfrmAlert() override;

    // Writes the four settings in one transaction and closes with OK.
    void BtnOKClick();

    // What the alert build uses. A day count is given only when its box is
    // ticked and the count is a whole number; otherwise that kind is off.
    std::optional<int> CostDays() const;
    std::optional<int> BirthdayDays() const;
    // The own text as typed, when its box is ticked and it holds more than
    // blanks; otherwise empty.
    QString UserDefineAlert() const;
    bool BeepOn() const;
    void SetBeepOn();

    std::unique_ptr<Ui::TfrmAlert> ui;

private:
    void FormCreate();
    void ChkUserDefineAlertClick();
    void EdtUserDefineAlertChange();
};

extern TfrmAlert* frmAlert;

// True when the text, without the characters of code 32 or less at its ends,
// holds only the digits 0 to 9 (an empty result counts as all digits).
bool IsAllDigits(const QString& text);

// The fee-item alerts: one text per vehicle and item name whose latest expiry
// lies within days of now, before or after it.
QStringList CostAlertTexts(TADOConnection& cn, int days, const QDateTime& now);
// The birthday alerts: customers whose birthday (month and day from a 15- or
// 18-character document number, placed in the year of now) lies within days of
// now. Numbers without a real date there give no text.
QStringList BirthdayAlertTexts(TADOConnection& cn, int days, const QDateTime& now);
