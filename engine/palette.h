// engine/palette.h -- the engine palette, the gamma tables and the nearest
// palette colour.
//
// Owns: the 256 palette colours the 8-bit software device draws with (red,
// green and blue arrays; entries 0..9 and 231..255 from the system palette,
// 10..230 the engine's ten ramps), the conversion from hue, saturation and
// value, the two gamma tables (the first linearises, the second encodes),
// and the palette octree that answers the nearest palette index for the
// whole engine (device word 50; the shade and ramp tables are built with
// it). The octree refines itself lazily where colours are looked up.
// It does not own the platform's logical palette (engine/windevice.h) nor
// image conversion.
#ifndef LUMENFOLD_ENGINE_PALETTE_H
#define LUMENFOLD_ENGINE_PALETTE_H

#include <cstdint>

struct RwPalette {
  uint8_t red[256];
  uint8_t green[256];
  uint8_t blue[256];
};
const RwPalette& RwGetPalette();
// Sets entry `index` (0..255) to the colour bytes red, green, blue; the
// gamma, shade and ramp tables are the caller's to rebuild.
void RwSetPaletteColour(int index, const uint8_t* rgb);

// Entries that the engine sets and that the octree may answer.
constexpr int rwFirstEnginePaletteEntry = 10;
constexpr int rwLastUsablePaletteEntry = 245;

// Bytes of the colour of hue h, saturation s, value v (all 0..1): a hue
// below 0 counts as 0 and above 1 as 1; hue 1 (sector 6) writes nothing.
void RwHsvToRgb(float hue, float saturation, float value, uint8_t* rgb);

// Writes the engine's 221 colours into entries 10..230: ten ramps of 23
// colours (17 rising in value, 6 whitening), through the encoding table.
void RwBuildEnginePalette();

/*
 * RwBuildGammaTables --
 *   Builds both tables from the device gamma value (entry 0 = 0; entry n of
 *   the first = trunc(255 (n/255)^g + 0.5), of the second the same with
 *   1/g), then rebuilds the octree from the usable palette entries whose
 *   linearised colours differ from every earlier one.
 */
void RwBuildGammaTables();
const uint8_t* RwGammaTable();   // linearising
const uint8_t* RwGammaTable2();  // encoding
void RwApplyGammaRGB(uint8_t* rgb);
void RwApplyGammaRGB2(uint8_t* rgb);

// Replaces the octree by one whose root holds the list (a copy is kept).
// Count below 1 or no list: no tree, result 1; otherwise 0.
int buildPaletteOctree(int count, const uint8_t* indices);
// The palette index nearest (squared RGB distance to the linearised palette
// colours; earlier candidates win ties) to the linear colour bytes; -1 when
// there is no tree.
int findNearestPaletteIndex(const uint8_t* rgb);
void RwFreePaletteOctree();
// Device word 50: the colour words (bytes 0..255 each) as above.
intptr_t RwFindNearestPaletteIndexSlot(const intptr_t* rgb);

#endif
