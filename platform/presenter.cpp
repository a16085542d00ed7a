// platform/presenter.cpp -- window surfaces, what was drawn into them, the
// composed screen, read-back and BMP files.
#include "platform/presenter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "platform/display.h"
#include "platform/gdi_objects.h"
#include "platform/raster.h"
#include "platform/windowstate.h"

namespace platform {
namespace {

using gdi::BitmapObject;

struct WindowSurface {
  std::unique_ptr<BitmapObject> bitmap;
  uint32_t generation = 0;  // display generation it was made in
  RECT drawn{0, 0, 0, 0};   // drawn into since last taken, client coordinates
};

struct Presenter {
  std::map<HWND, WindowSurface> windows;
  WindowSurface screen;
  uint32_t generation = 0;  // see presentationGeneration
};

Presenter& presenter() {
  static Presenter instance;
  return instance;
}

void dropDeadWindows() {
  auto& windows = presenter().windows;
  for (auto it = windows.begin(); it != windows.end();)
    it = IsWindow(it->first) ? std::next(it) : windows.erase(it);
}

// The display's format, but 32 bits a pixel in place of 24 (see presenter.h).
gdi::PixelFormat surfaceFormat() {
  gdi::PixelFormat format = gdi::displayFormat();
  if (format.bitsPerPixel == 24) format.bitsPerPixel = 32;
  return format;
}

// Copies the overlapping top-left part of `from` into `to` (same format).
void keepPixels(BitmapObject& from, BitmapObject& to) {
  gdi::Surface a = from.surface();
  gdi::Surface b = to.surface();
  int w = std::min(a.width, b.width);
  int h = std::min(a.height, b.height);
  size_t bytes = gdi::rowBytes(w, a.format->bitsPerPixel, 1);
  for (int y = 0; y < h; y++) std::memcpy(b.row(y), a.row(y), bytes);
}

// Makes sure `surface` is `width` x `height` in the display's current
// format; false when it cannot be. A new surface counts as drawn whole.
bool fitSurface(WindowSurface& surface, int width, int height) {
  uint32_t generation = displayGeneration();
  BitmapObject* b = surface.bitmap.get();
  if (b != nullptr && surface.generation == generation && b->width == width && b->height == height)
    return true;
  auto fresh = gdi::makeBitmap(width, height, surfaceFormat(), 4);
  if (fresh == nullptr) return false;
  if (b != nullptr && surface.generation == generation) keepPixels(*b, *fresh);
  surface.bitmap = std::move(fresh);
  surface.generation = generation;
  surface.drawn = RECT{0, 0, width, height};
  return true;
}

int windowDepth(HWND hwnd) {
  int depth = 0;
  for (HWND p = GetParent(hwnd); p != nullptr && depth < 64; p = GetParent(p)) depth++;
  return depth;
}

// Paints each visible window's surface onto the screen, parents before
// their children; the screen has the surfaces' format, so rows are copied.
void composeScreen(BitmapObject& screen) {
  std::fill(screen.pixels.begin(), screen.pixels.end(), 0);
  std::vector<std::pair<int, HWND>> order;
  for (auto& [hwnd, surface] : presenter().windows)
    if (IsWindowVisible(hwnd) && surface.generation == displayGeneration())
      order.emplace_back(windowDepth(hwnd), hwnd);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  gdi::Surface to = screen.surface();
  const int bytes = to.format->bitsPerPixel / 8;
  for (auto& [depth, hwnd] : order) {
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    gdi::Surface from = presenter().windows[hwnd].bitmap->surface();
    RECT placed{origin.x, origin.y, origin.x + from.width, origin.y + from.height}, visible;
    if (!gdi::intersect(placed, RECT{0, 0, to.width, to.height}, &visible)) continue;
    const size_t rowBytes = static_cast<size_t>(visible.right - visible.left) * static_cast<size_t>(bytes);
    for (int y = visible.top; y < visible.bottom; y++)
      std::memcpy(to.row(y) + visible.left * bytes, from.row(y - origin.y) + (visible.left - origin.x) * bytes,
                  rowBytes);
  }
}

bool readSurface(BitmapObject* bitmap, WindowPixels* out) {
  *out = WindowPixels{};
  if (bitmap == nullptr) return true;
  gdi::Surface s = bitmap->surface();
  const gdi::ColourDecoder colours(*s.format);
  out->width = s.width;
  out->height = s.height;
  out->pixels.resize(static_cast<size_t>(s.width) * s.height);
  COLORREF* to = out->pixels.data();
  for (int y = 0; y < s.height; y++)
    for (int x = 0; x < s.width; x++) *to++ = colours.colour(s.read(x, y));
  return true;
}

void putLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; i++) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

namespace gdi {

BitmapObject* windowSurface(HWND hwnd) {
  dropDeadWindows();
  RECT client;
  if (!IsWindow(hwnd) || !GetClientRect(hwnd, &client)) return nullptr;
  int width = client.right - client.left;
  int height = client.bottom - client.top;
  if (width < 1 || height < 1) return nullptr;
  WindowSurface& surface = presenter().windows[hwnd];
  if (!fitSurface(surface, width, height)) {
    presenter().windows.erase(hwnd);
    return nullptr;
  }
  return surface.bitmap.get();
}

BitmapObject* screenSurface() {
  dropDeadWindows();
  WindowSurface& screen = presenter().screen;
  if (!fitSurface(screen, displayWidth(), displayHeight())) return nullptr;
  composeScreen(*screen.bitmap);
  return screen.bitmap.get();
}

void noteWindowDrawn(HWND hwnd, const RECT& rect) {
  auto found = presenter().windows.find(hwnd);
  if (found == presenter().windows.end() || IsRectEmpty(&rect)) return;
  RECT& drawn = found->second.drawn;
  if (IsRectEmpty(&drawn))
    drawn = rect;
  else
    UnionRect(&drawn, &drawn, &rect);
}

bool takeWindowDrawn(HWND hwnd, RECT* drawn) {
  auto found = presenter().windows.find(hwnd);
  if (found == presenter().windows.end() || IsRectEmpty(&found->second.drawn)) return false;
  *drawn = found->second.drawn;
  found->second.drawn = RECT{0, 0, 0, 0};
  return true;
}

}  // namespace gdi

bool readWindowPixels(HWND hwnd, WindowPixels* out) {
  if (out == nullptr || !IsWindow(hwnd)) return false;
  return readSurface(gdi::windowSurface(hwnd), out);
}

bool readScreenPixels(WindowPixels* out) {
  if (out == nullptr) return false;
  return readSurface(gdi::screenSurface(), out);
}

uint32_t presentationGeneration() { return presenter().generation; }

void notePresentationChanged() { presenter().generation++; }

bool saveWindowBmp(HWND hwnd, const std::string& path) {
  WindowPixels pixels;
  if (!readWindowPixels(hwnd, &pixels) || pixels.width == 0) return false;
  size_t row = gdi::rowBytes(pixels.width, 24, 4);
  uint32_t imageSize = static_cast<uint32_t>(row * pixels.height);
  std::vector<uint8_t> file;
  file.reserve(54 + imageSize);
  file.push_back('B');
  file.push_back('M');
  putLittleEndian(file, 54 + imageSize, 4);
  putLittleEndian(file, 0, 4);
  putLittleEndian(file, 54, 4);
  putLittleEndian(file, 40, 4);
  putLittleEndian(file, static_cast<uint32_t>(pixels.width), 4);
  putLittleEndian(file, static_cast<uint32_t>(pixels.height), 4);
  putLittleEndian(file, 1, 2);
  putLittleEndian(file, 24, 2);
  putLittleEndian(file, BI_RGB, 4);
  putLittleEndian(file, imageSize, 4);
  putLittleEndian(file, 3780, 4);  // 96 dots per inch, in dots per metre
  putLittleEndian(file, 3780, 4);
  putLittleEndian(file, 0, 4);
  putLittleEndian(file, 0, 4);
  for (int y = pixels.height - 1; y >= 0; y--) {
    size_t start = file.size();
    for (int x = 0; x < pixels.width; x++) {
      COLORREF c = pixels.at(x, y);
      file.push_back(GetBValue(c));
      file.push_back(GetGValue(c));
      file.push_back(GetRValue(c));
    }
    file.resize(start + row, 0);
  }
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool written = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace platform
