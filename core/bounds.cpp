// core/bounds.cpp -- bounding cubes of scene objects; see bounds.h.
#include "core/bounds.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "core/leaf.h"
#include "core/report.h"
#include "core/transform.h"

// ---- Invalidation ---------------------------------------------------------

void zmInvalidateBoundingCube(ZmObj* obj) {
  if ((obj->obj_flags & ZM_OBJ_PARENT_CUBE_VALID) == 0) return;
  obj->obj_flags &= ~ZM_OBJ_PARENT_CUBE_VALID;
  if (obj->parent != nullptr) zmInvalidateBoundingCubeUp(obj->parent);
}

void zmInvalidateBoundingCubeUp(ZmObj* obj) {
  while (obj != nullptr && (obj->obj_flags & ZM_OBJ_LOCAL_CUBE_VALID) != 0) {
    obj->obj_flags &= ~ZM_OBJ_LOCAL_CUBE_VALID;
    if ((obj->obj_flags & ZM_OBJ_PARENT_CUBE_VALID) == 0) return;
    obj->obj_flags &= ~ZM_OBJ_PARENT_CUBE_VALID;
    obj = obj->parent;
  }
}

void zmResetBoundingCube(ZmObj* obj) { zmInvalidateBoundingCubeUp(obj); }

// ---- Boxes of leaves ------------------------------------------------------

static void setAxisBox(ZmBoundingCube* cube, float radius, float yLow, float yHigh) {
  cube->local_min = {-radius, yLow, -radius};
  cube->local_max = {radius, yHigh, radius};
}

int zmSetAsciiTextBoundingCube(ZmLeaf*, ZmBoundingCube*) {
  zmReportWarning("zmSetAsciiTextBoundingCube: not supported");
  return 0;
}

int zmSetConeBoundingCube(ZmLeaf* first, ZmBoundingCube* cube) {
  ZmConeSide* side = nullptr;
  ZmCircle* bottom = nullptr;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind == ZM_LEAF_CONE_SIDE) {
      side = static_cast<ZmConeSide*>(leaf);
    } else if (leaf->kind == ZM_LEAF_CONE_BOTTOM) {
      bottom = static_cast<ZmCircle*>(leaf);
    } else {
      zmReportError("zmSetConeBoundingCube: wrong leaf type");
      return 0;
    }
  }
  if (side != nullptr) {
    setAxisBox(cube, side->bottom_radius, -side->height / 2, side->height / 2);
  } else if (bottom != nullptr) {
    setAxisBox(cube, bottom->radius, -bottom->height / 2, -bottom->height / 2);
  }
  return 1;
}

int zmSetCylinderBoundingCube(ZmLeaf* first, ZmBoundingCube* cube) {
  ZmCylinderSide* side = nullptr;
  ZmCircle* bottom = nullptr;
  ZmCircle* top = nullptr;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind == ZM_LEAF_CYLINDER_SIDE) {
      side = static_cast<ZmCylinderSide*>(leaf);
    } else if (leaf->kind == ZM_LEAF_CYLINDER_BOTTOM) {
      bottom = static_cast<ZmCircle*>(leaf);
    } else if (leaf->kind == ZM_LEAF_CYLINDER_TOP) {
      top = static_cast<ZmCircle*>(leaf);
    } else {
      zmReportError("zmSetCylinderBoundingCube: wrong leaf type");
      return 0;
    }
  }
  if (side != nullptr) {
    float radius = std::fmax(side->top_radius, side->bottom_radius);
    setAxisBox(cube, radius, -side->height / 2, side->height / 2);
  } else if (bottom != nullptr && top != nullptr) {
    float radius = std::fmax(bottom->radius, top->radius);
    setAxisBox(cube, radius, -bottom->height / 2, bottom->height / 2);
  } else if (bottom != nullptr) {
    setAxisBox(cube, bottom->radius, -bottom->height / 2, -bottom->height / 2);
  } else if (top != nullptr) {
    setAxisBox(cube, top->radius, top->height / 2, top->height / 2);
  }
  return 1;
}

// Merges the min/max of n vertices into the cube; the first contribution
// (*contributed false) is copied.
static void mergeVertices(const ZmMFVec3f& vertices, ZmBoundingCube* cube, bool* contributed) {
  if (vertices.count == 0) return;
  ZmVec3 low, high;
  zmVec3ArrayMinMax(vertices.values, vertices.count, &high, &low);
  if (!*contributed) {
    cube->local_min = low;
    cube->local_max = high;
    *contributed = true;
    return;
  }
  cube->local_min = {std::fmin(cube->local_min.x, low.x), std::fmin(cube->local_min.y, low.y),
                     std::fmin(cube->local_min.z, low.z)};
  cube->local_max = {std::fmax(cube->local_max.x, high.x), std::fmax(cube->local_max.y, high.y),
                     std::fmax(cube->local_max.z, high.z)};
}

int zmSetFaceBoundingCube(ZmLeaf* first, ZmBoundingCube* cube) {
  bool contributed = false;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind != ZM_LEAF_FACE) {
      zmReportWarning("zmSetFaceBoundingCube: ZmFace is linked to another type of a leaf\n");
      break;
    }
    mergeVertices(static_cast<ZmFace*>(leaf)->vertex, cube, &contributed);
  }
  if (!contributed) zmReportWarning("zmSetFaceBoundingCube: empty leaves");
  return contributed ? 1 : 0;
}

int zmSetLineBoundingCube(ZmLeaf* first, ZmBoundingCube* cube) {
  bool contributed = false;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind != ZM_LEAF_LINE) {
      zmReportWarning("zmSetLineBoundingCube: ZmLine is linked to another type of a leaf");
      break;
    }
    mergeVertices(static_cast<ZmLine*>(leaf)->vertex, cube, &contributed);
  }
  if (!contributed) zmReportWarning("zmSetLineBoundingCube: empty leaves");
  return contributed ? 1 : 0;
}

int zmSetPointSetBoundingCube(ZmLeaf* first, ZmBoundingCube* cube) {
  const ZmMFVec3f& points = static_cast<ZmPointSet*>(first)->vertex;
  if (points.count == 0) {
    zmReportWarning("zmSetPointSetBoundingCube: obj has 0 vertex");
    return 0;
  }
  zmVec3ArrayMinMax(points.values, points.count, &cube->local_max, &cube->local_min);
  return 1;
}

int zmSetSphereBoundingCube(ZmLeaf* first, ZmBoundingCube* cube) {
  float r = static_cast<ZmSphere*>(first)->radius;
  cube->local_min = {-r, -r, -r};
  cube->local_max = {r, r, r};
  return 1;
}

// The own box from the first leaf's kind, unscaled; 1 with a box.
static int leafBox(ZmLeaf* first, ZmBoundingCube* cube) {
  switch (first->kind) {
    case ZM_LEAF_ASCII_TEXT: return zmSetAsciiTextBoundingCube(first, cube);
    case ZM_LEAF_CONE_SIDE:
    case ZM_LEAF_CONE_BOTTOM: return zmSetConeBoundingCube(first, cube);
    case ZM_LEAF_CYLINDER_SIDE:
    case ZM_LEAF_CYLINDER_BOTTOM:
    case ZM_LEAF_CYLINDER_TOP: return zmSetCylinderBoundingCube(first, cube);
    case ZM_LEAF_FACE: return zmSetFaceBoundingCube(first, cube);
    case ZM_LEAF_LINE: return zmSetLineBoundingCube(first, cube);
    case ZM_LEAF_POINT_SET: return zmSetPointSetBoundingCube(first, cube);
    case ZM_LEAF_SPHERE: return zmSetSphereBoundingCube(first, cube);
    case ZM_LEAF_POINT_LIGHT:
    case ZM_LEAF_SPOT_LIGHT:
    case ZM_LEAF_DIRECTIONAL_LIGHT:
    case ZM_LEAF_ORTHOGRAPHIC_CAMERA:
    case ZM_LEAF_PERSPECTIVE_CAMERA:
    case ZM_LEAF_SOUND: return 0;
    default:
      zmReportWarning("_zmSetLeafBoundingCube: unknwon leaf type: %d", first->kind);
      return 0;
  }
}

int _zmSetLeafBoundingCube(ZmObj* obj) {
  ZmBoundingCube* cube = &obj->boundingCube;
  if (leafBox(obj->leaf, cube) == 0) {
    obj->obj_flags &= ~ZM_OBJ_HAS_CUBE;
    return 0;
  }
  obj->obj_flags |= ZM_OBJ_HAS_CUBE;
  for (ZmVec3* corner : {&cube->local_min, &cube->local_max}) {
    corner->x *= obj->scale[0];
    corner->y *= obj->scale[1];
    corner->z *= obj->scale[2];
  }
  // A mirroring (negative) scale turns the corners over.
  float* low[3] = {&cube->local_min.x, &cube->local_min.y, &cube->local_min.z};
  float* high[3] = {&cube->local_max.x, &cube->local_max.y, &cube->local_max.z};
  for (int axis = 0; axis < 3; ++axis)
    if (*low[axis] > *high[axis]) std::swap(*low[axis], *high[axis]);
  return 1;
}

// ---- Boxes of groups ------------------------------------------------------

void zmSetChildBoundingCube(ZmObj* obj) {
  ZmBoundingCube* cube = &obj->boundingCube;
  obj->obj_flags &= ~ZM_OBJ_HAS_CUBE;
  for (ZmChildList* node = obj->child; node != nullptr; node = node->next) {
    const ZmBoundingCube* childCube = zmGetBoundingCube(node->object);
    if (childCube == nullptr) continue;
    if ((obj->obj_flags & ZM_OBJ_HAS_CUBE) == 0) {
      cube->local_min = childCube->p_local_min;
      cube->local_max = childCube->p_local_max;
      obj->obj_flags |= ZM_OBJ_HAS_CUBE;
      continue;
    }
    const ZmVec3& low = childCube->p_local_min;
    const ZmVec3& high = childCube->p_local_max;
    cube->local_min = {std::fmin(cube->local_min.x, low.x), std::fmin(cube->local_min.y, low.y),
                       std::fmin(cube->local_min.z, low.z)};
    cube->local_max = {std::fmax(cube->local_max.x, high.x), std::fmax(cube->local_max.y, high.y),
                       std::fmax(cube->local_max.z, high.z)};
  }
  if (obj->scale[0] != 1.0f || obj->scale[1] != 1.0f || obj->scale[2] != 1.0f) {
    zmReportWarning("zmSetChildBoundingCube: intermediate object uses scaling");
  }
}

// The parent-frame box of the eight transformed own-box corners: start at
// the transformed minimum corner and add each row's share of the extents
// to the side its sign points to.
static void setParentFrameBox(ZmObj* obj) {
  ZmBoundingCube* cube = &obj->boundingCube;
  const ZmRT* local = zmGetLRT(obj);
  const float extent[3] = {cube->local_max.x - cube->local_min.x, cube->local_max.y - cube->local_min.y,
                           cube->local_max.z - cube->local_min.z};
  ZmVec3 corner;
  zmRTTransformPoint(local, &cube->local_min, &corner);
  float low[3] = {corner.x, corner.y, corner.z};
  float high[3] = {corner.x, corner.y, corner.z};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      float v = local->m[3 * row + column] * extent[row];
      if (v >= 0) high[column] += v; else low[column] += v;
    }
  }
  cube->p_local_min = {low[0], low[1], low[2]};
  cube->p_local_max = {high[0], high[1], high[2]};
}

ZmBoundingCube* zmGetBoundingCube(ZmObj* obj) {
  if ((obj->obj_flags & ZM_OBJ_PARENT_CUBE_VALID) != 0) {
    return (obj->obj_flags & ZM_OBJ_HAS_CUBE) != 0 ? &obj->boundingCube : nullptr;
  }
  if ((obj->obj_flags & ZM_OBJ_LOCAL_CUBE_VALID) == 0) {
    if (obj->child != nullptr) {
      zmSetChildBoundingCube(obj);
    } else if (obj->leaf != nullptr) {
      _zmSetLeafBoundingCube(obj);
    }
    obj->obj_flags |= ZM_OBJ_LOCAL_CUBE_VALID;
  }
  obj->obj_flags |= ZM_OBJ_PARENT_CUBE_VALID;
  if ((obj->obj_flags & ZM_OBJ_HAS_CUBE) == 0) return nullptr;
  setParentFrameBox(obj);
  return &obj->boundingCube;
}

ZmBoundingCube* zmGetObjBoundingCube(ZmObj* obj) { return obj ? zmGetBoundingCube(obj) : nullptr; }

ZmBoundingCube* zmRefreshBoundingCube(ZmObj* obj) { return zmGetBoundingCube(obj); }

int zmGetBoundingSphere(ZmObj* obj, ZmVec3* centre, float* radius) {
  const ZmBoundingCube* cube = zmGetBoundingCube(obj);
  if (cube == nullptr) return 0;
  ZmVec3 middle = {(cube->local_min.x + cube->local_max.x) / 2, (cube->local_min.y + cube->local_max.y) / 2,
                   (cube->local_min.z + cube->local_max.z) / 2};
  ZmVec3 half;
  zmVec3Sub(&cube->local_max, &middle, &half);
  *centre = middle;
  *radius = static_cast<float>(zmVec3Length(&half));
  return 1;
}
