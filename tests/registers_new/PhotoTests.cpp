// The shared photo piece: picking through a real dialog, the kinds of file it
// reads, and what showing and storing do with the files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>

class Photos : public NewRecordTest {};

TEST_F(Photos, PicturesOfAnyEndingCaseAreTakenAndTheRestChangeNothing)
{
    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(200);
    const QString good = dir() + QStringLiteral("good.JPG");
    QFile g(good);
    ASSERT_TRUE(grey.save(good, "JPG") && g.open(QIODevice::ReadOnly));
    const QString unread = QStringLiteral("无法读取图片文件“");
    const std::pair<QString, QString> bad[] = {
        {makePicture(QStringLiteral("photo.png"), "PNG"), QStringLiteral("只能选择BMP或JPEG格式的图片文件！\n")},
        {makePicture(QStringLiteral("fake.bmp"), "PNG"), unread},
        {makeFile(dir() + QStringLiteral("broken.jpg"), "this is not a picture"), unread},
        {makeFile(dir() + QStringLiteral("cut.jpeg"), g.read(40)), unread},   // the header only
        {dir() + QStringLiteral("gone.bmp"), unread}};
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("P1"));
        for (const char* name : {"a.bmp", "b.BmP", "c.jpg", "d.JPEG", "e.jPeG"}) {
            const QString file = makePicture(QString::fromLatin1(name), QByteArray(name).toUpper().endsWith(".BMP") ? "BMP" : "JPG", QSize(9, 7));
            pickPhoto(car()->BtnNewCarPath, file);
            EXPECT_TRUE(car()->EdtNewCarPath->text() == file && car()->ImgNewCar->pixmap().size() == QSize(9, 7)) << name;
        }
        pickPhoto(car()->BtnNewCarPath, good);
        EXPECT_TRUE(messages.empty());
        for (const auto& [file, notice] : bad) {
            SCOPED_TRACE(file.toStdString());
            messages.clear();
            pickPhoto(car()->BtnNewCarPath, file);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].caption, QStringLiteral("Quorvane"));
            EXPECT_EQ(messages[0].icon, Dlg::Icon::Information);
            EXPECT_TRUE(lastMessage().startsWith(notice) && lastMessage().contains(QFileInfo(file).fileName()));
            EXPECT_EQ(car()->EdtNewCarPath->text(), good);   // picture and path as they were
            EXPECT_EQ(car()->ImgNewCar->pixmap().size(), QSize(30, 20));
        }
        messages.clear();
        click(car()->BtnNewCarPath);   // cancelled: nothing changes, nothing said
        EXPECT_TRUE(messages.empty() && car()->EdtNewCarPath->text() == good);
        click(car()->BtnSaveNewCar);
    });
    EXPECT_EQ(bmpInfo(CarPicDir + QStringLiteral("P1.bmp")), "bmp 30x20");
    const QImage back(CarPicDir + QStringLiteral("P1.bmp"));   // the grey JPEG as a grey colour bitmap
    EXPECT_NEAR(qRed(back.pixel(28, 18)), 200, 3);
    EXPECT_NEAR(qBlue(back.pixel(28, 18)), 200, 3);
}

// The registers show a stored photo and save over it through the same piece.
TEST_F(Photos, AStoredPhotoIsShownBracketedAndKeptOrMovedBySavesAndNeverLeavesTheFolder)
{
    QWidget w;
    auto* picture = new QLabel;
    (new QScrollArea(&w))->setWidget(picture);
    auto* path = new QLineEdit(&w);
    TPhotoBox box(&w, picture, path, CustPicDir);
    box.showStored(QStringLiteral("nobody"));
    EXPECT_EQ(path->text(), "");
    makeStalePhoto(CustPicDir, QStringLiteral("K 1"));
    box.showStored(QStringLiteral("K 1"));
    EXPECT_EQ(path->text(), QStringLiteral("[K 1]"));
    EXPECT_EQ(picture->size(), QSize(5, 5));   // at its own size in the scroll box

    makeStalePhoto(dir(), QStringLiteral("outside"));
    EXPECT_THROW(box.write(QStringLiteral("../x")), std::exception);
    EXPECT_THROW(box.store(QStringLiteral("..")), std::exception);
    EXPECT_FALSE(DeletePhotoFile(CustPicDir, QStringLiteral("../outside")));
    EXPECT_FALSE(MovePhotoFile(CustPicDir, QStringLiteral("K 1"), QStringLiteral("../moved")));
    EXPECT_FALSE(MovePhotoFile(CustPicDir, QStringLiteral("../outside"), QStringLiteral("x")));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("*.bmp")}), QStringList{QStringLiteral("outside.bmp")});
    EXPECT_EQ(files(CustPicDir), QStringList{QStringLiteral("K 1.bmp")});

    EXPECT_TRUE(box.store(QStringLiteral("K 2"), QStringLiteral("K 1")));   // a changed key: the new one only
    EXPECT_EQ(files(CustPicDir), QStringList{QStringLiteral("K 2.bmp")});
    box.clear();
    EXPECT_FALSE(box.store(QStringLiteral("K 2")));   // cleared and saved: the file goes
    EXPECT_TRUE(files(CustPicDir).isEmpty());

    // A stored file that cannot be read is reported and survives saves, moved with its key.
    makeFile(CustPicDir + QStringLiteral("K 3.bmp"), "garbage");
    EXPECT_THROW(box.showStored(QStringLiteral("K 3")), std::exception);
    EXPECT_EQ(path->text(), QStringLiteral("[K 3]"));
    EXPECT_FALSE(box.store(QStringLiteral("K 3")));
    EXPECT_FALSE(box.store(QStringLiteral("K 4"), QStringLiteral("K 3")));
    makeStalePhoto(CustPicDir, QStringLiteral("other"));   // a move replaces the file under the new name
    EXPECT_TRUE(MovePhotoFile(CustPicDir, QStringLiteral("K 4"), QStringLiteral("other")));
    EXPECT_EQ(files(CustPicDir), QStringList{QStringLiteral("other.bmp")});
    EXPECT_EQ(QFileInfo(CustPicDir + QStringLiteral("other.bmp")).size(), 7);   // the moved garbage
}

TEST_F(Photos, AFailedWriteIsReportedAndNoSuccessIsShown)
{
    const QString bmp = makePicture(QStringLiteral("p.bmp"), "BMP");
    ASSERT_TRUE(QDir(CarPicDir).removeRecursively() && QDir(CustPicDir).removeRecursively());
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("W1"));
        pickPhoto(car()->BtnNewCarPath, bmp);
        click(car()->BtnSaveExit);
        EXPECT_TRUE(frmNewCar->isVisible());   // the row stands, the error shows, the dialog stays
    });
    // The add-customer dialog still closes with OK: the customer was written.
    EXPECT_EQ(run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("W2"));
        type(cust()->EdtCustName, QStringLiteral("吴十"));
        pickPhoto(cust()->BtnNewCarPath, bmp);
        click(cust()->BitBtn1);
    }), QDialog::Accepted);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].icon == Dlg::Icon::Error && messages[1].icon == Dlg::Icon::Error);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("W1.bmp")) && messages[1].text.contains(QStringLiteral("W2.bmp")));
    EXPECT_EQ(count(QStringLiteral("Car")) + count(QStringLiteral("Customer")), 2);
}
