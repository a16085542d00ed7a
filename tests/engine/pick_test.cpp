// Picking: the clump and polygon under a pixel, the hit point on the face,
// misses, depth groups and back faces.
#include <gtest/gtest.h>

#include "engine/clump.h"
#include "engine/polygon.h"
#include "engine/render.h"
#include "engine/scene.h"
#include "render_fixture.h"

namespace {

using render_fixture::CubeFace;
using render_fixture::makeCube;

class Picking : public render_fixture::RecordingEngine {
 protected:
  RwPickRecord pickScene(intptr_t x, intptr_t y) {
    RwPickRecord record = {};
    EXPECT_EQ(RwPickScene(RwGetDefaultScene(), x, y, camera, &record), &record);
    return record;
  }
  // The caller's polygon of the cube that is the given face.
  static RwPolygon* face(RwClump* cube, CubeFace which) {
    const RwVector wanted[] = {{0, 0, 1}, {0, 0, -1}, {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    struct Search {
      RwVector normal;
      RwPolygon* found;
    } search = {wanted[which], nullptr};
    RwForAllPolygonsInClumpWithData(
        cube,
        [](RwPolygon* polygon, void* data) {
          auto* search = static_cast<Search*>(data);
          RwVector n;
          RwGetPolygonNormal(polygon, &n);
          if (RwDotProduct(&n, &search->normal) > 0.99f) search->found = polygon;
          return polygon;
        },
        &search);
    return search.found;
  }
};

TEST_F(Picking, ClumpAndPolygonUnderThePixelWithTheHitOnTheFace) {
  for (uintptr_t flags : {uintptr_t{0}, rwHiddenSurface, rwHiddenSurface | rwEditable}) {
    RwClump* cube = makeCube(0.0f, 0.0f, 0.0f, 1.0f, flags);
    RwPickRecord record = pickScene(width / 2, height / 2);
    ASSERT_EQ(record.kind, 1) << flags;
    EXPECT_EQ(record.clump, cube);
    EXPECT_EQ(record.polygon, face(cube, render_fixture::plusZ));
    EXPECT_NEAR(record.point[2], 0.5f, 1e-4f);
    EXPECT_NEAR(record.point[0], 0.0f, 0.1f);
    EXPECT_NEAR(record.point[1], 0.0f, 0.1f);
    RwDestroyClump(cube);
  }
}

TEST_F(Picking, NothingOffTheCubeOrOutsideTheViewportOrWhenTheClumpIsOff) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f);
  lookAt(2, 2, 4);  // the cube's screen rectangle holds pixels off the cube
  RwMatrix work;
  RwRect rect;
  RwGetClumpScreenBounds(cube, &work, camera, &rect, nullptr);
  EXPECT_EQ(pickScene(rect.x, rect.y).kind, 0);  // a corner of the rectangle, off the hexagon
  EXPECT_EQ(pickScene(width, height / 2).kind, 0);
  EXPECT_EQ(pickScene(-1, height / 2).kind, 0);
  EXPECT_EQ(pickScene(width / 2, height / 2).kind, 1);
  RwSetClumpState(cube, rwClumpOff);
  EXPECT_EQ(pickScene(width / 2, height / 2).kind, 0);
}

TEST_F(Picking, NearerOfTwoInADepthGroupWhicheverIsListedLast) {
  // Boxes that overlap: the scene cannot separate them and groups them.
  RwClump* back = makeCube(0.0f, 0.0f, 0.0f, 1.0f);
  RwClump* front = makeCube(0.2f, 0.1f, 0.4f, 1.0f);
  EXPECT_EQ(pickScene(width / 2, height / 2).clump, front);
  RwDestroyClump(front);
  front = makeCube(0.2f, 0.1f, 0.4f, 1.0f);  // listed the other way round now
  EXPECT_EQ(pickScene(width / 2, height / 2).clump, front);
  RwSetClumpState(front, rwClumpOff);
  EXPECT_EQ(pickScene(width / 2, height / 2).clump, back);
}

TEST_F(Picking, BackFacesAreNeverPicked) {
  RwClump* clump = RwCreateClump(3, 1);
  RwAddVertexToClump(clump, -1.0f, -1.0f, 0.0f);
  RwAddVertexToClump(clump, 0.0f, 1.0f, 0.0f);
  RwAddVertexToClump(clump, 1.0f, -1.0f, 0.0f);  // clockwise seen from the camera
  const int32_t indices[] = {1, 2, 3};
  RwPolygon* polygon = RwAddPolygonToClump(clump, 3, indices);
  RwSetClumpFlags(clump, 0);
  EXPECT_EQ(pickScene(width / 2, height / 2).kind, 0);
  RwReversePolygon(polygon);
  EXPECT_EQ(pickScene(width / 2, height / 2).polygon, polygon);
}

TEST_F(Picking, ClippedClumpsArePickedThroughTheClipChain) {
  RwClump* cube = makeCube(0.0f, 0.0f, 0.0f, 1.0f, 0);
  lookAt(0.0f, 0.0f, 0.8f);  // the cube fills the view and more
  RwPickRecord record = pickScene(width / 2, height / 2);
  EXPECT_NE(cube->lastOutcode, 0u);
  ASSERT_EQ(record.kind, 1);
  EXPECT_EQ(record.polygon, face(cube, render_fixture::plusZ));
  EXPECT_NEAR(record.point[2], 0.5f, 1e-4f);
}

}  // namespace
