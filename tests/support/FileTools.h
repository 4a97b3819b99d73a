#pragma once
// Small file helpers for tests that check folders and file contents.
#include <QByteArray>
#include <QDir>
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
// Files and folders directly in folder, by name.
inline QStringList EntriesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}
