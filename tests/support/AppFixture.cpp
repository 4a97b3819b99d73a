#include "support/AppFixture.h"
#include "support/Typing.h"
#include "app/Forms.h"
#include "app/UnitMain.h"
#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/Moment.h"
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QPointer>
#include <utility>

void AppFixture::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    SetAppDir(dir());
    SetClockHook({});
    EnsureDatabaseFile(dbFile());
    {
        TADOConnection cn;
        cn.open(dbFile());
        // A file the program has started on before: its account book is there.
        EnsureSchema(cn);
        prepareDatabase(cn);
    }
    auto& h = Dlg::hooks();
    h = Dlg::Hooks{};
    h.message = [this](const Dlg::MessageCall& c) {
        messages.push_back(c);
        if (!answers.empty()) { int a = answers.front(); answers.pop_front(); return a; }
        return int(c.defaultButton);
    };
    h.printers = [this] { return printers; };
    h.beep = [this](int hz, int ms) { beeps.emplace_back(hz, ms); };
    h.openFile = [this](const QString&, const QString&) { return openFileAnswers.isEmpty() ? QString() : openFileAnswers.takeFirst(); };
    h.saveFile = [this](const QString&, const QString&, const QString&) { return saveFileAnswers.isEmpty() ? QString() : saveFileAnswers.takeFirst(); };
    h.browseFolder = [this](const QString&) { return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst(); };
    // Nothing leaves the test: no browser, no preview window, no printer.
    h.openUrl = [](const QString&) {};
    h.printPreview = h.printDirect = [](const QString&, const std::function<void(QPrinter&)>&) {};
    if (createForms) startApp();
}

void AppFixture::startApp()
{
    ASSERT_TRUE(CreateForms()) << "start-up failed: " << lastMessage().toStdString();
    m_started = true;
}

void AppFixture::TearDown()
{
    delete std::exchange(m_timers, nullptr);
    if (m_started || frmMain) DestroyForms();
    Dlg::hooks() = Dlg::Hooks{};
    SetClockHook({});
    SetAppDir(QString());
}

TADOConnection& AppFixture::db() { return frmMain->ADOCn; }

QStringList AppFixture::messageTexts() const
{
    QStringList l;
    for (const auto& m : messages) l << m.text;
    return l;
}

void AppFixture::whenShown(QWidget* w, std::function<void()> fn)
{
    // Polls until w is the active modal window; the timer dies with the test.
    if (!m_timers) m_timers = new QObject;
    auto* timer = new QTimer(m_timers);
    const QDeadlineTimer grace(2000), limit(20000);
    QPointer<QWidget> target(w);
    const std::string name = w->objectName().toStdString();
    QObject::connect(timer, &QTimer::timeout, [timer, grace, limit, target, fn, name] {
        // Focus checks need the window active too; a platform that never
        // activates it gets two seconds' grace.
        const bool shown = target && target->isVisible() && QApplication::activeModalWidget() == target
                           && (target->isActiveWindow() || grace.hasExpired());
        if (!shown && target && !limit.hasExpired()) return;
        timer->stop();
        timer->deleteLater();
        if (shown) fn();
        else ADD_FAILURE() << "window " << name << " did not show";
    });
    timer->start(5);
}

void AppFixture::inWindow(QDialog* w, void (TfrmMain::*command)(), const std::function<void()>& fn)
{
    bool ran = false;
    whenShown(w, [&] {
        fn();
        ran = true;
        if (w->isVisible()) w->reject();
    });
    (frmMain->*command)();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(w->isVisible());
}

void AppFixture::click(QAbstractButton* b)
{
    ASSERT_TRUE(b->isEnabled()) << "button " << b->objectName().toStdString() << " is disabled";
    QTest::mouseClick(b, Qt::LeftButton);
}

void AppFixture::type(QLineEdit* e, const QString& text)
{
    e->setFocus();
    TypeText(e, text);
}

void AppFixture::clearAndType(QLineEdit* e, const QString& text)
{
    e->clear();
    type(e, text);
}

// Before the windows exist, set-up goes through a connection of its own.
template <class F> static auto OnDatabase(const QString& file, F f)
{
    if (frmMain) return f(frmMain->ADOCn);
    TADOConnection cn;
    cn.open(file);
    return f(cn);
}

int AppFixture::exec(const QString& sql, const Params& params)
{
    return OnDatabase(dbFile(), [&](TADOConnection& cn) { return cn.execute(sql, params); });
}

QVariant AppFixture::scalar(const QString& sql, const Params& params)
{
    return OnDatabase(dbFile(), [&](TADOConnection& cn) { return cn.scalar(sql, params); });
}
