// Money, conversions and moments: the arithmetic every window relies on.
#include "platform/Convert.h"
#include "platform/Currency.h"
#include "platform/Errors.h"
#include "platform/Moment.h"
#include <gtest/gtest.h>

static Currency C(const char* s) { return StrToCurr(QString::fromUtf8(s)); }

TEST(Currency, TextIsExactAndBadTextIsRefused)
{
    EXPECT_EQ(C("0.1").raw(), 1000);
    EXPECT_EQ((C("0.1") + C("0.2")).raw(), C("0.3").raw());
    EXPECT_EQ(C("29.6").toString(), "29.6");
    EXPECT_EQ(C("-3.25").toString(), "-3.25");
    EXPECT_EQ(C(" 12.50 ").toString(), "12.5");
    // More than four decimals: rounded half up on the fifth.
    EXPECT_EQ(C("1.00005").toString(), "1.0001");
    for (const char* bad : {"", "abc", "1.2.3", "1,5", "1e5", "１２"}) {
        try {
            StrToCurr(QString::fromUtf8(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EConvertError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("不是有效的金额"))) << bad;
        }
    }
    EXPECT_THROW(StrToCurr(QStringLiteral("99999999999999999")), EConvertError);
    const Currency big = Currency::fromRaw(INT64_MAX / 2 + 1);
    EXPECT_THROW(big + big, EConvertError);
    EXPECT_THROW(big * 3, EConvertError);
    EXPECT_EQ((C("0.8") * 200).toString(), "160");
}

TEST(Currency, RoundingRules)
{
    // Whole yuan, halfway to even; cents, halfway up.
    EXPECT_EQ(C("2.5").roundedToYuanHalfEven().toString(), "2");
    EXPECT_EQ(C("3.5").roundedToYuanHalfEven().toString(), "4");
    EXPECT_EQ(C("2.5001").roundedToYuanHalfEven().toString(), "3");
    EXPECT_EQ(C("-3.5").roundedToYuanHalfEven().toString(), "-4");
    EXPECT_EQ(C("2.004").roundedToCentsHalfUp().toString(), "2");
    EXPECT_EQ(C("2.005").roundedToCentsHalfUp().toString(), "2.01");
    EXPECT_EQ(C("-0.125").roundedToCentsHalfUp().toString(), "-0.13");
}

TEST(Convert, IntegersAreCheckedNotSilentlyZero)
{
    EXPECT_EQ(StrToInt(QStringLiteral(" -5 ")), -5);
    EXPECT_THROW(StrToInt(QStringLiteral("")), EConvertError);
    EXPECT_THROW(StrToInt(QStringLiteral("2147483648")), EConvertError);
    EXPECT_EQ(StrToIntDef(QStringLiteral(""), 7), 7);
    EXPECT_THROW(StrToIntDef(QStringLiteral("x"), 7), EConvertError);
    try {
        StrToInt(QStringLiteral("abc"));
        ADD_FAILURE() << "accepted abc";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("“abc”不是有效的整数"));
    }
    EXPECT_THROW(StrToFloat(QStringLiteral(".")), EConvertError);
}

TEST(Moment, DayNumbersAndFormats)
{
    EXPECT_EQ(DateToDays(QDate(1899, 12, 30)), 0.0);
    const QDateTime m = CombineDateTime(QDate(2026, 5, 1), QTime(9, 0));
    const double d = DateTimeToDays(m);
    EXPECT_DOUBLE_EQ(d - std::floor(d), 0.375);
    // Round trips keep every millisecond, also before the epoch.
    for (const QDateTime& t : {CombineDateTime(QDate(2031, 12, 31), QTime(23, 59, 59, 999)),
                               CombineDateTime(QDate(1899, 12, 29), QTime(18, 0))})
        EXPECT_EQ(DaysToDateTime(DateTimeToDays(t)), t);

    EXPECT_EQ(DateTimeToStr(CombineDateTime(QDate(2026, 12, 6), QTime(15, 0, 7))), "2026/12/6 15:00:07");
    EXPECT_EQ(DateTimeToStr(CombineDateTime(QDate(2026, 12, 6), QTime(0, 0))), "2026/12/6");
    EXPECT_EQ(TimeToStr(QTime(9, 5, 0)), "9:05:00");
    EXPECT_EQ(ParseMoment(QStringLiteral("2026/5/3 15:00:00")), CombineDateTime(QDate(2026, 5, 3), QTime(15, 0)));
    EXPECT_FALSE(ParseMoment(QStringLiteral("2026/2/30")).has_value());
    EXPECT_FALSE(ParseMoment(QStringLiteral("2026/5/3 25:00")).has_value());
}
