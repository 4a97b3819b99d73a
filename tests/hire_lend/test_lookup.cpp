// The customer look-up: its notices, the exact match, and the picker with
// wildcards and quotes taken literally.
#include "ui_UnitLend.h"
#include "ui_UnitSelCust.h"
#include "LendFixture.h"

TEST_F(LendFixture, LookUpMatchesExactlyOrThroughThePickerAndTakesWildcardsLiterally)
{
    addCust(u"310103"_s, u"李四"_s, u"021-3"_s, u"6222 03"_s);
    for (const auto& [id, name] : {std::pair{"P1", "A%B 公司"}, {"P2", "AxB 公司"}, {"P_3", "O'Brien & Co"}, {"PX4", "Smith"}})
        addCust(QString::fromUtf8(id), QString::fromUtf8(name));
    withDesk([&] {
        QTimer* noPicker = forbidShown(frmSelCust);
        fill({{u()->EdtCustID, u"  "_s}});
        click(u()->BtnQryCust);
        // Blanks in the card do not count: the number alone matches exactly.
        fill({{u()->EdtCustID, u"P_3"_s}, {u()->EdtBankCard, u"  "_s}});
        click(u()->BtnQryCust);
        EXPECT_EQ(u()->EdtCustName->text(), u"O'Brien & Co"_s);
        // Not found at all: the notice, and the edits as typed.
        fill({{u()->EdtCustName, {}}, {u()->EdtBankCard, u"99"_s}});
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"P_3"_s}, {u()->EdtBankCard, u"99"_s}});
        delete noPicker;

        // One match still opens the picker; closing it takes the row under the cursor.
        fill({{u()->EdtCustID, {}}, {u()->EdtBankCard, u"22 03"_s}});
        whenShown(frmSelCust, [&] { frmSelCust->close(); });
        click(u()->BtnQryCust);
        expectTexts({{u()->EdtCustID, u"310103"_s}, {u()->EdtCustName, u"李四"_s}, {u()->EdtTel, u"021-3"_s}});

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
    EXPECT_EQ(messageTexts(), QStringList({u"请输入老客户的证件号、名称或银行卡号之一进行查询！\n\r（支持模糊查询）"_s,
                                           u"系统中没有此客户信息，客户为新客户！\r请点击“新客户建档”按钮建立客户资料。"_s}));
}
