// engine/modelling.h -- the modelling API: building clumps procedurally.
//
// Owns: the parse contexts (one per script being read, plus the base context
// that serves the application's direct calls) with their pools
// "parsecontextlist", "creationcontextlist" and "prototypenodelist"; the
// model bracket and the nested clump definitions; the joint matrix stack;
// the parts a definition collects and how they are merged into the finished
// clump; the prototypes of a model; and the library-wide model-building flag
// for as long as a definition is open anywhere.
// It does not own the CTM stack (engine/matrix.h), the current-material
// stack (engine/material.h), the primitives (engine/primitives.h), nor
// reading scripts (engine/rwxscript.h) and shape files (engine/shapefile.h).
//
// Everything inside a clump definition is built in the clump's own frame;
// the CTM in force at clumpbegin becomes the finished clump's modelling
// matrix. Failures are sticky error numbers: 3 memory, 7 empty definition,
// 30/37 unknown or unfinished prototype, 31 zero axis, 32 modelbegin while
// modelling or defining, 33 an end without its begin, 34 open definitions
// at modelend (or a top-level clumpend where a protoend was due), 35/36
// protobegin inside a clump or outside a model, 38 a part outside a clump.
#ifndef LUMENFOLD_ENGINE_MODELLING_H
#define LUMENFOLD_ENGINE_MODELLING_H

#include <cstdint>

#include "engine/links.h"
#include "engine/matrix.h"

struct RwClump;
struct RwPolygon;
struct RwRaster;
struct RwTexture;

// One open clump definition.
struct RwCreationContext {
  RwMatrix savedModelling;       // CTM at clumpbegin (identity when fresh)
  RwMatrix savedJoint;           // joint matrix at clumpbegin (identity when fresh)
  intptr_t savedCTMDepth;        // depths before the definition's pushes
  intptr_t savedJointDepth;
  intptr_t savedMaterialDepth;
  RwClump** parts;               // part 0 takes vertex and polygon lines
  intptr_t partCapacity;
  intptr_t lastPart;             // index of the last entry
  RwCreationContext* previous;
  RwCreationContext* next;
};

struct RwPrototype {
  char* name;                    // heap copy
  RwClump* clump;                // null until protoend
  RwPrototype* next;             // the older prototype
};

// The library settings a model saves and restores: the trace setting, then
// texture dithering, gamma correction, palette mode and index remap.
constexpr int rwModellingSettings = 5;

struct RwParseContext {
  intptr_t modelling;            // 1 between modelbegin and modelend
  intptr_t prototype;            // 1 while a protobegin definition is open
  intptr_t savedCTMDepth;        // taken at modelbegin; -1 when nothing is saved
  intptr_t savedJointDepth;
  intptr_t savedMaterialDepth;
  RwPrototype* prototypes;       // newest first
  RwCreationContext* firstDefinition;
  RwCreationContext* lastDefinition;  // the innermost: the current clump definition
  RwClump* result;               // last top-level clump a script finished
  intptr_t lineCount;
  // {value at context creation, value at modelbegin}, each column valid
  // while its flag below is set (a setting's value may itself be 0).
  intptr_t savedSettings[rwModellingSettings][2];
  RwParseContext* previous;
  RwParseContext* next;
  // Depths when the context was made: a script never leaves the stacks deeper.
  intptr_t openingCTMDepth;
  intptr_t openingJointDepth;
  intptr_t openingMaterialDepth;
  intptr_t settingsSaved[2];
};

// A library setting the texture module keeps.
struct RwLibrarySetting {
  intptr_t (*get)();
  int (*set)(intptr_t value);
};

// What the texture module lends to modelling and the script reader; it
// provides its record when it opens (engine/links.h). Until then texture
// names, masks, texture coordinates and the texture settings are read and
// ignored.
struct RwModellingTextureLinks {
  // Stores u, v on a caller vertex (1 and up); 1, or 0 with the error set.
  int (*setVertexTextureCoords)(RwClump* clump, intptr_t index, float u, float v);
  // The texture of that name (read when not yet known); a mask image read
  // as a raster; the texture with the texels under the mask's dark pixels
  // cleared. Null on failure.
  RwTexture* (*getNamedTexture)(const char* name);
  RwRaster* (*readRasterTexture)(const char* name);
  RwTexture* (*setTextureMask)(RwTexture* texture, RwRaster* mask);
  // Dithering (1 on, 2 off, 3 auto), gamma correction (1 off, 2 on),
  // palette mode and index remap.
  RwLibrarySetting dithering;
  RwLibrarySetting gammaCorrection;
  RwLibrarySetting paletteMode;
  RwLibrarySetting indexRemap;
};
// Reads as 0 and takes every value.
inline constexpr RwLibrarySetting rwIgnoredLibrarySetting = {
    .get = [] { return intptr_t{0}; },
    .set = [](intptr_t) { return 1; },
};
inline constexpr RwModellingTextureLinks rwDefaultModellingTextureLinks = {
    .setVertexTextureCoords = [](RwClump*, intptr_t, float, float) { return 1; },
    .getNamedTexture = [](const char*) -> RwTexture* { return nullptr; },
    .readRasterTexture = [](const char*) -> RwRaster* { return nullptr; },
    .setTextureMask = [](RwTexture* texture, RwRaster*) { return texture; },
    .dithering = rwIgnoredLibrarySetting,
    .gammaCorrection = rwIgnoredLibrarySetting,
    .paletteMode = rwIgnoredLibrarySetting,
    .indexRemap = rwIgnoredLibrarySetting,
};
inline constinit RwLinks<RwModellingTextureLinks> rwModellingTextureLinks{rwDefaultModellingTextureLinks};

int RwOpenModellingModule();
// Frees every context with its prototypes and open definitions, the joint
// stack and the pools.
int RwCloseModellingModule();

int RwModelBegin();
int RwModelEnd();
int RwClumpBegin();
/*
 * RwClumpEnd --
 *   Ends the innermost clump definition: its parts are merged into part 0,
 *   which becomes the clump; the saved CTM and joint matrix become its
 *   modelling and joint matrices, and the stacks return to their depths at clumpbegin. Nested:
 *   the clump becomes a child of the enclosing definition's part 0. The
 *   last definition open anywhere ends model building and finishes the
 *   whole hierarchy (normals, surfaces, polygon cutting).
 * Results:
 *   The clump (also stored through `out` when given), or null.
 * Side effects:
 *   A script context keeps its last top-level clump as its result and
 *   destroys the one before.
 */
RwClump* RwClumpEnd(RwClump** out);

int RwTranslateCTM(float x, float y, float z);
// Rotation by `angle` degrees about the axis; a zero axis is error 31.
int RwRotateCTM(float x, float y, float z, float angle);
int RwScaleCTM(float x, float y, float z);
int RwSetGeometrySampling(intptr_t sampling);

// The joint matrix and its stack (applied before the modelling matrix).
RwMatrix* RwJointMatrix();
RwMatrix* RwPushJointMatrix();
RwMatrix* RwPopJointMatrix();
intptr_t RwJointDepth();
int RwRotateJoint(float x, float y, float z, float angle);

// Prototypes of the current model.
int RwProtoBegin(const char* name);
int RwProtoEnd();
// Adds a copy of the prototype's clump as a part; `takeMaterial` gives its
// polygons the current material.
int RwProtoInstance(const char* name, int takeMaterial);

// ---- for the primitives, the script reader and the shape reader

RwParseContext* RwCurrentParseContext();
RwCreationContext* RwCurrentClumpDefinition();
// Part 0 of the innermost definition, or null.
RwClump* RwCurrentDefinitionClump();
// 1 while a clump definition is open in any context.
int RwIsAnyClumpDefinitionOpen();
/*
 * RwAddModellingPart --
 *   Pre-concatenates the CTM into the part's modelling matrix, gives every
 *   polygon of its hierarchy the current material when asked, and appends
 *   it to the current definition's parts.
 * Results:
 *   1, or 0 (error 38 outside a definition, 3 memory). The caller still
 *   owns the part after a failure.
 */
int RwAddModellingPart(RwClump* part, int takeMaterial);

/*
 * RwAddModelPolygon --
 *   RwAddModelPolygonToClump for the readers: a polygon whose indices
 *   collapse to fewer than three is left out without failing.
 * Results:
 *   1 with the polygon (null when left out) in *out, or 0 on failure.
 */
int RwAddModelPolygon(RwClump* clump, intptr_t count, const int32_t* indices, RwPolygon** out);

// A new script context, made current; null with error 3.
RwParseContext* RwBeginParseContext();
// Unlinks and frees the current script context after restoring what it
// changed (prototypes, open definitions, stacks, settings). A failed script
// passes `keepResult` 0 and its result is destroyed too. The result kept, or
// null.
RwClump* RwEndParseContext(RwParseContext* context, int keepResult);
// Number of script contexts open (the base context not counted).
intptr_t RwScriptNestingDepth();

#endif
