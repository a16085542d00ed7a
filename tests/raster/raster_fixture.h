// tests/raster/raster_fixture.h -- the engine open on the Windows device
// over a chosen display depth, one camera updating, and hand-made polygons
// for the draw routines.
#ifndef LUMENFOLD_TESTS_RASTER_FIXTURE_H
#define LUMENFOLD_TESTS_RASTER_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/camera.h"
#include "engine/depthbuffer.h"
#include "engine/library.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/rasterfeed.h"
#include "platform/display.h"
#include "platform/recorder.h"

// A screen vertex: whole pixels, 16.16 intensities, depth.
struct ScreenPoint {
  int x, y;
  int32_t intensity = 31 << 16;
  int32_t depth = 1000;
};

// A polygon record with its own vertices, as the pipeline hands them over.
class TestPolygon {
 public:
  TestPolygon(RwMaterial* material, std::initializer_list<ScreenPoint> points) : vertices_(points.size()) {
    block_ = static_cast<RwPolygon*>(std::calloc(1, sizeof(RwPolygon) + points.size() * sizeof(RwVertex*)));
    block_->material = material;
    block_->vertexCount = static_cast<uint32_t>(points.size());
    size_t k = 0;
    for (const ScreenPoint& p : points) {
      RwVertex& v = vertices_[k];
      v = {};
      v.screenX = p.x * 65536;
      v.screenY = p.y * 65536;
      v.depth = p.depth;
      v.intensity[0] = v.intensity[1] = v.intensity[2] = p.intensity;
      block_->vertices[k++] = &v;
    }
    for (RwFixed& level : block_->intensity) level = 31 << 16;
  }
  ~TestPolygon() { std::free(block_); }
  TestPolygon(const TestPolygon&) = delete;
  TestPolygon& operator=(const TestPolygon&) = delete;

  RwPolygon* get() { return block_; }
  // What the engine hands a draw routine for the polygon as it is now.
  const RwRasterPolygon* described() {
    described_ = RwDescribePolygon(block_);
    return &described_;
  }
  RwVertex& vertex(size_t k) { return vertices_[k]; }
  void setIntensity(int32_t level) {
    for (RwFixed& value : block_->intensity) value = level;
  }

 private:
  std::vector<RwVertex> vertices_;
  RwPolygon* block_;
  RwRasterPolygon described_{};
};

// The engine on "MSWindows" at a display depth, with a camera of
// width x height whose update has begun.
class RasterTest : public ::testing::Test {
 protected:
  void openAt(int displayDepth, int width = 32, int height = 24, const char* device = "MSWindows") {
    ASSERT_TRUE(platform::setDisplayDepth(displayDepth));
    RwGetAndClearError();
    ASSERT_EQ(RwOpenDefault(device, 0), 1);
    camera_ = RwCreateCamera(width, height, nullptr);
    ASSERT_NE(camera_, nullptr);
    RwSetCameraViewport(camera_, 0, 0, width, height);
    material_ = RwCreateMaterial();
    ASSERT_NE(material_, nullptr);
    RwBeginCameraUpdate(camera_, 0);
    clearImage();
  }

  void TearDown() override {
    if (camera_) RwEndCameraUpdate(camera_);
    if (material_) RwDestroyMaterial(material_);
    RwClose();
    RwFailAllocationsAfter(-1);
    RwGetAndClearError();
    platform::setDisplayDepth(24);
    platform::clearRecordedEvents();
  }

  void clearImage() {
    const RwCameraImage& image = camera_->image;
    for (intptr_t y = 0; y < image.height; ++y) {
      std::fill(image.rowTable[y], image.rowTable[y] + image.width * image.depth / 8, uint8_t{0});
    }
    const RwRect all = {0, 0, static_cast<int32_t>(image.width), static_cast<int32_t>(image.height)};
    RwClearDepthBufferRect(&all);
  }

  uint32_t pixel(int x, int y) const {
    const RwCameraImage& image = camera_->image;
    if (image.depth == 8) return image.rowTable[y][x];
    return reinterpret_cast<const uint16_t*>(image.rowTable[y])[x];
  }

  uint16_t storedDepth(int x, int y) const {
    const RwDepthBuffer& z = RwGetDepthBuffer();
    return z.base[y * z.width + x];
  }

  // Rows of the image's top-left corner, '#' where a pixel is not 0.
  std::vector<std::string> mask(int width, int height) const {
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
      std::string row;
      for (int x = 0; x < width; ++x) row += pixel(x, y) ? '#' : '.';
      rows.push_back(row);
    }
    return rows;
  }

  // FNV-1a over the image rows, top first.
  uint32_t checksum() const {
    const RwCameraImage& image = camera_->image;
    uint32_t hash = 2166136261u;
    for (intptr_t y = 0; y < image.height; ++y) {
      for (intptr_t b = 0; b < image.width * image.depth / 8; ++b) hash = (hash ^ image.rowTable[y][b]) * 16777619u;
    }
    return hash;
  }

  RwCamera* camera_ = nullptr;
  RwMaterial* material_ = nullptr;
};

#endif
