// core/apphandles.cpp -- storage of the program-wide handles.
#include "core/apphandles.h"

#include "core/programplace.h"

namespace {

ProgramPlace place;  // see core/programplace.h; null and empty before start-up

}  // namespace

ProgramPlace& programPlace() { return place; }

void zmSetMainHwnd(HWND hwnd) { place.mainHwnd = hwnd; }

HWND zmGetMainHwnd() { return place.mainHwnd; }

void zmSetHinstance(HINSTANCE instance) { place.hinstance = instance; }

HINSTANCE zmGetHinstance() { return place.hinstance; }

BOOL zmFatalStop() {
  PostMessageA(place.mainHwnd, WM_ZMCANCEL, 0, 0);
  return PostMessageA(place.mainHwnd, WM_CLOSE, 0, 0);
}
