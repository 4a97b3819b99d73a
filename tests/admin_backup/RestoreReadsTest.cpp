// A restore refuses a backup the end of start-up could not bring up to what the program needs (its
// account book and its table of photo marks), as the next start would refuse it.
#include "support/AppFixture.h"
#include "support/FileTools.h"
#include "support/PrintQString.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "admin/UnitBackup.h"
#include "common/AppContext.h"
#include "platform/Moment.h"
#include "ui_UnitBackup.h"
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;
namespace {

class RestoreReads : public AppFixture {
protected:
    const QString root = dir() + u"target/"_s, folder = root + u"Tesmarul2025-1-9/"_s;
    QString bak() const { return folder + u"2025-1-9.bak"_s; }
    Ui::TfrmBackup* B() { return frmBackup->ui.get(); }

    void SetUp() override
    {
        AppFixture::SetUp();
        SetClockHook([] { return QDateTime(QDate(2025, 1, 9), QTime(10, 5, 7)); });
    }
    void backup()
    {
        folderAnswers << root;
        inWindow(frmBackup, &TfrmMain::N8Click, [this] { click(B()->BtnSelectPath); click(B()->BtnBackup); });
    }
    void restore()
    {
        answers = {Dlg::IdYes};
        folderAnswers << folder;
        whenShown(frmBackup, [this] { click(B()->BtnSelectDir); click(B()->BtnRecover); });
        frmMain->N9Click();
    }
    static void runOn(const QString& file, const QString& sql)
    {
        TADOConnection cn;
        cn.open(file);
        for (const QString& s : sql.split(u';')) cn.execute(s);
    }
};

TEST_F(RestoreReads, ABackupTheEndOfStartUpCouldNotCompleteIsRefused)
{
    backup();
    ASSERT_EQ(messageTexts(), QStringList{u"备份完成！"_s});
    const QByteArray made = FileBytes(bak());
    const QString unfit = u"从备份文件恢复数据失败：不是合法的备份文件！\n它的结构与本程序的数据库不符。\n"_s;
    const struct { const char* name; QString change, reason; } rows[] = {
        {"account book name taken by a view",
         u"DROP TABLE ACCT;CREATE VIEW ACCT AS SELECT 1 AS LeasoID, 1 AS AcctTime"_s, u"数据表名 ACCT 已被其他对象占用"_s},
        {"photo marks key renamed", u"ALTER TABLE PhotoChange RENAME COLUMN ID TO K"_s, u"no such column: ID"_s}};
    QList<QByteArray> refused;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_TRUE(WriteFile(bak(), made));
        runOn(bak(), r.change);
        const QByteArray live = FileBytes(dbFile());
        messages.clear();
        restore();
        EXPECT_EQ(messageTexts(), QStringList{unfit + r.reason});
        EXPECT_FALSE(frmBackup->Restored);
        EXPECT_TRUE(FileBytes(dbFile()) == live) << "the live file changed";
        refused << FileBytes(bak());
    }
    // The program refuses each of them as its live file.
    DestroyForms();
    for (const QByteArray& file : refused) {
        ASSERT_TRUE(WriteFile(dbFile(), file));
        ASSERT_TRUE(CreateForms());
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        deadline.start(20000);
        EXPECT_EQ(RunMainLoop(), 1);
        DestroyForms();
    }
}

} // namespace

namespace {
// Another file was renamed over the live one while the program runs: the restore cannot write into
// the file the program holds, and the box says so instead of blaming the backup.
TEST_F(RestoreReads, ALiveFileReplacedWhileRunningIsNamedAsTheCause)
{
    backup();
    const QString other = dir() + u"other.mdb"_s;
    ASSERT_TRUE(QFile::copy(dbFile(), other));
    ASSERT_EQ(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(dbFile()).constData()), 0);
    messages.clear();
    restore();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(lastMessage().startsWith(u"从备份文件恢复数据失败，现有数据没有改动。\n数据库文件已被移动、删除或被另一个文件替换"_s))
        << lastMessage().toStdString();
}
} // namespace
