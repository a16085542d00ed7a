// engine/mathtables.cpp -- building the fast maths tables; table square roots.
#include "engine/mathtables.h"

#include <cmath>

#include "engine/error.h"
#include "engine/mathsstate.h"
#include "engine/pool.h"

namespace {

// The maths tables and the matrix records and stacks (engine/mathsstate.h).
RwMathsState maths;

constexpr int expEntries = rwExpTableLast - rwExpTableFirst + 1;

uint32_t floatBits(float value) { return std::bit_cast<uint32_t>(value); }

void buildSqrtTables() {
  RwMathTables& tables = maths.tables;
  for (int j = 0; j < rwSqrtTableEntries; ++j) {
    tables.sqrtOdd[j] = floatBits(std::sqrt(1.0f + j / 2048.0f)) - 0x1FC00000u;
    tables.sqrtEven[j] = floatBits(std::sqrt(2.0f + j / 1024.0f)) - 0x20000000u;
  }
}

void buildFixedSqrtTable() {
  for (int k = 0; k < rwFixedSqrtTableEntries; ++k) {
    // A root below 2.0 is its float mantissa with the leading one (23
    // fraction bits); 2.0 itself is that shifted up one place, 0x1000000.
    maths.tables.fixedSqrt[k] = static_cast<uint32_t>(std::sqrt(1.0f + k / 1024.0f) * 8388608.0f);
  }
}

void buildBitTables() {
  for (int n = 0; n < 256; ++n) maths.tables.highestBit[n] = static_cast<uint8_t>(rwSignificantBitsTable[n] - 1);
}

void buildLogTable() {
  for (int n = 256; n < 512; ++n) {
    double value = 128.0 * (std::log2(n / 256.0) + std::log2((n + 1) / 256.0));
    rwLogTable[n] = static_cast<uint8_t>(value);
  }
}

void buildExpTable() {
  for (int i = rwExpTableFirst; i <= rwExpTableLast; ++i) {
    double value = 16777216.0 * (std::exp2(-i / 256.0) + std::exp2(-(i + 1) / 256.0)) / 2.0;
    maths.tables.exp[i] = static_cast<uint32_t>(value);
  }
}

}  // namespace

int RwOpenMathsTables() {
  RwMathTables& tables = maths.tables;
  auto* sqrtBlock = static_cast<uint32_t*>(RwEngineAlloc(2 * rwSqrtTableEntries * sizeof(uint32_t)));
  auto* fixedSqrt = static_cast<uint32_t*>(RwEngineAlloc(rwFixedSqrtTableEntries * sizeof(uint32_t)));
  auto* highestBit = static_cast<uint8_t*>(RwEngineAlloc(256));
  auto* log = static_cast<uint8_t*>(RwEngineAlloc(512));
  auto* exp = static_cast<uint32_t*>(RwEngineAlloc(expEntries * sizeof(uint32_t)));
  if (!sqrtBlock || !fixedSqrt || !highestBit || !log || !exp) {
    for (void* block : {static_cast<void*>(sqrtBlock), static_cast<void*>(fixedSqrt),
                        static_cast<void*>(highestBit), static_cast<void*>(log), static_cast<void*>(exp)}) {
      RwEngineFree(block);
    }
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  tables.sqrtOdd = sqrtBlock;
  tables.sqrtEven = sqrtBlock + rwSqrtTableEntries;
  tables.fixedSqrt = fixedSqrt;
  tables.highestBit = highestBit;
  rwLogTable = log;
  tables.exp = exp - rwExpTableFirst;
  rwSpanExpTable = tables.exp;
  buildSqrtTables();
  buildFixedSqrtTable();
  buildBitTables();
  buildLogTable();
  buildExpTable();
  return 1;
}

int RwCloseMathsTables() {
  RwMathTables& tables = maths.tables;
  RwEngineFree(tables.sqrtOdd);
  RwEngineFree(tables.fixedSqrt);
  RwEngineFree(tables.highestBit);
  RwEngineFree(rwLogTable);
  if (tables.exp) RwEngineFree(tables.exp + rwExpTableFirst);
  tables.sqrtOdd = tables.sqrtEven = tables.fixedSqrt = nullptr;
  tables.highestBit = rwLogTable = nullptr;
  tables.exp = rwSpanExpTable = nullptr;
  return 1;
}

const RwMathTables& RwGetMathTables() { return maths.tables; }

float RwSqrt(const float* value) {
  RwMathTables& tables = maths.tables;
  uint32_t bits = floatBits(*value);
  if ((bits & 0x7FFFFFFFu) == 0) return 0.0f;
  if (!tables.sqrtOdd) return std::sqrt(*value);
  uint32_t rounded = bits + 2048;  // round to the table step
  uint32_t index = (rounded >> 12) & 0x7FF;
  const uint32_t* table = (rounded & 0x00800000u) ? tables.sqrtOdd : tables.sqrtEven;
  return std::bit_cast<float>(((rounded & 0x7F800000u) >> 1) + table[index]);
}

uint32_t RwFixedSqrt(uint32_t value) {
  RwMathTables& tables = maths.tables;
  if (value == 0) return 0;
  if (!tables.fixedSqrt) return static_cast<uint32_t>(std::sqrt(static_cast<double>(value)) * 256.0);
  // Normalise by an even shift so that the top two bits are not both zero.
  int shift = 0;
  for (int step : {16, 8, 4, 2}) {
    uint32_t topMask = ~0u << (32 - step);
    if ((value & topMask) == 0) {
      value <<= step;
      shift += step;
    }
  }
  uint32_t index = (value - (1u << 30) + (1u << 19)) >> 20;
  int half = shift / 2;
  uint32_t rounding = half > 0 ? 1u << (half - 1) : 0;
  return (tables.fixedSqrt[index] + rounding) >> half;
}

RwMathsState& rwMathsState() { return maths; }
