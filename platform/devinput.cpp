// platform/devinput.cpp -- device events to window messages, and the test
// input queue that the message loop drains through a watched pipe.
#include "platform/devinput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>

#include "platform/clock.h"
#include "platform/tclloop.h"
#include "platform/userstate.h"

namespace platform {
namespace {

constexpr int kMouseNoActivate = 3;  // WM_MOUSEACTIVATE's "leave activation alone"
// A second press this soon after the first is a double click.
constexpr uint64_t kDoubleClickMs = 500;

using user::Press;

WPARAM buttonFlag(int button) {
  return button == 1 ? MK_LBUTTON : button == 2 ? MK_MBUTTON : MK_RBUTTON;
}

UINT clientButtonMessage(int button, bool down) {
  if (button == 1) return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
  if (button == 2) return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
  return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
}

UINT doubleClickMessage(int button) {
  return button == 1 ? WM_LBUTTONDBLCLK : button == 2 ? WM_MBUTTONDBLCLK : WM_RBUTTONDBLCLK;
}

// The message of a press in the client area: a double click when the same
// button pressed the same window a moment before near the same point and
// the window's class asks for double clicks. The press after a double
// click begins anew.
UINT clientPressMessage(HWND target, int button, POINT screen) {
  user::DeviceState& device = user::windowSystem().devices;
  const uint64_t now = clockMs();
  const Press& last = device.lastPress;
  const int slack = GetSystemMetrics(SM_CXDOUBLECLK) / 2;
  const bool again = last.window == target && last.button == button && now - last.timeMs <= kDoubleClickMs &&
                     std::abs(screen.x - last.screen.x) <= slack && std::abs(screen.y - last.screen.y) <= slack;
  if (again && (GetClassLongPtrA(target, GCL_STYLE) & CS_DBLCLKS) != 0) {
    device.lastPress = Press{};
    return doubleClickMessage(button);
  }
  device.lastPress = Press{target, button, now, screen};
  return clientButtonMessage(button, true);
}

UINT frameButtonMessage(int button, bool down) {
  if (button == 3) return down ? WM_NCRBUTTONDOWN : WM_NCRBUTTONUP;
  return down ? WM_NCLBUTTONDOWN : WM_NCLBUTTONUP;
}

WPARAM modifierFlags() {
  user::DeviceState& device = user::windowSystem().devices;
  WPARAM flags = device.buttons;
  if (GetKeyState(VK_SHIFT) < 0) flags |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) flags |= MK_CONTROL;
  return flags;
}

LPARAM pointParam(POINT p) { return MAKELPARAM(WORD(SHORT(p.x)), WORD(SHORT(p.y))); }

void postClientMouse(HWND hwnd, UINT message, POINT screen) {
  POINT client = screen;
  ScreenToClient(hwnd, &client);
  PostMessageA(hwnd, message, modifierFlags(), pointParam(client));
}

void activateOnClick(HWND target, LRESULT hit, UINT message) {
  HWND top = user::topLevelAncestor(target);
  if (top == nullptr || top == GetActiveWindow()) return;
  LRESULT answer = SendMessageA(target, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                MAKELPARAM(hit, message));
  if (answer != kMouseNoActivate && IsWindow(top)) SetActiveWindow(top);
}

void routePointer(const InputEvent& event) {
  user::DeviceState& device = user::windowSystem().devices;
  bool down = event.kind == InputEvent::ButtonDown;
  if (event.kind == InputEvent::ButtonDown) device.buttons |= buttonFlag(event.button);
  if (event.kind == InputEvent::ButtonUp) device.buttons &= ~buttonFlag(event.button);
  SetCursorPos(event.screen.x, event.screen.y);
  UINT clientMessage =
      event.kind == InputEvent::MouseMove ? WM_MOUSEMOVE : clientButtonMessage(event.button, down);
  if (HWND capture = GetCapture()) {
    postClientMouse(capture, clientMessage, event.screen);
    return;
  }
  HWND target = WindowFromPoint(event.screen);
  if (target == nullptr) return;
  LRESULT hit = SendMessageA(target, WM_NCHITTEST, 0, pointParam(event.screen));
  if (!IsWindow(target)) return;
  if (event.kind == InputEvent::MouseMove) {
    SendMessageA(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(hit, WM_MOUSEMOVE));
  } else if (down) {
    activateOnClick(target, hit, clientMessage);
  }
  if (!IsWindow(target)) return;
  if (hit == HTCLIENT) {
    if (down) clientMessage = clientPressMessage(target, event.button, event.screen);
    postClientMouse(target, clientMessage, event.screen);
  } else if (event.kind == InputEvent::MouseMove) {
    PostMessageA(target, WM_NCMOUSEMOVE, WPARAM(hit), pointParam(event.screen));
  } else {
    PostMessageA(target, frameButtonMessage(event.button, down), WPARAM(hit), pointParam(event.screen));
  }
}

void routeWheel(const InputEvent& event) {
  HWND target = GetFocus();
  if (target == nullptr) target = WindowFromPoint(event.screen);
  if (target == nullptr) return;
  WPARAM wParam = MAKEWPARAM(WORD(modifierFlags()), WORD(SHORT(event.wheelSteps * WHEEL_DELTA)));
  PostMessageA(target, WM_MOUSEWHEEL, wParam, pointParam(event.screen));
}

void routeKey(const InputEvent& event) {
  user::DeviceState& device = user::windowSystem().devices;
  bool down = event.kind == InputEvent::KeyDown;
  if (event.virtualKey == VK_MENU) device.altDown = down;
  HWND target = GetFocus();
  if (target == nullptr) target = GetActiveWindow();
  if (target == nullptr) {
    setKeyDown(int(event.virtualKey), down);  // pressed outside the program's windows
    return;
  }
  LPARAM data = 1;
  if (down && event.character >= 0) {
    int serial = device.nextSerial;
    device.nextSerial = device.nextSerial % 255 + 1;
    device.layoutCharacters[serial] = event.character;
    data |= LPARAM(serial) << 16;
  }
  if (!down) data |= LPARAM(3) << 30;  // previous state down, transition up
  bool system = device.altDown || event.virtualKey == VK_F10;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  PostMessageA(target, message, event.virtualKey, data);
}

// ---- the test queue

bool openPipe() {
  user::DeviceState& device = user::windowSystem().devices;
  if (device.pipe[0] >= 0) return true;
  return pipe2(device.pipe, O_NONBLOCK | O_CLOEXEC) == 0;
}

void drainPipe() {
  user::DeviceState& device = user::windowSystem().devices;
  char bytes[16];
  while (read(device.pipe[0], bytes, sizeof bytes) > 0) {
  }
}

// True while input posted earlier waits in the queue: the next event is
// routed only after it, so that it goes where the focus and capture are
// once the earlier input has been handled, as a person's next key does.
bool inputWaiting() {
  MSG msg;
  const UINT ranges[][2] = {{WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST},
                            {WM_NCMOUSEMOVE, WM_NCRBUTTONUP}};
  for (const auto& range : ranges)
    if (user::retrieveMessage(&msg, nullptr, range[0], range[1], false, false)) return true;
  return false;
}

void routeQueuedEvent(int, unsigned) {
  user::DeviceState& device = user::windowSystem().devices;
  if (inputWaiting()) return;
  if (!device.queued.empty()) {
    InputEvent event = device.queued.front();
    device.queued.pop_front();
    routeInput(event);
  }
  if (device.queued.empty()) {
    drainPipe();
    unwatchFd(device.pipe[0]);
  }
}

struct KeyOfCharacter {
  UINT virtualKey;
  bool shift;
};

bool keyFor(char c, KeyOfCharacter* key) {
  if (c >= 'a' && c <= 'z') *key = {UINT(c - 'a' + 'A'), false};
  else if (c >= 'A' && c <= 'Z') *key = {UINT(c), true};
  else if (c >= '0' && c <= '9') *key = {UINT(c), false};
  else if (c == ' ') *key = {VK_SPACE, false};
  else if (c == '\r' || c == '\n') *key = {VK_RETURN, false};
  else if (c == '\t') *key = {VK_TAB, false};
  else if (c == '\b') *key = {VK_BACK, false};
  else {
    static const char plain[] = ";=,-./`[\\]'";
    static const char shifted[] = ":+<_>?~{|}\"";
    static const UINT codes[] = {0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xDB, 0xDC, 0xDD, 0xDE};
    static const char digitsShifted[] = ")!@#$%^&*(";
    for (int i = 0; i < 11; i++) {
      if (c == plain[i]) { *key = {codes[i], false}; return true; }
      if (c == shifted[i]) { *key = {codes[i], true}; return true; }
    }
    for (int i = 0; i < 10; i++)
      if (c == digitsShifted[i]) { *key = {UINT('0' + i), true}; return true; }
    return false;
  }
  return true;
}

InputEvent keyEvent(InputEvent::Kind kind, UINT virtualKey) {
  InputEvent event;
  event.kind = kind;
  event.virtualKey = virtualKey;
  return event;
}

}  // namespace

void routeInput(const InputEvent& event) {
  switch (event.kind) {
    case InputEvent::MouseMove: case InputEvent::ButtonDown: case InputEvent::ButtonUp:
      routePointer(event);
      break;
    case InputEvent::Wheel:
      routeWheel(event);
      break;
    case InputEvent::KeyDown: case InputEvent::KeyUp:
      routeKey(event);
      break;
    case InputEvent::Close:
      if (IsWindow(event.window)) PostMessageA(event.window, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
}

void deliverInput(const InputEvent& event) {
  user::DeviceState& device = user::windowSystem().devices;
  if (device.queued.empty() && !inputWaiting()) {
    routeInput(event);
  } else {
    queueInput(event);
  }
}

void queueInput(const InputEvent& event) {
  user::DeviceState& device = user::windowSystem().devices;
  if (!openPipe()) return;
  if (device.queued.empty()) {
    char byte = 1;
    if (write(device.pipe[1], &byte, 1) != 1) return;
    watchFd(device.pipe[0], routeQueuedEvent);
  }
  device.queued.push_back(event);
}

void queueClick(POINT screen) {
  InputEvent event;
  event.screen = screen;
  queueInput(event);
  event.kind = InputEvent::ButtonDown;
  queueInput(event);
  event.kind = InputEvent::ButtonUp;
  queueInput(event);
}

void queueKey(UINT virtualKey) {
  queueInput(keyEvent(InputEvent::KeyDown, virtualKey));
  queueInput(keyEvent(InputEvent::KeyUp, virtualKey));
}

void queueTyping(const std::string& text) {
  for (char c : text) {
    KeyOfCharacter key;
    if (!keyFor(c, &key)) continue;
    if (key.shift) queueInput(keyEvent(InputEvent::KeyDown, VK_SHIFT));
    queueKey(key.virtualKey);
    if (key.shift) queueInput(keyEvent(InputEvent::KeyUp, VK_SHIFT));
  }
}

bool inputQueued() { return !user::windowSystem().devices.queued.empty(); }

void clearQueuedInput() {
  user::DeviceState& device = user::windowSystem().devices;
  device.queued.clear();
  if (device.pipe[0] >= 0) {
    drainPipe();
    unwatchFd(device.pipe[0]);
  }
}

int layoutCharacter(LPARAM keyData) {
  user::DeviceState& device = user::windowSystem().devices;
  int serial = int((keyData >> 16) & 0xFF);
  return serial == 0 ? -1 : device.layoutCharacters[serial];
}

}  // namespace platform
