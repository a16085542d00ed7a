// platform/desktop.h -- what the desktop around the program does for its
// windows, as far as the program's side needs to know it.
//
// Owns: whether a window manager draws the frames of top-level windows, how
// such a window is asked to maximise, minimise or restore, the rectangle a
// window takes on the screen with the manager's frame, and the program's
// icon. A presenter that finds a manager (x11/xpresenter.h) fills these in;
// headless, and on a display without a manager, nothing does and every
// window keeps the frame of its own. It does not own the windows
// (winuser.h) nor the X connection.
#ifndef LUMENFOLD_PLATFORM_DESKTOP_H
#define LUMENFOLD_PLATFORM_DESKTOP_H

#include <cstdint>
#include <vector>

#include "platform/wintypes.h"

namespace platform {

// Whether a window manager draws the caption and sizing frame of the
// top-level windows that have one; off by default. Window and client
// rectangles stay what our own frame gives them, so the program's sizes do
// not change: the display shows such a window without our caption and
// border, the manager's frame in their place.
void setManagerDrawsFrames(bool on);
bool managerDrawsFrames();

// How a window framed by the manager is asked to maximise, minimise or
// restore (an SW_* command); the manager then sizes the window. Null (the
// default) when no manager is there.
using ManagerShowRequest = void (*)(HWND hwnd, int showCommand);
void setManagerShowRequest(ManagerShowRequest request);
ManagerShowRequest managerShowRequest();

// The rectangle the window takes on the screen: where a window manager
// frames it, the manager's frame in place of ours (the answer of the query
// a presenter set); else its window rectangle. Placement uses it to keep
// frames apart.
using OuterRectQuery = bool (*)(HWND hwnd, RECT* outer);
void setOuterRectQuery(OuterRectQuery query);
RECT outerRectOf(HWND hwnd);

// The program's icon, ARGB pixels in rows from the top, which a presenter
// gives the window manager with each window; empty until set.
struct ProgramIcon {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
};
// Refused (false) when the pixels do not make width x height.
bool setProgramIcon(int width, int height, std::vector<uint32_t> argb);
const ProgramIcon& programIcon();

}  // namespace platform

#endif
