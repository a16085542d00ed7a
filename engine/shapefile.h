// engine/shapefile.h -- reading shape files.
//
// Owns: `RwReadShape`, which finds a shape file along the search path, tells
// its format from its first bytes and reads it into a new clump: a
// big-endian binary geometry dump ("PSNB"), an ASCII geometry listing (two
// counts, the vertices, then the polygons) or a model script; the typed
// word reader of ASCII geometry; and the open and close of the shape reader
// module (search path and modelling contexts together).
// It does not own the search path (engine/shapepath.h), the model-script
// language (engine/rwxscript.h) nor the clump records (engine/clump.h).
#ifndef LUMENFOLD_ENGINE_SHAPEFILE_H
#define LUMENFOLD_ENGINE_SHAPEFILE_H

#include <cstdint>
#include <cstdio>

struct RwClump;

constexpr uint32_t rwBinaryGeometryMagic = 0x50534E42;  // "PSNB"
// Polygons of a shape file hold 3 to 256 vertices.
constexpr int32_t rwLargestShapePolygon = 256;

/*
 * RwReadShape --
 *   Reads the shape file of that name (looked up with RwFindFile).
 * Results:
 *   A new clump, or null with the sticky error set and nothing left behind:
 *   13 not found, 14 not openable, 10 short read or bad header counts, 24
 *   vertex index out of range, 40/41 polygon size, 75 unknown binary
 *   version or unreadable trailing section, and the script errors.
 */
RwClump* RwReadShape(const char* name);

/*
 * RwReadTypedItems --
 *   Reads whitespace-separated words, one per format letter: "d" into an
 *   int32_t* (a word that does not convert stops the reader), "f" into a
 *   float* (a word that does not convert is passed over), "s" into a char
 *   buffer of 251 bytes. A word beginning with "#" skips the rest of its
 *   line. Capitals mean the same.
 * Results:
 *   How many items were stored; another letter is error 80.
 */
int RwReadTypedItems(std::FILE* stream, const char* format, ...);

int RwOpenShapeReader();
int RwCloseShapeReader();

#endif
