#include "platform/App.h"
#include <QFont>
#include <gtest/gtest.h>

void ExpectLastGuardQuiet()
{
    const int fired = TApplication::lastGuardCount();
    EXPECT_EQ(fired, 0) << "an error escaped every handler " << fired << " time(s) and was caught by the last guard";
}

namespace {
// Checks the guard after each test, so the failure names the test it happened in.
class LastGuardCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { TApplication::resetLastGuardCount(); }
    void OnTestEnd(const ::testing::TestInfo&) override { ExpectLastGuardQuiet(); }
};
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    TApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    app.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new LastGuardCheck);
    return RUN_ALL_TESTS();
}
