// engine/shapefile.cpp -- binary and ASCII geometry files, and the choice
// between them and model scripts.
#include "engine/shapefile.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/clump.h"
#include "engine/error.h"
#include "engine/modelling.h"
#include "engine/path.h"
#include "engine/polygon.h"
#include "engine/rwxscript.h"
#include "engine/rwxtoken.h"
#include "engine/shapepath.h"

namespace {

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

constexpr size_t wordSize = 251;          // "%250s"
constexpr size_t materialLineSize = 256;  // the part of a polygon line read for its material
// Room made before the counts are proved by the records that follow them.
constexpr int32_t largestInitialRoom = 4096;

File openFile(const char* path, const char* mode) { return File(RwOpenRegularFile(path, mode), std::fclose); }

bool fail(int number) {
  RwSetError(number);
  return false;
}

// ---- words

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The next whitespace-separated word, its first 250 characters kept; false
// at the end of the stream.
bool readWord(std::FILE* stream, char* word) {
  int c;
  do {
    c = std::fgetc(stream);
  } while (isSpace(c));
  if (c == EOF) return false;
  size_t length = 0;
  for (; c != EOF && !isSpace(c); c = std::fgetc(stream)) {
    if (length + 1 < wordSize) word[length++] = static_cast<char>(c);
  }
  if (c != EOF) std::ungetc(c, stream);
  word[length] = '\0';
  return true;
}

// The next word that is not a comment; a comment word skips its line.
bool readItemWord(std::FILE* stream, char* word) {
  while (readWord(stream, word)) {
    if (word[0] != '#') return true;
    RwSkipLine(stream);
  }
  return false;
}

bool readItemInteger(std::FILE* stream, int32_t* out) {
  char word[wordSize];
  return readItemWord(stream, word) && RwParseInteger(word, out);
}

bool readItemFloat(std::FILE* stream, float* out) {
  char word[wordSize];
  while (readItemWord(stream, word)) {
    if (RwParseFloat(word, out)) return true;
  }
  return false;
}

// ---- model building around a reader

// Runs `add` with model building on (derived data deferred), then finishes
// the clump. The flag is put back as it was: an enclosing definition keeps
// building.
template <typename Add>
bool buildDeferred(RwClump* clump, Add add) {
  int building = RwIsModelBuilding();
  RwSetModelBuilding(1);
  bool ok = add();
  RwSetModelBuilding(0);
  ok = ok && RwFinishClumpModel(clump);
  RwSetModelBuilding(building);
  return ok;
}

RwClump* keepOrDestroy(RwClump* clump, bool ok) {
  if (ok) return clump;
  RwDestroyClump(clump);
  return nullptr;
}

bool polygonSizeFits(int32_t count) {
  if (count < 3) return fail(rwErrTooFewVertices);
  if (count > rwLargestShapePolygon) return fail(rwErrTooManyVertices);
  return true;
}

bool addPolygon(RwClump* clump, const int32_t* indices, int32_t count, RwPolygon** added) {
  return RwAddModelPolygon(clump, count, indices, added) != 0;
}

bool applyMaterial(RwPolygon* polygon, const float values[6]) {
  return RwSetPolygonSurface(polygon, values[0], values[1], values[2]) &&
         RwSetPolygonColor(polygon, values[3], values[4], values[5]);
}

// ---- ASCII geometry

// The rest of the line, however long; its first 255 characters kept.
void readRestOfLine(std::FILE* stream, char* line) {
  size_t length = 0;
  for (int c = std::fgetc(stream); c != EOF && c != '\n'; c = std::fgetc(stream)) {
    if (length + 1 < materialLineSize) line[length++] = static_cast<char>(c);
  }
  line[length] = '\0';
}

bool scanSixNumbers(const char* line, float values[6]) {
  for (int i = 0; i < 6; ++i) {
    size_t used = RwScanFloat(line, &values[i]);
    if (!used) return false;
    line += used;
  }
  return true;
}

bool readAsciiVertices(std::FILE* stream, RwClump* clump, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    float x, y, z;
    if (RwReadTypedItems(stream, "fff", &x, &y, &z) != 3) return fail(rwErrRead);
    if (!RwAddModelVertexToClump(clump, x, y, z)) return false;
  }
  return true;
}

bool readAsciiPolygon(std::FILE* stream, RwClump* clump, int32_t vertexCount) {
  int32_t count;
  if (!readItemInteger(stream, &count)) return fail(rwErrRead);
  if (!polygonSizeFits(count)) return false;
  std::array<int32_t, rwLargestShapePolygon> indices;
  for (int32_t i = 0; i < count; ++i) {
    if (!readItemInteger(stream, &indices[i])) return fail(rwErrRead);
    if (indices[i] < 1 || indices[i] > vertexCount) return fail(rwErrVertexIndex);
  }
  char line[materialLineSize];
  readRestOfLine(stream, line);
  RwPolygon* polygon;
  if (!addPolygon(clump, indices.data(), count, &polygon)) return false;
  float material[6];
  return !polygon || !scanSixNumbers(line, material) || applyMaterial(polygon, material);
}

RwClump* readAsciiGeometry(std::FILE* stream, int32_t vertexCount, int32_t polygonCount) {
  if (vertexCount < 0 || polygonCount < 0) return failWith<RwClump>(rwErrRead);
  RwClump* clump = RwCreateClump(std::min(vertexCount, largestInitialRoom), std::min(polygonCount, largestInitialRoom));
  if (!clump) return nullptr;
  bool ok = buildDeferred(clump, [&] {
    if (!readAsciiVertices(stream, clump, vertexCount)) return false;
    for (int32_t i = 0; i < polygonCount; ++i) {
      if (!readAsciiPolygon(stream, clump, vertexCount)) return false;
    }
    return true;
  });
  return keepOrDestroy(clump, ok);
}

// ---- binary geometry

bool readBigEndian32(std::FILE* stream, uint32_t* out) {
  uint8_t bytes[4];
  if (std::fread(bytes, 1, 4, stream) != 4) return false;
  *out = uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
  return true;
}

bool readBigEndian16(std::FILE* stream, int16_t* out) {
  uint8_t bytes[2];
  if (std::fread(bytes, 1, 2, stream) != 2) return false;
  *out = static_cast<int16_t>(bytes[0] << 8 | bytes[1]);
  return true;
}

bool readBigEndianFloat(std::FILE* stream, float* out) {
  uint32_t bits;
  if (!readBigEndian32(stream, &bits)) return false;
  std::memcpy(out, &bits, sizeof bits);
  return true;
}

struct BinaryHeader {
  int32_t vertexRecords;  // the eight corners included
  int32_t polygons;
  int version;  // -1 for files without a version tag
};

bool readBinaryHeader(std::FILE* stream, BinaryHeader* header) {
  uint32_t vertices, polygons;
  uint8_t tag[4];
  if (!readBigEndian32(stream, &vertices) || !readBigEndian32(stream, &polygons) ||
      std::fread(tag, 1, 4, stream) != 4) {
    return fail(rwErrRead);
  }
  header->vertexRecords = static_cast<int32_t>(vertices);
  header->polygons = static_cast<int32_t>(polygons);
  if (tag[3] == 'V' && tag[2] == 'N') {
    header->version = (tag[1] - '0') * 10 + (tag[0] - '0');
  } else {
    header->version = -1;
    std::fseek(stream, 12, SEEK_SET);
  }
  if (header->version < -1 || header->version > 1) return fail(rwErrStreamValue);
  // The vertex records always hold the eight corners.
  if (header->vertexRecords < rwReservedVertices || header->polygons < 0) return fail(rwErrRead);
  return true;
}

// Reads every vertex record before the array is made, so a count the file
// cannot back never reaches an allocation.
bool readBinaryVertices(std::FILE* stream, const BinaryHeader& header, std::vector<RwVertex>* records) {
  for (int32_t i = 0; i < header.vertexRecords; ++i) {
    RwVertex record = {};
    bool ok = readBigEndianFloat(stream, &record.model.x) && readBigEndianFloat(stream, &record.model.y) &&
              readBigEndianFloat(stream, &record.model.z);
    if (ok && header.version == -1) {
      uint32_t words[3];
      ok = readBigEndian32(stream, &words[0]) && readBigEndian32(stream, &words[1]) &&
           readBigEndian32(stream, &words[2]);
      record.screenX = static_cast<int32_t>(words[0]);
      record.screenY = static_cast<int32_t>(words[1]);
      record.depth = static_cast<int32_t>(words[2]);
    }
    if (!ok) return fail(rwErrRead);
    records->push_back(record);
  }
  return true;
}

bool readBinaryPolygon(std::FILE* stream, RwClump* clump, int32_t callerVertices) {
  int16_t count;
  if (!readBigEndian16(stream, &count)) return fail(rwErrRead);
  if (!polygonSizeFits(count)) return false;
  std::array<int32_t, rwLargestShapePolygon> indices;
  for (int16_t i = 0; i < count; ++i) {
    int16_t index;
    if (!readBigEndian16(stream, &index)) return fail(rwErrRead);
    if (index < 1 || index > callerVertices) return fail(rwErrVertexIndex);
    indices[i] = index;
  }
  float material[6];
  for (float& value : material) {
    if (!readBigEndianFloat(stream, &value)) return fail(rwErrRead);
  }
  RwPolygon* polygon;
  if (!addPolygon(clump, indices.data(), count, &polygon)) return false;
  return !polygon || applyMaterial(polygon, material);
}

// What may follow the last polygon is not defined: a file that ends there is
// whole, anything after it is refused.
bool readTrailingSection(std::FILE* stream) { return std::fgetc(stream) == EOF || fail(rwErrStreamValue); }

RwClump* readBinaryGeometry(std::FILE* stream) {
  BinaryHeader header;
  std::vector<RwVertex> records;
  if (!readBinaryHeader(stream, &header) || !readBinaryVertices(stream, header, &records)) return nullptr;
  int32_t callerVertices = header.vertexRecords - rwReservedVertices;
  RwClump* clump = RwCreateClump(callerVertices, std::min(header.polygons, largestInitialRoom));
  if (!clump) return nullptr;
  RwVertexArray* array = clump->vertexArray;
  std::copy(records.begin(), records.begin() + rwReservedVertices, array->vertices);
  for (int32_t slot = rwReservedVertices; slot < header.vertexRecords; ++slot) {
    array->vertices[slot].model = records[slot].model;
    array->vertices[slot].screenX = records[slot].screenX;
    array->vertices[slot].screenY = records[slot].screenY;
    array->vertices[slot].depth = records[slot].depth;
    array->vertices[slot].flags = rwVertexDeferred;
  }
  array->count = header.vertexRecords;
  bool ok = buildDeferred(clump, [&] {
    for (int32_t i = 0; i < header.polygons; ++i) {
      if (!readBinaryPolygon(stream, clump, callerVertices)) return false;
    }
    return true;
  });
  return keepOrDestroy(clump, ok && readTrailingSection(stream));
}

// ---- the format of a file

// 1 binary geometry, 0 something else, -1 an empty file (error 10 set).
int isBinaryGeometry(const char* path) {
  File file = openFile(path, "rb");
  if (!file) return 0;
  uint8_t bytes[4];
  size_t read = std::fread(bytes, 1, 4, file.get());
  if (read == 0) {
    RwSetError(rwErrRead);
    return -1;
  }
  uint32_t word = uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
  return read == 4 && word == rwBinaryGeometryMagic ? 1 : 0;
}

RwClump* readBinaryFile(const char* path) {
  File file = openFile(path, "rb");
  if (!file) return failWith<RwClump>(rwErrFileOpen);
  std::fseek(file.get(), 4, SEEK_SET);
  return readBinaryGeometry(file.get());
}

// ASCII geometry when the file starts with two counts, else a model script.
RwClump* readTextFile(const char* path) {
  File file = openFile(path, "r");
  if (!file) return failWith<RwClump>(rwErrFileOpen);
  int32_t vertices = -1, polygons = -1;
  int items = RwReadTypedItems(file.get(), "dd", &vertices, &polygons);
  if (items >= 1 && vertices != -1 && polygons != -1) return readAsciiGeometry(file.get(), vertices, polygons);
  std::rewind(file.get());
  return RwInterpretScript(file.get());
}

}  // namespace

RwClump* RwReadShape(const char* name) {
  const char* found = RwFindFile(name);
  if (!found) return failWith<RwClump>(rwErrFileNotFound);
  std::string path = found;  // the found-name buffer is reused by includes
  int binary = isBinaryGeometry(path.c_str());
  if (binary < 0) return nullptr;
  return binary ? readBinaryFile(path.c_str()) : readTextFile(path.c_str());
}

int RwReadTypedItems(std::FILE* stream, const char* format, ...) {
  static constexpr RwItemReaders itemReaders = {readItemInteger, readItemFloat, readItemWord};
  va_list destinations;
  va_start(destinations, format);
  const int stored = RwReadFormatted(stream, format, destinations, itemReaders);
  va_end(destinations);
  return stored;
}

int RwOpenShapeReader() {
  RwClearShapePath();
  return RwOpenModellingModule();
}

int RwCloseShapeReader() { return RwCloseModellingModule(); }
