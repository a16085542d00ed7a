// script/host.cpp -- interpreters, evaluations, toolkit start and pointer
// texts; see host.h.
#include "script/host.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/dirs.h"
#include "core/event.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/world.h"
#include "platform/tclloop.h"
#include "script/commands.h"
#include "script/hostrecord.h"
#include "script/limits.h"
#include "script/sandbox.h"

namespace {

constexpr const char* kWorldKey = "zmWorld";  // assoc data: the interpreter's world
constexpr const char* kProceduresKey = "zmProcedures";  // assoc data: its Procedures

// Per interpreter: the procedures that are the program's and the library's
// rather than the world's (defined before the world's scripts ran), and
// those stopped for running too long, which are not called again.
struct Procedures {
  std::set<std::string> program;
  std::set<std::string> stopped;
};

// The host's part of the script host's record.
ZmHostState& host() { return zmScriptHost().host; }

ZmScriptContext* contextOf(ZmWorld* world) {
  return world ? static_cast<ZmScriptContext*>(world->scriptContext) : nullptr;
}

// The program's data folder (core/dirs.h) without its trailing '/'; empty when unknown.
std::string programDir() {
  ZmHostState& host = zmScriptHost().host;
  if (!host.programDirForTest.empty()) return host.programDirForTest;
  char folder[1024];
  int length = zmGetDataDirName(folder, sizeof folder);
  if (length <= 1) return {};
  folder[length - 1] = '\0';
  return folder;
}

void findLibraryOnce() {
  ZmHostState& host = zmScriptHost().host;
  if (host.libraryFound) return;
  char path[1024];
  Tcl_FindExecutable(zmGetModuleFileName(path, sizeof path) > 0 ? path : nullptr);
  // No interpreter has the program's standard input: a script waiting on a
  // terminal would hold the whole program where no limit reaches.
  Tcl_SetStdChannel(nullptr, TCL_STDIN);
  host.libraryFound = true;
}

Procedures* proceduresOf(Tcl_Interp* interp) {
  return static_cast<Procedures*>(Tcl_GetAssocData(interp, kProceduresKey, nullptr));
}

// Goes with the interpreter, which then leaves the host's list too.
void freeProcedures(ClientData clientData, Tcl_Interp* interp) {
  delete static_cast<Procedures*>(clientData);
  host().interps.erase(interp);
}

// Learns, once, the command procedure the library gives every procedure
// made with "proc", from a procedure made for the purpose.
void learnProcedureProc(Tcl_Interp* interp) {
  ZmHostState& host = zmScriptHost().host;
  if (host.procedureProc != nullptr) return;
  Tcl_CmdInfo info;
  if (Tcl_EvalEx(interp, "proc ::zmProbe {} {}", -1, TCL_EVAL_GLOBAL) == TCL_OK &&
      Tcl_GetCommandInfo(interp, "::zmProbe", &info))
    host.procedureProc = info.objProc;
  Tcl_EvalEx(interp, "rename ::zmProbe {}", -1, TCL_EVAL_GLOBAL);
  Tcl_ResetResult(interp);
}

// The names of the global namespace's procedures.
std::set<std::string> globalProcedures(Tcl_Interp* interp) {
  std::set<std::string> names;
  if (Tcl_EvalEx(interp, "::tcl::info::procs", -1, TCL_EVAL_GLOBAL) == TCL_OK) {
    int count = 0;
    Tcl_Obj** words = nullptr;
    if (Tcl_ListObjGetElements(interp, Tcl_GetObjResult(interp), &count, &words) == TCL_OK) {
      for (int i = 0; i < count; ++i) names.insert(Tcl_GetString(words[i]));
    }
  }
  Tcl_ResetResult(interp);
  return names;
}

// The script text a report names: its start, on one line.
std::string shortText(const char* text) {
  std::string shown;
  for (const char* c = text; *c != '\0' && shown.size() < 40; ++c) shown += (*c == '\n' || *c == '\r') ? ' ' : *c;
  if (std::strlen(text) > shown.size()) shown += "...";
  return shown;
}

// Deletes the interpreter of a world whose scripts were stopped for their
// memory, once no script of it is running, so that what they hold is given
// back; the world goes on without scripts.
void retireStoppedInterpreter(Tcl_Interp* interp) {
  if (Tcl_InterpDeleted(interp) || !zmScriptStoppedForGood(interp) || Tcl_InterpActive(interp)) return;
  ZmScriptContext* context = contextOf(zmScriptInterpWorld(interp));
  if (context == nullptr || context->interp != interp) return;
  context->interp = nullptr;
  context->tkDelay = 0;
  Tcl_DeleteInterp(interp);
}

// Tells of a stopped run, once, by the run that ran last when it stopped:
// running too long is a warning naming what ran, and a procedure stopped so
// is not called again; passing the memory bound is a message.
void reportStop(Tcl_Interp* interp, const std::string& what, ZmRunStop stop, bool procedure) {
  if (stop == ZM_RUN_OUT_OF_TIME) {
    zmReportWarning("%s ran longer than %u ms and was stopped.", what.c_str(),
                    static_cast<unsigned>(zmScriptRunBudgetMs()));
    if (Procedures* procedures = proceduresOf(interp); procedures != nullptr && procedure)
      procedures->stopped.insert(what);
  } else if (stop == ZM_RUN_OUT_OF_MEMORY) {
    const ZmWorld* world = Tcl_InterpDeleted(interp) ? nullptr : zmScriptInterpWorld(interp);
    zmReportMessage("The scripts of %s took more than %zu MB and were stopped.",
                    world != nullptr && world->name != nullptr ? world->name : "a world",
                    zmScriptMemoryBoundBytes() >> 20);
  }
}

/*
 * LimitedRun --
 *   One run of a world's script from the host's entry points, limited in
 *   time and memory (script/limits.h). `what` names it in the reports: the
 *   procedure, the file or the start of the text.
 * Side effects:
 *   A stop is reported (reportStop), and the world's interpreter is deleted
 *   once its scripts passed the memory bound and none of them runs.
 */
enum class RunOf { kScript, kProcedure };  // a procedure stopped is not called again

class LimitedRun {
 public:
  LimitedRun(Tcl_Interp* interp, std::string what, RunOf kind = RunOf::kScript)
      : interp_(interp),
        what_(std::move(what)),
        begun_(zmScriptBeginRun(interp)),
        procedure_(kind == RunOf::kProcedure) {
    Tcl_Preserve(interp_);
  }
  ~LimitedRun() {
    if (begun_) reportStop(interp_, what_, zmScriptEndRun(interp_), procedure_);
    retireStoppedInterpreter(interp_);
    Tcl_Release(interp_);
  }
  LimitedRun(const LimitedRun&) = delete;
  LimitedRun& operator=(const LimitedRun&) = delete;

  bool begun() const { return begun_; }

 private:
  Tcl_Interp* interp_;
  std::string what_;
  bool begun_;
  bool procedure_;
};

// ---- Runs of the toolkit's loop

void openTurnRuns() {
  ZmHostState& host = zmScriptHost().host;
  for (Tcl_Interp* interp : host.interps) {
    Tcl_Preserve(interp);
    if (zmScriptBeginRun(interp, ZM_RUN_TIMED_ONLY)) {
      host.turnRuns.push_back(interp);
    } else {
      Tcl_Release(interp);
    }
  }
  host.turnRunsOpen = true;
}

void closeTurnRuns() {
  ZmHostState& host = zmScriptHost().host;
  std::vector<Tcl_Interp*>& turnRuns = host.turnRuns;
  for (Tcl_Interp* interp : turnRuns) {
    const ZmRunStop stop = zmScriptEndRun(interp, ZM_RUN_TIMED_ONLY);
    if (!Tcl_InterpDeleted(interp)) {
      const ZmWorld* world = zmScriptInterpWorld(interp);
      reportStop(interp, std::string("a toolkit event of ") + (world && world->name ? world->name : "a world"), stop,
                 false);
      retireStoppedInterpreter(interp);
    }
    Tcl_Release(interp);
  }
  turnRuns.clear();
  host.turnRunsOpen = false;
}

bool anyScriptRunning() {
  for (Tcl_Interp* interp : host().interps)
    if (Tcl_InterpActive(interp)) return true;
  return false;
}

// The loop is about to wait: the turn's runs close, unless a script waits
// inside them ("update", "vwait").
void turnSetup(ClientData, int) {
  ZmHostState& host = zmScriptHost().host;
  if (host.inEventTurn && host.turnRunsOpen && !anyScriptRunning()) closeTurnRuns();
}

// The wait is over: what is served now runs in fresh runs.
void turnCheck(ClientData, int) {
  ZmHostState& host = zmScriptHost().host;
  if (host.inEventTurn && !host.turnRunsOpen) openTurnRuns();
}

// The integer of a successful evaluation's result text.
int resultNumber(Tcl_Interp* interp) {
  const char* text = Tcl_GetStringResult(interp);
  if (text == nullptr || text[0] == '\0') return 1;
  return int(std::strtol(text, nullptr, 10));
}

// Turns the library's return code into the host's result; a failure calls
// the script's zmTclerror with the error text (its own failure is ignored).
int finishEvaluation(Tcl_Interp* interp, int code, int* result) {
  if (code == TCL_OK) {
    *result = resultNumber(interp);
    return 0;
  }
  *result = 0;
  // A stopped script is reported by its run, and the error procedure could
  // not run anyway.
  if (zmScriptRunStopping(interp) != ZM_RUN_NOT_STOPPED) return -1;
  Tcl_Obj* words[] = {Tcl_NewStringObj("zmTclerror", -1), Tcl_NewStringObj(Tcl_GetStringResult(interp), -1)};
  for (Tcl_Obj* word : words) Tcl_IncrRefCount(word);
  Tcl_EvalObjv(interp, 2, words, TCL_EVAL_GLOBAL);
  for (Tcl_Obj* word : words) Tcl_DecrRefCount(word);
  return -1;
}

Tcl_Obj* pointerWord(const void* record) { return Tcl_NewWideIntObj(Tcl_WideInt(intptr_t(record))); }

// Calls `procedure object [event] userData` as one command of words at the
// global level, within the run given: the procedure name is one word and no
// word is substituted again. The object and the event are handed out for
// the call.
int callProcedure(const LimitedRun& run, Tcl_Interp* interp, const char* procedure, ZmObj* object, ZmEvent* event,
                  bool withEvent, Tcl_Obj* userData, int* result) {
  Tcl_Obj* words[4];
  int count = 0;
  words[count++] = Tcl_NewStringObj(procedure, -1);
  words[count++] = pointerWord(object);
  if (withEvent) words[count++] = pointerWord(event);
  words[count++] = userData;
  for (int i = 0; i < count; ++i) Tcl_IncrRefCount(words[i]);
  int status = -1;
  *result = 0;
  if (run.begun()) {
    if (object != nullptr) zmScriptHandOut(ZM_HANDLE_OBJECT, object);
    if (event != nullptr) zmScriptHandOut(ZM_HANDLE_EVENT, event);
    status = finishEvaluation(interp, Tcl_EvalObjv(interp, count, words, TCL_EVAL_GLOBAL), result);
    if (event != nullptr) zmScriptWithdraw(event);
  }
  for (int i = 0; i < count; ++i) Tcl_DecrRefCount(words[i]);
  return status;
}

// A procedure stopped for running too long is not called again: the call
// is passed over as one that did nothing (result 1), so that the handlers
// after it still run and a task that named it ends.
bool passedOver(Tcl_Interp* interp, const char* procedure, int* result) {
  const Procedures* procedures = proceduresOf(interp);
  if (procedures == nullptr || procedures->stopped.count(procedure) == 0) return false;
  *result = 1;
  return true;
}

// Whether `name` is a procedure that the world's own scripts defined with
// "proc": a name of the global namespace (no namespace path), naming a
// procedure (not a built-in, a command of the program, an alias or an
// ensemble) that was not there before the world's scripts ran and that the
// library cannot load on demand.
bool isWorldProcedure(Tcl_Interp* interp, const char* name) {
  if (name[0] == '\0' || std::strstr(name, "::") != nullptr) return false;
  Tcl_Command command = Tcl_FindCommand(interp, name, nullptr, TCL_GLOBAL_ONLY);
  Tcl_CmdInfo info;
  if (command == nullptr || !Tcl_GetCommandInfoFromToken(command, &info) || info.objProc != host().procedureProc)
    return false;
  const Procedures* procedures = proceduresOf(interp);
  if (procedures == nullptr || procedures->program.count(name) != 0) return false;
  return Tcl_GetVar2(interp, "auto_index", name, TCL_GLOBAL_ONLY) == nullptr;
}

// "zmtkInit [delay]": starts the toolkit once per world, then sets the delay.
int tkInitCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  ZmScriptContext* context = contextOf(zmScriptInterpWorld(interp));
  if (context == nullptr) return TCL_OK;
  if (context->tkDelay == 0) {
    // The toolkit's procedures are the program's, not the world's, and so
    // is the time its start takes.
    const std::set<std::string> before = globalProcedures(interp);
    zmScriptHoldRun(interp);
    const int started = zmScriptStartToolkit(interp);
    zmScriptResumeRun(interp);
    if (started != TCL_OK) {
      zmReportWarning("%s", Tcl_GetStringResult(interp));
    } else {
      platform::installTclEventSource();
    }
    if (Procedures* procedures = proceduresOf(interp)) {
      for (const std::string& name : globalProcedures(interp))
        if (before.count(name) == 0) procedures->program.insert(name);
    }
  }
  long delay = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 90;
  context->tkDelay = uint32_t(delay);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// Reads the start-up script; a missing or too old zmVersion is reported
// by the script's own call of zmError. The host reads it itself: the
// program's folder is not one that every world's "source" may read.
int runStartupScript(Tcl_Interp* interp, const std::string& folder) {
  std::string initFile = folder + "/zminit.tcl";
  if (!Tcl_SetVar(interp, "zmInitfile", initFile.c_str(), TCL_GLOBAL_ONLY | TCL_LEAVE_ERR_MSG)) return TCL_ERROR;
  if (Tcl_EvalFile(interp, initFile.c_str()) != TCL_OK) return TCL_ERROR;
  return Tcl_EvalEx(interp,
                    "if {![info exists zmVersion] || $zmVersion < 1.04} {\n"
                    "  zmError \"$zmInitfile is old version.\"\n"
                    "}\n",
                    -1, TCL_EVAL_GLOBAL);
}

uint32_t toolkitDelayOfCurrentWorld() {
  ZmScriptContext* context = contextOf(zmGetCurrentWorld());
  return context ? context->tkDelay : 0;
}

void evalToolkitProcedure(ZmWorld* world, const char* procedure) {
  Tcl_Interp* interp = zmScriptGetInterp(world);
  if (toolkitDelayOfCurrentWorld() == 0 || interp == nullptr) return;
  LimitedRun run(interp, procedure);
  if (run.begun()) Tcl_EvalEx(interp, procedure, -1, TCL_EVAL_GLOBAL);
}

}  // namespace

// ---- World side ------------------------------------------------------------

int zmScriptInit(ZmWorld* world, int scriptType) {
  ZmScriptContext* context = contextOf(world);
  if (context == nullptr) {
    context = static_cast<ZmScriptContext*>(zmMalloc(sizeof(ZmScriptContext)));
    if (context == nullptr) {
      zmReportMessage("zmScriptNewStruct: zmMalloc fail.");
      return -1;
    }
    std::memset(context, 0, sizeof *context);
    world->scriptContext = context;
  }
  if (scriptType != ZM_SCRIPT_TCL) return -1;
  context->interp = zmtkInit(world);
  return context->interp ? 0 : -1;
}

int ZmScriptExit(ZmWorld* world, int scriptType) {
  ZmScriptContext* context = contextOf(world);
  if (scriptType == ZM_SCRIPT_TCL && context != nullptr && context->interp != nullptr) {
    Tcl_DeleteInterp(context->interp);
    context->interp = nullptr;
  }
  if (context == nullptr) return -1;
  if (context->interp != nullptr) return 0;
  for (void* other : context->others) {
    if (other != nullptr) return 0;
  }
  zmFree(context);
  world->scriptContext = nullptr;
  return 0;
}

int zmScriptEvalFile(ZmWorld* world, int scriptType, const char* path, int* result) {
  if (scriptType != ZM_SCRIPT_TCL) return -1;
  return zmScriptTclEvalFile(zmScriptGetInterp(world), path, result);
}

int zmScriptEvalStr(ZmWorld* world, int scriptType, const char* text, int* result) {
  if (scriptType != ZM_SCRIPT_TCL) return -1;
  return zmScriptTclEvalStr(zmScriptGetInterp(world), text, result);
}

int zmScriptEvalStrText(ZmWorld* world, int scriptType, const char* text, const char** resultText) {
  int number = 0;
  if (zmScriptEvalStr(world, scriptType, text, &number) != 0) return -1;
  *resultText = Tcl_GetStringResult(zmScriptGetInterp(world));
  return 0;
}

int zmScriptEvalFunction(ZmWorld* world, int scriptType, int withEvent, const char* procedure, ZmObj* object,
                         ZmEvent* event, const char*, const char* userData, int* result) {
  Tcl_Interp* interp = scriptType == ZM_SCRIPT_TCL ? zmScriptGetInterp(world) : nullptr;
  if (interp == nullptr || procedure == nullptr) return -1;
  if (!isWorldProcedure(interp, procedure)) return ZM_SCRIPT_NOT_A_WORLD_PROCEDURE;
  if (passedOver(interp, procedure, result)) return 0;
  LimitedRun run(interp, procedure, RunOf::kProcedure);
  return callProcedure(run, interp, procedure, object, withEvent ? event : nullptr, withEvent != 0,
                       Tcl_NewStringObj(userData ? userData : "", -1), result);
}

int zmScriptEvalHandler(ZmWorld* world, int scriptType, const char* procedure, ZmObj* object, ZmEvent* event,
                        const char* userData, int* result) {
  Tcl_Interp* interp = scriptType == ZM_SCRIPT_TCL ? zmScriptGetInterp(world) : nullptr;
  if (interp == nullptr || procedure == nullptr) return -1;
  if (passedOver(interp, procedure, result)) return 0;
  LimitedRun run(interp, procedure, RunOf::kProcedure);
  if (!run.begun()) return -1;
  // The word a double-quoted user data became when handler calls were
  // evaluated as text.
  Tcl_Obj* quoted = Tcl_NewStringObj(userData ? userData : "", -1);
  Tcl_IncrRefCount(quoted);
  Tcl_Obj* substituted = Tcl_SubstObj(interp, quoted, TCL_SUBST_ALL);
  Tcl_DecrRefCount(quoted);
  if (substituted == nullptr) return finishEvaluation(interp, TCL_ERROR, result);
  return callProcedure(run, interp, procedure, object, event, true, substituted, result);
}

void zmScriptBeginEventTurn() {
  ZmHostState& host = zmScriptHost().host;
  if (!host.turnSourceMade) {
    Tcl_CreateEventSource(turnSetup, turnCheck, nullptr);
    host.turnSourceMade = true;
  }
  host.inEventTurn = true;
  openTurnRuns();
}

void zmScriptEndEventTurn() {
  ZmHostState& host = zmScriptHost().host;
  if (host.turnRunsOpen) closeTurnRuns();
  host.inEventTurn = false;
}

uint32_t zmScriptGetTkDelay() { return toolkitDelayOfCurrentWorld(); }

void zmScriptSetTkDelay(uint32_t milliseconds) {
  if (ZmScriptContext* context = contextOf(zmGetCurrentWorld())) context->tkDelay = milliseconds;
}

Tcl_Interp* zmScriptGetInterp(ZmWorld* world) {
  ZmScriptContext* context = contextOf(world);
  return context ? context->interp : nullptr;
}

void zmScriptTkSuspend(ZmWorld* world) { evalToolkitProcedure(world, "zmTkSuspend"); }
void zmScriptTkResume(ZmWorld* world) { evalToolkitProcedure(world, "zmTkResume"); }

// ---- Interpreter side --------------------------------------------------------

Tcl_Interp* zmtkInit(ZmWorld* world) {
  findLibraryOnce();
  Tcl_Interp* interp = Tcl_CreateInterp();
  Tcl_SetAssocData(interp, kWorldKey, nullptr, world);
  std::string folder = programDir();
  // The library's scripts (unknown, auto-loading, packages) come first, while
  // the interpreter is still the library's own; a missing library leaves
  // only the built-in commands, which is enough for the program's scripts.
  if (Tcl_Init(interp) != TCL_OK) zmReportWarning("zmtkInit: %s", Tcl_GetStringResult(interp));
  Tcl_CreateCommand(interp, "zmtkInit", tkInitCmd, nullptr, nullptr);
  zmScriptRegisterCommands(interp);
  learnProcedureProc(interp);
  Tcl_SetAssocData(interp, kProceduresKey, freeProcedures, new Procedures);
  zmScriptInstallLimits(interp);
  int code = zmScriptInstallSandbox(interp) == 0 ? TCL_OK : TCL_ERROR;
  if (code == TCL_OK) code = runStartupScript(interp, folder);
  if (code == TCL_OK) proceduresOf(interp)->program = globalProcedures(interp);
  if (code != TCL_OK) {
    zmReportMessage("error in zmScriptTclInit:%s.", Tcl_GetStringResult(interp));
    Tcl_DeleteInterp(interp);
    return nullptr;
  }
  Tcl_ResetResult(interp);
  host().interps.insert(interp);
  return interp;
}

ZmWorld* zmScriptInterpWorld(Tcl_Interp* interp) {
  return interp ? static_cast<ZmWorld*>(Tcl_GetAssocData(interp, kWorldKey, nullptr)) : nullptr;
}

int zmScriptTclEvalFile(Tcl_Interp* interp, const char* path, int* result) {
  if (interp == nullptr || path == nullptr) return -1;
  std::string name = path;
  for (char& c : name) c = c == '\\' ? '/' : c;
  // The host's own evaluation may read a fetched script anywhere: it is not
  // the script's "source".
  LimitedRun run(interp, name);
  *result = 0;
  return run.begun() ? finishEvaluation(interp, Tcl_EvalFile(interp, name.c_str()), result) : -1;
}

int zmScriptTclEvalStr(Tcl_Interp* interp, const char* text, int* result) {
  if (interp == nullptr || text == nullptr) return -1;
  LimitedRun run(interp, "the script \"" + shortText(text) + "\"");
  *result = 0;
  return run.begun() ? finishEvaluation(interp, Tcl_EvalEx(interp, text, -1, TCL_EVAL_GLOBAL), result) : -1;
}

// ---- Services for the commands --------------------------------------------

void zmScriptHandOut(ZmHandleKind kind, const void* record) {
  if (record == nullptr) return;
  const ZmObj* owner = kind == ZM_HANDLE_LEAF ? static_cast<const ZmLeaf*>(record)->owner : nullptr;
  auto [entry, added] = host().handedOut.try_emplace(record, ZmHandedOut{kind, 0, owner});
  entry->second.kind = kind;
  entry->second.owner = owner;
  ++entry->second.count;
}

void zmScriptWithdraw(const void* record) {
  auto& handedOut = host().handedOut;
  auto found = handedOut.find(record);
  if (found != handedOut.end() && --found->second.count <= 0) handedOut.erase(found);
}

void zmScriptWithdrawAll(const void* record) { host().handedOut.erase(record); }

bool zmScriptIsHandedOut(ZmHandleKind kind, const void* record) {
  const auto& handedOut = host().handedOut;
  auto found = handedOut.find(record);
  if (found == handedOut.end() || found->second.kind != kind) return false;
  if (kind != ZM_HANDLE_LEAF) return true;
  // The owner is live (deleted objects are withdrawn); the leaf must still
  // be one of its chain, compared by address before it is read.
  const ZmObj* owner = found->second.owner;
  if (owner == nullptr || !zmScriptIsHandedOut(ZM_HANDLE_OBJECT, owner)) return false;
  for (const ZmLeaf* leaf = owner->leaf; leaf != nullptr; leaf = leaf->next) {
    if (leaf == record) return true;
  }
  return false;
}

void* zmScriptStr2Ptr(const char* text) {
  if (text == nullptr) {
    zmReportMessage("zmScriptStr2Ptr : bad pointer value[NULL]");
    return nullptr;
  }
  if (text[0] == '\0') return nullptr;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') {
      zmReportMessage("zmScriptStr2Ptr : bad pointer value[%s]", text);
      return nullptr;
    }
  }
  return reinterpret_cast<void*>(std::strtoul(text, nullptr, 10));
}

void* zmScriptHandle(ZmHandleKind kind, const char* text, bool* bad) {
  void* record = zmScriptStr2Ptr(text);
  bool none = text != nullptr && (text[0] == '\0' || std::strcmp(text, "0") == 0);
  if (record != nullptr && zmScriptIsHandedOut(kind, record)) {
    *bad = false;
    return record;
  }
  // Digits that name no live record of this kind are as bad as letters.
  if (record != nullptr) zmReportMessage("zmScriptStr2Ptr : bad pointer value[%s]", text);
  *bad = !none;
  return nullptr;
}

void zmScriptSetPtrResult(Tcl_Interp* interp, ZmHandleKind kind, const void* record) {
  zmScriptHandOut(kind, record);
  Tcl_SetObjResult(interp, pointerWord(record));
}

int zmScriptErrorResult(Tcl_Interp* interp, const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Tcl_SetObjResult(interp, Tcl_NewStringObj(text, -1));
  return TCL_ERROR;
}

int zmTclError(Tcl_Interp* interp, const char* command, const char* usage) {
  if (host().helpMode) {
    zmDebugPrint("zmTclError", "%s:Usage : %s %s\n", command, command, usage);
    Tcl_ResetResult(interp);
    return TCL_OK;
  }
  return zmScriptErrorResult(interp, "%s:wrong args:%s %s\n", command, command, usage);
}

void zmScriptSetHelpMode(bool on) { host().helpMode = on; }

std::string zmScriptProgramDir() { return programDir(); }

void zmScriptSetProgramDirForTest(const char* folder) { host().programDirForTest = folder ? folder : ""; }
