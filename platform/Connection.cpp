#include "platform/Connection.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "platform/StoredValue.h"
#include <QFile>
#include <QFileInfo>
#include <QVector>
#include <sqlite3.h>

namespace {

void fnCDate(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER || sqlite3_value_type(argv[0]) == SQLITE_FLOAT) {
        sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
        return;
    }
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])));
    auto m = ParseMoment(text);
    if (!m) {
        const QByteArray msg = QStringLiteral("“%1”不是有效的日期").arg(text).toUtf8();
        sqlite3_result_error(ctx, msg.constData(), msg.size());
        return;
    }
    sqlite3_result_double(ctx, DateTimeToDays(*m));
}

void fnNow(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_double(ctx, DateTimeToDays(NowMoment()));
}

void fnDate(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_double(ctx, DateToDays(NowMoment().date()));
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) { sqlite3_result_null(ctx); return; }
    // Counted on the UTF-8 bytes as a QString would count them (a character
    // beyond the basic plane counts two): statements call this for every row.
    const auto* p = reinterpret_cast<const unsigned char*>(sqlite3_value_text(argv[0]));
    const int bytes = sqlite3_value_bytes(argv[0]);
    qint64 n = 0;
    for (int i = 0; i < bytes; ++i) {
        if ((p[i] & 0xC0) != 0x80) ++n;
        if (p[i] >= 0xF0) ++n;
    }
    sqlite3_result_int64(ctx, n);
}

void bindValue(sqlite3_stmt* st, int idx, const QVariant& value)
{
    const QVariant v = ToStored(value);
    switch (v.userType()) {
    case QMetaType::LongLong: sqlite3_bind_int64(st, idx, v.toLongLong()); return;
    case QMetaType::Double: sqlite3_bind_double(st, idx, v.toDouble()); return;
    case QMetaType::QString: {
        const QByteArray b = v.toString().toUtf8();
        sqlite3_bind_text(st, idx, b.constData(), b.size(), SQLITE_TRANSIENT);
        return;
    }
    default: sqlite3_bind_null(st, idx);
    }
}

} // namespace

QVariant ColumnValue(sqlite3_stmt* st, int col)
{
    switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER: return QVariant(qint64(sqlite3_column_int64(st, col)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(st, col));
    case SQLITE_NULL: return QVariant();
    default: {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
        return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(st, col)));
    }
    }
}

TADOConnection::~TADOConnection() { close(); }

namespace {

// What became of the file: untouched, or rolled back from the journal an
// interrupted save left, which the engine must do before its first read, or
// given the tables and indexes start-up adds.
QString unusableLine(const QString& file, const QString& cause, bool undone, bool added = false)
{
    QString changed;
    if (undone) changed += QStringLiteral("上次意外中断时留下的一次未完成的修改已被撤销，");
    if (added) changed += QStringLiteral("本程序启动时对它所做的补建和整理（数据表、索引）已经写入，");
    return QStringLiteral("无法打开数据库文件“%1”：%2%3").arg(file, cause,
        changed.isEmpty() ? QStringLiteral("这个文件没有被改动。") : changed + QStringLiteral("此外这个文件没有被改动。"));
}

// A rollback journal the engine will play back on its first read: not empty
// and with its header written, which happens only once a save may have
// begun to change the file.
bool hotJournalBeside(const QString& file)
{
    static const char magic[] = "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7";
    QFile journal(file + QStringLiteral("-journal"));
    return journal.open(QIODevice::ReadOnly) && journal.read(8) == QByteArray(magic, 8);
}

QString openCause(int code)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QStringLiteral("另一个程序正在使用这个文件，请关闭那个程序后再启动。");
    case SQLITE_CORRUPT: return QStringLiteral("文件已损坏。");
    case SQLITE_NOTADB: return QStringLiteral("它不是数据库文件。");
    case SQLITE_READONLY: return QStringLiteral("文件是只读的，不能写入。");
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN: return QStringLiteral("无法读取这个文件（没有访问权限，或它不是普通文件）。");
    case SQLITE_IOERR: return QStringLiteral("读写这个文件时出错。");
    case SQLITE_FULL: return QStringLiteral("磁盘空间已满。");
    default: return QStringLiteral("它的结构与本程序的数据库不符。");
    }
}

} // namespace

EEngineError UnusableFileError(const QString& file, int code, const QString& engineText, bool undone, bool added)
{
    return EEngineError(code, unusableLine(file, openCause(code), undone, added), engineText);
}

void TADOConnection::open(const QString& fileName, const QStringList& requiredTables)
{
    close();
    QFileInfo fi(fileName);
    const QString path = fi.absoluteFilePath();
    if (!fi.exists()) throw EDatabaseError(QStringLiteral("无法打开数据库文件“%1”：文件不存在。").arg(path));
    // Looked at before the engine plays the journal back and removes it.
    const bool hot = hotJournalBeside(path);
    const auto undone = [&] { return hot && !hotJournalBeside(path); };
    sqlite3* db = nullptr;
    // One thread uses the connection: no locking around every call into the engine.
    int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    const auto fail = [&](int code, const char* text) {
        const QString engineText = QString::fromUtf8(text ? text : db ? sqlite3_errmsg(db) : sqlite3_errstr(code));
        sqlite3_close(db);
        throw UnusableFileError(path, code, engineText, undone());
    };
    if (rc != SQLITE_OK) fail(db ? sqlite3_extended_errcode(db) : rc, nullptr);
    // A WAL file left beside it (another tool still running, or stopped
    // without closing) keeps it and its changes, as found, should the file be
    // refused: the engine would fold them into the file on closing. Taking
    // the program's journal mode at the end of start-up folds them in.
    if (QFileInfo::exists(path + QStringLiteral("-wal"))) sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // Another copy of the program may hold the file for a moment.
    sqlite3_busy_timeout(db, 5000);
    // Read the table list first, so a file that is not a database, or not
    // this program's, is reported before anything is written to it.
    QStringList found;
    sqlite3_stmt* st = nullptr;
    int step = sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st, nullptr);
    while (step == SQLITE_OK || step == SQLITE_ROW) {
        step = sqlite3_step(st);
        if (step == SQLITE_ROW) found << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toLower();
    }
    sqlite3_finalize(st);
    if (step != SQLITE_DONE) fail(sqlite3_extended_errcode(db), nullptr);
    QStringList missing;
    for (const QString& t : requiredTables)
        if (!found.contains(t.toLower())) missing << t;
    if (!missing.isEmpty()) {
        sqlite3_close(db);
        const QString cause = fi.size() == 0 ? QStringLiteral("文件是空的，不是本程序的数据库。")
                                             : QStringLiteral("它不是本程序的数据库。");
        throw EDatabaseError(unusableLine(path, cause, undone()) + QStringLiteral("\n缺少数据表 ") + missing.join(QStringLiteral("、")));
    }
    RegisterSqlFunctions(db);
    m_db = db;
    markUndone();
    m_file = path;
    m_undone = undone();
    m_keys.clear();
}

void TADOConnection::useRollbackJournal()
{
    const QString mode = scalar(QStringLiteral("PRAGMA journal_mode=DELETE")).toString();
    if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        throw EEngineError(SQLITE_BUSY, QStringLiteral("journal_mode is %1").arg(mode));
    // A WAL file found at opening has been folded in by the switch.
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
}

void TADOConnection::close()
{
    if (!m_db) return;
    if (inTransaction()) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_keys.clear();
}

void TADOConnection::raise(const QString& context, EngineAccess access) const
{
    if (!m_db) throw EDatabaseError(QStringLiteral("数据库未连接"));
    QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (!context.isEmpty()) msg = context + QStringLiteral("：") + msg;
    // A read inside a command's transaction fails that command, which then
    // saves nothing: only a read on its own is reported as a read.
    if (inTransaction()) access = EngineAccess::Write;
    throw EEngineError(sqlite3_extended_errcode(m_db), msg, access, QFileInfo(m_file).absolutePath());
}

void TADOConnection::beginTrans()
{
    if (!m_db) raise();
    if (inTransaction()) throw EDatabaseError(QStringLiteral("事务已经开始"));
    if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) raise();
    markUndone();
}

void TADOConnection::commitTrans()
{
    if (!m_db) raise();
    if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) raise();
    markSaved();
}

void TADOConnection::rollbackTrans()
{
    if (!m_db) return;
    if (inTransaction()) sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    // Also after the engine rolled back by itself: what it undid was not saved.
    markUndone();
}

void TADOConnection::markSaved() const
{
    const qint64 total = sqlite3_total_changes64(m_db);
    if (total != m_changeMark) ++m_saved;
    m_changeMark = total;
}

void TADOConnection::markUndone() const { m_changeMark = sqlite3_total_changes64(m_db); }

bool TADOConnection::inTransaction() const { return m_db && !sqlite3_get_autocommit(m_db); }

TStatement::TStatement(const TADOConnection& cn, const QString& sql, const Params& params) : m_cn(cn)
{
    sqlite3* db = cn.handle();
    if (!db) cn.raise();
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), text.size(), &m_st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_st);
        m_st = nullptr;
        // No statement to ask: the program's reads are the statements that begin with SELECT.
        cn.raise({}, sql.trimmed().startsWith(QLatin1String("select"), Qt::CaseInsensitive) ? EngineAccess::Read
                                                                                           : EngineAccess::Write);
    }
    const int count = sqlite3_bind_parameter_count(m_st);
    QVector<bool> bound(count + 1, false);
    for (const auto& [name, value] : params) {
        const QByteArray n = (name.startsWith(QLatin1Char(':')) ? name : QLatin1Char(':') + name).toUtf8();
        const int idx = sqlite3_bind_parameter_index(m_st, n.constData());
        if (idx <= 0) {
            sqlite3_finalize(m_st);
            m_st = nullptr;
            throw EDatabaseError(QStringLiteral("语句中没有参数 %1").arg(QString::fromUtf8(n)));
        }
        bindValue(m_st, idx, value);
        bound[idx] = true;
    }
    for (int i = 1; i <= count; ++i) {
        if (bound[i]) continue;
        const char* n = sqlite3_bind_parameter_name(m_st, i);
        const QString name = n ? QString::fromUtf8(n) : QStringLiteral("?%1").arg(i);
        sqlite3_finalize(m_st);
        m_st = nullptr;
        throw EDatabaseError(QStringLiteral("语句的参数 %1 没有值").arg(name));
    }
}

TStatement::~TStatement() { sqlite3_finalize(m_st); }

bool TStatement::next()
{
    const int rc = sqlite3_step(m_st);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) {
        // A write outside a transaction is saved when it is done.
        if (!sqlite3_stmt_readonly(m_st) && sqlite3_get_autocommit(m_cn.handle())) m_cn.markSaved();
        return false;
    }
    m_cn.raise({}, sqlite3_stmt_readonly(m_st) ? EngineAccess::Read : EngineAccess::Write);
}

int TStatement::columnCount() const { return sqlite3_column_count(m_st); }
QString TStatement::columnName(int col) const { return QString::fromUtf8(sqlite3_column_name(m_st, col)); }
QVariant TStatement::value(int col) const { return ColumnValue(m_st, col); }

QByteArrayView TStatement::textBytes(int col) const
{
    if (sqlite3_column_type(m_st, col) != SQLITE_TEXT) return {};
    const char* p = reinterpret_cast<const char*>(sqlite3_column_text(m_st, col));
    return QByteArrayView(p ? p : "", sqlite3_column_bytes(m_st, col));
}

int TADOConnection::execute(const QString& sql, const Params& params)
{
    TStatement st(*this, sql, params);
    while (st.next()) {}
    return sqlite3_changes(m_db);
}

QVariant TADOConnection::scalar(const QString& sql, const Params& params)
{
    TStatement st(*this, sql, params);
    return st.next() ? st.value(0) : QVariant();
}

qint64 TADOConnection::lastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }

QStringList TADOConnection::tableNames(bool includeSystem) const
{
    QStringList names;
    TStatement st(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    while (st.next()) {
        const QString n = st.value(0).toString();
        if (includeSystem || !n.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)) names << n;
    }
    if (includeSystem) names << QStringLiteral("sqlite_master");
    return names;
}

QStringList TADOConnection::keyColumns(const QString& table) const
{
    const QString cacheKey = table.toLower();
    if (auto it = m_keys.constFind(cacheKey); it != m_keys.constEnd()) return *it;
    QStringList keys;
    {
        TStatement st(*this, QStringLiteral("SELECT name, pk FROM pragma_table_info(:t) WHERE pk > 0 ORDER BY pk"),
                      {{QStringLiteral("t"), table}});
        while (st.next()) keys << st.value(0).toString();
    }
    if (keys.isEmpty()) {
        TStatement st(*this, QStringLiteral(
            "SELECT ii.name FROM pragma_index_list(:t) il, pragma_index_info(il.name) ii WHERE il.[unique] = 1 "
            "ORDER BY il.seq, ii.seqno"), {{QStringLiteral("t"), table}});
        if (st.next()) keys << st.value(0).toString();
    }
    m_keys.insert(cacheKey, keys);
    return keys;
}

void RegisterSqlFunctions(sqlite3* db)
{
    sqlite3_create_function(db, "CDate", 1, SQLITE_UTF8, nullptr, fnCDate, nullptr, nullptr);
    sqlite3_create_function(db, "Now", 0, SQLITE_UTF8, nullptr, fnNow, nullptr, nullptr);
    sqlite3_create_function(db, "Date", 0, SQLITE_UTF8, nullptr, fnDate, nullptr, nullptr);
    sqlite3_create_function(db, "Len", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fnLen, nullptr, nullptr);
}

QString UnusableFileCause(int code) { return openCause(code); }
