// viewer/attributes.cpp -- attributes of objects, lights and cameras by
// number; see attributes.h.
#include "viewer/attributes.h"

#include <cmath>
#include <cstring>

#include "core/camera.h"
#include "core/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/transform.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/light.h"
#include "viewer/api.h"
#include "viewer/frame.h"
#include "viewer/sceneobjects.h"
#include "viewer/rendering.h"
#include "viewer/transfer.h"
#include "vrml/hooks.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kViewWindowAspect = 1.3333334f;
constexpr float kNegativeTangentHeight = 768.0f;

// ---- Objects ----------------------------------------------------------------

// The flag behind each plain flag attribute; 0 for the others.
uint32_t flagOf(int32_t id) {
  switch (id) {
    case zmObjAttrCubeValid: return ZM_OBJ_HAS_CUBE;
    case zmObjAttrCubeComputed: return ZM_OBJ_LOCAL_CUBE_VALID;
    case zmObjAttrCubeMarked: return ZM_OBJ_PARENT_CUBE_VALID;
    case zmObjAttrWrtValid: return ZM_OBJ_WRT_VALID;
    case zmObjAttrGrasp: return ZM_OBJ_GRASP;
    case zmObjAttrCollision: return ZM_OBJ_COLLISION;
    case zmObjAttrMobile: return ZM_OBJ_MOBILE;
    default: return 0;
  }
}

// The comment slot behind each text attribute; -1 for the others.
int commentSlotOf(int32_t id) {
  switch (id) {
    case zmObjAttrName: return 1;
    case zmObjAttrComment: return 2;
    case zmObjAttrLabel: return 3;
    default: return -1;
  }
}

bool isObjAttribute(int32_t id) { return id >= zmObjAttrNodeType && id <= zmObjAttrMobile; }

int32_t readInt(const void* value) {
  int32_t n;
  std::memcpy(&n, value, sizeof n);
  return n;
}

float readFloat(const void* value) {
  float f;
  std::memcpy(&f, value, sizeof f);
  return f;
}

void writeInt(void* value, int32_t n) { std::memcpy(value, &n, sizeof n); }
void writeFloat(void* value, float f) { std::memcpy(value, &f, sizeof f); }
void writeFloats(void* value, const float* from) { std::memcpy(value, from, 3 * sizeof(float)); }

// ---- Lights -------------------------------------------------------------------

int warnRenderLight(const char* text) {
  zmReportWarning("%s : %s", "zmRenderSetLightAttribute", text);
  return -1;
}

int warnGetLight(const char* text) {
  zmReportWarning("zmGetLightAttribute : %s", text);
  return -1;
}

// How a light kind answers an id: the field is there, the id is one no
// light carries yet, or the id names nothing on this kind.
enum class LightField { present, unsupported, wrongName };

LightField lightField(int32_t kind, int32_t id) {
  const bool spot = kind == ZM_LEAF_SPOT_LIGHT;
  switch (id) {
    case zmLightAttrOn: case zmLightAttrIntensity: case zmLightAttrColor: return LightField::present;
    case zmLightAttrLocation:
      return kind == ZM_LEAF_DIRECTIONAL_LIGHT ? LightField::wrongName : LightField::unsupported;
    case zmLightAttrDirection:
      return kind == ZM_LEAF_POINT_LIGHT ? LightField::wrongName : LightField::unsupported;
    case zmLightAttrDropOffRate: case zmLightAttrCutOffAngle:
      return spot ? LightField::present : LightField::wrongName;
    default: return LightField::wrongName;
  }
}

// The engine's cone angle in degrees from a cut-off angle in radians, as the
// light builder converts it.
float engineConeAngle(float cutOff) { return static_cast<float>(cutOff / kPi * 90.0); }

// ---- Cameras --------------------------------------------------------------------

int warnRenderCamera(const char* text) {
  zmReportWarning("%s : %s", "zmRenderSetCameraAttribute", text);
  return -1;
}

int failRenderCamera(const char* text) {
  zmReportError("%s : %s", "zmRenderSetCameraAttribute", text);
  return -1;
}

int warnGetCamera(const char* text) {
  zmReportWarning("zmGetCameraAttribute : %s", text);
  return -1;
}

int setViewWindow(RwCamera* camera, float halfHeight) {
  if (RwSetCameraViewwindow(camera, halfHeight * kViewWindowAspect, halfHeight) == nullptr)
    return failRenderCamera("cannot set view window");
  return 0;
}

// The camera stops showing its backdrop; the raster stays with the world's
// rendering record, which other cameras may show and which frees it. A
// readable image then becomes the record's backdrop, shown by this camera.
int setBackgroundTexture(ZmObj* object, RwCamera* camera, ZmUrlHash* entry) {
  if (RwGetCameraBackdrop(camera) != nullptr) RwSetCameraBackdrop(camera, nullptr);
  if (entry == nullptr) return 0;
  const char* file = vrmlLoading().getLocalFile(entry);
  if (file == nullptr || zmRenderReadBackdrop(object->world, file) != 0)
    return warnRenderCamera("cannot set camera background texture");
  RwSetCameraBackdrop(camera, object->world->rendering->backdrop);
  return 0;
}

void setWorldBackgroundTexture(ZmWorld* world, ZmUrlHash* entry) {
  if (world->backgroundImage != nullptr && world->backgroundImage != entry)
    coreLoading().releaseUrlHashEntry(world->backgroundImage);
  world->backgroundImage = entry;
}

}  // namespace

// ---- Objects ----------------------------------------------------------------------

int zmGetObjAttribute(ZmObj* object, int32_t id, void* value) {
  if (object == nullptr || !isObjAttribute(id)) return -1;
  if (id == zmObjAttrNodeType) {
    const char* name = zmGetVRMLTypeName(object->vrmlType);
    *static_cast<const char**>(value) = name ? name : "";
  } else if (const int slot = commentSlotOf(id); slot >= 0) {
    *static_cast<const char**>(value) = object->comment[slot];
  } else if (id == zmObjAttrVisible) {
    writeInt(value, zmIsVisible(object));
  } else if (id == zmObjAttrSolid) {
    writeInt(value, zmIsSolid(object));
  } else if (const uint32_t flag = flagOf(id); flag != 0) {
    writeInt(value, (object->obj_flags & flag) != 0 ? 1 : 0);
  }
  return 0;
}

int zmSetObjAttrbute(ZmObj* object, int32_t id, const void* value) {
  if (object == nullptr || !isObjAttribute(id)) return -1;
  if (id == zmObjAttrNodeType) {
    object->vrmlType = zmGetVRMLTypeByName(static_cast<const char*>(value));
  } else if (const int slot = commentSlotOf(id); slot >= 0) {
    const auto* text = static_cast<const char*>(value);
    zmFree(object->comment[slot]);
    object->comment[slot] = text ? zmStrdup(text) : nullptr;
    if (text != nullptr && object->comment[slot] == nullptr) {
      zmReportError("zmSetObjAttrbute:ZmStrdup Failed.");
      return -1;
    }
  } else if (id == zmObjAttrVisible) {
    zmRenderSetSubtreeState(object, readInt(value));
  } else if (id == zmObjAttrSolid) {
    zmRenderSetSubtreeMode(object, readInt(value));
  } else if (const uint32_t flag = flagOf(id); flag != 0) {
    if ((readInt(value) & 1) != 0) object->obj_flags |= flag; else object->obj_flags &= ~flag;
  }
  return 0;
}

// ---- Lights ---------------------------------------------------------------------------

int zmRenderSetLightAttribute(ZmObj* object, int32_t id, const void* value) {
  if (object == nullptr || object->leaf == nullptr) return warnRenderLight("not a leaf object");
  if (!zmIsLightLeaf(object->leaf)) return warnRenderLight("not a light object");
  RwLight* light = zmRwGetLight(object->leaf);
  if (light == nullptr) return warnRenderLight("cannot get RwLight");
  const auto* leaf = static_cast<ZmLight*>(object->leaf);
  const LightField field = lightField(leaf->kind, id);
  if (field == LightField::unsupported) return -1;
  if (field == LightField::wrongName) return warnRenderLight("wrong attribute name");
  switch (id) {
    case zmLightAttrOn:
      zmRenderSetSubtreeState(object, readInt(value));
      return 0;
    case zmLightAttrIntensity: {
      const float k = readFloat(value);
      if (RwSetLightColor(light, leaf->color[0] * k, leaf->color[1] * k, leaf->color[2] * k) == nullptr)
        return warnRenderLight("cannot set light color");
      return 0;
    }
    case zmLightAttrColor: {
      const auto* c = static_cast<const float*>(value);
      const float k = leaf->intensity;
      if (RwSetLightColor(light, k * c[0], k * c[1], k * c[2]) == nullptr)
        return warnRenderLight("cannot set light color");
      return 0;
    }
    case zmLightAttrDropOffRate:
      return 0;
    default:  // the cut-off angle of a spot light
      if (RwSetLightConeAngle(light, engineConeAngle(readFloat(value))) == nullptr)
        return warnRenderLight("cannot set light cut off angle");
      return 0;
  }
}

int zmSetLightAttribute(ZmObj* object, int32_t id, const void* value) {
  if (zmRenderSetLightAttribute(object, id, value) != 0) return -1;
  auto* leaf = static_cast<ZmLight*>(object->leaf);
  switch (id) {
    case zmLightAttrOn: leaf->on = readInt(value); break;
    case zmLightAttrIntensity: leaf->intensity = readFloat(value); break;
    case zmLightAttrColor: std::memcpy(leaf->color, value, sizeof leaf->color); break;
    case zmLightAttrDropOffRate:
      static_cast<ZmSpotLight*>(leaf)->dropOffRate = readFloat(value);
      zmReportWarning("zmSetLightAttribute : not not supported yet");
      break;
    case zmLightAttrCutOffAngle: static_cast<ZmSpotLight*>(leaf)->cutOffAngle = readFloat(value); break;
    default: break;
  }
  return 0;
}

int zmGetLightAttribute(ZmObj* object, int32_t id, void* value) {
  if (object == nullptr || object->leaf == nullptr) return warnGetLight("not a leaf object");
  if (!zmIsLightLeaf(object->leaf)) return warnGetLight("not a light object");
  const auto* leaf = static_cast<ZmLight*>(object->leaf);
  const LightField field = lightField(leaf->kind, id);
  if (field == LightField::unsupported) return warnGetLight("not not supported yet");
  if (field == LightField::wrongName) return warnGetLight("wrong attribute name");
  switch (id) {
    case zmLightAttrOn: writeInt(value, leaf->on == 1 ? 1 : 0); break;
    case zmLightAttrIntensity: writeFloat(value, leaf->intensity); break;
    case zmLightAttrColor: writeFloats(value, leaf->color); break;
    case zmLightAttrDropOffRate: writeFloat(value, static_cast<const ZmSpotLight*>(leaf)->dropOffRate); break;
    default: writeFloat(value, static_cast<const ZmSpotLight*>(leaf)->cutOffAngle); break;
  }
  return 0;
}

// ---- Cameras ----------------------------------------------------------------------------

int zmRenderSetCameraAttribute(ZmObj* object, int32_t id, const void* value) {
  if (object == nullptr || object->leaf == nullptr) return warnRenderCamera("not a leaf object");
  if (!zmIsCameraLeaf(object->leaf)) return warnRenderCamera("not a camera object");
  RwCamera* camera = zmRwGetCamera(object->leaf);
  if (camera == nullptr) return warnRenderCamera("cannot get RwCamera");
  const int32_t kind = object->leaf->kind;
  switch (id) {
    case zmCameraAttrPosition: case zmCameraAttrLookAt: return 0;
    case zmCameraAttrFocalDistance: return -1;
    case zmCameraAttrHeight:
      if (kind != ZM_LEAF_ORTHOGRAPHIC_CAMERA)
        return failRenderCamera("ONLY OrthographicCamera can cange zmCameraAttrHeight, sorry.");
      return setViewWindow(camera, readFloat(value));
    case zmCameraAttrHeightAngle: {
      if (kind != ZM_LEAF_PERSPECTIVE_CAMERA)
        return failRenderCamera("ONLY PerspectiveCamera can cange zmCameraAttrHeightAngle, sorry.");
      float t = std::tan(readFloat(value) / 2.0f);
      if (t < 0.0f) t = kNegativeTangentHeight;
      return setViewWindow(camera, t);
    }
    case zmCameraAttrBackgroundColor: {
      if (object->world == nullptr) return warnRenderCamera("cannot get a world");
      const auto* c = static_cast<const float*>(value);
      if (RwSetCameraBackColor(camera, c[0], c[1], c[2]) == nullptr)
        return warnRenderCamera("cannot set camera background color");
      return 0;
    }
    case zmCameraAttrBackgroundTexture:
      if (object->world == nullptr || object->world->rendering == nullptr)
        return warnRenderCamera("cannot set camera background texture");
      return setBackgroundTexture(object, camera, static_cast<ZmUrlHash*>(const_cast<void*>(value)));
    default:
      zmReportWarning("%s : %s(%d)", "zmRenderSetCameraAttribute", "wrong attribute name", id);
      return -1;
  }
}

int zmSetCameraAttribute(ZmObj* object, int32_t id, const void* value) {
  if (zmRenderSetCameraAttribute(object, id, value) != 0) return -1;
  const auto* v = static_cast<const float*>(value);
  switch (id) {
    case zmCameraAttrPosition: {
      ZmRT placed = *zmGetWRT(object);
      placed.t = {v[0], v[1], v[2]};
      return zmObjectRotateTrans(object, &placed, ZM_COORD_WORLD, 0);
    }
    case zmCameraAttrLookAt: {
      const ZmVec3 direction = {v[0], v[1], v[2]};
      return zmSetCameraLookAt(object, &direction);
    }
    case zmCameraAttrHeight: static_cast<ZmOrthographicCamera*>(object->leaf)->height = v[0]; break;
    case zmCameraAttrHeightAngle: static_cast<ZmPerspectiveCamera*>(object->leaf)->heightAngle = v[0]; break;
    case zmCameraAttrBackgroundColor: std::memcpy(object->world->backgroundColor, v, 3 * sizeof(float)); break;
    case zmCameraAttrBackgroundTexture:
      setWorldBackgroundTexture(object->world, static_cast<ZmUrlHash*>(const_cast<void*>(value)));
      break;
    default: break;
  }
  return 0;
}

int zmGetCameraAttribute(ZmObj* object, int32_t id, void* value) {
  if (object == nullptr || object->leaf == nullptr) return warnGetCamera("not a leaf object");
  if (!zmIsCameraLeaf(object->leaf)) return warnGetCamera("not a camera object");
  const int32_t kind = object->leaf->kind;
  switch (id) {
    case zmCameraAttrPosition:
      if (zmGetCameraPosition(object, static_cast<ZmVec3*>(value)) != 0)
        return warnGetCamera("cannot get camera position");
      return 0;
    case zmCameraAttrLookAt:
      if (zmGetCameraLookAt(object, static_cast<ZmVec3*>(value)) != 0)
        return warnGetCamera("cannot get camera look at");
      return 0;
    case zmCameraAttrFocalDistance:
      writeFloat(value, static_cast<ZmCamera*>(object->leaf)->focalDistance);
      return 0;
    case zmCameraAttrHeight:
      if (kind != ZM_LEAF_ORTHOGRAPHIC_CAMERA) return warnGetCamera("wrong attribute name");
      writeFloat(value, static_cast<ZmOrthographicCamera*>(object->leaf)->height);
      return 0;
    case zmCameraAttrHeightAngle:
      if (kind != ZM_LEAF_PERSPECTIVE_CAMERA) return warnGetCamera("wrong attribute name");
      writeFloat(value, static_cast<ZmPerspectiveCamera*>(object->leaf)->heightAngle);
      return 0;
    case zmCameraAttrBackgroundColor:
      if (object->world == nullptr) return warnGetCamera("cannot get a world");
      writeFloats(value, object->world->backgroundColor);
      return 0;
    default:
      return warnGetCamera("wrong attribute name");
  }
}
