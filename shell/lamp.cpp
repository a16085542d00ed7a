// shell/lamp.cpp -- the status lamp's blink and its frame (see lamp.h).
#include "shell/lamp.h"

#include <cstdint>

#include "core/apphandles.h"
#include "platform/clock.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "viewer/rendering.h"
#include "shell/mainparts.h"

namespace {

// The frame's rectangle: 2 left of and 1 above the view's corner, the pen
// centred on its edges so that it hugs the view.
constexpr int kFrameLeft = 13;
constexpr int kFrameTop = 27;
constexpr int kFrameExtraWidth = 3;
constexpr int kFrameExtraHeight = 2;
constexpr int kFramePenWidth = 3;

constexpr COLORREF kRestColour = RGB(0, 0, 0);

// The lamp's part of the main window's record.
ZmLamp& lamp() { return zmMainWindowParts().lamp; }

// True when `time` lies after `deadline` on the wrapping 32-bit clock.
bool isPast(DWORD time, DWORD deadline) { return static_cast<int32_t>(time - deadline) > 0; }

void drawIntoMainWindow(COLORREF colour) {
  HWND main = zmGetMainHwnd();
  if (main == nullptr) return;
  HDC dc = GetDC(main);
  if (dc == nullptr) return;
  zmDrawLampFrame(dc, colour);
  ReleaseDC(main, dc);
}

}  // namespace

COLORREF zmGetLampRestColor() { return kRestColour; }
COLORREF zmGetLampColor() { return lamp().colour; }
int zmGetLampPhases() { return lamp().phases; }

void zmDrawLampFrame(HDC dc, COLORREF colour) {
  int viewWidth = 0, viewHeight = 0;
  zmGetViewWindowSize(&viewWidth, &viewHeight);
  const int right = kFrameLeft + viewWidth + kFrameExtraWidth;
  const int bottom = kFrameTop + viewHeight + kFrameExtraHeight;
  HPEN pen = CreatePen(PS_SOLID, kFramePenWidth, colour);
  HGDIOBJ previous = SelectObject(dc, pen);
  MoveToEx(dc, kFrameLeft, kFrameTop, nullptr);
  LineTo(dc, right, kFrameTop);
  LineTo(dc, right, bottom);
  LineTo(dc, kFrameLeft, bottom);
  LineTo(dc, kFrameLeft, kFrameTop);
  SelectObject(dc, previous);
  DeleteObject(pen);
}

void zmSetLamp(COLORREF colour) {
  ZmLamp& lamp = zmMainWindowParts().lamp;
  lamp.deadline = GetTickCount() + ZM_LAMP_PHASE_MS;
  lamp.colour = colour;
  lamp.phases = ZM_LAMP_PHASES;
  drawIntoMainWindow(colour);
}

void zmLampBlinkStep(DWORD time) {
  ZmLamp& lamp = zmMainWindowParts().lamp;
  if (lamp.phases <= 0 || !isPast(time, lamp.deadline)) return;
  lamp.deadline = time + ZM_LAMP_PHASE_MS;
  --lamp.phases;
  drawIntoMainWindow(lamp.phases % 2 == 0 ? kRestColour : lamp.colour);
}

void zmStopLampBlink() { lamp().phases = 0; }

void zmRestLamp() {
  ZmLamp& lamp = zmMainWindowParts().lamp;
  if (lamp.phases == 0) return;
  lamp.phases = 0;
  drawIntoMainWindow(kRestColour);
}
