// Clearing the business data from the main window's menu command.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/FileTools.h"
#include "support/LockedPath.h"
#include "admin/UnitInitSys.h"
#include "app/AppContext.h"
#include "app/UnitMain.h"
#include "ui_UnitInitSys.h"
#include <QTest>

using namespace Qt::StringLiterals;
namespace {

const QString Cleared = u"系统原有数据已全部删除"_s;
const QStringList Emptied{u"Leaso"_s, u"PriceList"_s, u"CarCost"_s, u"Car"_s, u"Customer"_s};
const QStringList Kept{u"Acct"_s, u"ChangeCar"_s, u"Config"_s};

class InitSysTest : public AppFixture {
protected:
    Ui::TfrmInit* I() { return frmInit->ui; }

    void SetUp() override
    {
        AppFixture::SetUp();
        // One row in every table, an open hire among them, and names with quotes.
        for (const char* sql : {"Insert into Car(CarID,State) values('京A''1','B')",
                                "Insert into Customer(CustID,CustName) values('110101199001011234','O''Brien')",
                                "Insert into PriceList(PriceName,LeasoType,BasicPrice) values('日租',0,2000000)",
                                "Insert into Leaso(CarID,CustID,BeginTime) values('京A''1','110101199001011234',45000)",
                                "Insert into CarCost(CarID,Name,Cost) values('京A''1','保险',30000000)",
                                "Insert into Acct(Type,Amount,LeasoID,Item) values(1,2000000,1,'租金')",
                                "Insert into ChangeCar(LeasoID,OldCarID,NewCarID) values(1,'京A1','京A''1')",
                                "Insert into Config(Item,[Value]) values('ADMINPASS','secret')"})
            exec(QString::fromUtf8(sql));
    }
    // Opens the clearing from the menu and runs fn in it; a dialog left open is cancelled.
    void inClearing(const std::function<void()>& fn)
    {
        whenShown(frmInit, [this, fn] { fn(); if (frmInit->isVisible()) click(I()->BitBtn1); });
        frmMain->N2Click();
    }
    void clear() { inClearing([this] { click(I()->BtnOK); }); }
    QList<qint64> counts(const QStringList& tables)
    {
        QList<qint64> n;
        for (const QString& t : tables) n << scalar(u"Select count(*) from "_s + t).toLongLong();
        return n;
    }
    static void photo(const QString& file) { ASSERT_TRUE(WriteFile(file, "BM")) << file.toStdString(); }
};

TEST_F(InitSysTest, WarningAndCaption)
{
    EXPECT_EQ(frmInit->windowTitle(), u"Quorvane - 清除系统所有数据"_s);
    EXPECT_EQ(I()->GroupBox1->title(), u"警告！"_s);
    EXPECT_EQ(I()->Memo1->text(), u"您可能因为对本软件进行试用评估、使用学习等原因录入了一些非\n"
                                  "真实的数据，现在您可以使用本功能完全删除所有系统中已存在的\n"
                                  "所有数据。点击 [初台化] 按钮将完成这一操作。\n"
                                  "\n"
                                  "警告：\"系统初始化\"操作将清除所有已存在的系统数据！"_s);
    EXPECT_EQ(I()->BtnOK->text() + I()->BitBtn1->text(), u"初始化取消"_s);
}

// The five tables emptied, the rest kept; bitmaps in any letter case go from
// both photo folders, other files and subfolders stay.
TEST_F(InitSysTest, EmptiesTheFiveTablesAndDeletesTheBitmaps)
{
    for (const char* f : {"京A1.bmp", "京A2.BMP", ".hidden.bmp", "photo.jpg"}) photo(CarPicDir + QString::fromUtf8(f));
    QDir().mkpath(CarPicDir + u"older"_s);
    photo(CarPicDir + u"older/x.bmp"_s);
    photo(CustPicDir + u"110101199001011234.Bmp"_s);
    photo(CustPicDir + u"notes.txt"_s);
    int replaced = 0;
    QObject::connect(&AppEvents::instance(), &AppEvents::databaseReplaced, frmMain, [&] { ++replaced; });
    clear();
    EXPECT_EQ(counts(Emptied), QList<qint64>(5, 0));
    EXPECT_EQ(counts(Kept), QList<qint64>(3, 1));
    EXPECT_EQ(messageTexts(), QStringList{Cleared});
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
    EXPECT_FALSE(frmInit->isVisible());
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(EntriesIn(CarPicDir), (QStringList{u"older"_s, u"photo.jpg"_s}));
    EXPECT_EQ(EntriesIn(CarPicDir + u"older"_s), QStringList{u"x.bmp"_s});
    EXPECT_EQ(EntriesIn(CustPicDir), QStringList{u"notes.txt"_s});
}

TEST_F(InitSysTest, CancelAndEscapeChangeNothing)
{
    photo(CarPicDir + u"a.bmp"_s);
    inClearing([this] { click(I()->BitBtn1); });
    inClearing([this] { QTest::keyClick(frmInit, Qt::Key_Escape); });
    EXPECT_EQ(counts(Emptied), QList<qint64>(5, 1));
    EXPECT_TRUE(QFileInfo::exists(CarPicDir + u"a.bmp"_s));
    EXPECT_TRUE(messages.empty());
}

TEST_F(InitSysTest, MissingPhotoFoldersStillClear)
{
    ASSERT_TRUE(QDir(CarPicDir).removeRecursively() && QDir(CustPicDir).removeRecursively());
    clear();
    EXPECT_EQ(counts(Emptied), QList<qint64>(5, 0));
    EXPECT_EQ(messageTexts(), QStringList{Cleared});
}

// The fourth delete fails: the three before it are rolled back, the photos
// stay, the error's text is shown plainly and the dialog stays open.
TEST_F(InitSysTest, FailingDeleteRollsEverythingBack)
{
    exec(u"Create trigger NoCarDelete before delete on Car begin select raise(abort,'车辆表已锁定'); end"_s);
    photo(CarPicDir + u"京A1.bmp"_s);
    bool stayedOpen = false;
    inClearing([&] { click(I()->BtnOK); stayedOpen = frmInit->isVisible(); });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(counts(Emptied), QList<qint64>(5, 1));
    EXPECT_TRUE(QFileInfo::exists(CarPicDir + u"京A1.bmp"_s));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(lastMessage().contains(u"车辆表已锁定"_s)) << lastMessage().toStdString();
    EXPECT_EQ(messages.back().icon, Dlg::Icon::None);
    EXPECT_EQ(messages.back().caption, u"Quorvane"_s);
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(InitSysTest, PhotoThatCannotBeDeletedGetsOneMoreNotice)
{
    photo(CarPicDir + u"京A1.bmp"_s);
    photo(CustPicDir + u"110101199001011234.bmp"_s);
    {
        LockedPath lock(CustPicDir + u"110101199001011234.bmp"_s);
        if (!lock.ok()) GTEST_SKIP() << "no way to keep a file from being deleted here";
        clear();
    }
    EXPECT_EQ(messageTexts(), (QStringList{Cleared, u"有 1 个图片文件未能删除，仍留在图片目录中。"_s}));
    EXPECT_FALSE(QFileInfo::exists(CarPicDir + u"京A1.bmp"_s));
    EXPECT_TRUE(QFileInfo::exists(CustPicDir + u"110101199001011234.bmp"_s));
    EXPECT_EQ(counts({u"Customer"_s}), QList<qint64>{0});
}

} // namespace
