// shell/toolbar.h -- the bitmap-button toolbar: a bar that lays out its
// buttons and docks itself to an edge of its parent, and buttons that show
// one of their picture sets and report clicks, or presses and releases, to
// the bar's parent as WM_COMMAND.
//
// Owns: the window classes "zmToolBar" and "zmToolBarButton", the bar and
// button records (freed with the bar's window, the buttons' bitmaps with
// them), the layout and docking rules, and the two toolbars of the main
// window (the command toolbar at the right edge, the navigation toolbar at
// the bottom) with the button pictures they load. It does not own what a
// command does (the main window's command handler) nor when looks change
// (the menu code sets them).
//
// A report is WM_COMMAND with wParam = MAKEWPARAM(id, pressed) and lParam
// the button's window. A click-only button reports once, on release inside
// it, with pressed 0; a press-notify button reports 1 on the press and on
// coming back inside while the mouse is held, 0 on leaving and on release
// inside. A button's look never changes how it reacts.
#ifndef LUMENFOLD_SHELL_TOOLBAR_H
#define LUMENFOLD_SHELL_TOOLBAR_H

#include <vector>

#include "platform/wintypes.h"

// Docking sides; left and right make the bar vertical.
enum { ZM_DOCK_TOP = 0, ZM_DOCK_BOTTOM = 1, ZM_DOCK_LEFT = 2, ZM_DOCK_RIGHT = 3 };

// Button looks the menu code sets: the picture set shown.
enum { ZM_LOOK_NORMAL = 0, ZM_LOOK_DISABLED = 1, ZM_LOOK_ON = 2 };

struct ZmToolBarPictures {
  HBITMAP normal;
  HBITMAP pressed;  // null: the normal one shows while pressed
};

struct ZmToolBarButton {
  ZmToolBarButton* next;
  int id;
  int xMargin, yMargin;  // space before the button across and along the bar
  int width, height;
  HWND window;
  int pressNotify;  // 1: reports presses and releases; 0: completed clicks only
  int tracking;     // the left button went down on it and has not come up
  int pressed;
  int look;         // index of the picture set shown
  std::vector<ZmToolBarPictures> pictures;
};

struct ZmToolBar {
  int offsetAlong;   // smallest distance from the start of the docking edge
  int offsetAcross;  // distance from the edge, for top and left docking
  int vertical;
  int width, height;  // computed from the buttons
  int extraWidth, extraHeight;
  HWND window;
  int centre;
  int side;
  ZmToolBarButton* buttons;  // in the order added
};

// Registers "zmToolBar" and "zmToolBarButton" and the button pictures of
// the main window's toolbars; TRUE when both classes are registered.
BOOL zmRegisterToolBarClasses(HINSTANCE instance);

// A bar: a visible child window of `parent`, of size 0 until docked. Null
// when the window cannot be made.
ZmToolBar* zmCreateToolBar(HWND parent);
// 0, or -1 when the button's window cannot be made.
int zmAddToolBarButton(ZmToolBar* bar, int id, int xMargin, int yMargin, int width, int height);
// Appends a picture set loaded from the named bitmap resources (pressed
// may be null) to the button `id`; 0, or -1 without such a button or
// normal bitmap.
int zmAddToolBarPictures(ZmToolBar* bar, int id, const char* normal, const char* pressed);
int zmSetToolBarPressNotify(ZmToolBar* bar, int id, int pressNotify);
// Stores the docking, computes the bar's size and docks it.
void zmSetToolBarDocking(ZmToolBar* bar, int offsetAlong, int offsetAcross, int extraWidth, int extraHeight,
                         int centre, int side);
// Moves the bar to its place in its parent's client area (on every size
// change of the parent).
void zmDockToolBar(ZmToolBar* bar);
int zmToolBarWidth(const ZmToolBar* bar);   // 0 for no bar
int zmToolBarHeight(const ZmToolBar* bar);  // 0 for no bar
// Shows the button's picture set `look` at once (a look without a set
// draws nothing); 0 or -1 without such a button.
int zmSetToolBarButtonLook(ZmToolBar* bar, int id, int look);
// Show the button pressed or released at once, without any report (the
// navigation keys mirrored on their buttons); 0 or -1.
int zmPressToolBarButton(ZmToolBar* bar, int id);
int zmReleaseToolBarButton(ZmToolBar* bar, int id);
ZmToolBarButton* zmFindToolBarButton(ZmToolBar* bar, int id);

// The main window's toolbars, with their buttons, pictures and docking.
ZmToolBar* zmCreateCommandToolBar(HWND mainWindow);
ZmToolBar* zmCreateNavigationToolBar(HWND mainWindow);
// The bars the two calls above made last; null before and once their
// windows are destroyed.
ZmToolBar* zmGetCommandToolBar();
ZmToolBar* zmGetNavigationToolBar();

#endif
