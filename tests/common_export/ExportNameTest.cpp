// An export takes every name the folder takes: the workbook is written under a temporary name of
// fixed length before it takes its own.
#include "support/AppFixture.h"
#include "support/PrintQString.h"
#include "common/UnitPublic.h"
#include "platform/DBGrid.h"
#include "platform/DataSet.h"
#include <QDir>

using namespace Qt::StringLiterals;
namespace {

class ExportName : public AppFixture {
protected:
    void SetUp() override
    {
        createForms = false;
        AppFixture::SetUp();
        cn.open(dbFile());
        cn.execute(u"INSERT INTO Customer (CustID, CustName) VALUES ('B7', '张三')"_s);
        ds.setConnection(&cn);
        ds.setSQL(u"select CustID, CustName from Customer"_s);
        grid.setDataSet(&ds);
        grid.addColumn(u"CustID"_s, u"证件号"_s);
        grid.addColumn(u"CustName"_s, u"客户"_s);
    }
    TADOConnection cn;
    TDataSet ds;
    TDBGrid grid;
};

TEST_F(ExportName, NamesUpToTheFoldersLimitAreWritten)
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

} // namespace
