#include "platform/App.h"
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPalette>

namespace {
QString& appDirOverride() { static QString d; return d; }
TADOConnection*& guardCn() { static TADOConnection* c = nullptr; return c; }
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
