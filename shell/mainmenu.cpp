// shell/mainmenu.cpp -- the menu bar "MAIN", its marks, the bookmark
// entries and the window title; see mainmenu.h.
#include "shell/mainmenu.h"

#include <utility>
#include <vector>

#include "core/apphandles.h"
#include "core/world.h"
#include "platform/menus.h"
#include "platform/winuser.h"
#include "shell/mainwnd.h"
#include "shell/mainparts.h"

namespace {

// The menu's part of the main window's record.
int& bookmarkEntries() { return zmMainWindowParts().bookmarkEntries; }

using platform::MenuTemplateItem;

MenuTemplateItem item(const char* text, UINT id, UINT flags = MF_STRING) { return {text, id, flags, {}}; }
MenuTemplateItem separator() { return {"", 0, MF_SEPARATOR, {}}; }
MenuTemplateItem popup(const char* text, std::vector<MenuTemplateItem> items) {
  return {text, 0, MF_POPUP, std::move(items)};
}

HMENU mainMenu() {
  HWND mainWindow = zmGetMainHwnd();
  return mainWindow != nullptr ? GetMenu(mainWindow) : nullptr;
}

}  // namespace

void zmRegisterMainMenu() {
  bookmarkEntries() = 0;  // menus made from the resource start without entries
  platform::registerMenuResource(
      ZM_MAIN_MENU,
      {
          popup("&File", {item("&Open File...", ZM_CMD_OPEN_FILE), item("Open &URL...", ZM_CMD_OPEN_URL),
                          item("E&xit", ZM_CMD_EXIT)}),
          popup("&Go", {item("&Stop loading", ZM_CMD_STOP), item("&Backward", ZM_CMD_BACKWARD),
                        item("&Forward", ZM_CMD_FORWARD)}),
          popup("&View", {item("&Reload", ZM_CMD_RELOAD), item("&Vadavir Oze", ZM_CMD_JUMPING_EYE),
                          item("Head &Light", ZM_CMD_HEAD_LIGHT), item("&Chat", ZM_CMD_CHAT), separator(),
                          item("&Preferences...", ZM_CMD_PREFERENCES)}),
          popup("&Bookmark", {item("&Add bookmark", ZM_CMD_ADD_BOOKMARK),
                              item("&View Bookmark", ZM_CMD_VIEW_BOOKMARK), separator()}),  // then the entries
          popup("&Avatar", {item("&View Avatar", ZM_CMD_VIEW_AVATAR)}),
          popup("&Options", {item("&Auto Load Images", ZM_CMD_AUTO_LOAD_IMAGES),
                             item("&Auto Load Sounds", ZM_CMD_AUTO_LOAD_SOUNDS, MF_GRAYED)}),
          popup("&Help", {item("&About...", ZM_CMD_ABOUT)}),
      });
}

HMENU zmFindSubMenu(int id) {
  HMENU bar = mainMenu();
  const int count = bar != nullptr ? GetMenuItemCount(bar) : 0;
  for (int position = 0; position < count; position++) {
    HMENU sub = GetSubMenu(bar, position);
    if (sub != nullptr && GetMenuItemID(sub, 0) == UINT(id)) return sub;
  }
  return nullptr;
}

int zmEnableMenuCommand(int id, UINT flags) {
  HMENU bar = mainMenu();
  if (bar == nullptr) return -1;
  EnableMenuItem(bar, UINT(id), MF_BYCOMMAND | flags);
  return 0;
}

int zmCheckMenuCommand(int id, bool checked) {
  HMENU bar = mainMenu();
  if (bar == nullptr) return -1;
  CheckMenuItem(bar, UINT(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  return 0;
}

int zmAppendBookmarkMenuEntry(const char* title) {
  int& bookmarkEntries = zmMainWindowParts().bookmarkEntries;
  HMENU menu = zmFindSubMenu(ZM_CMD_ADD_BOOKMARK);
  if (menu == nullptr || bookmarkEntries >= ZM_MAX_BOOKMARK_MENU_ENTRIES) return 0;
  if (!AppendMenuA(menu, MF_STRING, UINT_PTR(bookmarkEntries + 1), title)) return 0;
  return ++bookmarkEntries;
}

void zmAppendBookmarkMenu() {
  for (const ZmBookmarkMenuEntry& entry : zmBookmarkMenuEntries()) zmAppendBookmarkMenuEntry(entry.title.c_str());
}

// The entries are the menu's last n items: deleting at the first entry's
// position until nothing is left there takes them all.
void zmRemoveBookmarkMenu() {
  int& bookmarkEntries = zmMainWindowParts().bookmarkEntries;
  if (HMENU menu = zmFindSubMenu(ZM_CMD_ADD_BOOKMARK)) {
    const UINT first = UINT(GetMenuItemCount(menu) - bookmarkEntries);
    while (DeleteMenu(menu, first, MF_BYPOSITION)) {
    }
  }
  bookmarkEntries = 0;
}

int zmBookmarkMenuCount() { return bookmarkEntries(); }

void zmSetWindowTitle() {
  const ZmWorld* world = zmGetCurrentWorld();
  const bool titled = world != nullptr && world->title != nullptr;
  SetWindowTextA(zmGetMainHwnd(), titled ? world->title : ZM_MAIN_TITLE);
}
