// bench/vrml_build.cpp -- parsing and building generated worlds.
//
// Builds a world from a generated file of one Separator holding cubes (12
// triangles and 6 face leaves each), for 10,000 to 200,000 triangles, and
// reports the time per face leaf and the process's peak resident memory per
// face leaf. Doubling the input should not more than double the time: the
// traversal and the object tree do constant work per node.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/object.h"
#include "core/world.h"
#include "vrml/parse.h"

namespace {

std::string generatedFile(long triangles) {
  std::string path = "/tmp/lumenfold_bench_build_" + std::to_string(getpid()) + "_" + std::to_string(triangles) + ".wrl";
  FILE* fp = std::fopen(path.c_str(), "w");
  std::fputs("#VRML V1.0 ascii\nSeparator {\n", fp);
  const long cubes = (triangles + 11) / 12;
  for (long i = 0; i < cubes; ++i)
    std::fprintf(fp, "  Separator { Translation { translation %ld %ld 0 } Cube { width 0.5 height 0.5 depth 0.5 } }\n",
                 i % 100, i / 100);
  std::fputs("}\n", fp);
  std::fclose(fp);
  return path;
}

void BM_BuildCubeWorld(benchmark::State& state) {
  const long triangles = state.range(0);
  const std::string path = generatedFile(triangles);
  const double faces = static_cast<double>((triangles + 11) / 12 * 6);
  for (auto _ : state) {
    ZmWorld* world = zmNewWorld(path.c_str());
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 1);  // request-only: objects take no id, so no range runs out
    zmSetCurrentWorld(world);
    if (parseVRMLIntoWorld(path.c_str(), world) != 0) state.SkipWithError("the world was not built");
    state.PauseTiming();  // tearing the world down is not building it
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
    state.ResumeTiming();
  }
  std::remove(path.c_str());
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  state.counters["faces"] = faces;
  state.counters["time_per_face"] =
      benchmark::Counter(faces, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["peak_bytes_per_face"] = static_cast<double>(usage.ru_maxrss) * 1024.0 / faces;
}

BENCHMARK(BM_BuildCubeWorld)->Arg(10000)->Arg(20000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
