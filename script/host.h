// script/host.h -- the script host: one Tcl interpreter per world.
//
// Owns: the per-world script context (interpreter and toolkit delay), the
// creation of an interpreter with the program's commands, its sandbox
// (script/sandbox.h), its limits (script/limits.h) and the start-up script
// "zminit.tcl", the ways in (evaluate a file, a string, call a procedure
// for an object and an event; another user's message only for the world's
// own procedures), each a limited run that is reported when stopped, the
// runs of what the toolkit's loop serves, how a script's result becomes an
// integer, the toolkit start ("zmtkInit"), and the pointer texts through
// which scripts name objects, leaves, event records and time-out records,
// with the table of those handed out.
// It does not own the commands (script/commands.h), the handlers that call
// procedures (script/events.h, script/timeouts.h) nor the world record.
//
// Pointer texts carry addresses, so a text coming back from a script is only
// taken when it names a record handed out to scripts and still alive: an
// object until it is deleted, an event record while its handlers run, a
// time-out record until it is freed.
#ifndef LUMENFOLD_SCRIPT_HOST_H
#define LUMENFOLD_SCRIPT_HOST_H

#include <tcl.h>

#include <cstdint>
#include <string>

struct ZmEvent;
struct ZmObj;
struct ZmWorld;

// Script types of handlers, tasks and evaluation calls.
enum {
  ZM_SCRIPT_PYTHON = 0,
  ZM_SCRIPT_TCL = 1,
  ZM_SCRIPT_JAVA = 2,
  ZM_SCRIPT_VB = 3,
  ZM_SCRIPT_C = 4,  // a native callback instead of a procedure
  ZM_SCRIPT_INLINE = 5,
};

// The script context of a world, hung on ZmWorld::scriptContext.
struct ZmScriptContext {
  Tcl_Interp* interp;   // owned; null when creation failed
  uint32_t tkDelay;     // ms added to every frame; 0 until "zmtkInit" ran
  void* others[3];      // interpreters of other languages: always empty
};

// ---- World side ------------------------------------------------------------

/*
 * zmScriptInit --
 *   Gives the world a script context (kept when it has one) and, for type 1,
 *   a new interpreter.
 * Results:
 *   0; -1 for another type or when the interpreter cannot be made (the
 *   context stays, without interpreter).
 */
int zmScriptInit(ZmWorld* world, int scriptType);
// Deletes the interpreter of type 1 and frees the context when no
// interpreter is left in it. 0; -1 when the world has no context.
int ZmScriptExit(ZmWorld* world, int scriptType);

// Evaluations in the world's interpreter. 0 on success with the integer of
// the result in *result (1 for an empty result, else its leading decimal
// number, else 0); -1 for a type other than 1, a world without interpreter
// or a failed evaluation, which first calls the script procedure zmTclerror
// with the error text.
//
// Every evaluation from these entry points is a limited run
// (script/limits.h): one that runs longer than 1 s is stopped, warned about
// by name, and fails; a procedure stopped so is not called again by handlers
// or messages (the call is passed over: 0 with the result 1). Once a world's scripts pass the memory bound they stop
// with a message and the world's interpreter is deleted when none of them
// is running; every evaluation of that world fails from then on.
int zmScriptEvalFile(ZmWorld* world, int scriptType, const char* path, int* result);
int zmScriptEvalStr(ZmWorld* world, int scriptType, const char* text, int* result);
// As zmScriptEvalStr; *resultText is the interpreter's result (owned by the
// interpreter, valid until its next evaluation).
int zmScriptEvalStrText(ZmWorld* world, int scriptType, const char* text, const char** resultText);
/*
 * zmScriptEvalFunction --
 *   The call of a procedure that another user's message names: calls
 *   `procedure` with the pointer text of the object, then (withEvent set)
 *   the pointer text of the event and the user data, else the user data
 *   only, when the world's own scripts defined that procedure with "proc"
 *   (a name of the global namespace without a namespace path; not a
 *   built-in, a command of the program, an alias, nor a procedure of the
 *   start-up script, the library or the toolkit). The words are passed as
 *   they are: nothing in the user data is substituted. The object and the
 *   event are handed out for the call.
 * Results:
 *   As zmScriptEvalStr; ZM_SCRIPT_NOT_A_WORLD_PROCEDURE, nothing run, for
 *   any other name.
 */
enum { ZM_SCRIPT_NOT_A_WORLD_PROCEDURE = -2 };
int zmScriptEvalFunction(ZmWorld* world, int scriptType, int withEvent, const char* procedure, ZmObj* object,
                         ZmEvent* event, const char* ignored, const char* userData, int* result);
/*
 * zmScriptEvalHandler --
 *   As zmScriptEvalFunction with the event, for the handlers and tasks that
 *   a world file or a script of the world wrote: their user data keeps the
 *   form of a double-quoted word, its variables, commands and backslashes
 *   substituted in the world's interpreter before the call (a failing
 *   substitution fails the call as an error of the procedure would). The
 *   procedure name stays one word. Data from the network never comes here.
 */
int zmScriptEvalHandler(ZmWorld* world, int scriptType, const char* procedure, ZmObj* object, ZmEvent* event,
                        const char* userData, int* result);

// The current world's toolkit delay (0 without world or context), and its
// setter (nothing without context).
uint32_t zmScriptGetTkDelay();
void zmScriptSetTkDelay(uint32_t milliseconds);
Tcl_Interp* zmScriptGetInterp(ZmWorld* world);
// When the current world's toolkit delay is non-zero, evaluates zmTkSuspend
// (before a world is loaded) or zmTkResume (after) in the given world.
void zmScriptTkSuspend(ZmWorld* world);
void zmScriptTkResume(ZmWorld* world);

/*
 * zmScriptBeginEventTurn, zmScriptEndEventTurn --
 *   Around each event the toolkit's loop serves (script/mainloop.h): what
 *   the event runs in any world's interpreter (a timer, a binding, an idle
 *   handler of the toolkit) is a limited run of that world, timed from when
 *   the event is served, not from when the loop began to wait. A stop is
 *   reported as one of "a toolkit event of WORLD".
 */
void zmScriptBeginEventTurn();
void zmScriptEndEventTurn();

// ---- Interpreter side --------------------------------------------------------

/*
 * zmtkInit --
 *   A new interpreter for `world`: the library initialised, the commands
 *   registered, the sandbox installed, and "zminit.tcl" of the program
 *   folder sourced.
 * Results:
 *   The interpreter; null after "error in zmScriptTclInit:%s." (the
 *   interpreter is then deleted).
 */
Tcl_Interp* zmtkInit(ZmWorld* world);
// The world an interpreter was made for.
ZmWorld* zmScriptInterpWorld(Tcl_Interp* interp);
// -1 at once for a null interpreter; otherwise as the world-side calls.
int zmScriptTclEvalFile(Tcl_Interp* interp, const char* path, int* result);
int zmScriptTclEvalStr(Tcl_Interp* interp, const char* text, int* result);

// ---- Services for the commands --------------------------------------------

enum ZmHandleKind { ZM_HANDLE_OBJECT = 1, ZM_HANDLE_LEAF, ZM_HANDLE_EVENT, ZM_HANDLE_TIMEOUT, ZM_HANDLE_COLORS };

// Hands a record out to scripts (counted: an event delivered in a nested
// call is handed out twice) and takes it back; zmScriptWithdrawAll forgets
// the record whatever the count (deleted objects, freed records).
// A leaf is only taken back while its owner, as it was when the leaf was
// handed out, is a live object that still holds it in its leaf chain: a leaf
// freed on its own or with its object is refused without being read.
void zmScriptHandOut(ZmHandleKind kind, const void* record);
void zmScriptWithdraw(const void* record);
void zmScriptWithdrawAll(const void* record);
bool zmScriptIsHandedOut(ZmHandleKind kind, const void* record);

/*
 * zmScriptStr2Ptr --
 *   The address a pointer text names: digits only. Null for an empty text
 *   (silently) and for a null text or one with another character (after
 *   "zmScriptStr2Ptr : bad pointer value[...]" through zmReportMessage).
 */
void* zmScriptStr2Ptr(const char* text);
// The handed-out record of that kind a pointer text names, or null (also for
// "0"); *bad is set when the text was not empty-or-0 and named nothing valid,
// which is reported as zmScriptStr2Ptr reports a text with a letter.
void* zmScriptHandle(ZmHandleKind kind, const char* text, bool* bad);
// Sets the result to the pointer text of `record` ("%ld", 0 for none) and
// hands the record out.
void zmScriptSetPtrResult(Tcl_Interp* interp, ZmHandleKind kind, const void* record);
// Sets a printf-style result and returns TCL_ERROR.
int zmScriptErrorResult(Tcl_Interp* interp, const char* format, ...) __attribute__((format(printf, 2, 3)));
/*
 * zmTclError --
 *   The argument error of a command: "%s:wrong args:%s %s\n" in the result
 *   and TCL_ERROR; while zmHelp walks the command table, "%s:Usage : %s %s\n"
 *   to the debugger output, an empty result and TCL_OK.
 */
int zmTclError(Tcl_Interp* interp, const char* command, const char* usage);
// Switches zmTclError's help behaviour for the length of one help call.
void zmScriptSetHelpMode(bool on);

// The program's folder, which "zminit.tcl" is read from (no trailing '/';
// empty when unknown).
std::string zmScriptProgramDir();

// ---- Test support ------------------------------------------------------------

// The folder the start-up script is read from in place of the program
// folder (null: back to the program folder). The program never calls it.
void zmScriptSetProgramDirForTest(const char* folder);

#endif
