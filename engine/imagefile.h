// engine/imagefile.h -- reading image files into rasters.
//
// Owns: finding an image along the shape search path, decoding Windows BMP
// (1, 4, 8 and 24 bits, uncompressed or 8-bit run-length, bottom-up or
// top-down) and the raster file format into an 8-bit palettised or 24-bit
// RGB raster, resampling it to the texture size, and handing it to the
// device's convert image slot. It also lends its row converter to the
// device's read bitmap slot.
// It does not own the raster records (engine/rasters.h), the conversion to
// the device format (the device's), nor textures (engine/texture.h).
//
// A file is never trusted: sizes are checked against what the file holds
// before anything is allocated, and a failed read leaves no raster behind.
#ifndef LUMENFOLD_ENGINE_IMAGEFILE_H
#define LUMENFOLD_ENGINE_IMAGEFILE_H

#include <cstdint>
#include <cstdio>

#include "engine/texture.h"

struct RwRaster;

// Decode bits of the row routines.
constexpr intptr_t rwDecodeResample = 1;  // resample to 128 x 128k, 24 bits
constexpr intptr_t rwDecodeBottomUp = 2;  // the file's first row is the bottom row
constexpr intptr_t rwDecodeSwap = 4;      // swap the first and third byte of 24/32-bit pixels

// The largest width or height an image may declare, and the most texture
// frames a resampled strip may have: beyond them a header is taken as forged.
constexpr int32_t rwImageMaxSide = 16384;
// The most pixels an image may declare (4096 x 4096): a forged header of a
// few bytes must not make the reader decode and resample a huge picture.
constexpr int64_t rwImageMaxPixels = int64_t{4096} * 4096;
constexpr int32_t rwImageMaxFrames = 256;

/*
 * RwReadImage --
 *   Reads the named image (tried unchanged, then with ".ras", ".tex",
 *   ".env", ".bmp", ".rle" when the name holds no dot) with the texture
 *   flags of engine/texture.h; "for texture" asks for a plain-copy
 *   conversion.
 * Results:
 *   The device raster; with flag 8 (and not 16) and no "for texture", the
 *   decoded 8- or 24-bit raster itself. Null with error 1 (null name), 60
 *   (flags), 14 (not found), 3, 10 or 69 (decoding).
 */
RwRaster* RwReadImage(const char* name, intptr_t flags, intptr_t forTexture);
// RwReadImage with the texture flag rules; error 82 when the result is not
// at the device's depth.
RwRaster* RwReadTextureWithFlags(const char* name, intptr_t flags);
// A mask image: resampled, converted at the device depth (error 82).
RwRaster* RwReadRasterTexture(const char* name);

// Decode an open file into an empty raster whose colour map is allocated;
// (width << 16) | height, or 0 (with the error set on a failed read).
intptr_t RwReadBMP(std::FILE* file, RwRaster* raster, intptr_t decodeBits);
intptr_t RwReadRasFile(std::FILE* file, RwRaster* raster, intptr_t decodeBits);

// What resampling to 128 x 128k carries from one row of an image to the next
// (16.16 fixed point unless said): a reader keeps one for each image it
// reads and hands it over with every row.
struct RwImageResampler {
  int64_t horizontalStep = 0;  // source pixels per texel
  int64_t verticalStep = 0;    // output rows per source row
  int64_t scale = 0;           // normalises a texel's weighted sum (32.32)
  int64_t openRow = -1;        // output row being accumulated, or -1
  int64_t columnSums[rwTextureSide * 3] = {};
  int64_t pending[rwTextureSide * 3] = {};
};

/*
 * RwAddImageRow --
 *   Turns one file row (fileDepth 1, 4, 8, 24 or 32 bits; 1- to 8-bit
 *   pixels index the raster's colour map) into the raster's depth and
 *   stores it as row rowIndex of an image of width x height. The first row
 *   (index 0) sizes the raster; a resampled image is written as its output
 *   rows complete, and the last row writes what is pending; the resampler
 *   carries that work between the rows of one image.
 *   The row buffer must hold max(file row bytes, width x 3) bytes: it is
 *   expanded in place.
 * Results:
 *   1, or 0 with error 3 when the pixel block cannot be allocated.
 */
int RwAddImageRow(uint8_t* row, int32_t width, int32_t height, int32_t rowIndex, int32_t fileDepth, RwRaster* raster,
                  intptr_t decodeBits, RwImageResampler* resampler);
// Bytes a row buffer needs for a row of width pixels at fileDepth.
size_t RwImageRowBufferSize(int32_t width, int32_t fileDepth);

#endif
