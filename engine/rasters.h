// engine/rasters.h -- raster records.
//
// Owns: the pool "rasterlist" and the raster records made from it, with
// their pixel blocks. A raster used by a texture or a camera is owned by it
// and cannot be destroyed until released.
// It does not own filling rasters from images (the devices' convert and
// read-bitmap slots, engine/device.h) nor the textures (engine/texture.h).
#ifndef LUMENFOLD_ENGINE_RASTERS_H
#define LUMENFOLD_ENGINE_RASTERS_H

#include <cstdint>

struct RwTexture;

struct RwRaster {
  uint8_t* pixels;      // height x stride bytes, top row first; null when a row is empty
  int32_t width;
  int32_t height;
  int32_t depth;        // bits per pixel
  int32_t stride;       // ((depth x width + 7) / 8) rounded up to a multiple of 4
  uint8_t* colourMap;   // 256 x {red, green, blue} while an image is decoded
  RwTexture* owner;     // the texture using the raster, or null
};

// A raster with zeroed pixels, or null with error 3.
RwRaster* RwCreateRaster(intptr_t width, intptr_t height, intptr_t depth);
// 1, or 0 with error 1 (null) or 66 (owned). Calls the device's raster
// release hook when it is set.
int RwDestroyRaster(RwRaster* raster);
// The height, or -1 with error 1.
intptr_t RwGetRasterHeight(const RwRaster* raster);

int RwOpenRasterModule();
int RwCloseRasterModule();

#endif
