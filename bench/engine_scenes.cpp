// Scenes, lights and the vertex transform: rebuilding and walking a scene of
// 1,000 clumps while some of them move and a depth group of up to 16,000
// cubes, relighting 10,000 vertices under 1 to 8 lights, and transforming
// 100,000 vertices.
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/renderstate.h"
#include "engine/scene.h"
#include "engine/vertexxform.h"

namespace {

struct OpenLibrary {
  OpenLibrary() {
    RwOpenDefault("NullDevice", 0);
    camera = RwCreateCamera(640, 480, nullptr);
    RwSetCameraViewport(camera, 0, 0, 640, 480);
    RwSetCameraPosition(camera, 50, 20, 100);
  }
  // The close withdraws the scene links.
  ~OpenLibrary() { RwClose(); }
  // The scenes draw a clump with `renderClump`; the rest of the pipeline stays.
  void drawClumpsWith(int (*renderClump)(RwClump*)) {
    sceneLinks = rwSceneLinks();
    sceneLinks.renderClump = renderClump;
    rwSceneLinks.provide(sceneLinks);
  }
  RwCamera* camera;
  RwSceneLinks sceneLinks = {};
};

RwClump* cubeAt(float x, float y, float z) {
  RwClump* clump = RwCreateClump(8, 6);
  for (int corner = 0; corner < 8; ++corner) {
    RwAddVertexToClump(clump, x + (corner & 1 ? 0.5f : -0.5f), y + (corner & 2 ? 0.5f : -0.5f),
                       z + (corner & 4 ? 0.5f : -0.5f));
  }
  const int32_t faces[6][4] = {{1, 3, 4, 2}, {5, 6, 8, 7}, {1, 2, 6, 5}, {3, 7, 8, 4}, {1, 5, 7, 3}, {2, 4, 8, 6}};
  for (const auto& face : faces) RwAddPolygonToClump(clump, 4, face);
  return clump;
}

intptr_t clumpsDrawn = 0;

// 1,000 cubes on a 10 x 10 x 10 grid; each frame `moving` of them step
// along x and back, then the scene is rebuilt and walked.
void sceneRebuildAndWalk(benchmark::State& state) {
  OpenLibrary library;
  library.drawClumpsWith([](RwClump*) {
    ++clumpsDrawn;
    return 1;
  });
  RwScene* scene = RwCreateScene();
  std::vector<RwClump*> clumps;
  for (int i = 0; i < 1000; ++i) {
    clumps.push_back(cubeAt(static_cast<float>(i % 10) * 3, static_cast<float>(i / 10 % 10) * 3,
                            static_cast<float>(i / 100) * 3));
    RwAddClumpToScene(scene, clumps.back());
  }
  const intptr_t moving = state.range(0);
  RwMatrix step;
  intptr_t frame = 0;
  clumpsDrawn = 0;
  for (auto _ : state) {
    float offset = frame++ % 2 ? 0.0f : 0.25f;
    RwTranslateMatrix(&step, offset, 0, 0, RwReplace);
    for (intptr_t i = 0; i < moving; ++i) RwTransformClump(clumps[static_cast<size_t>(i * 7 % 1000)], &step, RwReplace);
    RwBeginCameraUpdate(library.camera, 0);
    benchmark::DoNotOptimize(RwRenderScene(scene));
    RwEndCameraUpdate(library.camera);
  }
  state.counters["clumps/frame"] = static_cast<double>(clumpsDrawn) / static_cast<double>(frame);
}
BENCHMARK(sceneRebuildAndWalk)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);

// `count` cubes in one place: every frame one of them steps along x and
// back, which pulls the whole depth group apart, so the frame rebuilds it
// from every member. The time per member stays flat as the group grows.
void coincidentRebuildAndWalk(benchmark::State& state) {
  OpenLibrary library;
  library.drawClumpsWith([](RwClump*) { return 1; });
  RwScene* scene = RwCreateScene();
  const intptr_t count = state.range(0);
  RwClump* first = nullptr;
  for (intptr_t i = 0; i < count; ++i) {
    RwClump* cube = cubeAt(50, 20, 0);
    if (!first) first = cube;
    RwAddClumpToScene(scene, cube);
  }
  RwMatrix step;
  intptr_t frame = 0;
  for (auto _ : state) {
    RwTranslateMatrix(&step, frame++ % 2 ? 0.0f : 0.25f, 0, 0, RwReplace);
    RwTransformClump(first, &step, RwReplace);
    RwBeginCameraUpdate(library.camera, 0);
    benchmark::DoNotOptimize(RwRenderScene(scene));
    RwEndCameraUpdate(library.camera);
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(coincidentRebuildAndWalk)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

// A 100 x 100 grid of vertices, vertex-lit, under `lights` lights of every kind.
void relightVertices(benchmark::State& state) {
  OpenLibrary library;
  RwClump* clump = RwCreateClump(10000, 0);
  for (int i = 0; i < 10000; ++i) RwAddVertexToClump(clump, static_cast<float>(i % 100), 0, static_cast<float>(i / 100));
  RwVertexArray* array = clump->vertexArray;
  for (intptr_t slot = rwReservedVertices; slot < array->count; ++slot) {
    RwVertex& vertex = array->vertices[slot];
    vertex.normal[1] = 16384;
    vertex.ambient = 40;
    vertex.diffuse = 180;
    vertex.specular = 120;
  }
  clump->lightSampling = rwVertex;
  for (intptr_t i = 0; i < state.range(0); ++i) {
    float f = static_cast<float>(i);
    switch (i % 3) {
      case 0: RwCreateLight(rwDirectionalLight, 0.3f * f - 1, -1, 0.2f, 0.8f); break;
      case 1: RwCreateLight(rwPointLight, 10 * f, 30, 50, 0.8f); break;
      default: RwCreateLight(rwSpotLight, 50, 40 + f, 50, 0.8f); break;
    }
  }
  for (auto _ : state) {
    clump->lightingStamp = 0;
    benchmark::DoNotOptimize(RwLightClump(clump));
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(relightVertices)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMicrosecond);

void transformVertices(benchmark::State& state) {
  OpenLibrary library;
  std::vector<RwVertex> vertices(100000);
  for (size_t i = 0; i < vertices.size(); ++i) {
    vertices[i].model = {static_cast<float>(i % 300), static_cast<float>(i / 300 % 300), 5.0f + static_cast<float>(i % 7)};
  }
  RwMatrix matrix;
  RwRotateMatrix(&matrix, 0, 1, 0, 10, RwReplace);
  rwRenderState.currentCamera = library.camera;
  const float range[2] = {1.0f, 1000.0f};
  RwSetZProjection(range);
  const int mode = static_cast<int>(state.range(0));
  for (auto _ : state) {
    RwTransformVertices(vertices.data(), static_cast<intptr_t>(vertices.size()), &matrix, library.camera, mode);
    benchmark::DoNotOptimize(vertices.data());
  }
  rwRenderState.currentCamera = nullptr;
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(vertices.size()));
}
BENCHMARK(transformVertices)->Arg(rwTransformAndProject)->Arg(rwTransformOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
