// engine/texture.cpp -- textures, their frames and masks, the texture flags
// and vertex texture coordinates.
#include "engine/texture.h"

#include <cstring>

#include "engine/appearancerecords.h"
#include "engine/clump.h"
#include "engine/error.h"
#include "engine/imagefile.h"
#include "engine/modelling.h"
#include "engine/path.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "engine/texdict.h"

namespace {

// The materials, textures, dictionaries and rasters (engine/appearancerecords.h).
RwAppearanceRecords appearance;

constexpr size_t baseNameSize = 256;
constexpr float largestCoordinate = 32.0f;

intptr_t bytesPerTexel(intptr_t depth) {
  switch (depth) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    default: return 4;
  }
}

// Frees the record and its raster; 0 when the raster could not be destroyed.
int freeTexture(RwTexture* texture) {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  int result = 1;
  if (texture->raster) {
    texture->raster->owner = nullptr;
    result = RwDestroyRaster(texture->raster);
  }
  textures.live.erase(texture);
  RwFreeRecord(textures.pool, texture);
  return result;
}

// Drops one reference; the last one frees the texture.
int release(RwTexture* texture) {
  return --texture->references > 0 ? 1 : freeTexture(texture);
}

// 1, or 0 when the dictionary that claims the texture does not list it.
int leaveDictionary(RwTexture* texture) {
  RwTextureDictionary* dictionary = texture->dictionary;
  if (!dictionary) return 1;
  texture->dictionary = nullptr;
  intptr_t index = RwTextureEntryIndex(dictionary, texture);
  if (index < 0) return 0;
  RwRemoveTextureEntry(dictionary, index);
  return 1;
}

bool formBaseName(const char* name, char* out) {
  RwBaseName(name, out, baseNameSize);
  if (out[0] != '\0') return true;
  RwSetError(rwErrTextureName);
  return false;
}

RwTexture* newTexture(RwRaster* raster) {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  auto* texture = static_cast<RwTexture*>(RwAllocRecord(textures.pool));
  if (!texture) {
    RwDestroyRaster(raster);
    return failWith<RwTexture>(rwErrOutOfMemory);
  }
  *texture = {nullptr, nullptr, 0, 0, 1, nullptr, 1};
  textures.live.insert(texture);
  RwSetTextureRaster(texture, raster);
  return texture;
}

// Enters the texture under its base name in the top dictionary, destroying
// the texture that held the name there.
RwTexture* enterTexture(RwTexture* texture, const char* baseName) {
  if (texture->dictionary) return failWith<RwTexture>(rwErrAlreadyBound);
  intptr_t index = RwTopEntryNamed(baseName);
  if (index >= 0) {
    RwTextureDictionary* top = RwTopTextureDictionary();
    RwTexture* replaced = top->entries[index].texture;
    top->entries[index].texture = texture;
    replaced->dictionary = nullptr;
    release(replaced);
  } else if (!RwAppendTextureEntry(baseName, texture)) {
    return nullptr;
  }
  texture->dictionary = RwTopTextureDictionary();
  return texture;
}

RwTexture* showFrame(RwTexture* texture, intptr_t frame) {
  texture->currentFrame = frame;
  texture->texels = texture->raster->pixels + frame * rwTexelsPerFrame * bytesPerTexel(texture->raster->depth);
  return texture;
}

bool darkMaskPixel(const uint8_t* pixel, intptr_t depth) {
  if (depth == 8) return pixel[0] < 128;
  if (depth == 15 || depth == 16) return (pixel[0] & 31) < 16;
  return pixel[1] < 128;
}

// Into palettised mode, the settings that need conversion start from the defaults.
void leavePalettised() {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  if (textures.flags & rwTexturePalettised) textures.flags = rwTextureDefaultFlags;
}

int badSetting(int error) {
  RwSetError(error);
  return 0;
}

}  // namespace

RwTexture* RwReadNamedTexture(const char* name) {
  if (!name) return failWith<RwTexture>(rwErrInvalidArgument);
  RwRaster* raster = RwReadTextureWithFlags(name, appearance.textures.flags);
  if (!raster) return nullptr;
  if (raster->width != rwTextureSide || raster->height < rwTextureSide) {
    int error = raster->width != rwTextureSide ? rwErrTextureWidth : rwErrTextureHeight;
    RwDestroyRaster(raster);
    return failWith<RwTexture>(error);
  }
  RwTexture* texture = newTexture(raster);
  char baseName[baseNameSize];
  if (texture && (!formBaseName(name, baseName) || !enterTexture(texture, baseName))) {
    release(texture);
    return nullptr;
  }
  return texture;
}

RwTexture* RwFindNamedTexture(const char* name) {
  if (!name) return failWith<RwTexture>(rwErrInvalidArgument);
  char baseName[baseNameSize];
  if (!formBaseName(name, baseName)) return nullptr;
  return RwLookUpTexture(baseName);
}

RwTexture* RwGetNamedTexture(const char* name) {
  RwTexture* found = RwFindNamedTexture(name);
  return found ? found : RwReadNamedTexture(name);
}

int RwDestroyTexture(RwTexture* texture) {
  if (!texture) return badSetting(rwErrInvalidArgument);
  int listed = leaveDictionary(texture);
  int freed = release(texture);
  return listed && freed;
}

RwTexture* RwSetTextureRaster(RwTexture* texture, RwRaster* raster) {
  if (!texture || !raster) return failWith<RwTexture>(rwErrInvalidArgument);
  if (raster->owner == texture) return texture;
  if (raster->owner) return failWith<RwTexture>(rwErrRasterInUse);
  if (raster->width != rwTextureSide) return failWith<RwTexture>(rwErrTextureWidth);
  if (raster->height < rwTextureSide) return failWith<RwTexture>(rwErrTextureHeight);
  if (texture->raster) {
    texture->raster->owner = nullptr;
    RwDestroyRaster(texture->raster);
  }
  raster->owner = texture;
  texture->raster = raster;
  texture->frameCount = raster->height / rwTextureSide;
  return showFrame(texture, 0);
}

RwTexture* RwSetTextureMask(RwTexture* texture, RwRaster* mask) {
  if (!texture || !mask || !mask->pixels || !texture->raster || !texture->raster->pixels) {
    return failWith<RwTexture>(rwErrInvalidArgument);
  }
  RwRaster* raster = texture->raster;
  if (mask->width != raster->width || mask->height != raster->height) return failWith<RwTexture>(rwErrMaskSize);
  intptr_t maskBytes = bytesPerTexel(mask->depth), texelBytes = bytesPerTexel(raster->depth);
  for (int64_t y = 0; y < raster->height; ++y) {
    const uint8_t* maskRow = mask->pixels + y * mask->stride;
    uint8_t* texelRow = raster->pixels + y * raster->stride;
    for (int32_t x = 0; x < raster->width; ++x) {
      if (darkMaskPixel(maskRow + x * maskBytes, mask->depth)) std::memset(texelRow + x * texelBytes, 0, texelBytes);
    }
  }
  return texture;
}

RwTexture* RwSetTextureFrame(RwTexture* texture, intptr_t frame) {
  if (!texture) return failWith<RwTexture>(rwErrInvalidArgument);
  if (!texture->raster) return failWith<RwTexture>(rwErrNoFrames);
  if (frame < 0 || frame >= texture->frameCount) return failWith<RwTexture>(rwErrTextureFrame);
  return showFrame(texture, frame);
}

RwTexture* RwTextureNextFrame(RwTexture* texture) {
  if (!texture) return failWith<RwTexture>(rwErrInvalidArgument);
  if (!texture->raster) return failWith<RwTexture>(rwErrNoFrames);
  intptr_t frame = (texture->currentFrame + texture->frameStep) % texture->frameCount;
  return RwSetTextureFrame(texture, frame < 0 ? frame + texture->frameCount : frame);
}

// ---- texture coordinates

int RwSetVertexTextureCoords(RwClump* clump, intptr_t index, float u, float v) {
  if (!clump) return badSetting(rwErrInvalidArgument);
  auto outside = [](float c) { return (c < 0.0f) || c > largestCoordinate || c != c; };
  if (outside(u) || outside(v)) return badSetting(rwErrBadCount);
  if (index < 1 || index > RwGetClumpNumVertices(clump)) return badSetting(rwErrVertexIndex);
  auto inwards = [](float c) {
    RwFixed fixed = static_cast<RwFixed>(c * 65536.0f);
    return fixed >= 65536 ? fixed - 256 : fixed + 256;
  };
  RwVertex* vertex = RwVertexAt(clump->vertexArray, index);
  vertex->u = inwards(u);
  vertex->v = inwards(v);
  vertex->flags |= rwVertexUVGiven;
  return 1;
}

RwPolygon* RwSetPolygonTextureCoords(RwPolygon* polygon, const float* pairs) {
  if (!polygon || !pairs) return failWith<RwPolygon>(rwErrInvalidArgument);
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) {
    intptr_t index = RwVertexIndex(polygon->clump->vertexArray, polygon->vertices[i]);
    if (!RwSetVertexTextureCoords(polygon->clump, index, pairs[2 * i], pairs[2 * i + 1])) return nullptr;
  }
  return polygon;
}

// ---- texture flags

int RwSetTextureDithering(intptr_t mode) {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  switch (mode) {
    case 1:
      leavePalettised();
      textures.flags = (textures.flags | rwTextureDitherAlways) & ~rwTextureDitherAuto;
      return 1;
    case 2: textures.flags &= ~(rwTextureDitherAuto | rwTextureDitherAlways); return 1;
    case 3:
      leavePalettised();
      textures.flags = (textures.flags | rwTextureDitherAuto) & ~rwTextureDitherAlways;
      return 1;
    default: return badSetting(rwErrTextureOption);
  }
}

intptr_t RwGetTextureDithering() {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  if (textures.flags & rwTextureDitherAuto) return (textures.flags & rwTextureDitherAlways) ? 0 : 3;
  return (textures.flags & rwTextureDitherAlways) ? 1 : 2;
}

int RwSetTextureGammaCorrection(intptr_t mode) {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  switch (mode) {
    case 1: textures.flags &= ~rwTextureGamma; return 1;
    case 2: leavePalettised(); textures.flags |= rwTextureGamma; return 1;
    default: return badSetting(rwErrState);
  }
}

intptr_t RwGetTextureGammaCorrection() { return (appearance.textures.flags & rwTextureGamma) ? 2 : 1; }

int RwSetTexturePaletteMode(intptr_t mode) {
  if (mode != 1 && mode != 2) return badSetting(rwErrState);
  if (mode != RwGetTexturePaletteMode())
    appearance.textures.flags = mode == 1 ? rwTexturePalettised : rwTextureDefaultFlags;
  return 1;
}

intptr_t RwGetTexturePaletteMode() { return (appearance.textures.flags & rwTexturePalettised) ? 1 : 2; }

int RwSetTextureIndexRemap(intptr_t mode) {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  if (mode != 1 && mode != 2) return badSetting(rwErrState);
  if (mode == RwGetTextureIndexRemap()) return 1;
  if (mode == 1) {
    textures.flags &= ~rwTextureIndexRemap;
  } else {
    if (!(textures.flags & rwTexturePalettised)) textures.flags = rwTexturePalettised;
    textures.flags |= rwTextureIndexRemap;
  }
  return 1;
}

intptr_t RwGetTextureIndexRemap() { return (appearance.textures.flags & rwTextureIndexRemap) ? 2 : 1; }

intptr_t RwGetTextureFlags() { return appearance.textures.flags; }

// ---- materials' references

void RwAddTextureReference(RwTexture* texture) {
  if (texture) ++texture->references;
}

void RwReleaseTextureReference(RwTexture* texture) {
  if (texture && appearance.textures.live.count(texture)) release(texture);
}

// ---- module

namespace {

constexpr RwModellingTextureLinks modellingTextureLinks = {
    .setVertexTextureCoords = RwSetVertexTextureCoords,
    .getNamedTexture = RwGetNamedTexture,
    .readRasterTexture = RwReadRasterTexture,
    .setTextureMask = RwSetTextureMask,
    .dithering = {RwGetTextureDithering, RwSetTextureDithering},
    .gammaCorrection = {RwGetTextureGammaCorrection, RwSetTextureGammaCorrection},
    .paletteMode = {RwGetTexturePaletteMode, RwSetTexturePaletteMode},
    .indexRemap = {RwGetTextureIndexRemap, RwSetTextureIndexRemap},
};

}  // namespace

int RwOpenTextureModule() {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  textures.flags = rwTextureDefaultFlags;
  textures.pool = RwCreatePool("texturelist", sizeof(RwTexture));
  if (!textures.pool) return badSetting(rwErrOutOfMemory);
  if (!RwOpenTextureDictionaries()) return 0;
  rwModellingTextureLinks.provide(modellingTextureLinks);
  return 1;
}

int RwCloseTextureModule() {
  RwAppearanceRecords::TextureModule& textures = appearance.textures;
  rwModellingTextureLinks.withdraw();
  for (intptr_t d = 0; d < RwTextureDictionaryDepth(); ++d) {
    RwTextureDictionary* dictionary = RwTextureDictionaryAt(d);
    for (intptr_t i = 0; i < dictionary->count; ++i) dictionary->entries[i].texture->dictionary = nullptr;
  }
  while (!textures.live.empty()) freeTexture(*textures.live.begin());
  RwCloseTextureDictionaries();
  RwDestroyPool(textures.pool);
  textures.pool = nullptr;
  return 1;
}

RwAppearanceRecords& rwAppearanceRecords() { return appearance; }
