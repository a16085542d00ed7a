// platform/x11/xdnd.cpp -- files dropped on our X windows by other programs.
//
// The exchange, for one drag: the source sends XdndEnter (the types it
// offers), XdndPosition as the pointer moves (each answered by XdndStatus:
// accepted or not), then XdndLeave or XdndDrop. On a drop we ask for the
// selection XdndSelection as "text/uri-list", read the answer from a
// property of our window, post the files and tell the source XdndFinished.
// A source that speaks a newer version than ours is ignored, as the
// protocol asks.
#include "platform/x11/xdnd.h"

#include <X11/Xatom.h>

#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/urilist.h"
#include "platform/winuser.h"
#include "platform/x11/xconnection.h"

namespace platform::xdnd {
namespace {

constexpr long kVersion = 5;
constexpr long kMaxOfferedTypes = 1024;

using Atoms = x11::DropTarget::Atoms;
using Drag = x11::DropTarget::Drag;

Atom intern(const char* name) { return XInternAtom(x11::connection().drop.display, name, False); }

// Sends a protocol message from our window `from` to the source.
void tell(Window source, Atom type, Window from, long l1, long l2, long l3, long l4) {
  x11::DropTarget& state = x11::connection().drop;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = state.display;
  event.xclient.window = source;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(from);
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  XSendEvent(state.display, source, False, NoEventMask, &event);
  XFlush(state.display);
}

void finish(bool accepted) {
  x11::DropTarget& state = x11::connection().drop;
  const Drag& drag = state.drag;
  tell(drag.source, state.atoms.finished, drag.target, accepted ? 1 : 0,
       accepted ? long(state.atoms.actionCopy) : long(None), 0, 0);
  state.drag = Drag{};
}

// Whether the source's XdndTypeList (more than three types) holds the
// uri-list type; at most kMaxOfferedTypes are read.
bool typeListOffersUriList(Window source) {
  x11::DropTarget& state = x11::connection().drop;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(state.display, source, state.atoms.typeList, 0, kMaxOfferedTypes, False, XA_ATOM,
                         &type, &format, &count, &after, &data) != Success)
    return false;
  bool found = false;
  if (type == XA_ATOM && format == 32) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count && !found; i++) found = atoms[i] == state.atoms.uriList;
  }
  if (data != nullptr) XFree(data);
  return found;
}

void entered(const XClientMessageEvent& event, HWND top) {
  x11::DropTarget& state = x11::connection().drop;
  long version = (event.data.l[1] >> 24) & 0xFF;
  state.drag = Drag{};
  if (version > kVersion) return;
  Drag& drag = state.drag;
  drag.source = Window(event.data.l[0]);
  drag.target = event.window;
  drag.top = top;
  if (event.data.l[1] & 1) {
    drag.offersUriList = typeListOffersUriList(drag.source);
  } else {
    for (int i = 2; i <= 4; i++) drag.offersUriList |= Atom(event.data.l[i]) == state.atoms.uriList;
  }
}

bool fromCurrentSource(const XClientMessageEvent& event) {
  x11::DropTarget& state = x11::connection().drop;
  return state.drag.source != 0 && Window(event.data.l[0]) == state.drag.source &&
         event.window == state.drag.target;
}

// Answers with an empty rectangle, so the source keeps telling us where the
// pointer is: whether we accept depends on the window under it.
void moved(const XClientMessageEvent& event) {
  x11::DropTarget& state = x11::connection().drop;
  Drag& drag = state.drag;
  drag.at = POINT{LONG((event.data.l[2] >> 16) & 0xFFFF), LONG(event.data.l[2] & 0xFFFF)};
  drag.accepting = drag.offersUriList && dropTargetAt(drag.top, drag.at) != nullptr;
  tell(drag.source, state.atoms.status, drag.target, (drag.accepting ? 1 : 0) | 2, 0, 0,
       drag.accepting ? long(state.atoms.actionCopy) : long(None));
}

void dropped(const XClientMessageEvent& event) {
  x11::DropTarget& state = x11::connection().drop;
  Drag& drag = state.drag;
  if (!drag.accepting) {
    finish(false);
    return;
  }
  drag.awaitingData = true;
  XConvertSelection(state.display, state.atoms.selection, state.atoms.uriList, state.atoms.received,
                    drag.target, Time(event.data.l[2]));
  XFlush(state.display);
}

// The property holding the dropped list, read whole and deleted; false when
// it is missing, sent in pieces or longer than a list may be.
bool readReceived(std::string* list) {
  x11::DropTarget& state = x11::connection().drop;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long words = long(kMaxUriListBytes / 4 + 1);
  if (XGetWindowProperty(state.display, state.drag.target, state.atoms.received, 0, words, True,
                         AnyPropertyType, &type, &format, &count, &after, &data) != Success)
    return false;
  bool whole = data != nullptr && type != state.atoms.incremental && format == 8 && after == 0 &&
               count <= kMaxUriListBytes;
  if (whole) list->assign(reinterpret_cast<const char*>(data), count);
  if (data != nullptr) XFree(data);
  // X deletes the property only when it was read to its end.
  if (after != 0) XDeleteProperty(state.display, state.drag.target, state.atoms.received);
  return whole;
}

// Posts the files of the list to the window under the drop point.
bool deliver(const std::string& list) {
  x11::DropTarget& state = x11::connection().drop;
  std::vector<std::string> paths;
  if (!parseFileUriList(list, &paths) || paths.empty()) return false;
  HWND target = dropTargetAt(state.drag.top, state.drag.at);
  if (target == nullptr) return false;
  POINT client = state.drag.at;
  ScreenToClient(target, &client);
  return dropFiles(target, paths, client);
}

}  // namespace

void start(Display* display) {
  x11::DropTarget& state = x11::connection().drop;
  state = x11::DropTarget{};
  state.display = display;
  Atoms& a = state.atoms;
  a.aware = intern("XdndAware");
  a.enter = intern("XdndEnter");
  a.position = intern("XdndPosition");
  a.status = intern("XdndStatus");
  a.leave = intern("XdndLeave");
  a.drop = intern("XdndDrop");
  a.finished = intern("XdndFinished");
  a.selection = intern("XdndSelection");
  a.typeList = intern("XdndTypeList");
  a.actionCopy = intern("XdndActionCopy");
  a.uriList = intern("text/uri-list");
  a.incremental = intern("INCR");
  a.received = intern("LUMENFOLD_DROPPED");
}

void stop() { x11::connection().drop = x11::DropTarget{}; }

void advertise(Window xid, bool aware) {
  x11::DropTarget& state = x11::connection().drop;
  if (state.display == nullptr) return;
  if (aware) {
    long version = kVersion;
    XChangeProperty(state.display, xid, state.atoms.aware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
  } else {
    XDeleteProperty(state.display, xid, state.atoms.aware);
  }
}

bool clientMessage(const XClientMessageEvent& event, HWND top) {
  x11::DropTarget& state = x11::connection().drop;
  const Atoms& a = state.atoms;
  Atom type = event.message_type;
  if (state.display == nullptr || event.format != 32) return false;
  if (type == a.enter) {
    if (top != nullptr) entered(event, top);
  } else if (type == a.position) {
    if (fromCurrentSource(event) && !state.drag.awaitingData) moved(event);
  } else if (type == a.leave) {
    if (fromCurrentSource(event)) state.drag = Drag{};
  } else if (type == a.drop) {
    if (fromCurrentSource(event) && !state.drag.awaitingData) dropped(event);
  } else {
    return false;
  }
  return true;
}

bool selectionNotify(const XSelectionEvent& event) {
  x11::DropTarget& state = x11::connection().drop;
  const Drag& drag = state.drag;
  if (!drag.awaitingData || event.requestor != drag.target || event.selection != state.atoms.selection)
    return false;
  std::string list;
  bool delivered = event.property != None && readReceived(&list) && deliver(list);
  finish(delivered);
  return true;
}

}  // namespace platform::xdnd
