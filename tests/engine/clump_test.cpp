// Clumps: defaults, flags and state, the hierarchy and its visiting orders,
// world matrices, polygon iteration, duplication and merging.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/clump.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/ptrarray.h"
#include "engine_fixture.h"

namespace {

using Clumps = OpenEngine;

RwClump* triangleClump(intptr_t triangles) {
  RwClump* clump = RwCreateClump(0, 0);
  RwAddVertexToClump(clump, 0, 0, 0);
  RwAddVertexToClump(clump, 1, 0, 0);
  RwAddVertexToClump(clump, 0, 1, 0);
  const int32_t triangle[] = {1, 2, 3};
  for (intptr_t i = 0; i < triangles; ++i) RwAddPolygonToClump(clump, 3, triangle);
  return clump;
}

RwMatrix translation(float x, float y, float z) {
  RwMatrix m;
  RwTranslateMatrix(&m, x, y, z, RwReplace);
  return m;
}

TEST_F(Clumps, ANewClumpHasItsDefaults) {
  RwClump* clump = RwCreateClump(0, 0);
  ASSERT_NE(clump, nullptr);
  EXPECT_EQ(clump->vertexArray->capacity - rwReservedVertices, 16);
  EXPECT_EQ(clump->drawablePolygons->capacity, 8u);
  EXPECT_EQ(RwGetClumpFlags(clump), rwHiddenSurface);
  EXPECT_EQ(clump->state, rwClumpOn);
  EXPECT_EQ(clump->alignment, 1);
  EXPECT_EQ(clump->lightSampling, rwFacet);
  EXPECT_EQ(clump->geometrySampling, rwSolid);
  EXPECT_EQ(clump->drawChoice.pairIndex, 4);
  EXPECT_EQ(clump->drawChoice.reevaluate, 1u);
  EXPECT_EQ(clump->drawChoice.uniform, 1u);
  for (const RwMatrix* m : {&clump->worldMatrix, &clump->modellingMatrix, &clump->jointMatrix}) EXPECT_EQ(m->identity, 1);
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 0);
  EXPECT_EQ(RwGetClumpNumVertices(clump), 0);
  EXPECT_EQ(RwGetClumpTag(clump), 0);
  RwVector minimum, maximum;
  RwGetClumpBounds(clump, &minimum, &maximum);
  EXPECT_EQ(minimum.x, 0);
  EXPECT_EQ(maximum.z, 0);
  RwDestroyClump(clump);
}

TEST_F(Clumps, FlagsAndState) {
  RwClump* clump = RwCreateClump(0, 0);
  EXPECT_EQ(RwSetClumpFlags(clump, 8), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrClumpFlags);
  EXPECT_EQ(RwGetClumpFlags(clump), rwHiddenSurface);
  RwSetClumpFlags(clump, 6);
  RwClearClumpFlags(clump, 2);
  EXPECT_EQ(RwGetClumpFlags(clump), 4u);
  EXPECT_EQ(RwSetClumpState(clump, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrState);
  EXPECT_EQ(RwSetClumpState(clump, rwClumpOff), clump);
  EXPECT_EQ(clump->state, rwClumpOff);
  RwDestroyClump(clump);

  // Plane order holds at most 1000 polygons; beyond, `editable` joins `hs`.
  for (intptr_t polygons : {intptr_t{1000}, intptr_t{1001}}) {
    clump = triangleClump(polygons);
    RwSetClumpFlags(clump, rwHiddenSurface);
    EXPECT_EQ(RwGetClumpFlags(clump), polygons > 1000 ? rwHiddenSurface | rwEditable : rwHiddenSurface) << polygons;
    RwDestroyClump(clump);
  }
}

struct Family {
  RwClump *root, *a, *b, *c;
};

Family makeFamily() {
  Family f = {RwCreateClump(0, 0), RwCreateClump(0, 0), RwCreateClump(0, 0), RwCreateClump(0, 0)};
  RwSetClumpTag(f.root, 10);
  RwSetClumpTag(f.a, 11);
  RwSetClumpTag(f.b, 12);
  RwSetClumpTag(f.c, 13);
  RwAddChildToClump(f.root, f.a);
  RwAddChildToClump(f.root, f.b);
  RwAddChildToClump(f.a, f.c);
  return f;
}

std::string visited;

TEST_F(Clumps, HierarchyVisitingOrders) {
  Family f = makeFamily();
  EXPECT_EQ(RwGetClumpNumChildren(f.root), 2);
  EXPECT_EQ(RwGetClumpParent(f.c), f.a);
  visited.clear();
  RwForAllClumpsInHierarchyNoData(f.root, [](RwClump* clump) {
    visited += std::to_string(RwGetClumpTag(clump)) + " ";
    return clump;
  });
  EXPECT_EQ(visited, "13 11 12 10 ");

  visited.clear();
  EXPECT_EQ(RwFindClump(f.root, [](RwClump* clump, void*) {
    visited += std::to_string(RwGetClumpTag(clump)) + " ";
    return 0;
  }, nullptr), nullptr);
  EXPECT_EQ(visited, "10 11 13 12 ");
  EXPECT_EQ(RwFindTaggedClump(f.root, 13), f.c);
  EXPECT_EQ(RwFindTaggedClump(f.root, 99), nullptr);

  // A callback that raises an error stops the walk; the error stays.
  visited.clear();
  EXPECT_EQ(RwForAllClumpsInHierarchy(f.root, [](RwClump* clump, void*) {
    visited += std::to_string(RwGetClumpTag(clump)) + " ";
    if (RwGetClumpTag(clump) == 11) RwSetError(rwErrBadCount);
    return clump;
  }, nullptr), nullptr);
  EXPECT_EQ(visited, "13 11 ");
  EXPECT_EQ(RwGetAndClearError(), rwErrBadCount);

  // No clump may become its own ancestor.
  EXPECT_EQ(RwAddChildToClump(f.c, f.root), nullptr);
  EXPECT_EQ(RwAddChildToClump(f.a, f.a), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwGetClumpParent(f.root), nullptr);

  // Moving b under c keeps the child lists whole.
  RwAddChildToClump(f.c, f.b);
  EXPECT_EQ(RwGetClumpNumChildren(f.root), 1);
  EXPECT_EQ(RwGetClumpFirstChild(f.c), f.b);
  RwDestroyClump(f.root);
}

TEST_F(Clumps, WorldIsJointTimesModellingTimesParent) {
  Family f = makeFamily();
  RwMatrix parent;
  RwRotateMatrix(&parent, 0, 1, 0, 90, RwReplace);
  RwTranslateMatrix(&parent, 10, 0, 0, RwPostConcat);
  RwTransformClump(f.root, &parent, RwReplace);

  RwMatrix world;
  RwGetClumpLocalMatrix(f.a, &world);
  for (int r = 0; r < 4; ++r) {
    for (int col = 0; col < 3; ++col) EXPECT_EQ(world.m[r][col], parent.m[r][col]);  // exactly P
  }

  RwMatrix modelling = translation(0, 2, 0);
  RwMatrix joint;
  RwScaleMatrix(&joint, 3, 3, 3, RwReplace);
  RwTransformClump(f.a, &modelling, RwReplace);
  RwTransformClumpJoint(f.a, &joint, RwReplace);
  RwMatrix expected;
  RwMultiplyMatrix(&modelling, &parent, &expected);
  RwMultiplyMatrix(&joint, &expected, &expected);
  RwGetClumpLocalMatrix(f.a, &world);
  for (int r = 0; r < 4; ++r) {
    for (int col = 0; col < 3; ++col) EXPECT_NEAR(world.m[r][col], expected.m[r][col], 1e-5f);
  }

  // A child's origin follows its parent once the parent moves.
  RwVector origin;
  RwGetClumpOrigin(f.c, &origin);
  EXPECT_NEAR(origin.x, 10, 1e-5f);
  EXPECT_NEAR(origin.y, 2, 1e-5f);
  RwMatrix lift = translation(0, 5, 0);
  RwTransformClump(f.root, &lift, RwPostConcat);
  EXPECT_EQ(f.c->modellingMatrix.changed, 0);  // nothing marked below the parent
  RwGetClumpOrigin(f.c, &origin);
  EXPECT_NEAR(origin.x, 10, 1e-5f);
  EXPECT_NEAR(origin.y, 7, 1e-5f);
  EXPECT_EQ(f.root->modellingMatrix.changed, 0);
  RwDestroyClump(f.root);
}

TEST_F(Clumps, PolygonIterationSurvivesDestructionAndStopsOnErrors) {
  RwClump* clump = triangleClump(3);
  RwAddVertexToClump(clump, 1, 1, 0);
  RwAddVertexToClump(clump, 0.5f, 0.2f, 0);
  const int32_t dented[] = {1, 2, 4, 5, 3};  // cut into triangles: iterated once
  ASSERT_NE(RwAddPolygonToClump(clump, 5, dented), nullptr);
  ASSERT_GT(clump->drawablePolygons->count, 4u);

  static int calls;
  calls = 0;
  RwSetError(rwErrRead);  // pending before: survives the iteration
  EXPECT_EQ(RwForAllPolygonsInClump(clump, [](RwPolygon* polygon) {
    ++calls;
    RwDestroyPolygon(polygon);
    return static_cast<RwPolygon*>(nullptr);
  }), clump);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(RwGetAndClearError(), rwErrRead);
  EXPECT_EQ(RwGetClumpNumPolygons(clump), 0);
  EXPECT_EQ(clump->drawablePolygons->count, 0u);
  EXPECT_EQ(clump->cutPolygons->count, 0u);
  EXPECT_EQ(RwVertexAt(clump->vertexArray, 1)->polygonCount, 0u);
  EXPECT_EQ(RwCurrentMaterial()->referenceCount, 1u);

  RwDestroyClump(clump);
  clump = triangleClump(3);
  calls = 0;
  EXPECT_EQ(RwForAllPolygonsInClumpWithValue(clump, [](RwPolygon* polygon, intptr_t stopAt) {
    if (++calls == stopAt) RwSetError(rwErrBadCount);
    return polygon;
  }, 2), nullptr);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(RwGetAndClearError(), rwErrBadCount);

  // A list that disagrees with the count is error 72 (read back as 71).
  ++clump->polygonCount;
  EXPECT_EQ(RwForAllPolygonsInClump(clump, [](RwPolygon* p) { return p; }), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);
  --clump->polygonCount;
  RwDestroyClump(clump);
}

TEST_F(Clumps, DuplicateCopiesGeometryAndBranch) {
  Family f = makeFamily();
  RwClump* source = triangleClump(2);
  RwPolygon* first = static_cast<RwPolygon*>(RwPtrArrayEntry(source->drawablePolygons, 0));
  RwSetPolygonColor(first, 1, 0, 0);
  RwSetPolygonTag(first, -3);
  RwAddChildToClump(f.a, source);
  RwMatrix move = translation(1, 2, 3);
  RwTransformClump(source, &move, RwReplace);

  RwClump* copy = RwDuplicateClump(f.a);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(RwGetClumpNumChildren(copy), 2);
  RwClump* sourceCopy = RwFindTaggedClump(copy, 0);
  ASSERT_NE(sourceCopy, nullptr);
  EXPECT_EQ(RwGetClumpNumVertices(sourceCopy), 3);
  EXPECT_EQ(RwGetClumpNumPolygons(sourceCopy), 2);
  EXPECT_EQ(sourceCopy->modellingMatrix.m[3][2], 3);
  EXPECT_EQ(RwGetClumpFlags(sourceCopy), RwGetClumpFlags(source));
  RwPolygon* copied = static_cast<RwPolygon*>(RwPtrArrayEntry(sourceCopy->drawablePolygons, 0));
  EXPECT_EQ(copied->material, first->material);  // shared, counted twice
  EXPECT_EQ(first->material->referenceCount, 2u);
  EXPECT_EQ(RwGetPolygonTag(copied), -3);
  RwDestroyClump(copy);
  EXPECT_EQ(first->material->referenceCount, 1u);
  RwDestroyClump(f.root);
}

TEST_F(Clumps, MergingBringsVerticesThroughTheSourceWorldMatrix) {
  RwClump* destination = triangleClump(1);
  RwClump* source = triangleClump(1);
  RwMatrix move = translation(0, 0, 5);
  RwTransformClump(source, &move, RwReplace);
  ASSERT_EQ(RwAddClumpToClump(destination, source), destination);
  EXPECT_EQ(RwGetClumpNumVertices(destination), 6);
  EXPECT_EQ(RwGetClumpNumPolygons(destination), 2);
  RwVector p;
  RwGetVertexPosition(destination, 5, &p);
  EXPECT_EQ(p.x, 1);
  EXPECT_EQ(p.z, 5);
  RwPolygon* merged = static_cast<RwPolygon*>(RwPtrArrayEntry(destination->drawablePolygons, 1));
  int32_t indices[3];
  RwGetPolygonVertexIndices(merged, indices);
  EXPECT_EQ(indices[0], 4);
  EXPECT_EQ(indices[2], 6);
  RwDestroyClump(source);
  RwDestroyClump(destination);
}

TEST_F(Clumps, NullClumpsAreError1) {
  EXPECT_EQ(RwGetClumpNumPolygons(nullptr), -1);
  EXPECT_EQ(RwGetClumpTag(nullptr), -1);
  EXPECT_EQ(RwGetClumpNumChildren(nullptr), -1);
  EXPECT_EQ(RwDestroyClump(nullptr), 0);
  EXPECT_EQ(RwSetClumpState(nullptr, 2), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
}

TEST_F(Clumps, FailedCreationLeavesNothingBehind) {
  for (intptr_t allowed = 0; allowed < 4; ++allowed) {
    RwFailAllocationsAfter(allowed);
    RwClump* clump = RwCreateClump(0, 0);
    RwFailAllocationsAfter(-1);
    if (clump) {
      RwDestroyClump(clump);
      break;
    }
    EXPECT_EQ(RwGetAndClearError(), rwErrOutOfMemory) << allowed;
  }
}

}  // namespace
