// Plane orders: convex clumps, piercing polygons, the size limit, and how
// the order is drawn.
#include <vector>

#include <gtest/gtest.h>

#include "engine/clump.h"
#include "engine/depthsort.h"
#include "engine/polygon.h"
#include "engine/render.h"
#include "render_fixture.h"

namespace {

using render_fixture::makeCube;

class PlaneOrder : public render_fixture::RecordingEngine {};

std::vector<uint32_t> runsOf(const RwClump* clump) {
  std::vector<uint32_t> runs;
  const RwPlaneOrder order = RwGetClumpPlaneOrder(clump);
  for (const uint32_t* run = order.runs; run && *run; ++run) runs.push_back(*run);
  return runs;
}

TEST_F(PlaneOrder, ConvexClumpIsOnePlainRun) {
  // The recording device draws triangles: each face is two.
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  EXPECT_EQ(RwGetClumpPlaneOrder(cube).firstFlag, 0u);
  EXPECT_EQ(runsOf(cube), std::vector<uint32_t>{12});
  EXPECT_EQ(RwPlaneOrderIsOnePlainRun(cube), 1);
  // Leaving mode 1 frees the order; coming back builds it again.
  RwOrClumpFlags(cube, rwEditable);
  EXPECT_EQ(RwGetClumpPlaneOrder(cube).runs, nullptr);
  RwClearClumpFlags(cube, rwEditable);
  EXPECT_EQ(runsOf(cube), std::vector<uint32_t>{12});
}

TEST_F(PlaneOrder, PiercingTrianglesConflict) {
  RwClump* clump = RwCreateClump(6, 2);
  const float points[6][3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}, {0, -1, -1}, {0, -1, 1}, {0, 1, 0.5f}};
  for (const auto& p : points) RwAddVertexToClump(clump, p[0], p[1], p[2]);
  const int32_t a[] = {1, 2, 3}, b[] = {4, 5, 6};
  RwAddPolygonToClump(clump, 3, a);
  RwAddPolygonToClump(clump, 3, b);
  RwSetClumpFlags(clump, rwHiddenSurface);
  EXPECT_EQ(RwGetClumpPlaneOrder(clump).firstFlag, 1u);
  EXPECT_EQ(runsOf(clump), std::vector<uint32_t>{2});
  EXPECT_EQ(RwPlaneOrderIsOnePlainRun(clump), 0);
}

TEST_F(PlaneOrder, ClassificationTable) {
  // Polygon E in the plane z = 0 facing +z; N placed against it.
  RwClump* clump = RwCreateClump(12, 4);
  const float points[][3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0},          // E
                             {-1, -1, 1}, {1, -1, 1}, {0, 1, 1},          // in front, parallel
                             {-1, -1, -1}, {1, -1, -1}, {0, 1, -1},       // behind, parallel
                             {-1, -1, 0.0005f}, {1, -1, 0}, {0, 1, -0.0005f}};  // coplanar within tolerance
  for (const auto& p : points) RwAddVertexToClump(clump, p[0], p[1], p[2]);
  RwPlaneNode nodes[4] = {};
  for (int i = 0; i < 4; ++i) {
    const int32_t indices[] = {3 * i + 1, 3 * i + 2, 3 * i + 3};
    nodes[i].polygon = RwAddPolygonToClump(clump, 3, indices);
    RwVector n;
    RwGetPolygonNormal(nodes[i].polygon, &n);
    nodes[i].normal[0] = n.x;
    nodes[i].normal[1] = n.y;
    nodes[i].normal[2] = n.z;
    nodes[i].distance = n.z * points[3 * i][2];
  }
  EXPECT_EQ(RwClassifyPlanePair(&nodes[0], &nodes[0]), 0);
  EXPECT_EQ(RwClassifyPlanePair(&nodes[0], &nodes[1]), 1);   // in front: drawn after
  EXPECT_EQ(RwClassifyPlanePair(&nodes[0], &nodes[2]), -1);  // behind: drawn before
  EXPECT_EQ(RwClassifyPlanePair(&nodes[0], &nodes[3]), 3);   // on the plane
}

// A clump of n small coplanar triangles in a row, built as a model.
RwClump* triangleRow(int n) {
  RwClump* clump = RwCreateClump(3 * n, n);
  for (int i = 0; i < n; ++i) {
    const float x = static_cast<float>(i) * 3.0f;
    RwAddVertexToClump(clump, x, 0.0f, 0.0f);
    RwAddVertexToClump(clump, x + 1.0f, 0.0f, 0.0f);
    RwAddVertexToClump(clump, x, 1.0f, 0.0f);
    const int32_t indices[] = {3 * i + 1, 3 * i + 2, 3 * i + 3};
    RwAddPolygonToClump(clump, 3, indices);
  }
  return clump;
}

TEST_F(PlaneOrder, OnlyClumpsOfAtMostAThousandPolygonsGetAnOrder) {
  RwClump* largest = triangleRow(1000);
  RwSetClumpFlags(largest, rwHiddenSurface);
  EXPECT_EQ(RwGetClumpFlags(largest), rwHiddenSurface);
  EXPECT_EQ(runsOf(largest), std::vector<uint32_t>{1000});
  RwClump* tooLarge = triangleRow(1001);
  RwSetClumpFlags(tooLarge, rwHiddenSurface);
  EXPECT_EQ(RwGetClumpFlags(tooLarge), rwHiddenSurface | rwEditable);
  EXPECT_EQ(RwGetClumpPlaneOrder(tooLarge).runs, nullptr);
}

TEST_F(PlaneOrder, FailedBuildLeavesNoOrderAndNothingAllocated) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f, 1.0f, 0);
  for (intptr_t allowed = 0; allowed < 4; ++allowed) {
    RwFailAllocationsAfter(allowed);
    RwSetClumpFlags(cube, rwHiddenSurface);
    RwFailAllocationsAfter(-1);
    const bool built = RwGetClumpPlaneOrder(cube).runs != nullptr;
    EXPECT_EQ(RwGetAndClearError(), built ? 0 : rwErrOutOfMemory) << allowed;
    // Drawn in draw-list order when there is no order.
    lookAt(2, 2, 4);
    EXPECT_EQ(renderFrame().size(), 6u);
    RwSetClumpFlags(cube, 0);
  }
}

TEST_F(PlaneOrder, ModelledAndCopiedClumpsGetTheirOrder) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  RwClump* copy = RwDuplicateClump(cube);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(runsOf(copy), std::vector<uint32_t>{12});
  EXPECT_NE(RwGetClumpPlaneOrder(copy).ordered, RwGetClumpPlaneOrder(cube).ordered);
}

}  // namespace
