// media/video.cpp -- the video window over the platform's MCI window.
#include "media/video.h"

#include "core/apphandles.h"
#include "core/world.h"
#include "media/labelhooks.h"
#include "media/sound.h"
#include "platform/resources.h"
#include "platform/vfw.h"
#include "platform/wingdi.h"
#include "viewer/sceneobjects.h"

namespace {

const char kClassName[] = "ZmVideo";
constexpr DWORD kMciStyle = WS_CHILD | WS_VISIBLE | MCIWNDF_NOPLAYBAR | MCIWNDF_NOAUTOSIZEMOVIE | MCIWNDF_NOMENU |
                            MCIWNDF_NOTIFYANSI | MCIWNDF_NOTIFYMODE;

// The one video on show: its window, and the MCI window inside it whose
// procedure this module subclasses.
struct VideoState {
  HWND window = nullptr;
  HWND mciWindow = nullptr;
  WNDPROC mciPreviousProc = nullptr;  // the MCI window's own procedure
};
VideoState video;

bool isClosingClick(UINT message) { return message == WM_LBUTTONDOWN || message == WM_RBUTTONUP; }

// The MCI window covers most of the video window, so its clicks close the
// video too.
LRESULT CALLBACK mciSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (isClosingClick(message) && video.window) PostMessageA(video.window, WM_CLOSE, 0, 0);
  return CallWindowProcA(video.mciPreviousProc, hwnd, message, wParam, lParam);
}

void closeVideo(HWND hwnd) {
  if (video.mciWindow) {
    SendMessageA(video.mciWindow, MCI_STOP, 0, 0);
    SendMessageA(video.mciWindow, WM_CLOSE, 0, 0);
    video.mciWindow = nullptr;
  }
  zmResumeAllSound();
  mediaShell().labelShowAll();
  if (video.window == hwnd) video.window = nullptr;
}

LRESULT CALLBACK videoWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (isClosingClick(message) || (message == MCIWNDM_NOTIFYMODE && lParam == MCI_MODE_STOP)) {
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    return 0;
  }
  // A close posted twice (a click racing the end) reaches a window already gone.
  if (message == WM_CLOSE && hwnd == video.window) closeVideo(hwnd);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerClassOnce(HINSTANCE instance) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA wc = {};
  wc.style = CS_BYTEALIGNCLIENT;
  wc.lpfnWndProc = videoWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  return (wc.lpszClassName = kClassName, RegisterClassA(&wc) != 0);
}

HWND viewWindow() {
  HWND view = zmRwGetViewWindowHandle(zmGetCurrentWorld());
  return view ? view : zmGetMainHwnd();
}

HWND createVideoWindow(HINSTANCE instance) {
  HWND view = viewWindow();
  RECT client = {};
  GetClientRect(view, &client);
  HWND hwnd = CreateWindowExA(0, kClassName, "VIDEO", WS_CHILD | WS_VISIBLE, 0, 0, client.right - client.left,
                              client.bottom - client.top, view, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  return hwnd;
}

void centreIn(HWND child, HWND parent) {
  RECT outer = {}, inner = {};
  GetClientRect(parent, &outer);
  GetWindowRect(child, &inner);
  int width = inner.right - inner.left, height = inner.bottom - inner.top;
  MoveWindow(child, (outer.right - width) / 2, (outer.bottom - height) / 2, width, height, TRUE);
}

int giveUp(HWND hwnd) {
  if (hwnd) DestroyWindow(hwnd);
  video.window = nullptr;
  zmResumeAllSound();
  return -1;
}

}  // namespace

int zmVideoPlay(const char* file) {
  if (video.window) SendMessageA(video.window, WM_CLOSE, 0, 0);
  zmSuspendAllSound();
  HINSTANCE instance = zmGetHinstance();
  if (!registerClassOnce(instance)) return giveUp(nullptr);
  HWND hwnd = createVideoWindow(instance);
  if (!hwnd) return giveUp(nullptr);
  HWND mci = MCIWndCreateA(hwnd, instance, kMciStyle, file);
  if (!mci) return giveUp(hwnd);
  video.window = hwnd;
  video.mciWindow = mci;
  video.mciPreviousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(mci, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mciSubclassProc)));
  centreIn(mci, hwnd);
  SendMessageA(mci, MCI_PLAY, 0, 0);
  mediaShell().labelHideAll();
  return 0;
}

HWND zmVideoWindow() { return video.window; }
