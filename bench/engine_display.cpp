// The software display device: fill rate and triangle rate of every
// untextured routine family at 640x480 and 1024x768, 8 and 16 bits, with and
// without z-buffer; and frames per second of a 5,000-triangle Gouraud model
// rendered through the whole pipeline at 640x480.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/raster/untextured.h"
#include "engine/rasterfeed.h"
#include "engine/scene.h"
#include "platform/display.h"

namespace {

// The engine on "MSWindows" over a display depth, one camera updating.
struct Device {
  Device(int displayDepth, int width, int height) {
    platform::setDisplayDepth(displayDepth);
    RwOpenDefault("MSWindows", 0);
    camera = RwCreateCamera(width, height, nullptr);
    RwSetCameraViewport(camera, 0, 0, width, height);
    material = RwCreateMaterial();
    material->colour = displayDepth == 8 ? 40 * 32 : 0x7BEF;
    material->opacity = 128;
    RwBeginCameraUpdate(camera, 0);
  }
  ~Device() {
    RwEndCameraUpdate(camera);
    RwDestroyMaterial(material);
    RwClose();
    platform::setDisplayDepth(24);
  }
  RwCamera* camera;
  RwMaterial* material;
};

// A triangle record with its own vertices.
struct Triangle {
  Triangle(RwMaterial* material, int x0, int y0, int x1, int y1, int x2, int y2) {
    polygon = static_cast<RwPolygon*>(std::calloc(1, sizeof(RwPolygon) + 3 * sizeof(RwVertex*)));
    polygon->material = material;
    polygon->vertexCount = 3;
    const int xy[3][2] = {{x0, y0}, {x1, y1}, {x2, y2}};
    for (int k = 0; k < 3; ++k) {
      vertices[k] = {};
      vertices[k].screenX = xy[k][0] * 65536;
      vertices[k].screenY = xy[k][1] * 65536;
      vertices[k].depth = 1000 + 500 * k;
      for (int c = 0; c < 3; ++c) vertices[k].intensity[c] = (8 + 7 * k) << 16;
      polygon->vertices[k] = &vertices[k];
    }
    for (int c = 0; c < 3; ++c) polygon->intensity[c] = 20 << 16;
  }
  ~Triangle() { std::free(polygon); }
  RwVertex vertices[3];
  RwPolygon* polygon;
};

struct Family {
  const char* name;
  int (*draw16)(RwPolygon*);
  int (*draw8)(RwPolygon*);
};
const Family families[] = {
    {"FlatOpaque", RwRasterise<RwRas16FanFlatOpaque>, RwRasterise<RwRas8FanFlatOpaque>},
    {"FlatOpaqueZ", RwRasterise<RwRas16FanFlatOpaqueZ>, RwRasterise<RwRas8FanFlatOpaqueZ>},
    {"GouraudOpaque", RwRasterise<RwRas16FanGouraudOpaque>, RwRasterise<RwRas8FanGouraudOpaque>},
    {"GouraudOpaqueZ", RwRasterise<RwRas16FanGouraudOpaqueZ>, RwRasterise<RwRas8FanGouraudOpaqueZ>},
    {"FlatStipple", RwRasterise<RwRas16FanFlatStipple>, RwRasterise<RwRas8FanFlatStipple>},
    {"FlatStippleZ", RwRasterise<RwRas16FanFlatStippleZ>, RwRasterise<RwRas8FanFlatStippleZ>},
    {"GouraudStipple", RwRasterise<RwRas16FanGouraudStipple>, RwRasterise<RwRas8FanGouraudStipple>},
    {"GouraudStippleZ", RwRasterise<RwRas16FanGouraudStippleZ>, RwRasterise<RwRas8FanGouraudStippleZ>},
};

// Fill rate: the two halves of the whole image, counter-clockwise on screen.
void fillRate(benchmark::State& state, const Family& family, int depth, int width, int height) {
  Device device(depth == 8 ? 8 : 16, width, height);
  auto draw = depth == 8 ? family.draw8 : family.draw16;
  Triangle lower(device.material, 0, 0, 0, height, width, height);
  Triangle upper(device.material, 0, 0, width, height, width, 0);
  for (auto _ : state) {
    draw(lower.polygon);
    draw(upper.polygon);
    benchmark::ClobberMemory();
  }
  state.counters["Mpixels/s"] = benchmark::Counter(static_cast<double>(width) * height * state.iterations() / 1e6,
                                                   benchmark::Counter::kIsRate);
}

// Triangle rate: small triangles (about 50 pixels) spread over the image.
void triangleRate(benchmark::State& state, const Family& family, int depth, int width, int height) {
  Device device(depth == 8 ? 8 : 16, width, height);
  auto draw = depth == 8 ? family.draw8 : family.draw16;
  std::vector<Triangle*> triangles;
  for (int y = 0; y + 10 < height; y += 37) {
    for (int x = 0; x + 10 < width; x += 41) triangles.push_back(new Triangle(device.material, x, y, x + 2, y + 10, x + 10, y + 6));
  }
  for (auto _ : state) {
    for (Triangle* triangle : triangles) draw(triangle->polygon);
    benchmark::ClobberMemory();
  }
  state.counters["triangles/s"] =
      benchmark::Counter(static_cast<double>(triangles.size()) * state.iterations(), benchmark::Counter::kIsRate);
  for (Triangle* triangle : triangles) delete triangle;
}

// A sphere of 50 x 50 quads cut in two: 5,000 Gouraud triangles.
RwClump* gouraudSphere() {
  constexpr int bands = 50;
  RwClump* clump = RwCreateClump((bands + 1) * (bands + 1), 2 * bands * bands);
  for (int i = 0; i <= bands; ++i) {
    const float theta = 3.14159265f * static_cast<float>(i) / bands;
    for (int j = 0; j <= bands; ++j) {
      const float phi = 2.0f * 3.14159265f * static_cast<float>(j) / bands;
      RwAddVertexToClump(clump, std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    }
  }
  for (int i = 0; i < bands; ++i) {
    for (int j = 0; j < bands; ++j) {
      const int32_t a = i * (bands + 1) + j + 1, b = a + bands + 1;
      const int32_t first[3] = {a, a + 1, b};
      const int32_t second[3] = {a + 1, b + 1, b};
      RwAddPolygonToClump(clump, 3, first);
      RwAddPolygonToClump(clump, 3, second);
    }
  }
  RwForAllPolygonsInClumpWithData(
      clump,
      [](RwPolygon* polygon, void*) {
        RwSetPolygonColor(polygon, 0.3f, 0.8f, 0.4f);
        RwSetPolygonSurface(polygon, 0.3f, 0.7f, 0.0f);
        return RwSetPolygonLightSampling(polygon, rwVertex);
      },
      nullptr);
  return clump;
}

void gouraudModelFrames(benchmark::State& state) {
  platform::setDisplayDepth(16);
  RwOpenDefault("MSWindows", 0);
  RwCamera* camera = RwCreateCamera(640, 480, nullptr);
  RwSetCameraViewport(camera, 0, 0, 640, 480);
  RwSetCameraViewwindow(camera, 0.5f, 0.375f);
  RwSetCameraPosition(camera, 0.0f, 0.0f, 2.5f);
  RwPointCamera(camera, 0.0f, 0.0f, -1.0f);
  RwCreateLight(rwDirectionalLight, -0.5f, -1.0f, -0.8f, 1.0f);
  gouraudSphere();
  for (auto _ : state) {
    RwInvalidateCameraViewport(camera);
    RwBeginCameraUpdate(camera, 0);
    RwClearCameraViewport(camera);
    RwRenderScene(RwGetDefaultScene());
    RwEndCameraUpdate(camera);
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  RwClose();
  platform::setDisplayDepth(24);
}

}  // namespace

int main(int argc, char** argv) {
  const int sizes[2][2] = {{640, 480}, {1024, 768}};
  for (const Family& family : families) {
    for (int depth : {8, 16}) {
      for (const auto& size : sizes) {
        const std::string suffix = "/" + std::to_string(depth) + "bit/" + std::to_string(size[0]) + "x" +
                                   std::to_string(size[1]);
        benchmark::RegisterBenchmark(("Fill/" + std::string(family.name) + suffix).c_str(), fillRate, family, depth,
                                     size[0], size[1]);
        benchmark::RegisterBenchmark(("Triangles/" + std::string(family.name) + suffix).c_str(), triangleRate, family,
                                     depth, size[0], size[1]);
      }
    }
  }
  benchmark::RegisterBenchmark("GouraudModel5000/16bit/640x480", gouraudModelFrames)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
