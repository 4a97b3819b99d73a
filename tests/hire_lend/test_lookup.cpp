// The customer look-up with its picker, the new-customer button and the
// scheme picker.
#include "ui_UnitLend.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitPrint.h"
#include "ui_UnitSelCust.h"
#include "ui_UnitSelectScheme.h"
#include "LendFixture.h"

namespace {

void doubleClickRow(TDBGrid* g, int row)
{
    const QRect r = g->visualRect(g->model()->index(row, 0));
    ASSERT_TRUE(r.isValid());
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

TEST_F(LendFixture, LookUpNeedsOneFieldFilledIn)
{
    withDesk([&] {
        type(u()->EdtCustID, QStringLiteral("  "));
        type(u()->EdtCustName, QStringLiteral(" "));
        u()->EdtBankCard->setFocus();
        click(u()->BtnQryCust);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("请输入老客户的证件号、名称或银行卡号之一进行查询！\n\r（支持模糊查询）"));
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
        EXPECT_EQ(frmLend->focusWidget(), u()->EdtCustID);
    });
}

TEST_F(LendFixture, ExactLookUpFillsFromFirstRowAndKeepsWhatWasTyped)
{
    addCust(QStringLiteral("11010X"), QStringLiteral("李四"), QStringLiteral("139"), QVariant());
    addCust(QStringLiteral("A1"), QStringLiteral("王五"), QStringLiteral("1"), QStringLiteral("6222-1"));
    addCust(QStringLiteral("A2"), QStringLiteral("王五"), QStringLiteral("2"), QStringLiteral("6222-2"));
    addCust(QStringLiteral("Q'1"), QStringLiteral("O'Brien"), QVariant(), QStringLiteral("77"));
    forbidShown(frmSelCust);
    withDesk([&] {
        // Number and name both typed; the number keeps its letter case.
        type(u()->EdtCustID, QStringLiteral("11010x"));
        type(u()->EdtCustName, QStringLiteral("李四"));
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("11010x"));
        EXPECT_EQ(u()->EdtCustName->text(), QStringLiteral("李四"));
        EXPECT_EQ(u()->EdtTel->text(), QStringLiteral("139"));
        EXPECT_TRUE(u()->EdtBankCard->text().isEmpty());
        EXPECT_FALSE(frmLend->ADOQry2->active());

        // Several with the same name: the first row, no picker.
        u()->EdtCustID->clear();
        clearAndType(u()->EdtCustName, QStringLiteral("王五"));
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("A1"));
        EXPECT_EQ(u()->EdtTel->text(), QStringLiteral("1"));
        EXPECT_EQ(u()->EdtBankCard->text(), QStringLiteral("6222-1"));

        // A document number with a quote, by bank card and number together.
        u()->EdtCustName->clear();
        clearAndType(u()->EdtCustID, QStringLiteral("Q'1"));
        clearAndType(u()->EdtBankCard, QStringLiteral("77"));
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustName->text(), QStringLiteral("O'Brien"));
        EXPECT_TRUE(u()->EdtTel->text().isEmpty());
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(LendFixture, SubstringLookUpOpensPickerAndFillsFromPickedRow)
{
    addCust(QStringLiteral("310101"), QStringLiteral("张三丰"), QStringLiteral("021-1"), QStringLiteral("6222 01"));
    addCust(QStringLiteral("310102"), QStringLiteral("张三"), QVariant(), QVariant());
    addCust(QStringLiteral("310103"), QStringLiteral("李四"), QStringLiteral("021-3"), QStringLiteral("6222 03"));
    addCar(QStringLiteral("京A1"), 8000);
    withDesk([&] {
        type(u()->EdtCustName, QStringLiteral("三"));
        whenShown(frmSelCust, [&] {
            EXPECT_EQ(frmSelCust->windowTitle(), QStringLiteral("双击选择客户："));
            ASSERT_EQ(frmLend->ADOQry2->recordCount(), 2);
            EXPECT_EQ(frmSelCust->ui->DBGrid1->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("证件号"));
            const int row = frmLend->ADOQry2->locate(QStringLiteral("CustID"), QStringLiteral("310102")) ? frmLend->ADOQry2->recNo() : 0;
            frmLend->ADOQry2->first();
            doubleClickRow(frmSelCust->ui->DBGrid1, row);
            if (frmSelCust->isVisible()) { ADD_FAILURE() << "double-click did not close the picker"; frmSelCust->reject(); }
        });
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("310102"));
        EXPECT_EQ(u()->EdtCustName->text(), QStringLiteral("张三"));
        EXPECT_TRUE(u()->EdtTel->text().isEmpty());
        EXPECT_TRUE(u()->EdtBankCard->text().isEmpty());
        EXPECT_FALSE(frmLend->ADOQry2->active());

        // One match still opens the picker; closing it takes the row under the cursor.
        u()->EdtCustID->clear();
        u()->EdtCustName->clear();
        type(u()->EdtBankCard, QStringLiteral("22 03"));
        whenShown(frmSelCust, [&] {
            EXPECT_EQ(frmLend->ADOQry2->recordCount(), 1);
            frmSelCust->close();
        });
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("310103"));
        EXPECT_EQ(u()->EdtCustName->text(), QStringLiteral("李四"));
        EXPECT_EQ(u()->EdtTel->text(), QStringLiteral("021-3"));
        EXPECT_EQ(u()->EdtBankCard->text(), QStringLiteral("6222 03"));

        // The hire then goes through with the picked customer.
        fillHire(u()->EdtCustID->text(), u()->EdtCustName->text());
        click(u()->BtnLend);
    });
    EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("车辆已借出！")}));
    EXPECT_EQ(leaso("CustID").toString(), QStringLiteral("310103"));
}

TEST_F(LendFixture, SubstringLookUpTakesWildcardsAndQuotesLiterally)
{
    addCust(QStringLiteral("P1"), QStringLiteral("A%B 公司"));
    addCust(QStringLiteral("P2"), QStringLiteral("AxB 公司"));
    addCust(QStringLiteral("P_3"), QStringLiteral("O'Brien & Co"));
    addCust(QStringLiteral("PX4"), QStringLiteral("Smith"));
    withDesk([&] {
        auto lookUpName = [&](const QString& text, const QStringList& expectIDs) {
            u()->EdtCustID->clear();
            clearAndType(u()->EdtCustName, text);
            QStringList seen;
            whenShown(frmSelCust, [&] {
                for (int r = 0; r < frmLend->ADOQry2->recordCount(); ++r)
                    seen << frmLend->ADOQry2->textAt(r, frmLend->ADOQry2->fieldIndex(QStringLiteral("CustID")));
                frmSelCust->reject();
            });
            click(u()->BtnQryCust);
            EXPECT_EQ(seen, expectIDs) << text.toStdString();
        };
        lookUpName(QStringLiteral("%"), {QStringLiteral("P1")});
        lookUpName(QStringLiteral("'Bri"), {QStringLiteral("P_3")});
        lookUpName(QStringLiteral("a%b"), {QStringLiteral("P1")});

        // An underscore in a document number is a character, not any character.
        u()->EdtCustName->clear();
        clearAndType(u()->EdtCustID, QStringLiteral("_"));
        QStringList seen;
        whenShown(frmSelCust, [&] {
            seen << frmLend->ADOQry2->fieldByName(QStringLiteral("CustID")).asString();
            seen << QString::number(frmLend->ADOQry2->recordCount());
            frmSelCust->reject();
        });
        click(u()->BtnQryCust);
        EXPECT_EQ(seen, QStringList({QStringLiteral("P_3"), QStringLiteral("1")}));
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(LendFixture, UnknownCustomerPointsToNewCustomerButton)
{
    addCust(QStringLiteral("P1"), QStringLiteral("张三"));
    forbidShown(frmSelCust);
    withDesk([&] {
        type(u()->EdtCustID, QStringLiteral("999"));
        type(u()->EdtCustName, QStringLiteral("赵六"));
        click(u()->BtnQryCust);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QStringLiteral("系统中没有此客户信息，客户为新客户！\r请点击“新客户建档”按钮建立客户资料。"));
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("999"));
        EXPECT_EQ(u()->EdtCustName->text(), QStringLiteral("赵六"));
    });
}

TEST_F(LendFixture, NewCustomerButtonCopiesTheDialogsEditsOnlyOnOK)
{
    withDesk([&] {
        type(u()->EdtBankCard, QStringLiteral("6222"));
        whenShown(frmNewCust, [&] {
            frmNewCust->ui->EdtCustID->setText(QStringLiteral("N'1"));
            frmNewCust->ui->EdtCustName->setText(QStringLiteral("O'Neil"));
            frmNewCust->ui->EdtTel->setText(QStringLiteral("010-1"));
            frmNewCust->accept();
        });
        click(u()->BtnNewCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("N'1"));
        EXPECT_EQ(u()->EdtCustName->text(), QStringLiteral("O'Neil"));
        EXPECT_EQ(u()->EdtTel->text(), QStringLiteral("010-1"));
        EXPECT_EQ(u()->EdtBankCard->text(), QStringLiteral("6222"));

        whenShown(frmNewCust, [&] {
            frmNewCust->ui->EdtCustID->setText(QStringLiteral("X"));
            frmNewCust->reject();
        });
        click(u()->BtnNewCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("N'1"));
    });
}

TEST_F(LendFixture, SchemePickerReadsSchemesAfreshAndItsOKFollowsTheList)
{
    withDesk([&] {
        // Nothing to pick: OK is off; cancelling changes nothing.
        type(u()->EdtPrice, QStringLiteral("99"));
        whenShown(frmSelectScheme, [&] {
            EXPECT_FALSE(frmSelectScheme->ui->BtnOK->isEnabled());
            click(frmSelectScheme->ui->BtnCancel);
        });
        click(u()->BtnScheme);
        EXPECT_EQ(u()->EdtPrice->text(), QStringLiteral("99"));

        // Schemes added while the program runs are there at the next opening.
        addScheme(QStringLiteral("普通"), 0, 1000000, 150, 5000);
        addScheme(QStringLiteral("100%_特惠"), 1, 123456, 100, 0);
        addScheme(QStringLiteral("怪单位"), 7, 10000, 1, 1);
        whenShown(frmSelectScheme, [&] {
            auto* s = frmSelectScheme;
            EXPECT_TRUE(s->ui->BtnOK->isEnabled());
            ASSERT_EQ(s->ADOTable1->recordCount(), 3);
            EXPECT_EQ(s->ADOTable1->textAt(0, s->ADOTable1->fieldIndex(QStringLiteral("PriceName"))), QStringLiteral("100%_特惠"));
            type(s->ui->EdtName, QStringLiteral("zzz"));
            EXPECT_EQ(s->ADOTable1->recordCount(), 0);
            EXPECT_FALSE(s->ui->BtnOK->isEnabled());
            clearAndType(s->ui->EdtName, QStringLiteral("%_"));
            EXPECT_EQ(s->ADOTable1->recordCount(), 1);
            EXPECT_TRUE(s->ui->BtnOK->isEnabled());
            // Enter presses OK here.
            QTest::keyClick(s->ui->EdtName, Qt::Key_Return);
        });
        click(u()->BtnScheme);
        EXPECT_EQ(u()->EdtScheme->text(), QStringLiteral("100%_特惠"));
        EXPECT_EQ(u()->EdtPrice->text(), QStringLiteral("12.3456"));
        EXPECT_EQ(u()->EdtLimit->text(), QStringLiteral("100"));
        EXPECT_EQ(u()->EdtAdditionalPrice->text(), QStringLiteral("0"));
        EXPECT_EQ(u()->CmbType->currentText(), QStringLiteral("包月"));

        // The filter stays; an unknown unit shows no unit text and leaves the unit as it was.
        whenShown(frmSelectScheme, [&] {
            auto* s = frmSelectScheme;
            EXPECT_EQ(s->ui->EdtName->text(), QStringLiteral("%_"));
            s->ui->EdtName->clear();
            EXPECT_EQ(s->ADOTable1->recordCount(), 3);
            ASSERT_TRUE(s->ADOTable1->locate(QStringLiteral("PriceName"), QStringLiteral("怪单位")));
            EXPECT_TRUE(s->ADOTable1->fieldByName(QStringLiteral("LeasoTypeStr")).asString().isEmpty());
            EXPECT_EQ(s->ui->DBGrid1->selectedText(1), QString());
            click(s->ui->BtnOK);
        });
        click(u()->BtnScheme);
        EXPECT_EQ(frmSelectScheme->SchemeLeasoType, 7);
        EXPECT_EQ(u()->EdtScheme->text(), QStringLiteral("怪单位"));
        EXPECT_EQ(u()->CmbType->currentText(), QStringLiteral("包月"));
        EXPECT_EQ(u()->lblPrice->text(), QStringLiteral("每月租金(元)："));

        // Removed schemes are gone at the next opening, and OK goes off with them.
        exec(QStringLiteral("DELETE FROM PriceList"));
        whenShown(frmSelectScheme, [&] {
            EXPECT_EQ(frmSelectScheme->ADOTable1->recordCount(), 0);
            EXPECT_FALSE(frmSelectScheme->ui->BtnOK->isEnabled());
            frmSelectScheme->reject();
        });
        click(u()->BtnScheme);
        EXPECT_EQ(u()->EdtScheme->text(), QStringLiteral("怪单位"));
    });
}

TEST_F(LendFixture, BankCardIsKeptOrReplacedAsTypedNotAsTrimmed)
{
    addCust(QStringLiteral("K1"), QStringLiteral("赵六"), QStringLiteral("1"), QVariant());
    addCust(QStringLiteral("K2"), QStringLiteral("赵六六"), QStringLiteral("2"), QVariant());
    withDesk([&] {
        // Blanks in the card do not count as filled in; a row taken from the
        // picker fills all four edits, an absent card as empty.
        type(u()->EdtBankCard, QStringLiteral("  "));
        type(u()->EdtCustName, QStringLiteral("六六"));
        whenShown(frmSelCust, [&] {
            EXPECT_EQ(frmLend->ADOQry2->recordCount(), 1);
            frmSelCust->reject();
        });
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("K2"));
        EXPECT_EQ(u()->EdtTel->text(), QStringLiteral("2"));
        EXPECT_TRUE(u()->EdtBankCard->text().isEmpty());

        // The blanks are not empty as typed either: an exact hit without a card leaves them.
        u()->EdtCustID->clear();
        type(u()->EdtBankCard, QStringLiteral("  "));
        clearAndType(u()->EdtCustName, QStringLiteral("赵六"));
        forbidShown(frmSelCust);
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustID->text(), QStringLiteral("K1"));
        EXPECT_EQ(u()->EdtTel->text(), QStringLiteral("1"));
        EXPECT_EQ(u()->EdtBankCard->text(), QStringLiteral("  "));
    });
    EXPECT_TRUE(messages.empty());
}
