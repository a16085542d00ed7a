// tests/engine/render_fixture.h -- the engine open on the recording device
// with a recorder of every triangle, a camera, and unit cubes to draw.
#ifndef LUMENFOLD_TESTS_ENGINE_RENDER_FIXTURE_H
#define LUMENFOLD_TESTS_ENGINE_RENDER_FIXTURE_H

#include <vector>

#include <gtest/gtest.h>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/library.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/scene.h"

namespace render_fixture {

inline std::vector<RwMetaTriangle> recorded;
inline intptr_t imageWidth = 0, imageHeight = 0;

inline RwMetaCallbacks recordingCallbacks() {
  RwMetaCallbacks callbacks = {};
  callbacks.createImage = [](intptr_t width, intptr_t height) -> uintptr_t {
    imageWidth = width;
    imageHeight = height;
    return 1;
  };
  callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
    image->width = imageWidth;
    image->height = imageHeight;
    image->depth = 16;
  };
  callbacks.colourToDeviceValue = [](const uint16_t* rgb) -> uintptr_t {
    return (uintptr_t{rgb[0]} >> 8 << 16) | (uintptr_t{rgb[1]} >> 8 << 8) | (rgb[2] >> 8);
  };
  callbacks.drawTriangle = [](const RwMetaTriangle* triangle) { recorded.push_back(*triangle); };
  return callbacks;
}
inline RwMetaCallbacks callbacks = recordingCallbacks();

// The unit cube's corners and its faces, wound counter-clockwise seen from
// outside (the side that faces the camera is drawn).
constexpr float cubeCorners[8][3] = {{-0.5f, -0.5f, -0.5f}, {0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, -0.5f},
                                     {-0.5f, 0.5f, -0.5f},  {-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f},
                                     {0.5f, 0.5f, 0.5f},    {-0.5f, 0.5f, 0.5f}};
constexpr int32_t cubeFaces[6][4] = {{5, 6, 7, 8}, {1, 4, 3, 2}, {2, 3, 7, 6},
                                     {1, 5, 8, 4}, {4, 8, 7, 3}, {1, 2, 6, 5}};
enum CubeFace { plusZ, minusZ, plusX, minusX, plusY, minusY };

// A cube of the given side centred at (x, y, z), with the given flags.
inline RwClump* makeCube(float x, float y, float z, float side = 1.0f, uintptr_t flags = rwHiddenSurface) {
  RwClump* clump = RwCreateClump(8, 6);
  for (const auto& c : cubeCorners) RwAddVertexToClump(clump, x + side * c[0], y + side * c[1], z + side * c[2]);
  for (const auto& face : cubeFaces) RwAddPolygonToClump(clump, 4, face);
  RwSetClumpFlags(clump, flags);
  return clump;
}

class RecordingEngine : public ::testing::Test {
 protected:
  static constexpr intptr_t width = 64, height = 48;

  void SetUp() override {
    RwGetAndClearError();
    recorded.clear();
    ASSERT_EQ(RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks)), 1);
    camera = RwCreateCamera(width, height, nullptr);
    ASSERT_NE(camera, nullptr);
    RwSetCameraViewport(camera, 0, 0, width, height);
    RwSetCameraPosition(camera, 0.0f, 0.0f, 5.0f);
  }
  void TearDown() override {
    RwClose();
    RwFailAllocationsAfter(-1);
    RwGetAndClearError();
  }

  void lookAt(float x, float y, float z) {
    RwSetCameraPosition(camera, x, y, z);
    RwPointCamera(camera, -x, -y, -z);
  }

  // One frame of the default scene; returns what the device recorded.
  std::vector<RwMetaTriangle> renderFrame() {
    recorded.clear();
    RwBeginCameraUpdate(camera, 0);
    RwClearCameraViewport(camera);
    RwRenderScene(RwGetDefaultScene());
    RwEndCameraUpdate(camera);
    return recorded;
  }

  RwCamera* camera = nullptr;
};

}  // namespace render_fixture

#endif
