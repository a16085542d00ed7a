// fuzz/rwx.cpp -- a shape file (model script, ASCII or binary geometry) read
// along the shape path and drawn in one frame by the software device on a
// headless 16-bit display, so that whatever the reader accepts also goes
// through lighting, clipping and the rasterisers.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/camera.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/scene.h"
#include "engine/shapefile.h"
#include "engine/shapepath.h"
#include "fuzz/harness.h"
#include "platform/display.h"
#include "platform/windows.h"

namespace {

constexpr int kWidth = 64, kHeight = 48;

HWND frameWindow() {
  static HWND window = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "FuzzFrame";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "FuzzFrame", "fuzz", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                           nullptr, nullptr, nullptr);
  }();
  return window;
}

RwCamera* frontCamera() {
  RwCamera* camera = RwCreateCamera(kWidth, kHeight, nullptr);
  if (!camera) return nullptr;
  RwSetCameraViewport(camera, 0, 0, kWidth, kHeight);
  RwSetCameraViewwindow(camera, 0.5f, 0.375f);
  RwSetCameraPosition(camera, 3.0f, 2.5f, 6.0f);
  RwPointCamera(camera, -3.0f, -2.5f, -6.0f);
  return camera;
}

// The private folder as the search path wants it, without the last '/'.
std::string shapeFolder() {
  const std::string& folder = fuzz::privateFolder();
  return folder.substr(0, folder.size() - 1);
}

void drawOneFrame(RwCamera* camera) {
  HWND window = frameWindow();
  HDC dc = GetDC(window);
  RwInvalidateCameraViewport(camera);
  RwBeginCameraUpdate(camera, 0);
  RwClearCameraViewport(camera);
  RwRenderScene(RwGetDefaultScene());
  RwEndCameraUpdate(camera);
  RwShowCameraImage(camera, dc);
  ReleaseDC(window, dc);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (platform::setDisplayDepth(16), true);
  (void)ready;
  fuzz::writeInput("in.rwx", data, size);
  RwGetAndClearError();
  if (!RwOpenDefault("MSWindows", 0)) std::abort();
  RwCamera* camera = frontCamera();
  if (!camera || !RwSetShapePath(shapeFolder().c_str(), rwReplacePath)) std::abort();
  RwCreateLight(rwDirectionalLight, -0.5f, -1.0f, -0.8f, 1.0f);
  if (RwReadShape("in.rwx")) drawOneFrame(camera);
  RwClose();
  RwGetAndClearError();
  fuzz::clearPrivateFolder();
  return 0;
}
