// shell/appstate.cpp -- the shell's record and its state's transitions; see
// appstate.h.
#include "shell/appstate.h"

ZmShellState zmShell;

void zmAppAwaitWorld() {
  zmShell.zmAppState = ZM_APP_WAITING;
  zmShell.worldRunning = 0;
}

void zmAppShowNothing() { zmShell.zmAppState = ZM_APP_WAITING; }

void zmAppBeginFetching() { zmShell.zmAppState = ZM_APP_FETCHING; }

void zmAppFetchFailed(bool worldOnShow) { zmShell.zmAppState = worldOnShow ? ZM_APP_RUNNING : ZM_APP_WAITING; }

void zmAppBeginNewWorld() { zmShell.zmAppState = ZM_APP_NEW_WORLD; }

void zmAppBeginBuilding() {
  zmShell.zmAppState = ZM_APP_BUILDING;
  zmShell.worldRunning = 0;
}

void zmAppWorldBuilt() {
  zmShell.zmAppState = ZM_APP_RUNNING;
  zmShell.worldRunning = 1;
}

void zmAppWorldShown() { zmShell.zmAppState = ZM_APP_RUNNING; }

bool zmAppBeginTick() {
  if (zmShell.zmAppState != ZM_APP_RUNNING) return false;
  zmShell.zmAppState = ZM_APP_TICKING;
  return true;
}

void zmAppEndTick() {
  if (zmShell.zmAppState == ZM_APP_TICKING) zmShell.zmAppState = ZM_APP_RUNNING;
}

bool zmAppIsBuilding() { return zmShell.zmAppState == ZM_APP_BUILDING || zmShell.zmAppState == ZM_APP_NEW_WORLD; }

bool zmAppIsRunning() { return zmShell.zmAppState == ZM_APP_RUNNING || zmShell.zmAppState == ZM_APP_TICKING; }
