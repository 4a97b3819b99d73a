// The shared photo piece: the pick routine through a real dialog, the kinds
// of file it reads, and what showing and storing do with the files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

namespace {
const QString WrongKind = QStringLiteral("只能选择BMP或JPEG格式的图片文件！");
}

class Photos : public NewRecordTest {};

TEST_F(Photos, OnlyPicturesThatLoadAreTakenAndTheRestChangeNothing)
{
    const QString good = makePicture(QStringLiteral("good.JPG"), "JPG", QSize(30, 20));
    const QString png = makePicture(QStringLiteral("photo.png"), "PNG");
    const QString pngAsBmp = makePicture(QStringLiteral("fake.bmp"), "PNG");
    const QString broken = makeFile(QStringLiteral("broken.jpg"), QByteArray("this is not a picture"));
    QByteArray cut;
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        cut = f.read(40);    // the header only: no frame to decode
    }
    const QString truncated = makeFile(QStringLiteral("cut.jpeg"), cut);
    const QString missing = dir() + QStringLiteral("pics/gone.bmp");

    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("P1"));
        openFileAnswers << good;
        click(car()->BtnNewCarPath);
        ASSERT_EQ(car()->EdtNewCarPath->text(), good);
        EXPECT_TRUE(messages.empty());

        for (const QString& bad : {png, pngAsBmp, broken, truncated, missing}) {
            messages.clear();
            openFileAnswers << bad;
            click(car()->BtnNewCarPath);
            ASSERT_EQ(messages.size(), 1u) << bad.toStdString();
            EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
            EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
            if (bad == png) {
                EXPECT_TRUE(lastMessage().startsWith(WrongKind));
            } else {
                EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("无法读取图片文件“"))) << lastMessage().toStdString();
                EXPECT_TRUE(lastMessage().contains(QFileInfo(bad).fileName()));
            }
            // Picture and path stay as they were.
            EXPECT_EQ(car()->EdtNewCarPath->text(), good);
            EXPECT_EQ(car()->ImgNewCar->pixmap().size(), QSize(30, 20));
        }
        // Cancelling the dialog changes nothing and says nothing.
        messages.clear();
        click(car()->BtnNewCarPath);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(car()->EdtNewCarPath->text(), good);
        click(car()->BtnSaveNewCar);
        EXPECT_EQ(lastMessage(), QStringLiteral("该车辆信息成功保存！"));
    });
    EXPECT_EQ(sizeOf(CarPicDir + QStringLiteral("P1.bmp")), QSize(30, 20));
    EXPECT_EQ(formatOf(CarPicDir + QStringLiteral("P1.bmp")), "bmp");
}

TEST_F(Photos, AnyLetterCaseOfTheEndingIsRead)
{
    for (const QString& name : {QStringLiteral("a.bmp"), QStringLiteral("b.BmP"), QStringLiteral("c.jpg"),
                                QStringLiteral("d.JPEG"), QStringLiteral("e.jPeG")}) {
        const bool bmp = name.toUpper().endsWith(QLatin1String(".BMP"));
        const QString file = makePicture(name, bmp ? "BMP" : "JPG", QSize(9, 7));
        QString why;
        const QImage img = LoadPhotoFile(file, &why);
        EXPECT_EQ(img.size(), QSize(9, 7)) << name.toStdString() << " " << why.toStdString();
    }
    QString why;
    EXPECT_TRUE(LoadPhotoFile(makePicture(QStringLiteral("f.gif.png"), "PNG"), &why).isNull());
    EXPECT_FALSE(why.isEmpty());
}

TEST_F(Photos, GreyJpegsBecomeColourBitmaps)
{
    QImage grey(12, 8, QImage::Format_Grayscale8);
    grey.fill(200);
    const QString file = dir() + QStringLiteral("grey.jpg");
    ASSERT_TRUE(grey.save(file, "JPG"));
    const QImage img = LoadPhotoFile(file);
    ASSERT_EQ(img.size(), QSize(12, 8));
    EXPECT_NEAR(qRed(img.pixel(5, 5)), 200, 3);
    EXPECT_NEAR(qBlue(img.pixel(5, 5)), 200, 3);
}

// The register windows show a stored photo and save over it through the same piece.
TEST_F(Photos, AStoredPhotoIsShownBracketedAndKeptOrMovedBySaves)
{
    QWidget w;
    auto* scroll = new QScrollArea(&w);
    auto* picture = new QLabel;
    scroll->setWidget(picture);
    auto* path = new QLineEdit(&w);
    TPhotoBox box(&w, picture, path, CustPicDir);

    box.showStored(QStringLiteral("nobody"));
    EXPECT_EQ(path->text(), "");
    EXPECT_FALSE(box.hasPicture());

    QImage img(50, 60, QImage::Format_RGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(CustPicDir + QStringLiteral("K 1.bmp"), "BMP"));
    box.showStored(QStringLiteral("K 1"));
    EXPECT_EQ(path->text(), QStringLiteral("[K 1]"));
    EXPECT_TRUE(box.showsStored());
    EXPECT_EQ(picture->size(), QSize(50, 60));   // in a scroll box, at its own size

    // Saved under a changed key, the photo lives under the new key only.
    EXPECT_TRUE(box.store(QStringLiteral("K 2"), QStringLiteral("K 1")));
    EXPECT_EQ(QDir(CustPicDir).entryList(QDir::Files), QStringList{QStringLiteral("K 2.bmp")});

    // Cleared and saved: the file goes.
    box.clear();
    EXPECT_TRUE(picture->pixmap().isNull());
    EXPECT_FALSE(box.store(QStringLiteral("K 2")));
    EXPECT_TRUE(QDir(CustPicDir).entryList(QDir::Files).isEmpty());

    // A stored file that cannot be read is reported and survives a save.
    const QString bad = CustPicDir + QStringLiteral("K 3.bmp");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("garbage");
    }
    EXPECT_THROW(box.showStored(QStringLiteral("K 3")), std::exception);
    EXPECT_EQ(path->text(), QStringLiteral("[K 3]"));
    EXPECT_FALSE(box.hasPicture());
    EXPECT_FALSE(box.write(QStringLiteral("K 3")));
    EXPECT_FALSE(box.store(QStringLiteral("K 3")));
    EXPECT_TRUE(exists(bad));
    EXPECT_FALSE(box.store(QStringLiteral("K 4"), QStringLiteral("K 3")));
    EXPECT_FALSE(exists(bad));
    EXPECT_TRUE(exists(CustPicDir + QStringLiteral("K 4.bmp")));
}

TEST_F(Photos, FileOperationsNeverLeaveTheFolder)
{
    makeStalePhoto(dir(), QStringLiteral("outside"));
    makeStalePhoto(CarPicDir, QStringLiteral("in"));
    EXPECT_FALSE(DeletePhotoFile(CarPicDir, QStringLiteral("../outside")));
    EXPECT_FALSE(MovePhotoFile(CarPicDir, QStringLiteral("in"), QStringLiteral("../moved")));
    EXPECT_FALSE(MovePhotoFile(CarPicDir, QStringLiteral("../outside"), QStringLiteral("x")));
    EXPECT_TRUE(exists(dir() + QStringLiteral("outside.bmp")));
    EXPECT_TRUE(exists(CarPicDir + QStringLiteral("in.bmp")));
    EXPECT_FALSE(exists(dir() + QStringLiteral("moved.bmp")));

    QWidget w;
    auto* picture = new QLabel(&w);
    auto* path = new QLineEdit(&w);
    TPhotoBox box(&w, picture, path, CarPicDir);
    box.showStored(QStringLiteral("in"));
    ASSERT_TRUE(box.hasPicture());
    EXPECT_THROW(box.write(QStringLiteral("../x")), std::exception);
    EXPECT_THROW(box.store(QStringLiteral("..")), std::exception);
    EXPECT_FALSE(exists(dir() + QStringLiteral("x.bmp")));
    EXPECT_FALSE(exists(CarPicDir + QStringLiteral("...bmp")));

    // Move replaces a file under the new name.
    makeStalePhoto(CarPicDir, QStringLiteral("other"));
    EXPECT_TRUE(MovePhotoFile(CarPicDir, QStringLiteral("in"), QStringLiteral("other")));
    EXPECT_EQ(QDir(CarPicDir).entryList(QDir::Files), QStringList{QStringLiteral("other.bmp")});
}

TEST_F(Photos, AFailedWriteIsReportedAndNoSuccessIsShown)
{
    // The photo folder has gone: the row stands, the write fails visibly.
    const QString bmp = makePicture(QStringLiteral("p.bmp"), "BMP");
    ASSERT_TRUE(QDir(CarPicDir).removeRecursively());
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("W1"));
        openFileAnswers << bmp;
        click(car()->BtnNewCarPath);
        click(car()->BtnSaveExit);
        EXPECT_TRUE(frmNewCar->isVisible());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
        EXPECT_TRUE(lastMessage().contains(QStringLiteral("W1.bmp")));
        EXPECT_EQ(car()->EdtNewCarID->text(), "W1");
    });
    EXPECT_EQ(count(QStringLiteral("Car")), 1);

    // The add-customer dialog still closes with OK: the customer was written.
    ASSERT_TRUE(QDir(CustPicDir).removeRecursively());
    const int result = run(frmNewCust, [&] {
        messages.clear();
        type(cust()->EdtCustID, QStringLiteral("W2"));
        type(cust()->EdtCustName, QStringLiteral("吴十"));
        openFileAnswers << bmp;
        click(cust()->BtnNewCarPath);
        click(cust()->BitBtn1);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, Dlg::Icon::Error);
    EXPECT_EQ(count(QStringLiteral("Customer")), 1);
}
