// The memo length limit of the platform: what goes beyond is dropped where
// it was typed or pasted, and nothing else is lost.
#include "platform/KeyFilters.h"
#include "support/Typing.h"
#include <QPlainTextEdit>
#include <gtest/gtest.h>

TEST(MemoLimit, TypedAndPastedTextBeyondTheLimitIsDropped)
{
    QPlainTextEdit m;
    LimitMemoLength(&m, 10);
    TypeText(&m, QStringLiteral("abcdefghijXY"));
    EXPECT_EQ(m.toPlainText(), "abcdefghij");

    // A paste in the middle keeps the text around it.
    m.setPlainText(QStringLiteral("12345678"));
    QTextCursor c = m.textCursor();
    c.setPosition(4);
    m.setTextCursor(c);
    m.insertPlainText(QStringLiteral("ABCD"));
    EXPECT_EQ(m.toPlainText(), "1234AB5678");
    EXPECT_EQ(m.textCursor().position(), 6);

    // Text set by the program keeps its start.
    m.setPlainText(QStringLiteral("0123456789abc"));
    EXPECT_EQ(m.toPlainText(), "0123456789");

    // Line breaks count as one character each.
    m.clear();
    TypeText(&m, QStringLiteral("ab"));
    QTest::keyClick(&m, Qt::Key_Return);
    TypeText(&m, QStringLiteral("cdefghijk"));
    EXPECT_EQ(m.toPlainText(), "ab\ncdefghi");
}
