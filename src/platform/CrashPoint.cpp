#include "platform/CrashPoint.h"

#include <QString>

#include <cstdlib>

namespace {
long g_armed = 0;
long g_taken = 0;
bool g_crashing = false;
bool g_abort = false;
bool g_sync = true;
bool g_environmentRead = false;
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
    ++g_taken;
    if (g_armed <= 0 || g_taken != g_armed)
        return;
    g_armed = 0;
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
