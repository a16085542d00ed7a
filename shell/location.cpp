// shell/location.cpp -- the location bar and its edit field (see location.h).
#include "shell/location.h"
#include "shell/mainparts.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/report.h"
#include "loading/filetype.h"
#include "loading/httpfetch.h"
#include "loading/wwwlink.h"
#include "platform/controls.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "shell/appstate.h"
#include "shell/layout.h"

namespace {

constexpr int kFontHeight = 14;
constexpr const char* kFontFace = "Courier New";
constexpr int kLabelPadding = 3;
// Half the bar's width, rounded up: the bar is centred on the client area.
constexpr int kBarHalfWidth = 177;
constexpr COLORREF kFieldFrameColour = RGB(0x80, 0x80, 0x80);
constexpr DWORD kFieldStyle = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;

// The location bar's part of the main window's record.
ZmLocationBar& bar() { return zmMainWindowParts().locationBar; }

int fieldWidth() { return ZM_LOCATION_BAR_WIDTH - bar().geometry.labelWidth; }

int defaultFontLabelWidth() {
  HWND main = zmGetMainHwnd();
  HDC dc = GetDC(main);
  SIZE extent{};
  GetTextExtentPoint32A(dc, ZM_LOCATION_LABEL, int(std::strlen(ZM_LOCATION_LABEL)), &extent);
  ReleaseDC(main, dc);
  return extent.cx;
}

bool isFile(const char* path) {
  std::error_code error;
  return path != nullptr && std::filesystem::is_regular_file(path, error);
}

// What Enter opens for the typed text: the text itself when it is a URL (it
// has a scheme, or is taken relative to a world from the web) or names a
// file next to the world on show; the file URL of a path to a file; else
// nothing ("" when nothing was typed stays as it is).
std::string openable(const std::string& typed) {
  if (typed.empty() || zmGetUrlScheme(typed.c_str()) != ZM_SCHEME_NONE) return typed;
  const char* base = zmWwwGetBaseUrl();
  if (base != nullptr && *base != '\0') {
    if (zmIsWebUrl(base)) return typed;
    const char* resolved = zmDdeParseAnchor(base, typed.c_str());
    if (resolved != nullptr && isFile(zmFileUrlToPath(resolved))) return typed;
  }
  if (!isFile(typed.c_str())) return "";
  std::error_code error;
  const std::string path = std::filesystem::absolute(typed, error).string();
  const char* url = error ? nullptr : zmMakeFileUrl(path.c_str());
  return url != nullptr ? url : "";
}

// Enter in the field: the text goes to the main window as an open request.
void openFieldText(HWND field) {
  ZmLocationBar& bar = zmMainWindowParts().locationBar;
  const int length = GetWindowTextLengthA(field);
  if (length >= int(ZM_SHARED_URL_SIZE)) {
    zmReportWarning("zmLocationFieldProc: a URL of %d characters is longer than %d; it is not opened", length,
                    int(ZM_SHARED_URL_SIZE) - 1);
    return;
  }
  std::string typed(size_t(length) + 1, '\0');
  GetWindowTextA(field, typed.data(), length + 1);
  typed.resize(size_t(length));
  const std::string target = openable(typed);
  if (target.empty() && !typed.empty()) {
    zmReportMessage("%s: no such file, and not a URL.", typed.c_str());
    return;
  }
  if (target.size() >= ZM_SHARED_URL_SIZE) {
    zmReportWarning("zmLocationFieldProc: a URL of %d characters is longer than %d; it is not opened",
                    int(target.size()), int(ZM_SHARED_URL_SIZE) - 1);
    return;
  }
  std::strcpy(zmShell.sharedUrl, target.c_str());
  bar.openRequest = {zmShell.sharedUrl, nullptr};
  PostMessageA(zmGetMainHwnd(), WM_ZMOPENURL, reinterpret_cast<WPARAM>(field),
               reinterpret_cast<LPARAM>(&bar.openRequest));
}

}  // namespace

HFONT zmCreateLocationFont() {
  ZmLocationBar& bar = zmMainWindowParts().locationBar;
  if (bar.font != nullptr) DeleteObject(bar.font);
  LOGFONTA font{};
  font.lfHeight = kFontHeight;
  std::strncpy(font.lfFaceName, kFontFace, sizeof font.lfFaceName - 1);
  bar.font = CreateFontIndirectA(&font);
  return bar.font;
}

void zmLayoutLocationBar() {
  ZmLocationBar& bar = zmMainWindowParts().locationBar;
  int clientWidth = 0, clientHeight = 0;
  zmGetMainClientSize(&clientWidth, &clientHeight);
  bar.geometry.labelWidth = defaultFontLabelWidth() + kLabelPadding;
  bar.geometry.barX = std::max(clientWidth / 2 - kBarHalfWidth, 0);
  bar.geometry.barY = ZM_LOCATION_BAR_Y;
  if (bar.field != nullptr) {
    MoveWindow(bar.field, bar.geometry.barX + bar.geometry.labelWidth, bar.geometry.barY + 1, fieldWidth(),
               ZM_LOCATION_BAR_HEIGHT, TRUE);
  }
}

ZmLocationGeometry zmGetLocationGeometry() { return bar().geometry; }

void zmDrawLocationLabel(HDC dc) {
  ZmLocationBar& bar = zmMainWindowParts().locationBar;
  const ZmLocationGeometry& at = bar.geometry;
  HGDIOBJ previousFont = SelectObject(dc, bar.font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  TextOutA(dc, at.barX, at.barY, ZM_LOCATION_LABEL, int(std::strlen(ZM_LOCATION_LABEL)));
  if (previousFont != nullptr) SelectObject(dc, previousFont);

  const int left = at.barX + at.labelWidth - 1;
  const RECT frame{left, at.barY, left + fieldWidth() + 1, at.barY + ZM_LOCATION_BAR_HEIGHT + 1};
  HBRUSH grey = CreateSolidBrush(kFieldFrameColour);
  FrameRect(dc, &frame, grey);
  DeleteObject(grey);
}

HWND zmCreateLocationField(HINSTANCE instance, HWND parent) {
  ZmLocationBar& bar = zmMainWindowParts().locationBar;
  HWND field = CreateWindowExA(0, "edit", "", kFieldStyle, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
  if (field == nullptr) return nullptr;
  SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(bar.font), 0);
  bar.editProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(zmLocationFieldProc)));
  bar.field = field;
  return field;
}

HWND zmGetLocationField() { return bar().field; }

LRESULT CALLBACK zmLocationFieldProc(HWND field, UINT msg, WPARAM wParam, LPARAM lParam) {
  ZmLocationBar& bar = zmMainWindowParts().locationBar;
  if (msg == WM_CHAR && (wParam == '\n' || wParam == '\r')) {
    openFieldText(field);
    return 0;
  }
  if (msg == WM_NCDESTROY && field == bar.field) bar.field = nullptr;
  return CallWindowProcA(bar.editProc, field, msg, wParam, lParam);
}

void zmSetLocationText(const char* text) {
  ZmLocationBar& bar = zmMainWindowParts().locationBar;
  if (bar.field != nullptr) SetWindowTextA(bar.field, text);
}
