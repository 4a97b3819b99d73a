// The customer look-up with its picker, the new-customer button and the
// scheme picker.
#include "ui_UnitLend.h"
#include "ui_UnitNewCust.h"
#include "ui_UnitSelCust.h"
#include "ui_UnitSelectScheme.h"
#include "LendFixture.h"
#include "platform/DBGrid.h"
#include "registers/UnitNewCust.h"

TEST_F(LendFixture, ExactLookUpFillsFromFirstRowAndKeepsWhatWasTyped)
{
    addCust(u"11010X"_s, u"李四"_s, u"139"_s);
    addCust(u"A1"_s, u"王五"_s, u"1"_s, u"6222-1"_s);
    addCust(u"A2"_s, u"王五"_s, u"2"_s, u"6222-2"_s);
    addCust(u"Q'1"_s, u"O'Brien"_s, {}, u"77"_s);
    forbidShown(frmSelCust);
    withDesk([&] {
        // Blanks alone are nothing typed: the notice, and the focus to the number.
        fill({{u()->EdtCustID, u"  "_s}, {u()->EdtCustName, u" "_s}});
        u()->EdtBankCard->setFocus();
        click(u()->BtnQryCust);
        EXPECT_EQ(frmLend->focusWidget(), u()->EdtCustID);
        // Number and name: the number keeps its letter case; blanks in the card
        // do not count as filled in, and stay when the row has no card.
        fill({{u()->EdtCustID, u"11010x"_s}, {u()->EdtCustName, u"李四"_s}, {u()->EdtBankCard, u"  "_s}});
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"11010x"_s}, {u()->EdtTel, u"139"_s}, {u()->EdtBankCard, u"  "_s}});
        // Several with the same name: the first row, no picker.
        fill({{u()->EdtCustID, {}}, {u()->EdtBankCard, {}}, {u()->EdtCustName, u"王五"_s}});
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"A1"_s}, {u()->EdtTel, u"1"_s}, {u()->EdtBankCard, u"6222-1"_s}});
        // A number with a quote, together with the card.
        fill({{u()->EdtCustName, {}}, {u()->EdtCustID, u"Q'1"_s}, {u()->EdtBankCard, u"77"_s}});
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustName, u"O'Brien"_s}, {u()->EdtTel, {}}});
        // Not found at all: the notice, and the edits as typed.
        fill({{u()->EdtCustID, u"999"_s}, {u()->EdtCustName, u"赵六"_s}});
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"999"_s}, {u()->EdtCustName, u"赵六"_s}, {u()->EdtBankCard, u"77"_s}});
    });
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, u"请输入老客户的证件号、名称或银行卡号之一进行查询！\n\r（支持模糊查询）"_s);
    EXPECT_EQ(messages[1].text, u"系统中没有此客户信息，客户为新客户！\r请点击“新客户建档”按钮建立客户资料。"_s);
    for (const auto& m : messages) EXPECT_TRUE(m.icon == Dlg::Icon::Information && m.caption == u"Quorvane"_s);
}

TEST_F(LendFixture, SubstringLookUpOpensPickerAndTakesWildcardsAndQuotesLiterally)
{
    addCust(u"310101"_s, u"张三丰"_s, u"021-1"_s, u"6222 01"_s);
    addCust(u"310102"_s, u"张三"_s);
    addCust(u"310103"_s, u"李四"_s, u"021-3"_s, u"6222 03"_s);
    for (const auto& [id, name] : {std::pair{"P1", "A%B 公司"}, {"P2", "AxB 公司"}, {"P_3", "O'Brien & Co"}, {"PX4", "Smith"}})
        addCust(QString::fromUtf8(id), QString::fromUtf8(name));
    withDesk([&] {
        fill({{u()->EdtCustName, u"三"_s}, {u()->EdtBankCard, u"  "_s}});
        whenShown(frmSelCust, [&] {
            ASSERT_EQ(frmLend->ADOQry2->recordCount(), 2);
            ASSERT_TRUE(frmLend->ADOQry2->locate(u"CustID"_s, u"310102"_s));
            TDBGrid* g = frmSelCust->ui->DBGrid1;
            const QPoint p = g->visualRect(g->model()->index(frmLend->ADOQry2->recNo(), 0)).center();
            frmLend->ADOQry2->first();
            QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, p);
            QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, p);
            if (frmSelCust->isVisible()) { ADD_FAILURE() << "double-click did not close the picker"; frmSelCust->reject(); }
        });
        click(u()->BtnQryCust);
        // The picked row fills all four edits, an absent card as empty.
        expectTexts({{u()->EdtCustID, u"310102"_s}, {u()->EdtCustName, u"张三"_s}, {u()->EdtTel, {}}, {u()->EdtBankCard, {}}});

        // One match still opens the picker; closing it takes the row under the cursor.
        fill({{u()->EdtCustID, {}}, {u()->EdtCustName, {}}, {u()->EdtBankCard, u"22 03"_s}});
        whenShown(frmSelCust, [&] {
            EXPECT_EQ(frmLend->ADOQry2->recordCount(), 1);
            frmSelCust->close();
        });
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"310103"_s}, {u()->EdtCustName, u"李四"_s}, {u()->EdtTel, u"021-3"_s},
                     {u()->EdtBankCard, u"6222 03"_s}});

        // % _ and quotes are plain characters, in a name and in a number.
        const QList<std::tuple<QString, QString, QString>> cases = {
            {{}, u"%"_s, u"P1"_s}, {{}, u"'Bri"_s, u"P_3"_s}, {{}, u"a%b"_s, u"P1"_s}, {u"_"_s, {}, u"P_3"_s}};
        for (const auto& [number, name, ids] : cases) {
            fill({{u()->EdtCustID, number}, {u()->EdtCustName, name}, {u()->EdtBankCard, {}}});
            QStringList seen;
            whenShown(frmSelCust, [&] {
                for (int r = 0; r < frmLend->ADOQry2->recordCount(); ++r)
                    seen << frmLend->ADOQry2->textAt(r, frmLend->ADOQry2->fieldIndex(u"CustID"_s));
                frmSelCust->reject();
            });
            click(u()->BtnQryCust);
            EXPECT_EQ(seen.join(' '), ids) << (number + name).toStdString();
        }
    });
    EXPECT_TRUE(messages.empty());
}

TEST_F(LendFixture, NewCustomerButtonCopiesTheDialogsEditsOnlyOnOK)
{
    withDesk([&] {
        fill({{u()->EdtBankCard, u"6222"_s}});
        for (bool ok : {true, false}) {
            whenShown(frmNewCust, [&] {
                frmNewCust->ui->EdtCustID->setText(ok ? u"N'1"_s : u"X"_s);
                frmNewCust->ui->EdtCustName->setText(u"O'Neil"_s);
                frmNewCust->ui->EdtTel->setText(u"010-1"_s);
                ok ? frmNewCust->accept() : frmNewCust->reject();
            });
            click(u()->BtnNewCust);
            expectTexts({{u()->EdtCustID, u"N'1"_s}, {u()->EdtCustName, u"O'Neil"_s}, {u()->EdtTel, u"010-1"_s},
                         {u()->EdtBankCard, u"6222"_s}});
        }
    });
}

TEST_F(LendFixture, SchemePickerReadsSchemesAfreshAndItsOKFollowsTheList)
{
    auto* s = frmSelectScheme;
    withDesk([&] {
        // Schemes added while the program runs are there at the next opening.
        addScheme(u"普通"_s, 0, 1000000, 150, 5000);
        addScheme(u"100%_特惠"_s, 1, 123456, 100, 0);
        addScheme(u"怪单位"_s, 7, 10000, 1, 1);
        whenShown(s, [&] {
            ASSERT_EQ(s->ADOTable1->recordCount(), 3);
            type(s->ui->EdtName, u"zzz"_s);
            EXPECT_FALSE(s->ui->BtnOK->isEnabled());
            clearAndType(s->ui->EdtName, u"%_"_s);
            EXPECT_EQ(s->ADOTable1->recordCount(), 1);
            QTest::keyClick(s->ui->EdtName, Qt::Key_Return);   // Enter presses OK here
        });
        click(u()->BtnScheme);
        expectTexts({{u()->EdtScheme, u"100%_特惠"_s}, {u()->EdtPrice, u"12.3456"_s}, {u()->EdtLimit, u"100"_s},
                     {u()->EdtAdditionalPrice, u"0"_s}});
        EXPECT_EQ(u()->CmbType->currentText(), u"包月"_s);

        // The filter stays; an unknown unit shows no unit text and leaves the unit as it was.
        whenShown(s, [&] {
            EXPECT_EQ(s->ui->EdtName->text(), u"%_"_s);
            s->ui->EdtName->clear();
            ASSERT_TRUE(s->ADOTable1->locate(u"PriceName"_s, u"怪单位"_s));
            EXPECT_TRUE(s->ADOTable1->fieldByName(u"LeasoTypeStr"_s).asString().isEmpty());
            click(s->ui->BtnOK);
        });
        click(u()->BtnScheme);
        EXPECT_EQ(u()->CmbType->currentText(), u"包月"_s);

        // Removed schemes are gone at the next opening, and OK goes off with them; cancelling changes nothing.
        exec(u"DELETE FROM PriceList"_s);
        whenShown(s, [&] {
            EXPECT_FALSE(s->ui->BtnOK->isEnabled());
            click(s->ui->BtnCancel);
        });
        click(u()->BtnScheme);
        expectTexts({{u()->EdtScheme, u"怪单位"_s}, {u()->EdtPrice, u"1"_s}});
    });
}
