#pragma once

// Money rounding and the small text-filling helpers of invoices and amounts
// in words. No state, no database.

#include "framework/text/amount_in_words.h"

#include <QString>

#include <cstdint>
#include <stdexcept>

// An internal check that failed: a caller broke a rule of the routine. The
// message is UTF-8 (what()) and also kept as text.
class EAssertionFailed : public std::logic_error
{
public:
    explicit EAssertionFailed(const QString &message)
        : std::logic_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// x rounded to p decimal places (0 to 9), halves away from zero on both signs;
// a hair under a half from binary representation still rounds up (2.675 gives
// 2.68, -2.675 gives -2.68). A result of zero is +0. p above 9 throws
// EAssertionFailed with "Невалидна стойност на параметъра p в roundx()!",
// CR LF, "p=" and p.
double roundx(std::uint32_t p, double x);

// The money rounding: roundx(2, x).
double roundx2(double x);

// The decimal text of n left-filled with fill to width; a longer text keeps
// its rightmost width characters. IntToStrPad(5, 2, '0') = "05".
QString IntToStrPad(std::int64_t n, int width, QChar fill);
// The same for a text: StrPadLeft("123", 10, '0') = "0000000123",
// StrPadLeft("12345678901", 10, '0') = "2345678901".
QString StrPadLeft(const QString &s, int width, QChar fill);

// s with every character that is not in allowed removed.
QString KeepChars(const QString &s, const QString &allowed);

// Money as shown, printed, exported and stored as text: roundx2, two decimals,
// the decimal point, no thousands separator; a rounded -0.00 shows 0.00.
QString FormatMoney(double x);

// Money in whole cents (of roundx2(x)). Payment checks compare these.
std::int64_t MoneyCents(double x);

// The one money rule: net = roundx2(sum of lines), VAT = roundx2(net * rate),
// total = net + VAT. rate is a fraction (0.2 for 20 %).
struct MoneyTotals
{
    double net = 0;
    double vat = 0;
    double total = 0;
};
MoneyTotals ComputeMoneyTotals(double sumOfLines, double rate);

// Whether nothing is left to pay: the paid cents reach the due cents. An
// overpayment counts as paid as well, so no negative remainder is offered.
bool IsAllPaid(double due, double paid);
