// shell/layout.h -- the geometry of the main window's client area: the view
// rectangle, the rule that keeps the view at 4:3 while the user sizes the
// main window, the tracking limits, and the logo under the view.
//
// Owns: the main window's client size (kept from WM_SIZE and rewritten by the
// 4:3 rule), the toolbars' share of the client area (0 until the toolbars
// exist and say otherwise), the view rectangle computed from both, the first
// outer size, and the "Logo" bitmap resource (registered from the shipped
// "logo.bmp" in the data folder, core/dirs.h). It does not own the windows (the main
// window's procedure places the view through zmPlaceViewWindow and answers
// WM_GETMINMAXINFO and WM_WINDOWPOSCHANGING with the values given here), the
// status lamp (shell/lamp.h) nor the location bar (shell/location.h).
//
// Sizes are in pixels; "outer" sizes include the main window's sizing frame,
// caption and menu bar as the system metrics give them.
#ifndef LUMENFOLD_SHELL_LAYOUT_H
#define LUMENFOLD_SHELL_LAYOUT_H

#include "platform/wintypes.h"

// The view can grow to at most this size.
constexpr int ZM_VIEW_MAX_WIDTH = 1024;
constexpr int ZM_VIEW_MAX_HEIGHT = 768;

// The logo bitmap resource and the shipped file it is read from.
constexpr const char* ZM_LOGO_RESOURCE = "Logo";
constexpr const char* ZM_LOGO_FILE = "logo.bmp";
constexpr int ZM_LOGO_WIDTH = 52;
constexpr int ZM_LOGO_HEIGHT = 11;

struct ZmViewRect {
  int x;
  int y;
  int width;
  int height;
};

// The main window's client size as WM_SIZE gave it (the two words of its
// lParam) or as the 4:3 rule last computed it.
void zmSetMainClientSize(int width, int height);
void zmGetMainClientSize(int* width, int* height);

// The toolbars' share: the command toolbar's width at the right edge and
// the navigation toolbar's height at the bottom. Both are 0 until the
// toolbars set them.
void zmSetToolbarShare(int commandBarWidth, int navBarHeight);

// The view rectangle in the main window's client area, from the kept client
// size and the toolbars' share. A client area too small for the margins
// gives a width or height of 0, never less.
ZmViewRect zmComputeViewRect();

// Moves the view window to zmComputeViewRect(), repainting it. The view's
// own WM_SIZE then keeps its client size (viewer/rendering.h).
void zmPlaceViewWindow(HWND viewWindow);

// The main window's maximum tracking size, for WM_GETMINMAXINFO: the outer
// size at which the view reaches ZM_VIEW_MAX_WIDTH x ZM_VIEW_MAX_HEIGHT.
int zmGetMaxTrackWidth();
int zmGetMaxTrackHeight();

/*
 * zmKeepViewAspect --
 *   Corrects a proposed outer size of the main window so that the view
 *   becomes 4:3: the height shrinks when the view would be too tall for its
 *   width, the width otherwise.
 * Side effects:
 *   *outerWidth and *outerHeight are corrected in place, and the kept client
 *   size becomes the client size of the corrected outer size.
 */
void zmKeepViewAspect(int* outerWidth, int* outerHeight);

// The first outer size of the main window (570 x 400 within the tracking
// limits, corrected to 4:3), computed before the window exists. The kept
// client size becomes its client size.
void zmInitWindowSize(int* outerWidth, int* outerHeight);

/*
 * zmRegisterLogoBitmap --
 *   Reads "logo.bmp" from the data folder and registers it as the
 *   bitmap resource "Logo". Start-up calls it once, before the main window
 *   paints.
 * Results:
 *   0; -1 with a warning when the file is missing, unreadable or not a
 *   52 x 11 picture of 24 bits (the logo is then left out).
 */
int zmRegisterLogoBitmap();

// Reads "icon.bmp" (24 bits) from the data folder and gives it to the
// presenter as the program's icon, which a window manager shows; without
// the file the windows go without an icon (a debug line says so).
void zmGiveProgramIcon();

// Copies the "Logo" bitmap to (12, view y + view height + 9) of the device
// context; draws nothing while no such resource is registered.
void zmDrawLogo(HDC dc);

#endif
