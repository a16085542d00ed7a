// platform/menus.h -- menu bars, pop-up menus and menu resources defined in
// code.
//
// Owns: the menu table (items with their ids, texts, check marks, graying
// and pop-ups), the menu resources that LoadMenuA builds menus from, the
// drawing of menu bars and pop-ups, and the menu loop that a click on a menu
// bar or TrackPopupMenu runs. It does not own the window that shows a menu
// bar (SetMenu, winuser.h) nor the frame around it.
//
// The menu loop is modal: it pumps the queue until an item is chosen or the
// menu is dismissed (a click elsewhere, Escape). Before a pop-up opens its
// owner gets WM_INITMENUPOPUP (the menu, its position in the bar or in the
// pop-up that holds it); a chosen item reaches the owner as WM_COMMAND with
// the id in the low word.
//
// A pop-up item that holds a pop-up (a sub-menu) opens it beside itself
// when the pointer rests on it or clicks it, or on Right, Return or its
// mnemonic; Left and Escape close the innermost sub-menu only. Choosing an
// item of a sub-menu closes every open pop-up.
//
// Handles count up and are never reused. A menu given to a window with
// SetMenu is destroyed with that window only when the program says so
// (DestroyMenu), as the original does for menus that are not attached.
#ifndef LUMENFOLD_PLATFORM_MENUS_H
#define LUMENFOLD_PLATFORM_MENUS_H

#include <string>
#include <vector>

#include "platform/wintypes.h"

#define MF_INSERT 0x0000L
#define MF_STRING 0x0000L
#define MF_ENABLED 0x0000L
#define MF_UNCHECKED 0x0000L
#define MF_BYCOMMAND 0x0000L
#define MF_GRAYED 0x0001L
#define MF_DISABLED 0x0002L
#define MF_CHECKED 0x0008L
#define MF_POPUP 0x0010L
#define MF_MENUBARBREAK 0x0020L
#define MF_MENUBREAK 0x0040L
#define MF_BYPOSITION 0x0400L
#define MF_SEPARATOR 0x0800L
#define MF_DEFAULT 0x1000L

#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_CENTERALIGN 0x0004L
#define TPM_RIGHTALIGN 0x0008L
#define TPM_TOPALIGN 0x0000L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its pop-ups; FALSE for an invalid handle.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);

// With MF_POPUP, `id` is the pop-up's HMENU; with MF_SEPARATOR the text is
// ignored. FALSE for an invalid menu or pop-up.
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
// Inserts before the item `position` names (MF_BYPOSITION: its index, a
// position past the end appends; else the id of an item, searched in the
// pop-ups too).
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text);
BOOL ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text);
// DeleteMenu destroys an item's pop-up; RemoveMenu only detaches it.
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);

// -1 for an invalid menu.
int GetMenuItemCount(HMENU menu);
// The id at the index; -1 (as UINT) for a pop-up, a bad index or menu.
UINT GetMenuItemID(HMENU menu, int position);
HMENU GetSubMenu(HMENU menu, int position);
// The item's MF_* flags; -1 (as UINT) when there is no such item.
UINT GetMenuState(HMENU menu, UINT id, UINT flags);
int GetMenuStringA(HMENU menu, UINT id, LPSTR buffer, int bufferSize, UINT flags);

// Both return the previous state (MF_GRAYED/MF_DISABLED, MF_CHECKED) or
// -1 (as the DWORD/UINT) when there is no such item.
UINT EnableMenuItem(HMENU menu, UINT id, UINT enable);
DWORD CheckMenuItem(HMENU menu, UINT id, UINT check);

// Redraws the window's menu bar.
BOOL DrawMenuBar(HWND hwnd);

// Shows the pop-up at the screen point and runs the menu loop. With
// TPM_RETURNCMD the chosen id (0 when none) is returned and nothing is
// sent; otherwise the choice goes to `owner` as WM_COMMAND (posted) and the
// result is TRUE when an item was chosen.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* ignored);

// A menu built from the named menu resource; null when there is none.
HMENU LoadMenuA(HINSTANCE instance, LPCSTR name);

namespace platform {

// One item of a menu resource: a string item (text, id), a separator
// (MF_SEPARATOR) or a pop-up (MF_POPUP with its items).
struct MenuTemplateItem {
  std::string text;
  UINT id = 0;
  UINT flags = MF_STRING;
  std::vector<MenuTemplateItem> items;
};

// Registers (or replaces) the menu resource `name` (a name or "#id").
void registerMenuResource(const std::string& name, std::vector<MenuTemplateItem> bar);

// What the menu loop is showing, for tests and presenters: the innermost
// open pop-up window, or null.
HWND openMenuWindow();

}  // namespace platform

#endif
