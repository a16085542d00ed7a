// engine/triangulate.cpp -- ear cutting of polygons into triangles.
//
// The polygon's corners form a ring. Each corner keeps its ear data: how
// much it turns the polygon's way (the sine of its angle, positive when
// convex), the worst angle of the triangle it would cut off, and two edge
// planes giving barycentric coordinates inside that triangle. The ear with
// the best worst angle that holds no reflex corner is cut off, the ring
// shrinks, and the two neighbours are measured again.
#include "engine/triangulate.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/device.h"
#include "engine/error.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/pool.h"

namespace {

struct EdgePlane {
  RwVector normal;
  float offset;
};

struct RingNode {
  intptr_t previous;
  intptr_t next;
  RwVertex* vertex;
  float convexity;   // sine of the corner's turn along the polygon's normal
  float quality;     // smallest sine of the ear triangle's three corners
  EdgePlane planes[2];  // 1 at the ear's far corners: towards previous, towards next
  bool linked;
};

// The ring's storage, kept between calls and grown on demand.
struct RingStorage {
  RingNode* nodes = nullptr;
  intptr_t capacity = 0;

  RingNode& operator[](intptr_t index) { return nodes[index]; }
};
RingStorage ring;

// The polygon being cut.
struct Cut {
  RwVector normal;
  bool planar;
  intptr_t linked;  // nodes left in the ring
};

bool reserveRing(intptr_t nodes) {
  if (nodes <= ring.capacity) return true;
  auto* grown = static_cast<RingNode*>(RwEngineRealloc(ring.nodes, static_cast<size_t>(nodes) * sizeof(RingNode)));
  if (!grown) return false;
  ring.nodes = grown;
  ring.capacity = nodes;
  return true;
}

bool samePosition(const RingNode& a, const RingNode& b) {
  return a.vertex->model.x == b.vertex->model.x && a.vertex->model.y == b.vertex->model.y &&
         a.vertex->model.z == b.vertex->model.z;
}

void unlink(Cut& cut, intptr_t node) {
  ring[ring[node].previous].next = ring[node].next;
  ring[ring[node].next].previous = ring[node].previous;
  ring[node].linked = false;
  --cut.linked;
}

// Unit edge from a to b, first flattened into the polygon's plane when the
// polygon is not planar.
RwVector edge(const Cut& cut, const RwVertex* a, const RwVertex* b) {
  RwVector e;
  RwSubtractVector(&b->model, &a->model, &e);
  if (!cut.planar) RwAddScaledVector(&e, &cut.normal, -RwDotProduct(&e, &cut.normal), &e);
  RwNormalize(&e);
  return e;
}

// Sine of the turn from edge `in` to edge `out` along the polygon's normal.
float turn(const Cut& cut, const RwVector& in, const RwVector& out) {
  RwVector cross;
  RwCrossProduct(&in, &out, &cross);
  return RwDotProduct(&cross, &cut.normal);
}

// The plane through `at`, perpendicular to the polygon, with `far` at 1
// when it lies on its positive side.
EdgePlane edgePlane(const RwVector& normal, const RwVector& at, const RwVector& far) {
  EdgePlane plane = {normal, -RwDotProduct(&normal, &at)};
  float farValue = RwDotProduct(&plane.normal, &far) + plane.offset;
  if (farValue > 0) {
    RwScaleVector(&plane.normal, 1.0f / farValue, &plane.normal);
    plane.offset /= farValue;
  }
  return plane;
}

float planeValue(const EdgePlane& plane, const RwVector& point) {
  return RwDotProduct(&plane.normal, &point) + plane.offset;
}

// Coincident neighbours (and zero-length edges next to the corner) leave the
// ring before the corner is measured.
void dropCoincidentNeighbours(Cut& cut, intptr_t node) {
  while (cut.linked >= 3) {
    RingNode& corner = ring[node];
    intptr_t next = corner.next;
    intptr_t previous = corner.previous;
    if (samePosition(ring[next], corner) || samePosition(ring[next], ring[ring[next].next])) {
      unlink(cut, next);
    } else if (samePosition(ring[previous], corner) || samePosition(ring[previous], ring[ring[previous].previous])) {
      unlink(cut, previous);
    } else {
      return;
    }
  }
}

void measureEar(Cut& cut, intptr_t node) {
  dropCoincidentNeighbours(cut, node);
  if (cut.linked < 3) return;
  RingNode& corner = ring[node];
  const RwVertex* u = ring[corner.previous].vertex;
  const RwVertex* v = corner.vertex;
  const RwVertex* w = ring[corner.next].vertex;
  RwVector uv = edge(cut, u, v);
  RwVector vw = edge(cut, v, w);
  RwVector wu = edge(cut, w, u);
  corner.convexity = turn(cut, uv, vw);
  corner.quality = std::min({corner.convexity, turn(cut, wu, uv), turn(cut, vw, wu)});

  RwVector towardsNext, towardsPrevious, normal;
  RwSubtractVector(&w->model, &v->model, &towardsNext);
  RwSubtractVector(&u->model, &v->model, &towardsPrevious);
  corner.planes[0] = edgePlane(*RwCrossProduct(&cut.normal, &towardsNext, &normal), v->model, u->model);
  corner.planes[1] = edgePlane(*RwCrossProduct(&towardsPrevious, &cut.normal, &normal), v->model, w->model);
}

bool insideEar(const RingNode& corner, const RwVector& point) {
  float s = planeValue(corner.planes[0], point);
  float t = planeValue(corner.planes[1], point);
  return s >= 0 && s <= 1 && t >= 0 && t <= 1 && s + t <= 1;
}

bool earIsEmpty(intptr_t node) {
  const RingNode& corner = ring[node];
  for (intptr_t other = ring[corner.next].next; other != corner.previous; other = ring[other].next) {
    if (ring[other].convexity <= rwReflexTolerance && insideEar(corner, ring[other].vertex->model)) return false;
  }
  return true;
}

// The best ear in ring order from `start` (the first keeps a tie), or -1.
intptr_t chooseEar(intptr_t start) {
  intptr_t best = -1;
  float bestQuality = -std::numeric_limits<float>::infinity();
  intptr_t node = start;
  do {
    const RingNode& corner = ring[node];
    if (corner.convexity >= 0 && corner.quality > bestQuality && earIsEmpty(node)) {
      best = node;
      bestQuality = corner.quality;
    }
    node = corner.next;
  } while (node != start);
  return best;
}

bool wholeIsDrawable(const Cut& cut, intptr_t vertexCount) {
  if (!cut.planar || vertexCount > rwDeviceRecord.maxPolygonVertices) return false;
  for (intptr_t i = 0; i < vertexCount; ++i) {
    if (ring[i].linked && ring[i].convexity < rwConvexTolerance) return false;
  }
  return true;
}

// Cuts the ear at `node` off as a triangle at the head of the chain.
bool cutEar(RwPolygon* polygon, const Cut& cut, intptr_t node) {
  const RingNode& corner = ring[node];
  RwPolygon* triangle = RwCreateTriangle(ring[corner.previous].vertex, corner.vertex, ring[corner.next].vertex);
  if (!triangle) return false;
  if (cut.planar) std::copy(polygon->normal, polygon->normal + 3, triangle->normal);
  triangle->parent = polygon;
  triangle->nextCut = polygon->nextCut;
  polygon->nextCut = triangle;
  return true;
}

void dropChain(RwPolygon* polygon) {
  while (RwPolygon* triangle = polygon->nextCut) {
    polygon->nextCut = triangle->nextCut;
    RwFreePolygonRecord(triangle);
  }
}

Cut startRing(RwPolygon* polygon) {
  intptr_t n = polygon->vertexCount;
  for (intptr_t i = 0; i < n; ++i) {
    ring[i] = {};
    ring[i].previous = (i + n - 1) % n;
    ring[i].next = (i + 1) % n;
    ring[i].vertex = polygon->vertices[i];
    ring[i].linked = true;
  }
  // The plane as the polygon record computes it: centre and fan normal.
  Cut cut = {{0, 0, 0}, true, n};
  RwVector centre = {0, 0, 0};
  for (intptr_t i = 0; i < n; ++i) RwAddVector(&centre, &ring[i].vertex->model, &centre);
  RwScaleVector(&centre, 1.0f / static_cast<float>(n), &centre);
  const RwVector& first = ring[0].vertex->model;
  for (intptr_t i = 1; i + 1 < n; ++i) {
    RwVector a, b, cross;
    RwSubtractVector(&ring[i].vertex->model, &first, &a);
    RwSubtractVector(&ring[i + 1].vertex->model, &first, &b);
    RwAddVector(&cut.normal, RwCrossProduct(&a, &b, &cross), &cut.normal);
  }
  RwNormalize(&cut.normal);
  float offset = -RwDotProduct(&cut.normal, &centre);
  for (intptr_t i = 0; i < n; ++i) {
    float distance = RwDotProduct(&cut.normal, &ring[i].vertex->model) + offset;
    if (distance < -rwPlanarTolerance || distance > rwPlanarTolerance) cut.planar = false;
  }
  return cut;
}

intptr_t firstLinked(intptr_t count) {
  for (intptr_t i = 0; i < count; ++i) {
    if (ring[i].linked) return i;
  }
  return 0;
}

}  // namespace

intptr_t RwCutPolygon(RwPolygon* polygon) {
  intptr_t n = polygon->vertexCount;
  if (n < 4) return 0;
  if (!reserveRing(n)) {
    RwSetError(rwErrOutOfMemory);
    return -1;
  }
  Cut cut = startRing(polygon);
  for (intptr_t i = 0; i < n; ++i) {
    if (ring[i].linked) measureEar(cut, i);
  }
  if (wholeIsDrawable(cut, n)) return 0;

  intptr_t triangles = 0;
  while (cut.linked >= 3) {
    intptr_t ear = chooseEar(firstLinked(n));
    if (ear < 0) break;
    if (!cutEar(polygon, cut, ear)) {
      dropChain(polygon);
      return -1;
    }
    ++triangles;
    intptr_t previous = ring[ear].previous;
    intptr_t next = ring[ear].next;
    unlink(cut, ear);
    if (cut.linked < 3) break;
    measureEar(cut, previous);
    if (ring[next].linked) measureEar(cut, next);
  }
  return triangles;
}

void RwFreeCuttingRing() {
  RwEngineFree(ring.nodes);
  ring = {};
}
