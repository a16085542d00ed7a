// viewer/cameraquery.cpp -- camera queries for the scene core, point projection.
#include "viewer/cameraquery.h"

#include <cstdint>

#include "core/camera.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/vecmath.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/matrix.h"
#include "viewer/sceneobjects.h"

namespace {

int fail(const char* operation, const char* text) {
  zmReportError("%s : %s", operation, text);
  return -1;
}

// The engine camera of a camera object; null after a report.
RwCamera* cameraOf(ZmObj* object, const char* operation) {
  if (object == nullptr || !zmIsCameraObj(object)) {
    fail(operation, "specified obj is not a camera");
    return nullptr;
  }
  RwCamera* camera = zmRwGetCamera(object->leaf);
  if (camera == nullptr) fail(operation, "cannot find the specified camera");
  return camera;
}

RwCamera* activeCameraOf(ZmWorld* world, const char* operation, const char* missing = "cannot get active camera") {
  RwCamera* camera = world ? zmRwGetActiveCamera(world) : nullptr;
  if (camera == nullptr) fail(operation, missing);
  return camera;
}

int viewport(RwCamera* camera, const char* operation, int* x, int* y, int* width, int* height) {
  if (camera == nullptr) return -1;
  intptr_t vx, vy, vw, vh;
  if (RwGetCameraViewport(camera, &vx, &vy, &vw, &vh) == nullptr) return fail(operation, "cannot get camera's viewport");
  *x = static_cast<int>(vx);
  *y = static_cast<int>(vy);
  *width = static_cast<int>(vw);
  *height = static_cast<int>(vh);
  return 0;
}

int viewWindow(RwCamera* camera, const char* operation, float* width, float* height) {
  if (camera == nullptr) return -1;
  float w, h;
  if (RwGetCameraViewwindow(camera, &w, &h) == nullptr) return fail(operation, "cannot get camera's view window");
  *width = w;
  *height = h;
  return 0;
}

int clipping(RwCamera* camera, const char* operation, float (*read)(const RwCamera*), const char* text,
             float* distance) {
  if (camera == nullptr) return -1;
  const float value = read(camera);
  if (value == -1.0f) return fail(operation, text);
  *distance = value;
  return 0;
}

int direction(RwCamera* camera, const char* operation, RwVector* (*read)(const RwCamera*, RwVector*),
              const char* text, float* x, float* y, float* z) {
  if (camera == nullptr) return -1;
  RwVector v;
  if (read(camera, &v) == nullptr) return fail(operation, text);
  *x = v.x;
  *y = v.y;
  *z = v.z;
  return 0;
}

constexpr const char* kNearText = "cannot get camera's near clipping";
constexpr const char* kFarText = "cannot get camera's far clipping";
constexpr const char* kLookAtText = "cannot get camera's \"Look At\" vector";
constexpr const char* kLookUpText = "cannot get camera's \"Look Up\" vector";

}  // namespace

int zmRenderSetCameraViewport(ZmWorld* world, int x, int y, int width, int height) {
  const char* operation = "zmRenderSetCameraViewport()";
  RwCamera* camera = activeCameraOf(world, operation, "cannot get a camera");
  if (camera == nullptr) return -1;
  if (RwSetCameraViewport(camera, x, y, width, height) == nullptr) return fail(operation, "cannot set viewport");
  return 0;
}

int zmRenderGetCameraViewport(ZmObj* camera, int* x, int* y, int* width, int* height) {
  const char* operation = "zmRenderGetCameraViewport()";
  return viewport(cameraOf(camera, operation), operation, x, y, width, height);
}

int zmRenderGetActiveCameraViewport(ZmWorld* world, int* x, int* y, int* width, int* height) {
  const char* operation = "zmRenderGetActiveCameraViewport()";
  return viewport(activeCameraOf(world, operation), operation, x, y, width, height);
}

int zmRenderGetCameraViewWindow(ZmObj* camera, float* width, float* height) {
  const char* operation = "zmRenderGetCameraViewWindow()";
  return viewWindow(cameraOf(camera, operation), operation, width, height);
}

int zmRenderGetActiveCameraViewWindow(ZmWorld* world, float* width, float* height) {
  const char* operation = "zmRenderGetActiveCameraViewWindow()";
  return viewWindow(activeCameraOf(world, operation), operation, width, height);
}

int zmRenderGetCameraNearClipping(ZmObj* camera, float* distance) {
  const char* operation = "zmRenderGetCameraNearClipping()";
  return clipping(cameraOf(camera, operation), operation, RwGetCameraNearClipping, kNearText, distance);
}

int zmRenderGetActiveCameraNearClipping(ZmWorld* world, float* distance) {
  const char* operation = "zmRenderGetActiveCameraNearClipping()";
  return clipping(activeCameraOf(world, operation), operation, RwGetCameraNearClipping, kNearText, distance);
}

int zmRenderGetCameraFarClipping(ZmObj* camera, float* distance) {
  const char* operation = "zmRenderGetCameraFarClipping()";
  return clipping(cameraOf(camera, operation), operation, RwGetCameraFarClipping, kFarText, distance);
}

int zmRenderGetActiveCameraFarClipping(ZmWorld* world, float* distance) {
  const char* operation = "zmRenderGetActiveCameraFarClipping()";
  return clipping(activeCameraOf(world, operation), operation, RwGetCameraFarClipping, kFarText, distance);
}

int zmRenderGetCameraLookAt(ZmObj* camera, float* x, float* y, float* z) {
  const char* operation = "zmRenderGetCameraLookAt()";
  return direction(cameraOf(camera, operation), operation, RwGetCameraLookAt, kLookAtText, x, y, z);
}

int zmRenderGetActiveCameraLookAt(ZmWorld* world, float* x, float* y, float* z) {
  const char* operation = "zmRenderGetActiveCameraLookAt()";
  return direction(activeCameraOf(world, operation), operation, RwGetCameraLookAt, kLookAtText, x, y, z);
}

int zmRenderGetCameraLookUp(ZmObj* camera, float* x, float* y, float* z) {
  const char* operation = "zmRenderGetCameraLookUp()";
  return direction(cameraOf(camera, operation), operation, RwGetCameraLookUp, kLookUpText, x, y, z);
}

int zmRenderGetActiveCameraLookUp(ZmWorld* world, float* x, float* y, float* z) {
  const char* operation = "zmRenderGetActiveCameraLookUp()";
  return direction(activeCameraOf(world, operation), operation, RwGetCameraLookUp, kLookUpText, x, y, z);
}

int zmRenderProjectPoint(ZmObj* camera, const float point[3], int* x, int* y, int* onScreen) {
  ZmRT view;
  zmRTInvert(zmGetWRT(camera), &view);
  const ZmVec3 p{point[0], point[1], point[2]};
  ZmVec3 q;
  zmRTTransformPoint(&view, &p, &q);
  int vx = 0, vy = 0, vw = 0, vh = 0;
  float ww = 1.0f, wh = 0.75f;
  zmGetCameraViewport(camera, &vx, &vy, &vw, &vh);
  zmGetCameraViewWindow(camera, &ww, &wh);
  if (q.z > -0.5f) {
    *onScreen = 0;
    return 0;
  }
  *x = static_cast<int>(q.x / q.z * static_cast<float>(vw) * -0.5f / ww) + vw / 2 + vx;
  *y = (vy + vh / 2) - static_cast<int>(q.y / q.z * static_cast<float>(vh) * -0.5f / wh);
  *onScreen = (vx <= *x && *x <= vx + vw && vy <= *y && *y <= vy + vh) ? 1 : 0;
  return 0;
}

int zmRenderProjectPointByActiveCamera(ZmWorld* world, const float point[3], int* x, int* y, int* onScreen) {
  ZmObj* camera = world ? zmGetActiveCamera(world) : nullptr;
  if (camera == nullptr) return 0;
  return zmRenderProjectPoint(camera, point, x, y, onScreen);
}
