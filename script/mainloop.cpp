// script/mainloop.cpp -- the message loop and the menu commands; see
// mainloop.h.
#include "script/mainloop.h"

#include <tcl.h>

#include "platform/tclloop.h"
#include "script/host.h"
#include "script/hostrecord.h"
#include "script/toolkit.h"

namespace {

constexpr WPARAM kMenuCommandIds[] = {110, 111, 109, 101, 102, 114, 199, 120, 103};

// Serves one event as a turn of its own: the scripts it runs are limited
// as any world's script is (script/host.h).
int serveOneEvent(int flags) {
  zmScriptBeginEventTurn();
  const int served = Tcl_DoOneEvent(flags);
  zmScriptEndEventTurn();
  return served;
}

// Runs the toolkit's loop while it has a main window and no quit is waiting.
void runToolkitLoop() {
  while (zmToolkitMainWindowCount() >= 1 && !platform::quitMessagePending()) {
    serveOneEvent(0);
    while (serveOneEvent(TCL_TIMER_EVENTS | TCL_DONT_WAIT) != 0) {
    }
  }
}

}  // namespace

void zmSetViewHwnd(HWND hwnd) { zmScriptHost().viewHwnd = hwnd; }
HWND zmGetViewHwnd() { return zmScriptHost().viewHwnd; }

int zmMainLoop(MSG* msg) {
  for (;;) {
    if (zmToolkitMainWindowCount() >= 1) runToolkitLoop();
    if (GetMessageA(msg, nullptr, 0, 0) == 0) return 0;
    TranslateMessage(msg);
    DispatchMessageA(msg);
  }
}

intptr_t zmMenuExec(intptr_t index) {
  if (index < 0 || index > 8) return index;
  return PostMessageA(zmGetMainHwnd(), WM_COMMAND, kMenuCommandIds[index], 0);
}
