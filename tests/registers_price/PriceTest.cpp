// The hire-scheme register and its dialog, driven through the real windows.
#include "support/AppFixture.h"
#include "app/UnitMain.h"
#include "platform/Convert.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Errors.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"
#include <QApplication>
#include <QRadioButton>
#include <QTest>

// Readable QStrings in failure output.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString NameMissing = QStringLiteral("请输入租赁方式名称！");
const QString UnitMissing = QStringLiteral("请选择是按天、包月还是按小时租赁！");
const QString PriceMissing = QStringLiteral("请输入租赁价格！");
const QString PriceInvalid = QStringLiteral("租赁价格不是有效的金额，请重新输入！");
const QString LimitInvalid = QStringLiteral("单位时间内限里程必须是整数公里数，请重新输入！");
const QString AdditionalInvalid = QStringLiteral("超程基价不是有效的金额，请重新输入！");
const QString NameTaken = QStringLiteral("同名租赁方式已经存在，请重新输入！");
const QString DeleteQuestion = QStringLiteral("确定要删除本项信息吗？");

struct Scheme {
    QString name;
    int unit;             // -1 leaves the choice as it is
    QString price, limit, additional;
};

class PriceTest : public AppFixture {
protected:
    Ui::TfrmPrice* P() { return frmPrice->ui; }
    Ui::TfrmNewPrice* D() { return frmNewPrice->ui; }

    // Opens the register from the main window, runs fn in it, then leaves with 退出.
    void inRegister(const std::function<void()>& fn)
    {
        whenShown(frmPrice, [&] {
            fn();
            if (frmPrice->isVisible()) click(P()->BtnExit);
        });
        frmMain->ToolButton10Click();
        EXPECT_FALSE(frmPrice->isVisible());
    }

    // Clicks a register button and runs fn in the dialog it opens; a dialog
    // still open afterwards is cancelled.
    void inDialog(QAbstractButton* btn, const std::function<void()>& fn)
    {
        whenShown(frmNewPrice, [&] {
            fn();
            if (frmNewPrice->isVisible()) click(D()->BitBtn2);
        });
        click(btn);
    }


    // A radio button is clicked on its label, near the indicator.
    static void choose(QRadioButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

    QRadioButton* unitButton(int i)
    {
        QRadioButton* b[] = {D()->RbDay, D()->RbMonth, D()->RbHour};
        return b[i];
    }

    void fill(const Scheme& s)
    {
        clearAndType(D()->EdtPriceName, s.name);
        if (s.unit >= 0) choose(unitButton(s.unit));
        clearAndType(D()->EdtBasicPrice, s.price);
        clearAndType(D()->EdtLimit, s.limit);
        clearAndType(D()->EdtAdditionalPrice, s.additional);
    }

    // Adds a scheme through the dialog; true when the dialog closed with OK.
    bool add(const Scheme& s)
    {
        bool closed = false;
        inDialog(P()->BtnNewPrice, [&] {
            fill(s);
            click(D()->BitBtn1);
            closed = !frmNewPrice->isVisible();
        });
        return closed;
    }

    void select(const QString& name)
    {
        ASSERT_TRUE(frmPrice->ADOQry->locate(QStringLiteral("PriceName"), name)) << name.toStdString();
    }

    // The text the grid shows in a column of a row.
    QString cell(int row, int column)
    {
        auto* m = P()->DBGrid1->model();
        return m->data(m->index(row, column), Qt::DisplayRole).toString();
    }

    qint64 count() { return scalar(QStringLiteral("Select count(*) from PriceList")).toLongLong(); }
    QVariant col(const QString& name, const QString& column)
    {
        return scalar(QStringLiteral("Select [%1] from PriceList where PriceName=:n").arg(column), {{QStringLiteral("n"), name}});
    }
    void insert(const QString& name, QVariant type, qint64 priceRaw, QVariant limit, QVariant addRaw)
    {
        exec(QStringLiteral("Insert into PriceList(PriceName,LeasoType,BasicPrice,[Limit],AdditionalPrice) values(:n,:t,:p,:l,:a)"),
             {{QStringLiteral("n"), name}, {QStringLiteral("t"), type}, {QStringLiteral("p"), priceRaw},
              {QStringLiteral("l"), limit}, {QStringLiteral("a"), addRaw}});
    }
};

TEST_F(PriceTest, AddEditDeleteAQuotedNameWithExactAmounts)
{
    const QString name = QStringLiteral("O'Brien's 50% plan -- 周末");
    inRegister([&] {
        EXPECT_EQ(frmPrice->windowTitle(), QStringLiteral("Quorvane - 计费方案管理"));
        inDialog(P()->BtnNewPrice, [&] {
            EXPECT_EQ(frmNewPrice->windowTitle(), QStringLiteral("Quorvane - 新增租赁方案"));
            fill({name, 0, QStringLiteral("0.1"), QStringLiteral("120"), QStringLiteral("2.5")});
            click(D()->BitBtn1);
        });
        EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
        // The posted row shows at the end of the list, with its unit text.
        ASSERT_EQ(frmPrice->ADOQry->recordCount(), 1);
        EXPECT_EQ(cell(0, 0), name);
        EXPECT_EQ(cell(0, 1), QStringLiteral("按天"));
        EXPECT_EQ(cell(0, 2), QStringLiteral("0.1"));
        EXPECT_EQ(cell(0, 3), QStringLiteral("120"));
        EXPECT_EQ(cell(0, 4), QStringLiteral("2.5"));
        EXPECT_TRUE(P()->DBGrid1->isColumnHidden(5));
    });
    EXPECT_EQ(col(name, QStringLiteral("LeasoType")).toLongLong(), 0);
    EXPECT_EQ(col(name, QStringLiteral("BasicPrice")).toLongLong(), 1000);          // 0.1 yuan exactly
    EXPECT_EQ(col(name, QStringLiteral("Limit")).toLongLong(), 120);
    EXPECT_EQ(col(name, QStringLiteral("AdditionalPrice")).toLongLong(), 25000);    // 2.5 yuan exactly

    const QString renamed = QStringLiteral("O'Brien's 100% plan");
    inRegister([&] {
        select(name);
        inDialog(P()->BtnEdtPrice, [&] {
            EXPECT_EQ(frmNewPrice->windowTitle(), QStringLiteral("Quorvane - 修改租赁方案"));
            EXPECT_EQ(frmNewPrice->OldPriceName, name);
            EXPECT_EQ(D()->EdtPriceName->text(), name);
            EXPECT_EQ(D()->EdtBasicPrice->text(), QStringLiteral("0.1"));
            EXPECT_EQ(D()->EdtLimit->text(), QStringLiteral("120"));
            EXPECT_EQ(D()->EdtAdditionalPrice->text(), QStringLiteral("2.5"));
            EXPECT_EQ(frmNewPrice->RadioGroup1ItemIndex(), 0);
            fill({renamed, 2, QStringLiteral("35.25"), QStringLiteral("15"), QStringLiteral("0.05")});
            click(D()->BitBtn1);
        });
        EXPECT_EQ(cell(0, 0), renamed);
        EXPECT_EQ(cell(0, 1), QStringLiteral("按小时"));
        EXPECT_EQ(cell(0, 2), QStringLiteral("35.25"));
    });
    EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(col(renamed, QStringLiteral("LeasoType")).toLongLong(), 2);
    EXPECT_EQ(col(renamed, QStringLiteral("BasicPrice")).toLongLong(), 352500);
    EXPECT_EQ(col(renamed, QStringLiteral("Limit")).toLongLong(), 15);
    EXPECT_EQ(col(renamed, QStringLiteral("AdditionalPrice")).toLongLong(), 500);

    // A hire copies the prices; deleting the scheme leaves it as it was.
    exec(QStringLiteral("Insert into Leaso(CarID,CustID,LeasoType,BasicPrice,[Limit],AdditionalPrice) values('京A1','1',2,352500,15,500)"));
    inRegister([&] {
        select(renamed);
        answers = {Dlg::IdNo};
        click(P()->BtnDelPrice);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, DeleteQuestion);
        EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Question);
        EXPECT_EQ(messages[0].buttons, Dlg::Buttons::YesNo);
        EXPECT_EQ(messages[0].defaultButton, Dlg::IdNo);
        EXPECT_EQ(count(), 1);
        EXPECT_EQ(frmPrice->ADOQry->recordCount(), 1);

        answers = {Dlg::IdYes};
        click(P()->BtnDelPrice);
        EXPECT_EQ(messages.size(), 2u);
        EXPECT_EQ(count(), 0);
        EXPECT_EQ(frmPrice->ADOQry->recordCount(), 0);
    });
    EXPECT_EQ(scalar(QStringLiteral("Select BasicPrice from Leaso")).toLongLong(), 352500);
}

TEST_F(PriceTest, EachUnitStoresItsCodeAndTheLastChoiceStays)
{
    inRegister([&] {
        EXPECT_TRUE(add({QStringLiteral("日租"), 0, QStringLiteral("150"), QString(), QString()}));
        EXPECT_TRUE(add({QStringLiteral("月租"), 1, QStringLiteral("3000"), QString(), QString()}));
        EXPECT_TRUE(add({QStringLiteral("钟点"), 2, QStringLiteral("30"), QString(), QString()}));
        // The next add opens with the unit chosen last.
        inDialog(P()->BtnNewPrice, [&] {
            EXPECT_EQ(frmNewPrice->RadioGroup1ItemIndex(), 2);
            EXPECT_TRUE(D()->EdtPriceName->text().isEmpty());
            EXPECT_TRUE(D()->EdtBasicPrice->text().isEmpty());
        });
        EXPECT_EQ(cell(0, 1), QStringLiteral("按天"));
        EXPECT_EQ(cell(1, 1), QStringLiteral("包月"));
        EXPECT_EQ(cell(2, 1), QStringLiteral("按小时"));
        EXPECT_EQ(frmPrice->ADOQry->recNo(), 2);     // the new row is the current one
    });
    EXPECT_EQ(col(QStringLiteral("日租"), QStringLiteral("LeasoType")).toLongLong(), 0);
    EXPECT_EQ(col(QStringLiteral("月租"), QStringLiteral("LeasoType")).toLongLong(), 1);
    EXPECT_EQ(col(QStringLiteral("钟点"), QStringLiteral("LeasoType")).toLongLong(), 2);
    EXPECT_EQ(col(QStringLiteral("月租"), QStringLiteral("BasicPrice")).toLongLong(), 30000000);

    // An edit stores the code of the unit chosen.
    inRegister([&] {
        select(QStringLiteral("日租"));
        inDialog(P()->BtnEdtPrice, [&] { choose(D()->RbMonth); click(D()->BitBtn1); });
    });
    EXPECT_EQ(col(QStringLiteral("日租"), QStringLiteral("LeasoType")).toLongLong(), 1);
}

TEST_F(PriceTest, EmptyAllowanceAndKmPriceAreNullOnAddAndZeroOnEdit)
{
    inRegister([&] {
        EXPECT_TRUE(add({QStringLiteral("不限里程"), 0, QStringLiteral("200"), QString(), QString()}));
        EXPECT_EQ(cell(0, 3), QString());
        EXPECT_EQ(cell(0, 4), QString());
    });
    EXPECT_TRUE(col(QStringLiteral("不限里程"), QStringLiteral("Limit")).isNull());
    EXPECT_TRUE(col(QStringLiteral("不限里程"), QStringLiteral("AdditionalPrice")).isNull());

    inRegister([&] {
        select(QStringLiteral("不限里程"));
        inDialog(P()->BtnEdtPrice, [&] {
            EXPECT_TRUE(D()->EdtLimit->text().isEmpty());
            EXPECT_TRUE(D()->EdtAdditionalPrice->text().isEmpty());
            click(D()->BitBtn1);
        });
        EXPECT_EQ(cell(0, 3), QStringLiteral("0"));
        EXPECT_EQ(cell(0, 4), QStringLiteral("0"));
    });
    EXPECT_EQ(col(QStringLiteral("不限里程"), QStringLiteral("Limit")).toLongLong(), 0);
    EXPECT_FALSE(col(QStringLiteral("不限里程"), QStringLiteral("Limit")).isNull());
    EXPECT_EQ(col(QStringLiteral("不限里程"), QStringLiteral("AdditionalPrice")).toLongLong(), 0);
    EXPECT_FALSE(col(QStringLiteral("不限里程"), QStringLiteral("AdditionalPrice")).isNull());
}

TEST_F(PriceTest, ChecksRunInOrderAndWriteNothing)
{
    inRegister([&] {
        inDialog(P()->BtnNewPrice, [&] {
            frmNewPrice->SetRadioGroup1ItemIndex(-1);
            auto ok = [&](const QString& expected) {
                const size_t before = messages.size();
                click(D()->BitBtn1);
                ASSERT_EQ(messages.size(), before + 1);
                EXPECT_EQ(messages.back().text, expected);
                EXPECT_EQ(messages.back().caption, QStringLiteral("Quorvane"));
                EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
                EXPECT_EQ(messages.back().buttons, Dlg::Buttons::OK);
                EXPECT_TRUE(frmNewPrice->isVisible());
            };
            type(D()->EdtPriceName, QStringLiteral("   "));
            ok(NameMissing);
            EXPECT_EQ(QApplication::focusWidget(), D()->EdtPriceName);
            clearAndType(D()->EdtPriceName, QStringLiteral("半日"));
            ok(UnitMissing);
            choose(D()->RbHour);
            ok(PriceMissing);
            EXPECT_EQ(QApplication::focusWidget(), D()->EdtBasicPrice);

            // What the key filter lets through but is not a number.
            type(D()->EdtBasicPrice, QStringLiteral("."));
            ok(PriceInvalid);
            EXPECT_EQ(QApplication::focusWidget(), D()->EdtBasicPrice);
            D()->EdtBasicPrice->setText(QStringLiteral("-5"));        // pasted
            ok(PriceInvalid);
            D()->EdtBasicPrice->setText(QStringLiteral("999999999999999"));
            ok(PriceInvalid);
            clearAndType(D()->EdtBasicPrice, QStringLiteral("80"));

            type(D()->EdtLimit, QStringLiteral("1.5"));
            ok(LimitInvalid);
            EXPECT_EQ(QApplication::focusWidget(), D()->EdtLimit);
            clearAndType(D()->EdtLimit, QStringLiteral("."));
            ok(LimitInvalid);
            clearAndType(D()->EdtLimit, QStringLiteral("99999999999"));
            ok(LimitInvalid);
            clearAndType(D()->EdtLimit, QStringLiteral("50"));

            type(D()->EdtAdditionalPrice, QStringLiteral("."));
            ok(AdditionalInvalid);
            EXPECT_EQ(QApplication::focusWidget(), D()->EdtAdditionalPrice);
            EXPECT_EQ(count(), 0);
            EXPECT_EQ(frmPrice->ADOQry->recordCount(), 0);

            clearAndType(D()->EdtAdditionalPrice, QStringLiteral("1."));
            click(D()->BitBtn1);
            EXPECT_FALSE(frmNewPrice->isVisible());
        });
        EXPECT_EQ(frmPrice->ADOQry->recordCount(), 1);
    });
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(col(QStringLiteral("半日"), QStringLiteral("AdditionalPrice")).toLongLong(), 10000);

    // A cancelled dialog writes nothing.
    inRegister([&] {
        inDialog(P()->BtnNewPrice, [&] {
            fill({QStringLiteral("取消的"), 0, QStringLiteral("1"), QString(), QString()});
            click(D()->BitBtn2);
        });
        select(QStringLiteral("半日"));
        inDialog(P()->BtnEdtPrice, [&] {
            fill({QStringLiteral("改名取消"), 1, QStringLiteral("2"), QString(), QString()});
            click(D()->BitBtn2);
        });
    });
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(col(QStringLiteral("半日"), QStringLiteral("BasicPrice")).toLongLong(), 800000);
}

TEST_F(PriceTest, TakenNamesAreRefusedIgnoringLetterCase)
{
    insert(QStringLiteral("Day Plan"), 0, 1500000, 200, 5000);
    insert(QStringLiteral("Week"), 1, 9000000, 1000, 4000);
    inRegister([&] {
        // Adding a taken name, in any letter case.
        EXPECT_FALSE(add({QStringLiteral("day PLAN"), 0, QStringLiteral("1"), QString(), QString()}));
        EXPECT_EQ(lastMessage(), NameTaken);
        EXPECT_EQ(count(), 2);

        // Renaming onto a taken name: refused, nothing changed.
        select(QStringLiteral("Week"));
        inDialog(P()->BtnEdtPrice, [&] {
            clearAndType(D()->EdtPriceName, QStringLiteral("DAY PLAN"));
            clearAndType(D()->EdtBasicPrice, QStringLiteral("1"));
            click(D()->BitBtn1);
            EXPECT_EQ(lastMessage(), NameTaken);
            EXPECT_EQ(QApplication::focusWidget(), D()->EdtPriceName);
            EXPECT_TRUE(frmNewPrice->isVisible());
        });
        EXPECT_EQ(col(QStringLiteral("Week"), QStringLiteral("BasicPrice")).toLongLong(), 9000000);
        EXPECT_EQ(col(QStringLiteral("Day Plan"), QStringLiteral("BasicPrice")).toLongLong(), 1500000);
        EXPECT_EQ(col(QStringLiteral("Day Plan"), QStringLiteral("LeasoType")).toLongLong(), 0);

        // Keeping the name passes; a change of letter case only is the same scheme.
        messages.clear();
        select(QStringLiteral("Week"));
        inDialog(P()->BtnEdtPrice, [&] { clearAndType(D()->EdtBasicPrice, QStringLiteral("95")); click(D()->BitBtn1); });
        select(QStringLiteral("Week"));
        inDialog(P()->BtnEdtPrice, [&] { clearAndType(D()->EdtPriceName, QStringLiteral("WEEK")); click(D()->BitBtn1); });
        EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();

        // The scheme edited last is taken like any other.
        EXPECT_FALSE(add({QStringLiteral("week"), 1, QStringLiteral("1"), QString(), QString()}));
        EXPECT_EQ(lastMessage(), NameTaken);
    });
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(scalar(QStringLiteral("Select PriceName from PriceList where BasicPrice=950000")).toString(), QStringLiteral("WEEK"));
}

TEST_F(PriceTest, LongNamesAreStoredWholeAndOddUnitCodesShowNoUnit)
{
    const QString longName = QString(QStringLiteral("超长的租赁方案名称")).repeated(8);   // 72 characters, 216 bytes
    insert(QStringLiteral("odd"), 7, 10000, QVariant(), QVariant());
    insert(QStringLiteral("none"), QVariant(), 10000, QVariant(), QVariant());
    inRegister([&] {
        EXPECT_TRUE(add({longName, 1, QStringLiteral("88.8"), QStringLiteral("0"), QStringLiteral("0")}));
        EXPECT_EQ(cell(2, 0), longName);
        EXPECT_EQ(cell(0, 1), QString());
        EXPECT_EQ(cell(1, 1), QString());

        // A row without a known unit opens with none chosen, so OK asks for one.
        select(QStringLiteral("odd"));
        inDialog(P()->BtnEdtPrice, [&] {
            EXPECT_EQ(frmNewPrice->RadioGroup1ItemIndex(), -1);
            EXPECT_FALSE(D()->RbDay->isChecked() || D()->RbMonth->isChecked() || D()->RbHour->isChecked());
            click(D()->BitBtn1);
            EXPECT_EQ(lastMessage(), UnitMissing);
        });
    });
    EXPECT_EQ(scalar(QStringLiteral("Select PriceName from PriceList where LeasoType=1")).toString(), longName);
    EXPECT_EQ(col(QStringLiteral("odd"), QStringLiteral("LeasoType")).toLongLong(), 7);
}

TEST_F(PriceTest, MoneyEditsFilterKeysAndEnterNeverSaves)
{
    inRegister([&] {
        inDialog(P()->BtnNewPrice, [&] {
            for (QLineEdit* e : {D()->EdtBasicPrice, D()->EdtLimit, D()->EdtAdditionalPrice}) {
                clearAndType(e, QStringLiteral("a1 b.2.-3x,"));
                EXPECT_EQ(e->text(), QStringLiteral("1.23")) << e->objectName().toStdString();
                QTest::keyClick(e, Qt::Key_Backspace);
                EXPECT_EQ(e->text(), QStringLiteral("1.2"));
            }
            D()->EdtLimit->clear();
            // The name takes any text.
            type(D()->EdtPriceName, QStringLiteral("夜间 A-1.5"));
            EXPECT_EQ(D()->EdtPriceName->text(), QStringLiteral("夜间 A-1.5"));
            choose(D()->RbDay);
            // Every check would pass, yet Enter in any edit leaves the dialog open.
            for (QLineEdit* e : {D()->EdtPriceName, D()->EdtBasicPrice, D()->EdtLimit, D()->EdtAdditionalPrice}) {
                e->setFocus();
                QTest::keyClick(e, Qt::Key_Return);
                QTest::keyClick(e, Qt::Key_Enter);
                EXPECT_TRUE(frmNewPrice->isVisible()) << e->objectName().toStdString();
            }
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(count(), 0);
            click(D()->BitBtn1);
        });
    });
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(col(QStringLiteral("夜间 A-1.5"), QStringLiteral("BasicPrice")).toLongLong(), 12000);
}

TEST_F(PriceTest, EditAndDeleteOnAnEmptyListDoNothing)
{
    inRegister([&] {
        click(P()->BtnEdtPrice);
        click(P()->BtnDelPrice);
        EXPECT_FALSE(frmNewPrice->isVisible());
    });
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(count(), 0);
}

TEST_F(PriceTest, ListIsReadAgainOnEveryShowing)
{
    inRegister([&] { EXPECT_EQ(frmPrice->ADOQry->recordCount(), 0); });
    insert(QStringLiteral("后加"), 2, 25000, 10, 1000);
    inRegister([&] {
        ASSERT_EQ(frmPrice->ADOQry->recordCount(), 1);
        EXPECT_EQ(cell(0, 0), QStringLiteral("后加"));
        EXPECT_EQ(cell(0, 1), QStringLiteral("按小时"));
        EXPECT_EQ(cell(0, 2), QStringLiteral("2.5"));
        EXPECT_EQ(cell(0, 4), QStringLiteral("0.1"));
    });
}

// Platform: an amount too large for the currency store is an error, not a wrapped value.
TEST(ConvertTest, StrToCurrRefusesAmountsBeyondTheStore)
{
    EXPECT_EQ(StrToCurr(QStringLiteral("922337203685477.5807")).raw(), INT64_MAX);
    EXPECT_THROW(StrToCurr(QStringLiteral("922337203685477.5808")), EConvertError);
    EXPECT_THROW(StrToCurr(QStringLiteral("999999999999999")), EConvertError);
    EXPECT_EQ(StrToCurr(QStringLiteral("-922337203685477.5807")).raw(), -INT64_MAX);
    EXPECT_EQ(StrToCurr(QStringLiteral("0.00005")).raw(), 1);
}

} // namespace
