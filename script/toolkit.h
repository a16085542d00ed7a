// script/toolkit.h -- the toolkit (Tk) of the worlds' interpreters, in the
// toolkit module (script/modules/toolkit.cpp) loaded when a world's script
// first starts it (platform/ownmodule.h), so that a program that never
// starts one -- every command-line tool -- maps neither Tk nor X11.
//
// Owns: the loading of the module and the few toolkit calls scripting makes
// around it. It does not own the start of a world's toolkit nor its guards
// (script/sandbox.h, script/tkguard.h).
#ifndef LUMENFOLD_SCRIPT_TOOLKIT_H
#define LUMENFOLD_SCRIPT_TOOLKIT_H

#include <tcl.h>

// What the toolkit module hands over.
struct ZmToolkit {
  int (*init)(Tcl_Interp* interp);                          // Tk_Init
  int (*mainWindowCount)();                                 // Tk_GetNumMainWindows
  bool (*hasMainWindow)(Tcl_Interp* interp);                // the interpreter's main window exists
  bool (*isToplevel)(Tcl_Interp* interp, const char* path); // `path` names a toplevel of it
};

constexpr const char* kZmToolkitModule = "toolkit";
constexpr const char* kZmToolkitEntry = "lumenfoldToolkit";

// The toolkit module's entry, named by kZmToolkitEntry.
extern "C" const ZmToolkit lumenfoldToolkit;

/*
 * zmToolkitInit --
 *   Loads the toolkit module on the first call and runs Tk_Init in the
 *   interpreter.
 * Results:
 *   Tk_Init's code; TCL_ERROR with a message in the result when the module
 *   cannot be loaded (which the module loader also reports, once).
 */
int zmToolkitInit(Tcl_Interp* interp);

// The three below answer as a program without a toolkit would (no window)
// until a toolkit has been started.
int zmToolkitMainWindowCount();
bool zmToolkitHasMainWindow(Tcl_Interp* interp);
bool zmToolkitIsToplevel(Tcl_Interp* interp, const char* path);

#endif
