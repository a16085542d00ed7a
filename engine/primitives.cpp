// engine/primitives.cpp -- tessellation of the modelling primitives.
#include "engine/primitives.h"

#include <array>
#include <cstdint>

#include "engine/clump.h"
#include "engine/error.h"
#include "engine/matrix.h"
#include "engine/modelling.h"
#include "engine/polygon.h"

namespace {

int fail(int number) {
  RwSetError(number);
  return 0;
}

bool countsFit(int64_t vertices, int64_t polygons) {
  return vertices <= rwLargestPrimitiveCount && polygons <= rwLargestPrimitiveCount;
}

// A part clump under construction. The CTM is pushed for its lifetime, so a
// primitive may change it freely while it makes vertices.
class PartBuilder {
 public:
  PartBuilder(int64_t vertices, int64_t polygons)
      : pushed_(RwPushCTM() != nullptr),
        clump_(pushed_ ? RwCreateClump(static_cast<intptr_t>(vertices), static_cast<intptr_t>(polygons)) : nullptr) {}
  ~PartBuilder() {
    if (clump_) RwDestroyClump(clump_);
    if (pushed_) RwPopCTM();
  }
  PartBuilder(const PartBuilder&) = delete;
  PartBuilder& operator=(const PartBuilder&) = delete;

  bool ready() const { return clump_ != nullptr; }

  // The point through the CTM; false when the vertex could not be added.
  bool vertex(float x, float y, float z) {
    RwVector point = {x, y, z};
    RwTransformPoint(&point, RwGetCTM());
    intptr_t index = RwAddModelVertexToClump(clump_, point.x, point.y, point.z);
    if (!index) return false;
    RwVertexAt(clump_->vertexArray, index)->flags |= rwVertexDeferred;
    return true;
  }

  bool polygon(std::initializer_list<int32_t> indices) {
    std::array<int32_t, 4> list{};
    intptr_t count = 0;
    for (int32_t index : indices) list[count++] = index;
    return RwAddModelPolygonToClump(clump_, count, list.data()) != nullptr;
  }

  // Hands the part to the current definition. Its vertices are already
  // through the CTM, so the CTM becomes the identity first.
  bool addToDefinition() {
    RwIdentityMatrix(RwGetCTM());
    if (!RwAddModellingPart(clump_, 0)) return false;
    clump_ = nullptr;
    return true;
  }

 private:
  bool pushed_;
  RwClump* clump_;
};

// ---- block

constexpr int blockQuads[6][4] = {{1, 0, 2, 3}, {4, 5, 7, 6}, {2, 6, 7, 3}, {0, 1, 5, 4}, {0, 4, 6, 2}, {5, 1, 3, 7}};

bool buildBlock(PartBuilder& part, float width, float height, float depth) {
  RwScaleMatrix(RwGetCTM(), width / 2, height / 2, depth / 2, RwPreConcat);
  for (int corner = 0; corner < 8; ++corner) {
    if (!part.vertex(corner & 1 ? 1.0f : -1.0f, corner & 2 ? 1.0f : -1.0f, corner & 4 ? 1.0f : -1.0f)) return false;
  }
  for (const auto& quad : blockQuads) {
    if (!part.polygon({quad[0] + 1, quad[1] + 1, quad[2] + 1, quad[3] + 1})) return false;
  }
  return true;
}

// ---- rings turned about the y axis

// Makes `facets` steps of 360 / facets degrees about the axis whose sign
// follows `radius`, calling make() before each step.
template <typename Make>
bool turnRing(float radius, intptr_t facets, Make make) {
  float step = 360.0f / static_cast<float>(facets);
  for (intptr_t i = 0; i < facets; ++i) {
    if (!make()) return false;
    if (!RwRotateMatrix(RwGetCTM(), 0.0f, radius, 0.0f, step, RwPreConcat)) return false;
  }
  return true;
}

int32_t wrap(intptr_t index, intptr_t count) { return static_cast<int32_t>(index % count); }

bool buildCylinder(PartBuilder& part, float height, float r0, float r1, intptr_t n) {
  if (!RwPushCTM()) return false;
  bool ok = turnRing(r0, n, [&] { return part.vertex(r0, 0, 0) && part.vertex(r1, height, 0); });
  RwPopCTM();
  for (intptr_t i = 0; i < n && ok; ++i) {
    int32_t bottom = 2 * wrap(i, n) + 1, nextBottom = 2 * wrap(i + 1, n) + 1;
    ok = part.polygon({bottom, nextBottom, nextBottom + 1, bottom + 1});
  }
  return ok;
}

bool buildCone(PartBuilder& part, float height, float radius, intptr_t n) {
  if (!part.vertex(0, height, 0) || !RwPushCTM()) return false;
  bool ok = turnRing(radius, n, [&] { return part.vertex(radius, 0, 0); });
  RwPopCTM();
  for (intptr_t i = 0; i < n && ok; ++i) ok = part.polygon({1, wrap(i, n) + 2, wrap(i + 1, n) + 2});
  return ok;
}

// ---- sphere

// A ring of the subdivided octahedron: 4 edges of `perEdge` points each, or
// the pole (perEdge 0) as a ring of one point. `first` is its first vertex.
struct Ring {
  int32_t first;
  intptr_t perEdge;
  int32_t at(intptr_t edge, intptr_t t) const {
    if (perEdge == 0) return first;
    return first + wrap(edge * perEdge + t, 4 * perEdge);
  }
  int32_t size() const { return perEdge == 0 ? 1 : static_cast<int32_t>(4 * perEdge); }
};

// The ring at height y whose edges hold `perEdge` points, walked from -x
// towards +z, +x and -z, each step 1/n along both moving coordinates.
bool makeRing(PartBuilder& part, float y, intptr_t perEdge, intptr_t n) {
  float m = static_cast<float>(perEdge) / static_cast<float>(n);
  const float starts[4][2] = {{-m, 0}, {0, m}, {m, 0}, {0, -m}};
  const float moves[4][2] = {{1, 1}, {1, -1}, {-1, -1}, {-1, 1}};
  for (int edge = 0; edge < 4; ++edge) {
    for (intptr_t t = 0; t < perEdge; ++t) {
      float along = static_cast<float>(t) / static_cast<float>(n);
      RwVector point = {starts[edge][0] + moves[edge][0] * along, y, starts[edge][1] + moves[edge][1] * along};
      RwNormalize(&point);
      if (!part.vertex(point.x, point.y, point.z)) return false;
    }
  }
  return true;
}

// Joins two rings edge by edge; `upper` lies above `lower` and their points
// per edge differ by one. Every triangle winds counter-clockwise seen from
// outside.
bool joinRings(PartBuilder& part, const Ring& upper, const Ring& lower) {
  for (intptr_t edge = 0; edge < 4; ++edge) {
    if (upper.perEdge < lower.perEdge) {
      for (intptr_t t = 0; t < lower.perEdge; ++t) {
        if (!part.polygon({upper.at(edge, t), lower.at(edge, t), lower.at(edge, t + 1)})) return false;
        if (t + 1 < lower.perEdge && !part.polygon({upper.at(edge, t + 1), upper.at(edge, t), lower.at(edge, t + 1)})) {
          return false;
        }
      }
    } else {
      for (intptr_t t = 0; t < upper.perEdge; ++t) {
        if (!part.polygon({upper.at(edge, t + 1), upper.at(edge, t), lower.at(edge, t)})) return false;
        if (t + 1 < upper.perEdge && !part.polygon({upper.at(edge, t + 1), lower.at(edge, t), lower.at(edge, t + 1)})) {
          return false;
        }
      }
    }
  }
  return true;
}

// The north pole and the rings down to the equator, then (whole sphere) the
// southern rings and the south pole, each ring joined to the one above.
bool buildSphere(PartBuilder& part, float radius, intptr_t n, bool whole) {
  RwScaleMatrix(RwGetCTM(), radius, radius, radius, RwPreConcat);
  if (!part.vertex(0, 1, 0)) return false;
  Ring above = {1, 0};
  auto addRing = [&](float y, intptr_t perEdge) {
    Ring ring = {above.first + above.size(), perEdge};
    bool ok = (perEdge == 0 ? part.vertex(0, -1, 0) : makeRing(part, y, perEdge, n)) && joinRings(part, above, ring);
    above = ring;
    return ok;
  };
  float steps = static_cast<float>(n);
  for (intptr_t k = n - 1; k >= 0; --k) {
    if (!addRing(static_cast<float>(k) / steps, n - k)) return false;
  }
  if (!whole) return true;
  for (intptr_t k = 1; k < n; ++k) {
    if (!addRing(-static_cast<float>(k) / steps, n - k)) return false;
  }
  return addRing(-1, 0);
}

// Runs a build on a fresh part and hands the part over when it succeeds.
template <typename Build>
int buildPart(int64_t vertices, int64_t polygons, Build build) {
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  PartBuilder part(vertices, polygons);
  if (!part.ready() || !build(part)) return 0;
  return part.addToDefinition() ? 1 : 0;
}

}  // namespace

int RwBlock(float width, float height, float depth) {
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  if (width == 0.0f || height == 0.0f || depth == 0.0f) return 0;
  return buildPart(8, 6, [&](PartBuilder& part) { return buildBlock(part, width, height, depth); });
}

int RwCylinder(float height, float bottomRadius, float topRadius, intptr_t facets) {
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  bool sameSign = (bottomRadius > 0 && topRadius > 0) || (bottomRadius < 0 && topRadius < 0);
  if (facets <= 2 || !sameSign) return fail(rwErrBadCount);
  if (!countsFit(2 * int64_t{facets}, facets)) return fail(rwErrTooManyVertices);
  return buildPart(2 * facets, facets,
                   [&](PartBuilder& part) { return buildCylinder(part, height, bottomRadius, topRadius, facets); });
}

int RwCone(float height, float radius, intptr_t facets) {
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  if (facets < 3 || radius == 0.0f || radius != radius) return fail(rwErrBadCount);
  if (!countsFit(int64_t{facets} + 1, facets)) return fail(rwErrTooManyVertices);
  return buildPart(facets + 1, facets, [&](PartBuilder& part) { return buildCone(part, height, radius, facets); });
}

int RwDisc(float height, float radius, intptr_t facets) {
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  if (!RwPushCTM()) return 0;
  RwTranslateMatrix(RwGetCTM(), 0, height, 0, RwPreConcat);
  int result = RwCone(0, radius, facets);
  RwPopCTM();
  return result;
}

int RwSphere(float radius, intptr_t subdivision) {
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  int64_t n = subdivision;
  if (n < 0 || radius == 0.0f || radius != radius) return fail(rwErrBadCount);
  // n is checked alone first, so that n * n cannot overflow.
  if (n > rwLargestPrimitiveCount || !countsFit(4 * n * n + 2, 8 * n * n)) return fail(rwErrTooManyVertices);
  if (n == 0) return RwBlock(radius, radius, radius);
  return buildPart(4 * n * n + 2, 8 * n * n,
                   [&](PartBuilder& part) { return buildSphere(part, radius, subdivision, true); });
}

int RwHemisphere(float radius, intptr_t subdivision) {
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  int64_t n = subdivision;
  if (n < 1 || radius == 0.0f || radius != radius) return fail(rwErrBadCount);
  if (n > rwLargestPrimitiveCount || !countsFit(2 * n * n + 2 * n + 1, 4 * n * n))
    return fail(rwErrTooManyVertices);
  return buildPart(2 * n * n + 2 * n + 1, 4 * n * n,
                   [&](PartBuilder& part) { return buildSphere(part, radius, subdivision, false); });
}
