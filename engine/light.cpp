// engine/light.cpp -- lights and fixed-point vertex lighting.
#include "engine/light.h"

#include <algorithm>
#include <cmath>

#include "engine/clump.h"
#include "engine/error.h"
#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/ptrarray.h"
#include "engine/scene.h"
#include "engine/scenerecords.h"

namespace {

// The scenes, their trees, the cameras and the lights (engine/scenerecords.h).
// Defined here, where every lit vertex reads the prepared lights.
RwSceneRecords sceneRecords;

constexpr int specularTableEntries = 256;
constexpr RwFixed fullLevel = 2031616;        // 31.0 in 16.16
constexpr RwFixed specularThreshold = 45875;  // 0.7 in 16.16
constexpr RwFixed largestCosine = 65280;      // 255 / 256 in 16.16
constexpr int64_t nearestLightDistance = 257; // 16.16: closer lights add nothing
constexpr float unitNormal = 16384.0f;        // 1.0 in 2.14
constexpr float degreesToRadians = 0.017453292f;
constexpr double defaultConeRadians = 0.5235987715423107;  // 30 degrees
constexpr intptr_t noSceneStamp = 999999;

void raiseLightingCount(const RwLight* light) {
  if (light->scene) ++light->scene->lightingCount;
}

bool allZero(float x, float y, float z) { return x == 0.0f && y == 0.0f && z == 0.0f; }

// A colour component as a level 0..31: clamped to 0..1, times 31, rounded.
uint8_t colourLevel(float component) {
  if (!(component > 0.0f)) component = 0.0f;  // negatives and NaN
  if (component >= 1.0f) component = 1.0f;
  return static_cast<uint8_t>(RwRealToInt(component * 31.0f + 0.5f));
}

RwFixed coneCosine(double radians) { return RwRealToInt(static_cast<float>(std::cos(radians) * 65536.0)); }

// ---- preparing the lights for one clump

void prepareLight(RwLight* light, const RwMatrix& inverse) {
  const float (&m)[4][4] = light->matrix.m;
  if (light->kind != rwPointLight) {
    RwVector towards = {-m[2][0], -m[2][1], -m[2][2]};
    RwTransformVector(&towards, &inverse);
    RwNormalize(&towards);
    light->localDirection[0] = static_cast<int16_t>(RwRealToInt(towards.x * unitNormal));  // 2.14
    light->localDirection[1] = static_cast<int16_t>(RwRealToInt(towards.y * unitNormal));
    light->localDirection[2] = static_cast<int16_t>(RwRealToInt(towards.z * unitNormal));
  }
  if (light->kind != rwDirectionalLight) {
    RwVector position = {m[3][0], m[3][1], m[3][2]};
    RwTransformPoint(&position, &inverse);
    light->localPosition[0] = RwRealToFixed(position.x);  // 16.16
    light->localPosition[1] = RwRealToFixed(position.y);
    light->localPosition[2] = RwRealToFixed(position.z);
  }
}

// ---- one surface

struct Surface {
  uint8_t ambient, diffuse, specular;  // 1.0 = 256
  const int16_t* normal;               // 2.14
  int64_t position[3];                 // 16.16
};

// 16.16 cosine between the normal and the direction to a directional light;
// below 1 the light adds nothing.
int64_t directionalCosine(const RwLight& light, const Surface& surface) {
  const int16_t* l = light.localDirection;
  const int16_t* n = surface.normal;
  int32_t sum = int32_t{l[0]} * n[0] + int32_t{l[1]} * n[1] + int32_t{l[2]} * n[2];  // 4.28
  return sum >> 12;
}

// 16.16 cosine for a point or spot light, or 0 when it adds nothing. Works
// on 64 bits so that distances of 128 units and more neither overflow the
// squared distance nor the scaled dot product.
int64_t positionalCosine(const RwLight& light, const Surface& surface) {
  int64_t d[3];
  for (int i = 0; i < 3; ++i) d[i] = int64_t{light.localPosition[i]} - surface.position[i];  // 16.16
  int64_t facing = 0;  // 16.16: normal (4 x 2.14 = 16.16) dot d
  for (int i = 0; i < 3; ++i) facing += (int64_t{4} * surface.normal[i] * d[i]) >> 16;
  if (facing < 1) return 0;
  const double squared = static_cast<double>(d[0]) * static_cast<double>(d[0]) +
                         static_cast<double>(d[1]) * static_cast<double>(d[1]) +
                         static_cast<double>(d[2]) * static_cast<double>(d[2]);
  const auto distance = static_cast<int64_t>(std::sqrt(squared));  // 16.16
  if (distance < nearestLightDistance) return 0;
  if (light.kind == rwSpotLight) {
    int64_t axisCosine = 0;  // 2.14 x 16.16 unit vector, back to 16.16
    for (int i = 0; i < 3; ++i) axisCosine += int64_t{light.localDirection[i]} * ((d[i] << 16) / distance);
    if ((axisCosine >> 14) < light.cone) return 0;
  }
  return std::min<int64_t>((facing << 8) / (distance >> 8), largestCosine);
}

void lightSurface(const Surface& surface, RwFixed* out) {
  RwSceneRecords::LightModule& lighting = sceneRecords.lighting;
  int64_t channel[3];
  const int64_t ambient = (int64_t{surface.ambient} * fullLevel) >> 8;
  std::fill(channel, channel + 3, ambient);
  for (const RwLight* light = lighting.preparedLights; light; light = light->next) {
    int64_t cosine = light->kind == rwDirectionalLight ? directionalCosine(*light, surface)
                                                       : positionalCosine(*light, surface);
    if (cosine < 1) continue;
    int64_t term = (surface.diffuse * cosine) >> 8;
    if (cosine > specularThreshold) {
      int64_t highlight = cosine >= largestCosine ? largestCosine : lighting.specularTable[cosine >> 8];
      term += (surface.specular * highlight) >> 8;
    }
    for (int i = 0; i < 3; ++i) channel[i] += light->colour[i] * term;
  }
  for (int i = 0; i < 3; ++i) out[i] = static_cast<RwFixed>(std::min<int64_t>(channel[i], fullLevel));
}

RwScene* sceneOf(const RwClump* clump) {
  if (!clump->sceneLeaf || RwClumpIsBeingDestroyed(clump)) return nullptr;
  return RwGetClumpScene(const_cast<RwClump*>(clump));
}

}  // namespace

// ---- module

int RwOpenLightModule() {
  RwSceneRecords::LightModule& lighting = sceneRecords.lighting;
  lighting.specularTable = static_cast<RwFixed*>(RwEngineAlloc(specularTableEntries * sizeof(RwFixed)));
  if (!lighting.specularTable) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  for (int i = 0; i < specularTableEntries; ++i) {
    RwFixed x = i * 256;  // i / 256 in 16.16
    for (int squaring = 0; squaring < 4; ++squaring) x = RwFixMul(x, x);
    lighting.specularTable[i] = x;
  }
  lighting.pool = RwCreatePool("lightlist", sizeof(RwLight));
  if (!lighting.pool) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  return 1;
}

int RwCloseLightModule() {
  RwSceneRecords::LightModule& lighting = sceneRecords.lighting;
  RwEngineFree(lighting.specularTable);
  lighting.specularTable = nullptr;
  lighting.preparedLights = nullptr;
  RwDestroyPool(lighting.pool);
  lighting.pool = nullptr;
  return 1;
}

RwFixed RwSpecularTableEntry(intptr_t index) { return sceneRecords.lighting.specularTable[index]; }

// ---- records

RwLight* RwCreateLight(intptr_t kind, float x, float y, float z, float brightness) {
  RwSceneRecords::LightModule& lighting = sceneRecords.lighting;
  auto* light = static_cast<RwLight*>(RwAllocRecord(lighting.pool));
  if (!light) return nullptr;
  *light = {};
  light->kind = kind;
  light->state = rwLightOff;
  RwIdentityMatrix(&light->matrix);
  RwAddLightToScene(RwGetDefaultScene(), light);
  RwSetLightColor(light, brightness, brightness, brightness);
  switch (kind) {
    case rwDirectionalLight:
      RwSetLightVector(light, x, y, z);  // a zero vector leaves error 31 and a usable light
      break;
    case rwPointLight:
      RwSetLightPosition(light, x, y, z);
      break;
    case rwSpotLight:
      RwSetLightPosition(light, x, y, z);
      RwSetLightVector(light, 0.0f, -1.0f, 0.0f);
      light->cone = coneCosine(defaultConeRadians);
      break;
    default:
      RwRemoveLightFromScene(light);
      RwFreeRecord(lighting.pool, light);
      return failWith<RwLight>(rwErrLightKind);
  }
  RwSetLightState(light, rwLightOn);
  light->userData = 0;
  return light;
}

int RwDestroyLight(RwLight* light) {
  if (!light) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  RwSetLightState(light, rwLightOff);
  RwRemoveLightFromScene(light);
  RwFreeRecord(sceneRecords.lighting.pool, light);
  return 1;
}

// ---- settings

RwLight* RwSetLightState(RwLight* light, intptr_t state) {
  if (!light) return failWith<RwLight>(rwErrInvalidArgument);
  if (state != rwLightOff && state != rwLightOn) return failWith<RwLight>(rwErrState);
  if (state == light->state) return light;
  RwScene* scene = light->scene;
  RwRemoveLightFromScene(light);
  light->state = state;
  if (scene) RwAddLightToScene(scene, light);
  return light;
}

intptr_t RwGetLightState(const RwLight* light) {
  if (!light) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return light->state;
}

RwLight* RwSetLightColor(RwLight* light, float red, float green, float blue) {
  if (!light) return failWith<RwLight>(rwErrInvalidArgument);
  light->colour[0] = colourLevel(red);
  light->colour[1] = colourLevel(green);
  light->colour[2] = colourLevel(blue);
  if (light->state == rwLightOn) raiseLightingCount(light);
  return light;
}

RwLight* RwSetLightVector(RwLight* light, float x, float y, float z) {
  if (!light) return failWith<RwLight>(rwErrInvalidArgument);
  if (allZero(x, y, z)) return failWith<RwLight>(rwErrZeroVector);
  if (light->kind == rwPointLight) return failWith<RwLight>(rwErrLightKind);
  int pending = RwGetAndClearError();
  RwSetMatrixAt(&light->matrix, x, y, z);
  raiseLightingCount(light);
  if (RwGetError() != rwErrNone) return nullptr;
  RwRestoreError(pending);
  return light;
}

RwLight* RwSetLightPosition(RwLight* light, float x, float y, float z) {
  if (!light) return failWith<RwLight>(rwErrInvalidArgument);
  if (light->kind == rwDirectionalLight) return failWith<RwLight>(rwErrLightKind);
  RwSetMatrixPosition(&light->matrix, x, y, z);
  raiseLightingCount(light);
  return light;
}

RwLight* RwSetLightConeAngle(RwLight* light, float degrees) {
  if (!light) return failWith<RwLight>(rwErrInvalidArgument);
  if (light->kind != rwSpotLight) return nullptr;
  light->cone = coneCosine(degrees * degreesToRadians);
  raiseLightingCount(light);
  return light;
}

RwLight* RwSetLightData(RwLight* light, uintptr_t data) {
  if (!light) return failWith<RwLight>(rwErrInvalidArgument);
  light->userData = data;
  return light;
}

uintptr_t RwGetLightData(const RwLight* light) {
  if (!light) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return light->userData;
}

// ---- lighting

RwClump* RwLightClump(RwClump* clump) {
  if (!clump) return failWith<RwClump>(rwErrInvalidArgument);
  RwScene* scene = sceneOf(clump);
  RwLight* lights = scene ? scene->lightsOn : nullptr;
  const intptr_t stamp = scene ? scene->lightingCount : noSceneStamp;
  const bool moved = clump->worldMatrix.changed != 0;
  if (!moved && clump->lightingStamp == stamp) return clump;
  if (moved) {
    RwInvertMatrix(&clump->worldMatrix, &clump->inverseWorldMatrix);
    clump->worldMatrix.changed = 0;
  }
  for (RwLight* light = lights; light; light = light->next) prepareLight(light, clump->inverseWorldMatrix);
  sceneRecords.lighting.preparedLights = lights;
  if (clump->lightSampling & rwFacet) {
    RwPtrArray* drawable = clump->drawablePolygons;
    RwLightPolygons(reinterpret_cast<RwPolygon* const*>(RwPtrArrayEntries(drawable)),
                    static_cast<intptr_t>(drawable->count));
  }
  if (clump->lightSampling & rwVertex) RwLightVertices(clump);
  clump->lightingStamp = stamp;
  return clump;
}

void RwLightPolygons(RwPolygon* const* polygons, intptr_t count) {
  for (intptr_t i = 0; i < count; ++i) {
    RwPolygon* polygon = polygons[i];
    const RwMaterial* material = polygon->material;
    if (!material) continue;
    Surface surface = {material->ambient, material->diffuse, material->specular, polygon->normal,
                       {polygon->centre[0], polygon->centre[1], polygon->centre[2]}};
    lightSurface(surface, polygon->intensity);
  }
}

void RwLightVertices(RwClump* clump) {
  RwVertexArray* array = clump->vertexArray;
  if (!array) return;
  // The caller's vertices; the eight box corners are never lit.
  for (intptr_t slot = rwReservedVertices; slot < array->count; ++slot) {
    RwVertex& vertex = array->vertices[slot];
    Surface surface = {vertex.ambient, vertex.diffuse, vertex.specular, vertex.normal,
                       {RwRealToFixed(vertex.model.x), RwRealToFixed(vertex.model.y), RwRealToFixed(vertex.model.z)}};
    lightSurface(surface, vertex.intensity);
  }
}

RwSceneRecords& rwSceneRecords() { return sceneRecords; }
