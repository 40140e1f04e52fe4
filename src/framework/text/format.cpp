#include "framework/text/format.h"

#include "framework/text/formats.h"

#include <string>

namespace {

[[noreturn]] void Fail(const QString &pattern, const char *why)
{
    throw EFormatError(std::string("Format \"") + pattern.toStdString() + "\": " + why);
}

QString Pad(const QString &s, int width, bool left)
{
    if (s.size() >= width)
        return s;
    const QString fill(width - s.size(), QLatin1Char(' '));
    return left ? s + fill : fill + s;
}

QString IntegerText(std::int64_t v, int precision, int base)
{
    // The magnitude as unsigned, so that INT64_MIN has one too.
    const std::uint64_t magnitude = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
    QString digits = QString::number(magnitude, base).toUpper();
    if (precision > digits.size())
        digits = QString(precision - digits.size(), QLatin1Char('0')) + digits;
    return v < 0 ? QLatin1Char('-') + digits : digits;
}

} // namespace

QString FormatList(const QString &pattern, std::initializer_list<FormatArg> args)
{
    QString out;
    out.reserve(pattern.size() + 16);
    auto next = args.begin();
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i >= n)
            Fail(pattern, "a lone % at the end");
        if (pattern[i] == u'%') {
            out += QLatin1Char('%');
            continue;
        }
        bool left = false;
        if (pattern[i] == u'-') {
            left = true;
            ++i;
        }
        const auto number = [&](int &value) {
            bool any = false;
            value = 0;
            while (i < n && pattern[i] >= u'0' && pattern[i] <= u'9') {
                value = value * 10 + (pattern[i].unicode() - u'0');
                if (value > 10000)
                    Fail(pattern, "a width or precision too large");
                any = true;
                ++i;
            }
            return any;
        };
        int width = 0, precision = -1;
        number(width);
        if (i < n && pattern[i] == u'.') {
            ++i;
            number(precision); // "%.f": precision 0
        }
        if (i >= n)
            Fail(pattern, "a placeholder without its letter");
        const QChar type = pattern[i].toLower();
        if (next == args.end())
            Fail(pattern, "too few arguments");
        const FormatArg &arg = *next++;
        QString piece;
        switch (type.unicode()) {
        case u's':
            if (arg.kind() != FormatArg::Kind::Text)
                Fail(pattern, "%s needs a text");
            piece = precision >= 0 ? arg.text().left(precision) : arg.text();
            break;
        case u'd':
        case u'x':
            if (arg.kind() != FormatArg::Kind::Integer)
                Fail(pattern, "%d and %x need an integer");
            piece = IntegerText(arg.integer(), precision, type == u'd' ? 10 : 16);
            break;
        case u'f':
        case u'n':
            if (arg.kind() == FormatArg::Kind::Text)
                Fail(pattern, "%f needs a number");
            piece = FormatNumber(arg.number(), precision >= 0 ? precision : 2);
            break;
        default:
            Fail(pattern, "an unknown placeholder");
        }
        out += Pad(piece, width, left);
    }
    return out;
}
