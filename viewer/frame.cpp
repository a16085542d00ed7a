// viewer/frame.cpp -- drawing one frame, and the backdrop that follows the camera.
#include "viewer/frame.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/imagefile.h"
#include "engine/library.h"
#include "engine/matrix.h"
#include "engine/rasters.h"
#include "engine/scene.h"
#include "engine/windevice.h"
#include "viewer/hooks.h"
#include "viewer/sceneobjects.h"
#include "viewer/rendering.h"
#include "viewer/transfer.h"
#include "vrml/hooks.h"

namespace {

constexpr intptr_t kBackdropTextureFlags = 18;
constexpr float kTwoPi = 6.2831855f;

int failFrame(const char* text) {
  zmReportError("%s : %s", "zmRenderShowWorld()", text);
  return -1;
}

int warnTrack(const char* text) {
  zmReportWarning("%s : %s", "TrackBackdropToCamera", text);
  return -1;
}

float clampUnit(float value) { return std::clamp(value, -1.0f, 1.0f); }

// The world's background image as the camera's backdrop, tracked to its
// heading and pitch; none when the world has no background image.
void layBackdrop(ZmWorld* world, RwCamera* camera) {
  RwRaster* backdrop = world->backgroundImage ? world->rendering->backdrop : nullptr;
  RwSetCameraBackdrop(camera, backdrop);
  if (backdrop != nullptr) TrackBackdropToCamera(camera, backdrop);
}

// Every camera of the subtree that shows `from` as its backdrop shows `to`.
void retargetBackdrop(ZmObj* object, RwRaster* from, RwRaster* to) {
  if (RwCamera* camera = zmRwGetCamera(object->leaf))
    if (RwGetCameraBackdrop(camera) == from) RwSetCameraBackdrop(camera, to);
  for (ZmChildList* node = object->child; node; node = node->next) retargetBackdrop(node->object, from, to);
}

void replaceBackdrop(ZmWorld* world, RwRaster* raster, const char* file) {
  RenderingStruct* record = world->rendering;
  RwRaster* old = record->backdrop;
  if (old != nullptr) {
    if (record->defaultCamera && RwGetCameraBackdrop(record->defaultCamera) == old)
      RwSetCameraBackdrop(record->defaultCamera, raster);
    for (ZmTopObjList* node = world->topObjects; node; node = node->next)
      retargetBackdrop(node->object, old, raster);
    RwDestroyRaster(old);
  }
  record->backdrop = raster;
  zmFree(record->backdropFile);
  record->backdropFile = zmStrdup(file);
}

}  // namespace

int zmRenderSetFrameTime(ZmWorld* world, HWND window, HDC dc) {
  if (world == nullptr || world->rendering == nullptr) return -1;
  world->rendering->viewWindow = window;
  world->rendering->viewDC = dc;
  return 0;
}

int zmRenderShowWorld(ZmWorld* world) {
  if (world == nullptr || world->rendering == nullptr) return failFrame("cannot get active camera");
  if (zmRenderTransferObjects(world) != 0) return -1;
  RwCamera* camera = zmRwGetActiveCamera(world);
  if (camera == nullptr) return failFrame("cannot get active camera");
  zmRwEvalAllLOD(world, camera);
  layBackdrop(world, camera);
  RenderingStruct* record = world->rendering;
  if (RwInvalidateCameraViewport(camera) == nullptr) return failFrame("cannot invalidate camera viewport");
  if (RwBeginCameraUpdate(camera, reinterpret_cast<intptr_t>(record->viewWindow)) == nullptr)
    return failFrame("cannot begin updating the current camera");
  if (RwClearCameraViewport(camera) == nullptr) return failFrame("cannot clear camera viewport");
  if (RwRenderScene(record->scene) == nullptr) return failFrame("cannot render scene");
  zmRenderDrawOverlays(camera);
  if (RwEndCameraUpdate(camera) == nullptr) return failFrame("cannot end updating the current camera");
  if (RwShowCameraImage(camera, record->viewDC) == nullptr) return failFrame("cannot show camera image");
  return 0;
}

int TrackBackdropToCamera(RwCamera* camera, RwRaster* backdrop) {
  if (camera == nullptr || backdrop == nullptr) return warnTrack("no camera or backdrop");
  intptr_t vx, vy, width, height;
  if (RwGetCameraViewport(camera, &vx, &vy, &width, &height) == nullptr)
    return warnTrack("cannot get camera viewport");
  float halfWidth, halfHeight;
  if (RwGetCameraViewwindow(camera, &halfWidth, &halfHeight) == nullptr)
    return warnTrack("cannot set camera viewwindow");
  const float fieldX = 2.0f * std::atan(halfWidth), fieldY = 2.0f * std::atan(halfHeight);
  RwVector lookAt;
  if (RwGetCameraLookAt(camera, &lookAt) == nullptr) return warnTrack("cannot get camera lookat");

  RwVector level{lookAt.x, 0.0f, lookAt.z};
  RwNormalize(&level);
  float yaw = std::acos(clampUnit(level.z));
  if (lookAt.x < 0.0f) yaw = kTwoPi - yaw;
  const auto x = static_cast<intptr_t>(-(yaw / fieldX) * static_cast<float>(width));
  float pitch = std::acos(clampUnit(lookAt.x * level.x + lookAt.y * level.y + lookAt.z * level.z));
  if (lookAt.y < 0.0f) pitch = -pitch;
  const auto shift = static_cast<intptr_t>((pitch / fieldY) * static_cast<float>(height));

  const intptr_t rows = RwGetRasterHeight(backdrop);
  if (rows == -1) return warnTrack("cannot get backdrop height");
  intptr_t y = (height - rows) / 2 + shift;
  intptr_t offsetY = 0, covered = rows;
  if (y < 0) {
    covered = rows + y;
    if (covered < 0) {
      covered = 0;
      offsetY = shift;
    } else {
      offsetY = -y;
    }
    y = 0;
  }
  if (RwSetCameraBackdropOffset(camera, x, offsetY) == nullptr) warnTrack("cannot set camera backdrop offset");
  if (RwSetCameraBackdropViewportRect(camera, 0, y, width, covered) == nullptr)
    return warnTrack("cannot set camera viewport rectangle");
  return 0;
}

void zmRenderDrawOverlays(RwCamera* camera) {
  // The plain DIB mode draws its image without a device context to draw into.
  int32_t plainDib = 1;
  if (RwDeviceControl(rwControlPlainDibToo, &plainDib, sizeof plainDib) == 0 || plainDib != 0) return;
  HDC image = RwGetCameraImage(camera);
  if (image == nullptr) return;
  viewerShell().scouterDraw(image);
  viewerShell().drawDragFeedback(image);
}

int zmRenderLoadBackground(ZmWorld* world) {
  if (world == nullptr || world->rendering == nullptr) return -1;
  if (world->backgroundImage == nullptr) return 0;
  const char* file = vrmlLoading().getLocalFile(world->backgroundImage);
  if (file == nullptr) return 0;
  RenderingStruct* record = world->rendering;
  if (record->backdrop != nullptr && record->backdropFile != nullptr && zmStrEq(record->backdropFile, file))
    return 0;
  RwRaster* raster = RwReadTextureWithFlags(file, kBackdropTextureFlags);
  if (raster == nullptr) return 0;
  replaceBackdrop(world, raster, file);
  return 0;
}

int zmRenderReadBackdrop(ZmWorld* world, const char* file) {
  if (world == nullptr || world->rendering == nullptr || file == nullptr) return -1;
  RwRaster* raster = RwReadTextureWithFlags(file, kBackdropTextureFlags);
  if (raster == nullptr) return -1;
  replaceBackdrop(world, raster, file);
  return 0;
}
