// script/host.cpp -- interpreters, evaluations, toolkit start and pointer
// texts; see host.h.
#include "script/host.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "core/dirs.h"
#include "core/event.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/world.h"
#include "platform/tclloop.h"
#include "script/commands.h"
#include "script/sandbox.h"

namespace {

constexpr const char* kWorldKey = "zmWorld";  // assoc data: the interpreter's world

// A record handed out to scripts: its kind, how many hand-outs are still
// running (events) and, for a leaf, the object that owned it then.
struct HandedOut {
  ZmHandleKind kind;
  int count;
  const ZmObj* owner;
};

struct HostState {
  bool libraryFound = false;                          // Tcl_FindExecutable ran
  std::string programDirForTest;                      // replaces the program folder when set
  std::unordered_map<const void*, HandedOut> handedOut;  // by record address
  bool helpMode = false;                              // zmHelp is walking the table
} host;

ZmScriptContext* contextOf(ZmWorld* world) {
  return world ? static_cast<ZmScriptContext*>(world->scriptContext) : nullptr;
}

// The program folder without its trailing '/'; empty when unknown.
std::string programDir() {
  if (!host.programDirForTest.empty()) return host.programDirForTest;
  char folder[1024];
  int length = zmGetModuleDirName(folder, sizeof folder);
  if (length <= 1) return {};
  folder[length - 1] = '\0';
  return folder;
}

void findLibraryOnce() {
  if (host.libraryFound) return;
  char path[1024];
  Tcl_FindExecutable(zmGetModuleFileName(path, sizeof path) > 0 ? path : nullptr);
  host.libraryFound = true;
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
  Tcl_Obj* words[] = {Tcl_NewStringObj("zmTclerror", -1), Tcl_NewStringObj(Tcl_GetStringResult(interp), -1)};
  for (Tcl_Obj* word : words) Tcl_IncrRefCount(word);
  Tcl_EvalObjv(interp, 2, words, TCL_EVAL_GLOBAL);
  for (Tcl_Obj* word : words) Tcl_DecrRefCount(word);
  return -1;
}

// Evaluates the words as one command at the global level, the interpreter
// kept alive across the call (a script may delete its own world).
int evalWords(Tcl_Interp* interp, int count, Tcl_Obj* const words[], int* result) {
  Tcl_Preserve(interp);
  int code = Tcl_EvalObjv(interp, count, words, TCL_EVAL_GLOBAL);
  int status = finishEvaluation(interp, code, result);
  Tcl_Release(interp);
  return status;
}

Tcl_Obj* pointerWord(const void* record) { return Tcl_NewWideIntObj(Tcl_WideInt(intptr_t(record))); }

// Calls `procedure object [event] userData` as one command of words: the
// procedure name is one word and no word is substituted again. The object
// and the event are handed out for the call.
int callProcedure(Tcl_Interp* interp, const char* procedure, ZmObj* object, ZmEvent* event, bool withEvent,
                  Tcl_Obj* userData, int* result) {
  Tcl_Obj* words[4];
  int count = 0;
  words[count++] = Tcl_NewStringObj(procedure, -1);
  words[count++] = pointerWord(object);
  if (withEvent) words[count++] = pointerWord(event);
  words[count++] = userData;
  for (int i = 0; i < count; ++i) Tcl_IncrRefCount(words[i]);
  if (object != nullptr) zmScriptHandOut(ZM_HANDLE_OBJECT, object);
  if (event != nullptr) zmScriptHandOut(ZM_HANDLE_EVENT, event);
  int status = evalWords(interp, count, words, result);
  if (event != nullptr) zmScriptWithdraw(event);
  for (int i = 0; i < count; ++i) Tcl_DecrRefCount(words[i]);
  return status;
}

// "zmtkInit [delay]": starts the toolkit once per world, then sets the delay.
int tkInitCmd(ClientData, Tcl_Interp* interp, int argc, const char* argv[]) {
  ZmScriptContext* context = contextOf(zmScriptInterpWorld(interp));
  if (context == nullptr) return TCL_OK;
  if (context->tkDelay == 0) {
    if (zmScriptStartToolkit(interp) != TCL_OK) {
      zmReportWarning("%s", Tcl_GetStringResult(interp));
    } else {
      platform::installTclEventSource();
    }
  }
  long delay = argc == 2 ? std::strtol(argv[1], nullptr, 10) : 90;
  context->tkDelay = uint32_t(delay);
  Tcl_ResetResult(interp);
  return TCL_OK;
}

// Sources the start-up script; a missing or too old zmVersion is reported
// by the script's own call of zmError.
int runStartupScript(Tcl_Interp* interp, const std::string& folder) {
  std::string initFile = folder + "/zminit.tcl";
  if (!Tcl_SetVar(interp, "zmInitfile", initFile.c_str(), TCL_GLOBAL_ONLY | TCL_LEAVE_ERR_MSG)) return TCL_ERROR;
  return Tcl_EvalEx(interp,
                    "source $zmInitfile\n"
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
  Tcl_EvalEx(interp, procedure, -1, TCL_EVAL_GLOBAL);
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
  return callProcedure(interp, procedure, object, withEvent ? event : nullptr, withEvent != 0,
                       Tcl_NewStringObj(userData ? userData : "", -1), result);
}

int zmScriptEvalHandler(ZmWorld* world, int scriptType, const char* procedure, ZmObj* object, ZmEvent* event,
                        const char* userData, int* result) {
  Tcl_Interp* interp = scriptType == ZM_SCRIPT_TCL ? zmScriptGetInterp(world) : nullptr;
  if (interp == nullptr || procedure == nullptr) return -1;
  // The word a double-quoted user data became when handler calls were
  // evaluated as text.
  Tcl_Obj* quoted = Tcl_NewStringObj(userData ? userData : "", -1);
  Tcl_IncrRefCount(quoted);
  Tcl_Preserve(interp);
  Tcl_Obj* substituted = Tcl_SubstObj(interp, quoted, TCL_SUBST_ALL);
  Tcl_DecrRefCount(quoted);
  int status;
  if (substituted == nullptr) {
    status = finishEvaluation(interp, TCL_ERROR, result);
  } else {
    status = callProcedure(interp, procedure, object, event, true, substituted, result);
  }
  Tcl_Release(interp);
  return status;
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
  int code = zmScriptInstallSandbox(interp, folder.c_str()) == 0 ? TCL_OK : TCL_ERROR;
  if (code == TCL_OK) code = runStartupScript(interp, folder);
  if (code != TCL_OK) {
    zmReportMessage("error in zmScriptTclInit:%s.", Tcl_GetStringResult(interp));
    Tcl_DeleteInterp(interp);
    return nullptr;
  }
  Tcl_ResetResult(interp);
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
  Tcl_Preserve(interp);
  int code = Tcl_EvalFile(interp, name.c_str());
  int status = finishEvaluation(interp, code, result);
  Tcl_Release(interp);
  return status;
}

int zmScriptTclEvalStr(Tcl_Interp* interp, const char* text, int* result) {
  if (interp == nullptr || text == nullptr) return -1;
  Tcl_Preserve(interp);
  int code = Tcl_EvalEx(interp, text, -1, TCL_EVAL_GLOBAL);
  int status = finishEvaluation(interp, code, result);
  Tcl_Release(interp);
  return status;
}

// ---- Services for the commands --------------------------------------------

void zmScriptHandOut(ZmHandleKind kind, const void* record) {
  if (record == nullptr) return;
  const ZmObj* owner = kind == ZM_HANDLE_LEAF ? static_cast<const ZmLeaf*>(record)->owner : nullptr;
  auto [entry, added] = host.handedOut.try_emplace(record, HandedOut{kind, 0, owner});
  entry->second.kind = kind;
  entry->second.owner = owner;
  ++entry->second.count;
}

void zmScriptWithdraw(const void* record) {
  auto found = host.handedOut.find(record);
  if (found != host.handedOut.end() && --found->second.count <= 0) host.handedOut.erase(found);
}

void zmScriptWithdrawAll(const void* record) { host.handedOut.erase(record); }

bool zmScriptIsHandedOut(ZmHandleKind kind, const void* record) {
  auto found = host.handedOut.find(record);
  if (found == host.handedOut.end() || found->second.kind != kind) return false;
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
  if (host.helpMode) {
    zmDebugPrint("zmTclError", "%s:Usage : %s %s\n", command, command, usage);
    Tcl_ResetResult(interp);
    return TCL_OK;
  }
  return zmScriptErrorResult(interp, "%s:wrong args:%s %s\n", command, command, usage);
}

void zmScriptSetHelpMode(bool on) { host.helpMode = on; }

void zmScriptSetProgramDirForTest(const char* folder) { host.programDirForTest = folder ? folder : ""; }
