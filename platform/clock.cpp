// platform/clock.cpp -- the real monotonic clock and the virtual test clock.
#include "platform/clock.h"

#include <cerrno>
#include <ctime>

namespace {

struct ClockState {
  bool isVirtual = false;  // true while a test drives the time
  uint64_t virtualMs = 0;  // the virtual reading
};
ClockState clockState;

uint64_t realMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
}

}  // namespace

namespace platform {

uint64_t clockMs() { return clockState.isVirtual ? clockState.virtualMs : realMs(); }

void useVirtualClock(bool on, uint64_t startMs) {
  clockState.isVirtual = on;
  clockState.virtualMs = startMs;
}

bool virtualClockInUse() { return clockState.isVirtual; }

double threadCpuMs() {
  timespec used{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
  return double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6;
}

void advanceClock(uint64_t ms) {
  if (clockState.isVirtual) clockState.virtualMs += ms;
}

}  // namespace platform

DWORD timeGetTime() { return DWORD(platform::clockMs()); }

DWORD GetTickCount() { return DWORD(platform::clockMs()); }

void Sleep(DWORD ms) {
  if (clockState.isVirtual) {
    clockState.virtualMs += ms;
    return;
  }
  timespec wait{time_t(ms / 1000), long(ms % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}
