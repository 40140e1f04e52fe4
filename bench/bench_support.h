#pragma once
// What the row benchmarks share: a stopwatch in milliseconds and the
// "--rows N" argument.

#include <QElapsedTimer>
#include <QStringList>

namespace bench {

struct Timer
{
    QElapsedTimer t;
    Timer() { t.start(); }
    double ms() const { return double(t.nsecsElapsed()) / 1e6; }
};

// The value after "--rows", else the default.
inline int RowsArgument(const QStringList &args, int byDefault = 100000)
{
    if (const qsizetype i = args.indexOf(QStringLiteral("--rows")); i >= 0 && i + 1 < args.size())
        return args[i + 1].toInt();
    return byDefault;
}

} // namespace bench
