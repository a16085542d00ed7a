// platform/tclloop.cpp -- watched file descriptors, the wait on them, and
// the window-message queue as a Tcl event source.
#include "platform/tclloop.h"

#include <poll.h>
#include <tcl.h>

#include <cerrno>
#include <map>
#include <set>
#include <vector>

#include "platform/clock.h"
#include "platform/windowstate.h"

namespace {

struct Watch {
  platform::FdCallback callback;
  unsigned events;
  uint64_t serial;  // tells a replaced watch from the one a poll saw
};

struct LoopState {
  std::map<int, Watch> watches;
  uint64_t nextSerial = 1;
  std::set<int> inCallback;     // fds whose callback is running: nested waits skip them
  bool tclInstalled = false;
  bool tclEventQueued = false;  // one queue event at a time in Tcl's queue
  void (*beforeWait)() = nullptr;
};
LoopState loop;

short pollEventsFor(unsigned events) {
  return short(((events & platform::kFdReadable) ? POLLIN : 0) |
               ((events & platform::kFdWritable) ? POLLOUT : 0));
}

// Hang-ups and errors count as readable, so the owner reads the end of file
// or the error and can unwatch.
unsigned readyEventsFor(short revents) {
  unsigned ready = 0;
  if (revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) ready |= platform::kFdReadable;
  if (revents & POLLOUT) ready |= platform::kFdWritable;
  return ready;
}

// Runs one watch's callback if the watch seen by the poll is still there.
bool runCallback(int fd, uint64_t serial, unsigned ready) {
  auto found = loop.watches.find(fd);
  if (found == loop.watches.end() || found->second.serial != serial) return false;
  ready &= found->second.events | platform::kFdReadable;
  if (ready == 0) return false;
  platform::FdCallback callback = found->second.callback;  // the watch may go away inside
  loop.inCallback.insert(fd);
  callback(fd, ready);
  loop.inCallback.erase(fd);
  return true;
}

// ---- Tcl

int tclMaskFor(unsigned events) {
  return ((events & platform::kFdReadable) ? TCL_READABLE : 0) |
         ((events & platform::kFdWritable) ? TCL_WRITABLE : 0);
}

void tclFileReady(ClientData clientData, int mask) {
  int fd = int(reinterpret_cast<intptr_t>(clientData));
  auto found = loop.watches.find(fd);
  if (found == loop.watches.end() || loop.inCallback.count(fd)) return;
  unsigned ready = 0;
  if (mask & (TCL_READABLE | TCL_EXCEPTION)) ready |= platform::kFdReadable;
  if (mask & TCL_WRITABLE) ready |= platform::kFdWritable;
  runCallback(fd, found->second.serial, ready);
}

void createTclFileHandler(int fd, unsigned events) {
  Tcl_CreateFileHandler(fd, tclMaskFor(events), tclFileReady,
                        reinterpret_cast<ClientData>(intptr_t(fd)));
}

bool dispatchableMessageReady() {
  MSG msg;
  return platform::user::retrieveMessage(&msg, nullptr, 0, 0, false, false);
}

int dispatchOneMessage(Tcl_Event*, int flags) {
  if (!(flags & TCL_WINDOW_EVENTS)) return 0;  // kept for a later Tcl_DoOneEvent
  loop.tclEventQueued = false;
  MSG msg;
  if (platform::user::retrieveMessage(&msg, nullptr, 0, 0, true, false)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 1;
}

// With the virtual clock a pending timer cannot be waited for in real time,
// so the notifier is told not to block for longer than the clock would.
void setupQueueSource(ClientData, int flags) {
  if (!(flags & TCL_WINDOW_EVENTS)) return;
  if (loop.beforeWait != nullptr) loop.beforeWait();
  Tcl_Time block{0, 0};
  if (dispatchableMessageReady()) {
    Tcl_SetMaxBlockTime(&block);
    return;
  }
  uint64_t due;
  if (!platform::user::nextTimerDue(nullptr, &due)) return;
  uint64_t now = platform::clockMs();
  uint64_t waitMs = due > now ? due - now : 0;
  block.sec = long(waitMs / 1000);
  block.usec = long(waitMs % 1000) * 1000;
  Tcl_SetMaxBlockTime(&block);
}

void checkQueueSource(ClientData, int flags) {
  if (!(flags & TCL_WINDOW_EVENTS) || loop.tclEventQueued) return;
  if (!dispatchableMessageReady()) return;
  Tcl_Event* event = reinterpret_cast<Tcl_Event*>(Tcl_Alloc(sizeof(Tcl_Event)));
  event->proc = dispatchOneMessage;
  event->nextPtr = nullptr;
  Tcl_QueueEvent(event, TCL_QUEUE_TAIL);
  loop.tclEventQueued = true;
}

int isQueueEvent(Tcl_Event* event, ClientData) { return event->proc == dispatchOneMessage; }

}  // namespace

namespace platform {

bool watchFd(int fd, FdCallback callback, unsigned events) {
  events &= kFdReadable | kFdWritable;
  if (fd < 0 || events == 0 || !callback) return false;
  loop.watches[fd] = Watch{std::move(callback), events, loop.nextSerial++};
  if (loop.tclInstalled) createTclFileHandler(fd, events);
  return true;
}

bool unwatchFd(int fd) {
  if (loop.watches.erase(fd) == 0) return false;
  if (loop.tclInstalled) Tcl_DeleteFileHandler(fd);
  return true;
}

bool isFdWatched(int fd) { return loop.watches.count(fd) != 0; }

bool hasWatchedFds() { return !loop.watches.empty(); }

void setBeforeWaitHook(void (*hook)()) { loop.beforeWait = hook; }

bool serviceWatchedFds(int timeoutMs) {
  if (loop.beforeWait != nullptr && loop.inCallback.empty()) {
    loop.beforeWait();
    // The hook reads what the display has already sent and may post from
    // it; those messages must not wait for the display's next event.
    if (dispatchableMessageReady()) timeoutMs = 0;
  }
  std::vector<pollfd> polled;
  std::vector<uint64_t> serials;
  for (const auto& [fd, watch] : loop.watches) {
    if (loop.inCallback.count(fd)) continue;
    polled.push_back(pollfd{fd, pollEventsFor(watch.events), 0});
    serials.push_back(watch.serial);
  }
  int ready = poll(polled.data(), polled.size(), timeoutMs);
  if (ready <= 0) return false;  // time-out, or a signal (EINTR): the caller waits again
  bool ran = false;
  for (size_t i = 0; i < polled.size(); ++i) {
    unsigned events = readyEventsFor(polled[i].revents);
    if (events != 0 && runCallback(polled[i].fd, serials[i], events)) ran = true;
  }
  return ran;
}

void installTclEventSource() {
  if (loop.tclInstalled) return;
  Tcl_CreateEventSource(setupQueueSource, checkQueueSource, nullptr);
  loop.tclInstalled = true;
  for (const auto& [fd, watch] : loop.watches) createTclFileHandler(fd, watch.events);
}

void removeTclEventSource() {
  if (!loop.tclInstalled) return;
  Tcl_DeleteEventSource(setupQueueSource, checkQueueSource, nullptr);
  Tcl_DeleteEvents(isQueueEvent, nullptr);
  loop.tclEventQueued = false;
  for (const auto& [fd, watch] : loop.watches) Tcl_DeleteFileHandler(fd);
  loop.tclInstalled = false;
}

bool tclEventSourceInstalled() { return loop.tclInstalled; }

bool quitMessagePending(int* exitCode) {
  int code = 0;
  if (!user::quitPosted(&code)) return false;
  if (exitCode != nullptr) *exitCode = code;
  return true;
}

}  // namespace platform
