// viewer/transfer.cpp -- the transferred-object list, subtree state and mode.
#include "viewer/transfer.h"

#include "core/camera.h"
#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "engine/clump.h"
#include "engine/light.h"
#include "viewer/sceneobjects.h"
#include "viewer/rendering.h"

namespace {

constexpr intptr_t kEngineOn = 2;
constexpr intptr_t kEngineOff = 1;
constexpr int32_t kSwitchedOnCameraId = 3;

intptr_t engineState(int state) { return state == 1 ? kEngineOn : kEngineOff; }

void setFlag(ZmObj* object, uint32_t flag, bool on) {
  if (on) object->obj_flags |= flag;
  else object->obj_flags &= ~flag;
}

bool isSwitchLike(const ZmObj* object) {
  return object->vrmlType == ZM_VRML_SWITCH || object->vrmlType == ZM_VRML_LOD;
}

}  // namespace

// ---- Transforms ------------------------------------------------------------------

void zmRenderSetSubtreeMark(ZmObj* object, int value) {
  setFlag(object, ZM_OBJ_NOT_QUEUED, value == 1);
  for (ZmChildList* node = object->child; node; node = node->next) zmRenderSetSubtreeMark(node->object, value);
}

int zmRwAddObjToTransferedObjList(ZmObj* object) {
  if ((object->obj_flags & ZM_OBJ_NOT_QUEUED) == 0) return 0;  // it or an ancestor waits already
  zmRenderSetSubtreeMark(object, 0);
  RenderingStruct* record = object->world ? object->world->rendering : nullptr;
  if (record == nullptr) {
    zmReportWarning("zmRenderAddObjToTransferedObjList : world->zmRenderingStruct is NULL.");
    return -1;
  }
  auto* node = static_cast<ZmTransferedObj*>(zmMalloc(sizeof(ZmTransferedObj)));
  if (node == nullptr) {
    zmReportError("%s : %s", "zmRwAddObjToTransferedObjList()", "cannot allocate memory");
    return -5;
  }
  node->object = object;
  if (record->transferedObjs == nullptr) record->transferedObjs = node;
  else record->transferedTail->next = node;
  record->transferedTail = node;
  return 0;
}

int zmRwRemoveObjFromTransferedObjList(ZmObj* object) {
  if ((object->obj_flags & ZM_OBJ_NOT_QUEUED) != 0 || object->world == nullptr) return 0;
  RenderingStruct* record = object->world->rendering;
  if (record == nullptr) return 0;
  ZmTransferedObj* previous = nullptr;
  for (ZmTransferedObj* node = record->transferedObjs; node; previous = node, node = node->next) {
    if (node->object != object) continue;
    (previous ? previous->next : record->transferedObjs) = node->next;
    if (record->transferedTail == node) record->transferedTail = previous;
    zmFree(node);
    break;
  }
  return 0;
}

int zmRenderTransferObj(ZmObj* object) {
  object->obj_flags |= ZM_OBJ_NOT_QUEUED;
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    if (leaf->rendering == nullptr) continue;
    if (zmIsShapeLeaf(leaf)) zmRenderTransformZmShape(leaf);
    else if (zmIsLightLeaf(leaf)) zmRenderTransformZmLight(leaf);
    else if (zmIsCameraLeaf(leaf)) zmRenderTransformCameraLeaf(leaf);
  }
  for (ZmChildList* node = object->child; node; node = node->next) zmRenderTransferObj(node->object);
  return 0;
}

int zmRenderTransferObjects(ZmWorld* world) {
  RenderingStruct* record = world ? world->rendering : nullptr;
  if (record == nullptr) return 0;
  for (ZmTransferedObj* node = record->transferedObjs; node; node = node->next) {
    if (zmRenderTransferObj(node->object) != 0) return -1;
  }
  return zmRwClearTransferedObjList(world);
}

int zmRwClearTransferedObjList(ZmWorld* world) {
  RenderingStruct* record = world ? world->rendering : nullptr;
  if (record == nullptr) return 0;
  for (ZmTransferedObj* node = record->transferedObjs; node;) {
    ZmTransferedObj* next = node->next;
    zmFree(node);
    node = next;
  }
  record->transferedObjs = nullptr;
  record->transferedTail = nullptr;
  return 0;
}

// ---- State -----------------------------------------------------------------------------

void zmRenderSetSubtreeState(ZmObj* object, int state) {
  if (object == nullptr) return;
  if (isSwitchLike(object)) setFlag(object, ZM_OBJ_VISIBLE, state == 1);
  if (ZmLeaf* leaf = object->leaf) {
    if (zmIsShapeLeaf(leaf)) zmRenderSetShapeState(object, state);
    else if (zmIsLightLeaf(leaf)) zmRenderSetLightState(object, state);
    else if (zmIsCameraLeaf(leaf)) zmRenderSetCameraState(object, state);
    return;
  }
  for (ZmChildList* node = object->child; node; node = node->next) zmRenderSetSubtreeState(node->object, state);
}

int zmRenderSetShapeState(ZmObj* object, int state) {
  if (object == nullptr || object->leaf == nullptr || !zmIsShapeLeaf(object->leaf)) return -1;
  RwClump* previous = nullptr;  // the faces of a set share one clump
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    RwClump* clump = zmRwGetLeafClump(leaf);
    if (clump == nullptr || clump == previous) continue;
    previous = clump;
    if (RwSetClumpState(clump, engineState(state)) == nullptr)
      zmReportWarning("zmRenderSetShapeState : cannot set clump state");
  }
  setFlag(object, ZM_OBJ_VISIBLE, state == 1);
  return 0;
}

int zmRenderSetLightState(ZmObj* object, int state) {
  if (object == nullptr || object->leaf == nullptr || !zmIsLightLeaf(object->leaf)) return -1;
  RwLight* light = zmRwGetLight(object->leaf);
  if (light == nullptr) return -1;
  if (RwSetLightState(light, engineState(state)) == nullptr) {
    zmReportWarning("zmRenderSetLightState : cannot set light state");
    return -1;
  }
  static_cast<ZmLight*>(object->leaf)->on = state;
  return 0;
}

int zmRenderSetCameraState(ZmObj* object, int state) {
  if (object == nullptr || object->leaf == nullptr || !zmIsCameraLeaf(object->leaf)) return -1;
  if (state != 1) return 0;
  zmReginsterToCameraTable(object, kSwitchedOnCameraId);
  zmSetActiveCameraID(zmGetCurrentWorld(), kSwitchedOnCameraId);
  return 0;
}

// ---- Mode --------------------------------------------------------------------------------

void zmRenderSetSubtreeMode(ZmObj* object, int mode) {
  if (object == nullptr) return;
  if (object->leaf == nullptr) {
    for (ZmChildList* node = object->child; node; node = node->next) zmRenderSetSubtreeMode(node->object, mode);
    return;
  }
  if (!zmIsShapeLeaf(object->leaf)) return;
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) zmRwSetLeafMode(leaf, mode);
  setFlag(object, ZM_OBJ_SOLID, mode == 1);
}

void zmRenderSetLeafMode(ZmLeaf* leaf, int mode) { zmRwSetLeafMode(leaf, mode); }
