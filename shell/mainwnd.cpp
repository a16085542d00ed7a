// shell/mainwnd.cpp -- the main window; see mainwnd.h.
#include "media/sound.h"
#include "multiuser/receive.h"
#include "media/wave.h"
#include "shell/mainwnd.h"

#include <cstdio>

#include "core/report.h"
#include "core/world.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/winbase.h"
#include "platform/wingdi.h"
#include "script/mainloop.h"
#include "script/timeouts.h"
#include "shell/app.h"
#include "shell/commands.h"
#include "shell/lamp.h"
#include "shell/layout.h"
#include "shell/location.h"
#include "shell/mainparts.h"
#include "shell/toolbar.h"
#include "shell/viewwin.h"
#include "shell/worldload.h"

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 0);
constexpr COLORREF kText = RGB(255, 255, 255);

// The window's own part of the main window's record.
ZmMainWindowState& mainWindow() { return zmMainWindowParts().window; }

// Loading, opening and ticking may pump messages (the world's build, the
// unpacking of a file, a script); the world they work on must outlive them,
// so a WM_CLOSE that arrives meanwhile is handled once the outermost has
// unwound.
class Operation {
 public:
  explicit Operation(HWND hwnd) : hwnd_(hwnd) { ++mainWindow().operationDepth; }
  ~Operation() {
    ZmMainWindowState& window = mainWindow();
    if (--window.operationDepth > 0 || !window.closePending) return;
    window.closePending = false;
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
  }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

 private:
  HWND hwnd_;
};

LRESULT onCreate(HWND hwnd) {
  zmSetMainHwnd(hwnd);
  HINSTANCE instance = zmGetHinstance();
  zmCreateViewWindow(instance, hwnd);
  zmSetToolbarShare(zmToolBarWidth(zmCreateCommandToolBar(hwnd)), zmToolBarHeight(zmCreateNavigationToolBar(hwnd)));
  zmCreateLocationFont();
  zmCreateLocationField(instance, hwnd);
  zmStartFrameTimer(hwnd);
  return 0;
}

void onSize(LPARAM lParam) {
  zmSetMainClientSize(LOWORD(lParam), HIWORD(lParam));
  zmDockToolBar(zmGetCommandToolBar());
  zmDockToolBar(zmGetNavigationToolBar());
  zmPlaceViewWindow(zmGetViewHwnd());
  zmLayoutLocationBar();
}

void onPaint(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  zmDrawLampFrame(dc, zmGetLampRestColor());
  zmDrawLogo(dc);
  zmDrawLocationLabel(dc);
  EndPaint(hwnd, &paint);
  if (HWND view = zmGetViewHwnd()) SendMessageA(view, WM_PAINT, 0, 0);
}

// The main window's part of a tick: the lamp, then the world's due
// time-outs unless a message box shows. A nested pump inside the time-outs
// may load or leave a world; the running state comes back only when it is
// still the one this tick set.
void onTimer(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  Operation ticking(hwnd);
  zmLampBlinkStep(static_cast<DWORD>(GetMessageTime()));
  zmKeepLoadingLamp();
  if (zmAppBeginTick()) {
    if (!zmIsMessageBoxShowing()) zmWakeUpTask(zmGetCurrentWorld());
    zmSoundSchedule();
    zmAppEndTick();
  }
  if (HWND view = zmGetViewHwnd()) SendMessageA(view, WM_TIMER, wParam, lParam);
}

LRESULT onDropFiles(HWND hwnd, HDROP drop) {
  Operation opening(hwnd);
  if (DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) != 1) {
    zmReportWarning("One file at a time please.");
  } else if (DragQueryFileA(drop, 0, nullptr, 0) >= ZM_SHARED_URL_SIZE) {
    zmReportWarning("%s: the file name is longer than %d characters: refused", "WM_DROPFILES",
                    static_cast<int>(ZM_SHARED_URL_SIZE - 1));
  } else {
    char name[ZM_SHARED_URL_SIZE];
    DragQueryFileA(drop, 0, name, sizeof name);
    zmWwwOpenFile(name);
  }
  DragFinish(drop);
  return 0;
}

LRESULT onLoadWorld(HWND hwnd, LPARAM lParam) {
  Operation loading(hwnd);
  return zmOnLoadWorld(reinterpret_cast<ZmLoadRecord*>(lParam));
}

LRESULT onCommand(HWND hwnd, UINT msg, WPARAM wParam) {
  Operation commanding(hwnd);
  return zmOnCommand(hwnd, msg, wParam);
}

LRESULT onOpenUrl(HWND hwnd, LPARAM lParam) {
  Operation opening(hwnd);
  const auto* request = reinterpret_cast<const ZmLoadRecord*>(lParam);
  if (request != nullptr) zmGoToUrl(request->local, reinterpret_cast<const ZmRT*>(request->url));
  return 0;
}

// A cancelled fetch leaves the world on show as it was (or the program
// waiting), not a waiting state over a world.
void onCancel(HWND hwnd) {
  zmEndFailedFetch();
  MessageBoxA(hwnd, "Load Error", "Lumenfold", MB_OK);
}

// The time between two readings of the clock, as the socket notice's
// debug line.
LRESULT onSocket() {
  const DWORD first = timeGetTime();
  const DWORD second = timeGetTime();
  char line[32];
  std::snprintf(line, sizeof line, "%d\n", static_cast<int>(second - first));
  OutputDebugStringA(line);
  return 0;
}

bool keepsViewAspect(const WINDOWPOS* position) {
  return (GetKeyState(VK_SHIFT) & 0x8000) == 0 && (position->flags & SWP_NOSIZE) == 0;
}

}  // namespace

int zmRegisterMainClass(HINSTANCE instance) {
  ZmMainWindowState& mainWindow = zmMainWindowParts().window;
  WNDCLASSA windowClass{};
  mainWindow.operationDepth = 0;
  mainWindow.closePending = false;
  if (mainWindow.background == nullptr) mainWindow.background = CreateSolidBrush(kBackground);
  zmRegisterMainMenu();
  if (GetClassInfoA(instance, ZM_MAIN_CLASS, &windowClass)) return 0;  // a second start in one process
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = zmMainWndProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = ZM_MAIN_MENU;
  windowClass.lpszClassName = ZM_MAIN_CLASS;
  return RegisterClassA(&windowClass) != 0 ? 0 : -1;
}

LRESULT CALLBACK zmMainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  ZmMainWindowState& mainWindow = zmMainWindowParts().window;
  switch (msg) {
    case WM_CREATE:
      return onCreate(hwnd);
    case WM_DESTROY:
      return zmOnMainDestroy(hwnd);
    case WM_CLOSE:
      if (mainWindow.operationDepth > 0) {
        mainWindow.closePending = true;
        return 0;
      }
      break;
    case WM_SIZE:
      onSize(lParam);
      return 0;
    case WM_SETFOCUS:
      if (HWND view = zmGetViewHwnd()) SetFocus(view);
      break;
    case WM_PAINT:
      onPaint(hwnd);
      break;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMaxTrackSize.x = zmGetMaxTrackWidth();
      limits->ptMaxTrackSize.y = zmGetMaxTrackHeight();
      return 0;
    }
    case WM_WINDOWPOSCHANGING: {
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!keepsViewAspect(position)) break;
      zmKeepViewAspect(&position->cx, &position->cy);
      return 0;
    }
    case WM_CTLCOLOREDIT:
      SetTextColor(reinterpret_cast<HDC>(wParam), kText);
      SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
      return reinterpret_cast<LRESULT>(mainWindow.background);
    case WM_TIMER:
      onTimer(hwnd, wParam, lParam);
      break;
    case WM_COMMAND:
      return onCommand(hwnd, msg, wParam);
    case WM_DROPFILES:
      return onDropFiles(hwnd, reinterpret_cast<HDROP>(wParam));
    case WM_ZMLOADWORLD:
      return onLoadWorld(hwnd, lParam);
    case WM_ZMLOADING:
      zmOnLoading();
      return 0;
    case WM_ZMOPENURL:
      return onOpenUrl(hwnd, lParam);
    case WM_ZMSOCKET:
      return onSocket();
    case WM_ZMLAMP:
      zmSetLamp(static_cast<COLORREF>(lParam));
      break;
    case WM_ZMCANCEL:
      onCancel(hwnd);
      break;
    case MM_WOM_OPEN:
    case MM_WOM_CLOSE:
    case MM_WOM_DONE:
      return zmWaveOnDone(hwnd, msg);
    default:
      break;
  }
  // The common tail: the world server's messages are read between any two
  // of the main window's.
  zmSockProc();
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}
