// shell/viewwin.h -- the 3-D view window "QXView" and the frame timer.
//
// Owns: the view window class and procedure (what the view shows in each
// application state), the fetch counter, the frame timing (timer interval,
// interval-changed flag, the timer id of the main window's timer 1, the
// last rendering's times) with the interval rule, the "-dframerate" debug
// lines, the program's frame statistics and what each frame cost in
// processor time, and zmRenderFrame. It does not own
// the timer's ticks (the main window forwards them), the world (the scene
// core's current world) nor the view's mouse and key input.
#ifndef LUMENFOLD_SHELL_VIEWWIN_H
#define LUMENFOLD_SHELL_VIEWWIN_H

#include <cstdint>

#include "platform/winuser.h"

constexpr const char* ZM_VIEW_CLASS = "QXView";
constexpr uint32_t ZM_FIRST_FRAME_INTERVAL = 20;  // ms
constexpr uint32_t ZM_MAX_FRAME_INTERVAL = 1000;  // ms, when growing

// Registers the class "QXView". 0; -1 when registration fails.
int zmRegisterViewClass(HINSTANCE instance);
// Creates the view window as a child of the main window (placed later by
// the layout) and keeps it in the window-handle registry; the window or
// null.
HWND zmCreateViewWindow(HINSTANCE instance, HWND mainWindow);
LRESULT CALLBACK zmViewWndProc(HWND view, UINT msg, WPARAM wParam, LPARAM lParam);

// Starts timer 1 of the main window at the first interval, resetting the
// frame timing; the timer id.
UINT_PTR zmStartFrameTimer(HWND mainWindow);

// ---- The interval rule ----------------------------------------------------------

struct ZmFrameInterval {
  uint32_t interval;  // ms
  int changed;        // 1 when the timer must be restarted with it
};

/*
 * zmNextFrameInterval --
 *   With N = tkDelay + rendering + 10: a rendering longer than the interval
 *   makes the interval N (at most 1000); otherwise an N below the interval
 *   becomes it; otherwise the interval stays and is not changed.
 */
ZmFrameInterval zmNextFrameInterval(uint32_t interval, uint32_t rendering, uint32_t tkDelay);

// Writes the "-dframerate" lines of one frame (rendering R, other O, total
// T ms) to the debugger output: the timing line, with 0 fps when T is 0,
// and, when `timing.changed`, "timer interval will be reset to [%d ms]".
void zmWriteFrameTiming(uint32_t rendering, uint32_t other, uint32_t total, ZmFrameInterval timing);

// What a frame cost in the program thread's processor time: its rendering,
// and the whole tick from the end of the previous frame to the end of this
// one (showing the previous frame on the display, the tick's other work and
// this rendering), 0 for a first frame.
struct ZmFrameCost {
  double renderingCpuMs;
  double tickCpuMs;
};

// Writes the "-dframerate" line of a frame's cost, after its timing lines:
// "Tick T msec. CPU: rendering R msec., the rest O msec.", O = T - R.
void zmWriteFrameCost(ZmFrameCost cost);

// ---- Frames -----------------------------------------------------------------------

/*
 * zmRenderFrame --
 *   One frame of the current world in the view: the timer restarted when
 *   the last frame changed its interval, the "FRAME" event delivered, the
 *   world rendered and shown, the interval rule applied.
 * Results:
 *   0 (also without current world, when nothing is rendered, and while a
 *   browser request runs); the failing step's code otherwise.
 */
int zmRenderFrame(HWND view, HDC dc);

// Frames rendered so far, their summed rendering time and when the first
// and the last one ended (a fine clock, in ms), and the ticks counted after
// a first frame with their summed costs in processor time (ZmFrameCost), for
// the program's --frames report.
struct ZmFrameStats {
  long frames;
  double renderingMs;
  double firstFrameMs;
  double lastFrameMs;
  long ticks;
  double tickCpuMs;
  double tickRenderingCpuMs;
};
ZmFrameStats zmGetFrameStats();

// Called after every frame rendered (null: none), with the view and the
// frame count.
void zmSetFrameObserver(void (*observer)(HWND view, long frames));

#endif
