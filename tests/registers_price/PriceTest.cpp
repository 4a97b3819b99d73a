// The hire-scheme register and its dialog, driven through the real windows.
#include "support/AppFixture.h"
#include "support/WindowProbes.h"
#include "app/UnitMain.h"
#include "platform/Errors.h"
#include "registers/UnitNewPrice.h"
#include "registers/UnitPrice.h"
#include "ui_UnitNewPrice.h"
#include "ui_UnitPrice.h"

namespace {

struct Scheme { QString name; int unit; QString price, limit = {}, additional = {}; };   // unit: 0 day, 1 month, 2 hour

class PriceTest : public AppFixture {
protected:
    Ui::TfrmPrice* P() { return frmPrice->ui.get(); }
    Ui::TfrmNewPrice* D() { return frmNewPrice->ui.get(); }

    void inRegister(const std::function<void()>& fn) { inWindow(frmPrice, &TfrmMain::ToolButton10Click, fn); }
    // Fills the dialog btn opens, typed through the key filters or pasted past
    // them, and clicks OK; one left open is cancelled. True when OK closed it.
    bool save(QAbstractButton* btn, const Scheme& s, bool paste = false)
    {
        bool closed = false;
        whenShown(frmNewPrice, [&] {
            clearAndType(D()->EdtPriceName, s.name);
            frmNewPrice->SetRadioGroup1ItemIndex(s.unit);
            const std::pair<QLineEdit*, QString> boxes[] = {
                {D()->EdtBasicPrice, s.price}, {D()->EdtLimit, s.limit}, {D()->EdtAdditionalPrice, s.additional}};
            for (const auto& [e, text] : boxes) paste ? e->setText(text) : clearAndType(e, text);
            click(D()->BitBtn1);
            closed = !frmNewPrice->isVisible();
            if (!closed) click(D()->BitBtn2);
        });
        click(btn);
        return closed;
    }
    bool add(const Scheme& s, bool paste = false) { return save(P()->BtnNewPrice, s, paste); }
    bool edit(const QString& name, const Scheme& s) { select(name); return save(P()->BtnEdtPrice, s); }
    void select(const QString& name) { ASSERT_TRUE(frmPrice->ADOQry->locate("PriceName", name)) << name.toStdString(); }
    // The stored rows: name, unit code, raw amounts (1/10000 yuan) and allowance.
    QString stored() { return RowsText(db(), "PriceList", {"PriceName", "LeasoType", "BasicPrice", "[Limit]", "AdditionalPrice"}); }
};

// Amounts are stored to the ten-thousandth; empty extras are NULL on an add and
// 0 on an edit. Names compare ignoring letter case, but a scheme may keep its
// own name in another case.
TEST_F(PriceTest, AddEditAndDeleteAQuotedNameWithExactAmountsUnlessDeletedMeanwhile)
{
    const QString name = "O'Brien's 50% plan -- 周末", renamed = "O'Brien's 100% plan";
    inRegister([&] {
        EXPECT_TRUE(add({name, 0, "0.1", "120", "2.5"}));
        EXPECT_TRUE(add({"Month", 1, "3000"}));
        EXPECT_FALSE(add({"month", 0, "1"}));
        EXPECT_FALSE(edit(name, {"MONTH", 1, "1"}));   // renamed onto it
    });
    EXPECT_EQ(messageTexts(), QStringList(2, "同名租赁方式已经存在，请重新输入！"));
    EXPECT_EQ(stored(), name + "|0|1000|120|25000/Month|1|30000000|NULL|NULL");
    inRegister([&] {
        EXPECT_TRUE(edit(name, {renamed, 2, "35.25"}));
        EXPECT_TRUE(edit("Month", {"MONTH", 1, "95"}));
    });
    EXPECT_EQ(stored(), renamed + "|2|352500|0|0/MONTH|1|950000|0|0");

    messages.clear();
    answers = {Dlg::IdNo, Dlg::IdYes};
    inRegister([&] {
        select(renamed);
        click(P()->BtnDelPrice);
        EXPECT_EQ(scalar("Select count(*) from PriceList").toInt(), 2);
        click(P()->BtnDelPrice);
        EXPECT_EQ(frmPrice->ADOQry->recordCount(), 1);
    });
    EXPECT_EQ(messageTexts(), QStringList(2, "确定要删除本项信息吗？"));
    EXPECT_EQ(stored(), "MONTH|1|950000|0|0");

    // Deleted meanwhile through a second copy of the program: neither edited
    // nor deleted; the notice shows and the list is read afresh.
    TADOConnection other;
    other.open(dbFile());
    for (bool deleting : {false, true}) {
        SCOPED_TRACE(deleting ? "delete" : "edit");
        messages.clear();
        exec("Insert or replace into PriceList(PriceName,LeasoType,BasicPrice) values ('MONTH', 1, 950000)");
        inRegister([&] {
            select("MONTH");
            other.execute("Delete from PriceList");
            answers = {Dlg::IdYes};
            if (deleting) click(P()->BtnDelPrice);
            else edit("MONTH", {"新周末", 1, "99"});
            EXPECT_EQ(frmPrice->ADOQry->recordCount(), 0) << "the list was not read afresh";
        });
        EXPECT_EQ(lastMessage(), EChangedError().message());
        EXPECT_EQ(stored(), "");
    }
}

// Each refusal keeps the dialog open and writes nothing.
TEST_F(PriceTest, BadInputIsRefusedWithItsNotice)
{
    const struct { Scheme s; QString notice; } cases[] = {
        {{"   ", 0, "80"}, "请输入租赁方式名称！"},
        {{"日租", -1, "80"}, "请选择是按天、包月还是按小时租赁！"},
        {{"日租", 0, ""}, "请输入租赁价格！"},
        {{"日租", 0, "-300"}, "租赁价格不是有效的金额，请重新输入！"},
        {{"日租", 0, "80", "1.5"}, "单位时间内限里程必须是整数公里数，请重新输入！"},
        {{"日租", 0, "80", "50", "."}, "超程基价不是有效的金额，请重新输入！"},
    };
    inRegister([&] {
        for (const auto& c : cases) {
            messages.clear();
            EXPECT_FALSE(add(c.s, true)) << c.notice.toStdString();
            EXPECT_EQ(messageTexts(), QStringList{c.notice});
            if (!messages.empty()) EXPECT_EQ(messages[0].caption, "Quorvane") << c.notice.toStdString();
        }
    });
    EXPECT_EQ(stored(), "");
}

} // namespace
