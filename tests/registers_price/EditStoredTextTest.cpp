// The scheme change over a scheme whose amounts another tool stored as text:
// the dialog opens with the boxes as stored, refuses the text unless it is
// changed, and then saves the scheme's new values.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "app/UnitMain.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"

using namespace Qt::StringLiterals;

TEST_F(AppFixture, ASchemeChangeShowsAmountsStoredAsTextAndRefusesThemUnlessChanged)
{
    exec(u"Insert into PriceList(PriceName,LeasoType,BasicPrice,[Limit],AdditionalPrice) values "
         "('前一项',0,1500000,100,20000),('文字价',1,'abc',200,'约2元')"_s);
    auto* d = frmNewPrice->ui.get();
    QStringList shown;
    inWindow(frmPrice, &TfrmMain::ToolButton10Click, [&] {
        for (const char* name : {"前一项", "文字价"}) {
            ASSERT_TRUE(frmPrice->ADOQry->locate(u"PriceName"_s, QString::fromUtf8(name)));
            whenShown(frmNewPrice, [&] {
                shown << d->EdtBasicPrice->text() + u'|' + d->EdtLimit->text() + u'|' + d->EdtAdditionalPrice->text();
                click(d->BitBtn1);
                if (QString::fromUtf8(name) == u"文字价"_s) {
                    ASSERT_TRUE(frmNewPrice->isVisible()) << "the text price is refused";
                    clearAndType(d->EdtBasicPrice, u"120"_s);
                    click(d->BitBtn1);
                    ASSERT_TRUE(frmNewPrice->isVisible()) << "the text price per km is refused";
                    clearAndType(d->EdtAdditionalPrice, u"2"_s);
                    click(d->BitBtn1);
                }
                if (frmNewPrice->isVisible()) click(d->BitBtn2);
            });
            click(frmPrice->ui->BtnEdtPrice);
        }
    });
    EXPECT_EQ(shown, (QStringList{u"150|100|2"_s, u"abc|200|约2元"_s}));
    EXPECT_EQ(messageTexts(), (QStringList{u"租赁价格不是有效的金额，请重新输入！"_s, u"超程基价不是有效的金额，请重新输入！"_s}));
    EXPECT_EQ(RowsText(db(), u"PriceList"_s, {u"PriceName"_s, u"LeasoType"_s, u"BasicPrice"_s, u"[Limit]"_s, u"AdditionalPrice"_s}),
              u"前一项|0|1500000|100|20000/文字价|1|1200000|200|20000"_s);
    ExpectLastGuardQuiet();
}
