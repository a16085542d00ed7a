// The render pipeline on the recording device: a scene of 1,000 clumps and
// 100,000 polygons rendered (triangles set up per second), 100 picks in it,
// and plane ordering of clumps of 100, 500 and 1,000 polygons.
#include <cmath>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/depthsort.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/polygon.h"
#include "engine/scene.h"

namespace {

intptr_t trianglesSetUp = 0;

RwMetaCallbacks countingCallbacks() {
  RwMetaCallbacks callbacks = {};
  callbacks.createImage = [](intptr_t, intptr_t) -> uintptr_t { return 1; };
  callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
    image->width = 640;
    image->height = 480;
    image->depth = 16;
  };
  callbacks.drawTriangle = [](const RwMetaTriangle*) { ++trianglesSetUp; };
  return callbacks;
}
RwMetaCallbacks callbacks = countingCallbacks();

struct OpenLibrary {
  OpenLibrary() {
    RwOpenDefault("MetaDevice", reinterpret_cast<intptr_t>(&callbacks));
    camera = RwCreateCamera(640, 480, nullptr);
    RwSetCameraViewport(camera, 0, 0, 640, 480);
    RwSetCameraPosition(camera, 0.0f, 0.0f, 60.0f);
    RwCreateLight(rwDirectionalLight, -0.3f, -0.5f, -1.0f, 1.0f);
  }
  ~OpenLibrary() { RwClose(); }
  RwCamera* camera;
};

// A bumpy sheet of columns x rows quads cut into triangles, facing +z.
RwClump* bumpySheet(float x, float y, int columns, int rows, float cell) {
  RwClump* clump = RwCreateClump((columns + 1) * (rows + 1), 2 * columns * rows);
  for (int r = 0; r <= rows; ++r) {
    for (int c = 0; c <= columns; ++c) {
      const float bump = 0.2f * cell * std::sin(static_cast<float>(c * 7 + r * 3));
      RwAddVertexToClump(clump, x + c * cell, y + r * cell, bump);
    }
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const int32_t a = r * (columns + 1) + c + 1, b = a + 1, d = a + columns + 1, e = d + 1;
      const int32_t first[] = {a, b, e}, second[] = {a, e, d};
      RwAddPolygonToClump(clump, 3, first);
      RwAddPolygonToClump(clump, 3, second);
    }
  }
  return clump;
}

void RenderThousandClumps(benchmark::State& state) {
  OpenLibrary library;
  // 40 x 25 clumps of 100 triangles each, filling the view.
  for (int i = 0; i < 1000; ++i) {
    RwClump* clump = bumpySheet(-40.0f + 2.0f * (i % 40), -25.0f + 2.0f * (i / 40), 10, 5, 0.18f);
    RwSetClumpFlags(clump, 0);
  }
  RwScene* scene = RwGetDefaultScene();
  trianglesSetUp = 0;
  for (auto _ : state) {
    RwInvalidateCameraViewport(library.camera);
    RwBeginCameraUpdate(library.camera, 0);
    RwClearCameraViewport(library.camera);
    RwRenderScene(scene);
    RwEndCameraUpdate(library.camera);
  }
  state.counters["triangles/frame"] = static_cast<double>(trianglesSetUp) / static_cast<double>(state.iterations());
  state.counters["triangles/s"] = benchmark::Counter(static_cast<double>(trianglesSetUp), benchmark::Counter::kIsRate);
}
BENCHMARK(RenderThousandClumps)->Unit(benchmark::kMillisecond);

void HundredPicks(benchmark::State& state) {
  OpenLibrary library;
  for (int i = 0; i < 1000; ++i) bumpySheet(-40.0f + 2.0f * (i % 40), -25.0f + 2.0f * (i / 40), 10, 5, 0.18f);
  RwScene* scene = RwGetDefaultScene();
  intptr_t hits = 0;
  for (auto _ : state) {
    for (int p = 0; p < 100; ++p) {
      RwPickRecord record;
      RwPickScene(scene, (p * 61) % 640, (p * 37) % 480, library.camera, &record);
      hits += record.kind;
    }
  }
  state.counters["hits/100"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(HundredPicks)->Unit(benchmark::kMillisecond);

void PlaneOrdering(benchmark::State& state) {
  OpenLibrary library;
  const int polygons = static_cast<int>(state.range(0));
  RwClump* clump = bumpySheet(0.0f, 0.0f, polygons / 20, 10, 1.0f);
  RwSetClumpFlags(clump, 0);
  for (auto _ : state) {
    RwSetClumpFlags(clump, rwHiddenSurface);
    benchmark::DoNotOptimize(RwGetClumpPlaneOrder(clump).runs);
    RwSetClumpFlags(clump, 0);
  }
}
BENCHMARK(PlaneOrdering)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
