// script/sandbox.h -- what a world's script may reach outside its interpreter.
//
// Owns: the commands of an interpreter that are taken away (exec, socket,
// load, unload, cd, interp but for "interp issafe"; with the toolkit, send,
// clipboard and selection) or replaced by guarded ones: "open" writes and
// "file" changes only plain names inside the user's "usrfiles" folder and
// never opens pipes; "open" for reading, the "file" queries and "source"
// reach a plain name in that folder and any other path only where the
// world may read (script/rights.h), never through "~"; "glob" lists only
// that folder; "exit" never ends the program. auto_path cannot be changed,
// and the env array holds only DISPLAY and no longer reaches the process
// environment. It also keeps the library's commands for the toolkit's
// guards (script/tkguard.h), which apply the same rules.
// It does not own the interpreter (script/host.h), the rule of what a world
// reads (script/rights.h) nor the user folder (loading/filetype.h).
//
// The library's own commands are hidden, not deleted: only this module
// invokes them, through Tcl_EvalObjv with TCL_INVOKE_HIDDEN.
#ifndef LUMENFOLD_SCRIPT_SANDBOX_H
#define LUMENFOLD_SCRIPT_SANDBOX_H

#include <tcl.h>

#include <string>
#include <vector>

/*
 * zmScriptInstallSandbox --
 *   Confines the interpreter, which must not have run a world's script yet.
 * Results:
 *   0; -1 with the reason in the interpreter's result.
 */
int zmScriptInstallSandbox(Tcl_Interp* interp);

// The folder that holds the library's script folders (Tcl's, the
// toolkit's), as the first confined interpreter found it; empty before.
std::string zmScriptLibraryFolder();

// The folder scripts write into, "usrfiles" in the user folder (no trailing
// '/'), made when missing; empty when there is no user folder.
std::string zmScriptSandboxDir();

/*
 * zmScriptStartToolkit --
 *   Runs Tk_Init in the confined interpreter (with the auto_path guard
 *   lifted while the toolkit's own scripts extend it), then guards the
 *   toolkit (script/tkguard.h); "exit" then hides the toolkit's main window.
 * Results:
 *   TCL_OK, or TCL_ERROR with the toolkit's message in the result.
 */
int zmScriptStartToolkit(Tcl_Interp* interp);

// ---- For the toolkit's guards ------------------------------------------------

// Keeps the library's command `name` for zmScriptCallKept and hides it from
// scripts. TCL_OK; TCL_ERROR when there is no such command.
int zmScriptKeepAndHide(Tcl_Interp* interp, const char* name);
// Calls the kept command `name` with the words after it, as its dispatch
// would; its result code ("NAME is not available." when none is kept).
int zmScriptCallKept(Tcl_Interp* interp, const char* name, const std::vector<Tcl_Obj*>& words);
// The file word of a read as "open" takes it: a plain name is replaced by
// its file in the sandbox folder (a new object of no reference), any other
// path must be one the world may read. TCL_OK; otherwise TCL_ERROR with
// "can't read PATH from zmbrowser." in the result.
int zmScriptCheckRead(Tcl_Interp* interp, Tcl_Obj** word);
// The file word of a write as "open" takes it: only a plain name, replaced
// by its file in the sandbox folder. TCL_OK; otherwise TCL_ERROR with
// "can't create NAME from zmbrowser." in the result.
int zmScriptCheckWrite(Tcl_Interp* interp, Tcl_Obj** word);

#endif
