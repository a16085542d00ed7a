// engine/imagefile.cpp -- finding an image, choosing its conversion, and the
// row converter shared by both file formats and the device's bitmap reader.
#include "engine/imagefile.h"

#include <algorithm>
#include <cstring>

#include "engine/device.h"
#include "engine/error.h"
#include "engine/library.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "engine/shapepath.h"
#include "engine/texture.h"
#include "engine/path.h"

namespace {

constexpr intptr_t knownFlags = 63;
constexpr const char* imageExtensions[] = {".ras", ".tex", ".env", ".bmp", ".rle"};
constexpr size_t colourMapBytes = 256 * 3;
constexpr uint8_t rasMagic[4] = {0x59, 0xA6, 0x6A, 0x95};
// Conversion flags of the device's convert image slot.
constexpr intptr_t convertDither = 1;
constexpr intptr_t convertGamma = 2;
constexpr intptr_t convertPlainCopy = 4;
constexpr intptr_t paletteTransparentRequest = 6;
constexpr intptr_t paletteFirstFreeRequest = 7;

// ---- finding the file

const char* findImage(const char* name) {
  const char* found = RwFindFile(name);
  char withExtension[rwShapePathSize];
  for (const char* extension : imageExtensions) {
    if (found) break;
    if (RwAddExtension(name, extension, withExtension, sizeof withExtension)) found = RwFindFile(withExtension);
  }
  return found;
}

// ---- resampling to 128 x 128k by area averaging (16.16 fixed point)

int64_t overlap(int64_t aStart, int64_t aEnd, int64_t bStart, int64_t bEnd) {
  return std::max<int64_t>(0, std::min(aEnd, bEnd) - std::max(aStart, bStart));
}

// Each texel sums its source pixels weighted by the covered part of each.
void sumColumns(const uint8_t* row, int32_t width, RwImageResampler& resampler) {
  const int64_t rowEnd = int64_t{width} << 16;
  for (intptr_t texel = 0; texel < rwTextureSide; ++texel) {
    int64_t start = texel * resampler.horizontalStep;
    int64_t end = texel == rwTextureSide - 1 ? rowEnd : start + resampler.horizontalStep;
    int64_t sums[3] = {};
    for (int64_t x = start >> 16; x < width && (x << 16) < end; ++x) {
      int64_t weight = overlap(start, end, x << 16, (x + 1) << 16);
      for (int c = 0; c < 3; ++c) sums[c] += row[x * 3 + c] * weight;
    }
    for (int c = 0; c < 3; ++c) resampler.columnSums[texel * 3 + c] = sums[c];
  }
}

void RwWriteScaledRow(RwRaster* raster, int64_t outputRow, intptr_t decodeBits, RwImageResampler& resampler) {
  int64_t target = (decodeBits & rwDecodeBottomUp) ? raster->height - 1 - outputRow : outputRow;
  uint8_t* out = raster->pixels + target * raster->stride;
  for (intptr_t i = 0; i < rwTextureSide * 3; ++i) {
    // Full 64-bit precision: pre-shifting the sum by 8 bits would leave an
    // enlarged image with 16 levels per channel.
    int64_t value = (resampler.pending[i] * resampler.scale + (int64_t{1} << 47)) >> 48;
    out[i] = static_cast<uint8_t>(std::min<int64_t>(value, 255));
  }
  std::memset(resampler.pending, 0, sizeof resampler.pending);
  resampler.openRow = -1;
}

void startResampling(RwRaster* raster, int32_t width, int32_t height, RwImageResampler& resampler) {
  int32_t frames = (height % width == 0 && height / width >= 2) ? height / width : 1;
  resampler = {};
  resampler.horizontalStep = (int64_t{width} << 16) / rwTextureSide;
  resampler.verticalStep = (int64_t{frames} * rwTextureSide << 16) / height;
  resampler.scale = (((int64_t{rwTextureSide} << 32) / width) * resampler.verticalStep) >> 16;
  raster->width = rwTextureSide;
  raster->height = static_cast<int32_t>(frames * rwTextureSide);
  raster->depth = 24;
  raster->stride = rwTextureSide * 3;
}

void resampleRow(const uint8_t* row, int32_t width, int32_t height, int32_t rowIndex, RwRaster* raster,
                 intptr_t decodeBits, RwImageResampler& resampler) {
  sumColumns(row, width, resampler);
  int64_t start = rowIndex * resampler.verticalStep;
  int64_t end = rowIndex == height - 1 ? int64_t{raster->height} << 16 : start + resampler.verticalStep;
  for (int64_t output = start >> 16; output < raster->height && (output << 16) < end; ++output) {
    if (resampler.openRow != output && resampler.openRow >= 0)
      RwWriteScaledRow(raster, resampler.openRow, decodeBits, resampler);
    resampler.openRow = output;
    // The part of the source row inside this output row, in source rows.
    int64_t weight = (overlap(start, end, output << 16, (output + 1) << 16) << 16) / resampler.verticalStep;
    for (intptr_t i = 0; i < rwTextureSide * 3; ++i) resampler.pending[i] += (resampler.columnSums[i] * weight) >> 16;
    if (end >= (output + 1) << 16) RwWriteScaledRow(raster, output, decodeBits, resampler);
  }
  if (rowIndex == height - 1 && resampler.openRow >= 0)
    RwWriteScaledRow(raster, resampler.openRow, decodeBits, resampler);
}

// ---- rows

bool allocatePixels(RwRaster* raster) {
  size_t bytes = static_cast<size_t>(raster->stride) * static_cast<size_t>(raster->height);
  raster->pixels = static_cast<uint8_t*>(RwEngineAlloc(bytes));
  if (raster->pixels) return true;
  RwSetError(rwErrOutOfMemory);
  return false;
}

int RwStoreImageRow(const uint8_t* row, int32_t width, int32_t height, int32_t rowIndex, RwRaster* raster,
                    intptr_t decodeBits, RwImageResampler& resampler) {
  if (decodeBits & rwDecodeResample) {
    if (rowIndex == 0) {
      startResampling(raster, width, height, resampler);
      if (!allocatePixels(raster)) return 0;
    }
    resampleRow(row, width, height, rowIndex, raster, decodeBits, resampler);
    return 1;
  }
  if (rowIndex == 0) {
    raster->width = width;
    raster->height = height;
    raster->stride = static_cast<int32_t>(((int64_t{raster->depth} * width) / 8 + 3) & ~int64_t{3});
    if (!allocatePixels(raster)) return 0;
  }
  int64_t target = (decodeBits & rwDecodeBottomUp) ? height - 1 - rowIndex : rowIndex;
  std::memcpy(raster->pixels + target * raster->stride, row, static_cast<size_t>(width) * raster->depth / 8);
  return 1;
}

uint8_t pixelIndex(const uint8_t* row, int32_t x, int32_t fileDepth) {
  switch (fileDepth) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
    default: return row[x];
  }
}

// Works from the end backwards: every pixel is written at or after the place
// it was read from, so the row converts in place.
void RwExpandImageRow(uint8_t* row, int32_t width, int32_t fileDepth, RwRaster* raster, intptr_t decodeBits) {
  if (raster->depth == 8) {
    if (fileDepth == 8) return;
    for (int32_t x = width - 1; x >= 0; --x) row[x] = pixelIndex(row, x, fileDepth);
    return;
  }
  if (fileDepth <= 8) {
    for (int32_t x = width - 1; x >= 0; --x) std::memcpy(row + x * 3, raster->colourMap + pixelIndex(row, x, fileDepth) * 3, 3);
    return;
  }
  if (fileDepth == 32) {
    for (int32_t x = 0; x < width; ++x) std::memmove(row + x * 3, row + x * 4 + 1, 3);
  }
  if (decodeBits & rwDecodeSwap) {
    for (int32_t x = 0; x < width; ++x) std::swap(row[x * 3], row[x * 3 + 2]);
  }
}

// ---- after decoding

void movePaletteIndices(RwRaster* raster) {
  int32_t transparent = 0, firstFree = 0;
  RwDeviceControl(paletteTransparentRequest, &transparent, sizeof transparent);
  RwDeviceControl(paletteFirstFreeRequest, &firstFree, sizeof firstFree);
  for (int64_t y = 0; y < raster->height; ++y) {
    uint8_t* row = raster->pixels + y * raster->stride;
    for (int32_t x = 0; x < raster->width; ++x) {
      row[x] = static_cast<uint8_t>(row[x] == 255 ? transparent : row[x] + firstFree + 1);
    }
  }
}

intptr_t conversionFlags(intptr_t flags, intptr_t forTexture, intptr_t decoded, const RwRaster* raster) {
  if (forTexture) return convertPlainCopy;
  intptr_t result = (flags & rwTextureGamma) ? convertGamma : 0;
  int32_t width = static_cast<int32_t>(decoded >> 16), height = static_cast<int32_t>(decoded & 0xFFFF);
  bool scaled = (flags & rwTextureResample) &&
                (width > rwTextureSide || (height > rwTextureSide && height % rwTextureSide != 0));
  bool dither = (flags & rwTextureDitherAuto) ? (scaled || raster->depth == 24) : (flags & rwTextureDitherAlways) != 0;
  return result | (dither ? convertDither : 0);
}

void discard(RwRaster* raster) {
  raster->owner = nullptr;
  RwDestroyRaster(raster);
}

intptr_t decodeFile(std::FILE* file, RwRaster* raster, intptr_t flags) {
  uint8_t magic[4] = {};
  size_t got = std::fread(magic, 1, sizeof magic, file);
  std::rewind(file);
  intptr_t resample = (flags & rwTextureResample) ? rwDecodeResample : 0;
  if (got >= 2 && magic[0] == 'B' && magic[1] == 'M') return RwReadBMP(file, raster, resample | rwDecodeBottomUp);
  if (got == 4 && std::memcmp(magic, rasMagic, 4) == 0) return RwReadRasFile(file, raster, resample | rwDecodeSwap);
  return 0;
}

}  // namespace

size_t RwImageRowBufferSize(int32_t width, int32_t fileDepth) {
  size_t fileRow = (static_cast<size_t>(width) * fileDepth + 31) / 32 * 4;
  size_t expanded = ((static_cast<size_t>(width) + 7) & ~size_t{7}) * 3;
  return std::max(fileRow, expanded);
}

int RwAddImageRow(uint8_t* row, int32_t width, int32_t height, int32_t rowIndex, int32_t fileDepth, RwRaster* raster,
                  intptr_t decodeBits, RwImageResampler* resampler) {
  if (rowIndex == 0) raster->depth = (fileDepth <= 8 && !(decodeBits & rwDecodeResample)) ? 8 : 24;
  RwExpandImageRow(row, width, fileDepth, raster, decodeBits);
  return RwStoreImageRow(row, width, height, rowIndex, raster, decodeBits, *resampler);
}

RwRaster* RwReadImage(const char* name, intptr_t flags, intptr_t forTexture) {
  if (!name) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  if ((flags & ~knownFlags) || (flags & 3) == 3) {
    RwSetError(rwErrTextureFlags);
    return nullptr;
  }
  const char* path = findImage(name);
  std::FILE* file = path ? RwOpenRegularFile(path, "rb") : nullptr;
  if (!file) {
    RwSetError(rwErrFileOpen);
    return nullptr;
  }
  RwRaster* raster = RwCreateRaster(0, 0, 0);
  if (raster) raster->colourMap = static_cast<uint8_t*>(RwEngineAlloc(colourMapBytes));
  if (!raster || !raster->colourMap) {
    std::fclose(file);
    if (raster) discard(raster);
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  intptr_t decoded = decodeFile(file, raster, flags);
  std::fclose(file);
  if (!decoded || !raster->pixels) {
    discard(raster);
    return nullptr;
  }
  if (!forTexture && (flags & rwTexturePalettised) && !(flags & rwTextureGamma)) {
    RwEngineFree(raster->colourMap);
    raster->colourMap = nullptr;
    if ((flags & rwTextureIndexRemap) && raster->depth == 8) movePaletteIndices(raster);
    return raster;
  }
  if (!rwDeviceRecord.convertImage) {  // a device that keeps no images, such as the recording one
    discard(raster);
    RwSetError(rwErrTextureRead);
    return nullptr;
  }
  RwRaster* converted = rwDeviceRecord.convertImage(raster, conversionFlags(flags, forTexture, decoded, raster));
  discard(raster);
  return converted;
}

namespace {

RwRaster* atDeviceDepth(RwRaster* raster) {
  if (!raster || raster->depth == rwDeviceRecord.depth) return raster;
  discard(raster);
  RwSetError(rwErrTextureRead);
  return nullptr;
}

}  // namespace

RwRaster* RwReadTextureWithFlags(const char* name, intptr_t flags) {
  if ((flags & rwTextureIndexRemap) && !(flags & rwTexturePalettised)) flags |= rwTexturePalettised;
  if ((flags & rwTexturePalettised) &&
      (flags & (rwTextureDitherAuto | rwTextureDitherAlways | rwTextureResample | rwTextureGamma))) {
    RwSetError(rwErrTextureFlags);
    return nullptr;
  }
  if (rwDeviceRecord.depth != 8) flags &= ~(rwTexturePalettised | rwTextureIndexRemap);
  return atDeviceDepth(RwReadImage(name, flags, 0));
}

RwRaster* RwReadRasterTexture(const char* name) {
  return atDeviceDepth(RwReadImage(name, rwTextureResample | rwTexturePalettised, 1));
}
