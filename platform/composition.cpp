// platform/composition.cpp -- composing windows with their frames and
// children, whole or where they were drawn into.
#include "platform/composition.h"

#include <map>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/gdi_objects.h"
#include "platform/raster.h"
#include "platform/windowstate.h"

namespace platform {
namespace {

using gdi::BitmapObject;

// A 32-bit top-down DIB section (blue in the low byte) and a memory DC
// that holds it, so that the frames draw with the same calls as everything
// else.
struct Picture {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  uint32_t* pixels = nullptr;
  int width = 0, height = 0;

  Picture() = default;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  ~Picture() { close(); }

  bool open(int w, int h) {
    close();
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
  void close() {
    if (dc != nullptr) DeleteDC(dc);
    if (bitmap != nullptr) DeleteObject(bitmap);
    dc = nullptr;
    bitmap = nullptr;
    pixels = nullptr;
    width = height = 0;
  }
  // Keeps the frames' drawing inside `area`.
  void clipTo(const RECT& area) {
    gdi::DcObject* object = gdi::findDc(dc);
    object->clipped = true;
    object->clipRect = area;
  }
};

// One window's place in the composition: where the tree walk put it.
struct Placement {
  HWND hwnd;
  POINT clientAt;  // its client area's top-left corner in the picture
};

// Copies the window's client pixels within `area` to `at` in the picture,
// converted row by row.
void copyClient(HWND hwnd, Picture& into, POINT at, const RECT& area) {
  BitmapObject* bitmap = gdi::windowSurface(hwnd);
  if (bitmap == nullptr) return;
  gdi::Surface from = bitmap->surface();
  RECT placed{at.x, at.y, at.x + from.width, at.y + from.height}, visible;
  if (!IntersectRect(&visible, &placed, &area)) return;
  static const gdi::PixelFormat pictureFormat = gdi::directFormat(32);
  gdi::ColourMap colours(*from.format, pictureFormat, nullptr, nullptr);
  const int fromBytes = from.format->bitsPerPixel / 8;
  for (int y = visible.top; y < visible.bottom; y++)
    colours.convertRow(from.row(y - at.y) + (visible.left - at.x) * fromBytes,
                       reinterpret_cast<uint8_t*>(into.pixels + size_t(y) * into.width + visible.left),
                       visible.right - visible.left);
}

/*
 * composeTree --
 *   Draws the window (frame, client, then its children back to front) with
 *   its top-left corner at `at`, its client and children clipped to `clip`,
 *   everything kept inside `damage`. A frame is drawn only where the
 *   client would not cover it again. `placed`, when given, collects where
 *   every window went.
 */
void composeTree(HWND hwnd, Picture& into, POINT at, const RECT& clip, const RECT& damage,
                 std::vector<Placement>* placed) {
  RECT windowRect, client{0, 0, 0, 0};
  GetWindowRect(hwnd, &windowRect);
  POINT clientOrigin{0, 0};
  ClientToScreen(hwnd, &clientOrigin);
  GetClientRect(hwnd, &client);
  POINT clientAt{at.x + clientOrigin.x - windowRect.left, at.y + clientOrigin.y - windowRect.top};
  if (placed != nullptr) placed->push_back(Placement{hwnd, clientAt});
  RECT clientArea{clientAt.x, clientAt.y, clientAt.x + client.right, clientAt.y + client.bottom};
  RECT childClip;
  IntersectRect(&childClip, &clientArea, &clip);
  RECT windowArea{at.x, at.y, at.x + windowRect.right - windowRect.left, at.y + windowRect.bottom - windowRect.top};
  RECT frameDamage, covered;
  if (IntersectRect(&frameDamage, &windowArea, &damage) &&
      !(IntersectRect(&covered, &frameDamage, &childClip) && EqualRect(&covered, &frameDamage))) {
    into.clipTo(damage);
    user::drawFrame(hwnd, into.dc, at);
  }
  RECT clientDamage;
  if (IntersectRect(&clientDamage, &childClip, &damage)) copyClient(hwnd, into, clientAt, clientDamage);
  std::vector<HWND> children;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (!(GetWindowLongA(*it, GWL_STYLE) & WS_VISIBLE)) continue;
    RECT childRect;
    GetWindowRect(*it, &childRect);
    composeTree(*it, into, POINT{clientAt.x + childRect.left - clientOrigin.x, clientAt.y + childRect.top - clientOrigin.y},
                childClip, damage, placed);
  }
}

// What a window's part of the picture depends on besides its pixels.
struct Look {
  HWND hwnd;
  RECT rect;  // in its parent's client coordinates, or its size for the top-level window
  DWORD style;
  HMENU menu;
  std::string caption;  // its text, for a window that shows it in a caption
  bool active;
  bool operator==(const Look& o) const {
    return hwnd == o.hwnd && EqualRect(&rect, &o.rect) && style == o.style && menu == o.menu &&
           caption == o.caption && active == o.active;
  }
};

void collectLooks(HWND hwnd, bool topLevel, std::vector<Look>* looks) {
  const user::Window* window = user::findWindow(hwnd);
  if (window == nullptr) return;
  RECT rect = window->rect;
  if (topLevel) OffsetRect(&rect, -rect.left, -rect.top);
  const bool captioned = (window->style & WS_CAPTION) == WS_CAPTION;
  looks->push_back(Look{hwnd, rect, window->style, window->menu, captioned ? window->text : std::string(),
                        GetActiveWindow() == hwnd});
  for (HWND child : window->children)
    if (const user::Window* c = user::findWindow(child); c != nullptr && (c->style & WS_VISIBLE))
      collectLooks(child, false, looks);
}

struct Kept {
  Picture picture;
  std::vector<Look> looks;
  uint32_t frameGeneration = 0;
  uint32_t displayGeneration = 0;
};

std::map<HWND, Kept>& kept() {
  static std::map<HWND, Kept> pictures;
  return pictures;
}

RECT unionOf(const RECT& a, const RECT& b) {
  if (IsRectEmpty(&a)) return b;
  if (IsRectEmpty(&b)) return a;
  RECT both;
  UnionRect(&both, &a, &b);
  return both;
}

// The whole picture composed again; what was drawn so far is in it.
void composeWhole(HWND hwnd, Kept& k, RECT* changed) {
  const RECT whole{0, 0, k.picture.width, k.picture.height};
  std::vector<Placement> placed;
  composeTree(hwnd, k.picture, POINT{0, 0}, whole, whole, &placed);
  RECT ignored;
  for (const Placement& p : placed) gdi::takeWindowDrawn(p.hwnd, &ignored);
  *changed = whole;
}

// Each window's drawn part composed again in its place, with whatever lies
// above it.
void composeDrawn(HWND hwnd, Kept& k, RECT* changed) {
  const RECT whole{0, 0, k.picture.width, k.picture.height};
  std::vector<Placement> placed;
  composeTree(hwnd, k.picture, POINT{0, 0}, whole, RECT{0, 0, 0, 0}, &placed);  // places only
  *changed = RECT{0, 0, 0, 0};
  for (const Placement& p : placed) {
    RECT drawn, area;
    if (!gdi::takeWindowDrawn(p.hwnd, &drawn)) continue;
    OffsetRect(&drawn, p.clientAt.x, p.clientAt.y);
    if (!IntersectRect(&area, &drawn, &whole)) continue;
    composeTree(hwnd, k.picture, POINT{0, 0}, whole, area, nullptr);
    *changed = unionOf(*changed, area);
  }
}

}  // namespace

bool composeChanges(HWND hwnd, ComposedPicture* picture, RECT* changed) {
  RECT rect;
  if (picture == nullptr || changed == nullptr || !IsWindow(hwnd) || !GetWindowRect(hwnd, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width < 1 || height < 1) return false;
  std::erase_if(kept(), [](const auto& entry) { return !IsWindow(entry.first); });
  Kept& k = kept()[hwnd];
  std::vector<Look> looks;
  collectLooks(hwnd, true, &looks);
  const bool whole = k.picture.width != width || k.picture.height != height || looks != k.looks ||
                     k.frameGeneration != presentationGeneration() || k.displayGeneration != displayGeneration();
  if (whole) {
    if ((k.picture.width != width || k.picture.height != height) && !k.picture.open(width, height)) {
      kept().erase(hwnd);
      return false;
    }
    k.looks = std::move(looks);
    k.frameGeneration = presentationGeneration();
    k.displayGeneration = displayGeneration();
    composeWhole(hwnd, k, changed);
  } else {
    composeDrawn(hwnd, k, changed);
  }
  *picture = ComposedPicture{k.picture.pixels, k.picture.width, k.picture.height};
  return true;
}

void forgetComposition(HWND hwnd) { kept().erase(hwnd); }

void noteFrameChanged(HWND hwnd) {
  auto found = kept().find(user::topLevelAncestor(hwnd));
  if (found != kept().end()) found->second.looks.clear();  // nothing compares equal to it
}

bool composeWindow(HWND hwnd, WindowPixels* out) {
  RECT rect;
  if (out == nullptr || !GetWindowRect(hwnd, &rect)) return false;
  *out = WindowPixels{};
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width < 1 || height < 1) return true;
  Picture picture;
  if (!picture.open(width, height)) return false;
  const RECT whole{0, 0, width, height};
  composeTree(hwnd, picture, POINT{0, 0}, whole, whole, nullptr);
  out->width = width;
  out->height = height;
  out->pixels.resize(size_t(width) * height);
  for (size_t i = 0; i < out->pixels.size(); i++) {
    uint32_t p = picture.pixels[i];
    out->pixels[i] = RGB(p >> 16, p >> 8, p);
  }
  return true;
}

}  // namespace platform
