// worldshot -- reads a world, builds it into the viewer and renders frames
// of it on the software device of the headless display.
//
//   worldshot [--size WxH] [--depth 8|15|16] [--frames N] [--out FILE.bmp] WORLD.wrl
//
// The world is read as the program reads a local world, mirrored into the
// engine by the viewer and drawn N times (default 1) through the viewer's
// frame; the last frame is shown in a window of the given size (default
// 320x240, 16-bit colour) and --out writes that window as a BMP. Prints
// "frames N ms/frame X covered P%", P being the share of the window's pixels
// that differ from the world's background colour, then "checksum 0x........",
// an FNV-1a hash of the shown pixels.
//
// The view is the world's own camera when it has one. Otherwise the default
// camera stands where the whole world's bounding cube is in view, looking
// along -z, and a world without lights gets one directional light from above
// and behind the viewer, since the user's avatar (which brings those) is not
// part of this tool.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/camera.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/world.h"
#include "engine/camera.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/scene.h"
#include "platform/display.h"
#include "platform/presenter.h"
#include "platform/windows.h"
#include "tools/worldfile.h"
#include "viewer/builders.h"
#include "viewer/construct.h"
#include "viewer/frame.h"
#include "viewer/rendering.h"
#include "viewer/texture.h"

namespace {

struct Options {
  int width = 320, height = 240;
  int depth = 16;
  long frames = 1;
  std::string out;
  std::string world;
};

void usage() {
  std::fprintf(stderr, "usage: worldshot [--size WxH] [--depth 8|15|16] [--frames N] [--out FILE.bmp] WORLD.wrl\n");
}

bool parseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    if (option[0] != '-') {
      if (!options->world.empty()) return false;
      options->world = option;
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

bool hasLight(ZmObj* object) {
  if (object->leaf && zmIsLightLeaf(object->leaf)) return true;
  for (ZmChildList* node = object->child; node; node = node->next)
    if (hasLight(node->object)) return true;
  return false;
}

bool worldHasLight(ZmWorld* world) {
  for (ZmTopObjList* node = world->topObjects; node; node = node->next)
    if (hasLight(node->object)) return true;
  return false;
}

// The world's camera when it has one; else the default camera placed so the
// whole bounding cube is in view (half the view is 1 x 0.75 at unit distance).
void chooseView(ZmWorld* world) {
  if (zmGetCameraFromCameraTable(world, 3) != nullptr && zmSetActiveCameraID(world, 3) == 0) return;
  zmSetWorldBoundingCube(world);
  const ZmVec3& low = world->boundingBox[0];
  const ZmVec3& high = world->boundingBox[1];
  const float ax = std::max(std::fabs(high.x), std::fabs(low.x));
  const float ay = std::max(std::fabs(high.y), std::fabs(low.y));
  const float distance = (ay <= ax ? ax * 4.0f / 2.0f : ay * 4.0f / 1.5f) + high.z;
  RwSetCameraPosition(world->rendering->defaultCamera, 0.0f, 0.0f, distance);
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
  if (zmRenderConstructWorldInViewer(world) != 0) return fail("cannot build the world into the viewer");
  zmVFloadAllPendingTextures();
  zmRenderResume(world);
  chooseView(world);
  if (!worldHasLight(world))
    RwAddLightToScene(world->rendering->scene, RwCreateLight(rwDirectionalLight, -0.3f, -0.6f, -1.0f, 1.0f));

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
