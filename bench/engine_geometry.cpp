// Clump geometry: cutting non-convex polygons into triangles, and building
// a large clump vertex by vertex with a grid of quadrilaterals over it.
#include <cmath>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/clump.h"
#include "engine/library.h"
#include "engine/polygon.h"
#include "engine/ptrarray.h"

namespace {

struct OpenLibrary {
  OpenLibrary() { RwOpenDefault("NullDevice", 0); }
  ~OpenLibrary() { RwClose(); }
};

// A star of n corners (n even): every other corner reflex.
void cutStar(benchmark::State& state) {
  OpenLibrary library;
  const int32_t corners = static_cast<int32_t>(state.range(0));
  RwClump* clump = RwCreateClump(corners, 0);
  std::vector<int32_t> indices;
  for (int32_t i = 0; i < corners; ++i) {
    float angle = static_cast<float>(i) * 6.2831853f / static_cast<float>(corners);
    float radius = i % 2 ? 0.6f : 1.0f;
    indices.push_back(static_cast<int32_t>(RwAddVertexToClump(clump, radius * std::cos(angle), radius * std::sin(angle), 0)));
  }
  for (auto _ : state) {
    RwPolygon* polygon = RwAddPolygonToClump(clump, corners, indices.data());
    benchmark::DoNotOptimize(polygon);
    RwDestroyPolygon(polygon);
  }
  state.counters["triangles"] = corners - 2;
  RwDestroyClump(clump);
}
BENCHMARK(cutStar)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond);

// 100,000 vertices on a 250 x 400 grid, then one quadrilateral per cell.
void buildClump(benchmark::State& state) {
  OpenLibrary library;
  constexpr int32_t columns = 250, rows = 400;
  for (auto _ : state) {
    RwClump* clump = RwCreateClump(0, 0);
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t c = 0; c < columns; ++c) RwAddVertexToClump(clump, static_cast<float>(c), static_cast<float>(r), 0);
    }
    for (int32_t r = 0; r + 1 < rows; ++r) {
      for (int32_t c = 0; c + 1 < columns; ++c) {
        int32_t corner = r * columns + c + 1;
        const int32_t quad[] = {corner, corner + 1, corner + columns + 1, corner + columns};
        RwAddPolygonToClump(clump, 4, quad);
      }
    }
    benchmark::DoNotOptimize(RwGetClumpNumPolygons(clump));
    RwDestroyClump(clump);
  }
  state.counters["vertices"] = columns * rows;
}
BENCHMARK(buildClump)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
