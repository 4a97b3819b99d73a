// The export of the list: the save dialog's default name, and the workbook
// written to a file and read back.
#include "ui_UnitAcct.h"
#include "ui_UnitModAcct.h"
#include "AcctFixture.h"
#include "support/XlsxRead.h"

namespace {

class ExportTest : public AcctFixture {
protected:
    QStringList defaultNames;
    QString answer;
    void SetUp() override
    {
        AcctFixture::SetUp();
        Dlg::hooks().saveFile = [this](const QString&, const QString& def, const QString&) {
            defaultNames << def;
            return answer;
        };
    }
};

TEST_F(ExportTest, CancelledSaveWritesNothing)
{
    inBook([&] {
        const size_t before = messages.size();
        click(u()->BtnExpXls1);
        EXPECT_EQ(defaultNames, QStringList{u"帐本.xlsx"_s});
        EXPECT_EQ(messages.size(), before) << "no box after a cancelled dialog";
    });
}

TEST_F(ExportTest, WorkbookHoldsTitleCaptionsAndTypedValues)
{
    add({1, u"800"_s, At(2026, 3, 2, 14, 35), u"租车款"_s, 0, 7, u"京A-1租车款"_s});
    add({-1, u"50.25"_s, At(2026, 3, 4), u"费用"_s, 0, -3, u"京A-1 保险"_s});
    answer = dir() + u"book.xlsx"_s;
    inBook([&] {
        query(QDate(2026, 3, 1), QDate(2026, 3, 31));
        click(u()->BtnExpXls1);
    });
    EXPECT_EQ(lastMessage(), u"导出完毕！"_s);
    XlsxSheet sheet;
    QString error;
    ASSERT_TRUE(sheet.load(answer, &error)) << error.toStdString();
    EXPECT_EQ(sheet.text(1, 1), u"2026/3/1至2026/3/31  帐本"_s);
    QStringList captions;
    for (int c = 1; c <= sheet.columnCount(2); ++c) captions << sheet.text(2, c);
    EXPECT_EQ(captions, (QStringList{u"收/支"_s, u"日期"_s, u"金额"_s, u"类目"_s, u"事项"_s}));
    // Newest first, as listed: the expense with its signed amount as a number and its date as a date.
    EXPECT_EQ(sheet.text(3, 1), u"支"_s);
    const auto date = sheet.cell(3, 2);
    ASSERT_TRUE(date.has_value());
    EXPECT_TRUE(date->isDate());
    EXPECT_EQ(date->moment().date(), QDate(2026, 3, 4));
    const auto amount = sheet.cell(3, 3);
    ASSERT_TRUE(amount.has_value());
    EXPECT_TRUE(amount->isNumber());
    EXPECT_EQ(amount->number(), -50.25);
    EXPECT_EQ(sheet.text(3, 5), u"京A-1 保险"_s);
    EXPECT_EQ(sheet.text(4, 3), u"800"_s);
    EXPECT_EQ(sheet.rowCount(), 4);
}

} // namespace
