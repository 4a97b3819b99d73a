#pragma once
// The one database connection. An SQLite file opened read-write and never
// created here; the functions the program's SQL uses (CDate, Now, Date, Len)
// are registered on it.
#include "platform/Currency.h"
#include "platform/Errors.h"
#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// Named values bound into a statement (":name" in the SQL text). A QVariant may
// hold QString, an integer, bool, double, Currency, QDateTime or QDate (stored as
// day numbers), or be null.
using Params = QList<QPair<QString, QVariant>>;

class TADOConnection {
public:
    TADOConnection() = default;
    ~TADOConnection();
    TADOConnection(const TADOConnection&) = delete;
    TADOConnection& operator=(const TADOConnection&) = delete;

    // Opens an existing database file; throws EDatabaseError naming the file
    // and the cause when it is missing, unreadable, held by another program,
    // damaged or not a database, or when one of requiredTables (any letter
    // case) is not in it. Nothing is written to the file, other than the
    // engine undoing an interrupted save it finds there, and the journal mode
    // another tool left is kept until useRollbackJournal; the busy wait holds
    // from the first read.
    void open(const QString& fileName, const QStringList& requiredTables = {});
    // Whether opening undid an unfinished save left by a crash (the engine
    // plays back a hot journal before it reads).
    bool undidUnfinishedChange() const { return m_db && m_undone; }
    // Puts the file in the rollback-journal mode the program's saves and
    // backups rely on (another tool may have left it in WAL mode); a write,
    // made once start-up has read what it reads.
    void useRollbackJournal();
    void close();
    bool connected() const { return m_db != nullptr; }
    QString fileName() const { return m_file; }

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const;

    // Counts the writes that reached the file: a transaction committed after
    // it changed rows, or a statement outside one that changed rows. A
    // handler that fails after this count rose says in its box that the
    // change was saved.
    quint64 savedWrites() const { return m_saved; }

    // Runs a statement that returns no rows; the count of rows it changed.
    int execute(const QString& sql, const Params& params = {});
    // The first column of the first row, or a null QVariant.
    QVariant scalar(const QString& sql, const Params& params = {});
    qint64 lastInsertId() const;

    // Table names, system tables included when asked.
    QStringList tableNames(bool includeSystem = true) const;

    // The key columns of a table (its primary key, else its first unique
    // index), read once per file and kept until another file is opened.
    QStringList keyColumns(const QString& table) const;

    sqlite3* handle() const { return m_db; }
    // Throws the engine's last error, worded for a read or a write.
    [[noreturn]] void raise(const QString& context = {}, EngineAccess access = EngineAccess::Write) const;

private:
    sqlite3* m_db = nullptr;
    QString m_file;
    bool m_undone = false;
    mutable QHash<QString, QStringList> m_keys;
    // The engine's running count of changed rows when the last write was
    // counted or undone; a commit that moves it past this saved something.
    mutable qint64 m_changeMark = 0;
    mutable quint64 m_saved = 0;
    void markSaved() const;
    void markUndone() const;
    friend class TStatement;
};

// A database file that cannot be used at all: the file and the cause, chosen
// by the engine's result code, on the first line, with the engine's own text
// on the second. undone: opening undid an interrupted save, which the first
// line then says instead of that the file was not changed; added: start-up
// wrote the tables and indexes the file lacked, which the line also says.
EEngineError UnusableFileError(const QString& file, int code, const QString& engineText, bool undone = false,
                               bool added = false);

// One prepared statement with its values bound; finalized when it goes out of
// scope. Binding is strict: a value whose name the statement lacks, or a
// parameter of the statement left without a value, is an error.
class TStatement {
public:
    TStatement(const TADOConnection& cn, const QString& sql, const Params& params = {});
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    // Steps to the next row: true while a row stands, false when done; an
    // engine error throws.
    bool next();
    int columnCount() const;
    QString columnName(int col) const;
    // The value of a column of the current row (qint64, double, QString or null).
    QVariant value(int col) const;
    // The stored UTF-8 bytes of a text value of the current row, read without
    // a copy and valid until the next step; a null view for any other kind.
    QByteArrayView textBytes(int col) const;
    sqlite3_stmt* handle() const { return m_st; }

private:
    const TADOConnection& m_cn;
    sqlite3_stmt* m_st = nullptr;
};

// The value of a column of the current statement row as a QVariant
// (qint64, double, QString or null).
QVariant ColumnValue(sqlite3_stmt* st, int col);

// The functions the program's SQL uses, registered on a connection of another
// kind (a read-only look at a file), so the program's statements run there too.
void RegisterSqlFunctions(sqlite3* db);

// Why a file the engine refused with this result code cannot be used, in one sentence.
QString UnusableFileCause(int code);
