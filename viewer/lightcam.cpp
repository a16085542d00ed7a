// viewer/lightcam.cpp -- engine lights and cameras for light and camera
// leaves. A light or camera's data word holds its leaf (not the object);
// lights belong to the world's engine scene, cameras to no scene.
#include <cmath>

#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/light.h"
#include "engine/scene.h"
#include "engine/imagefile.h"
#include "viewer/builders.h"
#include "viewer/rendering.h"

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr intptr_t cameraImageWidth = 1024;
constexpr intptr_t cameraImageHeight = 768;
constexpr float viewWindowAspect = 4.0f / 3.0f;
constexpr float perspectiveFallbackHeight = 768.0f;
constexpr float defaultViewHeight = 0.75f;

int fail(const char* operation, const char* text) {
  zmReportError("%s : %s", operation, text);
  return -1;
}

int buildLight(ZmObj* object, const char* operation, intptr_t type, float z) {
  auto* leaf = static_cast<ZmLight*>(object->leaf);
  RwLight* light = RwCreateLight(type, 0.0f, 0.0f, z, 1.0f);
  if (light == nullptr) return fail(operation, "cannot create light");
  if (type == 3) {
    const float cutOff = static_cast<ZmSpotLight*>(leaf)->cutOffAngle;
    if (RwSetLightConeAngle(light, static_cast<float>(cutOff / pi * 90.0)) == nullptr)
      return fail(operation, "cannot set light cone angle");
  }
  const float k = leaf->intensity;
  if (RwSetLightColor(light, k * leaf->color[0], k * leaf->color[1], k * leaf->color[2]) == nullptr)
    return fail(operation, "cannot set light color");
  if (RwSetLightState(light, leaf->on == 1 ? 2 : 1) == nullptr) return fail(operation, "cannot set light state");
  return zmRwSetLight(light, leaf);
}

int buildCamera(ZmObj* object, const char* operation, int32_t projection, float viewHeight) {
  if (!(viewHeight > 0.0f) || !std::isfinite(viewHeight)) {
    // World-file data the engine would refuse: the camera still serves, with
    // the default camera's view window.
    zmReportWarning("%s : %s", operation, "the camera's view window is out of range; 1.0 x 0.75 is used");
    viewHeight = defaultViewHeight;
  }
  RwCamera* camera = RwCreateCamera(cameraImageWidth, cameraImageHeight, nullptr);
  if (camera == nullptr) return fail(operation, "cannot create camera");
  if (RwSetCameraProjection(camera, projection) == nullptr) return fail(operation, "cannot set camera projection");
  if (RwSetCameraViewwindow(camera, viewHeight * viewWindowAspect, viewHeight) == nullptr)
    return fail(operation, "cannot set view window");
  return zmRwSetCamera(camera, object->leaf);
}

// The world's background image as the camera's backdrop: the raster its
// rendering record owns, shared by every camera of the world; none until the
// record has read it.
void setBackdrop(RwCamera* camera, ZmWorld* world) {
  if (world->backgroundImage != nullptr && world->rendering != nullptr && world->rendering->backdrop != nullptr)
    RwSetCameraBackdrop(camera, world->rendering->backdrop);
}

}  // namespace

int zmRwSetPointLight(ZmObj* object) { return buildLight(object, "zmRwSetPointLight()", 2, 0.0f); }
int zmRwSetSpotLight(ZmObj* object) { return buildLight(object, "zmRwSetSpotLight()", 3, 0.0f); }
int zmRwSetDirectionalLight(ZmObj* object) { return buildLight(object, "zmRwSetDirectionalLight()", 1, -1.0f); }

int zmRwSetLight(RwLight* light, ZmLeaf* leaf) {
  const char* operation = "zmRwSetLight()";
  RwScene* scene = zmRwGetScene(leaf->owner->world);
  if (scene == nullptr) return -1;
  if (RwAddLightToScene(scene, light) == nullptr) return fail(operation, "cannot add light to scene");
  leaf->rendering = light;
  if (RwSetLightData(light, reinterpret_cast<uintptr_t>(leaf)) == nullptr)
    return fail(operation, "cannot set data to light");
  return zmRenderTransformZmLight(leaf) == 0 ? 0 : -1;
}

int zmRwSetOrthographicCamera(ZmObj* object) {
  const float height = static_cast<ZmOrthographicCamera*>(object->leaf)->height;
  return buildCamera(object, "zmRwSetOrthographicCamera()", 2, height);
}

int zmRwSetPerspectiveCamera(ZmObj* object) {
  float height = std::tan(static_cast<ZmPerspectiveCamera*>(object->leaf)->heightAngle / 2);
  if (height < 0.0f) height = perspectiveFallbackHeight;
  return buildCamera(object, "zmRwSetPerspectiveCamera()", 1, height);
}

int zmRwSetCamera(RwCamera* camera, ZmLeaf* leaf) {
  const char* operation = "zmRwSetCamera()";
  if (ZmWorld* world = leaf->owner->world) {
    if (RwSetCameraBackColor(camera, world->backgroundColor[0], world->backgroundColor[1],
                             world->backgroundColor[2]) == nullptr)
      return fail(operation, "cannot set background color");
    setBackdrop(camera, world);
  }
  int width = 0, height = 0;
  zmGetViewWindowSize(&width, &height);
  if (RwSetCameraViewport(camera, 0, 0, width, height) == nullptr) return fail(operation, "cannot set viewport");
  leaf->rendering = camera;
  if (RwSetCameraData(camera, reinterpret_cast<uintptr_t>(leaf)) == nullptr)
    return fail(operation, "cannot set data to camera");
  return zmRenderTransformCameraLeaf(leaf) == 0 ? 0 : -1;
}
