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
// can use the customer, but writes nothing and leaves the stored photo.
TEST_F(NewCust, ATakenNumberClosesWithOkAndWritesNothing)
{
    exec(QStringLiteral("insert into Customer (CustID, CustName, Tel) values ('abc-1', '李四', '1')"));
    makeStalePhoto(CustPicDir, QStringLiteral("abc-1"));
    EXPECT_EQ(run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("ABC-1"));
        type(cust()->EdtCustName, QStringLiteral("王五"));
        type(cust()->EdtTel, QStringLiteral("139"));
        pickPhoto(cust()->BtnNewCarPath, makePicture(QStringLiteral("p.bmp"), "BMP"));
        click(cust()->BitBtn1);
    }), QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("该证件号的客户已经存在！")});
    EXPECT_EQ(callerReads(), QStringLiteral("ABC-1|王五|139"));
    EXPECT_EQ(columns("Customer", {"CustID", "CustName", "Tel"}), QStringLiteral("abc-1|李四|1"));
    EXPECT_EQ(bmpInfo(CustPicDir + QStringLiteral("abc-1.bmp")), "bmp 5x5");
}

TEST_F(NewCust, RefusedChecksSaveNothing)
{
    const QString unfit = QStringLiteral("客户证件号不能含有“/”或“\\”，也不能是“.”或“..”，请重新输入！");
    const struct { QString id, name, notice; QLineEdit* focus; } cases[] = {
        {"  ", QStringLiteral("赵六"), QStringLiteral("请输入客户编号（证件号）！"), cust()->EdtCustID},
        {"D1", " ", QStringLiteral("请输入客户名称！"), cust()->EdtCustName},
        {"../DBPic/x", "N", unfit, cust()->EdtCustID}};
    EXPECT_EQ(run(frmNewCust, [&] {
        pickPhoto(cust()->BtnNewCarPath, makePicture(QStringLiteral("p.bmp"), "BMP"));
        for (const auto& c : cases) {
            messages.clear();
            clearAndType(cust()->EdtCustID, c.id);
            clearAndType(cust()->EdtCustName, c.name);
            click(cust()->BitBtn1);
            EXPECT_TRUE(frmNewCust->isVisible() && c.focus->hasFocus()) << c.id.toStdString();
            EXPECT_EQ(messageTexts(), QStringList{c.notice});
        }
        click(cust()->BtnExit);
    }), QDialog::Rejected);
    EXPECT_EQ(count("Customer"), 0);
    EXPECT_TRUE(files(CustPicDir).isEmpty() && files(CarPicDir).isEmpty());
}
