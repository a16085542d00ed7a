// Modelling: clump brackets, the CTM and joints, primitives and their
// tessellation, and the model-building flag.
#include "engine/modelling.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/clump.h"
#include "engine/material.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/primitives.h"
#include "engine_fixture.h"

namespace {

using Modelling = OpenEngine;

// One clump holding what `make` builds, or null.
RwClump* defineClump(const std::function<int()>& make) {
  if (!RwClumpBegin()) return nullptr;
  bool made = make();
  RwClump* clump = RwClumpEnd(nullptr);
  EXPECT_TRUE(made);
  return clump;
}

std::vector<RwPolygon*> polygonsOf(RwClump* clump) {
  std::vector<RwPolygon*> polygons;
  RwForAllPolygonsInClumpWithData(
      clump,
      [](RwPolygon* p, void* list) {
        static_cast<std::vector<RwPolygon*>*>(list)->push_back(p);
        return p;
      },
      &polygons);
  return polygons;
}

RwVector centreOf(const RwPolygon* polygon) {
  RwVector sum = {0, 0, 0};
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) RwAddVector(&sum, &polygon->vertices[i]->model, &sum);
  return {sum.x / polygon->vertexCount, sum.y / polygon->vertexCount, sum.z / polygon->vertexCount};
}

// (second - first) x (third - first): the engine's front side.
RwVector frontOf(const RwPolygon* polygon) {
  RwVector a, b, cross;
  RwSubtractVector(&polygon->vertices[1]->model, &polygon->vertices[0]->model, &a);
  RwSubtractVector(&polygon->vertices[2]->model, &polygon->vertices[0]->model, &b);
  return *RwCrossProduct(&a, &b, &cross);
}

struct Depths {
  intptr_t ctm, joint, material;
  bool operator==(const Depths&) const = default;
};
Depths stackDepths() { return {RwCTMDepth(), RwJointDepth(), RwCurrentMaterialDepth()}; }

TEST_F(Modelling, SphereAndHemisphereCounts) {
  struct Case {
    bool whole;
    int n;
    intptr_t vertices, triangles;
  };
  const Case cases[] = {{true, 1, 6, 8},  {true, 2, 18, 32},  {true, 3, 38, 72}, {true, 5, 102, 200},
                        {false, 1, 5, 4}, {false, 2, 13, 16}, {false, 4, 41, 64}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.whole ? "sphere " : "hemisphere ") << c.n);
    RwClump* clump = defineClump([&] { return c.whole ? RwSphere(1, c.n) : RwHemisphere(1, c.n); });
    ASSERT_NE(clump, nullptr);
    EXPECT_EQ(RwGetClumpNumVertices(clump), c.vertices);
    EXPECT_EQ(RwGetClumpNumPolygons(clump), c.triangles);
    for (RwPolygon* p : polygonsOf(clump)) {
      ASSERT_EQ(p->vertexCount, 3u);
      for (uint32_t i = 0; i < 3; ++i) {
        const RwVector& v = p->vertices[i]->model;
        EXPECT_NEAR(std::sqrt(RwDotProduct(&v, &v)), 1.0f, 1e-4f);
      }
    }
    RwDestroyClump(clump);
  }
}

TEST_F(Modelling, EveryPrimitiveFacesOutward) {
  struct Case {
    const char* name;
    std::function<int()> make;
    bool aboutAxis;  // outward from the y axis rather than from the origin
  };
  const Case cases[] = {
      {"block", [] { return RwBlock(2, 3, 4); }, false},
      {"cylinder", [] { return RwCylinder(2, 1, 0.5f, 12); }, true},
      {"cone", [] { return RwCone(2, 1, 9); }, true},
      {"sphere", [] { return RwSphere(2, 4); }, false},
      {"hemisphere", [] { return RwHemisphere(2, 3); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RwClump* clump = defineClump(c.make);
    ASSERT_NE(clump, nullptr);
    for (RwPolygon* p : polygonsOf(clump)) {
      RwVector out = centreOf(p);
      if (c.aboutAxis) out.y = 0;
      RwVector front = frontOf(p);
      EXPECT_GT(RwDotProduct(&front, &out), 0.0f);
    }
    RwDestroyClump(clump);
  }
  RwClump* disc = defineClump([] { return RwDisc(1, 1, 8); });
  RwVector centre;
  RwGetVertexPosition(disc, 1, &centre);
  EXPECT_EQ(centre.y, 1.0f);
  EXPECT_EQ(centre.x, 0.0f);
  for (RwPolygon* p : polygonsOf(disc)) EXPECT_GT(frontOf(p).y, 0.0f);
  RwDestroyClump(disc);
}

TEST_F(Modelling, CylinderAndConeArgumentRules) {
  struct Case {
    const char* name;
    std::function<int()> make;
    int error;  // 0: made
  };
  const Case cases[] = {
      {"opposite radii", [] { return RwCylinder(1, 1, -1, 8); }, rwErrBadCount},
      {"both radii negative", [] { return RwCylinder(1, -1, -1, 8); }, 0},
      {"zero radius", [] { return RwCylinder(1, 0, 1, 8); }, rwErrBadCount},
      {"two facets", [] { return RwCylinder(1, 1, 1, 2); }, rwErrBadCount},
      {"huge facet count", [] { return RwCylinder(1, 1, 1, INT32_MAX); }, rwErrTooManyVertices},
      {"cone past the largest count", [] { return RwCone(1, 1, rwLargestPrimitiveCount + 1); }, rwErrTooManyVertices},
      {"cone zero radius", [] { return RwCone(1, 0, 8); }, rwErrBadCount},
      {"cone two facets", [] { return RwCone(1, 1, 2); }, rwErrBadCount},
      {"negative subdivision", [] { return RwSphere(1, -1); }, rwErrBadCount},
      {"huge subdivision", [] { return RwSphere(1, 100000); }, rwErrTooManyVertices},
      {"largest subdivision", [] { return RwSphere(1, INT32_MAX); }, rwErrTooManyVertices},
      // 4 n n triangles: 1,999,396 for 707 would be made, 2,005,056 for 708 not.
      {"hemisphere past the largest count", [] { return RwHemisphere(1, 708); }, rwErrTooManyVertices},
      {"hemisphere of subdivision 0", [] { return RwHemisphere(1, 0); }, rwErrBadCount},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(RwClumpBegin());
    Depths before = stackDepths();
    EXPECT_EQ(c.make(), c.error ? 0 : 1);
    EXPECT_EQ(RwGetAndClearError(), c.error);
    EXPECT_EQ(stackDepths(), before);
    EXPECT_EQ(RwCurrentClumpDefinition()->lastPart, c.error ? 0 : 1);
    RwClump* clump = RwClumpEnd(nullptr);
    if (clump) RwDestroyClump(clump);
    RwGetAndClearError();
  }
}

TEST_F(Modelling, SubdivisionZeroIsABlockAndBlocksNeedExtent) {
  RwClump* cube = defineClump([] { return RwSphere(2, 0); });
  RwVector low, high;
  RwGetClumpBounds(cube, &low, &high);
  EXPECT_EQ(RwGetClumpNumVertices(cube), 8);
  EXPECT_EQ(RwGetClumpNumPolygons(cube), 6);
  EXPECT_EQ(low.x, -1.0f);
  EXPECT_EQ(high.z, 1.0f);
  RwDestroyClump(cube);

  ASSERT_TRUE(RwClumpBegin());
  EXPECT_EQ(RwBlock(1, -0.0f, 1), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrNone);
  EXPECT_EQ(RwClumpEnd(nullptr), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrDegenerateFrame);  // 7: nothing was defined
}

TEST_F(Modelling, CTMAtClumpBeginBecomesTheModellingMatrix) {
  ASSERT_TRUE(RwModelBegin());
  RwTranslateCTM(0, 5, 0);
  RwClump* clump = defineClump([] { return RwBlock(1, 1, 1); });
  ASSERT_TRUE(RwModelEnd());
  RwVector position, low, high;
  RwGetMatrixPosition(&clump->modellingMatrix, &position);
  EXPECT_EQ(position.y, 5.0f);
  RwGetClumpBounds(clump, &low, &high);
  EXPECT_EQ(low.y, -0.5f);
  EXPECT_EQ(high.y, 0.5f);
  RwDestroyClump(clump);

  // Outside a model a top-level definition is fresh: it starts from the
  // identity whatever the CTM holds.
  RwTranslateCTM(0, 5, 0);
  clump = defineClump([] { return RwBlock(1, 1, 1); });
  EXPECT_TRUE(clump->modellingMatrix.identity);
  RwDestroyClump(clump);
  RwIdentityMatrix(RwGetCTM());

  // Inside a definition the CTM moves parts and nested clumps instead.
  ASSERT_TRUE(RwClumpBegin());
  RwTranslateCTM(2, 0, 0);
  RwBlock(1, 1, 1);
  ASSERT_TRUE(RwClumpBegin());
  RwSetClumpTag(RwCurrentDefinitionClump(), 9);
  RwBlock(1, 1, 1);
  RwClump* child = RwClumpEnd(nullptr);
  RwClump* parent = RwClumpEnd(nullptr);
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(RwFindTaggedClump(parent, 9), child);
  RwGetClumpBounds(parent, &low, &high);
  EXPECT_EQ(low.x, 1.5f);
  RwGetMatrixPosition(&child->modellingMatrix, &position);
  EXPECT_EQ(position.x, 2.0f);
  RwDestroyClump(parent);
}

TEST_F(Modelling, BracketErrorsLeaveTheStacksAsTheyWere) {
  Depths before = stackDepths();
  EXPECT_EQ(RwModelEnd(), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrNotModelling);
  EXPECT_EQ(RwClumpEnd(nullptr), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrNotModelling);
  EXPECT_EQ(RwBlock(1, 1, 1), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrOutsideClump);
  EXPECT_EQ(RwRotateCTM(0, 0, 0, 30), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrZeroVector);

  ASSERT_TRUE(RwModelBegin());
  EXPECT_EQ(RwModelBegin(), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrModelling);
  ASSERT_TRUE(RwClumpBegin());
  RwBlock(1, 1, 1);
  EXPECT_EQ(RwModelEnd(), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrOpenClumps);
  EXPECT_EQ(stackDepths(), before);

  ASSERT_TRUE(RwModelBegin());
  RwClump* clump = defineClump([] { return RwCone(1, 1, 5); });
  EXPECT_TRUE(RwModelEnd());
  EXPECT_EQ(stackDepths(), before);
  RwDestroyClump(clump);
}

// Regression: a failed outermost definition used to leave model building on,
// so later polygons were neither registered with their vertices nor cut.
TEST_F(Modelling, ModelBuildingEndsWithTheOutermostDefinition) {
  ASSERT_TRUE(RwClumpBegin());
  ASSERT_TRUE(RwClumpBegin());
  EXPECT_TRUE(RwIsModelBuilding());
  EXPECT_EQ(RwClumpEnd(nullptr), nullptr);  // the empty inner one
  EXPECT_TRUE(RwIsModelBuilding());
  EXPECT_EQ(RwClumpEnd(nullptr), nullptr);  // the outer one, empty too
  EXPECT_EQ(RwGetAndClearError(), rwErrDegenerateFrame);
  EXPECT_FALSE(RwIsModelBuilding());

  RwClump* plain = RwCreateClump(0, 0);
  for (int i = 0; i < 3; ++i) RwAddVertexToClump(plain, static_cast<float>(i == 1), static_cast<float>(i == 2), 0);
  const int32_t indices[] = {1, 2, 3};
  ASSERT_NE(RwAddPolygonToClump(plain, 3, indices), nullptr);
  EXPECT_EQ(RwVertexAt(plain->vertexArray, 1)->polygonCount, 1u);
  RwDestroyClump(plain);

  // A finished model has its polygons registered.
  RwClump* block = defineClump([] { return RwBlock(1, 1, 1); });
  EXPECT_FALSE(RwIsModelBuilding());
  EXPECT_EQ(RwVertexAt(block->vertexArray, 1)->polygonCount, 3u);
  RwDestroyClump(block);
}

TEST_F(Modelling, PartsTakeTheCurrentMaterial) {
  ASSERT_TRUE(RwClumpBegin());
  RwSetColor(1, 0, 0);
  RwBlock(1, 1, 1);
  ASSERT_TRUE(RwPushCurrentMaterial());
  RwSetColor(0, 0, 1);
  RwSetGeometrySampling(rwWireframe);
  RwSphere(1, 1);
  RwPopCurrentMaterial();
  RwClump* clump = RwClumpEnd(nullptr);
  ASSERT_NE(clump, nullptr);
  std::vector<RwPolygon*> polygons = polygonsOf(clump);
  ASSERT_EQ(polygons.size(), 14u);
  EXPECT_EQ(RwGetMaterialGeometrySampling(polygons.front()->material), rwSolid);
  EXPECT_EQ(RwGetMaterialGeometrySampling(polygons.back()->material), rwWireframe);
  EXPECT_NE(polygons.front()->material->colour, polygons.back()->material->colour);
  RwDestroyClump(clump);
}

}  // namespace
