#include "framework/text/win1251.h"

#include <QStringList>

namespace {

// The characters of the bytes 0x80 to 0xBF; 0x98 is unused in the code page.
const char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

// The byte of a code point, or -1.
int ByteOf(char32_t u)
{
    if (u < 0x80)
        return int(u);
    if (u >= 0x0410 && u <= 0x044F)
        return int(0xC0 + (u - 0x0410));
    for (int i = 0; i < 64; ++i) {
        if (kHigh[i] != 0 && kHigh[i] == u)
            return 0x80 + i;
    }
    return -1;
}

// Walks the code points of text; a lone surrogate comes as itself.
template <typename F>
bool ForEachCodePoint(const QString &text, F f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            u = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            ++i;
        }
        if (!f(u))
            return false;
    }
    return true;
}

} // namespace

bool IsWin1251Text(const QString &text)
{
    return ForEachCodePoint(text, [](char32_t u) { return ByteOf(u) >= 0; });
}

std::optional<QByteArray> ToWin1251(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const bool ok = ForEachCodePoint(text, [&](char32_t u) {
        const int b = ByteOf(u);
        if (b < 0)
            return false;
        out.append(static_cast<char>(b));
        return true;
    });
    if (!ok)
        return std::nullopt;
    return out;
}

QString FromWin1251(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const unsigned b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += QChar(char16_t(b));
        else if (b >= 0xC0)
            out += QChar(char16_t(0x0410 + (b - 0xC0)));
        else if (kHigh[b - 0x80] != 0)
            out += QChar(kHigh[b - 0x80]);
        else
            out += QChar(char16_t(b)); // 0x98: the C1 control of the same number
    }
    return out;
}

QList<char32_t> NonWin1251Chars(const QString &text)
{
    QList<char32_t> found;
    ForEachCodePoint(text, [&](char32_t u) {
        if (ByteOf(u) < 0 && !found.contains(u))
            found.append(u);
        return true;
    });
    return found;
}

QString Win1251RefusalMessage(const QString &text)
{
    const QList<char32_t> chars = NonWin1251Chars(text);
    if (chars.isEmpty())
        return QString();
    QStringList named;
    for (const char32_t u : chars) {
        const QString code = QStringLiteral("U+%1").arg(uint(u), 4, 16, QLatin1Char('0')).toUpper();
        // A character that cannot be shown by itself (a control, a lone
        // surrogate, a blank) is named by its code alone.
        const bool showable = u > 0x20 && !(u >= 0x7F && u <= 0xA0) && !(u >= 0xD800 && u <= 0xDFFF)
                              && QChar::isPrint(u) && !QChar::isSpace(u);
        named << (showable ? QStringLiteral("\"") + QString::fromUcs4(&u, 1) + QStringLiteral("\" (") + code
                                 + QStringLiteral(")")
                           : code);
    }
    return QStringLiteral("Текстът съдържа знаци, които не могат да бъдат записани: ") + named.join(QStringLiteral(", "))
           + QStringLiteral(".\nПремахнете ги или ги заменете и опитайте отново.");
}

QByteArray ToWin1251OrThrow(const QString &text)
{
    std::optional<QByteArray> bytes = ToWin1251(text);
    if (!bytes)
        throw ENotWin1251(text);
    return *bytes;
}
