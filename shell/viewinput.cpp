// shell/viewinput.cpp -- the view window's mouse and keyboard input; see
// viewinput.h.
#include "shell/viewinput.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "core/apphandles.h"
#include "core/dirs.h"
#include "core/event.h"
#include "core/hooks.h"
#include "core/object.h"
#include "core/world.h"
#include "loading/urltable.h"
#include "platform/resources.h"
#include "platform/sysinfo.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "script/events.h"
#include "shell/appstate.h"
#include "shell/viewparts.h"
#include "viewer/hooks.h"
#include "viewer/sceneobjects.h"
#include "viewer/rendering.h"

namespace {

constexpr DWORD kHoldTime = 1000;  // ms a press must last to become a grab
constexpr int kDeadZone = 5;       // pixels, in x and in y, a click may wander
constexpr int kDragDeadZone = 5;   // pixels of the minor axis the toolbar ignores
constexpr BYTE kKeyDown = 0x80;
constexpr BYTE kKeyToggled = 0x01;
constexpr int kAnchorUrl = 10;     // the anchor's URL extension
constexpr float kEscapeJumpHeight = 3.0f;

// Modifier bits of an event record.
constexpr int32_t kShift = 1, kCtrl = 4, kAlt = 8;

// Key codes of key event records.
constexpr int32_t kKeyCodeEscape = 69, kKeyCodeAlt = 70, kKeyCodeUp = 72, kKeyCodeDown = 73,
                  kKeyCodeLeft = 74, kKeyCodeRight = 75, kKeyCodeOther = 76;

// Navigation toolbar buttons.
constexpr int kTurnLeft = 130, kSlideLeft = 131, kForward = 132, kBack = 133, kSlideRight = 134,
              kTurnRight = 135;

// The view input's part of the view's record.
ZmViewInput& input() { return zmViewParts().input; }

bool isArrow(int virtualKey) { return virtualKey >= VK_LEFT && virtualKey <= VK_DOWN; }

void callAction(int (*action)()) {
  if (action) action();
}

void setToolbarButton(int id, bool pressed) {
  ZmViewInput& input = zmViewParts().input;
  if (input.actions.setToolbarButton) input.actions.setToolbarButton(id, pressed);
}

bool altHeld() { return GetKeyState(VK_MENU) < 0; }

int sign(int value) { return (value > 0) - (value < 0); }

// An object kept from the press, when it still belongs to the world on
// show (deleted ones were forgotten already).
ZmObj* live(ZmObj* object) {
  return object != nullptr && object->world == zmGetCurrentWorld() ? object : nullptr;
}

void fillRecord(uint32_t type, WPARAM keys, DWORD time) {
  ZmViewInput& input = zmViewParts().input;
  input.mouse.record.type = type;
  input.mouse.record.x2d = float(input.mouse.x);
  input.mouse.record.y2d = float(input.mouse.y);
  input.mouse.record.modifiers = ((keys & MK_CONTROL) ? kCtrl : 0) | ((keys & MK_SHIFT) ? kShift : 0) |
                                 (altHeld() ? kAlt : 0);
  input.mouse.record.timeSec = time / 1000;
  input.mouse.record.timeMsec = time % 1000;
}

// The picked object under the mouse, its leaf and hit point into the record.
void pickUnderMouse() {
  ZmViewInput& input = zmViewParts().input;
  input.mouse.picked = nullptr;
  ZmWorld* world = zmGetCurrentWorld();
  // A world not yet in the viewer has nothing to pick; asking would report.
  if (world == nullptr || zmRwGetScene(world) == nullptr || zmRwGetActiveCamera(world) == nullptr) return;
  ZmPickInfo info = {};
  if (zmPickupZmShape(world, input.mouse.x, input.mouse.y, &info) != 0) return;
  input.mouse.picked = info.object;
  input.mouse.record.x = info.point[0];
  input.mouse.record.y = info.point[1];
  input.mouse.record.z = info.point[2];
  input.mouse.record.part = reinterpret_cast<intptr_t>(info.leaf);
  input.mouse.recordPartOwner = info.object;
}

ZmHandlerObjects findHandlerObjects(ZmObj* picked) {
  ZmHandlerObjects found = {};
  for (ZmObj* object = picked; object != nullptr; object = object->parent) {
    if (!found.pickHandler && (object->eventMask & ZM_EVENT_PICK)) found.pickHandler = object;
    if (!found.anchor && object->vrmlType == ZM_VRML_WWW_ANCHOR) found.anchor = object;
    if (!found.grabHandler && (object->eventMask & (ZM_EVENT_DRAG | ZM_EVENT_GRAB | ZM_EVENT_RELEASE)))
      found.grabHandler = object;
  }
  return found;
}

void chooseCursor() {
  ZmViewInput& input = zmViewParts().input;
  if (input.mouse.buttonDown && input.mouse.pressGrabbing && input.mouse.eventTarget) {
    zmSelectCursor(ZM_CURSOR_DRAG);
  } else if (input.mouse.now.pickHandler) {
    zmSelectCursor(ZM_CURSOR_PICK);
  } else if (input.mouse.now.anchor) {
    zmSelectCursor(ZM_CURSOR_URL);
  } else if (input.mouse.now.grabHandler) {
    zmSelectCursor(ZM_CURSOR_GRAB);
  } else {
    zmSelectCursor(ZM_CURSOR_ARROW);
  }
}

void lookUnderMouse(LPARAM lParam) {
  ZmViewInput& input = zmViewParts().input;
  input.mouse.x = SHORT(LOWORD(lParam));
  input.mouse.y = SHORT(HIWORD(lParam));
  pickUnderMouse();
  input.mouse.now = findHandlerObjects(input.mouse.picked);
}

// ---- The navigation toolbar's mirror of a drag ------------------------------

void showAxis(int shown, int now, int positive, int negative) {
  if (now == shown) return;
  setToolbarButton(positive, now == 1);
  setToolbarButton(negative, now == -1);
}

// The direction of the mouse from the press, the minor axis ignored within
// the dead zone, pressed on the toolbar as the walk it stands for.
void showDragDirection() {
  ZmViewInput& input = zmViewParts().input;
  const int dx = input.mouse.x - input.mouse.pressX, dy = input.mouse.y - input.mouse.pressY;
  int sx = sign(dx), sy = sign(dy);
  if (std::abs(dy) <= std::abs(dx)) {
    if (std::abs(dy) < kDragDeadZone) sy = 0;
  } else if (std::abs(dx) < kDragDeadZone) {
    sx = 0;
  }
  showAxis(input.mouse.shownY, sy, kBack, kForward);
  showAxis(input.mouse.shownX, sx, kTurnRight, kTurnLeft);
  input.mouse.shownX = sx;
  input.mouse.shownY = sy;
}

// Nothing is shown any more, so the next drag shows its direction afresh.
void releaseDragDirection() {
  ZmViewInput& input = zmViewParts().input;
  for (int id : {kBack, kForward, kTurnLeft, kTurnRight}) setToolbarButton(id, false);
  input.mouse.shownX = input.mouse.shownY = 0;
}

// ---- Delivery ---------------------------------------------------------------

void openAnchor(ZmObj* anchor) {
  ZmViewInput& input = zmViewParts().input;
  const char* url = nullptr;
  if (anchor == nullptr || zmGetUrlNameOfWWW(anchor, kAnchorUrl, &url) != 0 || url == nullptr || *url == '\0')
    return;
  // Going elsewhere may free the anchor's world and the URL with it.
  const std::string copy = url;
  if (input.actions.goToUrl) input.actions.goToUrl(copy.c_str());
}

void deliver() {
  ZmViewInput& input = zmViewParts().input;
  ZmEvent& record = input.mouse.record;
  if (record.type == ZM_EVENT_PICK) {
    if (record.modifiers & kCtrl) return;
    if (ZmObj* target = live(input.mouse.eventTarget)) zmCallEventHandler(target, &record);
    // The handlers may have deleted the anchor; forgetting it cleared it.
    openAnchor(live(input.mouse.pressAnchor));
    return;
  }
  if (input.mouse.pressGrabbing) {
    if (ZmObj* target = live(input.mouse.eventTarget)) zmCallEventHandler(target, &record);
    return;
  }
  if (record.type == ZM_EVENT_RELEASE) {
    releaseDragDirection();
  } else if (!(record.modifiers & kAlt)) {
    showDragDirection();
  }
}

bool holdPassed(DWORD time) { return DWORD(time - input().mouse.pressTime) > kHoldTime; }

bool withinDeadZone() {
  const ZmMouseInput& mouse = input().mouse;
  return std::abs(mouse.x - mouse.pressX) <= kDeadZone && std::abs(mouse.y - mouse.pressY) <= kDeadZone;
}

void press(HWND view, WPARAM keys, DWORD time) {
  ZmViewInput& input = zmViewParts().input;
  input.mouse.pressX = input.mouse.x;
  input.mouse.pressY = input.mouse.y;
  input.mouse.buttonDown = true;
  input.mouse.pressTime = time;
  fillRecord(ZM_EVENT_PICK, keys, time);  // the hit point and leaf stay from the pick
  input.mouse.eventTarget = input.mouse.picked;
  input.mouse.pressAnchor = input.mouse.now.anchor;
  input.mouse.pressGrabbing = input.mouse.now.grabHandler != nullptr;
  if (altHeld() || input.mouse.pressGrabbing) callAction(input.actions.disableNavigation);
  SetCapture(view);
}

void move(WPARAM keys, DWORD time) {
  ZmViewInput& input = zmViewParts().input;
  if (!input.mouse.buttonDown) return;
  if (input.mouse.record.type == ZM_EVENT_PICK && holdPassed(time)) {
    input.mouse.record.type = ZM_EVENT_GRAB;
    deliver();
  }
  if (input.mouse.record.type != ZM_EVENT_PICK && input.mouse.record.type != ZM_EVENT_GRAB) {
    if (float(input.mouse.x) == input.mouse.record.x2d && float(input.mouse.y) == input.mouse.record.y2d) return;
  } else {
    if (withinDeadZone()) return;
    if (input.mouse.record.type == ZM_EVENT_PICK) {
      input.mouse.record.type = ZM_EVENT_GRAB;
      deliver();
    }
  }
  fillRecord(ZM_EVENT_DRAG, keys, time);
  deliver();
}

void release(WPARAM keys, DWORD time) {
  ZmViewInput& input = zmViewParts().input;
  // A release whose press the view never saw ends nothing.
  if (!input.mouse.buttonDown) return;
  if (input.mouse.record.type == ZM_EVENT_PICK && holdPassed(time)) {
    input.mouse.record.type = ZM_EVENT_GRAB;
    deliver();
    fillRecord(ZM_EVENT_RELEASE, keys, time);
  } else if (input.mouse.record.type != ZM_EVENT_PICK) {
    fillRecord(ZM_EVENT_RELEASE, keys, time);
  }
  deliver();  // a quick click that stayed put delivers "PICK"
  input.mouse.buttonDown = false;
  input.mouse.eventTarget = nullptr;
  input.mouse.pressAnchor = nullptr;
  input.mouse.pressGrabbing = false;
  callAction(input.actions.enableNavigation);
  ReleaseCapture();
}

// ---- Keys -------------------------------------------------------------------

int32_t keyCodeOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_UP: return kKeyCodeUp;
    case VK_DOWN: return kKeyCodeDown;
    case VK_LEFT: return kKeyCodeLeft;
    case VK_RIGHT: return kKeyCodeRight;
    case VK_ESCAPE: return kKeyCodeEscape;
    case VK_MENU: return kKeyCodeAlt;
    default: return kKeyCodeOther;
  }
}

ZmEvent keyEvent(uint32_t type, WPARAM virtualKey, DWORD time) {
  ZmViewInput& input = zmViewParts().input;
  ZmEvent event = {};
  event.type = type;
  event.x2d = float(input.mouse.x);
  event.y2d = float(input.mouse.y);
  event.modifiers = (GetKeyState(VK_CONTROL) < 0 ? kCtrl : 0) | (GetKeyState(VK_SHIFT) < 0 ? kShift : 0) |
                    (altHeld() ? kAlt : 0);
  event.key = keyCodeOf(virtualKey);
  event.timeSec = time / 1000;
  event.timeMsec = time % 1000;
  return event;
}

bool shiftInTable() { return (input().keyboard.keyTable[VK_SHIFT] & kKeyDown) != 0; }

void mirrorKeyDown(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_LEFT: setToolbarButton(shiftInTable() ? kSlideLeft : kTurnLeft, true); break;
    case VK_UP: setToolbarButton(kForward, true); break;
    case VK_RIGHT: setToolbarButton(shiftInTable() ? kSlideRight : kTurnRight, true); break;
    case VK_DOWN: setToolbarButton(kBack, true); break;
  }
}

void mirrorKeyUp(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_LEFT: setToolbarButton(kTurnLeft, false); setToolbarButton(kSlideLeft, false); break;
    case VK_UP: setToolbarButton(kForward, false); break;
    case VK_RIGHT: setToolbarButton(kTurnRight, false); setToolbarButton(kSlideRight, false); break;
    case VK_DOWN: setToolbarButton(kBack, false); break;
  }
}

void keyDown(WPARAM virtualKey, DWORD time) {
  ZmViewInput& input = zmViewParts().input;
  pickUnderMouse();
  input.mouse.now = findHandlerObjects(input.mouse.picked);
  chooseCursor();
  zmViewKeyDown(int(virtualKey));
  mirrorKeyDown(virtualKey);
  const ZmEvent event = keyEvent(ZM_EVENT_KEY_DOWN, virtualKey, time);
  ZmWorld* world = zmGetCurrentWorld();
  if (event.key == kKeyCodeEscape && world != nullptr && world->person != nullptr &&
      input.actions.navStartEventMove)
    input.actions.navStartEventMove(world->person, kEscapeJumpHeight);
}

void keyUp(WPARAM virtualKey) {
  zmViewKeyUp(int(virtualKey));
  mirrorKeyUp(virtualKey);
}

}  // namespace

void zmViewMouseInput(HWND view, UINT message, WPARAM wParam, LPARAM lParam, DWORD time) {
  if (message != WM_MOUSEMOVE && message != WM_LBUTTONDOWN && message != WM_LBUTTONUP) return;
  lookUnderMouse(lParam);
  switch (message) {
    case WM_LBUTTONDOWN: press(view, wParam, time); break;
    case WM_MOUSEMOVE: move(wParam, time); break;
    case WM_LBUTTONUP: release(wParam, time); break;
  }
  chooseCursor();
}

void zmViewKeyInput(HWND view, UINT message, WPARAM virtualKey, LPARAM lParam, DWORD time) {
  if (message == WM_KEYDOWN) {
    keyDown(virtualKey, time);
  } else if (message == WM_KEYUP) {
    keyUp(virtualKey);
  }
}

void zmSetViewInputActions(const ZmViewInputActions& actions) { input().actions = actions; }
const ZmViewInputActions& zmGetViewInputActions() { return input().actions; }

void zmResetViewInput() {
  ZmViewInput& input = zmViewParts().input;
  input.mouse.buttonDown = false;
  input.mouse.eventTarget = input.mouse.picked = input.mouse.pressAnchor = input.mouse.recordPartOwner = nullptr;
  input.mouse.now = {};
  input.mouse.pressGrabbing = false;
  input.mouse.shownX = input.mouse.shownY = 0;
  input.mouse.record = {};
}

void zmClearKeyStateTable() {
  ZmViewInput& input = zmViewParts().input;
  std::memset(input.keyboard.keyTable, 0, sizeof input.keyboard.keyTable);
  std::memset(input.keyboard.arrowTapped, 0, sizeof input.keyboard.arrowTapped);
}

void zmViewKeyDown(int virtualKey) {
  ZmViewInput& input = zmViewParts().input;
  BYTE& state = input.keyboard.keyTable[virtualKey & 0xFF];
  if (!(state & kKeyDown)) state ^= kKeyToggled;
  state |= kKeyDown;
  if (isArrow(virtualKey & 0xFF)) input.keyboard.arrowTapped[virtualKey & 0xFF] = true;
}

void zmViewKeyUp(int virtualKey) { input().keyboard.keyTable[virtualKey & 0xFF] &= BYTE(~kKeyDown); }

void zmGetKeyStateTable(BYTE* buffer) {
  ZmViewInput& input = zmViewParts().input;
  if (buffer == nullptr) return;
  std::memcpy(buffer, input.keyboard.keyTable, sizeof input.keyboard.keyTable);
  for (int key = VK_LEFT; key <= VK_DOWN; ++key) {
    if (input.keyboard.arrowTapped[key]) buffer[key] |= kKeyDown;
    input.keyboard.arrowTapped[key] = false;
  }
}

void zmLoadCursors(HINSTANCE instance) {
  ZmViewInput& input = zmViewParts().input;
  input.cursors.shapes[ZM_CURSOR_ARROW] = LoadCursorA(nullptr, IDC_ARROW);
  input.cursors.shapes[ZM_CURSOR_URL] = LoadCursorA(instance, "URL");
  input.cursors.shapes[ZM_CURSOR_PICK] = LoadCursorA(instance, "PICK");
  input.cursors.shapes[ZM_CURSOR_GRAB] = LoadCursorA(instance, "GRAB");
  input.cursors.shapes[ZM_CURSOR_DRAG] = LoadCursorA(instance, "DRAG");
}

void zmSelectCursor(int id) {
  ZmViewInput& input = zmViewParts().input;
  const bool known = id >= 0 && id < int(std::size(input.cursors.shapes)) && input.cursors.shapes[id] != nullptr;
  input.cursors.current = known ? id : ZM_CURSOR_ARROW;
  zmRestoreCursor();
}

void zmRestoreCursor() {
  ZmViewInput& input = zmViewParts().input;
  HCURSOR cursor = input.cursors.shapes[input.cursors.current];
  SetCursor(cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_ARROW));
}

void zmViewInputForgetObj(ZmObj* object) {
  if (object == nullptr) return;
  ZmMouseInput& mouse = input().mouse;
  for (ZmObj** held : {&mouse.eventTarget, &mouse.picked, &mouse.now.pickHandler, &mouse.now.anchor,
                       &mouse.now.grabHandler, &mouse.pressAnchor, &mouse.record.object})
    if (*held == object) *held = nullptr;
  if (mouse.recordPartOwner == object) {
    mouse.recordPartOwner = nullptr;
    mouse.record.part = 0;  // the leaf goes with its object
  }
}

int zmGetWinPlatform() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) return 4;
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32s: return 1;
    case VER_PLATFORM_WIN32_WINDOWS: return 2;
    case VER_PLATFORM_WIN32_NT: return 3;
    default: return 4;
  }
}

void zmAlert() {
  ZmViewInput& input = zmViewParts().input;
  char folder[4096];
  if (zmGetDataDirName(folder, sizeof folder) > 0 && input.actions.playAlertSound) {
    const std::string path = std::string(folder) + "alert.wav";
    input.actions.playAlertSound(path.c_str());
  }
  SendMessageA(zmGetMainHwnd(), WM_ZMLAMP, 0, RGB(255, 0, 0));
}

void zmDrawLine(HDC dc) {
  const ZmMouseInput& mouse = input().mouse;
  if (!mouse.buttonDown || (mouse.record.type != ZM_EVENT_GRAB && mouse.record.type != ZM_EVENT_DRAG)) return;
  HGDIOBJ previous = SelectObject(dc, GetStockObject(WHITE_PEN));
  const int px = mouse.pressX, py = mouse.pressY;
  // LineTo leaves the end point out: one past it, so each arm is 8 pixels.
  MoveToEx(dc, px - 8, py, nullptr);
  LineTo(dc, px + 9, py);
  MoveToEx(dc, px, py - 8, nullptr);
  LineTo(dc, px, py + 9);
  MoveToEx(dc, mouse.x, mouse.y, nullptr);
  LineTo(dc, px, py);
  SelectObject(dc, previous);
}
