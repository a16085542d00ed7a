// script/limits.h -- how long a world's script may run, how much memory a
// world's scripts may take, and the stop that ends every script at once.
//
// Owns: the run of a script in a world's interpreter as the host starts it
// (a handler, a task, a Script node or script file, a procedure another
// user names): its time budget, kept by Tcl's time limit on the world's own
// interpreter; the memory the world's scripts have grown the program by,
// measured as the growth of what the program has allocated while they run
// and checked at the same short slices as the time and at the end of each
// measured run; the world's scripts stopped for good once they pass that
// bound; and
// the program-wide stop that a signal asks for. It does not own the
// evaluations (script/host.h), what the host reports about a stopped run,
// nor the signals themselves (the shell).
//
// Runs nest: a handler may cause another of the same world (an object it
// adds gets its CREATE_NOTIFY); only the outermost run of an interpreter is
// timed and measured, the inner ones spend its budget. Time a run spends
// waiting for events ("vwait", a dialog of the toolkit) while the toolkit's
// loop serves the program's messages is not counted: the program goes on
// meanwhile.
#ifndef LUMENFOLD_SCRIPT_LIMITS_H
#define LUMENFOLD_SCRIPT_LIMITS_H

#include <tcl.h>

#include <cstddef>
#include <cstdint>

// Why a run stopped before its script ended.
enum ZmRunStop {
  ZM_RUN_NOT_STOPPED = 0,
  ZM_RUN_OUT_OF_TIME,    // ran longer than the time budget
  ZM_RUN_OUT_OF_MEMORY,  // the world's scripts passed the memory bound
  ZM_RUN_ENDING,         // the program is ending (zmScriptRequestStop)
};

// The bounds: 1 s for one run, 256 MB for a world's scripts.
constexpr uint32_t kZmScriptRunMs = 1000;
constexpr size_t kZmScriptMemoryBytes = size_t(256) << 20;

// The bounds in force (the constants unless a test changed them).
uint32_t zmScriptRunBudgetMs();
size_t zmScriptMemoryBoundBytes();

// A run's memory growth counts towards the world's account (the runs the
// host starts), or only its time is kept (what the toolkit's loop serves:
// that loop also builds worlds and draws frames, which are no script's).
enum ZmRunKind { ZM_RUN_MEASURED, ZM_RUN_TIMED_ONLY };

// Prepares a new interpreter for limited runs (its limit handler and the
// record of its runs, freed with the interpreter).
void zmScriptInstallLimits(Tcl_Interp* interp);

/*
 * zmScriptBeginRun --
 *   Starts a run in the interpreter: the outermost one arms the time limit
 *   and notes the program's resident memory.
 * Results:
 *   True when the script may run; false, and nothing started, when the
 *   world's scripts were stopped for their memory or the program is ending.
 */
bool zmScriptBeginRun(Tcl_Interp* interp, ZmRunKind kind = ZM_RUN_MEASURED);
/*
 * zmScriptEndRun --
 *   Ends the run begun last. The outermost one lifts the time limit and
 *   adds the memory growth of the run to the world's account.
 * Results:
 *   Why the runs were stopped, to the first run that ends after the stop
 *   (the innermost one running then, which can name what it ran); else
 *   ZM_RUN_NOT_STOPPED. After ZM_RUN_OUT_OF_MEMORY no later run of the
 *   interpreter begins.
 */
ZmRunStop zmScriptEndRun(Tcl_Interp* interp, ZmRunKind kind = ZM_RUN_MEASURED);
// The program's own work inside a run (the toolkit's start) is not the
// script's: zmScriptHoldRun lifts the time limit for it, zmScriptResumeRun
// arms it again with the run's time starting afresh. Nothing without a run.
void zmScriptHoldRun(Tcl_Interp* interp);
void zmScriptResumeRun(Tcl_Interp* interp);
// Why the run under way is being stopped, while its script unwinds.
ZmRunStop zmScriptRunStopping(Tcl_Interp* interp);
// True once the world's scripts passed the memory bound.
bool zmScriptStoppedForGood(Tcl_Interp* interp);

// Asks every run to stop at its next slice and no new one to begin. Safe to
// call from a signal handler.
void zmScriptRequestStop();
bool zmScriptStopRequested();

// Test support: other bounds (0 restores each), and the stop request taken
// back. The program never calls them.
void zmScriptSetLimitsForTest(uint32_t runMs, size_t memoryBytes);
void zmScriptClearStopForTest();

#endif
