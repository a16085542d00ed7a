// shell/mainmenu.h -- the main window's menu bar and the ids of the user's
// commands.
//
// Owns: the command ids (menu items, toolbar buttons, the bookmark
// dialog's rebuild request), the menu resource "MAIN" that the main window
// class names, the lookup of its pop-ups, the enabling and check marks of
// its items, the bookmark entries at the end of the Bookmark menu (ids 1 to
// n, n at most ZM_MAX_BOOKMARK_MENU_ENTRIES) and the main window's title.
// It does not own what the commands do nor when marks change
// (shell/commands.h), nor the bookmarks (shell/bookmarks.h).
#ifndef LUMENFOLD_SHELL_MAINMENU_H
#define LUMENFOLD_SHELL_MAINMENU_H

#include "platform/wintypes.h"
#include "shell/bookmarks.h"

enum ZmCommandId {
  ZM_CMD_OPEN_URL = 101,
  ZM_CMD_OPEN_FILE = 102,
  ZM_CMD_STOP = 103,
  ZM_CMD_EXIT = 109,
  ZM_CMD_FORWARD = 110,
  ZM_CMD_BACKWARD = 111,
  ZM_CMD_HOME = 112,  // command toolbar only
  ZM_CMD_UNDO = 113,  // command toolbar only
  ZM_CMD_ADD_BOOKMARK = 114,
  // 115, ZM_CMD_REBUILD_BOOKMARK_MENU, is posted by the bookmark dialog.
  ZM_CMD_AUTO_LOAD_IMAGES = 116,
  ZM_CMD_AUTO_LOAD_SOUNDS = 117,
  ZM_CMD_VIEW_AVATAR = 118,
  ZM_CMD_RELOAD = 120,
  ZM_CMD_JUMPING_EYE = 121,  // "Vadavir Oze"
  ZM_CMD_SCOUTER = 122,      // command toolbar only
  ZM_CMD_HEAD_LIGHT = 123,
  ZM_CMD_CHAT = 124,
  ZM_CMD_VIEW_BOOKMARK = 125,
  ZM_CMD_PREFERENCES = 129,
  // The navigation toolbar: its buttons hold arrow keys down.
  ZM_CMD_TURN_LEFT = 130,
  ZM_CMD_SLIDE_LEFT = 131,
  ZM_CMD_WALK_FORWARD = 132,
  ZM_CMD_WALK_BACK = 133,
  ZM_CMD_SLIDE_RIGHT = 134,
  ZM_CMD_TURN_RIGHT = 135,
  ZM_CMD_ABOUT = 199,
};

constexpr const char* ZM_MAIN_MENU = "MAIN";

// Registers the menu resource "MAIN" (again: it replaces itself).
void zmRegisterMainMenu();

// The pop-up of the main window's menu bar whose first item has the id;
// null when there is none (or no menu bar).
HMENU zmFindSubMenu(int id);

// EnableMenuItem (MF_ENABLED or MF_GRAYED) and CheckMenuItem on the main
// window's menu bar, by command id; -1 when the window has no menu bar.
int zmEnableMenuCommand(int id, UINT flags);
int zmCheckMenuCommand(int id, bool checked);

/*
 * zmAppendBookmarkMenuEntry --
 *   Appends the title to the Bookmark menu as the next bookmark entry.
 * Results:
 *   The entry's id (1, 2, ...); 0 when the menu holds
 *   ZM_MAX_BOOKMARK_MENU_ENTRIES already or has no Bookmark pop-up (the
 *   bookmark is then reached through the dialog only).
 */
int zmAppendBookmarkMenuEntry(const char* title);
// Appends an entry for each bookmark, in list order, up to the bound.
void zmAppendBookmarkMenu();
// Deletes every bookmark entry; the next one appended takes id 1.
void zmRemoveBookmarkMenu();
// The number n of bookmark entries the menu shows.
int zmBookmarkMenuCount();

// The main window's text: the current world's title, else "Lumenfold".
void zmSetWindowTitle();

#endif
