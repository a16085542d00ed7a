// core/apphandles.cpp -- storage of the program-wide handles.
#include "core/apphandles.h"

// The handles, null before start-up.
static struct {
  HWND mainHwnd;        // the shell's main window
  HINSTANCE hinstance;  // the program instance
} handles;

void zmSetMainHwnd(HWND hwnd) { handles.mainHwnd = hwnd; }

HWND zmGetMainHwnd() { return handles.mainHwnd; }

void zmSetHinstance(HINSTANCE instance) { handles.hinstance = instance; }

HINSTANCE zmGetHinstance() { return handles.hinstance; }

BOOL zmFatalStop() {
  PostMessageA(handles.mainHwnd, WM_ZMCANCEL, 0, 0);
  return PostMessageA(handles.mainHwnd, WM_CLOSE, 0, 0);
}
