// shell/app.cpp -- the program's start and end; see app.h.
#include "media/output.h"
#include "media/sound.h"
#include "multiuser/connection.h"
#include "shell/app.h"

#include <cstring>
#include <string>

#include "core/report.h"
#include "core/world.h"
#include "loading/browserservice.h"
#include "loading/filetype.h"
#include "loading/httpfetch.h"
#include "loading/wwwlink.h"
#include "platform/dialogs.h"
#include "platform/winsock.h"
#include "script/mainloop.h"
#include "shell/appstate.h"
#include "shell/chat.h"
#include "shell/cmdline.h"
#include "shell/commands.h"
#include "shell/install.h"
#include "shell/labels.h"
#include "shell/layout.h"
#include "shell/location.h"
#include "shell/logview.h"
#include "shell/mainwnd.h"
#include "shell/nickname.h"
#include "shell/notify.h"
#include "shell/toolbar.h"
#include "shell/viewinput.h"
#include "shell/viewwin.h"
#include "shell/worldcache.h"
#include "shell/worldload.h"
#include "viewer/api.h"

namespace {

constexpr int kMessageFlagWarning = 1;

// Another program that serves "Lumenfold" is the one running: it takes the
// world named here, and this one ends quietly; without a world to hand
// over, this one refuses to start.
bool refuseSecondInstance(HINSTANCE previous, const char* world) {
  const int handed = zmWwwHandToRunningViewer(world);
  if (handed == ZM_HANDED_OVER) return true;
  if (previous == nullptr && handed == ZM_NONE_RUNNING) return false;
  zmSetMessageBoxShowing(1);
  MessageBoxA(nullptr, "Lumenfold is already running.", "Error", MB_ICONEXCLAMATION | MB_OK);
  zmSetMessageBoxShowing(0);
  return true;
}

HWND createMainWindow(HINSTANCE instance) {
  int width = 0, height = 0;
  zmInitWindowSize(&width, &height);
  return CreateWindowExA(0, ZM_MAIN_CLASS, ZM_MAIN_TITLE, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, width,
                         height, nullptr, nullptr, instance, nullptr);
}

// A world on the web is fetched once the main loop runs, under the window's
// eyes, as the location bar opens it.
bool postFirstOpen(HWND mainWindow, const char* url) {
  ZmFirstLoad& firstLoad = zmShell.firstLoad;
  if (!zmCopyUrl(firstLoad.url, sizeof firstLoad.url, url, "zmAppInit")) return false;
  firstLoad.record = {firstLoad.url, nullptr};
  return PostMessageA(mainWindow, WM_ZMOPENURL, 0, reinterpret_cast<LPARAM>(&firstLoad.record)) != 0;
}

// Prepares the world argument's file and posts its load; false when it
// cannot be had (the program then waits for a world).
bool postFirstLoad(HWND mainWindow, const char* word) {
  if (zmIsWebUrl(word)) return postFirstOpen(mainWindow, word);
  // A desktop opens a file by its "file:" URL: the file is that of its path.
  std::string path;
  if (zmGetUrlScheme(word) == ZM_SCHEME_FILE) {
    const char* named = zmFileUrlToPath(word);
    if (named == nullptr) return false;
    path = named;
    word = path.c_str();
  }
  const char* url = zmWwwFilenameToUrl(word);
  if (url == nullptr) return false;
  ZmFirstLoad& firstLoad = zmShell.firstLoad;
  std::strcpy(firstLoad.url, url);  // both 256 characters at most
  // The file named on the command line is the user's own, whatever URL the
  // browser gives it: kept, and unpacked into the user folder.
  if (zmPreProcessFile(ZM_PLACE_LOCAL, word, firstLoad.local, sizeof firstLoad.local, ZM_FILE_WRL) != 0) return false;
  firstLoad.record = {firstLoad.local, firstLoad.url};
  return PostMessageA(mainWindow, WM_ZMLOADWORLD, 0, reinterpret_cast<LPARAM>(&firstLoad.record)) != 0;
}

}  // namespace

int zmAppInit(HINSTANCE instance, HINSTANCE previous, char* commandLine, int show) {
  zmSetHinstance(instance);
  zmTurnOffFlag(kMessageFlagWarning);
  if (commandLine != nullptr) zmSplitCommandLine(commandLine);
  const char* world = zmScanOptions();
  if (refuseSecondInstance(previous, world)) return -1;

  zmInitNickName();
  zmRegisterMainClass(instance);
  zmRegisterViewClass(instance);
  zmRegisterToolBarClasses(instance);
  zmResetCommandState();
  zmRegisterLogoBitmap();
  zmGiveProgramIcon();
  HWND mainWindow = createMainWindow(instance);
  if (mainWindow == nullptr) return -1;
  zmLayoutLocationBar();
  zmMultiUserSettings().mainWindow = mainWindow;
  zmInstallShellHooks();
  zmLoadCursors(instance);
  zmResetViewInput();
  zmClearKeyStateTable();
  DragAcceptFiles(mainWindow, TRUE);

  WSADATA sockets;
  if (WSAStartup(MAKEWORD(1, 1), &sockets) != 0) {
    zmReportError("Can't initialize socket");
    return -1;
  }
  if (const int viewer = zmInit(); viewer != 0) return viewer;
  zmStartBrowserService();
  zmShell.viewerRegistration = zmWwwRegisterViewer();
  zmWorldCache();
  zmSetCurrentWorld(nullptr);
  zmAppendBookmarkMenu();

  if (world == nullptr || !postFirstLoad(mainWindow, world)) zmAppAwaitWorld();
  zmUpdateAllCommandLooks();
  ShowWindow(mainWindow, show);
  UpdateWindow(mainWindow);

  zmLabelInit();
  zmScouterInitFont();
  zmRegisterLogViewClass(instance);
  zmChatInit();
  zmNotifyInit(instance, mainWindow);
  zmSoundChooseOutput();
  return 0;
}

LRESULT zmOnMainDestroy(HWND mainWindow) {
  if (ZmWorld* world = zmGetCurrentWorld()) zmLeaveWorld(world->name);
  KillTimer(mainWindow, ZM_FRAME_TIMER);
  zmAppExit();
  PostQuitMessage(0);
  return 0;
}

int zmAppExit() {
  zmScouterExitFont();
  zmLabelExit();
  zmChatExit();
  zmSetCurrentWorld(nullptr);
  zmFreeWorldCache();
  zmFreeHistory();
  zmSoundShutdown();
  zmExitViewer();
  if (zmShell.viewerRegistration == 0) zmWwwUnRegisterViewer();
  zmStopBrowserService();
  zmZMQXExit();
  if (WSACleanup() != 0) zmReportWarning("error occured in close winsock");
  return zmExit();
}
