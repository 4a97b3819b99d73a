// The shared photo piece: the kinds of file it reads, which keys can name a
// photo in the four windows that store one, and that files change only with a
// stored row.
#include "RegisterFixture.h"
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

class Photos : public RegisterTest {};

// A grey JPEG is taken; files of another kind, unreadable, cut off (the decoder
// would fill in grey) or too large change nothing.
TEST_F(Photos, AGreyJpegIsStoredAndUnfitFilesChangeNothing)
{
    QImage grey(30, 20, QImage::Format_Grayscale8);
    grey.fill(200);
    const QString good = dir() + u"good.JPG"_s;
    ASSERT_TRUE(grey.save(good, "JPG"));
    QImage noise(64, 48, QImage::Format_RGB32);
    for (int i = 0; i < 64 * 48; ++i) noise.setPixel(i % 64, i / 64, qRgb(i * 7, i * 13, i * 31));
    ASSERT_TRUE(noise.save(dir() + u"noise.jpg"_s, "JPG", 95));
    const QByteArray jpeg = FileBytes(dir() + u"noise.jpg"_s);
    QByteArray bmp = FileBytes(makePicture(u"p.bmp"_s, "BMP"));
    qToLittleEndian<qint32>(8000, bmp.data() + 18);   // 8000 x 8000 in the header
    qToLittleEndian<qint32>(8000, bmp.data() + 22);
    const QString unread = u"无法读取图片文件“"_s;
    auto file = [&](const char* name, const QByteArray& content) { EXPECT_TRUE(WriteFile(dir() + name, content)); return dir() + name; };
    const std::pair<QString, QString> bad[] = {
        {makePicture(u"photo.png"_s, "PNG"), u"只能选择BMP或JPEG格式的图片文件！\n"_s},
        {file("broken.jpg", "this is not a picture"), unread},
        {file("third.jpg", jpeg.left(jpeg.size() / 3)), unread},
        {file("huge.bmp", bmp), u"图片文件“"_s}};
    run(frmNewCar, [&] {
        type(car()->EdtNewCarID, u"P1"_s);
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
        EXPECT_TRUE(lastMessage().contains(u"太大，无法保存和显示"_s));
        click(car()->BtnSaveNewCar);
    });
    EXPECT_EQ(bmpInfo(CarPicDir + u"P1.bmp"_s), "bmp 30x20");
    const QImage back(CarPicDir + u"P1.bmp"_s);   // the grey JPEG as a grey colour bitmap
    EXPECT_NEAR(qBlue(back.pixel(28, 18)), 200, 3);
}

// A key that cannot name its photo file (it leaves the folder, or key + ".bmp"
// passes 255 bytes) is refused before anything is written whenever a photo is
// kept under it, in the add dialogs and key changes alike; without a photo it is
// stored. A photo that cannot be put in place, or a commit refused after it was
// put there, undoes the whole save.
enum class Place { NewCar, NewCust, CarKey, CustKey };

class PhotoKeys : public RegisterTest, public ::testing::WithParamInterface<Place> {};

TEST_P(PhotoKeys, AKeyThatCannotNameItsPhotoIsRefusedBeforeAnythingIsWritten)
{
    enum Outcome { Stored, Leaves, TooLong, Fails, Refused };
    const QString long90(90, QChar(0x4EAC));   // 京: 270 bytes
    struct Row { std::string name; QString key; bool photo = true; Outcome outcome = Stored; };
    std::vector<Row> rows = {
        {"90 Chinese characters", long90, true, TooLong},
        {"255 bytes, 83 Chinese characters", QString(83, QChar(0x4EAC)) + u"ab"_s},
        {"256 bytes", QString(252, 'a'), true, TooLong},
        {"leaves the folder", u"../x"_s, true, Leaves},
        {"ordinary", u"粤B 1'2"_s},
        {"90 Chinese characters, no photo", long90, false},
        {"its file name taken by a folder", u"粤B9"_s, true, Fails},
        {"the commit refused", u"NEW"_s, true, Refused},
    };
    for (int bytes = 248; bytes <= 255; ++bytes) rows.push_back({std::to_string(bytes) + " bytes", QString(bytes - 4, 'a')});
    const Place place = GetParam();
    const bool isCar = place == Place::NewCar || place == Place::CarKey, reg = place == Place::CarKey || place == Place::CustKey;
    const QString folder = isCar ? CarPicDir : CustPicDir, what = isCar ? u"车辆编号"_s : u"客户证件号"_s;
    struct Window { TForm* form; QLineEdit* key; QAbstractButton *pick, *save; QString done; };
    const Window w = std::array<Window, 4>{{
        {frmNewCar, car()->EdtNewCarID, car()->BtnNewCarPath, car()->BtnSaveNewCar, u"该车辆信息成功保存！"_s},
        {frmNewCust, cust()->EdtCustID, cust()->BtnNewCarPath, cust()->BitBtn1, u"保存成功！"_s},
        {frmCar, C()->EdtCarID, nullptr, C()->BtnSaveBasic, u"车辆信息修改完成！"_s},
        {frmCust, U()->EdtCustID, nullptr, U()->BtnSaveBasic, u"客户信息修改完成！"_s}}}[int(place)];
    storePhoto(dir(), u"x"_s);   // where "../x" points
    const QString picture = makePicture(u"p.bmp"_s, "BMP");
    // The commit refused after the photo was put in place; the files seen then.
    struct Hook { QString folder; QStringList seen; } hook{folder, {}};
    const auto refuse = [](void* h) { static_cast<Hook*>(h)->seen = FilesIn(static_cast<Hook*>(h)->folder); return 1; };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        // The record to change, with a hire and, when the row says, its stored photo.
        for (const char* t : {"Car", "Customer", "Leaso"}) exec(u"delete from "_s + QLatin1String(t));
        if (reg) exec(isCar ? u"insert into Car(CarID,State) values('OLD','A')"_s : u"insert into Customer(CustID,CustName) values('OLD','张三')"_s);
        if (reg) addHire(isCar ? "OLD" : "京A1", isCar ? "C1" : "OLD");
        for (const QString& f : {CarPicDir, CustPicDir}) ASSERT_TRUE(QDir(f).removeRecursively() && QDir().mkpath(f));
        if (reg && r.photo) storePhoto(folder, u"OLD"_s);
        if (r.outcome == Fails) QDir(folder).mkdir(r.key + u".bmp"_s);
        messages.clear();
        run(w.form, [&] {
            if (place == Place::NewCust) type(cust()->EdtCustName, u"张三"_s);
            w.key->setText(r.key);
            if (r.photo && !reg) pickPhoto(w.pick, picture);
            if (place == Place::CarKey) answers = {Dlg::IdYes};
            if (r.outcome == Refused) sqlite3_commit_hook(db().handle(), refuse, &hook);
            click(w.save);
            sqlite3_commit_hook(db().handle(), nullptr, nullptr);
            if (r.outcome != Stored) EXPECT_TRUE(w.key->isVisible() && w.key->text() == r.key);   // the window as it was
        });
        QStringList shown = messageTexts();
        if (place == Place::CarKey) EXPECT_EQ(shown.isEmpty() ? QString() : shown.takeFirst(), u"确定要修改原信息吗？"_s);
        const QString notice[] = {w.done, what + u"不能含有“/”或“\\”，也不能是“.”或“..”，请重新输入！"_s,
                                  what + u"太长，无法用作照片的文件名（最多251个字母或数字，或83个汉字），请重新输入！"_s};
        if (r.outcome == Fails)
            EXPECT_EQ(shown, QStringList{u"照片文件“%1”保存失败：该位置已有同名的文件夹或其他项目，本次没有保存任何内容。\n%2"_s
                                             .arg(PhotoFileName(folder, r.key), QString::fromLocal8Bit(std::strerror(EEXIST)))});
        else if (r.outcome == Refused) {
            EXPECT_TRUE(shown.size() == 1 && shown[0].contains(u"本次没有保存任何内容"_s)) << shown.join('\n').toStdString();
            EXPECT_TRUE(hook.seen.contains(r.key + u".bmp"_s) && !hook.seen.contains(u"OLD.bmp"_s))
                << hook.seen.join(' ').toStdString();   // in place before the commit
        } else EXPECT_EQ(shown, QStringList{notice[r.outcome]});
        // The rows: the record under the new key, or as it was; its hire follows it.
        const QString kept = r.outcome == Stored ? r.key : reg ? u"OLD"_s : QString();
        const QString hire = !reg ? QString() : isCar ? kept + u"|C1"_s : u"京A1|"_s + kept;
        EXPECT_EQ(RowsText(db(), "Car", {"CarID"}) + '#' + RowsText(db(), "Customer", {"CustID"}) + '#' + RowsText(db(), "Leaso", {"CarID", "CustID"}),
                  (isCar ? kept + '#' : '#' + kept) + '#' + hire);
        EXPECT_FALSE(db().inTransaction());
        // The files: the photo (the stored one, or the one picked) under the key it is kept with, nothing else.
        const QString photo = r.photo ? kept : QString();
        EXPECT_EQ(FilesIn(CarPicDir) + FilesIn(CustPicDir), photo.isEmpty() ? QStringList() : QStringList{photo + u".bmp"_s});
        if (!photo.isEmpty()) EXPECT_EQ(bmpInfo(PhotoFileName(folder, photo)), reg ? "bmp 5x5" : "bmp 37x23");
    }
    EXPECT_EQ(bmpInfo(dir() + u"x.bmp"_s), "bmp 5x5");
}

INSTANTIATE_TEST_SUITE_P(, PhotoKeys, ::testing::Values(Place::NewCar, Place::NewCust, Place::CarKey, Place::CustKey),
                         [](const auto& i) { return std::string(std::array{"NewCar", "NewCust", "CarKey", "CustKey"}[int(i.param)]); });

// The staged photo undoes every file change unless the row was stored.
TEST_F(Photos, AStagedPhotoPutsEveryFileBackUnlessKept)
{
    const QImage red(makePicture(u"red.png"_s, "PNG"));
    storePhoto(CarPicDir, u"A"_s);
    storePhoto(CarPicDir, u"B"_s);
    const QByteArray a = FileBytes(PhotoFileName(CarPicDir, u"A"_s));
    using Act = TStagedPhoto::Action;
    for (Act act : {Act::Write, Act::Remove, Act::Keep}) {
        for (const QString& old : {QString(), u"B"_s}) {
            TStagedPhoto(CarPicDir, act, red).commitTo(u"A"_s, old);   // not kept: the row was not stored
            EXPECT_EQ(FilesIn(CarPicDir), (QStringList{u"A.bmp"_s, u"B.bmp"_s}));
            EXPECT_EQ(FileBytes(PhotoFileName(CarPicDir, u"A"_s)), a);
        }
    }
    storePhoto(dir(), u"outside"_s);   // no key reaches outside the folder
    EXPECT_FALSE(DeletePhotoFile(CarPicDir, u"../outside"_s));
    EXPECT_EQ(QDir(dir()).entryList({u"*.bmp"_s}), QStringList{u"outside.bmp"_s});
}

// The common causes of a failed photo file have a sentence; whether the folder is missing is asked of the disk.
TEST_F(Photos, TheCommonCausesOfAFileFailureHaveASentence)
{
    const QString gone = dir() + u"gone/"_s, file = makePicture(u"f.bmp"_s, "BMP") + '/';
    const QString access = u"没有读写该文件或照片文件夹的权限"_s, full = u"磁盘空间已满"_s,
                  missing = u"照片文件夹不存在"_s, inTheWay = u"该位置已有同名的文件夹或其他项目"_s;
    const struct { const char* name; int err; QString folder, cause; } rows[] = {
        {"no permission", EACCES, CarPicDir, access},
        {"not permitted", EPERM, CarPicDir, access},
        {"disk full", ENOSPC, CarPicDir, full},
        {"over quota", EDQUOT, CarPicDir, full},
        {"name too long", ENAMETOOLONG, gone, u"文件名或路径太长"_s},
        {"read-only file system", EROFS, CarPicDir, u"照片文件夹所在的磁盘是只读的"_s},
        {"a folder in the way", EISDIR, CarPicDir, inTheWay},
        {"a file in the way", EEXIST, CarPicDir, inTheWay},
        {"the folder missing", ENOENT, gone, missing},
        {"a file for the folder", ENOTDIR, file, missing},
        {"the folder there, a file gone", ENOENT, CarPicDir, QString()},
        {"anything else", EIO, CarPicDir, QString()},
    };
    for (const auto& r : rows) EXPECT_EQ(PhotoFileCause(r.folder, r.err), r.cause) << r.name;
}

// Two names are one file when they share device and inode (a hard link stands for a case-blind twin).
TEST_F(Photos, TwoNamesAreOneFileWhenTheyShareTheirInode)
{
    for (const char* key : {"x", "y"}) storePhoto(CarPicDir, QLatin1String(key));
    auto name = [](const char* key) { return PhotoFileName(CarPicDir, QLatin1String(key)); };
    ASSERT_EQ(::link(QFile::encodeName(name("x")).constData(), QFile::encodeName(name("X")).constData()), 0);
    const struct { const char *a, *b; bool one; } rows[] = {{"x", "X", true}, {"X", "x", true}, {"x", "y", false}, {"y", "Y", false}};
    for (const auto& r : rows) EXPECT_EQ(PhotoNamesAreOneFile(name(r.a), name(r.b)), r.one) << r.a << " " << r.b;
}
