// script/modules/toolkit.cpp -- the toolkit module: Tk behind the calls of
// script/toolkit.h.
#include "script/toolkit.h"

#include <tk.h>

namespace {

int mainWindowCount() { return Tk_GetNumMainWindows(); }

bool hasMainWindow(Tcl_Interp* interp) { return Tk_MainWindow(interp) != nullptr; }

bool isToplevel(Tcl_Interp* interp, const char* path) {
  Tk_Window main = Tk_MainWindow(interp);
  Tk_Window window = main != nullptr ? Tk_NameToWindow(interp, path, main) : nullptr;
  return window != nullptr && Tk_IsTopLevel(window);
}

}  // namespace

extern "C" const ZmToolkit lumenfoldToolkit = {Tk_Init, mainWindowCount, hasMainWindow, isToplevel};
