// shell/textbuf.h -- the wrapped text buffer behind the log view, the chat
// window and the object labels.
//
// Owns: a bounded list of messages (own copies of their texts), each split
// into display lines that fit a pixel width as measured with the buffer's
// font, and the numbering of those lines. Line numbers grow as messages
// arrive; when the oldest message makes room for a new one its numbers are
// gone, and once the first kept number passes 32000 every message is
// numbered again from 0. It does not own the font object nor the owner
// window (whose DC only measures), and it draws nothing: its readers give
// the drawers what they need.
//
// Wrapping: a line feed, a carriage return (with the line feed after it) or,
// when the escape flag is on, a backslash followed by "n" ends a line; a tab
// is shown as a blank; a byte of 128 or more is kept on one line with the
// byte after it (the halves of a double-byte character) unless that byte
// is a control character (a line end, a tab) or starts an escape; a
// backslash followed by anything else is an ordinary character. A line is drawn as
// its first `drawn` characters from `start`; every line takes at least one
// character, however narrow the wrap width.
#ifndef LUMENFOLD_SHELL_TEXTBUF_H
#define LUMENFOLD_SHELL_TEXTBUF_H

#include "platform/winuser.h"
#include "shell/fontobj.h"

struct ZmTextMsg;

struct ZmTextLine {
  ZmTextLine* next;
  ZmTextLine* prev;
  ZmTextMsg* msg;     // the message the line belongs to
  int width;          // of the drawn characters, in pixels
  int height;         // the font's line height
  const char* start;  // into msg->text
  int drawn;          // characters drawn from `start`
  int consumed;       // characters of the text the line takes (drawn plus any line end)
};

struct ZmTextMsg {
  ZmTextMsg* next;
  ZmTextMsg* prev;
  ZmTextLine* firstLine;  // its display lines, in order
  ZmTextLine* lastLine;
  int widest;       // widest line, in pixels
  int height;       // all its lines, in pixels
  int lineCount;
  char* text;       // own copy; tabs are replaced by blanks as it is wrapped
  int length;
  int wrapPos;      // how far into the text the lines reach
  int firstLineNo;  // number of its first display line
};

struct ZmTextBuf {
  HWND owner;           // its DC measures text; null: the screen's
  ZmFontObj* fontObj;   // not owned; null: the DC's own font
  int widest;           // widest line of all messages, in pixels
  int totalHeight;      // all lines, in pixels
  int msgCount;
  int totalLines;
  int wrapWidth;        // pixels
  int maxMsgs;          // at least 1
  int firstLineNo;      // number of the first line of the oldest message kept
  int escape;           // 1: backslash-n ends a line
  ZmTextMsg* firstMsg;  // oldest
  ZmTextMsg* lastMsg;   // newest
};

// Numbers past this make the buffer number its lines again from 0.
constexpr int ZM_TEXTBUF_RENUMBER_AFTER = 32000;

/*
 * zmNewTextBuf --
 *   An empty buffer drawn with the font object (which may be null), no
 *   owner, escape flag 0, wrap width 0 and a maximum of 1 message until
 *   zmTextBufSetWrap says otherwise.
 * Results:
 *   The buffer (freed with zmDeleteTextBuf), or null when out of memory.
 */
ZmTextBuf* zmNewTextBuf(ZmFontObj* fontObj);
// Frees every message and the buffer; null is ignored.
void zmDeleteTextBuf(ZmTextBuf* buf);

// Set the escape flag (0 or 1) and the owner window. Messages already kept
// keep their lines until zmTextBufSetWrap wraps them again. 0, or -1 for a
// null buffer.
int zmTextBufSetEscape(ZmTextBuf* buf, int escape);
int zmTextBufSetOwner(ZmTextBuf* buf, HWND owner);

/*
 * zmTextBufSetWrap --
 *   Sets the wrap width (pixels) and the maximum message count (below 1
 *   counts as 1), drops the oldest messages beyond the new maximum, and
 *   wraps every message again, numbering the lines on from the first kept
 *   line number.
 * Results:
 *   0, or -1 for a null buffer.
 */
int zmTextBufSetWrap(ZmTextBuf* buf, int wrapWidth, int maxMsgs);

/*
 * zmTextBufAppend --
 *   Copies and wraps the text as the newest message; when the buffer holds
 *   its maximum, the oldest message goes first (see the file comment for the
 *   renumbering that may follow).
 * Results:
 *   0, or -1 for a null buffer or text, or when out of memory (the oldest
 *   message may then be gone, and the new one kept with only the lines
 *   made before memory ran out, or not at all).
 */
int zmTextBufAppend(ZmTextBuf* buf, const char* text);

// Frees every message; totals, count and first line number become 0.
void zmTextBufClear(ZmTextBuf* buf);

/*
 * zmTextBufFindLine --
 *   The message holding display line `lineNo` and that line.
 * Results:
 *   0 with *msg and *line set (either pointer may be null when not wanted),
 *   or -1 when no message holds the line.
 */
int zmTextBufFindLine(const ZmTextBuf* buf, int lineNo, ZmTextMsg** msg, ZmTextLine** line);

// Readers. A null buffer reads as empty, without font.
ZmFontObj* zmTextBufGetFontObj(const ZmTextBuf* buf);
HFONT zmTextBufGetFont(const ZmTextBuf* buf);
COLORREF zmTextBufGetBgColor(const ZmTextBuf* buf);
COLORREF zmTextBufGetTextColor(const ZmTextBuf* buf);
int zmTextBufGetLineHeight(const ZmTextBuf* buf);  // at least 1; 1 without a font
int zmTextBufGetWidest(const ZmTextBuf* buf);      // 1 without a buffer
int zmTextBufGetHeight(const ZmTextBuf* buf);
int zmTextBufGetLineCount(const ZmTextBuf* buf);
int zmTextBufGetFirstLineNo(const ZmTextBuf* buf);
int zmTextBufGetLastLineNo(const ZmTextBuf* buf);  // first + count - 1; 0 when empty

#endif
