// shell/textbuf.cpp -- the wrapped text buffer (see textbuf.h).
#include "shell/textbuf.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace {

// The DC that measures a buffer's text: the owner window's (the screen's
// without one, or when the owner is gone) with the buffer's font selected,
// for as long as the object lives.
class MeasuringDc {
 public:
  MeasuringDc(HWND owner, HFONT font) : window_(owner), dc_(GetDC(owner)) {
    if (dc_ == nullptr && owner != nullptr) dc_ = GetDC(window_ = nullptr);
    if (dc_ != nullptr && font != nullptr) previousFont_ = SelectObject(dc_, font);
  }
  ~MeasuringDc() {
    if (dc_ == nullptr) return;
    if (previousFont_ != nullptr) SelectObject(dc_, previousFont_);
    ReleaseDC(window_, dc_);
  }
  MeasuringDc(const MeasuringDc&) = delete;
  MeasuringDc& operator=(const MeasuringDc&) = delete;

  // Width in pixels of the first `length` characters; 0 when nothing can
  // measure.
  int width(const char* text, int length) const {
    SIZE size{};
    if (dc_ == nullptr || !GetTextExtentPoint32A(dc_, text, length, &size)) return 0;
    return size.cx;
  }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ previousFont_ = nullptr;
};

struct LineExtent {
  int drawn = 0;     // characters shown from the line's start
  int consumed = 0;  // characters taken from the text, line end included
  int width = 0;     // pixels of the drawn characters
};

// Characters of a line end at `text` (with `left` characters to go): CR LF
// is one line end, as is backslash-n when escapes are on; 0 when none.
int lineEndLength(const char* text, int left, bool escape) {
  if (text[0] == '\r') return (left > 1 && text[1] == '\n') ? 2 : 1;
  if (text[0] == '\n') return 1;
  if (escape && text[0] == '\\' && left > 1 && text[1] == 'n') return 2;
  return 0;
}

// Characters drawn as one unit at `text`: a byte of 128 or more with the
// byte after it (the two halves of a double-byte character), unless that
// byte is a control character or starts an escape.
int unitLength(const char* text, int left, bool escape) {
  if (static_cast<unsigned char>(text[0]) < 128 || left < 2) return 1;
  const auto trail = static_cast<unsigned char>(text[1]);
  return (trail < 0x20 || (escape && trail == '\\')) ? 1 : 2;
}

// How much of `text` (`length` characters) the next display line takes.
// Tabs it reaches become blanks. At least one character is taken.
LineExtent measureLine(char* text, int length, int wrapWidth, bool escape, const MeasuringDc& dc) {
  LineExtent line;
  while (line.consumed < length) {
    char* next = text + line.consumed;
    const int left = length - line.consumed;
    if (const int end = lineEndLength(next, left, escape); end > 0) {
      line.consumed += end;
      break;
    }
    if (*next == '\t') *next = ' ';
    const int unit = unitLength(next, left, escape);
    const int width = dc.width(text, line.drawn + unit);  // drawn == consumed until the line ends
    if (width > wrapWidth && line.drawn > 0) break;
    line.drawn += unit;
    line.consumed += unit;
    line.width = width;
  }
  return line;
}

void freeLines(ZmTextMsg* msg) {
  for (ZmTextLine* line = msg->firstLine; line != nullptr;) {
    ZmTextLine* next = line->next;
    delete line;
    line = next;
  }
  msg->firstLine = msg->lastLine = nullptr;
  msg->widest = msg->height = msg->lineCount = msg->wrapPos = 0;
}

void freeMessage(ZmTextMsg* msg) {
  freeLines(msg);
  delete[] msg->text;
  delete msg;
}

/*
 * wrapMessage --
 *   Splits the message from its wrap position to its end into display lines.
 * Results:
 *   false when memory ran out; the message then keeps the lines made so far.
 */
bool wrapMessage(const ZmTextBuf* buf, ZmTextMsg* msg, const MeasuringDc& dc) {
  const int lineHeight = zmTextBufGetLineHeight(buf);
  while (msg->wrapPos < msg->length) {
    char* start = msg->text + msg->wrapPos;
    const LineExtent extent = measureLine(start, msg->length - msg->wrapPos, buf->wrapWidth, buf->escape != 0, dc);
    auto* line = new (std::nothrow)
        ZmTextLine{nullptr, msg->lastLine, msg, extent.width, lineHeight, start, extent.drawn, extent.consumed};
    if (line == nullptr) return false;
    (msg->lastLine != nullptr ? msg->lastLine->next : msg->firstLine) = line;
    msg->lastLine = line;
    msg->widest = std::max(msg->widest, line->width);
    msg->height += lineHeight;
    msg->lineCount += 1;
    msg->wrapPos += extent.consumed;
  }
  return true;
}

void addToTotals(ZmTextBuf* buf, const ZmTextMsg* msg) {
  buf->totalLines += msg->lineCount;
  buf->totalHeight += msg->height;
  buf->widest = std::max(buf->widest, msg->widest);
}

int widestMessage(const ZmTextBuf* buf) {
  int widest = 0;
  for (const ZmTextMsg* msg = buf->firstMsg; msg != nullptr; msg = msg->next) widest = std::max(widest, msg->widest);
  return widest;
}

void renumber(ZmTextBuf* buf) {
  buf->firstLineNo = 0;
  int number = 0;
  for (ZmTextMsg* msg = buf->firstMsg; msg != nullptr; msg = msg->next) {
    msg->firstLineNo = number;
    number += msg->lineCount;
  }
}

/*
 * unlinkOldest --
 *   Takes the oldest message out of the buffer: the totals lose its lines,
 *   the widest line is found again among the messages left, and the first
 *   line number moves to the next message (0 when none is left), numbering
 *   every message again from 0 once it passes the limit.
 * Results:
 *   The message, still holding its text and lines; the caller frees or
 *   reuses it.
 */
ZmTextMsg* unlinkOldest(ZmTextBuf* buf) {
  ZmTextMsg* oldest = buf->firstMsg;
  buf->firstMsg = oldest->next;
  (buf->firstMsg != nullptr ? buf->firstMsg->prev : buf->lastMsg) = nullptr;
  oldest->next = oldest->prev = nullptr;
  buf->msgCount -= 1;
  buf->totalLines -= oldest->lineCount;
  buf->totalHeight -= oldest->height;
  buf->widest = widestMessage(buf);
  buf->firstLineNo = buf->firstMsg != nullptr ? buf->firstMsg->firstLineNo : 0;
  if (buf->firstLineNo > ZM_TEXTBUF_RENUMBER_AFTER) renumber(buf);
  return oldest;
}

// An empty message record: the oldest one's when the buffer is full, else a
// new one. Null when out of memory.
ZmTextMsg* recordForNewMessage(ZmTextBuf* buf) {
  while (buf->msgCount > buf->maxMsgs) freeMessage(unlinkOldest(buf));
  if (buf->msgCount < buf->maxMsgs) return new (std::nothrow) ZmTextMsg{};
  ZmTextMsg* reused = unlinkOldest(buf);
  freeLines(reused);
  delete[] reused->text;
  *reused = ZmTextMsg{};
  return reused;
}

void linkAsNewest(ZmTextBuf* buf, ZmTextMsg* msg) {
  msg->prev = buf->lastMsg;
  msg->firstLineNo = buf->lastMsg != nullptr ? buf->lastMsg->firstLineNo + buf->lastMsg->lineCount : buf->firstLineNo;
  (buf->lastMsg != nullptr ? buf->lastMsg->next : buf->firstMsg) = msg;
  buf->lastMsg = msg;
  buf->msgCount += 1;
}

}  // namespace

ZmTextBuf* zmNewTextBuf(ZmFontObj* fontObj) {
  auto* buf = new (std::nothrow) ZmTextBuf{};
  if (buf == nullptr) return nullptr;
  buf->fontObj = fontObj;
  buf->maxMsgs = 1;
  return buf;
}

void zmDeleteTextBuf(ZmTextBuf* buf) {
  if (buf == nullptr) return;
  zmTextBufClear(buf);
  delete buf;
}

int zmTextBufSetEscape(ZmTextBuf* buf, int escape) {
  if (buf == nullptr) return -1;
  buf->escape = escape != 0 ? 1 : 0;
  return 0;
}

int zmTextBufSetOwner(ZmTextBuf* buf, HWND owner) {
  if (buf == nullptr) return -1;
  buf->owner = owner;
  return 0;
}

int zmTextBufSetWrap(ZmTextBuf* buf, int wrapWidth, int maxMsgs) {
  if (buf == nullptr) return -1;
  buf->wrapWidth = wrapWidth;
  buf->maxMsgs = std::max(1, maxMsgs);
  while (buf->msgCount > buf->maxMsgs) freeMessage(unlinkOldest(buf));

  buf->widest = buf->totalHeight = buf->totalLines = 0;
  const MeasuringDc dc(buf->owner, zmTextBufGetFont(buf));
  int number = buf->firstLineNo;
  for (ZmTextMsg* msg = buf->firstMsg; msg != nullptr; msg = msg->next) {
    freeLines(msg);
    msg->firstLineNo = number;
    wrapMessage(buf, msg, dc);
    number += msg->lineCount;
    addToTotals(buf, msg);
  }
  return 0;
}

int zmTextBufAppend(ZmTextBuf* buf, const char* text) {
  if (buf == nullptr || text == nullptr) return -1;
  const size_t length = std::strlen(text);
  if (length >= INT_MAX) return -1;
  char* copy = new (std::nothrow) char[length + 1];
  if (copy == nullptr) return -1;
  std::memcpy(copy, text, length + 1);
  ZmTextMsg* msg = recordForNewMessage(buf);
  if (msg == nullptr) {
    delete[] copy;
    return -1;
  }
  msg->text = copy;
  msg->length = static_cast<int>(length);
  linkAsNewest(buf, msg);
  const MeasuringDc dc(buf->owner, zmTextBufGetFont(buf));
  const bool wrapped = wrapMessage(buf, msg, dc);
  addToTotals(buf, msg);
  return wrapped ? 0 : -1;
}

void zmTextBufClear(ZmTextBuf* buf) {
  if (buf == nullptr) return;
  for (ZmTextMsg* msg = buf->firstMsg; msg != nullptr;) {
    ZmTextMsg* next = msg->next;
    freeMessage(msg);
    msg = next;
  }
  buf->firstMsg = buf->lastMsg = nullptr;
  buf->widest = buf->totalHeight = buf->msgCount = buf->totalLines = buf->firstLineNo = 0;
}

int zmTextBufFindLine(const ZmTextBuf* buf, int lineNo, ZmTextMsg** msg, ZmTextLine** line) {
  if (buf == nullptr) return -1;
  for (ZmTextMsg* holder = buf->firstMsg; holder != nullptr; holder = holder->next) {
    if (lineNo < holder->firstLineNo || lineNo - holder->firstLineNo >= holder->lineCount) continue;
    ZmTextLine* found = holder->firstLine;
    for (int offset = lineNo - holder->firstLineNo; offset > 0; --offset) found = found->next;
    if (msg != nullptr) *msg = holder;
    if (line != nullptr) *line = found;
    return 0;
  }
  return -1;
}

ZmFontObj* zmTextBufGetFontObj(const ZmTextBuf* buf) { return buf ? buf->fontObj : nullptr; }
HFONT zmTextBufGetFont(const ZmTextBuf* buf) { return zmGetFontObjFont(zmTextBufGetFontObj(buf)); }
COLORREF zmTextBufGetBgColor(const ZmTextBuf* buf) { return zmGetFontObjBgColor(zmTextBufGetFontObj(buf)); }
COLORREF zmTextBufGetTextColor(const ZmTextBuf* buf) { return zmGetFontObjTextColor(zmTextBufGetFontObj(buf)); }

int zmTextBufGetLineHeight(const ZmTextBuf* buf) {
  // Never 0, so that a font that could not be measured still divides a page.
  const ZmFontObj* fontObj = zmTextBufGetFontObj(buf);
  return fontObj != nullptr ? std::max(1, fontObj->lineHeight) : 1;
}

int zmTextBufGetWidest(const ZmTextBuf* buf) { return buf ? buf->widest : 1; }
int zmTextBufGetHeight(const ZmTextBuf* buf) { return buf ? buf->totalHeight : 0; }
int zmTextBufGetLineCount(const ZmTextBuf* buf) { return buf ? buf->totalLines : 0; }
int zmTextBufGetFirstLineNo(const ZmTextBuf* buf) { return buf ? buf->firstLineNo : 0; }

int zmTextBufGetLastLineNo(const ZmTextBuf* buf) {
  if (buf == nullptr || buf->totalLines == 0) return 0;
  return buf->firstLineNo + buf->totalLines - 1;
}
