// The shared photo piece: the kinds of file it reads, that no key reaches
// outside its folder, and that files change only with a stored row.
#include "ui_UnitNewCar.h"
#include "ui_UnitNewCust.h"
#include "NewFixture.h"
#include <QtEndian>

class Photos : public NewRecordTest {};

// A grey JPEG is taken; files of another kind, unreadable, cut off (the decoder
// would fill the rest grey) or too large to store and show change nothing.
TEST_F(Photos, AGreyJpegIsStoredAndUnfitFilesChangeNothing)
{
    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(200);
    const QString good = dir() + QStringLiteral("good.JPG");
    ASSERT_TRUE(grey.save(good, "JPG"));
    QImage noise(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    ASSERT_TRUE(noise.save(dir() + QStringLiteral("noise.jpg"), "JPG", 95));
    const QByteArray jpeg = FileBytes(dir() + QStringLiteral("noise.jpg"));
    QByteArray bmp = FileBytes(makePicture(QStringLiteral("p.bmp"), "BMP"));
    qToLittleEndian<qint32>(8000, bmp.data() + 18);   // 8000 x 8000 in the header
    qToLittleEndian<qint32>(8000, bmp.data() + 22);
    const QString unread = QStringLiteral("无法读取图片文件“");
    const std::pair<QString, QString> bad[] = {
        {makePicture(QStringLiteral("photo.png"), "PNG"), QStringLiteral("只能选择BMP或JPEG格式的图片文件！\n")},
        {makeFile(dir() + QStringLiteral("broken.jpg"), "this is not a picture"), unread},
        {makeFile(dir() + QStringLiteral("third.jpg"), jpeg.left(jpeg.size() / 3)), unread},
        {makeFile(dir() + QStringLiteral("huge.bmp"), bmp), QStringLiteral("图片文件“")}};
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("P1"));
        pickPhoto(car()->BtnNewCarPath, good);
        EXPECT_TRUE(messages.empty());
        for (const auto& [file, notice] : bad) {
            SCOPED_TRACE(file.toStdString());
            messages.clear();
            pickPhoto(car()->BtnNewCarPath, file);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(lastMessage().startsWith(notice) && lastMessage().contains(QFileInfo(file).fileName())) << lastMessage().toStdString();
            EXPECT_EQ(car()->EdtNewCarPath->text(), good);   // picture and path as they were
            EXPECT_EQ(car()->ImgNewCar->pixmap().size(), QSize(30, 20));
        }
        EXPECT_TRUE(lastMessage().contains(QStringLiteral("太大，无法保存和显示")));
        click(car()->BtnSaveNewCar);
    });
    EXPECT_EQ(bmpInfo(CarPicDir + QStringLiteral("P1.bmp")), "bmp 30x20");
    const QImage back(CarPicDir + QStringLiteral("P1.bmp"));   // the grey JPEG as a grey colour bitmap
    EXPECT_NEAR(qBlue(back.pixel(28, 18)), 200, 3);
}

// The row and its photo are stored together or not at all: a photo that cannot
// be written leaves neither, the error shows and the dialog stays open.
TEST_F(Photos, APhotoFailureLeavesNoRowAndNoFile)
{
    const QString bmp = makePicture(QStringLiteral("p.bmp"), "BMP");
    ASSERT_TRUE(QDir(CarPicDir).removeRecursively() && QDir(CustPicDir).removeRecursively());
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, QStringLiteral("W1"));
        pickPhoto(car()->BtnNewCarPath, bmp);
        click(car()->BtnSaveExit);
        EXPECT_TRUE(frmNewCar->isVisible());
    });
    run(frmNewCust, [&] {
        type(cust()->EdtCustID, QStringLiteral("W1"));
        type(cust()->EdtCustName, QStringLiteral("吴十"));
        pickPhoto(cust()->BtnNewCarPath, bmp);
        click(cust()->BitBtn1);
        EXPECT_TRUE(frmNewCust->isVisible());
    });
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].text.contains(QStringLiteral("保存失败")) && messages[1].icon == Dlg::Icon::Error) << messages[0].text.toStdString();
    EXPECT_EQ(count(QStringLiteral("Car")) + count(QStringLiteral("Customer")), 0);
    EXPECT_FALSE(db().inTransaction());
    EXPECT_EQ(files(CarPicDir) + files(CustPicDir), QStringList());
}

// The staged photo undoes every file change unless the row was stored.
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
            EXPECT_EQ(files(folder), (QStringList{QStringLiteral("A.bmp"), QStringLiteral("B.bmp")}));
            EXPECT_EQ(FileBytes(PhotoFileName(folder, QStringLiteral("A"))), a);
        }
    }
    makeStalePhoto(dir(), QStringLiteral("outside"));   // no key reaches outside the folder
    EXPECT_FALSE(DeletePhotoFile(folder, QStringLiteral("../outside")) || MovePhotoFile(folder, QStringLiteral("A"), QStringLiteral("../x")));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral("*.bmp")}), QStringList{QStringLiteral("outside.bmp")});
}
