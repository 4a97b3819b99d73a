#pragma once
// Small file helpers for tests that check folders and file contents.
#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

inline QByteArray FileBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// Replaces the file's content; false when it cannot be written.
inline bool WriteFile(const QString& file, const QByteArray& content)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}
// Garbage over one page of a database file (pages count from 1), the page
// size read from the file's header; false when the file has no such page.
inline bool ScribblePage(const QString& file, qint64 page)
{
    QByteArray b = FileBytes(file);
    if (b.size() < 100) return false;
    qint64 size = (uchar(b[16]) << 8) | uchar(b[17]);
    if (size == 1) size = 65536;
    if (page < 1 || page * size > b.size()) return false;
    b.replace((page - 1) * size, size, QByteArray(size, '\x5a'));
    return WriteFile(file, b);
}
// Files and folders directly in folder, by name.
inline QStringList EntriesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}
// Files under folder at every depth, hidden ones too, by path from it, sorted.
inline QStringList FilesUnder(const QString& folder)
{
    QStringList l;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        l << QDir(folder).relativeFilePath(it.next());
    l.sort();
    return l;
}
