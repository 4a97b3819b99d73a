// The program's file dialogs read in Chinese whatever the desktop's language.
#include "platform/Dialogs.h"
#include "platform/Look.h"
#include "support/FileTools.h"
#include "support/PrintQString.h"
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const char* const kChildMark = "LEASO_FILE_DIALOG_CHILD";

// Opens the open-file dialog on a folder holding a subfolder and a file and
// reads its detail list, the program set up as at start.
void CheckOpenFileDialog()
{
    InstallChineseLook(*qApp);
    ASSERT_NE(QLocale::system().language(), QLocale::Chinese) << "the desktop's language should be another";
    QTemporaryDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkdir(QStringLiteral("备份")));
    ASSERT_TRUE(WriteFile(tmp.filePath(QStringLiteral("帐本.txt")), "12345"));
    QDir::setCurrent(tmp.path());   // the dialog opens in the working folder

    QMap<QString, QStringList> rows;   // name: size, type, date
    QTimer::singleShot(0, [&] {
        QFileDialog* dialog = nullptr;
        QTreeView* view = nullptr;
        // The dialog shows, then reads the folder in the background.
        EXPECT_TRUE(QTest::qWaitFor([&] {
            dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            view = dialog ? dialog->findChild<QTreeView*>() : nullptr;
            return view && view->model()->rowCount(view->rootIndex()) >= 2;
        }, 10000));
        const auto cell = [&](int r, int c) { return view->model()->index(r, c, view->rootIndex()).data().toString(); };
        for (int r = 0; view && r < view->model()->rowCount(view->rootIndex()); ++r)
            for (int c = 1; c <= 3; ++c) rows[cell(r, 0)] << cell(r, c);
        if (dialog) dialog->reject();
    });
    EXPECT_EQ(Dlg::OpenFile(nullptr, QStringLiteral("打开"), QString()), QString());

    // Size, type and date; a file's type is its MIME type's own name.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const auto date = [&](const QString& name) { return chinese.toString(QFileInfo(tmp.filePath(name)).lastModified(), QLocale::ShortFormat); };
    ASSERT_EQ(rows.keys(), (QStringList{u"备份"_s, u"帐本.txt"_s}));
    EXPECT_EQ(rows[u"备份"_s], (QStringList{u""_s, u"文件夹"_s, date(u"备份"_s)}));
    EXPECT_EQ(rows[u"帐本.txt"_s].value(0) + rows[u"帐本.txt"_s].value(2), u"5 字节"_s + date(u"帐本.txt"_s));
}

} // namespace

// The desktop's language is fixed before Qt starts, so each language runs in a
// fresh copy of this test program.
TEST(FileDialogs, ReadChineseWhateverTheDesktopLanguage)
{
    if (qEnvironmentVariableIsSet(kChildMark)) return CheckOpenFileDialog();
    const QList<QPair<QString, QString>> languages = {{"LC_ALL", "en_GB.UTF-8"}, {"LANG", "C"}};
    for (const auto& [name, value] : languages) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"LC_ALL", "LC_TIME", "LC_MESSAGES", "LC_NUMERIC", "LANG", "LANGUAGE"}) env.remove(v);
        env.insert(name, value);
        env.insert(kChildMark, "1");
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=FileDialogs.ReadChineseWhateverTheDesktopLanguage")});
        ASSERT_TRUE(child.waitForFinished(30000)) << value.toStdString();
        EXPECT_EQ(child.exitCode(), 0) << name.toStdString() << "=" << value.toStdString() << "\n"
                                       << child.readAll().toStdString();
    }
}
