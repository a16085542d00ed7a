// engine/raster/perspective.cpp -- perspective-correct textured triangles in
// 15/16-bit and 8-bit colour (see perspective.h).
#include "engine/raster/perspective.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "engine/raster/rasterapi.h"

RwPerspectiveParams PerspectiveParams;

namespace {

// ---- set-up

// A vertex of the triangle as the set-up reads it.
struct Corner {
  int32_t x, y;  // whole pixels
  int32_t w;     // 16.16 weight
  int32_t u, v;  // 16.16 texture coordinates
  int32_t z;     // z-buffer value, 0..65535
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

template <class Family>
void startTriangle(RwPolygon* polygon, int32_t topRow) {
  RwSpanParams& block = SpanParams;
  block.colourRow = rwRasterTarget.rowTable[topRow];
  block.colourStride = rwRasterTarget.stride;
  block.texels = polygon->material->texture->texels;
  if constexpr (Family::depthBuffered) {
    block.zRow = rwRasterTarget.zBase + topRow * rwRasterTarget.zStride;
    block.zStride = rwRasterTarget.zStride;
  }
  if constexpr (Family::dithered) {
    // Set once per triangle: the lower trapezoid continues the sequence.
    const uint32_t* rows = PerspectiveParams.direction ? rwRasterTarget.perspDitherRows : rwRasterTarget.ditherRows;
    block.ditherRow = rows[topRow & 7];
    block.opacity = polygon->material->opacity;
  }
  Family::begin(polygon);
}

template <class Family>
void drawTrapezoid(int32_t rows) {
  SpanParams.rows = rows;
  Family::span(&SpanParams);
}

// Index of the top vertex in fan order: P0 wins every tie, P2 wins over P1.
int topVertex(const Corner* c) {
  if (c[1].y >= c[0].y) return c[0].y <= c[2].y ? 0 : 2;
  return c[1].y < c[2].y ? 1 : 2;
}

/*
 * perspectiveTriangle --
 *   Draws triangle (v[0], v[i], v[i + 1]) with the family's span loop. Only
 *   the counter-clockwise winding (y downward) draws; degenerate triangles
 *   draw nothing. Spans walk from their nearer end.
 */
template <class Family>
void perspectiveTriangle(RwPolygon* polygon, intptr_t i) {
  const RwVertex* vertex[3] = {polygon->vertices[0], polygon->vertices[i], polygon->vertices[i + 1]};
  const float depth[3] = {vertex[0]->cameraDepth, vertex[1]->cameraDepth, vertex[2]->cameraDepth};
  int32_t weight[3];
  RwPerspectiveWeights(depth, weight);
  Corner corner[3];
  for (int k = 0; k < 3; ++k) {
    corner[k] = {RwScreenPixel(vertex[k]->screenX), RwScreenPixel(vertex[k]->screenY), weight[k],
                 vertex[k]->u,  vertex[k]->v, vertex[k]->depth & 0xFFFF};
  }
  const int top = topVertex(corner);
  const Corner& a = corner[top];
  const Corner& b = corner[(top + 1) % 3];
  const Corner& c = corner[(top + 2) % 3];
  const int32_t hB = b.y - a.y;
  const int32_t hC = c.y - a.y;
  RwSpanParams& block = SpanParams;
  RwPerspectiveParams& persp = PerspectiveParams;
  const bool reverse = RwLeftEndNearer(polygon) == 0;
  persp.direction = reverse ? 1 : 0;

  if (hB > 0 && hC > 0) {
    const int32_t slopeLeft = RwEdgeSlope(b.x - a.x, hB);
    const int32_t slopeRight = RwEdgeSlope(c.x - a.x, hC);
    const int64_t slopeDifference = int64_t{slopeRight} - slopeLeft;
    if (slopeDifference <= 0) return;
    startTriangle<Family>(polygon, a.y);
    block.leftX = block.rightX = a.x * 65536;
    block.leftStep = slopeLeft;
    block.rightStep = slopeRight;
    setEdge(persp.left, a, b, hB);
    setEdge(persp.right, a, c, hC);
    if constexpr (Family::depthBuffered) {
      const int32_t leftZ = depthStep(a.z, b.z, hB);
      const int32_t rightZ = depthStep(a.z, c.z, hC);
      block.depth.value = depthValue(a.z);
      block.depth.rowStep = reverse ? rightZ : leftZ;
      // Other edge minus start edge: the sign follows the walking direction.
      block.depth.pixelStep = depthPixelStep(reverse ? leftZ : rightZ, block.depth.rowStep, slopeDifference);
    }
    drawTrapezoid<Family>(std::min(hB, hC));
    if (hB < hC) {  // knee on the left: the left edge restarts exactly at B
      block.leftX = b.x * 65536;
      block.leftStep = RwEdgeSlope(c.x - b.x, hC - hB);
      setEdge(persp.left, b, c, hC - hB);
      if constexpr (Family::depthBuffered) {
        if (!reverse) block.depth.rowStep = depthStep(b.z, c.z, hC - hB);
      }
      drawTrapezoid<Family>(hC - hB);
    } else if (hB > hC) {  // knee on the right: the right edge restarts exactly at C
      block.rightX = c.x * 65536;
      block.rightStep = RwEdgeSlope(b.x - c.x, hB - hC);
      setEdge(persp.right, c, b, hB - hC);
      if constexpr (Family::depthBuffered) {
        if (reverse) block.depth.rowStep = depthStep(c.z, b.z, hB - hC);
      }
      drawTrapezoid<Family>(hB - hC);
    }
    return;
  }
  // A flat top: (A, C) when hC is 0, else (B, A); both edges meet at the bottom.
  const bool topIsAC = hC == 0;
  const Corner& topLeft = topIsAC ? a : b;
  const Corner& topRight = topIsAC ? c : a;
  const Corner& bottom = topIsAC ? b : c;
  const int32_t rows = bottom.y - a.y;
  const int32_t width = topRight.x - topLeft.x;
  if (rows < 1 || width < 1) return;
  startTriangle<Family>(polygon, a.y);
  block.leftX = topLeft.x * 65536;
  block.leftStep = RwEdgeSlope(bottom.x - topLeft.x, rows);
  block.rightX = topRight.x * 65536;
  block.rightStep = RwEdgeSlope(bottom.x - topRight.x, rows);
  setEdge(persp.left, topLeft, bottom, rows);
  setEdge(persp.right, topRight, bottom, rows);
  if constexpr (Family::depthBuffered) {
    const Corner& start = reverse ? topRight : topLeft;
    const Corner& other = reverse ? topLeft : topRight;
    block.depth.value = depthValue(start.z);
    block.depth.rowStep = depthStep(start.z, bottom.z, rows);
    block.depth.pixelStep = depthStep(start.z, other.z, width);
  }
  drawTrapezoid<Family>(rows);
}

// ---- span stepping

// u or v at an edge from its weighted sum: (uW / (w >> 16)) << shift. The
// divisor is held at 1 or more: rounded weight steps can take a far-end
// weight of exactly 1.0 below it.
int32_t edgeCoordinate(int32_t weightedSum, int32_t w, int32_t shift) {
  const int32_t q = std::max((w >> 16) & 0xFFFF, 1);
  return static_cast<int32_t>(static_cast<uint32_t>(weightedSum / q) << shift);
}

void advanceEdge(RwPerspectiveEdge& edge) {
  edge.uW += edge.uWStep;
  edge.vW += edge.vWStep;
  edge.w += edge.wStep;
  edge.u = edgeCoordinate(edge.uW, edge.w, edge.shift);
  edge.v = edgeCoordinate(edge.vW, edge.w, edge.shift);
}

// The ends of a span in walking order: (w, u, v) at the first and last pixel.
struct SpanEnds {
  int32_t wa, ua, va;
  int32_t wb, ub, vb;
};

// Linear stepping: the first pixel samples the start values, each step
// is (end - start) / n; texture coordinates are held shifted left by 16.
class LinearSteps {
 public:
  LinearSteps(const SpanEnds& e, int32_t n)
      : u_(static_cast<uint32_t>(e.ua) << 16),
        v_(static_cast<uint32_t>(e.va) << 16),
        du_(step(e.ua, e.ub, n)),
        dv_(step(e.va, e.vb, n)) {}
  // Texel column and row of the next pixel.
  void next(uint32_t& u, uint32_t& v) {
    u = u_;
    v = v_;
    u_ += du_;
    v_ += dv_;
  }

 private:
  // ((b - a) x 256 / n) << 8, formed in 64 bits so that many repeats across
  // a short row do not overflow.
  static uint32_t step(int32_t a, int32_t b, int32_t n) {
    return static_cast<uint32_t>((int64_t{b} - a) * 256 / n) << 8;
  }
  uint32_t u_, v_, du_, dv_;
};

// Perspective stepping: the denominator Q(k) = D(k) D(k + 1), D(k) the weight
// times n at pixel k, held as a normalised 32-bit mantissa with its first and
// second differences on the same scale; a coordinate's step is
// 65536 x N / Q(k), read from ExpTable at (its log row + log2 mantissa of Q).
class PerspectiveSteps {
 public:
  PerspectiveSteps(const SpanEnds& e, int32_t n) {
    const float s = static_cast<float>(e.wb - e.wa);
    const float a = static_cast<float>(e.wa) * static_cast<float>(n);
    const float s2 = s * s;
    const float q0 = a * a + s * a;
    const uint32_t qBits = std::bit_cast<uint32_t>(q0);
    const int32_t exponentQ = static_cast<int32_t>(((qBits >> 23) & 0xFF) - 127) & 0xFF;
    q_ = (qBits | 0xFF800000u) << 8;
    dq_ = aligned(-(2 * s * a + 2 * s2), exponentQ);
    ddq_ = aligned(2 * s2, exponentQ);
    uRow_ = logRow(e.ua, e.ub, e.wb, a, exponentQ, uNegate_);
    vRow_ = logRow(e.va, e.vb, e.wb, a, exponentQ, vNegate_);
    mantissaLog_ = rwLogTable[q_ >> 23];
    u_ = static_cast<uint32_t>(e.ua) << 16;
    v_ = static_cast<uint32_t>(e.va) << 16;
  }

  // Texel column and row of the next pixel: one step past the last.
  void next(uint32_t& u, uint32_t& v) {
    q_ -= dq_;
    u_ += (rwSpanExpTable[uRow_ + mantissaLog_] ^ uNegate_) - uNegate_;
    v_ += (rwSpanExpTable[vRow_ + mantissaLog_] ^ vNegate_) - vNegate_;
    if (static_cast<int32_t>(q_) > 0) {  // the top bit cleared: one doubling
      q_ <<= 1;
      dq_ <<= 1;
      ddq_ <<= 1;
      uRow_ = std::max(uRow_ - 256, rwExpTableFirst);
      vRow_ = std::max(vRow_ - 256, rwExpTableFirst);
    }
    u = u_;
    v = v_;
    dq_ -= ddq_;
    mantissaLog_ = (q_ >> 31) ? rwLogTable[q_ >> 23] : 0;
  }

 private:
  // The mantissa of a float on the scale of Q's exponent.
  static uint32_t aligned(float value, int32_t exponentQ) {
    const uint32_t bits = std::bit_cast<uint32_t>(std::fabs(value));
    if (bits == 0) return 0;
    const int32_t own = static_cast<int32_t>((bits >> 23) & 0xFF) - 127;
    const int32_t shift = static_cast<int8_t>(exponentQ - own);
    if (shift > 31) return 0;
    return ((bits | 0xFF800000u) << 8) >> std::max(shift, 0);
  }

  // The ExpTable row of a coordinate running from start to end: 2048 + 256
  // eQ - log2(N) in 8.8, N = wb x A x |end - start| (a delta of 0 counts as
  // 1). The row is held so that row + 255 stays inside the table: steps
  // beyond its range (many repeats in a few pixels) saturate.
  static int32_t logRow(int32_t start, int32_t end, int32_t wb, float a, int32_t exponentQ, uint32_t& negate) {
    int64_t delta = int64_t{end} - start;
    if (delta == 0) delta = 1;
    negate = delta < 0 ? 0xFFFFFFFFu : 0;
    const float numerator = static_cast<float>(wb) * a * static_cast<float>(delta < 0 ? -delta : delta);
    const uint32_t bits = std::bit_cast<uint32_t>(numerator);
    const int32_t logN = rwLogTable[256 + ((bits & 0x7F8000) >> 15)] + (static_cast<int32_t>((bits >> 23) & 0xFF) - 127) * 256;
    return std::clamp(2048 + 256 * exponentQ - logN, rwExpTableFirst, rwExpTableLast - 255);
  }

  uint32_t q_, dq_, ddq_;
  int32_t uRow_, vRow_;
  uint32_t uNegate_ = 0, vNegate_ = 0;  // all ones for a decreasing coordinate
  int32_t mantissaLog_;  // 0..255
  uint32_t u_, v_;
};

// Walks n pixels from x0 (step +1 or -1), the pixel body taking the texture
// coordinates and, in the z families, the running depth.
template <class Family, class Steps>
void walkSpan(RwSpanParams* block, int32_t x0, int32_t step, int32_t n, uint32_t dither, Steps steps) {
  uint32_t z = static_cast<uint32_t>(block->depth.value);
  for (int32_t x = x0; n > 0; --n, x += step) {
    uint32_t u, v;
    steps.next(u, v);
    Family::pixel(block, x, u, v, z, dither);
    if constexpr (Family::dithered) dither ^= dither >> 6;
    if constexpr (Family::depthBuffered) z += static_cast<uint32_t>(block->depth.pixelStep);
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

// ---- the unlit and flat-lit families: opaque, stippled, filtered

enum class Coverage { opaque, stipple, filter };

// Texel of a pixel, a Pixel wide (16-bit colour or 8-bit palette index). The filter jitters both coordinates by the signed
// dither byte (column by it XOR 0xAA) in 1/512 texel before the texel bits
// are taken, wrapping at the texture's edges.
template <class Pixel, Coverage coverage>
inline uint32_t texelAt(const RwSpanParams* block, uint32_t u, uint32_t v, uint32_t dither) {
  uint32_t column = u >> 25, row = v >> 25;
  if constexpr (coverage == Coverage::filter) {
    const int32_t columnJitter = static_cast<int8_t>((dither ^ 0xAA) & 0xFF);
    const int32_t rowJitter = static_cast<int8_t>(dither & 0xFF);
    column = ((static_cast<int32_t>(u >> 16) + columnJitter) & 0xFE00) >> 9;
    row = ((static_cast<int32_t>(v >> 16) + rowJitter) & 0xFE00) >> 9;
  }
  return reinterpret_cast<const Pixel*>(block->texels)[(row << 7) | column];
}

// The pixel rule of a member, tests in a fixed order: stipple, z (strictly
// nearer), transparent texel; then colour and depth. Pixel is uint16_t for
// 15/16-bit colour and uint8_t for 8-bit palette indices.
template <bool lit, bool zBuffer, Coverage coverage, class Pixel = uint16_t>
struct TexelFamily {
  static constexpr bool depthBuffered = zBuffer;
  static constexpr bool dithered = coverage != Coverage::opaque;
  static constexpr bool palette = sizeof(Pixel) == 1;

  static void begin(RwPolygon* polygon) {
    if constexpr (lit && palette) {
      // The 256-byte row of the first channel's level, held to 0..31.
      SpanParams.shadeRows[0] = rwRasterTarget.shadeTable + 256 * RwShadeLevel(polygon->intensity[0]);
    } else if constexpr (lit) {
      // One row per channel at the polygon's level; levels held to 0..31.
      for (int c = 0; c < 3; ++c) {
        SpanParams.shadeRows[c] = rwRasterTarget.shadeTable + 32 * RwShadeLevel(polygon->intensity[c]);
      }
    }
  }

  static void pixel(RwSpanParams* block, int32_t x, uint32_t u, uint32_t v, uint32_t z, uint32_t dither) {
    if constexpr (coverage == Coverage::stipple) {
      if ((dither & 0xFF) >= static_cast<uint32_t>(block->opacity)) return;
    }
    const uint16_t depth = static_cast<uint16_t>(z >> 16);
    if constexpr (zBuffer) {
      if (reinterpret_cast<const uint16_t*>(block->zRow)[x] >= depth) return;
    }
    const uint32_t t = texelAt<Pixel, coverage>(block, u, v, dither);
    if (t == 0) return;
    reinterpret_cast<Pixel*>(block->colourRow)[x] = colour(block, t);
    if constexpr (zBuffer) reinterpret_cast<uint16_t*>(block->zRow)[x] = depth;
  }

  static Pixel colour(const RwSpanParams* block, uint32_t t) {
    if constexpr (!lit) {
      return static_cast<Pixel>(t);
    } else if constexpr (palette) {
      return block->shadeRows[0][t];
    } else {
      return static_cast<uint16_t>(block->shadeRows[0][t >> 11] << 11 | block->shadeRows[1][(t & 0x7C0) >> 6] << 6 |
                                   block->shadeRows[2][t & 0x1F]);
    }
  }

  static void span(RwSpanParams* block) { perspectiveSpanRows<TexelFamily>(block); }
};

using UnlitOpaque = TexelFamily<false, false, Coverage::opaque>;
using UnlitOpaqueZ = TexelFamily<false, true, Coverage::opaque>;
using FlatOpaque = TexelFamily<true, false, Coverage::opaque>;
using FlatOpaqueZ = TexelFamily<true, true, Coverage::opaque>;
using UnlitStipple = TexelFamily<false, false, Coverage::stipple>;
using UnlitStippleZ = TexelFamily<false, true, Coverage::stipple>;
using FlatStipple = TexelFamily<true, false, Coverage::stipple>;
using FlatStippleZ = TexelFamily<true, true, Coverage::stipple>;
using FlatFilter = TexelFamily<true, false, Coverage::filter>;
using FlatFilterZ = TexelFamily<true, true, Coverage::filter>;
using Unlit8Opaque = TexelFamily<false, false, Coverage::opaque, uint8_t>;
using Unlit8OpaqueZ = TexelFamily<false, true, Coverage::opaque, uint8_t>;
using Flat8Opaque = TexelFamily<true, false, Coverage::opaque, uint8_t>;
using Flat8OpaqueZ = TexelFamily<true, true, Coverage::opaque, uint8_t>;
using Unlit8Stipple = TexelFamily<false, false, Coverage::stipple, uint8_t>;
using Unlit8StippleZ = TexelFamily<false, true, Coverage::stipple, uint8_t>;
using Flat8Stipple = TexelFamily<true, false, Coverage::stipple, uint8_t>;
using Flat8StippleZ = TexelFamily<true, true, Coverage::stipple, uint8_t>;

}  // namespace

intptr_t RwLeftEndNearer(const RwPolygon* polygon) {
  const RwVertex& p = *polygon->vertices[0];
  const RwVertex& q = *polygon->vertices[1];
  const RwVertex& r = *polygon->vertices[2];
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

void RwRas16TriUnlitPerspOpaque(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<UnlitOpaque>(polygon, i); }
void RwRas16TriUnlitPerspOpaqueZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<UnlitOpaqueZ>(polygon, i); }
void RwRas16TriFlatPerspOpaque(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<FlatOpaque>(polygon, i); }
void RwRas16TriFlatPerspOpaqueZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<FlatOpaqueZ>(polygon, i); }

void RwRas16TriUnlitPerspStipple(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<UnlitStipple>(polygon, i); }
void RwRas16TriUnlitPerspStippleZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<UnlitStippleZ>(polygon, i); }
void RwRas16TriFlatPerspStipple(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<FlatStipple>(polygon, i); }
void RwRas16TriFlatPerspStippleZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<FlatStippleZ>(polygon, i); }
void RwRas16TriFlatPerspFilterOpaque(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<FlatFilter>(polygon, i); }
void RwRas16TriFlatPerspFilterOpaqueZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<FlatFilterZ>(polygon, i); }

void RwRas16SpanUnlitPerspOpaque(RwSpanParams* block) { UnlitOpaque::span(block); }
void RwRas16SpanUnlitPerspOpaqueZ(RwSpanParams* block) { UnlitOpaqueZ::span(block); }
void RwRas16SpanFlatPerspOpaque(RwSpanParams* block) { FlatOpaque::span(block); }
void RwRas16SpanFlatPerspOpaqueZ(RwSpanParams* block) { FlatOpaqueZ::span(block); }
void RwRas16SpanUnlitPerspStipple(RwSpanParams* block) { UnlitStipple::span(block); }
void RwRas16SpanUnlitPerspStippleZ(RwSpanParams* block) { UnlitStippleZ::span(block); }
void RwRas16SpanFlatPerspStipple(RwSpanParams* block) { FlatStipple::span(block); }
void RwRas16SpanFlatPerspStippleZ(RwSpanParams* block) { FlatStippleZ::span(block); }
void RwRas16SpanFlatPerspFilterOpaque(RwSpanParams* block) { FlatFilter::span(block); }
void RwRas16SpanFlatPerspFilterOpaqueZ(RwSpanParams* block) { FlatFilterZ::span(block); }

void RwRas8TriUnlitPerspOpaque(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Unlit8Opaque>(polygon, i); }
void RwRas8TriUnlitPerspOpaqueZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Unlit8OpaqueZ>(polygon, i); }
void RwRas8TriFlatPerspOpaque(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Flat8Opaque>(polygon, i); }
void RwRas8TriFlatPerspOpaqueZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Flat8OpaqueZ>(polygon, i); }
void RwRas8TriUnlitPerspStipple(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Unlit8Stipple>(polygon, i); }
void RwRas8TriUnlitPerspStippleZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Unlit8StippleZ>(polygon, i); }
void RwRas8TriFlatPerspStipple(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Flat8Stipple>(polygon, i); }
void RwRas8TriFlatPerspStippleZ(RwPolygon* polygon, intptr_t i) { perspectiveTriangle<Flat8StippleZ>(polygon, i); }

void RwRas8SpanUnlitPerspOpaque(RwSpanParams* block) { Unlit8Opaque::span(block); }
void RwRas8SpanUnlitPerspOpaqueZ(RwSpanParams* block) { Unlit8OpaqueZ::span(block); }
void RwRas8SpanFlatPerspOpaque(RwSpanParams* block) { Flat8Opaque::span(block); }
void RwRas8SpanFlatPerspOpaqueZ(RwSpanParams* block) { Flat8OpaqueZ::span(block); }
void RwRas8SpanUnlitPerspStipple(RwSpanParams* block) { Unlit8Stipple::span(block); }
void RwRas8SpanUnlitPerspStippleZ(RwSpanParams* block) { Unlit8StippleZ::span(block); }
void RwRas8SpanFlatPerspStipple(RwSpanParams* block) { Flat8Stipple::span(block); }
void RwRas8SpanFlatPerspStippleZ(RwSpanParams* block) { Flat8StippleZ::span(block); }

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
}
