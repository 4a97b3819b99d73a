#pragma once
// Small readers shared by the window tests: stored rows as one text, combo
// entries, a folder's files, and two-colour pictures whose orientation shows.
#include "support/FileTools.h"
#include "support/PrintQString.h"
#include "platform/Connection.h"
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

// The columns of the rows `where` selects, "|" between columns, "/" between rows, NULL as "NULL".
inline QString RowsText(TADOConnection& cn, const QString& table, const QStringList& cols, const QString& where = {},
                        const Params& params = {})
{
    QStringList parts;
    for (const QString& c : cols) parts << QStringLiteral("ifnull(%1,'NULL')").arg(c);
    const QString sql = QStringLiteral("select group_concat(%1, '/') from (select * from %2 %3 order by rowid)")
                            .arg(parts.join(QStringLiteral("||'|'||")), table, where.isEmpty() ? QString() : QStringLiteral("where ") + where);
    return cn.scalar(sql, params).toString();
}

inline QStringList ComboItems(const QComboBox* c)
{
    QStringList l;
    for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
}

inline QStringList FilesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

// Top-left quarter red, the rest blue, saved in the given format.
inline QString SavePicture(const QString& path, const char* format, QSize size = QSize(37, 23))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(30, 120, 200));
    QPainter(&img).fillRect(0, 0, size.width() / 2, size.height() / 2, QColor(220, 40, 40));
    EXPECT_TRUE(img.save(path, format)) << path.toStdString();
    return path;
}
