// platform/video.cpp -- the MCI window stand-in over the tracks of moviefile.h.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/moviefile.h"
#include "platform/resources.h"
#include "platform/trackplayer.h"
#include "platform/vfw.h"
#include "platform/wingdi.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;
const char kClassName[] = "MCIWndClass";

// What an MCI window keeps: its two tracks, the frame on show and the one
// decoded after it, the media clock and its notify flag.
//
// The media clock is the platform clock while playing: the position is the
// time since playing started plus where it started. Frames are shown when
// their time comes on it, the late ones skipped, and the sound track
// follows it, so picture and sound stay in step however late the timer is.
struct Player {
  std::unique_ptr<platform::PictureTrack> picture;
  platform::SoundTrackPlayer sound;
  std::vector<uint32_t> shown, next;
  int64_t shownDueMs = 0, nextDueMs = 0;
  bool hasNext = false;
  int64_t stoppedAtMs = 0;  // the position while not playing
  int64_t startedAtMs = 0;  // the clock's time at position 0 while playing
  bool notifyMode = false;
  bool playing = false;
  int framesShown = 0;

  int64_t positionMs() const { return playing ? int64_t(platform::clockMs()) - startedAtMs : stoppedAtMs; }
  bool pictureEnded(int64_t at) const { return !hasNext && at >= shownDueMs + int64_t(picture->frameIntervalMs()); }
};

Player* playerOf(HWND hwnd) { return reinterpret_cast<Player*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

void drawFrame(HWND hwnd, const Player& player) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = player.picture->width();
  info.bmiHeader.biHeight = -player.picture->height();  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(hwnd);
  SetDIBitsToDevice(dc, 0, 0, player.picture->width(), player.picture->height(), 0, 0, 0, player.picture->height(),
                    player.shown.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(hwnd, dc);
}

void decodeAhead(Player* player) { player->hasNext = player->picture->next(&player->next, &player->nextDueMs); }

// Takes every decoded frame whose time has come and draws the last of them.
void showFramesDue(HWND hwnd, Player* player, int64_t at) {
  bool taken = false;
  while (player->hasNext && player->nextDueMs <= at) {
    player->shown.swap(player->next);
    player->shownDueMs = player->nextDueMs;
    decodeAhead(player);
    taken = true;
  }
  if (!taken) return;
  ++player->framesShown;
  drawFrame(hwnd, *player);
}

// Wakes the window when the next frame is due, or when the last one has
// been on show for its time.
void scheduleFrameTimer(HWND hwnd, const Player& player, int64_t at) {
  int64_t due = player.hasNext ? player.nextDueMs : player.shownDueMs + int64_t(player.picture->frameIntervalMs());
  SetTimer(hwnd, kFrameTimer, UINT(std::max<int64_t>(due - at, 0)), nullptr);
}

void startPlaying(HWND hwnd, Player* player) {
  if (player->playing) return;
  int64_t at = player->stoppedAtMs;
  player->startedAtMs = int64_t(platform::clockMs()) - at;
  player->playing = true;
  player->sound.play(at);
  scheduleFrameTimer(hwnd, *player, at);
}

void stopPlaying(HWND hwnd, Player* player) {
  if (!player->playing) return;
  player->stoppedAtMs = player->positionMs();
  KillTimer(hwnd, kFrameTimer);
  player->sound.stop();
  player->playing = false;
}

// The video ends when its last frame has had its time and its sound has
// played out, whichever is longer.
bool endIfOver(HWND hwnd, Player* player, int64_t at) {
  if (!player->pictureEnded(at) || !player->sound.finished()) return false;
  stopPlaying(hwnd, player);
  if (player->notifyMode)
    SendMessageA(GetParent(hwnd), MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(hwnd), MCI_MODE_STOP);
  return true;
}

void onFrameTimer(HWND hwnd, Player* player) {
  int64_t at = player->positionMs();
  showFramesDue(hwnd, player, at);
  if (endIfOver(hwnd, player, at)) return;
  if (player->pictureEnded(at)) {
    KillTimer(hwnd, kFrameTimer);  // the sound's notices end it
  } else {
    scheduleFrameTimer(hwnd, *player, at);
  }
}

void onSoundBlockDone(HWND hwnd, Player* player) {
  int64_t at = player->positionMs();
  player->sound.onBlockDone(at);
  endIfOver(hwnd, player, at);
}

LRESULT CALLBACK mciWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Player* player = playerOf(hwnd);
  if (!player) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case MCI_PLAY:
      startPlaying(hwnd, player);
      return 0;
    case MCI_STOP:
      stopPlaying(hwnd, player);
      return 0;
    case WM_TIMER:
      if (wParam == kFrameTimer && player->playing) onFrameTimer(hwnd, player);
      return 0;
    case MM_WOM_DONE:
      if (player->playing) onSoundBlockDone(hwnd, player);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      if (player->framesShown) drawFrame(hwnd, *player);
      return 0;
    }
    case WM_NCDESTROY:
      stopPlaying(hwnd, player);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      delete player;
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerClassOnce(HINSTANCE instance) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = mciWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) != 0;
}

}  // namespace

HWND MCIWndCreateA(HWND parent, HINSTANCE instance, DWORD style, LPCSTR file) {
  if (!file || !registerClassOnce(instance)) return nullptr;
  auto player = std::make_unique<Player>();
  player->picture = platform::openPictureTrack(file);
  if (!player->picture) return nullptr;
  player->notifyMode = (style & MCIWNDF_NOTIFYMODE) != 0;
  DWORD windowStyle = style & 0xFFFF0000u;
  HWND hwnd = CreateWindowExA(0, kClassName, file, windowStyle, 0, 0, player->picture->width(),
                              player->picture->height(), parent, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  // A file without sound, or whose sound cannot be played, shows its
  // picture all the same.
  player->sound.open(file, hwnd);
  decodeAhead(player.get());
  showFramesDue(hwnd, player.get(), player->nextDueMs);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(player.release()));
  return hwnd;
}

namespace platform {
int mciFramesShown(HWND mciWindow) {
  char name[32];
  if (!IsWindow(mciWindow) || !GetClassNameA(mciWindow, name, sizeof name) || std::strcmp(name, kClassName) != 0) return 0;
  Player* player = playerOf(mciWindow);
  return player ? player->framesShown : 0;
}
}  // namespace platform
