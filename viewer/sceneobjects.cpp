// viewer/sceneobjects.cpp -- engine-side object operations, LOD choice and picking.
#include "viewer/sceneobjects.h"

#include <cmath>

#include "core/camera.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/scene.h"
#include "viewer/rendering.h"
#include "viewer/transfer.h"

namespace {

constexpr intptr_t kGeometryWireframe = 2;
constexpr intptr_t kGeometrySolid = 3;
constexpr intptr_t kClumpOff = 1;
constexpr intptr_t kClumpOn = 2;
// The tag of a leaf clump's wireframe twin, so that it is found again.
constexpr intptr_t kWireframeTwinTag = -0x7717;

int fail(const char* operation, const char* text) {
  zmReportError("%s : %s", operation, text);
  return -1;
}

RenderingStruct* recordOf(ZmWorld* world) { return world ? world->rendering : nullptr; }

// ---- Level of detail ---------------------------------------------------------

// The owned word of extension 4 that holds the shown child, or null.
int32_t* shownChildWord(ZmObj* object) {
  return reinterpret_cast<int32_t*>(zmGetObjExtension(object, zmSwitchWhichChild));
}

void setShownChild(ZmObj* object, int32_t number) {
  int32_t* word = shownChildWord(object);
  if (word != nullptr) {
    *word = number;
    return;
  }
  word = static_cast<int32_t*>(zmMalloc(sizeof(int32_t)));
  if (word == nullptr) return;
  *word = number;
  if (zmRegisterObjExtension(object, zmSwitchWhichChild, reinterpret_cast<intptr_t>(word)) != 0) zmFree(word);
}

int zmRwEvalLOD(ZmObj* object, const RwVector& position, const RwVector& lookAt) {
  const auto* lod = reinterpret_cast<const ZmLOD*>(zmGetObjExtension(object, zmLODNode));
  if ((object->obj_flags & ZM_OBJ_VISIBLE) == 0 || lod == nullptr || object->child == nullptr) return -1;
  const float dx = lod->centerX - position.x, dy = lod->centerY - position.y, dz = lod->centerZ - position.z;
  if (lookAt.x * dx + lookAt.y * dy + lookAt.z * dz < 0.0f) return -1;  // the centre is behind the camera
  const float distance2 = dx * dx + dy * dy + dz * dz;
  int32_t i = 0;
  ZmChildList* node = object->child;
  for (; i < lod->rangeCount; ++i, node = node->next) {
    if (node == nullptr) return -1;
    if (lod->ranges[i] * lod->ranges[i] > distance2) break;
    zmRenderSetSubtreeState(node->object, 0);
  }
  const int32_t* shown = shownChildWord(object);
  if (shown != nullptr && *shown == i) return 0;
  if (i == lod->rangeCount) {
    if (node == nullptr) return -1;
    zmRenderSetSubtreeState(node->object, 1);
  } else {
    zmRenderSetSubtreeState(node->object, 1);
    for (ZmChildList* later = node->next; later; later = later->next) zmRenderSetSubtreeState(later->object, 0);
  }
  setShownChild(object, i);
  return 0;
}

// ---- Wireframe twins -----------------------------------------------------------

RwPolygon* setSampling(RwPolygon* polygon, intptr_t sampling) {
  return RwSetPolygonGeometrySampling(polygon, sampling);
}

RwClump* wireframeTwinOf(RwClump* clump) {
  for (RwClump* child = RwGetClumpFirstChild(clump); child; child = child->nextSibling)
    if (RwGetClumpTag(child) == kWireframeTwinTag) return child;
  return nullptr;
}

void forEachPolygon(RwClump* clump, intptr_t sampling) {
  RwForAllPolygonsInClumpWithValue(
      clump, [](RwPolygon* p, intptr_t value) { return setSampling(p, value); }, sampling);
}

void addWireframeTwin(RwClump* clump) {
  const char* operation = "zmRwSetLeafMode()";
  RwClump* twin = RwDuplicateClump(clump);
  if (twin == nullptr) return;
  // The duplicate carries the leaf's own children; only its polygons are wanted.
  while (RwClump* child = RwGetClumpFirstChild(twin)) RwDestroyClump(child);
  RwForAllPolygonsInClumpWithValue(
      twin,
      [](RwPolygon* p, intptr_t) {
        setSampling(p, kGeometryWireframe);
        return RwReversePolygon(p);
      },
      0);
  RwSetClumpTag(twin, kWireframeTwinTag);
  if (RwAddChildToClump(clump, twin) == nullptr) {
    fail(operation, "cannot add child to clump");
    return;
  }
  RwMatrix* identity = RwPushScratchMatrix();
  if (identity == nullptr) {
    fail(operation, "cannot push scratch matrix");
    return;
  }
  if (RwIdentityMatrix(identity) == nullptr) fail(operation, "cannot get identity matrix");
  else if (RwTransformClump(twin, identity, RwReplace) == nullptr) fail(operation, "cannot transform clump");
  if (RwPopScratchMatrix() == nullptr) fail(operation, "cannot pop scratch matrix");
}

// ---- Picking -----------------------------------------------------------------------

int pickScene(RwScene* scene, RwCamera* camera, intptr_t x, intptr_t y, RwPickRecord* record, const char* name) {
  *record = {};
  if (scene == nullptr || camera == nullptr || RwPickScene(scene, x, y, camera, record) == nullptr) {
    zmReportError("%s : %s ", name, "RwPickScene failed");
    return -1;
  }
  return 0;
}

// The picked leaf and part by the kind of the object's first leaf; -1 after
// a report when the object is no shape.
int leafAndPart(ZmObj* object, const RwPickRecord& pick, ZmLeaf** leaf, int32_t* part) {
  const char* operation = "zmPickupZmShape()";
  *part = 0;
  const uint32_t kind = object->leaf ? object->leaf->kind : 0;
  switch (kind) {
    case ZM_LEAF_ASCII_TEXT: case ZM_LEAF_CONE_SIDE: case ZM_LEAF_CONE_BOTTOM:
    case ZM_LEAF_CYLINDER_SIDE: case ZM_LEAF_CYLINDER_BOTTOM: case ZM_LEAF_CYLINDER_TOP:
      *leaf = reinterpret_cast<ZmLeaf*>(RwGetClumpTag(pick.clump));
      return 0;
    case ZM_LEAF_FACE:
      *leaf = reinterpret_cast<ZmLeaf*>(RwGetPolygonData(pick.polygon));
      return 0;
    case ZM_LEAF_LINE: {
      RwClump* parent = RwGetClumpParent(pick.clump);
      if (parent == nullptr) return fail(operation, "cannot get clump parent");
      *leaf = reinterpret_cast<ZmLeaf*>(RwGetClumpTag(parent));
      *part = static_cast<int32_t>(RwGetClumpTag(pick.clump));
      return 0;
    }
    case ZM_LEAF_POINT_SET:
      *leaf = object->leaf;
      *part = static_cast<int32_t>(RwGetClumpTag(pick.clump));
      return 0;
    case ZM_LEAF_SPHERE:
      *leaf = object->leaf;
      return 0;
    default:
      zmReportWarning("%s : %s", operation, "invalid shape is picked");
      return -1;
  }
}

}  // namespace

// ---- Accessors -----------------------------------------------------------------------

RwCamera* zmRwGetActiveCamera(ZmWorld* world) {
  RenderingStruct* record = recordOf(world);
  if (record == nullptr || world->cameraTable == nullptr) return nullptr;
  if (world->cameraTable->activeId == 1) return record->defaultCamera;
  // A camera object whose camera was left out (bad world-file data) shows the
  // world through the default camera rather than not at all.
  ZmObj* camera = zmGetActiveCamera(world);
  RwCamera* engineCamera = camera ? zmRwGetCamera(camera->leaf) : nullptr;
  return engineCamera ? engineCamera : record->defaultCamera;
}

HWND zmRwGetViewWindowHandle(ZmWorld* world) { return recordOf(world) ? world->rendering->viewWindow : nullptr; }
HDC zmRwGetViewDC(ZmWorld* world) { return recordOf(world) ? world->rendering->viewDC : nullptr; }

RwClump* zmRwGetLeafClump(ZmLeaf* leaf) {
  if (leaf == nullptr || leaf->rendering == nullptr) return nullptr;
  if (leaf->kind == ZM_LEAF_FACE) return RwGetPolygonClump(static_cast<RwPolygon*>(leaf->rendering));
  return zmIsShapeLeaf(leaf) ? static_cast<RwClump*>(leaf->rendering) : nullptr;
}

RwLight* zmRwGetLight(ZmLeaf* leaf) {
  return leaf && zmIsLightLeaf(leaf) ? static_cast<RwLight*>(leaf->rendering) : nullptr;
}

RwCamera* zmRwGetCamera(ZmLeaf* leaf) {
  return leaf && zmIsCameraLeaf(leaf) ? static_cast<RwCamera*>(leaf->rendering) : nullptr;
}

// ---- Operations --------------------------------------------------------------------------

int zmRenderTransformZmCamera(ZmLeaf* leaf, RwCamera* camera) {
  const char* operation = "zmRenderTransformZmCamera()";
  RwMatrix* matrix = RwPushScratchMatrix();
  if (matrix == nullptr) return fail(operation, "cannot push scratch matrix");
  int result = 0;
  if (!zmRwGetObjectWRT(leaf->owner, matrix)) {
    result = -1;
  } else if (RwRotateMatrix(matrix, 0.0f, 1.0f, 0.0f, 180.0f, RwPreConcat) == nullptr) {
    result = fail(operation, "cannot get rotate matrix");
  } else if (RwTransformCamera(camera, matrix, RwReplace) == nullptr) {
    result = fail(operation, "cannot transform clump");
  }
  if (RwPopScratchMatrix() == nullptr) result = fail(operation, "cannot pop scratch matrix");
  return result;
}

int zmRwEvalAllLOD(ZmWorld* world, RwCamera* camera) {
  RwVector position, lookAt;
  if (RwGetCameraPosition(camera, &position) == nullptr || RwGetCameraLookAt(camera, &lookAt) == nullptr) {
    zmReportWarning("%s : %s", "zmRwEvalAllLOD()", "cannot get camera position or look_at vector");
    return -1;
  }
  for (int32_t i = 0; i < world->lodObjects.count; ++i) zmRwEvalLOD(world->lodObjects.objs[i], position, lookAt);
  return 0;
}

void zmRwSetLeafMode(ZmLeaf* leaf, int mode) {
  RwClump* clump = zmRwGetLeafClump(leaf);
  if (clump == nullptr) return;
  if (leaf->kind == ZM_LEAF_FACE) {
    setSampling(static_cast<RwPolygon*>(leaf->rendering), mode == 1 ? kGeometrySolid : kGeometryWireframe);
    return;
  }
  RwClump* twin = wireframeTwinOf(clump);
  if (mode == 1) {
    forEachPolygon(clump, kGeometrySolid);
    if (twin != nullptr) RwDestroyClump(twin);
    return;
  }
  forEachPolygon(clump, kGeometryWireframe);
  if (twin == nullptr) addWireframeTwin(clump);
}

int zmPickupZmShape(ZmWorld* world, intptr_t x, intptr_t y, ZmPickInfo* info) {
  const char* operation = "zmPickupZmShape()";
  RwCamera* camera = zmRwGetActiveCamera(world);
  RwScene* scene = zmRwGetScene(world);
  RwPickRecord pick;
  if (pickScene(scene, camera, x, y, &pick, operation) != 0) return -1;
  if (pick.kind == 0) return -7;
  auto* object = reinterpret_cast<ZmObj*>(RwGetClumpData(pick.clump));
  if (auto* box = reinterpret_cast<RwClump*>(zmGetObjExtension(object, zmRenderBoundingBox))) {
    if (RwSetClumpState(box, kClumpOff) == nullptr) return fail(operation, "cannot set clump state");
    if (pickScene(scene, camera, x, y, &pick, "zmPickupZmShape") != 0) return -1;
    if (RwSetClumpState(box, kClumpOn) == nullptr) return fail("zmPickupZmShape", "cannot set clump state");
    if (pick.kind == 0) return -7;
    object = reinterpret_cast<ZmObj*>(RwGetClumpData(pick.clump));
  }
  ZmLeaf* leaf = nullptr;
  int32_t part = 0;
  if (leafAndPart(object, pick, &leaf, &part) != 0) return -1;
  RwVector eye, point{pick.point[0], pick.point[1], pick.point[2]};
  RwGetCameraPosition(camera, &eye);
  info->object = object;
  info->leaf = leaf;
  info->part = part;
  info->distance = zmRwDistance(&point, &eye);
  for (int i = 0; i < 3; ++i) info->point[i] = pick.point[i];
  info->clump = pick.clump;
  RwVector normal;
  info->hasNormal = RwGetPolygonNormal(pick.polygon, &normal) != nullptr ? 1 : 0;
  if (info->hasNormal) {
    RwNormalize(&normal);
    zmRwTransformNormal(pick.clump, &normal);
    info->normal[0] = normal.x;
    info->normal[1] = normal.y;
    info->normal[2] = normal.z;
  }
  return 0;
}

float zmRwDistance(const RwVector* a, const RwVector* b) {
  const float dx = a->x - b->x, dy = a->y - b->y, dz = a->z - b->z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void zmRwTransformNormal(RwClump* clump, RwVector* vector) {
  RwMatrix* matrix = RwPushScratchMatrix();
  if (matrix == nullptr) return;
  if (RwGetClumpLocalMatrix(clump, matrix) != nullptr) {
    RwTransformVector(vector, matrix);
    RwNormalize(vector);
  }
  RwPopScratchMatrix();
}
