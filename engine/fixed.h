// engine/fixed.h -- fixed-point arithmetic and float-to-integer conversion.
//
// Owns: saturating 16.16 multiply and divide (called in the engine's and the
// rasterisers' inner loops), a 32.32 64-bit group completing the set, and the
// conversions from float to integer and to 16.16 that every module uses, so
// that an out-of-range or NaN value always gives a defined result.
// It keeps no state, and does not own the 16.16 vector and matrix operations
// (engine/matrix.h).
#ifndef LUMENFOLD_ENGINE_FIXED_H
#define LUMENFOLD_ENGINE_FIXED_H

#include <cstdint>

// 16.16 fixed point: value / 65536.
typedef int32_t RwFixed;

constexpr RwFixed rwFixedOne = 0x10000;
constexpr RwFixed rwFixedLargest = 0x7FFFFFFF;
constexpr RwFixed rwFixedSmallest = INT32_MIN;  // 0x80000000

// a x b in 16.16, rounded toward minus infinity; saturates by the product's
// sign when it does not fit.
RwFixed RwFixMul(RwFixed a, RwFixed b);
// a / b in 16.16, truncated toward zero; saturates by the quotient's sign when
// it does not fit; a / 0 gives a.
RwFixed RwFixDiv(RwFixed a, RwFixed b);

// 32.32 signed fixed point held as two 32-bit words.
struct RwFix64 {
  uint32_t low;
  int32_t high;
};

RwFix64* RwFix64Add(RwFix64* result, RwFix64 a, RwFix64 b);  // wraps like the hardware
RwFix64* RwFix64Sub(RwFix64* result, RwFix64 a, RwFix64 b);
// a x b / 2^32 from 32-bit mantissas of both operands (their lowest bits are
// dropped); saturates to +-(2^63 - 1) when the product does not fit.
RwFix64* RwFix64Mul(RwFix64* result, RwFix64 a, RwFix64 b);

// Float to int32, truncated toward zero. Values beyond the range clamp to the
// nearer limit; NaN gives 0x80000000, the value the original conversions
// produced for it.
int32_t RwRealToInt(float value);
// Float to 16.16: the integer part of value x 65536, with RwRealToInt's rules.
RwFixed RwRealToFixed(float value);
// 16.16 to float.
float RwFixedToReal(RwFixed value);

#endif
