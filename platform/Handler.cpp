#include "platform/Handler.h"
#include "platform/App.h"
#include "platform/Connection.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"

SavedWritesWatch::SavedWritesWatch() : m_cn(GuardConnection()), m_before(m_cn ? m_cn->savedWrites() : 0) {}

QString SavedWritesWatch::text(const QString& error) const
{
    if (!m_cn || m_cn->savedWrites() == m_before) return error;
    return QStringLiteral("本次的修改已经保存，但之后出错，窗口里显示的内容可能不是最新的：\n") + error;
}

void RunGuarded(QWidget* owner, const std::function<void()>& handler)
{
    TADOConnection* cn = GuardConnection();
    const bool hadTransaction = cn && cn->inTransaction();
    const SavedWritesWatch saved;
    try {
        handler();
    } catch (...) {
        if (cn && !hadTransaction) cn->rollbackTrans();
        Dlg::ErrorBox(owner, saved.text(CaughtErrorText()));
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
    const SavedWritesWatch saved;
    try {
        write();
        return true;
    } catch (const EChangedError& e) {
        Dlg::Notice(owner, e.message());
    } catch (const std::exception& e) {
        Dlg::PlainMessage(owner, saved.text(ErrorText(e)));
    }
    return false;
}
