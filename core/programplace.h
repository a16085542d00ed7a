// core/programplace.h -- the record of the running program's place in the
// system (private to core/).
//
// Owns: ProgramPlace, what the scene core knows of the program itself, each
// part fixed for the run once known: the handles the shell gives it at
// start-up (`mainHwnd` and `hinstance`, written by core/apphandles.cpp) and
// the program's temporary folder, computed from the environment at first
// use (`tempDir`, written by core/dirs.cpp, which also finds the program's
// own folders through the instance). The record is defined in
// core/apphandles.cpp. It does not own the windows, the instance nor the
// folders themselves.
#ifndef LUMENFOLD_CORE_PROGRAMPLACE_H
#define LUMENFOLD_CORE_PROGRAMPLACE_H

#include "platform/winbase.h"
#include "platform/winuser.h"

struct ProgramPlace {
  HWND mainHwnd;          // the shell's main window; null before start-up
  HINSTANCE hinstance;    // the program instance; null before start-up
  char tempDir[MAX_PATH]; // the program's temporary folder; empty until computed
};
ProgramPlace& programPlace();

#endif
