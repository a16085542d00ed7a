// engine/light.h -- lights and fixed-point vertex lighting.
//
// Owns: the pool "lightlist" and the `RwLight` records made from it, their
// kind, colour, frame, cone and state, the specular table, and the lighting
// of a clump: the 16.16 red, green and blue intensities (0..31.0) of its
// facet-lit polygons and of the vertices of its vertex-lit polygons.
// It does not own the lists a light sits on nor the lighting count (the
// scene's, engine/scene.h), the surface coefficients (the materials' and
// vertices') nor the polygons and vertices it writes into.
//
// Number formats: light levels are 0..31 per channel; intensities and
// cosines are 16.16 (31.0 = 2031616 is full); unit vectors in clump space
// are 2.14 (16384 = 1.0); surface coefficients are bytes (1.0 = 256).
// There is no attenuation with distance and no separate ambient light.
#ifndef LUMENFOLD_ENGINE_LIGHT_H
#define LUMENFOLD_ENGINE_LIGHT_H

#include <cstdint>

#include "engine/fixed.h"
#include "engine/matrix.h"

struct RwClump;
struct RwPolygon;
struct RwScene;

// Kinds.
constexpr intptr_t rwDirectionalLight = 1;
constexpr intptr_t rwPointLight = 2;
constexpr intptr_t rwSpotLight = 3;
// States (shared with clumps).
constexpr intptr_t rwLightOff = 1;
constexpr intptr_t rwLightOn = 2;

struct RwLight {
  RwLight* next;               // the scene's list of lights in this light's state
  intptr_t kind;               // 1 directional, 2 point, 3 spot
  RwMatrix matrix;             // row 2: direction it shines in; row 3: position
  RwFixed localPosition[3];    // 16.16, in the clump being lit (scratch)
  int16_t localDirection[3];   // 2.14, towards the light, in the clump being lit (scratch)
  RwFixed cone;                // 16.16 cosine of the spot cut-off angle
  uint8_t colour[3];           // red, green, blue levels 0..31
  intptr_t state;              // 1 off, 2 on
  uintptr_t userData;
  RwScene* scene;              // the scene holding the light, or null
};

// Builds the specular table (error 3 when memory is short), then the pool.
int RwOpenLightModule();
int RwCloseLightModule();

/*
 * RwCreateLight --
 *   A light of the kind, on, in the default scene, grey at the brightness;
 *   (x, y, z) is the direction of a directional light and the position of a
 *   point or spot light. A spot light shines down -y with a 30-degree cone.
 * Results:
 *   The light (also when a zero direction raised error 31), or null with
 *   error 3 (pool) or 8 (kind other than 1, 2, 3).
 */
RwLight* RwCreateLight(intptr_t kind, float x, float y, float z, float brightness);
// Switches the light off, takes it out of its scene and frees it.
int RwDestroyLight(RwLight* light);

// Setters return the light, or null with the sticky error set (1 for null).
RwLight* RwSetLightState(RwLight* light, intptr_t state);  // 1 or 2, else error 45
intptr_t RwGetLightState(const RwLight* light);
// Components clamped to 0..1, stored as levels 0..31 (rounded).
RwLight* RwSetLightColor(RwLight* light, float red, float green, float blue);
// Direction of a directional or spot light: error 8 for a point light, 31
// for a zero vector, 7 for a degenerate frame.
RwLight* RwSetLightVector(RwLight* light, float x, float y, float z);
// Position of a point or spot light: error 8 for a directional light.
RwLight* RwSetLightPosition(RwLight* light, float x, float y, float z);
// Spot lights only: any other kind gives null without an error number.
RwLight* RwSetLightConeAngle(RwLight* light, float degrees);
RwLight* RwSetLightData(RwLight* light, uintptr_t data);
uintptr_t RwGetLightData(const RwLight* light);

/*
 * RwLightClump --
 *   Lights the clump from its scene's lights that are on, unless neither its
 *   world matrix nor its scene's lighting count changed since it was last
 *   lit. Facet-lit clumps get polygon intensities, vertex-lit ones vertex
 *   intensities (the light sampling bits of the clump).
 */
RwClump* RwLightClump(RwClump* clump);
// The two halves, over the lights RwLightClump prepared last.
void RwLightPolygons(RwPolygon* const* polygons, intptr_t count);
void RwLightVertices(RwClump* clump);

// Entry i of the specular table: (i / 256) to the 16th power, 16.16.
RwFixed RwSpecularTableEntry(intptr_t index);

#endif
