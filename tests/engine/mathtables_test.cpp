// The fast maths tables against their formulas, and the table square roots.
#include <bit>
#include <cmath>
#include <random>

#include <gtest/gtest.h>

#include "engine/mathtables.h"
#include "engine_fixture.h"

namespace {

using MathsTables = OpenEngine;

// The truncated value of an exact formula; the table may sit one below only
// where the formula lands within rounding distance of an integer.
void expectTruncated(long double exact, uint64_t entry, const char* what, int index) {
  long double floor = std::floor(exact);
  bool nearInteger = exact - floor < 1e-9L || floor + 1 - exact < 1e-9L;
  if (nearInteger) {
    EXPECT_LE(std::fabs(static_cast<long double>(entry) - exact), 1.0L) << what << " " << index;
  } else {
    EXPECT_EQ(entry, static_cast<uint64_t>(floor)) << what << " " << index;
  }
}

TEST_F(MathsTables, SquareRootMantissaTables) {
  const RwMathTables& tables = RwGetMathTables();
  for (int j = 0; j < rwSqrtTableEntries; ++j) {
    EXPECT_EQ(tables.sqrtOdd[j], std::bit_cast<uint32_t>(std::sqrt(1.0f + j / 2048.0f)) - 0x1FC00000u) << j;
    EXPECT_EQ(tables.sqrtEven[j], std::bit_cast<uint32_t>(std::sqrt(2.0f + j / 1024.0f)) - 0x20000000u) << j;
  }
  EXPECT_EQ(tables.sqrtEven, tables.sqrtOdd + rwSqrtTableEntries);  // one block
}

TEST_F(MathsTables, FixedSquareRootTableHas23FractionBits) {
  const RwMathTables& tables = RwGetMathTables();
  EXPECT_EQ(tables.fixedSqrt[0], 0x800000u);
  EXPECT_EQ(tables.fixedSqrt[3072], 0x1000000u);
  for (int k = 0; k < rwFixedSqrtTableEntries; ++k) {
    long double exact = std::sqrt(1.0L + k / 1024.0L) * 8388608.0L;
    EXPECT_LE(std::fabs(exact - tables.fixedSqrt[k]), 1.0L) << k;
  }
}

TEST_F(MathsTables, BitLengthTables) {
  const RwMathTables& tables = RwGetMathTables();
  EXPECT_EQ(tables.highestBit[0], 255);
  EXPECT_EQ(rwSignificantBitsTable[0], 0);
  for (int n = 1; n < 256; ++n) {
    int highest = static_cast<int>(std::floor(std::log2(n)));
    EXPECT_EQ(tables.highestBit[n], highest) << n;
    EXPECT_EQ(rwSignificantBitsTable[n], highest + 1) << n;
  }
}

TEST_F(MathsTables, LogarithmTable) {
  for (int n = 256; n < 512; ++n) {
    long double exact = 128.0L * (std::log2(n / 256.0L) + std::log2((n + 1) / 256.0L));
    expectTruncated(exact, rwLogTable[n], "log", n);
  }
  EXPECT_EQ(rwLogTable[256], 0);
  EXPECT_EQ(rwLogTable[511], 255);
}

TEST_F(MathsTables, ExponentialTable) {
  const RwMathTables& tables = RwGetMathTables();
  for (int i = rwExpTableFirst; i <= rwExpTableLast; ++i) {
    long double exact = 16777216.0L * (std::exp2(-i / 256.0L) + std::exp2(-(i + 1) / 256.0L)) / 2.0L;
    expectTruncated(exact, tables.exp[i], "exp", i);
  }
  EXPECT_GT(tables.exp[rwExpTableFirst], 0xFF000000u);  // just below 2^32
  EXPECT_EQ(tables.exp[rwExpTableLast], 1u);
  EXPECT_EQ(rwSpanExpTable, tables.exp);
}

TEST_F(MathsTables, TableSquareRootIsCloseToTheTrueRoot) {
  std::mt19937 random(1234);
  std::uniform_real_distribution<float> exponent(-30.0f, 30.0f);
  for (int i = 0; i < 20000; ++i) {
    float value = std::exp2(exponent(random));
    float root = RwSqrt(&value);
    EXPECT_NEAR(root / std::sqrt(value), 1.0f, 1.0f / 2048) << value;
  }
  for (float exact : {0.0f, -0.0f}) EXPECT_EQ(RwSqrt(&exact), 0.0f);
  for (float square : {1.0f, 4.0f, 16.0f, 0.25f}) EXPECT_EQ(RwSqrt(&square), std::sqrt(square));
}

TEST_F(MathsTables, FixedSquareRoot) {
  EXPECT_EQ(RwFixedSqrt(0), 0u);
  EXPECT_EQ(RwFixedSqrt(0x00010000), 0x00010000u);  // 1.0 -> 1.0
  EXPECT_EQ(RwFixedSqrt(0x00040000), 0x00020000u);  // 4.0 -> 2.0
  EXPECT_EQ(RwFixedSqrt(0x00090000), 0x00030000u);  // 9.0 -> 3.0
  std::mt19937 random(99);
  for (int i = 0; i < 20000; ++i) {
    uint32_t value = random() >> (random() % 31);
    if (value == 0) continue;
    double exact = std::sqrt(value / 65536.0) * 65536.0;  // 16.16
    EXPECT_NEAR(RwFixedSqrt(value), exact, exact / 1024 + 1) << value;
  }
}

TEST(MathsTablesClosed, RootsAreExactBeforeTheTablesExist) {
  ASSERT_EQ(RwGetMathTables().sqrtOdd, nullptr);
  float value = 2.0f;
  EXPECT_EQ(RwSqrt(&value), std::sqrt(2.0f));
  EXPECT_EQ(RwFixedSqrt(0x00040000), 0x00020000u);
}

}  // namespace
