// The add-customer dialog: the save with every column, what its callers read
// after OK, the checks and what a save does with photo files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"

namespace {
const QString NeedNumber = QStringLiteral("请输入客户编号（证件号）！");
const QString NeedName = QStringLiteral("请输入客户名称！");
const QString Taken = QStringLiteral("该证件号的客户已经存在！");
const QString Saved = QStringLiteral("保存成功！");
}

class NewCust : public NewRecordTest {};

TEST_F(NewCust, StoresEveryColumnAndThePhotoAndCallersReadTheEdits)
{
    const QString jpeg = makePicture(QStringLiteral("face.jpg"), "JPG", QSize(64, 80));
    const int result = run(frmNewCust, [&] {
        EXPECT_EQ(frmNewCust->windowTitle(), QStringLiteral("Quorvane - 新客户信息录入"));
        EXPECT_TRUE(cust()->EdtCustID->hasFocus());
        EXPECT_EQ(cust()->CmbCardType->currentText(), QStringLiteral("身份证"));
        type(cust()->EdtCustID, QStringLiteral("11010519491231002X"));
        type(cust()->EdtCustName, QStringLiteral("O'Brien 奥布莱恩"));
        type(cust()->EdtTel, QStringLiteral("138-0000'0000"));
        type(cust()->EdtAddress, QStringLiteral("北京 100% -- 路"));
        type(cust()->EdtBankCard, QStringLiteral("6222 0200 0000 0000"));
        type(cust()->EdtBankCard_memo, QStringLiteral("工行'卡"));
        typeMemo(cust()->MmMemo, QStringLiteral("VIP; --'"));
        typeCombo(cust()->CmbCardType, QStringLiteral("驾驶证"));
        openFileAnswers << jpeg;
        click(cust()->BtnNewCarPath);
        EXPECT_EQ(cust()->EdtCustPath->text(), jpeg);
        click(cust()->BitBtn1);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList{Saved});
    // What the hire-out desk copies after OK.
    EXPECT_EQ(frmNewCust->ui->EdtCustID->text(), QStringLiteral("11010519491231002X"));
    EXPECT_EQ(frmNewCust->ui->EdtCustName->text(), QStringLiteral("O'Brien 奥布莱恩"));
    EXPECT_EQ(frmNewCust->ui->EdtTel->text(), QStringLiteral("138-0000'0000"));

    auto r = row(QStringLiteral("select * from Customer where CustID=:k"), QStringLiteral("11010519491231002X"));
    ASSERT_EQ(r->recordCount(), 1);
    EXPECT_EQ(r->fieldByName("CustID").asString(), QStringLiteral("11010519491231002X"));
    EXPECT_EQ(r->fieldByName("CardType").asString(), QStringLiteral("驾驶证"));
    EXPECT_EQ(r->fieldByName("CustName").asString(), QStringLiteral("O'Brien 奥布莱恩"));
    EXPECT_EQ(r->fieldByName("Tel").asString(), QStringLiteral("138-0000'0000"));
    EXPECT_EQ(r->fieldByName("Address").asString(), QStringLiteral("北京 100% -- 路"));
    EXPECT_EQ(r->fieldByName("Memo").asString(), QStringLiteral("VIP; --'"));
    EXPECT_EQ(r->fieldByName("BankCard").asString(), QStringLiteral("6222 0200 0000 0000"));
    EXPECT_EQ(r->fieldByName("BankCard_Memo").asString(), QStringLiteral("工行'卡"));

    const QString stored = CustPicDir + QStringLiteral("11010519491231002X.bmp");
    EXPECT_EQ(formatOf(stored), "bmp");
    EXPECT_EQ(sizeOf(stored), QSize(64, 80));
}

TEST_F(NewCust, WithoutPhotoStoresEmptyTextsAndRemovesAStaleFile)
{
    makeStalePhoto(CustPicDir, QStringLiteral("C-9"));
    const int result = run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("C-9"));
        type(cust()->EdtCustName, QStringLiteral("张三"));
        click(cust()->BitBtn1);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(lastMessage(), Saved);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Customer where CustID='C-9' and CardType='身份证' "
                                    "and Tel='' and Address='' and Memo='' and BankCard='' and BankCard_Memo=''")).toInt(), 1);
    EXPECT_TRUE(QDir(CustPicDir).entryList(QDir::Files).isEmpty());
}

TEST_F(NewCust, ATakenNumberClosesWithOkAndWritesNothing)
{
    exec(QStringLiteral("insert into Customer (CustID, CustName, Tel) values ('abc-1', '李四', '1')"));
    makeStalePhoto(CustPicDir, QStringLiteral("abc-1"));
    const QString bmp = makePicture(QStringLiteral("p.bmp"), "BMP");
    const int result = run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("ABC-1"));
        type(cust()->EdtCustName, QStringLiteral("王五"));
        type(cust()->EdtTel, QStringLiteral("139"));
        openFileAnswers << bmp;
        click(cust()->BtnNewCarPath);
        click(cust()->BitBtn1);
        EXPECT_FALSE(frmNewCust->isVisible());
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList{Taken});
    // The caller holds the number as typed.
    EXPECT_EQ(frmNewCust->ui->EdtCustID->text(), QStringLiteral("ABC-1"));
    EXPECT_EQ(frmNewCust->ui->EdtCustName->text(), QStringLiteral("王五"));
    EXPECT_EQ(frmNewCust->ui->EdtTel->text(), QStringLiteral("139"));
    EXPECT_EQ(count(QStringLiteral("Customer")), 1);
    EXPECT_EQ(scalar(QStringLiteral("select CustName from Customer")).toString(), QStringLiteral("李四"));
    EXPECT_EQ(QDir(CustPicDir).entryList(QDir::Files), QStringList{QStringLiteral("abc-1.bmp")});
    EXPECT_EQ(sizeOf(CustPicDir + QStringLiteral("abc-1.bmp")), QSize(5, 5));
}

TEST_F(NewCust, MissingNumberOrNameOrABadNumberKeepsTheDialogOpen)
{
    const int result = run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("  "));
        type(cust()->EdtCustName, QStringLiteral("赵六"));
        click(cust()->BitBtn1);
        EXPECT_TRUE(frmNewCust->isVisible());
        EXPECT_EQ(lastMessage(), NeedNumber);
        EXPECT_TRUE(cust()->EdtCustID->hasFocus());

        clearAndType(cust()->EdtCustID, QStringLiteral("D1"));
        clearAndType(cust()->EdtCustName, QStringLiteral(" "));
        click(cust()->BitBtn1);
        EXPECT_TRUE(frmNewCust->isVisible());
        EXPECT_EQ(lastMessage(), NeedName);
        EXPECT_TRUE(cust()->EdtCustName->hasFocus());

        clearAndType(cust()->EdtCustName, QStringLiteral("赵六"));
        for (const QString& bad : {QStringLiteral("../DBPic/x"), QStringLiteral("x\\y"), QStringLiteral("..")}) {
            clearAndType(cust()->EdtCustID, bad);
            click(cust()->BitBtn1);
            EXPECT_TRUE(frmNewCust->isVisible());
            EXPECT_EQ(lastMessage(), QStringLiteral("客户证件号不能含有“/”或“\\”，也不能是“.”或“..”，请重新输入！"));
            EXPECT_TRUE(cust()->EdtCustID->hasFocus());
        }
        EXPECT_EQ(messages.size(), 5u);
        click(cust()->BtnExit);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(count(QStringLiteral("Customer")), 0);
    EXPECT_TRUE(QDir(CustPicDir).entryList(QDir::Files).isEmpty());
}

TEST_F(NewCust, EnterInAnEditNeverSaves)
{
    const int result = run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("E1"));
        type(cust()->EdtCustName, QStringLiteral("钱七"));
        for (QWidget* w : std::initializer_list<QWidget*>{cust()->EdtCustID, cust()->EdtCustName, cust()->EdtTel,
                                                         cust()->EdtAddress, cust()->EdtBankCard,
                                                         cust()->EdtBankCard_memo, cust()->CmbCardType}) {
            w->setFocus();
            enter(w);
        }
        EXPECT_TRUE(frmNewCust->isVisible());
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(cust()->CmbCardType->count(), 2);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(count(QStringLiteral("Customer")), 0);
}

TEST_F(NewCust, ASecondUseStartsEmptyWithTheLastDocumentType)
{
    run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("P-1"));
        type(cust()->EdtCustName, QStringLiteral("孙八"));
        typeCombo(cust()->CmbCardType, QStringLiteral("护照"));
        click(cust()->BitBtn1);
    });
    EXPECT_EQ(scalar(QStringLiteral("select CardType from Customer")).toString(), QStringLiteral("护照"));
    const int result = run(frmNewCust, [&] {
        type(cust()->EdtTel, QStringLiteral("1"));
        type(cust()->EdtAddress, QStringLiteral("a"));
        type(cust()->EdtBankCard, QStringLiteral("b"));
        openFileAnswers << makePicture(QStringLiteral("p.bmp"), "BMP");
        click(cust()->BtnNewCarPath);
        click(cust()->BtnExit);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    run(frmNewCust, [&] {
        for (QLineEdit* e : {cust()->EdtCustID, cust()->EdtCustName, cust()->EdtTel, cust()->EdtAddress,
                             cust()->EdtBankCard, cust()->EdtBankCard_memo, cust()->EdtCustPath})
            EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
        EXPECT_EQ(cust()->MmMemo->toPlainText(), "");
        EXPECT_TRUE(cust()->ImgCust->pixmap().isNull());
        EXPECT_EQ(cust()->CmbCardType->currentText(), QStringLiteral("护照"));
        EXPECT_TRUE(cust()->EdtCustID->hasFocus());
    });
    EXPECT_EQ(count(QStringLiteral("Customer")), 1);
    EXPECT_TRUE(QDir(CustPicDir).entryList(QDir::Files).isEmpty());
}

TEST_F(NewCust, RemarksAreCutAtTheirLengths)
{
    run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("R1"));
        type(cust()->EdtCustName, QStringLiteral("周九"));
        typeMemo(cust()->MmMemo, QString(210, QChar(0x5907)));
        type(cust()->EdtBankCard_memo, QString(120, QLatin1Char('m')));
        EXPECT_EQ(cust()->MmMemo->toPlainText().size(), 200);
        EXPECT_EQ(cust()->EdtBankCard_memo->text().size(), 100);
        click(cust()->BitBtn1);
    });
    EXPECT_EQ(scalar(QStringLiteral("select length(Memo) from Customer")).toInt(), 200);
    EXPECT_EQ(scalar(QStringLiteral("select length(BankCard_Memo) from Customer")).toInt(), 100);
}

TEST_F(NewCust, TabRunsThroughTheFieldsThePhotoAndTheButtonsThenTheRest)
{
    QStringList order;
    run(frmNewCust, [&] {
        ASSERT_TRUE(cust()->EdtCustID->hasFocus());
        for (int i = 0; i < 13; ++i) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            order << w->objectName();
            QTest::keyClick(w, Qt::Key_Tab);
        }
    });
    EXPECT_EQ(order.join(QLatin1Char(' ')).toStdString(),
              "EdtCustID CmbCardType EdtCustName EdtTel MmMemo ScrollBox1 EdtCustPath BtnNewCarPath "
              "BtnNewCarClearImg BitBtn1 BtnExit EdtAddress EdtBankCard");
}
