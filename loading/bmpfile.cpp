// loading/bmpfile.cpp -- BMP headers, colour maps and rows; see bmpfile.h.
#include "loading/bmpfile.h"

#include <cstring>

#include "core/memory.h"
#include "core/report.h"

namespace {

bool validDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24; }

// Entries of the colour map on file: colours used, or all that the depth can
// index when that is 0.
uint32_t mapEntries(const ZmBmpInfo* info) {
  return info->colorsUsed != 0 ? info->colorsUsed : (1u << info->bitCount);
}

bool putBytes(FILE* file, uint32_t value, int width) {
  unsigned char bytes[4];
  for (int i = 0; i < width; i++) bytes[i] = (unsigned char)(value >> (8 * i));
  return fwrite(bytes, 1, width, file) == (size_t)width;
}

bool getBytes(FILE* file, uint32_t* value, int width) {
  unsigned char bytes[4];
  if (fread(bytes, 1, width, file) != (size_t)width) return false;
  *value = 0;
  for (int i = 0; i < width; i++) *value |= (uint32_t)bytes[i] << (8 * i);
  return true;
}

bool writeInfoFields(FILE* file, const ZmBmpInfo* info) {
  return putBytes(file, info->headerSize, 4) && putBytes(file, (uint32_t)info->width, 4) &&
         putBytes(file, (uint32_t)info->height, 4) && putBytes(file, info->planes, 2) &&
         putBytes(file, info->bitCount, 2) && putBytes(file, info->compression, 4) &&
         putBytes(file, info->imageSize, 4) && putBytes(file, (uint32_t)info->xPelsPerMeter, 4) &&
         putBytes(file, (uint32_t)info->yPelsPerMeter, 4) && putBytes(file, info->colorsUsed, 4) &&
         putBytes(file, info->colorsImportant, 4);
}

// Packs `width` one-byte pixels into `out` at the given depth.
void packRow(const ZmBmpInfo* info, const unsigned char* row, unsigned char* out) {
  int32_t width = info->width;
  switch (info->bitCount) {
    case 1:
      for (int32_t x = 0; x < width; x++)
        if (row[x] != 0) out[x >> 3] |= (unsigned char)(0x80 >> (x & 7));
      break;
    case 4:
      for (int32_t x = 0; x < width; x++) out[x >> 1] |= (unsigned char)((row[x] & 0x0F) << ((x & 1) ? 0 : 4));
      break;
    default:
      memcpy(out, row, (size_t)width * (info->bitCount / 8));
  }
}

void unpackRow(const ZmBmpInfo* info, const unsigned char* in, unsigned char* row) {
  int32_t width = info->width;
  switch (info->bitCount) {
    case 1:
      for (int32_t x = 0; x < width; x++) row[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
      break;
    case 4:
      for (int32_t x = 0; x < width; x++) row[x] = (x & 1) ? (in[x >> 1] & 0x0F) : (in[x >> 1] >> 4);
      break;
    default:
      memcpy(row, in, (size_t)width * (info->bitCount / 8));
  }
}

// Bytes of packed pixel data in a row, before the padding.
// 64 bits: three bytes a pixel of a 32-bit width do not fit in 32.
uint64_t packedLength(const ZmBmpInfo* info) {
  uint64_t width = (uint32_t)info->width;
  switch (info->bitCount) {
    case 1: return (width + 7) / 8;
    case 4: return (width + 1) / 2;
    case 8: return width;
    default: return width * 3;
  }
}

// The rest of rule "read the headers": everything after the header size.
// Returns 0, -1 after its own warning, or 1 for a failed read.
int readInfoBody(FILE* file, ZmBmpInfo* info, int* entrySize) {
  uint32_t v[10];
  if (info->headerSize == 12) {
    if (!getBytes(file, &v[0], 2) || !getBytes(file, &v[1], 2) || !getBytes(file, &v[2], 2) ||
        !getBytes(file, &v[3], 2))
      return 1;
    info->width = (int32_t)v[0];
    info->height = (int32_t)v[1];
    info->planes = (uint16_t)v[2];
    info->bitCount = (uint16_t)v[3];
    info->compression = 0;
    info->imageSize = 0;
    info->xPelsPerMeter = info->yPelsPerMeter = 0;
    info->colorsUsed = info->colorsImportant = 0;
    *entrySize = 3;
    return 0;
  }
  // Newer headers (108, 124 bytes) begin with the same 40 bytes; anything
  // shorter is not a header we can read.
  if (info->headerSize < 40) {
    zmReportWarning("zmReadBMPHeaders : file is not in bmp format\n");
    return -1;
  }
  static const int widths[10] = {4, 4, 2, 2, 4, 4, 4, 4, 4, 4};
  for (int i = 0; i < 10; i++)
    if (!getBytes(file, &v[i], widths[i])) return 1;
  info->width = (int32_t)v[0];
  info->height = (int32_t)v[1];
  info->planes = (uint16_t)v[2];
  info->bitCount = (uint16_t)v[3];
  info->compression = v[4];
  info->imageSize = v[5];
  info->xPelsPerMeter = (int32_t)v[6];
  info->yPelsPerMeter = (int32_t)v[7];
  info->colorsUsed = v[8];
  info->colorsImportant = v[9];
  if (info->headerSize > 40 && fseek(file, (long)(info->headerSize - 40), SEEK_CUR) != 0) return 1;
  *entrySize = 4;
  return 0;
}

int readColormap(FILE* file, ZmBmpInfo* info, int entrySize) {
  if ((int32_t)info->colorsUsed < 0) info->colorsUsed = 0;
  uint32_t capacity = 1u << info->bitCount;
  if (info->colorsUsed > capacity) {
    zmReportWarning("zmReadBMPInfoHeader : invalid number of colors\n");
    return -1;
  }
  if (info->colormap == nullptr) {
    info->colormap = (unsigned char*)zmMalloc((size_t)capacity * 4);
    if (info->colormap == nullptr) {
      zmReportWarning("zmReadBMPInfoHeader : cannot allocate memory\n");
      return -1;
    }
  }
  uint32_t entries = mapEntries(info);
  for (uint32_t i = 0; i < entries; i++) {
    unsigned char entry[4] = {0, 0, 0, 0};
    if (fread(entry, 1, entrySize, file) != (size_t)entrySize) return 1;
    entry[3] = 0;
    memcpy(info->colormap + 4 * i, entry, 4);
  }
  return 0;
}

}  // namespace

uint64_t zmBMPRowLength(const ZmBmpInfo* info) { return (packedLength(info) + 3) & ~uint64_t{3}; }

int zmSetBMPHeader(ZmBmpFileHeader* header, ZmBmpInfo* info) {
  if (info->width < 1) {
    zmReportWarning("zmSetBMPHeader : invalid width for bitmap\n");
    return -1;
  }
  if (info->height < 1) {
    zmReportWarning("zmSetBMPHeader : invalid height for bitmap.\n");
    return -1;
  }
  if (!validDepth(info->bitCount)) {
    zmReportWarning("zmSetBMPHeader : invalid depth for bitmap\n");
    return -1;
  }
  if (info->compression != 0) {
    zmReportWarning("zmSetBMPHeader : RLE and Bitfield encoding are not supported..use BI_RGB\n");
    info->compression = 0;
  }
  memcpy(header->type, "BM", 3);
  header->reserved1 = header->reserved2 = 0;
  info->headerSize = 40;
  info->planes = 1;
  if (info->colorsUsed > (1u << info->bitCount)) {
    zmReportWarning("zmSetBMPHeaders : invalid number for #colors...reset to default.\n");
    info->colorsUsed = 0;
  }
  uint64_t offset = 54;
  if (info->bitCount < 24) offset += 4 * (uint64_t)mapEntries(info);
  uint64_t imageSize = (uint64_t)info->height * zmBMPRowLength(info);
  if (imageSize + offset > UINT32_MAX) {
    zmReportWarning("zmSetBMPHeader : bitmap too large\n");
    return -1;
  }
  header->dataOffset = (uint32_t)offset;
  info->imageSize = (uint32_t)imageSize;
  header->fileSize = (uint32_t)(imageSize + offset);
  return 0;
}

int zmWriteBMPHeaders(FILE* file, const ZmBmpFileHeader* header, const ZmBmpInfo* info) {
  if (fwrite("BM", 1, 2, file) != 2 || !putBytes(file, header->fileSize, 4) || !putBytes(file, header->reserved1, 2) ||
      !putBytes(file, header->reserved2, 2) || !putBytes(file, header->dataOffset, 4) || !writeInfoFields(file, info)) {
    zmReportWarning("zmWriteBMPHeaders : failed to write header to file.\n");
    return -1;
  }
  if (info->bitCount >= 24) return 0;
  uint32_t entries = mapEntries(info);
  for (uint32_t i = 0; i < entries; i++) {
    unsigned char entry[4] = {0, 0, 0, 0};
    if (info->colormap != nullptr) memcpy(entry, info->colormap + 4 * i, 4);
    if (fwrite(entry, 1, 4, file) != 4) {
      zmReportWarning("zmWriteBMPHeaders : failed to write colormap to file.\n");
      return -1;
    }
  }
  return 0;
}

int zmWriteBMPRow(FILE* file, const ZmBmpInfo* info, const unsigned char* row) {
  size_t length = zmBMPRowLength(info);
  size_t data = packedLength(info);
  unsigned char* out = (unsigned char*)zmMalloc(length);
  if (out == nullptr) {
    zmReportWarning("zmWriteBMPRow : failed to write imagedata to file.\n");
    return -1;
  }
  packRow(info, row, out);
  int result = 0;
  if (fwrite(out, 1, data, file) != data) {
    zmReportWarning("zmWriteBMPRow : failed to write imagedata to file.\n");
    result = -1;
  } else if (fwrite(out + data, 1, length - data, file) != length - data) {
    zmReportWarning("zmWriteBMPRow : failed to write padding data to file.\n");
    result = -1;
  }
  zmFree(out);
  return result;
}

int zmWriteBMP(const char* name, ZmBmpFileHeader* header, ZmBmpInfo* info, const unsigned char* pixels) {
  FILE* file = name == nullptr ? stdout : fopen(name, "wb");
  if (file == nullptr) {
    zmReportWarning("zmWriteBMP : failed to open file.\n");
    return -1;
  }
  const char* failure = nullptr;
  if (zmSetBMPHeader(header, info) != 0) {
    failure = "zmWriteBMP : failed to set BMP header fields.\n";
  } else if (info->compression != 0) {
    failure = "zmWriteBMP : RLE compression is not supported yet.\n";
  } else if (zmWriteBMPHeaders(file, header, info) != 0) {
    failure = "zmWriteBMP : failed to write BMP headers.\n";
  } else {
    size_t rowBytes = (size_t)info->width * (info->bitCount == 24 ? 3 : 1);
    for (int32_t y = 0; y < info->height && failure == nullptr; y++)
      if (zmWriteBMPRow(file, info, pixels + rowBytes * y) != 0) failure = "zmWriteBMP : failed to write BMP data.\n";
  }
  if (failure == nullptr && fflush(file) != 0) failure = "zmWriteBMP : failed to write BMP data.\n";
  if (file != stdout && fclose(file) != 0 && failure == nullptr) failure = "zmWriteBMP : failed to write BMP data.\n";
  if (failure == nullptr) return 0;
  zmReportWarning("%s", failure);
  return -1;
}

int zmOpenBMP(const char* name, FILE** file) {
  if (name == nullptr) {
    *file = stdin;
    return 0;
  }
  *file = fopen(name, "rb");
  if (*file != nullptr) return 0;
  size_t length = strlen(name);
  char* longer = (char*)zmMalloc(length + 5);
  if (longer == nullptr) {
    zmReportWarning("zmOpenBMP : cannot allocate memory\n");
    return -1;
  }
  memcpy(longer, name, length);
  memcpy(longer + length, ".bmp", 5);
  *file = fopen(longer, "rb");
  zmFree(longer);
  if (*file != nullptr) return 0;
  zmReportWarning("zmOpenBMP : cannot open bmpfile\n");
  return -1;
}

namespace {

// The info (or core) header after its size word, its checks and the colour
// map; 0, or -1 after a warning.
int readInfoAfterSize(FILE* file, ZmBmpInfo* info) {
  int entrySize;
  switch (readInfoBody(file, info, &entrySize)) {
    case 0: break;
    case 1: goto readFailure;
    default: return -1;
  }
  if (info->width < 1) {
    zmReportWarning("zmReadBMPInfoHeader : invalid width bitmap\n");
    return -1;
  }
  if (info->height < 1) {
    zmReportWarning("zmReadBMPInfoHeader : invalid height bitmap\n");
    return -1;
  }
  if (!validDepth(info->bitCount)) {
    zmReportWarning("zmReadBMPInfoHeader : invalid depth bmpfile\n");
    return -1;
  }
  if (info->bitCount < 24) {
    switch (readColormap(file, info, entrySize)) {
      case 0: break;
      case 1: goto readFailure;
      default: return -1;
    }
  }
  return 0;
readFailure:
  zmReportWarning("zmReadBMPHeaders : failed to read data from file.\n");
  return -1;
}

}  // namespace

int zmReadBMPInfoHeader(FILE* file, ZmBmpFileHeader* header, ZmBmpInfo* info) {
  char type[2];
  uint32_t v[4];
  if (fread(type, 1, 2, file) != 2) goto readFailure;
  if (type[0] != 'B' || type[1] != 'M') {
    zmReportWarning("zmReadBMPHeaders : file is not in bmp format\n");
    return -1;
  }
  memcpy(header->type, "BM", 3);
  if (!getBytes(file, &v[0], 4) || !getBytes(file, &v[1], 2) || !getBytes(file, &v[2], 2) ||
      !getBytes(file, &v[3], 4) || !getBytes(file, &info->headerSize, 4))
    goto readFailure;
  header->fileSize = v[0];
  header->reserved1 = (uint16_t)v[1];
  header->reserved2 = (uint16_t)v[2];
  header->dataOffset = v[3];
  return readInfoAfterSize(file, info);
readFailure:
  zmReportWarning("zmReadBMPHeaders : failed to read data from file.\n");
  return -1;
}

int zmReadBMPInfoOnly(FILE* file, ZmBmpInfo* info) {
  if (!getBytes(file, &info->headerSize, 4)) {
    zmReportWarning("zmReadBMPHeaders : failed to read data from file.\n");
    return -1;
  }
  return readInfoAfterSize(file, info);
}

int zmReadBMPRow(FILE* file, const ZmBmpInfo* info, unsigned char* row) {
  size_t length = zmBMPRowLength(info);
  unsigned char* in = (unsigned char*)zmMalloc(length);
  int result = 0;
  if (in == nullptr || fread(in, 1, length, file) != length) {
    zmReportWarning("zmReadBMPRow : failed to read data from file.\n");
    result = -1;
  } else {
    unpackRow(info, in, row);
  }
  zmFree(in);
  return result;
}

int zmReadBMP(const char* name, ZmBmpFileHeader* header, ZmBmpInfo* info, unsigned char** pixels) {
  FILE* file;
  if (zmOpenBMP(name, &file) != 0) return -1;
  const char* shownName = name != nullptr ? name : "stdin";
  unsigned char* givenMap = info->colormap;
  unsigned char* newPixels = nullptr;
  int result = -1;
  if (zmReadBMPInfoHeader(file, header, info) != 0) {
    zmReportWarning("zmReadBMP : failed to read bmp header from %s\n", shownName);
  } else if (info->compression != 0) {
    zmReportWarning("zmReadBMP : RLE decompression is not supported yet\n");
  } else {
    size_t rowBytes = (size_t)info->width * (info->bitCount == 24 ? 3 : 1);
    uint64_t total = (uint64_t)rowBytes * (uint64_t)info->height;
    unsigned char* target = *pixels;
    if (target == nullptr) {
      if (total <= ZM_BMP_MAX_PIXEL_BYTES) target = newPixels = (unsigned char*)zmMalloc((size_t)total);
      if (target == nullptr) zmReportWarning("zmReadBMP : cannot allocate memory\n");
    }
    if (target != nullptr) {
      result = 0;
      for (int32_t y = 0; y < info->height && result == 0; y++)
        if (zmReadBMPRow(file, info, target + rowBytes * y) != 0) result = -1;
      if (result != 0) zmReportWarning("zmReadBMP : failed to read data from %s\n", shownName);
    }
  }
  if (file != stdin) fclose(file);
  if (result == 0) {
    if (*pixels == nullptr) *pixels = newPixels;
    return 0;
  }
  zmFree(newPixels);
  if (givenMap == nullptr && info->colormap != nullptr) {
    zmFree(info->colormap);
    info->colormap = nullptr;
  }
  return -1;
}
