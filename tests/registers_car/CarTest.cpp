// The vehicle register driven through its real controls: the state offered,
// the edit with a change of key and its guards, the delete and the photo page.
#include "registers_new/RegisterFixture.h"
#include "platform/Moment.h"
#include <cerrno>
#include <cstring>

namespace {

const QString Done = QStringLiteral("车辆信息修改完成！");

class CarTest : public RegisterTest {
protected:
    void addCar(const QString& key, const QString& state = QStringLiteral("A"))
    {
        exec(QStringLiteral("Insert into Car(CarID,State,Style,Mark,Color,MotorID,Odograph,Defend,Pledge,BuyDate,CheckDate,Description) "
                            "values(:k,:s,'轿车','大众','白','M-1',1000,5000,'5000元',:b,:b,'备注')"),
             {{QStringLiteral("k"), key}, {QStringLiteral("s"), state}, {QStringLiteral("b"), QDate(2020, 3, 4)}});
    }
    void select(const QString& key) { ASSERT_TRUE(frmCar->ADOQry->locate(QStringLiteral("CarID"), key)) << key.toStdString(); }
    // 修改 answered Yes.
    void save() { answers = {Dlg::IdYes}; click(C()->BtnSaveBasic); }
    QString stored(const QString& key, const QStringList& cols) { return RowsText(db(), "Car", cols, "CarID=:k", {{"k", key}}); }
};

// Free and out of service swap; a hired-out vehicle offers no change and is never set free,
// even when it was hired out after the list was read.
TEST_F(CarTest, ASaveWritesOnlyAnOfferedStateChangeOverTheStateListed)
{
    addCar(QStringLiteral("free"));
    addCar(QStringLiteral("out"), QStringLiteral("B"));
    inCars([&] {
        select(QStringLiteral("out"));
        EXPECT_EQ(ComboItems(C()->CmbState), QStringList{QStringLiteral("租出")});
        save();
        select(QStringLiteral("free"));
        EXPECT_EQ(ComboItems(C()->CmbState), QStringList({QStringLiteral("空闲"), QStringLiteral("停租")}));
        C()->CmbState->setCurrentText(QStringLiteral("停租"));
        save();
        EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("确定要修改原信息吗？"), Done, QStringLiteral("确定要修改原信息吗？"), Done}));
        EXPECT_EQ(RowsText(db(), "Car", {"CarID", "State"}), "free|D/out|B");
        // Hired out meanwhile by the hire desk: not overwritten, and the list is read again.
        exec(QStringLiteral("Update Car set State='B', Odograph=2000 where CarID='free'"));
        C()->CmbState->setCurrentText(QStringLiteral("空闲"));
        save();
        EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("该记录已被修改")));
        EXPECT_EQ(C()->CmbState->currentText(), QStringLiteral("租出"));
    });
}

// A taken key (the vehicle's own in another letter case too), an empty one or a
// mileage pasted past the key filter writes nothing. Leftover photos under the
// new keys belong to no vehicle: a moved photo replaces one, a key without photo
// removes one.
TEST_F(CarTest, AKeyChangeWritesTheFieldsAndMovesEveryHireAndThePhotoButNoFeeItem)
{
    const QString oldKey = QStringLiteral("O'Brien 1"), newKey = QStringLiteral("京B 2'--");
    addCar(oldKey, QStringLiteral("B"));
    addCar(QStringLiteral("K1"));
    addHire(oldKey, "C1", true);
    addHire(oldKey, "C1");
    exec(QStringLiteral("Insert into CarCost(CarID,Name,Cost) values(:c,'保险',10000)"), {{QStringLiteral("c"), oldKey}});
    storePhoto(CarPicDir, oldKey, QSize(40, 30));
    for (const QString& key : {newKey, QStringLiteral("K2")}) storePhoto(CarPicDir, key);
    const struct { QString key, defend, message; } refused[] = {
        {QStringLiteral("O'BRIEN 1"), {}, QStringLiteral("该编号的车辆已经存在，请重新输入！")},
        {QStringLiteral("   "), {}, QStringLiteral("请输入车辆编号！")},
        {QStringLiteral("new1"), QStringLiteral("12a"), QStringLiteral("保养里程数必须是0到2147483647之间的整数！")},
    };
    inCars([&] {
        for (const auto& c : refused) {
            select(oldKey);
            C()->EdtCarID->setText(c.key);
            if (!c.defend.isEmpty()) C()->EdtDefend->setText(c.defend);
            C()->CmbMark->setEditText(QStringLiteral("改过"));
            messages.clear();
            save();
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_TRUE(messages[1].text.startsWith(c.message)) << messages[1].text.toStdString();
            EXPECT_EQ(stored(oldKey, {"Mark"}), QStringLiteral("大众"));
        }
        select(oldKey);
        clearAndType(C()->EdtCarID, newKey);
        clearAndType(C()->EdtCarOdograph, QStringLiteral("2147483647"));
        C()->EdtDefend->clear();   // empty: the stored mileage stays
        clearAndType(C()->EdtPledge, QStringLiteral("押'金 50% --"));
        C()->DtBuy->setDate(QDate(2019, 1, 2));
        save();
        EXPECT_EQ(lastMessage(), Done);
        select(QStringLiteral("K1"));
        clearAndType(C()->EdtCarID, QStringLiteral("K2"));
        save();
    });
    EXPECT_EQ(RowsText(db(), "Leaso", {"CarID"}), newKey + '/' + newKey);
    EXPECT_EQ(stored(newKey, {"State", "Mark", "Pledge", "Odograph", "Defend", "BuyDate"}),
              QStringLiteral("B|改过|押'金 50% --|2147483647|5000|") + QString::number(DateToDays(QDate(2019, 1, 2))));
    EXPECT_EQ(RowsText(db(), "CarCost", {"CarID"}), oldKey);
    EXPECT_EQ(FilesIn(CarPicDir), QStringList{newKey + QStringLiteral(".bmp")});
    EXPECT_EQ(bmpInfo(PhotoFileName(CarPicDir, newKey)), "bmp 40x30");
}

// The photo page writes under the selected key, never under one typed and not
// saved, and not under a key too long to name a file.
TEST_F(CarTest, APictureIsSavedUnderTheSelectedKeyAndADeleteNeedsNoHire)
{
    const QString longKey(90, QChar(0x4EAC));   // stored without a photo
    for (const QString& key : {longKey, QStringLiteral("K'1"), QStringLiteral("K3")}) addCar(key);
    addHire(QStringLiteral("K3"), "C1", true);   // finished and settled
    storePhoto(CarPicDir, QStringLiteral("K'1"), QSize(7, 7));
    const QString picked = makePicture(QStringLiteral("pick.bmp"), "BMP", QSize(12, 9));
    inCars([&] {
        C()->PageControl1->setCurrentWidget(C()->TabSheet4);
        for (const QString& key : {longKey, QStringLiteral("K3")}) {
            select(key);
            pickPhoto(C()->BtnNewCarPath, picked);
            if (key == longKey) click(C()->BtnSave);
        }
        EXPECT_EQ(lastMessage(), QStringLiteral("车辆编号太长，无法用作照片的文件名（最多251个字母或数字，或83个汉字），请重新输入！"));
        C()->EdtCarID->setText(QStringLiteral("K'1"));
        click(C()->BtnSave);
        EXPECT_EQ(lastMessage(), QStringLiteral("图片保存成功！"));
        EXPECT_EQ(bmpInfo(PhotoFileName(CarPicDir, QStringLiteral("K'1"))), "bmp 7x7");
        messages.clear();
        answers = {Dlg::IdYes};
        click(C()->BtnDel);
        EXPECT_EQ(messageTexts(), QStringList({QStringLiteral("确定要删除本项车辆的信息吗？"),
                                               QStringLiteral("该车辆存在出租纪录，不能删除！\n如果车辆已不能使用，请将状态置为“停租”！")}));
        select(QStringLiteral("K'1"));
        answers = {Dlg::IdYes};
        click(C()->BtnDel);
        EXPECT_EQ(lastMessage(), QStringLiteral("成功删除此车辆信息！"));
    });
    EXPECT_EQ(RowsText(db(), "Car", {"CarID"}), longKey + QStringLiteral("/K3"));
    EXPECT_EQ(FilesIn(CarPicDir), QStringList{QStringLiteral("K3.bmp")});
    EXPECT_EQ(bmpInfo(PhotoFileName(CarPicDir, QStringLiteral("K3"))), "bmp 12x9");
}

// Every key whose file name fits the folder (up to 255 bytes, Chinese keys
// included) takes a picture, over a stored photo or not; a longer one is
// refused with the stored photo left as it was.
TEST_F(CarTest, ThePhotoPageWritesEveryNameUpToTheFoldersLimit)
{
    const QString tooLong = QStringLiteral("车辆编号太长，无法用作照片的文件名（最多251个字母或数字，或83个汉字），请重新输入！");
    const QString picked = makePicture(QStringLiteral("pick.bmp"), "BMP", QSize(12, 9));
    for (bool stored : {false, true}) {
        const QString first = stored ? QStringLiteral("s") : QStringLiteral("n"), jing(83, QChar(0x4EAC));
        std::vector<std::pair<QString, int>> keys{{first + jing + 'a', 255}, {first + jing + "ab", 256}};   // key, bytes of its file name
        for (int bytes = 248; bytes <= 256; ++bytes) keys.push_back({first + QString(bytes - 5, 'k'), bytes});
        for (const auto& [key, bytes] : keys) {
            addCar(key);
            if (stored && bytes <= 255) storePhoto(CarPicDir, key, QSize(7, 7));
        }
        inCars([&] {
            C()->PageControl1->setCurrentWidget(C()->TabSheet4);
            for (const auto& [key, bytes] : keys) {
                const std::string row = std::to_string(bytes) + (stored ? " bytes over a stored photo " : " bytes ") + key.left(2).toStdString();
                select(key);
                pickPhoto(C()->BtnNewCarPath, picked);
                messages.clear();
                click(C()->BtnSave);
                EXPECT_EQ(messageTexts(), QStringList{bytes <= 255 ? QStringLiteral("图片保存成功！") : tooLong}) << row;
                const QString file = PhotoFileName(CarPicDir, key);
                EXPECT_EQ(QFileInfo::exists(file) ? bmpInfo(file) : QString(), QString(bytes <= 255 ? "bmp 12x9" : "")) << row;
            }
        });
        EXPECT_EQ(FilesIn(CarPicDir).size(), 9) << "nothing left beside";
        exec(QStringLiteral("delete from Car"));
        QDir(CarPicDir).removeRecursively();
        QDir().mkpath(CarPicDir);
    }
}

// A picture that cannot be written says why in the program's words, with the
// system's own on a second line, and leaves the folder as it was.
TEST_F(CarTest, ThePhotoPageSaysWhyAPictureWasNotWritten)
{
    addCar(QStringLiteral("K"));
    const QString folder = CarPicDir, deep = dir() + QString(300, 'd') + '/', file = PhotoFileName(folder, QStringLiteral("K"));
    const auto sys = [](int err) { return QString::fromLocal8Bit(std::strerror(err)); };
    const struct { const char* name; std::function<void()> make; QString folder, text; } rows[] = {
        {"the folder missing", [&] { QDir(folder).removeRecursively(); }, folder,
         QStringLiteral("照片文件保存失败（%1）：照片文件夹不存在，本次没有保存任何内容。\n").arg(folder) + sys(ENOENT)},
        {"a folder where the file goes", [&] { QDir().mkpath(file); }, folder,
         QStringLiteral("照片文件“%1”保存失败：该位置已有同名的文件夹或其他项目，本次没有保存任何内容。\n").arg(file) + sys(EEXIST)},
        {"a folder name too long", [] {}, deep,
         QStringLiteral("照片文件保存失败（%1）：文件名或路径太长，本次没有保存任何内容。\n").arg(deep) + sys(ENAMETOOLONG)},
    };
    const QString picked = makePicture(QStringLiteral("pick.bmp"), "BMP");
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
