#pragma once

// Text templates: every message and quoted statement with placeholders is
// filled through Format.
//
//   %s   a text                      %d   an integer in decimal
//   %f   a number with 2 decimals    %.Nf a number with N decimals (%.f: none)
//   %n   the same as %f              %x   an integer in upper-case hex
//   %%   a percent sign
//
// Between "%" and the letter: an optional "-" (left-justify), a width (pad
// with blanks to that many characters) and a precision after "." (%d: at
// least that many digits, zero-filled; %s: at most that many characters).
// Numbers always use the decimal point and no thousands separator.
//
// A placeholder without its argument, or with an argument of the wrong kind
// (a text for %d, a number for %s, a fraction for %d), throws EFormatError;
// arguments beyond the placeholders are ignored.

#include <QChar>
#include <QString>

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <type_traits>

class EFormatError : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

// One argument of a template: a text, an integer or a floating-point number.
class FormatArg
{
public:
    enum class Kind { Text, Integer, Number };

    FormatArg(const QString &text) : m_kind(Kind::Text), m_text(text) {}
    FormatArg(const char *text) : m_kind(Kind::Text), m_text(QString::fromUtf8(text)) {}
    FormatArg(QChar c) : m_kind(Kind::Text), m_text(c) {}
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    FormatArg(T value) : m_kind(Kind::Integer), m_integer(static_cast<std::int64_t>(value))
    {
        if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(std::int64_t)) {
            if (value > static_cast<T>(INT64_MAX))
                throw EFormatError("Format: integer argument out of range");
        }
    }
    template <std::floating_point T>
    FormatArg(T value) : m_kind(Kind::Number), m_number(static_cast<double>(value)) {}
    FormatArg(bool) = delete;
    FormatArg(char) = delete;

    Kind kind() const { return m_kind; }
    const QString &text() const { return m_text; }
    std::int64_t integer() const { return m_integer; }
    double number() const { return m_kind == Kind::Integer ? double(m_integer) : m_number; }

private:
    Kind m_kind;
    QString m_text;
    std::int64_t m_integer = 0;
    double m_number = 0;
};

QString FormatList(const QString &pattern, std::initializer_list<FormatArg> args);

template <typename... Args>
QString Format(const QString &pattern, const Args &...args)
{
    return FormatList(pattern, {FormatArg(args)...});
}
