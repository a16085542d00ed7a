// core/collision.cpp -- collision tests, walks and events; see collision.h.
#include "core/collision.h"

#include <cmath>

#include "core/bounds.h"
#include "core/event.h"
#include "core/hooks.h"
#include "core/leaf.h"
#include "core/linequery.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/world.h"

namespace {

constexpr float kEps = ZM_LINE_EPSILON;

// Box corners: bit 0 of the number picks the maximum x, bit 1 y, bit 2 z.
void boxCorners(const ZmRT* M, const ZmVec3& min, const ZmVec3& max, ZmVec3 corners[8]) {
  for (int i = 0; i < 8; ++i) {
    const ZmVec3 corner = {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z};
    zmRTTransformPoint(M, &corner, &corners[i]);
  }
}

// The twelve edges as pairs of corner numbers, in the order they are tried.
constexpr int kEdges[12][2] = {{0, 4}, {1, 5}, {2, 6}, {3, 7}, {0, 1}, {2, 3},
                               {4, 5}, {6, 7}, {0, 2}, {4, 6}, {1, 3}, {5, 7}};

bool strictlyInside(const ZmVec3& p, const ZmVec3& min, const ZmVec3& max) {
  return min.x - kEps < p.x && p.x < max.x + kEps && min.y - kEps < p.y && p.y < max.y + kEps &&
         min.z - kEps < p.z && p.z < max.z + kEps;
}

bool has(const ZmObj* obj, uint32_t flag) { return (obj->obj_flags & flag) != 0; }

ZmObj* topmost(ZmObj* obj) {
  while (obj->parent != nullptr) obj = obj->parent;
  return obj;
}

}  // namespace

// ---- Boxes ----------------------------------------------------------------

int zmBoxPenetratesBox(const ZmRT* M, const ZmVec3* aMin, const ZmVec3* aMax, const ZmVec3* bMin,
                       const ZmVec3* bMax) {
  ZmVec3 corners[8];
  boxCorners(M, *aMin, *aMax, corners);
  for (const ZmVec3& corner : corners) {
    if (strictlyInside(corner, *bMin, *bMax)) return 1;
  }
  for (const auto& edge : kEdges) {
    float held = 1.0f;  // only crossings up to the far corner count
    if (zmIntersectLineAndBox(&corners[edge[0]], &corners[edge[1]], &held, bMin, bMax, nullptr)) return 1;
  }
  return 0;
}

int zmIntersectBoxes(const ZmRT* mA, const ZmVec3* aMin, const ZmVec3* aMax, const ZmRT* mB, const ZmVec3* bMin,
                     const ZmVec3* bMax) {
  ZmRT inverseB, aToB;
  zmRTInvert(mB, &inverseB);
  zmRTMult(&inverseB, mA, &aToB);
  if (zmBoxPenetratesBox(&aToB, aMin, aMax, bMin, bMax)) return 1;
  ZmRT bToA;
  zmRTInvert(&aToB, &bToA);
  return zmBoxPenetratesBox(&bToA, bMin, bMax, aMin, aMax);
}

int zmIntersectBoxAndObj(const ZmRT* M, const ZmVec3* min, const ZmVec3* max, ZmObj* obj) {
  const ZmBoundingCube* cube = zmGetBoundingCube(obj);
  if (cube == nullptr) return 0;
  return zmIntersectBoxes(M, min, max, zmGetWRT(obj), &cube->local_min, &cube->local_max);
}

int zmIntersectObjBoxes(ZmObj* a, ZmObj* b) {
  const ZmBoundingCube* cube = zmGetBoundingCube(a);
  if (cube == nullptr) return 0;
  return zmIntersectBoxAndObj(zmGetWRT(a), &cube->local_min, &cube->local_max, b);
}

int zmIntersectObjAndObj(ZmObj* me, ZmObj* you) {
  const int boxes = zmIntersectObjBoxes(me, you);
  if (boxes == 0) return 0;
  if (you->leaf == nullptr || you->leaf->kind != ZM_LEAF_FACE) return boxes;
  const ZmBoundingCube* cube = zmGetBoundingCube(me);
  ZmVec3 corners[8];
  boxCorners(zmGetWRT(me), cube->local_min, cube->local_max, corners);
  const ZmRT* youWorld = zmGetWRT(you);
  for (const auto& edge : kEdges) {
    float held = 1.0f;
    ZmLeaf* face = nullptr;
    if (zmIntersectLineAndFaceLeaf(&corners[edge[0]], &corners[edge[1]], &held, you->leaf, youWorld, you->scale,
                                   &face, nullptr)) {
      return 1;
    }
  }
  return 0;
}

int zmOverlapTopObjBoxes(ZmObj* a, ZmObj* b) {
  const ZmBoundingCube* boxA = zmGetBoundingCube(a);
  const ZmBoundingCube* boxB = zmGetBoundingCube(b);
  if (boxA == nullptr || boxB == nullptr) return 0;
  const float aMin[3] = {boxA->p_local_min.x, boxA->p_local_min.y, boxA->p_local_min.z};
  const float aMax[3] = {boxA->p_local_max.x, boxA->p_local_max.y, boxA->p_local_max.z};
  const float bMin[3] = {boxB->p_local_min.x, boxB->p_local_min.y, boxB->p_local_min.z};
  const float bMax[3] = {boxB->p_local_max.x, boxB->p_local_max.y, boxB->p_local_max.z};
  for (int axis = 0; axis < 3; ++axis) {
    if (aMax[axis] + kEps <= bMin[axis] || aMin[axis] - kEps >= bMax[axis]) return 0;
  }
  return 1;
}

// ---- Events ---------------------------------------------------------------

int zmSendCollisionEvent(ZmObj* target, ZmObj* other) {
  ZmEvent event = {};
  event.type = ZM_EVENT_COLLISION;
  event.otherObject = other;
  return coreScript().callEventHandler(target, &event);
}

int zmEvalCollisionObjs(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  *collided = 0;
  if (!has(me, ZM_OBJ_SOLID) || !has(you, ZM_OBJ_SOLID)) return 0;
  *collided = 1;
  if (notifyMe == 1) {
    if (int result = zmSendCollisionEvent(me, you); result != 0) return result;
  }
  if (notifyYou == 1) return zmSendCollisionEvent(you, me);
  return 0;
}

// ---- Walks ----------------------------------------------------------------

int zmEvalCollisionObjAndTree(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  if (has(you, ZM_OBJ_COLLISION) && zmIntersectObjAndObj(me, you) != 1) return 0;
  if (you->child == nullptr) return zmEvalCollisionObjs(me, you, notifyMe, notifyYou, collided);
  for (ZmChildList* node = you->child; node != nullptr; node = node->next) {
    if (int result = zmEvalCollisionObjAndTree(me, node->object, notifyMe, notifyYou, collided); result != 0) {
      return result;
    }
    if (*collided) return 0;
  }
  return 0;
}

int zmEvalCollisionObjAndObj(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  *collided = 0;
  if (you == me || !has(me, ZM_OBJ_COLLISION)) return 0;
  return zmEvalCollisionObjAndTree(me, you, notifyMe, notifyYou, collided);
}

int zmEvalCollisionObjAndTopObj(ZmObj* me, ZmObj* top, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  *collided = 0;
  if (top == me) return 0;
  if (top->parent != nullptr) {
    zmReportWarning("sub object is specified as top_obj");
    return -1;
  }
  if (!has(me, ZM_OBJ_COLLISION)) return 0;
  return zmEvalCollisionObjAndTree(me, top, notifyMe, notifyYou, collided);
}

int zmEvalCollisionTreeAndObj(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  if (has(me, ZM_OBJ_COLLISION)) {
    if (int result = zmEvalCollisionObjAndTree(me, you, notifyMe, notifyYou, collided); result != 0) return result;
    if (*collided == 0) return 0;  // nothing under me can collide either
  }
  for (ZmChildList* node = me->child; node != nullptr; node = node->next) {
    if (node->object == you) continue;
    if (int result = zmEvalCollisionObjAndTree(node->object, you, notifyMe, notifyYou, collided); result != 0) {
      return result;
    }
    if (*collided) return 0;
  }
  return 0;
}

int zmEvalCollisionTopObjs(ZmObj* me, ZmObj* you, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  *collided = 0;
  if (you == me) return 0;
  if (me->parent != nullptr) {
    zmReportWarning("sub object is specified as me");
    return -1;
  }
  if (you->parent != nullptr) {
    zmReportWarning("sub object is specified as you");
    return -1;
  }
  if (zmOverlapTopObjBoxes(me, you) != 1) return -1;
  return zmEvalCollisionTreeAndObj(me, you, notifyMe, notifyYou, collided);
}

int zmEvalCollisionTopObjAndWorld(ZmObj* me, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  if (me->parent != nullptr) return zmEvalCollisionSubObjAndWorld(me, notifyMe, notifyYou, collided);
  *collided = 0;
  for (ZmTopObjList* node = me->world->topObjects; node != nullptr; node = node->next) {
    ZmObj* top = node->object;
    if (top == me || zmOverlapTopObjBoxes(me, top) != 1) continue;
    if (int result = zmEvalCollisionTreeAndObj(me, top, notifyMe, notifyYou, collided); result != 0) return result;
    if (*collided) return 0;
  }
  return 0;
}

int zmEvalCollisionSubObjAndWorld(ZmObj* me, int32_t notifyMe, int32_t notifyYou, int32_t* collided) {
  *collided = 0;
  ZmObj* own = topmost(me);
  for (ZmTopObjList* node = me->world->topObjects; node != nullptr; node = node->next) {
    ZmObj* top = node->object;
    if (top == own || zmIntersectObjAndObj(me, top) != 1) continue;
    if (int result = zmEvalCollisionObjAndTopObj(me, top, notifyMe, notifyYou, collided); result != 0) return result;
    if (*collided) return 0;
  }
  return 0;
}

// ---- Distance -------------------------------------------------------------

static ZmVec3 worldCentre(ZmObj* obj) {
  ZmVec3 centre = {0, 0, 0};
  if (const ZmBoundingCube* cube = zmGetBoundingCube(obj)) {
    centre = {(cube->local_min.x + cube->local_max.x) / 2, (cube->local_min.y + cube->local_max.y) / 2,
              (cube->local_min.z + cube->local_max.z) / 2};
  }
  zmRTTransformPointSelf(zmGetWRT(obj), &centre);
  return centre;
}

double zmCalcObjDistance(ZmObj* a, ZmObj* b) {
  const ZmVec3 ca = worldCentre(a), cb = worldCentre(b);
  const double dx = static_cast<double>(ca.x) - cb.x;
  const double dy = static_cast<double>(ca.y) - cb.y;
  const double dz = static_cast<double>(ca.z) - cb.z;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}
