// The add dialogs: the save with every column and the photo, and the checks
// that refuse before anything is written.
#include "RegisterFixture.h"

class NewCar : public RegisterTest {};
class NewCust : public RegisterTest {};

// Empty and taken keys (in any letter case) and bad mileages are refused before
// anything is written; keys that cannot name a photo are in the photo tests.
TEST_F(NewCar, RefusesBadKeysAndMileagesThenStoresEveryColumnAndAJpegAsBitmap)
{
    exec(QStringLiteral("insert into Car (CarID, State, Odograph) values ('ab-123', 'A', 7)"));
    const QString key = QStringLiteral(" 沪A 001 ");
    for (const QString& k : {QStringLiteral("ab-123"), key}) storePhoto(CarPicDir, k);
    const struct { QString key, odo, notice; bool errorBox = false; } refused[] = {   // mileages pasted past the key filters
        {"   ", "99", QStringLiteral("请输入车辆编号！")},
        {"AB-123", "99", QStringLiteral("该编号的车辆已经存在，请重新输入！")},
        {"Q1", "2147483648", QStringLiteral("2147483648"), true},   // beyond the integer range: an error box
        {"Q1", "-300", QStringLiteral("“-300”不是有效的整数，这里只能输入数字，请重新输入！")},
    };
    run(frmNewCar, [&] {
        pickPhoto(car()->BtnNewCarPath, makePicture(QStringLiteral("front.JpEg"), "JPG", QSize(41, 29)));
        for (const auto& c : refused) {
            SCOPED_TRACE(c.key.toStdString() + " " + c.odo.toStdString());
            messages.clear();
            clearAndType(car()->EdtNewCarID, c.key);
            car()->EdtNewCarOdograph->setText(c.odo);
            click(car()->BtnSaveExit);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(c.errorBox ? lastMessage().contains(c.notice) && messages[0].icon == Dlg::Icon::Error : lastMessage() == c.notice)
                << lastMessage().toStdString();
            EXPECT_TRUE(frmNewCar->isVisible());
        }
        messages.clear();
        clearAndType(car()->EdtNewCarID, QStringLiteral("粤B12345"));
        typeCombo(car()->CmbCarStyle, QStringLiteral("越野车"));
        typeCombo(car()->CmbMark, QStringLiteral("O'Brien"));
        typeCombo(car()->CmbColor, QStringLiteral("100% 红"));
        type(car()->EdtCarMotorID, QStringLiteral("M-77'--"));
        clearAndType(car()->EdtNewCarOdograph, QStringLiteral("12a34"));   // the filter drops the letter
        type(car()->EdtDefend, QStringLiteral("5000"));
        car()->CmbState->setCurrentIndex(1);
        type(car()->EdtPledge, QStringLiteral("押金3000'"));
        car()->DtBuy->setDate(QDate(2024, 2, 29));
        car()->DtCheck->setDate(QDate(2027, 1, 31));
        typeMemo(car()->MmNewCar, QStringLiteral("x -- y'; drop table car"));
        click(car()->BtnSaveNewCar);
        EXPECT_TRUE(frmNewCar->isVisible());
        // The next one keeps type, brand, colour, state and dates; its key is stored as typed, long
        // texts are cut at 255 and 50, and a photo picked then cleared removes a stale file.
        type(car()->EdtNewCarID, key);
        type(car()->EdtNewCarOdograph, QStringLiteral("2147483647"));   // the largest mileage
        typeMemo(car()->MmNewCar, QString(300, QLatin1Char('r')));
        type(car()->EdtPledge, QString(60, QLatin1Char('p')));
        pickPhoto(car()->BtnNewCarPath, makePicture(QStringLiteral("side.bmp"), "BMP"));
        click(car()->BtnNewCarClearImg);
        click(car()->BtnSaveExit);
    });
    EXPECT_EQ(messageTexts(), QStringList(2, QStringLiteral("该车辆信息成功保存！")));
    EXPECT_EQ(RowsText(db(), "Car", {"CarID", "State", "Style", "Mark", "Color", "MotorID", "Odograph", "Defend", "Pledge", "Description"}),
              QStringLiteral("ab-123|A|NULL|NULL|NULL|NULL|7|NULL|NULL|NULL/粤B12345|D|越野车|O'Brien|100% 红|M-77'--|1234|5000|押金3000'|x -- y'; drop table car/")
                  + key + QStringLiteral("|D|越野车|O'Brien|100% 红||2147483647|0|") + QString(50, 'p') + '|' + QString(255, 'r'));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Car where BuyDate=:b and CheckDate=:c"),
                     {{"b", QDateTime(QDate(2024, 2, 29), QTime(0, 0))}, {"c", QDateTime(QDate(2027, 1, 31), QTime(0, 0))}}).toInt(), 2);   // the dates carry over too
    EXPECT_EQ(bmpInfo(CarPicDir + QStringLiteral("粤B12345.bmp")) + bmpInfo(CarPicDir + QStringLiteral("ab-123.bmp")), "bmp 41x29bmp 5x5");
    EXPECT_EQ(FilesIn(CarPicDir), (QStringList{QStringLiteral("ab-123.bmp"), QStringLiteral("粤B12345.bmp")}));
}

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
    EXPECT_EQ(customers(), row);
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
    EXPECT_EQ(customers(), row);
    EXPECT_EQ(FilesIn(CustPicDir), QStringList{id + QStringLiteral(".bmp")});
    EXPECT_EQ(bmpInfo(CustPicDir + id + QStringLiteral(".bmp")), "bmp 64x80");
}
