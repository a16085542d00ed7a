// viewer/navigation.cpp -- the navigation state, its switches, the mouse in
// the view and the walking sounds; see navigation.h.
#include "viewer/navigation.h"

#include <cmath>
#include <cstdlib>

#include "core/bounds.h"
#include "core/camera.h"
#include "core/memory.h"
#include "core/report.h"
#include "core/world.h"
#include "platform/winuser.h"
#include "viewer/automove.h"
#include "viewer/hooks.h"
#include "viewer/usercontrol.h"
#include "vrml/session.h"

namespace {

UserControl control;  // see viewer/usercontrol.h

constexpr int32_t kPersonCameraId = 2;
constexpr float kDefaultSpeed = 0.1f;
constexpr float kDefaultJumpStep = 0.2f;
constexpr float kPitchLimit = 80.0f;
// A drag moves a hundredth of a unit per pixel from its origin.
constexpr float kPixelsPerUnit = 100.0f;
// Degrees of turn per unit of sideways drag, and of pitch per unit of
// vertical Shift drag.
constexpr float kTurnPerSide = 3.0f;
constexpr float kPitchPerUnit = 3.0f;
// A click picks only when released this soon and this near the press.
constexpr DWORD kClickMilliseconds = 1000;
constexpr int32_t kClickPixels = 5;
constexpr int32_t kStepsToPoint = 10;

// Thresholds of |forward| and |side| that choose the walking sounds,
// compared in double as the sounds were tuned.
constexpr double kSlowFrom = 0.2, kMiddleFrom = 0.9, kFastFrom = 1.8, kTurnAbove = 0.9;
constexpr const char* kSlow = "man_slow";
constexpr const char* kMiddle = "man_middle";
constexpr const char* kFast = "man_fast";
constexpr const char* kTurn = "man_turn";

// The state the mouse acts on: the current world's, while navigation is on
// and the world has a person.
zmNavState* mouseState() {
  ZmWorld* world = zmGetCurrentWorld();
  zmNavState* state = zmGetNavState(world);
  if (state == nullptr || state->enabled != 1 || world->person == nullptr) return nullptr;
  return state;
}

zmNavState* stateOrNew(ZmWorld* world) {
  zmNavState* state = zmGetNavState(world);
  return state ? state : zmNewNavState(world);
}

float clampPitch(float pitch) { return std::fmax(-kPitchLimit, std::fmin(kPitchLimit, pitch)); }

void setSound(const char* name, bool on) {
  if (on) {
    viewerMedia().playSpotSoundByName(name, 1);
  } else {
    viewerMedia().stopSoundByName(name);
  }
}

POINT screenPoint(HWND view, int32_t x, int32_t y) {
  POINT point = {x, y};
  ClientToScreen(view, &point);
  return point;
}

void press(zmNavState* state, HWND view, int32_t x, int32_t y, WPARAM keys) {
  state->pressTime = GetMessageTime();
  state->pressX = x;
  state->pressY = y;
  state->pressKeys = static_cast<uint16_t>(keys);
  const bool shift = (keys & MK_SHIFT) != 0, control = (keys & MK_CONTROL) != 0;
  state->inputMode = shift && control ? ZM_NAV_SLIDE : shift ? ZM_NAV_LOOK : ZM_NAV_WALK;
  const POINT origin = screenPoint(view, x, y);
  state->originX = origin.x;
  state->originY = origin.y;
  state->forward = state->side = state->turn = 0.0f;
  SetCapture(view);
}

void drag(zmNavState* state, HWND view, int32_t x, int32_t y) {
  const POINT at = screenPoint(view, x, y);
  const float dx = static_cast<float>(state->originX - at.x);
  const float dy = static_cast<float>(state->originY - at.y);
  switch (state->inputMode) {
    case ZM_NAV_WALK:
    case ZM_NAV_SLIDE:
      state->side = dx / kPixelsPerUnit;
      state->forward = dy / kPixelsPerUnit;
      state->turn = state->side * kTurnPerSide;
      break;
    case ZM_NAV_LOOK:
      state->side = dx / kPixelsPerUnit;
      state->forward = 0.0f;
      state->turn = 0.0f;
      // The displacement from the origin, not the change since the last
      // message: holding the mouse below the origin keeps tilting.
      state->pitch = clampPitch(state->pitch + kPitchPerUnit * -dy / kPixelsPerUnit);
      break;
    default:
      return;
  }
  zmSetAvatarMotion();
}

bool isShortClick(const zmNavState* state, int32_t x, int32_t y) {
  const DWORD held = static_cast<DWORD>(GetMessageTime()) - static_cast<DWORD>(state->pressTime);
  return held <= kClickMilliseconds && std::abs(x - state->pressX) <= kClickPixels &&
         std::abs(y - state->pressY) <= kClickPixels;
}

void release(zmNavState* state, int32_t x, int32_t y) {
  if (state->inputMode != ZM_NAV_IDLE) {
    state->inputMode = ZM_NAV_IDLE;
    ReleaseCapture();
  }
  const bool picks = (state->pressKeys & MK_CONTROL) != 0 || state->autoMove != ZM_AUTO_NONE;
  if (picks && isShortClick(state, x, y) && zmNavPickTarget(x, y) == 1) {
    state->inputMode = ZM_NAV_TO_POINT;
    zmNavStartSteps(state, kStepsToPoint);
  }
  state->pressTime = 0;
  state->pressKeys = 0;
  zmStopWalkingSounds();
}

}  // namespace

UserControl& userControl() { return control; }

zmNavState* zmGetNavState(ZmWorld* world) {
  return world ? static_cast<zmNavState*>(world->navigation) : nullptr;
}

ZmObj* zmNavGetPersonCamera(ZmWorld* world) {
  return world && world->cameraTable ? zmGetCameraFromCameraTable(world, kPersonCameraId) : nullptr;
}

zmNavState* zmNewNavState(ZmWorld* world) {
  if (world == nullptr) return nullptr;
  if (world->navigation == nullptr) world->navigation = zmMalloc(sizeof(zmNavState));
  auto* state = static_cast<zmNavState*>(world->navigation);
  if (state == nullptr) return nullptr;
  state->inputMode = ZM_NAV_IDLE;
  state->autoMove = ZM_AUTO_NONE;
  state->stepsLeft = 0;
  state->pressTime = state->pressX = state->pressY = 0;
  state->pressKeys = 0;
  state->originX = state->originY = 0;
  state->pitch = state->forward = state->turn = 0.0f;
  state->speed = kDefaultSpeed;
  state->gravity = 0;
  state->collision = 1;
  state->enabled = 1;
  state->jumpStep = kDefaultJumpStep;
  state->tickMsRun = 0;
  return state;
}

int zmNavSetSpeed(int32_t collision, int32_t gravity) {
  zmNavState* state = stateOrNew(zmGetCurrentWorld());
  if (state == nullptr) return -1;
  state->collision = collision;
  state->gravity = gravity;
  return 0;
}

void zmNavSetGravity(intptr_t collision, int gravity) {
  if (zmNavState* state = stateOrNew(zmGetWorldBeingBuiltOrCurrent())) {
    state->collision = static_cast<int32_t>(collision);
    state->gravity = gravity;
  }
}

int zmNavInit() {
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr) {
    zmReportError("zmNavInit: can't get current world");
    return -1;
  }
  if (zmNavGetPersonCamera(world) == nullptr) return 0;
  zmNavState* state = stateOrNew(world);
  if (state == nullptr) return -1;
  state->inputMode = ZM_NAV_IDLE;
  state->stepsLeft = 0;
  state->forward = state->side = state->turn = 0.0f;
  state->speed = kDefaultSpeed;
  if (world->person != nullptr) {
    if (const ZmBoundingCube* cube = zmGetBoundingCube(world->person))
      state->speed = std::fabs(cube->local_max.y - cube->local_min.y) / 5.0f;
  }
  zmStopWalkingSounds();
  return 0;
}

int32_t zmDisableNavigation() {
  zmNavState* state = zmGetNavState(zmGetCurrentWorld());
  if (state == nullptr) return 0;
  const int32_t previous = state->enabled;
  state->enabled = 0;
  state->stepsLeft = 0;
  if (state->inputMode != ZM_NAV_IDLE) {
    state->inputMode = ZM_NAV_IDLE;
    ReleaseCapture();
  }
  return previous;
}

int32_t zmEnableNavigation() {
  zmNavState* state = zmGetNavState(zmGetCurrentWorld());
  if (state == nullptr) return 0;
  const int32_t previous = state->enabled;
  state->enabled = 1;
  return previous;
}

void zmNavStartSteps(zmNavState* state, int32_t ticks) {
  state->stepsLeft = ticks;
  state->tickMsRun = 0;
}

void zmNavGetFlags(int32_t* first, int32_t* second) {
  const zmNavState* state = zmGetNavState(zmGetCurrentWorld());
  *first = state && state->autoMove != ZM_AUTO_NONE ? 1 : 0;
  *second = state && state->stepsLeft > 0 ? 1 : 0;
}

void zmNavMouseEvent(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  zmNavState* state = mouseState();
  if (state == nullptr) return;
  const int32_t x = static_cast<int16_t>(LOWORD(lParam));
  const int32_t y = static_cast<int16_t>(HIWORD(lParam));
  switch (message) {
    case WM_LBUTTONDOWN: press(state, view, x, y, wParam); break;
    case WM_MOUSEMOVE:
      if (state->inputMode != ZM_NAV_IDLE) drag(state, view, x, y);
      break;
    case WM_LBUTTONUP: release(state, x, y); break;
    default: break;
  }
}

int zmSetAvatarMotion() {
  const zmNavState* state = zmGetNavState(zmGetCurrentWorld());
  if (state == nullptr || state->autoMove != ZM_AUTO_NONE || state->inputMode != ZM_NAV_WALK) {
    return zmStopWalkingSounds();
  }
  const double forward = std::fabs(static_cast<double>(state->forward));
  setSound(kSlow, forward >= kSlowFrom && forward < kMiddleFrom);
  setSound(kMiddle, forward >= kMiddleFrom && forward < kFastFrom);
  setSound(kFast, forward >= kFastFrom);
  setSound(kTurn, std::fabs(static_cast<double>(state->side)) > kTurnAbove);
  return 0;
}

int zmStopWalkingSounds() {
  for (const char* name : {kSlow, kMiddle, kFast, kTurn}) viewerMedia().stopSoundByName(name);
  return 0;
}
