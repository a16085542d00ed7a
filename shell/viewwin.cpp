// shell/viewwin.cpp -- the view window and the frame timer; see viewwin.h.
#include "shell/viewwin.h"

#include <chrono>
#include <cstdio>

#include "core/camera.h"
#include "core/event.h"
#include "core/report.h"
#include "core/world.h"
#include "loading/ddeclient.h"
#include "platform/clock.h"
#include "platform/winbase.h"
#include "platform/wingdi.h"
#include "script/events.h"
#include "script/host.h"
#include "script/mainloop.h"
#include "shell/appstate.h"
#include "shell/cmdline.h"
#include "shell/commands.h"
#include "shell/labels.h"
#include "shell/viewparts.h"
#include "shell/viewinput.h"
#include "viewer/api.h"
#include "viewer/frame.h"
#include "viewer/grab.h"
#include "viewer/navigation.h"
#include "viewer/rendering.h"

namespace {

// The view window's part of the view's record.
ZmViewFrames& frames() { return zmViewParts().frames; }

void drawCentredText(HWND view, HDC dc, const char* text, bool opaque) {
  RECT client;
  GetClientRect(view, &client);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
  DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void onPaint(HWND view) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(view, &paint);
  switch (zmShell.zmAppState) {
    case ZM_APP_WAITING:
      drawCentredText(view, dc, "Waiting for world to be loaded...", false);
      break;
    case ZM_APP_BUILDING:
      zmRenderFrame(view, dc);
      break;
    case ZM_APP_NEW_WORLD:
      drawCentredText(view, dc, "Now Loading...", false);
      break;
    default:
      break;
  }
  EndPaint(view, &paint);
}

void onSize(HWND view, LPARAM lParam) {
  const int width = LOWORD(lParam), height = HIWORD(lParam);
  zmSetViewWindowSize(width, height);
  if (!zmAppIsRunning()) return;
  if (ZmWorld* world = zmGetCurrentWorld()) zmSetCameraViewport(world, 0, 0, width, height);
  InvalidateRect(view, nullptr, FALSE);
}

// The view's part of a tick: one navigation step and its Vadavir Oze mark,
// the labels aged and moved with their objects, then one frame.
void onTimer(HWND view) {
  if (zmShell.zmAppState == ZM_APP_RUNNING && !zmIsMessageBoxShowing()) {
    zmNavStep(view);
    zmUpdateJumpingEyeMark();
    HDC dc = GetDC(view);
    zmLabelUpdate();
    zmRenderFrame(view, dc);
    ReleaseDC(view, dc);
  } else if (zmShell.zmAppState == ZM_APP_FETCHING) {
    char text[32];
    std::snprintf(text, sizeof text, "Loading %d", frames().fetchCounter++);
    HDC dc = GetDC(view);
    drawCentredText(view, dc, text, true);
    ReleaseDC(view, dc);
  }
}

void restartTimerWhenChanged() {
  ZmFrameTiming& timing = frames().timing;
  if (!timing.changed) return;
  HWND mainWindow = zmGetMainHwnd();
  if (KillTimer(mainWindow, timing.timerId)) timing.timerId = SetTimer(mainWindow, ZM_FRAME_TIMER, timing.interval, nullptr);
}

void deliverFrameEvent(ZmWorld* world) {
  const DWORD t = static_cast<DWORD>(GetMessageTime());
  ZmEvent event{};
  event.type = ZM_EVENT_FRAME;
  event.timeSec = t / 1000;
  event.timeMsec = t % 1000;
  zmCallWorldEventHandlers(world, &event);
}

double fineMs(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(t.time_since_epoch()).count();
}

// Counts a frame into the statistics; returns its cost in processor time,
// the tick's 0 for a first frame.
ZmFrameCost countFrame(std::chrono::steady_clock::time_point start, double cpuStart) {
  const auto end = std::chrono::steady_clock::now();
  const double cpuEnd = platform::threadCpuMs();
  ZmFrameTiming& timing = frames().timing;
  ZmFrameStats& stats = frames().stats;
  const ZmFrameCost cost{cpuEnd - cpuStart, timing.previousCpuEnd < 0 ? 0.0 : cpuEnd - timing.previousCpuEnd};
  stats.renderingMs += fineMs(end) - fineMs(start);
  stats.lastFrameMs = fineMs(end);
  if (stats.frames++ == 0) stats.firstFrameMs = stats.lastFrameMs;
  if (timing.previousCpuEnd >= 0) {
    stats.ticks++;
    stats.tickCpuMs += cost.tickCpuMs;
    stats.tickRenderingCpuMs += cost.renderingCpuMs;
  }
  timing.previousCpuEnd = cpuEnd;
  return cost;
}

bool worldOnShow() { return zmShell.zmAppState == ZM_APP_RUNNING; }

// The left button and the mouse's moves go to the input events (picking,
// the objects' handlers), to navigation, the moves to the scouter, and all
// to the grab, in that order.
LRESULT onLeftButtonOrMove(HWND view, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!worldOnShow()) return DefWindowProcA(view, msg, wParam, lParam);
  zmViewMouseInput(view, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()));
  zmNavMouseEvent(view, msg, wParam, lParam);
  if (msg == WM_MOUSEMOVE) zmScouterMouseMove(view, msg, wParam, lParam);
  zmGrabMouseEvent(view, msg, wParam, lParam);
  return 0;
}

LRESULT onRightButton(HWND view, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!worldOnShow()) return DefWindowProcA(view, msg, wParam, lParam);
  zmGrabMouseEvent(view, msg, wParam, lParam);
  return 0;
}

}  // namespace

int zmRegisterViewClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, ZM_VIEW_CLASS, &windowClass)) return 0;  // a second start in one process
  windowClass.lpfnWndProc = zmViewWndProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = ZM_VIEW_CLASS;
  return RegisterClassA(&windowClass) != 0 ? 0 : -1;
}

HWND zmCreateViewWindow(HINSTANCE instance, HWND mainWindow) {
  HWND view = CreateWindowExA(0, ZM_VIEW_CLASS, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, mainWindow,
                              nullptr, instance, nullptr);
  zmSetViewHwnd(view);
  return view;
}

LRESULT CALLBACK zmViewWndProc(HWND view, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      onPaint(view);
      return 0;
    case WM_SIZE:
      onSize(view, lParam);
      return 0;
    case WM_TIMER:
      onTimer(view);
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return onLeftButtonOrMove(view, msg, wParam, lParam);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return onRightButton(view, msg, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
      zmViewKeyInput(view, msg, wParam, lParam, static_cast<DWORD>(GetMessageTime()));
      return DefWindowProcA(view, msg, wParam, lParam);
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) return DefWindowProcA(view, msg, wParam, lParam);
      zmRestoreCursor();
      return TRUE;
    default:
      return DefWindowProcA(view, msg, wParam, lParam);
  }
}

UINT_PTR zmStartFrameTimer(HWND mainWindow) {
  ZmFrameTiming& timing = frames().timing;
  timing = ZmFrameTiming{};
  timing.timerId = SetTimer(mainWindow, ZM_FRAME_TIMER, timing.interval, nullptr);
  return timing.timerId;
}

ZmFrameInterval zmNextFrameInterval(uint32_t interval, uint32_t rendering, uint32_t tkDelay) {
  const uint32_t next = tkDelay + rendering + 10;
  if (rendering > interval) return {next < ZM_MAX_FRAME_INTERVAL ? next : ZM_MAX_FRAME_INTERVAL, 1};
  if (next < interval) return {next, 1};
  return {interval, 0};
}

void zmWriteFrameCost(ZmFrameCost cost) {
  char line[160];
  std::snprintf(line, sizeof line, "Tick %.3f msec. CPU: rendering %.3f msec., the rest %.3f msec.\n", cost.tickCpuMs,
                cost.renderingCpuMs, cost.tickCpuMs - cost.renderingCpuMs);
  OutputDebugStringA(line);
}

void zmWriteFrameTiming(uint32_t rendering, uint32_t other, uint32_t total, ZmFrameInterval next) {
  // Hundredths of frames per second; no frame rate without a measured time.
  const unsigned rate = total == 0 ? 0 : static_cast<unsigned>((1000.0 / total) * 100.0);
  char line[160];
  std::snprintf(line, sizeof line, "Rendering %4u msec. Other %4u msec. Total %u msec. (%2u.%02u fps)\n", rendering,
                other, total, rate / 100, rate % 100);
  OutputDebugStringA(line);
  if (!next.changed) return;
  std::snprintf(line, sizeof line, "timer interval will be reset to [%u ms]\n", next.interval);
  OutputDebugStringA(line);
}

int zmRenderFrame(HWND view, HDC dc) {
  if (zmDdeIsBusy()) return 0;
  restartTimerWhenChanged();
  ZmWorld* world = zmGetCurrentWorld();
  if (world == nullptr) return 0;
  deliverFrameEvent(world);
  if (const int set = zmRenderSetFrameTime(world, view, dc); set != 0) return set;

  const auto fineStart = std::chrono::steady_clock::now();
  const double cpuStart = platform::threadCpuMs();
  const DWORD t0 = timeGetTime();
  const int shown = zmShowWorld(world);
  const DWORD t1 = timeGetTime();
  const ZmFrameCost cost = countFrame(fineStart, cpuStart);
  ZmFrameTiming& timing = frames().timing;
  // A first frame has no other work before it to count.
  if (!timing.rendered) timing.previousEnd = t0;
  timing.rendered = true;

  const uint32_t rendering = t1 - t0, other = t0 - timing.previousEnd, total = t1 - timing.previousEnd;
  const ZmFrameInterval next = zmNextFrameInterval(timing.interval, rendering, zmScriptGetTkDelay());
  timing.interval = next.interval;
  timing.changed = next.changed;
  if (zmShell.options.dframerate) {
    zmWriteFrameTiming(rendering, other, total, next);
    if (cost.tickCpuMs > 0) zmWriteFrameCost(cost);
  }
  timing.previousEnd = t1;
  if (frames().frameObserver != nullptr) frames().frameObserver(view, frames().stats.frames);
  return shown;
}

ZmFrameStats zmGetFrameStats() { return frames().stats; }
void zmSetFrameObserver(void (*observer)(HWND view, long frames)) { frames().frameObserver = observer; }
