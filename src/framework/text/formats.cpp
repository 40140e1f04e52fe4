#include "framework/text/formats.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <ctime>
#include <stdexcept>
#include <string>
#include <system_error>

namespace {

const char *const kMonthNames[12] = {
    "януари", "февруари", "март", "април", "май", "юни",
    "юли", "август", "септември", "октомври", "ноември", "декември",
};
const char *const kShortMonthNames[12] = {
    "яну", "фев", "мар", "апр", "май", "юни", "юли", "авг", "сеп", "окт", "ное", "дек",
};
const char *const kDayNames[7] = {
    "понеделник", "вторник", "сряда", "четвъртък", "петък", "събота", "неделя",
};
const char *const kShortDayNames[7] = {"пн", "вт", "ср", "чт", "пт", "сб", "нд"};

QString Two(int n)
{
    return QString::number(n).rightJustified(2, QLatin1Char('0'));
}

QString Four(int n)
{
    return QString::number(n).rightJustified(4, QLatin1Char('0'));
}

// Digits of a non-negative finite number rounded half up to `decimals`
// places, taken from its 15 significant decimal digits. The integer part is
// the first intLen characters (at least one).
std::string FixedDigits(double a, int decimals, int &intLen)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 14);
    const std::string text(buf, res.ptr);
    std::string mant;
    mant.push_back(text[0]);
    const auto e = text.find('e');
    mant.append(text, 2, e - 2);
    const char *expBegin = text.data() + e + 1;
    if (*expBegin == '+')
        ++expBegin;
    int exponent = 0;
    std::from_chars(expBegin, text.data() + text.size(), exponent);

    const auto digitAt = [&](int power) {
        const int i = exponent - power;
        return (i >= 0 && i < int(mant.size())) ? mant[i] - '0' : 0;
    };
    int top = std::max(exponent, 0);
    std::string out;
    out.reserve(top + decimals + 2);
    for (int p = top; p >= -decimals; --p)
        out.push_back(char('0' + digitAt(p)));
    if (digitAt(-decimals - 1) >= 5) {
        int i = int(out.size()) - 1;
        while (i >= 0 && out[i] == '9')
            out[i--] = '0';
        if (i >= 0) {
            ++out[i];
        } else {
            out.insert(out.begin(), '1');
            ++top;
        }
    }
    intLen = top + 1;
    return out;
}

bool AllZero(const std::string &digits)
{
    return std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0'; });
}

QString NonFinite(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
}

bool AsciiDigits(const QString &s, int minLen, int maxLen)
{
    if (s.size() < minLen || s.size() > maxLen)
        return false;
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

} // namespace

void ApplyProcessFormats()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
    // Without TZ the C library looks at /etc/localtime again on every local
    // time conversion (each timestamp read from the database); naming the
    // file once keeps the same zone and spares that.
    if (qEnvironmentVariableIsEmpty("TZ") && QFileInfo::exists(QStringLiteral("/etc/localtime"))) {
        qputenv("TZ", ":/etc/localtime");
        tzset();
    }
}

QString FormatDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return Two(date.day()) + QLatin1Char('.') + QString::number(date.month()) + QLatin1Char('.') + Four(date.year());
}

QString FormatLongDate(const QDate &date)
{
    if (!date.isValid())
        return QString();
    return Two(date.day()) + QLatin1Char(' ') + MonthName(date.month()) + QLatin1Char(' ') + Four(date.year());
}

QString FormatTime(const QTime &time)
{
    if (!time.isValid())
        return QString();
    return FormatShortTime(time) + QLatin1Char(':') + Two(time.second());
}

QString FormatShortTime(const QTime &time)
{
    if (!time.isValid())
        return QString();
    return Two(time.hour()) + QLatin1Char(':') + Two(time.minute());
}

QString FormatDateTime(const QDateTime &value)
{
    if (!value.isValid())
        return QString();
    return FormatDate(value.date()) + QLatin1Char(' ') + FormatTime(value.time());
}

QDate ParseDate(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != 3 || !AsciiDigits(parts[0], 1, 2) || !AsciiDigits(parts[1], 1, 2)
        || !AsciiDigits(parts[2], 4, 4))
        return QDate();
    return QDate(parts[2].toInt(), parts[1].toInt(), parts[0].toInt());
}

QTime ParseTime(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return QTime();
    for (const QString &p : parts) {
        if (!AsciiDigits(p, 1, 2))
            return QTime();
    }
    return QTime(parts[0].toInt(), parts[1].toInt(), parts.size() == 3 ? parts[2].toInt() : 0);
}

QDateTime ParseDateTime(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype blank = 0;
    while (blank < t.size() && !t.at(blank).isSpace())
        ++blank;
    const QDate date = ParseDate(t.left(blank));
    if (!date.isValid())
        return QDateTime();
    const QString rest = t.mid(blank).trimmed();
    if (rest.isEmpty())
        return QDateTime(date, QTime(0, 0));
    const QTime time = ParseTime(rest);
    if (!time.isValid())
        return QDateTime();
    return QDateTime(date, time);
}

QString MonthName(int month)
{
    return month >= 1 && month <= 12 ? QString::fromUtf8(kMonthNames[month - 1]) : QString();
}

QString ShortMonthName(int month)
{
    return month >= 1 && month <= 12 ? QString::fromUtf8(kShortMonthNames[month - 1]) : QString();
}

QString DayName(int dayOfWeek)
{
    return dayOfWeek >= 1 && dayOfWeek <= 7 ? QString::fromUtf8(kDayNames[dayOfWeek - 1]) : QString();
}

QString ShortDayName(int dayOfWeek)
{
    return dayOfWeek >= 1 && dayOfWeek <= 7 ? QString::fromUtf8(kShortDayNames[dayOfWeek - 1]) : QString();
}

QString SqlDateLiteral(const QDate &date)
{
    if (!date.isValid())
        throw std::invalid_argument("SqlDateLiteral: invalid date");
    return QLatin1Char('\'') + Two(date.month()) + QLatin1Char('/') + Two(date.day()) + QLatin1Char('/')
           + Four(date.year()) + QLatin1Char('\'');
}

QString FormatNumber(double value, int decimals)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    decimals = std::clamp(decimals, 0, 15);
    int intLen = 0;
    const std::string digits = FixedDigits(std::fabs(value), decimals, intLen);
    QString result;
    if (value < 0 && !AllZero(digits))
        result += QLatin1Char('-');
    result += QString::fromLatin1(digits.data(), intLen);
    if (decimals > 0)
        result += QLatin1Char('.') + QString::fromLatin1(digits.data() + intLen, decimals);
    return result;
}

QString FormatFloat(double value)
{
    if (!std::isfinite(value))
        return NonFinite(value);
    if (value == 0)
        return QStringLiteral("0");
    const double a = std::fabs(value);
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    // Fixed notation from 0.00001 up to 15 whole digits.
    if (a >= 1e-5 && a < 1e15) {
        const int magnitude = int(std::floor(std::log10(a)));
        const int decimals = std::clamp(15 - magnitude, 0, 20);
        int intLen = 0;
        std::string digits = FixedDigits(a, decimals, intLen);
        if (intLen <= 15) {
            while (int(digits.size()) > intLen && digits.back() == '0')
                digits.pop_back();
            QString r = sign + QString::fromLatin1(digits.data(), intLen);
            if (int(digits.size()) > intLen)
                r += QLatin1Char('.') + QString::fromLatin1(digits.data() + intLen, digits.size() - intLen);
            return r;
        }
    }
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, 14);
    std::string text(buf, res.ptr);
    const auto e = text.find('e');
    std::string mant = text.substr(0, e);
    while (mant.back() == '0')
        mant.pop_back();
    if (mant.back() == '.')
        mant.pop_back();
    std::string exp = text.substr(e + 1);
    const bool negExp = exp[0] == '-';
    exp.erase(0, 1);
    while (exp.size() > 1 && exp[0] == '0')
        exp.erase(0, 1);
    return sign + QString::fromLatin1(mant) + QLatin1Char('E') + (negExp ? QStringLiteral("-") : QString())
           + QString::fromLatin1(exp);
}

std::optional<double> ParseNumber(const QString &text)
{
    const QString t = text.trimmed();
    std::string s;
    s.reserve(t.size());
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    bool digit = false, separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            s.push_back(char(c.unicode()));
            digit = true;
        } else if ((c == u'.' || c == u',') && !separator) {
            s.push_back('.');
            separator = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    double value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::fixed);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// ---- Display patterns ------------------------------------------------------

QString FormatDateTimeAs(const QString &pattern, const QDateTime &value)
{
    if (!value.isValid())
        return QString();
    const QDate d = value.date();
    const QTime t = value.time();
    QString out;
    bool afterHour = false;
    qsizetype i = 0;
    const qsizetype n = pattern.size();
    while (i < n) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        if (c == u'\'' || c == u'"') {
            const qsizetype end = pattern.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = end < 0 ? n : end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && pattern[i + run].toLower() == lc)
            ++run;
        bool token = true;
        if (lc == u'd') {
            if (run == 1) out += QString::number(d.day());
            else if (run == 2) out += Two(d.day());
            else if (run == 3) out += ShortDayName(d.dayOfWeek());
            else if (run == 4) out += DayName(d.dayOfWeek());
            else if (run == 5) out += FormatDate(d);
            else out += FormatLongDate(d);
        } else if (lc == u'm') {
            if (afterHour && run <= 2)
                out += run == 1 ? QString::number(t.minute()) : Two(t.minute());
            else if (run == 1) out += QString::number(d.month());
            else if (run == 2) out += Two(d.month());
            else if (run == 3) out += ShortMonthName(d.month());
            else out += MonthName(d.month());
        } else if (lc == u'y') {
            out += run <= 2 ? Two(d.year() % 100) : Four(d.year());
        } else if (lc == u'h') {
            out += run == 1 ? QString::number(t.hour()) : Two(t.hour());
        } else if (lc == u'n') {
            out += run == 1 ? QString::number(t.minute()) : Two(t.minute());
        } else if (lc == u's') {
            out += run == 1 ? QString::number(t.second()) : Two(t.second());
        } else if (lc == u'z') {
            out += run <= 2 ? QString::number(t.msec()) : QString::number(t.msec()).rightJustified(3, QLatin1Char('0'));
        } else if (lc == u't') {
            out += run == 1 ? FormatShortTime(t) : FormatTime(t);
        } else if (lc == u'c') {
            out += FormatDate(d);
            if (t != QTime(0, 0))
                out += QLatin1Char(' ') + FormatTime(t);
        } else {
            token = false;
            // A separator or a literal: copied one character at a time, and
            // it does not break "hh:mm".
            out += c == u'/' ? QChar(u'.') : c;
            run = 1;
        }
        if (token)
            afterHour = lc == u'h';
        i += run;
    }
    return out;
}

QString FormatDateAs(const QString &pattern, const QDate &value)
{
    if (!value.isValid())
        return QString();
    return FormatDateTimeAs(pattern, QDateTime(value, QTime(0, 0)));
}

namespace {

struct FloatToken
{
    enum Kind { IntDigit, FracDigit, Point, Literal } kind;
    bool zero = false; // "0" rather than "#"
    QString text;
};

std::vector<FloatToken> ParseFloatSection(const QString &section)
{
    std::vector<FloatToken> tokens;
    bool afterPoint = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = section.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? section.size() : end;
            tokens.push_back({FloatToken::Literal, false, section.mid(i + 1, stop - i - 1)});
            i = stop;
        } else if (c == u'0' || c == u'#') {
            tokens.push_back({afterPoint ? FloatToken::FracDigit : FloatToken::IntDigit, c == u'0', {}});
        } else if (c == u'.' && !afterPoint) {
            tokens.push_back({FloatToken::Point, false, {}});
            afterPoint = true;
        } else if (c == u',') {
            // Marks thousands grouping; the program's formats have no separator.
        } else {
            tokens.push_back({FloatToken::Literal, false, QString(c)});
        }
    }
    return tokens;
}

QStringList SplitSections(const QString &pattern)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

int FracPlaces(const std::vector<FloatToken> &tokens)
{
    return int(std::count_if(tokens.begin(), tokens.end(),
                             [](const FloatToken &t) { return t.kind == FloatToken::FracDigit; }));
}

QString ApplyFloatSection(const std::vector<FloatToken> &tokens, double absValue)
{
    int intPlaces = 0, minInt = 0, fracPlaces = 0, minFrac = 0;
    bool seenZero = false;
    for (const FloatToken &t : tokens) {
        if (t.kind == FloatToken::IntDigit) {
            ++intPlaces;
            seenZero = seenZero || t.zero;
            if (seenZero)
                ++minInt;
        } else if (t.kind == FloatToken::FracDigit) {
            ++fracPlaces;
            if (t.zero)
                minFrac = fracPlaces;
        }
    }
    int intLen = 0;
    const std::string digits = FixedDigits(absValue, fracPlaces, intLen);
    std::string intDigits = digits.substr(0, intLen);
    intDigits.erase(0, std::min(intDigits.find_first_not_of('0'), intDigits.size()));
    if (int(intDigits.size()) < minInt)
        intDigits.insert(0, minInt - intDigits.size(), '0');
    std::string fracDigits = digits.substr(intLen);
    while (int(fracDigits.size()) > minFrac && fracDigits.back() == '0')
        fracDigits.pop_back();

    QString out;
    int intIndex = 0, fracIndex = 0;
    const int len = int(intDigits.size());
    bool intWritten = false;
    for (const FloatToken &t : tokens) {
        switch (t.kind) {
        case FloatToken::IntDigit: {
            const int fromRight = intPlaces - 1 - intIndex; // place of this placeholder
            const int at = len - 1 - fromRight;             // digit it shows
            if (intIndex == 0 && at >= 0)
                out += QString::fromLatin1(intDigits.data(), at + 1);
            else if (at >= 0)
                out += QLatin1Char(intDigits[at]);
            ++intIndex;
            intWritten = true;
            break;
        }
        case FloatToken::Point:
            if (!intWritten) {
                out += QString::fromLatin1(intDigits.data(), len);
                intWritten = true;
            }
            if (!fracDigits.empty())
                out += QLatin1Char('.');
            break;
        case FloatToken::FracDigit:
            if (fracIndex < int(fracDigits.size()))
                out += QLatin1Char(fracDigits[fracIndex]);
            ++fracIndex;
            break;
        case FloatToken::Literal:
            out += t.text;
            break;
        }
    }
    return out; // a section without placeholders shows its literals only
}

} // namespace

QString FormatFloatAs(const QString &pattern, double value)
{
    if (pattern.isEmpty())
        return FormatFloat(value);
    if (!std::isfinite(value))
        return NonFinite(value);
    const QStringList sections = SplitSections(pattern);
    const std::vector<FloatToken> positive = ParseFloatSection(sections[0]);

    // Zero is judged after rounding to the places of the positive section.
    int intLen = 0;
    const bool isZero = AllZero(FixedDigits(std::fabs(value), FracPlaces(positive), intLen));
    if (isZero) {
        if (sections.size() >= 3 && !sections[2].isEmpty())
            return ApplyFloatSection(ParseFloatSection(sections[2]), 0);
        return ApplyFloatSection(positive, 0);
    }
    if (value < 0) {
        if (sections.size() >= 2 && !sections[1].isEmpty())
            return ApplyFloatSection(ParseFloatSection(sections[1]), -value);
        return QLatin1Char('-') + ApplyFloatSection(positive, -value);
    }
    return ApplyFloatSection(positive, value);
}
