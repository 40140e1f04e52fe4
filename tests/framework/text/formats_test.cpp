#include "framework/text/format.h"
#include "framework/text/formats.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLocale>

#include <clocale>
#include <cmath>
#include <ctime>
#include <limits>
#include <string>

namespace {

// Every table runs under the C locale and under locales whose decimal
// separator is a comma and whose dates read differently; the results must
// not change. The C library's locale is switched too where the machine has it.
class Formats : public testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        const std::string name = GetParam();
        QLocale::setDefault(QLocale(QString::fromStdString(name)));
        m_saved = std::setlocale(LC_ALL, nullptr);
        std::setlocale(LC_ALL, (name + ".UTF-8").c_str()); // may be missing: then C stays
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, m_saved.c_str());
        QLocale::setDefault(QLocale::c());
    }

private:
    std::string m_saved;
};

INSTANTIATE_TEST_SUITE_P(Locales, Formats, testing::Values("C", "de_DE", "bg_BG"));

const QDate kDate(2009, 3, 5); // a Thursday
const QTime kTime(14, 7, 9);

TEST_P(Formats, DatesAndTimesOut)
{
    EXPECT_EQ(FormatDate(kDate), "05.3.2009");
    EXPECT_EQ(FormatDate(QDate(2009, 12, 25)), "25.12.2009");
    EXPECT_EQ(FormatDate(QDate(999, 1, 1)), "01.1.0999");
    EXPECT_EQ(FormatDate(QDate()), "");
    EXPECT_EQ(FormatLongDate(kDate), QString::fromUtf8("05 март 2009"));
    EXPECT_EQ(FormatTime(kTime), "14:07:09");
    EXPECT_EQ(FormatShortTime(kTime), "14:07");
    EXPECT_EQ(FormatDateTime(QDateTime(kDate, kTime)), "05.3.2009 14:07:09");
    EXPECT_EQ(SqlDateLiteral(kDate), "'03/05/2009'");
    EXPECT_THROW(SqlDateLiteral(QDate()), std::invalid_argument);

    const char *months[] = {"януари", "февруари", "март", "април", "май", "юни",
                            "юли", "август", "септември", "октомври", "ноември", "декември"};
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(FormatLongDate(QDate(2010, m, 1)), QStringLiteral("01 ") + QString::fromUtf8(months[m - 1]) + " 2010");
}

TEST_P(Formats, DatesAndTimesIn)
{
    struct Case { const char *text; QDate expected; };
    const Case dates[] = {
        {"05.3.2009", kDate}, {"5.3.2009", kDate}, {"05.03.2009", kDate}, {" 5.3.2009 ", kDate},
        {"29.2.2008", QDate(2008, 2, 29)}, {"31.12.1999", QDate(1999, 12, 31)},
        {"29.2.2009", {}}, {"32.1.2009", {}}, {"0.3.2009", {}}, {"5.13.2009", {}}, {"5.3.09", {}},
        {"5/3/2009", {}}, {"2009-03-05", {}}, {"", {}}, {"5.3.2009.1", {}}, {"5..2009", {}},
        {"а.3.2009", {}}, {"٥.3.2009", {}}, {"5.3.2009 14:00", {}},
    };
    for (const Case &c : dates)
        EXPECT_EQ(ParseDate(QString::fromUtf8(c.text)), c.expected) << c.text;
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(ParseDate(FormatDate(QDate(2021, m, 28))), QDate(2021, m, 28));

    EXPECT_EQ(ParseTime("14:07"), QTime(14, 7));
    EXPECT_EQ(ParseTime("9:05:03"), QTime(9, 5, 3));
    for (const char *bad : {"24:00", "12:60", "12", "12:0a", "", "1:2:3:4", "12:345"})
        EXPECT_FALSE(ParseTime(bad).isValid()) << bad;

    EXPECT_EQ(ParseDateTime("05.3.2009 14:07:09"), QDateTime(kDate, kTime));
    EXPECT_EQ(ParseDateTime(" 5.3.2009   14:07 "), QDateTime(kDate, QTime(14, 7)));
    EXPECT_EQ(ParseDateTime("05.3.2009"), QDateTime(kDate, QTime(0, 0)));
    EXPECT_FALSE(ParseDateTime("05.3.2009 25:00").isValid());
    EXPECT_FALSE(ParseDateTime("14:07 05.3.2009").isValid());
}

TEST_P(Formats, NumbersOut)
{
    struct Case { double x; int decimals; const char *expected; };
    const Case cases[] = {
        {1234.5, 2, "1234.50"},  {2.675, 2, "2.68"},    {-2.675, 2, "-2.68"},  {-0.004, 2, "0.00"},
        {0, 0, "0"},             {12.5, 0, "13"},       {-12.5, 0, "-13"},     {99.995, 2, "100.00"},
        {0.1 + 0.2, 2, "0.30"},  {1234567.891, 3, "1234567.891"},             {5, 1, "5.0"},
        {1e-7, 2, "0.00"},       {0.005, 2, "0.01"},    {123456789.125, 2, "123456789.13"},
        {1e15, 2, "1000000000000000.00"},               {-1e20, 0, "-100000000000000000000"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatNumber(c.x, c.decimals), c.expected) << c.x;
    EXPECT_EQ(FormatNumber(std::nan(""), 2), "NAN");
    EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity(), 2), "-INF");

    struct Short { double x; const char *expected; };
    const Short shorts[] = {
        {1234.5, "1234.5"}, {0.1 + 0.2, "0.3"}, {100, "100"}, {-2.5, "-2.5"}, {0, "0"},
        {123456789012345.0, "123456789012345"}, {0.00001, "0.00001"}, {1e15, "1E15"}, {1.5e-6, "1.5E-6"},
    };
    for (const Short &c : shorts)
        EXPECT_EQ(FormatFloat(c.x), c.expected) << c.x;
}

TEST_P(Formats, NumbersIn)
{
    struct Case { const char *text; std::optional<double> expected; };
    const Case cases[] = {
        {"12.5", 12.5}, {"12,5", 12.5}, {"-3", -3.0}, {"+4.25", 4.25}, {".5", 0.5}, {"5.", 5.0},
        {" 7 ", 7.0},   {"0", 0.0},     {"1,234.5", {}}, {"1 234", {}}, {"1e5", {}},  {"", {}},
        {"-", {}},      {".", {}},      {"abc", {}},     {"12.5.3", {}}, {"١٢", {}}, {"--1", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ParseNumber(QString::fromUtf8(c.text)), c.expected) << c.text;
    for (double x : {0.1, 2.67, 1234567.89, -0.01})
        EXPECT_EQ(ParseNumber(FormatNumber(x, 2)), x);
}

TEST_P(Formats, DisplayPatterns)
{
    const QDateTime moment(kDate, QTime(14, 32, 0));
    struct DateCase { const char *pattern; const char *expected; };
    const DateCase dates[] = {
        {"dd/mm/yyyy", "05.03.2009"}, // "/" writes the date separator
        {"dd/mm/yy", "05.03.09"},
        {"d.M.yyyy", "5.3.2009"},
        {"DD.MM.YYYY", "05.03.2009"},
        {"hh:nn", "14:32"},
        {"hh:mm", "14:32"},           // minutes right after the hour
        {"h:m:s", "14:32:0"},
        {"yyyymmdd_hhnn", "20090305_1432"},
        {"dd - mmmm - yy", "05 - март - 09"},
        {"mmmm\tyyyy", "март\t2009"},
        {"ddd dddd mmm", "чт четвъртък мар"},
        {"ddddd", "05.3.2009"},
        {"dddddd", "05 март 2009"},
        {"c", "05.3.2009 14:32:00"},
        {"t|tt", "14:32|14:32:00"},
        {"'dd' \"hh\" dd", "dd hh 05"},
        {"hh\"ч\"", "14ч"},
    };
    for (const DateCase &c : dates)
        EXPECT_EQ(FormatDateTimeAs(QString::fromUtf8(c.pattern), moment), QString::fromUtf8(c.expected)) << c.pattern;
    EXPECT_EQ(FormatDateTimeAs("c", QDateTime(kDate, QTime(0, 0))), "05.3.2009");
    EXPECT_EQ(FormatDateAs("dd/mm/yyyy", kDate), "05.03.2009");
    EXPECT_EQ(FormatDateAs("dd/mm/yyyy", QDate()), "");

    struct FloatCase { const char *pattern; double x; const char *expected; };
    const FloatCase floats[] = {
        {"0.00", 1234.5, "1234.50"},      {"0,.00", 1234567.891, "1234567.89"},
        {"#,##0.00", 1234567, "1234567.00"},
        {"0.##", 1234.5, "1234.5"},       {"0.##", 3, "3"},          {",.##", 12.25, "12.25"},
        {",.##", 0.5, ".5"},              {"0.", 12.6, "13"},        {"0000000000", 42, "0000000042"},
        {"П-#######", 42, "П-42"},        {"0.00", -3.456, "-3.46"}, {"0.00", -0.001, "0.00"},
        {"0.00;(0.00);'-'", -5, "(5.00)"}, {"0.00;(0.00);'-'", 0.001, "-"}, {"0.00;;'нула'", -2, "-2.00"},
        {"00.0", 5.55, "05.6"},           {"", 2.5, "2.5"},         {"0 'лв.'", 7.4, "7 лв."},
    };
    for (const FloatCase &c : floats)
        EXPECT_EQ(FormatFloatAs(QString::fromUtf8(c.pattern), c.x), QString::fromUtf8(c.expected)) << c.pattern;
}

TEST_P(Formats, TemplatesUseThePoint)
{
    EXPECT_EQ(Format("%f|%.2f|%.1f|%.f", 1234.567, 2.675, 2.45, 12.5), "1234.57|2.68|2.5|13");
    EXPECT_EQ(Format("%d", 1234567), "1234567");
}

TEST(ProcessFormats, ApplyProcessFormatsSetsTheCLocale)
{
    QLocale::setDefault(QLocale(QLocale::German));
    ApplyProcessFormats();
    EXPECT_EQ(QLocale().decimalPoint(), ".");
    EXPECT_EQ(QLocale().toString(1.5), "1.5");
    EXPECT_EQ(std::string(std::localeconv()->decimal_point), ".");
}

TEST(ProcessFormats, AnUnsetTimeZoneIsNamedOnceAndASetOneIsKept)
{
    const QByteArray saved = qgetenv("TZ");
    qunsetenv("TZ");
    ApplyProcessFormats();
    if (QFileInfo::exists(QStringLiteral("/etc/localtime")))
        EXPECT_EQ(qgetenv("TZ"), ":/etc/localtime");
    qputenv("TZ", "Europe/Sofia");
    ApplyProcessFormats();
    EXPECT_EQ(qgetenv("TZ"), "Europe/Sofia");
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
    tzset();
}

} // namespace
