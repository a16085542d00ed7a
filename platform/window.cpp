// platform/window.cpp -- window classes, the window table, creation and
// destruction, window words, relations, window text and DefWindowProcA.
//
// Owns the class list and the window table. Handles are never reused, so a
// destroyed window's handle stays invalid for the rest of the run. Geometry
// lives in winpos.cpp, focus and capture in input.cpp, update regions in
// paint.cpp.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/handletable.h"
#include "platform/menus.h"
#include "platform/userstate.h"

namespace platform::user {
namespace {

WindowSystem theWindowSystem;

const char kDesktopClassName[] = "#32769";

bool equalsIgnoringCase(const std::string& a, const char* b) {
  size_t length = std::strlen(b);
  if (a.size() != length) return false;
  for (size_t i = 0; i < length; ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return false;
  }
  return true;
}

// Class names may be given as an atom in the pointer's low word.
bool isAtomName(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

bool classMatches(const WindowClass& windowClass, LPCSTR name) {
  if (isAtomName(name)) return windowClass.atom == reinterpret_cast<uintptr_t>(name);
  return equalsIgnoringCase(windowClass.name, name);
}

// The class of the instance when there is one, else one of any instance.
WindowClass* findClass(LPCSTR name, HINSTANCE instance) {
  WindowTable& table = windowSystem().windows;
  if (name == nullptr) return nullptr;
  WindowClass* anyInstance = nullptr;
  for (auto& windowClass : table.classes) {
    if (!classMatches(*windowClass, name)) continue;
    if (windowClass->instance == instance) return windowClass.get();
    if (anyInstance == nullptr) anyInstance = windowClass.get();
  }
  return anyInstance;
}

HWND desktopHandle() {
  WindowTable& table = windowSystem().windows;
  if (table.desktop != nullptr) return table.desktop;
  table.desktopClass.name = kDesktopClassName;
  auto desktop = std::make_unique<Window>();
  desktop->windowClass = &table.desktopClass;
  desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
  desktop->rect = screenRect();
  Window* record = desktop.get();
  table.desktop = record->handle = table.windows.add(std::move(desktop));
  return table.desktop;
}

ATOM registerClass(const WNDCLASSEXA& wc) {
  WindowTable& table = windowSystem().windows;
  if (wc.lpszClassName == nullptr || isAtomName(wc.lpszClassName) || wc.lpszClassName[0] == 0)
    return 0;
  for (auto& existing : table.classes) {
    if (existing->instance == wc.hInstance && classMatches(*existing, wc.lpszClassName)) return 0;
  }
  auto windowClass = std::make_unique<WindowClass>();
  windowClass->name = wc.lpszClassName;
  windowClass->atom = table.nextAtom++;
  windowClass->style = wc.style;
  windowClass->proc = wc.lpfnWndProc;
  windowClass->clsExtra = std::max(0, wc.cbClsExtra);
  windowClass->wndExtra = std::max(0, wc.cbWndExtra);
  windowClass->instance = wc.hInstance;
  windowClass->icon = wc.hIcon;
  windowClass->iconSmall = wc.hIconSm;
  windowClass->cursor = wc.hCursor;
  windowClass->background = wc.hbrBackground;
  if (isAtomName(wc.lpszMenuName)) {
    windowClass->menuAtom = reinterpret_cast<uintptr_t>(wc.lpszMenuName);
  } else {
    windowClass->menuName = wc.lpszMenuName;
  }
  ATOM atom = windowClass->atom;
  table.classes.push_back(std::move(windowClass));
  return atom;
}

// ---- creation

struct Placement {
  int x, y, width, height;
};

Placement defaultPlacement(DWORD style, int x, int y, int width, int height) {
  if (isChildStyle(style)) {
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) width = height = 0;
  } else {
    RECT screen = screenRect();
    if (x == CW_USEDEFAULT) x = y = 40;
    if (width == CW_USEDEFAULT) {
      width = (screen.right - screen.left) * 3 / 4;
      height = (screen.bottom - screen.top) * 3 / 4;
    }
  }
  return Placement{x, y, std::max(0, width), std::max(0, height)};
}

// A new top-level window with a frame gets the tracking sizes that its
// WM_GETMINMAXINFO gives, as a later SetWindowPos would.
void applyCreationTracking(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  int width = window->rect.right - window->rect.left;
  int height = window->rect.bottom - window->rect.top;
  applyTrackingSizes(hwnd, &width, &height);
  if ((window = findWindow(hwnd)) == nullptr) return;
  window->rect.right = window->rect.left + width;
  window->rect.bottom = window->rect.top + height;
}

// Removes a window's record after its last message; its children and
// owned windows are gone by then.
void eraseWindow(HWND hwnd) {
  WindowTable& table = windowSystem().windows;
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  if (std::vector<HWND>* siblings = siblingsOf(*window)) {
    siblings->erase(std::remove(siblings->begin(), siblings->end(), hwnd), siblings->end());
  }
  if (window->windowClass) --window->windowClass->windowCount;
  forgetInputWindow(hwnd);
  killTimersOf(hwnd);
  discardMessagesFor(hwnd);
  table.windows.remove(hwnd);
}

// A top-level window without a menu of its own gets its class's menu.
HMENU classMenu(const WindowClass& windowClass, HINSTANCE instance) {
  if (windowClass.menuAtom != 0)
    return LoadMenuA(instance, reinterpret_cast<LPCSTR>(windowClass.menuAtom));
  if (!windowClass.menuName.empty()) return LoadMenuA(instance, windowClass.menuName.c_str());
  return nullptr;
}

LRESULT sendCreate(HWND hwnd, UINT msg, CREATESTRUCTA& create) {
  return callWindowProc(hwnd, msg, 0, reinterpret_cast<LPARAM>(&create));
}

void sendInitialSizeAndPosition(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return;
  WINDOWPOS pos{hwnd, nullptr, window->rect.left, window->rect.top,
                window->rect.right - window->rect.left, window->rect.bottom - window->rect.top,
                SWP_NOZORDER | SWP_NOACTIVATE};
  sendMoveAndSize(hwnd, pos);
}

std::vector<HWND> snapshotOwnedWindows(HWND owner) {
  WindowTable& table = windowSystem().windows;
  std::vector<HWND> owned;
  for (HWND top : table.topLevel) {
    Window* window = findWindow(top);
    if (window != nullptr && window->owner == owner) owned.push_back(top);
  }
  return owned;
}

void collectDescendants(const Window& window, std::vector<HWND>* out) {
  for (HWND child : window.children) {
    out->push_back(child);
    if (Window* childWindow = findWindow(child)) collectDescendants(*childWindow, out);
  }
}

// ---- text

int copyText(const std::string& text, LPSTR buffer, size_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) return 0;
  size_t count = std::min(text.size(), bufferSize - 1);
  std::memcpy(buffer, text.data(), count);
  buffer[count] = 0;
  return int(count);
}

LRESULT defaultSysCommand(HWND hwnd, WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_CLOSE:
      return SendMessageA(hwnd, WM_CLOSE, 0, 0);
    case SC_MINIMIZE:
      ShowWindow(hwnd, SW_MINIMIZE);
      return 0;
    case SC_MAXIMIZE:
      ShowWindow(hwnd, SW_MAXIMIZE);
      return 0;
    case SC_RESTORE:
      ShowWindow(hwnd, SW_RESTORE);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

WindowSystem& windowSystem() { return theWindowSystem; }

// ---- shared with the other window modules

Window* findWindow(HWND hwnd) {
  WindowTable& table = windowSystem().windows;
  std::unique_ptr<Window>* window = table.windows.find(hwnd);
  return window != nullptr ? window->get() : nullptr;
}

bool isDesktop(HWND hwnd) { return hwnd != nullptr && hwnd == windowSystem().windows.desktop; }

std::vector<HWND>& topLevelWindows() { return windowSystem().windows.topLevel; }

HWND topLevelAncestor(HWND hwnd) {
  Window* window = findWindow(hwnd);
  while (window != nullptr && window->parent != nullptr) {
    Window* parent = findWindow(window->parent);
    if (parent == nullptr) break;
    window = parent;
  }
  return window ? window->handle : nullptr;
}

std::vector<HWND>* siblingsOf(const Window& window) {
  WindowTable& table = windowSystem().windows;
  if (isDesktop(window.handle)) return nullptr;
  if (window.parent == nullptr) return &table.topLevel;
  Window* parent = findWindow(window.parent);
  return parent ? &parent->children : nullptr;
}

LRESULT callWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return 0;
  WNDPROC proc = window->proc;
  if (proc == nullptr) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return proc(hwnd, msg, wParam, lParam);
}

}  // namespace platform::user

using namespace platform::user;

// ---------------------------------------------------------------- classes

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (wc == nullptr) return 0;
  WNDCLASSEXA ex{sizeof(WNDCLASSEXA), wc->style,     wc->lpfnWndProc,   wc->cbClsExtra,
                 wc->cbWndExtra,     wc->hInstance, wc->hIcon,         wc->hCursor,
                 wc->hbrBackground,  wc->lpszMenuName, wc->lpszClassName, nullptr};
  return registerClass(ex);
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) return 0;
  return registerClass(*wc);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  WindowTable& table = windowSystem().windows;
  if (className == nullptr) return FALSE;
  for (auto it = table.classes.begin(); it != table.classes.end(); ++it) {
    WindowClass& windowClass = **it;
    if (windowClass.instance != instance || !classMatches(windowClass, className)) continue;
    if (windowClass.windowCount > 0) return FALSE;
    table.classes.erase(it);
    return TRUE;
  }
  return FALSE;
}

BOOL GetClassInfoA(HINSTANCE instance, LPCSTR className, LPWNDCLASSA wc) {
  WindowClass* windowClass = findClass(className, instance);
  if (windowClass == nullptr || wc == nullptr) return FALSE;
  wc->style = windowClass->style;
  wc->lpfnWndProc = windowClass->proc;
  wc->cbClsExtra = windowClass->clsExtra;
  wc->cbWndExtra = windowClass->wndExtra;
  wc->hInstance = windowClass->instance;
  wc->hIcon = windowClass->icon;
  wc->hCursor = windowClass->cursor;
  wc->hbrBackground = windowClass->background;
  wc->lpszMenuName = windowClass->menuAtom
                         ? reinterpret_cast<LPCSTR>(windowClass->menuAtom)
                         : (windowClass->menuName.empty() ? nullptr : windowClass->menuName.c_str());
  wc->lpszClassName = windowClass->name.c_str();
  return TRUE;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int bufferSize) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || bufferSize <= 0) return 0;
  return copyText(window->windowClass->name, buffer, size_t(bufferSize));
}

ULONG_PTR GetClassLongPtrA(HWND hwnd, int index) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return 0;
  const WindowClass& windowClass = *window->windowClass;
  switch (index) {
    case GCL_MENUNAME:
      if (windowClass.menuAtom) return windowClass.menuAtom;
      return windowClass.menuName.empty()
                 ? 0
                 : reinterpret_cast<ULONG_PTR>(windowClass.menuName.c_str());
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(windowClass.background);
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(windowClass.cursor);
    case GCL_HICON: return reinterpret_cast<ULONG_PTR>(windowClass.icon);
    case GCL_CBWNDEXTRA: return ULONG_PTR(windowClass.wndExtra);
    case GCL_CBCLSEXTRA: return ULONG_PTR(windowClass.clsExtra);
    case GCL_WNDPROC: return reinterpret_cast<ULONG_PTR>(windowClass.proc);
    case GCL_STYLE: return windowClass.style;
    default: return 0;
  }
}

// ------------------------------------------------------ creation and lifetime

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  WindowTable& table = windowSystem().windows;
  WindowClass* windowClass = findClass(className, instance);
  if (windowClass == nullptr && registerSystemClasses()) windowClass = findClass(className, instance);
  if (windowClass == nullptr) return nullptr;
  if (isDesktop(parent)) parent = nullptr;
  if (!isChildStyle(style) && menu == nullptr) menu = classMenu(*windowClass, instance);
  if (parent != nullptr && findWindow(parent) == nullptr) return nullptr;
  if (isChildStyle(style) && parent == nullptr) return nullptr;

  Placement place = defaultPlacement(style, x, y, width, height);
  auto record = std::make_unique<Window>();
  Window* window = record.get();
  HWND hwnd = table.windows.add(std::move(record));
  window->handle = hwnd;
  window->windowClass = windowClass;
  window->proc = windowClass->proc;
  window->style = style & ~DWORD(WS_VISIBLE);  // shown after WM_CREATE
  window->exStyle = exStyle;
  window->instance = instance;
  window->menu = menu;
  window->extraWords.assign(size_t(windowClass->wndExtra + 3) / 4, 0);
  window->rect = {place.x, place.y, place.x + place.width, place.y + place.height};
  window->restoreRect = window->rect;
  if (isChildStyle(style)) {
    window->parent = parent;
    findWindow(parent)->children.insert(findWindow(parent)->children.begin(), hwnd);
  } else {
    window->owner = topLevelAncestor(parent);
    table.topLevel.insert(table.topLevel.begin(), hwnd);
  }
  ++windowClass->windowCount;

  applyCreationTracking(hwnd);
  Window* created = findWindow(hwnd);
  if (created == nullptr) return nullptr;
  CREATESTRUCTA create{param,
                       instance,
                       menu,
                       parent,
                       int(created->rect.bottom - created->rect.top),
                       int(created->rect.right - created->rect.left),
                       int(created->rect.top),
                       int(created->rect.left),
                       LONG(style),
                       windowName,
                       className,
                       exStyle};
  if (!sendCreate(hwnd, WM_NCCREATE, create)) {
    callWindowProc(hwnd, WM_NCDESTROY, 0, 0);
    eraseWindow(hwnd);
    return nullptr;
  }
  if (sendCreate(hwnd, WM_CREATE, create) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  sendInitialSizeAndPosition(hwnd);
  if ((style & WS_VISIBLE) && findWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return findWindow(hwnd) ? hwnd : nullptr;
}

// Windows order: owned windows go first; then WM_DESTROY reaches the window
// before its children, and WM_NCDESTROY after theirs.
BOOL DestroyWindow(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || isDesktop(hwnd) || window->destroying) return FALSE;
  window->destroying = true;
  window->style &= ~DWORD(WS_VISIBLE);
  for (HWND owned : snapshotOwnedWindows(hwnd)) DestroyWindow(owned);
  forgetInputWindow(hwnd);
  callWindowProc(hwnd, WM_DESTROY, 0, 0);
  if ((window = findWindow(hwnd)) != nullptr) {
    std::vector<HWND> children = window->children;
    for (HWND child : children) DestroyWindow(child);
  }
  callWindowProc(hwnd, WM_NCDESTROY, 0, 0);
  for (HWND owned : snapshotOwnedWindows(hwnd)) DestroyWindow(owned);
  eraseWindow(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return findWindow(hwnd) != nullptr; }

// ------------------------------------------------------------------ words

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return 0;
  if (index >= 0) {
    if (index % 4 != 0 || index >= window->windowClass->wndExtra) return 0;
    return window->extraWords[size_t(index / 4)];
  }
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(window->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(window->instance);
    case GWL_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(window->parent ? window->parent : window->owner);
    case GWL_STYLE: return LONG_PTR(window->style);
    case GWL_EXSTYLE: return LONG_PTR(window->exStyle);
    case GWL_USERDATA: return window->userData;
    case GWL_ID: return reinterpret_cast<LONG_PTR>(window->menu);
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || isDesktop(hwnd)) return 0;
  LONG_PTR previous = GetWindowLongPtrA(hwnd, index);
  if (index >= 0) {
    if (index % 4 != 0 || index >= window->windowClass->wndExtra) return 0;
    window->extraWords[size_t(index / 4)] = value;
    return previous;
  }
  switch (index) {
    case GWL_WNDPROC: window->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWL_HINSTANCE: window->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWL_HWNDPARENT:
      if (window->parent != nullptr) return 0;
      window->owner = topLevelAncestor(reinterpret_cast<HWND>(value));
      break;
    case GWL_STYLE: window->style = DWORD(value); break;
    case GWL_EXSTYLE: window->exStyle = DWORD(value); break;
    case GWL_USERDATA: window->userData = value; break;
    case GWL_ID: window->menu = reinterpret_cast<HMENU>(value); break;
    default: return 0;
  }
  return previous;
}

LONG_PTR GetWindowLongA(HWND hwnd, int index) { return GetWindowLongPtrA(hwnd, index); }

LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value) {
  return SetWindowLongPtrA(hwnd, index, value);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (proc == nullptr) return 0;
  return proc(hwnd, msg, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create != nullptr && create->lpszName != nullptr && !isAtomName(create->lpszName))
        window->text = create->lpszName;
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<LPCSTR>(lParam);
      window->text = text ? text : "";
      return TRUE;
    }
    case WM_GETTEXT:
      return copyText(window->text, reinterpret_cast<LPSTR>(lParam), size_t(wParam));
    case WM_GETTEXTLENGTH:
      return LRESULT(window->text.size());
    case WM_PAINT:
      ValidateRect(hwnd, nullptr);
      return 0;
    case WM_ERASEBKGND:
      return eraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_WINDOWPOSCHANGED:
      if (lParam != 0) sendMoveAndSize(hwnd, *reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !(window->style & WS_MINIMIZE)) {
        HWND focus = GetFocus();
        if (focus != hwnd && !IsChild(hwnd, focus)) SetFocus(hwnd);
      }
      return 0;
    case WM_SYSCOMMAND:
      return defaultSysCommand(hwnd, wParam);
    case WM_SETCURSOR:
      if (window->parent != nullptr && SendMessageA(window->parent, WM_SETCURSOR, wParam, lParam))
        return TRUE;
      return defaultSetCursor(hwnd, lParam);
    case WM_NCHITTEST:
      return frameHitTest(hwnd, POINT{SHORT(LOWORD(lParam)), SHORT(HIWORD(lParam))});
    case WM_NCLBUTTONDOWN:
      return frameButtonDown(hwnd, wParam, lParam);
    case WM_SYSKEYDOWN:
      menuKeyDown(hwnd, UINT(wParam));
      return 0;
    case WM_MOUSEACTIVATE:
      return 1;  // activate
    default:
      return 0;
  }
}

// ------------------------------------------------------ relations and lookup

HWND GetParent(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return nullptr;
  if (window->parent != nullptr) return window->parent;
  return (window->style & WS_POPUP) ? window->owner : nullptr;  // popups name their owner
}

HWND SetParent(HWND child, HWND newParent) {
  WindowTable& table = windowSystem().windows;
  Window* window = findWindow(child);
  if (window == nullptr || isDesktop(child)) return nullptr;
  if (isDesktop(newParent)) newParent = nullptr;
  if (newParent != nullptr && (findWindow(newParent) == nullptr || newParent == child ||
                               IsChild(child, newParent)))
    return nullptr;
  HWND oldParent = window->parent ? window->parent : desktopHandle();
  if (std::vector<HWND>* siblings = siblingsOf(*window)) {
    siblings->erase(std::remove(siblings->begin(), siblings->end(), child), siblings->end());
  }
  window->parent = newParent;
  window->owner = nullptr;
  std::vector<HWND>& list = newParent ? findWindow(newParent)->children : table.topLevel;
  list.insert(list.begin(), child);
  return oldParent;
}

HWND GetWindow(HWND hwnd, UINT relation) {
  Window* window = findWindow(hwnd);
  if (window == nullptr) return nullptr;
  if (relation == GW_OWNER) return window->owner;
  if (relation == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
  std::vector<HWND>* siblings = siblingsOf(*window);
  if (siblings == nullptr || siblings->empty()) return nullptr;
  auto at = std::find(siblings->begin(), siblings->end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST: return siblings->front();
    case GW_HWNDLAST: return siblings->back();
    case GW_HWNDNEXT: return (at == siblings->end() || at + 1 == siblings->end()) ? nullptr : *(at + 1);
    case GW_HWNDPREV: return (at == siblings->begin() || at == siblings->end()) ? nullptr : *(at - 1);
    default: return nullptr;
  }
}

HWND GetDesktopWindow() { return desktopHandle(); }

BOOL IsChild(HWND parent, HWND hwnd) {
  if (parent == nullptr) return FALSE;
  Window* window = findWindow(hwnd);
  while (window != nullptr && window->parent != nullptr) {
    if (window->parent == parent) return TRUE;
    window = findWindow(window->parent);
  }
  return FALSE;
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* window = findWindow(dialog);
  if (window == nullptr) return nullptr;
  for (HWND child : window->children) {
    Window* childWindow = findWindow(child);
    if (childWindow && reinterpret_cast<intptr_t>(childWindow->menu) == id) return child;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* window = findWindow(hwnd);
  if (window == nullptr || window->parent == nullptr) return 0;
  return int(reinterpret_cast<intptr_t>(window->menu));
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  WindowTable& table = windowSystem().windows;
  for (HWND top : table.topLevel) {
    Window* window = findWindow(top);
    if (window == nullptr || window->destroying) continue;
    if (className != nullptr && !classMatches(*window->windowClass, className)) continue;
    if (windowName != nullptr && !equalsIgnoringCase(window->text, windowName)) continue;
    return top;
  }
  return nullptr;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
  Window* window = findWindow(parent);
  if (window == nullptr || proc == nullptr) return FALSE;
  std::vector<HWND> descendants;
  collectDescendants(*window, &descendants);
  for (HWND child : descendants) {
    if (findWindow(child) != nullptr && !proc(child, lParam)) break;
  }
  return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
  WindowTable& table = windowSystem().windows;
  if (proc == nullptr) return FALSE;
  std::vector<HWND> windows = table.topLevel;
  for (HWND top : windows) {
    if (findWindow(top) != nullptr && !proc(top, lParam)) return FALSE;
  }
  return TRUE;
}

// ------------------------------------------------------------------- text

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (findWindow(hwnd) == nullptr) return FALSE;
  return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int bufferSize) {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  buffer[0] = 0;
  if (findWindow(hwnd) == nullptr) return 0;
  return int(SendMessageA(hwnd, WM_GETTEXT, WPARAM(bufferSize), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND hwnd) {
  if (findWindow(hwnd) == nullptr) return 0;
  return int(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
