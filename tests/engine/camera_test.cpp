// Cameras: damage masks and their rectangles, clearing with a backdrop,
// showing, moves, the view matrix and the pick ray.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "engine/camera.h"
#include "engine/rasters.h"
#include "engine_fixture.h"

// Found by argument lookup, so it lives beside RwRect.
bool operator==(const RwRect& a, const RwRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

namespace {

struct DeviceCall {
  char kind;  // 'c' clear, 'b' backdrop tile, 's' show
  RwRect rect;
  intptr_t x, y;  // destination of a backdrop tile
};
std::vector<DeviceCall> deviceCalls;

class Cameras : public OpenEngine {
 protected:
  void SetUp() override {
    OpenEngine::SetUp();
    deviceCalls.clear();
    rwDeviceRecord.clearRect = [](RwCamera*, const RwRect* r) { deviceCalls.push_back({'c', *r, 0, 0}); };
    rwDeviceRecord.showImage = [](RwCamera*, const RwRect* r, HDC) { deviceCalls.push_back({'s', *r, 0, 0}); };
    rwDeviceRecord.drawBackdropRect = [](RwCamera*, const RwRect* r, intptr_t x, intptr_t y) {
      deviceCalls.push_back({'b', *r, x, y});
    };
    camera = RwCreateCamera(320, 240, nullptr);
    ASSERT_NE(camera, nullptr);
    RwSetCameraViewport(camera, 0, 0, 320, 240);
    clearMask();
  }
  void clearMask() {
    for (uint32_t& word : camera->damageMaskA) word = 0;
    for (uint32_t& word : camera->damageMaskB) word = 0;
    deviceCalls.clear();
  }
  std::vector<RwRect> rectsOfA() {
    RwDamageRects rects;
    RwDamageMaskRects(camera, camera->damageMaskA, &rects);
    return {rects.rects, rects.rects + rects.count};
  }
  RwCamera* camera = nullptr;
};

TEST_F(Cameras, ANewCameraHasItsDefaultsAndAnEmptyViewport) {
  RwCamera* fresh = RwCreateCamera(64, 64, nullptr);
  intptr_t width = -1, height = -1;
  RwGetCameraViewport(fresh, nullptr, nullptr, &width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
  for (uint32_t word : fresh->damageMaskA) EXPECT_EQ(word, 0u);
  EXPECT_EQ(RwGetCameraNearClipping(fresh), 0.05f);
  EXPECT_EQ(RwGetCameraFarClipping(fresh), 3.4028235e38f);
  EXPECT_EQ(RwGetCameraProjection(fresh), rwPerspective);
  EXPECT_EQ(RwGetCameraNearClipping(nullptr), -1.0f);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwDestroyCamera(fresh), 1);
}

TEST_F(Cameras, DamageIsClippedToTheViewportAndMarksWholeCells) {
  RwDamageCameraRect(camera, -10, -10, 20, 20);  // partly left and above: clipped, not dropped
  EXPECT_EQ(camera->damageMaskA[0], 1u);
  clearMask();
  RwDamageCameraRect(camera, 5, 5, 0, 10);  // zero width
  for (uint32_t word : camera->damageMaskA) EXPECT_EQ(word, 0u);
  RwDamageCameraRect(camera, 40, 70, 60, 1);  // columns 1..3 of row 2
  EXPECT_EQ(camera->damageMaskA[2], 0xEu);
}

TEST_F(Cameras, AFullRowOfColumnsIsMarked) {
  RwCamera* wide = RwCreateCamera(1024, 64, nullptr);
  RwSetCameraViewport(wide, 0, 0, 1024, 64);
  EXPECT_EQ(wide->damageMaskA[0], 0xFFFFFFFFu);
  EXPECT_EQ(wide->damageMaskA[1], 0xFFFFFFFFu);
  EXPECT_EQ(wide->damageMaskA[2], 0u);
}

TEST_F(Cameras, LargeViewportsUseCoarserCellsAndStillMarkSmallDamage) {
  RwCamera* big = RwCreateCamera(2048, 100, nullptr);
  RwSetCameraViewport(big, 0, 0, 2048, 100);
  EXPECT_EQ(big->damageShift, 1u);
  for (uint32_t& word : big->damageMaskA) word = 0;
  RwDamageCameraRect(big, 129, 0, 1, 1);  // one pixel: unit 64, cell 2
  EXPECT_EQ(big->damageMaskA[0], 4u);
}

TEST_F(Cameras, MaskRunsBecomeRectanglesMergedDownward) {
  camera->damageMaskA[0] = camera->damageMaskA[1] = 0x6;  // the same single run twice
  camera->damageMaskA[3] = camera->damageMaskA[4] = 0x9;  // two runs: never merged
  std::vector<RwRect> expected = {{32, 0, 64, 64}, {0, 96, 32, 32}, {96, 96, 32, 32}, {0, 128, 32, 32},
                                  {96, 128, 32, 32}};
  EXPECT_EQ(rectsOfA(), expected);
  clearMask();
  camera->damageMaskA[6] = 0x80000000u;  // beyond the viewport's 320 pixels and 240 rows
  for (int r = 7; r < 32; ++r) camera->damageMaskA[r] = 0x3C0u;
  expected = {{192, 224, 128, 16}};
  EXPECT_EQ(rectsOfA(), expected);
}

TEST_F(Cameras, ClearingTilesTheBackdropAndClearsTheRest) {
  RwRaster* raster = RwCreateRaster(64, 64, 8);
  RwSetCameraBackdrop(camera, raster);
  RwSetCameraBackdropViewportRect(camera, 32, 0, 64, 32);
  RwSetCameraBackdropOffset(camera, -1, 0);
  clearMask();
  camera->damageMaskA[0] = 0x7;  // pixels 0..95 of row band 0
  RwClearCameraViewport(camera);
  ASSERT_EQ(deviceCalls.size(), 3u);
  EXPECT_EQ(deviceCalls[0].kind, 'c');  // the part left of the backdrop
  EXPECT_EQ(deviceCalls[0].rect, (RwRect{0, 0, 32, 32}));
  // Offset -1 on a raster 64 wide starts at raster column 63.
  EXPECT_EQ(deviceCalls[1].kind, 'b');
  EXPECT_EQ(deviceCalls[1].rect, (RwRect{63, 0, 1, 32}));
  EXPECT_EQ(deviceCalls[1].x, 32);
  EXPECT_EQ(deviceCalls[2].rect, (RwRect{0, 0, 63, 32}));
  EXPECT_EQ(deviceCalls[2].x, 33);
  EXPECT_EQ(camera->damageMaskA[0], 0u);  // moved into mask B for showing
  EXPECT_EQ(camera->damageMaskB[0], 0x7u);
  RwSetCameraBackdrop(camera, nullptr);
  RwDestroyRaster(raster);
}

TEST_F(Cameras, ShowingCopiesDamageOnceAndNeverTheCurrentCamera) {
  RwDamageCameraRect(camera, 0, 0, 10, 10);
  RwBeginCameraUpdate(camera, 0);
  RwShowCameraImage(camera, nullptr);
  EXPECT_TRUE(deviceCalls.empty());
  RwEndCameraUpdate(camera);
  EXPECT_EQ(RwGetCurrentCamera(), nullptr);
  RwShowCameraImage(camera, nullptr);
  ASSERT_EQ(deviceCalls.size(), 2u);
  EXPECT_EQ(deviceCalls[0].rect, (RwRect{0, 0, 32, 32}));
  EXPECT_EQ(deviceCalls[1].rect, (RwRect{0, 0, 0, 0}));  // ends the sequence
  deviceCalls.clear();
  RwClearCameraViewport(camera);  // A moves into B
  RwShowCameraImage(camera, nullptr);
  EXPECT_EQ(deviceCalls.size(), 3u);  // clear, show, end
  deviceCalls.clear();
  RwShowCameraImage(camera, nullptr);
  EXPECT_EQ(deviceCalls.size(), 1u);  // nothing damaged since
}

TEST_F(Cameras, MovesFollowTheCamerasOwnAxes) {
  int32_t stamp = camera->changeStamp;
  ASSERT_EQ(RwVCMoveCamera(camera, 1, 0, 0), camera);  // right vector is (-1, 0, 0): subtracted
  RwVector v;
  RwGetCameraPosition(camera, &v);
  EXPECT_FLOAT_EQ(v.x, 1.0f);
  EXPECT_EQ(camera->changeStamp, stamp + 1);
  EXPECT_EQ(camera->viewMatrix.changed, 1);
  RwVCMoveCamera(camera, 0, 0, 2);  // forward along (0, 0, -1)
  RwGetCameraPosition(camera, &v);
  EXPECT_FLOAT_EQ(v.z, -2.0f);
  RwWCMoveCamera(camera, 0, 3, 0);
  RwGetCameraPosition(camera, &v);
  EXPECT_FLOAT_EQ(v.y, 3.0f);

  RwResetCamera(camera);
  ASSERT_EQ(RwPointCamera(camera, 0, 1, 0), camera);  // up parallel: right kept
  RwGetCameraLookAt(camera, &v);
  EXPECT_FLOAT_EQ(v.y, 1.0f);
  EXPECT_FLOAT_EQ(camera->matrix.m[0][0], -1.0f);
  RwGetAndClearError();
  EXPECT_EQ(RwPointCamera(camera, 0.0f, -0.0f, 0.0f), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrZeroVector);

  RwResetCamera(camera);
  RwPanCamera(camera, 90);  // turn about up: look-at goes from -z to -x
  RwGetCameraLookAt(camera, &v);
  EXPECT_NEAR(v.x, -1.0f, 1e-5);
  EXPECT_NEAR(v.z, 0.0f, 1e-5);
}

TEST_F(Cameras, SettingsRefuseBadValues) {
  EXPECT_EQ(RwSetCameraProjection(camera, 3), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrProjection);
  EXPECT_EQ(RwSetCameraViewwindow(camera, 0.0f, 1.0f), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrBadCount);
  RwSetCameraData(camera, 77);
  EXPECT_EQ(RwGetCameraData(camera), 77u);
  EXPECT_EQ(RwGetCameraImage(camera), nullptr);  // the null device keeps no DC
  RwSetCameraViewport(camera, 0, 0, 5000, 5000);  // clamped to the image
  intptr_t width = 0;
  RwGetCameraViewport(camera, nullptr, nullptr, &width, nullptr);
  EXPECT_EQ(width, 320);
}

// World point through the view matrix to the normalised screen.
RwVector project(const RwCamera* camera, RwVector p) {
  RwTransformPoint(&p, &camera->viewMatrix);
  if (camera->projection == rwPerspective) return {p.x / p.z, p.y / p.z, p.z};
  return p;
}

TEST_F(Cameras, TheViewMatrixMapsTheViewWindowToTheUnitSquare) {
  RwSetCameraPosition(camera, 0, 0, 5);
  RwSetCameraViewwindow(camera, 0.5f, 0.25f);
  int32_t stamp = camera->changeStamp;
  RwUpdateCameraView(camera);
  EXPECT_EQ(camera->viewMatrix.changed, 0);
  EXPECT_EQ(camera->changeStamp, stamp + 1);
  RwVector centre = project(camera, {0, 0, 3});
  EXPECT_FLOAT_EQ(centre.x, 0.5f);
  EXPECT_FLOAT_EQ(centre.y, 0.5f);
  EXPECT_FLOAT_EQ(centre.z, 2.0f);
  // At distance 2 the window spans 1 along the right vector (the screen's
  // left) and 0.5 up: that corner is the screen's top left.
  RwVector corner = project(camera, {-1.0f, 0.5f, 3});
  EXPECT_FLOAT_EQ(corner.x, 0.0f);
  EXPECT_FLOAT_EQ(corner.y, 0.0f);

  RwSetCameraProjection(camera, rwParallel);
  RwUpdateCameraView(camera);
  RwVector flat = project(camera, {-0.5f, -0.25f, 0});
  EXPECT_FLOAT_EQ(flat.x, 0.0f);
  EXPECT_FLOAT_EQ(flat.y, 1.0f);
  RwUpdateCameraView(camera);
  EXPECT_EQ(camera->changeStamp, stamp + 2);  // nothing stale: no rebuild
}

TEST_F(Cameras, ThePickRayPassesThroughPixelCentres) {
  RwSetCameraViewport(camera, 0, 0, 3, 3);
  RwVector origin, direction;
  ASSERT_NE(RwCameraPickRay(camera, 1, 1, &origin, &direction), nullptr);
  EXPECT_FLOAT_EQ(direction.x, 0.0f);
  EXPECT_FLOAT_EQ(direction.z, -1.0f);
  RwCameraPickRay(camera, 0, 0, &origin, &direction);  // top left: 2/3 along right (the screen's left), 2/3 up
  EXPECT_FLOAT_EQ(direction.x, -2.0f / 3.0f);
  EXPECT_FLOAT_EQ(direction.y, 2.0f / 3.0f);
  RwSetCameraProjection(camera, rwParallel);
  RwCameraPickRay(camera, 0, 0, &origin, &direction);
  EXPECT_FLOAT_EQ(origin.x, -2.0f / 3.0f);
  EXPECT_FLOAT_EQ(direction.z, -1.0f);
  camera->projection = 5;
  EXPECT_EQ(RwCameraPickRay(camera, 0, 0, &origin, &direction), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrorCap);  // 76 reads back as 71
}

}  // namespace
