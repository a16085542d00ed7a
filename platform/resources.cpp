// platform/resources.cpp -- bitmap and cursor resources, the cursor on
// show, and the system colours.
#include "platform/resources.h"

#include <cctype>
#include <cstring>
#include <map>

#include "platform/userstate.h"

namespace {

using platform::user::ResourceState;
using platform::user::windowSystem;

// Cursor handles are small fixed values standing for their shape; they
// never reach a table and are never freed.
constexpr uintptr_t kCursorBase = 0x7C000;

HCURSOR cursorFor(platform::PointerShape shape) {
  return reinterpret_cast<HCURSOR>(kCursorBase + 4 * static_cast<uintptr_t>(shape));
}

struct StockCursor {
  uintptr_t id;
  platform::PointerShape shape;
};
constexpr StockCursor kStockCursors[] = {
    {32512, platform::PointerShape::Arrow},    {32513, platform::PointerShape::IBeam},
    {32514, platform::PointerShape::Wait},     {32515, platform::PointerShape::Cross},
    {32516, platform::PointerShape::UpArrow},  {32646, platform::PointerShape::SizeAll},
    {32642, platform::PointerShape::SizeNwse}, {32643, platform::PointerShape::SizeNesw},
    {32644, platform::PointerShape::SizeWe},   {32645, platform::PointerShape::SizeNs},
    {32648, platform::PointerShape::No},       {32649, platform::PointerShape::Hand},
};

// The colours of a plain grey desktop with navy captions.
constexpr COLORREF kSysColours[] = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128),
    RGB(192, 192, 192), RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),
    RGB(0, 0, 0),       RGB(255, 255, 255), RGB(192, 192, 192), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255),
};
constexpr int kSysColourCount = int(sizeof kSysColours / sizeof kSysColours[0]);

bool validShape(uintptr_t value) {
  return value >= kCursorBase && (value - kCursorBase) % 4 == 0 &&
         (value - kCursorBase) / 4 <= static_cast<uintptr_t>(platform::PointerShape::Hidden);
}

void noteCursorChange() { windowSystem().resources.generation++; }

}  // namespace

std::string platform::resourceKey(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
  std::string key = name;
  for (char& c : key) c = char(std::toupper(static_cast<unsigned char>(c)));
  return key;
}

DWORD GetSysColor(int index) {
  return index >= 0 && index < kSysColourCount ? kSysColours[index] : 0;
}

HBRUSH GetSysColorBrush(int index) {
  static HBRUSH brushes[kSysColourCount] = {};
  if (index < 0 || index >= kSysColourCount) return nullptr;
  if (brushes[index] == nullptr) brushes[index] = CreateSolidBrush(kSysColours[index]);
  return brushes[index];
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  ResourceState& resources = windowSystem().resources;
  if (name == nullptr) return nullptr;
  if (instance == nullptr && IS_INTRESOURCE(name)) {
    for (const StockCursor& stock : kStockCursors)
      if (stock.id == reinterpret_cast<uintptr_t>(name)) return cursorFor(stock.shape);
  }
  auto found = resources.cursors.find(platform::resourceKey(name));
  return found == resources.cursors.end() ? nullptr : cursorFor(found->second);
}

// Icons are shown by nobody; a handle tells the program the icon exists.
HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (name == nullptr) return nullptr;
  return reinterpret_cast<HICON>(kCursorBase - 4);
}

HCURSOR SetCursor(HCURSOR cursor) {
  ResourceState& resources = windowSystem().resources;
  HCURSOR previous = resources.current;
  if (cursor != previous) {
    resources.current = cursor;
    noteCursorChange();
  }
  return previous;
}

HCURSOR GetCursor() { return windowSystem().resources.current; }

int ShowCursor(BOOL show) {
  ResourceState& resources = windowSystem().resources;
  resources.showCount += show ? 1 : -1;
  noteCursorChange();
  return resources.showCount;
}

HBITMAP LoadBitmapA(HINSTANCE, LPCSTR name) {
  ResourceState& resources = windowSystem().resources;
  if (name == nullptr) return nullptr;
  auto found = resources.bitmaps.find(platform::resourceKey(name));
  if (found == resources.bitmaps.end()) return nullptr;
  const platform::BitmapResource& resource = found->second;
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = resource.width;
  info.header.biHeight = -resource.height;  // rows from the top
  info.header.biPlanes = 1;
  info.header.biBitCount = WORD(resource.bitsPerPixel);
  info.header.biCompression = BI_RGB;
  if (resource.bitsPerPixel == 16) {
    info.header.biCompression = BI_BITFIELDS;
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info.colours, masks, sizeof masks);
  } else {
    info.header.biClrUsed = DWORD(resource.colours.size());
    if (!resource.colours.empty())  // a 24-bit resource has none
      std::memcpy(info.colours, resource.colours.data(), resource.colours.size() * sizeof(RGBQUAD));
  }
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  if (bitmap != nullptr) std::memcpy(bits, resource.bits.data(), resource.bits.size());
  return bitmap;
}

namespace platform {

PointerShape pointerShape(HCURSOR cursor) {
  auto value = reinterpret_cast<uintptr_t>(cursor);
  if (!validShape(value)) return PointerShape::Arrow;
  return static_cast<PointerShape>((value - kCursorBase) / 4);
}

PointerShape currentPointerShape() {
  ResourceState& resources = windowSystem().resources;
  if (resources.showCount < 0) return PointerShape::Hidden;
  return pointerShape(resources.current);
}

uint32_t cursorGeneration() { return windowSystem().resources.generation; }

void registerCursorResource(const std::string& name, PointerShape shape) {
  ResourceState& resources = windowSystem().resources;
  resources.cursors[resourceKey(name.c_str())] = shape;
}

bool registerBitmapResource(const std::string& name, BitmapResource bitmap) {
  ResourceState& resources = windowSystem().resources;
  int depth = bitmap.bitsPerPixel;
  if (bitmap.width < 1 || bitmap.height < 1 || (depth != 8 && depth != 16 && depth != 24))
    return false;
  if (depth == 8 && (bitmap.colours.empty() || bitmap.colours.size() > 256)) return false;
  size_t row = (size_t(bitmap.width) * depth / 8 + 3) & ~size_t(3);
  if (bitmap.bits.size() != row * size_t(bitmap.height)) return false;
  resources.bitmaps[resourceKey(name.c_str())] = std::move(bitmap);
  return true;
}

void clearBitmapResources() { windowSystem().resources.bitmaps.clear(); }

}  // namespace platform
