#include "framework/text/amount_in_words.h"
#include "framework/text/business_utils.h"

#include <gtest/gtest.h>

#include <QMap>
#include <QStringList>

#include <cmath>
#include <cstdint>

namespace {

struct WordsCase
{
    double x;
    int gender;
    const char *bg;
    const char *en;
};

// Every branch of the three-digit step and of the group step, in both languages.
const WordsCase kNumbers[] = {
    {0, 1, "", ""},
    {1, 0, "едно", "one"},
    {1, 1, "един", "one"},
    {1, 2, "една", "one"},
    {2, 0, "две", "two"},
    {2, 1, "два", "two"},
    {2, 2, "две", "two"},
    {5, 1, "пет", "five"},
    {10, 1, "десет", "ten"},
    {11, 1, "единадесет", "eleven"},
    {12, 1, "дванадесет", "twelve"},
    {19, 1, "деветнадесет", "nineteen"},
    {20, 1, "двадесет", "twenty"},
    {21, 1, "двадесет и един", "twenty and one"},
    {22, 2, "двадесет и две", "twenty and two"},
    {30, 1, "тридесет", "thirty"},
    {48, 1, "четиридесет и осем", "fourty and eight"},
    {50, 1, "петдесет", "fifty"},
    {67, 1, "шестдесет и седем", "sixty and seven"},
    {80, 1, "осемдесет", "eightty"},
    {99, 1, "деветдесет и девет", "ninety and nine"},
    {100, 1, "сто", "one hundred"},
    {101, 1, "сто и един", "one hundred and one"},
    {105, 1, "сто и пет", "one hundred and five"},
    {110, 1, "сто и десет", "one hundred  ten"},
    {115, 1, "сто и петнадесет", "one hundred  fifteen"},
    {120, 1, "сто и двадесет", "one hundred  twenty"},
    {125, 1, "сто двадесет и пет", "one hundred twenty and five"},
    {200, 1, "двеста", "two hundred"},
    {300, 1, "триста", "three hundred"},
    {400, 1, "четиристотин", "four hundred"},
    {999, 1, "деветстотин деветдесет и девет", "nine hundred ninety and nine"},
    {1000, 1, "хиляда", "one thousand"},
    {1001, 1, "хиляда и един", "one thousand and one"},
    {1500, 1, "хиляда и петстотин", "one thousand and five hundred"},
    {1520, 1, "хиляда петстотин и двадесет", "one thousand five hundred  twenty"},
    {2000, 1, "две хиляди", "two thousand"},
    {2120, 1, "две хиляди сто и двадесет", "two thousand one hundred  twenty"},
    {11000, 1, "единадесет хиляди", "eleven thousand"},
    {21000, 1, "двадесет и една хиляди", "twenty and one thousand"},
    {101000, 1, "сто и една хиляди", "one hundred and one thousand"},
    {1000000, 1, "един милион", "one million"},
    {1000001, 1, "един милион и един", "one million and one"},
    {2000000, 1, "два милиона", "two million"},
    {2001000, 1, "два милиона и хиляда", "two million and one thousand"},
    {1002120, 1, "един милион и две хиляди сто и двадесет", "one million and two thousand one hundred  twenty"},
    {1000000000, 1, "един милиард", "one billion"},
    {3000000000.0, 1, "три милиарда", "three billion"},
    {999999999999.0, 1,
     "деветстотин деветдесет и девет милиарда деветстотин деветдесет и девет милиона "
     "деветстотин деветдесет и девет хиляди деветстотин деветдесет и девет",
     "nine hundred ninety and nine billion nine hundred ninety and nine million "
     "nine hundred ninety and nine thousand nine hundred ninety and nine"},
    // The fraction keeps the whole part below .995 and carries it from there.
    {12.99, 1, "дванадесет", "twelve"},
    {12.996, 1, "тринадесет", "thirteen"},
    // No sign in words.
    {-1520.05, 1, "хиляда петстотин и двадесет", "one thousand five hundred  twenty"},
};

TEST(NumberInWords, TableOfBranches)
{
    for (const WordsCase &c : kNumbers) {
        SCOPED_TRACE(testing::Message() << "x=" << c.x << " gender=" << c.gender);
        EXPECT_EQ(NumberInWordsBG(c.gender, c.x), QString::fromUtf8(c.bg));
        EXPECT_EQ(NumberInWordsEN(c.gender, c.x), QString::fromUtf8(c.en));
    }
}

struct AmountCase
{
    double x;
    const char *bg; // ("лева", "ст.", "и")
    const char *en; // ("leva", "stotinki", " and ")
};

const AmountCase kAmounts[] = {
    {1520.05, "хиляда петстотин и двадесет лева и 05 ст.", "one thousand five hundred  twenty leva  and  05 stotinki"},
    {0, " лева", " leva"},
    {0.5, " лева и 50 ст.", " leva  and  50 stotinki"},
    {5, "пет лева", "five leva"},
    {1.01, "един лева и 01 ст.", "one leva  and  01 stotinki"},
    {12.99, "дванадесет лева и 99 ст.", "twelve leva  and  99 stotinki"},
    {12.996, "тринадесет лева", "thirteen leva"},
    // 12.995 is stored as 12.99499...: 99 hundredths, and the whole part stays.
    {12.995, "дванадесет лева и 99 ст.", "twelve leva  and  99 stotinki"},
    {999.999, "хиляда лева", "one thousand leva"},
    // The hundredths round half to even: 0.125 is exact, 12.5 gives 12.
    {0.125, " лева и 12 ст.", " leva  and  12 stotinki"},
    {-5.5, "пет лева", "five leva"},
    {2000000.1, "два милиона лева и 10 ст.", "two million leva  and  10 stotinki"},
};

TEST(AmountInWords, TableOfAmounts)
{
    for (const AmountCase &c : kAmounts) {
        SCOPED_TRACE(testing::Message() << "x=" << c.x);
        EXPECT_EQ(AmountInWordsBG("лева", "ст.", "и", c.x), QString::fromUtf8(c.bg));
        EXPECT_EQ(AmountInWordsEN("leva", "stotinki", " and ", c.x), QString::fromUtf8(c.en));
    }
}

TEST(AmountInWords, ForeignCurrencyWithoutFractionWord)
{
    EXPECT_EQ(AmountInWordsBG("евро", "", "и", 250.4), QString::fromUtf8("двеста и петдесет евро и 40 "));
    EXPECT_EQ(AmountInWordsBG("лв", "ст.", "и", 3), QString::fromUtf8("три лв"));
}

TEST(AmountInWords, OutOfRangeIsAnError)
{
    EXPECT_THROW(NumberInWordsBG(1, 1e12), std::out_of_range);
    EXPECT_THROW(NumberInWordsEN(1, 999999999999.996), std::out_of_range);
    EXPECT_THROW(AmountInWordsBG("лева", "ст.", "и", std::nan("")), std::out_of_range);
    EXPECT_THROW(NumberInWordsBG(3, 5), std::out_of_range);
    EXPECT_NO_THROW(NumberInWordsBG(1, -999999999999.0));
}

// ---- A reader of the words, to check a sweep of amounts --------------------

// The value of Bulgarian or English words; -1 for a word it does not know.
std::int64_t ReadWords(const QString &text, bool english)
{
    static const QMap<QString, int> bgValues = [] {
        QMap<QString, int> m;
        const char *units[] = {"", "", "", "три", "четири", "пет", "шест", "седем", "осем", "девет"};
        for (const char *w : {"едно", "един", "една"})
            m[QString::fromUtf8(w)] = 1;
        for (const char *w : {"две", "два"})
            m[QString::fromUtf8(w)] = 2;
        for (int d = 3; d <= 9; ++d)
            m[QString::fromUtf8(units[d])] = d;
        const char *teens[] = {"десет", "единадесет", "дванадесет", "тринадесет", "четиринадесет",
                               "петнадесет", "шестнадесет", "седемнадесет", "осемнадесет", "деветнадесет"};
        for (int d = 0; d <= 9; ++d)
            m[QString::fromUtf8(teens[d])] = 10 + d;
        const char *tens[] = {"двадесет", "тридесет", "четиридесет", "петдесет", "шестдесет",
                              "седемдесет", "осемдесет", "деветдесет"};
        for (int d = 2; d <= 9; ++d)
            m[QString::fromUtf8(tens[d - 2])] = 10 * d;
        const char *hundreds[] = {"сто", "двеста", "триста", "четиристотин", "петстотин",
                                  "шестстотин", "седемстотин", "осемстотин", "деветстотин"};
        for (int d = 1; d <= 9; ++d)
            m[QString::fromUtf8(hundreds[d - 1])] = 100 * d;
        return m;
    }();
    static const QMap<QString, int> enValues = [] {
        QMap<QString, int> m;
        const char *small[] = {"", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine",
                               "ten", "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen",
                               "seventeen", "eighteen", "nineteen"};
        for (int d = 1; d <= 19; ++d)
            m[QString::fromLatin1(small[d])] = d;
        const char *tens[] = {"twenty", "thirty", "fourty", "fifty", "sixty", "seventy", "eightty", "ninety"};
        for (int d = 2; d <= 9; ++d)
            m[QString::fromLatin1(tens[d - 2])] = 10 * d;
        return m;
    }();
    static const QMap<QString, std::int64_t> bgScale = {
        {QString::fromUtf8("хиляда"), 1000},        {QString::fromUtf8("хиляди"), 1000},
        {QString::fromUtf8("милион"), 1000000},     {QString::fromUtf8("милиона"), 1000000},
        {QString::fromUtf8("милиард"), 1000000000}, {QString::fromUtf8("милиарда"), 1000000000},
    };
    static const QMap<QString, std::int64_t> enScale = {
        {"thousand", 1000}, {"million", 1000000}, {"billion", 1000000000}};

    std::int64_t total = 0, current = 0;
    for (const QString &w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto &values = english ? enValues : bgValues;
        const auto &scales = english ? enScale : bgScale;
        if (w == (english ? QStringLiteral("and") : QString::fromUtf8("и")))
            continue;
        if (english && w == QLatin1String("hundred")) {
            current *= 100;
        } else if (values.contains(w)) {
            current += values[w];
        } else if (scales.contains(w)) {
            total += (current == 0 ? 1 : current) * scales[w];
            current = 0;
        } else {
            return -1;
        }
    }
    return total + current;
}

void CheckAmount(double x)
{
    SCOPED_TRACE(testing::Message() << "x=" << std::fixed << x);
    const std::int64_t cents = std::llround(x * 100);
    const std::int64_t whole = cents / 100, hundredths = cents % 100;
    const QString bg = NumberInWordsBG(1, x), en = NumberInWordsEN(1, x);
    ASSERT_EQ(ReadWords(bg, false), whole) << bg.toStdString();
    ASSERT_EQ(ReadWords(en, true), whole) << en.toStdString();
    ASSERT_EQ(bg.isEmpty(), whole == 0);
    ASSERT_FALSE(bg.startsWith(QLatin1Char(' ')) || bg.endsWith(QLatin1Char(' ')));
    ASSERT_FALSE(bg.contains(QLatin1String("  ")));
    ASSERT_FALSE(bg.startsWith(QString::fromUtf8("и ")) || bg.endsWith(QString::fromUtf8(" и")));
    ASSERT_FALSE(en.startsWith(QLatin1String("and ")) || en.endsWith(QLatin1String(" and")));

    const QString amount = AmountInWordsBG("лева", "ст.", "и", x);
    const QString tail = hundredths > 0 ? QString::fromUtf8(" лева и ") + IntToStrPad(hundredths, 2, QLatin1Char('0'))
                                              + QString::fromUtf8(" ст.")
                                        : QString::fromUtf8(" лева");
    ASSERT_EQ(amount, bg + tail);
}

TEST(AmountInWords, SweepReadsBackAsTheAmount)
{
    for (int n = 0; n <= 20000; ++n)
        CheckAmount(n);
    for (int c = 0; c <= 30000; c += 7)
        CheckAmount(c / 100.0);
    // Pseudo-random amounts with cents up to 10^12.
    std::uint64_t seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const int digits = 1 + int((seed >> 33) % 12);
        const std::int64_t whole = std::int64_t((seed >> 11) % std::uint64_t(std::pow(10.0, digits)));
        const int hundredths = int((seed >> 3) % 100);
        CheckAmount(double(whole) + hundredths / 100.0);
    }
}

} // namespace
