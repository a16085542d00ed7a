// engine/texture.h -- the texture record.
//
// Owns: the layout of `RwTexture`, a device-format raster of 128 x 128
// texel frames that materials paint onto polygons.
// It does not own reading textures, their dictionaries, masks or frames;
// materials only hold a pointer and check that a raster is present.
#ifndef LUMENFOLD_ENGINE_TEXTURE_H
#define LUMENFOLD_ENGINE_TEXTURE_H

#include <cstdint>

struct RwRaster;
struct RwTextureDictionary;

struct RwTexture {
  RwTextureDictionary* dictionary;  // the dictionary listing it, or null
  uint8_t* texels;                  // first texel of the current frame
  intptr_t frameCount;              // raster height / 128
  intptr_t currentFrame;
  intptr_t frameStep;               // 1
  RwRaster* raster;                 // device format; this texture is its owner
};

#endif
