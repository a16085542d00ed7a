// engine/imageconvert.h -- images converted to the device's texel format.
//
// Owns: device word 11 of the software devices (convert image): an 8-bit
// palettised or 24-bit RGB image becomes a new raster of the same size in
// the device format the textured routines read -- palette indices of the
// engine palette at depth 8 (mapped, error-diffused or copied), 5:6:5 at
// depth 16 and 5:5:5 at depth 15, in which 0, the transparent texel, never
// appears as a colour.
// It does not own the palette, the gamma tables or the nearest-colour
// search (engine/palette.h), nor reading images (engine/rasters.h).
#ifndef LUMENFOLD_ENGINE_IMAGECONVERT_H
#define LUMENFOLD_ENGINE_IMAGECONVERT_H

#include <cstdint>

struct RwRaster;

// Flags of the 8-bit conversion.
constexpr intptr_t rwConvertDiffuse = 1;    // Floyd-Steinberg, serpentine
constexpr intptr_t rwConvertGamma = 2;      // linearise source colours first
constexpr intptr_t rwConvertPlainCopy = 4;  // third colour byte as the index; overrides

/*
 * RwConvertImage --
 *   Device word 11: by the device depth, RwConvertImageTo8Bit (8),
 *   RwConvertImageTo565 (16) or RwConvertImageTo555 (15).
 * Results:
 *   A new raster the caller owns, or null: other depths, an image that is
 *   not 8- or 24-bit or has no pixels, or no memory (error 3).
 */
RwRaster* RwConvertImage(RwRaster* image, intptr_t flags);
RwRaster* RwConvertImageTo8Bit(RwRaster* image, intptr_t flags);
// Two bytes a pixel; the 5:5:5 raster records depth 15.
RwRaster* RwConvertImageTo565(RwRaster* image, intptr_t flags);
RwRaster* RwConvertImageTo555(RwRaster* image, intptr_t flags);

#endif
