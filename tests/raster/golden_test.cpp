// tests/raster/golden_test.cpp -- a multi-material scene rendered through
// the whole pipeline into the Windows device, at both image depths, must
// give the same pixels on every run.
#include <set>

#include "engine/clump.h"
#include "engine/light.h"
#include "engine/modelling.h"
#include "engine/scene.h"
#include "tests/raster/raster_fixture.h"

namespace {

struct Look {
  float red, green, blue;
  intptr_t lightSampling;
  float opacity;
};

RwPolygon* applyLook(RwPolygon* polygon, void* data) {
  const Look* look = static_cast<const Look*>(data);
  RwSetPolygonColor(polygon, look->red, look->green, look->blue);
  RwSetPolygonSurface(polygon, 0.3f, 0.7f, 0.0f);
  RwSetPolygonLightSampling(polygon, look->lightSampling);
  RwSetPolygonOpacity(polygon, look->opacity);
  return polygon;
}

// A cube of side 1 at (x, y, z), faces wound outwards.
void addCube(float x, float y, float z, Look look) {
  static constexpr int32_t faces[6][4] = {{5, 6, 7, 8}, {1, 4, 3, 2}, {2, 3, 7, 6},
                                          {1, 5, 8, 4}, {4, 8, 7, 3}, {1, 2, 6, 5}};
  RwClump* clump = RwCreateClump(8, 6);
  ASSERT_NE(clump, nullptr);
  for (int corner = 0; corner < 8; ++corner) {
    const float cx = (corner == 1 || corner == 2 || corner == 5 || corner == 6) ? 0.5f : -0.5f;
    const float cy = (corner == 2 || corner == 3 || corner == 6 || corner == 7) ? 0.5f : -0.5f;
    const float cz = corner >= 4 ? 0.5f : -0.5f;
    RwAddVertexToClump(clump, x + cx, y + cy, z + cz);
  }
  for (const auto& face : faces) RwAddPolygonToClump(clump, 4, face);
  RwForAllPolygonsInClumpWithData(clump, applyLook, &look);
}

class GoldenScene : public RasterTest {
 protected:
  uint32_t renderAt(int displayDepth) {
    openAt(displayDepth, 160, 120);
    RwEndCameraUpdate(camera_);
    RwSetCameraViewwindow(camera_, 0.5f, 0.375f);
    RwSetCameraPosition(camera_, 2.0f, 2.0f, 5.0f);
    RwPointCamera(camera_, -2.0f, -2.0f, -5.0f);
    RwSetCameraBackColor(camera_, 0.1f, 0.1f, 0.3f);
    RwCreateLight(rwDirectionalLight, -0.5f, -1.0f, -0.8f, 1.0f);
    addCube(-1.4f, 0.0f, 0.0f, {1.0f, 0.2f, 0.2f, rwFacet, 1.0f});
    addCube(0.0f, 0.0f, -0.3f, {0.2f, 1.0f, 0.2f, rwVertex, 1.0f});
    addCube(0.4f, 0.3f, 0.6f, {0.2f, 0.4f, 1.0f, rwVertex, 0.5f});
    addCube(1.5f, -0.2f, 0.2f, {1.0f, 1.0f, 0.2f, rwFacet, 0.5f});
    RwInvalidateCameraViewport(camera_);
    RwBeginCameraUpdate(camera_, 0);
    RwClearCameraViewport(camera_);
    EXPECT_NE(RwRenderScene(RwGetDefaultScene()), nullptr) << RwGetError();
    // Background and several shades of each cube: the scene really drew.
    std::set<uint32_t> colours;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 160; ++x) colours.insert(pixel(x, y));
    EXPECT_GE(colours.size(), 8u);
    const uint32_t sum = checksum();
    RwEndCameraUpdate(camera_);
    return sum;
  }
};

TEST_F(GoldenScene, SixteenBitImageMatchesItsGoldenChecksum) { EXPECT_EQ(renderAt(16), 0x573da390u); }

TEST_F(GoldenScene, EightBitImageMatchesItsGoldenChecksum) { EXPECT_EQ(renderAt(8), 0xfd03b5fdu); }

}  // namespace
