// bench/shell_frames.cpp -- the viewer's frame against the engine's own.
//
// The benchmark grid world (camera, light, material and a wave of 2*N*N
// triangles, as shared/bench/gridworld.py writes it) at 640x480 in 16-bit
// colour on the headless "MSWindows" device:
// - ViewerFrame: read and built through the viewer as the program does,
//   frames drawn by zmRenderShowWorld;
// - EngineFrame: the same triangles built straight into one engine clump
//   of shared vertices with one Gouraud-lit material, the same camera and
//   light, frames drawn with the engine's calls alone;
// - LoadToFirstFrame: reading the file, building it into the viewer and
//   drawing the first frame, in seconds.
// Each frame benchmark reports the share of the window the last frame
// covered; the viewer's also how many times the engine-only frame it costs
// (EngineFrame of the same N runs first).
// - ProgramTick: the program itself started in this process on the grid
//   world, its main window at the first size (456x400) or at 1024x768, one
//   whole tick at a time: the frame timer's message to the main window (its
//   own work, the view's navigation step, labels, frame event and rendering)
//   and then what the message loop does before it waits, showing what
//   changed -- on the X display when $DISPLAY names one, else composing it
//   as the display would be sent it. It reports the processor time of the
//   whole tick and of its rendering per frame, standing still and turning
//   (the left arrow key held: every frame new and shown whole).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "bench/gridworld.h"
#include "core/apphandles.h"
#include "core/camera.h"
#include "core/object.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/matrix.h"
#include "engine/polygon.h"
#include "engine/scene.h"
#include "platform/clock.h"
#include "platform/composition.h"
#include "platform/display.h"
#include "platform/presenter.h"
#include "platform/windows.h"
#include "platform/x11/xpresenter.h"
#include "script/mainloop.h"
#include "shell/app.h"
#include "shell/appstate.h"
#include "startup/startup.h"
#include "shell/viewwin.h"
#include "viewer/construct.h"
#include "viewer/frame.h"
#include "viewer/rendering.h"
#include "viewer/texture.h"
#include "vrml/parse.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int32_t kWorldCameraId = 3;

// The grid's height at (x, z), as the world file writes it (five decimals).
float gridCoordinate(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.5f", value);
  return std::strtof(text, nullptr);
}

std::string gridWorld(long n) {
  const std::string path = "/tmp/lumenfold_frames_" + std::to_string(getpid()) + "_" + std::to_string(n) + ".wrl";
  writeGridWorld(path, n);
  return path;
}

// One file per grid size for the whole run, removed at its end.
std::map<long, std::string> gridWorldFiles;

const std::string& gridWorldFile(long n) {
  auto found = gridWorldFiles.find(n);
  if (found == gridWorldFiles.end()) found = gridWorldFiles.emplace(n, gridWorld(n)).first;
  return found->second;
}

int quiet(const char*) { return 0; }

// The headless display, the layers and the 3-D view, made once.
struct View {
  View() {
    platform::setDisplayDepth(16);
    zmStartLayers({quiet});
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "FramesBenchView";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "FramesBenchView", "frames", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                             nullptr, nullptr, nullptr);
    dc = GetDC(window);
    zmSetViewWindowSize(kWidth, kHeight);
  }
  HWND window;
  HDC dc;
};

View& view() {
  static View shared;
  return shared;
}

// Percent of the window's pixels that are not the black background (16-bit
// colour rounds, so near-black counts as background).
double coveredPercent() {
  platform::WindowPixels shown;
  if (!platform::readWindowPixels(view().window, &shown) || shown.pixels.empty()) return 0.0;
  const long covered = std::count_if(shown.pixels.begin(), shown.pixels.end(), [](COLORREF c) {
    return GetRValue(c) > 8 || GetGValue(c) > 8 || GetBValue(c) > 8;
  });
  return 100.0 * static_cast<double>(covered) / static_cast<double>(shown.pixels.size());
}

// ---- through the viewer

// The grid world read and built into the viewer, seen through its camera.
struct ViewerWorld {
  explicit ViewerWorld(long n) {
    const std::string& file = gridWorldFile(n);
    world = zmNewWorld(file.c_str());
    zmSetCurrentWorld(world);
    ZmId first = -10000, last = -1;
    zmSetIdCounter(&first, &last, 0);
    ready = parseVRMLIntoWorld(file.c_str(), world) == 0 && zmRenderConstructWorldInViewer(world) == 0;
    zmVFloadAllPendingTextures();
    zmRenderResume(world);
    ready = ready && zmSetActiveCameraID(world, kWorldCameraId) == 0 &&
            zmRenderSetFrameTime(world, view().window, view().dc) == 0;
  }
  ~ViewerWorld() {
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
  }
  ViewerWorld(const ViewerWorld&) = delete;
  ViewerWorld& operator=(const ViewerWorld&) = delete;
  ZmWorld* world;
  bool ready = false;
};

struct ViewerOpen {
  ViewerOpen() {
    view();
    opened = zmRenderInitViewer() == 0;
  }
  ~ViewerOpen() { zmRenderExitViewer(); }
  bool opened;
};

// ---- straight into the engine

// The grid as one clump: (n+1)^2 shared vertices, 2 n^2 triangles wound as
// the world file winds them, moved by the world's translation.
RwClump* gridClump(long n) {
  RwClump* clump = RwCreateClump((n + 1) * (n + 1), 2 * n * n);
  for (long j = 0; j <= n; ++j) {
    for (long i = 0; i <= n; ++i) {
      const double x = gridX(i, n), z = gridX(j, n);
      RwAddVertexToClump(clump, gridCoordinate(x), gridCoordinate(waveY(x, z)), gridCoordinate(z));
    }
  }
  for (long j = 0; j < n; ++j) {
    for (long i = 0; i < n; ++i) {
      const auto a = static_cast<int32_t>(j * (n + 1) + i + 1), b = a + 1, c = static_cast<int32_t>(a + n + 1),
                 d = c + 1;
      const int32_t first[] = {a, c, b}, second[] = {b, c, d};
      RwAddPolygonToClump(clump, 3, first);
      RwAddPolygonToClump(clump, 3, second);
    }
  }
  RwMatrix place;
  RwTranslateMatrix(RwIdentityMatrix(&place), 0.0f, -1.0f, -5.0f, RwReplace);
  RwTransformClump(clump, &place, RwReplace);
  return clump;
}

// The world's camera: at the origin, tilted 30 degrees down, a vertical
// half view of 0.5625 at unit distance in the 4:3 shape of every camera.
RwCamera* gridCamera() {
  RwCamera* camera = RwCreateCamera(1024, 768, nullptr);
  RwSetCameraProjection(camera, 1);
  RwSetCameraViewwindow(camera, 0.5625f * 4.0f / 3.0f, 0.5625f);
  RwSetCameraViewport(camera, 0, 0, kWidth, kHeight);
  RwSetCameraBackColor(camera, 0.0f, 0.0f, 0.0f);
  RwMatrix turn;
  RwRotateMatrix(RwIdentityMatrix(&turn), 1.0f, 0.0f, 0.0f, -30.0f, RwReplace);
  RwRotateMatrix(&turn, 0.0f, 1.0f, 0.0f, 180.0f, RwPreConcat);  // the engine's camera looks along +z
  RwTransformCamera(camera, &turn, RwReplace);
  return camera;
}

// The grid's material as the viewer computes it from diffuse 0.8 0.6 0.3.
void pushGridMaterial() {
  RwPushCurrentMaterial();
  RwSetColor(1.0f, 0.8f, 0.5f);
  RwSetSurface(0.15f, 0.425f, 0.0f);
  RwSetMaterialLightSampling(RwWritableCurrentMaterial(), 2);
}

struct EngineGrid {
  explicit EngineGrid(long n) {
    view();
    opened = RwOpenDefault("MSWindows", 0) != 0;
    if (!opened) return;
    camera = gridCamera();
    RwLight* light = RwCreateLight(rwDirectionalLight, 0.0f, 0.0f, -1.0f, 1.0f);
    RwSetLightColor(light, 1.0f, 1.0f, 1.0f);
    pushGridMaterial();
    gridClump(n);
    RwPopCurrentMaterial();
  }
  ~EngineGrid() {
    if (opened) RwClose();
  }
  EngineGrid(const EngineGrid&) = delete;
  EngineGrid& operator=(const EngineGrid&) = delete;
  bool opened;
  RwCamera* camera = nullptr;
};

bool engineFrame(RwCamera* camera, RwScene* scene) {
  return RwInvalidateCameraViewport(camera) && RwBeginCameraUpdate(camera, reinterpret_cast<intptr_t>(view().window)) &&
         RwClearCameraViewport(camera) && RwRenderScene(scene) && RwEndCameraUpdate(camera) &&
         RwShowCameraImage(camera, view().dc);
}

// Engine-only seconds per frame by grid size, for the viewer's comparison.
std::map<long, double> engineSecondsPerFrame;

double secondsPerFrame(std::chrono::steady_clock::time_point start, const benchmark::State& state) {
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}

void reportFrames(benchmark::State& state, long n) {
  state.counters["triangles"] = 2.0 * static_cast<double>(n * n);
  state.counters["covered_percent"] = coveredPercent();
}

void EngineFrame(benchmark::State& state) {
  const long n = state.range(0);
  EngineGrid grid(n);
  if (!grid.opened) return state.SkipWithError("cannot open the engine");
  RwScene* scene = RwGetDefaultScene();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    if (!engineFrame(grid.camera, scene)) return state.SkipWithError("cannot draw a frame");
  engineSecondsPerFrame[n] = secondsPerFrame(start, state);
  reportFrames(state, n);
}

void ViewerFrame(benchmark::State& state) {
  const long n = state.range(0);
  ViewerOpen viewer;
  if (!viewer.opened) return state.SkipWithError("cannot open the viewer");
  ViewerWorld grid(n);
  if (!grid.ready) return state.SkipWithError("the world was not built");
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    if (zmRenderShowWorld(grid.world) != 0) return state.SkipWithError("cannot draw a frame");
  const double seconds = secondsPerFrame(start, state);
  reportFrames(state, n);
  if (engineSecondsPerFrame.count(n)) state.counters["x_engine"] = seconds / engineSecondsPerFrame[n];
}

void LoadToFirstFrame(benchmark::State& state) {
  const long n = state.range(0);
  ViewerOpen viewer;
  if (!viewer.opened) return state.SkipWithError("cannot open the viewer");
  gridWorldFile(n);
  std::optional<ViewerWorld> grid;
  for (auto _ : state) {
    grid.emplace(n);
    if (!grid->ready || zmRenderShowWorld(grid->world) != 0) state.SkipWithError("cannot load and draw");
    state.PauseTiming();  // tearing the world down is not loading it
    grid.reset();
    state.ResumeTiming();
  }
  state.counters["triangles"] = 2.0 * static_cast<double>(n * n);
}

// ---- the program's whole tick

void pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// The program on the grid world of n, started once for every run, with a
// user folder of its own (so that it meets no other program running).
struct Program {
  explicit Program(long n) : commandLine(gridWorldFile(n)) {
    char folder[] = "/tmp/lumenfold_frames_home_XXXXXX";
    if (mkdtemp(folder) == nullptr) return;
    home = folder;
    setenv("LUMENFOLD_HOME", folder, 1);
    platform::setDisplayDepth(24);
    onDisplay = platform::startPresenter(false);
    zmStartLayers({quiet});
    if (zmAppInit(nullptr, nullptr, commandLine.data(), SW_SHOWNORMAL) != 0) return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (zmShell.zmAppState != ZM_APP_RUNNING && std::chrono::steady_clock::now() < deadline) {
      pumpMessages();
      usleep(1000);
    }
    if (HWND messages = FindWindowA(nullptr, "Messages")) ShowWindow(messages, SW_HIDE);
    ready = zmShell.zmAppState == ZM_APP_RUNNING;
  }
  // Shows what changed, as the message loop does before it waits.
  void present() const {
    if (onDisplay) {
      platform::presentChanges();
      return;
    }
    platform::ComposedPicture picture;
    RECT changed;
    platform::composeChanges(zmGetMainHwnd(), &picture, &changed);
  }
  void size(int width, int height) const {
    MoveWindow(zmGetMainHwnd(), 0, 0, width, height, TRUE);
    pumpMessages();
  }
  std::string commandLine;
  std::string home;
  bool onDisplay = false;
  bool ready = false;
};

Program& program() {
  static Program started(224);
  return started;
}

void ProgramTick(benchmark::State& state) {
  const Program& shown = program();
  if (!shown.ready) return state.SkipWithError("the program did not start on the grid world");
  const bool turning = state.range(1) != 0;
  shown.size(static_cast<int>(state.range(0)), static_cast<int>(state.range(0) == 456 ? 400 : 768));
  HWND view = zmGetViewHwnd();
  if (turning) SendMessageA(view, WM_KEYDOWN, VK_LEFT, 0);
  for (int warm = 0; warm < 3; warm++) {
    SendMessageA(zmGetMainHwnd(), WM_TIMER, ZM_FRAME_TIMER, 0);
    shown.present();
  }
  const ZmFrameStats before = zmGetFrameStats();
  const double cpuBefore = platform::threadCpuMs();
  for (auto _ : state) {
    SendMessageA(zmGetMainHwnd(), WM_TIMER, ZM_FRAME_TIMER, 0);
    shown.present();
  }
  const double ticks = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  const ZmFrameStats after = zmGetFrameStats();
  if (turning) SendMessageA(view, WM_KEYUP, VK_LEFT, 0);
  const double tickMs = (platform::threadCpuMs() - cpuBefore) / ticks;
  const double renderingMs = (after.tickRenderingCpuMs - before.tickRenderingCpuMs) / ticks;
  state.counters["tick_cpu_ms"] = tickMs;
  state.counters["rendering_cpu_ms"] = renderingMs;
  state.counters["rest_cpu_ms"] = tickMs - renderingMs;
  RECT client;
  GetClientRect(view, &client);
  state.SetLabel(std::string(shown.onDisplay ? "on the X display" : "headless") + ", view " +
                 std::to_string(client.right) + "x" + std::to_string(client.bottom) +
                 (turning ? ", turning" : ", standing still"));
}

}  // namespace

BENCHMARK(EngineFrame)->Arg(50)->Arg(224)->Unit(benchmark::kMillisecond);
BENCHMARK(ViewerFrame)->Arg(50)->Arg(224)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadToFirstFrame)->Arg(50)->Arg(224)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ProgramTick)->ArgsProduct({{456, 1024}, {0, 1}})->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (IsWindow(zmGetMainHwnd())) {
    DestroyWindow(zmGetMainHwnd());
    platform::closeX11Presenter();
    std::filesystem::remove_all(program().home);
  }
  for (const auto& [n, file] : gridWorldFiles) std::remove(file.c_str());
  return 0;
}
