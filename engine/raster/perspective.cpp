// engine/raster/perspective.cpp -- perspective-correct textured triangles in
// 15/16-bit and 8-bit colour (see perspective.h).
#include "engine/raster/perspective.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "engine/raster/perspstep.h"
#include "engine/raster/rasterapi.h"
#include "engine/raster/spanfamily.h"
#include "engine/raster/triframe.h"

RwPerspectiveParams PerspectiveParams;

namespace {

using namespace rwraster;

// ---- set-up

// A vertex of the triangle as the set-up reads it.
struct Corner {
  int32_t x, y;  // whole pixels
  int32_t w;     // 16.16 weight
  int32_t u, v;  // 16.16 texture coordinates
  int32_t z;     // z-buffer value, 0..65535
  int32_t light[3];  // 8.8 shade levels: red, green, blue (8-bit: the first only)
};

uint32_t magnitude(int32_t value) {
  return value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
}

// (u >> shift) x (w >> 16): below 2^30 in magnitude by the choice of shift.
int32_t weighted(int32_t coordinate, int32_t shift, int32_t weight) { return (coordinate >> shift) * (weight >> 16); }

void setEdge(RwPerspectiveEdge& edge, const Corner& from, const Corner& to, int32_t rows) {
  const int32_t dw = to.w - from.w;
  const int32_t rounding = dw >= 0 ? rows >> 1 : -(rows >> 1);
  edge.w = from.w;
  edge.wStep = (dw + rounding) / rows;
  edge.shift = RwPerspectiveShift(from.u, from.v, to.u, to.v);
  edge.uW = weighted(from.u, edge.shift, from.w);
  edge.uWStep = (weighted(to.u, edge.shift, to.w) - edge.uW) / rows;
  edge.vW = weighted(from.v, edge.shift, from.w);
  edge.vWStep = (weighted(to.v, edge.shift, to.w) - edge.vW) / rows;
}

// Step of a depth, entering as z << 16, from a to b over n rows or pixels.
// Formed in 64 bits: z << 16 does not fit a signed word for z >= 32768, so
// the step is kept modulo 2^32, as the accumulators add.
int32_t depthStep(int32_t a, int32_t b, int32_t n) {
  return static_cast<int32_t>(static_cast<uint32_t>((int64_t{b - a} * 65536) / n));
}

// A z-buffer value as a 16.16 accumulator (which wraps, as the steps do).
int32_t depthValue(int32_t z) { return static_cast<int32_t>(static_cast<uint32_t>(z) << 16); }

// Per-pixel depth step from the difference of the row steps along the other
// edge and the start edge, over the 16.16 x-slope difference.
int32_t depthPixelStep(int32_t otherRowStep, int32_t startRowStep, int64_t slopeDifference) {
  const int64_t difference = int64_t{otherRowStep} - startRowStep;
  const int64_t divisor = slopeDifference >> 6;
  if (difference == 0 || divisor == 0) return static_cast<int32_t>(difference);
  return static_cast<int32_t>(static_cast<uint32_t>(difference / divisor) << 10);
}

// ---- Gouraud lighting: 8.8 levels that follow the start edge

// Per-row (or per-column) steps of every lit channel from one corner to another.
template <int channels>
void lightSteps(const Corner& from, const Corner& to, int32_t n, int32_t* step) {
  for (int c = 0; c < channels; ++c) step[c] = RwInterpolantStep(from.light[c], to.light[c], n);
}

// Loads the span block's light fields. 15/16-bit: red and green share the
// first word (red high, green sign-extended low) so that one addition steps
// both; blue is the second. 8-bit: the one level is the first.
template <int channels>
void loadLight(const int32_t* value, const int32_t* rowStep, const int32_t* pixelStep) {
  RwSpanParams& block = SpanParams;
  if constexpr (channels == 3) {
    block.first = {packedHalves(value[0], value[1]), packedHalves(rowStep[0], rowStep[1]),
                   packedHalves(pixelStep[0], pixelStep[1])};
    block.second = {value[2], low16Step(rowStep[2]), low16Step(pixelStep[2])};
  } else {
    block.first = {value[0], low16Step(rowStep[0]), low16Step(pixelStep[0])};
  }
}

template <int channels>
void loadLightRowSteps(const int32_t* rowStep) {
  if constexpr (channels == 3) {
    SpanParams.first.rowStep = packedHalves(rowStep[0], rowStep[1]);
    SpanParams.second.rowStep = low16Step(rowStep[2]);
  } else {
    SpanParams.first.rowStep = low16Step(rowStep[0]);
  }
}

/*
 * lightFromTop --
 *   Both edges leave the top corner a: the per-pixel step of a channel is
 *   (step along the other edge - step along the start edge) x 65536 / D, D
 *   the 16.16 x-slope difference. Red's start step is read back from the
 *   packed word, as the span loop will add it (one less when green falls).
 */
template <int channels>
void lightFromTop(const Corner& a, const Corner& startEnd, int32_t startRows, const Corner& otherEnd,
                  int32_t otherRows, int64_t slopeDifference) {
  int32_t startStep[3] = {}, otherStep[3] = {}, pixelStep[3] = {};
  lightSteps<channels>(a, startEnd, startRows, startStep);
  lightSteps<channels>(a, otherEnd, otherRows, otherStep);
  for (int c = 0; c < channels; ++c) {
    const int32_t start = channels == 3 && c == 0 ? packedHalves(startStep[0], startStep[1]) >> 16 : startStep[c];
    const int64_t g = int64_t{otherStep[c]} - start;
    pixelStep[c] = g == 0 ? 0 : static_cast<int32_t>(g * 65536 / slopeDifference);
  }
  loadLight<channels>(a.light, startStep, pixelStep);
}

// The start edge changed at the middle corner: new row steps, the running
// values carry on.
template <int channels>
void restartLight(const Corner& from, const Corner& to, int32_t rows) {
  int32_t rowStep[3] = {};
  lightSteps<channels>(from, to, rows, rowStep);
  loadLightRowSteps<channels>(rowStep);
}

template <class Family>
void startTriangle(const RwRasterPolygon* polygon, int32_t topRow) {
  RwSpanParams& block = SpanParams;
  block.colourRow = rwRasterTarget.rowTable[topRow];
  block.colourStride = rwRasterTarget.stride;
  block.texels = polygon->texels;
  if constexpr (Family::depthBuffered) {
    block.zRow = rwRasterTarget.zBase + topRow * rwRasterTarget.zStride;
    block.zStride = rwRasterTarget.zStride;
  }
  if constexpr (Family::dithered) {
    // Set once per triangle: the lower trapezoid continues the sequence.
    const uint32_t* rows = PerspectiveParams.direction ? rwRasterTarget.perspDitherRows : rwRasterTarget.ditherRows;
    block.ditherRow = rows[topRow & 7];
    block.opacity = polygon->opacity;
  }
  Family::begin(polygon);
}

/*
 * PerspectiveSetUp --
 *   The set-up of a perspective triangle, drawn by the skeleton every
 *   triangle set-up shares (triframe.h): weights and u and v times weight
 *   along both edges; depth and Gouraud levels stepped along the start edge
 *   of the walk. Spans walk from their nearer end, so the start edge is the
 *   right one when the walk runs leftward.
 */
template <class Family>
class PerspectiveSetUp {
 public:
  PerspectiveSetUp(const RwRasterPolygon* polygon, const TriangleCorners& corners)
      : c_(corners), reverse_(RwLeftEndNearer(polygon) == 0) {
    readCorners();
    PerspectiveParams.direction = reverse_ ? 1 : 0;
    startTriangle<Family>(polygon, corners.y[corners.t]);
  }

  void fromTop(int64_t slopeDifference) {
    const Corner& a = top();
    const Corner& b = leftEnd();
    const Corner& c = rightEnd();
    setEdge(PerspectiveParams.left, a, b, c_.dyF);
    setEdge(PerspectiveParams.right, a, c, c_.dyS);
    if constexpr (Family::depthBuffered) {
      const int32_t leftZ = depthStep(a.z, b.z, c_.dyF);
      const int32_t rightZ = depthStep(a.z, c.z, c_.dyS);
      RwSpanInterpolant& depth = SpanParams.depth;
      depth.value = depthValue(a.z);
      depth.rowStep = reverse_ ? rightZ : leftZ;
      // Other edge minus start edge: the sign follows the walking direction.
      depth.pixelStep = depthPixelStep(reverse_ ? leftZ : rightZ, depth.rowStep, slopeDifference);
    }
    if constexpr (Family::lightChannels > 0) {
      if (reverse_) {
        lightFromTop<Family::lightChannels>(a, c, c_.dyS, b, c_.dyF, slopeDifference);
      } else {
        lightFromTop<Family::lightChannels>(a, b, c_.dyF, c, c_.dyS, slopeDifference);
      }
    }
  }

  // The left edge starts again at F; it leads the walk when that runs rightward.
  void leftKnee() { restartEdge(PerspectiveParams.left, leftEnd(), rightEnd(), c_.dyS - c_.dyF, !reverse_); }

  // The right edge starts again at S; it leads the walk when that runs leftward.
  void rightKnee() { restartEdge(PerspectiveParams.right, rightEnd(), leftEnd(), c_.dyF - c_.dyS, reverse_); }

  void flatTop(int left, int right, int bottom, int32_t rows) {
    const Corner& topLeft = corner_[left];
    const Corner& topRight = corner_[right];
    const Corner& end = corner_[bottom];
    const int32_t width = topRight.x - topLeft.x;
    setEdge(PerspectiveParams.left, topLeft, end, rows);
    setEdge(PerspectiveParams.right, topRight, end, rows);
    const Corner& start = reverse_ ? topRight : topLeft;
    const Corner& other = reverse_ ? topLeft : topRight;
    if constexpr (Family::depthBuffered) {
      SpanParams.depth = {depthValue(start.z), depthStep(start.z, end.z, rows), depthStep(start.z, other.z, width)};
    }
    if constexpr (Family::lightChannels > 0) {
      int32_t rowStep[3] = {}, pixelStep[3] = {};
      lightSteps<Family::lightChannels>(start, end, rows, rowStep);
      lightSteps<Family::lightChannels>(start, other, width, pixelStep);
      loadLight<Family::lightChannels>(start.light, rowStep, pixelStep);
    }
  }

  void draw(int32_t rows) {
    SpanParams.rows = rows;
    Family::span(&SpanParams);
  }

 private:
  const Corner& top() const { return corner_[c_.t]; }
  const Corner& leftEnd() const { return corner_[c_.f]; }
  const Corner& rightEnd() const { return corner_[c_.s]; }

  void readCorners() {
    const float depth[3] = {c_.v[0]->cameraDepth, c_.v[1]->cameraDepth, c_.v[2]->cameraDepth};
    int32_t weight[3];
    RwPerspectiveWeights(depth, weight);
    for (int k = 0; k < 3; ++k) {
      const RwRasterVertex& v = *c_.v[k];
      corner_[k] = {c_.x[k], c_.y[k], weight[k], v.u, v.v, v.depth & 0xFFFF, {}};
      for (int l = 0; l < Family::lightChannels; ++l) corner_[k].light[l] = v.intensity[l] >> 8;
    }
  }

  // An edge restarts at a knee; when it is the start edge of the walk, the
  // depth and light row steps follow it and their values carry on.
  void restartEdge(RwPerspectiveEdge& edge, const Corner& from, const Corner& to, int32_t rows, bool leads) {
    setEdge(edge, from, to, rows);
    if (!leads) return;
    if constexpr (Family::depthBuffered) SpanParams.depth.rowStep = depthStep(from.z, to.z, rows);
    if constexpr (Family::lightChannels > 0) restartLight<Family::lightChannels>(from, to, rows);
  }

  const TriangleCorners& c_;
  const bool reverse_;
  Corner corner_[3];
};

template <class Family>
void perspectiveTriangle(const RwRasterPolygon* polygon, intptr_t i) {
  drawTriangle<PerspectiveSetUp<Family>>(polygon, i);
}

// Walks n pixels from x0 (step +1 or -1), the pixel body taking the texture
// coordinates and the running depth and light (the families that have them).
template <class Family, class Steps>
void walkSpan(RwSpanParams* block, int32_t x0, int32_t step, int32_t n, uint32_t dither, Steps steps) {
  Running at = {static_cast<uint32_t>(block->depth.value), block->first.value, block->second.value};
  for (int32_t x = x0; n > 0; --n, x += step) {
    uint32_t u, v;
    steps.next(u, v);
    Family::pixel(block, x, u, v, at, dither);
    if constexpr (Family::dithered) dither ^= dither >> 6;
    if constexpr (Family::depthBuffered) at.z += static_cast<uint32_t>(block->depth.pixelStep);
    if constexpr (Family::lightChannels > 0) at.first = RwWrapAdd(at.first, block->first.pixelStep);
    if constexpr (Family::lightChannels == 3) at.second = RwWrapAdd(at.second, block->second.pixelStep);
  }
}

// The dither word of a span's first pixel: the column word of the end the
// walk starts from (the exclusive right end when walking leftward) with the
// row word's low byte mixed in.
uint32_t spanDither(const RwSpanParams* block, int32_t xl, int32_t xr, bool reverse) {
  const uint32_t column =
      reverse ? rwRasterTarget.perspDitherColumns[xr & 7] : rwRasterTarget.ditherColumns[xl & 7];
  return column ^ (block->ditherRow & 0xFF);
}

/*
 * perspectiveSpanRows --
 *   Draws block->rows rows of the trapezoid: per row the edges step, u and v
 *   are recovered at both ends (four divisions), and the pixels are walked
 *   from the start end with perspective stepping when the weight falls
 *   along the walk in its top ten bits, else linearly. Leaves both blocks
 *   at the last row and the raster rows at the next.
 */
template <class Family>
void perspectiveSpanRows(RwSpanParams* block) {
  RwPerspectiveParams& persp = PerspectiveParams;
  const bool reverse = persp.direction != 0;
  for (; block->rows > 0; --block->rows) {
    block->leftX = RwWrapAdd(block->leftX, block->leftStep);
    block->rightX = RwWrapAdd(block->rightX, block->rightStep);
    if constexpr (Family::depthBuffered) block->depth.value = RwWrapAdd(block->depth.value, block->depth.rowStep);
    if constexpr (Family::lightChannels > 0) block->first.value = RwWrapAdd(block->first.value, block->first.rowStep);
    if constexpr (Family::lightChannels == 3) {
      block->second.value = RwWrapAdd(block->second.value, block->second.rowStep);
    }
    advanceEdge(persp.left);
    advanceEdge(persp.right);
    const int32_t xl = block->leftX >> 16;
    const int32_t xr = block->rightX >> 16;
    if (xl < xr) {
      const RwPerspectiveEdge& start = reverse ? persp.right : persp.left;
      const RwPerspectiveEdge& end = reverse ? persp.left : persp.right;
      const SpanEnds ends = {start.w, start.u, start.v, end.w, end.u, end.v};
      const int32_t n = xr - xl;
      const int32_t x0 = reverse ? xr - 1 : xl;
      const int32_t step = reverse ? -1 : 1;
      const uint32_t dither = Family::dithered ? spanDither(block, xl, xr, reverse) : 0;
      if (ends.wb <= ends.wa && ((ends.wa ^ ends.wb) & 0xFFC00000) != 0) {
        walkSpan<Family>(block, x0, step, n, dither, PerspectiveSteps(ends, n));
      } else {
        walkSpan<Family>(block, x0, step, n, dither, LinearSteps(ends, n));
      }
    }
    block->colourRow += block->colourStride;
    if constexpr (Family::depthBuffered) block->zRow += block->zStride;
    if constexpr (Family::dithered) block->ditherRow ^= block->ditherRow >> 6;
  }
}

// ---- the families: unlit, flat-lit and Gouraud; opaque, stippled, filtered

/*
 * PerspectiveFamily --
 *   The pixel rule of a member of the row loop above, tests in a fixed
 *   order: stipple, z (strictly nearer), transparent texel; then colour and
 *   depth. Pixel is uint16_t for 15/16-bit colour and uint8_t for 8-bit
 *   palette indices. Gouraud levels: 15/16-bit red and blue are the integer
 *   parts, green is rounded by the dither byte; 8-bit the one level is
 *   rounded by it. Every level is held to 0..31.
 */
template <Light light, bool zBuffer, Coverage coverage, class Pixel = uint16_t>
struct PerspectiveFamily {
  static constexpr bool depthBuffered = zBuffer;
  static constexpr bool palette = sizeof(Pixel) == 1;
  static constexpr bool dithered = coverage != Coverage::opaque || light == Light::gouraud;
  static constexpr int lightChannels = light != Light::gouraud ? 0 : (palette ? 1 : 3);

  static void begin(const RwRasterPolygon* polygon) { beginShading<light, palette>(polygon); }

  static void pixel(RwSpanParams* block, int32_t x, uint32_t u, uint32_t v, const Running& at, uint32_t dither) {
    if constexpr (coverage == Coverage::stipple) {
      if ((dither & 0xFF) >= static_cast<uint32_t>(block->opacity)) return;
    }
    const uint16_t depth = static_cast<uint16_t>(at.z >> 16);
    if constexpr (zBuffer) {
      if (reinterpret_cast<const uint16_t*>(block->zRow)[x] >= depth) return;
    }
    const uint32_t t = coverage == Coverage::filter ? signedJitterTexel<Pixel>(block->texels, u, v, dither)
                                                    : plainTexel<Pixel>(block->texels, u, v);
    if (t == 0) return;
    reinterpret_cast<Pixel*>(block->colourRow)[x] = shadeTexel<light, Pixel>(block, t, at, dither & 0xFF);
    if constexpr (zBuffer) reinterpret_cast<uint16_t*>(block->zRow)[x] = depth;
  }

  static void span(RwSpanParams* block) { perspectiveSpanRows<PerspectiveFamily>(block); }
};

using UnlitOpaque = PerspectiveFamily<Light::unlit, false, Coverage::opaque>;
using UnlitOpaqueZ = PerspectiveFamily<Light::unlit, true, Coverage::opaque>;
using FlatOpaque = PerspectiveFamily<Light::flat, false, Coverage::opaque>;
using FlatOpaqueZ = PerspectiveFamily<Light::flat, true, Coverage::opaque>;
using UnlitStipple = PerspectiveFamily<Light::unlit, false, Coverage::stipple>;
using UnlitStippleZ = PerspectiveFamily<Light::unlit, true, Coverage::stipple>;
using FlatStipple = PerspectiveFamily<Light::flat, false, Coverage::stipple>;
using FlatStippleZ = PerspectiveFamily<Light::flat, true, Coverage::stipple>;
using FlatFilter = PerspectiveFamily<Light::flat, false, Coverage::filter>;
using FlatFilterZ = PerspectiveFamily<Light::flat, true, Coverage::filter>;
using GouraudOpaque = PerspectiveFamily<Light::gouraud, false, Coverage::opaque>;
using GouraudOpaqueZ = PerspectiveFamily<Light::gouraud, true, Coverage::opaque>;
using GouraudStipple = PerspectiveFamily<Light::gouraud, false, Coverage::stipple>;
using GouraudStippleZ = PerspectiveFamily<Light::gouraud, true, Coverage::stipple>;
using Unlit8Opaque = PerspectiveFamily<Light::unlit, false, Coverage::opaque, uint8_t>;
using Unlit8OpaqueZ = PerspectiveFamily<Light::unlit, true, Coverage::opaque, uint8_t>;
using Flat8Opaque = PerspectiveFamily<Light::flat, false, Coverage::opaque, uint8_t>;
using Flat8OpaqueZ = PerspectiveFamily<Light::flat, true, Coverage::opaque, uint8_t>;
using Unlit8Stipple = PerspectiveFamily<Light::unlit, false, Coverage::stipple, uint8_t>;
using Unlit8StippleZ = PerspectiveFamily<Light::unlit, true, Coverage::stipple, uint8_t>;
using Flat8Stipple = PerspectiveFamily<Light::flat, false, Coverage::stipple, uint8_t>;
using Flat8StippleZ = PerspectiveFamily<Light::flat, true, Coverage::stipple, uint8_t>;
using Gouraud8Opaque = PerspectiveFamily<Light::gouraud, false, Coverage::opaque, uint8_t>;
using Gouraud8OpaqueZ = PerspectiveFamily<Light::gouraud, true, Coverage::opaque, uint8_t>;
using Gouraud8Stipple = PerspectiveFamily<Light::gouraud, false, Coverage::stipple, uint8_t>;
using Gouraud8StippleZ = PerspectiveFamily<Light::gouraud, true, Coverage::stipple, uint8_t>;

}  // namespace

intptr_t RwLeftEndNearer(const RwRasterPolygon* polygon) {
  const RwRasterVertex& p = *polygon->vertices[0];
  const RwRasterVertex& q = *polygon->vertices[1];
  const RwRasterVertex& r = *polygon->vertices[2];
  // Doubles hold every product of two 32-bit differences exactly enough
  // for its sign.
  const double a = static_cast<double>(q.screenY) - p.screenY;
  const double b = static_cast<double>(q.depth) - p.depth;
  const double c = static_cast<double>(r.screenY) - q.screenY;
  const double d = static_cast<double>(r.depth) - q.depth;
  return c * b - d * a >= 0 ? 1 : 0;
}

void RwPerspectiveWeights(const float depth[3], int32_t weight[3]) {
  // Depths are held to 2^-40..2^40 so that no product of two is zero,
  // infinite or denormal (a vertex on the eye plane, or a NaN).
  constexpr float nearest = 0x1p-40f, farthest = 0x1p40f;
  float d[3];
  for (int k = 0; k < 3; ++k) d[k] = depth[k] >= nearest ? std::min(depth[k], farthest) : nearest;
  const float product[3] = {d[1] * d[2], d[0] * d[2], d[0] * d[1]};
  uint32_t bits[3];
  for (int k = 0; k < 3; ++k) bits[k] = std::bit_cast<uint32_t>(product[k]);
  const uint32_t largest = std::max({bits[0], bits[1], bits[2]});
  const int32_t topExponent = static_cast<int32_t>(largest >> 23);
  for (int k = 0; k < 3; ++k) {
    const int32_t shift = topExponent - static_cast<int32_t>(bits[k] >> 23);
    const uint32_t mantissa = (bits[k] & 0x7FFFFF) | 0x800000;
    const int32_t normalised = shift >= 24 ? 0 : static_cast<int32_t>((mantissa >> shift) << 7);
    weight[k] = std::max(normalised, 0x10000);
  }
}

int32_t RwPerspectiveShift(int32_t u0, int32_t v0, int32_t u1, int32_t v1) {
  const uint32_t wholeParts = (magnitude(u0) | magnitude(v0) | magnitude(u1) | magnitude(v1)) >> 16;
  return static_cast<int32_t>(std::bit_width(wholeParts)) + 1;
}

namespace {

// A member whose rows a span family draws: the set-up of Rule, the rows of
// the family.
template <class Rule, void (*family)(RwSpanParams*)>
struct HandedTo : Rule {
  static void span(RwSpanParams* block) { family(block); }
};

template <class Rule, void (*family)(RwSpanParams*)>
void handedTriangle(const RwRasterPolygon* polygon, intptr_t i) {
  perspectiveTriangle<HandedTo<Rule, family>>(polygon, i);
}

using UnlitFilter = PerspectiveFamily<Light::unlit, false, Coverage::filter>;
using UnlitFilterZ = PerspectiveFamily<Light::unlit, true, Coverage::filter>;
using Unlit8Filter = PerspectiveFamily<Light::unlit, false, Coverage::filter, uint8_t>;
using Unlit8FilterZ = PerspectiveFamily<Light::unlit, true, Coverage::filter, uint8_t>;
using Flat8Filter = PerspectiveFamily<Light::flat, false, Coverage::filter, uint8_t>;
using Flat8FilterZ = PerspectiveFamily<Light::flat, true, Coverage::filter, uint8_t>;

}  // namespace

#define LF_PERSPECTIVE_TRIANGLE(name, family) \
  void name(const RwRasterPolygon* polygon, intptr_t i) { perspectiveTriangle<family>(polygon, i); }
#define LF_HANDED_TRIANGLE(name, family, spanFamily) \
  void name(const RwRasterPolygon* polygon, intptr_t i) { handedTriangle<family, spanFamily>(polygon, i); }
#define LF_SPAN_LOOP(name, family) \
  void name(RwSpanParams* block) { family::span(block); }

LF_HANDED_TRIANGLE(RwRas16TriUnlitPerspOpaque, UnlitOpaque, RwRas16SpanUnlitPerspOpaque)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriUnlitPerspOpaqueZ, UnlitOpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriFlatPerspOpaque, FlatOpaque)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriFlatPerspOpaqueZ, FlatOpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriUnlitPerspStipple, UnlitStipple)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriUnlitPerspStippleZ, UnlitStippleZ)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriFlatPerspStipple, FlatStipple)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriFlatPerspStippleZ, FlatStippleZ)
LF_HANDED_TRIANGLE(RwRas16TriUnlitPerspFilterOpaque, UnlitFilter, RwRas16SpanUnlitPerspFilterOpaque)
LF_HANDED_TRIANGLE(RwRas16TriUnlitPerspFilterOpaqueZ, UnlitFilterZ, RwRas16SpanUnlitPerspFilterOpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriFlatPerspFilterOpaque, FlatFilter)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriFlatPerspFilterOpaqueZ, FlatFilterZ)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriGouraudPerspOpaque, GouraudOpaque)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriGouraudPerspOpaqueZ, GouraudOpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriGouraudPerspStipple, GouraudStipple)
LF_PERSPECTIVE_TRIANGLE(RwRas16TriGouraudPerspStippleZ, GouraudStippleZ)

LF_SPAN_LOOP(RwRas16SpanUnlitPerspOpaqueZ, UnlitOpaqueZ)
LF_SPAN_LOOP(RwRas16SpanFlatPerspOpaque, FlatOpaque)
LF_SPAN_LOOP(RwRas16SpanFlatPerspOpaqueZ, FlatOpaqueZ)
LF_SPAN_LOOP(RwRas16SpanUnlitPerspStipple, UnlitStipple)
LF_SPAN_LOOP(RwRas16SpanUnlitPerspStippleZ, UnlitStippleZ)
LF_SPAN_LOOP(RwRas16SpanFlatPerspStipple, FlatStipple)
LF_SPAN_LOOP(RwRas16SpanFlatPerspStippleZ, FlatStippleZ)
LF_SPAN_LOOP(RwRas16SpanFlatPerspFilterOpaque, FlatFilter)
LF_SPAN_LOOP(RwRas16SpanFlatPerspFilterOpaqueZ, FlatFilterZ)
LF_SPAN_LOOP(RwRas16SpanGouraudPerspOpaque, GouraudOpaque)
LF_SPAN_LOOP(RwRas16SpanGouraudPerspOpaqueZ, GouraudOpaqueZ)
LF_SPAN_LOOP(RwRas16SpanGouraudPerspStipple, GouraudStipple)
LF_SPAN_LOOP(RwRas16SpanGouraudPerspStippleZ, GouraudStippleZ)

LF_HANDED_TRIANGLE(RwRas8TriUnlitPerspOpaque, Unlit8Opaque, RwRas8SpanUnlitPerspOpaque)
LF_HANDED_TRIANGLE(RwRas8TriUnlitPerspOpaqueZ, Unlit8OpaqueZ, RwRas8SpanUnlitPerspOpaqueZ)
LF_HANDED_TRIANGLE(RwRas8TriFlatPerspOpaque, Flat8Opaque, RwRas8SpanFlatPerspOpaque)
LF_HANDED_TRIANGLE(RwRas8TriFlatPerspOpaqueZ, Flat8OpaqueZ, RwRas8SpanFlatPerspOpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriUnlitPerspStipple, Unlit8Stipple)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriUnlitPerspStippleZ, Unlit8StippleZ)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriFlatPerspStipple, Flat8Stipple)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriFlatPerspStippleZ, Flat8StippleZ)
LF_HANDED_TRIANGLE(RwRas8TriUnlitPerspFilterOpaque, Unlit8Filter, RwRas8SpanUnlitPerspFilterOpaque)
LF_HANDED_TRIANGLE(RwRas8TriUnlitPerspFilterOpaqueZ, Unlit8FilterZ, RwRas8SpanUnlitPerspFilterOpaqueZ)
LF_HANDED_TRIANGLE(RwRas8TriFlatPerspFilterOpaque, Flat8Filter, RwRas8SpanFlatPerspFilterOpaque)
LF_HANDED_TRIANGLE(RwRas8TriFlatPerspFilterOpaqueZ, Flat8FilterZ, RwRas8SpanFlatPerspFilterOpaqueZ)
LF_HANDED_TRIANGLE(RwRas8TriGouraudPerspOpaque, Gouraud8Opaque, RwRas8SpanGouraudPerspOpaque)
LF_HANDED_TRIANGLE(RwRas8TriGouraudPerspOpaqueZ, Gouraud8OpaqueZ, RwRas8SpanGouraudPerspOpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriGouraudPerspStipple, Gouraud8Stipple)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriGouraudPerspStippleZ, Gouraud8StippleZ)

LF_SPAN_LOOP(RwRas8SpanUnlitPerspStipple, Unlit8Stipple)
LF_SPAN_LOOP(RwRas8SpanUnlitPerspStippleZ, Unlit8StippleZ)
LF_SPAN_LOOP(RwRas8SpanFlatPerspStipple, Flat8Stipple)
LF_SPAN_LOOP(RwRas8SpanFlatPerspStippleZ, Flat8StippleZ)
LF_SPAN_LOOP(RwRas8SpanGouraudPerspStipple, Gouraud8Stipple)
LF_SPAN_LOOP(RwRas8SpanGouraudPerspStippleZ, Gouraud8StippleZ)

// The plain row loop in place of the span families, pixel for pixel as
// they were drawn before the families had loops of their own.
LF_PERSPECTIVE_TRIANGLE(RwRas16TriUnlitPerspOpaqueReference, UnlitOpaque)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriUnlitPerspOpaqueReference, Unlit8Opaque)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriUnlitPerspOpaqueZReference, Unlit8OpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriFlatPerspOpaqueReference, Flat8Opaque)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriFlatPerspOpaqueZReference, Flat8OpaqueZ)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriGouraudPerspOpaqueReference, Gouraud8Opaque)
LF_PERSPECTIVE_TRIANGLE(RwRas8TriGouraudPerspOpaqueZReference, Gouraud8OpaqueZ)

#undef LF_PERSPECTIVE_TRIANGLE
#undef LF_HANDED_TRIANGLE
#undef LF_SPAN_LOOP

namespace {

// Groups: 40 vertex opaque, 48 vertex opaque z, 56 vertex stipple, 64
// vertex stipple z, 72 facet stipple, 80 facet stipple z, 88 facet opaque,
// 96 facet opaque z; offsets: + lit 1, + foreshorten 2, + filter 4. The
// filter bit draws unfiltered everywhere but in the facet opaque groups.
void fillPerspectiveTextureModes8(RwTriangleRoutine* table) {
  table[42] = table[46] = table[90] = RwRas8TriUnlitPerspOpaque;
  table[91] = RwRas8TriFlatPerspOpaque;
  table[50] = table[54] = table[98] = RwRas8TriUnlitPerspOpaqueZ;
  table[99] = RwRas8TriFlatPerspOpaqueZ;
  table[58] = table[62] = table[74] = table[78] = RwRas8TriUnlitPerspStipple;
  table[75] = table[79] = RwRas8TriFlatPerspStipple;
  table[66] = table[70] = table[82] = table[86] = RwRas8TriUnlitPerspStippleZ;
  table[83] = table[87] = RwRas8TriFlatPerspStippleZ;
  table[43] = table[47] = RwRas8TriGouraudPerspOpaque;
  table[51] = table[55] = RwRas8TriGouraudPerspOpaqueZ;
  table[59] = table[63] = RwRas8TriGouraudPerspStipple;
  table[67] = table[71] = RwRas8TriGouraudPerspStippleZ;
  table[94] = RwRas8TriUnlitPerspFilterOpaque;
  table[95] = RwRas8TriFlatPerspFilterOpaque;
  table[102] = RwRas8TriUnlitPerspFilterOpaqueZ;
  table[103] = RwRas8TriFlatPerspFilterOpaqueZ;
}

}  // namespace

void RwFillPerspectiveTextureModes(RwTriangleRoutine* table, intptr_t depth) {
  if (depth == 8) {
    fillPerspectiveTextureModes8(table);
    return;
  }
  // Groups: 0 vertex stipple z, 4 vertex opaque, 8 vertex stipple, 12 vertex
  // opaque z, 16 facet stipple z, 20 facet stipple, 24 facet opaque z, 32
  // facet opaque; offsets: + lit 1, + foreshorten 2, + filter 4.
  table[6] = table[34] = RwRas16TriUnlitPerspOpaque;
  table[35] = RwRas16TriFlatPerspOpaque;
  table[14] = table[26] = RwRas16TriUnlitPerspOpaqueZ;
  table[27] = RwRas16TriFlatPerspOpaqueZ;
  table[10] = table[22] = RwRas16TriUnlitPerspStipple;
  table[23] = RwRas16TriFlatPerspStipple;
  table[2] = table[18] = RwRas16TriUnlitPerspStippleZ;
  table[19] = RwRas16TriFlatPerspStippleZ;
  table[39] = RwRas16TriFlatPerspFilterOpaque;
  table[31] = RwRas16TriFlatPerspFilterOpaqueZ;
  table[38] = RwRas16TriUnlitPerspFilterOpaque;
  table[30] = RwRas16TriUnlitPerspFilterOpaqueZ;
  table[7] = RwRas16TriGouraudPerspOpaque;
  table[15] = RwRas16TriGouraudPerspOpaqueZ;
  table[11] = RwRas16TriGouraudPerspStipple;
  table[3] = RwRas16TriGouraudPerspStippleZ;
}
