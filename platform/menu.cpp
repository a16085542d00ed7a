// platform/menu.cpp -- the menu table, menu resources, menu drawing, the
// modal menu loop and accelerator tables.
//
// A pop-up on show is a top-level window of the class "#32768" that holds
// the mouse capture while the loop runs; the loop reads the queue itself,
// so mouse and keys reach the menu whatever window they were meant for,
// and every other message is dispatched as usual.
#include "platform/menus.h"

#include <algorithm>
#include <map>
#include <memory>

#include "platform/handletable.h"
#include "platform/presenter.h"
#include "platform/resources.h"
#include "platform/userstate.h"

namespace {

using platform::MenuTemplateItem;
using platform::user::Menu;
using platform::user::MenuItem;
using platform::user::MenuLoop;
using platform::user::MenuState;
using platform::user::OpenPopup;
using platform::user::windowSystem;

constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED;
constexpr int kItemHeight = 18;
constexpr int kSeparatorHeight = 8;
constexpr int kCheckColumn = 18;
constexpr const char* kPopupClass = "#32768";

Menu* findMenu(HMENU menu) {
  MenuState& state = windowSystem().menus;
  std::unique_ptr<Menu>* found = state.menus.find(menu);
  return found == nullptr ? nullptr : found->get();
}

HMENU newMenu() {
  MenuState& state = windowSystem().menus;
  return state.menus.add(std::make_unique<Menu>());
}

// The item that `position` and MF_BYPOSITION name, searching the pop-ups
// for a command id; `owner` gets the menu holding it and `index` its place.
MenuItem* findItem(HMENU menu, UINT position, UINT flags, Menu** owner = nullptr,
                   size_t* index = nullptr) {
  Menu* m = findMenu(menu);
  if (m == nullptr) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (position >= m->items.size()) return nullptr;
    if (owner) *owner = m;
    if (index) *index = position;
    return &m->items[position];
  }
  for (size_t i = 0; i < m->items.size(); i++) {
    MenuItem& item = m->items[i];
    if (HMENU popup = item.popup()) {
      if (MenuItem* inner = findItem(popup, position, flags, owner, index)) return inner;
    } else if (item.id == position && !(item.flags & MF_SEPARATOR)) {
      if (owner) *owner = m;
      if (index) *index = i;
      return &item;
    }
  }
  return nullptr;
}

bool makeItem(UINT flags, UINT_PTR id, LPCSTR text, MenuItem* item) {
  if ((flags & MF_POPUP) && findMenu(reinterpret_cast<HMENU>(id)) == nullptr) return false;
  item->flags = flags & (kStateFlags | MF_POPUP | MF_SEPARATOR);
  item->id = id;
  item->text = (text != nullptr && !(flags & MF_SEPARATOR)) ? text : "";
  return true;
}

void destroyMenuTree(HMENU menu) {
  MenuState& state = windowSystem().menus;
  std::unique_ptr<Menu>* found = state.menus.find(menu);
  if (found == nullptr) return;
  std::unique_ptr<Menu> gone = std::move(*found);
  state.menus.remove(menu);
  for (const MenuItem& item : gone->items)
    if (HMENU popup = item.popup()) destroyMenuTree(popup);
}

HMENU buildMenu(const std::vector<MenuTemplateItem>& items, bool bar) {
  HMENU menu = bar ? CreateMenu() : CreatePopupMenu();
  for (const MenuTemplateItem& item : items) {
    if (item.flags & MF_POPUP) {
      AppendMenuA(menu, item.flags, reinterpret_cast<UINT_PTR>(buildMenu(item.items, false)),
                  item.text.c_str());
    } else {
      AppendMenuA(menu, item.flags, item.id, item.text.c_str());
    }
  }
  return menu;
}

// The mnemonic: the character after a single "&", in upper case.
char mnemonicOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); i++) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      i++;
      continue;
    }
    return char(std::toupper(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

// ---- layout

std::vector<RECT> barItemRects(const Menu& menu, const RECT& bar) {
  std::vector<RECT> rects;
  int x = bar.left + 2;
  for (const MenuItem& item : menu.items) {
    int width = platform::user::labelWidth(item.text) + 14;
    rects.push_back(RECT{x, bar.top, x + width, bar.bottom});
    x += width;
  }
  return rects;
}

std::vector<RECT> popupItemRects(const Menu& menu, int width) {
  std::vector<RECT> rects;
  int y = 2;
  for (const MenuItem& item : menu.items) {
    int height = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
    rects.push_back(RECT{2, y, width - 2, y + height});
    y += height;
  }
  return rects;
}

SIZE popupSize(const Menu& menu) {
  int width = 80, height = 4;
  for (const MenuItem& item : menu.items) {
    width = std::max(width, platform::user::labelWidth(item.text) + kCheckColumn + 24);
    height += (item.flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
  }
  return SIZE{width, height};
}

bool selectable(const MenuItem& item) {
  return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

// ---- the loop

void drawCheckMark(HDC dc, const RECT& item, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 2, colour);
  HGDIOBJ old = SelectObject(dc, pen);
  int x = item.left + 4, y = (item.top + item.bottom) / 2;
  MoveToEx(dc, x, y, nullptr);
  LineTo(dc, x + 3, y + 3);
  LineTo(dc, x + 9, y - 4);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// The small triangle at the right of an item that opens a sub-menu.
void drawSubMenuArrow(HDC dc, const RECT& item, COLORREF colour) {
  int x = item.right - 10, y = (item.top + item.bottom) / 2;
  for (int column = 0; column < 4; column++)
    platform::user::fillSolid(dc, RECT{x + column, y - 3 + column, x + column + 1, y + 4 - column}, colour);
}

const OpenPopup* popupShownBy(HWND hwnd) {
  MenuState& state = windowSystem().menus;
  for (const OpenPopup& open : state.loop.chain)
    if (open.window == hwnd) return &open;
  return nullptr;
}

void paintPopup(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  platform::user::fillSolid(dc, client, GetSysColor(COLOR_MENU));
  platform::user::drawBevel(dc, client, true);
  const OpenPopup* open = popupShownBy(hwnd);
  Menu* menu = open ? findMenu(open->menu) : nullptr;
  if (menu != nullptr) {
    std::vector<RECT> rects = popupItemRects(*menu, client.right);
    for (size_t i = 0; i < rects.size(); i++) {
      const MenuItem& item = menu->items[i];
      RECT r = rects[i];
      if (item.flags & MF_SEPARATOR) {
        int y = (r.top + r.bottom) / 2;
        platform::user::fillSolid(dc, RECT{r.left + 2, y, r.right - 2, y + 1}, GetSysColor(COLOR_BTNSHADOW));
        continue;
      }
      bool hot = int(i) == open->hover && selectable(item);
      if (hot) platform::user::fillSolid(dc, r, GetSysColor(COLOR_HIGHLIGHT));
      COLORREF text = (item.flags & (MF_GRAYED | MF_DISABLED)) ? GetSysColor(COLOR_GRAYTEXT)
                      : hot ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_MENUTEXT);
      if (item.flags & MF_CHECKED) drawCheckMark(dc, r, text);
      if (item.popup() != nullptr) drawSubMenuArrow(dc, r, text);
      RECT label = r;
      label.left += kCheckColumn;
      std::string shown = item.text.substr(0, item.text.find('\t'));
      platform::user::drawLabel(dc, label, shown, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK popupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      paintPopup(hwnd);
      return 0;
    case WM_MOUSEACTIVATE:
      return 3;  // no activation: the owner keeps the focus
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void registerPopupClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSA wc{};
  wc.style = CS_SAVEBITS;
  wc.lpfnWndProc = popupProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kPopupClass;
  registered = RegisterClassA(&wc) != 0;
}

// The item of the open pop-up under a screen point, or -1.
int itemAt(const OpenPopup& open, POINT screen) {
  Menu* menu = findMenu(open.menu);
  RECT client;
  if (menu == nullptr || !GetClientRect(open.window, &client)) return -1;
  POINT p = screen;
  ScreenToClient(open.window, &p);
  std::vector<RECT> rects = popupItemRects(*menu, client.right);
  for (size_t i = 0; i < rects.size(); i++)
    if (PtInRect(&rects[i], p)) return int(i);
  return -1;
}

// The innermost open pop-up under a screen point, or -1.
int levelAt(POINT screen) {
  MenuState& state = windowSystem().menus;
  for (int level = int(state.loop.chain.size()) - 1; level >= 0; level--) {
    RECT rect;
    if (GetWindowRect(state.loop.chain[level].window, &rect) && PtInRect(&rect, screen)) return level;
  }
  return -1;
}

void setHover(size_t level, int index) {
  MenuState& state = windowSystem().menus;
  OpenPopup& open = state.loop.chain[level];
  if (index == open.hover) return;
  open.hover = index;
  InvalidateRect(open.window, nullptr, TRUE);
}

// The open pop-up's highlighted item, or null.
const MenuItem* hoveredItem(size_t level) {
  MenuState& state = windowSystem().menus;
  const OpenPopup& open = state.loop.chain[level];
  Menu* menu = findMenu(open.menu);
  if (menu == nullptr || open.hover < 0 || open.hover >= int(menu->items.size())) return nullptr;
  return &menu->items[open.hover];
}

// Closes the pop-ups from `level` inwards.
void closeFrom(size_t level) {
  MenuState& state = windowSystem().menus;
  while (state.loop.chain.size() > level) {
    HWND window = state.loop.chain.back().window;
    state.loop.chain.pop_back();
    DestroyWindow(window);
  }
  if (level > 0) InvalidateRect(state.loop.chain[level - 1].window, nullptr, TRUE);
}

// Shows `menu` at the screen point as the chain's next pop-up, after its
// owner has had WM_INITMENUPOPUP (`position`: its place in the bar or in
// the pop-up that holds it). False when it cannot be shown.
bool openPopup(HMENU menu, POINT at, UINT position) {
  MenuState& state = windowSystem().menus;
  SendMessageA(state.loop.owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(position, 0));
  Menu* m = findMenu(menu);
  if (m == nullptr) return false;
  registerPopupClass();
  SIZE size = popupSize(*m);
  HWND window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, "", WS_POPUP, at.x, at.y,
                                size.cx, size.cy, state.loop.owner, nullptr, nullptr, nullptr);
  if (window == nullptr) return false;
  state.loop.chain.push_back(OpenPopup{menu, window, -1});
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  return true;
}

// Where a sub-menu of `size` opens beside the item of the pop-up: to its
// right, else to its left when the screen ends first; moved up to stay on
// the screen.
POINT subMenuPlace(const OpenPopup& parent, int item, SIZE size) {
  RECT rect, client;
  GetWindowRect(parent.window, &rect);
  GetClientRect(parent.window, &client);
  RECT itemRect = popupItemRects(*findMenu(parent.menu), client.right)[size_t(item)];
  int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  POINT at{rect.right - 2, rect.top + itemRect.top - 2};
  if (at.x + size.cx > screenWidth) at.x = std::max(0L, long(rect.left - size.cx + 2));
  if (at.y + size.cy > screenHeight) at.y = std::max(0L, long(screenHeight - size.cy));
  return at;
}

// Opens the sub-menu of the pop-up's highlighted item, unless it is open
// already; true when it is open.
bool openSubMenu(size_t level) {
  MenuState& state = windowSystem().menus;
  if (state.loop.chain.size() > level + 1) return true;
  const MenuItem* item = hoveredItem(level);
  HMENU sub = item ? item->popup() : nullptr;
  if (sub == nullptr || !selectable(*item) || findMenu(sub) == nullptr) return false;
  const OpenPopup& parent = state.loop.chain[level];
  POINT at = subMenuPlace(parent, parent.hover, popupSize(*findMenu(sub)));
  return openPopup(sub, at, UINT(parent.hover));
}

// Highlights the first item of the innermost pop-up that can be chosen.
void hoverFirstItem() {
  MenuState& state = windowSystem().menus;
  size_t level = state.loop.chain.size() - 1;
  Menu* menu = findMenu(state.loop.chain[level].menu);
  for (size_t i = 0; menu != nullptr && i < menu->items.size(); i++) {
    if (selectable(menu->items[i])) return setHover(level, int(i));
  }
}

// The pointer is over `item` of the pop-up at `level`: the pop-ups opened
// from another item close, and an item's sub-menu opens.
void pointAt(size_t level, int item) {
  MenuState& state = windowSystem().menus;
  if (state.loop.chain[level].hover != item) {
    closeFrom(level + 1);
    setHover(level, item);
  }
  openSubMenu(level);
}

int barItemCount() {
  MenuState& state = windowSystem().menus;
  using namespace platform::user;
  Window* window = findWindow(state.loop.barWindow);
  Menu* bar = window ? findMenu(window->menu) : nullptr;
  return bar ? int(bar->items.size()) : 0;
}

// The bar item under a screen point of the loop's bar window, or -1.
int barItemAt(POINT screen) {
  MenuState& state = windowSystem().menus;
  using namespace platform::user;
  Window* window = findWindow(state.loop.barWindow);
  Menu* bar = window ? findMenu(window->menu) : nullptr;
  if (bar == nullptr) return -1;
  RECT windowRect;
  GetWindowRect(state.loop.barWindow, &windowRect);
  FrameParts parts = framePartsOf(*window);
  POINT at{screen.x - windowRect.left, screen.y - windowRect.top};
  std::vector<RECT> rects = barItemRects(*bar, parts.menuBar);
  for (size_t i = 0; i < rects.size(); i++)
    if (PtInRect(&rects[i], at)) return int(i);
  return -1;
}

POINT screenPointOf(const MSG& msg) {
  POINT p{SHORT(LOWORD(msg.lParam)), SHORT(HIWORD(msg.lParam))};
  if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MBUTTONDBLCLK) ClientToScreen(msg.hwnd, &p);
  return p;
}

// How the menu loop ended.
struct Outcome {
  enum Kind { Cancelled, Chosen, SwitchBarItem, Quit } kind = Cancelled;
  UINT id = 0;
  int barIndex = -1;
};

// The highlighted item of the pop-up at `level` as the loop's end: chosen
// when it is a command that can be chosen, else nothing is.
Outcome choose(size_t level) {
  const MenuItem* item = hoveredItem(level);
  if (item == nullptr || !selectable(*item) || item->popup() != nullptr) return {Outcome::Cancelled};
  return {Outcome::Chosen, UINT(item->id)};
}

// Switches to the next (or previous) item of the bar the loop runs for;
// false without a bar.
bool switchBarItem(bool next, Outcome* outcome) {
  MenuState& state = windowSystem().menus;
  int bars = barItemCount();
  if (bars == 0) return false;
  *outcome = {Outcome::SwitchBarItem, 0, (state.loop.barIndex + (next ? 1 : bars - 1)) % bars};
  return true;
}

// A key while the pop-ups are open, for the innermost one; true with
// *outcome set when it ends the loop.
bool menuKey(UINT key, Outcome* outcome) {
  MenuState& state = windowSystem().menus;
  size_t level = state.loop.chain.size() - 1;
  Menu* menu = findMenu(state.loop.chain[level].menu);
  int count = menu ? int(menu->items.size()) : 0;
  auto step = [&](int direction) {
    int hover = state.loop.chain[level].hover;
    for (int n = 1; n <= count; n++) {
      int i = ((hover < 0 ? (direction > 0 ? -1 : 0) : hover) + direction * n + count * 2) % count;
      if (selectable(menu->items[i])) return setHover(level, i);
    }
  };
  auto enterSubMenu = [&]() {
    if (!openSubMenu(level)) return false;
    hoverFirstItem();
    return true;
  };
  switch (key) {
    case VK_ESCAPE:
      if (level == 0) {
        *outcome = {Outcome::Cancelled};
        return true;
      }
      closeFrom(level);
      return false;
    case VK_RETURN:
      if (enterSubMenu()) return false;
      *outcome = choose(level);
      return true;
    case VK_DOWN: if (count) step(1); return false;
    case VK_UP: if (count) step(-1); return false;
    case VK_RIGHT: return !enterSubMenu() && switchBarItem(true, outcome);
    case VK_LEFT:
      if (level > 0) {
        closeFrom(level);
        return false;
      }
      return switchBarItem(false, outcome);
    default: break;
  }
  for (int i = 0; i < count; i++) {
    if (selectable(menu->items[i]) && mnemonicOf(menu->items[i].text) == char(key)) {
      setHover(level, i);
      if (enterSubMenu()) return false;
      *outcome = choose(level);
      return true;
    }
  }
  return false;
}

// A mouse message while the pop-ups are open; true with *outcome set when
// it ends the loop.
bool menuMouse(const MSG& msg, Outcome* outcome) {
  MenuState& state = windowSystem().menus;
  POINT screen = screenPointOf(msg);
  int level = levelAt(screen);
  int item = level >= 0 ? itemAt(state.loop.chain[size_t(level)], screen) : -1;
  switch (msg.message) {
    case WM_MOUSEMOVE:
      if (level >= 0) {
        pointAt(size_t(level), item);
      } else {
        setHover(state.loop.chain.size() - 1, -1);
      }
      return false;
    case WM_LBUTTONUP:
      if (item < 0) return false;  // the release of the click that opened the menu
      pointAt(size_t(level), item);
      if (state.loop.chain.size() > size_t(level) + 1) return false;  // it opened a sub-menu
      *outcome = choose(size_t(level));
      return outcome->kind == Outcome::Chosen;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_NCLBUTTONDOWN: {
      if (level >= 0) return false;
      int bar = state.loop.barWindow ? barItemAt(screen) : -1;
      if (bar >= 0 && bar != state.loop.barIndex) {
        *outcome = {Outcome::SwitchBarItem, 0, bar};
      } else {
        *outcome = {Outcome::Cancelled};
      }
      return true;
    }
    default:
      return false;
  }
}

bool isMouseMessage(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCRBUTTONUP);
}

// Shows `menu` at the screen point and runs the loop until it ends; every
// pop-up it opened is closed by then.
Outcome runPopup(HMENU menu, HWND owner, POINT at, UINT position) {
  MenuState& state = windowSystem().menus;
  if (findMenu(menu) == nullptr) return {};
  std::vector<OpenPopup> outerChain = std::move(state.loop.chain);
  HWND outerOwner = state.loop.owner;
  state.loop.chain.clear();
  state.loop.owner = owner;
  Outcome outcome;
  if (openPopup(menu, at, position)) {
    HWND first = state.loop.chain.front().window;
    SetCapture(first);
    MSG msg;
    for (;;) {
      if (!IsWindow(first) || !IsWindow(owner)) break;
      if (!GetMessageA(&msg, nullptr, 0, 0)) {
        PostQuitMessage(int(msg.wParam));
        outcome = {Outcome::Quit};
        break;
      }
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        if (menuKey(UINT(msg.wParam), &outcome)) break;
        continue;
      }
      if (msg.message == WM_CHAR || msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) continue;
      if (isMouseMessage(msg.message)) {
        if (menuMouse(msg, &outcome)) break;
        continue;
      }
      DispatchMessageA(&msg);
    }
    if (GetCapture() == first) ReleaseCapture();
  }
  closeFrom(0);
  state.loop.chain = std::move(outerChain);
  state.loop.owner = outerOwner;
  return outcome;
}

}  // namespace

// ---------------------------------------------------------------- calls

HMENU CreateMenu() { return newMenu(); }
HMENU CreatePopupMenu() { return newMenu(); }

BOOL DestroyMenu(HMENU menu) {
  if (findMenu(menu) == nullptr) return FALSE;
  destroyMenuTree(menu);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return findMenu(menu) != nullptr; }

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  Menu* m = findMenu(menu);
  MenuItem item;
  if (m == nullptr || !makeItem(flags, id, text, &item)) return FALSE;
  m->items.push_back(item);
  platform::notePresentationChanged();
  return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  MenuItem item;
  if (findMenu(menu) == nullptr || !makeItem(flags, id, text, &item)) return FALSE;
  Menu* owner = findMenu(menu);
  size_t index = owner->items.size();
  if (!(flags & MF_BYPOSITION)) {
    if (findItem(menu, position, flags, &owner, &index) == nullptr) return FALSE;
  } else {
    index = std::min<size_t>(position, owner->items.size());
  }
  owner->items.insert(owner->items.begin() + ptrdiff_t(index), item);
  platform::notePresentationChanged();
  return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  MenuItem* item = findItem(menu, position, flags);
  MenuItem replacement;
  if (item == nullptr || !makeItem(flags, id, text, &replacement)) return FALSE;
  *item = replacement;
  platform::notePresentationChanged();
  return TRUE;
}

static BOOL takeItemOut(HMENU menu, UINT position, UINT flags, bool destroyPopup) {
  Menu* owner = nullptr;
  size_t index = 0;
  MenuItem* item = findItem(menu, position, flags, &owner, &index);
  if (item == nullptr) return FALSE;
  HMENU popup = item->popup();
  owner->items.erase(owner->items.begin() + ptrdiff_t(index));
  if (destroyPopup && popup != nullptr) destroyMenuTree(popup);
  platform::notePresentationChanged();
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return takeItemOut(menu, position, flags, true); }
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return takeItemOut(menu, position, flags, false); }

int GetMenuItemCount(HMENU menu) {
  Menu* m = findMenu(menu);
  return m ? int(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  Menu* m = findMenu(menu);
  if (m == nullptr || position < 0 || position >= int(m->items.size())) return UINT(-1);
  const MenuItem& item = m->items[position];
  if (item.popup() != nullptr) return UINT(-1);
  return (item.flags & MF_SEPARATOR) ? 0 : UINT(item.id);
}

HMENU GetSubMenu(HMENU menu, int position) {
  Menu* m = findMenu(menu);
  if (m == nullptr || position < 0 || position >= int(m->items.size())) return nullptr;
  return m->items[position].popup();
}

UINT GetMenuState(HMENU menu, UINT id, UINT flags) {
  MenuItem* item = findItem(menu, id, flags);
  return item ? item->flags : UINT(-1);
}

int GetMenuStringA(HMENU menu, UINT id, LPSTR buffer, int bufferSize, UINT flags) {
  MenuItem* item = findItem(menu, id, flags);
  if (item == nullptr) return 0;
  if (buffer == nullptr || bufferSize <= 0) return int(item->text.size());
  int count = std::min(int(item->text.size()), bufferSize - 1);
  item->text.copy(buffer, size_t(count));
  buffer[count] = 0;
  return count;
}

UINT EnableMenuItem(HMENU menu, UINT id, UINT enable) {
  MenuItem* item = findItem(menu, id, enable);
  if (item == nullptr) return UINT(-1);
  UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
  item->flags = (item->flags & ~UINT(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  platform::notePresentationChanged();
  return previous;
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check) {
  MenuItem* item = findItem(menu, id, check);
  if (item == nullptr) return DWORD(-1);
  DWORD previous = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~UINT(MF_CHECKED)) | (check & MF_CHECKED);
  return previous;
}

BOOL DrawMenuBar(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  platform::notePresentationChanged();
  return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  MenuState& state = windowSystem().menus;
  if (findMenu(menu) == nullptr || !IsWindow(owner)) return FALSE;
  MenuLoop saved = state.loop;
  state.loop.barWindow = nullptr;
  state.loop.barIndex = -1;
  Outcome outcome = runPopup(menu, owner, POINT{x, y}, 0);
  state.loop.barWindow = saved.barWindow;
  state.loop.barIndex = saved.barIndex;
  UINT chosen = outcome.kind == Outcome::Chosen ? outcome.id : 0;
  if (flags & TPM_RETURNCMD) return BOOL(chosen);
  if (chosen != 0) PostMessageA(owner, WM_COMMAND, chosen, 0);
  return chosen != 0;
}

HMENU LoadMenuA(HINSTANCE, LPCSTR name) {
  MenuState& state = windowSystem().menus;
  if (name == nullptr) return nullptr;
  auto found = state.resources.find(platform::resourceKey(name));
  return found == state.resources.end() ? nullptr : buildMenu(found->second, true);
}

namespace platform {

void registerMenuResource(const std::string& name, std::vector<MenuTemplateItem> bar) {
  MenuState& state = windowSystem().menus;
  state.resources[resourceKey(name.c_str())] = std::move(bar);
}

HWND openMenuWindow() { return windowSystem().menus.loop.chain.empty() ? nullptr : windowSystem().menus.loop.chain.back().window; }

}  // namespace platform

namespace platform::user {

void drawMenuBar(HWND hwnd, HMENU menuHandle, HDC dc, const RECT& rect) {
  MenuState& state = windowSystem().menus;
  fillSolid(dc, rect, GetSysColor(COLOR_MENU));
  Menu* menu = findMenu(menuHandle);
  if (menu == nullptr) return;
  std::vector<RECT> rects = barItemRects(*menu, rect);
  for (size_t i = 0; i < rects.size(); i++) {
    const MenuItem& item = menu->items[i];
    bool open = state.loop.barWindow == hwnd && state.loop.barIndex == int(i) && !state.loop.chain.empty();
    if (open) fillSolid(dc, rects[i], GetSysColor(COLOR_HIGHLIGHT));
    COLORREF text = (item.flags & (MF_GRAYED | MF_DISABLED)) ? GetSysColor(COLOR_GRAYTEXT)
                    : open ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_MENUTEXT);
    drawLabel(dc, rects[i], item.text, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

// Runs the bar's pop-ups from `index` on, following Left/Right and clicks
// on other bar items, until one ends the loop.
static void runBar(HWND hwnd, int index) {
  MenuState& state = windowSystem().menus;
  MenuLoop saved = state.loop;
  state.loop.barWindow = hwnd;
  for (;;) {
    Window* window = findWindow(hwnd);
    Menu* bar = window ? findMenu(window->menu) : nullptr;
    if (bar == nullptr || index < 0 || index >= int(bar->items.size())) break;
    const MenuItem item = bar->items[index];
    state.loop.barIndex = index;
    HMENU popup = item.popup();
    if (popup == nullptr) {
      if (selectable(item)) PostMessageA(hwnd, WM_COMMAND, item.id, 0);
      break;
    }
    if (item.flags & (MF_GRAYED | MF_DISABLED)) break;
    RECT windowRect;
    GetWindowRect(hwnd, &windowRect);
    RECT itemRect = barItemRects(*bar, framePartsOf(*window).menuBar)[index];
    POINT at{windowRect.left + itemRect.left, windowRect.top + itemRect.bottom};
    platform::notePresentationChanged();
    Outcome outcome = runPopup(popup, hwnd, at, UINT(index));
    if (outcome.kind == Outcome::SwitchBarItem) {
      index = outcome.barIndex;
      continue;
    }
    if (outcome.kind == Outcome::Chosen) PostMessageA(hwnd, WM_COMMAND, outcome.id, 0);
    break;
  }
  state.loop.barWindow = saved.barWindow;
  state.loop.barIndex = saved.barIndex;
  platform::notePresentationChanged();
}

void trackMenuBar(HWND hwnd, POINT screen) {
  MenuState& state = windowSystem().menus;
  Window* window = findWindow(hwnd);
  if (window == nullptr || findMenu(window->menu) == nullptr) return;
  MenuLoop saved = state.loop;
  state.loop.barWindow = hwnd;
  int index = barItemAt(screen);
  state.loop.barWindow = saved.barWindow;
  if (index < 0) return;
  SendMessageA(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(window->menu), 0);
  runBar(hwnd, index);
}

bool menuKeyDown(HWND hwnd, UINT virtualKey) {
  HWND top = topLevelAncestor(hwnd);
  Window* window = findWindow(top);
  Menu* bar = window ? findMenu(window->menu) : nullptr;
  if (bar == nullptr) return false;
  for (size_t i = 0; i < bar->items.size(); i++) {
    if (mnemonicOf(bar->items[i].text) == char(virtualKey)) {
      SendMessageA(top, WM_INITMENU, reinterpret_cast<WPARAM>(window->menu), 0);
      runBar(top, int(i));
      return true;
    }
  }
  return false;
}

}  // namespace platform::user
