// engine/shadetable.h -- the shade and ramp tables of the software device,
// and its colour values.
//
// Owns: ShadeTable (8-bit: 32 levels x 256 palette indices; 15/16-bit: 32
// levels x 32 channel values), ShadeRampTable (8-bit: 145 rows of 32
// palette indices, one per hue and saturation step plus a grey ramp),
// ExpandedShadeTable (16-bit: each channel value x 8, repeated to 256
// bytes), their blocks (each table is used from its first 256-byte
// boundary), and the device colour values of the software device (word 41
// and its inverse, word 42), including the ramp position of a colour.
// It does not own the palette or the nearest-colour search
// (engine/palette.h), which the 8-bit tables are built with.
#ifndef LUMENFOLD_ENGINE_SHADETABLE_H
#define LUMENFOLD_ENGINE_SHADETABLE_H

#include <cstdint>

// The tables of the installed depth, each null while it is not built. The
// rasterisers read them through the render target (engine/raster/rastertarget.h).
struct RwShadeTables {
  const uint8_t* shade;     // ShadeTable
  const uint8_t* ramp;      // ShadeRampTable, 8-bit only
  const uint8_t* expanded;  // ExpandedShadeTable, 16-bit only
};
RwShadeTables RwGetShadeTables();

constexpr intptr_t rwGreyRamp = 4608;  // offset of the grey ramp (row 144)

/*
 * RwAllocShadeTables --
 *   Allocates the blocks for an image depth (8: shade 8448 bytes and ramp
 *   4896 bytes; 15 or 16: shade 1280 bytes). Results: 1, or 0 with error 3
 *   (nothing kept).
 */
int RwAllocShadeTables(intptr_t depth);
// Fills the tables of the depth allocated; the 8-bit ones need the palette
// octree (engine/palette.h).
void RwBuildShadeTables();
void RwFreeShadeTables();
// 1, or 0 with error 3; built from ShadeTable (16-bit form).
int RwBuildExpandedShadeTable();
void RwFreeExpandedShadeTable();

// Ramp-table position of a colour of three 16-bit words.
uintptr_t RwRampPosition(const uint16_t* rgb);

/*
 * RwSoftwareColourValue, RwSoftwareValueColour --
 *   Device words 41 and 42 at an image depth: 16 gives 5:6:5, 15 gives
 *   5:5:5 (each channel's top bits); 8 gives the 5:6:5 colour in the high
 *   half and the ramp position in the low half. The inverse sets each
 *   channel's top bits and leaves the low bits zero.
 */
uintptr_t RwSoftwareColourValue(intptr_t depth, const uint16_t* rgb);
void RwSoftwareValueColour(intptr_t depth, uintptr_t value, uint16_t* rgb);

#endif
