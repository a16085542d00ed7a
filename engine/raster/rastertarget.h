// engine/raster/rastertarget.h -- what every software draw routine reads.
//
// Owns: the render-target state that the device sets when a camera begins to
// render (viewport row addresses, strides, z-buffer origin, dither start
// entries, viewport limits, the texture-mode mask and the tables in force),
// the ordered-dither tables, the slope table's layout and its filling, the
// shared span-parameter block through which a triangle hands a trapezoid to
// its span loop, and the arithmetic of the triangle set-up.
// It does not own the memory it points into: the camera image, the z-buffer
// and the shade and slope tables belong to the device (engine/drawslots.h,
// engine/shadetable.h), which allocates them and fills this record.
//
// Screen coordinates are relative to the camera's viewport: row y of the
// row table is the viewport's row y, and its address is that of the
// viewport's column 0, so the routines never add the viewport origin.
#ifndef LUMENFOLD_ENGINE_RASTER_RASTERTARGET_H
#define LUMENFOLD_ENGINE_RASTER_RASTERTARGET_H

#include <cstdint>

struct RwRasterPolygon;

// A triangle routine: draws triangle (v[0], v[i], v[i + 1]) of the polygon.
typedef void (*RwTriangleRoutine)(const RwRasterPolygon* polygon, intptr_t i);

struct RwRasterTarget {
  uint8_t* const* rowTable;            // one address per viewport row, at column 0
  intptr_t stride;                     // bytes from a colour row to the next
  uint8_t* zBase;                      // z-buffer entry of viewport pixel (0, 0)
  intptr_t zStride;                    // bytes from a z-buffer row to the next
  const uint32_t* ditherColumns;       // DitherColumns + (viewport x AND 7)
  const uint32_t* ditherRows;          // DitherRows + (viewport y AND 7)
  const uint32_t* perspDitherColumns;  // the perspective family's pair, offset alike
  const uint32_t* perspDitherRows;
  int32_t viewportWidth;               // 16.16
  int32_t viewportHeight;              // 16.16
  intptr_t textureModeMask;            // 7 perspective camera, 5 parallel
  const int32_t* slopeTable;           // the dx = 0 row of SlopeTable
  const uint8_t* shadeTable;           // ShadeTable (256-byte aligned)
  const uint8_t* shadeRampTable;       // ShadeRampTable, 8-bit only
  const uint8_t* expandedShadeTable;   // ExpandedShadeTable, 16-bit only (may be null)
  RwTriangleRoutine const* textureModeTable;  // TextureModeTable of the device
};
extern RwRasterTarget rwRasterTarget;

// Ordered dither: 8 words stored twice so that a pointer offset by up to 7
// entries can still be indexed 0..7. Each word follows from the one before
// by d' = d XOR (d >> 6); the dither value of a pixel is d AND 255.
extern const uint32_t DitherColumns[16];
extern const uint32_t DitherRows[16];
extern const uint32_t PerspDitherColumns[16];
extern const uint32_t PerspDitherRows[16];

// SlopeTable: 65 rows of 32 signed words; row r stands for dx = r - 32,
// word d (1..31) = trunc(dx x 65536 / d), the 16.16 slope; word 0 unused.
constexpr int rwSlopeRows = 65;
constexpr int rwSlopeColumns = 32;
constexpr intptr_t rwSlopeTableBytes = rwSlopeRows * rwSlopeColumns * sizeof(int32_t);
// Fills a table of rwSlopeTableBytes; returns its dx = 0 row.
const int32_t* RwFillSlopeTable(int32_t* table);

// One interpolant of the span block: value at the left edge (16.16 depth,
// or 8.8 channels), its step per row and its step per pixel.
struct RwSpanInterpolant {
  int32_t value;
  int32_t rowStep;
  int32_t pixelStep;
};

// The block through which a triangle hands one trapezoid to its span loop;
// the span loop advances it in place. One triangle is drawn at a time.
struct RwSpanParams {
  int32_t leftX;        // 16.16
  int32_t rightX;       // 16.16
  int32_t rightStep;    // 16.16 per row
  int32_t leftStep;     // 16.16 per row
  int32_t rows;         // rows still to draw
  uint8_t* colourRow;   // current colour row (viewport column 0)
  intptr_t colourStride;
  uint8_t* zRow;        // current z-buffer row (z variants)
  intptr_t zStride;
  uint32_t ditherRow;   // dither row word
  int32_t opacity;      // stipple variants: 0..255
  uint32_t flatColour;  // 16-bit pixel or palette index
  const uint8_t* texels;            // textured: the current 128 x 128 texel block
  const uint8_t* shadeBlock;        // 8-bit Gouraud: the material's ramp row
  const uint8_t* shadeRows[3];      // textured flat: ShadeTable rows of red, green, blue
  RwSpanInterpolant first;   // 15/16-bit: red (high) and green (low) 8.8; 8-bit: the level 8.8
  RwSpanInterpolant second;  // 15/16-bit: blue 8.8
  RwSpanInterpolant third;   // textured: packed texture coordinates (see textured.h)
  RwSpanInterpolant depth;   // 16.16, depth in the integer part
};
extern RwSpanParams SpanParams;

// ---- triangle set-up arithmetic (shared by every family)

// Integer pixel of a 16.16 screen coordinate, as a signed 16-bit number.
inline int32_t RwScreenPixel(int32_t fixed) { return static_cast<int16_t>(static_cast<uint32_t>(fixed) >> 16); }

// trunc(dx x 65536 / dy) for dy > 0: a shift for dy 1 and 2, the slope
// table for short edges, a division otherwise.
int32_t RwEdgeSlope(int32_t dx, int32_t dy);

// Step of an interpolant from a to b over n rows or columns: b - a when
// they are equal or n is 1, (b - a) >> 1 for n = 2, else trunc((b - a) / n).
int32_t RwInterpolantStep(int32_t a, int32_t b, int32_t n);

// 32-bit wrapping addition, as the span loops' registers add.
inline int32_t RwWrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// Texture-mode entry of a textured draw routine whose block starts at
// blockStart: texture modes AND the mask in force, and AND 3 in the blocks
// of four (entries 0..23), where the filter bit is ignored.
constexpr intptr_t rwFirstEightEntryBlock = 24;
inline intptr_t RwTextureModeEntry(intptr_t blockStart, intptr_t textureModes) {
  intptr_t index = textureModes & rwRasterTarget.textureModeMask;
  if (blockStart < rwFirstEightEntryBlock) index &= 3;
  return blockStart + index;
}

// Shade level of a 16.16 intensity: its integer part, clamped to 0..31 so
// that no lookup leaves its table row.
inline int32_t RwShadeLevel(int32_t intensity) {
  const int32_t level = intensity >> 16;
  return level < 0 ? 0 : (level > 31 ? 31 : level);
}

#endif
