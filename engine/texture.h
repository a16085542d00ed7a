// engine/texture.h -- textures: named device-format rasters of 128 x 128
// texel frames that materials paint onto polygons.
//
// Owns: the pool "texturelist" and the texture records, reading textures by
// name into the top texture dictionary (engine/texdict.h), masks, frames,
// the library-wide texture flags and their settings, and the texture
// coordinates of clump vertices. It provides `rwModellingTextureLinks` so
// the script reader can name textures.
// It does not own decoding image files (engine/imagefile.h), the conversion
// to the device format (the device's convert image slot) nor the materials
// (engine/material.h), which only hold a counted reference.
//
// The textured rasterisers see a texture only as the `texels` of the frame
// in force (engine/rasterfeed.h): 128 texels per row, 128 rows per frame,
// texel value 0 transparent.
#ifndef LUMENFOLD_ENGINE_TEXTURE_H
#define LUMENFOLD_ENGINE_TEXTURE_H

#include <cstdint>

struct RwClump;
struct RwPolygon;
struct RwRaster;
struct RwTextureDictionary;

struct RwTexture {
  RwTextureDictionary* dictionary;  // the dictionary listing it, or null
  uint8_t* texels;                  // first texel of the current frame
  intptr_t frameCount;              // raster height / 128
  intptr_t currentFrame;
  intptr_t frameStep;               // 1
  RwRaster* raster;                 // device format; this texture is its owner
  // One for being alive (until destroyed or replaced) plus one per material
  // that refers to it: a destroyed texture lives on, out of every
  // dictionary, until its last material lets go.
  intptr_t references;
};

constexpr intptr_t rwTextureSide = 128;                   // texels per row and rows per frame
constexpr intptr_t rwTexelsPerFrame = rwTextureSide * rwTextureSide;

// The library-wide texture flags (the image reader's flags).
constexpr intptr_t rwTextureDitherAuto = 1;
constexpr intptr_t rwTextureDitherAlways = 2;
constexpr intptr_t rwTextureResample = 4;
constexpr intptr_t rwTexturePalettised = 8;
constexpr intptr_t rwTextureGamma = 16;
constexpr intptr_t rwTextureIndexRemap = 32;
constexpr intptr_t rwTextureDefaultFlags = 21;

// Always reads the file and enters the texture in the top dictionary under its
// base name, replacing (and destroying) a texture of that name.
RwTexture* RwReadNamedTexture(const char* name);
// The texture of that base name (case ignored), or null without an error.
RwTexture* RwFindNamedTexture(const char* name);
// The dictionary's texture of that base name, else read as RwReadNamedTexture.
RwTexture* RwGetNamedTexture(const char* name);
// Takes the texture out of its dictionary and destroys it with its raster (at
// once, or when its last material lets go). 1, or 0 when the dictionary did
// not list it or the raster could not be destroyed.
int RwDestroyTexture(RwTexture* texture);

RwTexture* RwSetTextureRaster(RwTexture* texture, RwRaster* raster);
// Dark mask pixels clear the texels under them in every frame; the caller
// keeps the mask. Error 62 when the sizes differ.
RwTexture* RwSetTextureMask(RwTexture* texture, RwRaster* mask);
RwTexture* RwSetTextureFrame(RwTexture* texture, intptr_t frame);
RwTexture* RwTextureNextFrame(RwTexture* texture);

// u, v in 0 .. 32.0, moved 1/256 inwards; index 1 .. vertex count.
int RwSetVertexTextureCoords(RwClump* clump, intptr_t index, float u, float v);
// Pairs u, v for the polygon's vertices in order.
RwPolygon* RwSetPolygonTextureCoords(RwPolygon* polygon, const float* pairs);

// Settings on the texture flags; setters return 1, or 0 with the error set.
int RwSetTextureDithering(intptr_t mode);       // 1 on, 2 off, 3 auto
intptr_t RwGetTextureDithering();
int RwSetTextureGammaCorrection(intptr_t mode); // 1 off, 2 on
intptr_t RwGetTextureGammaCorrection();
int RwSetTexturePaletteMode(intptr_t mode);     // 1 palettised, 2 converted
intptr_t RwGetTexturePaletteMode();
int RwSetTextureIndexRemap(intptr_t mode);      // 1 off, 2 on
intptr_t RwGetTextureIndexRemap();
// The raw flag word (the image reader's flags).
intptr_t RwGetTextureFlags();

// A material's counted reference: a texture is never freed while a material
// refers to it. Both accept null; a release after the module closed is a no-op.
void RwAddTextureReference(RwTexture* texture);
void RwReleaseTextureReference(RwTexture* texture);

int RwOpenTextureModule();
// Destroys every texture (and its raster), the dictionaries and the pools.
int RwCloseTextureModule();

#endif
