// engine/imageformats.cpp -- the two image file formats: Windows BMP and the
// raster file. Each checks its header against what the file holds before it
// allocates, then hands every row to RwAddImageRow.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "engine/error.h"
#include "engine/imagefile.h"
#include "engine/rasters.h"
#include "engine/texture.h"

namespace {

// ---- reading

bool readBytes(std::FILE* file, void* out, size_t count) { return std::fread(out, 1, count, file) == count; }

uint32_t littleEndian16(const uint8_t* p) { return p[0] | (p[1] << 8); }
uint32_t littleEndian32(const uint8_t* p) { return littleEndian16(p) | (littleEndian16(p + 2) << 16); }
uint32_t bigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

int64_t fileSize(std::FILE* file) {
  long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(file);
  return std::fseek(file, here, SEEK_SET) == 0 ? size : -1;
}

// Whether `bytes` more bytes are left to read from the file's position.
bool fileHolds(std::FILE* file, int64_t bytes) {
  long here = std::ftell(file);
  int64_t size = fileSize(file);
  return here >= 0 && size >= 0 && size - here >= bytes;
}

intptr_t fail(int error) {
  RwSetError(error);
  return 0;
}

bool sideAccepted(int64_t side) { return side >= 1 && side <= rwImageMaxSide; }

bool sizeAccepted(int64_t width, int64_t height) {
  return sideAccepted(width) && sideAccepted(height) && width * height <= rwImageMaxPixels;
}

// A resampled strip has one frame per whole multiple of the width.
bool framesAccepted(int32_t width, int32_t height) {
  return height % width != 0 || height / width <= rwImageMaxFrames;
}

// A 128-wide 8-bit strip of whole frames is already a texture.
intptr_t resampleRule(int32_t fileDepth, int32_t width, int32_t height, intptr_t decodeBits) {
  if (fileDepth == 8 && width == rwTextureSide && height % rwTextureSide == 0) return decodeBits & ~rwDecodeResample;
  return decodeBits;
}

intptr_t sizeWord(int32_t width, int32_t height) { return (intptr_t{width} << 16) | height; }

// ---- BMP

struct BmpHeader {
  uint32_t dataOffset;
  uint32_t headerSize;
  int32_t width;
  int32_t height;  // rows; negative in the file for a top-down image
  bool topDown;
  int32_t depth;
  uint32_t compression;
  int32_t paletteEntries;
  int32_t paletteEntryBytes;
};

constexpr size_t bmpFieldBytes = 50;  // up to and including "colours used"

// The core header (12) and the info header with its later extensions; any
// other size is not a BMP this reader knows how to skip past.
bool bmpHeaderSizeKnown(uint32_t size) {
  constexpr uint32_t known[] = {12, 40, 52, 56, 108, 124};
  return std::find(std::begin(known), std::end(known), size) != std::end(known);
}

bool readBmpHeader(std::FILE* file, BmpHeader* header) {
  uint8_t bytes[bmpFieldBytes] = {};
  if (!readBytes(file, bytes, 18)) return fail(rwErrRead);
  header->dataOffset = littleEndian32(bytes + 10);
  header->headerSize = littleEndian32(bytes + 14);
  if (!bmpHeaderSizeKnown(header->headerSize)) return fail(rwErrImageLayout);
  int64_t headerEnd = int64_t{14} + header->headerSize;  // 64 bits: the field is the file's word
  if (!fileHolds(file, headerEnd - 18)) return fail(rwErrRead);
  size_t fieldBytes = static_cast<size_t>(std::min<int64_t>(headerEnd, bmpFieldBytes) - 18);
  if (!readBytes(file, bytes + 18, fieldBytes)) return fail(rwErrRead);
  if (headerEnd > static_cast<int64_t>(bmpFieldBytes) &&
      std::fseek(file, static_cast<long>(headerEnd - static_cast<int64_t>(bmpFieldBytes)), SEEK_CUR) != 0) {
    return fail(rwErrRead);
  }
  int64_t height;
  uint32_t coloursUsed = 0;
  if (header->headerSize == 12) {
    header->width = static_cast<int32_t>(littleEndian16(bytes + 18));
    height = littleEndian16(bytes + 20);
    header->depth = static_cast<int32_t>(littleEndian16(bytes + 24));
    header->compression = 0;
    header->paletteEntryBytes = 3;
  } else {
    header->width = static_cast<int32_t>(littleEndian32(bytes + 18));
    height = static_cast<int32_t>(littleEndian32(bytes + 22));
    header->depth = static_cast<int32_t>(littleEndian16(bytes + 28));
    header->compression = littleEndian32(bytes + 30);
    coloursUsed = std::min<uint32_t>(littleEndian32(bytes + 46), 256);
    header->paletteEntryBytes = 4;
  }
  header->topDown = height < 0;
  height = header->topDown ? -height : height;
  if (!sizeAccepted(header->width, height)) return fail(rwErrImageLayout);
  header->height = static_cast<int32_t>(height);
  if (header->depth != 1 && header->depth != 4 && header->depth != 8 && header->depth != 24) {
    return fail(rwErrImageLayout);
  }
  header->paletteEntries = header->depth == 24 ? 0 : (coloursUsed ? coloursUsed : 1 << header->depth);
  return true;
}

bool readBmpPalette(std::FILE* file, const BmpHeader& header, uint8_t* colourMap) {
  if (header.paletteEntries == 0) return true;
  if (header.headerSize != 12 && header.headerSize != 40) return fail(rwErrImageLayout);
  for (int32_t i = 0; i < header.paletteEntries; ++i) {
    uint8_t entry[4];
    if (!readBytes(file, entry, header.paletteEntryBytes)) return fail(rwErrRead);
    colourMap[i * 3] = entry[2];
    colourMap[i * 3 + 1] = entry[1];
    colourMap[i * 3 + 2] = entry[0];
  }
  return true;
}

// The 8-bit run-length scheme: its state carries from row to row.
struct RunLengthRows {
  std::FILE* file;
  size_t rowBytes;
  int64_t skippedRows = 0;   // zero rows still to store after a move down
  int64_t startColumn = 0;   // where the next row begins after a move
  bool pictureEnded = false;
};

void putBytes(uint8_t* row, size_t rowBytes, int64_t column, const uint8_t* bytes, int64_t count) {
  for (int64_t i = 0; i < count && column + i < static_cast<int64_t>(rowBytes); ++i) row[column + i] = bytes[i];
}

// One row; false (error 10) when the file ends inside it.
bool readRunLengthRow(RunLengthRows* state, uint8_t* row) {
  std::memset(row, 0, state->rowBytes);
  if (state->pictureEnded) return true;
  if (state->skippedRows > 0) {
    --state->skippedRows;
    return true;
  }
  int64_t column = state->startColumn;
  state->startColumn = 0;
  for (;;) {
    uint8_t pair[2];
    if (!readBytes(state->file, pair, 2)) return fail(rwErrRead);
    if (pair[0] > 0) {
      uint8_t run[255];
      std::memset(run, pair[1], pair[0]);
      putBytes(row, state->rowBytes, column, run, pair[0]);
      column += pair[0];
    } else if (pair[1] == 0) {
      return true;
    } else if (pair[1] == 1) {
      state->pictureEnded = true;
      return true;
    } else if (pair[1] == 2) {
      uint8_t move[2];
      if (!readBytes(state->file, move, 2)) return fail(rwErrRead);
      column += move[0];
      if (move[1] > 0) {
        state->skippedRows = move[1] - 1;
        state->startColumn = column;
        return true;
      }
    } else {
      uint8_t literal[256];
      size_t count = pair[1] + (pair[1] & 1);
      if (!readBytes(state->file, literal, count)) return fail(rwErrRead);
      putBytes(row, state->rowBytes, column, literal, pair[1]);
      column += pair[1];
    }
  }
}

}  // namespace

intptr_t RwReadBMP(std::FILE* file, RwRaster* raster, intptr_t decodeBits) {
  if (!file || !raster || !raster->colourMap) return fail(rwErrInvalidArgument);
  BmpHeader header;
  if (!readBmpHeader(file, &header) || !readBmpPalette(file, header, raster->colourMap)) return 0;
  if (std::fseek(file, header.dataOffset, SEEK_SET) != 0) return fail(rwErrRead);
  size_t fileRowBytes = (static_cast<size_t>(header.width) * header.depth + 31) / 32 * 4;
  bool compressed = header.compression != 0 && header.depth < 24;
  if (!compressed && !fileHolds(file, static_cast<int64_t>(fileRowBytes) * header.height)) return fail(rwErrRead);
  decodeBits = resampleRule(header.depth, header.width, header.height, decodeBits);
  if ((decodeBits & rwDecodeResample) && !framesAccepted(header.width, header.height)) return fail(rwErrImageLayout);
  if (header.topDown) decodeBits &= ~rwDecodeBottomUp;
  std::vector<uint8_t> row(RwImageRowBufferSize(header.width, header.depth));
  RunLengthRows runs{file, fileRowBytes};
  RwImageResampler resampler;
  for (int32_t index = 0; index < header.height; ++index) {
    if (compressed ? !readRunLengthRow(&runs, row.data()) : !readBytes(file, row.data(), fileRowBytes)) {
      return fail(rwErrRead);
    }
    if (!RwAddImageRow(row.data(), header.width, header.height, index, header.depth, raster, decodeBits | rwDecodeSwap,
                       &resampler)) {
      return 0;
    }
  }
  return sizeWord(header.width, header.height);
}

// ---- raster file

namespace {

struct RasHeader {
  uint32_t width, height, depth, length, type, mapType, mapLength;
};

constexpr uint32_t rasTypeByteEncoded = 2;
constexpr uint32_t rasTypeRGB = 3;
constexpr uint32_t rasMapRGB = 1;
constexpr uint32_t rasMapRaw = 2;
constexpr uint8_t rasRunMarker = 128;

bool readRasHeader(std::FILE* file, RasHeader* header) {
  uint8_t bytes[32];
  if (!readBytes(file, bytes, sizeof bytes)) return fail(rwErrRead);
  header->width = bigEndian32(bytes + 4);
  header->height = bigEndian32(bytes + 8);
  header->depth = bigEndian32(bytes + 12);
  header->length = bigEndian32(bytes + 16);
  header->type = bigEndian32(bytes + 20);
  header->mapType = bigEndian32(bytes + 24);
  header->mapLength = bigEndian32(bytes + 28);
  if (!sizeAccepted(header->width, header->height) || header->type > rasTypeRGB) {
    return fail(rwErrImageLayout);
  }
  if (header->depth != 1 && header->depth != 8 && header->depth != 24 && header->depth != 32) {
    return fail(rwErrImageLayout);
  }
  if (header->length == 0) header->length = header->width * header->height;
  return true;
}

bool readRasMap(std::FILE* file, const RasHeader& header, uint8_t* colourMap) {
  uint32_t length = header.mapLength;
  if (header.mapType == rasMapRGB && length % 3 != 0) return fail(rwErrImageLayout);
  if (length > 256 * 3 || !fileHolds(file, length)) return fail(length > 256 * 3 ? rwErrImageLayout : rwErrRead);
  std::vector<uint8_t> map(length);
  if (!readBytes(file, map.data(), length)) return fail(rwErrRead);
  if (length == 0) {
    for (int i = 0; i < 256; ++i) std::memset(colourMap + i * 3, header.depth == 1 ? (i ? 255 : 0) : i, 3);
  } else if (header.mapType == rasMapRGB) {
    uint32_t entries = length / 3;
    for (uint32_t i = 0; i < entries; ++i) {
      for (int c = 0; c < 3; ++c) colourMap[i * 3 + c] = map[c * entries + i];
    }
  } else if (header.mapType == rasMapRaw) {
    if (length > 256) return fail(rwErrImageLayout);
    for (uint32_t i = 0; i < length; ++i) std::memset(colourMap + i * 3, map[i], 3);
  }
  return true;
}

// Byte-encoded data: 128 n v is n + 1 bytes of v, 128 0 a single 128.
struct RunBytes {
  std::FILE* file;
  uint32_t repeat = 0;
  uint8_t value = 0;
};

bool nextRunByte(RunBytes* runs, uint8_t* out) {
  if (runs->repeat > 0) {
    --runs->repeat;
    *out = runs->value;
    return true;
  }
  uint8_t byte, count;
  if (!readBytes(runs->file, &byte, 1)) return false;
  if (byte != rasRunMarker) {
    *out = byte;
    return true;
  }
  if (!readBytes(runs->file, &count, 1)) return false;
  if (count == 0) {
    *out = rasRunMarker;
    return true;
  }
  if (!readBytes(runs->file, &runs->value, 1)) return false;
  runs->repeat = count;
  *out = runs->value;
  return true;
}

bool readByteEncodedRow(RunBytes* runs, uint8_t* row, size_t rowBytes) {
  for (size_t i = 0; i < rowBytes; ++i) {
    if (!nextRunByte(runs, row + i)) return false;
  }
  return true;
}

}  // namespace

intptr_t RwReadRasFile(std::FILE* file, RwRaster* raster, intptr_t decodeBits) {
  if (!file || !raster || !raster->colourMap) return fail(rwErrInvalidArgument);
  RasHeader header;
  if (!readRasHeader(file, &header) || !readRasMap(file, header, raster->colourMap)) return 0;
  int32_t width = static_cast<int32_t>(header.width), height = static_cast<int32_t>(header.height);
  int32_t depth = static_cast<int32_t>(header.depth);
  size_t rowBytes = (static_cast<size_t>(width) * depth + 15) / 16 * 2;
  bool encoded = header.type == rasTypeByteEncoded;
  if (!encoded && !fileHolds(file, static_cast<int64_t>(rowBytes) * height)) return fail(rwErrRead);
  decodeBits = resampleRule(depth, width, height, decodeBits);
  if ((decodeBits & rwDecodeResample) && !framesAccepted(width, height)) return fail(rwErrImageLayout);
  if (header.type == rasTypeRGB) decodeBits &= ~rwDecodeSwap;
  std::vector<uint8_t> row(RwImageRowBufferSize(width, depth));
  RunBytes runs{file};
  RwImageResampler resampler;
  for (int32_t index = 0; index < height; ++index) {
    bool read = encoded ? readByteEncodedRow(&runs, row.data(), rowBytes) : readBytes(file, row.data(), rowBytes);
    if (!read) return fail(rwErrRead);
    if (!RwAddImageRow(row.data(), width, height, index, depth, raster, decodeBits, &resampler)) return 0;
  }
  return sizeWord(width, height);
}
