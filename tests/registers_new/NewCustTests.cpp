// The add-customer dialog: the save with every column, what its callers read
// after OK, the checks and what a save does with photo files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"

class NewCust : public NewRecordTest {
protected:
    // What the hire-out desk copies after OK.
    QString callerReads() { return QStringList({cust()->EdtCustID->text(), cust()->EdtCustName->text(), cust()->EdtTel->text()}).join('|'); }
};

TEST_F(NewCust, StoresEveryColumnAndThePhotoAndCallersReadTheEdits)
{
    EXPECT_EQ(run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("11010519491231002X"));
        type(cust()->EdtCustName, QStringLiteral("O'Brien 奥布莱恩"));
        type(cust()->EdtTel, QStringLiteral("138-0000'0000"));
        type(cust()->EdtAddress, QStringLiteral("北京 100% -- 路"));
        type(cust()->EdtBankCard, QStringLiteral("6222 0200 0000 0000"));
        type(cust()->EdtBankCard_memo, QStringLiteral("工行'卡"));
        typeMemo(cust()->MmMemo, QStringLiteral("VIP; --'"));
        typeCombo(cust()->CmbCardType, QStringLiteral("驾驶证"));
        pickPhoto(cust()->BtnNewCarPath, makePicture(QStringLiteral("face.jpg"), "JPG", QSize(64, 80)));
        click(cust()->BitBtn1);
    }), QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("保存成功！")});
    EXPECT_EQ(callerReads(), QStringLiteral("11010519491231002X|O'Brien 奥布莱恩|138-0000'0000"));
    EXPECT_EQ(columns("Customer", {"CustID", "CardType", "CustName", "Tel", "Address", "Memo", "BankCard", "BankCard_Memo"}),
              QStringLiteral("11010519491231002X|驾驶证|O'Brien 奥布莱恩|138-0000'0000|北京 100% -- 路|VIP; --'|"
                             "6222 0200 0000 0000|工行'卡"));
    EXPECT_EQ(bmpInfo(CustPicDir + QStringLiteral("11010519491231002X.bmp")), "bmp 64x80");
}

// A taken number (in any letter case) still closes with OK, so the hire desk
// can use the customer, but writes nothing and leaves the stored photo; a blank
// name is refused.
TEST_F(NewCust, ATakenNumberClosesWithOkAndWritesNothingAndABlankNameIsRefused)
{
    exec(QStringLiteral("insert into Customer (CustID, CustName, Tel) values ('abc-1', '李四', '1')"));
    makeStalePhoto(CustPicDir, QStringLiteral("abc-1"));
    EXPECT_EQ(run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("ABC-1"));
        type(cust()->EdtCustName, QStringLiteral(" "));
        type(cust()->EdtTel, QStringLiteral("139"));
        pickPhoto(cust()->BtnNewCarPath, makePicture(QStringLiteral("p.bmp"), "BMP"));
        click(cust()->BitBtn1);
        EXPECT_TRUE(frmNewCust->isVisible());
        clearAndType(cust()->EdtCustName, QStringLiteral("王五"));
        click(cust()->BitBtn1);
    }), QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("请输入客户名称！"), QStringLiteral("该证件号的客户已经存在！")}));
    EXPECT_EQ(callerReads(), QStringLiteral("ABC-1|王五|139"));
    EXPECT_EQ(columns("Customer", {"CustID", "CustName", "Tel"}), QStringLiteral("abc-1|李四|1"));
    EXPECT_EQ(bmpInfo(CustPicDir + QStringLiteral("abc-1.bmp")), "bmp 5x5");
}
