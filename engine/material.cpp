// engine/material.cpp -- materials, their draw pairs and the current-material
// stack.
#include "engine/material.h"

#include <bit>

#include "engine/appearancerecords.h"
#include "engine/clump.h"
#include "engine/error.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/ptrarray.h"
#include "engine/texture.h"
#include "platform/fatal.h"

namespace {

constexpr intptr_t initialStackCapacity = 32;

constexpr uint32_t floatOneBits = 0x3F800000u;

// A float in 0..1 as a 16.16 fraction, decided by its bits: a negative value
// gives 0, 1.0 or more gives 65536 (callers map it to their maximum).
uint32_t fractionOf(float value) {
  uint32_t bits = std::bit_cast<uint32_t>(value);
  if (bits & 0x80000000u) return 0;
  if (bits >= floatOneBits) return 65536;
  return static_cast<uint32_t>(value * 65536.0f);
}

uint16_t colourChannel(float value) {
  uint32_t fraction = fractionOf(value);
  return static_cast<uint16_t>(fraction >= 65536 ? 65535 : fraction);
}

uint8_t coefficient(float value) {
  uint32_t fraction = fractionOf(value);
  return static_cast<uint8_t>(fraction >= 65536 ? 255 : fraction >> 8);
}

uint8_t opacityByte(float value) {
  uint32_t fraction = fractionOf(value);
  return static_cast<uint8_t>(fraction >= 65536 ? rwOpaque : (fraction >> 8) & ~3u);
}

uintptr_t deviceColour(uint16_t red, uint16_t green, uint16_t blue) {
  const uint16_t rgb[3] = {red, green, blue};
  return rwDeviceRecord.colourToDeviceValue ? rwDeviceRecord.colourToDeviceValue(rgb) : 0;
}

bool validPair(intptr_t pair) { return pair >= 0 && pair < rwRendererPairs; }

intptr_t lightClassOfPair(intptr_t pair) {
  if (!validPair(pair)) return 0;
  return pair % 2 == 0 ? rwFacet : rwVertex;
}

intptr_t geometryClassOfPair(intptr_t pair) {
  if (!validPair(pair)) return 0;
  if (pair < 2) return rwPointCloud;
  if (pair < 4) return rwWireframe;
  return rwSolid;
}

// Every clump drawing one of the material's polygons classifies and lights
// itself again before its next render.
void usersPairChanged(RwMaterial* material) {
  if (!material->users) return;
  for (uintptr_t i = 0; i < material->users->count; ++i) {
    auto* polygon = static_cast<RwPolygon*>(RwPtrArrayEntry(material->users, i));
    if (polygon->parent != polygon || !polygon->clump) continue;
    polygon->clump->drawChoice.reevaluate = 1;
    polygon->clump->lightingStamp = 0;
  }
}

void usersSurfaceChanged(RwMaterial* material) {
  if (!material->users) return;
  for (uintptr_t i = 0; i < material->users->count; ++i) {
    auto* polygon = static_cast<RwPolygon*>(RwPtrArrayEntry(material->users, i));
    if (polygon->parent != polygon) continue;
    if (polygon->clump) polygon->clump->lightingStamp = 0;
    RwUpdatePolygonVertexSurfaces(polygon);
  }
}

void installPair(RwMaterial* material, intptr_t pair) {
  material->pairIndex = pair;
  material->drawRoutine = rwDeviceRecord.renderers[pair].plain;
  material->zDrawRoutine = rwDeviceRecord.renderers[pair].depthBuffered;
  usersPairChanged(material);
}

// The pair for geometry class g and light class l with the material's
// opacity and texture; -1 with error 26 for a geometry class out of range.
intptr_t pairFor(const RwMaterial* material, intptr_t geometry, intptr_t light) {
  intptr_t pair;
  switch (geometry) {
    case rwPointCloud: pair = 0; break;
    case rwWireframe: pair = 2; break;
    case rwSolid:
      pair = 4 + (material->opacity < rwOpaque ? 2 : 0) + (material->texture ? 4 : 0);
      break;
    default:
      RwSetError(rwErrGeometrySampling);
      return -1;
  }
  return pair + (light == rwVertex ? 1 : 0);
}

RwMaterial* choosePair(RwMaterial* material, intptr_t geometry, intptr_t light) {
  intptr_t pair = pairFor(material, geometry, light);
  if (pair < 0) return nullptr;
  installPair(material, pair);
  return material;
}

// After a change of opacity or texture the pair follows with the same classes.
RwMaterial* chooseAgain(RwMaterial* material) {
  intptr_t light = lightClassOfPair(material->pairIndex);
  if (!light) return failWith<RwMaterial>(rwErrLightSampling);
  return choosePair(material, geometryClassOfPair(material->pairIndex), light);
}

void setDefaults(RwMaterial* material) {
  material->texture = nullptr;
  material->textureModes = rwTextureLit;
  material->ambient = material->diffuse = material->specular = 0;
  material->colour = deviceColour(0, 0, 0);
  material->opacity = rwOpaque;
  material->pairIndex = rwDefaultPair;
  material->drawRoutine = rwDeviceRecord.renderers[rwDefaultPair].plain;
  material->zDrawRoutine = rwDeviceRecord.renderers[rwDefaultPair].depthBuffered;
}

// What a copy takes from its source: everything but users and count.
void copyAppearance(RwMaterial* to, const RwMaterial* from) {
  to->drawRoutine = from->drawRoutine;
  to->zDrawRoutine = from->zDrawRoutine;
  to->pairIndex = from->pairIndex;
  to->opacity = from->opacity;
  to->colour = from->colour;
  to->ambient = from->ambient;
  to->diffuse = from->diffuse;
  to->specular = from->specular;
  to->textureModes = from->textureModes;
  RwAddTextureReference(from->texture);
  RwReleaseTextureReference(to->texture);
  to->texture = from->texture;
}

bool growStack() {
  RwAppearanceRecords::MaterialModule& materials = rwAppearanceRecords().materials;
  intptr_t grown = materials.stackCapacity + materials.stackCapacity / 2;
  auto* slots = static_cast<RwMaterial**>(RwEngineRealloc(materials.stackSlots, grown * sizeof(RwMaterial*)));
  if (!slots) return false;
  for (intptr_t i = materials.stackCapacity; i < grown; ++i) slots[i] = nullptr;
  materials.stackSlots = slots;
  materials.stackCapacity = grown;
  return true;
}

RwMaterial* setModesChecked(RwMaterial* material, bool badBits, uint8_t result) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  if (badBits) return failWith<RwMaterial>(rwErrTextureModes);
  material->textureModes = result;
  return material;
}

}  // namespace

int RwOpenMaterialModule() {
  RwAppearanceRecords::MaterialModule& materials = rwAppearanceRecords().materials;
  materials.pool = RwCreatePool("materiallist", sizeof(RwMaterial));
  materials.stackSlots = static_cast<RwMaterial**>(RwEngineAlloc(initialStackCapacity * sizeof(RwMaterial*)));
  if (!materials.pool || !materials.stackSlots) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  materials.stackCapacity = initialStackCapacity;
  materials.stackTop = 0;
  materials.stackSlots[0] = RwCreateMaterial();
  return materials.stackSlots[0] ? 1 : 0;
}

int RwCloseMaterialModule() {
  RwAppearanceRecords::MaterialModule& materials = rwAppearanceRecords().materials;
  for (intptr_t i = 0; i < materials.stackCapacity && materials.stackSlots[i]; ++i) {
    RwDestroyMaterial(materials.stackSlots[i]);
  }
  RwEngineFree(materials.stackSlots);
  materials.stackSlots = nullptr;
  materials.stackCapacity = materials.stackTop = 0;
  RwDestroyPool(materials.pool);
  materials.pool = nullptr;
  return 1;
}

RwMaterial* RwCurrentMaterial() {
  RwAppearanceRecords::MaterialModule& materials = rwAppearanceRecords().materials;
  return materials.stackSlots ? materials.stackSlots[materials.stackTop] : nullptr;
}

intptr_t RwCurrentMaterialDepth() { return rwAppearanceRecords().materials.stackTop; }

RwMaterial* RwPushCurrentMaterial() {
  RwAppearanceRecords::MaterialModule& materials = rwAppearanceRecords().materials;
  if (!materials.stackSlots) return failWith<RwMaterial>(rwErrInvalidArgument);
  if (materials.stackTop + 1 >= materials.stackCapacity && !growStack()) return failWith<RwMaterial>(rwErrOutOfMemory);
  RwMaterial* below = materials.stackSlots[materials.stackTop];
  RwMaterial* slot = materials.stackSlots[materials.stackTop + 1];
  if (!slot) {
    slot = RwCreateMaterial();
    if (!slot) return nullptr;
    materials.stackSlots[materials.stackTop + 1] = slot;
  }
  if (slot != below) {
    bool pairChanges = slot->pairIndex != below->pairIndex;
    copyAppearance(slot, below);
    if (pairChanges) usersPairChanged(slot);
  }
  ++materials.stackTop;
  return slot;
}

RwMaterial* RwPopCurrentMaterial() {
  RwAppearanceRecords::MaterialModule& materials = rwAppearanceRecords().materials;
  if (!materials.stackSlots) return failWith<RwMaterial>(rwErrInvalidArgument);
  if (materials.stackTop > 0) {
    RwMaterial* top = materials.stackSlots[materials.stackTop];
    if (top->referenceCount > 1) {
      RwDestroyMaterial(top);
      materials.stackSlots[materials.stackTop] = nullptr;
    }
    --materials.stackTop;
  }
  return materials.stackSlots[materials.stackTop];
}

RwMaterial* RwWritableCurrentMaterial() {
  RwAppearanceRecords::MaterialModule& materials = rwAppearanceRecords().materials;
  if (!materials.stackSlots) return failWith<RwMaterial>(rwErrInvalidArgument);
  RwMaterial* top = materials.stackSlots[materials.stackTop];
  if (top->referenceCount < 2) return top;
  RwMaterial* copy = RwCloneMaterial(top);
  if (!copy) return nullptr;
  materials.stackSlots[materials.stackTop] = copy;
  RwDestroyMaterial(top);
  return copy;
}

RwMaterial* RwCreateMaterial() {
  auto* material = static_cast<RwMaterial*>(RwAllocRecord(rwAppearanceRecords().materials.pool));
  if (!material) return nullptr;
  setDefaults(material);
  material->users = nullptr;
  material->referenceCount = 1;
  return material;
}

RwMaterial* RwCloneMaterial(const RwMaterial* source) {
  if (!source) return failWith<RwMaterial>(rwErrInvalidArgument);
  RwMaterial* copy = RwCreateMaterial();
  if (copy) copyAppearance(copy, source);
  return copy;
}

int RwDestroyMaterial(RwMaterial* material) {
  if (!material) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  ZM_ASSERT(material->referenceCount >= 1, "a material is destroyed once per reference it holds");
  if (material->referenceCount > 1) {
    --material->referenceCount;
    return 1;
  }
  RwReleaseTextureReference(material->texture);
  RwDestroyPtrArray(material->users);
  RwFreeRecord(rwAppearanceRecords().materials.pool, material);
  return 1;
}

RwMaterial* RwResetMaterial(RwMaterial* material) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  bool pairChanges = material->pairIndex != rwDefaultPair;
  RwReleaseTextureReference(material->texture);
  setDefaults(material);
  if (pairChanges) usersPairChanged(material);
  usersSurfaceChanged(material);
  return material;
}

RwMaterial* RwSetMaterialColor(RwMaterial* material, float red, float green, float blue) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  material->colour = deviceColour(colourChannel(red), colourChannel(green), colourChannel(blue));
  return material;
}

RwMaterial* RwSetMaterialSurface(RwMaterial* material, float ambient, float diffuse, float specular) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  material->ambient = coefficient(ambient);
  material->diffuse = coefficient(diffuse);
  material->specular = coefficient(specular);
  usersSurfaceChanged(material);
  return material;
}

RwMaterial* RwSetMaterialAmbient(RwMaterial* material, float value) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  material->ambient = coefficient(value);
  usersSurfaceChanged(material);
  return material;
}

RwMaterial* RwSetMaterialDiffuse(RwMaterial* material, float value) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  material->diffuse = coefficient(value);
  usersSurfaceChanged(material);
  return material;
}

RwMaterial* RwSetMaterialSpecular(RwMaterial* material, float value) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  material->specular = coefficient(value);
  usersSurfaceChanged(material);
  return material;
}

RwMaterial* RwSetMaterialOpacity(RwMaterial* material, float value) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  material->opacity = opacityByte(value);
  return chooseAgain(material);
}

RwMaterial* RwSetMaterialGeometrySampling(RwMaterial* material, intptr_t geometry) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  intptr_t light = lightClassOfPair(material->pairIndex);
  if (!light) return failWith<RwMaterial>(rwErrLightSampling);
  return choosePair(material, geometry, light);
}

RwMaterial* RwSetMaterialLightSampling(RwMaterial* material, intptr_t light) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  if (light != rwFacet && light != rwVertex) return failWith<RwMaterial>(rwErrLightSampling);
  intptr_t geometry = geometryClassOfPair(material->pairIndex);
  if (!geometry) {
    RwSetError(rwErrEnumValue);
    return failWith<RwMaterial>(rwErrGeometrySampling);
  }
  return choosePair(material, geometry, light);
}

RwMaterial* RwSetMaterialTexture(RwMaterial* material, RwTexture* texture) {
  if (!material) return failWith<RwMaterial>(rwErrInvalidArgument);
  if (texture && !texture->raster) return failWith<RwMaterial>(rwErrNoFrames);
  // The material holds a reference, so the texture outlives its destruction.
  RwAddTextureReference(texture);
  RwReleaseTextureReference(material->texture);
  material->texture = texture;
  return chooseAgain(material);
}

RwMaterial* RwSetMaterialTextureModes(RwMaterial* material, intptr_t modes) {
  uint8_t result = material ? static_cast<uint8_t>((material->textureModes & ~7) | modes) : 0;
  return setModesChecked(material, (modes & ~intptr_t{7}) != 0, result);
}

RwMaterial* RwAddMaterialTextureModes(RwMaterial* material, intptr_t modes) {
  uint8_t result = material ? static_cast<uint8_t>(material->textureModes | modes) : 0;
  return setModesChecked(material, (modes & ~intptr_t{7}) != 0, result);
}

RwMaterial* RwRemoveMaterialTextureModes(RwMaterial* material, intptr_t modes) {
  uint8_t result = material ? static_cast<uint8_t>(material->textureModes & ~modes) : 0;
  return setModesChecked(material, modes > 7, result);
}

intptr_t RwGetMaterialGeometrySampling(const RwMaterial* material) {
  if (!material) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  intptr_t geometry = geometryClassOfPair(material->pairIndex);
  if (!geometry) RwSetError(rwErrEnumValue);
  return geometry;
}

intptr_t RwGetMaterialLightSampling(const RwMaterial* material) {
  if (!material) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return lightClassOfPair(material->pairIndex);
}

int RwSetColor(float red, float green, float blue) {
  return RwSetMaterialColor(RwWritableCurrentMaterial(), red, green, blue) ? 1 : 0;
}

int RwSetSurface(float ambient, float diffuse, float specular) {
  return RwSetMaterialSurface(RwWritableCurrentMaterial(), ambient, diffuse, specular) ? 1 : 0;
}

RwClump* RwClassifyClumpMaterials(RwClump* clump) {
  if (!clump) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  RwClumpDrawChoice& choice = clump->drawChoice;
  choice.reevaluate = 0;
  choice.uniform = 1;
  RwPtrArray* drawable = clump->drawablePolygons;
  if (!drawable || drawable->count == 0) {
    clump->lightSampling = 0;
    clump->geometrySampling = 0;
    choice.plain = nullptr;
    return clump;
  }
  const RwMaterial* first = static_cast<RwPolygon*>(RwPtrArrayEntry(drawable, 0))->material;
  intptr_t lightClasses = lightClassOfPair(first->pairIndex);
  for (uintptr_t i = 1; i < drawable->count; ++i) {
    const RwMaterial* material = static_cast<RwPolygon*>(RwPtrArrayEntry(drawable, i))->material;
    if (material->pairIndex == first->pairIndex) continue;
    choice.uniform = 0;
    lightClasses |= lightClassOfPair(material->pairIndex);
  }
  clump->lightSampling = lightClasses;
  if (choice.uniform) {
    choice.pairIndex = first->pairIndex;
    choice.plain = first->drawRoutine;
    choice.depthBuffered = first->zDrawRoutine;
    clump->geometrySampling = geometryClassOfPair(first->pairIndex);
  }
  return clump;
}

RwPtrArray* RwForAllMaterialPolygons(RwPtrArray* users, RwPolygon* (*function)(RwPolygon* polygon)) {
  if (!users || !function) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  for (uintptr_t i = 0; i < users->count; ++i) {
    auto* polygon = static_cast<RwPolygon*>(RwPtrArrayEntry(users, i));
    if (polygon->parent == polygon) function(polygon);
  }
  return users;
}

int RwAddMaterialUser(RwMaterial* material, RwPolygon* polygon) {
  if (!material->users) {
    material->users = RwCreatePtrArray(0);
    if (!material->users) return 0;
  }
  RwPtrArray* grown = RwAppendPtrArray(material->users, polygon);
  if (!grown) return 0;
  material->users = grown;
  polygon->materialUserIndex = grown->count - 1;
  return 1;
}

// Constant time in any order: the polygon knows its slot, and the last user
// moves into the gap and learns its new one. A polygon not listed finds
// another (or no) entry in the slot it names, and nothing changes.
void RwRemoveMaterialUser(RwMaterial* material, RwPolygon* polygon) {
  RwPtrArray* users = material->users;
  uintptr_t slot = polygon->materialUserIndex;
  if (!users || slot >= users->count) return;
  void** entries = RwPtrArrayEntries(users);
  if (entries[slot] != polygon) return;
  auto* last = static_cast<RwPolygon*>(entries[--users->count]);
  entries[slot] = last;
  last->materialUserIndex = slot;
}
