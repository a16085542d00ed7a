// platform/x11/xconnection.h -- the X presenter's one record: everything the
// presenter and its helpers keep about the X display they show windows on.
// Private to platform/x11; program code never includes it.
//
// Owns the record's layout; each member is written by one module:
//   server        xpresenter.cpp  the connection, its visual, cursors and shown windows
//   shmErrorSeen  ximage.cpp      Xlib's error handler takes no argument of
//                                 ours, so its finding waits here
//   manager       xwm.cpp         the window manager's atoms and whether one runs
//   drop          xdnd.cpp        the drag-and-drop atoms and the drag in progress
// Every member describes the same connection: opened together by
// openX11Presenter, and let go together when it closes.
#ifndef LUMENFOLD_PLATFORM_X11_XCONNECTION_H
#define LUMENFOLD_PLATFORM_X11_XCONNECTION_H

#include <X11/Xlib.h>

#include <cstdint>
#include <map>
#include <string>

#include "platform/resources.h"
#include "platform/wintypes.h"
#include "platform/x11/ximage.h"

namespace platform::x11 {

// One X window standing for one visible top-level window.
struct Shown {
  Window xid = 0;
  RECT rect{};             // of the X window as last given to X, screen coordinates
  RECT hidden{};           // our frame on each side that the X window leaves out
  std::string title;
  WindowImage image;       // its composed picture, as the server last got it
  bool exposed = true;      // X asks for its pixels again
  bool dropAware = false;   // offered to drag-and-drop sources as a target
};

struct Channel {
  int shift = 0, bits = 0;
};

// The link to the X server: the display and its visual, the atoms and
// cursors made on it, and the windows shown there.
struct ServerLink {
  Display* display = nullptr;
  int screen = 0;
  Visual* visual = nullptr;
  int depth = 0;
  Channel red, green, blue;
  ImageServer images;
  bool sharedPutPending = false;  // an image sent through shared memory since the last sync
  unsigned long flushedRequest = 0;  // XNextRequest when the requests were last flushed
  Atom deleteWindow = 0, protocols = 0;
  std::map<HWND, Shown> shown;
  uint32_t cursorGeneration = ~0u;
  Cursor cursors[int(PointerShape::Hidden) + 1] = {};
};

// What the window manager is told through, and whether one runs.
struct ManagerLink {
  struct Atoms {
    Atom supportingCheck, wmName, utf8, motifHints, wmIcon, wmState, maxVert, maxHorz, hidden,
        frameExtents, requestFrameExtents, changeState;
  };
  Display* display = nullptr;
  Window root = 0;
  Atoms atoms{};
  bool manager = false;
};

// The drop target's side of the drag-and-drop protocol.
struct DropTarget {
  struct Atoms {
    Atom aware, enter, position, status, leave, drop, finished;
    Atom selection, typeList, actionCopy, uriList, incremental, received;
  };
  // The drag in progress over one of our windows.
  struct Drag {
    Window source = 0;          // 0: no drag
    Window target = 0;          // our X window under the pointer
    HWND top = nullptr;         // the top-level window it shows
    bool offersUriList = false;
    bool accepting = false;     // as the last XdndStatus said
    bool awaitingData = false;  // dropped; the selection is on its way
    POINT at{0, 0};             // the pointer, root (screen) coordinates
  };
  Display* display = nullptr;   // null until started
  Atoms atoms{};
  Drag drag;
};

struct Connection {
  ServerLink server;
  bool shmErrorSeen = false;  // the last shared-memory attach was refused
  ManagerLink manager;
  DropTarget drop;
};

Connection& connection();

}  // namespace platform::x11

#endif
