// engine/shapepath.h -- the search path of shape and image files.
//
// Owns: the library-wide search path (at most 1023 characters, elements
// separated by ';', empty when the library opens) and the lookup of a file
// name along it into a found-name buffer. The image and texture readers use
// the same lookup.
// It does not own reading what is found (engine/shapefile.h) nor the path
// utilities underneath (engine/path.h).
#ifndef LUMENFOLD_ENGINE_SHAPEPATH_H
#define LUMENFOLD_ENGINE_SHAPEPATH_H

#include <cstddef>

constexpr size_t rwShapePathSize = 1024;
constexpr char rwShapePathSeparator = ';';

// Path modes.
constexpr int rwReplacePath = 1;
constexpr int rwPrependPath = 2;  // "new;old"
constexpr int rwAppendPath = 3;   // "old;new"

/*
 * RwSetShapePath --
 *   Replaces, prepends to or appends to the search path; while the path is
 *   empty every mode replaces it.
 * Results:
 *   1, or 0 with the path unchanged: error 1 for null text, 2 for another
 *   mode, 9 when a replacing text holds 1023 characters or more, or a
 *   joined path would hold 1024 or more.
 */
int RwSetShapePath(const char* path, int mode);
const char* RwGetShapePath();
// Empties the path (the shape reader's open).
void RwClearShapePath();

/*
 * RwFindFile --
 *   An absolute name (a separator or a drive letter first) is taken as it
 *   is; any other is tried in each path element from the left, the search
 *   ending at the path's end or at an empty element. Names are resolved as
 *   RwResolveFileName does ('\\' read as '/', letter case ignored when the
 *   name as written does not exist).
 * Results:
 *   The full name of the existing file, in a buffer valid until the next
 *   lookup; or null.
 */
const char* RwFindFile(const char* name);

#endif
