#include "platform/Backup.h"
#include "platform/Errors.h"
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace {

// How long a copy waits for a writer of another connection to finish.
constexpr int kBusyMs = 5000;

QString engineText(sqlite3* db, int rc)
{
    if (db && sqlite3_errcode(db) == rc) return QString::fromUtf8(sqlite3_errmsg(db));
    return QString::fromUtf8(sqlite3_errstr(rc));
}

// Copies every page of src's main database into dest's in one pass; the
// destination's write is rolled back unless the copy completes. Returns the
// engine's result (SQLITE_OK when complete) and its text in *problem.
int copyPages(sqlite3* dest, sqlite3* src, QString* problem)
{
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", src, "main");
    if (!b) {
        const int rc = sqlite3_errcode(dest);
        *problem = engineText(dest, rc);
        return rc == SQLITE_OK ? SQLITE_ERROR : rc;
    }
    QDeadlineTimer deadline(kBusyMs);
    int rc;
    for (;;) {
        rc = sqlite3_backup_step(b, -1);
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && !deadline.hasExpired()) {
            sqlite3_sleep(20);
            continue;
        }
        break;
    }
    const int fin = sqlite3_backup_finish(b);
    if (rc == SQLITE_DONE && fin == SQLITE_OK) return SQLITE_OK;
    const int bad = rc == SQLITE_DONE ? fin : rc;
    *problem = engineText(dest, bad);
    return bad;
}

sqlite3* openFile(const QString& fileName, int flags)
{
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(fileName).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = engineText(db, rc);
        sqlite3_close(db);
        throw EDatabaseError(QStringLiteral("无法打开数据库文件“%1”：%2").arg(QFileInfo(fileName).absoluteFilePath(), msg));
    }
    sqlite3_busy_timeout(db, kBusyMs);
    return db;
}

void bindParams(sqlite3_stmt* st, const Params& params)
{
    const int count = sqlite3_bind_parameter_count(st);
    int bound = 0;
    for (const auto& [name, v] : params) {
        const QByteArray n = (name.startsWith(QLatin1Char(':')) ? name : QLatin1Char(':') + name).toUtf8();
        const int idx = sqlite3_bind_parameter_index(st, n.constData());
        if (idx <= 0) throw EDatabaseError(QStringLiteral("语句中没有参数 %1").arg(QString::fromUtf8(n)));
        ++bound;
        if (v.isNull()) sqlite3_bind_null(st, idx);
        else if (v.userType() == QMetaType::LongLong || v.userType() == QMetaType::Int) sqlite3_bind_int64(st, idx, v.toLongLong());
        else {
            const QByteArray b = v.toString().toUtf8();
            sqlite3_bind_text(st, idx, b.constData(), b.size(), SQLITE_TRANSIENT);
        }
    }
    if (bound != count) throw EDatabaseError(QStringLiteral("语句的参数没有全部给值"));
}

} // namespace

QString TemporaryFileBeside(const QString& fileName)
{
    return QFileInfo(fileName).absolutePath() + QStringLiteral("/.part-") + QUuid::createUuid().toString(QUuid::Id128);
}

void BackupDatabaseToFile(TADOConnection& cn, const QString& fileName,
                          const std::function<void(TADOConnection&)>& finish)
{
    if (!cn.handle()) cn.raise();
    const QString target = QFileInfo(fileName).absoluteFilePath();
    const QString part = TemporaryFileBeside(target);
    auto fail = [&](const QString& why) {
        QFile::remove(part);
        throw EDatabaseError(QStringLiteral("无法写入数据库副本“%1”：%2").arg(target, why));
    };
    {
        sqlite3* dest = nullptr;
        try {
            dest = openFile(part, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        } catch (const EAppError& e) {
            fail(e.message());
        }
        QString problem;
        const int rc = copyPages(dest, cn.handle(), &problem);
        sqlite3_close(dest);
        if (rc != SQLITE_OK) fail(problem);
    }
    if (finish) {
        try {
            TADOConnection copy;
            copy.open(part);
            finish(copy);
        } catch (const EAppError& e) {
            fail(e.message());
        }
    }
    // The rename replaces an older copy of the same name in one step.
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
}

void RestoreDatabaseFromFile(TADOConnection& cn, const QString& fileName)
{
    if (!cn.handle()) cn.raise();
    if (cn.inTransaction()) throw EDatabaseError(QStringLiteral("事务尚未结束，不能替换数据"));
    sqlite3* src = openFile(fileName, SQLITE_OPEN_READONLY);
    QString problem;
    const int rc = copyPages(cn.handle(), src, &problem);
    sqlite3_close(src);
    if (rc == SQLITE_OK) return;
    // Another file renamed over the live one: the data cannot go into the file
    // the program holds, whatever the backup holds.
    int moved = 0;
    sqlite3_file_control(cn.handle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved);
    if (moved) throw EEngineError(SQLITE_READONLY_DBMOVED, problem);
    throw EDatabaseError(QStringLiteral("无法从“%1”读入数据：%2").arg(QFileInfo(fileName).absoluteFilePath(), problem));
}

TDatabaseFile::TDatabaseFile(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile())
        throw EDatabaseError(QStringLiteral("找不到数据库文件“%1”。").arg(QFileInfo(fileName).absoluteFilePath()));
    m_db = openFile(fileName, SQLITE_OPEN_READONLY);
    RegisterSqlFunctions(m_db);
    // Read something, so a file that is not a database is reported here.
    char* err = nullptr;
    if (sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "?");
        sqlite3_free(err);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw EDatabaseError(QStringLiteral("无法打开数据库文件“%1”：%2").arg(QFileInfo(fileName).absoluteFilePath(), msg));
    }
}

TDatabaseFile::~TDatabaseFile() { sqlite3_close(m_db); }

QString TDatabaseFile::quickCheck() const
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return QString::fromUtf8(sqlite3_errmsg(m_db));
    }
    QStringList found;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        found << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return QString::fromUtf8(sqlite3_errmsg(m_db));
    if (found == QStringList{QStringLiteral("ok")}) return {};
    return found.isEmpty() ? QStringLiteral("?") : found.join(QLatin1Char('\n'));
}

QStringList TDatabaseFile::tableNames() const
{
    QStringList names;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return names;
}

QVariant TDatabaseFile::scalar(const QString& sql, const Params& params) const
{
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    try {
        bindParams(st, params);
    } catch (...) {
        sqlite3_finalize(st);
        throw;
    }
    QVariant v;
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) v = ColumnValue(st, 0);
    const QString err = QString::fromUtf8(sqlite3_errmsg(m_db));
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw EDatabaseError(err);
    return v;
}

QStringList TDatabaseFile::readThrough(const QString& sql) const
{
    sqlite3_stmt* st = nullptr;
    const QByteArray text = sql.toUtf8();
    const auto refuse = [&] {
        const int code = sqlite3_extended_errcode(m_db);
        const QString words = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(st);
        throw EEngineError(code, words, EngineAccess::Read);
    };
    if (sqlite3_prepare_v2(m_db, text.constData(), text.size(), &st, nullptr) != SQLITE_OK) refuse();
    QStringList columns;
    for (int i = 0; i < sqlite3_column_count(st); ++i) columns << QString::fromUtf8(sqlite3_column_name(st, i));
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) refuse();
    sqlite3_finalize(st);
    return columns;
}
