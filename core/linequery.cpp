// core/linequery.cpp -- line queries against boxes, faces, polylines and
// point sets; see linequery.h.
#include "core/linequery.h"

#include <cmath>

#include "core/bounds.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"

namespace {

constexpr float kEps = ZM_LINE_EPSILON;
constexpr float kSegmentEnd = 1.00001f;  // a segment parameter up to its end, widened
constexpr float kPointReach = 0.5f;      // how far from a line a point or a polyline may lie

bool isZero(float v) { return v > -kEps && v < kEps; }
bool isZeroVector(const ZmVec3& v) { return isZero(v.x) && isZero(v.y) && isZero(v.z); }
bool inRange(float v, float low, float high) { return low - kEps < v && v < high + kEps; }
bool isBehind(float s) { return s <= -kEps; }

ZmVec3 sub(const ZmVec3& a, const ZmVec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
ZmVec3 along(const ZmVec3& a, const ZmVec3& d, float s) { return {a.x + d.x * s, a.y + d.y * s, a.z + d.z * s}; }
float dot(const ZmVec3& a, const ZmVec3& b) { return static_cast<float>(zmVec3Dot(&a, &b)); }
ZmVec3 cross(const ZmVec3& a, const ZmVec3& b) {
  ZmVec3 c;
  zmVec3Cross(&a, &b, &c);
  return c;
}

// Coordinates of a vector taken in another order, so that the axes a test
// works on come first; `back` undoes `forward`.
enum class Axes { XYZ, YZX, ZXY, ZYX, XZY };
ZmVec3 forward(const ZmVec3& v, Axes axes) {
  switch (axes) {
    case Axes::YZX: return {v.y, v.z, v.x};
    case Axes::ZXY: return {v.z, v.x, v.y};
    case Axes::ZYX: return {v.z, v.y, v.x};
    case Axes::XZY: return {v.x, v.z, v.y};
    default: return v;
  }
}
ZmVec3 back(const ZmVec3& v, Axes axes) {
  switch (axes) {
    case Axes::YZX: return {v.z, v.x, v.y};
    case Axes::ZXY: return {v.y, v.z, v.x};
    case Axes::ZYX: return {v.z, v.y, v.x};
    case Axes::XZY: return {v.x, v.z, v.y};
    default: return v;
  }
}

// The point-in-polygon test on the coordinates x and y of points given in
// the order `axes` picks.
int pointInPolygonOn(const ZmVec3& point, const ZmMFVec3f& polygon, Axes axes) {
  const ZmVec3 p = forward(point, axes);
  int crossings = 0;
  for (int32_t i = 0; i < polygon.count; ++i) {
    const ZmVec3 a = forward(polygon.values[i], axes);
    const ZmVec3 b = forward(polygon.values[(i + 1) % polygon.count], axes);
    if (isZero(b.x - a.x)) {
      if (isZero(p.x - a.x) && inRange(p.y, std::fmin(a.y, b.y), std::fmax(a.y, b.y))) return 1;
      continue;
    }
    const float low = std::fmin(a.x, b.x);
    const float high = std::fmax(a.x, b.x);
    if (!(low - kEps < p.x && p.x <= high - kEps)) continue;
    const float yc = a.y + (b.y - a.y) / (b.x - a.x) * (p.x - a.x);
    if (std::fabs(yc - p.y) < kEps) return 1;
    if (p.y + kEps <= yc) ++crossings;
  }
  return crossings % 2;
}

// The axes the in-plane tests work on, by the first component of the plane
// normal that is not zero (z, then x, then y): polygons use (x, y), (z, y) or (x, z); segments (x, y),
// (y, z) or (z, x). False for a normal that is zero within the tolerance.
bool planeAxes(const ZmVec3& n, bool forSegments, Axes* axes) {
  if (std::fabs(n.z) >= kEps) {
    *axes = Axes::XYZ;
  } else if (std::fabs(n.x) >= kEps) {
    *axes = forSegments ? Axes::YZX : Axes::ZYX;
  } else if (std::fabs(n.y) >= kEps) {
    *axes = forSegments ? Axes::ZXY : Axes::XZY;
  } else {
    return false;
  }
  return true;
}

// A rectangle edge v = e (v is x or y by `onY`) of a line lying in the
// rectangle's plane; the other coordinate must lie within [low, high].
bool rectEdge(const ZmVec3& a, const ZmVec3& d, float* t, bool onY, float e, float low, float high, float c,
              ZmVec3* point) {
  const float dv = onY ? d.y : d.x;
  if (isZero(dv)) return false;
  const float s = (e - (onY ? a.y : a.x)) / dv;
  if (isBehind(s) || !zmIsNearerHit(s, *t)) return false;
  const float other = onY ? a.x + d.x * s : a.y + d.y * s;
  if (!inRange(other, low, high)) return false;
  *t = s;
  *point = onY ? ZmVec3{other, e, c} : ZmVec3{e, other, c};
  return true;
}

// One face of a box through zmIntersectLineAndRect, on the axes `axes`
// brings first; the face lies at the third axis' value c.
int boxFace(const ZmVec3& a, const ZmVec3& b, float* t, const ZmVec3& min, const ZmVec3& max, Axes axes, bool atMax,
            ZmVec3* hit) {
  const ZmVec3 pa = forward(a, axes), pb = forward(b, axes);
  const ZmVec3 low = forward(min, axes), high = forward(max, axes);
  const float rectMin[2] = {low.x, low.y};
  const float rectMax[2] = {high.x, high.y};
  ZmVec3 point;
  if (zmIntersectLineAndRect(&pa, &pb, t, rectMin, rectMax, atMax ? high.z : low.z, hit ? &point : nullptr) == 0) {
    return 0;
  }
  if (hit != nullptr) *hit = back(point, axes);
  return 1;
}

// Plane normal of a face: kept in the leaf once found. False when every
// triple of consecutive vertices is collinear.
bool facePlaneNormal(ZmFace* face, ZmVec3* n) {
  if (face->orthogonal_normal_valid == 1) {
    *n = face->orthogonalNormal;
    return true;
  }
  const ZmVec3* v = face->vertex.values;
  for (int32_t i = 0; i + 2 < face->vertex.count; ++i) {
    ZmVec3 candidate = cross(sub(v[i + 1], v[i]), sub(v[i + 2], v[i]));
    if (isZeroVector(candidate)) continue;
    face->orthogonalNormal = candidate;
    face->orthogonal_normal_valid = 1;
    *n = candidate;
    return true;
  }
  return false;
}

// One face against the line q0 -> q1 (leaf frame). 1 on a hit; with `point`
// t and *point are the hit's.
int lineAndFace(const ZmVec3& q0, const ZmVec3& q1, float* t, ZmFace* face, const ZmVec3& n, ZmVec3* point) {
  const ZmVec3 d = sub(q1, q0);
  const ZmVec3& v0 = face->vertex.values[0];
  const float den = dot(d, n);
  if (isZero(den)) {
    if (!isZero(dot(sub(q0, v0), n))) return 0;
    return zmIntersectLineAndPolygonInPlane(&q0, &q1, t, &face->vertex, &n, point);
  }
  const float s = dot(sub(v0, q0), n) / den;
  if (isBehind(s) || !zmIsNearerHit(s, *t)) return 0;
  const ZmVec3 h = along(q0, d, s);
  if (zmIsPointInPolygon(&h, &face->vertex, &n) == 0) return 0;
  if (point != nullptr) {
    *t = s;
    *point = h;
  }
  return 1;
}

}  // namespace

ZmLeafFrame::ZmLeafFrame(const ZmRT* world, float sx, float sy, float sz) : wrt(world), size{sx, sy, sz} {
  zmRTInvert(world, &inverse);
}

bool ZmLeafFrame::degenerate() const { return size[0] == 0 || size[1] == 0 || size[2] == 0; }

ZmVec3 ZmLeafFrame::in(const ZmVec3* p) const {
  ZmVec3 q;
  zmRTTransformPoint(&inverse, p, &q);
  return {q.x / size[0], q.y / size[1], q.z / size[2]};
}

ZmVec3 ZmLeafFrame::out(const ZmVec3& q) const {
  ZmVec3 p = {q.x * size[0], q.y * size[1], q.z * size[2]};
  zmRTTransformPointSelf(wrt, &p);
  return p;
}

// ---- Points in boxes ------------------------------------------------------

int zmIsPointInBox(const ZmVec3* point, const ZmRT* wrt, const ZmVec3* min, const ZmVec3* max) {
  ZmRT inverse;
  zmRTInvert(wrt, &inverse);
  ZmVec3 q;
  zmRTTransformPoint(&inverse, point, &q);
  return inRange(q.x, min->x, max->x) && inRange(q.y, min->y, max->y) && inRange(q.z, min->z, max->z);
}

int zmIsPointInBoundingCube(const ZmVec3* point, ZmObj* obj) {
  const ZmBoundingCube* cube = zmGetBoundingCube(obj);
  if (cube == nullptr) return 0;
  return zmIsPointInBox(point, zmGetWRT(obj), &cube->local_min, &cube->local_max);
}

// ---- Boxes and rectangles -------------------------------------------------

int zmIntersectLineAndRect(const ZmVec3* a, const ZmVec3* b, float* t, const float min[2], const float max[2],
                           float c, ZmVec3* hit) {
  const ZmVec3 d = sub(*b, *a);
  if (!isZero(d.z)) {
    const float s = (c - a->z) / d.z;
    if (isBehind(s) || !zmIsNearerHit(s, *t)) return 0;
    const float x = a->x + d.x * s;
    const float y = a->y + d.y * s;
    if (!inRange(x, min[0], max[0]) || !inRange(y, min[1], max[1])) return 0;
    *t = s;
    if (hit != nullptr) *hit = {x, y, c};
    return 1;
  }
  if (!isZero(a->z - c)) return 0;  // parallel to the face
  if (inRange(a->x, min[0], max[0]) && inRange(a->y, min[1], max[1])) {
    *t = 0;
    if (hit != nullptr) *hit = *a;
    return 1;
  }
  struct Edge { bool onY; float e, low, high; };
  const Edge edges[4] = {{true, min[1], min[0], max[0]},
                         {true, max[1], min[0], max[0]},
                         {false, min[0], min[1], max[1]},
                         {false, max[0], min[1], max[1]}};
  int found = 0;
  ZmVec3 point;
  for (const Edge& edge : edges) {
    if (!rectEdge(*a, d, t, edge.onY, edge.e, edge.low, edge.high, c, &point)) continue;
    if (hit == nullptr) return 1;
    *hit = point;
    found = 1;
  }
  return found;
}

int zmIntersectLineAndBox(const ZmVec3* a, const ZmVec3* b, float* t, const ZmVec3* min, const ZmVec3* max,
                          ZmVec3* hit) {
  struct Face { Axes axes; bool atMax; };
  static constexpr Face faces[6] = {{Axes::XYZ, false}, {Axes::XYZ, true}, {Axes::YZX, false},
                                    {Axes::YZX, true},  {Axes::ZXY, false}, {Axes::ZXY, true}};
  int found = 0;
  for (const Face& face : faces) {
    if (boxFace(*a, *b, t, *min, *max, face.axes, face.atMax, hit) == 0) continue;
    if (hit == nullptr) return 1;
    found = 1;
  }
  return found;
}

int zmIntersectLineAndBoundingCube(const ZmVec3* p0, const ZmVec3* p1, float* t, const ZmRT* wrt,
                                   const ZmVec3* min, const ZmVec3* max, ZmVec3* hit) {
  ZmRT inverse;
  zmRTInvert(wrt, &inverse);
  ZmVec3 a, b;
  zmRTTransformPoint(&inverse, p0, &a);
  if (inRange(a.x, min->x, max->x) && inRange(a.y, min->y, max->y) && inRange(a.z, min->z, max->z)) {
    if (t != nullptr) *t = 0;
    if (hit != nullptr) *hit = *p0;
    return 1;
  }
  zmRTTransformPoint(&inverse, p1, &b);
  float held = t ? *t : ZM_NO_HIT;
  ZmVec3 point;
  if (zmIntersectLineAndBox(&a, &b, &held, min, max, hit ? &point : nullptr) == 0) return 0;
  if (t != nullptr) *t = held;
  if (hit != nullptr) zmRTTransformPoint(wrt, &point, hit);
  return 1;
}

int zmIntersectLineAndObjBoundingCube(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj* obj, ZmVec3* hit) {
  const ZmBoundingCube* cube = zmGetBoundingCube(obj);
  if (cube == nullptr) return 0;
  return zmIntersectLineAndBoundingCube(p0, p1, t, zmGetWRT(obj), &cube->local_min, &cube->local_max, hit);
}

// ---- Polygons and segments ------------------------------------------------

int zmIsPointInPolygon2D(const ZmVec3* point, const ZmMFVec3f* polygon) {
  return pointInPolygonOn(*point, *polygon, Axes::XYZ);
}

int zmIsPointInPolygon(const ZmVec3* point, const ZmMFVec3f* polygon, const ZmVec3* n) {
  Axes axes;
  if (!planeAxes(*n, false, &axes)) return 0;
  return pointInPolygonOn(*point, *polygon, axes);
}

int zmIntersectLineAndSegment2D(const ZmVec3* a, const ZmVec3* b, float* t, const ZmVec3* sa, const ZmVec3* sb,
                                ZmVec3* hit) {
  const ZmVec3 d = sub(*b, *a);
  const ZmVec3 e = sub(*sb, *sa);
  const ZmVec3 offset = sub(*sa, *a);
  const float den = d.y * e.x - e.y * d.x;
  if (std::fabs(den) >= kEps) {
    const float s = (offset.y * e.x - e.y * offset.x) / den;
    if (isBehind(s) || !zmIsNearerHit(s, *t)) return 0;
    float u;
    if (std::fabs(e.x) >= kEps) {
      u = (d.x * s - offset.x) / e.x;
    } else if (std::fabs(e.y) >= kEps) {
      u = (d.y * s - offset.y) / e.y;
    } else {
      return 0;
    }
    if (!(-kEps < u && u < kSegmentEnd)) return 0;
    if (hit != nullptr) {
      *t = s;
      *hit = along(*a, d, s);
    }
    return 1;
  }
  // Parallel: a hit only when the segment lies on the line.
  if (!isZero(d.y * offset.x - offset.y * d.x)) return 0;
  float paramA, paramB;  // line parameters of the segment's ends
  if (std::fabs(d.x) >= kEps) {
    paramA = offset.x / d.x;
    paramB = (sb->x - a->x) / d.x;
  } else if (std::fabs(d.y) >= kEps) {
    paramA = offset.y / d.y;
    paramB = (sb->y - a->y) / d.y;
  } else {
    return 0;
  }
  // The end the line reaches first is the hit, or the start point itself
  // when that lies on the segment.
  const bool aFirst = paramA - kEps < paramB;
  const float near = aFirst ? paramA : paramB;
  const float far = aFirst ? paramB : paramA;
  if (isBehind(far)) return 0;
  const bool startsOnSegment = near < kEps;
  if (!startsOnSegment && !zmIsNearerHit(near, *t)) return 0;
  if (hit != nullptr) {
    *t = startsOnSegment ? 0 : near;
    *hit = startsOnSegment ? *a : (aFirst ? *sa : *sb);
  }
  return 1;
}

int zmIntersectLineAndSegment(const ZmVec3* a, const ZmVec3* b, float* t, const ZmVec3* sa, const ZmVec3* sb,
                              const ZmVec3* n, ZmVec3* hit) {
  Axes axes;
  if (!planeAxes(*n, true, &axes)) return 0;
  const ZmVec3 pa = forward(*a, axes), pb = forward(*b, axes);
  const ZmVec3 qa = forward(*sa, axes), qb = forward(*sb, axes);
  ZmVec3 point;
  if (zmIntersectLineAndSegment2D(&pa, &pb, t, &qa, &qb, hit ? &point : nullptr) == 0) return 0;
  if (hit != nullptr) *hit = back(point, axes);
  return 1;
}

int zmIntersectLineAndPolygonInPlane(const ZmVec3* a, const ZmVec3* b, float* t, const ZmMFVec3f* polygon,
                                     const ZmVec3* n, ZmVec3* hit) {
  if (zmIsPointInPolygon(a, polygon, n)) {
    if (hit != nullptr) {
      *t = 0;
      *hit = *a;
    }
    return 1;
  }
  if (isZeroVector(sub(*b, *a))) return 0;
  int found = 0;
  for (int32_t i = 0; i < polygon->count; ++i) {
    const ZmVec3& from = polygon->values[i];
    const ZmVec3& to = polygon->values[(i + 1) % polygon->count];
    if (isZeroVector(sub(to, from))) continue;
    if (zmIntersectLineAndSegment(a, b, t, &from, &to, n, hit) == 0) continue;
    if (hit == nullptr) return 1;
    found = 1;
  }
  return found;
}

// ---- Leaves ---------------------------------------------------------------

int zmIntersectLineAndFaceLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                               const float scale[3], ZmLeaf** hitLeaf, ZmVec3* hit) {
  const ZmLeafFrame frame(wrt, scale[0], scale[1], scale[2]);
  const ZmVec3 q0 = frame.in(p0), q1 = frame.in(p1);
  bool found = false;
  ZmVec3 nearest;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind != ZM_LEAF_FACE) {
      zmReportError("zmIntersectLineAndFaceLeaf: ZmFace is linked to another type of leaf");
      return 0;
    }
    ZmFace* face = static_cast<ZmFace*>(leaf);
    if (face->vertex.count < 3) continue;  // degenerate: no surface to meet
    if (face->normalBinding < 0 || face->normalBinding > 7) {
      zmReportError("zmIntersectLineAndFaceLeaf: wrong normal binding");
      return 0;
    }
    ZmVec3 n;
    if (!facePlaneNormal(face, &n)) continue;
    if (lineAndFace(q0, q1, t, face, n, hit ? &nearest : nullptr) == 0) continue;
    *hitLeaf = leaf;
    if (hit == nullptr) return 1;
    found = true;
  }
  if (found) *hit = frame.out(nearest);
  return found ? 1 : 0;
}

int zmIntersectLineAndLineLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                               const float scale[3], ZmLeaf** hitLeaf, int32_t* index, ZmVec3* hit) {
  const ZmLeafFrame frame(wrt, scale[0], scale[1], scale[2]);
  const ZmVec3 q0 = frame.in(p0), q1 = frame.in(p1);
  const ZmVec3 d = sub(q1, q0);
  bool found = false;
  ZmVec3 nearest;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind != ZM_LEAF_LINE) {
      zmReportError("zmIntersectLineAndLineLeaf: ZmLine is linked to another type of leaf");
      return 0;
    }
    const ZmMFVec3f& v = static_cast<ZmLine*>(leaf)->vertex;
    for (int32_t j = 0; j + 1 < v.count; ++j) {
      // The plane through the line and v[j]; the segment must run close to it.
      const ZmVec3 m = cross(d, sub(v.values[j], q0));
      const float off = dot(sub(v.values[j + 1], q0), m);
      if (!(-kPointReach < off && off < kPointReach)) continue;
      if (zmIntersectLineAndSegment(&q0, &q1, t, &v.values[j], &v.values[j + 1], &m, hit ? &nearest : nullptr) == 0) {
        continue;
      }
      *hitLeaf = leaf;
      *index = j;
      if (hit == nullptr) return 1;
      found = true;
    }
  }
  if (found) *hit = frame.out(nearest);
  return found ? 1 : 0;
}

// The line parameter at which the line passes a point, when it passes
// within reach: along the axes the line moves on, the parameters must agree
// within 0.5; along the others, the point must lie within 0.5 of the line.
static bool pointOnLine(const ZmVec3& q0, const ZmVec3& d, const ZmVec3& p, float* s) {
  const float delta[3] = {p.x - q0.x, p.y - q0.y, p.z - q0.z};
  const float step[3] = {d.x, d.y, d.z};
  float params[3];
  bool moves[3];
  int last = -1;
  for (int axis = 0; axis < 3; ++axis) {
    moves[axis] = !isZero(step[axis]);
    if (moves[axis]) {
      params[axis] = delta[axis] / step[axis];
      last = axis;
    }
  }
  if (last < 0) {
    *s = 0;
  } else {
    *s = params[last];
  }
  for (int axis = 0; axis < 3; ++axis) {
    const float off = moves[axis] ? params[axis] - *s : delta[axis];
    if (!(std::fabs(off) < kPointReach)) return false;
  }
  return true;
}

int zmIntersectLineAndPointSetLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* leaf, const ZmRT* wrt,
                                   const float scale[3], int32_t* index, ZmVec3* hit) {
  const ZmLeafFrame frame(wrt, scale[0], scale[1], scale[2]);
  const ZmVec3 q0 = frame.in(p0), q1 = frame.in(p1);
  const ZmVec3 d = sub(q1, q0);
  const bool level = isZeroVector(d);
  const ZmMFVec3f& points = static_cast<ZmPointSet*>(leaf)->vertex;
  bool found = false;
  ZmVec3 nearest{};
  for (int32_t j = 0; j < points.count; ++j) {
    float s;
    if (!pointOnLine(q0, d, points.values[j], &s)) continue;
    if (!level && (isBehind(s) || !zmIsNearerHit(s, *t))) continue;
    *t = s;
    *index = j;
    if (hit == nullptr) return 1;
    nearest = points.values[j];
    found = true;
  }
  if (found) *hit = frame.out(nearest);
  return found ? 1 : 0;
}
