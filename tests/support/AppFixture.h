#pragma once
// A fresh data folder and database for each test, every window created as at
// start-up, and message boxes and platform dialogs answered by script.
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include <QDateTime>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <deque>
#include <functional>
#include <gtest/gtest.h>

class QAbstractButton;
class QDialog;
class QLineEdit;
class QWidget;
class TfrmMain;

class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Called before the windows are made: a test may prepare the database here.
    virtual void prepareDatabase(TADOConnection&) {}
    // Set false to make the windows by hand in a test.
    bool createForms = true;
    void startApp();    // creates the windows (done by SetUp unless createForms is false)

    QString dir() const { return m_dir.path() + QLatin1Char('/'); }
    QString dbFile() const { return dir() + QStringLiteral("Leaso3.mdb"); }
    TADOConnection& db();   // the program's connection

    // Message boxes: every box shown (text, caption, icon, buttons, default
    // button), and the answers to give (IdYes, IdNo...).
    std::vector<Dlg::MessageCall> messages;
    std::deque<int> answers;   // empty: the box's default button
    QString lastMessage() const { return messages.empty() ? QString() : messages.back().text; }
    QStringList messageTexts() const;

    // Printers the platform reports; beeps asked for (pitch, length).
    QStringList printers;
    QStringList openFileAnswers;   // next file picked in an open dialog ("" cancels)
    QStringList saveFileAnswers;
    QStringList folderAnswers;
    std::vector<std::pair<int, int>> beeps;

    // Runs fn once w is showing as the active modal window (fn must close it).
    // Fails the test when w does not show within a few seconds.
    void whenShown(QWidget* w, std::function<void()> fn);
    // Opens w through a main-window command and runs fn in it once it shows;
    // closes it with Cancel if fn left it open. Fails the test when w never
    // showed or stayed open.
    void inWindow(QDialog* w, void (TfrmMain::*command)(), const std::function<void()>& fn);

    // Real input: mouse click, typed text (through key events and the key filters).
    static void click(QAbstractButton* b);
    static void type(QLineEdit* e, const QString& text);
    static void clearAndType(QLineEdit* e, const QString& text);

    // Direct SQL for set-up and checks.
    int exec(const QString& sql, const Params& params = {});
    QVariant scalar(const QString& sql, const Params& params = {});

private:
    QTemporaryDir m_dir;
    bool m_started = false;
    QObject* m_timers = nullptr;
};

// Fails the running test when an error escaped every handler to the last
// guard since the test began (a safety net, never the way an error is handled).
void ExpectLastGuardQuiet();
