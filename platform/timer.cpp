// platform/timer.cpp -- SetTimer and KillTimer, and the WM_TIMER messages
// the queue makes from them.
//
// A timer holds no message in the queue: when the queue has nothing else to
// give, the earliest due timer becomes a WM_TIMER and, once taken off the
// queue, starts its next interval from that moment. So a late timer fires
// once, not once per missed interval, as the original's does.
#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "platform/userstate.h"

namespace platform::user {
namespace {

constexpr UINT kMinimumElapse = 10;  // ms; shorter intervals are raised to it

Timer* findTimer(HWND hwnd, UINT_PTR id) {
  TimerState& state = windowSystem().timers;
  for (Timer& timer : state.timers) {
    if (timer.hwnd == hwnd && timer.id == id) return &timer;
  }
  return nullptr;
}

UINT_PTR freshWindowlessId() {
  TimerState& state = windowSystem().timers;
  while (state.nextWindowlessId == 0 || findTimer(nullptr, state.nextWindowlessId))
    ++state.nextWindowlessId;
  return state.nextWindowlessId++;
}

}  // namespace

void killTimersOf(HWND hwnd) {
  TimerState& state = windowSystem().timers;
  std::erase_if(state.timers, [hwnd](const Timer& timer) { return timer.hwnd == hwnd; });
}

bool nextTimerDue(HWND filter, uint64_t* dueMs) {
  TimerState& state = windowSystem().timers;
  bool found = false;
  for (const Timer& timer : state.timers) {
    if (!passesWindowFilter(timer.hwnd, filter)) continue;
    if (!found || timer.due < *dueMs) *dueMs = timer.due;
    found = true;
  }
  return found;
}

bool takeDueTimer(HWND filter, bool remove, MSG* msg) {
  TimerState& state = windowSystem().timers;
  uint64_t now = platform::clockMs();
  Timer* chosen = nullptr;
  for (Timer& timer : state.timers) {
    if (timer.due > now || !passesWindowFilter(timer.hwnd, filter)) continue;
    if (chosen == nullptr || timer.due < chosen->due ||
        (timer.due == chosen->due && timer.serial < chosen->serial))
      chosen = &timer;
  }
  if (chosen == nullptr) return false;
  *msg = MSG{chosen->hwnd, WM_TIMER, chosen->id, reinterpret_cast<LPARAM>(chosen->proc),
             DWORD(now), cursorPosition()};
  if (remove) chosen->due = now + chosen->elapse;
  return true;
}

bool isLiveTimerProc(HWND hwnd, UINT_PTR id, LPARAM proc) {
  Timer* timer = findTimer(hwnd, id);
  return timer != nullptr && reinterpret_cast<LPARAM>(timer->proc) == proc;
}

}  // namespace platform::user

using namespace platform::user;

// A window timer answers with its id (1 for the id 0, which then still
// names it in KillTimer); a timer without a window gets a fresh id unless
// `id` names one of its own kind already, which is then reset.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  TimerState& state = windowSystem().timers;
  if (hwnd != nullptr && (findWindow(hwnd) == nullptr || isDesktop(hwnd))) return 0;
  UINT elapse = std::clamp<UINT>(elapseMs, kMinimumElapse, 0x7FFFFFFF);
  uint64_t due = platform::clockMs() + elapse;
  if (hwnd == nullptr && (id == 0 || findTimer(nullptr, id) == nullptr)) id = freshWindowlessId();
  if (Timer* existing = findTimer(hwnd, id)) {
    existing->elapse = elapse;
    existing->proc = proc;
    existing->due = due;
  } else {
    state.timers.push_back(Timer{hwnd, id, elapse, proc, due, state.nextSerial++});
  }
  return id != 0 ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  TimerState& state = windowSystem().timers;
  auto found = std::find_if(state.timers.begin(), state.timers.end(), [&](const Timer& timer) {
    return timer.hwnd == hwnd && timer.id == id;
  });
  if (found == state.timers.end()) return FALSE;
  state.timers.erase(found);
  return TRUE;
}
