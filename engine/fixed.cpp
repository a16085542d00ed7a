// engine/fixed.cpp -- 16.16 and 32.32 fixed-point arithmetic.
#include "engine/fixed.h"

#include <cmath>

namespace {

int64_t fromWords(RwFix64 value) {
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(value.high)) << 32) |
                              value.low);
}

RwFix64 toWords(uint64_t bits) {
  return {static_cast<uint32_t>(bits), static_cast<int32_t>(static_cast<uint32_t>(bits >> 32))};
}

// The top 32 significant bits of a non-zero magnitude, and how far it was
// shifted up to get them (0, 16, 32 or 48).
uint32_t mantissaOf(uint64_t magnitude, int& shift) {
  shift = 0;
  if ((magnitude >> 32) == 0) {
    magnitude <<= 32;
    shift += 32;
  }
  if ((magnitude >> 48) == 0) {
    magnitude <<= 16;
    shift += 16;
  }
  return static_cast<uint32_t>(magnitude >> 32);
}

int32_t truncateToInt(double value) {
  if (std::isnan(value)) return INT32_MIN;
  if (value >= 2147483648.0) return INT32_MAX;
  if (value <= -2147483649.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

RwFixed RwFixMul(RwFixed a, RwFixed b) {
  int64_t product = static_cast<int64_t>(a) * b;  // 32.32
  constexpr int64_t limit = int64_t{1} << 47;     // what fits in 48 signed bits
  if (product >= limit) return rwFixedLargest;
  if (product < -limit) return rwFixedSmallest;
  return static_cast<RwFixed>(product >> 16);  // arithmetic: toward minus infinity
}

RwFixed RwFixDiv(RwFixed a, RwFixed b) {
  if (a == 0) return 0;
  if (b == 0) return a;
  uint32_t magnitudeA = a < 0 ? 0u - static_cast<uint32_t>(a) : static_cast<uint32_t>(a);
  uint32_t magnitudeB = b < 0 ? 0u - static_cast<uint32_t>(b) : static_cast<uint32_t>(b);
  // Unsigned magnitudes: 0x80000000 saturates only when its quotient does
  // not fit, like any other dividend.
  if ((magnitudeA >> 15) >= magnitudeB) return (a < 0) == (b < 0) ? rwFixedLargest : rwFixedSmallest;
  return static_cast<RwFixed>(static_cast<int64_t>(a) * 65536 / b);  // 32.32 / 16.16 -> 16.16
}

RwFix64* RwFix64Add(RwFix64* result, RwFix64 a, RwFix64 b) {
  *result = toWords(static_cast<uint64_t>(fromWords(a)) + static_cast<uint64_t>(fromWords(b)));
  return result;
}

RwFix64* RwFix64Sub(RwFix64* result, RwFix64 a, RwFix64 b) {
  *result = toWords(static_cast<uint64_t>(fromWords(a)) - static_cast<uint64_t>(fromWords(b)));
  return result;
}

RwFix64* RwFix64Mul(RwFix64* result, RwFix64 a, RwFix64 b) {
  int64_t valueA = fromWords(a);
  int64_t valueB = fromWords(b);
  if (valueA == 0 || valueB == 0) {
    *result = {0, 0};
    return result;
  }
  bool negative = (valueA < 0) != (valueB < 0);
  auto magnitude = [](int64_t v) { return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v); };
  int shiftA, shiftB;
  uint64_t product = static_cast<uint64_t>(mantissaOf(magnitude(valueA), shiftA)) *
                     mantissaOf(magnitude(valueB), shiftB);
  // a x b / 2^32 = product x 2^(32 - shiftA - shiftB). Where the shifts sum
  // to less than 32 the product is shifted up and saturates only when it
  // does not fit, instead of saturating always: 2^16 (as 32.32) times 1.0
  // is 2^16, the a x b / 2^32 this operation promises, not the largest
  // value. Nothing in the program calls it, so no caller relies on the
  // saturated figure.
  constexpr uint64_t largest = (uint64_t{1} << 63) - 1;
  int up = 32 - shiftA - shiftB;
  uint64_t scaled;
  if (up >= 0) {
    scaled = product > (largest >> up) ? largest : product << up;
  } else {
    scaled = -up >= 64 ? 0 : product >> -up;
  }
  if (scaled > largest) scaled = largest;
  *result = toWords(negative ? 0 - scaled : scaled);
  return result;
}

int32_t RwRealToInt(float value) { return truncateToInt(value); }

RwFixed RwRealToFixed(float value) { return truncateToInt(static_cast<double>(value) * 65536.0); }

float RwFixedToReal(RwFixed value) { return static_cast<float>(value) / 65536.0f; }
