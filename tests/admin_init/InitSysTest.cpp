// Clearing the business data from the main window's menu command.
#include "support/AppFixture.h"
#include "support/LockedPath.h"
#include "admin/UnitInitSys.h"
#include "app/AppContext.h"
#include "app/UnitMain.h"
#include "ui_UnitInitSys.h"
#include <QFile>
#include <QTest>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

const QString Cleared = QStringLiteral("系统原有数据已全部删除");
const QStringList Emptied{QStringLiteral("Leaso"), QStringLiteral("PriceList"), QStringLiteral("CarCost"),
                          QStringLiteral("Car"), QStringLiteral("Customer")};
const QStringList Kept{QStringLiteral("Acct"), QStringLiteral("ChangeCar"), QStringLiteral("Config")};

class InitSysTest : public AppFixture {
protected:
    Ui::TfrmInit* I() { return frmInit->ui; }

    void SetUp() override
    {
        AppFixture::SetUp();
        // One row in every table, an open hire among them, and names with quotes.
        exec(QStringLiteral("Insert into Car(CarID,State) values('京A''1','B')"));
        exec(QStringLiteral("Insert into Customer(CustID,CustName) values('110101199001011234','O''Brien')"));
        exec(QStringLiteral("Insert into PriceList(PriceName,LeasoType,BasicPrice) values('日租',0,2000000)"));
        exec(QStringLiteral("Insert into Leaso(CarID,CustID,BeginTime) values('京A''1','110101199001011234',45000)"));
        exec(QStringLiteral("Insert into CarCost(CarID,Name,Cost) values('京A''1','保险',30000000)"));
        exec(QStringLiteral("Insert into Acct(Type,Amount,LeasoID,Item) values(1,2000000,1,'租金')"));
        exec(QStringLiteral("Insert into ChangeCar(LeasoID,OldCarID,NewCarID) values(1,'京A1','京A''1')"));
        exec(QStringLiteral("Insert into Config(Item,[Value]) values('ADMINPASS','secret')"));
    }
    // Opens the clearing from the menu and runs fn in it; a dialog left open is cancelled.
    void inClearing(const std::function<void()>& fn)
    {
        whenShown(frmInit, [this, fn] { fn(); if (frmInit->isVisible()) click(I()->BitBtn1); });
        frmMain->N2Click();
    }
    void clear() { inClearing([this] { click(I()->BtnOK); }); }
    qint64 count(const QString& table) { return scalar(QStringLiteral("Select count(*) from ") + table).toLongLong(); }
    static void write(const QString& file, const QByteArray& content = "BM")
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << file.toStdString();
        f.write(content);
    }
    static QStringList filesIn(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(InitSysTest, WarningAndCaption)
{
    EXPECT_EQ(frmInit->windowTitle(), QStringLiteral("Quorvane - 清除系统所有数据"));
    EXPECT_EQ(I()->GroupBox1->title(), QStringLiteral("警告！"));
    EXPECT_EQ(I()->Memo1->text(),
              QStringLiteral("您可能因为对本软件进行试用评估、使用学习等原因录入了一些非\n"
                             "真实的数据，现在您可以使用本功能完全删除所有系统中已存在的\n"
                             "所有数据。点击 [初台化] 按钮将完成这一操作。\n"
                             "\n"
                             "警告：\"系统初始化\"操作将清除所有已存在的系统数据！"));
    EXPECT_EQ(I()->BtnOK->text(), QStringLiteral("初始化"));
    EXPECT_EQ(I()->BitBtn1->text(), QStringLiteral("取消"));
}

TEST_F(InitSysTest, EmptiesTheFiveTablesAndKeepsTheRest)
{
    int replaced = 0;
    QObject::connect(&AppEvents::instance(), &AppEvents::databaseReplaced, frmMain, [&] { ++replaced; });
    clear();
    for (const QString& t : Emptied) EXPECT_EQ(count(t), 0) << t.toStdString();
    for (const QString& t : Kept) EXPECT_EQ(count(t), 1) << t.toStdString();
    EXPECT_EQ(messageTexts(), QStringList{Cleared});
    EXPECT_EQ(messages.back().icon, Dlg::Icon::Information);
    EXPECT_FALSE(frmInit->isVisible());
    EXPECT_EQ(replaced, 1);
}

TEST_F(InitSysTest, CancelChangesNothing)
{
    write(CarPicDir + QStringLiteral("a.bmp"));
    inClearing([this] { click(I()->BitBtn1); });
    inClearing([this] { QTest::keyClick(frmInit, Qt::Key_Escape); });
    for (const QString& t : Emptied) EXPECT_EQ(count(t), 1) << t.toStdString();
    EXPECT_TRUE(QFileInfo::exists(CarPicDir + QStringLiteral("a.bmp")));
    EXPECT_TRUE(messages.empty());
}

TEST_F(InitSysTest, DeletesBitmapsInAnyCaseAndKeepsOtherFiles)
{
    write(CarPicDir + QStringLiteral("京A1.bmp"));
    write(CarPicDir + QStringLiteral("京A2.BMP"));
    write(CarPicDir + QStringLiteral(".hidden.bmp"));
    write(CarPicDir + QStringLiteral("photo.jpg"));
    QDir().mkpath(CarPicDir + QStringLiteral("older"));
    write(CarPicDir + QStringLiteral("older/x.bmp"));
    write(CustPicDir + QStringLiteral("110101199001011234.Bmp"));
    write(CustPicDir + QStringLiteral("notes.txt"));

    clear();

    EXPECT_EQ(filesIn(CarPicDir), (QStringList{QStringLiteral("older"), QStringLiteral("photo.jpg")}));
    EXPECT_EQ(filesIn(CarPicDir + QStringLiteral("older")), QStringList{QStringLiteral("x.bmp")});
    EXPECT_EQ(filesIn(CustPicDir), QStringList{QStringLiteral("notes.txt")});
    EXPECT_EQ(messageTexts(), QStringList{Cleared});
}

TEST_F(InitSysTest, MissingPhotoFoldersStillClear)
{
    ASSERT_TRUE(QDir(CarPicDir).removeRecursively());
    ASSERT_TRUE(QDir(CustPicDir).removeRecursively());
    clear();
    EXPECT_EQ(count(QStringLiteral("Car")), 0);
    EXPECT_EQ(messageTexts(), QStringList{Cleared});
}

// The fourth delete fails: the three before it are rolled back, the photos
// stay, the error's text is shown plainly and the dialog stays open.
TEST_F(InitSysTest, FailingDeleteRollsEverythingBack)
{
    exec(QStringLiteral("Create trigger NoCarDelete before delete on Car begin select raise(abort,'车辆表已锁定'); end"));
    write(CarPicDir + QStringLiteral("京A1.bmp"));
    bool stayedOpen = false;
    inClearing([&] {
        click(I()->BtnOK);
        stayedOpen = frmInit->isVisible();
    });
    EXPECT_TRUE(stayedOpen);
    for (const QString& t : Emptied) EXPECT_EQ(count(t), 1) << t.toStdString();
    EXPECT_TRUE(QFileInfo::exists(CarPicDir + QStringLiteral("京A1.bmp")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("车辆表已锁定"))) << lastMessage().toStdString();
    EXPECT_EQ(messages.back().icon, Dlg::Icon::None);
    EXPECT_EQ(messages.back().caption, QStringLiteral("Quorvane"));
    EXPECT_FALSE(db().inTransaction());
}

TEST_F(InitSysTest, PhotoThatCannotBeDeletedGetsOneMoreNotice)
{
    write(CarPicDir + QStringLiteral("京A1.bmp"));
    write(CustPicDir + QStringLiteral("110101199001011234.bmp"));
    {
        LockedPath lock(CustPicDir + QStringLiteral("110101199001011234.bmp"));
        if (!lock.ok()) GTEST_SKIP() << "no way to keep a file from being deleted here";
        clear();
    }
    EXPECT_EQ(messageTexts(), (QStringList{Cleared, QStringLiteral("有 1 个图片文件未能删除，仍留在图片目录中。")}));
    EXPECT_FALSE(QFileInfo::exists(CarPicDir + QStringLiteral("京A1.bmp")));
    EXPECT_TRUE(QFileInfo::exists(CustPicDir + QStringLiteral("110101199001011234.bmp")));
    EXPECT_EQ(count(QStringLiteral("Customer")), 0);
}

} // namespace
