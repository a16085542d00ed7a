// The vertex transform, the orientation test, the rectangle fills and the
// shared depth buffer.
#include <bit>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "engine/camera.h"
#include "engine/depthbuffer.h"
#include "engine/polygon.h"
#include "engine/rectfill.h"
#include "engine/renderstate.h"
#include "engine/vertexxform.h"
#include "engine_fixture.h"

namespace {

int orientation(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  RwVertex v[3] = {};
  const int32_t xy[3][2] = {{x0, y0}, {x1, y1}, {x2, y2}};
  alignas(RwPolygon) unsigned char storage[sizeof(RwPolygon) + 3 * sizeof(RwVertex*)] = {};
  auto* polygon = reinterpret_cast<RwPolygon*>(storage);
  polygon->vertexCount = 3;
  for (int i = 0; i < 3; ++i) {
    v[i].screenX = xy[i][0] * 65536;  // whole pixels in 16.16
    v[i].screenY = xy[i][1] * 65536;
    polygon->vertices[i] = &v[i];
  }
  return RwTriOrientation(polygon);
}

TEST(VertexTransform, OrientationCases) {
  struct Case {
    int32_t points[6];
    int expected;
  };
  const Case cases[] = {
      {{0, 0, 0, 1, 1, 0}, 1},     // counter-clockwise on the screen
      {{0, 0, 1, 0, 0, 1}, 0},     // clockwise
      {{0, 0, 1, 1, 2, 2}, 0},     // collinear: the exact path
      {{0, 0, 0, -1, 0, -2}, 1},   // the sign shortcut
      {{0, 0, 0, 1, 0, 2}, 0},
      {{0, 0, 20000, 1, 1, 20000}, 0},  // products beyond 32 bits
      {{0, 0, 1, 20000, 20000, 1}, 1},
  };
  for (const Case& c : cases) {
    const int32_t* p = c.points;
    EXPECT_EQ(orientation(p[0], p[1], p[2], p[3], p[4], p[5]), c.expected)
        << p[0] << "," << p[1] << " " << p[2] << "," << p[3] << " " << p[4] << "," << p[5];
  }
}

using Transform = OpenEngine;

TEST_F(Transform, ProjectsToSixteenSixteenPixelsAndScreenDepth) {
  RwCamera* camera = RwCreateCamera(100, 50, nullptr);
  RwSetCameraViewport(camera, 0, 0, 100, 50);
  rwRenderState.currentCamera = camera;
  const float range[2] = {1.0f, 10.0f};
  RwSetZProjection(range);
  RwMatrix identity;
  RwIdentityMatrix(&identity);
  RwVertex vertices[3] = {};
  vertices[0].model = {0.5f, 0.25f, 1.0f};   // on the near plane
  vertices[1].model = {1.0f, 1.0f, 10.0f};   // on the far plane
  vertices[2].model = {3.0f, 4.0f, 2.0f};
  RwTransformVertices(vertices, 3, &identity, camera, rwTransformAndProject);
  EXPECT_EQ(vertices[0].screenX, 50 * 65536);  // 0.5 of a viewport 100 wide
  EXPECT_EQ(vertices[0].screenY, 50 * 65536 / 4);
  EXPECT_EQ(vertices[0].depth, 32704);
  EXPECT_EQ(vertices[1].depth, 64);
  EXPECT_EQ(vertices[2].screenX, 150 * 65536);
  EXPECT_EQ(vertices[2].cameraDepth, 2.0f);

  RwTransformVertices(vertices, 3, &identity, camera, rwTransformOnly);  // floats, no projection
  EXPECT_EQ(std::bit_cast<float>(vertices[2].screenX), 3.0f);
  EXPECT_EQ(std::bit_cast<float>(vertices[2].screenY), 4.0f);
  EXPECT_EQ(std::bit_cast<float>(vertices[2].depth), 2.0f);

  RwSetCameraProjection(camera, rwParallel);
  RwSetZProjection(range);
  RwTransformVertices(vertices, 3, &identity, camera, rwTransformAndProject);
  EXPECT_EQ(vertices[2].screenY, 200 * 65536);
  EXPECT_EQ(vertices[0].depth, 32704);
  EXPECT_EQ(vertices[1].depth, 64);
  rwRenderState.currentCamera = nullptr;
}

TEST(RectangleFills, RowsWideAndNarrow) {
  RwCamera camera = {};
  camera.image.stride = 32;
  rwRenderState.currentCamera = &camera;
  std::vector<uint8_t> image(32 * 3, 0xEE);
  uint8_t* start = image.data() + 1;
  RwRas8FillRect(&start, 19, 2, 0x07070707);  // four words and three bytes per row
  for (int x = 0; x < 32; ++x) {
    EXPECT_EQ(image[x], x >= 1 && x < 20 ? 0x07 : 0xEE) << x;
    EXPECT_EQ(image[32 + x], image[x]);
    EXPECT_EQ(image[64 + x], 0xEE);
  }
  std::fill(image.begin(), image.end(), 0xEE);
  start = image.data();
  RwRas16FillRect(&start, 22, 1, 0x12341234);  // five words and one pixel
  EXPECT_EQ(image[20], 0x34);
  EXPECT_EQ(image[21], 0x12);
  EXPECT_EQ(image[22], 0xEE);
  RwRas16FillRect(&start, 0, 1, 0);  // empty rectangles write nothing
  RwRas8FillRect(&start, 4, 0, 0);
  EXPECT_EQ(image[0], 0x34);
  rwRenderState.currentCamera = nullptr;
}

TEST(RectangleFills, ZBufferRowsAreClearedWithoutATail) {
  std::vector<uint8_t> zbuffer(64, 0xFF);
  RwClearZBufferRect(zbuffer.data(), 8, 2, 32);  // four 16-bit zeros per row
  RwClearZBufferRect(zbuffer.data() + 10, 20, 1, 32);  // five 32-bit zeros
  for (int x = 0; x < 32; ++x) EXPECT_EQ(zbuffer[x], x < 8 || (x >= 10 && x < 30) ? 0 : 0xFF) << x;
  for (int x = 0; x < 32; ++x) EXPECT_EQ(zbuffer[32 + x], x < 8 ? 0 : 0xFF) << x;
  RwClearZBufferRect(zbuffer.data() + 40, 0, 5, 32);
  EXPECT_EQ(zbuffer[40], 0xFF);
}

TEST_F(Transform, TheDepthBufferGrowsToTheLargestWidthAndHeight) {
  ASSERT_EQ(RwGrowDepthBuffer(640, 100), 1);
  ASSERT_EQ(RwGrowDepthBuffer(100, 480), 1);  // taller but narrower: keeps the width
  EXPECT_EQ(RwGetDepthBuffer().width, 640);
  EXPECT_EQ(RwGetDepthBuffer().height, 480);
  EXPECT_EQ(RwGetDepthBuffer().stride, 1280);
  const uint16_t* base = RwGetDepthBuffer().base;
  ASSERT_EQ(RwGrowDepthBuffer(320, 240), 1);  // fits: not remade
  EXPECT_EQ(RwGetDepthBuffer().base, base);
  std::fill(RwGetDepthBuffer().base, RwGetDepthBuffer().base + 640 * 480, 0xFFFF);
  const RwRect rect = {3, 1, 4, 1};
  RwClearDepthBufferRect(&rect);  // rounded out to pixels 2..7
  const uint16_t* row = base + 640;
  for (int x = 0; x < 10; ++x) EXPECT_EQ(row[x], x >= 2 && x < 8 ? 0 : 0xFFFF) << x;
  RwFailAllocationsAfter(0);
  EXPECT_EQ(RwGrowDepthBuffer(2000, 10), 0);
  EXPECT_EQ(RwGetAndClearError(), rwErrOutOfMemory);
  EXPECT_EQ(RwGetDepthBuffer().base, nullptr);
}

}  // namespace
