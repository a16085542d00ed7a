// tests/core/shape_builders.h -- leaves and objects with given geometry, for
// the bounding-cube, line-query and collision suites.
//
// Owns nothing: every leaf it makes belongs to the caller (or to the object
// it is added to), with its vertex array allocated by zmMalloc.
#ifndef LUMENFOLD_TESTS_CORE_SHAPE_BUILDERS_H
#define LUMENFOLD_TESTS_CORE_SHAPE_BUILDERS_H

#include <initializer_list>

#include "core/leaf.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/transform.h"

// Fills a vertex array owned by the leaf.
inline void setVertices(ZmMFVec3f* array, std::initializer_list<ZmVec3> points) {
  array->count = static_cast<int32_t>(points.size());
  array->values = static_cast<ZmVec3*>(zmMalloc(points.size() * sizeof(ZmVec3)));
  int i = 0;
  for (const ZmVec3& p : points) array->values[i++] = p;
}

inline ZmFace* newFace(std::initializer_list<ZmVec3> points) {
  ZmFace* face = zmNewFaceLeaf();
  setVertices(&face->vertex, points);
  return face;
}

inline ZmLine* newPolyline(std::initializer_list<ZmVec3> points) {
  ZmLine* line = zmNewLineLeaf();
  setVertices(&line->vertex, points);
  return line;
}

inline ZmPointSet* newPointSet(std::initializer_list<ZmVec3> points) {
  ZmPointSet* set = zmNewPointSetLeaf();
  setVertices(&set->vertex, points);
  return set;
}

inline ZmSphere* newSphere(float radius) {
  ZmSphere* sphere = zmNewSphereLeaf();
  sphere->radius = radius;
  return sphere;
}

// Places an object at a point of its parent's frame, without turning it.
inline void moveTo(ZmObj* object, float x, float y, float z) {
  ZmVec3 at = {x, y, z};
  zmObjectTrans(object, &at, ZM_COORD_PARENT, 0);
}

#endif
