// shell/notify.h -- the "Messages" window, where the program's messages
// appear.
//
// Owns: the class "zmNotify", the one notify window (a pop-up owned by the
// main window, hidden until text arrives), its log view of the last 100
// messages and its "Close" button, which hides the window and empties the
// view. It does not own the reporting that decides what is a message
// (core/report.h reaches zmNotifyMessage through its shell hook).
#ifndef LUMENFOLD_SHELL_NOTIFY_H
#define LUMENFOLD_SHELL_NOTIFY_H

#include "platform/winuser.h"
#include "shell/logview.h"

// The Close button's control id.
#define ZM_NOTIFY_CLOSE_ID 1

/*
 * zmNotifyInit --
 *   Registers "zmNotify" and creates the notify window, hidden, owned by
 *   `owner`. The log view class must be registered first
 *   (zmRegisterLogViewClass), else the window has no log view and takes no
 *   text.
 * Results:
 *   0, or -1 when the window cannot be made. A second call while the window
 *   exists does nothing and returns 0.
 */
int zmNotifyInit(HINSTANCE instance, HWND owner);

/*
 * zmNotifyMessage --
 *   Shows the notify window on top of the others, where it is and at its
 *   size, and appends the text to its log view.
 * Results:
 *   0, or -1 for a null text or when there is no notify window or log view.
 */
int zmNotifyMessage(const char* text);

// Destroys the notify window and its log view (also done when the owner
// window is destroyed); nothing when there is none.
void zmNotifyExit();

// The notify window and its log view; null when there is none.
HWND zmGetNotifyHwnd();
ZmLogView* zmGetNotifyLogView();

#endif
