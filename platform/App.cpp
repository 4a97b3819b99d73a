#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Handler.h"
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPalette>
#include <QThread>
#include <atomic>

namespace {
QString& appDirOverride() { static QString d; return d; }
TADOConnection*& guardCn() { static TADOConnection* c = nullptr; return c; }
std::atomic<int> lastGuardFired{0};
}

QString AppTitle() { return QStringLiteral("Quorvane"); }
QString FormCaption(const QString& name) { return AppTitle() + QStringLiteral(" - ") + name; }

QString AppDir()
{
    QString d = appDirOverride().isEmpty() ? QCoreApplication::applicationDirPath() : appDirOverride();
    if (!d.endsWith(QLatin1Char('/'))) d += QLatin1Char('/');
    return d;
}

void SetAppDir(const QString& dir) { appDirOverride() = dir; }

void SetGuardConnection(TADOConnection* cn) { guardCn() = cn; }
TADOConnection* GuardConnection() { return guardCn(); }

void SetReadOnlySilver(QLineEdit* e)
{
    e->setReadOnly(true);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, QColor(0xc0, 0xc0, 0xc0));
    e->setPalette(p);
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // Only the program's own thread runs its handlers and can show a box.
    if (QThread::currentThread() != thread()) return QApplication::notify(receiver, event);
    TADOConnection* cn = GuardConnection();
    const bool hadTransaction = cn && cn->inTransaction();
    const SavedWritesWatch saved;
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ++lastGuardFired;
        if (cn && !hadTransaction) cn->rollbackTrans();
        // The receiver may be gone with the error: the box goes over the active window.
        Dlg::ErrorBox(QApplication::activeWindow(), saved.text(CaughtErrorText()));
        return false;
    }
}

int TApplication::lastGuardCount() { return lastGuardFired; }
void TApplication::resetLastGuardCount() { lastGuardFired = 0; }
