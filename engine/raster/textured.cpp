// engine/raster/textured.cpp -- affine textured triangles, plain and
// filtered, in 15/16-bit and in 8-bit colour.
#include "engine/raster/textured.h"

#include <algorithm>
#include <type_traits>

#include "engine/raster/rasterapi.h"
#include "engine/raster/triframe.h"

namespace {

using namespace rwraster;

// flatOne16: the tuned opaque loops' flat lighting, all channels at the red level.
enum class Lighting { unlit16, flatOne16, flat16, gouraud16, unlit8, flat8, gouraud8 };

constexpr bool sixteenBit(Lighting l) { return l <= Lighting::gouraud16; }
constexpr bool flatLit(Lighting l) { return l == Lighting::flatOne16 || l == Lighting::flat16 || l == Lighting::flat8; }
constexpr int lightChannels(Lighting l) { return l == Lighting::gouraud16 ? 3 : (l == Lighting::gouraud8 ? 1 : 0); }

constexpr uint32_t guardMask = 0x7FFF7FFF;

inline int32_t level(int32_t value) { return std::clamp(value, 0, 31); }

// Index in the 128 x 128 block of the texel under packed coordinates.
inline uint32_t texelIndex(uint32_t uv) { return ((uv >> 24) & 127) * 128 + ((uv >> 8) & 127); }

// Filtered lookup: u moved by the dither value as a signed byte, v by the
// same XOR 0xAA (so by half a texel to a whole texel), both wrapping.
inline uint32_t filteredTexelIndex(uint32_t uv, uint32_t dither) {
  const int32_t ju = static_cast<int8_t>(dither & 255);
  const int32_t jv = ju ^ 0xAA;
  const uint32_t column = static_cast<uint32_t>((static_cast<int32_t>(uv & 0x7FFF) + ju) >> 8) & 127;
  const uint32_t row = static_cast<uint32_t>((static_cast<int32_t>((uv >> 16) & 0x7FFF) + jv) >> 8) & 127;
  return row * 128 + column;
}

template <Lighting lighting>
using PixelOf = std::conditional_t<sixteenBit(lighting), uint16_t, uint8_t>;

template <Lighting lighting>
inline uint32_t texelAt(const uint8_t* texels, uint32_t index) {
  return reinterpret_cast<const PixelOf<lighting>*>(texels)[index];
}

// Running values of a span: packed coordinates, red/green (or the 8-bit
// level), blue and depth.
struct Running {
  uint32_t uv;
  int32_t first;
  uint16_t blue;
  int32_t depth;
};

/*
 * litTexel --
 *   The pixel of texel t under the lighting. The dither value d rounds the
 *   Gouraud green (15/16-bit) or level (8-bit).
 */
template <Lighting lighting>
inline uint32_t litTexel(const RwSpanParams* block, uint32_t t, const Running& at, uint32_t d) {
  const uint8_t* shade = rwRasterTarget.shadeTable;
  if constexpr (lighting == Lighting::unlit16 || lighting == Lighting::unlit8) {
    return t;
  } else if constexpr (lighting == Lighting::flatOne16) {
    const uint8_t* row = block->shadeRows[0];
    return row[t >> 11] << 11 | row[(t >> 6) & 31] << 6 | row[t & 31];
  } else if constexpr (lighting == Lighting::flat16) {
    return block->shadeRows[0][t >> 11] << 11 | block->shadeRows[1][(t >> 6) & 31] << 6 | block->shadeRows[2][t & 31];
  } else if constexpr (lighting == Lighting::gouraud16) {
    const int32_t red = level(at.first >> 24);
    const int32_t green = level((static_cast<int16_t>(at.first & 0xFFFF) + static_cast<int32_t>(d)) >> 8);
    const int32_t blue = level(static_cast<int16_t>(at.blue) >> 8);
    return shade[red * 32 + (t >> 11)] << 11 | shade[green * 32 + ((t >> 6) & 31)] << 6 | shade[blue * 32 + (t & 31)];
  } else if constexpr (lighting == Lighting::flat8) {
    return block->shadeRows[0][t];
  } else {
    return shade[level(RwWrapAdd(at.first, static_cast<int32_t>(d)) >> 8) * 256 + t];
  }
}

/*
 * texturedRow --
 *   Pixels xl .. xr - 1 of the block's current row, one by one: the form
 *   every loop follows. d is the dither word of pixel xl.
 */
template <Lighting lighting, bool stipple, bool depthBuffered, bool filtered, bool strictDepth>
void texturedRow(RwSpanParams* block, int32_t xl, int32_t xr, uint32_t d) {
  using Pixel = PixelOf<lighting>;
  Pixel* out = reinterpret_cast<Pixel*>(block->colourRow) + xl;
  uint16_t* z = depthBuffered ? reinterpret_cast<uint16_t*>(block->zRow) + xl : nullptr;
  Running at = {static_cast<uint32_t>(block->third.value), block->first.value,
                static_cast<uint16_t>(block->second.value), block->depth.value};
  const uint32_t step = static_cast<uint32_t>(block->third.pixelStep);
  for (int32_t n = xr - xl; n > 0; --n, ++out) {
    bool write = !stipple || (d & 255) < static_cast<uint32_t>(block->opacity);
    const auto pixelDepth = static_cast<uint16_t>(static_cast<uint32_t>(at.depth) >> 16);
    if constexpr (depthBuffered) write = write && (strictDepth ? *z < pixelDepth : *z <= pixelDepth);
    if (write) {
      const uint32_t t =
          texelAt<lighting>(block->texels, filtered ? filteredTexelIndex(at.uv, d) : texelIndex(at.uv));
      if (t != 0) {
        if constexpr (depthBuffered) *z = pixelDepth;
        *out = static_cast<Pixel>(litTexel<lighting>(block, t, at, d & 255));
      }
    }
    if constexpr (depthBuffered) ++z;
    d ^= d >> 6;
    at.uv = (at.uv + step) & guardMask;
    if constexpr (lightChannels(lighting) > 0) at.first = RwWrapAdd(at.first, block->first.pixelStep);
    if constexpr (lighting == Lighting::gouraud16) at.blue = static_cast<uint16_t>(at.blue + block->second.pixelStep);
    if constexpr (depthBuffered) at.depth = RwWrapAdd(at.depth, block->depth.pixelStep);
  }
}

template <Lighting lighting, bool depthBuffered, int texture>
constexpr int steppedInterpolants() {
  int bits = texture | (depthBuffered ? stepDepth : 0);
  if (lightChannels(lighting) > 0) bits |= stepFirst;
  if (lighting == Lighting::gouraud16) bits |= stepSecond;
  return bits;
}

// The span loops that are not tuned: plain row sum of the coordinates.
template <Lighting lighting, bool stipple, bool depthBuffered, bool filtered>
void pixelSpan(RwSpanParams* block) {
  walkRows<depthBuffered>(block, steppedInterpolants<lighting, depthBuffered, stepThird>(),
                          texturedRow<lighting, stipple, depthBuffered, filtered, true>);
}

// Reference for the tuned loops: masked row sum, depth passes at equal.
template <Lighting lighting, bool depthBuffered>
void referenceSpan(RwSpanParams* block) {
  walkRows<depthBuffered>(block, steppedInterpolants<lighting, depthBuffered, stepThirdMasked>(),
                          texturedRow<lighting, false, depthBuffered, false, false>);
}

// ---- the tuned loops: edges, rows and addresses kept in the block

// The 16-bit flat pixel built in one register with the ExpandedShadeTable
// row of the level (each entry a shaded channel in bits 3..7, repeated
// eightfold so an unmasked byte indexes it): blue, then green, then red are
// looked up from the low byte and land in bits 11..15 while the word
// shifts down, leaving red in 11..15, green in 6..10, blue in 0..4.
inline uint32_t expandedShade(const uint8_t* row, uint32_t t) {
  uint32_t word = t;
  uint32_t entry = row[word & 255];
  word = (word >> 5) | entry << 8;
  word >>= 1;
  entry = row[word & 255];
  word = (word >> 5) | entry << 8;
  entry = row[word & 255];
  return (word >> 5) | entry << 8;
}

template <Lighting lighting, bool depthBuffered>
void tunedSpan(RwSpanParams* block) {
  using Pixel = PixelOf<lighting>;
  if (block->rows < 1) return;
  const uint8_t* texels = block->texels;
  const uint32_t step = static_cast<uint32_t>(block->third.pixelStep);
  const uint8_t* expanded = nullptr;
  if constexpr (lighting == Lighting::flatOne16) {
    expanded = rwRasterTarget.expandedShadeTable + (block->shadeRows[0] - rwRasterTarget.shadeTable) * 8;
  }
  do {
    block->leftX = RwWrapAdd(block->leftX, block->leftStep);
    block->rightX = RwWrapAdd(block->rightX, block->rightStep);
    block->third.value = static_cast<int32_t>(
        static_cast<uint32_t>(RwWrapAdd(block->third.value, block->third.rowStep)) & guardMask);
    if constexpr (depthBuffered) block->depth.value = RwWrapAdd(block->depth.value, block->depth.rowStep);
    const int32_t xl = block->leftX >> 16;
    const int32_t xr = block->rightX >> 16;
    Pixel* end = reinterpret_cast<Pixel*>(block->colourRow) + xr;
    uint16_t* zEnd = depthBuffered ? reinterpret_cast<uint16_t*>(block->zRow) + xr : nullptr;
    uint32_t uv = static_cast<uint32_t>(block->third.value);
    int32_t depth = block->depth.value;
    for (intptr_t n = intptr_t{xl} - xr; n < 0; ++n) {
      const uint32_t t = reinterpret_cast<const Pixel*>(texels)[texelIndex(uv)];
      uv = (uv + step) & guardMask;
      const auto pixelDepth = static_cast<uint16_t>(static_cast<uint32_t>(depth) >> 16);
      if constexpr (depthBuffered) depth = RwWrapAdd(depth, block->depth.pixelStep);
      if (t == 0) continue;
      if constexpr (depthBuffered) {
        if (zEnd[n] > pixelDepth) continue;
        zEnd[n] = pixelDepth;
      }
      if constexpr (lighting == Lighting::flatOne16) {
        end[n] = static_cast<Pixel>(expandedShade(expanded, t));
      } else if constexpr (lighting == Lighting::flat8) {
        end[n] = block->shadeRows[0][t];
      } else {
        end[n] = static_cast<Pixel>(t);
      }
    }
    block->colourRow += block->colourStride;
    if constexpr (depthBuffered) block->zRow += block->zStride;
  } while (--block->rows > 0);
}

// ---- per-triangle rules for the frame

// Channels per vertex: u, v, the lighting's 8.8 channels, then depth.
template <Lighting lighting, bool z, void (*spanLoop)(RwSpanParams*)>
struct TexturedRule {
  static constexpr int colourChannels = 2 + lightChannels(lighting);
  static constexpr bool depthBuffered = z;

  static void begin(const RwRasterPolygon* polygon) {
    SpanParams.texels = polygon->texels;
    SpanParams.opacity = polygon->opacity;
    if constexpr (flatLit(lighting)) {
      const intptr_t rowBytes = sixteenBit(lighting) ? 32 : 256;
      for (int c = 0; c < 3; ++c) {
        SpanParams.shadeRows[c] = rwRasterTarget.shadeTable + rowBytes * RwShadeLevel(polygon->intensity[c]);
      }
    }
  }

  static void vertex(const RwRasterPolygon*, const RwRasterVertex* vertex, int32_t* channel) {
    channel[0] = vertex->u;
    channel[1] = vertex->v;
    for (int c = 0; c < lightChannels(lighting); ++c) channel[2 + c] = vertex->intensity[c] >> 8;
    if constexpr (z) {
      channel[colourChannels] = static_cast<int32_t>((static_cast<uint32_t>(vertex->depth) & 0xFFFF) << 16);
    }
  }

  static void load(const int32_t* value, const int32_t* rowStep, const int32_t* pixelStep) {
    SpanParams.third = {packed(value), packed(rowStep), packed(pixelStep)};
    loadLight(value, rowStep, pixelStep);
    if constexpr (z) SpanParams.depth = {value[colourChannels], rowStep[colourChannels], pixelStep[colourChannels]};
  }

  static void rowSteps(const int32_t* rowStep) {
    SpanParams.third.rowStep = packed(rowStep);
    if constexpr (lighting == Lighting::gouraud16) {
      SpanParams.first.rowStep = packedHalves(rowStep[2], rowStep[3]);
      SpanParams.second.rowStep = low16Step(rowStep[4]);
    } else if constexpr (lighting == Lighting::gouraud8) {
      SpanParams.first.rowStep = low16Step(rowStep[2]);
    }
    if constexpr (z) SpanParams.depth.rowStep = rowStep[colourChannels];
  }

  static void span(RwSpanParams* block) { spanLoop(block); }

  static int32_t packed(const int32_t* uv) { return static_cast<int32_t>(RwPackTextureCoordinates(uv[0], uv[1])); }

  static void loadLight(const int32_t* value, const int32_t* rowStep, const int32_t* pixelStep) {
    if constexpr (lighting == Lighting::gouraud16) {
      SpanParams.first = {packedHalves(value[2], value[3]), packedHalves(rowStep[2], rowStep[3]),
                          packedHalves(pixelStep[2], pixelStep[3])};
      SpanParams.second = {value[4], low16Step(rowStep[4]), low16Step(pixelStep[4])};
    } else if constexpr (lighting == Lighting::gouraud8) {
      SpanParams.first = {value[2], low16Step(rowStep[2]), low16Step(pixelStep[2])};
    }
  }
};

template <Lighting lighting, bool z, void (*spanLoop)(RwSpanParams*)>
void drawTriangle(const RwRasterPolygon* polygon, intptr_t i) {
  triangle<TexturedRule<lighting, z, spanLoop>>(polygon, i);
}

/*
 * texturedFan --
 *   The draw routine of a texture-mode block: the triangle routine is
 *   chosen once per polygon from the polygon's texture modes, then drawn
 *   for each triangle of the fan. Without a texel block nothing is drawn.
 */
template <intptr_t blockStart>
int texturedFan(const RwRasterPolygon* polygon) {
  if (!polygon->texels || !rwRasterTarget.textureModeTable) return 0;
  const RwTriangleRoutine routine = rwRasterTarget.textureModeTable[RwTextureModeEntry(blockStart, polygon->textureModes)];
  const intptr_t count = polygon->vertexCount;
  for (intptr_t i = count - 2; i >= 1; --i) routine(polygon, i);
  return 0;
}

struct ModeEntry {
  int entry;
  RwTriangleRoutine routine;
};

constexpr ModeEntry affineEntries16[] = {
    {0, RwRas16TriUnlitAffineStippleZ},     {1, RwRas16TriGouraudAffineStippleZ},
    {4, RwRas16TriUnlitAffineOpaque},       {5, RwRas16TriGouraudAffineOpaque},
    {8, RwRas16TriUnlitAffineStipple},      {9, RwRas16TriGouraudAffineStipple},
    {12, RwRas16TriUnlitAffineOpaqueZ},     {13, RwRas16TriGouraudAffineOpaqueZ},
    {16, RwRas16TriUnlitAffineStippleZ},    {17, RwRas16TriFlatAffineStippleZ},
    {20, RwRas16TriUnlitAffineStipple},     {21, RwRas16TriFlatAffineStipple},
    {24, RwRas16TriUnlitAffineOpaqueZ},     {25, RwRas16TriFlatAffineOpaqueZ},
    {28, RwRas16TriUnlitAffineFilterOpaqueZ}, {29, RwRas16TriFlatAffineFilterOpaqueZ},
    {32, RwRas16TriUnlitAffineOpaque},      {33, RwRas16TriFlatAffineOpaque},
    {36, RwRas16TriUnlitAffineFilterOpaque}, {37, RwRas16TriFlatAffineFilterOpaque},
};

// In the 8-bit blocks modes 4..7 repeat 0..3 except in pair 8's blocks.
constexpr ModeEntry affineEntries8[] = {
    {40, RwRas8TriUnlitAffineOpaque},        {41, RwRas8TriGouraudAffineOpaque},
    {44, RwRas8TriUnlitAffineOpaque},        {45, RwRas8TriGouraudAffineOpaque},
    {48, RwRas8TriUnlitAffineOpaqueZ},       {49, RwRas8TriGouraudAffineOpaqueZ},
    {52, RwRas8TriUnlitAffineOpaqueZ},       {53, RwRas8TriGouraudAffineOpaqueZ},
    {56, RwRas8TriUnlitAffineStipple},       {57, RwRas8TriGouraudAffineStipple},
    {60, RwRas8TriUnlitAffineStipple},       {61, RwRas8TriGouraudAffineStipple},
    {64, RwRas8TriUnlitAffineStippleZ},      {65, RwRas8TriGouraudAffineStippleZ},
    {68, RwRas8TriUnlitAffineStippleZ},      {69, RwRas8TriGouraudAffineStippleZ},
    {72, RwRas8TriUnlitAffineStipple},       {73, RwRas8TriFlatAffineStipple},
    {76, RwRas8TriUnlitAffineStipple},       {77, RwRas8TriFlatAffineStipple},
    {80, RwRas8TriUnlitAffineStippleZ},      {81, RwRas8TriFlatAffineStippleZ},
    {84, RwRas8TriUnlitAffineStippleZ},      {85, RwRas8TriFlatAffineStippleZ},
    {88, RwRas8TriUnlitAffineOpaque},        {89, RwRas8TriFlatAffineOpaque},
    {92, RwRas8TriUnlitAffineFilterOpaque},  {93, RwRas8TriFlatAffineFilterOpaque},
    {96, RwRas8TriUnlitAffineOpaqueZ},       {97, RwRas8TriFlatAffineOpaqueZ},
    {100, RwRas8TriUnlitAffineFilterOpaqueZ}, {101, RwRas8TriFlatAffineFilterOpaqueZ},
};

}  // namespace

// ---- span loops

void RwRas16SpanUnlitAffineOpaque(RwSpanParams* b) { tunedSpan<Lighting::unlit16, false>(b); }
void RwRas16SpanUnlitAffineOpaqueZ(RwSpanParams* b) { tunedSpan<Lighting::unlit16, true>(b); }
void RwRas16SpanFlatAffineOpaque(RwSpanParams* b) { tunedSpan<Lighting::flatOne16, false>(b); }
void RwRas16SpanFlatAffineOpaqueZ(RwSpanParams* b) { tunedSpan<Lighting::flatOne16, true>(b); }
void RwRas8SpanUnlitAffineOpaque(RwSpanParams* b) { tunedSpan<Lighting::unlit8, false>(b); }
void RwRas8SpanUnlitAffineOpaqueZ(RwSpanParams* b) { tunedSpan<Lighting::unlit8, true>(b); }
void RwRas8SpanFlatAffineOpaque(RwSpanParams* b) { tunedSpan<Lighting::flat8, false>(b); }
void RwRas8SpanFlatAffineOpaqueZ(RwSpanParams* b) { tunedSpan<Lighting::flat8, true>(b); }
void RwRas16SpanUnlitAffineOpaqueReference(RwSpanParams* b) { referenceSpan<Lighting::unlit16, false>(b); }
void RwRas16SpanUnlitAffineOpaqueZReference(RwSpanParams* b) { referenceSpan<Lighting::unlit16, true>(b); }
void RwRas16SpanFlatAffineOpaqueReference(RwSpanParams* b) { referenceSpan<Lighting::flatOne16, false>(b); }
void RwRas16SpanFlatAffineOpaqueZReference(RwSpanParams* b) { referenceSpan<Lighting::flatOne16, true>(b); }
void RwRas8SpanUnlitAffineOpaqueReference(RwSpanParams* b) { referenceSpan<Lighting::unlit8, false>(b); }
void RwRas8SpanUnlitAffineOpaqueZReference(RwSpanParams* b) { referenceSpan<Lighting::unlit8, true>(b); }
void RwRas8SpanFlatAffineOpaqueReference(RwSpanParams* b) { referenceSpan<Lighting::flat8, false>(b); }
void RwRas8SpanFlatAffineOpaqueZReference(RwSpanParams* b) { referenceSpan<Lighting::flat8, true>(b); }

// ---- triangle routines

#define LF_TEXTURED_TRIANGLE(name, lighting, z, loop) \
  void name(const RwRasterPolygon* p, intptr_t i) { drawTriangle<Lighting::lighting, z, loop>(p, i); }

LF_TEXTURED_TRIANGLE(RwRas16TriUnlitAffineOpaque, unlit16, false, RwRas16SpanUnlitAffineOpaque)
LF_TEXTURED_TRIANGLE(RwRas16TriUnlitAffineOpaqueZ, unlit16, true, RwRas16SpanUnlitAffineOpaqueZ)
LF_TEXTURED_TRIANGLE(RwRas16TriFlatAffineOpaque, flatOne16, false, RwRas16SpanFlatAffineOpaque)
LF_TEXTURED_TRIANGLE(RwRas16TriFlatAffineOpaqueZ, flatOne16, true, RwRas16SpanFlatAffineOpaqueZ)
LF_TEXTURED_TRIANGLE(RwRas16TriGouraudAffineOpaque, gouraud16, false, (pixelSpan<Lighting::gouraud16, false, false, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriGouraudAffineOpaqueZ, gouraud16, true, (pixelSpan<Lighting::gouraud16, false, true, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriUnlitAffineStipple, unlit16, false, (pixelSpan<Lighting::unlit16, true, false, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriUnlitAffineStippleZ, unlit16, true, (pixelSpan<Lighting::unlit16, true, true, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriFlatAffineStipple, flat16, false, (pixelSpan<Lighting::flat16, true, false, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriFlatAffineStippleZ, flat16, true, (pixelSpan<Lighting::flat16, true, true, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriGouraudAffineStipple, gouraud16, false, (pixelSpan<Lighting::gouraud16, true, false, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriGouraudAffineStippleZ, gouraud16, true, (pixelSpan<Lighting::gouraud16, true, true, false>))
LF_TEXTURED_TRIANGLE(RwRas16TriUnlitAffineFilterOpaque, unlit16, false, (pixelSpan<Lighting::unlit16, false, false, true>))
LF_TEXTURED_TRIANGLE(RwRas16TriFlatAffineFilterOpaque, flat16, false, (pixelSpan<Lighting::flat16, false, false, true>))
LF_TEXTURED_TRIANGLE(RwRas16TriUnlitAffineFilterOpaqueZ, unlit16, true, (pixelSpan<Lighting::unlit16, false, true, true>))
LF_TEXTURED_TRIANGLE(RwRas16TriFlatAffineFilterOpaqueZ, flat16, true, (pixelSpan<Lighting::flat16, false, true, true>))
LF_TEXTURED_TRIANGLE(RwRas8TriUnlitAffineOpaque, unlit8, false, RwRas8SpanUnlitAffineOpaque)
LF_TEXTURED_TRIANGLE(RwRas8TriUnlitAffineOpaqueZ, unlit8, true, RwRas8SpanUnlitAffineOpaqueZ)
LF_TEXTURED_TRIANGLE(RwRas8TriFlatAffineOpaque, flat8, false, RwRas8SpanFlatAffineOpaque)
LF_TEXTURED_TRIANGLE(RwRas8TriFlatAffineOpaqueZ, flat8, true, RwRas8SpanFlatAffineOpaqueZ)
LF_TEXTURED_TRIANGLE(RwRas8TriGouraudAffineOpaque, gouraud8, false, (pixelSpan<Lighting::gouraud8, false, false, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriGouraudAffineOpaqueZ, gouraud8, true, (pixelSpan<Lighting::gouraud8, false, true, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriUnlitAffineStipple, unlit8, false, (pixelSpan<Lighting::unlit8, true, false, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriUnlitAffineStippleZ, unlit8, true, (pixelSpan<Lighting::unlit8, true, true, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriFlatAffineStipple, flat8, false, (pixelSpan<Lighting::flat8, true, false, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriFlatAffineStippleZ, flat8, true, (pixelSpan<Lighting::flat8, true, true, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriGouraudAffineStipple, gouraud8, false, (pixelSpan<Lighting::gouraud8, true, false, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriGouraudAffineStippleZ, gouraud8, true, (pixelSpan<Lighting::gouraud8, true, true, false>))
LF_TEXTURED_TRIANGLE(RwRas8TriUnlitAffineFilterOpaque, unlit8, false, (pixelSpan<Lighting::unlit8, false, false, true>))
LF_TEXTURED_TRIANGLE(RwRas8TriFlatAffineFilterOpaque, flat8, false, (pixelSpan<Lighting::flat8, false, false, true>))
LF_TEXTURED_TRIANGLE(RwRas8TriUnlitAffineFilterOpaqueZ, unlit8, true, (pixelSpan<Lighting::unlit8, false, true, true>))
LF_TEXTURED_TRIANGLE(RwRas8TriFlatAffineFilterOpaqueZ, flat8, true, (pixelSpan<Lighting::flat8, false, true, true>))

#undef LF_TEXTURED_TRIANGLE

// ---- draw routines (first entry of their texture-mode block)

int RwRas16FanGouraudTexStippleZ(const RwRasterPolygon* p) { return texturedFan<0>(p); }
int RwRas16FanGouraudTexOpaque(const RwRasterPolygon* p) { return texturedFan<4>(p); }
int RwRas16FanGouraudTexStipple(const RwRasterPolygon* p) { return texturedFan<8>(p); }
int RwRas16FanGouraudTexOpaqueZ(const RwRasterPolygon* p) { return texturedFan<12>(p); }
int RwRas16FanFlatTexStippleZ(const RwRasterPolygon* p) { return texturedFan<16>(p); }
int RwRas16FanFlatTexStipple(const RwRasterPolygon* p) { return texturedFan<20>(p); }
int RwRas16FanFlatTexOpaqueZ(const RwRasterPolygon* p) { return texturedFan<24>(p); }
int RwRas16FanFlatTexOpaque(const RwRasterPolygon* p) { return texturedFan<32>(p); }
int RwRas8FanGouraudTexOpaque(const RwRasterPolygon* p) { return texturedFan<40>(p); }
int RwRas8FanGouraudTexOpaqueZ(const RwRasterPolygon* p) { return texturedFan<48>(p); }
int RwRas8FanGouraudTexStipple(const RwRasterPolygon* p) { return texturedFan<56>(p); }
int RwRas8FanGouraudTexStippleZ(const RwRasterPolygon* p) { return texturedFan<64>(p); }
int RwRas8FanFlatTexStipple(const RwRasterPolygon* p) { return texturedFan<72>(p); }
int RwRas8FanFlatTexStippleZ(const RwRasterPolygon* p) { return texturedFan<80>(p); }
int RwRas8FanFlatTexOpaque(const RwRasterPolygon* p) { return texturedFan<88>(p); }
int RwRas8FanFlatTexOpaqueZ(const RwRasterPolygon* p) { return texturedFan<96>(p); }

void RwFillAffineTextureModes(RwTriangleRoutine* table, intptr_t depth) {
  if (depth == 8) {
    for (const ModeEntry& e : affineEntries8) table[e.entry] = e.routine;
  } else {
    for (const ModeEntry& e : affineEntries16) table[e.entry] = e.routine;
  }
}
