// core/linequery.h -- where a line first meets a box, a face, a polyline or
// a point set.
//
// Owns: the form every line query of the scene core shares, and the queries
// against bounding cubes and explicit boxes, rectangles, polygons, segments,
// and the face-set, line-set and point-set leaves. The quadric leaves, the
// dispatch by leaf kind and the searches over object trees build on it
// (core/shapequery.h). It does not own the boxes (core/bounds.h) nor the
// transforms (core/transform.h) it reads; no query allocates or changes
// the scene.
//
// The form:
//  - The line runs from P0 through P1 and beyond: P(t) = P0 + t*(P1 - P0),
//    a hit needs t > -1e-5 and has no upper bound.
//  - One tolerance, 1e-5: differences within it count as zero, ranges are
//    widened by it (strictly).
//  - `t` is in/out: the parameter of the nearest hit held so far, -1.0 for
//    none. A candidate s is taken when none is held or s < t + 1e-5 (ties go
//    to the later candidate), and writes s into t.
//  - The hit point (world coordinates unless said otherwise) is optional.
//    Without it a test answers 1 at the first hit it takes; with it, it runs
//    through every candidate and keeps the nearest.
//  - Result 1 for a hit, 0 for none or an error; without a hit every output
//    keeps its value.
//  - Leaf tests get the owner's world transform and scale: points go into
//    the leaf frame by the rigid inverse, then are divided by the scale.
#ifndef LUMENFOLD_CORE_LINEQUERY_H
#define LUMENFOLD_CORE_LINEQUERY_H

#include <cstdint>

#include "core/fields.h"
#include "core/vecmath.h"

struct ZmObj;
struct ZmLeaf;

constexpr float ZM_LINE_EPSILON = 1e-5f;
constexpr float ZM_NO_HIT = -1.0f;  // the held parameter of a query without a hit yet

// The nearness rule: may a candidate at s replace the hit held at `held`?
inline bool zmIsNearerHit(float s, float held) { return held == ZM_NO_HIT || s < held + ZM_LINE_EPSILON; }

// The frame a leaf test works in: points go in by the owner's rigid inverse
// and then a division per axis (the owner's scale, or for the quadrics'
// unit frames the scale times the shape's size), and hits come out the
// reverse way.
struct ZmLeafFrame {
  ZmLeafFrame(const ZmRT* world, float sx, float sy, float sz);
  bool degenerate() const;  // a zero divisor: the leaf has no extent to hit
  ZmVec3 in(const ZmVec3* p) const;
  ZmVec3 out(const ZmVec3& q) const;

  const ZmRT* wrt;
  ZmRT inverse;
  float size[3];
};

// ---- Points in boxes ------------------------------------------------------

// 1 when the world point lies inside the object's own box placed by its
// world transform; 0 also when the object has no box.
int zmIsPointInBoundingCube(const ZmVec3* point, ZmObj* obj);
// The same for an explicit box in the frame of `wrt`.
int zmIsPointInBox(const ZmVec3* point, const ZmRT* wrt, const ZmVec3* min, const ZmVec3* max);

// ---- Boxes and rectangles -------------------------------------------------

// Line against the object's bounding cube (scale included); t may be null.
// A start point inside the box is the hit, with t = 0. 0 without a box.
int zmIntersectLineAndObjBoundingCube(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj* obj, ZmVec3* hit);
// The same against an explicit box in the frame of `wrt`.
int zmIntersectLineAndBoundingCube(const ZmVec3* p0, const ZmVec3* p1, float* t, const ZmRT* wrt,
                                   const ZmVec3* min, const ZmVec3* max, ZmVec3* hit);
// The six faces of a box, everything in the box frame (z faces, x faces,
// y faces); t must be given. No start-inside test.
int zmIntersectLineAndBox(const ZmVec3* a, const ZmVec3* b, float* t, const ZmVec3* min, const ZmVec3* max,
                          ZmVec3* hit);
// The rectangle [min, max] in x and y on the plane z = c. A line lying in
// the plane hits at its start when that lies inside, else at the nearest
// crossed edge.
int zmIntersectLineAndRect(const ZmVec3* a, const ZmVec3* b, float* t, const float min[2], const float max[2],
                           float c, ZmVec3* hit);

// ---- Leaves ---------------------------------------------------------------

/*
 * zmIntersectLineAndFaceLeaf --
 *   Line against each face (one polygon) of the chain from `first`.
 * Results:
 *   1 on a hit, with *hitLeaf the face; 0 for none, and 0 with an error
 *   for a leaf of another kind or a normal binding outside 0..7. A face
 *   with fewer than 3 vertices or no plane is passed over.
 * Side effects:
 *   A face's plane normal is computed once and kept in the leaf.
 */
int zmIntersectLineAndFaceLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                               const float scale[3], ZmLeaf** hitLeaf, ZmVec3* hit);
// Line against each segment of each polyline of the chain; *index is the
// segment's number in its leaf. A polyline of fewer than 2 vertices is
// passed over; a leaf of another kind is an error (0).
int zmIntersectLineAndLineLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                               const float scale[3], ZmLeaf** hitLeaf, int32_t* index, ZmVec3* hit);
// Line against the points of one point-set leaf: a point is hit when it
// lies within 0.5 of the line (in parameter units along the axes the line
// moves on, in position along the others); *index is its number.
int zmIntersectLineAndPointSetLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* leaf, const ZmRT* wrt,
                                   const float scale[3], int32_t* index, ZmVec3* hit);

// ---- Polygons and segments (one frame, no mapping) ------------------------

// 1 when the point, taken to lie in the polygon's plane (normal n), is
// inside or on an edge; the test runs on the two axes the normal picks.
int zmIsPointInPolygon(const ZmVec3* point, const ZmMFVec3f* polygon, const ZmVec3* n);
// The same test on x and y.
int zmIsPointInPolygon2D(const ZmVec3* point, const ZmMFVec3f* polygon);
// A line lying in the polygon's plane against the polygon: its start when
// inside (t = 0), else the nearest edge crossed.
int zmIntersectLineAndPolygonInPlane(const ZmVec3* a, const ZmVec3* b, float* t, const ZmMFVec3f* polygon,
                                     const ZmVec3* n, ZmVec3* hit);
// A line against the segment from sa to sb, both in the plane of normal n.
int zmIntersectLineAndSegment(const ZmVec3* a, const ZmVec3* b, float* t, const ZmVec3* sa, const ZmVec3* sb,
                              const ZmVec3* n, ZmVec3* hit);
// The same on x and y; the hit point gets all three coordinates of the line.
int zmIntersectLineAndSegment2D(const ZmVec3* a, const ZmVec3* b, float* t, const ZmVec3* sa, const ZmVec3* sb,
                                ZmVec3* hit);

#endif
