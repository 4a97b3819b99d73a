#include "accounts/UnitAcct.h"
#include "ui_UnitAcct.h"
#include "accounts/UnitModAcct.h"
#include "ui_UnitModAcct.h"
#include "common/AppContext.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Convert.h"
#include "platform/DataSet.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Handler.h"
#include "platform/KeyFilters.h"
#include "platform/Moment.h"
#include "platform/Pickers.h"
#include "platform/Look.h"
#include <QHeaderView>
#include <QLineEdit>
#include "platform/StoredValue.h"

TfrmAcct* frmAcct = nullptr;

namespace {

const QString kAll = QStringLiteral("所有");
const QString kLive = QStringLiteral("(Deleted<>1 or Deleted is null)");
// Half-open: from the from-date's midnight up to, not including, the midnight
// after the to-date, so an entry of the next day never counts in this range.
const QString kRange = QStringLiteral(" And AcctTime >= :from And AcctTime < :to");
const QString kCategory = QStringLiteral(" and category=:cat");

// A sum as the database returns it: whole ten-thousandths, or null for no row.
std::optional<Currency> StoredMoney(const QVariant& v)
{
    if (v.isNull()) return std::nullopt;
    return StoredCurrency(v);
}

// Only amounts stored as numbers money holds are added; another tool's text
// would add as 0 or as its leading digits, and a number past the range would
// wrap, so such amounts are counted instead, in the same scan (null neither).
const QString kTotal = QStringLiteral("Select sum(case when %1 then Amount end), count(case when not %1 then 1 end)")
                           .arg(SqlFitsMoney(QStringLiteral("Amount")))
    + QStringLiteral(" from [Acct] where [Type]=%1 and ");

QString UnreadAmountsText(qint64 entries)
{
    return QStringLiteral("查询范围内有%1条记录的金额不是数字，收入合计、支出合计和节余没有计入这些记录。").arg(entries);
}

} // namespace

void ShowCategoryOfKind(QComboBox* owe, QComboBox* pay, bool income)
{
    owe->setVisible(income);
    pay->setVisible(!income);
}

TfrmAcct::TfrmAcct(QWidget* parent)
    : TForm(parent), ui(std::make_unique<Ui::TfrmAcct>()), ADOQry(new TDataSet(this)), ADOQry2(new TDataSet(this))
{
    ui->setupUi(this);
    UseFlatButtonTabs(ui->PageControl1);

    ADOQry->addCalcField(QStringLiteral("Type1"), FieldType::String);
    ADOQry->addCalcField(QStringLiteral("Amount1"), FieldType::Currency);
    ADOQry->onCalcFields = [this](TDataSet& ds) { ADOQryCalcFields(ds); };

    TDBGrid* g = ui->DBGrid1;
    g->setDataSet(ADOQry);
    g->addColumn(QStringLiteral("ID"), QString());
    g->addColumn(QStringLiteral("Type1"), QStringLiteral("收/支"), 40);
    g->addColumn(QStringLiteral("AcctTime"), QStringLiteral("日期"));
    g->addColumn(QStringLiteral("Amount1"), QStringLiteral("金额"), 120);
    g->addColumn(QStringLiteral("Category"), QStringLiteral("类目"), 100);
    g->addColumn(QStringLiteral("Item"), QStringLiteral("事项"), 300);
    g->setColumnVisible(0, false);
    g->setColumnDateOnly(2, true);
    g->setRowForeground([this](TDataSet& ds, int row) { return DBGrid1DrawColumnCell(ds, row); });
    g->horizontalHeader()->setSectionsClickable(true);

    for (QDateEdit* d : {ui->DateTimePicker1, ui->DateTimePicker2, ui->DateTimePicker3}) SetupDatePicker(d);
    // Amounts: digits and at most two decimals.
    InstallKeyFilter(ui->EdtAmount, KeyFilter::AcctAmount);
    ui->CmbOweCategory->lineEdit()->setMaxLength(AcctCategoryLength);
    ui->CmbPayCategory->lineEdit()->setMaxLength(AcctCategoryLength);

    On(ui->BtnQry, &QPushButton::clicked, this, [this] { BtnQryClick(); });
    On(ui->BtnExpXls1, &QPushButton::clicked, this, [this] { BtnExpXls1Click(); });
    On(ui->BtnModify, &QPushButton::clicked, this, [this] { BtnModifyClick(); });
    On(ui->BtnDelete, &QPushButton::clicked, this, [this] { BtnDeleteClick(); });
    On(ui->BtnSave, &QPushButton::clicked, this, [this] { BtnSaveClick(); });
    On(ui->RbOwe, &QRadioButton::toggled, this, [this](bool on) { if (on) RbOweClick(); });
    On(ui->RbPay, &QRadioButton::toggled, this, [this](bool on) { if (on) RbPayClick(); });
    On(g->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) { DBGrid1TitleClick(column); });
    On(ui->PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (isVisible()) PageShow(index);
    });
    On(&AppEvents::instance(), &AppEvents::databaseReplaced, this, [this] { DatabaseReplaced(); });

    RunGuarded(this, [this] { FormCreate(); });
}

TfrmAcct::~TfrmAcct() = default;

void TfrmAcct::FormCreate()
{
    ui->PageControl1->setCurrentWidget(ui->TabSheet1);
    setWindowTitle(QStringLiteral(" 帐本 "));
    ADOQry->setConnection(&AppConnection());
    ADOQry2->setConnection(&AppConnection());
    for (QLineEdit* e : {ui->EdtOwe, ui->EdtPay, ui->EdtBalance}) SetReadOnlySilver(e);
    QPalette p = ui->EdtPay->palette();
    p.setColor(QPalette::Text, Qt::red);
    ui->EdtPay->setPalette(p);
    ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, false);
}

void TfrmAcct::FormShow()
{
    // The active page's show handler runs first, on the first opening only.
    if (!m_pageShown) {
        m_pageShown = true;
        PageShow(ui->PageControl1->currentIndex());
    }
    const QDate today = NowMoment().date();
    ui->DateTimePicker1->setDate(today.addDays(-30));
    ui->DateTimePicker2->setDate(today);
    ui->RbPay->setChecked(true);
    RbPayClick();
    rebuildEntryLists();
    BtnQryClick();
}

void TfrmAcct::PageShow(int index)
{
    QWidget* page = ui->PageControl1->widget(index);
    if (page == ui->TabSheet1) TabSheet1Show();
    else if (page == ui->TabSheet2) TabSheet2Show();
}

void TfrmAcct::TabSheet1Show()
{
    FillPickList(ui->CmbCat, QStringList{kAll} + distinctCategories(
        QStringLiteral("Select distinct [Category] from [Acct] where ") + kLive));
}

void TfrmAcct::TabSheet2Show()
{
    ui->DateTimePicker3->setDate(NowMoment().date());
}

QStringList TfrmAcct::distinctCategories(const QString& sql)
{
    QStringList items;
    TStatement st(AppConnection(), sql);
    while (st.next()) items << st.value(0).toString();
    return items;
}

void TfrmAcct::rebuildEntryLists()
{
    FillPickList(ui->CmbPayCategory, distinctCategories(
        QStringLiteral("Select distinct [Category] from [Acct] Where Type=-1 and ") + kLive));
    FillPickList(ui->CmbOweCategory, distinctCategories(
        QStringLiteral("Select distinct [Category] from [Acct] Where Type=1 and ") + kLive));
}

std::optional<Currency> TfrmAcct::total(int type, const QString& where, const Params& params, qint64& unread)
{
    // The database sums the stored ten-thousandths as integers, so totals are exact.
    TStatement st(AppConnection(), kTotal.arg(type) + where, params);
    if (!st.next()) return std::nullopt;
    unread += st.value(1).toLongLong();
    return StoredMoney(st.value(0));
}

void TfrmAcct::BtnQryClick()
{
    Params p{{QStringLiteral("from"), QVariant(ui->DateTimePicker1->date())},
             {QStringLiteral("to"), QVariant(ui->DateTimePicker2->date().addDays(1))}};
    QString where = kLive + kRange;
    const QString category = ui->CmbCat->currentText();
    if (!category.isEmpty() && category != kAll) {
        where += kCategory;
        p.append({QStringLiteral("cat"), category});
    }

    // A total or balance that cannot be worked out (past the money range)
    // leaves the boxes empty, never with figures of an earlier query.
    for (QLineEdit* e : {ui->EdtOwe, ui->EdtPay, ui->EdtBalance}) e->clear();
    // The list is the range asked for, also when its totals cannot be worked out.
    m_listSql = QStringLiteral("Select * from [Acct] where ") + where;
    m_listParams = p;
    m_sort = QStringLiteral("AcctTime DESC");
    openList();
    ui->BtnExpXls1->setEnabled(ADOQry->active());
    qint64 unread = 0;
    const std::optional<Currency> owe = total(1, where, p, unread);
    const std::optional<Currency> pay = total(-1, where, p, unread);
    const Currency balance = owe.value_or(Currency()) - pay.value_or(Currency());
    SetEditText(ui->EdtOwe, owe ? CurrToStr(*owe) : QStringLiteral("0.00"));
    SetEditText(ui->EdtPay, pay ? CurrToStr(*pay) : QStringLiteral("0.00"));
    SetEditText(ui->EdtBalance, CurrToStr(balance));
    // Listed all the same; one box for the whole query.
    if (unread > 0) Dlg::Notice(this, UnreadAmountsText(unread));
}

void TfrmAcct::openList()
{
    // The sort key is one of the list's own fields, never user text; rows of
    // one key keep the order they were written in.
    const int blank = m_sort.indexOf(QLatin1Char(' '));
    ADOQry->setSQL(m_listSql + QStringLiteral(" Order By [%1]%2, ID").arg(m_sort.left(blank), m_sort.mid(blank)));
    for (const auto& [name, value] : m_listParams) ADOQry->setParam(name, value);
    ADOQry->open();
}

void TfrmAcct::ADOQryCalcFields(TDataSet& ds)
{
    const TField type = ds.fieldByName(QStringLiteral("Type")), amount = ds.fieldByName(QStringLiteral("Amount"));
    TField type1 = ds.fieldByName(QStringLiteral("Type1")), amount1 = ds.fieldByName(QStringLiteral("Amount1"));
    // A kind or an amount stored as text (by another tool) is listed as it
    // is; only a number gets a sign.
    try {
        const qint64 t = type.isNull() ? 0 : type.asInteger();
        type1.setValue(t == 1 ? QStringLiteral("收") : t == -1 ? QStringLiteral("支") : QString());
        amount1.setValue(QVariant::fromValue(amount.asCurrency() * t));
    } catch (const EConvertError&) {
        if (type.value().userType() == QMetaType::QString) type1.setStoredValue(type.value());
        amount1.setStoredValue(amount.value());
    }
}

QColor TfrmAcct::DBGrid1DrawColumnCell(TDataSet& ds, int row)
{
    const int typeCol = ds.fieldIndex(QStringLiteral("Type"));
    const QVariant type = typeCol < 0 ? QVariant() : ds.valueAt(row, typeCol);
    if (type.isNull() || type.toLongLong() != -1) return {};
    if (ui->DBGrid1->toolTip().isEmpty()) {
        const QString hint = QStringLiteral("红色表示支出");
        ui->DBGrid1->setToolTip(hint);
        ui->DBGrid1->viewport()->setToolTip(hint);
    }
    return Qt::red;
}

void TfrmAcct::DBGrid1TitleClick(int column)
{
    TDBGrid* g = ui->DBGrid1;
    if (column < 0 || column >= g->columns().size()) return;
    g->resetTitleStyles();
    QString key = g->columns()[column].field;
    const int one = key.indexOf(QLatin1Char('1'));
    if (one >= 0) key.remove(one, 1);
    const bool descending = m_sort == key + QStringLiteral(" ASC");
    m_sort = key + (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    g->setTitleStyle(column, descending ? QColor(Qt::blue) : QColor(Qt::black), true);
    if (m_listSql.isEmpty()) return;
    // The same rows in the new order, the selected entry still selected.
    const QVariant id = ADOQry->active() && !ADOQry->isEmpty() ? ADOQry->fieldByName(QStringLiteral("ID")).value() : QVariant();
    openList();
    if (!id.isNull()) ADOQry->locate(QStringLiteral("ID"), id);
}

void TfrmAcct::RbOweClick() { ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, true); }
void TfrmAcct::RbPayClick() { ShowCategoryOfKind(ui->CmbOweCategory, ui->CmbPayCategory, false); }

void TfrmAcct::BtnSaveClick()
{
    const bool pay = ui->RbPay->isChecked();
    // A pasted amount the key filter would refuse (a negative one), or one that
    // is not a number, stops here, before anything is written.
    if (!CheckFilteredInput(this, {ui->EdtAmount})) return;
    const Currency amount = StrToCurr(ui->EdtAmount->text());
    AppConnection().execute(QStringLiteral(
        "Insert Into [Acct]([Type],Amount,LeasoID,Item,AcctTime,Deleted,Category) "
        "Values(:type,:amount,0,:item,:time,0,:cat)"),
        {{QStringLiteral("type"), pay ? -1 : 1},
         {QStringLiteral("amount"), QVariant::fromValue(amount)},
         {QStringLiteral("item"), ui->EdtItem->text()},
         {QStringLiteral("time"), QVariant(ui->DateTimePicker3->date())},
         {QStringLiteral("cat"), pay ? ui->CmbPayCategory->currentText() : ui->CmbOweCategory->currentText()}});
    Dlg::Notice(this, QStringLiteral("保存成功！"));
    ui->EdtAmount->clear();
    ui->EdtItem->clear();
    BtnQryClick();
}

void TfrmAcct::BtnModifyClick()
{
    const QString id = ui->DBGrid1->selectedText(0).trimmed();
    if (id.isEmpty()) return;
    ADOQry2->setSQL(QStringLiteral("Select * from [Acct] Where ID=:id"));
    ADOQry2->setParam(QStringLiteral("id"), qint64(StrToInt64(id)));
    ADOQry2->open();
    if (ADOQry2->isEmpty()) {
        // Deleted meanwhile by another copy of the program.
        Dlg::Notice(this, EChangedError().message());
        BtnQryClick();
        return;
    }

    auto* d = frmAcctMod->ui.get();
    // A kind that is neither income nor expense (another tool's) shows
    // neither button, and the save keeps it unless the user picks one.
    const QVariant kind = ADOQry2->fieldByName(QStringLiteral("Type")).value();
    const qint64 type = kind.isNull() ? 0 : ADOQry2->fieldByName(QStringLiteral("Type")).asInteger();
    const bool income = type == 1;
    if (type == 1 || type == -1) {
        (income ? d->RbOwe : d->RbPay)->setChecked(true);
    } else {
        for (QRadioButton* b : {d->RbOwe, d->RbPay}) {
            b->setAutoExclusive(false);
            b->setChecked(false);
        }
        for (QRadioButton* b : {d->RbOwe, d->RbPay}) b->setAutoExclusive(true);
    }
    ShowCategoryOfKind(d->CmbOweCategory, d->CmbPayCategory, income);
    // A date the picker cannot show is kept as stored; an amount stored as
    // text shows as it is, and the save refuses it unless it is changed.
    ShowStoredDate(d->DateTimePicker3, ADOQry2->fieldByName(QStringLiteral("AcctTime")).value());
    SetEditText(d->EdtAmount, ADOQry2->fieldByName(QStringLiteral("Amount")).shownText());
    SetEditText(d->EdtItem, ADOQry2->fieldByName(QStringLiteral("Item")).asString());
    const QString category = ADOQry2->fieldByName(QStringLiteral("Category")).asString();
    auto fill = [&](QComboBox* c, const QComboBox* from) {
        QStringList items;
        for (int i = 0; i < from->count(); ++i) items << from->itemText(i);
        FillPickList(c, items);
        c->setEditText(category);
    };
    fill(d->CmbOweCategory, ui->CmbOweCategory);
    fill(d->CmbPayCategory, ui->CmbPayCategory);
    ADOQry2->close();

    if (frmAcctMod->showModal() != QDialog::Accepted) return;

    const bool owe = d->RbOwe->isChecked();
    const bool keepType = !owe && !d->RbPay->isChecked();
    const Currency amount = StrToCurr(d->EdtAmount->text());
    // The link to a hire or fee item and the deleted flag keep their values.
    Params values{{QStringLiteral("cat"), (owe ? d->CmbOweCategory : d->CmbPayCategory)->currentText().trimmed()},
                  {QStringLiteral("amount"), QVariant::fromValue(amount)},
                  {QStringLiteral("item"), d->EdtItem->text().trimmed()},
                  {QStringLiteral("id"), qint64(StrToInt64(id))}};
    if (!keepType) values.append({QStringLiteral("type"), owe ? 1 : -1});
    const bool keepTime = KeepsStoredValue(d->DateTimePicker3);
    if (!keepTime) values.append({QStringLiteral("time"), QVariant(d->DateTimePicker3->date())});
    // The list is read afresh whether the entry was written or had gone meanwhile.
    WriteUnlessChanged(this, [&] {
        ExpectOneRow(AppConnection().execute(
            QStringLiteral("Update [Acct] set ") + (keepType ? QString() : QStringLiteral("[Type]=:type,"))
                + QStringLiteral("Category=:cat,") + (keepTime ? QString() : QStringLiteral("AcctTime=:time,"))
                + QStringLiteral("Amount=:amount,Item=:item Where ID=:id"),
            values));
    }, {});
    BtnQryClick();
}

void TfrmAcct::BtnDeleteClick()
{
    if (!ADOQry->active() || ADOQry->isEmpty()) return;
    const QString question = QStringLiteral("确定要删除本条纪录吗？\n\r")
        + ADOQry->fieldByName(QStringLiteral("Type1")).asString() + QLatin1Char(':')
        + ADOQry->fieldByName(QStringLiteral("Amount1")).asString();
    if (!Dlg::Confirm(this, question)) return;
    ADOQry->deleteRecord();
    BtnQryClick();
}

void TfrmAcct::BtnExpXls1Click()
{
    const QString title = DateToStr(ui->DateTimePicker1->date()) + QStringLiteral("至")
        + DateToStr(ui->DateTimePicker2->date()) + QStringLiteral("  帐本");
    const QString fileName = Dlg::SaveFile(this, QString(), QStringLiteral("帐本.xlsx"), QString());
    if (fileName.isEmpty()) return;
    ExportGridToExcel(fileName, title, ADOQry, ui->DBGrid1);
}

void TfrmAcct::DatabaseReplaced()
{
    // Nothing of the replaced data stays on show; the next opening reads afresh.
    ADOQry->close();
    m_listSql.clear();
    m_listParams.clear();
    for (QLineEdit* e : {ui->EdtOwe, ui->EdtPay, ui->EdtBalance}) e->clear();
    ui->BtnExpXls1->setEnabled(false);
    TabSheet1Show();
    rebuildEntryLists();
}
