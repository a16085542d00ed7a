// core/camera.cpp -- camera tables and camera queries; see camera.h.
#include "core/camera.h"

#include <cmath>

#include "core/hooks.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/world.h"

static void reportError(const char* function, const char* text) {
  zmReportError("%s : %s", function, text);
}

// ---- The table ------------------------------------------------------------

int zmSetCameraTableToWorld(ZmWorld* world) {
  if (world == nullptr) {
    reportError("zmSetCameraTableToWorld()", "pointer to world is NULL");
    return -1;
  }
  if (world->cameraTable != nullptr) {
    zmReportWarning("%s : %s", "zmSetCameraTableToWorld()", "camera table is already exists");
    return 0;
  }
  ZmCameraTable* table = static_cast<ZmCameraTable*>(zmMalloc(sizeof(ZmCameraTable)));
  if (table == nullptr) {
    reportError("zmSetCameraTableToWorld()", "cannot allocate memory");
    return -5;
  }
  table->activeId = 1;
  world->cameraTable = table;
  return 0;
}

int zmDeleteCameraTable(ZmWorld* world) {
  if (world == nullptr || world->cameraTable == nullptr) return 0;
  ZmCameraList* node = world->cameraTable->first;
  while (node != nullptr) {
    ZmCameraList* next = node->next;
    zmFree(node);
    node = next;
  }
  zmFree(world->cameraTable);
  world->cameraTable = nullptr;
  return 0;
}

ZmCameraList* zmNewZmCameraList(int32_t id, ZmObj* camera) {
  ZmCameraList* node = static_cast<ZmCameraList*>(zmMalloc(sizeof(ZmCameraList)));
  if (node == nullptr) {
    reportError("zmNewZmCameraList()", "cannot allocate memory");
    return nullptr;
  }
  node->id = id;
  node->camera = camera;
  return node;
}

static ZmCameraList* findNode(ZmCameraTable* table, int32_t id) {
  for (ZmCameraList* node = table->first; node; node = node->next) {
    if (node->id == id) return node;
  }
  return nullptr;
}

int zmReginsterToCameraTable(ZmObj* camera, int32_t id) {
  if (camera == nullptr || camera->world == nullptr) {
    reportError("zmReginsterToCameraTable()", "NULL obj or pointer to world is NULL");
    return -1;
  }
  ZmWorld* world = camera->world;
  if (world->cameraTable == nullptr) {
    int made = zmSetCameraTableToWorld(world);
    if (made != 0) return made;
  }
  if (ZmCameraList* existing = findNode(world->cameraTable, id)) {
    existing->camera = camera;
    return 0;
  }
  ZmCameraList* node = zmNewZmCameraList(id, camera);
  if (node == nullptr) return -5;
  ZmCameraList** link = &world->cameraTable->first;
  while (*link != nullptr) link = &(*link)->next;
  *link = node;
  return 0;
}

int zmDeleteCameraFromCameraTable(ZmWorld* world, int32_t id) {
  if (world == nullptr || world->cameraTable == nullptr) {
    reportError("zmDeleteCameraFromCameraTable()", "there is no camera table");
    return -1;
  }
  for (ZmCameraList** link = &world->cameraTable->first; *link; link = &(*link)->next) {
    if ((*link)->id != id) continue;
    ZmCameraList* node = *link;
    *link = node->next;
    zmFree(node);
    return 0;
  }
  zmReportWarning("%s : %s", "zmDeleteCameraFromCameraTable()", "specified camera is not found");
  return -1;
}

void zmForgetCameraObj(ZmObj* object) {
  ZmCameraTable* table = object->world ? object->world->cameraTable : nullptr;
  if (table == nullptr) return;
  bool activeGone = false;
  for (ZmCameraList** link = &table->first; *link;) {
    ZmCameraList* node = *link;
    if (node->camera != object) {
      link = &node->next;
      continue;
    }
    activeGone = activeGone || node->id == table->activeId;
    *link = node->next;
    zmFree(node);
  }
  if (activeGone) table->activeId = findNode(table, 2) != nullptr ? 2 : 1;
}

ZmObj* zmGetCameraFromCameraTable(ZmWorld* world, int32_t id) {
  if (world == nullptr || world->cameraTable == nullptr) {
    reportError("zmGetCameraFromCameraTable()", "there is no camera table");
    return nullptr;
  }
  ZmCameraList* node = findNode(world->cameraTable, id);
  return node ? node->camera : nullptr;
}

int zmSetActiveCameraID(ZmWorld* world, int32_t id) {
  if (world == nullptr || world->cameraTable == nullptr) return -1;
  ZmCameraList* node = findNode(world->cameraTable, id);
  if (node == nullptr || node->camera == nullptr) return -1;
  world->cameraTable->activeId = id;
  return 0;
}

int32_t zmGetActiveCameraID(ZmWorld* world) {
  if (world == nullptr || world->cameraTable == nullptr) {
    reportError("zmGetActiveCameraID()", "there is no camera table");
    return 0;
  }
  int32_t id = world->cameraTable->activeId;
  return (id >= 0 && id <= 3) ? id : 0;
}

// The child of a camera group that its extension 4 chooses.
static ZmObj* chosenChild(ZmObj* group) {
  if (group->child == nullptr) return nullptr;
  intptr_t which = zmGetObjExtension(group, zmSwitchWhichChild);
  if (which != 0 && (group->vrmlType == ZM_VRML_SWITCH || group->vrmlType == ZM_VRML_LOD)) {
    which = *reinterpret_cast<int32_t*>(which);  // Switch-like objects keep it in an owned word
  }
  if (which == 0 || which == -1) return nullptr;
  if (which == -3) return group->child->object;
  ZmChildList* node = group->child;
  for (intptr_t i = 0; node != nullptr && i < which; ++i) node = node->next;
  return node ? node->object : nullptr;
}

ZmObj* zmGetActiveCamera(ZmWorld* world) {
  if (world == nullptr || world->cameraTable == nullptr) {
    reportError("zmGetActiveCamera()", "there is no camera table");
    return nullptr;
  }
  int32_t id = zmGetActiveCameraID(world);
  if (id == 0) return nullptr;
  ZmCameraList* node = findNode(world->cameraTable, id);
  if (node == nullptr || node->camera == nullptr) return nullptr;
  if (zmIsCameraObj(node->camera)) return node->camera;
  return chosenChild(node->camera);
}

// ---- Camera frames --------------------------------------------------------

static const ZmRT* cameraFrame(ZmObj* camera, const char* failure) {
  if (camera == nullptr || !zmIsCameraObj(camera)) {
    zmReportError("%s", failure);
    return nullptr;
  }
  return zmGetWRT(camera);
}

int zmGetCameraPosition(ZmObj* camera, ZmVec3* position) {
  const ZmRT* frame = cameraFrame(camera, "zmGetCameraPosition: has no camera");
  if (frame == nullptr) return -1;
  *position = frame->t;
  return 0;
}

int zmGetCameraLookAt(ZmObj* camera, ZmVec3* direction) {
  const ZmRT* frame = cameraFrame(camera, "zmGetCameraLookAt: has no camera");
  if (frame == nullptr) return -1;
  *direction = {-frame->m[6], -frame->m[7], -frame->m[8]};
  return 0;
}

int zmGetCameraLookUp(ZmObj* camera, ZmVec3* direction) {
  const ZmRT* frame = cameraFrame(camera, "zmGetCameraLookUp: has no camera");
  if (frame == nullptr) return -1;
  *direction = {frame->m[3], frame->m[4], frame->m[5]};
  return 0;
}

int zmGetActiveCameraPosition(ZmWorld* world, ZmVec3* position) {
  ZmObj* camera = zmGetActiveCamera(world);
  return camera ? zmGetCameraPosition(camera, position) : -1;
}

int zmGetActiveCameraLookAt(ZmWorld* world, ZmVec3* direction) {
  ZmObj* camera = zmGetActiveCamera(world);
  return camera ? zmGetCameraLookAt(camera, direction) : -1;
}

int zmGetActiveCameraLookUp(ZmWorld* world, ZmVec3* direction) {
  ZmObj* camera = zmGetActiveCamera(world);
  return camera ? zmGetCameraLookUp(camera, direction) : -1;
}

void zmNormalizeVec3(ZmVec3* vector) {
  double length = zmVec3Length(vector);
  if (length == 0.0) return;
  vector->x = static_cast<float>(vector->x / length);
  vector->y = static_cast<float>(vector->y / length);
  vector->z = static_cast<float>(vector->z / length);
}

int zmSetCameraLookAt(ZmObj* camera, const ZmVec3* direction) {
  ZmVec3 z = {-direction->x, -direction->y, -direction->z};
  zmNormalizeVec3(&z);
  ZmVec3 up = {0, 1, 0};
  ZmVec3 x;
  zmVec3Cross(&up, &z, &x);
  if (zmVec3Length(&x) < 1e-6) {
    // Looking straight down (or up), (0, 1, 0) gives no x axis: take the
    // up direction that a camera tilted from looking along -z would have.
    up = {0, 0, z.y > 0 ? -1.0f : 1.0f};
    zmVec3Cross(&up, &z, &x);
  }
  zmNormalizeVec3(&x);
  ZmVec3 y;
  zmVec3Cross(&z, &x, &y);
  zmNormalizeVec3(&y);
  ZmRT frame = *zmGetWRT(camera);
  const ZmVec3 rows[3] = {x, y, z};
  for (int r = 0; r < 3; ++r) {
    frame.m[3 * r] = rows[r].x;
    frame.m[3 * r + 1] = rows[r].y;
    frame.m[3 * r + 2] = rows[r].z;
  }
  return zmObjectRotateTrans(camera, &frame, ZM_COORD_WORLD, 0);
}

// ---- Renderer forwards ----------------------------------------------------

int zmSetCameraViewport(ZmWorld* world, int x, int y, int width, int height) {
  return coreViewer().renderSetCameraViewport(world, x, y, width, height);
}

int zmGetCameraViewport(ZmObj* camera, int* x, int* y, int* width, int* height) {
  return coreViewer().renderGetCameraViewport(camera, x, y, width, height);
}

int zmGetActiveCameraViewport(ZmWorld* world, int* x, int* y, int* width, int* height) {
  return coreViewer().renderGetActiveCameraViewport(world, x, y, width, height);
}

int zmGetCameraViewWindow(ZmObj* camera, float* width, float* height) {
  return coreViewer().renderGetCameraViewWindow(camera, width, height);
}

int zmGetActiveCameraViewWindow(ZmWorld* world, float* width, float* height) {
  return coreViewer().renderGetActiveCameraViewWindow(world, width, height);
}

int zmGetCameraNearClipping(ZmObj* camera, float* distance) {
  return coreViewer().renderGetCameraNearClipping(camera, distance);
}

int zmGetActiveCameraNearClipping(ZmWorld* world, float* distance) {
  return coreViewer().renderGetActiveCameraNearClipping(world, distance);
}

int zmGetCameraFarClipping(ZmObj* camera, float* distance) {
  return coreViewer().renderGetCameraFarClipping(camera, distance);
}

int zmGetActiveCameraFarClipping(ZmWorld* world, float* distance) {
  return coreViewer().renderGetActiveCameraFarClipping(world, distance);
}
