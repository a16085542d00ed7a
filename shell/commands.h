// shell/commands.h -- what the user's commands do, and the looks that show
// which of them make sense now.
//
// Owns: zmOnCommand, which carries out every WM_COMMAND of the main window
// (menu items, both toolbars, bookmark entries, the bookmark dialog's
// rebuild request); the program-wide switches the commands toggle (Auto
// Load Images and Sounds, scouter, head light, chat, the Vadavir Oze state
// last shown); and the updates that keep menu items and toolbar buttons
// enabled, grayed, checked or "on" in step with the program's state. It
// does not own the menu bar and its ids (shell/mainmenu.h), the toolbars
// (shell/toolbar.h), the dialogs it opens, nor the world loading it asks
// for (shell/worldload.h).
#ifndef LUMENFOLD_SHELL_COMMANDS_H
#define LUMENFOLD_SHELL_COMMANDS_H

#include "platform/wintypes.h"
#include "shell/mainmenu.h"

/*
 * zmOnCommand --
 *   Carries out the command in the low word of `wParam`; for the
 *   navigation buttons (130 to 135) the high word is 1 when the button
 *   went down and 0 when it came up, and their arrow keys (with Shift for
 *   the slides) are held down in between. Commands that need a world (or,
 *   Vadavir Oze, a running one) do nothing without it; Backward and Forward
 *   do nothing at the ends of the history; unknown ids do nothing.
 * Results:
 *   0.
 * Side effects:
 *   Opening, reloading, stepping through the history, bookmarks and the
 *   modal dialogs may pump messages and replace the world on show.
 */
LRESULT zmOnCommand(HWND mainWindow, UINT message, WPARAM wParam);

// The switches as at the start of a run: images loaded with each world,
// the other switches off, no Vadavir Oze state shown.
void zmResetCommandState();

// 1 when a world's images are loaded with it (the Auto Load Images item).
int zmAutoLoadImages();

// Each returns 0; the main window's menu bar and command toolbar are
// updated where they exist.
// Backward, Forward, Open File, Open URL, Reload enabled or grayed; Home,
// Undo, Add bookmark and Stop shown normal or disabled.
int zmUpdateCommandStates();
// The Scouter button: disabled without a world, else "on" or normal.
int zmUpdateScouterButton();
// The Vadavir Oze mark and button from the navigation's automatic move;
// drawn only when the state differs from the one shown (called every tick).
int zmUpdateJumpingEyeMark();
// The Head Light mark from the current world's person.
int zmUpdateHeadLightMark();
int zmUpdateAutoLoadImagesMark();

// All of the above, after start-up and each change of the world on show.
void zmUpdateAllCommandLooks();

#endif
