// shell/logview.cpp -- the log view window (see logview.h).
#include "shell/logview.h"

#include <algorithm>
#include <new>

#include "core/apphandles.h"
#include "platform/windows.h"
#include "shell/mainparts.h"

namespace {

constexpr const char* kLogClass = "zmLog";
constexpr int kViewWord = 0;  // the window word holding the ZmLogView
constexpr int kStartWidth = 480;
constexpr int kStartHeight = 400;

ZmLogView* viewOf(HWND hwnd) { return reinterpret_cast<ZmLogView*>(GetWindowLongPtrA(hwnd, kViewWord)); }

// Keeps the top line between the buffer's first and last line numbers.
void clampTopLine(ZmLogView* view) {
  const ZmTextBuf* buf = view->textBuf;
  view->topLine = std::max(std::min(view->topLine, zmTextBufGetLastLineNo(buf)), zmTextBufGetFirstLineNo(buf));
}

void updateScrollBar(const ZmLogView* view) {
  const ZmTextBuf* buf = view->textBuf;
  SetScrollRange(view->hwnd, SB_VERT, 0, zmTextBufGetLineCount(buf), TRUE);
  SetScrollPos(view->hwnd, SB_VERT, view->topLine - zmTextBufGetFirstLineNo(buf), TRUE);
}

// The display line drawn below `line`: the next of its message, else the
// first of the next message that has lines; null at the end of the text.
const ZmTextLine* lineBelow(const ZmTextLine* line) {
  if (line->next != nullptr) return line->next;
  for (const ZmTextMsg* msg = line->msg->next; msg != nullptr; msg = msg->next)
    if (msg->firstLine != nullptr) return msg->firstLine;
  return nullptr;
}

void onCreate(HWND hwnd, const CREATESTRUCTA* create) {
  auto* view = static_cast<ZmLogView*>(create->lpCreateParams);
  SetWindowLongPtrA(hwnd, kViewWord, reinterpret_cast<LONG_PTR>(view));
  view->hwnd = hwnd;
  zmTextBufSetOwner(view->textBuf, hwnd);
}

void onSize(ZmLogView* view, int width, int height) {
  view->width = width;
  view->height = height;
  view->linesPerPage = height / zmTextBufGetLineHeight(view->textBuf);
  zmTextBufSetWrap(view->textBuf, width, view->maxMsgs);
  view->firstLineNo = zmTextBufGetFirstLineNo(view->textBuf);
  clampTopLine(view);
  updateScrollBar(view);
  InvalidateRect(view->hwnd, nullptr, TRUE);
}

void onPaint(const ZmLogView* view) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(view->hwnd, &ps);
  if (dc == nullptr) return;
  const ZmTextBuf* buf = view->textBuf;
  const HFONT font = zmTextBufGetFont(buf);
  const HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
  SetTextColor(dc, zmTextBufGetTextColor(buf));
  SetBkColor(dc, zmTextBufGetBgColor(buf));
  const int lineHeight = zmTextBufGetLineHeight(buf);
  ZmTextLine* top = nullptr;
  if (zmTextBufFindLine(buf, view->topLine, nullptr, &top) == 0) {
    int y = 0;
    for (const ZmTextLine* line = top; line != nullptr && y < view->height; line = lineBelow(line), y += lineHeight)
      TextOutA(dc, 0, y, line->start, line->drawn);
  }
  if (previousFont != nullptr) SelectObject(dc, previousFont);
  EndPaint(view->hwnd, &ps);
}

void onVScroll(ZmLogView* view, int request, int thumb) {
  const ZmTextBuf* buf = view->textBuf;
  switch (request) {
    case SB_LINEUP: view->topLine -= 1; break;
    case SB_LINEDOWN: view->topLine += 1; break;
    case SB_PAGEUP: view->topLine -= view->linesPerPage; break;
    case SB_PAGEDOWN: view->topLine += view->linesPerPage; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: view->topLine = zmTextBufGetFirstLineNo(buf) + thumb; break;
    case SB_TOP: view->topLine = zmTextBufGetFirstLineNo(buf); break;
    case SB_BOTTOM: view->topLine = zmTextBufGetLastLineNo(buf); break;
    default: return;
  }
  clampTopLine(view);
  updateScrollBar(view);
  InvalidateRect(view->hwnd, nullptr, TRUE);
}

LRESULT CALLBACK logViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    onCreate(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    return 0;
  }
  ZmLogView* view = viewOf(hwnd);
  if (view == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_SIZE: onSize(view, LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_PAINT: onPaint(view); return 0;
    case WM_VSCROLL: onVScroll(view, LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_DESTROY:
      // The parent may take the window with it before zmDeleteLogView runs.
      view->hwnd = nullptr;
      SetWindowLongPtrA(hwnd, kViewWord, 0);
      return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int zmRegisterLogViewClass(HINSTANCE instance) {
  ZmFontObj*& logFont = zmMainWindowParts().logFont;
  if (logFont != nullptr) return 0;
  WNDCLASSA wc{};
  wc.style = 0;
  wc.lpfnWndProc = logViewProc;
  wc.cbWndExtra = sizeof(LONG);  // one word: the view record
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kLogClass;
  if (RegisterClassA(&wc) == 0) return -1;
  logFont = zmNewFontObj("SYSTEM", 12, RGB(0, 0, 0), RGB(255, 255, 255), 1);
  if (logFont != nullptr) return 0;
  UnregisterClassA(kLogClass, instance);
  return -1;
}

ZmLogView* zmNewLogView(HWND parent, int maxMsgs) {
  auto* view = new (std::nothrow) ZmLogView{nullptr, kStartWidth, kStartHeight, maxMsgs, nullptr, 0, 0, 0};
  if (view == nullptr) return nullptr;
  view->textBuf = zmNewTextBuf(zmMainWindowParts().logFont);
  if (view->textBuf != nullptr) {
    view->linesPerPage = view->height / zmTextBufGetLineHeight(view->textBuf);
    zmTextBufSetWrap(view->textBuf, view->width, maxMsgs);
    CreateWindowExA(0, kLogClass, kLogClass, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL, 0, 0, kStartWidth,
                    kStartHeight, parent, nullptr, zmGetHinstance(), view);
  }
  if (view->hwnd != nullptr) return view;
  zmDeleteTextBuf(view->textBuf);
  delete view;
  return nullptr;
}

void zmDeleteLogView(ZmLogView* view) {
  if (view == nullptr) return;
  if (view->hwnd != nullptr) DestroyWindow(view->hwnd);
  zmDeleteTextBuf(view->textBuf);
  delete view;
}

int zmLogAppend(ZmLogView* view, const char* text) {
  if (view == nullptr || view->textBuf == nullptr || text == nullptr) return -1;
  ZmTextBuf* buf = view->textBuf;
  const int oldFirst = zmTextBufGetFirstLineNo(buf);
  const int oldLast = zmTextBufGetLastLineNo(buf);
  zmTextBufAppend(buf, text);
  const int newFirst = zmTextBufGetFirstLineNo(buf);
  const int newLast = zmTextBufGetLastLineNo(buf);

  bool redraw = false;
  if (newFirst != oldFirst) {
    view->firstLineNo = newFirst;
    if (newFirst < oldFirst || newFirst > view->topLine) {
      view->topLine = newFirst;
      redraw = true;
    }
  }
  const int page = std::max(1, view->linesPerPage);
  if (newLast >= view->topLine + page) {
    // Follow the end only when it was showing: the reader who scrolled back
    // keeps the lines being read.
    if (view->topLine + page >= oldLast) {
      view->topLine = newLast - page + 1;
      redraw = true;
    }
  } else {
    redraw = true;
  }
  clampTopLine(view);
  if (redraw && view->hwnd != nullptr) InvalidateRect(view->hwnd, nullptr, TRUE);
  if (view->hwnd != nullptr) updateScrollBar(view);
  return 0;
}

void zmLogClear(ZmLogView* view) {
  if (view == nullptr) return;
  zmTextBufClear(view->textBuf);
  view->firstLineNo = 0;
  view->topLine = 0;
  if (view->hwnd == nullptr) return;
  updateScrollBar(view);
  InvalidateRect(view->hwnd, nullptr, TRUE);
}
