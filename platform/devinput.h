// platform/devinput.h -- input from a pointing device and a keyboard, as a
// display delivers it, turned into window messages.
//
// Owns: the routing of device events to windows (the capture, else the
// window under the pointer; keys to the focus, else the active window),
// hit testing the frame (WM_NCHITTEST, WM_SETCURSOR, WM_NC* for clicks on
// the frame), activation on click, double clicks (for classes with
// CS_DBLCLKS), the cursor position, and a queue of
// events that tests fill and the message loop consumes one at a time when
// it would otherwise wait, as if a person were typing; the display's events
// wait in it too while earlier input is still to be handled. It does not
// own what the messages do (window procedures, DefWindowProcA) nor the
// display's own events (x11/xpresenter.h turns those into InputEvents).
//
// Everything is posted, never handled on the spot, so that a click that
// opens a modal loop (a menu, a dialog) runs from the queue.
#ifndef LUMENFOLD_PLATFORM_DEVINPUT_H
#define LUMENFOLD_PLATFORM_DEVINPUT_H

#include <string>

#include "platform/wintypes.h"

namespace platform {

struct InputEvent {
  enum Kind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Close } kind = MouseMove;
  POINT screen{0, 0};    // pointer events: where, in screen coordinates
  int button = 1;        // 1 left, 2 middle, 3 right
  int wheelSteps = 0;    // Wheel: away from the user is positive
  UINT virtualKey = 0;   // key events
  int character = -1;    // KeyDown: the character the keyboard layout types, -1 none
  HWND window = nullptr; // Close: the top-level window whose close box the display offers
};

// Routes the event at once (posts its messages).
void routeInput(const InputEvent& event);
// An event from the display: routed at once, unless input routed before it
// still waits to be handled or queued; then it is queued behind that, so
// that it goes where the focus and capture are once that input has been
// handled. Keys typed right after a click reach the window the click gave
// the focus, however long the program took to get to the click.
void deliverInput(const InputEvent& event);

// Appends the event to the test queue; the message loop routes the first
// queued event each time it looks for work, so a modal loop started by one
// event sees the next ones.
void queueInput(const InputEvent& event);
// Queues a left click (move, press, release) at the screen point.
void queueClick(POINT screen);
// Queues the key presses and releases that type `text` (letters, digits,
// space, Return as '\r', Tab as '\t', and the US punctuation).
void queueTyping(const std::string& text);
// Queues a press and release of one virtual key.
void queueKey(UINT virtualKey);
bool inputQueued();
void clearQueuedInput();

// The character that the display's keyboard layout gave the key press
// being translated, else -1 (the US layout of input.cpp then decides).
int layoutCharacter(LPARAM keyData);

}  // namespace platform

#endif
