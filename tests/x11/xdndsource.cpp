// tests/x11/xdndsource.cpp -- a drag-and-drop source for the X display
// tests: it drags files onto whatever top-level window is at a root point,
// speaking the X drag-and-drop protocol (version 5) as another program
// would, and prints what the target answers.
//
// Usage: xdndsource X Y [--offer TYPE] [--type-list] [--list TEXT] PATH...
// It offers TYPE (default "text/uri-list") for the paths, as file URIs
// with every byte outside letters, digits, "/-._~" percent-escaped, or the
// TEXT given as it is. With --type-list the type is offered among three
// others, in the source's type list rather than in the XdndEnter message.
// It prints "status accepted=N", then, after a drop, "finished accepted=N"
// (a refused drag is left with XdndLeave). Exit status 0 when the target
// answered each step, 1 when it did not (or no window there takes drops).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/select.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr long kVersion = 5;
// How long the target may take to show up and to answer: long, since a
// sanitized build on a slow, loaded machine answers late.
constexpr int kPatienceMs = 30000;

struct Source {
  Display* display = nullptr;
  Window root = 0, window = 0, target = 0;
  Atom offered = 0, uriList = 0, selection = 0, actionCopy = 0;
  std::string data;  // what the selection converts to
};

std::string fileUri(const std::string& path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-._~", c) != nullptr) {
      uri += char(c);
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

Atom atom(Source& s, const char* name) { return XInternAtom(s.display, name, False); }

void send(Source& s, const char* type, long l1, long l2, long l3, long l4) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = s.target;
  event.xclient.message_type = atom(s, type);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(s.window);
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  XSendEvent(s.display, s.target, False, NoEventMask, &event);
  XFlush(s.display);
}

// Gives the selection's data to whoever asks for the offered type.
void answerRequest(Source& s, const XSelectionRequestEvent& request) {
  XEvent reply{};
  reply.xselection.type = SelectionNotify;
  reply.xselection.requestor = request.requestor;
  reply.xselection.selection = request.selection;
  reply.xselection.target = request.target;
  reply.xselection.time = request.time;
  reply.xselection.property = None;
  if (request.target == s.offered && request.property != None) {
    XChangeProperty(s.display, request.requestor, request.property, s.offered, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(s.data.data()), int(s.data.size()));
    reply.xselection.property = request.property;
  }
  XSendEvent(s.display, request.requestor, False, NoEventMask, &reply);
  XFlush(s.display);
}

bool waitForEvent(Source& s, int ms) {
  if (XPending(s.display) > 0) return true;
  fd_set fds;
  FD_ZERO(&fds);
  FD_SET(ConnectionNumber(s.display), &fds);
  timeval timeout{ms / 1000, (ms % 1000) * 1000};
  return select(ConnectionNumber(s.display) + 1, &fds, nullptr, nullptr, &timeout) > 0;
}

// Waits for the target's message `type`, answering selection requests
// meanwhile; its data.l[1] word, or -1 on time-out.
long awaitMessage(Source& s, const char* type) {
  Atom wanted = atom(s, type);
  for (int waited = 0; waited < kPatienceMs; waited += 50) {
    if (!waitForEvent(s, 50)) continue;
    while (XPending(s.display) > 0) {
      XEvent event;
      XNextEvent(s.display, &event);
      if (event.type == SelectionRequest) answerRequest(s, event.xselectionrequest);
      if (event.type == ClientMessage && event.xclient.message_type == wanted &&
          Window(event.xclient.data.l[0]) == s.target)
        return event.xclient.data.l[1];
    }
  }
  return -1;
}

// The top-level window at the root point when it announces the protocol.
Window awareWindowAt(Source& s, int x, int y) {
  Window child = 0;
  int tx, ty;
  XTranslateCoordinates(s.display, s.root, s.root, x, y, &tx, &ty, &child);
  if (child == 0) return 0;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(s.display, child, atom(s, "XdndAware"), 0, 1, False, XA_ATOM, &type, &format, &count,
                     &after, &data);
  bool aware = type == XA_ATOM && count == 1 && *reinterpret_cast<long*>(data) >= 3;
  if (data != nullptr) XFree(data);
  return aware ? child : 0;
}

// Puts the offered type among others in the source's XdndTypeList.
void publishTypeList(Source& s) {
  Atom types[] = {atom(s, "text/plain"), atom(s, "UTF8_STRING"), atom(s, "STRING"), s.offered};
  XChangeProperty(s.display, s.window, atom(s, "XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(types), 4);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: xdndsource X Y [--offer TYPE] [--type-list] [--list TEXT] PATH...\n");
    return 2;
  }
  Source s;
  s.display = XOpenDisplay(nullptr);
  if (s.display == nullptr) return 1;
  int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
  const char* offered = "text/uri-list";
  bool typeList = false;
  for (int i = 3; i < argc; i++) {
    if (std::strcmp(argv[i], "--offer") == 0 && i + 1 < argc) {
      offered = argv[++i];
    } else if (std::strcmp(argv[i], "--list") == 0 && i + 1 < argc) {
      s.data += argv[++i];
    } else if (std::strcmp(argv[i], "--type-list") == 0) {
      typeList = true;
    } else {
      s.data += fileUri(argv[i]) + "\r\n";
    }
  }
  s.root = DefaultRootWindow(s.display);
  s.window = XCreateWindow(s.display, s.root, 0, 0, 1, 1, 0, 0, InputOnly, CopyFromParent, 0, nullptr);
  s.offered = atom(s, offered);
  if (typeList) publishTypeList(s);
  s.selection = atom(s, "XdndSelection");
  s.actionCopy = atom(s, "XdndActionCopy");
  XSetSelectionOwner(s.display, s.selection, s.window, CurrentTime);

  for (int waited = 0; waited < kPatienceMs && s.target == 0; waited += 100) {
    s.target = awareWindowAt(s, x, y);
    if (s.target == 0) waitForEvent(s, 100);
  }
  if (s.target == 0) {
    std::printf("no window takes drops there\n");
    return 1;
  }
  if (typeList) {
    send(s, "XdndEnter", (kVersion << 24) | 1, 0, 0, 0);
  } else {
    send(s, "XdndEnter", kVersion << 24, long(s.offered), 0, 0);
  }
  send(s, "XdndPosition", 0, (long(x) << 16) | y, CurrentTime, long(s.actionCopy));
  long status = awaitMessage(s, "XdndStatus");
  if (status < 0) return 1;
  std::printf("status accepted=%ld\n", status & 1);
  std::fflush(stdout);
  if (!(status & 1)) {
    send(s, "XdndLeave", 0, 0, 0, 0);
    XCloseDisplay(s.display);
    return 0;
  }
  send(s, "XdndDrop", 0, CurrentTime, 0, 0);
  long finished = awaitMessage(s, "XdndFinished");
  if (finished < 0) return 1;
  std::printf("finished accepted=%ld\n", finished & 1);
  XCloseDisplay(s.display);
  return 0;
}
