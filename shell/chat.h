// shell/chat.h -- the chat window: every chat line, own and received, in a
// scrolling pane, and a one-line field where the user writes the next one.
//
// Owns: the class "zmChatFrame", the one chat record (frame, pane, edit
// field and their layout), the chat flag that the Chat command toggles, the
// count of lines shown, and zmChatDisplay, the one entry for chat text (the
// pane and the speaker's label). Enter sends the field's line, prefixed with
// the nickname, to the world server and shows it here. It does not own the
// labels (shell/labels.h), the nickname (shell/nickname.h) nor the sending
// (multiuser/send.h).
#ifndef LUMENFOLD_SHELL_CHAT_H
#define LUMENFOLD_SHELL_CHAT_H

#include "core/object.h"
#include "platform/winuser.h"
#include "shell/logview.h"

constexpr const char* ZM_CHAT_CLASS = "zmChatFrame";
constexpr UINT ZM_CHAT_COMMAND = 124;          // the main window's Chat command
constexpr UINT ZM_CHAT_SEND_LINE = WM_USER + 100;
constexpr int ZM_CHAT_MAX_LINES = 300;         // lines the pane keeps

struct ZmChat {
  HWND frame;
  int width, height;  // the frame's client size
  ZmLogView* pane;
  int paneX, paneY, paneWidth, paneHeight;
  HWND edit;
  int editX, editY, editWidth, editHeight;
  WNDPROC editPrevProc;
  HBRUSH editBrush;   // the edit field's black background
  bool placed;        // put beside the main window when first shown
};

/*
 * zmChatInit --
 *   Registers "zmChatFrame", makes the chat label font and creates the
 *   chat window, hidden, at 0, 0, 480 x 400 (an existing one is destroyed
 *   first). The log view class must be registered.
 * Results:
 *   0, or -1 when the window or its pane cannot be made.
 */
int zmChatInit();
// Destroys the chat window and frees its record and the chat label font. 0.
int zmChatExit();
// Show the window on top of the others, or hide it; -1 without a window.
int zmChatShow();
int zmChatHide();

// The Chat command: toggles the chat flag, shows or hides the window and
// sets the menu's check mark when the main window has a menu. 0.
int zmChatCommand(HWND mainWindow);

/*
 * zmChatDisplay --
 *   Appends the text to the chat pane and puts it as a chat label over the
 *   speaking object (never over the user's own avatar).
 */
void zmChatDisplay(ZmObj* object, const char* text);

// The longest text the edit field takes: the chat text limit less the
// nickname and its ": ".
int zmChatInputLimit(const char* nickname);

// The chat record; null before zmChatInit and after zmChatExit.
ZmChat* zmGetChat();
// Lines zmChatDisplay has shown since the program started.
long zmChatLineCount();

#endif
