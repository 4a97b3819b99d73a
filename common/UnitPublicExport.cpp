#include "common/UnitPublic.h"
#include "platform/App.h"
#include "platform/DBGrid.h"
#include "platform/Convert.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include "platform/StoredValue.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <xlsxwriter.h>

namespace {

// The most data rows a worksheet holds below the title and caption rows.
constexpr qint64 MaxDataRows = 1048576 - 2;

// An export that could not be finished; the text says why.
class EExportError : public EAppError { using EAppError::EAppError; };

QString lxwText(lxw_error err) { return QString::fromUtf8(lxw_strerror(err)); }

// A file that could not be written in folder: what was not done, the common
// causes of the system's error number in the program's words, then the
// system's own words and the library's when it has its own.
[[noreturn]] void failWriting(const QString& head, const QString& folder, int err, const QString& library = {})
{
    const QString cause = FileErrorCause(err, folder, QStringLiteral("文件夹"));
    QStringList lines{head + (cause.isEmpty() ? QString() : QStringLiteral("：") + cause) + QStringLiteral("。")};
    if (err) lines << QString::fromLocal8Bit(std::strerror(err));
    if (!library.isEmpty()) lines << library;
    throw EExportError(lines.join(QLatin1Char('\n')));
}

void check(lxw_error err)
{
    if (err != LXW_NO_ERROR) throw EExportError(QStringLiteral("写入工作表失败：%1").arg(lxwText(err)));
}

QString writingIn(const QString& folder)
{
    return QStringLiteral("不能在文件夹“%1”中写入文件").arg(QDir::toNativeSeparators(folder));
}

// Owns the workbook until it is closed; one never closed is closed by the
// destructor, which also frees it (its file is the temporary one).
// Rows go to disk as they are written, so a long list needs little memory
// beyond its own; that takes rows strictly in order, and the library keeps
// its own scratch files in the target's folder rather than in a temporary
// folder that may live in memory.
class Workbook {
public:
    explicit Workbook(const QString& path) : m_folder(QFileInfo(path).absolutePath())
    {
        const QByteArray scratch = QFile::encodeName(m_folder);
        lxw_workbook_options opt{};
        opt.constant_memory = LXW_TRUE;
        opt.tmpdir = const_cast<char*>(scratch.constData());
        errno = 0;
        m_wb = workbook_new_opt(QFile::encodeName(path).constData(), &opt);
        if (!m_wb) failWriting(writingIn(m_folder), m_folder, errno);
    }
    ~Workbook() { if (m_wb) workbook_close(m_wb); }
    lxw_workbook* get() const { return m_wb; }
    // The library writes the rows' scratch files and the workbook here, and
    // keeps no error of the system's own: errno is read as it fails.
    lxw_worksheet* addWorksheet()
    {
        errno = 0;
        lxw_worksheet* ws = workbook_add_worksheet(m_wb, nullptr);
        if (!ws) failWriting(writingIn(m_folder), m_folder, errno);
        return ws;
    }
    void close()
    {
        errno = 0;
        const lxw_error err = workbook_close(m_wb);
        const int sysErr = errno;
        m_wb = nullptr;
        if (err != LXW_NO_ERROR) failWriting(writingIn(m_folder), m_folder, sysErr, lxwText(err));
    }
private:
    QString m_folder;
    lxw_workbook* m_wb = nullptr;
};

lxw_datetime toLxw(const QDateTime& m)
{
    const QDate d = m.date();
    const QTime t = m.time();
    return lxw_datetime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
}

// Mode for the finished file: that of the file it replaces, otherwise what a
// newly created file gets.
mode_t finalMode(const QString& target)
{
    struct stat st;
    if (::stat(QFile::encodeName(target).constData(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

struct SheetColumn { QString caption; int field; bool dateOnly; };

// The visible columns in the order the grid shows them, each with its
// dataset field (-1 for a column that shows none) and whether the grid shows
// its moments as dates only.
QVector<SheetColumn> visibleColumns(TDBGrid* grid, TDataSet* ds)
{
    QVector<SheetColumn> out;
    const auto& cols = grid->columns();
    const QHeaderView* header = grid->horizontalHeader();
    for (int visual = 0; visual < cols.size(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= cols.size()) continue;
        if (!cols[logical].visible || grid->isColumnHidden(logical)) continue;
        const QString& field = cols[logical].field;
        out.append({cols[logical].caption, field.isEmpty() ? -1 : ds->fieldIndex(field), cols[logical].dateOnly});
    }
    return out;
}

void writeCell(lxw_worksheet* ws, lxw_row_t row, lxw_col_t col, const QVariant& v, FieldType type, bool dateOnly,
               lxw_format* dateFmt, lxw_format* dateTimeFmt)
{
    if (!v.isValid() || v.isNull()) return;
    // Text that another tool stored where a number belongs goes out as the
    // list shows it, not as a number made up for it.
    if (v.userType() == QMetaType::QString && type != FieldType::String && type != FieldType::DateTime) {
        check(worksheet_write_string(ws, row, col, v.toString().toUtf8().constData(), nullptr));
        return;
    }
    switch (type) {
    case FieldType::Currency:
        // A number past what money holds goes out as the list shows it, never wrapped.
        if (v.userType() == QMetaType::Double && !StoredNumberFitsMoney(v.toDouble())) {
            check(worksheet_write_string(ws, row, col, TDataSet::formatValue(v, type).toUtf8().constData(), nullptr));
            return;
        }
        check(worksheet_write_number(ws, row, col, StoredCurrency(v).toDouble(), nullptr));
        return;
    case FieldType::Integer:
    case FieldType::Float:
        check(worksheet_write_number(ws, row, col, v.toDouble(), nullptr));
        return;
    case FieldType::Boolean:
        check(worksheet_write_boolean(ws, row, col, v.toLongLong() != 0, nullptr));
        return;
    case FieldType::DateTime: {
        QDateTime m = StoredMoment(v);
        // A column the list shows as dates holds the day alone, as the list shows it.
        if (dateOnly && m.isValid() && v.userType() != QMetaType::QString) m = CombineDateTime(m.date(), QTime(0, 0));
        if (!m.isValid() || m.date().year() < 1900 || m.date().year() > 9999) {
            // Not a moment a spreadsheet can hold: keep what the list shows.
            check(worksheet_write_string(ws, row, col, TDataSet::formatValue(v, type).toUtf8().constData(), nullptr));
            return;
        }
        lxw_datetime dt = toLxw(m);
        check(worksheet_write_datetime(ws, row, col, &dt, m.time() == QTime(0, 0) ? dateFmt : dateTimeFmt));
        return;
    }
    case FieldType::String:
        break;
    }
    const QString text = TDataSet::formatValue(v, type);
    if (!text.isEmpty()) check(worksheet_write_string(ws, row, col, text.toUtf8().constData(), nullptr));
}

// Writes the whole workbook to path (a temporary file the caller renames).
void writeWorkbook(const QString& path, const QString& title, TDataSet* ds, TDBGrid* grid)
{
    const QVector<SheetColumn> cols = visibleColumns(grid, ds);
    if (ds->recordCount() > MaxDataRows)
        throw EExportError(QStringLiteral("列表有 %1 行，超过了一张工作表能容纳的 %2 行")
                               .arg(ds->recordCount()).arg(MaxDataRows));

    Workbook wb(path);
    lxw_worksheet* ws = wb.addWorksheet();
    // A date cell needs a date format to read as a date.
    lxw_format* dateFmt = workbook_add_format(wb.get());
    format_set_num_format(dateFmt, "yyyy/m/d");
    lxw_format* dateTimeFmt = workbook_add_format(wb.get());
    format_set_num_format(dateTimeFmt, "yyyy/m/d h:mm:ss");

    if (!title.isEmpty()) check(worksheet_write_string(ws, 0, 0, title.toUtf8().constData(), nullptr));
    for (int c = 0; c < cols.size(); ++c)
        if (!cols[c].caption.isEmpty())
            check(worksheet_write_string(ws, 1, lxw_col_t(c), cols[c].caption.toUtf8().constData(), nullptr));

    // Values are read by row, so the grid neither repaints nor follows the walk.
    const int rows = ds->recordCount();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols.size(); ++c) {
            const int f = cols[c].field;
            if (f < 0) continue;
            writeCell(ws, lxw_row_t(r + 2), lxw_col_t(c), ds->valueAt(r, f), ds->fieldType(f), cols[c].dateOnly, dateFmt, dateTimeFmt);
        }
    // After an export the list stands on its first row.
    ds->first();
    wb.close();
}

} // namespace

namespace {

// The wait cursor while the workbook is written; gone again before any box shows.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void ExportGridToExcel(const QString& fileName, const QString& title, TDataSet* dataSource, TDBGrid* grid)
{
    QWidget* owner = grid ? grid->window() : nullptr;
    try {
        if (fileName.trimmed().isEmpty()) throw EExportError(QStringLiteral("没有给出文件名"));
        if (!grid || !dataSource || !dataSource->active())
            throw EExportError(QStringLiteral("列表没有打开，没有可以导出的内容"));

        // The workbook is written beside the target under a temporary name and
        // takes the target's name only when complete, so a failure leaves no
        // half-written file and never touches a file that was already there.
        const QFileInfo target(fileName);
        const QString folder = target.absolutePath();
        // The temporary name is short, so every name the folder takes can be written.
        QTemporaryFile tmp(folder + QStringLiteral("/.export-XXXXXX"));
        errno = 0;
        if (!tmp.open()) failWriting(writingIn(folder), folder, errno);
        const QString tmpName = tmp.fileName();
        tmp.close();

        // The window waits while the workbook is written: the save dialog that
        // was just closed is painted over first, and the cursor says to wait.
        WaitCursor wait;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (owner && owner->isVisible()) owner->repaint();
        writeWorkbook(tmpName, title, dataSource, grid);

        const QByteArray from = QFile::encodeName(tmpName);
        const QByteArray to = QFile::encodeName(target.absoluteFilePath());
        ::chmod(from.constData(), finalMode(target.absoluteFilePath()));
        if (std::rename(from.constData(), to.constData()) != 0)
            failWriting(QStringLiteral("不能保存为“%1”").arg(QDir::toNativeSeparators(target.absoluteFilePath())),
                        folder, errno);
        tmp.setAutoRemove(false);
    } catch (const std::exception& e) {
        // The workbook is written by the program itself: the box says what
        // stopped it, and that nothing was written.
        Dlg::MessageBox(owner, QStringLiteral("导出没有完成，没有写入任何文件。\n") + ErrorText(e),
                        QStringLiteral("错误"), Dlg::Icon::None, Dlg::Buttons::OK, Dlg::IdOK);
        return;
    }
    Dlg::MessageBox(owner, QStringLiteral("导出完毕！"), AppTitle(), Dlg::Icon::Exclamation, Dlg::Buttons::OK, Dlg::IdOK);
}
