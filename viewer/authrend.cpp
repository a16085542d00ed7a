// viewer/authrend.cpp -- the authoring view; see authrend.h.
#include "viewer/authrend.h"

#include "core/report.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/scene.h"
#include "viewer/rendering.h"

namespace {

constexpr intptr_t kImageWidth = 1024;
constexpr intptr_t kImageHeight = 768;
constexpr int32_t kParallelProjection = 2;
constexpr float kPlanViewHalfSize = 20.0f;

int fail(const char* text) {
  zmReportError("%s", text);
  return -1;
}

}  // namespace

int zmAuthShowWorld(ZmWorld* world, RwCamera* camera, HWND window, HDC dc) {
  if (world == nullptr) return fail("zmAuthShowWorld() : pWorld is NULL!!");
  RenderingStruct* record = world->rendering;
  if (record == nullptr) return fail("zmAuthShowWorld() : RenderingStruct is NULL!!");
  if (RwInvalidateCameraViewport(camera) == nullptr)
    return fail("zmAuthShowWorld() : cannot invalidate camera viewport");
  if (RwBeginCameraUpdate(camera, reinterpret_cast<intptr_t>(window)) == nullptr)
    return fail("zmAuthShowWorld() : cannot begin updating the current camera");
  if (RwClearCameraViewport(camera) == nullptr) return fail("zmAuthShowWorld() : cannot clear camera viewport");
  if (record->scene == nullptr || RwRenderScene(record->scene) == nullptr)
    return fail("zmAuthShowWorld() : cannot render scene");
  if (RwEndCameraUpdate(camera) == nullptr)
    return fail("zmAuthShowWorld() : cannot end updating the current camera");
  if (RwShowCameraImage(camera, dc) == nullptr) return fail("zmAuthShowWorld() : cannot show camera image");
  return 0;
}

int zmAuthSetCameraViewport(RwCamera* camera, int x, int y, int width, int height) {
  if (RwSetCameraViewport(camera, x, y, width, height) == nullptr)
    return fail("zmAuthSetCameraViewport() : cannot set viewport");
  if (RwSetCameraViewwindow(camera, kPlanViewHalfSize, kPlanViewHalfSize) == nullptr)
    return fail("zmAuthSetCameraViewport() : cannot set viewwindow");
  return 0;
}

RwCamera* zmAuthNewCamera() {
  RwCamera* camera = RwCreateCamera(kImageWidth, kImageHeight, nullptr);
  if (camera == nullptr) {
    fail("zmAuthNewCamera() : cannot create camera");
    return nullptr;
  }
  const char* failure = nullptr;
  if (RwSetCameraProjection(camera, kParallelProjection) == nullptr)
    failure = "zmAuthNewCamera() : cannot set camera projection";
  else if (RwSetCameraPosition(camera, 5.0f, 100.0f, 0.0f) == nullptr)
    failure = "zmAuthNewCamera() : cannot move camera";
  else if (RwTiltCamera(camera, 90.0f) == nullptr)
    failure = "zmAuthNewCamera() : cannot tilt camera";
  if (failure == nullptr) return camera;
  // The caller gets nothing to release, so the half-made camera goes here.
  fail(failure);
  RwDestroyCamera(camera);
  return nullptr;
}

RwCamera* zmAuthCreateCamera(intptr_t width, intptr_t height, void* device) {
  return RwCreateCamera(width, height, device);
}
int zmAuthDestroyCamera(RwCamera* camera) { return RwDestroyCamera(camera); }
RwCamera* zmAuthSetCameraProjection(RwCamera* camera, int32_t projection) {
  return RwSetCameraProjection(camera, projection);
}
RwCamera* zmAuthSetViewport(RwCamera* camera, intptr_t x, intptr_t y, intptr_t width, intptr_t height) {
  return RwSetCameraViewport(camera, x, y, width, height);
}
RwCamera* zmAuthSetCameraViewwindow(RwCamera* camera, float width, float height) {
  return RwSetCameraViewwindow(camera, width, height);
}
RwCamera* zmAuthGetCameraViewwindow(RwCamera* camera, float* width, float* height) {
  return RwGetCameraViewwindow(camera, width, height);
}
RwCamera* zmAuthSetCameraPosition(RwCamera* camera, float x, float y, float z) {
  return RwSetCameraPosition(camera, x, y, z);
}
RwVector* zmAuthGetCameraPosition(RwCamera* camera, RwVector* position) {
  return RwGetCameraPosition(camera, position);
}
RwCamera* zmAuthPointCamera(RwCamera* camera, float x, float y, float z) { return RwPointCamera(camera, x, y, z); }
RwCamera* zmAuthSetCameraLookUp(RwCamera* camera, float x, float y, float z) {
  return RwSetCameraLookUp(camera, x, y, z);
}
RwVector* zmAuthGetCameraLookAt(RwCamera* camera, RwVector* direction) {
  return RwGetCameraLookAt(camera, direction);
}
RwVector* zmAuthGetCameraLookUp(RwCamera* camera, RwVector* direction) {
  return RwGetCameraLookUp(camera, direction);
}
RwCamera* zmAuthResetCamera(RwCamera* camera) { return RwResetCamera(camera); }
RwCamera* zmAuthTiltCamera(RwCamera* camera, float angle) { return RwTiltCamera(camera, angle); }
RwCamera* zmAuthPanCamera(RwCamera* camera, float angle) { return RwPanCamera(camera, angle); }
RwCamera* zmAuthRevolveCamera(RwCamera* camera, float angle) { return RwRevolveCamera(camera, angle); }
RwCamera* zmAuthVCMoveCamera(RwCamera* camera, float x, float y, float z) {
  return RwVCMoveCamera(camera, x, y, z);
}
RwCamera* zmAuthWCMoveCamera(RwCamera* camera, float x, float y, float z) {
  return RwWCMoveCamera(camera, x, y, z);
}
