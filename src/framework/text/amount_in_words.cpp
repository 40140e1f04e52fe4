#include "framework/text/amount_in_words.h"

#include "framework/text/business_utils.h"

#include <cmath>
#include <stdexcept>

namespace {

// The word tables of one language.
struct Words
{
    const char *units[10];
    const char *gendered[2][3]; // digit 1, 2 by gender 0 neuter, 1 masculine, 2 feminine
    const char *groupSingular[4];
    const char *groupPlural[4];
    int groupGender[4]; // -1: the caller's gender
    const char *conjunction;
    bool english;
};

const Words kBG = {
    {"нула", "едно", "две", "три", "четири", "пет", "шест", "седем", "осем", "девет"},
    {{"едно", "един", "една"}, {"две", "два", "две"}},
    {"", "хиляда", "милион", "милиард"},
    {"", "хиляди", "милиона", "милиарда"},
    {-1, 2, 1, 1},
    "и ",
    false,
};

const Words kEN = {
    {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"},
    {{"one", "one", "one"}, {"two", "two", "two"}},
    {"", "one thousand", "one million", "one billion"},
    {"", "thousand", "million", "billion"},
    {-1, 2, 1, 1},
    "and ",
    true,
};

const char *const kTeenPrefixBG[10] = {
    "", "едина", "двана", "трина", "четирина", "петна", "шестна", "седемна", "осемна", "деветна",
};

const char *const kTeenEN[10] = {
    "ten ", "eleven ", "twelve ", "thirteen ", "fourteen ",
    "fifteen ", "sixteen ", "seventeen ", "eighteen ", "nineteen ",
};

const char *const kTensEN[6] = {"", "", "twenty ", "thirty ", "fourty ", "fifty "};

QString U(const char *s)
{
    return QString::fromUtf8(s);
}

// The words of three digits, hundreds first; placedAnd tells whether the
// words hold a conjunction of their own.
QString ThreeDigits(const Words &w, int d1, int d2, int d3, int gender, bool &placedAnd)
{
    QString r;
    placedAnd = false;

    // Hundreds.
    if (w.english) {
        if (d1 != 0)
            r += U(w.units[d1]) + QStringLiteral(" hundred ");
    } else if (d1 == 1) {
        r += QStringLiteral("сто ");
    } else if (d1 == 2 || d1 == 3) {
        r += U(w.units[d1]) + QStringLiteral("ста ");
    } else if (d1 >= 4) {
        r += U(w.units[d1]) + QStringLiteral("стотин ");
    }

    if (d1 != 0 && (d2 == 1 || (d3 == 0 && d2 != 0))) {
        r += w.english ? QStringLiteral(" ") : U(w.conjunction);
        placedAnd = true;
    }

    // Tens; the teens spend the units digit.
    if (d2 == 1) {
        if (w.english)
            r += U(kTeenEN[d3]);
        else
            r += U(kTeenPrefixBG[d3]) + QStringLiteral("десет ");
        return r;
    }
    if (w.english) {
        if (d2 >= 2 && d2 <= 5)
            r += U(kTensEN[d2]);
        else if (d2 >= 6)
            r += U(w.units[d2]) + QStringLiteral("ty ");
    } else if (d2 == 2) {
        r += QStringLiteral("двадесет ");
    } else if (d2 >= 3) {
        r += U(w.units[d2]) + QStringLiteral("десет ");
    }

    if (d3 != 0 && (d1 != 0 || d2 != 0)) {
        r += U(w.conjunction);
        placedAnd = true;
    }

    // Units.
    if (d3 == 1 || d3 == 2)
        r += U(w.gendered[d3 - 1][gender]) + QLatin1Char(' ');
    else if (d3 >= 3)
        r += U(w.units[d3]) + QLatin1Char(' ');
    return r;
}

constexpr double kWordsLimit = 1e12;

// The whole part that the words read: a fraction that rounds to 100
// hundredths (.995 and more) carries, exactly where the fraction of the
// amount in words counts as zero.
double WholePart(double x)
{
    if (!std::isfinite(x))
        throw std::out_of_range("Amount in words: the amount is not a number");
    x = std::fabs(x);
    double whole = std::floor(x);
    if (std::nearbyint((x - whole) * 100.0) >= 100.0)
        whole += 1;
    if (whole >= kWordsLimit)
        throw std::out_of_range("Amount in words: the amount is too large");
    return whole;
}

QString NumberInWords(const Words &w, int gender, double x)
{
    if (gender < 0 || gender > 2)
        throw std::out_of_range("Number in words: gender must be 0, 1 or 2");
    const QString digits = QString::number(static_cast<qint64>(WholePart(x))).rightJustified(12, QLatin1Char('0'));

    QString result;
    bool groupGotAnd = false;
    for (int i = 0; i < 4; ++i) {
        const QString g = digits.mid(9 - 3 * i, 3);
        const int d1 = g.at(0).digitValue(), d2 = g.at(1).digitValue(), d3 = g.at(2).digitValue();
        const int groupGender = w.groupGender[i] < 0 ? gender : w.groupGender[i];
        bool placedAnd = false;
        QString words = ThreeDigits(w, d1, d2, d3, groupGender, placedAnd);
        const bool one = g == QLatin1String("001");
        const bool zero = g == QLatin1String("000");
        if (one && i >= 1 && (w.english || i == 1))
            words.clear();
        if (!zero)
            words += U(one ? w.groupSingular[i] : w.groupPlural[i]) + QLatin1Char(' ');
        if (!zero && !placedAnd && !groupGotAnd) {
            words = U(w.conjunction) + words;
            groupGotAnd = true;
        }
        result = words + result;
    }

    const QString lead = U(w.conjunction);
    if (result.startsWith(lead))
        result.remove(0, lead.size());
    while (result.endsWith(QLatin1Char(' ')))
        result.chop(1);
    return result;
}

QString AmountInWords(const Words &w, const QString &currency, const QString &fractionWord,
                      const QString &conjunction, double x)
{
    QString result = NumberInWords(w, 1, x) + QLatin1Char(' ') + currency;
    // Frac keeps the sign of x; the hundredths round half to even.
    int hundredths = static_cast<int>(std::nearbyint((x - std::trunc(x)) * 100.0));
    if (hundredths == 100)
        hundredths = 0;
    if (hundredths > 0)
        result += QLatin1Char(' ') + conjunction + QLatin1Char(' ') + IntToStrPad(hundredths, 2, QLatin1Char('0'))
                  + QLatin1Char(' ') + fractionWord;
    return result;
}

} // namespace

QString NumberInWordsBG(int gender, double x)
{
    return NumberInWords(kBG, gender, x);
}

QString NumberInWordsEN(int gender, double x)
{
    return NumberInWords(kEN, gender, x);
}

QString AmountInWordsBG(const QString &currency, const QString &fractionWord,
                        const QString &conjunction, double x)
{
    return AmountInWords(kBG, currency, fractionWord, conjunction, x);
}

QString AmountInWordsEN(const QString &currency, const QString &fractionWord,
                        const QString &conjunction, double x)
{
    return AmountInWords(kEN, currency, fractionWord, conjunction, x);
}
