#include "registers/UnitNewPrice.h"
#include "ui_UnitNewPrice.h"
#include "common/AppContext.h"
#include "common/UnitPublic.h"
#include "platform/Connection.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include <QButtonGroup>
#include <QRadioButton>
#include <QRegularExpression>

TfrmNewPrice* frmNewPrice = nullptr;

namespace {

// An amount the user may give: a number that converts exactly to currency and is not negative.
bool isAmount(const QString& text)
{
    try {
        return StrToCurr(text) >= Currency();
    } catch (const EConvertError&) {
        return false;
    }
}

// The allowance is stored as whole kilometres; the key filter lets a point through.
bool isWholeNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    if (!digits.match(text.trimmed()).hasMatch()) return false;
    try {
        StrToInt(text);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

} // namespace

TfrmNewPrice::TfrmNewPrice(QWidget* parent)
    : TForm(parent), ui(new Ui::TfrmNewPrice), ADOQry(new TDataSet(this)), m_units(new QButtonGroup(this))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The buttons in the order of the pricing units, each with its unit's code.
    QRadioButton* buttons[] = {ui->RbDay, ui->RbMonth, ui->RbHour};
    for (int i = 0; i < 3; ++i) {
        buttons[i]->setText(PricingUnits()[i].text);
        m_units->addButton(buttons[i], int(PricingUnits()[i].code));
    }
    m_units->setExclusive(true);

    // The money filter on all three number edits; the allowance is checked as a whole number on OK.
    InstallKeyFilter(ui->EdtBasicPrice, KeyFilter::Money);
    InstallKeyFilter(ui->EdtLimit, KeyFilter::Money);
    InstallKeyFilter(ui->EdtAdditionalPrice, KeyFilter::Money);

    On(ui->BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    On(ui->BitBtn2, &QPushButton::clicked, this, [this] { reject(); });

    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
    FormCreate();
}

TfrmNewPrice::~TfrmNewPrice() = default;

void TfrmNewPrice::FormCreate()
{
    ADOQry->setConnection(&AppConnection());
}

int TfrmNewPrice::RadioGroup1ItemIndex() const { return m_units->checkedId(); }

void TfrmNewPrice::SetRadioGroup1ItemIndex(int index)
{
    if (QAbstractButton* b = m_units->button(index)) {
        b->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; let go of it to show none.
    m_units->setExclusive(false);
    for (QAbstractButton* b : m_units->buttons()) b->setChecked(false);
    m_units->setExclusive(true);
}

bool TfrmNewPrice::fail(const QString& text, QWidget* focus)
{
    Dlg::Notice(this, text);
    if (focus) focus->setFocus();
    return false;
}

void TfrmNewPrice::BitBtn1Click()
{
    // Stored as typed, surrounding blanks kept; only the empty test trims.
    const QString name = ui->EdtPriceName->text();
    if (name.trimmed().isEmpty()) {
        fail(QStringLiteral("请输入租赁方式名称！"), ui->EdtPriceName);
        return;
    }
    if (RadioGroup1ItemIndex() < 0) {
        fail(QStringLiteral("请选择是按天、包月还是按小时租赁！"), nullptr);
        return;
    }
    if (ui->EdtBasicPrice->text().trimmed().isEmpty()) {
        fail(QStringLiteral("请输入租赁价格！"), ui->EdtBasicPrice);
        return;
    }
    // The register converts these texts when it writes the row: refuse what
    // would not convert before anything is written.
    if (!isAmount(ui->EdtBasicPrice->text())) {
        fail(QStringLiteral("租赁价格不是有效的金额，请重新输入！"), ui->EdtBasicPrice);
        return;
    }
    const QString limit = ui->EdtLimit->text();
    if (!limit.trimmed().isEmpty() && !isWholeNumber(limit)) {
        fail(QStringLiteral("单位时间内限里程必须是整数公里数，请重新输入！"), ui->EdtLimit);
        return;
    }
    const QString additional = ui->EdtAdditionalPrice->text();
    if (!additional.trimmed().isEmpty() && !isAmount(additional)) {
        fail(QStringLiteral("超程基价不是有效的金额，请重新输入！"), ui->EdtAdditionalPrice);
        return;
    }

    const bool adding = windowTitle().contains(QStringLiteral("新增"));
    if (adding || name != OldPriceName) {
        ADOQry->setSQL(QStringLiteral("Select * from PriceList where priceName=:name"));
        ADOQry->setParam(QStringLiteral("name"), name);
        ADOQry->open();
        bool taken = false;
        for (int r = 0; r < ADOQry->recordCount() && !taken; ++r) {
            ADOQry->setRecNo(r);
            // Names compare ignoring letter case; on an edit the scheme itself
            // does not count, so a change of letter case only is allowed.
            const QString found = ADOQry->fieldByName(QStringLiteral("PriceName")).asString();
            taken = adding || found.compare(OldPriceName, Qt::CaseInsensitive) != 0;
        }
        ADOQry->close();
        if (taken) {
            fail(QStringLiteral("同名租赁方式已经存在，请重新输入！"), ui->EdtPriceName);
            return;
        }
    }
    accept();
}
