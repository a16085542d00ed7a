// The software rasterisers at 640 x 480: one screen-filling quad (two
// triangles) per iteration, foreshortened (camera depth 1 on the left, 4 on
// the right, the texture repeated four times across), drawn by each family
// in 15/16-bit and 8-bit colour. Rates are Mpixels/s of covered screen.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/camera.h"
#include "engine/library.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/raster/perspective.h"
#include "engine/raster/textured.h"
#include "engine/raster/untextured.h"
#include "engine/rasterfeed.h"
#include "engine/texture.h"
#include "platform/display.h"

namespace {

constexpr int width = 640, height = 480;

struct Screen {
  explicit Screen(int depth) {
    platform::setDisplayDepth(depth);
    RwOpenDefault("MSWindows", 0);
    camera = RwCreateCamera(width, height, nullptr);
    RwSetCameraViewport(camera, 0, 0, width, height);
    material = RwCreateMaterial();
    texels.assign(128 * 128 * 2, 0);
    for (size_t k = 0; k < texels.size(); ++k) texels[k] = static_cast<uint8_t>(k * 7 % 251 + 1);
    texture.texels = texels.data();
    texture.frameCount = 1;
    texture.frameStep = 1;
    material->texture = &texture;
    material->opacity = 128;
    polygon = static_cast<RwPolygon*>(std::calloc(1, sizeof(RwPolygon) + 4 * sizeof(RwVertex*)));
    polygon->material = material;
    polygon->vertexCount = 4;
    const int corners[4][2] = {{0, 0}, {0, height}, {width, height}, {width, 0}};
    for (int k = 0; k < 4; ++k) {
      RwVertex& v = vertices[k];
      const bool right = corners[k][0] == width;
      v.screenX = corners[k][0] * 65536;
      v.screenY = corners[k][1] * 65536;
      v.cameraDepth = right ? 4.0f : 1.0f;
      v.depth = right ? 10000 : 40000;
      v.u = right ? 4 * 65536 : 0;
      v.v = static_cast<int32_t>(corners[k][1] / 120.0 * v.cameraDepth * 65536);
      for (int c = 0; c < 3; ++c) v.intensity[c] = (6 + 20 * corners[k][1] / height) << 16;
      polygon->vertices[k] = &v;
    }
    for (RwFixed& level : polygon->intensity) level = 20 << 16;
    RwBeginCameraUpdate(camera, 0);
  }
  ~Screen() {
    RwEndCameraUpdate(camera);
    material->texture = nullptr;
    RwDestroyMaterial(material);
    std::free(polygon);
    RwClose();
  }
  RwCamera* camera;
  RwMaterial* material;
  RwTexture texture{};
  std::vector<uint8_t> texels;
  RwVertex vertices[4]{};
  RwPolygon* polygon;
};

void drawQuad(benchmark::State& state, int depth, RwTriangleRoutine routine) {
  Screen screen(depth);
  const RwRasterPolygon described = RwDescribePolygon(screen.polygon);
  for (auto _ : state) {
    routine(&described, 2);
    routine(&described, 1);
    benchmark::DoNotOptimize(screen.camera->image.rowTable[240][0]);
  }
  state.counters["Mpixels/s"] =
      benchmark::Counter(static_cast<double>(width) * height * 1e-6, benchmark::Counter::kIsIterationInvariantRate);
}

#define LF_RASTER_BENCH(depth, routine) BENCHMARK_CAPTURE(drawQuad, routine, depth, routine)->Unit(benchmark::kMillisecond)

LF_RASTER_BENCH(16, RwRas16TriFlatOpaque);
LF_RASTER_BENCH(16, RwRas16TriGouraudOpaque);
LF_RASTER_BENCH(16, RwRas16TriUnlitAffineOpaque);
LF_RASTER_BENCH(16, RwRas16TriFlatAffineOpaque);
LF_RASTER_BENCH(16, RwRas16TriGouraudAffineOpaque);
LF_RASTER_BENCH(16, RwRas16TriUnlitPerspOpaque);
LF_RASTER_BENCH(16, RwRas16TriUnlitPerspOpaqueReference);
LF_RASTER_BENCH(16, RwRas16TriFlatPerspOpaque);
LF_RASTER_BENCH(16, RwRas16TriGouraudPerspOpaque);
LF_RASTER_BENCH(16, RwRas16TriUnlitPerspStipple);
LF_RASTER_BENCH(16, RwRas16TriUnlitPerspFilterOpaque);
LF_RASTER_BENCH(16, RwRas16TriFlatPerspFilterOpaque);
LF_RASTER_BENCH(8, RwRas8TriFlatOpaque);
LF_RASTER_BENCH(8, RwRas8TriUnlitAffineOpaque);
LF_RASTER_BENCH(8, RwRas8TriGouraudAffineOpaque);
LF_RASTER_BENCH(8, RwRas8TriUnlitPerspOpaque);
LF_RASTER_BENCH(8, RwRas8TriUnlitPerspOpaqueReference);
LF_RASTER_BENCH(8, RwRas8TriFlatPerspOpaque);
LF_RASTER_BENCH(8, RwRas8TriGouraudPerspOpaque);
LF_RASTER_BENCH(8, RwRas8TriGouraudPerspStipple);
LF_RASTER_BENCH(8, RwRas8TriUnlitPerspFilterOpaque);
LF_RASTER_BENCH(8, RwRas8TriFlatPerspFilterOpaque);

}  // namespace

BENCHMARK_MAIN();
