#pragma once
#include "platform/Currency.h"
#include "platform/Form.h"
#include <QStringList>
#include <memory>
#include <optional>

namespace Ui { class TfrmAcct; }
class QComboBox;
class TDataSet;

// A category holds at most as many characters as its column.
constexpr int AcctCategoryLength = 40;

// The kind switch of the entry page and of the edit dialog: the list of the
// chosen kind takes the category place, the other one is hidden.
void ShowCategoryOfKind(QComboBox* owe, QComboBox* pay, bool income);

// The account book: the live entries of a date range and a category with
// their income and expense totals and balance, hand entries, edit, delete and
// the export of the list.
class TfrmAcct : public TForm {
    Q_OBJECT
public:
    explicit TfrmAcct(QWidget* parent = nullptr);
    ~TfrmAcct() override;

    void BtnQryClick();
    void BtnSaveClick();
    void BtnModifyClick();
    void BtnDeleteClick();
    void BtnExpXls1Click();
    void DBGrid1TitleClick(int column);
    void RbOweClick();
    void RbPayClick();
    void TabSheet1Show();
    void TabSheet2Show();

    // The order the list stands in: a field and " ASC" or " DESC".
    QString sortOrder() const { return m_sort; }

    std::unique_ptr<Ui::TfrmAcct> ui;
    TDataSet* ADOQry;     // the list
    TDataSet* ADOQry2;    // category lists and the entry being edited

protected:
    void FormShow() override;

private:
    void FormCreate();
    void PageShow(int index);
    void ADOQryCalcFields(TDataSet& ds);
    QColor DBGrid1DrawColumnCell(TDataSet& ds, int row);
    void DatabaseReplaced();

    void openList();
    void rebuildEntryLists();
    QStringList distinctCategories(const QString& sql);
    // The sum of the amounts stored as numbers; unread grows by the others.
    std::optional<Currency> total(int type, const QString& where, const QList<QPair<QString, QVariant>>& params, qint64& unread);

    QString m_sort;
    QString m_listSql;
    QList<QPair<QString, QVariant>> m_listParams;
    bool m_pageShown = false;
};

extern TfrmAcct* frmAcct;
