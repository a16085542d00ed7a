// shell/appstate.h -- what every window of the shell reads: the main
// window's private messages, the load record they carry, the application
// state and the shared URL buffer.
//
// Owns the declarations only; the values live with the main window's world
// loading (shell/worldload.cpp), which is the one writer of the state.
#ifndef LUMENFOLD_SHELL_APPSTATE_H
#define LUMENFOLD_SHELL_APPSTATE_H

#include <cstddef>

#include "core/apphandles.h"
#include "loading/wwwlink.h"
#include "platform/winuser.h"

// Private messages of the main window. WM_USER + 2 is never sent;
// WM_ZMLOADWORLD and WM_ZMLOADING, with the load record they carry, are the
// browser link's (loading/wwwlink.h).
#define WM_ZMOPENURL (WM_USER + 3)  // lParam: ZmLoadRecord* {URL, camera}
#define WM_ZMSOCKET (WM_USER + 4)
#define WM_ZMLAMP (WM_USER + 5)  // lParam: COLORREF
// WM_ZMCANCEL (WM_USER + 6) is the scene core's (core/apphandles.h).

// Timer 1 of the main window drives every frame.
#define ZM_FRAME_TIMER 1

enum ZmAppStateValue {
  ZM_APP_NONE = 0,       // start-up has set no state yet
  ZM_APP_WAITING = 1,    // no world on show
  ZM_APP_FETCHING = 2,   // the world is being fetched
  ZM_APP_BUILDING = 3,   // the world file is being parsed and built
  ZM_APP_NEW_WORLD = 4,  // a world record exists, parsing has not begun
  ZM_APP_RUNNING = 10,   // a world is on show
  ZM_APP_TICKING = 11,   // running, inside the main window's part of a tick
};

extern int zmAppState;
extern int zmWorldRunning;

// The URL buffer shared by Reload, the Open URL dialog and the location bar.
constexpr size_t ZM_SHARED_URL_SIZE = 256;
extern char zmSharedUrl[ZM_SHARED_URL_SIZE];

#endif
