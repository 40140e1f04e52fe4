#pragma once

// The program's clock: "today" and "now" for numbering, default dates,
// periods and timeouts. Tests fix it to a moment of their choice.

#include <QDate>
#include <QDateTime>

class Clock
{
public:
    // The local date and time, or the fixed moment while one is set.
    static QDate today();
    static QDateTime now();

    // Fix the clock at a moment (it does not advance by itself) / let it run again.
    static void setFixed(const QDateTime &moment);
    static void reset();
    static bool isFixed();
};

// Fixes the clock for a scope and lets it run again at the end (for tests).
class FixedClock
{
public:
    explicit FixedClock(const QDateTime &moment) { Clock::setFixed(moment); }
    ~FixedClock() { Clock::reset(); }
    FixedClock(const FixedClock &) = delete;
    FixedClock &operator=(const FixedClock &) = delete;
};
