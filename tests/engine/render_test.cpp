// The clump render pipeline on the recording device: culling, clipping at
// the view volume, damage, hidden-surface modes and user-draws.
#include <algorithm>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/clip.h"
#include "engine/depthsort.h"
#include "engine/material.h"
#include "engine/ptrarray.h"
#include "engine/render.h"
#include "engine/renderstate.h"
#include "engine/userdraw.h"
#include "render_fixture.h"

namespace {

using render_fixture::makeCube;
using render_fixture::RecordingEngine;

bool sameTriangles(const std::vector<RwMetaTriangle>& a, const std::vector<RwMetaTriangle>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(RwMetaTriangle)) == 0;
}

class Rendering : public RecordingEngine {};

TEST_F(Rendering, CubeRecordsOnlyItsFrontFacesTheSameOnEveryRun) {
  makeCube(0.0f, 0.0f, 0.0f);
  // Straight on: one face, two triangles, at the near end of the depth range.
  struct View {
    float x, y, z;
    size_t triangles;
  };
  for (const View& view : {View{0, 0, 5, 2}, View{0, 0, -5, 2}, View{5, 0, 0, 2}, View{2, 2, 4, 6}}) {
    lookAt(view.x, view.y, view.z);
    std::vector<RwMetaTriangle> first = renderFrame();
    ASSERT_EQ(first.size(), view.triangles) << view.x << "," << view.y << "," << view.z;
    EXPECT_TRUE(sameTriangles(first, renderFrame()));
    if (view.triangles == 2) {
      for (const RwMetaTriangle& t : first) {
        for (const RwMetaVertex& v : t.vertices) EXPECT_NEAR(v.z, rwNearScreenDepth, 1);
      }
    }
  }
}

TEST_F(Rendering, EachHiddenSurfaceModeDrawsTheFrontFacesOnce) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f, 1.0f, 0);
  lookAt(2, 2, 4);
  EXPECT_EQ(renderFrame().size(), 6u);  // unsorted
  RwSetClumpFlags(cube, rwHiddenSurface);
  EXPECT_EQ(renderFrame().size(), 6u);  // plane order: one plain run
  RwSetClumpFlags(cube, rwEditable);    // editable alone is unsorted
  EXPECT_EQ(renderFrame().size(), 6u);
  // Z-buffered: the recording device has no z-buffered routines.
  RwSetClumpFlags(cube, rwHiddenSurface | rwEditable);
  EXPECT_EQ(renderFrame().size(), 0u);
}

TEST_F(Rendering, TriangleCrossingTheRightEdgeIsCutExactlyOnIt) {
  RwClump* clump = RwCreateClump(3, 1);
  // At depth 5 the view spans x in [-5, 5]; one corner lies beyond it.
  RwAddVertexToClump(clump, 0.0f, -1.0f, 0.0f);
  RwAddVertexToClump(clump, 8.0f, 0.0f, 0.0f);
  RwAddVertexToClump(clump, 0.0f, 1.0f, 0.0f);
  const int32_t indices[] = {1, 2, 3};
  RwAddPolygonToClump(clump, 3, indices);
  RwSetClumpFlags(clump, 0);
  std::vector<RwMetaTriangle> triangles = renderFrame();
  ASSERT_EQ(triangles.size(), 2u);
  std::vector<intptr_t> onEdge;
  for (const RwMetaTriangle& t : triangles) {
    for (const RwMetaVertex& v : t.vertices) {
      EXPECT_LE(v.x, width << 16);
      if (v.x == width << 16) onEdge.push_back(v.y);
    }
  }
  std::sort(onEdge.begin(), onEdge.end());
  onEdge.erase(std::unique(onEdge.begin(), onEdge.end()), onEdge.end());
  EXPECT_EQ(onEdge.size(), 2u);  // the two new vertices, on the edge exactly
  EXPECT_EQ(clump->lastOutcode, rwOutXHigh);
}

TEST_F(Rendering, PolygonsBeyondTheFarPlaneReachNoDeviceRoutine) {
  camera->farClipping = 10.0f;
  RwClump* clump = RwCreateClump(6, 2);
  const float points[6][3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}, {-1, -1, -20}, {1, -1, -20}, {0, 1, -20}};
  for (const auto& p : points) RwAddVertexToClump(clump, p[0], p[1], p[2]);
  const int32_t nearOne[] = {1, 2, 3}, farOne[] = {4, 5, 6};
  RwAddPolygonToClump(clump, 3, nearOne);
  RwAddPolygonToClump(clump, 3, farOne);
  RwSetClumpFlags(clump, 0);
  std::vector<RwMetaTriangle> triangles = renderFrame();
  EXPECT_EQ(clump->lastOutcode, rwOutFar);
  ASSERT_EQ(triangles.size(), 1u);
  for (const RwMetaVertex& v : triangles[0].vertices) EXPECT_GT(v.z, rwFarScreenDepth);
  // The far stage alone reports the polygon wholly outside and calls nothing.
  RwBeginCameraUpdate(camera, 0);
  RwSetClipFinalStage(nullptr);  // would crash if reached
  RwBuildClipChain(RwClipDriverPerspective, rwOutFar);
  auto* farPolygon = static_cast<RwPolygon*>(RwPtrArrayEntry(clump->drawablePolygons, 1));
  EXPECT_EQ(RwClipFar(farPolygon) & (rwOutFar << rwWhollyOutsideShift), rwOutFar << rwWhollyOutsideShift);
  RwEndCameraUpdate(camera);
}

TEST_F(Rendering, ClumpWhollyOutsideLeavesTheDamageMasksUntouched) {
  makeCube(40.0f, 0.0f, 0.0f);  // far to the right of the view
  RwBeginCameraUpdate(camera, 0);
  RwClearCameraViewport(camera);
  uint32_t before[32];
  std::memcpy(before, camera->damageMaskA, sizeof before);
  EXPECT_TRUE(RwRenderScene(RwGetDefaultScene()));
  EXPECT_EQ(std::memcmp(before, camera->damageMaskA, sizeof before), 0);
  RwEndCameraUpdate(camera);
  EXPECT_TRUE(render_fixture::recorded.empty());
}

TEST_F(Rendering, ScreenBoundsClassifyByDepthFirst) {
  struct Case {
    float x, z, nearClipping;
    uintptr_t outcode;
  };
  // Camera at z = 5 looking down -z; half-unit cubes.
  for (const Case& c : {Case{0, 0, 0.05f, 0}, Case{-30, 10, 0.05f, 4096}, Case{30, 0, 0.05f, 512},
                        Case{-30, 0, 0.05f, 256}, Case{0, 4, 1.0f, rwOutNear}}) {
    camera->nearClipping = c.nearClipping;
    RwClump* cube = makeCube(c.x, 0.0f, c.z, 0.5f);
    RwMatrix work;
    RwRect rect;
    float depth[2];
    EXPECT_EQ(RwGetClumpScreenBounds(cube, &work, camera, &rect, depth), c.outcode) << c.x << "," << c.z;
    if (c.outcode == rwOutNear) {
      EXPECT_FLOAT_EQ(depth[0], 1.0f);  // clamped to the near plane
      EXPECT_FLOAT_EQ(depth[1], 1.25f);
      EXPECT_GT(rect.width, 0);
    }
    RwDestroyClump(cube);
  }
}

TEST_F(Rendering, FanLoopsDrawNothingForFewerThanThreeVertices) {
  RwClump* clump = makeCube(0.0f, 0.0f, 0.0f);
  auto* triangle = static_cast<RwPolygon*>(RwPtrArrayEntry(clump->drawablePolygons, 0));
  const uint32_t count = triangle->vertexCount;
  for (uint32_t n : {0u, 1u, 2u}) {
    triangle->vertexCount = n;
    rwDeviceRecord.renderers[rwDefaultPair].plain(triangle);
  }
  triangle->vertexCount = count;
  EXPECT_TRUE(render_fixture::recorded.empty());
}

// ---- user-draws

struct UserDrawCall {
  RwUserDraw* userDraw;
  RwRect rect;
  uintptr_t data;
};
std::vector<UserDrawCall> userDrawCalls;

void recordUserDraw(RwUserDraw* userDraw, RwCameraImage*, const RwRect* rect, uintptr_t data) {
  userDrawCalls.push_back({userDraw, *rect, data});
}

class UserDraws : public RecordingEngine {
 protected:
  void SetUp() override {
    RecordingEngine::SetUp();
    userDrawCalls.clear();
  }
};

TEST_F(UserDraws, QueuedUserDrawReachesItsCallbackAtTheEndOfTheUpdate) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  RwUserDraw* centred = RwCreateUserDraw(rwAlignToViewport, 0, 0, 0, 0, 10, 6, recordUserDraw, 7);
  RwUserDraw* leftOfView = RwCreateUserDraw(rwAlignToViewport, rwEdgeRight, rwEdgeLeft, 0, 0, 10, 6,
                                            recordUserDraw, 8);  // ends at x = 0: not queued
  RwAddUserDrawToClump(cube, centred);
  RwAddUserDrawToClump(cube, leftOfView);
  RwBeginCameraUpdate(camera, 0);
  RwRenderScene(RwGetDefaultScene());
  EXPECT_TRUE(userDrawCalls.empty());
  RwEndCameraUpdate(camera);
  ASSERT_EQ(userDrawCalls.size(), 1u);
  EXPECT_EQ(userDrawCalls[0].userDraw, centred);
  EXPECT_EQ(userDrawCalls[0].data, 7u);
  const RwRect expected = {width / 2 - 5, height / 2 - 3, 10, 6};
  EXPECT_EQ(std::memcmp(&userDrawCalls[0].rect, &expected, sizeof expected), 0);
  EXPECT_EQ(camera->userDrawQueue, nullptr);
}

TEST_F(UserDraws, DestroyedUserDrawIsNeverCalled) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  RwUserDraw* doomed = RwCreateUserDraw(rwAlignToClumpRect, 0, 0, 0, 0, 4, 4, recordUserDraw, 1);
  RwUserDraw* kept = RwCreateUserDraw(rwAlignToClumpOrigin, 0, 0, 0, 0, 4, 4, recordUserDraw, 2);
  RwAddUserDrawToClump(cube, doomed);
  RwAddUserDrawToClump(cube, kept);
  RwBeginCameraUpdate(camera, 0);
  RwRenderScene(RwGetDefaultScene());
  EXPECT_EQ(RwDestroyUserDraw(doomed), 1);
  RwEndCameraUpdate(camera);
  ASSERT_EQ(userDrawCalls.size(), 1u);
  EXPECT_EQ(userDrawCalls[0].userDraw, kept);
  // The clump's origin projects to the viewport's centre.
  EXPECT_EQ(userDrawCalls[0].rect.x, width / 2);
  EXPECT_EQ(userDrawCalls[0].rect.y, height / 2);
}

TEST_F(UserDraws, DestroyedCameraLeavesNoUserDrawQueuedOnIt) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  RwUserDraw* queued = RwCreateUserDraw(rwAlignToViewport, 0, 0, 0, 0, 4, 4, recordUserDraw, 4);
  RwAddUserDrawToClump(cube, queued);
  RwBeginCameraUpdate(camera, 0);
  RwRenderScene(RwGetDefaultScene());
  ASSERT_EQ(queued->camera, camera);
  EXPECT_EQ(RwDestroyCamera(camera), 1);
  camera = nullptr;
  EXPECT_EQ(queued->camera, nullptr);
  EXPECT_EQ(RwDestroyUserDraw(queued), 1);
  EXPECT_TRUE(userDrawCalls.empty());
}

// An alignment outside the four is an error, yet the user-draw is drawn
// where it last stood (nowhere yet: the view's corner), and the clump's
// other user-draws are placed as usual.
TEST_F(UserDraws, AnUnknownAlignmentKeepsTheLastPlace) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  RwUserDraw* odd = RwCreateUserDraw(9, 0, 0, 0, 0, 4, 4, recordUserDraw, 5);
  RwUserDraw* centred = RwCreateUserDraw(rwAlignToViewport, 0, 0, 0, 0, 10, 6, recordUserDraw, 6);
  RwAddUserDrawToClump(cube, centred);
  RwAddUserDrawToClump(cube, odd);
  RwBeginCameraUpdate(camera, 0);
  RwRenderScene(RwGetDefaultScene());
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);  // 76 reads back as 71
  RwEndCameraUpdate(camera);
  ASSERT_EQ(userDrawCalls.size(), 2u);
  const RwRect corner = {0, 0, 4, 4};
  const UserDrawCall& oddCall = userDrawCalls[0].userDraw == odd ? userDrawCalls[0] : userDrawCalls[1];
  EXPECT_EQ(oddCall.userDraw, odd);
  EXPECT_EQ(std::memcmp(&oddCall.rect, &corner, sizeof corner), 0);
}

TEST_F(UserDraws, RenderingTwiceBeforeTheUpdateEndsIsAnError) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  RwAddUserDrawToClump(cube, RwCreateUserDraw(rwAlignToViewport, 0, 0, 0, 0, 4, 4, recordUserDraw, 0));
  RwBeginCameraUpdate(camera, 0);
  RwRenderClump(cube);
  RwRenderClump(cube);
  EXPECT_EQ(RwGetAndClearError(), rwErrUserDraw);
  RwEndCameraUpdate(camera);
  EXPECT_EQ(userDrawCalls.size(), 1u);
}

TEST_F(UserDraws, CopiedWithTheirClumpAndDestroyedWithIt) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  RwAddUserDrawToClump(cube, RwCreateUserDraw(rwAlignToViewport, 0, 0, 0, 0, 4, 4, recordUserDraw, 3));
  RwClump* copy = RwDuplicateClump(cube);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->userDraws, nullptr);
  EXPECT_EQ(copy->userDraws->data, 3u);
  EXPECT_EQ(copy->userDraws->clump, copy);
  EXPECT_EQ(cube->userDraws->clumpNext, nullptr);
  RwDestroyClump(cube);
  RwBeginCameraUpdate(camera, 0);
  RwRenderScene(RwGetDefaultScene());
  RwEndCameraUpdate(camera);
  ASSERT_EQ(userDrawCalls.size(), 1u);
  EXPECT_EQ(userDrawCalls[0].data, 3u);
}

}  // namespace
