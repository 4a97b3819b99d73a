#pragma once
// Whole-database copies through the engine's online backup: from the open
// connection into a file, and from a file into the open connection. Both read
// a consistent state while the program runs, and a copy that fails leaves its
// destination as it was. A file is looked at through its own read-only
// connection before it is trusted.
#include "platform/Connection.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

struct sqlite3;

// A hidden name of fixed length in the folder of fileName, for a copy that is
// renamed onto fileName once whole: it fits wherever fileName itself fits.
QString TemporaryFileBeside(const QString& fileName);

// Writes the connection's data to fileName, replacing that file only once the
// copy is complete: the pages go to a temporary file in the same folder, then
// finish (when given) runs on the copy through a connection of its own, then
// the copy is renamed onto fileName. Throws EDatabaseError with the reason;
// on failure fileName is as before and no temporary file is left.
void BackupDatabaseToFile(TADOConnection& cn, const QString& fileName,
                          const std::function<void(TADOConnection&)>& finish = {});

// Replaces all the connection's data with those of fileName in one step, which
// either completes or leaves the data as they were. Throws EDatabaseError.
// The connection must have no transaction open.
void RestoreDatabaseFromFile(TADOConnection& cn, const QString& fileName);

// A database file opened read-only, never created and never written; the
// program's SQL functions are there as on the program's connection.
class TDatabaseFile {
public:
    // Throws EDatabaseError when the file is missing or is not a database.
    explicit TDatabaseFile(const QString& fileName);
    ~TDatabaseFile();
    TDatabaseFile(const TDatabaseFile&) = delete;
    TDatabaseFile& operator=(const TDatabaseFile&) = delete;

    // The engine's quick integrity check: empty when sound, else its findings.
    QString quickCheck() const;
    // The names of the file's tables.
    QStringList tableNames() const;
    // The first column of the first row (null when there is none); values are
    // bound by name as on the program's connection. Throws EDatabaseError.
    QVariant scalar(const QString& sql, const Params& params = {}) const;

    // Runs a read to its last row, every value bound null, and returns the
    // names of its columns. Throws EEngineError when the engine refuses it.
    QStringList readThrough(const QString& sql) const;

private:
    sqlite3* m_db = nullptr;
};
