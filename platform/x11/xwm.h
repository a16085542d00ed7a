// platform/x11/xwm.h -- what the X presenter tells the window manager about a
// window, and what it hears back.
//
// Owns: finding the manager (_NET_SUPPORTING_WM_CHECK), the properties a
// top-level X window carries for it (title as _NET_WM_NAME in UTF-8 and
// WM_NAME, WM_CLASS, the program's icon (desktop.h), the size hints with the minimum
// size and static gravity, WM_TRANSIENT_FOR of owned windows, the Motif
// hints that ask for the manager's frame or for none), the requests to
// maximise, minimise and restore, and reading back the manager's frame
// extents and maximised/minimised state. It does not own the X windows
// themselves nor the events loop (xpresenter.h).
//
// Static gravity keeps a window's position that of its client area: the
// manager puts its frame around the rectangle the program asked for, so
// window rectangles mean the same with and without a manager.
#ifndef LUMENFOLD_PLATFORM_X11_XWM_H
#define LUMENFOLD_PLATFORM_X11_XWM_H

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace platform::xwm {

// Interns the atoms and looks for a manager on the screen; true when one
// runs.
bool start(Display* display, int screen);
bool managerRuns();

// What the manager is told when a window appears.
struct WindowFacts {
  std::string title;
  bool framed = false;  // the manager draws its caption and sizing frame
  bool sizable = false;
  bool minimizeBox = false, maximizeBox = false, closeBox = false;
  POINT minimum{0, 0};  // smallest and largest X window size, 0 when free
  POINT maximum{0, 0};
  Window transientFor = 0;
};
void describe(Window xid, const WindowFacts& facts, const RECT& rect);
void retitle(Window xid, const std::string& title);

// SW_MAXIMIZE, SW_MINIMIZE or SW_RESTORE asked of the manager.
void requestShow(Window xid, int command, bool maximized);

// Whether the property event concerns the manager's state of the window.
bool isStateChange(const XPropertyEvent& event);
struct ShowState {
  bool maximized = false, minimized = false;
};
ShowState showStateOf(Window xid);

// The manager's frame on each side of the window; empty before the manager
// has framed it. hasSides: whether a rectangle of side widths has any.
inline bool hasSides(const RECT& sides) {
  return sides.left != 0 || sides.top != 0 || sides.right != 0 || sides.bottom != 0;
}
RECT frameExtentsOf(Window xid);
// The same, asked of the manager (_NET_REQUEST_FRAME_EXTENTS) when it has not
// framed the window yet, and awaited a moment; empty when it does not answer.
RECT awaitFrameExtents(Window xid);

}  // namespace platform::xwm

#endif
