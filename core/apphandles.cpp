// core/apphandles.cpp -- storage of the program-wide handles.
#include "core/apphandles.h"

static HWND mainHwnd;        // the shell's main window, null before start-up
static HINSTANCE hinstance;  // the program instance, null before start-up

void zmSetMainHwnd(HWND hwnd) { mainHwnd = hwnd; }

HWND zmGetMainHwnd() { return mainHwnd; }

void zmSetHinstance(HINSTANCE instance) { hinstance = instance; }

HINSTANCE zmGetHinstance() { return hinstance; }

BOOL zmFatalStop() {
  PostMessageA(mainHwnd, WM_ZMCANCEL, 0, 0);
  return PostMessageA(mainHwnd, WM_CLOSE, 0, 0);
}
