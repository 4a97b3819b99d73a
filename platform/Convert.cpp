#include "platform/Convert.h"
#include "platform/Errors.h"
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <QRegularExpression>
#include <sqlite3.h>

namespace {
QString quoted(const QString& s) { return QStringLiteral("“%1”").arg(s); }
}

QString FileErrorCause(int err, const QString& folder, const QString& folderWord)
{
    switch (err) {
    case EACCES:
    case EPERM: return QStringLiteral("没有读写该文件或%1的权限").arg(folderWord);
    case ENOSPC:
    case EDQUOT: return QStringLiteral("磁盘空间已满");
    case EFBIG: return QStringLiteral("文件超出了系统允许的大小");
    case ENAMETOOLONG: return QStringLiteral("文件名或路径太长");
    case EROFS: return QStringLiteral("%1所在的磁盘是只读的").arg(folderWord);
    case EEXIST:
    case EISDIR:
    case ENOTEMPTY: return QStringLiteral("该位置已有同名的文件夹或其他项目");
    case ENOENT:
    case ENOTDIR: return QFileInfo(folder).isDir() ? QString() : folderWord + QStringLiteral("不存在");
    default: return {};
    }
}

int64_t StrToInt64(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = s.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (re.match(t).hasMatch()) v = t.toLongLong(&ok);
    if (!ok) throw EConvertError(quoted(s) + QStringLiteral("不是有效的整数"));
    return v;
}

int StrToInt(const QString& s)
{
    int64_t v = StrToInt64(s);
    if (v < INT32_MIN || v > INT32_MAX)
        throw EConvertError(quoted(s) + QStringLiteral("超出整数的范围"));
    return int(v);
}

int StrToIntDef(const QString& s, int fallback)
{
    return s.trimmed().isEmpty() ? fallback : StrToInt(s);
}

Currency StrToCurr(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QString t = s.trimmed();
    auto m = re.match(t);
    const QString whole = m.captured(2), frac = m.captured(3);
    if (!m.hasMatch() || (whole.isEmpty() && frac.isEmpty()))
        throw EConvertError(quoted(s) + QStringLiteral("不是有效的金额"));
    if (whole.size() > 15)
        throw EConvertError(quoted(s) + QStringLiteral("超出金额的范围"));
    int64_t raw = whole.isEmpty() ? 0 : whole.toLongLong();
    QString f = frac.left(4);
    while (f.size() < 4) f += QLatin1Char('0');
    // Fifteen digits of yuan fit the text check but not the 64-bit store.
    const int64_t round = frac.size() > 4 && frac.at(4) >= QLatin1Char('5') ? 1 : 0;
    if (__builtin_mul_overflow(raw, Currency::Scale, &raw) || __builtin_add_overflow(raw, f.toLongLong() + round, &raw))
        throw EConvertError(quoted(s) + QStringLiteral("超出金额的范围"));
    if (m.captured(1) == QLatin1String("-")) raw = -raw;
    return Currency::fromRaw(raw);
}

double StrToFloat(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const QString t = s.trimmed();
    bool ok = false;
    double v = 0;
    if (re.match(t).hasMatch()) v = t.toDouble(&ok);
    if (!ok) throw EConvertError(quoted(s) + QStringLiteral("不是有效的数值"));
    return v;
}

QString IntToStr(int64_t n) { return QString::number(n); }
QString CurrToStr(Currency c) { return c.toString(); }

QString ErrorText(const std::exception& e)
{
    if (auto* a = dynamic_cast<const EAppError*>(&e)) return a->message();
    return QString::fromLocal8Bit(e.what());
}

EChangedError::EChangedError()
    : EAppError(QStringLiteral("该记录已被修改（可能在另一个窗口或另一台电脑上），本次没有保存任何内容。\n列表已重新读取，请核对后再操作。"))
{
}

void ExpectOneRow(int changed)
{
    if (changed != 1) throw EChangedError();
}

QString EEngineError::sentence(int code, EngineAccess access, const QString& folder)
{
    // A trigger's refusal says in its own words why.
    if (code == SQLITE_CONSTRAINT_TRIGGER) code = SQLITE_ERROR;
    if (access == EngineAccess::Read) {
        switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return QStringLiteral("读取数据时出错：数据库正被另一个程序占用，请稍后再试。");
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return QStringLiteral("读取数据时出错：数据库文件已损坏。");
        case SQLITE_FULL: return QStringLiteral("读取数据时出错：磁盘空间已满。");
        case SQLITE_IOERR:
        case SQLITE_CANTOPEN: return QStringLiteral("读取数据时出错：无法读取数据库文件。");
        default: return QStringLiteral("读取数据时出错。");
        }
    }
    // The engine writes its journal beside the file: a folder it cannot write
    // in refuses every save although the file itself may be writable.
    const QString named = folder.isEmpty() ? QString() : QStringLiteral("“%1”").arg(QDir::toNativeSeparators(folder));
    // The file the connection holds is no longer the one under its name:
    // nothing can be saved into either until the program opens it again.
    if (code == SQLITE_READONLY_DBMOVED)
        return QStringLiteral("数据库文件已被移动、删除或被另一个文件替换，本次没有保存任何内容。请关闭并重新启动本程序。");
    if (code == SQLITE_READONLY_DIRECTORY)
        return QStringLiteral("数据库文件所在的文件夹%1是只读的，不能写入，本次没有保存任何内容。").arg(named);
    switch (code & 0xff) {
    case SQLITE_READONLY: return QStringLiteral("数据库文件是只读的，不能写入，本次没有保存任何内容。");
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("数据库正被另一个程序占用，本次没有保存任何内容，请稍后再试。");
    case SQLITE_FULL: return QStringLiteral("磁盘空间已满，本次没有保存任何内容。");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return QStringLiteral("数据库文件已损坏，本次没有保存任何内容。");
    case SQLITE_CONSTRAINT: return QStringLiteral("数据不符合数据库的约束（例如编号重复），本次没有保存任何内容。");
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法在数据库文件所在的文件夹%1中建立临时文件（这个文件夹可能是只读的），本次没有保存任何内容。").arg(named);
    case SQLITE_IOERR: return QStringLiteral("读写数据库文件时出错，本次没有保存任何内容。");
    default: return QStringLiteral("数据库操作失败，本次没有保存任何内容。");
    }
}

EEngineError::EEngineError(int code, const QString& engineText, EngineAccess access, const QString& folder)
    : EDatabaseError(sentence(code, access, folder) + QLatin1Char('\n') + engineText), m_code(code), m_engineText(engineText)
{
}
