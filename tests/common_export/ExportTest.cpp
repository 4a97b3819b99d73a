// The workbook export: a real file written through a grid and read back.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "support/WindowProbes.h"
#include "common/UnitPublic.h"
#include "platform/Convert.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include "platform/Moment.h"
#include "support/XlsxRead.h"
#include <QApplication>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

const QString DocNo = u"110101199001011234"_s;   // 18 digits: must stay text
QString SystemWords(int err) { return QString::fromLocal8Bit(std::strerror(err)); }
QDateTime At(int y, int m, int d, int h = 0, int mi = 0, int s = 0) { return CombineDateTime(QDate(y, m, d), QTime(h, mi, s)); }

class ExportTest : public AppFixture {
protected:
    void SetUp() override
    {
        createForms = false;
        AppFixture::SetUp();
        cn.open(dbFile());
        cn.execute(u"INSERT INTO Customer (CustID, CustName) VALUES (:id, ' <张&三> '), ('B7', 'O''Brien')"_s, {{"id", DocNo}});
        // One hire still out (no return time, no charge), one returned at midnight and settled.
        cn.execute(u"INSERT INTO Leaso (CarID, CustID, BeginTime, EndTime, Charge) VALUES ('京A1', :c, :b, NULL, NULL),"
                   " ('沪B2', 'B7', :b2, :e, :m)"_s,
                   {{"c", DocNo}, {"b", At(2024, 3, 5, 9, 30, 15)}, {"b2", At(2024, 2, 29)}, {"e", At(2024, 3, 2)},
                    {"m", QVariant::fromValue(StrToCurr(u"1234.56"_s))}});
        ds.setConnection(&cn);
        ds.setSQL(u"select Leaso.LeasoID, Leaso.CustID, CustName, BeginTime, EndTime, Charge "
                  "from Leaso, Customer where Leaso.CustID=Customer.CustID order by LeasoID"_s);
        grid.setDataSet(&ds);
        for (const auto& [field, caption] : {std::pair{"LeasoID", "编号"}, {"CustID", "证件号"}, {"CustName", "客户"},
                                             {"BeginTime", "租出时间"}, {"EndTime", "还车日期"}, {"Charge", "租金"},
                                             {"", "应收（欠款）"}})
            grid.addColumn(QString::fromUtf8(field), QString::fromUtf8(caption));
        grid.setColumnVisible(0, false);
    }
    TADOConnection cn;
    TDataSet ds;
    TDBGrid grid;
};

} // namespace

// The title, the visible captions and typed cells.
TEST_F(ExportTest, AnExportHoldsTitleCaptionsAndTypedCells)
{
    ds.open();
    const QString file = dir() + u"out.xlsx"_s, title = u"2024/2/1至2024/3/31  车辆租借情况统计"_s;
    ExportGridToExcel(file, title, &ds, &grid);
    XlsxSheet x;
    ASSERT_TRUE(x.load(file));
    EXPECT_EQ(x.text(1, 1), title);
    QStringList captions;
    for (int c = 1; c <= x.columnCount(2); ++c) captions << x.text(2, c);
    EXPECT_EQ(captions, (QStringList{u"证件号"_s, u"客户"_s, u"租出时间"_s, u"还车日期"_s, u"租金"_s, u"应收（欠款）"_s}))
        << "the hidden key takes no column";
    EXPECT_EQ(x.rowCount(), 4);

    // Cells: 't' text, 'n' number, 'd' date with its format, '-' not written.
    struct Want { int row, col; char kind; QVariant value; QString fmt = {}; };
    const Want cells[] = {
        {3, 1, 't', DocNo}, {3, 2, 't', u" <张&三> "_s}, {3, 3, 'd', At(2024, 3, 5, 9, 30, 15), u"yyyy/m/d h:mm:ss"_s},
        {3, 4, '-', {}}, {3, 6, '-', {}}, {4, 2, 't', u"O'Brien"_s}, {4, 4, 'd', At(2024, 3, 2), u"yyyy/m/d"_s},
        {4, 5, 'n', 1234.56}};
    for (const Want& w : cells) {
        SCOPED_TRACE(testing::Message() << "cell " << w.row << "," << w.col);
        const auto c = x.cell(w.row, w.col);
        if (w.kind == '-') { EXPECT_FALSE(c); continue; }
        ASSERT_TRUE(c);
        EXPECT_EQ(c->isText(), w.kind == 't');
        EXPECT_EQ(c->isDate(), w.kind == 'd') << c->numFmt.toStdString();
        if (w.kind == 't') EXPECT_EQ(c->text, w.value.toString());
        if (w.kind == 'n') EXPECT_DOUBLE_EQ(c->number(), w.value.toDouble());
        if (w.kind == 'd') { EXPECT_EQ(c->moment(), w.value.toDateTime()); EXPECT_EQ(c->numFmt, w.fmt); }
    }

    // Text another tool stored as the amount, or a number past what money
    // holds, goes out as the list shows it, never as a wrapped number.
    for (const auto& [stored, shown] : {std::pair{"'约100元'", u"约100元"_s}, {"1e300", u"1e+300"_s}, {"-9.3e18", u"-9.3e+18"_s}}) {
        cn.execute(u"Update Leaso set Charge=%1 where CarID='沪B2'"_s.arg(QString::fromUtf8(stored)));
        ds.close();
        ds.open();
        ExportGridToExcel(dir() + u"text.xlsx"_s, title, &ds, &grid);
        ASSERT_TRUE(x.load(dir() + u"text.xlsx"_s) && x.cell(4, 5));
        EXPECT_TRUE(x.cell(4, 5)->isText()) << shown.toStdString();
        EXPECT_EQ(x.text(4, 5), shown);
    }
}

// A failure names its cause, leaves no file and an old one as it was. The pending
// paint is done and the cursor waits while the workbook is written (the list steps
// back to its first row as the writing ends); the cursor is back before the box.
TEST_F(ExportTest, FailuresNameTheirCauseAndTheCursorWaitsWhileTheWorkbookIsWrittenNotOnTheBox)
{
    QStringList seen;
    auto cursor = [] {
        const QCursor* c = QApplication::overrideCursor();
        return !c ? u"normal"_s : c->shape() == Qt::WaitCursor ? u"wait"_s : u"other"_s;
    };
    struct Paints : QObject {
        std::function<void()> onPaint;
        bool eventFilter(QObject*, QEvent* e) override { if (e->type() == QEvent::Paint) onPaint(); return false; }
    } paints;
    paints.onPaint = [&] { seen << u"paint "_s + cursor(); };
    grid.viewport()->installEventFilter(&paints);
    QObject::connect(&ds, &TDataSet::afterScroll, [&] { seen << u"scroll "_s + cursor(); });
    auto& box = Dlg::hooks().message;
    box = [&, shown = box](const Dlg::MessageCall& c) { seen << u"box "_s + cursor(); return shown(c); };
    grid.show();

    const QString busy = dir() + u"busy.xlsx"_s, kept = dir() + u"kept.xlsx"_s, failed = u"导出没有完成，没有写入任何文件。\n"_s;
    ASSERT_TRUE(QDir().mkpath(busy + u"/inside"_s));   // a folder holds the name: the temporary file goes
    ASSERT_TRUE(WriteFile(kept, "old content"));
    const QStringList written{u"paint wait"_s, u"scroll wait"_s, u"box normal"_s};
    const QString missing = dir() + u"无此文件夹"_s;
    // The system's own words follow the program's; a size limit stands in for a full disk.
    const struct { const char* name; bool open; QString file; QStringList want; QString says; QString custName = {};
                   rlim_t sizeLimit = 0; } rows[] = {
        {"list not open", false, kept, {u"box normal"_s}, failed + u"列表没有打开，没有可以导出的内容"_s},
        {"written", true, dir() + u"b.xlsx"_s, written, u"导出完毕！"_s},
        {"cannot take its name", true, busy, written, failed + u"不能保存为“"_s + busy + u"”：该位置已有同名的文件夹或其他项目。\n"_s + SystemWords(EISDIR)},
        {"folder missing", true, missing + u"/a.xlsx"_s, {u"box normal"_s},
         failed + u"不能在文件夹“"_s + missing + u"”中写入文件：文件夹不存在。\n"_s + SystemWords(ENOENT)},
        {"file size limit", true, dir() + u"a.xlsx"_s, written, failed + u"不能在文件夹“"_s + QDir::cleanPath(dir())
         + u"”中写入文件：文件超出了系统允许的大小。\n"_s + SystemWords(EFBIG), {}, 2000},
        {"a cell too long for a sheet", true, dir() + u"c.xlsx"_s, {u"paint wait"_s, u"box normal"_s}, failed, QString(40000, u'长')}};
    rlimit unlimited{};
    getrlimit(RLIMIT_FSIZE, &unlimited);
    signal(SIGXFSZ, SIG_IGN);
    for (const auto& r : rows) {
        if (!r.custName.isEmpty()) cn.execute(u"UPDATE Customer SET CustName=:n WHERE CustID='B7'"_s, {{"n", r.custName}});
        if (r.open) ds.open();
        ds.last();
        QCoreApplication::processEvents();
        seen.clear();
        grid.viewport()->update();   // what a closed save dialog leaves to paint
        rlimit limit = unlimited;
        if (r.sizeLimit) limit.rlim_cur = r.sizeLimit;
        setrlimit(RLIMIT_FSIZE, &limit);
        ExportGridToExcel(r.file, u"t"_s, &ds, &grid);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        seen.removeDuplicates();     // however many paints it takes
        EXPECT_EQ(seen, r.want) << r.name;
        EXPECT_FALSE(QApplication::overrideCursor()) << r.name;
        EXPECT_TRUE(lastMessage().startsWith(r.says)) << r.name << ": " << lastMessage().toStdString();
        EXPECT_EQ(messages.back().caption, r.says.startsWith(failed) ? u"错误"_s : u"Quorvane"_s) << r.name;
        ds.close();
    }
    EXPECT_EQ(messageTexts().size(), 6);
    EXPECT_EQ(FilesIn(dir()), (QStringList{u"Leaso3.mdb"_s, u"b.xlsx"_s, u"kept.xlsx"_s})) << "nothing half-written stays";
    EXPECT_EQ(FileBytes(kept), "old content");
    EXPECT_TRUE(QDir(busy + u"/inside"_s).exists());
}

// Every name the folder takes: the workbook is written under a temporary name of fixed length first.
TEST_F(ExportTest, NamesUpToTheFoldersLimitAreWritten)
{
    const struct { const char* name; QString file; } rows[] = {
        {"250 bytes", QString(245, u'k') + u".xlsx"_s},
        {"255 bytes", QString(250, u'k') + u".xlsx"_s},
        {"83 Chinese characters, 254 bytes", u"帐"_s.repeated(83) + u".xlsx"_s}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ASSERT_LE(r.file.toUtf8().size(), 255);
        ds.open();
        messages.clear();
        ExportGridToExcel(dir() + r.file, u"t"_s, &ds, &grid);
        ds.close();
        EXPECT_EQ(messageTexts(), QStringList{u"导出完毕！"_s});
        EXPECT_TRUE(QFileInfo(dir() + r.file).size() > 0);
        EXPECT_EQ(QDir(dir()).entryList({u".*"_s}, QDir::Files | QDir::Hidden), QStringList{}) << "no temporary file stays";
    }
}
