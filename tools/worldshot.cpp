// worldshot -- reads a world, builds it into the viewer and renders frames
// of it on the software device of the headless display.
//
//   worldshot [--size WxH] [--depth 8|15|16] [--frames N] [--out FILE.bmp] [--own-camera] WORLD.wrl
//
// The world is read as the program reads a local world, mirrored into the
// engine by the viewer and drawn N times (default 1) through the viewer's
// frame; the last frame is shown in a window of the given size (default
// 320x240, 16-bit colour) and --out writes that window as a BMP. Prints
// "frames N ms/frame X covered P%", P being the share of the window's pixels
// that differ from the world's background colour, then "checksum 0x........",
// an FNV-1a hash of the shown pixels.
//
// The user's avatar ("person.wrl" beside the program) joins the world as it
// does in the program: its camera is the view, placed at the world's own
// camera when the file has one and otherwise in front of the world so that
// the whole bounding cube is in view; its first light lights a world that
// brings none. --own-camera shows the world through the world file's own
// camera instead, when it has one.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/camera.h"
#include "core/world.h"
#include "platform/display.h"
#include "platform/presenter.h"
#include "platform/windows.h"
#include "tools/worldfile.h"
#include "viewer/api.h"
#include "viewer/construct.h"
#include "viewer/frame.h"
#include "viewer/person.h"
#include "viewer/rendering.h"
#include "viewer/texture.h"

namespace {

struct Options {
  int width = 320, height = 240;
  int depth = 16;
  long frames = 1;
  std::string out;
  std::string world;
  bool ownCamera = false;
};

void usage() {
  std::fprintf(stderr,
               "usage: worldshot [--size WxH] [--depth 8|15|16] [--frames N] [--out FILE.bmp] [--own-camera] "
               "WORLD.wrl\n");
}

bool parseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    if (option[0] != '-') {
      if (!options->world.empty()) return false;
      options->world = option;
      continue;
    }
    if (std::strcmp(option, "--own-camera") == 0) {
      options->ownCamera = true;
      continue;
    }
    const char* value = i + 1 < argc ? argv[++i] : nullptr;
    if (value == nullptr) return false;
    if (std::strcmp(option, "--size") == 0) {
      if (std::sscanf(value, "%dx%d", &options->width, &options->height) != 2 || options->width < 1 ||
          options->height < 1)
        return false;
    } else if (std::strcmp(option, "--depth") == 0) {
      options->depth = std::atoi(value);
      if (options->depth != 8 && options->depth != 15 && options->depth != 16) return false;
    } else if (std::strcmp(option, "--frames") == 0) {
      options->frames = std::atol(value);
      if (options->frames < 1) return false;
    } else if (std::strcmp(option, "--out") == 0) {
      options->out = value;
    } else {
      return false;
    }
  }
  return !options->world.empty();
}

HWND makeView(const Options& options) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "WorldShotView";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "WorldShotView", "worldshot", WS_POPUP | WS_VISIBLE, 0, 0, options.width,
                         options.height, nullptr, nullptr, nullptr, nullptr);
}

// The avatar joins the world and stands at its home view, as after a load
// in the program; with `ownCamera` the world file's camera, when there is
// one, becomes the view.
bool placeView(ZmWorld* world, bool ownCamera) {
  zmSetWorldBoundingCube(world);
  if (zmAddPersonToWorld(world) != 0 || zmAdjustPersonToActiveCamera(world->person) != 0) return false;
  if (ownCamera) zmSetActiveCameraID(world, 3);
  return true;
}

// An FNV-1a hash of the shown pixels, to tell two images apart.
uint32_t pixelChecksum(const platform::WindowPixels& shown) {
  uint32_t hash = 2166136261u;
  for (COLORREF c : shown.pixels)
    for (int shift = 0; shift < 24; shift += 8) hash = (hash ^ ((c >> shift) & 0xFF)) * 16777619u;
  return hash;
}

double coveredShare(const platform::WindowPixels& shown, const ZmWorld* world) {
  if (shown.pixels.empty()) return 0.0;
  auto channel = [](float c) { return static_cast<int>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255.0f)); };
  const int r = channel(world->backgroundColor[0]), g = channel(world->backgroundColor[1]),
            b = channel(world->backgroundColor[2]);
  long covered = 0;
  for (COLORREF c : shown.pixels) {
    // Colour depths below 24 bits round the background: allow that much.
    if (std::abs(GetRValue(c) - r) > 8 || std::abs(GetGValue(c) - g) > 8 || std::abs(GetBValue(c) - b) > 8) ++covered;
  }
  return 100.0 * static_cast<double>(covered) / static_cast<double>(shown.pixels.size());
}

int fail(const char* what) {
  std::fprintf(stderr, "worldshot: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, &options)) {
    usage();
    return 2;
  }
  platform::setDisplayDepth(options.depth);
  worldfile::startLayers();
  if (zmRenderInitViewer() != 0) return fail("cannot open the 3-D engine");
  HWND view = makeView(options);
  HDC viewDc = GetDC(view);
  zmSetViewWindowSize(options.width, options.height);

  int parsed = 0;
  ZmWorld* world = worldfile::readWorld(options.world.c_str(), &parsed);
  if (world == nullptr) return fail("cannot make a world");
  if (parsed != 0) std::printf("the world was not read whole\n");
  if (zmConstructWorldInViewer(world) != 0) return fail("cannot build the world into the viewer");
  zmVFloadAllPendingTextures();
  if (!placeView(world, options.ownCamera)) return fail("cannot place the avatar in the world");

  zmRenderSetFrameTime(world, view, viewDc);
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < options.frames; ++i)
    if (zmRenderShowWorld(world) != 0) return fail("cannot render a frame");
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  platform::WindowPixels shown;
  platform::readWindowPixels(view, &shown);
  std::printf("frames %ld ms/frame %.3f covered %.1f%%\n", options.frames, ms / static_cast<double>(options.frames),
              coveredShare(shown, world));
  std::printf("checksum 0x%08x\n", pixelChecksum(shown));
  if (!options.out.empty() && !platform::saveWindowBmp(view, options.out)) return fail("cannot write the image");

  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  ReleaseDC(view, viewDc);
  zmRenderExitViewer();
  return 0;
}
