// platform/x11/xwm.cpp -- the window manager's properties; see xwm.h.
#include "platform/x11/xwm.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/desktop.h"
#include "platform/winuser.h"
#include "platform/x11/xconnection.h"

namespace platform::xwm {
namespace {

using Atoms = x11::ManagerLink::Atoms;

// Motif's hint words: which fields are given, then the functions and the
// decorations allowed.
constexpr long kMotifFunctions = 1, kMotifDecorations = 2;
constexpr long kFunctionResize = 2, kFunctionMove = 4, kFunctionMinimize = 8, kFunctionMaximize = 16,
               kFunctionClose = 32;
constexpr long kDecorBorder = 2, kDecorResizeHandles = 4, kDecorTitle = 8, kDecorMenu = 16, kDecorMinimize = 32,
               kDecorMaximize = 64;

// How long a placement waits for the manager to say what frame it will give
// a window; it answers within a round trip or two.
constexpr auto kFrameAnswerWait = std::chrono::milliseconds(500);

Atom atom(const char* name) { return XInternAtom(x11::connection().manager.display, name, False); }

// The window named by a WINDOW property of `xid`, 0 when absent.
Window windowProperty(Window xid, Atom property) {
  x11::ManagerLink& wm = x11::connection().manager;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  Window found = 0;
  if (XGetWindowProperty(wm.display, xid, property, 0, 1, False, XA_WINDOW, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && format == 32 && count == 1)
    found = *reinterpret_cast<Window*>(data);
  if (data != nullptr) XFree(data);
  return found;
}

std::vector<long> cardinals(Window xid, Atom property, Atom wanted, long length) {
  x11::ManagerLink& wm = x11::connection().manager;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<long> values;
  if (XGetWindowProperty(wm.display, xid, property, 0, length, False, wanted, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && format == 32) {
    const long* words = reinterpret_cast<const long*>(data);
    values.assign(words, words + count);
  }
  if (data != nullptr) XFree(data);
  return values;
}

// A manager names a child window of its own on the root, and that window
// names itself again; a stale property left by a manager that died does not.
bool findManager() {
  x11::ManagerLink& wm = x11::connection().manager;
  Window check = windowProperty(wm.root, wm.atoms.supportingCheck);
  if (check == 0) return false;
  XErrorHandler previous = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Window self = windowProperty(check, wm.atoms.supportingCheck);
  XSync(wm.display, False);
  XSetErrorHandler(previous);
  return self == check;
}

// The manager's frame carries the boxes the window's style has; a window
// it does not frame asks for no decoration at all.
void setMotifHints(Window xid, const WindowFacts& facts) {
  x11::ManagerLink& wm = x11::connection().manager;
  long hints[5] = {kMotifDecorations, 0, 0, 0, 0};
  if (facts.framed) {
    long functions = kFunctionMove, decorations = kDecorBorder | kDecorTitle | kDecorMenu;
    if (facts.sizable) functions |= kFunctionResize, decorations |= kDecorResizeHandles;
    if (facts.minimizeBox) functions |= kFunctionMinimize, decorations |= kDecorMinimize;
    if (facts.maximizeBox) functions |= kFunctionMaximize, decorations |= kDecorMaximize;
    if (facts.closeBox) functions |= kFunctionClose;
    hints[0] = kMotifFunctions | kMotifDecorations;
    hints[1] = functions;
    hints[2] = decorations;
  }
  XChangeProperty(wm.display, xid, wm.atoms.motifHints, wm.atoms.motifHints, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(hints), 5);
}

void setSizeHints(Window xid, const WindowFacts& facts, const RECT& rect) {
  x11::ManagerLink& wm = x11::connection().manager;
  XSizeHints size{};
  size.flags = PPosition | USPosition | PWinGravity;
  size.x = rect.left;
  size.y = rect.top;
  size.win_gravity = StaticGravity;
  if (facts.minimum.x > 0 || facts.minimum.y > 0) {
    size.flags |= PMinSize;
    size.min_width = int(std::max(1L, long(facts.minimum.x)));
    size.min_height = int(std::max(1L, long(facts.minimum.y)));
  }
  if (facts.maximum.x > 0 && facts.maximum.y > 0) {
    size.flags |= PMaxSize;
    size.max_width = int(facts.maximum.x);
    size.max_height = int(facts.maximum.y);
  }
  if (!facts.sizable) {
    size.flags |= PMinSize | PMaxSize;
    size.min_width = size.max_width = int(std::max(1L, long(rect.right - rect.left)));
    size.min_height = size.max_height = int(std::max(1L, long(rect.bottom - rect.top)));
  }
  XSetWMNormalHints(wm.display, xid, &size);
}

void setClass(Window xid) {
  x11::ManagerLink& wm = x11::connection().manager;
  XClassHint hint;
  char name[] = "lumenfold", className[] = "Lumenfold";
  hint.res_name = name;
  hint.res_class = className;
  XSetClassHint(wm.display, xid, &hint);
}

void setIconProperty(Window xid) {
  x11::ManagerLink& wm = x11::connection().manager;
  const ProgramIcon& icon = programIcon();
  if (icon.argb.empty()) return;
  std::vector<long> words;
  words.reserve(icon.argb.size() + 2);
  words.push_back(icon.width);
  words.push_back(icon.height);
  for (uint32_t pixel : icon.argb) words.push_back(long(pixel));
  XChangeProperty(wm.display, xid, wm.atoms.wmIcon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(words.data()), int(words.size()));
}

// A _NET_WM_STATE change asked of the manager: 1 adds, 0 removes.
void sendState(Window xid, long action, Atom first, Atom second) {
  x11::ManagerLink& wm = x11::connection().manager;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = wm.atoms.wmState;
  event.xclient.format = 32;
  event.xclient.data.l[0] = action;
  event.xclient.data.l[1] = long(first);
  event.xclient.data.l[2] = long(second);
  event.xclient.data.l[3] = 1;  // from a normal application
  XSendEvent(wm.display, wm.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

}  // namespace

bool start(Display* display, int screen) {
  x11::ManagerLink& wm = x11::connection().manager;
  wm.display = display;
  wm.root = RootWindow(display, screen);
  wm.atoms = Atoms{atom("_NET_SUPPORTING_WM_CHECK"), atom("_NET_WM_NAME"), atom("UTF8_STRING"),
                   atom("_MOTIF_WM_HINTS"),          atom("_NET_WM_ICON"), atom("_NET_WM_STATE"),
                   atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ"),
                   atom("_NET_WM_STATE_HIDDEN"),     atom("_NET_FRAME_EXTENTS"), atom("_NET_REQUEST_FRAME_EXTENTS"),
                   atom("WM_CHANGE_STATE")};
  wm.manager = findManager();
  return wm.manager;
}

bool managerRuns() { return x11::connection().manager.manager; }

void describe(Window xid, const WindowFacts& facts, const RECT& rect) {
  x11::ManagerLink& wm = x11::connection().manager;
  setMotifHints(xid, facts);
  setSizeHints(xid, facts, rect);
  setClass(xid);
  retitle(xid, facts.title);
  setIconProperty(xid);
  if (facts.transientFor != 0) XSetTransientForHint(wm.display, xid, facts.transientFor);
}

// The title is ANSI text; its bytes below 128 are the same in UTF-8 and
// the others are taken as Latin-1, the Windows code page's near relative.
void retitle(Window xid, const std::string& title) {
  x11::ManagerLink& wm = x11::connection().manager;
  XStoreName(wm.display, xid, title.c_str());
  std::string utf8;
  for (unsigned char c : title) {
    if (c < 0x80) {
      utf8 += char(c);
    } else {
      utf8 += char(0xC0 | (c >> 6));
      utf8 += char(0x80 | (c & 0x3F));
    }
  }
  XChangeProperty(wm.display, xid, wm.atoms.wmName, wm.atoms.utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
}

void requestShow(Window xid, int command, bool maximized) {
  x11::ManagerLink& wm = x11::connection().manager;
  switch (command) {
    case SW_MINIMIZE:
      XIconifyWindow(wm.display, xid, DefaultScreen(wm.display));
      break;
    case SW_MAXIMIZE:
      sendState(xid, 1, wm.atoms.maxVert, wm.atoms.maxHorz);
      break;
    default:  // SW_RESTORE: out of the icon, else out of maximised
      XMapRaised(wm.display, xid);
      if (maximized) sendState(xid, 0, wm.atoms.maxVert, wm.atoms.maxHorz);
      break;
  }
}

bool isStateChange(const XPropertyEvent& event) { return event.atom == x11::connection().manager.atoms.wmState; }

ShowState showStateOf(Window xid) {
  x11::ManagerLink& wm = x11::connection().manager;
  ShowState state;
  bool vertical = false, horizontal = false;
  for (long value : cardinals(xid, wm.atoms.wmState, XA_ATOM, 32)) {
    Atom atom = Atom(value);
    vertical |= atom == wm.atoms.maxVert;
    horizontal |= atom == wm.atoms.maxHorz;
    state.minimized |= atom == wm.atoms.hidden;
  }
  state.maximized = vertical && horizontal;
  return state;
}

RECT frameExtentsOf(Window xid) {
  x11::ManagerLink& wm = x11::connection().manager;
  std::vector<long> sides = cardinals(xid, wm.atoms.frameExtents, XA_CARDINAL, 4);
  if (sides.size() != 4) return RECT{0, 0, 0, 0};
  return RECT{LONG(sides[0]), LONG(sides[2]), LONG(sides[1]), LONG(sides[3])};
}

RECT awaitFrameExtents(Window xid) {
  x11::ManagerLink& wm = x11::connection().manager;
  RECT extents = frameExtentsOf(xid);
  if (hasSides(extents)) return extents;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = xid;
  event.xclient.message_type = wm.atoms.requestFrameExtents;
  event.xclient.format = 32;
  XSendEvent(wm.display, wm.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
  const auto giveUp = std::chrono::steady_clock::now() + kFrameAnswerWait;
  while (!hasSides(extents) && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    XSync(wm.display, False);
    extents = frameExtentsOf(xid);
  }
  return extents;
}

}  // namespace platform::xwm
