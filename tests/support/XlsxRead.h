#pragma once
// Reads a written workbook back for checks, without the library that wrote it:
// the zip container is unpacked with zlib and the first sheet's cells are
// resolved (shared strings, inline strings, number formats of their styles).
#include <QDateTime>
#include <QMap>
#include <QString>
#include <cmath>
#include <optional>

struct XlsxCell {
    QString type;     // the cell's t attribute: "s", "inlineStr", "str", "b", "" (a number)
    QString text;     // the string itself, or the number's text as stored
    QString numFmt;   // format code of the cell's style ("" for General)

    bool isText() const { return type == QLatin1String("s") || type == QLatin1String("inlineStr") || type == QLatin1String("str"); }
    bool isNumber() const { return type.isEmpty() || type == QLatin1String("n"); }
    double number() const { return text.toDouble(); }
    // A number shown through a date format (d, m, y in the code outside quotes).
    bool isDate() const;
    // The moment a date cell stands for (serial days since 1899-12-30).
    QDateTime moment() const { return QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addMSecs(std::llround(number() * 86400000.0)); }
};

class XlsxSheet {
public:
    // Reads the first worksheet of the file; false when it cannot.
    bool load(const QString& path);
    // Row and column from 1, as the spreadsheet counts them; nullopt for a cell not written.
    std::optional<XlsxCell> cell(int row, int col) const;
    // Text of a cell as a string (a number's stored text); "" when not written.
    QString text(int row, int col) const { return m_cells.value({row, col}).text; }
    int rowCount() const { return m_cells.isEmpty() ? 0 : m_cells.lastKey().first; }   // the last row holding a cell
    int columnCount(int row) const;   // the last column holding a cell in that row

private:
    QMap<QPair<int, int>, XlsxCell> m_cells;   // by row, then column
};
