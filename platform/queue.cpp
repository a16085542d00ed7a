// platform/queue.cpp -- the program's one message queue: posting, sending,
// getting and peeking with filters, translating and dispatching, and the
// time and position of the last message taken.
//
// Order of retrieval, as the original gives it: posted messages first in
// FIFO order, then WM_QUIT, then WM_PAINT for a window with an update region,
// then WM_TIMER for a due timer. WM_PAINT and WM_TIMER are never stored:
// they are made when nothing else waits. Sent messages call the procedure at
// once (one thread). Waiting blocks in the watched-fd wait (tclloop.h) until
// the next timer is due, never spinning.
#include <climits>
#include <deque>

#include "platform/clock.h"
#include "platform/devinput.h"
#include "platform/fatal.h"
#include "platform/tclloop.h"
#include "platform/userstate.h"

namespace platform::user {
namespace {

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(intptr_t(-1));

bool passesRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

bool isValidFilter(HWND filter) {
  return filter == nullptr || filter == kThreadMessagesOnly || findWindow(filter) != nullptr;
}

MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{hwnd, message, wParam, lParam, GetTickCount(), cursorPosition()};
}

[[noreturn]] void stopWithNothingToWaitFor(const char* function) {
  zmFatal(function, "the queue is empty and nothing can fill it (virtual clock, no timer, no watched file)");
}

// Waits until a watched fd has been serviced or the next wanted timer is
// due. The virtual clock jumps to that timer at once.
void waitForWork(const char* function, HWND filter, bool wantTimers) {
  uint64_t due = 0;
  bool timerPending = wantTimers && nextTimerDue(filter, &due);
  uint64_t now = platform::clockMs();
  uint64_t untilDue = due > now ? due - now : 0;
  if (platform::virtualClockInUse()) {
    if (platform::serviceWatchedFds(0)) return;
    if (timerPending) {
      platform::advanceClock(untilDue);
      return;
    }
    if (!platform::hasWatchedFds()) stopWithNothingToWaitFor(function);
    platform::serviceWatchedFds(-1);
    return;
  }
  int timeout = timerPending ? int(std::min<uint64_t>(untilDue, INT_MAX)) : -1;
  platform::serviceWatchedFds(timeout);
}

void noteTaken(const MSG& msg) {
  QueueState& queue = windowSystem().queue;
  queue.lastMessageTime = msg.time;
  queue.lastMessagePos = msg.pt;
  noteRetrievedInput(msg);
}

bool wantsTimers(UINT filterMin, UINT filterMax) {
  return passesRange(WM_TIMER, filterMin, filterMax);
}

}  // namespace

bool passesWindowFilter(HWND messageWindow, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == kThreadMessagesOnly) return messageWindow == nullptr;
  return messageWindow == filter;
}

void discardMessagesFor(HWND hwnd) {
  QueueState& queue = windowSystem().queue;
  std::erase_if(queue.posted, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
}

bool retrieveMessage(MSG* msg, HWND filter, UINT filterMin, UINT filterMax, bool remove,
                     bool includeQuit) {
  QueueState& queue = windowSystem().queue;
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!passesWindowFilter(it->hwnd, filter) || !passesRange(it->message, filterMin, filterMax))
      continue;
    ZM_ASSERT(it->hwnd == nullptr || findWindow(it->hwnd) != nullptr,
              "a window's posted messages go with the window");
    *msg = *it;
    if (remove) {
      queue.posted.erase(it);
      noteTaken(*msg);
    }
    return true;
  }
  if (includeQuit && queue.quitPosted && passesWindowFilter(nullptr, filter) &&
      passesRange(WM_QUIT, filterMin, filterMax)) {
    *msg = makeMessage(nullptr, WM_QUIT, WPARAM(queue.quitCode), 0);
    if (remove) {
      queue.quitPosted = false;
      noteTaken(*msg);
    }
    return true;
  }
  HWND toPaint;
  if (passesRange(WM_PAINT, filterMin, filterMax) && findWindowToPaint(filter, &toPaint)) {
    *msg = makeMessage(toPaint, WM_PAINT, 0, 0);
    if (remove) noteTaken(*msg);
    return true;
  }
  if (wantsTimers(filterMin, filterMax) && takeDueTimer(filter, remove, msg)) {
    if (remove) noteTaken(*msg);
    return true;
  }
  return false;
}

bool quitPosted(int* exitCode) {
  QueueState& queue = windowSystem().queue;
  if (queue.quitPosted) *exitCode = queue.quitCode;
  return queue.quitPosted;
}

}  // namespace platform::user

using namespace platform::user;

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  QueueState& queue = windowSystem().queue;
  if (hwnd != nullptr && findWindow(hwnd) == nullptr) return FALSE;
  queue.posted.push_back(makeMessage(hwnd, msg, wParam, lParam));
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  QueueState& queue = windowSystem().queue;
  queue.quitPosted = true;
  queue.quitCode = exitCode;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return callWindowProc(hwnd, msg, wParam, lParam);
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (msg == nullptr || !isValidFilter(hwnd)) return FALSE;
  platform::serviceWatchedFds(0);
  return retrieveMessage(msg, hwnd, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0, true);
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (msg == nullptr || !isValidFilter(hwnd)) return -1;
  for (;;) {
    platform::serviceWatchedFds(0);
    if (retrieveMessage(msg, hwnd, filterMin, filterMax, true, true))
      return msg->message == WM_QUIT ? FALSE : TRUE;
    if (!isValidFilter(hwnd)) return -1;  // the filter window went away meanwhile
    waitForWork("GetMessageA", hwnd, wantsTimers(filterMin, filterMax));
  }
}

BOOL WaitMessage() {
  MSG msg;
  while (!retrieveMessage(&msg, nullptr, 0, 0, false, true)) {
    waitForWork("WaitMessage", nullptr, true);
    platform::serviceWatchedFds(0);
  }
  return TRUE;
}

// The character goes to the front of the queue so that it is handled
// before any message that came after the key press.
BOOL TranslateMessage(const MSG* msg) {
  QueueState& queue = windowSystem().queue;
  if (msg == nullptr) return FALSE;
  UINT message = msg->message;
  if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN)
    return message == WM_KEYUP || message == WM_SYSKEYUP;
  char character;
  int typed = platform::layoutCharacter(msg->lParam);
  if (typed >= 0) character = char(typed);
  if (typed >= 0 ? typed != 0 : characterForKey(UINT(msg->wParam), &character)) {
    MSG typed = *msg;
    typed.message = message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    typed.wParam = WPARAM(static_cast<unsigned char>(character));
    queue.posted.push_front(typed);
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    if (!isLiveTimerProc(msg->hwnd, msg->wParam, msg->lParam)) return 0;
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  return callWindowProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LONG GetMessageTime() { return LONG(windowSystem().queue.lastMessageTime); }

DWORD GetMessagePos() {
  QueueState& queue = windowSystem().queue;
  return DWORD(MAKELONG(WORD(queue.lastMessagePos.x), WORD(queue.lastMessagePos.y)));
}

BOOL InSendMessage() { return FALSE; }
