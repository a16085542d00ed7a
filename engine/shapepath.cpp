// engine/shapepath.cpp -- the shape search path and lookups along it.
#include "engine/shapepath.h"

#include <cstdio>
#include <cstring>

#include "engine/error.h"
#include "engine/path.h"
#include "engine/shapereaderstate.h"

namespace {

// The element starting at `start` into out (truncated to fit); returns where
// the next element starts, or null after the last one.
const char* takeElement(const char* start, char* out, size_t outSize) {
  const char* end = std::strchr(start, rwShapePathSeparator);
  size_t length = end ? static_cast<size_t>(end - start) : std::strlen(start);
  if (length >= outSize) length = outSize - 1;
  std::memcpy(out, start, length);
  out[length] = '\0';
  return end ? end + 1 : nullptr;
}

const char* findAlongPath(const char* name) {
  RwShapeReaderState::ShapePathState& shapePath = rwShapeReaderState().path;
  char element[rwShapePathSize];
  char candidate[sizeof shapePath.found];
  const char* next = shapePath.search[0] ? shapePath.search : nullptr;
  while (next) {
    next = takeElement(next, element, sizeof element);
    if (!element[0]) return nullptr;
    if (RwJoinPath(candidate, sizeof candidate, element, name) &&
        RwResolveFileName(candidate, shapePath.found, sizeof shapePath.found)) {
      return shapePath.found;
    }
  }
  return nullptr;
}

}  // namespace

int RwSetShapePath(const char* path, int mode) {
  RwShapeReaderState::ShapePathState& shapePath = rwShapeReaderState().path;
  if (!path) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  if (mode != rwReplacePath && mode != rwPrependPath && mode != rwAppendPath) {
    RwSetError(rwErrCombineMode);
    return 0;
  }
  if (!shapePath.search[0]) mode = rwReplacePath;
  char result[rwShapePathSize];
  int length = mode == rwReplacePath ? std::snprintf(result, sizeof result, "%s", path)
               : mode == rwPrependPath
                   ? std::snprintf(result, sizeof result, "%s%c%s", path, rwShapePathSeparator, shapePath.search)
                   : std::snprintf(result, sizeof result, "%s%c%s", shapePath.search, rwShapePathSeparator, path);
  // A path given whole must leave a character spare; a joined one may fill
  // the buffer.
  const size_t longest = mode == rwReplacePath ? rwShapePathSize - 2 : rwShapePathSize - 1;
  if (length < 0 || static_cast<size_t>(length) > longest) {
    RwSetError(rwErrPathTooLong);
    return 0;
  }
  std::memcpy(shapePath.search, result, static_cast<size_t>(length) + 1);
  return 1;
}

const char* RwGetShapePath() { return rwShapeReaderState().path.search; }

void RwClearShapePath() { rwShapeReaderState().path.search[0] = '\0'; }

const char* RwFindFile(const char* name) {
  RwShapeReaderState::ShapePathState& shapePath = rwShapeReaderState().path;
  if (!name || !name[0]) return nullptr;
  if (RwIsAbsolutePath(name)) return RwResolveFileName(name, shapePath.found, sizeof shapePath.found);
  return findAlongPath(name);
}
