// core/transform.cpp -- object transforms and world caches; see transform.h.
#include "core/transform.h"

#include <cstring>

#include "core/bounds.h"
#include "core/hooks.h"
#include "core/object.h"
#include "core/report.h"

ZmRT* zmGetWRT(ZmObj* obj) {
  if ((obj->obj_flags & ZM_OBJ_WRT_VALID) == 0) {
    if (obj->parent != nullptr) {
      zmRTMult(zmGetWRT(obj->parent), &obj->localRT, &obj->worldRT);
    } else {
      obj->worldRT = obj->localRT;
    }
    obj->obj_flags |= ZM_OBJ_WRT_VALID;
  }
  return &obj->worldRT;
}

ZmRT* zmGetLRT(ZmObj* obj) { return &obj->localRT; }

static int reportNullChild() {
  zmReportWarning("zmValidateChildWRT: child list contains NULL entry.");
  return -3;
}

int zmValidateChildWRT(ZmObj* obj) {
  if ((obj->obj_flags & ZM_OBJ_WRT_VALID) == 0) zmGetWRT(obj);
  for (ZmChildList* node = obj->child; node; node = node->next) {
    if (node->object == nullptr) return reportNullChild();
    if (int result = zmValidateChildWRT(node->object); result != 0) return result;
  }
  return 0;
}

int zmInvalidateChildWRT(ZmObj* obj) {
  for (ZmChildList* node = obj->child; node; node = node->next) {
    if (node->object == nullptr) return reportNullChild();
    node->object->obj_flags &= ~ZM_OBJ_WRT_VALID;
    if (int result = zmInvalidateChildWRT(node->object); result != 0) return result;
  }
  return 0;
}

// A world-system move: sets the world transform and derives the local one
// from the parent's (rigid) inverse. True when the world transform changed.
static bool moveInWorld(ZmObj* obj, const ZmRT* M, int relative) {
  // Compare against the validated transform: the cache may be stale.
  const ZmRT before = *zmGetWRT(obj);
  if (relative) {
    zmRTPreMult(M, &obj->worldRT);
  } else {
    obj->worldRT = *M;
  }
  bool changed = memcmp(&before, &obj->worldRT, sizeof before) != 0;
  if (obj->parent != nullptr) {
    ZmRT parentInverse = *zmGetWRT(obj->parent);
    zmRTInvertSelf(&parentInverse);
    zmRTMult(&parentInverse, &obj->worldRT, &obj->localRT);
  } else {
    obj->localRT = obj->worldRT;
  }
  obj->obj_flags |= ZM_OBJ_WRT_VALID;
  return changed;
}

int zmObjectRotateTrans(ZmObj* obj, const ZmRT* M, int coordSystem, int relative) {
  bool changed = true;
  switch (coordSystem) {
    case ZM_COORD_WORLD:
      changed = moveInWorld(obj, M, relative);
      break;
    case ZM_COORD_OWN:
      if (relative) zmRTPostMult(M, &obj->localRT); else obj->localRT = *M;
      obj->obj_flags &= ~ZM_OBJ_WRT_VALID;
      break;
    case ZM_COORD_PARENT:
      if (relative) zmRTPreMult(M, &obj->localRT); else obj->localRT = *M;
      obj->obj_flags &= ~ZM_OBJ_WRT_VALID;
      break;
    default:
      zmReportError("zmObjectRotateTrans() : invalid coordinate system");
      return -1;
  }
  zmInvalidateBoundingCube(obj);
  if (zmInvalidateChildWRT(obj) != 0) return -1;
  if (changed && coreViewer().rwAddObjToTransferedObjList(obj) != 0) return -1;
  return 0;
}

// The matrix that an absolute move starts from: the present world or local
// transform (identity for an unknown system, which the move then refuses).
static ZmRT startingTransform(ZmObj* obj, int coordSystem, int relative) {
  ZmRT start;
  if (relative || (coordSystem != ZM_COORD_WORLD && coordSystem != ZM_COORD_OWN &&
                   coordSystem != ZM_COORD_PARENT)) {
    zmRTIdentity(&start);
  } else if (coordSystem == ZM_COORD_WORLD) {
    start = *zmGetWRT(obj);
  } else {
    start = obj->localRT;
  }
  return start;
}

int zmObjectRotate(ZmObj* obj, const float R[9], int coordSystem, int relative) {
  ZmRT M = startingTransform(obj, coordSystem, relative);
  memcpy(M.m, R, sizeof M.m);
  return zmObjectRotateTrans(obj, &M, coordSystem, relative);
}

int zmObjectTrans(ZmObj* obj, const ZmVec3* t, int coordSystem, int relative) {
  ZmRT M = startingTransform(obj, coordSystem, relative);
  M.t = *t;
  return zmObjectRotateTrans(obj, &M, coordSystem, relative);
}
