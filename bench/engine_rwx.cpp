// Reading a model script of 10,000 vertices: a 100 x 100 grid of vertex
// lines (with comments and capitals, as authors write them) and the 9,801
// quads between them, read with RwReadShape on the null device. The time
// per script and the vertices read per second are reported.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/clump.h"
#include "engine/library.h"
#include "engine/polygon.h"
#include "engine/shapefile.h"

namespace {

constexpr int kSide = 100;  // vertices per grid row

std::string gridScript() {
  std::string text = "# a 100 x 100 grid\r\nModelBegin\r\nClumpBegin\r\n  Color 0.5 0.5 0.5\r\n";
  char line[96];
  for (int row = 0; row < kSide; ++row) {
    for (int column = 0; column < kSide; ++column) {
      std::snprintf(line, sizeof line, "  Vertex %d.25 %d.5 0.125 # v%d\r\n", column, row, row * kSide + column);
      text += line;
    }
  }
  for (int row = 0; row + 1 < kSide; ++row) {
    for (int column = 0; column + 1 < kSide; ++column) {
      int a = row * kSide + column + 1;
      std::snprintf(line, sizeof line, "  Quad %d %d %d %d\r\n", a, a + 1, a + kSide + 1, a + kSide);
      text += line;
    }
  }
  return text + "ClumpEnd\r\nModelEnd\r\n";
}

void ReadGridScript(benchmark::State& state) {
  char path[] = "/tmp/lumenfold-grid-XXXXXX";
  int descriptor = mkstemp(path);
  std::string script = gridScript();
  std::FILE* file = fdopen(descriptor, "wb");
  std::fwrite(script.data(), 1, script.size(), file);
  std::fclose(file);
  RwOpenDefault("NullDevice", 0);
  for (auto _ : state) {
    RwClump* clump = RwReadShape(path);
    if (!clump || RwGetClumpNumVertices(clump) != kSide * kSide) {
      state.SkipWithError("the script was not read");
      break;
    }
    RwDestroyClump(clump);
  }
  RwClose();
  std::remove(path);
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(script.size()));
}
BENCHMARK(ReadGridScript)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
