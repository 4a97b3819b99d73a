// The platform's memo length limit: what goes beyond is dropped where it was
// typed or pasted, and nothing else is lost.
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

    m.setPlainText(QStringLiteral("12345678"));   // a paste in the middle keeps the text around it
    QTextCursor c = m.textCursor();
    c.setPosition(4);
    m.setTextCursor(c);
    m.insertPlainText(QStringLiteral("ABCD"));
    EXPECT_EQ(m.toPlainText(), "1234AB5678");
    EXPECT_EQ(m.textCursor().position(), 6);

    m.setPlainText(QStringLiteral("0123456789abc"));   // set by the program: the start stays
    EXPECT_EQ(m.toPlainText(), "0123456789");

    m.clear();   // a line break counts as one character
    TypeText(&m, QStringLiteral("ab"));
    QTest::keyClick(&m, Qt::Key_Return);
    TypeText(&m, QStringLiteral("cdefghijk"));
    EXPECT_EQ(m.toPlainText(), "ab\ncdefghi");
}
