// The add dialogs: the save with every column and the photo, and the checks
// that refuse before anything is written.
#include "RegisterFixture.h"

class NewCar : public RegisterTest {};
class NewCust : public RegisterTest {};

// Empty and taken keys (in any letter case) and bad mileages are refused before
// anything is written; keys that cannot name a photo are in the photo tests.
TEST_F(NewCar, RefusesBadKeysAndMileagesThenStoresEveryColumnAndAJpegAsBitmap)
{
    exec(u"insert into Car (CarID, State, Odograph) values ('ab-123', 'A', 7)"_s);
    const QString key = u" 沪A 001 "_s;
    for (const QString& k : {u"ab-123"_s, key}) storePhoto(CarPicDir, k);
    const struct { QString key, odo, notice; bool errorBox = false; } refused[] = {   // mileages pasted past the key filters
        {"   ", "99", u"请输入车辆编号！"_s},
        {"AB-123", "99", u"该编号的车辆已经存在，请重新输入！"_s},
        {"Q1", "2147483648", u"2147483648"_s, true},   // beyond the integer range: an error box
        {"Q1", "-300", u"“-300”不是有效的整数，这里只能输入数字，请重新输入！"_s},
    };
    run(frmNewCar, [&] {
        pickPhoto(car()->BtnNewCarPath, makePicture(u"front.JpEg"_s, "JPG", QSize(41, 29)));
        for (const auto& c : refused) {
            messages.clear();
            clearAndType(car()->EdtNewCarID, c.key);
            car()->EdtNewCarOdograph->setText(c.odo);
            click(car()->BtnSaveExit);
            ASSERT_EQ(messages.size(), 1u) << c.key.toStdString();
            EXPECT_TRUE(frmNewCar->isVisible() && (c.errorBox ? lastMessage().contains(c.notice) && messages[0].icon == Dlg::Icon::Error
                                                              : lastMessage() == c.notice)) << c.key.toStdString() << " " << c.odo.toStdString();
        }
        messages.clear();
        clearAndType(car()->EdtNewCarID, u"粤B12345"_s);
        for (const auto& [c, t] : {std::pair{car()->CmbCarStyle, "越野车"}, {car()->CmbMark, "O'Brien"}, {car()->CmbColor, "100% 红"}})
            typeCombo(c, t);
        for (const auto& [e, t] : {std::pair{car()->EdtCarMotorID, "M-77'--"}, {car()->EdtNewCarOdograph, "12a34"}, {car()->EdtDefend, "5000"},
                                   {car()->EdtPledge, "押金3000'"}})   // the mileage filter drops the letter
            clearAndType(e, t);
        car()->CmbState->setCurrentIndex(1);
        car()->DtBuy->setDate(QDate(2024, 2, 29));
        car()->DtCheck->setDate(QDate(2027, 1, 31));
        typeMemo(car()->MmNewCar, u"x -- y'; drop table car"_s);
        click(car()->BtnSaveNewCar);
        EXPECT_TRUE(frmNewCar->isVisible());
        // The next one keeps type, brand, colour, state and dates; its key is stored as typed, long
        // texts are cut at 255 and 50, and a photo picked then cleared removes a stale file.
        type(car()->EdtNewCarID, key);
        type(car()->EdtNewCarOdograph, u"2147483647"_s);   // the largest mileage
        typeMemo(car()->MmNewCar, QString(300, 'r'));
        type(car()->EdtPledge, QString(60, 'p'));
        pickPhoto(car()->BtnNewCarPath, makePicture(u"side.bmp"_s, "BMP"));
        click(car()->BtnNewCarClearImg);
        click(car()->BtnSaveExit);
    });
    EXPECT_EQ(messageTexts(), QStringList(2, u"该车辆信息成功保存！"_s));
    EXPECT_EQ(RowsText(db(), "Car", {"CarID", "State", "Style", "Mark", "Color", "MotorID", "Odograph", "Defend", "Pledge", "Description"}),
              u"ab-123|A|NULL|NULL|NULL|NULL|7|NULL|NULL|NULL/粤B12345|D|越野车|O'Brien|100% 红|M-77'--|1234|5000|押金3000'|x -- y'; drop table car/"_s
                  + key + u"|D|越野车|O'Brien|100% 红||2147483647|0|"_s + QString(50, 'p') + '|' + QString(255, 'r'));
    // The dates carry over too.
    EXPECT_EQ(scalar("select count(*) from Car where BuyDate=:b and CheckDate=:c",
                     {{"b", QDateTime(QDate(2024, 2, 29), QTime(0, 0))}, {"c", QDateTime(QDate(2027, 1, 31), QTime(0, 0))}}).toInt(), 2);
    EXPECT_EQ(FilesIn(CarPicDir), (QStringList{"ab-123.bmp", "粤B12345.bmp"}));
    EXPECT_EQ(bmpInfo(CarPicDir + "粤B12345.bmp") + bmpInfo(CarPicDir + "ab-123.bmp"), "bmp 41x29bmp 5x5");
}

// A taken number (in any letter case) still closes with OK, so the hire desk can
// use the customer, but writes nothing and leaves the stored photo.
TEST_F(NewCust, StoresEveryColumnAndThePhotoAndATakenNumberWritesNothing)
{
    const QString id = u"11010519491231002X"_s;
    EXPECT_EQ(run(frmNewCust, [&] {
        for (const auto& [e, t] : {std::pair{cust()->EdtCustID, id}, {cust()->EdtCustName, u"O'Brien 奥布莱恩"_s}, {cust()->EdtTel, u"138-0000'0000"_s},
                                   {cust()->EdtAddress, u"北京 100% -- 路"_s}, {cust()->EdtBankCard, u"6222 0200 0000 0000"_s},
                                   {cust()->EdtBankCard_memo, u"工行'卡"_s}})
            type(e, t);
        typeMemo(cust()->MmMemo, u"VIP; --'"_s);
        typeCombo(cust()->CmbCardType, u"驾驶证"_s);
        pickPhoto(cust()->BtnNewCarPath, makePicture(u"face.jpg"_s, "JPG", QSize(64, 80)));
        click(cust()->BitBtn1);
    }), QDialog::Accepted);
    EXPECT_EQ(run(frmNewCust, [&] {
        type(cust()->EdtCustID, id.toLower());
        type(cust()->EdtCustName, u" "_s);
        pickPhoto(cust()->BtnNewCarPath, makePicture(u"p.bmp"_s, "BMP"));
        click(cust()->BitBtn1);
        EXPECT_TRUE(frmNewCust->isVisible());
        clearAndType(cust()->EdtCustName, u"王五"_s);
        click(cust()->BitBtn1);
    }), QDialog::Accepted);
    EXPECT_EQ(messageTexts(), QStringList({u"保存成功！"_s, u"请输入客户名称！"_s, u"该证件号的客户已经存在！"_s}));
    EXPECT_EQ(cust()->EdtCustID->text() + cust()->EdtCustName->text(), id.toLower() + u"王五"_s);   // as the caller reads them
    EXPECT_EQ(customers(), u"11010519491231002X|驾驶证|O'Brien 奥布莱恩|138-0000'0000|北京 100% -- 路|VIP; --'|6222 0200 0000 0000|工行'卡"_s);
    EXPECT_EQ(FilesIn(CustPicDir), QStringList{id + ".bmp"});
    EXPECT_EQ(bmpInfo(CustPicDir + id + ".bmp"), "bmp 64x80");
}
