#include "framework/text/business_utils.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Roundx, TableAroundHalves)
{
    struct Case { unsigned p; double x, expected; };
    const Case cases[] = {
        {2, 2.675, 2.68},   // stored as 2.67499999...: still rounds up
        {2, -2.675, -2.68}, // halves go away from zero on both signs
        {2, 1.005, 1.01},
        {2, 0.015, 0.02},
        {2, -0.015, -0.02},
        {2, 0.005, 0.01},
        {2, 2.665, 2.67},
        {2, 2.674999, 2.67},
        {2, 0, 0},
        {2, 1234567.895, 1234567.9},
        {2, 1000000000000.125, 1000000000000.13},
        {2, -98765432.105, -98765432.11},
        {0, 2.5, 3},
        {0, -2.5, -3},
        {0, 0.4999, 0},
        {3, 1.0005, 1.001},
        {9, 0.1234567895, 0.123456789}, // stored as 0.12345678949...: more than the nudge below the half
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "p=" << c.p << " x=" << c.x);
        EXPECT_DOUBLE_EQ(roundx(c.p, c.x), c.expected);
    }
}

TEST(Roundx, RoundedNegativeZeroIsPositive)
{
    for (double x : {-0.004, -0.0, -1e-12}) {
        EXPECT_EQ(roundx2(x), 0.0);
        EXPECT_FALSE(std::signbit(roundx2(x))) << x;
    }
}

TEST(Roundx, PlacesAboveNineFail)
{
    try {
        roundx(10, 1);
        FAIL() << "no assertion failure";
    } catch (const EAssertionFailed &e) {
        EXPECT_EQ(e.message(), QString::fromUtf8("Невалидна стойност на параметъра p в roundx()!\r\np=10"));
    }
    EXPECT_NO_THROW(roundx(9, 1));
}

TEST(Padding, FillHelpers)
{
    EXPECT_EQ(IntToStrPad(5, 2, QLatin1Char('0')), "05");
    EXPECT_EQ(IntToStrPad(123, 2, QLatin1Char('0')), "23");
    EXPECT_EQ(IntToStrPad(42, 10, QLatin1Char('0')), "0000000042");
    EXPECT_EQ(StrPadLeft("123", 10, QLatin1Char('0')), "0000000123");
    EXPECT_EQ(StrPadLeft("12345678901", 10, QLatin1Char('0')), "2345678901");
    EXPECT_EQ(StrPadLeft("", 3, QLatin1Char(' ')), "   ");
    EXPECT_EQ(StrPadLeft("abc", 0, QLatin1Char(' ')), "");
    EXPECT_EQ(KeepChars(QString::fromUtf8("П-00123а/5"), "0123456789"), "001235");
    EXPECT_EQ(KeepChars("", "0"), "");
}

TEST(Money, FormatMoney)
{
    EXPECT_EQ(FormatMoney(2.675), "2.68");
    EXPECT_EQ(FormatMoney(-2.675), "-2.68");
    EXPECT_EQ(FormatMoney(-0.004), "0.00");
    EXPECT_EQ(FormatMoney(0), "0.00");
    EXPECT_EQ(FormatMoney(1234567.8), "1234567.80");
    EXPECT_EQ(FormatMoney(1000000000000.125), "1000000000000.13");
    EXPECT_EQ(FormatMoney(0.1 + 0.2), "0.30");
}

TEST(Money, TotalsFollowTheOneRule)
{
    // net is rounded first and VAT computed on the rounded net.
    MoneyTotals t = ComputeMoneyTotals(10.025, 0.2);
    EXPECT_EQ(t.net, 10.03);
    EXPECT_EQ(t.vat, 2.01);
    EXPECT_EQ(t.total, 12.04);
    EXPECT_EQ(FormatMoney(t.total), "12.04");

    t = ComputeMoneyTotals(0.1 + 0.2, 0.2);
    EXPECT_EQ(t.net, 0.3);
    EXPECT_EQ(t.vat, 0.06);
    EXPECT_EQ(t.total, 0.36);

    t = ComputeMoneyTotals(-0.001, 0.2);
    EXPECT_FALSE(std::signbit(t.net) || std::signbit(t.vat) || std::signbit(t.total));

    t = ComputeMoneyTotals(1234.56, 0);
    EXPECT_EQ(t.vat, 0.0);
    EXPECT_EQ(t.total, 1234.56);
}

TEST(Money, CentsAndAllPaid)
{
    EXPECT_EQ(MoneyCents(2.675), 268);
    EXPECT_EQ(MoneyCents(-2.675), -268);
    EXPECT_EQ(MoneyCents(0.1 + 0.2), 30);
    EXPECT_EQ(MoneyCents(-0.004), 0);

    EXPECT_TRUE(IsAllPaid(100.004, 100));       // the same cents
    EXPECT_TRUE(IsAllPaid(0.1 + 0.2, 0.3));     // not equal as doubles, equal in cents
    EXPECT_FALSE(IsAllPaid(100.01, 100));
    EXPECT_TRUE(IsAllPaid(100, 100.5));          // overpaid: nothing left to pay
    EXPECT_FALSE(IsAllPaid(100, 99.995 - 0.01)); // 99.985 -> 99.99
}

} // namespace
