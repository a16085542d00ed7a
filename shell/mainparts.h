// shell/mainparts.h -- the main window's record, private to the shell.
//
// Owns the one record of what the main window and the windows it opens
// keep between messages, one member per module that writes it: mainwnd.cpp
// `window` (its brush and the close that waits for operations), toolbar.cpp
// `toolBars`, location.cpp `locationBar`, lamp.cpp `lamp`, layout.cpp
// `geometry`, mainmenu.cpp `bookmarkEntries`, notify.cpp `notify` (the
// Messages window), logview.cpp `logFont` (the font of every log view) and
// chat.cpp `chat` (the chat window). The 3-D view has a record of its own
// (shell/viewparts.h); the program's state is the shell's record
// (shell/appstate.h).
#ifndef LUMENFOLD_SHELL_MAINPARTS_H
#define LUMENFOLD_SHELL_MAINPARTS_H

#include "loading/wwwlink.h"
#include "platform/wingdi.h"
#include "platform/wintypes.h"
#include "shell/chat.h"
#include "shell/fontobj.h"
#include "shell/location.h"
#include "shell/logview.h"
#include "shell/toolbar.h"

struct ZmMainWindowState {
  HBRUSH background = nullptr;  // the location field's background, kept for the run
  int operationDepth = 0;       // operations running that may pump messages
  bool closePending = false;    // a WM_CLOSE arrived during one
};

// The main window's two bars; each forgets its bar when that is freed.
struct ZmMainToolBars {
  ZmToolBar* command = nullptr;
  ZmToolBar* navigation = nullptr;
};

struct ZmLocationBar {
  HFONT font = nullptr;
  ZmLocationGeometry geometry{0, 0, ZM_LOCATION_BAR_Y};
  HWND field = nullptr;
  WNDPROC editProc = nullptr;  // the edit control's own procedure
  ZmLoadRecord openRequest{};  // lParam of the WM_ZMOPENURL the field posts
};

struct ZmLamp {
  COLORREF colour = RGB(0, 0, 0);  // of the blink under way or the last one; black at rest
  DWORD deadline = 0;              // end of the phase under way
  int phases = 0;                  // phases still to come; 0 at rest
};

struct ZmMainGeometry {
  int clientWidth = 0;   // as WM_SIZE gave it or the 4:3 rule computed it
  int clientHeight = 0;
  int commandBarWidth = 0;  // the toolbars' share; 0 until they exist
  int navBarHeight = 0;
};

// The one notify window and its parts; all null while there is none.
struct ZmNotifyWindow {
  HWND hwnd;
  ZmLogView* logView;
  HWND closeButton;
  bool placed;  // put below the owner when first shown
};

// The chat window and what the program knows of it.
struct ZmChatState {
  ZmChat* window = nullptr;  // null until zmChatInit and after zmChatExit
  int chatFlag = 0;          // the Chat command's check mark: 1 while on show
  long linesShown = 0;       // every line zmChatDisplay took, window or not
};

struct ZmMainWindowParts {
  ZmMainWindowState window;
  ZmMainToolBars toolBars;
  ZmLocationBar locationBar;
  ZmLamp lamp;
  ZmMainGeometry geometry;
  int bookmarkEntries = 0;  // n: the bookmark entries the menu shows, ids 1 to n
  ZmNotifyWindow notify{};
  // Made with the log view class; every log view draws with it until the
  // program ends.
  ZmFontObj* logFont = nullptr;
  ZmChatState chat;
};

ZmMainWindowParts& zmMainWindowParts();

#endif
