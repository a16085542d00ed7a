// platform/input.cpp -- the keyboard focus, the active window, the mouse
// capture, enabling, the key-state table and the cursor position.
//
// The key-state table moves as key and mouse messages are taken off the
// queue (as it does for the original, so GetKeyState answers for the message
// being handled), or directly through platform::setKeyDown. Routing input to
// the focus or capture window is the presenter's part: it posts the messages.
#include <algorithm>

#include "platform/userstate.h"

namespace platform::user {
namespace {

constexpr BYTE kKeyDown = 0x80;  // the key is held
constexpr BYTE kKeyToggled = 0x01;  // flips on every press (Caps Lock's light)

void pressKey(int virtualKey, bool down) {
  InputState& input = windowSystem().input;
  BYTE& state = input.keys[virtualKey & 0xFF];
  if (down && !(state & kKeyDown)) state ^= kKeyToggled;
  state = down ? BYTE(state | kKeyDown) : BYTE(state & ~kKeyDown);
}

bool isWithin(HWND hwnd, HWND ancestor) { return hwnd == ancestor || IsChild(ancestor, hwnd); }

bool keyHeld(int virtualKey) { return (windowSystem().input.keys[virtualKey] & kKeyDown) != 0; }

// The US keyboard's shifted digits and punctuation.
char shiftedDigit(int digit) { return ")!@#$%^&*("[digit]; }

bool punctuation(UINT virtualKey, bool shift, char* character) {
  struct Key {
    UINT virtualKey;
    char plain, shifted;
  };
  static const Key keys[] = {
      {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'}, {0xBD, '-', '_'},
      {0xBE, '.', '>'}, {0xBF, '/', '?'}, {0xC0, '`', '~'}, {0xDB, '[', '{'},
      {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
  };
  for (const Key& key : keys) {
    if (key.virtualKey != virtualKey) continue;
    *character = shift ? key.shifted : key.plain;
    return true;
  }
  return false;
}

}  // namespace

void forgetInputWindow(HWND hwnd) {
  InputState& input = windowSystem().input;
  if (input.focus != nullptr && isWithin(input.focus, hwnd)) input.focus = nullptr;
  if (input.active == hwnd) input.active = nullptr;
  if (input.capture != nullptr && isWithin(input.capture, hwnd)) input.capture = nullptr;
}

void noteRetrievedInput(const MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: pressKey(int(msg.wParam), true); break;
    case WM_KEYUP: case WM_SYSKEYUP: pressKey(int(msg.wParam), false); break;
    case WM_LBUTTONDOWN: pressKey(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: pressKey(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: pressKey(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: pressKey(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: pressKey(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: pressKey(VK_MBUTTON, false); break;
    default: break;
  }
}

POINT cursorPosition() { return windowSystem().input.cursor; }

bool characterForKey(UINT virtualKey, char* character) {
  InputState& input = windowSystem().input;
  bool shift = keyHeld(VK_SHIFT);
  bool control = keyHeld(VK_CONTROL);
  if (virtualKey >= 'A' && virtualKey <= 'Z') {
    if (control) {
      *character = char(virtualKey - 'A' + 1);
      return true;
    }
    bool upper = shift != bool(input.keys[VK_CAPITAL] & kKeyToggled);
    *character = char(upper ? virtualKey : virtualKey - 'A' + 'a');
    return true;
  }
  if (control) return false;
  if (virtualKey >= '0' && virtualKey <= '9') {
    *character = shift ? shiftedDigit(int(virtualKey - '0')) : char(virtualKey);
    return true;
  }
  switch (virtualKey) {
    case VK_SPACE: *character = ' '; return true;
    case VK_RETURN: *character = '\r'; return true;
    case VK_BACK: *character = '\b'; return true;
    case VK_TAB: *character = '\t'; return true;
    case VK_ESCAPE: *character = 27; return true;
    default: return punctuation(virtualKey, shift, character);
  }
}

}  // namespace platform::user

using namespace platform::user;

void platform::setKeyDown(int virtualKey, bool down) { pressKey(virtualKey, down); }

// The focus moves before the messages go out, as in the original: the
// window losing it already sees the new focus in GetFocus.
HWND SetFocus(HWND hwnd) {
  InputState& input = windowSystem().input;
  if (hwnd != nullptr && (findWindow(hwnd) == nullptr || isDesktop(hwnd))) return nullptr;
  HWND previous = input.focus;
  if (hwnd == previous) return previous;
  if (hwnd != nullptr) {
    HWND top = topLevelAncestor(hwnd);
    if (top != input.active) SetActiveWindow(top);
    if (findWindow(hwnd) == nullptr) return nullptr;
  }
  HWND losing = input.focus;
  input.focus = hwnd;
  if (losing != nullptr && losing != hwnd)
    SendMessageA(losing, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd != nullptr && input.focus == hwnd)
    SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(losing), 0);
  return previous;
}

HWND GetFocus() { return windowSystem().input.focus; }

HWND SetActiveWindow(HWND hwnd) {
  InputState& input = windowSystem().input;
  Window* window = findWindow(hwnd);
  if (window == nullptr || isDesktop(hwnd) || window->parent != nullptr) return nullptr;
  HWND previous = input.active;
  if (previous == hwnd) return previous;
  input.active = hwnd;
  if (previous != nullptr)
    SendMessageA(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(hwnd));
  if (input.active == hwnd)
    SendMessageA(hwnd, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
  return previous;
}

HWND GetActiveWindow() { return windowSystem().input.active; }

BOOL SetForegroundWindow(HWND hwnd) {
  HWND top = topLevelAncestor(hwnd);
  if (top == nullptr) return FALSE;
  SetActiveWindow(top);
  return TRUE;
}

HWND GetForegroundWindow() { return windowSystem().input.active; }

HWND SetCapture(HWND hwnd) {
  InputState& input = windowSystem().input;
  if (findWindow(hwnd) == nullptr || isDesktop(hwnd)) return nullptr;
  HWND previous = input.capture;
  input.capture = hwnd;
  if (previous != nullptr && previous != hwnd)
    SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return previous;
}

HWND GetCapture() { return windowSystem().input.capture; }

BOOL ReleaseCapture() {
  InputState& input = windowSystem().input;
  HWND previous = input.capture;
  input.capture = nullptr;
  if (previous != nullptr) SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  InputState& input = windowSystem().input;
  Window* window = findWindow(hwnd);
  if (window == nullptr || isDesktop(hwnd)) return FALSE;
  BOOL wasDisabled = (window->style & WS_DISABLED) ? TRUE : FALSE;
  if (bool(enable) == !wasDisabled) return wasDisabled;
  if (enable) {
    window->style &= ~DWORD(WS_DISABLED);
  } else {
    window->style |= WS_DISABLED;
    if (input.focus != nullptr && isWithin(input.focus, hwnd)) SetFocus(nullptr);
  }
  SendMessageA(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* window = findWindow(hwnd);
  return window != nullptr && !(window->style & WS_DISABLED);
}

SHORT GetKeyState(int virtualKey) {
  InputState& input = windowSystem().input;
  if (virtualKey < 0 || virtualKey > 0xFF) return 0;
  BYTE state = input.keys[virtualKey];
  return SHORT(((state & kKeyDown) ? 0xFF80 : 0) | (state & kKeyToggled));
}

SHORT GetAsyncKeyState(int virtualKey) {
  InputState& input = windowSystem().input;
  if (virtualKey < 0 || virtualKey > 0xFF) return 0;
  return (input.keys[virtualKey] & kKeyDown) ? SHORT(0x8000) : SHORT(0);
}

BOOL GetCursorPos(LPPOINT point) {
  InputState& input = windowSystem().input;
  if (point == nullptr) return FALSE;
  *point = input.cursor;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  InputState& input = windowSystem().input;
  RECT screen = screenRect();
  input.cursor.x = std::clamp<LONG>(x, screen.left, screen.right - 1);
  input.cursor.y = std::clamp<LONG>(y, screen.top, screen.bottom - 1);
  return TRUE;
}
