// shell/appstate.h -- what every window of the shell reads: the main
// window's private messages, and the shell's one record of the program's
// state: the command line with its option flags and the program's own run
// options, the application state and the running flag, the first world's
// load record, the shared URL buffer, the pending camera, the pending
// reload, the failed-load observer, the viewer-registration result, and the
// user's avatar and nickname.
//
// Owns the record (zmShell) and the transitions of the application state;
// the program changes the state only through them, each named for what
// happens. The other members are written by the module named beside each:
// the command line's words are scanned by shell/cmdline.h; the world
// loading (shell/worldload.h) drives most transitions.
#ifndef LUMENFOLD_SHELL_APPSTATE_H
#define LUMENFOLD_SHELL_APPSTATE_H

#include <cstddef>

#include <string>

#include "core/apphandles.h"
#include "core/vecmath.h"
#include "loading/filetype.h"
#include "loading/wwwlink.h"
#include "platform/winuser.h"
#include "shell/nickname.h"

// Private messages of the main window. WM_USER + 2 is never sent;
// WM_ZMLOADWORLD and WM_ZMLOADING, with the load record they carry, are the
// browser link's (loading/wwwlink.h).
#define WM_ZMOPENURL (WM_USER + 3)  // lParam: ZmLoadRecord* {URL, camera}
#define WM_ZMSOCKET (WM_USER + 4)
#define WM_ZMLAMP (WM_USER + 5)  // lParam: COLORREF
// WM_ZMCANCEL (WM_USER + 6) is the scene core's (core/apphandles.h).

// Timer 1 of the main window drives every frame.
#define ZM_FRAME_TIMER 1

enum ZmAppStateValue {
  ZM_APP_NONE = 0,       // start-up has set no state yet
  ZM_APP_WAITING = 1,    // no world on show
  ZM_APP_FETCHING = 2,   // the world is being fetched
  ZM_APP_BUILDING = 3,   // the world file is being parsed and built
  ZM_APP_NEW_WORLD = 4,  // a world record exists, parsing has not begun
  ZM_APP_RUNNING = 10,   // a world is on show
  ZM_APP_TICKING = 11,   // running, inside the main window's part of a tick
};

constexpr int ZM_ARG_SLOTS = 32;  // words go to slots 1 to 31
constexpr size_t ZM_SHARED_URL_SIZE = 256;

// The argument table (slot 0 never filled), its count and the scan index
// from which the main window opens the words left after the world argument.
// It does not own the text the words point into (the caller's).
struct ZmCommandLine {
  char* argv[ZM_ARG_SLOTS] = {};
  int argc = 1;       // 1 + the number of words
  int argIndex = 1;   // the next word to scan or to open
};

// Option flags, 0 until the option is seen.
struct ZmOptionFlags {
  int dname = 0;       // "-dname": labels show names
  int dcomment = 0;    // "-dcomment": labels show comments (wins over -dname)
  int dscouter = 0;    // "-dscouter": labels leave their background unpainted
  int dframerate = 0;  // "-dframerate": each frame writes its timing lines
  int memdbg = 0;      // "-memdbg": recorded only
};

// The program's own options, taken off its command line before the shell
// scans the other words (shell/main): they shape the run, not the worlds.
struct ZmRunOptions {
  bool headless = false;   // "--headless": no display, messages to standard error too
  long frames = 0;         // "--frames N": ends after N rendered frames; 0 runs until closed
  std::string screenshot;  // "--screenshot FILE.bmp": the view written after the last frame
  bool chat = false;       // "--chat": the chat window opened at the start
};

// The world named on the command line (shell/app.h): the record its
// WM_ZMLOADWORLD or WM_ZMOPENURL carries, and the buffers it points into,
// which must outlive the message.
struct ZmFirstLoad {
  char local[ZM_URL_BUFFER_SIZE];
  char url[ZM_SHARED_URL_SIZE];
  ZmLoadRecord record;
};

// Reload keeps the current history entry for the world it fetches again
// (shell/worldload.h).
struct ZmReloading {
  bool pending = false;  // consumed by the next zmLoadWorld
  ZmRT camera{};         // the copy of the camera Reload was given
};

struct ZmShellState {
  ZmCommandLine commandLine;
  ZmOptionFlags options;
  ZmRunOptions run;
  int zmAppState = ZM_APP_NONE;  // a ZmAppStateValue
  int worldRunning = 0;          // 1 from a built world's showing to the next build or reload
  ZmFirstLoad firstLoad{};
  // The URL buffer shared by Reload, the Open URL dialog and the location bar.
  char sharedUrl[ZM_SHARED_URL_SIZE] = {};
  // The camera the next arriving world is shown from: a copy, so that
  // deleting the bookmark it came from meanwhile leaves nothing dangling.
  bool cameraPending = false;
  ZmRT pendingCamera{};
  ZmReloading reloading;
  // Called after every load that failed (shell/worldload.h); null for none.
  void (*failedLoadObserver)() = nullptr;
  int viewerRegistration = 0;  // the viewer registration's result (0 registered)
  // The avatar chosen (shell/avatar.h): one of the avatar table's world
  // texts, null before any is chosen.
  const char* avatar = nullptr;
  // The nickname (shell/nickname.h), mirroring the preference "NickName".
  char nickname[ZM_NICKNAME_SIZE] = "(nik)";
};

extern ZmShellState zmShell;

// ---- transitions of zmShell.zmAppState

// No world is on show nor coming: start-up without a world to open, or a
// world thrown away to be fetched again. Waiting, not running.
void zmAppAwaitWorld();
// A load that failed found nothing to show again: waiting.
void zmAppShowNothing();
// A fetch has begun: fetching.
void zmAppBeginFetching();
// A fetch ended without its world: the world still on show runs again (or,
// with none, the program waits).
void zmAppFetchFailed(bool worldOnShow);
// A world record was made for the file to build: new world.
void zmAppBeginNewWorld();
// Its file is being parsed and built: building, not running.
void zmAppBeginBuilding();
// A world was built and is on show: running.
void zmAppWorldBuilt();
// A cached world was made the one on show: running.
void zmAppWorldShown();
// The main window's part of a tick begins: a running world ticks. True when
// it does.
bool zmAppBeginTick();
// The tick ends: a world still ticking runs again (a nested pump may have
// loaded or left one meanwhile).
void zmAppEndTick();

// True while a world is being made or built (new world, building).
bool zmAppIsBuilding();
// True while a world is on show (running or ticking).
bool zmAppIsRunning();

#endif
