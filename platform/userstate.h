// platform/userstate.h -- the window system's one record: what the modules
// behind winuser.h, menus.h, dialogs.h, controls.h, resources.h, desktop.h
// and devinput.h keep between calls. Private to those modules; program code
// never includes it.
//
// Owns the record's layout; each member is written by one module:
//   windows    window.cpp     the class list and the window table
//   queue      queue.cpp      the posted messages, WM_QUIT, the last message's time and place
//   timers     timer.cpp      the timers
//   input      input.cpp      focus, activation, capture, key states, the cursor position
//   eraseHook  paint.cpp      how the drawing layer erases a background
//   menus      menu.cpp       the menus, menu resources and the menu loop on show
//   dialogs    dialog.cpp     dialog resources, the dialogs' states, scripts, dropped files
//   controls   controls.cpp   each standard control's state
//   resources  resources.cpp  bitmap and cursor resources and the cursor on show
//   desktop    desktop.cpp    what the desktop's window manager does for the windows
//   devices    devinput.cpp   the pointer's buttons, the keyboard layout, queued device input
// They are one subsystem: every member speaks of the same windows, and a
// call of one module routinely reads another's member through that
// module's functions (a destroyed window leaves the queue, the timers, the
// input and the controls together).
#ifndef LUMENFOLD_PLATFORM_USERSTATE_H
#define LUMENFOLD_PLATFORM_USERSTATE_H

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/desktop.h"
#include "platform/devinput.h"
#include "platform/dialogs.h"
#include "platform/handletable.h"
#include "platform/menus.h"
#include "platform/resources.h"
#include "platform/windowstate.h"

namespace platform::user {

// ---- window.cpp

struct WindowTable {
  std::vector<std::unique_ptr<WindowClass>> classes;
  HandleTable<HWND, std::unique_ptr<Window>> windows{0x10004, 4};
  std::vector<HWND> topLevel;     // front to back
  ATOM nextAtom = 0xC000;
  HWND desktop = nullptr;         // made on first use
  WindowClass desktopClass;       // the desktop's, never registered
};

// ---- queue.cpp

struct QueueState {
  std::deque<MSG> posted;     // FIFO; a translated character goes to the front
  bool quitPosted = false;    // PostQuitMessage was called and WM_QUIT not yet taken
  int quitCode = 0;
  DWORD lastMessageTime = 0;  // of the last message taken off the queue
  POINT lastMessagePos{0, 0};
};

// ---- timer.cpp

struct Timer {
  HWND hwnd;        // null for a timer without a window
  UINT_PTR id;
  UINT elapse;      // ms
  TIMERPROC proc;   // called by DispatchMessageA in place of the window procedure
  uint64_t due;     // on clockMs()
  uint64_t serial;  // creation order, which breaks ties between equal due times
};

struct TimerState {
  std::vector<Timer> timers;
  UINT_PTR nextWindowlessId = 1;
  uint64_t nextSerial = 1;
};

// ---- input.cpp

struct InputState {
  HWND focus = nullptr;    // receives the keys
  HWND active = nullptr;   // the top-level window the focus lives in
  HWND capture = nullptr;  // receives the mouse
  BYTE keys[256] = {};     // held (0x80) and toggled (0x01) per virtual key
  POINT cursor{0, 0};      // screen coordinates
};

// ---- menu.cpp

struct MenuItem {
  UINT flags = 0;           // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
  UINT_PTR id = 0;          // the command id, or the pop-up's handle with MF_POPUP
  std::string text;

  HMENU popup() const { return (flags & MF_POPUP) ? reinterpret_cast<HMENU>(id) : nullptr; }
};

struct Menu {
  std::vector<MenuItem> items;
};

// One pop-up on show.
struct OpenPopup {
  HMENU menu = nullptr;
  HWND window = nullptr;
  int hover = -1;  // the highlighted item
};

struct MenuLoop {
  // The pop-up the loop opened, then each sub-menu opened from the one
  // before it, always from that one's highlighted item.
  std::vector<OpenPopup> chain;
  HWND owner = nullptr;      // gets WM_INITMENUPOPUP and the choice
  HWND barWindow = nullptr;  // the window whose menu bar opened it, if any
  int barIndex = -1;         // the open item of that bar
};

// The menus made, the templates they load from, and the loop on show.
struct MenuState {
  HandleTable<HMENU, std::unique_ptr<Menu>> menus{0x30004, 4};
  std::map<std::string, std::vector<MenuTemplateItem>> resources;
  MenuLoop loop;
};

// ---- dialog.cpp

struct DialogState {
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  std::vector<HWND> controls;  // in template order: the tab order
};

// Files dropped on a window, until its DragFinish.
struct DropRecord {
  std::vector<std::string> paths;
  POINT point{0, 0};
};

struct DialogTable {
  std::map<std::string, DialogTemplate> resources;
  std::map<HWND, DialogState> dialogs;
  std::deque<std::vector<DialogAction>> scripts;
  bool boxesOnScreen = false;
  HandleTable<HDROP, DropRecord> drops{0x50004, 4};
};

// ---- controls.cpp

// Each control's state, by window, made on WM_NCCREATE and dropped on
// WM_NCDESTROY.
template <class State>
struct StateTable {
  std::map<HWND, std::unique_ptr<State>> states;
  State* find(HWND hwnd) {
    auto found = states.find(hwnd);
    return found == states.end() ? nullptr : found->second.get();
  }
  State* make(HWND hwnd) { return (states[hwnd] = std::make_unique<State>()).get(); }
  void drop(HWND hwnd) { states.erase(hwnd); }
};

constexpr size_t kDefaultEditLimit = 30000;

struct Edit {
  std::string text;
  size_t limit = kDefaultEditLimit;
  size_t anchor = 0, caret = 0;  // the selection runs between them
  size_t firstShown = 0;         // the first character drawn (ES_AUTOHSCROLL)
  HFONT font = nullptr;
  bool focused = false;

  size_t selStart() const { return std::min(anchor, caret); }
  size_t selEnd() const { return std::max(anchor, caret); }
};

struct Button {
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  bool tracking = false;
  bool focused = false;
  HFONT font = nullptr;
};

constexpr int kListItemHeight = 16;

struct ListItem {
  std::string text;
  ULONG_PTR data = 0;
  int height = kListItemHeight;
};

struct ListBox {
  std::vector<ListItem> items;
  int selection = LB_ERR;
  int top = 0;                 // the first item shown
  int fixedHeight = kListItemHeight;
  bool focused = false;
  HFONT font = nullptr;
};

// Every control's state, one table per class.
struct Controls {
  StateTable<Edit> edits;
  StateTable<Button> buttons;
  StateTable<ListBox> lists;
};

// ---- resources.cpp

struct ResourceState {
  std::map<std::string, BitmapResource> bitmaps;
  // The program's cursor resources, by resource key.
  std::map<std::string, PointerShape> cursors = {{"URL", PointerShape::Link},
                                                            {"PICK", PointerShape::Pick},
                                                            {"GRAB", PointerShape::Grab},
                                                            {"DRAG", PointerShape::Drag}};
  HCURSOR current = nullptr;  // null until the first SetCursor: the arrow shows
  int showCount = 0;
  uint32_t generation = 0;
};

// ---- desktop.cpp

struct Desktop {
  bool managerFrames = false;
  ManagerShowRequest showRequest = nullptr;
  OuterRectQuery outerRect = nullptr;
  ProgramIcon icon;
};

// ---- devinput.cpp

// The last press in a client area that may begin a double click.
struct Press {
  HWND window = nullptr;
  int button = 0;
  uint64_t timeMs = 0;
  POINT screen{0, 0};
};

struct DeviceState {
  WPARAM buttons = 0;       // MK_LBUTTON | MK_RBUTTON | MK_MBUTTON held
  bool altDown = false;
  int layoutCharacters[256];  // by the serial in a key message's scan-code byte
  int nextSerial = 1;
  Press lastPress;          // its window is null after a double click
  std::deque<InputEvent> queued;
  int pipe[2] = {-1, -1};   // readable while `queued` holds events

  DeviceState() {
    for (int& c : layoutCharacters) c = -1;
  }
};

struct WindowSystem {
  WindowTable windows;
  QueueState queue;
  TimerState timers;
  InputState input;
  EraseBackgroundHook eraseHook = nullptr;  // set by the drawing layer
  MenuState menus;
  DialogTable dialogs;
  Controls controls;
  ResourceState resources;
  Desktop desktop;
  DeviceState devices;
};

WindowSystem& windowSystem();

}  // namespace platform::user

#endif
