// platform/controls.cpp -- the standard control classes: "edit" (one
// line), "button", "static" and "listbox".
//
// Each control keeps its state in a record of its own table, made on
// WM_NCCREATE and freed on WM_NCDESTROY, so that a subclassing procedure in
// front of it (GWL_WNDPROC) sees every message first and passes on what it
// does not take.
#include "platform/controls.h"

#include <strings.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/resources.h"
#include "platform/userstate.h"

namespace {

using platform::user::Button;
using platform::user::Controls;
using platform::user::drawBevel;
using platform::user::drawLabel;
using platform::user::Edit;
using platform::user::fillSolid;
using platform::user::kListItemHeight;
using platform::user::ListBox;
using platform::user::ListItem;
using platform::user::windowSystem;

void notifyParent(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (parent == nullptr) return;
  SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

// The brush the parent gives for drawing the control (it also sets the
// DC's colours), else the system brush of `fallback`.
HBRUSH controlBrush(HWND hwnd, HDC dc, UINT message, int fallback) {
  HWND parent = GetParent(hwnd);
  LRESULT answer = parent ? SendMessageA(parent, message, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(hwnd))
                          : 0;
  return answer != 0 ? reinterpret_cast<HBRUSH>(answer) : GetSysColorBrush(fallback);
}

std::string windowText(HWND hwnd) {
  int length = GetWindowTextLengthA(hwnd);
  std::string text(size_t(length) + 1, '\0');
  GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(size_t(length));
  return text;
}

HFONT fontOrDefault(HFONT font) {
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int textWidth(HDC dc, const std::string& text, size_t from, size_t count) {
  SIZE size{0, 0};
  if (count > 0) GetTextExtentPoint32A(dc, text.c_str() + from, int(count), &size);
  return size.cx;
}

// ------------------------------------------------------------------ edit

// Keeps the caret within the client width by moving the first shown character.
void scrollToCaret(HWND hwnd, Edit& edit) {
  if (edit.caret < edit.firstShown) edit.firstShown = edit.caret;
  RECT client;
  GetClientRect(hwnd, &client);
  HDC dc = GetDC(hwnd);
  SelectObject(dc, fontOrDefault(edit.font));
  while (edit.firstShown < edit.caret &&
         textWidth(dc, edit.text, edit.firstShown, edit.caret - edit.firstShown) > client.right - 4)
    edit.firstShown++;
  ReleaseDC(hwnd, dc);
}

void editChanged(HWND hwnd, Edit& edit) {
  scrollToCaret(hwnd, edit);
  InvalidateRect(hwnd, nullptr, TRUE);
  notifyParent(hwnd, EN_CHANGE);
}

// Replaces the selection with `typed`, as far as the limit lets it; false
// when nothing of it fitted.
bool replaceSelection(HWND hwnd, Edit& edit, const std::string& typed) {
  size_t start = edit.selStart(), end = edit.selEnd();
  size_t room = edit.limit - std::min(edit.limit, edit.text.size() - (end - start));
  std::string fitting = typed.substr(0, room);
  edit.text.replace(start, end - start, fitting);
  edit.anchor = edit.caret = start + fitting.size();
  if (fitting.size() < typed.size()) notifyParent(hwnd, EN_MAXTEXT);
  if (!fitting.empty() || end > start) editChanged(hwnd, edit);
  return !fitting.empty();
}

constexpr char kSelectAll = 1;  // Ctrl+A

// Where a word move from `at` ends: to the start of the word before (back)
// or the start of the next word, words being runs of other than spaces.
size_t wordStop(const std::string& text, size_t at, bool back) {
  const auto space = [&](size_t i) { return text[i] == ' '; };
  if (back) {
    while (at > 0 && space(at - 1)) at--;
    while (at > 0 && !space(at - 1)) at--;
    return at;
  }
  while (at < text.size() && !space(at)) at++;
  while (at < text.size() && space(at)) at++;
  return at;
}

void editChar(HWND hwnd, Edit& edit, char c) {
  if (c == kSelectAll) {
    edit.anchor = 0;
    edit.caret = edit.text.size();
    scrollToCaret(hwnd, edit);
    InvalidateRect(hwnd, nullptr, TRUE);
    return;
  }
  if (GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY) return;
  if (c == '\b') {
    if (edit.anchor == edit.caret && edit.caret > 0) edit.anchor = edit.caret - 1;
    replaceSelection(hwnd, edit, "");
    return;
  }
  if (static_cast<unsigned char>(c) < 32 || c == 127) return;
  if (!replaceSelection(hwnd, edit, std::string(1, c))) MessageBeep(0);
}

// Ctrl+Backspace and Ctrl+Delete take the word before or after the caret,
// when nothing is selected.
void deleteWord(HWND hwnd, Edit& edit, bool back) {
  if (GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY) return;
  if (edit.anchor == edit.caret) edit.anchor = wordStop(edit.text, edit.caret, back);
  replaceSelection(hwnd, edit, "");
}

// Moves the caret by the key (by words with Ctrl), extending the selection
// with Shift; Delete and Ctrl+Backspace delete.
void editKey(HWND hwnd, Edit& edit, UINT key) {
  bool extend = GetKeyState(VK_SHIFT) < 0;
  bool byWord = GetKeyState(VK_CONTROL) < 0;
  size_t caret = edit.caret;
  switch (key) {
    case VK_LEFT:
      if (byWord) caret = wordStop(edit.text, caret, true);
      else if (caret > 0) caret--;
      break;
    case VK_RIGHT:
      if (byWord) caret = wordStop(edit.text, caret, false);
      else if (caret < edit.text.size()) caret++;
      break;
    case VK_HOME: caret = 0; break;
    case VK_END: caret = edit.text.size(); break;
    case VK_BACK:
      // Plain Backspace comes as a character; with Ctrl it brings none.
      if (byWord) deleteWord(hwnd, edit, true);
      return;
    case VK_DELETE:
      if (byWord) {
        deleteWord(hwnd, edit, false);
        return;
      }
      if (GetWindowLongA(hwnd, GWL_STYLE) & ES_READONLY) return;
      if (edit.anchor == edit.caret && edit.caret < edit.text.size()) edit.anchor = edit.caret + 1;
      replaceSelection(hwnd, edit, "");
      return;
    default: return;
  }
  edit.caret = caret;
  if (!extend) edit.anchor = caret;
  scrollToCaret(hwnd, edit);
  InvalidateRect(hwnd, nullptr, TRUE);
}

size_t editCharAt(HWND hwnd, Edit& edit, int x) {
  HDC dc = GetDC(hwnd);
  SelectObject(dc, fontOrDefault(edit.font));
  size_t at = edit.firstShown;
  while (at < edit.text.size() && textWidth(dc, edit.text, edit.firstShown, at - edit.firstShown + 1) <= x - 2)
    at++;
  ReleaseDC(hwnd, dc);
  return at;
}

void paintEdit(HWND hwnd, Edit& edit) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  HBRUSH brush = controlBrush(hwnd, dc, WM_CTLCOLOREDIT, COLOR_WINDOW);
  COLORREF ink = GetTextColor(dc);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, brush);
  SelectObject(dc, fontOrDefault(edit.font));
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  int y = std::max(0, int(client.bottom - metrics.tmHeight) / 2);
  size_t shown = edit.firstShown;
  std::string visible = edit.text.substr(shown);
  TextOutA(dc, 2, y, visible.c_str(), int(visible.size()));
  if (edit.focused && edit.selEnd() > edit.selStart()) {
    size_t from = std::max(edit.selStart(), shown), to = edit.selEnd();
    if (to > from) {
      int left = 2 + textWidth(dc, edit.text, shown, from - shown);
      int right = left + textWidth(dc, edit.text, from, to - from);
      fillSolid(dc, RECT{left, y, right, y + metrics.tmHeight}, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
      TextOutA(dc, left, y, edit.text.c_str() + from, int(to - from));
    }
  }
  if (edit.focused) {
    int x = 2 + textWidth(dc, edit.text, shown, edit.caret - std::min(edit.caret, shown));
    fillSolid(dc, RECT{x, y, x + 1, y + metrics.tmHeight}, ink);
  }
  EndPaint(hwnd, &ps);
}

LRESULT editMessage(HWND hwnd, Edit& edit, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<LPCSTR>(lParam);
      edit.text = text ? text : "";
      edit.anchor = edit.caret = edit.firstShown = 0;
      DefWindowProcA(hwnd, msg, wParam, lParam);
      editChanged(hwnd, edit);
      return TRUE;
    }
    case WM_GETTEXT: {
      if (lParam == 0 || wParam == 0) return 0;
      size_t count = std::min(edit.text.size(), size_t(wParam) - 1);
      edit.text.copy(reinterpret_cast<LPSTR>(lParam), count);
      reinterpret_cast<LPSTR>(lParam)[count] = 0;
      return LRESULT(count);
    }
    case WM_GETTEXTLENGTH: return LRESULT(edit.text.size());
    case WM_CHAR: editChar(hwnd, edit, char(wParam)); return 0;
    case WM_KEYDOWN: editKey(hwnd, edit, UINT(wParam)); return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
      SetFocus(hwnd);
      edit.anchor = edit.caret = editCharAt(hwnd, edit, SHORT(LOWORD(lParam)));
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      edit.focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      notifyParent(hwnd, edit.focused ? EN_SETFOCUS : EN_KILLFOCUS);
      return 0;
    case EM_LIMITTEXT: edit.limit = wParam == 0 ? 0x7FFFFFFE : size_t(wParam); return 0;
    case EM_GETLIMITTEXT: return LRESULT(edit.limit);
    case EM_SETSEL: {
      auto toIndex = [&](LPARAM value) {
        return value < 0 ? edit.text.size() : std::min(size_t(value), edit.text.size());
      };
      if (LONG_PTR(wParam) == -1) {
        edit.anchor = edit.caret;
      } else {
        edit.anchor = toIndex(LPARAM(wParam));
        edit.caret = toIndex(lParam);
      }
      scrollToCaret(hwnd, edit);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case EM_GETSEL:
      if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = DWORD(edit.selStart());
      if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = DWORD(edit.selEnd());
      return MAKELRESULT(WORD(edit.selStart()), WORD(edit.selEnd()));
    case EM_REPLACESEL: {
      auto* text = reinterpret_cast<LPCSTR>(lParam);
      replaceSelection(hwnd, edit, text ? text : "");
      return 0;
    }
    case EM_SETREADONLY: {
      LONG_PTR style = GetWindowLongA(hwnd, GWL_STYLE);
      SetWindowLongA(hwnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~LONG_PTR(ES_READONLY)));
      return TRUE;
    }
    case WM_SETFONT: edit.font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(edit.font);
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_PAINT: paintEdit(hwnd, edit); return 0;
    case WM_ERASEBKGND: return TRUE;
    case WM_SETCURSOR: SetCursor(LoadCursorA(nullptr, IDC_IBEAM)); return TRUE;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Controls& controls = windowSystem().controls;
  if (msg == WM_NCCREATE) {
    Edit* edit = controls.edits.make(hwnd);
    auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    if (create != nullptr && create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName))
      edit->text = create->lpszName;
    edit->anchor = edit->caret = 0;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    controls.edits.drop(hwnd);
    return 0;
  }
  Edit* edit = controls.edits.find(hwnd);
  return edit ? editMessage(hwnd, *edit, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------- button

UINT buttonType(HWND hwnd) { return UINT(GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK); }

bool isCheckType(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
         type == BS_AUTORADIOBUTTON;
}

void clickButton(HWND hwnd, Button& button) {
  UINT type = buttonType(hwnd);
  if (type == BS_AUTOCHECKBOX) button.check = button.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
  if (type == BS_AUTORADIOBUTTON) button.check = BST_CHECKED;
  InvalidateRect(hwnd, nullptr, TRUE);
  notifyParent(hwnd, BN_CLICKED);
}

// The mark of a checked box: a tick for a check box, a dot for a radio
// button, inside the 13-pixel box.
void drawCheck(HDC dc, UINT type, const RECT& box, COLORREF colour) {
  if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
    fillSolid(dc, RECT{box.left + 4, box.top + 4, box.right - 4, box.bottom - 4}, colour);
    return;
  }
  HPEN pen = CreatePen(PS_SOLID, 2, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  // A line stops short of its end point: the long arm ends at (9, 3).
  MoveToEx(dc, box.left + 3, box.top + 6, nullptr);
  LineTo(dc, box.left + 5, box.top + 8);
  LineTo(dc, box.left + 10, box.top + 2);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void paintButton(HWND hwnd, Button& button) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  UINT type = buttonType(hwnd);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  HBRUSH brush = controlBrush(hwnd, dc, isCheckType(type) ? WM_CTLCOLORSTATIC : WM_CTLCOLORBTN, COLOR_BTNFACE);
  COLORREF textColour = GetTextColor(dc);
  FillRect(dc, &client, brush);
  std::string text = windowText(hwnd);
  bool enabled = IsWindowEnabled(hwnd);
  COLORREF ink = enabled ? textColour : GetSysColor(COLOR_GRAYTEXT);
  if (isCheckType(type)) {
    int size = 13, top = (client.bottom - size) / 2;
    RECT box{0, top, size, top + size};
    fillSolid(dc, box, GetSysColor(COLOR_WINDOW));
    drawBevel(dc, box, false);
    if (button.check == BST_CHECKED) drawCheck(dc, type, box, enabled ? GetSysColor(COLOR_WINDOWTEXT) : ink);
    RECT label{size + 4, 0, client.right, client.bottom};
    drawLabel(dc, label, text, ink, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  } else if (type == BS_GROUPBOX) {
    RECT frame{0, 7, client.right, client.bottom};
    drawBevel(dc, frame, false);
    drawLabel(dc, RECT{8, 0, client.right, 14}, text, ink, DT_LEFT | DT_SINGLELINE);
  } else {
    fillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
    drawBevel(dc, client, !button.pushed);
    if (type == BS_DEFPUSHBUTTON) FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT label = client;
    if (button.pushed) OffsetRect(&label, 1, 1);
    drawLabel(dc, label, text, ink, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (button.focused) {
      RECT focus = client;
      InflateRect(&focus, -3, -3);
      DrawFocusRect(dc, &focus);
    }
  }
  EndPaint(hwnd, &ps);
}

void setPushed(HWND hwnd, Button& button, bool pushed) {
  if (button.pushed == pushed) return;
  button.pushed = pushed;
  InvalidateRect(hwnd, nullptr, TRUE);
}

bool insideClient(HWND hwnd, LPARAM lParam) {
  RECT client;
  GetClientRect(hwnd, &client);
  POINT p{SHORT(LOWORD(lParam)), SHORT(HIWORD(lParam))};
  return PtInRect(&client, p) != 0;
}

LRESULT buttonMessage(HWND hwnd, Button& button, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:  // a quick second click presses again
      SetFocus(hwnd);
      button.tracking = true;
      SetCapture(hwnd);
      setPushed(hwnd, button, true);
      return 0;
    case WM_MOUSEMOVE:
      if (button.tracking) setPushed(hwnd, button, insideClient(hwnd, lParam));
      return 0;
    case WM_LBUTTONUP: {
      if (!button.tracking) return 0;
      bool clicked = insideClient(hwnd, lParam);
      button.tracking = false;
      setPushed(hwnd, button, false);
      ReleaseCapture();
      if (clicked) clickButton(hwnd, button);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) setPushed(hwnd, button, true);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && button.pushed) {
        setPushed(hwnd, button, false);
        clickButton(hwnd, button);
      }
      return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      button.focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case BM_CLICK: clickButton(hwnd, button); return 0;
    case BM_GETCHECK: return button.check;
    case BM_SETCHECK:
      button.check = UINT(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case BM_GETSTATE: return button.check | (button.pushed ? BST_PUSHED : 0) | (button.focused ? BST_FOCUS : 0);
    case BM_SETSTATE: setPushed(hwnd, button, wParam != 0); return 0;
    case WM_SETTEXT:
      InvalidateRect(hwnd, nullptr, TRUE);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_SETFONT: button.font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(button.font);
    case WM_GETDLGCODE: {
      UINT type = buttonType(hwnd);
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      return DLGC_BUTTON;
    }
    case WM_PAINT: paintButton(hwnd, button); return 0;
    case WM_ERASEBKGND: return TRUE;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Controls& controls = windowSystem().controls;
  if (msg == WM_NCCREATE) {
    controls.buttons.make(hwnd);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    controls.buttons.drop(hwnd);
    return 0;
  }
  Button* button = controls.buttons.find(hwnd);
  return button ? buttonMessage(hwnd, *button, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------- static

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      HBRUSH brush = controlBrush(hwnd, dc, WM_CTLCOLORSTATIC, COLOR_BTNFACE);
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(dc, &client, brush);
      LONG_PTR style = GetWindowLongA(hwnd, GWL_STYLE);
      UINT align = (style & 3) == SS_CENTER ? DT_CENTER : (style & 3) == SS_RIGHT ? DT_RIGHT : DT_LEFT;
      drawLabel(dc, client, windowText(hwnd), GetTextColor(dc), align | DT_WORDBREAK);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT:
      InvalidateRect(hwnd, nullptr, TRUE);
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_ERASEBKGND: return TRUE;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

// --------------------------------------------------------------- listbox

LONG_PTR listStyle(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE); }
bool ownerDrawn(HWND hwnd) { return listStyle(hwnd) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
bool variableHeights(HWND hwnd) { return listStyle(hwnd) & LBS_OWNERDRAWVARIABLE; }
// Owner-drawn lists without LBS_HASSTRINGS keep the caller's value as item data.
bool keepsStrings(HWND hwnd) { return !ownerDrawn(hwnd) || (listStyle(hwnd) & LBS_HASSTRINGS); }

int measureItem(HWND hwnd, int index, ULONG_PTR data, int standard) {
  MEASUREITEMSTRUCT measure{ODT_LISTBOX, UINT(GetDlgCtrlID(hwnd)), UINT(index), 0, UINT(standard), data};
  RECT client;
  GetClientRect(hwnd, &client);
  measure.itemWidth = UINT(client.right);
  if (HWND parent = GetParent(hwnd))
    SendMessageA(parent, WM_MEASUREITEM, WPARAM(measure.CtlID), reinterpret_cast<LPARAM>(&measure));
  return std::max(1, int(measure.itemHeight));
}

void updateListScroll(HWND hwnd, ListBox& list) {
  if (listStyle(hwnd) & WS_VSCROLL) {
    SetScrollRange(hwnd, SB_VERT, 0, std::max(0, int(list.items.size()) - 1), FALSE);
    SetScrollPos(hwnd, SB_VERT, list.top, TRUE);
  }
  InvalidateRect(hwnd, nullptr, TRUE);
}

int insertItem(HWND hwnd, ListBox& list, int index, LPARAM value) {
  ListItem item;
  if (keepsStrings(hwnd)) {
    auto* text = reinterpret_cast<LPCSTR>(value);
    item.text = text ? text : "";
  } else {
    item.data = ULONG_PTR(value);
  }
  if (index < 0 || index > int(list.items.size())) index = int(list.items.size());
  if ((listStyle(hwnd) & LBS_SORT) && keepsStrings(hwnd)) {
    index = 0;
    while (index < int(list.items.size()) && list.items[index].text <= item.text) index++;
  }
  item.height = variableHeights(hwnd) ? measureItem(hwnd, index, item.data, list.fixedHeight)
                                      : list.fixedHeight;
  list.items.insert(list.items.begin() + index, item);
  if (list.selection >= index) list.selection++;
  updateListScroll(hwnd, list);
  return index;
}

RECT itemRect(HWND hwnd, const ListBox& list, int index) {
  RECT client;
  GetClientRect(hwnd, &client);
  int y = 0;
  if (index >= list.top) {
    for (int i = list.top; i < index; i++) y += list.items[i].height;
  } else {
    for (int i = index; i < list.top; i++) y -= list.items[i].height;
  }
  return RECT{0, y, client.right, y + list.items[index].height};
}

int itemAtPoint(HWND hwnd, const ListBox& list, int y) {
  int top = 0;
  for (int i = list.top; i < int(list.items.size()); i++) {
    if (y >= top && y < top + list.items[i].height) return i;
    top += list.items[i].height;
  }
  return LB_ERR;
}

void paintList(HWND hwnd, ListBox& list) {
  Controls& controls = windowSystem().controls;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  HBRUSH brush = controlBrush(hwnd, dc, WM_CTLCOLORLISTBOX, COLOR_WINDOW);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, brush);
  SelectObject(dc, fontOrDefault(list.font));
  HWND parent = GetParent(hwnd);
  for (int i = list.top; i < int(list.items.size()); i++) {
    RECT r = itemRect(hwnd, list, i);
    if (r.top >= client.bottom) break;
    bool selected = i == list.selection;
    if (ownerDrawn(hwnd)) {
      DRAWITEMSTRUCT draw{ODT_LISTBOX, UINT(GetDlgCtrlID(hwnd)), UINT(i), ODA_DRAWENTIRE,
                          UINT((selected ? ODS_SELECTED : 0) | (selected && list.focused ? ODS_FOCUS : 0)),
                          hwnd, dc, r, list.items[i].data};
      if (parent) SendMessageA(parent, WM_DRAWITEM, WPARAM(draw.CtlID), reinterpret_cast<LPARAM>(&draw));
      if (!IsWindow(hwnd) || controls.lists.find(hwnd) != &list) break;  // the owner destroyed it
      continue;
    }
    if (selected) fillSolid(dc, r, GetSysColor(COLOR_HIGHLIGHT));
    RECT label = r;
    label.left += 2;
    drawLabel(dc, label, list.items[i].text,
              selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetTextColor(dc),
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  EndPaint(hwnd, &ps);
}

void selectItem(HWND hwnd, ListBox& list, int index, bool notify) {
  if (index < 0 || index >= int(list.items.size())) index = LB_ERR;
  bool changed = index != list.selection;
  list.selection = index;
  InvalidateRect(hwnd, nullptr, TRUE);
  if (changed && notify && (listStyle(hwnd) & LBS_NOTIFY)) notifyParent(hwnd, LBN_SELCHANGE);
}

bool validIndex(const ListBox& list, WPARAM index) { return index < list.items.size(); }

int findString(const ListBox& list, WPARAM start, LPCSTR text, bool exact) {
  if (text == nullptr) return LB_ERR;
  std::string wanted = text;
  size_t count = list.items.size();
  size_t first = LONG_PTR(start) < 0 || start >= count ? 0 : start + 1;
  for (size_t n = 0; n < count; n++) {
    const std::string& item = list.items[(first + n) % count].text;
    bool matches = exact ? strcasecmp(item.c_str(), wanted.c_str()) == 0
                         : strncasecmp(item.c_str(), wanted.c_str(), wanted.size()) == 0;
    if (matches) return int((first + n) % count);
  }
  return LB_ERR;
}

LRESULT listMessage(HWND hwnd, ListBox& list, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      if (listStyle(hwnd) & LBS_OWNERDRAWFIXED) list.fixedHeight = measureItem(hwnd, 0, 0, kListItemHeight);
      return 0;
    case LB_ADDSTRING: return insertItem(hwnd, list, -1, lParam);
    case LB_INSERTSTRING: return insertItem(hwnd, list, int(LONG_PTR(wParam)), lParam);
    case LB_DELETESTRING:
      if (!validIndex(list, wParam)) return LB_ERR;
      list.items.erase(list.items.begin() + ptrdiff_t(wParam));
      if (list.selection == int(wParam)) list.selection = LB_ERR;
      else if (list.selection > int(wParam)) list.selection--;
      list.top = std::min(list.top, std::max(0, int(list.items.size()) - 1));
      updateListScroll(hwnd, list);
      return LRESULT(list.items.size());
    case LB_RESETCONTENT:
      list.items.clear();
      list.selection = LB_ERR;
      list.top = 0;
      updateListScroll(hwnd, list);
      return 0;
    case LB_SETCURSEL:
      selectItem(hwnd, list, int(LONG_PTR(wParam)), false);
      return LONG_PTR(wParam) < 0 || !validIndex(list, wParam) ? LB_ERR : LRESULT(wParam);
    case LB_GETCURSEL: return list.selection;
    case LB_GETCOUNT: return LRESULT(list.items.size());
    case LB_GETTEXT:
      if (!validIndex(list, wParam) || lParam == 0) return LB_ERR;
      if (!keepsStrings(hwnd)) {
        *reinterpret_cast<ULONG_PTR*>(lParam) = list.items[wParam].data;
        return sizeof(ULONG_PTR);
      }
      std::copy(list.items[wParam].text.begin(), list.items[wParam].text.end(), reinterpret_cast<LPSTR>(lParam));
      reinterpret_cast<LPSTR>(lParam)[list.items[wParam].text.size()] = 0;
      return LRESULT(list.items[wParam].text.size());
    case LB_GETTEXTLEN:
      if (!validIndex(list, wParam)) return LB_ERR;
      return keepsStrings(hwnd) ? LRESULT(list.items[wParam].text.size()) : LRESULT(sizeof(ULONG_PTR));
    case LB_GETITEMDATA: return validIndex(list, wParam) ? LRESULT(list.items[wParam].data) : LB_ERR;
    case LB_SETITEMDATA:
      if (!validIndex(list, wParam)) return LB_ERR;
      list.items[wParam].data = ULONG_PTR(lParam);
      return LB_OKAY;
    case LB_SETITEMHEIGHT:
      if (lParam < 1 || lParam > 255) return LB_ERR;
      if (variableHeights(hwnd)) {
        if (!validIndex(list, wParam)) return LB_ERR;
        list.items[wParam].height = int(lParam);
      } else {
        list.fixedHeight = int(lParam);
        for (ListItem& item : list.items) item.height = int(lParam);
      }
      InvalidateRect(hwnd, nullptr, TRUE);
      return LB_OKAY;
    case LB_GETITEMHEIGHT:
      if (variableHeights(hwnd)) return validIndex(list, wParam) ? list.items[wParam].height : LB_ERR;
      return list.fixedHeight;
    case LB_GETITEMRECT:
      if (!validIndex(list, wParam) || lParam == 0) return LB_ERR;
      *reinterpret_cast<RECT*>(lParam) = itemRect(hwnd, list, int(wParam));
      return LB_OKAY;
    case LB_GETTOPINDEX: return list.top;
    case LB_SETTOPINDEX:
      if (!validIndex(list, wParam)) return LB_ERR;
      list.top = int(wParam);
      updateListScroll(hwnd, list);
      return LB_OKAY;
    case LB_FINDSTRING: case LB_FINDSTRINGEXACT:
      return findString(list, wParam, reinterpret_cast<LPCSTR>(lParam), msg == LB_FINDSTRINGEXACT);
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: {
      SetFocus(hwnd);
      int index = itemAtPoint(hwnd, list, SHORT(HIWORD(lParam)));
      if (index != LB_ERR) selectItem(hwnd, list, index, true);
      if (msg == WM_LBUTTONDBLCLK && index != LB_ERR && (listStyle(hwnd) & LBS_NOTIFY)) notifyParent(hwnd, LBN_DBLCLK);
      return 0;
    }
    case WM_KEYDOWN: {
      int count = int(list.items.size());
      if (count == 0) return 0;
      int at = list.selection;
      if (wParam == VK_DOWN) at = std::min(count - 1, at + 1);
      else if (wParam == VK_UP) at = std::max(0, at - 1);
      else if (wParam == VK_HOME) at = 0;
      else if (wParam == VK_END) at = count - 1;
      else return 0;
      if (at < list.top) list.top = at;
      selectItem(hwnd, list, at, true);
      return 0;
    }
    case WM_VSCROLL: {
      int last = std::max(0, int(list.items.size()) - 1);
      switch (LOWORD(wParam)) {
        case SB_LINEUP: list.top = std::max(0, list.top - 1); break;
        case SB_LINEDOWN: list.top = std::min(last, list.top + 1); break;
        case SB_PAGEUP: list.top = std::max(0, list.top - 4); break;
        case SB_PAGEDOWN: list.top = std::min(last, list.top + 4); break;
        case SB_THUMBPOSITION: list.top = std::clamp(int(SHORT(HIWORD(wParam))), 0, last); break;
        default: return 0;
      }
      updateListScroll(hwnd, list);
      return 0;
    }
    case WM_SETFOCUS: case WM_KILLFOCUS:
      list.focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_SETFONT: list.font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(list.font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_PAINT: paintList(hwnd, list); return 0;
    case WM_ERASEBKGND: return TRUE;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT CALLBACK listProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Controls& controls = windowSystem().controls;
  if (msg == WM_NCCREATE) {
    controls.lists.make(hwnd);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    controls.lists.drop(hwnd);
    return 0;
  }
  ListBox* list = controls.lists.find(hwnd);
  return list ? listMessage(hwnd, *list, msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

bool platform::user::registerSystemClasses() {
  static bool registered = false;
  if (registered) return false;
  registered = true;
  struct Class {
    const char* name;
    WNDPROC proc;
    LPCSTR cursor;
  };
  const Class classes[] = {
      {"edit", editProc, IDC_IBEAM},
      {"button", buttonProc, IDC_ARROW},
      {"static", staticProc, IDC_ARROW},
      {"listbox", listProc, IDC_ARROW},
  };
  for (const Class& c : classes) {
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = c.proc;
    wc.hCursor = LoadCursorA(nullptr, c.cursor);
    wc.lpszClassName = c.name;
    RegisterClassA(&wc);
  }
  return true;
}
