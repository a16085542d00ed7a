// engine/imageconvert.cpp -- images converted to the device's texel format.
#include "engine/imageconvert.h"

#include <algorithm>
#include <vector>

#include "engine/device.h"
#include "engine/error.h"
#include "engine/palette.h"
#include "engine/rasters.h"

namespace {

bool convertible(const RwRaster* image) {
  if (!image || !image->pixels) return false;
  return image->depth == 24 || (image->depth == 8 && image->colourMap);
}

// Red, green and blue bytes of pixel x of a source row.
const uint8_t* sourceColour(const RwRaster* image, const uint8_t* row, intptr_t x) {
  return image->depth == 8 ? image->colourMap + 3 * row[x] : row + 3 * x;
}

RwRaster* newRaster(const RwRaster* image, intptr_t depth) { return RwCreateRaster(image->width, image->height, depth); }

// A nearest index of -1 (no octree) is written as 255.
uint8_t nearestIndex(const uint8_t* rgb) { return static_cast<uint8_t>(findNearestPaletteIndex(rgb) & 0xFF); }

void linearise(uint8_t* rgb, bool gamma) {
  if (gamma) RwApplyGammaRGB(rgb);
}

// Each channel rounded up by its half step, held at 255, then its top bits.
template <int greenBits>
uint16_t packedPixel(const uint8_t* rgb) {
  const auto top = [](uint8_t value, int add, int bits) {
    return static_cast<uint32_t>(std::min(value + add, 255)) >> (8 - bits);
  };
  const uint32_t red = top(rgb[0], 4, 5);
  const uint32_t green = top(rgb[1], greenBits == 6 ? 2 : 4, greenBits);
  const uint32_t blue = top(rgb[2], 4, 5);
  const uint32_t pixel = red << (5 + greenBits) | green << 5 | blue;
  return static_cast<uint16_t>(pixel == 0 ? 1 : pixel);  // 0 is the transparent texel
}

template <int greenBits>
RwRaster* convertTo16(RwRaster* image, intptr_t depthRecorded) {
  if (!convertible(image)) return nullptr;
  RwRaster* raster = newRaster(image, 16);
  if (!raster) return nullptr;
  raster->depth = static_cast<int32_t>(depthRecorded);
  for (intptr_t y = 0; y < image->height; ++y) {
    const uint8_t* in = image->pixels + y * image->stride;
    auto* out = reinterpret_cast<uint16_t*>(raster->pixels + y * raster->stride);
    for (intptr_t x = 0; x < image->width; ++x) out[x] = packedPixel<greenBits>(sourceColour(image, in, x));
  }
  return raster;
}

void plainCopy(const RwRaster* image, RwRaster* raster) {
  for (intptr_t y = 0; y < image->height; ++y) {
    const uint8_t* in = image->pixels + y * image->stride;
    uint8_t* out = raster->pixels + y * raster->stride;
    for (intptr_t x = 0; x < image->width; ++x) out[x] = sourceColour(image, in, x)[2];
  }
}

// Depth-8 source without diffusion: each colour-map entry matched once.
void mapThroughColourMap(const RwRaster* image, RwRaster* raster, bool gamma) {
  uint8_t map[256];
  for (int entry = 0; entry < 256; ++entry) {
    uint8_t rgb[3] = {image->colourMap[3 * entry], image->colourMap[3 * entry + 1], image->colourMap[3 * entry + 2]};
    linearise(rgb, gamma);
    map[entry] = nearestIndex(rgb);
  }
  for (intptr_t y = 0; y < image->height; ++y) {
    const uint8_t* in = image->pixels + y * image->stride;
    uint8_t* out = raster->pixels + y * raster->stride;
    for (intptr_t x = 0; x < image->width; ++x) out[x] = map[in[x]];
  }
}

struct ErrorTriple {
  int32_t channel[3];
};

/*
 * diffuse --
 *   Floyd-Steinberg in 8.8, serpentine (even rows left to right). Each
 *   error row has width + 2 entries so that the neighbours of the first and
 *   last columns exist. Without `withErrors` (a 24-bit source without flag
 *   1) it only matches each pixel.
 * Results: false when the error rows cannot be allocated.
 */
bool diffuse(const RwRaster* image, RwRaster* raster, bool withErrors, bool gamma) {
  const intptr_t width = image->width;
  std::vector<ErrorTriple> rows[2];
  try {
    rows[0].assign(static_cast<size_t>(width + 2), ErrorTriple{});
    rows[1].assign(static_cast<size_t>(width + 2), ErrorTriple{});
  } catch (const std::bad_alloc&) {
    return false;
  }
  const uint8_t* linear = RwGammaTable();
  const RwPalette& palette = RwGetPalette();
  for (intptr_t y = 0; y < image->height; ++y) {
    std::vector<ErrorTriple>& here = rows[y & 1];
    std::vector<ErrorTriple>& below = rows[(y + 1) & 1];
    std::fill(below.begin(), below.end(), ErrorTriple{});
    const bool forward = (y & 1) == 0;
    const intptr_t direction = forward ? 1 : -1;
    const uint8_t* in = image->pixels + y * image->stride;
    uint8_t* out = raster->pixels + y * raster->stride;
    int32_t carried[3] = {0, 0, 0};
    for (intptr_t n = 0; n < width; ++n) {
      const intptr_t x = forward ? n : width - 1 - n;
      const uint8_t* colour = sourceColour(image, in, x);
      int32_t wanted[3];
      uint8_t rgb[3];
      for (int c = 0; c < 3; ++c) {
        wanted[c] = colour[c] << 8;
        if (withErrors) wanted[c] += here[x + 1].channel[c] + carried[c];
        wanted[c] = std::clamp(wanted[c], 0, 65535);
        rgb[c] = static_cast<uint8_t>(wanted[c] >> 8);
      }
      linearise(rgb, gamma);
      const uint8_t index = nearestIndex(rgb);
      out[x] = index;
      if (!withErrors) continue;
      const uint8_t chosen[3] = {palette.red[index], palette.green[index], palette.blue[index]};
      for (int c = 0; c < 3; ++c) {
        const int32_t paletteValue = gamma ? linear[chosen[c]] : chosen[c];
        const int32_t e = (wanted[c] - paletteValue * 256) >> 4;
        below[x + 1 - direction].channel[c] += 3 * e;
        below[x + 1].channel[c] += 5 * e;
        below[x + 1 + direction].channel[c] += e;
        carried[c] = 7 * e;
      }
    }
  }
  return true;
}

}  // namespace

RwRaster* RwConvertImageTo8Bit(RwRaster* image, intptr_t flags) {
  if (!convertible(image)) return nullptr;
  RwRaster* raster = newRaster(image, 8);
  if (!raster) return nullptr;
  const bool gamma = (flags & rwConvertGamma) != 0;
  const bool withErrors = (flags & rwConvertDiffuse) != 0;
  if (flags & rwConvertPlainCopy) {
    plainCopy(image, raster);
  } else if (image->depth == 8 && !withErrors) {
    mapThroughColourMap(image, raster, gamma);
  } else if (!diffuse(image, raster, withErrors, gamma)) {
    RwDestroyRaster(raster);
    RwSetError(rwErrOutOfMemory);
    return nullptr;
  }
  return raster;
}

RwRaster* RwConvertImageTo565(RwRaster* image, intptr_t) { return convertTo16<6>(image, 16); }
RwRaster* RwConvertImageTo555(RwRaster* image, intptr_t) { return convertTo16<5>(image, 15); }

RwRaster* RwConvertImage(RwRaster* image, intptr_t flags) {
  switch (rwDeviceRecord.depth) {
    case 8:
      return RwConvertImageTo8Bit(image, flags);
    case 16:
      return RwConvertImageTo565(image, flags);
    case 15:
      return RwConvertImageTo555(image, flags);
    default:
      return nullptr;
  }
}
