#include "common/AppContext.h"
#include "platform/Errors.h"

QString CarPicDir;
QString CustPicDir;
QString AdminPassword;

namespace {
TADOConnection*& appCn() { static TADOConnection* cn = nullptr; return cn; }
}

void SetAppConnection(TADOConnection* cn) { appCn() = cn; }

TADOConnection& AppConnection()
{
    if (!appCn()) throw EDatabaseError(QStringLiteral("数据库未连接"));
    return *appCn();
}

AppEvents& AppEvents::instance()
{
    static AppEvents events;
    return events;
}
