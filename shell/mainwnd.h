// shell/mainwnd.h -- the main window "Lumenfold", where everything
// asynchronous meets.
//
// Owns: the main window class and procedure (its private messages, the
// frame timer's tick forwarded to the view, dropped files, the layout's
// messages, its menu bar and toolbars made and placed), the colours it
// paints with, and the rule that a WM_CLOSE arriving while a world is
// loaded, opened, ticked or commanded (each may pump messages) waits until
// that has unwound. It does not own what the messages do: the world
// loading (shell/worldload.h), the commands (shell/commands.h), the view
// (shell/viewwin.h), the layout (shell/layout.h, lamp.h, location.h,
// toolbar.h), the shut-down (shell/app.h).
#ifndef LUMENFOLD_SHELL_MAINWND_H
#define LUMENFOLD_SHELL_MAINWND_H

#include "platform/winuser.h"

constexpr const char* ZM_MAIN_CLASS = "Lumenfold";
constexpr const char* ZM_MAIN_TITLE = "Lumenfold";

// Registers the class "Lumenfold" (kept when registered already) and makes
// the background brush once for the run. 0; -1 when registration fails.
int zmRegisterMainClass(HINSTANCE instance);

LRESULT CALLBACK zmMainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
