// shell/viewinput.h -- the view window's mouse and keyboard input, and the
// small platform services several parts of the program share.
//
// Owns: the mouse input state and its event record; the press, hold, drag
// and release machine that turns left-button messages into "PICK", "GRAB",
// "DRAG" and "RELEASE" events for the object pressed and opens anchors; the
// cursor table and the cursor shown over the view; the 256-entry key-state
// table that navigation reads every step; the mirror of keys and drags on the
// navigation toolbar; the drag feedback drawn over each frame; the alert and
// the platform id. It does not own the navigation, the toolbar, the main
// window or the URL opener, which it reaches through ZmViewInputActions; nor
// the event handlers (script/events.h) and the picking (viewer/sceneobjects.h), which
// it calls directly; nor the font objects.
//
// Objects are held between a press and its release only until they are
// deleted: the core's deletion path tells this module (zmViewInputForgetObj),
// so a script that deletes the pressed object, or a world that goes away
// during a drag, leaves nothing stale behind.
#ifndef LUMENFOLD_SHELL_VIEWINPUT_H
#define LUMENFOLD_SHELL_VIEWINPUT_H

#include "platform/wintypes.h"

struct ZmObj;

// What the input calls in the parts of the program built beside it. The
// program sets the table at start-up (zmSetViewInputActions); an unset entry
// does nothing.
struct ZmViewInputActions {
  // zmDisableNavigation / zmEnableNavigation, around a grab or an Alt drag.
  int (*disableNavigation)();
  int (*enableNavigation)();
  // zmNavStartEventMove (person, height): Escape makes the person jump.
  int (*navStartEventMove)(ZmObj* person, float height);
  // zmGoToUrl (url, no camera): a clicked anchor opens its URL.
  int (*goToUrl)(const char* url);
  // Shows a navigation toolbar button (130..135) pressed or released.
  void (*setToolbarButton)(int id, bool pressed);
  // zmWaveOpen (path, 0), then zmWavePlay when a voice was opened.
  void (*playAlertSound)(const char* path);
};
// Replaces the whole table (tests set recorders, and empty it after).
void zmSetViewInputActions(const ZmViewInputActions& actions);
// The table the input calls now.
const ZmViewInputActions& zmGetViewInputActions();

// Ids of the cursor table.
enum ZmCursorId {
  ZM_CURSOR_ARROW = 0,
  ZM_CURSOR_URL = 1,   // over an anchor
  ZM_CURSOR_PICK = 2,  // over an object that reacts to "PICK"
  ZM_CURSOR_GRAB = 3,  // over an object that reacts to "DRAG", "GRAB" or "RELEASE"
  ZM_CURSOR_DRAG = 4,  // while such an object is held
};

/*
 * zmViewMouseInput --
 *   One WM_MOUSEMOVE, WM_LBUTTONDOWN or WM_LBUTTONUP of the view window
 *   (others are ignored); `time` is the message time in milliseconds.
 * Side effects:
 *   Picks under the point in the current world and sets the cursor. A press
 *   captures the mouse for `view` (and switches navigation off when Alt is
 *   held or the object reacts to grabbing); a release gives the capture
 *   back and switches navigation on. Delivered events run the object's
 *   handlers, which may delete objects or replace the world.
 */
void zmViewMouseInput(HWND view, UINT message, WPARAM wParam, LPARAM lParam, DWORD time);

/*
 * zmViewKeyInput --
 *   One WM_KEYDOWN or WM_KEYUP of the view window (others are ignored), in
 *   every application state.
 * Side effects:
 *   Updates the key-state table and the toolbar's arrows; a key going down
 *   also picks under the mouse and sets the cursor, and Escape with a world
 *   on show makes its person jump.
 */
void zmViewKeyInput(HWND view, UINT message, WPARAM virtualKey, LPARAM lParam, DWORD time);

// No button down, no object held, no drag direction shown.
void zmResetViewInput();
// Every key up and untoggled.
void zmClearKeyStateTable();
// The key is down (0x80), its toggle bit (0x01) flipping when it was up;
// the view's keys and the navigation toolbar's buttons both come here.
void zmViewKeyDown(int virtualKey);
void zmViewKeyUp(int virtualKey);
// Copies the 256 bytes of the key-state table into `buffer`; an arrow key
// that went down since the last copy reads as down once, even when it is
// already up again (navigation reads the table once a tick).
void zmGetKeyStateTable(BYTE* buffer);

// Loads the cursor table: the system arrow and the program's "URL", "PICK",
// "GRAB" and "DRAG" cursors of `instance`.
void zmLoadCursors(HINSTANCE instance);
// Makes the table's cursor `id` current and shows it; an unknown id (or a
// cursor that did not load) shows the arrow.
void zmSelectCursor(int id);
// Shows the current cursor again (the view's WM_SETCURSOR).
void zmRestoreCursor();

// The view input lets go of an object being deleted; the core calls it
// (coreShell().viewInputForgetObj) for every object it deletes.
void zmViewInputForgetObj(ZmObj* object);

// 1 Win32s, 2 Windows 95, 3 Windows NT, 4 any other platform (or none
// reported).
int zmGetWinPlatform();

// Sounds "alert.wav" of the program folder and sends WM_ZMLAMP with red to
// the main window.
void zmAlert();

// The drag feedback over a frame: while something is grabbed or dragged, a
// white cross with 8-pixel arms at the press point and a line from the mouse
// to it. The device context's pen is left as it was.
void zmDrawLine(HDC dc);

#endif
