// engine/raster/untextured.cpp -- flat and Gouraud triangles without texture.
#include "engine/raster/untextured.h"

#include <cstring>
#include <type_traits>

#include "engine/raster/rasterapi.h"
#include "engine/raster/shading.h"
#include "engine/raster/triframe.h"

namespace {

using namespace rwraster;

enum class Colour { flat16, gouraud16, flat8, gouraud8 };

constexpr bool sixteenBit(Colour colour) { return colour == Colour::flat16 || colour == Colour::gouraud16; }
constexpr int colourChannelsOf(Colour colour) {
  return colour == Colour::gouraud16 ? 3 : (colour == Colour::gouraud8 ? 1 : 0);
}

// The pixel of a Gouraud span from its interpolants and the dither value.
inline uint16_t gouraud16Pixel(int32_t first, int32_t second, uint32_t dither) {
  const uint32_t packed = static_cast<uint32_t>(first);
  const uint32_t red = (packed >> 24) & 31;
  uint32_t green = ((packed & 0xFFFF) + dither) >> 8;
  if (green > 31) green = 31;
  const uint32_t blue = (static_cast<uint32_t>(second) >> 8) & 31;
  return static_cast<uint16_t>(red << 11 | green << 6 | blue);
}

inline uint8_t gouraud8Pixel(const uint8_t* ramp, int32_t level, uint32_t dither) {
  int32_t rounded = RwWrapAdd(level, static_cast<int32_t>(dither)) >> 8;
  rounded = rounded < 0 ? 0 : (rounded > 31 ? 31 : rounded);
  return ramp[rounded];
}

/*
 * pixelRow --
 *   Pixels xl .. xr - 1 of the block's current row, one by one: the
 *   reference every span loop follows.
 */
template <Colour colour, bool stipple, bool depthBuffered>
void pixelRow(RwSpanParams* block, int32_t xl, int32_t xr, uint32_t dither) {
  using Pixel = std::conditional_t<sixteenBit(colour), uint16_t, uint8_t>;
  Pixel* out = reinterpret_cast<Pixel*>(block->colourRow) + xl;
  uint16_t* z = depthBuffered ? reinterpret_cast<uint16_t*>(block->zRow) + xl : nullptr;
  int32_t first = block->first.value;
  int32_t second = block->second.value;
  int32_t depth = block->depth.value;
  const uint32_t opacity = static_cast<uint32_t>(block->opacity);
  for (int32_t n = xr - xl; n > 0; --n, ++out) {
    const uint32_t d = dither & 255;
    bool write = !stipple || d < opacity;
    if constexpr (depthBuffered) {
      const auto pixelDepth = static_cast<uint16_t>(static_cast<uint32_t>(depth) >> 16);
      if (write) write = stipple ? *z < pixelDepth : *z <= pixelDepth;
      if (write) *z = pixelDepth;
      ++z;
      depth = RwWrapAdd(depth, block->depth.pixelStep);
    }
    if (write) {
      if constexpr (colour == Colour::gouraud16) {
        *out = gouraud16Pixel(first, second, d);
      } else if constexpr (colour == Colour::gouraud8) {
        *out = gouraud8Pixel(block->shadeBlock, first, d);
      } else {
        *out = static_cast<Pixel>(block->flatColour);
      }
    }
    if constexpr (colourChannelsOf(colour) > 0) first = RwWrapAdd(first, block->first.pixelStep);
    if constexpr (colour == Colour::gouraud16) second = RwWrapAdd(second, block->second.pixelStep);
    dither ^= dither >> 6;
  }
}

template <Colour colour, bool depthBuffered>
constexpr int steppedInterpolants() {
  int bits = depthBuffered ? stepDepth : 0;
  if (colourChannelsOf(colour) > 0) bits |= stepFirst;
  if (colour == Colour::gouraud16) bits |= stepSecond;
  return bits;
}

template <Colour colour, bool stipple, bool depthBuffered>
void pixelSpan(RwSpanParams* block) {
  walkRows<depthBuffered>(block, steppedInterpolants<colour, depthBuffered>(),
                          pixelRow<colour, stipple, depthBuffered>);
}

// ---- tuned flat opaque rows: aligned 32-bit stores for long rows

inline void store16(uint8_t* at, uint16_t value) { std::memcpy(at, &value, sizeof value); }
inline void store32(uint8_t* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }

void flatRow16(RwSpanParams* block, int32_t xl, int32_t xr, uint32_t) {
  uint8_t* at = block->colourRow + 2 * xl;
  const auto pixel = static_cast<uint16_t>(block->flatColour);
  int32_t count = xr - xl;
  if (count < 7) {
    for (; count > 0; --count, at += 2) store16(at, pixel);
    return;
  }
  if (reinterpret_cast<uintptr_t>(at) & 3) {
    store16(at, pixel);
    at += 2;
    --count;
  }
  const uint32_t pair = uint32_t{pixel} * 0x00010001u;
  for (; count >= 2; count -= 2, at += 4) store32(at, pair);
  if (count) store16(at, pixel);
}

void flatRow8(RwSpanParams* block, int32_t xl, int32_t xr, uint32_t) {
  uint8_t* at = block->colourRow + xl;
  const auto index = static_cast<uint8_t>(block->flatColour);
  int32_t count = xr - xl;
  if (count <= 8) {
    for (; count > 0; --count) *at++ = index;
    return;
  }
  if (reinterpret_cast<uintptr_t>(at) & 1) {
    *at++ = index;
    --count;
  }
  if (reinterpret_cast<uintptr_t>(at) & 2) {
    store16(at, static_cast<uint16_t>(index * 0x0101u));
    at += 2;
    count -= 2;
  }
  const uint32_t quad = index * 0x01010101u;
  for (; count >= 4; count -= 4, at += 4) store32(at, quad);
  for (; count > 0; --count) *at++ = index;
}

// ---- per-triangle rules for the frame

template <Colour colour, bool z, void (*spanLoop)(RwSpanParams*)>
struct UntexturedRule {
  static constexpr int colourChannels = colourChannelsOf(colour);
  static constexpr bool depthBuffered = z;

  static void begin(const RwRasterPolygon* polygon) {
    SpanParams.opacity = polygon->opacity;
    if constexpr (colour == Colour::flat16) SpanParams.flatColour = shade16(polygon->colour, polygon->intensity);
    if constexpr (colour == Colour::flat8) SpanParams.flatColour = shade8(polygon->colour, polygon->intensity[0]);
    if constexpr (colour == Colour::gouraud8) SpanParams.shadeBlock = rampRow(polygon->colour);
  }

  static void vertex(const RwRasterPolygon* polygon, const RwRasterVertex* vertex, int32_t* channel) {
    const uintptr_t materialColour = polygon->colour;
    if constexpr (colour == Colour::gouraud16) {
      channel[0] = static_cast<int32_t>(shadeChannel(redChannel(materialColour), vertex->intensity[0]) << 8);
      channel[1] = static_cast<int32_t>(shadeChannel(greenChannel(materialColour), vertex->intensity[1]) << 8);
      channel[2] = static_cast<int32_t>(shadeChannel(blueChannel(materialColour), vertex->intensity[2]) << 8);
    } else if constexpr (colour == Colour::gouraud8) {
      channel[0] = rampIntensity(materialColour, vertex->intensity[0]) >> 8;
    }
    if constexpr (z) {
      channel[colourChannels] = static_cast<int32_t>((static_cast<uint32_t>(vertex->depth) & 0xFFFF) << 16);
    }
  }

  static void load(const int32_t* value, const int32_t* rowStep, const int32_t* pixelStep) {
    if constexpr (colour == Colour::gouraud16) {
      // Red and green share one word: one addition steps both.
      SpanParams.first = {packed(value[0], value[1]), packed(rowStep[0], rowStep[1]), packed(pixelStep[0], pixelStep[1])};
      SpanParams.second = {value[2], low16(rowStep[2]), low16(pixelStep[2])};
    } else if constexpr (colour == Colour::gouraud8) {
      SpanParams.first = {value[0], low16(rowStep[0]), low16(pixelStep[0])};
    }
    if constexpr (z) {
      SpanParams.depth = {value[colourChannels], rowStep[colourChannels], pixelStep[colourChannels]};
    }
  }

  static void rowSteps(const int32_t* rowStep) {
    if constexpr (colour == Colour::gouraud16) {
      SpanParams.first.rowStep = packed(rowStep[0], rowStep[1]);
      SpanParams.second.rowStep = low16(rowStep[2]);
    } else if constexpr (colour == Colour::gouraud8) {
      SpanParams.first.rowStep = low16(rowStep[0]);
    }
    if constexpr (z) SpanParams.depth.rowStep = rowStep[colourChannels];
  }

  static void span(RwSpanParams* block) { spanLoop(block); }

  static int32_t low16(int32_t step) { return low16Step(step); }
  static int32_t packed(int32_t high, int32_t low) { return packedHalves(high, low); }
};

// Stipple lives in the span loop; the rule only needs to know the colour
// kind, the z-buffer and which loop draws the rows.
template <Colour colour, bool z, void (*spanLoop)(RwSpanParams*)>
void drawTriangle(const RwRasterPolygon* polygon, intptr_t i) {
  triangle<UntexturedRule<colour, z, spanLoop>>(polygon, i);
}

}  // namespace

// ---- span loops

void RwRas16SpanFlatOpaque(RwSpanParams* block) { walkRows<false>(block, 0, flatRow16); }
void RwRas8SpanFlatOpaque(RwSpanParams* block) { walkRows<false>(block, 0, flatRow8); }
void RwRas16SpanFlatOpaqueReference(RwSpanParams* block) { pixelSpan<Colour::flat16, false, false>(block); }
void RwRas8SpanFlatOpaqueReference(RwSpanParams* block) { pixelSpan<Colour::flat8, false, false>(block); }
void RwRas16SpanFlatOpaqueZ(RwSpanParams* block) { pixelSpan<Colour::flat16, false, true>(block); }
void RwRas16SpanGouraudOpaque(RwSpanParams* block) { pixelSpan<Colour::gouraud16, false, false>(block); }
void RwRas16SpanGouraudOpaqueZ(RwSpanParams* block) { pixelSpan<Colour::gouraud16, false, true>(block); }
void RwRas8SpanFlatOpaqueZ(RwSpanParams* block) { pixelSpan<Colour::flat8, false, true>(block); }
void RwRas8SpanGouraudOpaque(RwSpanParams* block) { pixelSpan<Colour::gouraud8, false, false>(block); }
void RwRas8SpanGouraudOpaqueZ(RwSpanParams* block) { pixelSpan<Colour::gouraud8, false, true>(block); }
void RwRas8SpanFlatStipple(RwSpanParams* block) { pixelSpan<Colour::flat8, true, false>(block); }
void RwRas8SpanFlatStippleZ(RwSpanParams* block) { pixelSpan<Colour::flat8, true, true>(block); }
void RwRas8SpanGouraudStipple(RwSpanParams* block) { pixelSpan<Colour::gouraud8, true, false>(block); }
void RwRas8SpanGouraudStippleZ(RwSpanParams* block) { pixelSpan<Colour::gouraud8, true, true>(block); }

// ---- triangle routines

void RwRas16TriFlatOpaque(const RwRasterPolygon* p, intptr_t i) { drawTriangle<Colour::flat16, false, RwRas16SpanFlatOpaque>(p, i); }
void RwRas16TriFlatOpaqueZ(const RwRasterPolygon* p, intptr_t i) { drawTriangle<Colour::flat16, true, RwRas16SpanFlatOpaqueZ>(p, i); }
void RwRas16TriGouraudOpaque(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud16, false, RwRas16SpanGouraudOpaque>(p, i);
}
void RwRas16TriGouraudOpaqueZ(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud16, true, RwRas16SpanGouraudOpaqueZ>(p, i);
}
void RwRas16TriFlatStipple(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::flat16, false, pixelSpan<Colour::flat16, true, false>>(p, i);
}
void RwRas16TriFlatStippleZ(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::flat16, true, pixelSpan<Colour::flat16, true, true>>(p, i);
}
void RwRas16TriGouraudStipple(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud16, false, pixelSpan<Colour::gouraud16, true, false>>(p, i);
}
void RwRas16TriGouraudStippleZ(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud16, true, pixelSpan<Colour::gouraud16, true, true>>(p, i);
}
void RwRas8TriFlatOpaque(const RwRasterPolygon* p, intptr_t i) { drawTriangle<Colour::flat8, false, RwRas8SpanFlatOpaque>(p, i); }
void RwRas8TriFlatOpaqueZ(const RwRasterPolygon* p, intptr_t i) { drawTriangle<Colour::flat8, true, RwRas8SpanFlatOpaqueZ>(p, i); }
void RwRas8TriGouraudOpaque(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud8, false, RwRas8SpanGouraudOpaque>(p, i);
}
void RwRas8TriGouraudOpaqueZ(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud8, true, RwRas8SpanGouraudOpaqueZ>(p, i);
}
void RwRas8TriFlatStipple(const RwRasterPolygon* p, intptr_t i) { drawTriangle<Colour::flat8, false, RwRas8SpanFlatStipple>(p, i); }
void RwRas8TriFlatStippleZ(const RwRasterPolygon* p, intptr_t i) { drawTriangle<Colour::flat8, true, RwRas8SpanFlatStippleZ>(p, i); }
void RwRas8TriGouraudStipple(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud8, false, RwRas8SpanGouraudStipple>(p, i);
}
void RwRas8TriGouraudStippleZ(const RwRasterPolygon* p, intptr_t i) {
  drawTriangle<Colour::gouraud8, true, RwRas8SpanGouraudStippleZ>(p, i);
}

// ---- draw routines

int RwRas16FanFlatOpaque(const RwRasterPolygon* p) { return fan<RwRas16TriFlatOpaque>(p); }
int RwRas16FanFlatOpaqueZ(const RwRasterPolygon* p) { return fan<RwRas16TriFlatOpaqueZ>(p); }
int RwRas16FanGouraudOpaque(const RwRasterPolygon* p) { return fan<RwRas16TriGouraudOpaque>(p); }
int RwRas16FanGouraudOpaqueZ(const RwRasterPolygon* p) { return fan<RwRas16TriGouraudOpaqueZ>(p); }
int RwRas16FanFlatStipple(const RwRasterPolygon* p) { return fan<RwRas16TriFlatStipple>(p); }
int RwRas16FanFlatStippleZ(const RwRasterPolygon* p) { return fan<RwRas16TriFlatStippleZ>(p); }
int RwRas16FanGouraudStipple(const RwRasterPolygon* p) { return fan<RwRas16TriGouraudStipple>(p); }
int RwRas16FanGouraudStippleZ(const RwRasterPolygon* p) { return fan<RwRas16TriGouraudStippleZ>(p); }
int RwRas8FanFlatOpaque(const RwRasterPolygon* p) { return fan<RwRas8TriFlatOpaque>(p); }
int RwRas8FanFlatOpaqueZ(const RwRasterPolygon* p) { return fan<RwRas8TriFlatOpaqueZ>(p); }
int RwRas8FanGouraudOpaque(const RwRasterPolygon* p) { return fan<RwRas8TriGouraudOpaque>(p); }
int RwRas8FanGouraudOpaqueZ(const RwRasterPolygon* p) { return fan<RwRas8TriGouraudOpaqueZ>(p); }
int RwRas8FanFlatStipple(const RwRasterPolygon* p) { return fan<RwRas8TriFlatStipple>(p); }
int RwRas8FanFlatStippleZ(const RwRasterPolygon* p) { return fan<RwRas8TriFlatStippleZ>(p); }
int RwRas8FanGouraudStipple(const RwRasterPolygon* p) { return fan<RwRas8TriGouraudStipple>(p); }
int RwRas8FanGouraudStippleZ(const RwRasterPolygon* p) { return fan<RwRas8TriGouraudStippleZ>(p); }
