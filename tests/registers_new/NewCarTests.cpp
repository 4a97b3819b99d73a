// The add-vehicle dialog: the save with every column, the checks, the lists,
// the Enter moves and what a save does with photo files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"
#include "platform/Moment.h"

namespace {
const QString Saved = QStringLiteral("该车辆信息成功保存！");
const QStringList Columns = {"CarID", "State", "Style", "Mark", "Color", "MotorID", "Odograph", "Defend", "Pledge", "Description"};
}

class NewCar : public NewRecordTest {
protected:
    // The fields a save or a showing keeps or empties, in the dialog's order.
    QString fields()
    {
        return joined({car()->EdtNewCarID->text(), car()->CmbCarStyle->currentText(), car()->CmbMark->currentText(),
                       car()->CmbColor->currentText(), car()->EdtCarMotorID->text(), car()->EdtNewCarOdograph->text(),
                       car()->EdtDefend->text(), car()->CmbState->currentText(), car()->EdtPledge->text(),
                       car()->DtBuy->date().toString(Qt::ISODate), car()->DtCheck->date().toString(Qt::ISODate),
                       car()->MmNewCar->toPlainText(), car()->EdtNewCarPath->text(),
                       car()->ImgNewCar->pixmap().isNull() ? "" : "picture"});
    }
};

TEST_F(NewCar, StoresEveryColumnAndAJpegAsBitmapAndKeepsTheSharedFields)
{
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("粤B12345"));
        typeCombo(car()->CmbCarStyle, QStringLiteral("越野车"));
        typeCombo(car()->CmbMark, QStringLiteral("O'Brien"));
        typeCombo(car()->CmbColor, QStringLiteral("100% 红"));
        type(car()->EdtCarMotorID, QStringLiteral("M-77'--"));
        type(car()->EdtNewCarOdograph, QStringLiteral("12a34"));   // the filter drops the letter
        type(car()->EdtDefend, QStringLiteral("5000"));
        car()->CmbState->setCurrentIndex(1);
        type(car()->EdtPledge, QStringLiteral("押金3000'"));
        car()->DtBuy->setDate(QDate(2024, 2, 29));
        car()->DtCheck->setDate(QDate(2027, 1, 31));
        typeMemo(car()->MmNewCar, QStringLiteral("x -- y'; drop table car"));
        pickPhoto(car()->BtnNewCarPath, makePicture(QStringLiteral("front.JpEg"), "JPG", QSize(41, 29)));
        click(car()->BtnSaveNewCar);
        EXPECT_TRUE(frmNewCar->isVisible());
        ASSERT_EQ(messageTexts(), QStringList{Saved});
        EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
        // The next vehicle keeps type, brand, colour, state and dates.
        EXPECT_EQ(fields(), QStringLiteral("|越野车|O'Brien|100% 红||||停租||2024-02-29|2027-01-31|||"));
    });
    EXPECT_EQ(columns("Car", Columns),
              QStringLiteral("粤B12345|D|越野车|O'Brien|100% 红|M-77'--|1234|5000|押金3000'|x -- y'; drop table car"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Car where BuyDate=:b and CheckDate=:c"),
                     {{"b", QDateTime(QDate(2024, 2, 29), QTime(0, 0))}, {"c", QDateTime(QDate(2027, 1, 31), QTime(0, 0))}}).toInt(), 1);
    const QString stored = CarPicDir + QStringLiteral("粤B12345.bmp");
    EXPECT_EQ(bmpInfo(stored), "bmp 41x29");
    const QImage back(stored);   // top-left quarter red, the rest blue (JPEG keeps them close)
    EXPECT_TRUE(qRed(back.pixel(2, 2)) > 180 && qBlue(back.pixel(38, 26)) > 160);
    EXPECT_EQ(files(CarPicDir).size(), 1);
}

TEST_F(NewCar, EmptyTakenAndUnfitKeysAndBadOrPastedNegativeMileagesAreRefusedBeforeAnythingIsWritten)
{
    exec(QStringLiteral("insert into Car (CarID, State, Odograph) values ('ab-123', 'A', 7)"));
    makeStalePhoto(CarPicDir, QStringLiteral("ab-123"));   // and files the refused keys point at
    makeStalePhoto(CustPicDir, QStringLiteral("x"));
    makeStalePhoto(dir(), QStringLiteral("Leaso3"));
    const QString unfit = QStringLiteral("车辆编号不能含有“/”或“\\”，也不能是“.”或“..”，请重新输入！");
    const QString negative = QStringLiteral("“-300”不是有效的整数，这里只能输入数字，请重新输入！");
    QLineEdit *id = car()->EdtNewCarID, *odo = car()->EdtNewCarOdograph, *defend = car()->EdtDefend;
    // Odometer and service mileage are set as pasted, past the key filters.
    const struct { QString key, odo, defend, notice; QLineEdit* focus; } cases[] = {
        {"   ", "99", "", QStringLiteral("请输入车辆编号！"), id},
        {"AB-123", "99", "", QStringLiteral("该编号的车辆已经存在，请重新输入！"), id},   // taken, in any letter case
        {"../DBCustPic/x", "99", "", unfit, id}, {"a/b", "99", "", unfit, id}, {"a\\b", "99", "", unfit, id},
        {"..", "99", "", unfit, id}, {".", "99", "", unfit, id}, {"../Leaso3", "99", "", unfit, id},
        {"Q1", "2147483648", "", QStringLiteral("2147483648"), nullptr},   // beyond the integer range: an error box
        {"Q1", "-300", "", negative, odo}, {"Q1", "10", "-300", negative, defend},
    };
    run(frmNewCar, [&] {
        pickPhoto(car()->BtnNewCarPath, makePicture(QStringLiteral("p.bmp"), "BMP"));
        type(car()->EdtCarMotorID, QStringLiteral("E1"));
        for (const auto& c : cases) {
            SCOPED_TRACE(c.key.toStdString() + " " + c.odo.toStdString() + " " + c.defend.toStdString());
            messages.clear();
            clearAndType(id, c.key);
            odo->setText(c.odo);
            defend->setText(c.defend);
            click(car()->BtnSaveExit);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(c.focus ? lastMessage() == c.notice : lastMessage().contains(c.notice) && messages[0].icon == Dlg::Icon::Error)
                << lastMessage().toStdString();
            EXPECT_TRUE(frmNewCar->isVisible() && (!c.focus || c.focus->hasFocus()) && car()->EdtCarMotorID->text() == "E1");
        }
    });
    EXPECT_EQ(columns("Car", {"CarID", "Odograph"}), "ab-123|7");
    EXPECT_EQ(files(CarPicDir), QStringList{QStringLiteral("ab-123.bmp")});
    EXPECT_EQ(bmpInfo(CarPicDir + QStringLiteral("ab-123.bmp")) + '|' + bmpInfo(dir() + QStringLiteral("Leaso3.bmp")), "bmp 5x5|bmp 5x5");
    EXPECT_EQ(files(CustPicDir), QStringList{QStringLiteral("x.bmp")});
}

TEST_F(NewCar, EnterMovesTheFocusAndNeverSavesAndEachShowingRereadsTheListsAndResetsTheFields)
{
    exec(QStringLiteral("insert into Car (CarID, Style, Mark, Color) values ('1', '轿车', 'M1', 'red'), "
                        "('2', 'SUV', 'M1', ''), ('3', '', NULL, 'blue'), ('4', NULL, 'M2', NULL), ('5', '轿车', 'M''3', 'red')"));
    auto items = [this] {
        QStringList l;
        for (QComboBox* c : {car()->CmbCarStyle, car()->CmbMark, car()->CmbColor}) {
            QStringList one;
            for (int i = 0; i < c->count(); ++i) one << c->itemText(i);
            l << one.join(',');
        }
        return joined(l);   // in the order the database gives
    };
    const QString lists = QStringLiteral("轿车,SUV,面包车|M1,M2,M'3|red,blue");
    const QString today = NowMoment().date().toString(Qt::ISODate);
    auto* u = car();
    const struct { QWidget* field; QString text; QWidget* next; } steps[] = {
        {u->EdtNewCarID, "", u->EdtNewCarID}, {u->EdtNewCarID, "E-1", u->CmbCarStyle},   // empty: stays
        {u->CmbCarStyle, "", u->CmbCarStyle}, {u->CmbCarStyle, "SUV", u->CmbMark}, {u->CmbMark, "B", u->CmbColor},
        {u->CmbColor, "C", u->EdtCarMotorID}, {u->EdtCarMotorID, "", u->EdtNewCarOdograph},   // always moves on
        {u->EdtNewCarOdograph, "", u->EdtDefend}, {u->EdtDefend, "", u->EdtPledge}, {u->EdtPledge, "", u->MmNewCar},
        {u->CmbState, "", u->CmbState}, {u->DtBuy, "", u->DtBuy}, {u->MmNewCar, "", u->MmNewCar}};
    run(frmNewCar, [&] {
        EXPECT_EQ(items(), lists);
        EXPECT_EQ(fields(), QStringLiteral("|||||||空闲||%1|%1|||").arg(today));
        for (const auto& s : steps) {
            if (auto* c = qobject_cast<QComboBox*>(s.field); c && c->isEditable()) typeCombo(c, s.text);
            else if (auto* e = qobject_cast<QLineEdit*>(s.field)) clearAndType(e, s.text);
            s.field->setFocus();
            enter(s.field);
            EXPECT_TRUE(s.next->hasFocus()) << s.field->objectName().toStdString() << " " << s.text.toStdString();
        }
        EXPECT_TRUE(frmNewCar->isVisible() && messages.empty()) << lastMessage().toStdString();
        u->CmbState->setCurrentIndex(1);
        type(u->EdtPledge, QStringLiteral("500"));
        u->DtCheck->setDate(QDate(2001, 1, 1));
        pickPhoto(u->BtnNewCarPath, makePicture(QStringLiteral("p.bmp"), "BMP"));
    });
    EXPECT_EQ(count("Car"), 5);
    run(frmNewCar, [&] {   // type and colour texts and the state carry over; typed texts join no list
        EXPECT_EQ(fields(), QStringLiteral("|SUV||C||||停租||%1|%1|||").arg(today));
        EXPECT_EQ(items(), lists);
    });
}

TEST_F(NewCar, FromTheMainWindowWithoutPhotoStoresTheKeyAsTypedEmptyTextsAndZerosAndRemovesAStaleFile)
{
    // An earlier vehicle of this plate left its photo; a photo picked and then cleared writes nothing.
    const QString key = QStringLiteral(" 沪A 001 ");
    makeStalePhoto(CarPicDir, key);
    whenShown(frmNewCar, [&] {
        type(car()->EdtNewCarID, key);
        type(car()->EdtNewCarOdograph, QStringLiteral("2147483647"));   // the largest mileage
        typeMemo(car()->MmNewCar, QString(300, QLatin1Char('r')));   // cut at 255 and 50
        type(car()->EdtPledge, QString(60, QLatin1Char('p')));
        pickPhoto(car()->BtnNewCarPath, makePicture(QStringLiteral("side.bmp"), "BMP"));
        click(car()->BtnNewCarClearImg);
        EXPECT_TRUE(car()->EdtNewCarPath->text().isEmpty() && car()->ImgNewCar->pixmap().isNull());
        click(car()->BtnSaveExit);
    });
    frmMain->BtnNewCarClick();
    EXPECT_FALSE(frmNewCar->isVisible());
    EXPECT_EQ(lastMessage(), Saved);
    EXPECT_EQ(columns("Car", Columns),
              key + QStringLiteral("|A|||||2147483647|0|") + QString(50, 'p') + '|' + QString(255, 'r'));   // not NULL
    EXPECT_TRUE(files(CarPicDir).isEmpty());
}
