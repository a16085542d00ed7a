// script/sandbox.h -- what a world's script may reach outside its interpreter.
//
// Owns: the commands of an interpreter that are taken away (exec, socket,
// load, unload, cd, interp but for "interp issafe") or replaced by guarded
// ones: "open" writes and "file" changes only plain names inside the user's
// "usrfiles" folder and never opens pipes, "glob" lists only that folder,
// "source" reads only from the program folder, the user folder and the
// library's script folders, "exit" never ends the program, auto_path cannot
// be changed and the env array no longer reaches the process environment.
// It does not own the interpreter (script/host.h) nor the user folder
// (loading/filetype.h).
//
// The library's own commands are hidden, not deleted: only this module
// invokes them, through Tcl_EvalObjv with TCL_INVOKE_HIDDEN.
#ifndef LUMENFOLD_SCRIPT_SANDBOX_H
#define LUMENFOLD_SCRIPT_SANDBOX_H

#include <tcl.h>

#include <string>

/*
 * zmScriptInstallSandbox --
 *   Confines the interpreter; `programDir` (no trailing '/') is a folder
 *   that "source" may read.
 * Results:
 *   0; -1 with the reason in the interpreter's result.
 */
int zmScriptInstallSandbox(Tcl_Interp* interp, const char* programDir);

// The folder scripts write into, "usrfiles" in the user folder (no trailing
// '/'), made when missing; empty when there is no user folder.
std::string zmScriptSandboxDir();

/*
 * zmScriptStartToolkit --
 *   Runs Tk_Init in the confined interpreter (with the auto_path guard
 *   lifted while the toolkit's own scripts extend it), then takes away
 *   "send" and makes "exit" hide the toolkit's main window.
 * Results:
 *   TCL_OK, or TCL_ERROR with the toolkit's message in the result.
 */
int zmScriptStartToolkit(Tcl_Interp* interp);

#endif
