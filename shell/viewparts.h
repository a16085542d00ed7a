// shell/viewparts.h -- the 3-D view's record, private to the shell.
//
// Owns the one record of what the view window keeps between messages: its
// frames and their timer (viewwin.cpp writes `frames`), the mouse, keys and
// cursor of its input (viewinput.cpp writes `input`) and the labels drawn
// over it (labels.cpp writes `labels`). The window itself and the worlds it
// shows are not kept here.
#ifndef LUMENFOLD_SHELL_VIEWPARTS_H
#define LUMENFOLD_SHELL_VIEWPARTS_H

#include <cstdint>

#include "core/event.h"
#include "platform/wintypes.h"
#include "shell/fontobj.h"
#include "shell/labels.h"
#include "shell/viewinput.h"
#include "shell/viewwin.h"

struct ZmObj;

// The frame timer's timing, anew with each timer.
struct ZmFrameTiming {
  uint32_t interval = ZM_FIRST_FRAME_INTERVAL;
  int changed = 0;
  UINT_PTR timerId = 0;
  bool rendered = false;  // a frame has been rendered since the timer started
  DWORD previousEnd = 0;  // end of the previous rendering, timeGetTime
  double previousCpuEnd = -1;  // processor time at that end, threadCpuMs; -1 before the first frame
};

// The view's frames: their timer's timing, their figures and who watches
// them (viewwin.cpp).
struct ZmViewFrames {
  ZmFrameTiming timing;
  ZmFrameStats stats{};
  void (*frameObserver)(HWND, long) = nullptr;
  int fetchCounter = 0;  // grows on every tick shown while a world is fetched
};

// The objects found from the picked object up through its parents.
struct ZmHandlerObjects {
  ZmObj* pickHandler;  // the first that reacts to "PICK"
  ZmObj* anchor;       // the first WWW anchor
  ZmObj* grabHandler;  // the first that reacts to "DRAG", "GRAB" or "RELEASE"
};

struct ZmMouseInput {
  int x, y;                // the mouse now, signed client coordinates
  bool buttonDown;
  DWORD pressTime;         // message time of the press
  int pressX, pressY;
  ZmObj* eventTarget;      // under the mouse at the press
  ZmObj* picked;           // under the mouse now, or null
  ZmHandlerObjects now;      // found for `picked`
  ZmObj* pressAnchor;      // the anchor found at the press
  bool pressGrabbing;      // a grab handler was found at the press
  int shownX, shownY;      // drag direction on the toolbar (-1, 0, 1)
  ZmEvent record;          // the mouse event on its way
  ZmObj* recordPartOwner;  // owner of the leaf in record.part
};

// The keys as the view last saw them (bit 0x80 down, 0x01 toggled).
struct ZmKeyboardInput {
  BYTE keyTable[256] = {};
  // Arrow keys that went down since navigation last read the table. A tap
  // shorter than a frame tick would otherwise go down and up between two
  // steps and move nothing; the latch makes it count for one step. Modifiers
  // are not latched, so a tapped Shift does not change the next walk.
  bool arrowTapped[256] = {};
};

// The view's cursor shapes and the one it shows.
struct ZmViewCursors {
  HCURSOR shapes[5] = {};
  int current = ZM_CURSOR_ARROW;
};

// Everything the view's input keeps from one message to the next
// (viewinput.cpp).
struct ZmViewInput {
  ZmMouseInput mouse;
  ZmKeyboardInput keyboard;
  ZmViewCursors cursors;
  ZmViewInputActions actions;  // an unset entry does nothing
};

// The labels over the view's objects, their fonts and switches (labels.cpp).
struct ZmLabelList {
  ZmLabel* first = nullptr;
  int shown = 1;
  int scouter = 0;
  ZmLabel* scouterLabel = nullptr;
  ZmFontObj* chatFont = nullptr;
  ZmFontObj* scouterFont = nullptr;
};

struct ZmViewParts {
  ZmViewFrames frames;
  ZmViewInput input;
  ZmLabelList labels;
};

ZmViewParts& zmViewParts();

#endif
