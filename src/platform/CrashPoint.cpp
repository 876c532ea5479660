#include "platform/CrashPoint.h"

#include <QString>

#include <atomic>
#include <cstdlib>

namespace {
// Saves also run on a thread of their own: the steps are counted across threads.
std::atomic<long> g_armed = 0;
std::atomic<long> g_taken = 0;
std::atomic<bool> g_crashing = false;
bool g_abort = false;
bool g_sync = true;
std::atomic<bool> g_environmentRead = false;
} // namespace

namespace CrashPoint {
void reach(const char* step)
{
    if (!g_environmentRead) {
        g_environmentRead = true;
        bool ok = false;
        const long n = qEnvironmentVariable("QUILLMAR_CRASH_AT").toLong(&ok);
        if (ok && n > 0) {
            g_armed = n;
            g_taken = 0;
            // The real program dies as a killed one would: no handlers, no clean-up.
            g_abort = true;
        }
    }
    const long taken = ++g_taken;
    long armed = g_armed;
    // Only the thread that takes the armed step crashes.
    if (armed <= 0 || taken != armed || !g_armed.compare_exchange_strong(armed, 0))
        return;
    if (g_abort)
        std::abort();
    g_crashing = true;
    throw SimulatedCrash{step};
}

void arm(long step)
{
    g_environmentRead = true;
    g_armed = step;
    g_taken = 0;
    g_crashing = false;
}
long stepsTaken()
{
    return g_taken;
}

bool crashing()
{
    return g_crashing;
}

void reset()
{
    g_armed = 0;
    g_taken = 0;
    g_crashing = false;
}

void setSyncEnabled(bool enabled)
{
    g_sync = enabled;
}

bool syncEnabled()
{
    return g_sync;
}
} // namespace CrashPoint
