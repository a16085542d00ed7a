// viewer/person.cpp -- the user's avatar and its camera; see person.h.
#include "viewer/person.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/bounds.h"
#include "core/camera.h"
#include "core/dirs.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/vecmath.h"
#include "core/world.h"
#include "viewer/api.h"
#include "viewer/attributes.h"
#include "viewer/navigation.h"
#include "viewer/transfer.h"
#include "viewer/usercontrol.h"
#include "vrml/parse.h"

namespace {

constexpr int32_t kPersonCameraId = 2;
constexpr int32_t kWorldCameraId = 3;
constexpr size_t kDirectoryBufferSize = 256;
constexpr const char* kPersonFile = "person.wrl";
constexpr double kPi = 3.14159265358979323846;
// The eye sits this far behind the person's centre, along its -z.
constexpr float kEyeBehindCentre = 0.1f;

// Counts down *n over the light objects of the subtree, depth first.
ZmObj* nthLight(ZmObj* object, int32_t* n) {
  if (object->leaf != nullptr && zmIsLightLeaf(object->leaf)) {
    if (*n == 0) return object;
    --*n;
  }
  for (ZmChildList* node = object->child; node; node = node->next)
    if (ZmObj* found = nthLight(node->object, n)) return found;
  return nullptr;
}

// Light 0 of the first top object, in the world's order, that has a light.
ZmObj* firstWorldLight(ZmWorld* world) {
  for (ZmTopObjList* node = world->topObjects; node; node = node->next)
    if (ZmObj* light = zmGetNthLightNode(node->object, 0)) return light;
  return nullptr;
}

// The avatar's light 0 lights only worlds that bring no light of their own.
void switchWorldLight(ZmObj* person) {
  ZmObj* own = zmGetNthLightNode(person, 0);
  if (own == nullptr) return;
  ZmObj* first = firstWorldLight(person->world);
  zmRenderSetSubtreeState(own, (first == nullptr || first == own) ? 1 : 0);
}

// The attribute that carries a camera kind's field of view.
int32_t viewAttributeOf(ZmVRMLType type) {
  if (type == ZM_VRML_ORTHOGRAPHIC_CAMERA) return zmCameraAttrHeight;
  if (type == ZM_VRML_PERSPECTIVE_CAMERA) return zmCameraAttrHeightAngle;
  return -1;
}

// The world's own camera gives the person's camera its field of view when
// both are of one kind.
void copyViewOfWorldCamera(ZmWorld* world, ZmObj* worldCamera) {
  ZmObj* personCamera = zmGetCameraFromCameraTable(world, kPersonCameraId);
  if (personCamera == nullptr || personCamera->vrmlType != worldCamera->vrmlType) return;
  const int32_t attribute = viewAttributeOf(worldCamera->vrmlType);
  float value = 0.0f;
  if (attribute >= 0 && zmGetCameraAttribute(worldCamera, attribute, &value) == 0)
    zmSetCameraAttribute(personCamera, attribute, &value);
}

// The view from in front of the world: looking along -z from (0, ty, d),
// where d puts the larger of the cube's half extents (x about the axis, y
// about the camera's height) at the edge of the view window.
int homeInFrontOfWorld(ZmWorld* world, ZmRT* home) {
  ZmObj* camera = zmGetActiveCamera(world);
  if (camera == nullptr) {
    zmReportWarning("zmAdjustPersonToActiveCamera : cannot get a camera");
    return -1;
  }
  float halfWidth = 0.0f, halfHeight = 0.0f;
  if (zmGetCameraViewWindow(camera, &halfWidth, &halfHeight) != 0) {
    zmReportWarning("zmAdjustPersonToActiveCamera : cannot get a view window");
    return -1;
  }
  const float width = 2.0f * halfWidth, height = 2.0f * halfHeight;
  const ZmVec3& low = world->boundingBox[0];
  const ZmVec3& high = world->boundingBox[1];
  const float ty = zmGetWRT(camera)->t.y;
  const float ax = std::max(std::fabs(high.x), std::fabs(low.x));
  const float ay = std::max(std::fabs(high.y - ty), std::fabs(low.y - ty));
  const float d = (ay <= ax ? ax * 4.0f / width : ay * 4.0f / height) + high.z;
  zmRTIdentity(home);
  home->t = {0.0f, ty, d};
  return 0;
}

}  // namespace

ZmObj* zmGetNthLightNode(ZmObj* object, int32_t n) {
  if (object == nullptr || n < 0) return nullptr;
  return nthLight(object, &n);
}

ZmObj* zmFindCameraNode(ZmObj* object) { return findZmCameraObj(object); }

void zmSetPersonFileForTest(const char* path) { userControl().personFileForTest = path ? path : ""; }

int zmAddPersonToWorld(ZmWorld* world) {
  char directory[kDirectoryBufferSize];
  if (zmGetDataDirName(directory, sizeof directory) == 0) {
    zmReportError("zmGetModuleFileName: error");
    return -1;
  }
  const std::string& forTest = userControl().personFileForTest;
  const std::string path = forTest.empty() ? std::string(directory) + kPersonFile : forTest;
  if (access(path.c_str(), R_OK) != 0) {
    // Shown, not fatal: the world is given up and the program can load
    // another one.
    zmReportMessage("zmAddPersonToWorld: can not read file %s", path.c_str());
    return -1;
  }
  ZmObj* camera = nullptr;
  ZmTopObjList* added = zmParseVRMLInZmCamera(world, path.c_str(), &camera);
  if (added == nullptr) return -1;
  ZmObj* person = added->object;
  world->person = person;
  zmConstructPersonInViewer(person);
  if (camera == nullptr) {
    if (zmAddCameraToPerson(person) != 0) {
      zmReportWarning("zmAddPersonToWorld: person file (%s) has no camera ", path.c_str());
      return -1;
    }
    camera = zmFindCameraNode(person);
    if (camera == nullptr) {
      zmReportWarning("zmAddPersonToWorld: person file (%s) cannot have a camera ", path.c_str());
      return -1;
    }
  }
  if (zmReginsterToCameraTable(camera, kPersonCameraId) != 0) return -1;
  return zmSetActiveCameraID(world, kPersonCameraId) == 0 ? 0 : -1;
}

int zmAddCameraToPerson(ZmObj* person) {
  if (person == nullptr || person->world == nullptr) return -1;
  ZmPerspectiveCamera* leaf = zmNewPerspectiveCameraLeaf();
  if (leaf == nullptr) {
    zmReportError("zmAddCameraToPerson: zmNewPerspectiveCameraLeaf failed.");
    return -1;
  }
  ZmObj* camera = nullptr;
  if (zmNewZmObj(person->world, &camera, 1) != 0) {
    zmReportError("zmAddCameraToPerson: zmNewZmObj failed.");
    zmDeleteLeaf(leaf);
    return -1;
  }
  zmAddLeaf(camera, 0, leaf);
  // The code as well as the name, so that the camera lookups find it.
  camera->vrmlType = zmGetVRMLTypeByName("PerspectiveCamera");
  if (zmAddChild(person, camera) != 0) {
    zmDeleteZmObj(camera);
    zmReportWarning("zmAddCameraToPerson: zmAddChild failed");
    return -1;
  }
  zmConstructObjInViewer(camera);
  if (zmReginsterToCameraTable(camera, kPersonCameraId) != 0) return -1;

  float turn[9];
  zmMat3FromAngles(0.0, kPi, 0.0, turn);
  zmObjectRotate(camera, turn, ZM_COORD_PARENT, 1);
  const float top = zmGetBoundingCube(person)->p_local_max.y;
  const ZmVec3 lift = {0.0f, top - zmGetWRT(camera)->t.y, -kEyeBehindCentre};
  zmObjectTrans(camera, &lift, ZM_COORD_PARENT, 1);
  return zmSetActiveCameraID(person->world, kPersonCameraId) == 0 ? 0 : -1;
}

int zmAdjustPersonToActiveCamera(ZmObj* person) {
  if (person == nullptr || person->world == nullptr) return -1;
  ZmWorld* world = person->world;
  switchWorldLight(person);
  if (ZmObj* own = zmGetCameraFromCameraTable(world, kWorldCameraId)) {
    copyViewOfWorldCamera(world, own);
    world->worldRT = *zmGetWRT(own);
  } else if (homeInFrontOfWorld(world, &world->worldRT) != 0) {
    return -1;
  }
  // The placement keeps the home view's pitch in the navigation state; a
  // state made only later would lose it, and the first step would level
  // the view.
  if (zmGetNavState(world) == nullptr) zmNavInit();
  return zmPlacePersonAtCamera(person, &world->worldRT);
}

int zmRestorePersonCamera(ZmWorld* world, const ZmRT* saved) {
  if (world == nullptr || world->person == nullptr) {
    zmReportWarning("This world has no person");
    return -1;
  }
  ZmObj* camera = zmGetCameraFromCameraTable(world, kPersonCameraId);
  if (camera == nullptr) return -1;
  const ZmRT current = *zmGetWRT(camera);
  ZmRT inverse, savedThenInverse, restored;
  zmRTInvert(&current, &inverse);
  zmRTMult(&inverse, saved, &savedThenInverse);
  zmRTMult(&current, &savedThenInverse, &restored);
  return zmObjectRotateTrans(camera, &restored, ZM_COORD_WORLD, 0) == 0 ? 0 : -1;
}

int zmSetPersonHeadLight(ZmObj* person, int on) {
  ZmObj* headLight = zmGetNthLightNode(person, 1);
  if (headLight == nullptr) return -1;
  return zmRenderSetLightState(headLight, on);
}

int32_t zmGetPersonHeadLight(ZmObj* person) {
  ZmObj* headLight = zmGetNthLightNode(person, 1);
  if (headLight == nullptr || !zmIsLightLeaf(headLight->leaf)) return 0;
  return static_cast<ZmLight*>(headLight->leaf)->on;
}

int zmPlacePersonAtCamera(ZmObj* person, const ZmRT* M) {
  ZmObj* camera = person ? zmGetCameraFromCameraTable(person->world, kPersonCameraId) : nullptr;
  if (camera == nullptr || M == nullptr) return -1;
  const ZmVec3 body = zmGetWRT(person)->t;
  const ZmVec3 eye = zmGetWRT(camera)->t;
  const ZmVec3 moved = {body.x - eye.x + M->t.x, body.y - eye.y + M->t.y, body.z - eye.z + M->t.z};
  zmObjectTrans(person, &moved, ZM_COORD_WORLD, 0);
  // The way the camera will look once levelled, also when M looks
  // straight down.
  ZmVec3 facing;
  zmNavViewHeading(M, &facing);
  zmNavFaceDirection(person, &facing);
  zmObjectRotateTrans(camera, M, ZM_COORD_WORLD, 0);
  if (zmNavState* state = zmGetNavState(person->world)) state->pitch = zmNavGetPitch(camera);
  return 0;
}
