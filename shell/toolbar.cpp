// shell/toolbar.cpp -- the toolbar bar and button windows; see toolbar.h.
#include "shell/toolbar.h"

#include <algorithm>

#include "platform/resources.h"
#include "platform/wingdi.h"
#include "platform/winuser.h"
#include "shell/toolbarpics.h"
#include "shell/mainparts.h"

namespace {

constexpr const char* kBarClass = "zmToolBar";
constexpr const char* kButtonClass = "zmToolBarButton";

// The tool bars' part of the main window's record.
ZmMainToolBars& mainBars() { return zmMainWindowParts().toolBars; }

template <typename Record>
Record* recordOf(HWND hwnd) {
  return reinterpret_cast<Record*>(GetWindowLongPtrA(hwnd, 0));
}

void keepCreationRecord(HWND hwnd, LPARAM lParam) {
  SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
}

void repaintNow(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, FALSE);
  UpdateWindow(hwnd);
}

void paintButton(HWND hwnd, const ZmToolBarButton& button) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  if (button.look >= 0 && button.look < int(button.pictures.size())) {
    const ZmToolBarPictures& set = button.pictures[size_t(button.look)];
    HBITMAP shown = button.pressed && set.pressed != nullptr ? set.pressed : set.normal;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, shown);
    BitBlt(dc, 0, 0, button.width, button.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
  }
  EndPaint(hwnd, &paint);
}

// Reports to the bar, which sends it on to its parent.
void report(const ZmToolBarButton& button) {
  SendMessageA(GetParent(button.window), WM_COMMAND, MAKEWPARAM(button.id, button.pressed),
               reinterpret_cast<LPARAM>(button.window));
}

void setPressed(ZmToolBarButton& button, int pressed) {
  button.pressed = pressed;
  repaintNow(button.window);
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    keepCreationRecord(hwnd, lParam);
    return 0;
  }
  ZmToolBarButton* button = recordOf<ZmToolBarButton>(hwnd);
  if (button == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_PAINT:
      paintButton(hwnd, *button);
      return 0;
    case WM_LBUTTONDOWN:
      button->tracking = 1;
      SetCapture(hwnd);
      setPressed(*button, 1);
      if (button->pressNotify) report(*button);
      return 0;
    case WM_MOUSEMOVE: {
      if (!button->tracking) return 0;
      const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      const int inside = x >= 0 && x < button->width && y >= 0 && y < button->height;
      if (inside == button->pressed) return 0;
      setPressed(*button, inside);
      if (button->pressNotify) report(*button);
      return 0;
    }
    case WM_LBUTTONUP: {
      // Only a press that began on the button ends in a report: a key may
      // hold the button down meanwhile.
      if (!button->tracking) return 0;
      const int wasPressed = button->pressed;
      setPressed(*button, 0);
      if (wasPressed) report(*button);
      button->tracking = 0;
      ReleaseCapture();
      return 0;
    }
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void layOutButtons(const ZmToolBar& bar) {
  int running = 0;
  for (const ZmToolBarButton* b = bar.buttons; b != nullptr; b = b->next) {
    if (bar.vertical) {
      MoveWindow(b->window, b->xMargin, running + b->yMargin, b->width, b->height, TRUE);
      running += b->yMargin + b->height;
    } else {
      MoveWindow(b->window, running + b->xMargin, b->yMargin, b->width, b->height, TRUE);
      running += b->xMargin + b->width;
    }
  }
}

void freeBar(ZmToolBar* bar) {
  ZmMainToolBars& mainBars = zmMainWindowParts().toolBars;
  if (mainBars.command == bar) mainBars.command = nullptr;
  if (mainBars.navigation == bar) mainBars.navigation = nullptr;
  while (bar->buttons != nullptr) {
    ZmToolBarButton* next = bar->buttons->next;
    for (const ZmToolBarPictures& set : bar->buttons->pictures) {
      DeleteObject(set.normal);
      if (set.pressed != nullptr) DeleteObject(set.pressed);
    }
    delete bar->buttons;
    bar->buttons = next;
  }
  delete bar;
}

LRESULT CALLBACK barProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CREATE) {
    keepCreationRecord(hwnd, lParam);
    return 0;
  }
  ZmToolBar* bar = recordOf<ZmToolBar>(hwnd);
  if (bar == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_SIZE:
      layOutButtons(*bar);
      return 0;
    case WM_COMMAND:
      return SendMessageA(GetParent(hwnd), WM_COMMAND, wParam, lParam);
    case WM_NCDESTROY:
      // The buttons' windows are gone by now; their records go with the bar.
      SetWindowLongPtrA(hwnd, 0, 0);
      freeBar(bar);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void computeSize(ZmToolBar& bar) {
  int along = 0, across = 0;
  for (const ZmToolBarButton* b = bar.buttons; b != nullptr; b = b->next) {
    if (bar.vertical) {
      along += b->yMargin + b->height;
      across = std::max(across, b->xMargin + b->width);
    } else {
      along += b->xMargin + b->width;
      across = std::max(across, b->yMargin + b->height);
    }
  }
  bar.width = bar.extraWidth + (bar.vertical ? across : along);
  bar.height = bar.extraHeight + (bar.vertical ? along : across);
}

bool registerClass(HINSTANCE instance, const char* name, WNDPROC proc) {
  WNDCLASSA wc{};
  wc.style = 0;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = name;
  WNDCLASSA existing;
  return GetClassInfoA(instance, name, &existing) || RegisterClassA(&wc) != 0;
}

}  // namespace

BOOL zmRegisterToolBarClasses(HINSTANCE instance) {
  zmRegisterToolBarPictures();
  return registerClass(instance, kBarClass, barProc) && registerClass(instance, kButtonClass, buttonProc);
}

ZmToolBar* zmCreateToolBar(HWND parent) {
  auto* bar = new ZmToolBar{};
  bar->window = CreateWindowExA(0, kBarClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr, nullptr, bar);
  if (bar->window != nullptr) return bar;
  delete bar;
  return nullptr;
}

ZmToolBarButton* zmFindToolBarButton(ZmToolBar* bar, int id) {
  for (ZmToolBarButton* b = bar != nullptr ? bar->buttons : nullptr; b != nullptr; b = b->next)
    if (b->id == id) return b;
  return nullptr;
}

int zmAddToolBarButton(ZmToolBar* bar, int id, int xMargin, int yMargin, int width, int height) {
  auto* button = new ZmToolBarButton{nullptr, id, xMargin, yMargin, width, height};
  button->window = CreateWindowExA(0, kButtonClass, "", WS_CHILD | WS_VISIBLE, xMargin, yMargin, width, height,
                                   bar->window, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, button);
  if (button->window == nullptr) {
    delete button;
    return -1;
  }
  ZmToolBarButton** end = &bar->buttons;
  while (*end != nullptr) end = &(*end)->next;
  *end = button;
  return 0;
}

int zmAddToolBarPictures(ZmToolBar* bar, int id, const char* normal, const char* pressed) {
  ZmToolBarButton* button = zmFindToolBarButton(bar, id);
  if (button == nullptr) return -1;
  ZmToolBarPictures set = {LoadBitmapA(nullptr, normal), pressed != nullptr ? LoadBitmapA(nullptr, pressed) : nullptr};
  if (set.normal == nullptr) {
    if (set.pressed != nullptr) DeleteObject(set.pressed);
    return -1;
  }
  button->pictures.push_back(set);
  return 0;
}

int zmSetToolBarPressNotify(ZmToolBar* bar, int id, int pressNotify) {
  ZmToolBarButton* button = zmFindToolBarButton(bar, id);
  if (button == nullptr) return -1;
  button->pressNotify = pressNotify;
  return 0;
}

void zmSetToolBarDocking(ZmToolBar* bar, int offsetAlong, int offsetAcross, int extraWidth, int extraHeight,
                         int centre, int side) {
  bar->offsetAlong = offsetAlong;
  bar->offsetAcross = offsetAcross;
  bar->extraWidth = extraWidth;
  bar->extraHeight = extraHeight;
  bar->centre = centre;
  bar->side = side;
  bar->vertical = side == ZM_DOCK_LEFT || side == ZM_DOCK_RIGHT;
  computeSize(*bar);
  zmDockToolBar(bar);
}

void zmDockToolBar(ZmToolBar* bar) {
  RECT client;
  if (bar == nullptr || !GetClientRect(GetParent(bar->window), &client)) return;
  const int parentWidth = client.right - client.left, parentHeight = client.bottom - client.top;
  // Along the edge: centred, but never before the offset along.
  auto alongEdge = [bar](int parentLength, int barLength) {
    return bar->centre ? std::max(parentLength / 2 - barLength / 2, bar->offsetAlong) : bar->offsetAlong;
  };
  int x, y;
  if (bar->vertical) {
    y = alongEdge(parentHeight, bar->height);
    x = bar->side == ZM_DOCK_RIGHT ? parentWidth - bar->width : bar->offsetAcross;
  } else {
    x = alongEdge(parentWidth, bar->width);
    y = bar->side == ZM_DOCK_BOTTOM ? parentHeight - bar->height : bar->offsetAcross;
  }
  MoveWindow(bar->window, x, y, bar->width, bar->height, TRUE);
}

int zmToolBarWidth(const ZmToolBar* bar) { return bar != nullptr ? bar->width : 0; }
int zmToolBarHeight(const ZmToolBar* bar) { return bar != nullptr ? bar->height : 0; }

int zmSetToolBarButtonLook(ZmToolBar* bar, int id, int look) {
  ZmToolBarButton* button = zmFindToolBarButton(bar, id);
  if (button == nullptr) return -1;
  button->look = look;
  repaintNow(button->window);
  return 0;
}

int zmPressToolBarButton(ZmToolBar* bar, int id) {
  ZmToolBarButton* button = zmFindToolBarButton(bar, id);
  if (button == nullptr) return -1;
  setPressed(*button, 1);
  return 0;
}

int zmReleaseToolBarButton(ZmToolBar* bar, int id) {
  ZmToolBarButton* button = zmFindToolBarButton(bar, id);
  if (button == nullptr) return -1;
  setPressed(*button, 0);
  return 0;
}

// ---- The main window's toolbars ---------------------------------------------

namespace {

struct PictureSet {
  const char* normal;
  const char* pressed;
};

struct ButtonRow {
  int id;
  std::vector<PictureSet> sets;
};

struct BarLayout {
  int side, centre, along, across, extraWidth, extraHeight;
  int buttonWidth, buttonHeight, xMargin, yMargin;
  int pressNotify;
};

ZmToolBar* makeBar(HWND parent, const BarLayout& layout, const std::vector<ButtonRow>& rows) {
  ZmToolBar* bar = zmCreateToolBar(parent);
  if (bar == nullptr) return nullptr;
  for (const ButtonRow& row : rows) {
    if (zmAddToolBarButton(bar, row.id, layout.xMargin, layout.yMargin, layout.buttonWidth, layout.buttonHeight) != 0)
      continue;
    for (const PictureSet& set : row.sets) zmAddToolBarPictures(bar, row.id, set.normal, set.pressed);
    zmSetToolBarPressNotify(bar, row.id, layout.pressNotify);
  }
  zmSetToolBarDocking(bar, layout.along, layout.across, layout.extraWidth, layout.extraHeight, layout.centre,
                      layout.side);
  return bar;
}

}  // namespace

ZmToolBar* zmCreateCommandToolBar(HWND mainWindow) {
  ZmMainToolBars& mainBars = zmMainWindowParts().toolBars;
  static const std::vector<ButtonRow> rows = {
      {111, {{"BAK1", "BAK2"}, {"BAK3", nullptr}}},
      {110, {{"FWD1", "FWD2"}, {"FWD3", nullptr}}},
      {112, {{"HOM1", "HOM2"}, {"HOM3", nullptr}}},
      {113, {{"UND1", "UND2"}, {"UND3", nullptr}}},
      {114, {{"BMK1", "BMK2"}, {"BMK3", nullptr}}},
      {122, {{"SCT1", "SCT2"}, {"SCT3", nullptr}, {"SCT4", "SCT5"}}},
      {121, {{"JMP1", "JMP2"}, {"JMP3", nullptr}, {"JMP4", "JMP5"}}},
      {103, {{"STP1", "STP2"}, {"STP3", nullptr}}},
  };
  mainBars.command = makeBar(mainWindow, {ZM_DOCK_RIGHT, 1, 3, 3, 3, 8, 41, 34, 3, 8, 0}, rows);
  return mainBars.command;
}

ZmToolBar* zmCreateNavigationToolBar(HWND mainWindow) {
  ZmMainToolBars& mainBars = zmMainWindowParts().toolBars;
  static const std::vector<ButtonRow> rows = {
      {130, {{"LT1", "LT3"}}}, {131, {{"LW1", "LW3"}}}, {132, {{"FW1", "FW3"}}},
      {133, {{"BK1", "BK3"}}}, {134, {{"RW1", "RW3"}}}, {135, {{"RT1", "RT3"}}},
  };
  mainBars.navigation = makeBar(mainWindow, {ZM_DOCK_BOTTOM, 1, 76, 3, 3, 6, 20, 15, 3, 3, 1}, rows);
  return mainBars.navigation;
}

ZmToolBar* zmGetCommandToolBar() { return mainBars().command; }
ZmToolBar* zmGetNavigationToolBar() { return mainBars().navigation; }
