// engine/appearancerecords.h -- what the engine's surfaces are made of:
// materials, textures, texture dictionaries and rasters (private to engine/).
//
// Owns the one record that holds the four modules' pools, live lists and
// stacks. They form one chain of ownership -- a material holds a texture, a
// texture its rasters, a dictionary its textures. The library open opens
// materials, rasters, then textures (which open the dictionaries), and its
// close closes them in the reverse order. The record is defined in
// texture.cpp.
//
// Which module writes which member:
//   materials     material.cpp   the material records and the current-material stack
//   textures      texture.cpp    the texture records, the live ones, the new textures' flags
//   dictionaries  texdict.cpp    the dictionary records and their stack
//   rasters       rasters.cpp    the raster records and the live ones
// It does not own what the records point at (each module frees its own), nor
// the decoding of image files (engine/imagefile.h).
#ifndef LUMENFOLD_ENGINE_APPEARANCERECORDS_H
#define LUMENFOLD_ENGINE_APPEARANCERECORDS_H

#include <cstdint>
#include <unordered_set>

#include "engine/material.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "engine/texdict.h"
#include "engine/texture.h"

struct RwAppearanceRecords {
  // The material module: its records and the current-material stack. Slot 0
  // holds the default material; slots above the top may keep a material from
  // an earlier push for the next one.
  struct MaterialModule {
    RwPool* pool = nullptr;
    RwMaterial** stackSlots = nullptr;
    intptr_t stackCapacity = 0;
    intptr_t stackTop = 0;
  } materials;

  // The texture module: its records, the textures not yet freed (listed or
  // not: the close frees them all, and a material letting go after the close
  // finds nothing to release) and the flags new textures take.
  struct TextureModule {
    RwPool* pool = nullptr;  // "texturelist"
    std::unordered_set<RwTexture*> live;
    intptr_t flags = rwTextureDefaultFlags;
  } textures;

  // The dictionary module: its records and the stack of current dictionaries.
  struct DictionaryModule {
    RwPool* pool = nullptr;  // "texturedictlist"
    RwTextureDictionary** stack = nullptr;
    intptr_t capacity = 0;
    intptr_t depth = 0;
  } dictionaries;

  // The raster module: its records and the ones not yet destroyed, whose pixel
  // blocks the module close frees (they live on the heap, not in the pool's pages).
  struct RasterModule {
    RwPool* pool = nullptr;  // "rasterlist"
    std::unordered_set<RwRaster*> live;
  } rasters;
};

RwAppearanceRecords& rwAppearanceRecords();

#endif
