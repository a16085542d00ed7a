// platform/windowstate.h -- the records behind the window calls, shared by
// the modules that implement winuser.h (window, winpos, focus, paint, queue,
// timer). Program code never includes it.
//
// Owns: the window and class records and the few calls by which one of those
// modules reaches into another (purging a destroyed window's messages and
// timers, finding a window to paint, noting input state).
// It does not own the calls themselves (winuser.h) nor the GDI side of
// painting (gdi_objects.h).
//
// A Window pointer is valid only until the next call that may run a window
// procedure: a procedure may destroy any window. Code that sends a message
// looks the handle up again afterwards.
#ifndef LUMENFOLD_PLATFORM_WINDOWSTATE_H
#define LUMENFOLD_PLATFORM_WINDOWSTATE_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winuser.h"

namespace platform::user {

struct WindowClass {
  std::string name;         // as registered; compared without regard to case
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;         // bytes, 4 to a word (see winuser.h)
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;     // empty: the class has no menu
  uintptr_t menuAtom = 0;   // a numeric menu resource id instead of a name
  int windowCount = 0;      // live windows of the class; refuses unregistering
};

struct Window {
  HWND handle = nullptr;
  WindowClass* windowClass = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND parent = nullptr;    // null for a top-level window
  HWND owner = nullptr;     // top-level windows only
  HINSTANCE instance = nullptr;
  HMENU menu = nullptr;     // a child's control id, a top-level's menu bar
  LONG_PTR userData = 0;    // GWL_USERDATA
  std::vector<LONG_PTR> extraWords;  // one per 4 bytes of cbWndExtra
  std::string text;
  RECT rect{};              // in the parent's client coordinates (screen for top-level)
  RECT restoreRect{};       // the rectangle before maximising
  std::vector<HWND> children;  // front to back
  RECT update{};            // bounding box of the update region, client coordinates
  bool eraseRequested = false;
  bool destroying = false;  // DestroyWindow has begun
  struct ScrollBar {
    int minimum = 0, maximum = 100, position = 0;
  } scrollBars[2];          // SB_HORZ, SB_VERT
};

// ---- window.cpp
Window* findWindow(HWND hwnd);       // null for null, invalid and destroyed handles
bool isDesktop(HWND hwnd);
std::vector<HWND>& topLevelWindows();  // front to back
HWND topLevelAncestor(HWND hwnd);  // the top-level window holding it; null for an invalid handle
std::vector<HWND>* siblingsOf(const Window& window);  // the z-order list holding it
LRESULT callWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- winpos.cpp
RECT clientRectOf(const Window& window);  // (0, 0, width, height)
POINT clientOriginOnScreen(const Window& window);
RECT screenRect();
void sendMoveAndSize(HWND hwnd, const WINDOWPOS& pos);  // DefWindowProcA's WM_WINDOWPOSCHANGED
// Clamps a proposed size of a top-level window with a caption or sizing
// frame to the tracking sizes its WM_GETMINMAXINFO gives.
void applyTrackingSizes(HWND hwnd, int* width, int* height);

// The frame on each side of the client area (caption, menu bar and scroll
// bars included).
RECT frameInsetsOf(const Window& window);
// True when a window of that style gets its caption and sizing frame from
// the window manager (display.h), not from us.
bool framedByManager(DWORD style);
// The manager maximised, minimised or restored a window it frames: its
// style follows (a change of minimised sends WM_SIZE).
void noteManagerShowState(HWND hwnd, bool maximized, bool minimized);
// The minimum and maximum tracking sizes of a top-level window with a
// caption or sizing frame (its WM_GETMINMAXINFO); false for other windows.
bool trackingSizesOf(HWND hwnd, POINT* minimum, POINT* maximum);

// ---- frame.cpp: the non-client area, drawn by us
// The parts of a window's frame, in window coordinates (0, 0 at the
// window's top-left corner); an absent part is an empty rectangle.
struct FrameParts {
  RECT caption, closeBox, maximizeBox, minimizeBox, menuBar, verticalBar, horizontalBar, client;
};
FrameParts framePartsOf(const Window& window);
// What lies under the screen point: an HT* code (DefWindowProcA's WM_NCHITTEST).
LRESULT frameHitTest(HWND hwnd, POINT screen);
// Draws the frame of the window into `dc`, the window's top-left corner at `origin`.
void drawFrame(HWND hwnd, HDC dc, POINT origin);
// DefWindowProcA's WM_NCLBUTTONDOWN: the close, maximise and minimise boxes
// do their commands, the menu bar opens its menu, the scroll bars scroll, a
// drag of the caption moves the window and one of a sizing border sizes it.
LRESULT frameButtonDown(HWND hwnd, WPARAM hit, LPARAM screenPoint);

// ---- sizemove.cpp
// Moves (HTCAPTION) or sizes (a sizing border's HT* code) the window with
// the mouse from the screen point where the left button went down, until
// it is released; Escape puts the window back. Messages for other windows
// are dispatched meanwhile.
void trackMoveOrSize(HWND hwnd, WPARAM hit, POINT start);
// DefWindowProcA's WM_SETCURSOR when no parent took it.
LRESULT defaultSetCursor(HWND hwnd, LPARAM hitAndMessage);

// Drawing helpers shared by the frame, menus and controls.
void fillSolid(HDC dc, const RECT& rect, COLORREF colour);
void drawBevel(HDC dc, const RECT& rect, bool raised);
// Text in the GUI font, transparent over what is there.
void drawLabel(HDC dc, RECT rect, const std::string& text, COLORREF colour, UINT format);
int labelWidth(const std::string& text);  // pixels in the GUI font, "&" prefixes aside

// ---- scrollbar.cpp
void drawScrollBar(HWND hwnd, int bar, HDC dc, const RECT& rect);
// A click at `windowPoint` (window coordinates) on the bar laid out at `rect`.
void clickScrollBar(HWND hwnd, int bar, const RECT& rect, POINT windowPoint);

// ---- controls.cpp
// Registers the standard control classes once; true when it registered
// them now (the caller then looks its class up again).
bool registerSystemClasses();

// ---- dialog.cpp
// A message box shown as a modal dialog; the button pressed.
int runMessageBoxDialog(HWND owner, const std::string& text, const std::string& caption, UINT type);

// ---- menu.cpp
void drawMenuBar(HWND hwnd, HMENU menu, HDC dc, const RECT& rect);
// Opens the menu bar's pop-up under the screen point and runs the menu
// loop; the chosen command goes to the window as WM_COMMAND.
void trackMenuBar(HWND hwnd, POINT screen);
// The window's accelerator keys: Alt with a menu's mnemonic opens it.
bool menuKeyDown(HWND hwnd, UINT virtualKey);

// ---- input.cpp
void forgetInputWindow(HWND hwnd);   // focus, activation and capture leave it and its children
void noteRetrievedInput(const MSG& msg);
POINT cursorPosition();
// The character a key press types with the current key state; false for
// keys that type none.
bool characterForKey(UINT virtualKey, char* character);

// ---- paint.cpp
void invalidateWithChildren(HWND hwnd);
void invalidateAfterResize(HWND hwnd);  // the whole client area, clipped to its new size
bool findWindowToPaint(HWND filter, HWND* found);
LRESULT eraseBackground(HWND hwnd, HDC dc);  // DefWindowProcA's WM_ERASEBKGND

// ---- queue.cpp
void discardMessagesFor(HWND hwnd);
// The next message in the queue's order (posted, quit, paint, timer) that
// passes the filters; `includeQuit` false leaves WM_QUIT where it is.
bool retrieveMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
                     bool includeQuit);
bool quitPosted(int* exitCode);

// ---- timer.cpp
void killTimersOf(HWND hwnd);
bool nextTimerDue(HWND filter, uint64_t* dueMs);  // the earliest of those passing the filter
// The earliest due timer that passes the filter as a WM_TIMER message; with
// `remove` the timer starts its next interval.
bool takeDueTimer(HWND filter, bool remove, MSG* msg);
bool isLiveTimerProc(HWND hwnd, UINT_PTR id, LPARAM proc);

// ---- shared by all
inline bool isChildStyle(DWORD style) { return (style & WS_CHILD) != 0; }
bool passesWindowFilter(HWND messageWindow, HWND filter);

}  // namespace platform::user

#endif
