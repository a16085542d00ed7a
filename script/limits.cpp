// script/limits.cpp -- time budgets, memory accounts and the program-wide
// stop of script runs; see limits.h.
#include "script/limits.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <vector>

#include "platform/tclloop.h"
#include "script/hostrecord.h"

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's allocator keeps its own books (its runtime has
// this call; not every compiler ships the header that declares it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

// Per interpreter: the runs under way and what its world's scripts have
// grown the program by.
struct ZmScriptRuns {
  int depth = 0;                     // runs under way, nested
  std::chrono::steady_clock::time_point start;  // of the outermost one
  int measuredDepth = 0;             // measured runs under way, nested
  long long startAllocated = 0;      // allocated bytes when the outermost measured one began
  long long account = 0;             // growth kept by earlier runs, never below 0
  ZmRunStop stopping = ZM_RUN_NOT_STOPPED;  // why the runs are being stopped
  bool told = false;                 // an ending run has told of the stop
  bool stopped = false;              // the world's scripts passed the memory bound
};

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kRunsKey = "zmScriptRuns";
// How often a running script is looked at: short enough that a stop comes
// soon after it is due, long enough that the look costs nothing.
constexpr long kSliceUs = 10000;
// Where the limit's timer goes while nothing runs: never in practice.
constexpr long kIdleLimitSeconds = 86400;

using Runs = ZmScriptRuns;

// The limits' part of the script host's record.
ZmScriptLimits& limits() { return zmScriptHost().limits; }

void waitBegins(ClientData, int flags) {
  if (flags & TCL_DONT_WAIT) return;
  ZmScriptWaits& waits = limits().waits;
  waits.waiting = true;
  waits.began = Clock::now();
}

void waitEnds(ClientData, int) {
  ZmScriptWaits& waits = limits().waits;
  if (!waits.waiting) return;
  waits.waiting = false;
  if (!platform::tclEventSourceInstalled()) return;
  const auto waited = Clock::now() - waits.began;
  for (Runs* runs : waits.active) runs->start += waited;
}

void forgetActive(Runs* runs) {
  std::vector<Runs*>& active = limits().waits.active;
  active.erase(std::remove(active.begin(), active.end(), runs), active.end());
}

Runs* runsOf(Tcl_Interp* interp) { return static_cast<Runs*>(Tcl_GetAssocData(interp, kRunsKey, nullptr)); }

// The bytes the program has allocated and not freed: what the allocator
// hands out, so that memory freed earlier and taken again counts as well.
long long allocatedBytes() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
#endif
}

// What the world's scripts have grown the program by, the measured run
// under way included.
long long growthSoFar(const Runs& runs) {
  return runs.measuredDepth > 0 ? runs.account + allocatedBytes() - runs.startAllocated : runs.account;
}

bool pastMemoryBound(const Runs& runs) { return growthSoFar(runs) > static_cast<long long>(limits().memoryBytes); }

// Sets the interpreter's time limit `seconds` and `microseconds` from now
// (Tcl's limits are on the calendar clock).
void limitIn(Tcl_Interp* interp, long seconds, long microseconds) {
  Tcl_Time next;
  Tcl_GetTime(&next);
  next.sec += seconds;
  next.usec += microseconds;
  next.sec += next.usec / 1000000;
  next.usec %= 1000000;
  Tcl_LimitSetTime(interp, &next);
}

void stop(Runs& runs, ZmRunStop why) {
  runs.stopping = why;
  if (why == ZM_RUN_OUT_OF_MEMORY) runs.stopped = true;
}

// Tcl calls this when a slice is over while the script runs. Leaving the
// limit as it is stops the script: every command fails from then on, and
// "catch" cannot hold it, until the run ends.
void sliceOver(ClientData, Tcl_Interp* interp) {
  ZmScriptLimits& limits = zmScriptHost().limits;
  Runs* runs = runsOf(interp);
  if (runs == nullptr || runs->depth == 0) return;
  const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - runs->start);
  if (limits.stopRequested) {
    stop(*runs, ZM_RUN_ENDING);
  } else if (spent.count() >= limits.runMs) {
    stop(*runs, ZM_RUN_OUT_OF_TIME);
  } else if (pastMemoryBound(*runs)) {
    stop(*runs, ZM_RUN_OUT_OF_MEMORY);
  } else {
    limitIn(interp, 0, kSliceUs);
  }
}

void freeRuns(ClientData clientData, Tcl_Interp*) {
  auto* runs = static_cast<Runs*>(clientData);
  forgetActive(runs);
  delete runs;
}

}  // namespace

uint32_t zmScriptRunBudgetMs() { return limits().runMs; }
size_t zmScriptMemoryBoundBytes() { return limits().memoryBytes; }

void zmScriptInstallLimits(Tcl_Interp* interp) {
  Tcl_SetAssocData(interp, kRunsKey, freeRuns, new Runs);
  Tcl_LimitAddHandler(interp, TCL_LIMIT_TIME, sliceOver, nullptr, nullptr);
  // Every command looks at the clock, so that one slow command after
  // another cannot carry a script far past a slice.
  Tcl_LimitSetGranularity(interp, TCL_LIMIT_TIME, 1);
  if (ZmScriptWaits& waits = limits().waits; !waits.sourceMade) {
    Tcl_CreateEventSource(waitBegins, waitEnds, nullptr);
    waits.sourceMade = true;
  }
}

bool zmScriptBeginRun(Tcl_Interp* interp, ZmRunKind kind) {
  ZmScriptLimits& limits = zmScriptHost().limits;
  Runs* runs = runsOf(interp);
  if (runs == nullptr || runs->stopped || limits.stopRequested) return false;
  if (kind == ZM_RUN_MEASURED && runs->measuredDepth++ == 0) runs->startAllocated = allocatedBytes();
  if (runs->depth++ > 0) return true;
  limits.waits.active.push_back(runs);
  runs->start = Clock::now();
  runs->stopping = ZM_RUN_NOT_STOPPED;
  runs->told = false;
  limitIn(interp, 0, kSliceUs);
  Tcl_LimitTypeSet(interp, TCL_LIMIT_TIME);
  return true;
}

ZmRunStop zmScriptEndRun(Tcl_Interp* interp, ZmRunKind kind) {
  Runs* runs = runsOf(interp);
  if (runs == nullptr || runs->depth == 0) return ZM_RUN_NOT_STOPPED;
  if (kind == ZM_RUN_MEASURED && runs->measuredDepth > 0) {
    const long long growth = growthSoFar(*runs);
    if (--runs->measuredDepth == 0) runs->account = growth > 0 ? growth : 0;
    if (runs->stopping == ZM_RUN_NOT_STOPPED && growth > static_cast<long long>(limits().memoryBytes))
      stop(*runs, ZM_RUN_OUT_OF_MEMORY);
  }
  if (--runs->depth == 0) {
    forgetActive(runs);
    Tcl_LimitTypeReset(interp, TCL_LIMIT_TIME);
    // The limit's timer goes far away, so that it never wakes an idle loop.
    limitIn(interp, kIdleLimitSeconds, 0);
  }
  ZmRunStop told = ZM_RUN_NOT_STOPPED;
  if (runs->stopping != ZM_RUN_NOT_STOPPED && !runs->told) {
    told = runs->stopping;
    runs->told = true;
  }
  if (runs->depth == 0) {
    runs->stopping = ZM_RUN_NOT_STOPPED;
    runs->told = false;
  }
  return told;
}

void zmScriptHoldRun(Tcl_Interp* interp) {
  const Runs* runs = runsOf(interp);
  if (runs != nullptr && runs->depth > 0) Tcl_LimitTypeReset(interp, TCL_LIMIT_TIME);
}

void zmScriptResumeRun(Tcl_Interp* interp) {
  Runs* runs = runsOf(interp);
  if (runs == nullptr || runs->depth == 0) return;
  runs->start = Clock::now();
  limitIn(interp, 0, kSliceUs);
  Tcl_LimitTypeSet(interp, TCL_LIMIT_TIME);
}

ZmRunStop zmScriptRunStopping(Tcl_Interp* interp) {
  const Runs* runs = runsOf(interp);
  return runs != nullptr && runs->depth > 0 ? runs->stopping : ZM_RUN_NOT_STOPPED;
}

bool zmScriptStoppedForGood(Tcl_Interp* interp) {
  const Runs* runs = runsOf(interp);
  return runs != nullptr && runs->stopped;
}

void zmScriptRequestStop() { limits().stopRequested = 1; }
bool zmScriptStopRequested() { return limits().stopRequested != 0; }

void zmScriptSetLimitsForTest(uint32_t runMs, size_t memoryBytes) {
  ZmScriptLimits& bounds = limits();
  bounds.runMs = runMs != 0 ? runMs : kZmScriptRunMs;
  bounds.memoryBytes = memoryBytes != 0 ? memoryBytes : kZmScriptMemoryBytes;
}

void zmScriptClearStopForTest() { limits().stopRequested = 0; }
