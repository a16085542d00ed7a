// fuzz/wave.cpp -- a RIFF WAVE file opened by the wave player and played on
// the silent device, looping, for as many blocks as a few ticks of the
// virtual clock take, then stopped.
//
// Whatever the chunks claim, the player must read only what the file holds;
// after the stop the voice is free and the device closes once the blocks
// it still plays are done (a file with no data leaves its voice free at
// once, and the stop then has nothing to take back).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/apphandles.h"
#include "core/report.h"
#include "fuzz/harness.h"
#include "media/wave.h"
#include "platform/clock.h"
#include "platform/windows.h"

namespace {

constexpr int kTicks = 8;
// Ticks of 100 ms in which the device must finish what it still plays.
constexpr int kDrainTicks = 50;
constexpr const char* kWindowClass = "FuzzWaveMain";

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= MM_WOM_OPEN && message <= MM_WOM_DONE) return zmWaveOnDone(window, message);
  return DefWindowProcA(window, message, wParam, lParam);
}

void startPlayer() {
  fuzz::adoptPrivateFolderAsHome();
  zmTurnOffFlag(ZM_FLAG_WARNING);
  platform::useVirtualClock(true, 1000);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = mainProc;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, kWindowClass, "main", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) std::abort();
  zmSetMainHwnd(window);
}

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (startPlayer(), true);
  (void)started;
  const std::string path = fuzz::writeInput("in.wav", data, size);
  const int voice = zmWaveOpen(path.c_str(), 1);
  if (voice >= 0) {
    zmWaveSetVolume(voice, 200);
    zmWavePlay(voice);
    for (int tick = 0; tick < kTicks; ++tick) {
      platform::advanceClock(20);
      pump();
    }
    zmWaveStop(voice);
    for (int tick = 0; tick < kDrainTicks && zmWaveDeviceOpen(); ++tick) {
      platform::advanceClock(100);
      pump();
    }
    if (zmWaveIsPlaying(voice) != 0 || zmWaveDeviceOpen()) std::abort();
  }
  fuzz::clearPrivateFolder();
  return 0;
}
