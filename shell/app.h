// shell/app.h -- the program's start and its orderly end.
//
// Owns: zmAppInit, which creates everything the user sees and the services
// behind it in their order, the first-load record of the world named on the
// command line (kept in the shell's record, shell/appstate.h), the socket
// layer's start and end, and the shut-down: the
// main window's WM_DESTROY steps and zmAppExit. It does not own the main
// loop (script/mainloop.h), the windows' procedures, nor the command line's
// table (shell/cmdline.h).
#ifndef LUMENFOLD_SHELL_APP_H
#define LUMENFOLD_SHELL_APP_H

#include "platform/winuser.h"

/*
 * zmAppInit --
 *   Splits and scans the command line (cut in place; with a null text the
 *   table zmTakeArguments filled is scanned); when another program
 *   already runs, hands it the world argument (or, with none, says
 *   "Lumenfold is already running.") and goes no further. Registers the
 *   window classes, creates the main window with its menu bar, view and
 *   toolbars, starts the sockets and the viewer (which reads the bookmarks),
 *   lists the bookmarks in the Bookmark menu, starts the own browser service
 *   when no browser answers, registers with the browser link, creates the
 *   world cache and the Messages window; with a world argument posts its
 *   WM_ZMLOADWORLD, else the program waits (state 1). Shows the main window
 *   with `show`, its items and buttons enabled for that state.
 * Results:
 *   0; -1 for a second program or when the sockets cannot start; the
 *   viewer's code when it cannot start.
 */
int zmAppInit(HINSTANCE instance, HINSTANCE previous, char* commandLine, int show);

/*
 * zmOnMainDestroy --
 *   The main window's WM_DESTROY: leaves the world on show ("WORLD_OUT"),
 *   kills the frame timer, runs zmAppExit and posts the quit message.
 * Results:
 *   0.
 */
LRESULT zmOnMainDestroy(HWND mainWindow);

// Frees the world cache and the history, stops the viewer, withdraws the
// viewer registration and the own browser service, ends the sockets and runs the viewer's exit
// handlers; the result of zmExit.
int zmAppExit();

#endif
