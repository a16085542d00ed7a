// engine/raster/perspstep.h -- what the perspective span loops
// (engine/raster/perspective.cpp) and the span families (engine/raster/
// spanfamily.cpp) share along one span.
//
// Owns: u and v at an edge from its weighted sums, the linear stepping of a
// span, the perspective stepping through the logarithm and exponential
// tables, and the texel and shade rules of a pixel (plain or jittered
// texel, unlit, flat-lit or Gouraud colour). It does not own the row walks
// nor the order of a pixel's tests, which are each loop's.
//
// Inside a span u and v are held shifted left by 16 (32-bit, wrapping): the
// top 7 bits are the texel column and row.
#ifndef LUMENFOLD_ENGINE_RASTER_PERSPSTEP_H
#define LUMENFOLD_ENGINE_RASTER_PERSPSTEP_H

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "engine/raster/perspective.h"
#include "engine/raster/rasterapi.h"
#include "engine/raster/rastertarget.h"

namespace rwraster {

// u or v at an edge from its weighted sum: (uW / (w >> 16)) << shift. The
// divisor is held at 1 or more: rounded weight steps can take a far-end
// weight of exactly 1.0 below it.
inline int32_t edgeCoordinate(int32_t weightedSum, int32_t w, int32_t shift) {
  const int32_t q = std::max((w >> 16) & 0xFFFF, 1);
  return static_cast<int32_t>(static_cast<uint32_t>(weightedSum / q) << shift);
}

inline void advanceEdge(RwPerspectiveEdge& edge) {
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

// The per-pixel step of a coordinate held shifted left by 16, from a to b
// over n pixels: ((b - a) x 256 / n) << 8, formed in 64 bits so that many
// repeats across a short row do not overflow.
inline uint32_t linearStep(int32_t a, int32_t b, int32_t n) {
  return static_cast<uint32_t>((int64_t{b} - a) * 256 / n) << 8;
}

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
  static uint32_t step(int32_t a, int32_t b, int32_t n) { return linearStep(a, b, n); }
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

  friend struct PerspectiveState;
  uint32_t q_, dq_, ddq_;
  int32_t uRow_, vRow_;
  uint32_t uNegate_ = 0, vNegate_ = 0;  // all ones for a decreasing coordinate
  int32_t mantissaLog_;  // 0..255
  uint32_t u_, v_;
};

// The perspective stepping state of one span with the coordinates' senses
// fixed at compile time (the span families' variants): the same values as
// PerspectiveSteps, the same order of steps.
struct PerspectiveState {
  uint32_t q, dq, ddq;
  int32_t uRow, vRow;
  int32_t mantissaLog;
  uint32_t u, v;
  bool uDecreasing, vDecreasing;

  PerspectiveState() = default;
  explicit PerspectiveState(const PerspectiveSteps& s)
      : q(s.q_), dq(s.dq_), ddq(s.ddq_), uRow(s.uRow_), vRow(s.vRow_), mantissaLog(s.mantissaLog_), u(s.u_),
        v(s.v_), uDecreasing(s.uNegate_ != 0), vDecreasing(s.vNegate_ != 0) {}

  template <bool uDown, bool vDown>
  void next() {
    const uint32_t du = rwSpanExpTable[uRow + mantissaLog];
    const uint32_t dv = rwSpanExpTable[vRow + mantissaLog];
    u = uDown ? u - du : u + du;
    v = vDown ? v - dv : v + dv;
    q -= dq;
    if (static_cast<int32_t>(q) > 0) {
      q <<= 1;
      dq <<= 1;
      ddq <<= 1;
      uRow = std::max(uRow - 256, rwExpTableFirst);
      vRow = std::max(vRow - 256, rwExpTableFirst);
    }
    dq -= ddq;
    mantissaLog = (q >> 31) ? rwLogTable[q >> 23] : 0;
  }
};

// ---- what a pixel gets

enum class Light { unlit, flat, gouraud };
enum class Coverage { opaque, stipple, filter };

// Running values of a span besides u and v: 16.16 depth, and the 8.8 light
// (15/16-bit: red high and green low in first, blue in second; 8-bit: the
// level in first).
struct Running {
  uint32_t z;
  int32_t first;
  int32_t second;
};

template <class Pixel>
inline uint32_t plainTexel(const uint8_t* texels, uint32_t u, uint32_t v) {
  return reinterpret_cast<const Pixel*>(texels)[((v >> 25) << 7) | (u >> 25)];
}

// The texel under coordinates moved by the signed dither byte (v) and the
// byte XOR 0xAA (u), in 1/512 texel, wrapping at the texture's edges.
template <class Pixel>
inline uint32_t signedJitterTexel(const uint8_t* texels, uint32_t u, uint32_t v, uint32_t dither) {
  const int32_t columnJitter = static_cast<int8_t>((dither ^ 0xAA) & 0xFF);
  const int32_t rowJitter = static_cast<int8_t>(dither & 0xFF);
  const uint32_t column = ((static_cast<int32_t>(u >> 16) + columnJitter) & 0xFE00) >> 9;
  const uint32_t row = ((static_cast<int32_t>(v >> 16) + rowJitter) & 0xFE00) >> 9;
  return reinterpret_cast<const Pixel*>(texels)[(row << 7) | column];
}

// The texel under coordinates moved up by byte b (row) and b XOR 0xAA
// (column) in 1/512 texel, wrapping; swapped moves the other way round.
template <class Pixel, bool swapped = false>
inline uint32_t unsignedJitterTexel(const uint8_t* texels, uint32_t u, uint32_t v, uint32_t b) {
  const uint32_t rowJitter = (swapped ? b ^ 0xAA : b) << 16;
  const uint32_t columnJitter = (swapped ? b : b ^ 0xAA) << 16;
  return reinterpret_cast<const Pixel*>(texels)[(((v + rowJitter) >> 25) << 7) | ((u + columnJitter) >> 25)];
}

inline int32_t heldLevel(int32_t level) { return std::clamp(level, 0, 31); }

// Shade rows of a flat-lit triangle: 8-bit the 256-byte row of the first
// channel's level, 15/16-bit one 32-byte row per channel.
template <Light light, bool palette>
inline void beginShading(const RwRasterPolygon* polygon) {
  if constexpr (light == Light::flat && palette) {
    SpanParams.shadeRows[0] = rwRasterTarget.shadeTable + 256 * RwShadeLevel(polygon->intensity[0]);
  } else if constexpr (light == Light::flat) {
    for (int c = 0; c < 3; ++c) {
      SpanParams.shadeRows[c] = rwRasterTarget.shadeTable + 32 * RwShadeLevel(polygon->intensity[c]);
    }
  }
}

/*
 * shadeTexel --
 *   The pixel of a visible texel t: unlit t itself; flat-lit through the
 *   shade rows; Gouraud through ShadeTable at the running levels, b (the
 *   dither byte) rounding green (15/16-bit) or the level (8-bit).
 */
template <Light light, class Pixel>
inline Pixel shadeTexel(const RwSpanParams* block, uint32_t t, const Running& at, uint32_t b) {
  constexpr bool palette = sizeof(Pixel) == 1;
  const uint8_t* shade = rwRasterTarget.shadeTable;
  if constexpr (light == Light::unlit) {
    return static_cast<Pixel>(t);
  } else if constexpr (light == Light::flat && palette) {
    return block->shadeRows[0][t];
  } else if constexpr (light == Light::flat) {
    return static_cast<Pixel>(block->shadeRows[0][t >> 11] << 11 | block->shadeRows[1][(t & 0x7C0) >> 6] << 6 |
                              block->shadeRows[2][t & 0x1F]);
  } else if constexpr (palette) {
    return shade[heldLevel(RwWrapAdd(at.first, static_cast<int32_t>(b)) >> 8) * 256 + t];
  } else {
    const int32_t red = heldLevel(at.first >> 24);
    const int32_t green = heldLevel((static_cast<int16_t>(at.first & 0xFFFF) + static_cast<int32_t>(b)) >> 8);
    const int32_t blue = heldLevel(static_cast<int16_t>(at.second & 0xFFFF) >> 8);
    return static_cast<Pixel>(shade[red * 32 + (t >> 11)] << 11 | shade[green * 32 + ((t & 0x7C0) >> 6)] << 6 |
                              shade[blue * 32 + (t & 0x1F)]);
  }
}

}  // namespace rwraster

#endif
