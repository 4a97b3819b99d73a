// The vehicle register driven through its real controls: the state offered,
// the edit with a change of key and its guards, the delete and the photo page.
#include "registers_new/RegisterFixture.h"
#include "platform/Moment.h"
#include <cerrno>
#include <cstring>

namespace {

const QString Done = u"车辆信息修改完成！"_s;

class CarTest : public RegisterTest {
protected:
    void addCar(const QString& key, const QString& state = u"A"_s)
    {
        exec("Insert into Car(CarID,State,Style,Mark,Color,MotorID,Odograph,Defend,Pledge,BuyDate,CheckDate,Description) "
             "values(:k,:s,'轿车','大众','白','M-1',1000,5000,'5000元',:b,:b,'备注')", {{"k", key}, {"s", state}, {"b", QDate(2020, 3, 4)}});
    }
    void select(const QString& key) { ASSERT_TRUE(frmCar->ADOQry->locate(u"CarID"_s, key)) << key.toStdString(); }
    // 修改 answered Yes.
    void save() { answers = {Dlg::IdYes}; click(C()->BtnSaveBasic); }
    QString stored(const QString& key, const QStringList& cols) { return RowsText(db(), "Car", cols, "CarID=:k", {{"k", key}}); }
};

// Free and out of service swap; a hired-out vehicle offers no change and is never set free,
// even when it was hired out after the list was read.
TEST_F(CarTest, ASaveWritesOnlyAnOfferedStateChangeOverTheStateListed)
{
    addCar(u"free"_s);
    addCar(u"out"_s, u"B"_s);
    inCars([&] {
        select(u"out"_s);
        EXPECT_EQ(ComboItems(C()->CmbState), QStringList{u"租出"_s});
        save();
        select(u"free"_s);
        EXPECT_EQ(ComboItems(C()->CmbState), QStringList({u"空闲"_s, u"停租"_s}));
        C()->CmbState->setCurrentText(u"停租"_s);
        save();
        EXPECT_EQ(messageTexts(), QStringList({u"确定要修改原信息吗？"_s, Done, u"确定要修改原信息吗？"_s, Done}));
        EXPECT_EQ(RowsText(db(), "Car", {"CarID", "State"}), "free|D/out|B");
        // Hired out meanwhile by the hire desk: not overwritten, and the list is read again.
        exec(u"Update Car set State='B', Odograph=2000 where CarID='free'"_s);
        C()->CmbState->setCurrentText(u"空闲"_s);
        save();
        EXPECT_TRUE(lastMessage().startsWith(u"该记录已被修改"_s));
        EXPECT_EQ(C()->CmbState->currentText(), u"租出"_s);
    });
}

// A taken key (the vehicle's own in another letter case too), an empty one or a
// mileage pasted past the key filter writes nothing. Leftover photos under the
// new keys belong to no vehicle: a moved photo replaces one, a key without photo
// removes one.
TEST_F(CarTest, AKeyChangeWritesTheFieldsAndMovesEveryHireAndThePhotoButNoFeeItem)
{
    const QString oldKey = u"O'Brien 1"_s, newKey = u"京B 2'--"_s;
    addCar(oldKey, u"B"_s);
    addCar(u"K1"_s);
    addHire(oldKey, "C1", true);
    addHire(oldKey, "C1");
    exec(u"Insert into CarCost(CarID,Name,Cost) values(:c,'保险',10000)"_s, {{u"c"_s, oldKey}});
    storePhoto(CarPicDir, oldKey, QSize(40, 30));
    for (const QString& key : {newKey, u"K2"_s}) storePhoto(CarPicDir, key);
    const struct { QString key, defend, message; } refused[] = {
        {u"O'BRIEN 1"_s, {}, u"该编号的车辆已经存在，请重新输入！"_s},
        {u"   "_s, {}, u"请输入车辆编号！"_s},
        {u"new1"_s, u"12a"_s, u"保养里程数必须是0到2147483647之间的整数！"_s},
    };
    inCars([&] {
        for (const auto& c : refused) {
            select(oldKey);
            C()->EdtCarID->setText(c.key);
            if (!c.defend.isEmpty()) C()->EdtDefend->setText(c.defend);
            C()->CmbMark->setEditText(u"改过"_s);
            messages.clear();
            save();
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_TRUE(messages[1].text.startsWith(c.message)) << messages[1].text.toStdString();
            EXPECT_EQ(stored(oldKey, {"Mark"}), u"大众"_s);
        }
        select(oldKey);
        clearAndType(C()->EdtCarID, newKey);
        clearAndType(C()->EdtCarOdograph, u"2147483647"_s);
        C()->EdtDefend->clear();   // empty: the stored mileage stays
        clearAndType(C()->EdtPledge, u"押'金 50% --"_s);
        C()->DtBuy->setDate(QDate(2019, 1, 2));
        save();
        EXPECT_EQ(lastMessage(), Done);
        select(u"K1"_s);
        clearAndType(C()->EdtCarID, u"K2"_s);
        save();
    });
    EXPECT_EQ(RowsText(db(), "Leaso", {"CarID"}), newKey + '/' + newKey);
    EXPECT_EQ(stored(newKey, {"State", "Mark", "Pledge", "Odograph", "Defend", "BuyDate"}),
              u"B|改过|押'金 50% --|2147483647|5000|"_s + QString::number(DateToDays(QDate(2019, 1, 2))));
    EXPECT_EQ(RowsText(db(), "CarCost", {"CarID"}), oldKey);
    EXPECT_EQ(FilesIn(CarPicDir), QStringList{newKey + u".bmp"_s});
    EXPECT_EQ(bmpInfo(PhotoFileName(CarPicDir, newKey)), "bmp 40x30");
}

// Any hire, a finished one included, keeps a vehicle and its photo from a delete;
// without one the row and the photo go.
TEST_F(CarTest, ADeleteNeedsNoHireAndTakesThePhotoAlong)
{
    for (const QString& key : {u"K'1"_s, u"K3"_s}) {
        addCar(key);
        storePhoto(CarPicDir, key);
    }
    addHire(u"K3"_s, "C1", true);   // finished and settled
    inCars([&] {
        for (const QString& key : {u"K3"_s, u"K'1"_s}) {
            select(key);
            answers = {Dlg::IdYes};
            click(C()->BtnDel);
        }
    });
    const QString ask = u"确定要删除本项车辆的信息吗？"_s;
    EXPECT_EQ(messageTexts(), QStringList({ask, u"该车辆存在出租纪录，不能删除！\n如果车辆已不能使用，请将状态置为“停租”！"_s, ask, u"成功删除此车辆信息！"_s}));
    EXPECT_EQ(RowsText(db(), "Car", {"CarID"}), u"K3"_s);
    EXPECT_EQ(FilesIn(CarPicDir), QStringList{u"K3.bmp"_s});
}

// Every key whose file name fits the folder (up to 255 bytes, Chinese keys
// included) takes a picture, over a stored photo (keys beginning with s) or
// not (n); a longer one is refused. The picture goes under the selected key,
// never under one typed and not saved.
TEST_F(CarTest, ThePhotoPageWritesEveryNameUpToTheFoldersLimit)
{
    const QString jing(83, QChar(0x4EAC)), tooLong = u"车辆编号太长，无法用作照片的文件名（最多251个字母或数字，或83个汉字），请重新输入！"_s;
    std::vector<std::pair<QString, int>> keys;   // key, bytes of its file name
    for (const QString& first : {u"n"_s, u"s"_s}) {
        keys.insert(keys.end(), {{first + jing + 'a', 255}, {first + jing + "ab", 256}});
        for (int bytes = 248; bytes <= 256; ++bytes) keys.push_back({first + QString(bytes - 5, 'k'), bytes});
    }
    for (const auto& [key, bytes] : keys) {
        addCar(key);
        if (key[0] == 's' && bytes <= 255) storePhoto(CarPicDir, key, QSize(7, 7));
    }
    const QString picked = makePicture(u"pick.bmp"_s, "BMP", QSize(12, 9));
    inCars([&] {
        C()->PageControl1->setCurrentWidget(C()->TabSheet4);
        for (const auto& [key, bytes] : keys) {
            const std::string row = std::to_string(bytes) + " bytes " + key.left(2).toStdString();
            select(key);
            pickPhoto(C()->BtnNewCarPath, picked);
            C()->EdtCarID->setText(u"typed"_s);
            messages.clear();
            click(C()->BtnSave);
            EXPECT_EQ(messageTexts(), QStringList{bytes <= 255 ? u"图片保存成功！"_s : tooLong}) << row;
            const QString file = PhotoFileName(CarPicDir, key);
            EXPECT_EQ(QFileInfo::exists(file) ? bmpInfo(file) : QString(), QString(bytes <= 255 ? "bmp 12x9" : "")) << row;
        }
    });
    EXPECT_EQ(FilesIn(CarPicDir).size(), 18) << "nothing left beside";
}

// A picture that cannot be written says why in the program's words, with the
// system's own on a second line, and leaves the folder as it was (a folder where
// the file goes is among the photo-key rows).
TEST_F(CarTest, ThePhotoPageSaysWhyAPictureWasNotWritten)
{
    addCar(u"K"_s);
    const QString folder = CarPicDir, deep = dir() + QString(300, 'd') + '/', file = PhotoFileName(folder, u"K"_s);
    const auto sys = [](int err) { return QString::fromLocal8Bit(std::strerror(err)); };
    const struct { const char* name; std::function<void()> make; QString folder, text; } rows[] = {
        {"the folder missing", [&] { QDir(folder).removeRecursively(); }, folder,
         u"照片文件保存失败（%1）：照片文件夹不存在，本次没有保存任何内容。\n"_s.arg(folder) + sys(ENOENT)},
        {"a folder name too long", [] {}, deep,
         u"照片文件保存失败（%1）：文件名或路径太长，本次没有保存任何内容。\n"_s.arg(deep) + sys(ENAMETOOLONG)},
        {"a folder where the file goes", [&] { QDir().mkpath(file); }, folder,
         u"照片文件“%1”保存失败：该位置已有同名的文件夹或其他项目，本次没有保存任何内容。\n"_s.arg(file) + sys(EEXIST)},
    };
    const QString picked = makePicture(u"pick.bmp"_s, "BMP");
    inCars([&] {
        C()->PageControl1->setCurrentWidget(C()->TabSheet4);
        for (const auto& r : rows) {
            r.make();
            CarPicDir = r.folder;
            pickPhoto(C()->BtnNewCarPath, picked);
            messages.clear();
            click(C()->BtnSave);
            CarPicDir = folder;
            EXPECT_EQ(messageTexts(), QStringList{r.text}) << r.name;
            EXPECT_TRUE(FilesIn(folder).isEmpty() && !QDir(deep).exists()) << r.name;   // nothing written
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
        }
    });
}

} // namespace
