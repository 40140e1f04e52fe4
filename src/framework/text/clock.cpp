#include "framework/text/clock.h"

#include <mutex>

namespace {

std::mutex g_mutex;
QDateTime g_fixed;

} // namespace

QDate Clock::today()
{
    return now().date();
}

QDateTime Clock::now()
{
    {
        std::lock_guard lock(g_mutex);
        if (g_fixed.isValid())
            return g_fixed;
    }
    return QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime &moment)
{
    std::lock_guard lock(g_mutex);
    g_fixed = moment;
}

void Clock::reset()
{
    std::lock_guard lock(g_mutex);
    g_fixed = QDateTime();
}

bool Clock::isFixed()
{
    std::lock_guard lock(g_mutex);
    return g_fixed.isValid();
}
