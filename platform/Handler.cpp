#include "platform/Handler.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"

void RunGuarded(QWidget* owner, const std::function<void()>& handler)
{
    TADOConnection* cn = GuardConnection();
    const bool hadTransaction = cn && cn->inTransaction();
    try {
        handler();
    } catch (...) {
        if (cn && !hadTransaction) cn->rollbackTrans();
        Dlg::ErrorBox(owner, CaughtErrorText());
        return;
    }
    if (cn && !hadTransaction && cn->inTransaction()) cn->rollbackTrans();
}

QString CaughtErrorText()
{
    try {
        throw;
    } catch (const std::exception& e) {
        return ErrorText(e);
    } catch (...) {
        return QStringLiteral("未知错误");
    }
}

bool WriteUnlessChanged(QWidget* owner, const std::function<void()>& write, const std::function<void()>& reread)
{
    try {
        write();
        return true;
    } catch (const EChangedError& e) {
        Dlg::Notice(owner, e.message());
        if (reread) reread();
        return false;
    }
}

bool WriteOrReport(QWidget* owner, const std::function<void()>& write)
{
    try {
        write();
        return true;
    } catch (const EChangedError& e) {
        Dlg::Notice(owner, e.message());
    } catch (const std::exception& e) {
        Dlg::PlainMessage(owner, ErrorText(e));
    }
    return false;
}
