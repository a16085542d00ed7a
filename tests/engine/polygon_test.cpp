// Clump geometry: vertex arrays and their growth, polygon records, cutting
// into triangles on the null and recording devices, derived vertex data,
// copy-on-write materials and reversal.
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "engine/clump.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/ptrarray.h"
#include "engine_fixture.h"

namespace {

using Geometry = OpenEngine;

RwClump* clumpWith(const std::vector<RwVector>& points, intptr_t room = 0) {
  RwClump* clump = RwCreateClump(room, 0);
  for (const RwVector& p : points) RwAddVertexToClump(clump, p.x, p.y, p.z);
  return clump;
}

std::vector<int32_t> indicesOf(const RwPolygon* polygon) {
  std::vector<int32_t> indices(polygon->vertexCount);
  RwGetPolygonVertexIndices(polygon, indices.data());
  return indices;
}

RwPolygon* drawable(RwClump* clump, uintptr_t i) {
  return static_cast<RwPolygon*>(RwPtrArrayEntry(clump->drawablePolygons, i));
}

float triangleArea(const RwPolygon* t) {
  RwVector a, b, cross;
  RwSubtractVector(&t->vertices[1]->model, &t->vertices[0]->model, &a);
  RwSubtractVector(&t->vertices[2]->model, &t->vertices[0]->model, &b);
  RwCrossProduct(&a, &b, &cross);
  return std::sqrt(RwDotProduct(&cross, &cross)) / 2;
}

float drawnArea(RwClump* clump) {
  float area = 0;
  for (uintptr_t i = 0; i < clump->drawablePolygons->count; ++i) area += triangleArea(drawable(clump, i));
  return area;
}

// The polygons a caller adds, as vertex positions in drawing order.
const std::vector<RwVector> planarQuad = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
const std::vector<RwVector> lShape = {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}};
const std::vector<RwVector> bentQuad = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.01f}};

RwPolygon* addWhole(RwClump* clump, intptr_t count) {
  std::vector<int32_t> indices(count);
  for (intptr_t i = 0; i < count; ++i) indices[i] = static_cast<int32_t>(i + 1);
  return RwAddPolygonToClump(clump, count, indices.data());
}

TEST_F(Geometry, VertexIndicesAndCorners) {
  RwClump* clump = RwCreateClump(0, 0);
  RwVector p;
  ASSERT_NE(RwGetVertexPosition(clump, -1, &p), nullptr);
  EXPECT_EQ(p.x, 3.4028235e38f);
  RwGetVertexPosition(clump, -6, &p);
  EXPECT_EQ(p.x, -3.4028235e38f);

  EXPECT_EQ(RwAddVertexToClump(clump, 1, -2, 3), 1);
  EXPECT_EQ(RwAddVertexToClump(clump, -1, 2, 5), 2);
  EXPECT_EQ(RwGetClumpNumVertices(clump), 2);
  EXPECT_EQ(RwGetClumpFlags(clump), rwHiddenSurface | rwEditable);
  RwGetVertexPosition(clump, -1, &p);
  EXPECT_EQ(p.x, -1);
  EXPECT_EQ(p.y, -2);
  EXPECT_EQ(p.z, 3);
  RwGetVertexPosition(clump, -6, &p);
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.z, 5);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 2)->u, 32512);

  for (intptr_t bad : {intptr_t{-8}, intptr_t{3}}) {
    EXPECT_EQ(RwGetVertexPosition(clump, bad, &p), nullptr);
    EXPECT_EQ(RwGetAndClearError(), rwErrVertexIndex);
  }
  RwDestroyClump(clump);
}

TEST_F(Geometry, GrowingTheArrayKeepsEveryPolygonOnItsPositions) {
  RwClump* clump = RwCreateClump(0, 0);
  EXPECT_EQ(clump->vertexArray->capacity, 24);
  for (int i = 0; i < 16; ++i) RwAddVertexToClump(clump, static_cast<float>(i), static_cast<float>(i * i), 0);
  // A fan of triangles over the first 16 vertices.
  std::vector<RwPolygon*> polygons;
  for (int32_t i = 2; i < 16; ++i) {
    const int32_t triangle[] = {1, i, i + 1};
    polygons.push_back(RwAddPolygonToClump(clump, 3, triangle));
  }
  std::vector<std::vector<RwVector>> before;
  for (RwPolygon* polygon : polygons) {
    std::vector<RwVector> positions;
    for (uint32_t k = 0; k < polygon->vertexCount; ++k) positions.push_back(polygon->vertices[k]->model);
    before.push_back(positions);
  }

  EXPECT_EQ(RwAddVertexToClump(clump, 100, 100, 100), 17);
  EXPECT_EQ(clump->vertexArray->capacity, 44);
  EXPECT_EQ(clump->vertexArray->owner, clump);
  RwVertexArray* array = clump->vertexArray;
  for (size_t i = 0; i < polygons.size(); ++i) {
    for (uint32_t k = 0; k < polygons[i]->vertexCount; ++k) {
      const RwVertex* vertex = polygons[i]->vertices[k];
      ASSERT_GE(vertex, array->vertices);
      ASSERT_LT(vertex, array->vertices + array->count);
      EXPECT_EQ(vertex->model.x, before[i][k].x);
      EXPECT_EQ(vertex->model.y, before[i][k].y);
    }
  }
  EXPECT_EQ(RwVertexAt(array, 1)->polygonCount, 14u);  // lists moved with their vertices
  for (int i = 0; i < 30; ++i) RwAddVertexToClump(clump, 0, 0, static_cast<float>(i));
  EXPECT_EQ(RwGetClumpNumVertices(clump), 47);
  EXPECT_EQ(indicesOf(polygons[0]), (std::vector<int32_t>{1, 2, 3}));
  RwDestroyClump(clump);
}

TEST_F(Geometry, RepeatedIndicesAreRemoved) {
  RwClump* clump = clumpWith(planarQuad);
  struct Case {
    std::vector<int32_t> given;
    std::vector<int32_t> kept;  // empty: not made
  };
  const Case cases[] = {
      {{1, 2, 2, 3, 1}, {1, 2, 3}},
      {{1, 1, 2}, {}},
      {{3, 3, 3, 3}, {}},
      {{1, 2, 3, 3, 4, 4, 1, 1}, {1, 2, 3, 4}},
      {{-7, 1, 2}, {-7, 1, 2}},  // corners may be polygon vertices
  };
  for (const Case& c : cases) {
    RwPolygon* polygon = RwAddPolygonToClump(clump, static_cast<intptr_t>(c.given.size()), c.given.data());
    EXPECT_EQ(RwGetAndClearError(), 0);
    if (c.kept.empty()) {
      EXPECT_EQ(polygon, nullptr);
    } else {
      ASSERT_NE(polygon, nullptr);
      EXPECT_EQ(indicesOf(polygon), c.kept);
    }
  }
  const int32_t outside[] = {1, 2, 5};
  EXPECT_EQ(RwAddPolygonToClump(clump, 3, outside), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrVertexIndex);
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 3);
  RwDestroyClump(clump);
}

struct CutCase {
  const char* name;
  std::vector<RwVector> points;
  uintptr_t nullDeviceDrawables;
  uintptr_t recordingDrawables;
  float area;
};

const CutCase cutCases[] = {
    {"planar convex quad", planarQuad, 1, 2, 1.0f},
    {"L-shaped hexagon", lShape, 4, 4, 3.0f},
    {"quad bent 0.01 off its plane", bentQuad, 2, 2, 1.0f},
};

void expectCut(const CutCase& c, bool recording) {
  RwClump* clump = clumpWith(c.points);
  RwPolygon* polygon = addWhole(clump, static_cast<intptr_t>(c.points.size()));
  ASSERT_NE(polygon, nullptr) << c.name;
  uintptr_t expected = recording ? c.recordingDrawables : c.nullDeviceDrawables;
  EXPECT_EQ(clump->drawablePolygons->count, expected) << c.name;
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 1) << c.name;
  if (expected > 1) {
    EXPECT_EQ(clump->cutPolygons->count, 1u) << c.name;
    EXPECT_NEAR(drawnArea(clump), c.area, 0.02f) << c.name;
    for (uintptr_t i = 0; i < expected; ++i) {
      EXPECT_EQ(drawable(clump, i)->parent, polygon);
      EXPECT_EQ(drawable(clump, i)->material, polygon->material);
    }
  }
  RwDestroyClump(clump);
}

TEST_F(Geometry, PolygonsAreCutAsTheNullDeviceNeeds) {
  for (const CutCase& c : cutCases) expectCut(c, false);
}

std::vector<RwMetaTriangle> drawnTriangles;

class RecordingDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    RwGetAndClearError();
    drawnTriangles.clear();
    callbacks.drawTriangle = [](const RwMetaTriangle* t) { drawnTriangles.push_back(*t); };
    ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)), 1);
  }
  void TearDown() override {
    RwClose();
    RwGetAndClearError();
  }
  RwMetaCallbacks callbacks = {};
};

TEST_F(RecordingDevice, PolygonsAreCutIntoTrianglesAndDrawnThroughTheCallback) {
  for (const CutCase& c : cutCases) expectCut(c, true);

  RwClump* clump = clumpWith(planarQuad);
  RwPolygon* quad = addWhole(clump, 4);
  RwSetPolygonColor(quad, 0, 1, 0);
  for (uintptr_t i = 0; i < clump->drawablePolygons->count; ++i) {
    RwPolygon* triangle = drawable(clump, i);
    triangle->vertices[0]->intensity[0] = 5 << 16;
    EXPECT_EQ(triangle->material->drawRoutine(triangle), 1);
  }
  ASSERT_EQ(drawnTriangles.size(), 2u);
  // The colour word is the material's colour plus the red shade level.
  EXPECT_EQ(drawnTriangles[0].vertices[0].colour, static_cast<intptr_t>(quad->material->colour) + 5);
  EXPECT_EQ(drawnTriangles[0].vertices[1].colour, static_cast<intptr_t>(quad->material->colour));
  EXPECT_EQ(RwGetMetaDrawState()->geometryKind, 3);
  EXPECT_EQ(RwGetMetaDrawState()->lightKind, 1);
  // A pair the recording device does not draw draws nothing.
  RwSetPolygonGeometrySampling(quad, rwSolid);
  RwSetPolygonOpacity(quad, 0.5f);
  EXPECT_EQ(drawable(clump, 0)->material->drawRoutine(drawable(clump, 0)), 0);
  RwDestroyClump(clump);
}

TEST_F(Geometry, LargeAndDegeneratePolygonsAreCutSafely) {
  // A 256-vertex star: non-convex and larger than any device draws whole.
  std::vector<RwVector> star;
  for (int i = 0; i < 256; ++i) {
    float angle = static_cast<float>(i) * 6.2831853f / 256;
    float radius = i % 2 ? 0.5f : 1.0f;
    star.push_back({radius * std::cos(angle), radius * std::sin(angle), 0});
  }
  RwClump* clump = clumpWith(star);
  RwPolygon* polygon = addWhole(clump, 256);
  ASSERT_NE(polygon, nullptr);
  EXPECT_EQ(polygon->vertexCount, 256u);
  EXPECT_EQ(clump->drawablePolygons->count, 254u);
  float area = 0;  // 128 kites, each two triangles of the centre and a rim edge
  for (int i = 0; i < 256; ++i) {
    const RwVector& a = star[i];
    const RwVector& b = star[(i + 1) % 256];
    area += (a.x * b.y - b.x * a.y) / 2;
  }
  EXPECT_NEAR(drawnArea(clump), area, 1e-3f);
  RwDestroyClump(clump);

  // Distinct indices on coincident positions: the ring runs out of corners.
  clump = clumpWith({{0, 0, 0}, {0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}});
  ASSERT_NE(addWhole(clump, 5), nullptr);
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 1);
  EXPECT_EQ(RwForAllPolygonsInClump(clump, [](RwPolygon* p) { return p; }), clump);
  RwDestroyClump(clump);
}

TEST_F(Geometry, RecolouringOneOfTwoSharersCopiesTheMaterial) {
  RwClump* clump = clumpWith(lShape);
  const int32_t a[] = {1, 2, 3}, b[] = {1, 3, 4};
  RwPolygon* first = RwAddPolygonToClump(clump, 3, a);
  RwPolygon* second = RwAddPolygonToClump(clump, 3, b);
  RwMaterial* shared = first->material;
  ASSERT_EQ(shared, second->material);
  EXPECT_EQ(shared, RwCurrentMaterial());
  EXPECT_EQ(shared->referenceCount, 3u);

  ASSERT_EQ(RwSetPolygonColor(first, 1, 0, 0), first);
  RwMaterial* own = first->material;
  EXPECT_NE(own, shared);
  EXPECT_EQ(own->referenceCount, 1u);
  EXPECT_EQ(own->colour, 0xFF000000u);
  EXPECT_EQ(second->material, shared);
  EXPECT_EQ(shared->colour, 0u);
  EXPECT_EQ(shared->referenceCount, 2u);

  // Used only by this polygon now: changed in place.
  RwSetPolygonSurface(first, 1, 0.5f, 0);
  EXPECT_EQ(first->material, own);
  EXPECT_EQ(first->vertices[0]->ambient, 127);  // (255 + 0) / 2 over the two polygons of vertex 1
  EXPECT_EQ(first->vertices[1]->ambient, 255);

  // A cut polygon's material is held by its triangles: always copied.
  RwPolygon* l = addWhole(clump, 6);
  RwMaterial* before = l->material;
  RwSetPolygonColor(l, 0, 0, 1);
  EXPECT_NE(l->material, before);
  EXPECT_EQ(l->material->referenceCount, 5u);  // the polygon and its 4 triangles
  EXPECT_EQ(drawable(clump, 2)->material, l->material);
  RwDestroyClump(clump);
  EXPECT_EQ(shared->referenceCount, 1u);
}

TEST_F(Geometry, VertexNormalsReversalAndGivenNormals) {
  RwClump* clump = clumpWith(planarQuad);
  const int32_t up[] = {1, 2, 3}, down[] = {1, 3, 2};
  RwPolygon* first = RwAddPolygonToClump(clump, 3, up);
  EXPECT_EQ(first->normal[2], 16384);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 2)->normal[2], 16384);
  // Opposite normals cancel: the vertex keeps the first polygon's.
  RwAddPolygonToClump(clump, 3, down);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 2)->normal[2], 16384);

  RwReversePolygon(first);
  EXPECT_EQ(indicesOf(first), (std::vector<int32_t>{3, 2, 1}));
  EXPECT_EQ(first->normal[2], -16384);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 2)->normal[2], -16384);
  RwReversePolygon(first);
  EXPECT_EQ(indicesOf(first), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(first->normal[2], 16384);

  const RwVector given = {0, 3, 0}, zero = {0, 0, 0};
  ASSERT_EQ(RwSetVertexNormal(clump, 4, &given), clump);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 4)->normal[1], 16384);
  EXPECT_EQ(RwSetVertexNormal(clump, 4, &zero), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrZeroVector);
  EXPECT_EQ(RwSetVertexNormal(clump, 0, &given), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrVertexIndex);
  RwDestroyClump(clump);
}

// More than 65535 polygons on one vertex: the counts are 32-bit. Built with
// derived data deferred, as the model readers build, so it stays linear.
TEST_F(Geometry, AVertexTakesMoreThan65535Polygons) {
  constexpr int32_t fan = 70000;
  RwClump* clump = RwCreateClump(fan + 2, fan);
  RwSetModelBuilding(1);
  RwAddModelVertexToClump(clump, 0, 0, 0);
  for (int32_t i = 0; i <= fan; ++i) {
    RwAddModelVertexToClump(clump, std::cos(i * 1e-4f), std::sin(i * 1e-4f), 0);
  }
  for (int32_t i = 2; i < fan + 2; ++i) {
    const int32_t triangle[] = {1, i, i + 1};
    ASSERT_NE(RwAddModelPolygonToClump(clump, 3, triangle), nullptr);
  }
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 1)->polygonCount, 0u);
  RwSetModelBuilding(0);
  ASSERT_EQ(RwFinishClumpModel(clump), 1);
  const RwVertex* centre = RwVertexAt(clump->vertexArray, 1);
  EXPECT_EQ(centre->polygonCount, static_cast<uint32_t>(fan));
  EXPECT_EQ(centre->flags & rwVertexDeferred, 0);
  EXPECT_NEAR(centre->normal[2], 16384, 16);  // the fixed-point root has about 12 bits
  EXPECT_EQ(RwGetClumpNumPolygons(clump), fan);
  RwDestroyClump(clump);
}

TEST_F(Geometry, NullArgumentsAreError1) {
  const int32_t triangle[] = {1, 2, 3};
  EXPECT_EQ(RwAddPolygonToClump(nullptr, 3, triangle), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwAddVertexToClump(nullptr, 0, 0, 0), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwGetClumpNumVertices(nullptr), -1);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwSetPolygonColor(nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
}

}  // namespace
