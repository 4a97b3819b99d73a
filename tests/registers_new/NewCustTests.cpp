// The add-customer dialog: the save with every column and the photo, and a
// taken number or blank name that writes nothing.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"

class NewCust : public NewRecordTest {};

// A taken number (in any letter case) still closes with OK, so the hire desk can
// use the customer, but writes nothing and leaves the stored photo.
TEST_F(NewCust, StoresEveryColumnAndThePhotoAndATakenNumberWritesNothing)
{
    const QString id = QStringLiteral("11010519491231002X");
    EXPECT_EQ(run(frmNewCust, [&] {
        type(cust()->EdtCustID, id);
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
    const QString row = QStringLiteral("11010519491231002X|驾驶证|O'Brien 奥布莱恩|138-0000'0000|北京 100% -- 路|VIP; --'|"
                                       "6222 0200 0000 0000|工行'卡");
    const QStringList cols = {"CustID", "CardType", "CustName", "Tel", "Address", "Memo", "BankCard", "BankCard_Memo"};
    EXPECT_EQ(columns("Customer", cols), row);
    EXPECT_EQ(bmpInfo(CustPicDir + id + QStringLiteral(".bmp")), "bmp 64x80");

    EXPECT_EQ(run(frmNewCust, [&] {
        type(cust()->EdtCustID, id.toLower());
        type(cust()->EdtCustName, QStringLiteral(" "));
        pickPhoto(cust()->BtnNewCarPath, makePicture(QStringLiteral("p.bmp"), "BMP"));
        click(cust()->BitBtn1);
        EXPECT_TRUE(frmNewCust->isVisible());
        clearAndType(cust()->EdtCustName, QStringLiteral("王五"));
        click(cust()->BitBtn1);
    }), QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("保存成功！"), QStringLiteral("请输入客户名称！"), QStringLiteral("该证件号的客户已经存在！")}));
    EXPECT_EQ(cust()->EdtCustID->text() + cust()->EdtCustName->text(), id.toLower() + QStringLiteral("王五"));   // as the caller reads them
    EXPECT_EQ(columns("Customer", cols), row);
    EXPECT_EQ(files(CustPicDir), QStringList{id + QStringLiteral(".bmp")});
    EXPECT_EQ(bmpInfo(CustPicDir + id + QStringLiteral(".bmp")), "bmp 64x80");
}
