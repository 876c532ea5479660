#pragma once

// Named steps inside the writers where a crash would leave the files half-way (a temporary file written but
// not renamed, one of two files of a step written). Normally a step costs one counter increment.
//
// For tests, the n-th step from now can be made to crash: in-process it throws SimulatedCrash, which the
// test catches as if the process had died there (what the step left on disk stays: no clean-up runs while
// a crash unwinds); the real program aborts at the n-th step when QUILLMAR_CRASH_AT=n is set.
namespace CrashPoint {
struct SimulatedCrash
{
    const char* step;
};

// Passes one step; crashes when it is the armed one.
void reach(const char* step);
// The step-th call of reach() from now crashes (1 = the next one); 0 disarms.
void arm(long step);
// Steps passed since the last arm() (or reset()), to size a random crash point.
long stepsTaken();
// True while a simulated crash unwinds: writers leave their files as they are.
bool crashing();
// After a caught SimulatedCrash: the "new process" starts with nothing armed.
void reset();
// Tests run thousands of saves: the disk syncs can be left out where no power is lost.
void setSyncEnabled(bool enabled);
bool syncEnabled();
} // namespace CrashPoint
