#include "framework/text/format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(Format, Placeholders)
{
    EXPECT_EQ(Format(QString::fromUtf8("Записът не може да бъде изтрит, тъй като се използва от %d свързани записа!"), 3),
              QString::fromUtf8("Записът не може да бъде изтрит, тъй като се използва от 3 свързани записа!"));
    EXPECT_EQ(Format("[%s:%s]", QString("localhost"), "/data/karvonel.fdb"), "[localhost:/data/karvonel.fdb]");
    EXPECT_EQ(Format("%.fm3 (%.1fx%.1fx%.1f)", 12.3456, 2.45, 2.5, 13.6), "12m3 (2.5x2.5x13.6)");
    EXPECT_EQ(Format(QString::fromUtf8("ДДС(%s%%):"), "20"), QString::fromUtf8("ДДС(20%):"));
    EXPECT_EQ(Format("%.2f  %s (%s) %s. ", 1500.0, "EUR", QString::fromUtf8("хиляда и петстотин евро"), "+ VAT"),
              QString::fromUtf8("1500.00  EUR (хиляда и петстотин евро) + VAT. "));
    EXPECT_EQ(Format("%f", 3), "3.00"); // an integer where a number is asked
    EXPECT_EQ(Format("%f", -0.001), "0.00");
    EXPECT_EQ(Format("%n", 1234567.5), "1234567.50");
    EXPECT_EQ(Format("%d|%d", INT64_MIN, std::size_t(7)), "-9223372036854775808|7");
    EXPECT_EQ(Format("%x|%.4x", 255, 26), "FF|001A");
    EXPECT_EQ(Format("100%%"), "100%");
    EXPECT_EQ(Format("%s", QChar(u'Ж')), QString::fromUtf8("Ж"));
    EXPECT_EQ(Format("no placeholders", 1, "extra"), "no placeholders");
}

TEST(Format, WidthPrecisionAndJustification)
{
    EXPECT_EQ(Format("%5d|%-5d|%.5d|%-6.2f|%8.3f", 42, 42, -42, 1.5, 2.0), "   42|42   |-00042|1.50  |   2.000");
    EXPECT_EQ(Format("%5s|%-5s|%.3s|%2s", "ab", "ab", "abcdef", "abcdef"), "   ab|ab   |abc|abcdef");
}

TEST(Format, MistakesAreErrors)
{
    EXPECT_THROW(Format("%d", "text"), EFormatError);
    EXPECT_THROW(Format("%d", 2.5), EFormatError);
    EXPECT_THROW(Format("%s", 5), EFormatError);
    EXPECT_THROW(Format("%f", "1.5"), EFormatError);
    EXPECT_THROW(Format("%s and %s", "one"), EFormatError);
    EXPECT_THROW(Format("%q", 1), EFormatError);
    EXPECT_THROW(Format("50%", 1), EFormatError);
    EXPECT_THROW(Format("%5", 1), EFormatError);
    EXPECT_THROW(Format("%d", UINT64_MAX), EFormatError);
}

} // namespace
