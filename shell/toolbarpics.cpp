// shell/toolbarpics.cpp -- the button pictures; see toolbarpics.h.
#include "shell/toolbarpics.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/resources.h"

namespace {

struct Rgb {
  uint8_t r, g, b;
};

// A shape in the unit square, y downwards.
struct Shape {
  enum Kind { Rect, Triangle, Ring } kind;
  float a, b, c, d, e, f;  // Rect: x0 y0 x1 y1; Triangle: three corners; Ring: cx cy inner outer
};

struct Glyph {
  const char* name;
  std::vector<Shape> shapes;
};

// The command toolbar's buttons (41 x 34).
const std::vector<Glyph>& commandGlyphs() {
  static const std::vector<Glyph> glyphs = {
      {"BAK", {{Shape::Triangle, .15f, .5f, .45f, .2f, .45f, .8f}, {Shape::Rect, .45f, .4f, .85f, .6f}}},
      {"FWD", {{Shape::Triangle, .85f, .5f, .55f, .2f, .55f, .8f}, {Shape::Rect, .15f, .4f, .55f, .6f}}},
      {"HOM", {{Shape::Triangle, .5f, .12f, .15f, .5f, .85f, .5f}, {Shape::Rect, .27f, .5f, .73f, .85f}}},
      {"UND", {{Shape::Ring, .55f, .55f, .14f, .26f}, {Shape::Triangle, .12f, .42f, .4f, .42f, .26f, .68f}}},
      {"BMK", {{Shape::Rect, .33f, .15f, .67f, .68f}, {Shape::Triangle, .33f, .68f, .67f, .68f, .5f, .88f}}},
      {"SCT", {{Shape::Ring, .5f, .5f, .18f, .3f}, {Shape::Ring, .5f, .5f, 0, .08f}}},
      {"JMP", {{Shape::Triangle, .5f, .12f, .2f, .5f, .8f, .5f}, {Shape::Rect, .4f, .5f, .6f, .88f}}},
      {"STP", {{Shape::Rect, .27f, .22f, .73f, .78f}}},
  };
  return glyphs;
}

// The navigation toolbar's buttons (20 x 15).
const std::vector<Glyph>& navigationGlyphs() {
  static const std::vector<Glyph> glyphs = {
      {"LT", {{Shape::Triangle, .15f, .5f, .6f, .1f, .6f, .9f}, {Shape::Rect, .72f, .1f, .85f, .9f}}},
      {"LW", {{Shape::Triangle, .1f, .5f, .45f, .15f, .45f, .85f}, {Shape::Triangle, .5f, .5f, .85f, .15f, .85f, .85f}}},
      {"FW", {{Shape::Triangle, .5f, .1f, .15f, .85f, .85f, .85f}}},
      {"BK", {{Shape::Triangle, .5f, .9f, .15f, .15f, .85f, .15f}}},
      {"RW", {{Shape::Triangle, .9f, .5f, .55f, .15f, .55f, .85f}, {Shape::Triangle, .5f, .5f, .15f, .15f, .15f, .85f}}},
      {"RT", {{Shape::Triangle, .85f, .5f, .4f, .1f, .4f, .9f}, {Shape::Rect, .15f, .1f, .28f, .9f}}},
  };
  return glyphs;
}

struct Look {
  int suffix;
  Rgb face, glyph;
  bool pressed;  // sunken bevel, glyph one pixel down and right
};

constexpr Rgb kFace = {96, 96, 96}, kSunkenFace = {56, 56, 56};
constexpr Rgb kLight = {176, 176, 176}, kDark = {24, 24, 24};
constexpr Rgb kGlyph = {232, 232, 232}, kDimGlyph = {140, 140, 140}, kOnGlyph = {255, 208, 0};

bool inside(const Shape& s, float x, float y) {
  switch (s.kind) {
    case Shape::Rect:
      return x >= s.a && x <= s.c && y >= s.b && y <= s.d;
    case Shape::Triangle: {
      auto side = [](float ax, float ay, float bx, float by, float px, float py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
      };
      const float d1 = side(s.a, s.b, s.c, s.d, x, y), d2 = side(s.c, s.d, s.e, s.f, x, y),
                  d3 = side(s.e, s.f, s.a, s.b, x, y);
      return (d1 >= 0 && d2 >= 0 && d3 >= 0) || (d1 <= 0 && d2 <= 0 && d3 <= 0);
    }
    case Shape::Ring: {
      const float dx = x - s.a, dy = y - s.b, r2 = dx * dx + dy * dy;
      return r2 >= s.c * s.c && r2 <= s.d * s.d;
    }
  }
  return false;
}

platform::BitmapResource draw(const Glyph& glyph, const Look& look, int width, int height) {
  platform::BitmapResource picture;
  picture.width = width;
  picture.height = height;
  picture.bitsPerPixel = 24;
  const int stride = (width * 3 + 3) & ~3;
  picture.bits.assign(size_t(stride) * height, 0);
  const int shift = look.pressed ? 1 : 0;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      Rgb colour = look.face;
      const bool topLeft = x == 0 || y == 0, bottomRight = x == width - 1 || y == height - 1;
      if (topLeft || bottomRight) {
        colour = (topLeft != look.pressed) ? kLight : kDark;
      } else {
        const float u = (x - shift + 0.5f) / width, v = (y - shift + 0.5f) / height;
        for (const Shape& shape : glyph.shapes)
          if (inside(shape, u, v)) colour = look.glyph;
      }
      uint8_t* pixel = &picture.bits[size_t(y) * stride + size_t(x) * 3];
      pixel[0] = colour.b;
      pixel[1] = colour.g;
      pixel[2] = colour.r;
    }
  }
  return picture;
}

void registerAll(const std::vector<Glyph>& glyphs, const std::vector<Look>& looks, int width, int height) {
  for (const Glyph& glyph : glyphs)
    for (const Look& look : looks)
      platform::registerBitmapResource(glyph.name + std::to_string(look.suffix), draw(glyph, look, width, height));
}

}  // namespace

void zmRegisterToolBarPictures() {
  // Command buttons: 1 normal, 2 pressed, 3 disabled; the Scouter's and
  // the jump's "on" look as 4 and 5 (pressed). The others never show 4 and
  // 5, which cost nothing.
  registerAll(commandGlyphs(),
              {{1, kFace, kGlyph, false},
               {2, kSunkenFace, kGlyph, true},
               {3, kFace, kDimGlyph, false},
               {4, kFace, kOnGlyph, false},
               {5, kSunkenFace, kOnGlyph, true}},
              41, 34);
  // Navigation buttons: 1 normal, 3 pressed.
  registerAll(navigationGlyphs(), {{1, kFace, kGlyph, false}, {3, kSunkenFace, kGlyph, true}}, 20, 15);
}
