// engine/raster/rastertarget.cpp -- render-target state, dither and slope
// tables, and the triangle set-up arithmetic.
#include "engine/raster/rastertarget.h"

RwRasterTarget rwRasterTarget = {};
RwSpanParams SpanParams = {};

const uint32_t DitherColumns[16] = {
    0x08022002, 0x08222882, 0x0802A020, 0x0822AAA0, 0x0802200A, 0x0822288A, 0x0802A028, 0x0822AAA8,
    0x08022002, 0x08222882, 0x0802A020, 0x0822AAA0, 0x0802200A, 0x0822288A, 0x0802A028, 0x0822AAA8,
};
const uint32_t DitherRows[16] = {
    0x0C033003, 0x0C333CC3, 0x0C03F030, 0x0C33FFF0, 0x0C03300F, 0x0C333CCF, 0x0C03F03C, 0x0C33FFFC,
    0x0C033003, 0x0C333CC3, 0x0C03F030, 0x0C33FFF0, 0x0C03300F, 0x0C333CCF, 0x0C03F03C, 0x0C33FFFC,
};
const uint32_t PerspDitherColumns[16] = {
    0x080220A8, 0x0822AA02, 0x0802A082, 0x08222820, 0x080220A0, 0x0822AA0A, 0x0802A08A, 0x08222828,
    0x080220A8, 0x0822AA02, 0x0802A082, 0x08222820, 0x080220A0, 0x0822AA0A, 0x0802A08A, 0x08222828,
};
const uint32_t PerspDitherRows[16] = {
    0x0C033003, 0x0C333CC3, 0x0C03F030, 0x0C33FFF0, 0x0C03300F, 0x0C333CCF, 0x0C03F03C, 0x0C33FFFC,
    0x0C033003, 0x0C333CC3, 0x0C03F030, 0x0C33FFF0, 0x0C03300F, 0x0C333CCF, 0x0C03F03C, 0x0C33FFFC,
};

const int32_t* RwFillSlopeTable(int32_t* table) {
  for (int row = 0; row < rwSlopeRows; ++row) {
    const int64_t dx = row - 32;
    table[row * rwSlopeColumns] = 0;
    for (int d = 1; d < rwSlopeColumns; ++d) table[row * rwSlopeColumns + d] = static_cast<int32_t>(dx * 65536 / d);
  }
  return table + 32 * rwSlopeColumns;
}

int32_t RwEdgeSlope(int32_t dx, int32_t dy) {
  if (dy == 1) return static_cast<int32_t>(int64_t{dx} * 65536);
  if (dy == 2) return static_cast<int32_t>(int64_t{dx} * 32768);
  if (dy < 32 && dx > -32 && dx < 32 && rwRasterTarget.slopeTable) return rwRasterTarget.slopeTable[dx * 32 + dy];
  return static_cast<int32_t>(int64_t{dx} * 65536 / dy);
}

int32_t RwInterpolantStep(int32_t a, int32_t b, int32_t n) {
  const int64_t difference = int64_t{b} - a;
  if (difference == 0 || n == 1) return static_cast<int32_t>(difference);
  if (n == 2) return static_cast<int32_t>(difference >> 1);
  return static_cast<int32_t>(difference / n);
}
