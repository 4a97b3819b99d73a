// The add-vehicle dialog: the save with every column, the checks, the lists,
// the Enter moves and what a save does with photo files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"
#include "platform/Moment.h"

namespace {
const QString Saved = QStringLiteral("该车辆信息成功保存！");
const QString Taken = QStringLiteral("该编号的车辆已经存在，请重新输入！");
}

class NewCar : public NewRecordTest {};

TEST_F(NewCar, StoresEveryColumnAndAJpegPhotoAsBitmap)
{
    SetClockHook([] { return QDateTime(QDate(2026, 3, 9), QTime(10, 0)); });
    const QString jpeg = makePicture(QStringLiteral("front.JpEg"), "JPG", QSize(41, 29));
    run(frmNewCar, [&] {
        EXPECT_EQ(frmNewCar->windowTitle(), QStringLiteral("Quorvane - 新车信息录入"));
        EXPECT_EQ(car()->DtBuy->date(), QDate(2026, 3, 9));
        type(car()->EdtNewCarID, QStringLiteral("粤B12345"));
        typeCombo(car()->CmbCarStyle, QStringLiteral("越野车"));
        typeCombo(car()->CmbMark, QStringLiteral("O'Brien"));
        typeCombo(car()->CmbColor, QStringLiteral("100% 红"));
        type(car()->EdtCarMotorID, QStringLiteral("M-77'--"));
        type(car()->EdtNewCarOdograph, QStringLiteral("12a34"));     // the filter drops the letter
        type(car()->EdtDefend, QStringLiteral("5000"));
        car()->CmbState->setCurrentIndex(1);
        type(car()->EdtPledge, QStringLiteral("押金3000'"));
        car()->DtBuy->setDate(QDate(2024, 2, 29));
        car()->DtCheck->setDate(QDate(2027, 1, 31));
        typeMemo(car()->MmNewCar, QStringLiteral("x -- y'; drop table car"));
        openFileAnswers << jpeg;
        click(car()->BtnNewCarPath);
        EXPECT_EQ(car()->EdtNewCarPath->text(), jpeg);
        EXPECT_EQ(car()->ImgNewCar->pixmap().size(), QSize(41, 29));
        click(car()->BtnSaveNewCar);
        EXPECT_TRUE(frmNewCar->isVisible());
        EXPECT_EQ(lastMessage(), Saved);
        EXPECT_EQ(messages.back().caption, QStringLiteral("Quorvane"));
        EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);

        // The next vehicle starts with the same type, brand, colour, state and dates.
        EXPECT_EQ(car()->EdtNewCarID->text(), "");
        EXPECT_EQ(car()->EdtCarMotorID->text(), "");
        EXPECT_EQ(car()->EdtNewCarOdograph->text(), "");
        EXPECT_EQ(car()->EdtDefend->text(), "");
        EXPECT_EQ(car()->EdtPledge->text(), "");
        EXPECT_EQ(car()->MmNewCar->toPlainText(), "");
        EXPECT_EQ(car()->EdtNewCarPath->text(), "");
        EXPECT_TRUE(car()->ImgNewCar->pixmap().isNull());
        EXPECT_EQ(car()->CmbCarStyle->currentText(), QStringLiteral("越野车"));
        EXPECT_EQ(car()->CmbMark->currentText(), QStringLiteral("O'Brien"));
        EXPECT_EQ(car()->CmbColor->currentText(), QStringLiteral("100% 红"));
        EXPECT_EQ(car()->CmbState->currentText(), QStringLiteral("停租"));
        EXPECT_EQ(car()->DtBuy->date(), QDate(2024, 2, 29));
        EXPECT_EQ(car()->DtCheck->date(), QDate(2027, 1, 31));
    });
    ASSERT_EQ(count(QStringLiteral("Car")), 1);
    auto r = row(QStringLiteral("select * from Car where CarID=:k"), QStringLiteral("粤B12345"));
    ASSERT_FALSE(r->isEmpty());
    EXPECT_EQ(r->fieldByName("CarID").asString(), QStringLiteral("粤B12345"));
    EXPECT_EQ(r->fieldByName("State").asString(), "D");
    EXPECT_EQ(r->fieldByName("Style").asString(), QStringLiteral("越野车"));
    EXPECT_EQ(r->fieldByName("Mark").asString(), QStringLiteral("O'Brien"));
    EXPECT_EQ(r->fieldByName("Color").asString(), QStringLiteral("100% 红"));
    EXPECT_EQ(r->fieldByName("MotorID").asString(), QStringLiteral("M-77'--"));
    EXPECT_EQ(r->fieldByName("Odograph").asInteger(), 1234);
    EXPECT_EQ(r->fieldByName("Defend").asInteger(), 5000);
    EXPECT_EQ(r->fieldByName("Pledge").asString(), QStringLiteral("押金3000'"));
    EXPECT_EQ(r->fieldByName("BuyDate").asDateTime(), QDateTime(QDate(2024, 2, 29), QTime(0, 0)));
    EXPECT_EQ(r->fieldByName("CheckDate").asDateTime(), QDateTime(QDate(2027, 1, 31), QTime(0, 0)));
    EXPECT_EQ(r->fieldByName("Description").asString(), QStringLiteral("x -- y'; drop table car"));

    const QString stored = CarPicDir + QStringLiteral("粤B12345.bmp");
    ASSERT_TRUE(exists(stored));
    EXPECT_EQ(formatOf(stored), "bmp");
    EXPECT_EQ(sizeOf(stored), QSize(41, 29));
    QFile f(stored);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(2), "BM");
    // The top-left quarter was red, the rest blue (JPEG keeps them close).
    const QImage back(stored);
    EXPECT_GT(qRed(back.pixel(2, 2)), 180);
    EXPECT_GT(qBlue(back.pixel(38, 26)), 160);
    EXPECT_EQ(QDir(CarPicDir).entryList(QDir::Files).size(), 1);
}

TEST_F(NewCar, WithoutPhotoStoresZerosAsTypedKeyAndRemovesAStaleFile)
{
    // An earlier vehicle of this plate left its photo behind.
    const QString key = QStringLiteral(" 沪A 001 ");
    makeStalePhoto(CarPicDir, key);
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, key);
        click(car()->BtnSaveExit);
        EXPECT_FALSE(frmNewCar->isVisible());
    });
    EXPECT_EQ(lastMessage(), Saved);
    auto r = row(QStringLiteral("select * from Car where CarID=:k"), key);
    ASSERT_EQ(r->recordCount(), 1);
    EXPECT_EQ(r->fieldByName("CarID").asString(), key);   // spaces included
    EXPECT_EQ(r->fieldByName("State").asString(), "A");
    EXPECT_FALSE(r->fieldByName("Odograph").isNull());
    EXPECT_EQ(r->fieldByName("Odograph").asInteger(), 0);
    EXPECT_EQ(r->fieldByName("Defend").asInteger(), 0);
    // Empty boxes are stored as empty texts, not as nothing.
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Car where Style='' and Mark='' and Color='' "
                                    "and MotorID='' and Pledge='' and Description=''")).toInt(), 1);
    EXPECT_EQ(r->fieldByName("BuyDate").asDateTime().date(), NowMoment().date());
    EXPECT_FALSE(exists(PhotoFileName(CarPicDir, key)));
}

TEST_F(NewCar, PickedThenClearedPhotoWritesNothing)
{
    const QString bmp = makePicture(QStringLiteral("side.bmp"), "BMP");
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("K1"));
        openFileAnswers << bmp;
        click(car()->BtnNewCarPath);
        EXPECT_FALSE(car()->ImgNewCar->pixmap().isNull());
        click(car()->BtnNewCarClearImg);
        EXPECT_EQ(car()->EdtNewCarPath->text(), "");
        EXPECT_TRUE(car()->ImgNewCar->pixmap().isNull());
        click(car()->BtnSaveNewCar);
    });
    EXPECT_EQ(lastMessage(), Saved);
    EXPECT_EQ(count(QStringLiteral("Car")), 1);
    EXPECT_TRUE(QDir(CarPicDir).entryList(QDir::Files).isEmpty());
}

TEST_F(NewCar, DuplicateKeysAreRefusedIgnoringLetterCase)
{
    exec(QStringLiteral("insert into Car (CarID, State, Odograph) values ('ab-123', 'A', 7)"));
    makeStalePhoto(CarPicDir, QStringLiteral("ab-123"));
    const QString bmp = makePicture(QStringLiteral("p.bmp"), "BMP");
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("AB-123"));
        type(car()->EdtNewCarOdograph, QStringLiteral("99"));
        openFileAnswers << bmp;
        click(car()->BtnNewCarPath);
        click(car()->BtnSaveExit);
        EXPECT_TRUE(frmNewCar->isVisible());
        EXPECT_EQ(lastMessage(), Taken);
        EXPECT_TRUE(car()->EdtNewCarID->hasFocus());
        EXPECT_EQ(car()->EdtNewCarID->text(), QStringLiteral("AB-123"));
        EXPECT_EQ(car()->EdtNewCarPath->text(), bmp);
    });
    EXPECT_EQ(count(QStringLiteral("Car")), 1);
    EXPECT_EQ(scalar(QStringLiteral("select Odograph from Car")).toInt(), 7);
    EXPECT_EQ(QDir(CarPicDir).entryList(QDir::Files), QStringList{QStringLiteral("ab-123.bmp")});
    EXPECT_EQ(sizeOf(CarPicDir + QStringLiteral("ab-123.bmp")), QSize(5, 5));
}

TEST_F(NewCar, KeysThatWouldLeaveThePhotoFolderAreRefused)
{
    // A file the refused keys point at must survive.
    QDir().mkpath(CustPicDir);
    makeStalePhoto(CustPicDir, QStringLiteral("x"));
    makeStalePhoto(dir(), QStringLiteral("Leaso3"));
    const QString bmp = makePicture(QStringLiteral("p.bmp"), "BMP");
    const QStringList bad = {QStringLiteral("../DBCustPic/x"), QStringLiteral("a/b"), QStringLiteral("a\\b"),
                             QStringLiteral(".."), QStringLiteral("."), QStringLiteral("../Leaso3")};
    run(frmNewCar, [&] {
        for (const QString& key : bad) {
            messages.clear();
            clearAndType(car()->EdtNewCarID, key);
            click(car()->BtnSaveNewCar);
            ASSERT_EQ(messages.size(), 1u) << key.toStdString();
            EXPECT_EQ(lastMessage(), QStringLiteral("车辆编号不能含有“/”或“\\”，也不能是“.”或“..”，请重新输入！"));
            EXPECT_EQ(car()->EdtNewCarID->text(), key);
        }
        openFileAnswers << bmp;
        click(car()->BtnNewCarPath);
        click(car()->BtnSaveExit);
        EXPECT_TRUE(frmNewCar->isVisible());
    });
    EXPECT_EQ(count(QStringLiteral("Car")), 0);
    EXPECT_TRUE(QDir(CarPicDir).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(exists(CustPicDir + QStringLiteral("x.bmp")));
    EXPECT_TRUE(exists(dir() + QStringLiteral("Leaso3.bmp")));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("*.bmp")}, QDir::Files).size(), 1);
}

TEST_F(NewCar, EmptyKeyIsRefusedAndSaveExitStaysOpen)
{
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("   "));
        type(car()->EdtCarMotorID, QStringLiteral("E1"));
        click(car()->BtnSaveExit);
        EXPECT_TRUE(frmNewCar->isVisible());
        EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("请输入车辆编号！")});
        EXPECT_TRUE(car()->EdtNewCarID->hasFocus());
        EXPECT_EQ(car()->EdtCarMotorID->text(), "E1");
        click(car()->BtnExit);
        EXPECT_FALSE(frmNewCar->isVisible());
    });
    EXPECT_EQ(count(QStringLiteral("Car")), 0);
}

TEST_F(NewCar, MileageBeyondIntegerRangeStoresNothingAndKeepsTheFields)
{
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("Q1"));
        type(car()->EdtNewCarOdograph, QStringLiteral("2147483648"));
        click(car()->BtnSaveNewCar);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages.back().icon, Dlg::Icon::Error);
        EXPECT_TRUE(lastMessage().contains(QStringLiteral("2147483648")));
        EXPECT_EQ(car()->EdtNewCarID->text(), "Q1");
        EXPECT_EQ(car()->EdtNewCarOdograph->text(), "2147483648");
        // The largest value goes in.
        clearAndType(car()->EdtNewCarOdograph, QStringLiteral("2147483647"));
        click(car()->BtnSaveNewCar);
        EXPECT_EQ(lastMessage(), Saved);
    });
    EXPECT_EQ(count(QStringLiteral("Car")), 1);
    EXPECT_EQ(scalar(QStringLiteral("select Odograph from Car")).toLongLong(), 2147483647LL);
}

TEST_F(NewCar, EnterMovesTheFocusAndNeverSaves)
{
    run(frmNewCar, [&] {
        car()->EdtNewCarID->setFocus();
        enter(car()->EdtNewCarID);                     // empty: stays
        EXPECT_TRUE(car()->EdtNewCarID->hasFocus());
        type(car()->EdtNewCarID, QStringLiteral("E-1"));
        enter(car()->EdtNewCarID);
        EXPECT_TRUE(car()->CmbCarStyle->hasFocus());
        typeCombo(car()->CmbCarStyle, QString());
        enter(car()->CmbCarStyle);                     // empty type: stays
        EXPECT_TRUE(car()->CmbCarStyle->hasFocus());
        typeCombo(car()->CmbCarStyle, QStringLiteral("SUV"));
        enter(car()->CmbCarStyle);
        EXPECT_TRUE(car()->CmbMark->hasFocus());
        typeCombo(car()->CmbMark, QStringLiteral("B"));
        enter(car()->CmbMark);
        EXPECT_TRUE(car()->CmbColor->hasFocus());
        typeCombo(car()->CmbColor, QStringLiteral("C"));
        enter(car()->CmbColor);
        EXPECT_TRUE(car()->EdtCarMotorID->hasFocus());
        enter(car()->EdtCarMotorID);                   // always moves on
        EXPECT_TRUE(car()->EdtNewCarOdograph->hasFocus());
        enter(car()->EdtNewCarOdograph);
        EXPECT_TRUE(car()->EdtDefend->hasFocus());
        enter(car()->EdtDefend);
        EXPECT_TRUE(car()->EdtPledge->hasFocus());
        enter(car()->EdtPledge);
        EXPECT_TRUE(car()->MmNewCar->hasFocus());
        // Enter in the other fields does nothing either.
        enter(car()->CmbState);
        enter(car()->DtBuy);
        enter(car()->MmNewCar);
        EXPECT_TRUE(frmNewCar->isVisible());
        EXPECT_TRUE(messages.empty()) << lastMessage().toStdString();
        // Typed combo texts are not added to the lists.
        EXPECT_EQ(car()->CmbCarStyle->findText(QStringLiteral("SUV")), -1);
        EXPECT_EQ(car()->CmbMark->count(), 0);
    });
    EXPECT_EQ(count(QStringLiteral("Car")), 0);
}

TEST_F(NewCar, ListsOfferEachStoredValueOnceAndShowingResetsTheFields)
{
    exec(QStringLiteral("insert into Car (CarID, Style, Mark, Color) values "
                        "('1', '轿车', 'M1', 'red'), ('2', 'SUV', 'M1', ''), ('3', '', NULL, 'blue'), "
                        "('4', NULL, 'M2', NULL), ('5', '轿车', 'M''3', 'red')"));
    auto items = [](QComboBox* c) {
        QStringList l;
        for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
        l.sort();
        return l;
    };
    run(frmNewCar, [&] {
        EXPECT_EQ(items(car()->CmbCarStyle), (QStringList{"SUV", QStringLiteral("轿车"), QStringLiteral("面包车")}));
        EXPECT_EQ(items(car()->CmbMark), (QStringList{"M'3", "M1", "M2"}));
        EXPECT_EQ(items(car()->CmbColor), (QStringList{"blue", "red"}));
        EXPECT_EQ(car()->CmbCarStyle->currentText(), "");
        EXPECT_EQ(car()->CmbState->currentText(), QStringLiteral("空闲"));
        typeCombo(car()->CmbCarStyle, QStringLiteral("面包车"));
        typeCombo(car()->CmbMark, QStringLiteral("M2"));
        typeCombo(car()->CmbColor, QStringLiteral("white"));
        car()->CmbState->setCurrentIndex(1);
        type(car()->EdtNewCarID, QStringLiteral("left over"));
        type(car()->EdtPledge, QStringLiteral("500"));
        car()->DtCheck->setDate(QDate(2001, 1, 1));
        openFileAnswers << makePicture(QStringLiteral("p.bmp"), "BMP");
        click(car()->BtnNewCarPath);
    });
    run(frmNewCar, [&] {
        // The type and colour texts and the state carry over; the rest is reset.
        EXPECT_EQ(car()->CmbCarStyle->currentText(), QStringLiteral("面包车"));
        EXPECT_EQ(car()->CmbColor->currentText(), "white");
        EXPECT_EQ(car()->CmbMark->currentText(), "");
        EXPECT_EQ(car()->CmbState->currentText(), QStringLiteral("停租"));
        EXPECT_EQ(car()->EdtNewCarID->text(), "");
        EXPECT_EQ(car()->EdtPledge->text(), "");
        EXPECT_EQ(car()->EdtNewCarPath->text(), "");
        EXPECT_TRUE(car()->ImgNewCar->pixmap().isNull());
        EXPECT_EQ(car()->DtCheck->date(), NowMoment().date());
        EXPECT_EQ(items(car()->CmbCarStyle).count(QStringLiteral("面包车")), 1);
    });
}

TEST_F(NewCar, RemarksAndDepositAreCutAtTheirLengths)
{
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("L1"));
        typeMemo(car()->MmNewCar, QString(300, QLatin1Char('r')));
        EXPECT_EQ(car()->MmNewCar->toPlainText().size(), 255);
        type(car()->EdtPledge, QString(60, QLatin1Char('p')));
        EXPECT_EQ(car()->EdtPledge->text().size(), 50);
        click(car()->BtnSaveNewCar);
    });
    EXPECT_EQ(scalar(QStringLiteral("select length(Description) from Car")).toInt(), 255);
    EXPECT_EQ(scalar(QStringLiteral("select length(Pledge) from Car")).toInt(), 50);
}

TEST_F(NewCar, OpenedFromTheMainWindow)
{
    whenShown(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("M-1"));
        click(car()->BtnSaveExit);
    });
    frmMain->BtnNewCarClick();
    EXPECT_FALSE(frmNewCar->isVisible());
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from Car where CarID='M-1'")).toInt(), 1);
}
