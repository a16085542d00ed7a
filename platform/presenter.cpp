// platform/presenter.cpp -- window surfaces, the composed screen, read-back
// and BMP files.
#include "platform/presenter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "platform/display.h"
#include "platform/gdi_objects.h"
#include "platform/windowstate.h"

namespace platform {
namespace {

using gdi::BitmapObject;

struct WindowSurface {
  std::unique_ptr<BitmapObject> bitmap;
  uint32_t generation = 0;  // display generation it was made in
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
// format; false when it cannot be.
bool fitSurface(WindowSurface& surface, int width, int height) {
  uint32_t generation = displayGeneration();
  BitmapObject* b = surface.bitmap.get();
  if (b != nullptr && surface.generation == generation && b->width == width && b->height == height)
    return true;
  auto fresh = gdi::makeBitmap(width, height, gdi::displayFormat(), 4);
  if (fresh == nullptr) return false;
  if (b != nullptr && surface.generation == generation) keepPixels(*b, *fresh);
  surface.bitmap = std::move(fresh);
  surface.generation = generation;
  return true;
}

int windowDepth(HWND hwnd) {
  int depth = 0;
  for (HWND p = GetParent(hwnd); p != nullptr && depth < 64; p = GetParent(p)) depth++;
  return depth;
}

// Paints each visible window's surface onto the screen, parents before
// their children.
void composeScreen(BitmapObject& screen) {
  std::fill(screen.pixels.begin(), screen.pixels.end(), 0);
  std::vector<std::pair<int, HWND>> order;
  for (auto& [hwnd, surface] : presenter().windows)
    if (IsWindowVisible(hwnd) && surface.generation == displayGeneration())
      order.emplace_back(windowDepth(hwnd), hwnd);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  gdi::Surface to = screen.surface();
  for (auto& [depth, hwnd] : order) {
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    gdi::Surface from = presenter().windows[hwnd].bitmap->surface();
    for (int y = 0; y < from.height; y++) {
      int sy = origin.y + y;
      if (sy < 0 || sy >= to.height) continue;
      for (int x = 0; x < from.width; x++) {
        int sx = origin.x + x;
        if (sx >= 0 && sx < to.width) to.write(sx, sy, from.read(x, y));
      }
    }
  }
}

bool readSurface(BitmapObject* bitmap, WindowPixels* out) {
  *out = WindowPixels{};
  if (bitmap == nullptr) return true;
  gdi::Surface s = bitmap->surface();
  out->width = s.width;
  out->height = s.height;
  out->pixels.reserve(static_cast<size_t>(s.width) * s.height);
  for (int y = 0; y < s.height; y++)
    for (int x = 0; x < s.width; x++)
      out->pixels.push_back(gdi::valueToColour(*s.format, s.read(x, y)));
  return true;
}

// The composition of a window and its children into a 32-bit top-down DIB
// (blue in the low byte), through GDI so that the frame draws with the
// same calls as everything else.
struct Composition {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  uint32_t* pixels = nullptr;
  int width = 0, height = 0;

  bool open(int w, int h) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) return false;
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    pixels = static_cast<uint32_t*>(bits);
    width = w;
    height = h;
    return true;
  }
  ~Composition() {
    if (dc != nullptr) DeleteDC(dc);
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
};

// Copies the window's client pixels to `at` in the composition, within `clip`.
void copyClient(HWND hwnd, Composition& into, POINT at, const RECT& clip) {
  BitmapObject* bitmap = gdi::windowSurface(hwnd);
  if (bitmap == nullptr) return;
  gdi::Surface from = bitmap->surface();
  RECT area{at.x, at.y, at.x + from.width, at.y + from.height};
  RECT bounds{0, 0, into.width, into.height}, visible;
  IntersectRect(&visible, &area, &clip);
  IntersectRect(&visible, &visible, &bounds);
  for (int y = visible.top; y < visible.bottom; y++) {
    uint32_t* row = into.pixels + size_t(y) * into.width;
    for (int x = visible.left; x < visible.right; x++) {
      COLORREF c = gdi::valueToColour(*from.format, from.read(x - at.x, y - at.y));
      row[x] = uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    }
  }
}

// Draws the window (frame, client, children back to front) with its
// top-left corner at `at`, clipped to `clip`.
void composeTree(HWND hwnd, Composition& into, POINT at, const RECT& clip) {
  RECT windowRect, client{0, 0, 0, 0};
  GetWindowRect(hwnd, &windowRect);
  POINT clientOrigin{0, 0};
  ClientToScreen(hwnd, &clientOrigin);
  GetClientRect(hwnd, &client);
  POINT clientAt{at.x + clientOrigin.x - windowRect.left, at.y + clientOrigin.y - windowRect.top};
  user::drawFrame(hwnd, into.dc, at);
  RECT clientArea{clientAt.x, clientAt.y, clientAt.x + client.right, clientAt.y + client.bottom};
  RECT childClip;
  IntersectRect(&childClip, &clientArea, &clip);
  copyClient(hwnd, into, clientAt, childClip);
  std::vector<HWND> children;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(GetWindowLongA(*it, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT childRect;
    GetWindowRect(*it, &childRect);
    composeTree(*it, into, POINT{clientAt.x + childRect.left - clientOrigin.x,
                                 clientAt.y + childRect.top - clientOrigin.y}, childClip);
  }
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

}  // namespace gdi

bool readWindowPixels(HWND hwnd, WindowPixels* out) {
  if (out == nullptr || !IsWindow(hwnd)) return false;
  return readSurface(gdi::windowSurface(hwnd), out);
}

bool readScreenPixels(WindowPixels* out) {
  if (out == nullptr) return false;
  return readSurface(gdi::screenSurface(), out);
}

bool composeWindow(HWND hwnd, WindowPixels* out) {
  RECT rect;
  if (out == nullptr || !GetWindowRect(hwnd, &rect)) return false;
  *out = WindowPixels{};
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width < 1 || height < 1) return true;
  Composition composition;
  if (!composition.open(width, height)) return false;
  composeTree(hwnd, composition, POINT{0, 0}, RECT{0, 0, width, height});
  out->width = width;
  out->height = height;
  out->pixels.resize(size_t(width) * height);
  for (size_t i = 0; i < out->pixels.size(); i++) {
    uint32_t p = composition.pixels[i];
    out->pixels[i] = RGB(p >> 16, p >> 8, p);
  }
  return true;
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
