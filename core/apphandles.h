// core/apphandles.h -- the program-wide handles that the scene core must
// reach, and the fatal stop.
//
// Owns: the stored main-window and program-instance handles (set by the shell
// at start-up, null until then; kept in core/programplace.h) and zmFatalStop, which asks the main window
// to give up the current load and close. It does not own the windows or the
// instance, nor what the main window does with the two messages.
#ifndef LUMENFOLD_CORE_APPHANDLES_H
#define LUMENFOLD_CORE_APPHANDLES_H

#include "platform/winuser.h"

// Private message of the main window: the load failed or was cancelled.
#define WM_ZMCANCEL (WM_USER + 6)

void zmSetMainHwnd(HWND hwnd);
HWND zmGetMainHwnd();
void zmSetHinstance(HINSTANCE instance);
HINSTANCE zmGetHinstance();

/*
 * zmFatalStop --
 *   Posts WM_ZMCANCEL and then WM_CLOSE to the main window.
 * Results:
 *   The result of posting WM_CLOSE (non-zero when it was queued).
 */
BOOL zmFatalStop();

#endif
