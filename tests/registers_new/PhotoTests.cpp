// The shared photo piece: picking through a real dialog, the kinds of file it
// reads, and what showing and storing do with the files.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QBuffer>
#include <QtEndian>

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

// The registers show a stored photo through the same piece; no key reaches outside its folder,
// and a stored file that cannot be read is reported and survives saves, moved with its key.
TEST_F(Photos, AStoredPhotoIsShownBracketedAndNeverLeavesTheFolder)
{
    QWidget w;
    auto* picture = new QLabel;
    (new QScrollArea(&w))->setWidget(picture);
    auto* path = new QLineEdit(&w);
    TPhotoBox box(&w, picture, path, CustPicDir);
    makeStalePhoto(CustPicDir, QStringLiteral("K 1"));
    box.showStored(QStringLiteral("K 1"));
    EXPECT_EQ(path->text() + '|' + QString::number(picture->width()), QStringLiteral("[K 1]|5"));   // at its own size
    makeStalePhoto(dir(), QStringLiteral("outside"));
    EXPECT_THROW(box.write(QStringLiteral("../x")), std::exception);
    EXPECT_THROW(box.store(QStringLiteral("..")), std::exception);
    EXPECT_FALSE(DeletePhotoFile(CustPicDir, QStringLiteral("../outside")));
    EXPECT_FALSE(MovePhotoFile(CustPicDir, QStringLiteral("K 1"), QStringLiteral("../moved")));
    EXPECT_FALSE(MovePhotoFile(CustPicDir, QStringLiteral("../outside"), QStringLiteral("x")));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("*.bmp")}), QStringList{QStringLiteral("outside.bmp")});
    EXPECT_EQ(files(CustPicDir), QStringList{QStringLiteral("K 1.bmp")});
    makeFile(CustPicDir + QStringLiteral("K 3.bmp"), "garbage");
    EXPECT_THROW(box.showStored(QStringLiteral("K 3")), std::exception);
    EXPECT_EQ(path->text(), QStringLiteral("[K 3]"));
    EXPECT_FALSE(box.store(QStringLiteral("K 3")));
    EXPECT_FALSE(box.store(QStringLiteral("K 4"), QStringLiteral("K 3")));
    EXPECT_EQ(FileBytes(CustPicDir + QStringLiteral("K 4.bmp")), "garbage");
}

// The row and its photo are stored together or not at all: a photo that cannot
// be written (no folder, a key too long for a file name) leaves neither, the
// error shows and the dialog stays open.
TEST_F(Photos, APhotoFailureLeavesNoRowAndNoFile)
{
    const QString bmp = makePicture(QStringLiteral("p.bmp"), "BMP");
    const QString longKey = QString(300, QLatin1Char('K'));
    struct Case { const char* name; QString key; bool removeFolders; };
    for (const Case& c : {Case{"no folder", QStringLiteral("W1"), true}, Case{"300-character key", longKey, false}}) {
        SCOPED_TRACE(c.name);
        if (c.removeFolders) ASSERT_TRUE(QDir(CarPicDir).removeRecursively() && QDir(CustPicDir).removeRecursively());
        else ASSERT_TRUE(QDir().mkpath(CarPicDir) && QDir().mkpath(CustPicDir));
        messages.clear();
        run(frmNewCar, [&] {
            type(car()->EdtNewCarID, c.key);
            pickPhoto(car()->BtnNewCarPath, bmp);
            click(car()->BtnSaveExit);
            EXPECT_TRUE(frmNewCar->isVisible());
        });
        EXPECT_EQ(run(frmNewCust, [&] {
            type(cust()->EdtCustID, c.key);
            type(cust()->EdtCustName, QStringLiteral("吴十"));
            pickPhoto(cust()->BtnNewCarPath, bmp);
            click(cust()->BitBtn1);
            EXPECT_TRUE(frmNewCust->isVisible());
        }), QDialog::Rejected);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_TRUE(messages[0].icon == Dlg::Icon::Error && messages[1].icon == Dlg::Icon::Error);
        EXPECT_TRUE(messages[0].text.contains(QStringLiteral("保存失败"))) << messages[0].text.toStdString();
        EXPECT_EQ(count(QStringLiteral("Car")) + count(QStringLiteral("Customer")), 0);
        EXPECT_FALSE(db().inTransaction());
        EXPECT_EQ(files(CarPicDir) + files(CustPicDir), QStringList());
    }
}

// The staged photo undoes every file change until the row is kept.
TEST_F(Photos, AStagedPhotoPutsEveryFileBackUnlessKept)
{
    QImage red(3, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString folder = CarPicDir;
    makeStalePhoto(folder, QStringLiteral("A"));
    makeStalePhoto(folder, QStringLiteral("B"));
    const QByteArray a = FileBytes(PhotoFileName(folder, QStringLiteral("A")));
    using Act = TStagedPhoto::Action;
    for (Act act : {Act::Write, Act::Remove, Act::Keep}) {
        for (const QString& old : {QString(), QStringLiteral("B")}) {
            {
                TStagedPhoto staged(folder, act, red);
                staged.commitTo(QStringLiteral("A"), old);
            }   // not kept: the row was not stored
            EXPECT_EQ(files(folder), (QStringList{QStringLiteral("A.bmp"), QStringLiteral("B.bmp")}));   // hidden ones too
            EXPECT_EQ(FileBytes(PhotoFileName(folder, QStringLiteral("A"))), a);
        }
    }
    {   // kept with a changed key: the new picture under the new key only, nothing else left
        TStagedPhoto staged(folder, Act::Write, red);
        staged.commitTo(QStringLiteral("C"), QStringLiteral("A"));
        staged.keep();
    }
    EXPECT_EQ(files(folder), (QStringList{QStringLiteral("B.bmp"), QStringLiteral("C.bmp")}));
    EXPECT_EQ(bmpInfo(PhotoFileName(folder, QStringLiteral("C"))), "bmp 3x2");
    {   // the kept stored file moves with its key
        TStagedPhoto staged(folder, Act::Keep);
        staged.commitTo(QStringLiteral("D"), QStringLiteral("B"));
        staged.keep();
    }
    EXPECT_EQ(files(folder), (QStringList{QStringLiteral("C.bmp"), QStringLiteral("D.bmp")}));
}

// A picture too large to store and show is refused as too large; a JPEG cut off
// is refused as damaged, not stored grey. Nothing is taken either way.
TEST_F(Photos, TooLargeAndCutOffPicturesAreRefusedWithTheirOwnMessages)
{
    QImage noise(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    QByteArray jpeg;
    {
        QBuffer b(&jpeg);
        ASSERT_TRUE(b.open(QIODevice::WriteOnly) && noise.save(&b, "JPG", 95));
    }
    // 8000 x 8000 in the frame header, the size a decoder believes.
    QByteArray huge = jpeg;
    const int sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    for (int at : {sof + 5, sof + 7}) { huge[at] = char(8000 >> 8); huge[at + 1] = char(8000 & 0xFF); }
    QByteArray bmp;
    {
        QBuffer b(&bmp);
        ASSERT_TRUE(b.open(QIODevice::WriteOnly) && noise.save(&b, "BMP"));
    }
    qToLittleEndian<qint32>(8000, bmp.data() + 18);
    qToLittleEndian<qint32>(8000, bmp.data() + 22);

    const QString tooLarge = QStringLiteral("太大，无法保存和显示");
    const QString damaged = QStringLiteral("文件已损坏或不是有效的JPEG图片");
    const std::pair<QString, QString> cases[] = {
        {makeFile(dir() + QStringLiteral("huge.jpg"), huge), tooLarge},
        {makeFile(dir() + QStringLiteral("huge.bmp"), bmp), tooLarge},
        {makeFile(dir() + QStringLiteral("third.jpg"), jpeg.left(jpeg.size() / 3)), damaged},
    };
    run(frmNewCar, [&] {
        for (const auto& [file, text] : cases) {
            SCOPED_TRACE(file.toStdString());
            messages.clear();
            pickPhoto(car()->BtnNewCarPath, file);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(lastMessage().contains(text)) << lastMessage().toStdString();
            EXPECT_EQ(car()->EdtNewCarPath->text(), QString());
            EXPECT_TRUE(car()->ImgNewCar->pixmap().isNull());
        }
    });
    PhotoProblem p = PhotoProblem::None;   // the picture cut or enlarged was whole
    EXPECT_EQ(LoadPhotoFile(makeFile(dir() + QStringLiteral("whole.jpg"), jpeg), nullptr, &p).size(), QSize(64, 48));
}
