// platform/clock.h -- the program's one millisecond clock, and the virtual
// clock that tests drive.
//
// Owns: the clock that timeGetTime, GetTickCount, message times and timers
// all read, Sleep, and the reading of the processor time the calling thread
// has used. The real clock is monotonic (it never steps back with
// the wall time); the virtual clock stands still until a test advances it, or
// until the program waits (Sleep, or a queue wait with a timer pending), in
// which case it jumps to the end of the wait at once. It does not own timers
// (winuser.h) or the waits on files (tclloop.h).
#ifndef LUMENFOLD_PLATFORM_CLOCK_H
#define LUMENFOLD_PLATFORM_CLOCK_H

#include <cstdint>

#include "platform/wintypes.h"

// Milliseconds on the program's clock; both wrap after 2^32 ms as the
// originals do.
DWORD timeGetTime();
DWORD GetTickCount();

// Waits ms milliseconds (the virtual clock just moves on by ms). Handles no
// messages.
void Sleep(DWORD ms);

namespace platform {

// The clock in milliseconds, 64 bits wide so that it does not wrap; the
// DWORD readings above are its low 32 bits.
uint64_t clockMs();

// Switches the virtual clock on (starting at startMs) or back to the real
// clock. Tests switch it on in their fixtures.
void useVirtualClock(bool on, uint64_t startMs = 0);
bool virtualClockInUse();

// Moves the virtual clock on by ms; no effect on the real clock.
void advanceClock(uint64_t ms);

// The processor time the calling thread has used, in milliseconds with a
// fraction: what a piece of work cost however busy the machine is. Real
// time always, whichever clock is in use.
double threadCpuMs();

}  // namespace platform

#endif
