// platform/x11/xpresenter.cpp -- top-level windows on an X display.
#include "platform/x11/xpresenter.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/composition.h"
#include "platform/devinput.h"
#include "platform/dialogs.h"
#include "platform/desktop.h"
#include "platform/display.h"
#include "platform/presenter.h"
#include "platform/resources.h"
#include "platform/tclloop.h"
#include "platform/windowstate.h"
#include "platform/winuser.h"
#include "platform/x11/xconnection.h"
#include "platform/x11/xdnd.h"
#include "platform/x11/ximage.h"
#include "platform/x11/xwm.h"

namespace platform {
namespace x11 {
namespace {

Connection theConnection;

}  // namespace

Connection& connection() { return theConnection; }

}  // namespace x11

namespace {

using x11::Channel;
using x11::Shown;

Channel channelOf(unsigned long mask) {
  Channel channel;
  while (mask != 0 && !(mask & 1)) {
    mask >>= 1;
    channel.shift++;
  }
  while (mask & 1) {
    mask >>= 1;
    channel.bits++;
  }
  return channel;
}

// ---- images

// Side widths of frames, the manager's and our own hidden one.
using xwm::hasSides;

// Sends what changed in the window's picture since it was last shown, or
// all of it when X lost it (exposed) or the window is new.
// The part of a window's picture that its X window shows: all of it, or,
// where the manager draws the frame, what lies inside our own caption and
// border.
ComposedPicture shownPart(const ComposedPicture& picture, const RECT& hidden, RECT* changed) {
  int width = picture.width - hidden.left - hidden.right;
  int height = picture.height - hidden.top - hidden.bottom;
  if (width < 1 || height < 1) return ComposedPicture{};
  OffsetRect(changed, -hidden.left, -hidden.top);
  const RECT inside{0, 0, width, height};
  IntersectRect(changed, changed, &inside);
  return ComposedPicture{picture.pixels + size_t(hidden.top) * picture.width + hidden.left, width, height,
                         picture.width};
}

void showPicture(HWND hwnd, Shown& s, bool whole) {
  x11::ServerLink& xServer = x11::connection().server;
  ComposedPicture picture;
  RECT changed;
  if (!composeChanges(hwnd, &picture, &changed)) return;
  if (whole) changed = RECT{0, 0, picture.width, picture.height};
  if (IsRectEmpty(&changed)) return;
  if (hasSides(s.hidden)) picture = shownPart(picture, s.hidden, &changed);
  if (IsRectEmpty(&changed)) return;
  if (s.image.show(xServer.images, s.xid, picture, changed)) xServer.sharedPutPending = true;
}

// ---- windows

// Where the manager frames a window, our caption and border are left out
// of its X window: their widths on each side, else none.
RECT hiddenFrameOf(HWND hwnd) {
  DWORD style = DWORD(GetWindowLongA(hwnd, GWL_STYLE));
  if (!user::framedByManager(style)) return RECT{0, 0, 0, 0};
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  return RECT{-frame.left, -frame.top, frame.right, frame.bottom};
}

RECT inset(RECT rect, const RECT& sides) {
  return RECT{rect.left + sides.left, rect.top + sides.top, rect.right - sides.right, rect.bottom - sides.bottom};
}

RECT outset(RECT rect, const RECT& sides) {
  return RECT{rect.left - sides.left, rect.top - sides.top, rect.right + sides.right, rect.bottom + sides.bottom};
}

bool wantsOwnPlacement(HWND hwnd) {
  // Pop-ups without a caption (menus, tool tips) are placed by us, unmanaged.
  LONG_PTR style = GetWindowLongA(hwnd, GWL_STYLE);
  return (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION;
}

// The owner's X window, when the owner is shown: a manager keeps an owned
// window above it and does not list it on its own.
Window ownerWindowOf(HWND hwnd) {
  x11::ServerLink& xServer = x11::connection().server;
  HWND owner = GetWindow(hwnd, GW_OWNER);
  auto found = xServer.shown.find(owner);
  return found != xServer.shown.end() ? found->second.xid : 0;
}

xwm::WindowFacts factsOf(HWND hwnd, const std::string& title) {
  LONG_PTR style = GetWindowLongA(hwnd, GWL_STYLE);
  xwm::WindowFacts facts;
  facts.title = title;
  facts.framed = user::framedByManager(DWORD(style));
  facts.sizable = (style & WS_THICKFRAME) != 0;
  facts.minimizeBox = (style & WS_MINIMIZEBOX) != 0;
  facts.maximizeBox = (style & WS_MAXIMIZEBOX) != 0;
  facts.closeBox = (style & WS_SYSMENU) != 0;
  // The tracking sizes are the window's; its X window leaves our frame out.
  if (user::trackingSizesOf(hwnd, &facts.minimum, &facts.maximum)) {
    RECT hidden = hiddenFrameOf(hwnd);
    POINT frame{hidden.left + hidden.right, hidden.top + hidden.bottom};
    facts.minimum = POINT{facts.minimum.x - frame.x, facts.minimum.y - frame.y};
    facts.maximum = POINT{facts.maximum.x - frame.x, facts.maximum.y - frame.y};
  }
  facts.transientFor = ownerWindowOf(hwnd);
  return facts;
}

void createXWindow(HWND hwnd, Shown& s, const RECT& rect) {
  x11::ServerLink& xServer = x11::connection().server;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(xServer.display, xServer.screen);
  attributes.override_redirect = wantsOwnPlacement(hwnd) ? True : False;
  attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                          ButtonReleaseMask | PointerMotionMask | StructureNotifyMask |
                          FocusChangeMask | PropertyChangeMask;
  s.xid = XCreateWindow(xServer.display, RootWindow(xServer.display, xServer.screen), rect.left, rect.top,
                        unsigned(std::max(1L, long(rect.right - rect.left))),
                        unsigned(std::max(1L, long(rect.bottom - rect.top))), 0, xServer.depth, InputOutput,
                        xServer.visual, CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
  XSetWMProtocols(xServer.display, s.xid, &xServer.deleteWindow, 1);
  char title[512];
  GetWindowTextA(hwnd, title, sizeof title);
  s.title = title;
  xwm::describe(s.xid, factsOf(hwnd, s.title), rect);
  XMapRaised(xServer.display, s.xid);
  s.rect = rect;
}

void forget(std::map<HWND, Shown>::iterator it) {
  x11::ServerLink& xServer = x11::connection().server;
  it->second.image.release(xServer.display);
  forgetComposition(it->first);
  XDestroyWindow(xServer.display, it->second.xid);
  xServer.shown.erase(it);
}

bool sameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

void syncWindow(HWND hwnd) {
  x11::ServerLink& xServer = x11::connection().server;
  RECT rect;
  GetWindowRect(hwnd, &rect);
  auto [it, made] = xServer.shown.try_emplace(hwnd);
  Shown& s = it->second;
  RECT hidden = hiddenFrameOf(hwnd);
  if (!sameRect(hidden, s.hidden)) {
    s.hidden = hidden;
    s.exposed = true;
  }
  rect = inset(rect, s.hidden);
  if (made) createXWindow(hwnd, s, rect);
  if (!sameRect(rect, s.rect)) {
    XMoveResizeWindow(xServer.display, s.xid, rect.left, rect.top,
                      unsigned(std::max(1L, long(rect.right - rect.left))),
                      unsigned(std::max(1L, long(rect.bottom - rect.top))));
    s.rect = rect;
    s.exposed = true;
  }
  char title[512];
  GetWindowTextA(hwnd, title, sizeof title);
  if (s.title != title) {
    s.title = title;
    xwm::retitle(s.xid, s.title);
    s.exposed = true;
  }
  bool aware = acceptsDroppedFiles(hwnd);
  if (aware != s.dropAware) {
    xdnd::advertise(s.xid, aware);
    s.dropAware = aware;
  }
  showPicture(hwnd, s, made || s.exposed);
  s.exposed = false;
}

unsigned fontCursorOf(PointerShape shape) {
  switch (shape) {
    case PointerShape::IBeam: return XC_xterm;
    case PointerShape::Wait: return XC_watch;
    case PointerShape::Cross: return XC_crosshair;
    case PointerShape::UpArrow: return XC_sb_up_arrow;
    case PointerShape::SizeAll: return XC_fleur;
    case PointerShape::SizeNwse: return XC_bottom_right_corner;
    case PointerShape::SizeNesw: return XC_bottom_left_corner;
    case PointerShape::SizeWe: return XC_sb_h_double_arrow;
    case PointerShape::SizeNs: return XC_sb_v_double_arrow;
    case PointerShape::No: return XC_circle;
    case PointerShape::Hand: return XC_hand2;
    case PointerShape::Link: return XC_hand2;
    case PointerShape::Pick: return XC_target;
    case PointerShape::Grab: return XC_hand1;
    case PointerShape::Drag: return XC_fleur;
    default: return XC_left_ptr;
  }
}

Cursor cursorFor(PointerShape shape) {
  x11::ServerLink& xServer = x11::connection().server;
  Cursor& cursor = xServer.cursors[int(shape)];
  if (cursor != 0) return cursor;
  if (shape == PointerShape::Hidden) {
    char blank = 0;
    Pixmap pixmap = XCreateBitmapFromData(xServer.display, RootWindow(xServer.display, xServer.screen), &blank, 1, 1);
    XColor black{};
    cursor = XCreatePixmapCursor(xServer.display, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(xServer.display, pixmap);
  } else {
    cursor = XCreateFontCursor(xServer.display, fontCursorOf(shape));
  }
  return cursor;
}

void syncCursor() {
  x11::ServerLink& xServer = x11::connection().server;
  if (xServer.cursorGeneration == cursorGeneration()) return;
  xServer.cursorGeneration = cursorGeneration();
  Cursor cursor = cursorFor(currentPointerShape());
  for (auto& [hwnd, s] : xServer.shown) XDefineCursor(xServer.display, s.xid, cursor);
}

BOOL CALLBACK collectVisible(HWND hwnd, LPARAM list) {
  if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

// ---- events

HWND windowOf(Window xid) {
  x11::ServerLink& xServer = x11::connection().server;
  for (auto& [hwnd, s] : xServer.shown)
    if (s.xid == xid) return hwnd;
  return nullptr;
}

UINT virtualKeyOf(KeySym sym) {
  if (sym >= XK_a && sym <= XK_z) return UINT(sym - XK_a + 'A');
  if (sym >= XK_A && sym <= XK_Z) return UINT(sym);
  if (sym >= XK_0 && sym <= XK_9) return UINT(sym);
  if (sym >= XK_F1 && sym <= XK_F12) return UINT(VK_F1 + (sym - XK_F1));
  struct Pair {
    KeySym sym;
    UINT key;
  };
  static const Pair pairs[] = {
      {XK_Return, VK_RETURN},   {XK_KP_Enter, VK_RETURN}, {XK_BackSpace, VK_BACK},
      {XK_Tab, VK_TAB},         {XK_ISO_Left_Tab, VK_TAB}, {XK_Escape, VK_ESCAPE},
      {XK_space, VK_SPACE},     {XK_Left, VK_LEFT},       {XK_Up, VK_UP},
      {XK_Right, VK_RIGHT},     {XK_Down, VK_DOWN},       {XK_Home, VK_HOME},
      {XK_End, VK_END},         {XK_Prior, VK_PRIOR},     {XK_Next, VK_NEXT},
      {XK_Insert, VK_INSERT},   {XK_Delete, VK_DELETE},   {XK_Shift_L, VK_SHIFT},
      {XK_Shift_R, VK_SHIFT},   {XK_Control_L, VK_CONTROL}, {XK_Control_R, VK_CONTROL},
      {XK_Alt_L, VK_MENU},      {XK_Alt_R, VK_MENU},      {XK_Caps_Lock, VK_CAPITAL},
      {XK_Pause, VK_PAUSE},     {XK_semicolon, 0xBA},     {XK_equal, 0xBB},
      {XK_comma, 0xBC},         {XK_minus, 0xBD},         {XK_period, 0xBE},
      {XK_slash, 0xBF},         {XK_grave, 0xC0},         {XK_bracketleft, 0xDB},
      {XK_backslash, 0xDC},     {XK_bracketright, 0xDD},  {XK_apostrophe, 0xDE},
  };
  for (const Pair& pair : pairs)
    if (pair.sym == sym) return pair.key;
  return 0;
}

POINT screenPoint(Window xid, int ex, int ey) {
  x11::ServerLink& xServer = x11::connection().server;
  HWND hwnd = windowOf(xid);
  RECT rect{0, 0, 0, 0};
  if (hwnd != nullptr) rect = xServer.shown[hwnd].rect;
  return POINT{rect.left + ex, rect.top + ey};
}

void keyEvent(XKeyEvent& event, bool down) {
  KeySym sym = XLookupKeysym(&event, 0);
  UINT key = virtualKeyOf(sym);
  if (key == 0) return;
  InputEvent input;
  input.kind = down ? InputEvent::KeyDown : InputEvent::KeyUp;
  input.virtualKey = key;
  if (down) {
    char typed[8];
    KeySym ignored;
    int count = XLookupString(&event, typed, sizeof typed, &ignored, nullptr);
    input.character = count == 1 ? static_cast<unsigned char>(typed[0]) : 0;
  }
  deliverInput(input);
}

void buttonEvent(XButtonEvent& event, bool down) {
  InputEvent input;
  input.screen = screenPoint(event.window, event.x, event.y);
  if (event.button == Button4 || event.button == Button5) {
    if (!down) return;
    input.kind = InputEvent::Wheel;
    input.wheelSteps = event.button == Button4 ? 1 : -1;
  } else if (event.button <= Button3) {
    input.kind = down ? InputEvent::ButtonDown : InputEvent::ButtonUp;
    input.button = int(event.button);
  } else {
    return;
  }
  deliverInput(input);
}

// The window manager moved or resized the window: the window follows.
void configured(XConfigureEvent& event) {
  x11::ServerLink& xServer = x11::connection().server;
  HWND hwnd = windowOf(event.window);
  if (hwnd == nullptr) return;
  Shown& s = xServer.shown[hwnd];
  int rootX = event.x, rootY = event.y;
  Window child;
  XTranslateCoordinates(xServer.display, event.window, RootWindow(xServer.display, xServer.screen), 0, 0, &rootX,
                        &rootY, &child);
  RECT now{rootX, rootY, rootX + event.width, rootY + event.height};
  if (sameRect(now, s.rect)) return;
  // A move alone is no new size: the window's own size rules stay out of it.
  UINT moveOnly = now.right - now.left == s.rect.right - s.rect.left && now.bottom - now.top == s.rect.bottom - s.rect.top
                      ? SWP_NOSIZE
                      : 0;
  s.rect = now;
  RECT window = outset(now, s.hidden);
  SetWindowPos(hwnd, nullptr, window.left, window.top, window.right - window.left, window.bottom - window.top,
               SWP_NOZORDER | SWP_NOACTIVATE | moveOnly);
  s.exposed = true;
}

// The manager maximised, minimised or restored the window.
void propertyChanged(XPropertyEvent& event) {
  HWND hwnd = windowOf(event.window);
  if (hwnd == nullptr || !xwm::isStateChange(event)) return;
  xwm::ShowState state = xwm::showStateOf(event.window);
  user::noteManagerShowState(hwnd, state.maximized, state.minimized);
}

void handleEvent(XEvent& event) {
  x11::ServerLink& xServer = x11::connection().server;
  switch (event.type) {
    case PropertyNotify: propertyChanged(event.xproperty); break;
    case Expose:
      if (HWND hwnd = windowOf(event.xexpose.window); hwnd && event.xexpose.count == 0)
        xServer.shown[hwnd].exposed = true;
      break;
    case ConfigureNotify: configured(event.xconfigure); break;
    case KeyPress: keyEvent(event.xkey, true); break;
    case KeyRelease: keyEvent(event.xkey, false); break;
    case ButtonPress: buttonEvent(event.xbutton, true); break;
    case ButtonRelease: buttonEvent(event.xbutton, false); break;
    case MotionNotify: {
      while (XCheckTypedWindowEvent(xServer.display, event.xmotion.window, MotionNotify, &event)) {
      }
      InputEvent input;
      input.screen = screenPoint(event.xmotion.window, event.xmotion.x, event.xmotion.y);
      deliverInput(input);
      break;
    }
    case FocusIn:
      if (HWND hwnd = windowOf(event.xfocus.window); hwnd && !wantsOwnPlacement(hwnd) && IsWindowEnabled(hwnd))
        SetActiveWindow(hwnd);
      break;
    case ClientMessage:
      if (xdnd::clientMessage(event.xclient, windowOf(event.xclient.window))) break;
      if (event.xclient.message_type == xServer.protocols && Atom(event.xclient.data.l[0]) == xServer.deleteWindow) {
        InputEvent input;
        input.kind = InputEvent::Close;
        input.window = windowOf(event.xclient.window);
        deliverInput(input);
      }
      break;
    case SelectionNotify: xdnd::selectionNotify(event.xselection); break;
    default:
      break;
  }
}

void readEvents(int, unsigned) {
  x11::ServerLink& xServer = x11::connection().server;
  while (xServer.display != nullptr && XPending(xServer.display) > 0) {
    XEvent event;
    XNextEvent(xServer.display, &event);
    handleEvent(event);
  }
}

// Handles the events Xlib has already read off the connection (while it
// waited for a reply): they would not wake the loop. Those still on the
// connection wake it, so nothing else is read here.
void readQueuedEvents() {
  x11::ServerLink& xServer = x11::connection().server;
  while (xServer.display != nullptr && XEventsQueued(xServer.display, QueuedAlready) > 0) {
    XEvent event;
    XNextEvent(xServer.display, &event);
    handleEvent(event);
  }
}

// The server reads a shared image after the put has returned, so before
// anything is written into one again the server is let finish. Events read
// meanwhile are handled at once: the connection will not wake the loop for
// them.
// Otherwise what was asked is flushed, when anything was: a flush also
// tries to read the connection, a system call wasted on every wait.
void finishPresenting() {
  x11::ServerLink& xServer = x11::connection().server;
  if (xServer.sharedPutPending) {
    xServer.sharedPutPending = false;
    XSync(xServer.display, False);
    readEvents(0, 0);
  } else if (XNextRequest(xServer.display) != xServer.flushedRequest) {
    XFlush(xServer.display);
  }
  xServer.flushedRequest = XNextRequest(xServer.display);
}

// The window with the manager's frame (that of another window while this
// one is not framed yet: the manager frames windows alike).
bool outerRectWithManager(HWND hwnd, RECT* outer) {
  x11::ServerLink& xServer = x11::connection().server;
  auto found = xServer.shown.find(hwnd);
  RECT hidden = found != xServer.shown.end() ? found->second.hidden : hiddenFrameOf(hwnd);
  if (!hasSides(hidden) || !GetWindowRect(hwnd, outer)) return false;
  RECT extents = found != xServer.shown.end() ? xwm::frameExtentsOf(found->second.xid) : RECT{0, 0, 0, 0};
  for (auto it = xServer.shown.begin(); !hasSides(extents) && it != xServer.shown.end(); ++it)
    extents = xwm::frameExtentsOf(it->second.xid);
  // Nothing framed yet (a window placed at start-up while the manager is
  // still framing the first): leaving the frame out would let the frames
  // overlap once the manager has framed both, so it is asked.
  if (!hasSides(extents)) {
    auto framed = found != xServer.shown.end()
                      ? found
                      : std::find_if(xServer.shown.begin(), xServer.shown.end(),
                                     [](const auto& shown) { return hasSides(shown.second.hidden); });
    if (framed != xServer.shown.end()) extents = xwm::awaitFrameExtents(framed->second.xid);
  }
  *outer = outset(inset(*outer, hidden), extents);
  return true;
}

void askManager(HWND hwnd, int command) {
  x11::ServerLink& xServer = x11::connection().server;
  auto found = xServer.shown.find(hwnd);
  if (found == xServer.shown.end()) return;
  xwm::requestShow(found->second.xid, command, IsZoomed(hwnd));
}

bool trueColourVisual() {
  x11::ServerLink& xServer = x11::connection().server;
  xServer.visual = DefaultVisual(xServer.display, xServer.screen);
  xServer.depth = DefaultDepth(xServer.display, xServer.screen);
  if (xServer.visual->c_class != TrueColor) return false;
  xServer.red = channelOf(xServer.visual->red_mask);
  xServer.green = channelOf(xServer.visual->green_mask);
  xServer.blue = channelOf(xServer.visual->blue_mask);
  return xServer.red.bits <= 8 && xServer.green.bits <= 8 && xServer.blue.bits <= 8;
}

}  // namespace

void presentChanges() {
  x11::ServerLink& xServer = x11::connection().server;
  if (xServer.display == nullptr) return;
  readQueuedEvents();
  std::vector<HWND> visible;
  EnumWindows(collectVisible, reinterpret_cast<LPARAM>(&visible));
  for (auto it = xServer.shown.begin(); it != xServer.shown.end();) {
    bool keep = std::find(visible.begin(), visible.end(), it->first) != visible.end();
    if (keep) {
      ++it;
    } else {
      auto gone = it++;
      forget(gone);
    }
  }
  // Back to front, so that the front window is raised last.
  for (auto it = visible.rbegin(); it != visible.rend(); ++it) syncWindow(*it);
  syncCursor();
  finishPresenting();
  // The round trips above (properties, coordinates, the shared put's sync)
  // may have read events off the connection; the wait that follows would
  // not wake for them.
  readQueuedEvents();
}

bool openX11Presenter(const char* displayName) {
  x11::ServerLink& xServer = x11::connection().server;
  if (xServer.display != nullptr) return true;
  xServer.display = XOpenDisplay(displayName);
  if (xServer.display == nullptr) return false;
  xServer.screen = DefaultScreen(xServer.display);
  if (!trueColourVisual()) {
    XCloseDisplay(xServer.display);
    xServer.display = nullptr;
    return false;
  }
  xServer.images = x11::ImageServer{xServer.display, xServer.visual, xServer.depth, XShmQueryExtension(xServer.display) == True};
  xServer.deleteWindow = XInternAtom(xServer.display, "WM_DELETE_WINDOW", False);
  xServer.protocols = XInternAtom(xServer.display, "WM_PROTOCOLS", False);
  if (xwm::start(xServer.display, xServer.screen)) {
    setManagerDrawsFrames(true);
    setManagerShowRequest(askManager);
    setOuterRectQuery(outerRectWithManager);
  }
  xdnd::start(xServer.display);
  setDisplaySize(DisplayWidth(xServer.display, xServer.screen), DisplayHeight(xServer.display, xServer.screen));
  watchFd(ConnectionNumber(xServer.display), readEvents);
  setBeforeWaitHook(presentChanges);
  setMessageBoxesOnScreen(true);
  xServer.cursorGeneration = ~0u;
  return true;
}

void closeX11Presenter() {
  x11::ServerLink& xServer = x11::connection().server;
  if (xServer.display == nullptr) return;
  setBeforeWaitHook(nullptr);
  setMessageBoxesOnScreen(false);
  setManagerDrawsFrames(false);
  setManagerShowRequest(nullptr);
  setOuterRectQuery(nullptr);
  unwatchFd(ConnectionNumber(xServer.display));
  while (!xServer.shown.empty()) forget(xServer.shown.begin());
  xdnd::stop();
  for (Cursor& cursor : xServer.cursors) {
    if (cursor != 0) XFreeCursor(xServer.display, cursor);
    cursor = 0;
  }
  XCloseDisplay(xServer.display);
  xServer.display = nullptr;
}

bool x11PresenterOpen() { return x11::connection().server.display != nullptr; }


bool startPresenter(bool headless) {
  const char* name = std::getenv("DISPLAY");
  if (headless || name == nullptr || name[0] == 0) return false;
  return openX11Presenter(name);
}

}  // namespace platform
