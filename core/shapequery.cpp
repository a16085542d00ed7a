// core/shapequery.cpp -- line queries against quadric leaves, objects and
// worlds; see shapequery.h.
#include "core/shapequery.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "core/bounds.h"
#include "core/hooks.h"
#include "core/leaf.h"
#include "core/linequery.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "core/world.h"

namespace {

constexpr double kEps = ZM_LINE_EPSILON;
constexpr double kEnd = 1.00001;    // the unit frame's y range, widened
constexpr double kInner = 0.99999;  // the unit frame's y range, narrowed

bool isZero(double v) { return v > -kEps && v < kEps; }
bool isBehind(double s) { return s <= -kEps; }
bool nearer(double s, const float* held) { return zmIsNearerHit(static_cast<float>(s), *held); }

void takeHit(float* t, double s, ZmVec3* hit, const ZmVec3& point) {
  *t = static_cast<float>(s);
  if (hit != nullptr) *hit = point;
}

ZmVec3 atParameter(const ZmVec3& p0, const ZmVec3& d, double s) {
  return {static_cast<float>(p0.x + d.x * s), static_cast<float>(p0.y + d.y * s), static_cast<float>(p0.z + d.z * s)};
}

// The unit frame of a cone or cylinder (see shapequery.h).
ZmLeafFrame axisFrame(const ZmRT* wrt, const float scale[3], float height) {
  return ZmLeafFrame(wrt, scale[0], scale[1] * height / 2, scale[2]);
}

}  // namespace

// ---- Surfaces -------------------------------------------------------------

int zmIntersectLineAndDisc(const ZmVec3* p0, const ZmVec3* p1, float* t, float radius, float yc, ZmVec3* hit) {
  const ZmVec3 d = {p1->x - p0->x, p1->y - p0->y, p1->z - p0->z};
  const double r2 = static_cast<double>(radius) * radius;
  if (!isZero(d.y)) {
    const double s = (yc - p0->y) / static_cast<double>(d.y);
    if (isBehind(s) || !nearer(s, t)) return 0;
    const ZmVec3 q = atParameter(*p0, d, s);
    if (!(static_cast<double>(q.x) * q.x + static_cast<double>(q.z) * q.z < r2 + kEps)) return 0;
    takeHit(t, s, hit, {q.x, yc, q.z});
    return 1;
  }
  if (!isZero(p0->y - yc)) return 0;
  // The line lies in the disc's plane: meet the circle in x and z.
  const double a = static_cast<double>(d.x) * d.x + static_cast<double>(d.z) * d.z;
  const double k = static_cast<double>(p0->x) * p0->x + static_cast<double>(p0->z) * p0->z - r2;
  if (isZero(a)) {
    if (!(k < kEps)) return 0;
    takeHit(t, 0, hit, *p0);
    return 1;
  }
  const double b = 2 * (static_cast<double>(d.x) * p0->x + static_cast<double>(d.z) * p0->z);
  const double disc = b * b - 4 * a * k;
  if (disc <= -kEps) return 0;
  auto pointAt = [&](double s) {
    return ZmVec3{static_cast<float>(p0->x + s * d.x), yc, static_cast<float>(p0->z + s * d.z)};
  };
  if (isZero(disc)) {
    const double s = -b / (2 * a);
    if (isBehind(s) || !nearer(s, t)) return 0;
    takeHit(t, s, hit, pointAt(s));
    return 1;
  }
  const double root = std::sqrt(disc);
  const double s1 = (-b - root) / (2 * a);
  if (!nearer(s1, t)) return 0;
  if (s1 > -kEps) {
    takeHit(t, s1, hit, pointAt(s1));
    return 1;
  }
  const double s2 = (root - b) / (2 * a);
  if (isBehind(s2)) return 0;
  takeHit(t, 0, hit, *p0);  // the line starts inside the disc
  return 1;
}

namespace {

// The side surface's state for one line: the line written as a function of
// the height y, and the acceptance rules for a height.
struct SideLine {
  bool falling;
  bool held;
  double y0;      // start height
  double yHeld;   // height of the held hit
  double kx, x0, kz, z0;

  bool accepts(double y) const {
    if (!(-kEnd < y && y < kEnd)) return false;
    if (falling ? !(y < y0 + kEps) : !(y > y0 - kEps)) return false;
    if (!held) return true;
    return falling ? y > yHeld - kEps : y < yHeld + kEps;
  }
};

// Where a line lying in the surface enters the shape: its start height
// brought into [-1, 1] from the side it comes from.
double startHeightInShape(const SideLine& line) {
  if (line.falling) return line.y0 > kInner ? 1.0 : line.y0;
  return line.y0 < -kInner ? -1.0 : line.y0;
}

// Picks the height of the hit among the roots; false for none.
bool sideHeight(const SideLine& line, double a, double b, double k, double* y) {
  if (isZero(a) && isZero(b)) {
    if (!isZero(k)) return false;
    *y = startHeightInShape(line);
    return line.accepts(*y);
  }
  if (isZero(a)) {
    *y = -k / b;
    return line.accepts(*y);
  }
  const double disc = b * b - 4 * a * k;
  if (disc <= -kEps) return false;
  if (isZero(disc)) {
    *y = -b / (2 * a);
    return line.accepts(*y);
  }
  const double root = std::sqrt(disc);
  double low = (-b - root) / (2 * a);
  double high = (root - b) / (2 * a);
  if (a <= 0) std::swap(low, high);
  if (!line.falling) {
    if (low >= kEnd || (line.held && low >= line.yHeld + kEps)) return false;
    if (low > -kEnd && low > line.y0 - kEps) {
      *y = low;
      return true;
    }
    *y = high;
    return line.accepts(*y);
  }
  if (high <= -kEnd || (line.held && high <= line.yHeld - kEps)) return false;
  if (high < kEnd && high < line.y0 + kEps) {
    *y = high;
    return true;
  }
  *y = low;
  return line.accepts(*y);
}

}  // namespace

int zmIntersectLineAndFrustumSide(const ZmVec3* p0, const ZmVec3* p1, float* t, float rBottom, float rTop,
                                  ZmVec3* hit) {
  const double slope = (static_cast<double>(rTop) - rBottom) / 2;  // radius per unit of y
  const double middle = rBottom + slope;                           // radius at y = 0
  if (isZero(p0->y - p1->y)) {
    if (!(-kEnd < p0->y && p0->y < kEnd)) return 0;
    const float radius = static_cast<float>(middle + slope * p0->y);
    return zmIntersectLineAndDisc(p0, p1, t, radius, p0->y, hit);
  }
  SideLine line;
  line.falling = p0->y + kEps > p1->y;
  line.y0 = p0->y;
  line.held = *t != ZM_NO_HIT;
  line.yHeld = p0->y + static_cast<double>(*t) * (p1->y - p0->y);
  // Nothing to meet above a rising start or below a falling one.
  if (line.falling ? line.y0 <= -kEnd : line.y0 - kEps >= kEnd) return 0;
  if (line.held && ((line.y0 <= -kEnd && line.yHeld <= -kEnd) || (line.y0 >= kEnd && line.yHeld >= kEnd))) return 0;
  const double dy = static_cast<double>(p1->y) - p0->y;
  line.kx = (p1->x - p0->x) / dy;
  line.x0 = p0->x - line.kx * p0->y;
  line.kz = (p1->z - p0->z) / dy;
  line.z0 = p0->z - line.kz * p0->y;
  const double a = line.kx * line.kx + line.kz * line.kz - slope * slope;
  const double b = 2 * (line.x0 * line.kx + line.z0 * line.kz) - 2 * middle * slope;
  const double k = line.x0 * line.x0 + line.z0 * line.z0 - middle * middle;
  double y;
  if (!sideHeight(line, a, b, k, &y)) return 0;
  const ZmVec3 point = {static_cast<float>(line.x0 + line.kx * y), static_cast<float>(y),
                        static_cast<float>(line.z0 + line.kz * y)};
  takeHit(t, (y - p0->y) / dy, hit, point);
  return 1;
}

int zmIntersectLineAndUnitSphere(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmVec3* hit) {
  const ZmVec3 d = {p1->x - p0->x, p1->y - p0->y, p1->z - p0->z};
  const double a = zmVec3Dot(&d, &d);
  const double k = zmVec3Dot(p0, p0) - 1;
  if (isZero(a)) {
    if (!isZero(k)) return 0;
    takeHit(t, 0, hit, *p0);
    return 1;
  }
  const double b = 2 * zmVec3Dot(&d, p0);
  const double disc = b * b - 4 * a * k;
  if (disc <= -kEps) return 0;
  double s;
  if (isZero(disc)) {
    s = -b / (2 * a);
    if (isBehind(s) || !nearer(s, t)) return 0;
  } else {
    const double root = std::sqrt(disc);
    s = (-b - root) / (2 * a);
    if (!nearer(s, t)) return 0;
    if (!(s > -kEps)) {
      s = (root - b) / (2 * a);  // the line starts inside: the far side
      if (isBehind(s) || !nearer(s, t)) return 0;
    }
  }
  takeHit(t, s, hit, atParameter(*p0, d, s));
  return 1;
}

// ---- Leaves ---------------------------------------------------------------

namespace {

// One surface test of a shape: the leaf it stands for and how to run it.
struct Surface {
  ZmLeaf* leaf;
  int (*test)(const ZmVec3*, const ZmVec3*, float*, const Surface&, ZmVec3*);
  float radius;   // disc radius, or bottom radius of a side
  float radius2;  // top radius of a side
  float yc;       // disc height
};

int discTest(const ZmVec3* q0, const ZmVec3* q1, float* t, const Surface& s, ZmVec3* hit) {
  return zmIntersectLineAndDisc(q0, q1, t, s.radius, s.yc, hit);
}
int sideTest(const ZmVec3* q0, const ZmVec3* q1, float* t, const Surface& s, ZmVec3* hit) {
  return zmIntersectLineAndFrustumSide(q0, q1, t, s.radius, s.radius2, hit);
}

// Runs the surfaces in order (missing leaves skipped); the first hit
// decides. Maps the hit point back to the world.
int firstSurfaceHit(const ZmLeafFrame& frame, const ZmVec3& q0, const ZmVec3& q1, float* t,
                    std::initializer_list<Surface> surfaces, ZmLeaf** hitLeaf, ZmVec3* hit) {
  ZmVec3 point;
  for (const Surface& surface : surfaces) {
    if (surface.leaf == nullptr) continue;
    if (surface.test(&q0, &q1, t, surface, hit ? &point : nullptr) == 0) continue;
    *hitLeaf = surface.leaf;
    if (hit != nullptr) *hit = frame.out(point);
    return 1;
  }
  return 0;
}

enum class Slope { Rising, Falling, Level };
Slope slopeOf(const ZmVec3& q0, const ZmVec3& q1) {
  if (q0.y + kEps <= q1.y) return Slope::Rising;
  if (q0.y - kEps >= q1.y) return Slope::Falling;
  return Slope::Level;
}

}  // namespace

int zmIntersectLineAndConeLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                               const float scale[3], ZmLeaf** hitLeaf, ZmVec3* hit) {
  ZmLeaf* side = nullptr;
  ZmLeaf* bottom = nullptr;
  float radius = 0, height = 0;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind == ZM_LEAF_CONE_SIDE) {
      side = leaf;
      radius = static_cast<ZmConeSide*>(leaf)->bottom_radius;
      height = static_cast<ZmConeSide*>(leaf)->height;
    } else if (leaf->kind == ZM_LEAF_CONE_BOTTOM) {
      bottom = leaf;
      radius = static_cast<ZmCircle*>(leaf)->radius;
      height = static_cast<ZmCircle*>(leaf)->height;
    } else {
      zmReportError("zmIntersectLineAndConeLeaf: wrong leaf type");
      return 0;
    }
  }
  const ZmLeafFrame frame = axisFrame(wrt, scale, height);
  if (frame.degenerate()) return 0;
  const ZmVec3 q0 = frame.in(p0), q1 = frame.in(p1);
  const Surface bottomDisc = {bottom, discTest, radius, 0, -1};
  const Surface sideSurface = {side, sideTest, radius, 0, 0};
  switch (slopeOf(q0, q1)) {
    case Slope::Rising: return firstSurfaceHit(frame, q0, q1, t, {bottomDisc, sideSurface}, hitLeaf, hit);
    case Slope::Falling: return firstSurfaceHit(frame, q0, q1, t, {sideSurface, bottomDisc}, hitLeaf, hit);
    case Slope::Level: break;
  }
  if (isZero(q0.y + 1) && firstSurfaceHit(frame, q0, q1, t, {bottomDisc}, hitLeaf, hit)) return 1;
  if (-kInner <= q0.y && q0.y < kEnd) return firstSurfaceHit(frame, q0, q1, t, {sideSurface}, hitLeaf, hit);
  return 0;
}

int zmIntersectLineAndCylinderLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* first, const ZmRT* wrt,
                                   const float scale[3], ZmLeaf** hitLeaf, ZmVec3* hit) {
  ZmLeaf* side = nullptr;
  ZmLeaf* bottom = nullptr;
  ZmLeaf* top = nullptr;
  float rBottom = 0, rTop = 0, height = 0;
  for (ZmLeaf* leaf = first; leaf != nullptr; leaf = leaf->next) {
    if (leaf->kind == ZM_LEAF_CYLINDER_SIDE) {
      const ZmCylinderSide* cylinder = static_cast<ZmCylinderSide*>(leaf);
      side = leaf;
      rBottom = cylinder->bottom_radius;
      rTop = cylinder->top_radius;
      height = cylinder->height;
    } else if (leaf->kind == ZM_LEAF_CYLINDER_BOTTOM) {
      bottom = leaf;
      rBottom = static_cast<ZmCircle*>(leaf)->radius;
      height = static_cast<ZmCircle*>(leaf)->height;
    } else if (leaf->kind == ZM_LEAF_CYLINDER_TOP) {
      top = leaf;
      rTop = static_cast<ZmCircle*>(leaf)->radius;
      height = static_cast<ZmCircle*>(leaf)->height;
    } else {
      zmReportError("zmIntersectLineAndCylinderLeaf: wrong leaf type");
      return 0;
    }
  }
  const ZmLeafFrame frame = axisFrame(wrt, scale, height);
  if (frame.degenerate()) return 0;
  const ZmVec3 q0 = frame.in(p0), q1 = frame.in(p1);
  const Surface bottomCap = {bottom, discTest, rBottom, 0, -1};
  const Surface sideSurface = {side, sideTest, rBottom, rTop, 0};
  const Surface topCap = {top, discTest, rTop, 0, 1};
  switch (slopeOf(q0, q1)) {
    case Slope::Rising: return firstSurfaceHit(frame, q0, q1, t, {bottomCap, sideSurface, topCap}, hitLeaf, hit);
    case Slope::Falling: return firstSurfaceHit(frame, q0, q1, t, {topCap, sideSurface, bottomCap}, hitLeaf, hit);
    case Slope::Level: break;
  }
  if (isZero(q0.y + 1) && firstSurfaceHit(frame, q0, q1, t, {bottomCap}, hitLeaf, hit)) return 1;
  if (-kInner <= q0.y && q0.y <= kInner && firstSurfaceHit(frame, q0, q1, t, {sideSurface}, hitLeaf, hit)) return 1;
  if (isZero(q0.y - 1)) return firstSurfaceHit(frame, q0, q1, t, {topCap}, hitLeaf, hit);
  return 0;
}

int zmIntersectLineAndSphereLeaf(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf* sphere, const ZmRT* wrt,
                                 const float scale[3], ZmVec3* hit) {
  const float r = static_cast<ZmSphere*>(sphere)->radius;
  const ZmLeafFrame frame(wrt, scale[0] * r, scale[1] * r, scale[2] * r);
  if (frame.degenerate()) return 0;
  const ZmVec3 q0 = frame.in(p0), q1 = frame.in(p1);
  ZmVec3 point;
  if (zmIntersectLineAndUnitSphere(&q0, &q1, t, hit ? &point : nullptr) == 0) return 0;
  if (hit != nullptr) *hit = frame.out(point);
  return 1;
}

int zmIntersectLineAndBoundingSphere(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj* obj, float factor,
                                     ZmVec3* hit) {
  ZmVec3 centre;
  float radius;
  if (zmGetBoundingSphere(obj, &centre, &radius) == 0) return 0;
  radius *= factor;
  if (radius == 0) return 0;
  ZmRT inverse;
  zmRTInvert(zmGetWRT(obj), &inverse);
  auto toUnit = [&](const ZmVec3* p) {
    ZmVec3 q;
    zmRTTransformPoint(&inverse, p, &q);
    return ZmVec3{(q.x - centre.x) / radius, (q.y - centre.y) / radius, (q.z - centre.z) / radius};
  };
  const ZmVec3 q0 = toUnit(p0), q1 = toUnit(p1);
  float held = t ? *t : ZM_NO_HIT;
  ZmVec3 point;
  if (zmIntersectLineAndUnitSphere(&q0, &q1, &held, &point) == 0) return 0;
  if (t != nullptr) *t = held;
  if (hit != nullptr) {
    *hit = {point.x * radius + centre.x, point.y * radius + centre.y, point.z * radius + centre.z};
    zmRTTransformPointSelf(zmGetWRT(obj), hit);
  }
  return 1;
}

// ---- Objects --------------------------------------------------------------

int zmIntersectLineAndLeafObj(const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj* obj, ZmLeaf** hitLeaf,
                              int32_t* part, ZmVec3* hit) {
  ZmLeaf* first = obj->leaf;
  if (first == nullptr) {
    zmReportWarning("zmIntersectLineAndLeafObj: not a shape object");
    return 0;
  }
  float held = t ? *t : ZM_NO_HIT;
  ZmLeaf* leaf = first;
  int32_t number = 0;
  const ZmRT* wrt = zmGetWRT(obj);
  int found = 0;
  switch (first->kind) {
    case ZM_LEAF_ASCII_TEXT:
      found = zmIntersectLineAndObjBoundingCube(p0, p1, &held, obj, hit);
      break;
    case ZM_LEAF_CONE_SIDE:
    case ZM_LEAF_CONE_BOTTOM:
      found = zmIntersectLineAndConeLeaf(p0, p1, &held, first, wrt, obj->scale, &leaf, hit);
      break;
    case ZM_LEAF_CYLINDER_SIDE:
    case ZM_LEAF_CYLINDER_BOTTOM:
    case ZM_LEAF_CYLINDER_TOP:
      found = zmIntersectLineAndCylinderLeaf(p0, p1, &held, first, wrt, obj->scale, &leaf, hit);
      break;
    case ZM_LEAF_FACE:
      found = zmIntersectLineAndFaceLeaf(p0, p1, &held, first, wrt, obj->scale, &leaf, hit);
      break;
    case ZM_LEAF_LINE:
      found = zmIntersectLineAndLineLeaf(p0, p1, &held, first, wrt, obj->scale, &leaf, &number, hit);
      break;
    case ZM_LEAF_POINT_SET:
      found = zmIntersectLineAndPointSetLeaf(p0, p1, &held, first, wrt, obj->scale, &number, hit);
      break;
    case ZM_LEAF_SPHERE:
      found = zmIntersectLineAndSphereLeaf(p0, p1, &held, first, wrt, obj->scale, hit);
      break;
    case ZM_LEAF_POINT_LIGHT:
    case ZM_LEAF_SPOT_LIGHT:
    case ZM_LEAF_DIRECTIONAL_LIGHT:
    case ZM_LEAF_ORTHOGRAPHIC_CAMERA:
    case ZM_LEAF_PERSPECTIVE_CAMERA:
    case ZM_LEAF_SOUND:
      return 0;
    default:
      zmReportWarning("zmIntersectLineAndLeafObj: unknown leaf type");
      return 0;
  }
  if (found == 0) return 0;
  if (t != nullptr) *t = held > 0 ? held : 0;
  if (hitLeaf != nullptr) *hitLeaf = leaf;
  if (part != nullptr) *part = number;
  return 1;
}

// A top object's parent-frame box is a world-axis box around its own box:
// a line that misses it, widened by far more than the tests' tolerance so
// that no hit the exact test would take is lost, cannot meet the object.
// Worlds of many top objects answer most of a search with this slab test
// instead of the exact one in each object's frame.
static bool missesTopObjWorldBox(ZmObj* obj, const ZmVec3& p0, const ZmVec3& p1) {
  if (obj->parent != nullptr) return false;
  const ZmBoundingCube* cube = zmGetBoundingCube(obj);
  if (cube == nullptr) return false;
  const float from[3] = {p0.x, p0.y, p0.z};
  const float way[3] = {p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
  const float low[3] = {cube->p_local_min.x, cube->p_local_min.y, cube->p_local_min.z};
  const float high[3] = {cube->p_local_max.x, cube->p_local_max.y, cube->p_local_max.z};
  double enter = -1e-3, leave = HUGE_VAL;
  for (int i = 0; i < 3; ++i) {
    const double margin = 1e-3 + 1e-5 * (std::fabs(low[i]) + std::fabs(high[i]));
    const double lo = low[i] - margin, hi = high[i] + margin;
    if (way[i] == 0.0f) {
      if (from[i] < lo || from[i] > hi) return true;
      continue;
    }
    double a = (lo - from[i]) / way[i], b = (hi - from[i]) / way[i];
    if (a > b) std::swap(a, b);
    enter = std::fmax(enter, a);
    leave = std::fmin(leave, b);
    if (enter > leave) return true;
  }
  return false;
}

void zmIntersectLineAndObjTree(ZmObj* obj, const ZmVec3* p0, const ZmVec3* p1, float* t, ZmObj** hitObj,
                               ZmLeaf** hitLeaf, int32_t* part, ZmVec3* hit) {
  if (missesTopObjWorldBox(obj, *p0, *p1)) return;
  float entry = *t;
  ZmVec3 entryPoint;
  if (zmIntersectLineAndObjBoundingCube(p0, p1, &entry, obj, &entryPoint) == 0) return;
  if (*t != ZM_NO_HIT && *t <= entry) return;  // the box begins no nearer than the held hit
  if (obj->child != nullptr) {
    if (obj->vrmlType == ZM_VRML_SWITCH || obj->vrmlType == ZM_VRML_LOD) {
      const int32_t n = coreViewer().getSwitchObjNo(obj);
      if (n != -3) {
        if (ZmObj* child = coreViewer().getSwitchObjByNo(obj, n))
          zmIntersectLineAndObjTree(child, p0, p1, t, hitObj, hitLeaf, part, hit);
        return;
      }
    }
    for (ZmChildList* node = obj->child; node != nullptr; node = node->next) {
      zmIntersectLineAndObjTree(node->object, p0, p1, t, hitObj, hitLeaf, part, hit);
    }
    return;
  }
  if (obj->leaf != nullptr) {
    if (zmIntersectLineAndLeafObj(p0, p1, t, obj, hitLeaf, part, hit)) *hitObj = obj;
    return;
  }
  *hitObj = obj;
  *hitLeaf = nullptr;
  *part = 0;
  *t = entry;
  *hit = entryPoint;
}

// The nearest hit over the top objects, passing over `skipped`.
static ZmObj* searchTopObjects(ZmWorld* world, ZmObj* skipped, const ZmVec3* p0, const ZmVec3* p1, float* t,
                               ZmLeaf** hitLeaf, int32_t* part, ZmVec3* hit) {
  float held = t ? *t : ZM_NO_HIT;
  ZmObj* hitObj = nullptr;
  for (ZmTopObjList* node = world->topObjects; node != nullptr; node = node->next) {
    if (node->object == skipped) continue;
    zmIntersectLineAndObjTree(node->object, p0, p1, &held, &hitObj, hitLeaf, part, hit);
  }
  if (t != nullptr) *t = held;
  return hitObj;
}

ZmObj* zmIntersectLineAndTopObjs(ZmWorld* world, const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf** hitLeaf,
                                 int32_t* part, ZmVec3* hit) {
  return searchTopObjects(world, nullptr, p0, p1, t, hitLeaf, part, hit);
}

ZmObj* zmFindZmObjByPerson(ZmWorld* world, const ZmVec3* p0, const ZmVec3* p1, float* t, ZmLeaf** hitLeaf,
                           int32_t* part, ZmVec3* hit) {
  if (world == nullptr) {
    zmReportWarning("zmFindZmObjByPerson: world is NULL");
    return nullptr;
  }
  ZmObj* avatarTop = world->person;
  while (avatarTop != nullptr && avatarTop->parent != nullptr) avatarTop = avatarTop->parent;
  return searchTopObjects(world, avatarTop, p0, p1, t, hitLeaf, part, hit);
}
