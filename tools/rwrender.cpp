// rwrender -- renders one frame of a test scene and prints what came out.
//
//   rwrender [--device NAME] [--size WxH] [--depth BITS] [--camera X,Y,Z] [--shape FILE]
//            [--texture-modes IMAGE] [--out FILE]
//
// Opens the engine on the device (default "MetaDevice"), builds a scene in
// front of a camera that looks at the origin (three coloured cubes, or the
// shape file read along the shape path), renders one frame and prints, on
// the recording device, one line per recorded triangle (per vertex: screen
// x and y in pixels, the depth word and the colour value), then
// "triangles N". On a device that keeps no recording the triangle count
// reads 0. On a software device ("MSWindows") the headless display takes
// the depth asked for (8, 15 or 16 bits), the frame is shown in a window,
// With --texture-modes the scene is a floor of 64 tiles textured with the
// image file, one per texture-mode combination: columns by texture modes 0
// to 7 (lit 1, foreshorten 2, filter 4), rows by light sampling (facet,
// vertex), opacity (opaque, half) and z-buffer (without, with), so that one
// frame draws through every entry of the device's texture-mode table.
// "checksum 0x........" prints an FNV-1a hash of the camera image's pixels,
// and --out writes the window's pixels as a BMP file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/library.h"
#include "engine/light.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/scene.h"
#include "engine/shapefile.h"
#include "engine/shapepath.h"
#include "engine/texture.h"
#include "platform/display.h"
#include "platform/presenter.h"
#include "platform/windows.h"
#include "tools/messages.h"

namespace {

struct Options {
  std::string device = "MetaDevice";
  intptr_t width = 160, height = 120;
  intptr_t depth = 16;
  float camera[3] = {3.0f, 2.5f, 6.0f};
  std::string shape;  // empty: the built-in cubes
  std::string textureModes;  // image file of the texture-mode floor, or empty
  std::string out;    // BMP file of the shown frame, or empty
};

void usage() {
  std::fprintf(stderr,
               "usage: rwrender [--device NAME] [--size WxH] [--depth BITS] [--camera X,Y,Z] [--shape FILE] "
               "[--texture-modes IMAGE] [--out FILE]\n");
}

bool parseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (!value) return false;
    ++i;
    if (std::strcmp(option, "--device") == 0) {
      options->device = value;
    } else if (std::strcmp(option, "--size") == 0) {
      long w = 0, h = 0;
      if (std::sscanf(value, "%ldx%ld", &w, &h) != 2 || w < 1 || h < 1) return false;
      options->width = w;
      options->height = h;
    } else if (std::strcmp(option, "--depth") == 0) {
      options->depth = std::atol(value);
      if (options->depth != 8 && options->depth != 15 && options->depth != 16) return false;
    } else if (std::strcmp(option, "--camera") == 0) {
      float* c = options->camera;
      if (std::sscanf(value, "%f,%f,%f", &c[0], &c[1], &c[2]) != 3) return false;
    } else if (std::strcmp(option, "--shape") == 0) {
      options->shape = value;
    } else if (std::strcmp(option, "--texture-modes") == 0) {
      options->textureModes = value;
    } else if (std::strcmp(option, "--out") == 0) {
      options->out = value;
    } else {
      return false;
    }
  }
  return true;
}

// ---- the recording device's side

intptr_t imageWidth = 0, imageHeight = 0, imageDepth = 16;
intptr_t triangleCount = 0;

double pixels(intptr_t fixed) { return static_cast<double>(fixed) / 65536.0; }

void printTriangle(const RwMetaTriangle* triangle) {
  std::printf("tri");
  for (const RwMetaVertex& v : triangle->vertices) {
    std::printf("  %.4f %.4f %ld 0x%06lx", pixels(v.x), pixels(v.y), static_cast<long>(v.z),
                static_cast<unsigned long>(v.colour));
  }
  std::printf("\n");
  ++triangleCount;
}

RwMetaCallbacks recordingCallbacks() {
  RwMetaCallbacks callbacks = {};
  callbacks.createImage = [](intptr_t width, intptr_t height) -> uintptr_t {
    imageWidth = width;
    imageHeight = height;
    return 1;
  };
  callbacks.describeImage = [](uintptr_t, RwCameraImage* image) {
    image->width = imageWidth;
    image->height = imageHeight;
    image->depth = imageDepth;
  };
  // 8 bits per channel; the level is added to the value as the device does.
  callbacks.colourToDeviceValue = [](const uint16_t* rgb) -> uintptr_t {
    return (uintptr_t{rgb[0]} >> 8 << 16) | (uintptr_t{rgb[1]} >> 8 << 8) | (rgb[2] >> 8);
  };
  callbacks.drawTriangle = printTriangle;
  return callbacks;
}
RwMetaCallbacks callbacks = recordingCallbacks();

// ---- the scene

RwPolygon* colourPolygon(RwPolygon* polygon, void* rgb) {
  const float* c = static_cast<const float*>(rgb);
  RwSetPolygonColor(polygon, c[0], c[1], c[2]);
  RwSetPolygonSurface(polygon, 0.3f, 0.7f, 0.0f);
  return polygon;
}

// A cube of side 1 centred at (x, y, z), faces wound to face outwards.
RwClump* cube(float x, float y, float z, float red, float green, float blue) {
  static constexpr int32_t faces[6][4] = {{5, 6, 7, 8}, {1, 4, 3, 2}, {2, 3, 7, 6},
                                          {1, 5, 8, 4}, {4, 8, 7, 3}, {1, 2, 6, 5}};
  RwClump* clump = RwCreateClump(8, 6);
  if (!clump) return nullptr;
  for (int corner = 0; corner < 8; ++corner) {
    const float cx = (corner == 1 || corner == 2 || corner == 5 || corner == 6) ? 0.5f : -0.5f;
    const float cy = (corner == 2 || corner == 3 || corner == 6 || corner == 7) ? 0.5f : -0.5f;
    const float cz = corner >= 4 ? 0.5f : -0.5f;
    RwAddVertexToClump(clump, x + cx, y + cy, z + cz);
  }
  for (const auto& face : faces) RwAddPolygonToClump(clump, 4, face);
  float rgb[3] = {red, green, blue};
  RwForAllPolygonsInClumpWithData(clump, colourPolygon, rgb);
  RwSetClumpFlags(clump, rwHiddenSurface);
  return clump;
}

// The folder of a file named by a path, and its base name.
void splitPath(const std::string& path, std::string* folder, std::string* name) {
  const size_t slash = path.rfind('/');
  *folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// One floor tile in the plane z = 0 centred on (x, y), drawn in one of the
// 64 texture-mode combinations (see the file's comment).
bool modeTile(RwTexture* texture, float x, float y, int modes, int row) {
  static constexpr int32_t quad[4] = {1, 2, 3, 4};
  RwClump* clump = RwCreateClump(4, 1);
  if (!clump) return false;
  const float half = 0.45f;
  const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
  for (const auto& c : corners) RwAddVertexToClump(clump, x + c[0], y + c[1], 0.0f);
  RwPolygon* polygon = RwAddPolygonToClump(clump, 4, quad);
  const float uv[8] = {0, 2, 2, 2, 2, 0, 0, 0};
  if (!polygon || !RwSetPolygonTexture(polygon, texture) || !RwSetPolygonTextureCoords(polygon, uv)) return false;
  RwSetPolygonColor(polygon, 1.0f, 1.0f, 1.0f);
  RwSetPolygonSurface(polygon, 0.4f, 0.6f, 0.0f);
  RwSetPolygonLightSampling(polygon, row & 1 ? rwVertex : rwFacet);
  RwSetPolygonOpacity(polygon, row & 2 ? 0.5f : 1.0f);
  RwSetPolygonTextureModes(polygon, modes);
  RwSetClumpFlags(clump, row & 4 ? rwHiddenSurface : 0);
  return true;
}

bool textureModeFloor(const std::string& image) {
  std::string folder, name;
  splitPath(image, &folder, &name);
  if (!RwSetShapePath(folder.c_str(), rwPrependPath)) return false;
  RwTexture* texture = RwGetNamedTexture(name.c_str());
  if (!texture) return false;
  for (int row = 0; row < 8; ++row) {
    for (int modes = 0; modes < 8; ++modes) {
      if (!modeTile(texture, (static_cast<float>(modes) - 3.5f), (static_cast<float>(row) - 3.5f), modes, row)) {
        return false;
      }
    }
  }
  return true;
}

bool buildScene(const Options& options) {
  RwCreateLight(rwDirectionalLight, -0.5f, -1.0f, -0.8f, 1.0f);
  if (!options.textureModes.empty()) return textureModeFloor(options.textureModes);
  if (!options.shape.empty()) {
    // The file's folder is searched first: the one it is named with, else the
    // current folder; the shape path after it.
    std::string folder, name;
    splitPath(options.shape, &folder, &name);
    if (!RwSetShapePath(folder.c_str(), rwPrependPath) || RwReadShape(name.c_str()) == nullptr) return false;
    // A script goes on past the lines it skips (a polygon or primitive too
    // large); the first one's number is left pending.
    if (const int skipped = RwGetAndClearError())
      printEngineFailure("rwrender", ("warning: lines of " + options.shape + " skipped").c_str(), skipped);
    return true;
  }
  return cube(-1.6f, 0.0f, 0.0f, 1.0f, 0.2f, 0.2f) && cube(0.0f, 0.0f, 0.0f, 0.2f, 1.0f, 0.2f) &&
         cube(1.6f, 0.0f, 0.0f, 0.2f, 0.2f, 1.0f);
}

RwCamera* makeCamera(const Options& options) {
  RwCamera* camera = RwCreateCamera(options.width, options.height, nullptr);
  if (!camera) return nullptr;
  RwSetCameraViewport(camera, 0, 0, options.width, options.height);
  // Keep square pixels: the view window follows the image's shape.
  RwSetCameraViewwindow(camera, 0.5f, 0.5f * static_cast<float>(options.height) / static_cast<float>(options.width));
  const float* c = options.camera;
  RwSetCameraPosition(camera, c[0], c[1], c[2]);
  RwPointCamera(camera, -c[0], -c[1], -c[2]);
  return camera;
}

// ---- the software device's side: a window to show the frame in

HWND makeWindow(const Options& options) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "RwRenderView";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "RwRenderView", "rwrender", WS_POPUP | WS_VISIBLE, 0, 0, static_cast<int>(options.width),
                         static_cast<int>(options.height), nullptr, nullptr, nullptr, nullptr);
}

// FNV-1a over the image rows, top first.
uint32_t imageChecksum(const RwCameraImage& image) {
  uint32_t hash = 2166136261u;
  const intptr_t rowBytes = image.width * (image.depth == 8 ? 1 : 2);
  for (intptr_t y = 0; y < image.height; ++y) {
    for (intptr_t b = 0; b < rowBytes; ++b) hash = (hash ^ image.rowTable[y][b]) * 16777619u;
  }
  return hash;
}

int fail(const char* what) {
  printEngineFailure("rwrender", what, RwGetAndClearError());
  RwClose();
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, &options)) {
    usage();
    return 2;
  }
  imageDepth = options.depth;
  const bool recording = options.device == "MetaDevice";
  platform::setDisplayDepth(static_cast<int>(options.depth));
  const intptr_t reserved = recording ? reinterpret_cast<intptr_t>(&callbacks) : 0;
  if (!RwOpenDefault(options.device.c_str(), reserved)) return fail("cannot open the device");
  RwCamera* camera = makeCamera(options);
  if (!camera) return fail("cannot create the camera");
  if (!buildScene(options)) return fail("cannot build the scene");
  HWND window = recording ? nullptr : makeWindow(options);
  HDC windowDc = window ? GetDC(window) : nullptr;
  RwInvalidateCameraViewport(camera);
  RwBeginCameraUpdate(camera, 0);
  RwClearCameraViewport(camera);
  const bool rendered = RwRenderScene(RwGetDefaultScene()) != nullptr;
  RwEndCameraUpdate(camera);
  RwShowCameraImage(camera, windowDc);
  if (!rendered) return fail("cannot render the scene");
  std::printf("triangles %ld\n", static_cast<long>(triangleCount));
  if (camera->image.rowTable) std::printf("checksum 0x%08x\n", imageChecksum(camera->image));
  if (!options.out.empty() && !(window && platform::saveWindowBmp(window, options.out))) {
    return fail("cannot write the image file");
  }
  if (windowDc) ReleaseDC(window, windowDc);
  RwClose();
  return 0;
}
