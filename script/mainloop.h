// script/mainloop.h -- the program's message loop, the view-window handle
// and the menu commands scripts may trigger.
//
// Owns: zmMainLoop, which serves the window-message queue alone until a
// world's script starts the toolkit and the toolkit's loop (which dispatches
// window messages as one of its event sources, platform/tclloop.h) while it
// has a main window; the view-window handle; zmMenuExec. The main-window and
// instance handles are the scene core's (core/apphandles.h); the windows and
// what their commands do are the shell's.
#ifndef LUMENFOLD_SCRIPT_MAINLOOP_H
#define LUMENFOLD_SCRIPT_MAINLOOP_H

#include "core/apphandles.h"
#include "platform/winuser.h"

void zmSetViewHwnd(HWND hwnd);
HWND zmGetViewHwnd();

/*
 * zmMainLoop --
 *   Takes and dispatches messages until WM_QUIT, through the toolkit's loop
 *   whenever a toolkit main window exists. The quit message ends the loop in
 *   either mode.
 * Results:
 *   0; *msg holds the quit message.
 */
int zmMainLoop(MSG* msg);

// Posts WM_COMMAND with the id of menu command `index` (0 Forward, 1
// Backward, 2 Exit, 3 Open URL, 4 Open File, 5 Add bookmark, 6 About,
// 7 Reload, 8 Stop loading) to the main window; the posting's result. An
// index outside 0 to 8 posts nothing and is returned.
intptr_t zmMenuExec(intptr_t index);

#endif
