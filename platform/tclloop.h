// platform/tclloop.h -- the outside sources that wake the message loop: file
// descriptors (sockets, a presenter's display connection, a wake-up pipe)
// and the Tcl event loop, which the window-message queue joins as an event
// source.
//
// Owns: the table of watched file descriptors and their callbacks, the one
// wait on them that GetMessageA and WaitMessage use, and the Tcl event source
// that lets Tcl_DoOneEvent dispatch window messages. It does not own the
// queue itself (winuser.h).
//
// Everything runs on the program's one thread. Another thread wakes the loop
// by writing to a pipe that the loop watches; the callback then posts.
#ifndef LUMENFOLD_PLATFORM_TCLLOOP_H
#define LUMENFOLD_PLATFORM_TCLLOOP_H

#include <functional>

namespace platform {

enum FdEvent : unsigned {
  kFdReadable = 1,
  kFdWritable = 2,
};

// Called with the fd and the FdEvent bits found ready.
using FdCallback = std::function<void(int fd, unsigned readyEvents)>;

// Watches `fd` for `events`; a second watch of the same fd replaces the
// first. Readiness is level-triggered: the callback is called on every wait
// that finds the fd ready, so it must consume the data or unwatch the fd. A
// callback may watch and unwatch any fd, itself included. False for a
// negative fd, no events or an empty callback.
bool watchFd(int fd, FdCallback callback, unsigned events = kFdReadable);

// Stops watching; false when the fd was not watched.
bool unwatchFd(int fd);

bool isFdWatched(int fd);

// Waits at most timeoutMs (-1: without end) for a watched fd to become ready
// and runs the callbacks of those that are. True when a callback ran. The
// queue calls it; a nested call from inside a callback polls nothing and
// returns false.
bool serviceWatchedFds(int timeoutMs);

bool hasWatchedFds();

// Called at the start of every wait, before the fds are polled (a display
// presenter shows what changed); null removes it.
void setBeforeWaitHook(void (*hook)());

// Makes the window-message queue an event source of the Tcl notifier (window
// events: TCL_WINDOW_EVENTS), so that each Tcl_DoOneEvent that handles one
// takes one message off the queue, translates and dispatches it. The watched
// fds become Tcl file handlers while installed. WM_QUIT is never taken by
// Tcl: it waits in the queue for GetMessageA, and the loop that runs Tcl asks
// quitMessagePending to know when to stop. Call after Tcl is initialised
// (Tcl_FindExecutable or an interpreter); installing twice does nothing.
void installTclEventSource();
void removeTclEventSource();
bool tclEventSourceInstalled();

// True when PostQuitMessage has been called and WM_QUIT not yet taken; the
// exit code goes to *exitCode when given.
bool quitMessagePending(int* exitCode = nullptr);

}  // namespace platform

#endif
