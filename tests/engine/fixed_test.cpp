// Fixed-point arithmetic: the listed values, and random operands against
// 128-bit arithmetic.
#include <cmath>
#include <limits>
#include <random>

#include <gtest/gtest.h>

#include "engine/fixed.h"

namespace {

__int128 floorDivide(__int128 a, __int128 b) {
  __int128 q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

RwFixed clamp32(__int128 value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<RwFixed>(value);
}

int64_t valueOf(RwFix64 v) {
  return static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(v.high)) << 32) | v.low);
}

RwFix64 wordsOf(int64_t v) {
  return {static_cast<uint32_t>(v), static_cast<int32_t>(static_cast<uint64_t>(v) >> 32)};
}

TEST(FixedPoint, ListedMultiplications) {
  EXPECT_EQ(RwFixMul(0x10000, 0x10000), 0x10000);
  EXPECT_EQ(RwFixMul(0x7FFFFFFF, 0x20000), 0x7FFFFFFF);
  EXPECT_EQ(RwFixMul(INT32_MIN, 0x20000), INT32_MIN);
  EXPECT_EQ(RwFixMul(-1, 1), -1);  // toward minus infinity
}

TEST(FixedPoint, ListedDivisions) {
  EXPECT_EQ(RwFixDiv(0x10000, 0), 0x10000);
  EXPECT_EQ(RwFixDiv(0, 0), 0);
  EXPECT_EQ(RwFixDiv(0x40000000, 0x10000), 0x40000000);
  EXPECT_EQ(RwFixDiv(0x40000000, 0x8000), 0x7FFFFFFF);
  EXPECT_EQ(RwFixDiv(-0x40000000, 0x8000), INT32_MIN);
  EXPECT_EQ(RwFixDiv(-0x10000, 0x30000), -0x5555);  // toward zero
  // -32768.0 / 32767.99 is -1.0, not a saturated value.
  EXPECT_EQ(RwFixDiv(INT32_MIN, 0x7FFFFFFF), -0x10000);
  EXPECT_EQ(RwFixDiv(INT32_MIN, -1), INT32_MAX);
}

TEST(FixedPoint, RandomOperandsAgreeWith128BitArithmetic) {
  std::mt19937 random(20240611);
  auto operand = [&] {
    // Spread the magnitudes so that both saturation and exact paths run.
    int32_t value = static_cast<int32_t>(random());
    return value >> (random() % 32);
  };
  for (int i = 0; i < 200000; ++i) {
    RwFixed a = operand(), b = operand();
    __int128 product = static_cast<__int128>(a) * b;
    ASSERT_EQ(RwFixMul(a, b), clamp32(floorDivide(product, 65536))) << a << " * " << b;
    if (b != 0 && a != 0) {
      ASSERT_EQ(RwFixDiv(a, b), clamp32(static_cast<__int128>(a) * 65536 / b)) << a << " / " << b;
    }
  }
}

TEST(FixedPoint, SixtyFourBitAddAndSubtractCarryAcrossWords) {
  RwFix64 result;
  EXPECT_EQ(RwFix64Add(&result, {0xFFFFFFFFu, 0}, {1, 0}), &result);
  EXPECT_EQ(result.low, 0u);
  EXPECT_EQ(result.high, 1);
  RwFix64Sub(&result, {0, 1}, {1, 0});
  EXPECT_EQ(result.low, 0xFFFFFFFFu);
  EXPECT_EQ(result.high, 0);

  std::mt19937_64 random(7);
  for (int i = 0; i < 10000; ++i) {
    int64_t a = static_cast<int64_t>(random()), b = static_cast<int64_t>(random());
    RwFix64Add(&result, wordsOf(a), wordsOf(b));
    ASSERT_EQ(valueOf(result), static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)));
    RwFix64Sub(&result, wordsOf(a), wordsOf(b));
    ASSERT_EQ(valueOf(result), static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b)));
  }
}

TEST(FixedPoint, SixtyFourBitMultiplyIsTheProductWithinItsMantissas) {
  constexpr int64_t one = int64_t{1} << 32;  // 1.0 in 32.32
  constexpr int64_t largest = std::numeric_limits<int64_t>::max();
  RwFix64 result;
  struct Case {
    int64_t a, b, product;
  } cases[] = {
      {0, 12345, 0},
      {one, one, one},
      {3 * one, -2 * one, -6 * one},
      {int64_t{1} << 48, one, int64_t{1} << 48},  // a large value times 1.0 is itself
      {int64_t{1} << 62, 4 * one, largest},       // does not fit: saturates
      {-(int64_t{1} << 62), 4 * one, -largest},
      {1, 1, 0},
  };
  for (const Case& c : cases) {
    RwFix64Mul(&result, wordsOf(c.a), wordsOf(c.b));
    EXPECT_EQ(valueOf(result), c.product) << c.a << " * " << c.b;
  }

  std::mt19937_64 random(11);
  for (int i = 0; i < 100000; ++i) {
    int64_t a = static_cast<int64_t>(random()) >> (random() % 64);
    int64_t b = static_cast<int64_t>(random()) >> (random() % 64);
    __int128 exact = static_cast<__int128>(a) * b;
    exact = exact >= 0 ? exact >> 32 : -((-exact) >> 32);
    __int128 magnitude = exact < 0 ? -exact : exact;
    RwFix64Mul(&result, wordsOf(a), wordsOf(b));
    __int128 got = valueOf(result);
    if (magnitude > largest) {
      ASSERT_EQ(got, exact < 0 ? -largest : largest) << a << " * " << b;
    } else {
      // Each mantissa keeps at least 16 significant bits below its top one.
      __int128 error = exact - got;
      if (error < 0) error = -error;
      ASSERT_LE(error, magnitude / 32768 + 1) << a << " * " << b;
    }
  }
}

TEST(FixedPoint, FloatConversionsTruncateAndSaturate) {
  struct Case {
    float value;
    int32_t integer;
    RwFixed fixed;
  } cases[] = {
      {1.5f, 1, 0x18000},
      {-1.5f, -1, -0x18000},
      {0.999999f, 0, 0xFFFF},
      {40000.0f, 40000, INT32_MAX},          // 16.16 holds up to 32767.99
      {-32768.0f, -32768, INT32_MIN},
      {-40000.0f, -40000, INT32_MIN},
      {3e9f, INT32_MAX, INT32_MAX},
      {-3e9f, INT32_MIN, INT32_MIN},
      {INFINITY, INT32_MAX, INT32_MAX},
      {-INFINITY, INT32_MIN, INT32_MIN},
      {NAN, INT32_MIN, INT32_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RwRealToInt(c.value), c.integer) << c.value;
    EXPECT_EQ(RwRealToFixed(c.value), c.fixed) << c.value;
  }
  EXPECT_FLOAT_EQ(RwFixedToReal(0x18000), 1.5f);
}

}  // namespace
