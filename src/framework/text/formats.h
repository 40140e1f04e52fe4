#pragma once

// The program's own regional formats. Every date, time and number that is
// shown, parsed, stored as text or put into SQL goes through these helpers;
// none of them looks at the machine's locale.
//
//   short date   "dd.M.yyyy"      05.3.2009
//   long date    "dd MMMM yyyy"   05 март 2009 (month names in lower case)
//   time         "hh:nn:ss"       14:07:09   (short form "hh:nn")
//   numbers      decimal point ".", no thousands separator, "-" for negatives
//
// Parsing is tolerant of what people type: a date takes one or two digits
// for the day and the month and four for the year ("5.3.2009", "05.03.2009",
// "05.3.2009"); a number takes "." or "," as its decimal separator (there is
// no thousands separator, so the comma cannot mean anything else) and
// refuses grouping, exponents and stray characters.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

// Sets the process-wide formats: C rules for the C library's numbers
// (LC_NUMERIC), the C locale as Qt's default, and the local time zone named
// in TZ when it is unset (the same zone, read once). Called by the entry right
// after the application object is made.
void ApplyProcessFormats();

// Dates and times. An invalid date or time formats as an empty text.
QString FormatDate(const QDate &date);            // "dd.M.yyyy"
QString FormatLongDate(const QDate &date);        // "dd MMMM yyyy"
QString FormatTime(const QTime &time);            // "hh:nn:ss"
QString FormatShortTime(const QTime &time);       // "hh:nn"
QString FormatDateTime(const QDateTime &value);   // "dd.M.yyyy hh:nn:ss"

// Parsing; anything else (empty text included) gives an invalid value.
QDate ParseDate(const QString &text);             // d.M.yyyy, surrounding blanks allowed
QTime ParseTime(const QString &text);             // h:n or h:n:s
QDateTime ParseDateTime(const QString &text);     // a date, optionally blanks and a time

// Month names, 1 to 12: long ("януари") and short ("яну"); weekday names,
// Qt's numbering 1 = Monday to 7 = Sunday: long ("понеделник") and short ("пн").
QString MonthName(int month);
QString ShortMonthName(int month);
QString DayName(int dayOfWeek);
QString ShortDayName(int dayOfWeek);

// A date as SQL literal text: 'mm/dd/yyyy' with the apostrophes.
// Throws std::invalid_argument for an invalid date.
QString SqlDateLiteral(const QDate &date);

// A number with the given count of decimals (0 to 15), rounded half away from
// zero on its decimal value (2.675 gives 2.68); a result that rounds to zero
// carries no sign. Infinities and NaN give "INF", "-INF", "NAN".
QString FormatNumber(double value, int decimals);

// A number in its shortest form: up to 15 significant digits, no trailing
// zeros, fixed notation from 0.00001 below 10^15 and "1.5E-6", "2E15" beyond.
// The text of a number field that has no display format.
QString FormatFloat(double value);

// A number typed by a user; std::nullopt when the text is not one.
std::optional<double> ParseNumber(const QString &text);

// Display patterns, as the screens state them.
//
// FormatDateTimeAs: d dd ddd dddd (day, two-digit day, short and long day
// name), ddddd (short date), dddddd (long date), m mm mmm mmmm (month, or
// minutes right after an hour), yy yyyy, h hh, n nn, s ss, z zzz, t (short
// time), tt (time), c (date and time); "/" writes the date separator "." and
// ":" the time separator ":"; text in '...' or "..." is copied; letters are
// not case sensitive; any other character is copied.
QString FormatDateTimeAs(const QString &pattern, const QDateTime &value);
QString FormatDateAs(const QString &pattern, const QDate &value);

// FormatFloatAs: up to three sections "positive;negative;zero"; "0" a digit
// always shown, "#" a digit shown when significant, the first "." the decimal
// point, "," (no thousands separator is used, so it only marks the pattern),
// text in '...' or "..." and any other character copied; a section without
// placeholders shows its text alone. An empty pattern gives FormatFloat. "0.00" -> 1234.50, "0,.00" -> 1234.50, "0.##" -> 1234.5,
// "0000000000" -> 0000000042, "0." -> 12.
QString FormatFloatAs(const QString &pattern, double value);
