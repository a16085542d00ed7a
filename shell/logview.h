// shell/logview.h -- the log view: a scrolling child window of class "zmLog"
// that shows a wrapped text buffer, white on black.
//
// Owns: the class registration with its one log font, the ZmLogView record,
// its text buffer and its window, and which line is at the top. The view
// follows new text while it shows the end of the text and stays put while
// the reader has scrolled back. It does not own the parent window nor where
// the view is placed in it.
#ifndef LUMENFOLD_SHELL_LOGVIEW_H
#define LUMENFOLD_SHELL_LOGVIEW_H

#include "platform/winuser.h"
#include "shell/textbuf.h"

struct ZmLogView {
  HWND hwnd;
  int width;         // client size, from WM_SIZE (480 x 400 until then)
  int height;
  int maxMsgs;       // messages the buffer keeps
  ZmTextBuf* textBuf;
  int firstLineNo;   // the buffer's first line number as last seen
  int topLine;       // number of the display line drawn at the top
  int linesPerPage;  // whole lines in the client height
};

/*
 * zmRegisterLogViewClass --
 *   Registers the class "zmLog" and makes the log font (face "SYSTEM",
 *   height 12, white on black), once for the program: later calls do
 *   nothing.
 * Results:
 *   0, or -1 when the class cannot be registered or the font made.
 */
int zmRegisterLogViewClass(HINSTANCE instance);

/*
 * zmNewLogView --
 *   A visible child window of `parent` at (0, 0), 480 x 400, with a border
 *   and a vertical scroll bar, showing a new buffer that keeps at most
 *   `maxMsgs` messages. The class must be registered first.
 * Results:
 *   The record (freed with zmDeleteLogView), or null.
 */
ZmLogView* zmNewLogView(HWND parent, int maxMsgs);
// Destroys the window and the buffer and frees the record; null is ignored.
void zmDeleteLogView(ZmLogView* view);

// Appends the text as a message and scrolls to keep showing the end when
// the end was showing. 0, or -1 for a missing view, buffer or text.
int zmLogAppend(ZmLogView* view, const char* text);
// Empties the buffer and shows the first line.
void zmLogClear(ZmLogView* view);

#endif
