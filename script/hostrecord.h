// script/hostrecord.h -- the script host's one record, private to script/.
//
// Owns what scripting keeps from one call to the next for all the worlds'
// interpreters together, one member per module that writes it: host.cpp
// `host` (the library's start, the interpreters, the records handed out to
// scripts, the help mode, the runs of the toolkit loop's turn, the test's
// program folder), limits.cpp `limits` (the bounds in force, the
// program-wide stop, the waits credited to runs), sandbox.cpp
// `libraryFolder`, timeouts.cpp `runningTimeOuts`, toolkit.cpp `toolkit`
// and mainloop.cpp `viewHwnd`. What belongs to one interpreter alone hangs
// on it as associated data, what belongs to one world on the world;
// neither is kept here.
#ifndef LUMENFOLD_SCRIPT_HOSTRECORD_H
#define LUMENFOLD_SCRIPT_HOSTRECORD_H

#include <tcl.h>

#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/wintypes.h"
#include "script/host.h"
#include "script/limits.h"

struct ZmObj;
struct ZmTimeOutHandlerList;
struct ZmToolkit;
struct ZmScriptRuns;  // an interpreter's runs (limits.cpp)

// A record handed out to scripts: its kind, how many hand-outs are still
// running (events) and, for a leaf, the object that owned it then.
struct ZmHandedOut {
  ZmHandleKind kind;
  int count;
  const ZmObj* owner;
};

// host.cpp's part.
struct ZmHostState {
  bool libraryFound = false;                          // Tcl_FindExecutable ran
  Tcl_ObjCmdProc* procedureProc = nullptr;            // what every "proc" procedure runs
  std::string programDirForTest;                      // replaces the data folder when set
  std::unordered_map<const void*, ZmHandedOut> handedOut;  // by record address
  bool helpMode = false;                              // zmHelp is walking the table
  std::set<Tcl_Interp*> interps;                      // every world's interpreter
  // The toolkit's loop: inside a turn, the interpreters whose runs are open
  // while an event is served (none while the loop waits).
  bool inEventTurn = false;
  bool turnRunsOpen = false;
  std::vector<Tcl_Interp*> turnRuns;
  bool turnSourceMade = false;
};

// Waiting for events inside a run ("vwait", "tkwait", a dialog of the
// toolkit) is not running while the program's own messages are served
// meanwhile (the toolkit's loop serves them): such a wait is credited to
// every run under way. Without that loop a wait holds the program and
// counts like any other time.
struct ZmScriptWaits {
  bool sourceMade = false;
  bool waiting = false;
  std::chrono::steady_clock::time_point began;
  std::vector<ZmScriptRuns*> active;  // outermost runs under way
};

// limits.cpp's part: the bounds every world's scripts run under, and what
// holds across runs.
struct ZmScriptLimits {
  uint32_t runMs = kZmScriptRunMs;               // one run's time budget
  size_t memoryBytes = kZmScriptMemoryBytes;     // a world's scripts' growth
  volatile std::sig_atomic_t stopRequested = 0;  // the program is ending (set from a signal handler)
  ZmScriptWaits waits;
};

// A time-out record whose procedure is running, and whether it was removed
// meanwhile (timeouts.cpp).
struct ZmRunningTimeOut {
  ZmTimeOutHandlerList* record;
  bool removed;
};

struct ZmScriptHost {
  ZmHostState host;
  ZmScriptLimits limits;
  // The folder of the library's script folders (Tcl's, the toolkit's), as
  // the first interpreter found it before any world's script ran.
  std::string libraryFolder;
  std::vector<ZmRunningTimeOut*> runningTimeOuts;  // innermost last (wake-ups may nest)
  const ZmToolkit* toolkit = nullptr;              // null until a toolkit was started
  HWND viewHwnd = nullptr;  // the 3-D view window, null before the main window makes it
};

ZmScriptHost& zmScriptHost();

#endif
