#include "admin/UnitAlert.h"
#include "ui_UnitAlert.h"
#include "common/AppContext.h"
#include "common/StartupReads.h"
#include "common/UnitPublic.h"
#include "platform/Connection.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Moment.h"
#include "platform/Transaction.h"
#include "platform/Look.h"
#include <cmath>

TfrmAlert* frmAlert = nullptr;

namespace {

const QString KeyCost = QStringLiteral("ALERT_CARCOST");
const QString KeyBirthday = QStringLiteral("ALERT_BIRTHDAY");
const QString KeyUserDefine = QStringLiteral("ALERT_USERDEFINE");
const QString KeyBeep = QStringLiteral("ALERT_BEEP");

// A day count the build can use: digits only (blanks around them allowed) that
// fit a whole number. Anything else switches its kind off rather than failing.
std::optional<int> dayCount(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || !IsAllDigits(t)) return std::nullopt;
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

bool IsAscii(QByteArrayView b)
{
    for (const char c : b)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The characters of a text, whether a QString or ASCII bytes (one byte, one character).
int charAt(const QString& s, qsizetype i) { return s.at(i).unicode(); }
int charAt(QByteArrayView s, qsizetype i) { return static_cast<unsigned char>(s.at(i)); }

// As IsAllDigits over the piece [from, from + n) of s.
template <class Text> bool piecesAllDigits(const Text& s, qsizetype from, qsizetype n)
{
    qsizetype a = from, b = from + n;
    while (a < b && charAt(s, a) <= 32) ++a;
    while (b > a && charAt(s, b - 1) <= 32) --b;
    for (qsizetype i = a; i < b; ++i)
        if (charAt(s, i) < '0' || charAt(s, i) > '9') return false;
    return true;
}

// Two characters at i that are both digits, as a number; -1 otherwise.
template <class Text> int twoDigitsAt(const Text& s, qsizetype i)
{
    const int a = charAt(s, i), b = charAt(s, i + 1);
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// The month and day of birth a 15- or 18-character document number holds
// (-1 where they are not two digits); false for any other number.
template <class Text> bool birthdayOfNumber(const Text& id, int& month, int& day)
{
    if (id.size() == 15 && piecesAllDigits(id, 6, 6)) {
        month = twoDigitsAt(id, 8);
        day = twoDigitsAt(id, 10);
        return true;
    }
    if (id.size() == 18 && piecesAllDigits(id, 6, 8)) {
        month = twoDigitsAt(id, 10);
        day = twoDigitsAt(id, 12);
        return true;
    }
    return false;
}

// A setting that is on holds its value; one that is off has no row.
void storeSetting(TADOConnection& cn, const QString& item, const std::optional<QString>& value)
{
    if (value) WriteConfig(cn, item, *value);
    else cn.execute(QStringLiteral("Delete from [Config] where ITEM=:item"), {{QStringLiteral("item"), item}});
}

QString withoutQuotes(QString s) { return s.remove(QLatin1Char('\'')); }

} // namespace

TfrmAlert::TfrmAlert(QWidget* parent) : TForm(parent), ui(new Ui::TfrmAlert)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    // Day counts: digits only; Enter does nothing in them.
    InstallKeyFilter(ui->EdtCostDays, KeyFilter::WholeNumber, false);
    InstallKeyFilter(ui->Edtbirthday, KeyFilter::WholeNumber, false);

    On(ui->ChkUserDefineAlert, &QCheckBox::toggled, this, [this] { ChkUserDefineAlertClick(); });
    On(ui->EdtUserDefineAlert, &QLineEdit::textChanged, this, [this] { EdtUserDefineAlertChange(); });
    On(ui->BtnOK, &QPushButton::clicked, this, [this] { BtnOKClick(); });
    On(ui->Button2, &QPushButton::clicked, this, [this] { reject(); });
    setCancelButton(ui->Button2);

    setFixedSize(sizeHint());
    // Made at start-up, which reports a file it cannot read and ends.
    FormCreate();
}

TfrmAlert::~TfrmAlert() = default;

void TfrmAlert::FormCreate()
{
    TADOConnection& cn = AppConnection();
    if (const auto text = ReadConfig(cn, KeyUserDefine)) {
        ui->ChkUserDefineAlert->setChecked(true);
        SetEditText(ui->EdtUserDefineAlert, *text);
    } else {
        ui->ChkUserDefineAlert->setChecked(false);
        ui->EdtUserDefineAlert->clear();
    }
    if (const auto days = ReadConfig(cn, KeyCost)) {
        const bool off = *days == QLatin1String("0");
        ui->ChkCostAlert->setChecked(!off);
        SetEditText(ui->EdtCostDays, off ? QString() : *days);
    }
    if (const auto days = ReadConfig(cn, KeyBirthday)) {
        ui->ChkBirthday->setChecked(true);
        SetEditText(ui->Edtbirthday, *days);
    } else {
        ui->ChkBirthday->setChecked(false);
        SetEditText(ui->Edtbirthday, QStringLiteral("3"));
    }
    // Loaded here as well, so that OK keeps a stored sound setting the user
    // never touched.
    ui->ChkBeep->setChecked(ReadConfig(cn, KeyBeep).has_value());
}

void TfrmAlert::ChkUserDefineAlertClick()
{
    if (!ui->ChkUserDefineAlert->isChecked()) ui->EdtUserDefineAlert->clear();
}

void TfrmAlert::EdtUserDefineAlertChange()
{
    if (!ui->EdtUserDefineAlert->text().trimmed().isEmpty() && !ui->ChkUserDefineAlert->isChecked())
        ui->ChkUserDefineAlert->setChecked(true);
}

void TfrmAlert::BtnOKClick()
{
    TADOConnection& cn = AppConnection();
    using Value = std::optional<QString>;
    TTransaction tr(cn);
    // The cost alert keeps a row when off: "0".
    const bool costOn = ui->ChkCostAlert->isChecked() && !ui->EdtCostDays->text().trimmed().isEmpty();
    WriteConfig(cn, KeyCost, costOn ? ui->EdtCostDays->text() : QStringLiteral("0"));
    const bool birthdayOn = ui->ChkBirthday->isChecked() && !ui->Edtbirthday->text().trimmed().isEmpty();
    storeSetting(cn, KeyBirthday, birthdayOn ? Value(withoutQuotes(ui->Edtbirthday->text())) : std::nullopt);
    storeSetting(cn, KeyUserDefine, ui->ChkUserDefineAlert->isChecked()
                                        ? Value(withoutQuotes(ui->EdtUserDefineAlert->text())) : std::nullopt);
    storeSetting(cn, KeyBeep, ui->ChkBeep->isChecked() ? Value(QStringLiteral("Y")) : std::nullopt);
    tr.commit();
    accept();
}

std::optional<int> TfrmAlert::CostDays() const
{
    if (!ui->ChkCostAlert->isChecked()) return std::nullopt;
    return dayCount(ui->EdtCostDays->text());
}

std::optional<int> TfrmAlert::BirthdayDays() const
{
    if (!ui->ChkBirthday->isChecked()) return std::nullopt;
    return dayCount(ui->Edtbirthday->text());
}

QString TfrmAlert::UserDefineAlert() const
{
    if (!ui->ChkUserDefineAlert->isChecked() || ui->EdtUserDefineAlert->text().trimmed().isEmpty()) return {};
    return ui->EdtUserDefineAlert->text();
}

bool TfrmAlert::BeepOn() const { return ui->ChkBeep->isChecked(); }
void TfrmAlert::SetBeepOn() { ui->ChkBeep->setChecked(true); }

bool IsAllDigits(const QString& text)
{
    int from = 0, to = int(text.size());
    while (from < to && text.at(from).unicode() <= 32) ++from;
    while (to > from && text.at(to - 1).unicode() <= 32) --to;
    for (int i = from; i < to; ++i)
        if (text.at(i) < QLatin1Char('0') || text.at(i) > QLatin1Char('9')) return false;
    return true;
}

QStringList CostAlertTexts(TADOConnection& cn, int days, const QDateTime& now)
{
    QStringList texts;
    const double today = DateTimeToDays(now);
    TStatement st(cn, StartupSql::CostExpiries);
    while (st.next()) {
        const QVariant end = st.value(2);
        // An item without an expiry date has nothing to alert about.
        if (end.isNull() || end.typeId() == QMetaType::QString) continue;
        const double endDays = end.toDouble();
        if (std::fabs(today - endDays) > days) continue;
        texts << st.value(0).toString() + st.value(1).toString() + QStringLiteral("将在")
                     + DateToStr(DaysToDateTime(endDays).date()) + QStringLiteral("到期");
    }
    return texts;
}

QStringList BirthdayAlertTexts(TADOConnection& cn, int days, const QDateTime& now)
{
    QStringList texts;
    const double today = DateTimeToDays(now);
    // Which days of this year lie within reach of now: worked out once, not
    // for every customer. 31 April, or 29 February outside a leap year, is no
    // birthday this year and stays out.
    const int year = now.date().year();
    bool near[13][32] = {};
    for (QDate d(year, 1, 1); d.year() == year; d = d.addDays(1))
        near[d.month()][d.day()] = std::fabs(today - DateToDays(d)) <= days;
    TStatement st(cn, StartupSql::Birthdays);
    while (st.next()) {
        int month = -1, day = -1;
        const QByteArrayView bytes = st.textBytes(0);
        if (!bytes.isNull() && IsAscii(bytes)) {
            // The usual document number, read from its stored bytes.
            if (!birthdayOfNumber(bytes, month, day)) continue;
        } else {
            const QString id = st.value(0).toString();
            if (!birthdayOfNumber(id, month, day)) continue;
        }
        if (month < 1 || month > 12 || day < 1 || day > 31 || !near[month][day]) continue;
        texts << QStringLiteral("客户") + st.value(1).toString() + QStringLiteral("生日(")
                     + DateToStr(QDate(year, month, day)).mid(5, 10) + QStringLiteral(")");
    }
    return texts;
}
