// engine/mathtables.h -- the fast maths tables and the table square roots.
//
// Owns: the tables that the library open builds once and the close frees:
// square-root mantissas for floats and for 16.16 values, the bit-length
// tables, and the logarithm and exponential tables that the rasterisers'
// span loops read. It does not own any caller's data.
#ifndef LUMENFOLD_ENGINE_MATHTABLES_H
#define LUMENFOLD_ENGINE_MATHTABLES_H

#include <array>
#include <bit>
#include <cstdint>

#include "engine/raster/rasterapi.h"

// Square-root mantissa tables, one 16384-byte block: entry j of the first is
// bits(sqrt(1 + j/2048)) - 0x1FC00000, entry j of the second
// bits(sqrt(2 + j/1024)) - 0x20000000 (single precision bit patterns).
constexpr int rwSqrtTableEntries = 2048;

// Entry k = sqrt(1 + k/1024), k = 0..3072, as an unsigned value with 23
// fraction bits (1.0 = 0x800000, 2.0 = 0x1000000).
constexpr int rwFixedSqrtTableEntries = 3073;

// The fixed copy: entry n = number of significant bits of n (entry 0 is 0).
inline constexpr auto rwSignificantBitsTable = [] {
  std::array<uint8_t, 256> table{};
  for (unsigned n = 0; n < 256; ++n) table[n] = static_cast<uint8_t>(std::bit_width(n));
  return table;
}();

// The logarithm table and the span loops' pointer to the exponential table
// (rwLogTable, rwSpanExpTable) are declared with what the engine hands the
// rasterisers in engine/raster/rasterapi.h; the open below fills them.
// RwGetMathTables().exp is the engine's pointer to the same exponential
// table.

// The tables the open builds; every pointer is null while the library is closed.
struct RwMathTables {
  uint32_t* sqrtOdd;     // the square-root block; exponent bit 23 set: roots of 1..2
  uint32_t* sqrtEven;    // exponent bit 23 clear: roots of 2..4
  uint32_t* fixedSqrt;   // rwFixedSqrtTableEntries entries, as above
  uint8_t* highestBit;   // entry n = index of the highest set bit of n; entry 0 is 255 (that is -1)
  uint32_t* exp;         // indexed rwExpTableFirst..rwExpTableLast
};
const RwMathTables& RwGetMathTables();

// Builds every table: 1, or 0 with error 3 when an allocation fails.
int RwOpenMathsTables();
// Frees every table and clears the pointers; returns 1.
int RwCloseMathsTables();

// Square root by table, about 12 significant bits. Zero gives zero; negative
// inputs are not handled. Before the tables are built the root is exact.
float RwSqrt(const float* value);
// Square root of an unsigned 16.16 value, in 16.16.
uint32_t RwFixedSqrt(uint32_t value);

#endif
