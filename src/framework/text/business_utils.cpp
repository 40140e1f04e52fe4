#include "framework/text/business_utils.h"

#include "framework/text/formats.h"

#include <cmath>

namespace {

const std::int32_t kPowersOfTen[10] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000,
};

QString PadLeft(const QString &s, int width, QChar fill)
{
    if (width <= 0)
        return QString();
    if (s.size() >= width)
        return s.right(width);
    return QString(width - s.size(), fill) + s;
}

} // namespace

double roundx(std::uint32_t p, double x)
{
    if (p > 9)
        throw EAssertionFailed(QStringLiteral("Невалидна стойност на параметъра p в roundx()!\r\np=")
                               + QString::number(p));
    const long double s = x >= 0 ? 1.0L : -1.0L;
    const long double scale = kPowersOfTen[p];
    const long double whole = std::trunc(std::fabs(static_cast<long double>(x)) * scale + 0.500000001L);
    const double result = static_cast<double>(s * whole / scale);
    return result == 0 ? 0.0 : result;
}

double roundx2(double x)
{
    return roundx(2, x);
}

QString IntToStrPad(std::int64_t n, int width, QChar fill)
{
    return PadLeft(QString::number(n), width, fill);
}

QString StrPadLeft(const QString &s, int width, QChar fill)
{
    return PadLeft(s, width, fill);
}

QString KeepChars(const QString &s, const QString &allowed)
{
    QString result = s;
    for (qsizetype i = result.size() - 1; i >= 0; --i) {
        if (!allowed.contains(result.at(i)))
            result.remove(i, 1);
    }
    return result;
}

QString FormatMoney(double x)
{
    return FormatNumber(roundx2(x), 2);
}

std::int64_t MoneyCents(double x)
{
    return std::llround(roundx2(x) * 100.0);
}

MoneyTotals ComputeMoneyTotals(double sumOfLines, double rate)
{
    MoneyTotals t;
    t.net = roundx2(sumOfLines);
    t.vat = roundx2(t.net * rate);
    // Both parts hold whole cents; rounding the sum only drops the binary
    // remainder of the addition (0.1 + 0.2), never a cent.
    t.total = roundx2(t.net + t.vat);
    return t;
}

bool IsAllPaid(double due, double paid)
{
    return MoneyCents(paid) >= MoneyCents(due);
}
