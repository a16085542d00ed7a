// core/shapequery.h -- where a line first meets a cone, a cylinder, a
// sphere, an object or a whole world.
//
// Owns: the line tests against the quadric leaves in their unit frames
// (discs, the side surface of cones and cylinders, the unit sphere), the
// test of one object by the kind of its first leaf, the nearest hit over an
// object tree and over a world's top objects (the navigation's probe that
// leaves the user's own avatar out), and the line against an object's
// bounding sphere. The query form is core/linequery.h's, unchanged.
// It does not own the leaves, boxes or transforms it reads, and it neither
// allocates nor changes the scene.
//
// Unit frame of a cone or cylinder: the owner's frame with x and z divided
// by the scale and y by scale y * height / 2, so the axis is y, the bottom
// lies at y = -1 and the top at y = +1 (radii are kept). A sphere's unit
// frame divides each axis by scale * radius.
#ifndef LUMENFOLD_CORE_SHAPEQUERY_H
#define LUMENFOLD_CORE_SHAPEQUERY_H

#include <cstdint>

#include "core/vecmath.h"

struct ZmObj;
struct ZmLeaf;
struct ZmWorld;

// ---- Surfaces in a unit frame (t must be given; hit may be null) ----------

// The disc of `radius` about the y axis in the plane y = yc. A level line
// that starts inside the disc hits at its start (t = 0).
int zmIntersectLineAndDisc(const ZmVec3* p0, const ZmVec3* p1, float* t, float radius, float yc, ZmVec3* hit);
// The side surface for -1 <= y <= 1 whose radius runs from rBottom at y = -1
// to rTop at y = +1.
int zmIntersectLineAndFrustumSide(const ZmVec3* p0, const ZmVec3* p1, float* t, float rBottom, float rTop,
                                  ZmVec3* hit);
// The unit sphere at the origin; a line that starts inside hits the far side.
int zmIntersectLineAndUnitSphere(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmVec3* hit);

// ---- Leaves (world points; t and hitLeaf must be given) -------------------

// The cone's side and bottom in the chain from `first`; an error and 0 for a
// leaf of another kind. The first surface the line meets decides.
int zmIntersectLineAndConeLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                               const float scale[3], ZmLeaf** hitLeaf, ZmVec3* hit);
// The cylinder's side and caps, likewise.
int zmIntersectLineAndCylinderLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                                   const float scale[3], ZmLeaf** hitLeaf, ZmVec3* hit);
int zmIntersectLineAndSphereLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* sphere, const ZmRT* wrt,
                                 const float scale[3], ZmVec3* hit);

// ---- Objects --------------------------------------------------------------

/*
 * zmIntersectLineAndLeafObj --
 *   Tests the object's leaves by the kind of its first leaf (3-D text by its
 *   bounding cube; lights, cameras and sounds are never hit).
 * Results:
 *   1 on a hit: *t (when given) the parameter, 0 when it is not positive;
 *   *hitLeaf and *part (when given) the leaf and the segment or point
 *   number. 0 otherwise; warnings for an object without leaves or an
 *   unknown first kind.
 */
int zmIntersectLineAndLeafObj(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj* obj, ZmLeaf** hitLeaf,
                              int32_t* part, ZmVec3* hit);
/*
 * zmIntersectLineAndObjTree --
 *   The nearest hit in the object's subtree, pruned by bounding cubes: a
 *   subtree whose cube the line misses, or enters no nearer than the held
 *   hit, is not searched (a top object's world-axis box is tried first, a
 *   cheaper test that rejects most of a large world). A Switch or LOD searches only its active child
 *   (all children for -3). An object with neither children nor leaves is
 *   hit where the line enters its cube, with a null leaf.
 *   Every output must be given; they change only when a nearer hit is found.
 */
void zmIntersectLineAndObjTree(ZmObj* obj, const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj** hitObj,
                               ZmLeaf** hitLeaf, int32_t* part, ZmVec3* hit);
// The nearest hit over the world's top objects; the object hit, or null.
// t may be null; hitLeaf, part and hit must be given.
ZmObj* zmIntersectLineAndTopObjs(ZmWorld* world, const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf** hitLeaf,
                                 int32_t* part, ZmVec3* hit);
// The same, leaving out the top object that holds the world's person (the
// user's avatar); a null world warns and gives null.
ZmObj* zmFindZmObjByPerson(ZmWorld* world, const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf** hitLeaf,
                           int32_t* part, ZmVec3* hit);
// Line against the sphere around the object's own box, its radius times
// `factor`; t and hit may be null. 0 when the object has no box.
int zmIntersectLineAndBoundingSphere(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj* obj, float factor,
                                     ZmVec3* hit);

#endif
