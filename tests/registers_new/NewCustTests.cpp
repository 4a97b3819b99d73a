// The add-customer dialog: the save with every column, what its callers read
// after OK, the checks and what a save does with photo files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"

namespace {
const QStringList Columns = {"CustID", "CardType", "CustName", "Tel", "Address", "Memo", "BankCard", "BankCard_Memo"};
}

class NewCust : public NewRecordTest {
protected:
    // What the hire-out desk copies after OK.
    QString callerReads() { return joined({cust()->EdtCustID->text(), cust()->EdtCustName->text(), cust()->EdtTel->text()}); }
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
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
    EXPECT_EQ(callerReads(), QStringLiteral("11010519491231002X|O'Brien 奥布莱恩|138-0000'0000"));
    EXPECT_EQ(columns("Customer", Columns),
              QStringLiteral("11010519491231002X|驾驶证|O'Brien 奥布莱恩|138-0000'0000|北京 100% -- 路|VIP; --'|"
                             "6222 0200 0000 0000|工行'卡"));
    EXPECT_EQ(bmpInfo(CustPicDir + QStringLiteral("11010519491231002X.bmp")), "bmp 64x80");
}

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
    EXPECT_EQ(callerReads(), QStringLiteral("ABC-1|王五|139"));   // as typed
    EXPECT_EQ(columns("Customer", {"CustID", "CustName", "Tel"}), QStringLiteral("abc-1|李四|1"));
    EXPECT_EQ(files(CustPicDir), QStringList{QStringLiteral("abc-1.bmp")});
    EXPECT_EQ(bmpInfo(CustPicDir + QStringLiteral("abc-1.bmp")), "bmp 5x5");
}

TEST_F(NewCust, EnterAndRefusedChecksSaveNothingAndTheNextUseStartsEmptyWithTheLastDocumentType)
{
    const QString unfit = QStringLiteral("客户证件号不能含有“/”或“\\”，也不能是“.”或“..”，请重新输入！");
    const struct { QString id, name, notice; QLineEdit* focus; } cases[] = {
        {"  ", QStringLiteral("赵六"), QStringLiteral("请输入客户编号（证件号）！"), cust()->EdtCustID},
        {"D1", " ", QStringLiteral("请输入客户名称！"), cust()->EdtCustName}, {"../DBPic/x", "N", unfit, cust()->EdtCustID},
        {"x\\y", "N", unfit, cust()->EdtCustID}, {"..", "N", unfit, cust()->EdtCustID}};
    EXPECT_EQ(run(frmNewCust, [&] {
        for (QLineEdit* e : {cust()->EdtCustID, cust()->EdtCustName, cust()->EdtTel, cust()->EdtAddress, cust()->EdtBankCard,
                             cust()->EdtBankCard_memo})
            type(e, QStringLiteral("E1"));
        typeMemo(cust()->MmMemo, QStringLiteral("m"));
        typeCombo(cust()->CmbCardType, QStringLiteral("护照"));
        pickPhoto(cust()->BtnNewCarPath, makePicture(QStringLiteral("p.bmp"), "BMP"));
        for (QWidget* w : std::initializer_list<QWidget*>{cust()->EdtCustID, cust()->EdtCustName, cust()->EdtTel, cust()->EdtAddress,
                                                         cust()->EdtBankCard, cust()->EdtBankCard_memo, cust()->CmbCardType}) {
            w->setFocus();
            enter(w);
        }
        EXPECT_TRUE(frmNewCust->isVisible() && messages.empty());
        EXPECT_EQ(cust()->CmbCardType->count(), 2);   // a typed type does not join the list
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

    // A stale file under the next number goes with a save without photo.
    makeStalePhoto(CustPicDir, QStringLiteral("P-1"));
    run(frmNewCust, [&] {
        for (QLineEdit* e : {cust()->EdtCustID, cust()->EdtCustName, cust()->EdtTel, cust()->EdtAddress, cust()->EdtBankCard,
                             cust()->EdtBankCard_memo, cust()->EdtCustPath})
            EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
        EXPECT_TRUE(cust()->MmMemo->toPlainText().isEmpty() && cust()->ImgCust->pixmap().isNull() && cust()->EdtCustID->hasFocus());
        type(cust()->EdtCustID, QStringLiteral("P-1"));
        type(cust()->EdtCustName, QStringLiteral("孙八"));
        typeMemo(cust()->MmMemo, QString(210, QChar(0x5907)));   // cut at 200 and 100
        type(cust()->EdtBankCard_memo, QString(120, QLatin1Char('m')));
        click(cust()->BitBtn1);
    });
    EXPECT_EQ(columns("Customer", {"CustID", "CardType", "CustName", "Tel", "Address", "BankCard", "BankCard_Memo"}),
              QStringLiteral("P-1|护照|孙八||||") + QString(100, 'm'));
    EXPECT_EQ(scalar(QStringLiteral("select length(Memo) from Customer")).toInt(), 200);
    EXPECT_TRUE(files(CustPicDir).isEmpty());
}
