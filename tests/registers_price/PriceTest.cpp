// The hire-scheme register and its dialog, driven through the real windows.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "app/UnitMain.h"
#include "platform/Convert.h"
#include "platform/Errors.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"
#include <QApplication>
#include <QRadioButton>
#include <QTest>

namespace {

const QString UnitMissing = QStringLiteral("请选择是按天、包月还是按小时租赁！");
const QString NameTaken = QStringLiteral("同名租赁方式已经存在，请重新输入！");
const QString NameMissing = QStringLiteral("请输入租赁方式名称！");

struct Scheme { QString name; int unit; QString price, limit = {}, additional = {}; };   // unit: 0 day, 1 month, 2 hour

class PriceTest : public AppFixture {
protected:
    Ui::TfrmPrice* P() { return frmPrice->ui; }
    Ui::TfrmNewPrice* D() { return frmNewPrice->ui; }

    // Opens the register from the main window, runs fn in it, then leaves with 退出.
    void inRegister(const std::function<void()>& fn)
    {
        whenShown(frmPrice, [&] { fn(); if (frmPrice->isVisible()) click(P()->BtnExit); });
        frmMain->ToolButton10Click();
    }
    // Clicks a register button and runs fn in the dialog it opens; one left open is cancelled.
    void inDialog(QAbstractButton* btn, const std::function<void()>& fn)
    {
        whenShown(frmNewPrice, [&] { fn(); if (frmNewPrice->isVisible()) click(D()->BitBtn2); });
        click(btn);
    }
    // A radio button is clicked on its label, near the indicator.
    void choose(int unit)
    {
        QRadioButton* b[] = {D()->RbDay, D()->RbMonth, D()->RbHour};
        QTest::mouseClick(b[unit], Qt::LeftButton, {}, QPoint(8, b[unit]->height() / 2));
    }
    void fill(const Scheme& s)
    {
        clearAndType(D()->EdtPriceName, s.name);
        choose(s.unit);
        clearAndType(D()->EdtBasicPrice, s.price);
        clearAndType(D()->EdtLimit, s.limit);
        clearAndType(D()->EdtAdditionalPrice, s.additional);
    }
    // Adds (or, with a name to select, edits) a scheme through the dialog; true when it closed with OK.
    bool save(const Scheme& s, const QString& editing = {})
    {
        if (!editing.isEmpty()) select(editing);
        bool closed = false;
        inDialog(editing.isEmpty() ? P()->BtnNewPrice : P()->BtnEdtPrice, [&] { fill(s); click(D()->BitBtn1); closed = !frmNewPrice->isVisible(); });
        return closed;
    }
    void select(const QString& name) { ASSERT_TRUE(frmPrice->ADOQry->locate(QStringLiteral("PriceName"), name)) << name.toStdString(); }
    // The texts the grid shows in a row, columns joined by "|".
    QString gridRow(int row)
    {
        QStringList l;
        for (int c = 0; c < 5; ++c) l << P()->DBGrid1->model()->index(row, c).data().toString();
        return l.join(QLatin1Char('|'));
    }
    // A stored row: unit code, raw amounts (1/10000 yuan) and allowance.
    QString stored(const QString& name)
    {
        return RowsText(db(), "PriceList", {"LeasoType", "BasicPrice", "[Limit]", "AdditionalPrice"}, "PriceName=:n", {{"n", name}});
    }
    qint64 count() { return scalar(QStringLiteral("Select count(*) from PriceList")).toLongLong(); }
    void insert(const QString& values)
    {
        exec(QStringLiteral("Insert into PriceList(PriceName,LeasoType,BasicPrice,[Limit],AdditionalPrice) values ") + values);
    }
};

TEST_F(PriceTest, AddEditRenameAndDeleteAQuotedNameWithExactAmounts)
{
    const QString name = QStringLiteral("O'Brien's 50% plan -- 周末"), renamed = QStringLiteral("O'Brien's 100% plan");
    inRegister([&] {
        EXPECT_TRUE(save({name, 0, QStringLiteral("0.1"), QStringLiteral("120"), QStringLiteral("2.5")}));
        EXPECT_EQ(gridRow(0), name + QStringLiteral("|按天|0.1|120|2.5"));   // the posted row shows
    });
    EXPECT_EQ(stored(name), "0|1000|120|25000");   // 0.1 and 2.5 yuan exactly
    inRegister([&] {
        select(name);
        inDialog(P()->BtnEdtPrice, [&] {   // the dialog opens with the row's values as plain numbers
            EXPECT_EQ(frmNewPrice->windowTitle(), QStringLiteral("Quorvane - 修改租赁方案"));
            EXPECT_EQ(QStringList({D()->EdtPriceName->text(), D()->EdtBasicPrice->text(), D()->EdtLimit->text(),
                                   D()->EdtAdditionalPrice->text()}).join('|'), name + QStringLiteral("|0.1|120|2.5"));
            EXPECT_EQ(frmNewPrice->RadioGroup1ItemIndex(), 0);
            fill({renamed, 2, QStringLiteral("35.25"), QStringLiteral("15"), QStringLiteral("0.05")});
            click(D()->BitBtn1);
        });
        EXPECT_EQ(gridRow(0), renamed + QStringLiteral("|按小时|35.25|15|0.05"));
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(stored(renamed), "2|352500|15|500");

    // A hire copies the prices; deleting the scheme leaves it as it was.
    exec(QStringLiteral("Insert into Leaso(CarID,CustID,LeasoType,BasicPrice,[Limit],AdditionalPrice) values('京A1','1',2,352500,15,500)"));
    inRegister([&] {
        select(renamed);
        answers = {Dlg::IdNo};
        click(P()->BtnDelPrice);
        ASSERT_EQ(messageTexts(), QStringList{QStringLiteral("确定要删除本项信息吗？")});
        EXPECT_TRUE(messages[0].caption == QStringLiteral("Quorvane") && messages[0].icon == Dlg::Icon::Question
                    && messages[0].buttons == Dlg::Buttons::YesNo && messages[0].defaultButton == Dlg::IdNo);
        EXPECT_EQ(count(), 1);
        answers = {Dlg::IdYes};
        click(P()->BtnDelPrice);
        EXPECT_EQ(count() + frmPrice->ADOQry->recordCount(), 0);
        click(P()->BtnEdtPrice);   // on an empty list: nothing
        click(P()->BtnDelPrice);
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_FALSE(frmNewPrice->isVisible());
    });
    EXPECT_EQ(scalar(QStringLiteral("Select BasicPrice from Leaso")).toLongLong(), 352500);
    insert(QStringLiteral("('后加', 2, 25000, 10, 1000)"));   // each showing reads the list
    inRegister([&] { EXPECT_EQ(gridRow(0), QStringLiteral("后加|按小时|2.5|10|0.1")); });
}

TEST_F(PriceTest, EachUnitStoresItsCodeOddCodesShowNoneAndEmptyExtrasAreNullOnAddAndZeroOnEdit)
{
    const QString longName = QStringLiteral("超长的租赁方案名称").repeated(8);   // 72 characters, 216 bytes: stored whole
    insert(QStringLiteral("('odd', 7, 10000, NULL, NULL), ('none', NULL, 10000, NULL, NULL)"));
    inRegister([&] {
        EXPECT_TRUE(save({QStringLiteral("日租"), 0, QStringLiteral("150")}));
        EXPECT_TRUE(save({QStringLiteral("月租"), 1, QStringLiteral("3000")}));
        EXPECT_TRUE(save({longName, 2, QStringLiteral("30")}));
        inDialog(P()->BtnNewPrice, [&] {   // the next add opens empty, with the unit chosen last
            EXPECT_EQ(frmNewPrice->RadioGroup1ItemIndex(), 2);
            EXPECT_EQ(D()->EdtPriceName->text() + D()->EdtBasicPrice->text(), "");
        });
        EXPECT_EQ(gridRow(0) + gridRow(1) + gridRow(3) + gridRow(4),
                  QStringLiteral("odd||1||none||1||月租|包月|3000||") + longName + QStringLiteral("|按小时|30||"));
        EXPECT_EQ(frmPrice->ADOQry->recNo(), 4);   // the new row is the current one
        select(QStringLiteral("odd"));   // no unit chosen on opening, so OK asks for one
        inDialog(P()->BtnEdtPrice, [&] {
            EXPECT_EQ(frmNewPrice->RadioGroup1ItemIndex(), -1);
            click(D()->BitBtn1);
            EXPECT_EQ(messageTexts(), QStringList{UnitMissing});
        });
    });
    EXPECT_EQ(stored(QStringLiteral("日租")) + '/' + stored(QStringLiteral("月租")) + '/' + stored(longName) + '/' + stored("odd"),
              "0|1500000|NULL|NULL/1|30000000|NULL|NULL/2|300000|NULL|NULL/7|10000|NULL|NULL");
    inRegister([&] {
        select(QStringLiteral("日租"));
        inDialog(P()->BtnEdtPrice, [&] { choose(1); click(D()->BitBtn1); });
        EXPECT_EQ(gridRow(0), QStringLiteral("odd||1||"));   // back at the first row
    });
    EXPECT_EQ(stored(QStringLiteral("日租")), "1|1500000|0|0");
}

TEST_F(PriceTest, KeysAreFilteredChecksRunInOrderPastedNegativesAreRefusedAndNothingButOkWrites)
{
    const QString priceBad = QStringLiteral("租赁价格不是有效的金额，请重新输入！");
    const QString limitBad = QStringLiteral("单位时间内限里程必须是整数公里数，请重新输入！");
    const QString extraBad = QStringLiteral("超程基价不是有效的金额，请重新输入！");
    // Each step types into a field (or picks a unit) and expects the notice and the focus.
    const struct { QLineEdit* field; QString text; QString notice; QWidget* focus; } steps[] = {
        {D()->EdtPriceName, "   ", NameMissing, D()->EdtPriceName},
        {D()->EdtPriceName, QStringLiteral("半日 A-1.5"), UnitMissing, nullptr},   // the name takes any text
        {nullptr, {}, QStringLiteral("请输入租赁价格！"), D()->EdtBasicPrice},
        {D()->EdtBasicPrice, ".", priceBad, D()->EdtBasicPrice},
        {D()->EdtBasicPrice, "-300", priceBad, D()->EdtBasicPrice},
        {D()->EdtBasicPrice, "999999999999999", priceBad, D()->EdtBasicPrice},
        {D()->EdtBasicPrice, "80", {}, nullptr},
        {D()->EdtLimit, "1.5", limitBad, D()->EdtLimit},
        {D()->EdtLimit, ".", limitBad, D()->EdtLimit},
        {D()->EdtLimit, "-300", limitBad, D()->EdtLimit},
        {D()->EdtLimit, "99999999999", limitBad, D()->EdtLimit},
        {D()->EdtLimit, "50", extraBad, D()->EdtAdditionalPrice},
        {D()->EdtAdditionalPrice, "-300", extraBad, D()->EdtAdditionalPrice},
    };
    inRegister([&] {
        inDialog(P()->BtnNewPrice, [&] {
            for (QLineEdit* e : {D()->EdtBasicPrice, D()->EdtLimit, D()->EdtAdditionalPrice}) {
                clearAndType(e, QStringLiteral("a1 b.2.-3x,"));
                EXPECT_EQ(e->text(), QStringLiteral("1.23")) << e->objectName().toStdString();
                e->clear();
            }
            frmNewPrice->SetRadioGroup1ItemIndex(-1);
            clearAndType(D()->EdtAdditionalPrice, QStringLiteral("."));
            for (const auto& s : steps) {
                SCOPED_TRACE(s.text.toStdString());
                if (!s.field) choose(2);
                else clearAndType(s.field, s.text);
                if (s.field && s.field->text() != s.text) s.field->setText(s.text);   // what the filter drops, pasted
                if (s.notice.isEmpty()) continue;
                messages.clear();
                click(D()->BitBtn1);
                ASSERT_EQ(messageTexts(), QStringList{s.notice});
                EXPECT_TRUE(messages[0].caption == QStringLiteral("Quorvane") && messages[0].icon == Dlg::Icon::Information
                            && messages[0].buttons == Dlg::Buttons::OK && frmNewPrice->isVisible());
                if (s.focus) EXPECT_EQ(QApplication::focusWidget(), s.focus);
            }
            clearAndType(D()->EdtAdditionalPrice, QStringLiteral("1."));
            messages.clear();
            for (QLineEdit* e : {D()->EdtPriceName, D()->EdtBasicPrice, D()->EdtLimit, D()->EdtAdditionalPrice}) {
                e->setFocus();   // every check would pass, yet Enter leaves the dialog open
                QTest::keyClick(e, Qt::Key_Return);
                QTest::keyClick(e, Qt::Key_Enter);
            }
            EXPECT_TRUE(frmNewPrice->isVisible() && messages.empty());
            EXPECT_EQ(count() + frmPrice->ADOQry->recordCount(), 0);
            click(D()->BitBtn1);
            EXPECT_FALSE(frmNewPrice->isVisible());
        });
        EXPECT_EQ(frmPrice->ADOQry->recordCount(), 1);
        // A cancelled add or edit writes nothing.
        inDialog(P()->BtnNewPrice, [&] { fill({QStringLiteral("取消的"), 0, "1"}); click(D()->BitBtn2); });
        inDialog(P()->BtnEdtPrice, [&] { fill({QStringLiteral("改名取消"), 1, "2"}); click(D()->BitBtn2); });
    });
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(stored(QStringLiteral("半日 A-1.5")), "2|800000|50|10000");
}

TEST_F(PriceTest, TakenNamesAreRefusedIgnoringLetterCaseAndNamesKeepTheirBlanks)
{
    insert(QStringLiteral("('Day Plan', 0, 1500000, 200, 5000), ('Week', 1, 9000000, 1000, 4000)"));
    inRegister([&] {
        EXPECT_FALSE(save({QStringLiteral("day PLAN"), 0, "1"}));
        EXPECT_FALSE(save({QStringLiteral("DAY PLAN"), 1, "1"}, QStringLiteral("Week")));   // renamed onto it
        EXPECT_EQ(messageTexts(), QStringList({NameTaken, NameTaken}));
        EXPECT_EQ(stored(QStringLiteral("Week")) + '/' + stored(QStringLiteral("Day Plan")), "1|9000000|1000|4000/0|1500000|200|5000");
        // Keeping the name passes; a change of letter case only is the same scheme.
        EXPECT_TRUE(save({QStringLiteral("Week"), 1, "95"}, QStringLiteral("Week")));
        EXPECT_TRUE(save({QStringLiteral("WEEK"), 1, "95"}, QStringLiteral("Week")));
        EXPECT_FALSE(save({QStringLiteral("week"), 1, "1"}));   // the scheme edited last is taken too
        EXPECT_EQ(messageTexts(), QStringList({NameTaken, NameTaken, NameTaken}));
        // Surrounding blanks are stored as typed; only the empty test trims.
        EXPECT_TRUE(save({QStringLiteral("  周末 "), 0, QStringLiteral("150")}));
        EXPECT_TRUE(save({QStringLiteral(" 包月"), 1, QStringLiteral("3000")}, QStringLiteral("  周末 ")));
    });
    EXPECT_EQ(stored(QStringLiteral("WEEK")), "1|950000|0|0");
    EXPECT_EQ(RowsText(db(), "PriceList", {"'['||PriceName||']'"}), "[Day Plan]/[WEEK]/[ 包月]");
}

// An amount too large for the currency store is an error, not a wrapped value.
TEST(ConvertTest, StrToCurrRefusesAmountsBeyondTheStore)
{
    EXPECT_EQ(StrToCurr(QStringLiteral("922337203685477.5807")).raw(), INT64_MAX);
    EXPECT_THROW(StrToCurr(QStringLiteral("922337203685477.5808")), EConvertError);
    EXPECT_THROW(StrToCurr(QStringLiteral("999999999999999")), EConvertError);
    EXPECT_EQ(StrToCurr(QStringLiteral("-922337203685477.5807")).raw(), -INT64_MAX);
    EXPECT_EQ(StrToCurr(QStringLiteral("0.00005")).raw(), 1);
}

// Through a second copy of the program on the same file: a scheme deleted
// meanwhile is neither edited nor deleted; the notice shows and the list is read afresh.
TEST_F(PriceTest, ASchemeDeletedMeanwhileIsNeitherEditedNorDeleted)
{
    TADOConnection other;
    other.open(dbFile());
    for (bool deleting : {false, true}) {
        SCOPED_TRACE(deleting ? "delete" : "edit");
        messages.clear();
        insert(QStringLiteral("('周末', 0, 1500000, 100, 5000)"));
        inRegister([&] {
            select(QStringLiteral("周末"));
            other.execute(QStringLiteral("Delete from PriceList"));
            answers = {Dlg::IdYes};
            if (deleting) click(P()->BtnDelPrice);
            else save({QStringLiteral("新周末"), 1, QStringLiteral("99"), QStringLiteral("1"), QStringLiteral("1")}, QStringLiteral("周末"));
            EXPECT_EQ(frmPrice->ADOQry->recordCount(), 0) << "the list was not read afresh";
        });
        EXPECT_EQ(lastMessage(), EChangedError().message());
        EXPECT_EQ(count(), 0);
    }
}

} // namespace
