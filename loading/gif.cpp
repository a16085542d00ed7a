// loading/gif.cpp -- GIF reading, LZW decoding and the GIF to BMP converter;
// see gif.h.
#include "loading/gif.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "core/dirs.h"
#include "core/memory.h"
#include "core/report.h"
#include "loading/bmpfile.h"

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kMaxCodeSize = 12;

// The one GIF being read: screen, last graphic-control values and decoder.
struct GifReader {
  uint16_t screenWidth, screenHeight;
  int globalTableSize;  // 0 without a global table
  int colorResolution;
  int background;
  int aspect;
  int disposal, userInput, delay;  // from the last Graphic Control Extension
  uint16_t transparent;            // ZM_GIF_NO_TRANSPARENT when none

  int initialCodeSize;
  int codeSize;
  int clearCode, endCode, nextCode;
  int previousCode;  // -1 until the first code after a clear
  int firstByte;     // first byte of the previous code's string
  uint16_t prefix[kMaxCodes];
  unsigned char suffix[kMaxCodes];
  unsigned char stack[kMaxCodes + 1];
  int stackTop;

  uint32_t bitBuffer;  // pending bits, least significant first
  int bitCount;
  int blockLeft;   // bytes left in the current data sub-block
  bool dataEnded;  // the zero-length sub-block (or the file end) was met
  bool finished;   // end code or damage: no more pixels
};

GifReader reader;

// ---- data sub-blocks and codes ----------------------------------------

int nextDataByte(FILE* file) {
  if (reader.dataEnded) return -1;
  if (reader.blockLeft == 0) {
    int length = fgetc(file);
    if (length <= 0) {
      reader.dataEnded = true;
      return -1;
    }
    reader.blockLeft = length;
  }
  int c = fgetc(file);
  if (c == EOF) {
    reader.dataEnded = true;
    return -1;
  }
  reader.blockLeft--;
  return c;
}

// Skips what is left of the current sub-block and the rest of the chain.
void skipRemainingData(FILE* file) {
  while (nextDataByte(file) >= 0) {
  }
}

int readCode(FILE* file) {
  while (reader.bitCount < reader.codeSize) {
    int c = nextDataByte(file);
    if (c < 0) return -1;
    reader.bitBuffer |= (uint32_t)c << reader.bitCount;
    reader.bitCount += 8;
  }
  int code = (int)(reader.bitBuffer & ((1u << reader.codeSize) - 1));
  reader.bitBuffer >>= reader.codeSize;
  reader.bitCount -= reader.codeSize;
  return code;
}

void resetTables() {
  reader.codeSize = reader.initialCodeSize + 1;
  reader.nextCode = reader.clearCode + 2;
  reader.previousCode = -1;
  for (int i = 0; i < kMaxCodes; i++) {
    reader.prefix[i] = 0;
    reader.suffix[i] = (unsigned char)(i < reader.clearCode ? i : 0);
  }
}

void startDecoder(int initialCodeSize) {
  reader.initialCodeSize = initialCodeSize;
  reader.clearCode = 1 << initialCodeSize;
  reader.endCode = reader.clearCode + 1;
  reader.stackTop = 0;
  reader.bitBuffer = 0;
  reader.bitCount = 0;
  reader.blockLeft = 0;
  reader.dataEnded = false;
  reader.finished = false;
  resetTables();
}

// Pushes the string of `code` (known to be in the table) onto the stack.
void pushString(int code) {
  while (code >= reader.clearCode) {
    reader.stack[reader.stackTop++] = reader.suffix[code];
    code = reader.prefix[code];
  }
  reader.firstByte = code;
  reader.stack[reader.stackTop++] = (unsigned char)code;
}

void addTableEntry() {
  if (reader.nextCode >= kMaxCodes) return;
  reader.prefix[reader.nextCode] = (uint16_t)reader.previousCode;
  reader.suffix[reader.nextCode] = (unsigned char)reader.firstByte;
  reader.nextCode++;
  if (reader.nextCode >= (1 << reader.codeSize) && reader.codeSize < kMaxCodeSize) reader.codeSize++;
}

// The next pixel index, or -1 at the end code or on damage (then for good).
int nextPixel(FILE* file) {
  if (reader.stackTop > 0) return reader.stack[--reader.stackTop];
  if (reader.finished) return -1;
  for (;;) {
    int code = readCode(file);
    if (code < 0) break;
    if (code == reader.clearCode) {
      resetTables();
      continue;
    }
    if (code == reader.endCode) {
      skipRemainingData(file);
      break;
    }
    if (reader.previousCode < 0) {
      // The first code after a clear must be a literal.
      if (code >= reader.clearCode) break;
      reader.previousCode = code;
      reader.firstByte = code;
      return code;
    }
    if (code > reader.nextCode || (code == reader.nextCode && reader.nextCode >= kMaxCodes)) break;
    int incoming = code;
    if (code == reader.nextCode) {
      // The string is the previous one plus its own first byte.
      reader.stack[reader.stackTop++] = (unsigned char)reader.firstByte;
      code = reader.previousCode;
    }
    pushString(code);
    addTableEntry();
    reader.previousCode = incoming;
    return reader.stack[--reader.stackTop];
  }
  reader.finished = true;
  reader.stackTop = 0;
  return -1;
}

// ---- blocks before the image --------------------------------------------

bool readExact(FILE* file, unsigned char* buffer, size_t count) { return fread(buffer, 1, count, file) == count; }

bool skipSubBlocks(FILE* file) {
  unsigned char buffer[255];
  for (;;) {
    int length = fgetc(file);
    if (length == EOF) return false;
    if (length == 0) return true;
    if (!readExact(file, buffer, (size_t)length)) return false;
  }
}

bool readGraphicControl(FILE* file) {
  int length = fgetc(file);
  if (length == EOF) return false;
  if (length == 0) return true;
  unsigned char data[255] = {0};
  if (!readExact(file, data, (size_t)length)) return false;
  reader.disposal = (data[0] >> 2) & 7;
  reader.userInput = data[0] & 2;
  reader.delay = data[1] | (data[2] << 8);
  if ((data[0] & 1) && length >= 4) reader.transparent = data[3];
  return skipSubBlocks(file);
}

bool readExtension(FILE* file) {
  int label = fgetc(file);
  if (label == EOF) return false;
  if (label == 0xF9) return readGraphicControl(file);
  return skipSubBlocks(file);
}

bool readColorTable(FILE* file, int size, unsigned char* red, unsigned char* green, unsigned char* blue) {
  for (int i = 0; i < 256; i++) red[i] = green[i] = blue[i] = 0;
  for (int i = 0; i < size; i++) {
    unsigned char rgb[3];
    if (!readExact(file, rgb, 3)) return false;
    red[i] = rgb[0];
    green[i] = rgb[1];
    blue[i] = rgb[2];
  }
  return true;
}

uint16_t littleEndian16(const unsigned char* p) { return (uint16_t)(p[0] | (p[1] << 8)); }

int headerFailure() {
  zmReportWarning("zmReadGifHeader : failed to read GIF header.\n");
  return -1;
}

}  // namespace

int zmReadGifHeader(FILE* file, uint16_t* width, uint16_t* height, unsigned char* red, unsigned char* green,
                    unsigned char* blue, uint16_t* transparent, int* colorCount, unsigned char* interlaced) {
  memset(&reader, 0, sizeof reader);
  reader.transparent = ZM_GIF_NO_TRANSPARENT;
  reader.finished = true;

  unsigned char signature[6], screen[7];
  if (!readExact(file, signature, 6) || memcmp(signature, "GIF", 3) != 0 ||
      (memcmp(signature + 3, "87a", 3) != 0 && memcmp(signature + 3, "89a", 3) != 0) || !readExact(file, screen, 7))
    return headerFailure();
  reader.screenWidth = littleEndian16(screen);
  reader.screenHeight = littleEndian16(screen + 2);
  reader.colorResolution = ((screen[4] >> 4) & 7) + 1;
  reader.background = screen[5];
  reader.aspect = screen[6];
  if (screen[4] & 0x80) {
    reader.globalTableSize = 2 << (screen[4] & 7);
    if (!readColorTable(file, reader.globalTableSize, red, green, blue)) return headerFailure();
  } else {
    for (int i = 0; i < 256; i++) red[i] = green[i] = blue[i] = 0;
  }

  for (;;) {
    int c = fgetc(file);
    if (c == EOF || c == ';') return headerFailure();
    if (c == '!') {
      if (!readExtension(file)) return headerFailure();
    } else if (c == ',') {
      break;
    }
  }

  unsigned char descriptor[9];
  if (!readExact(file, descriptor, 9)) return headerFailure();
  *width = littleEndian16(descriptor + 4);
  *height = littleEndian16(descriptor + 6);
  int flags = descriptor[8];
  int tableSize = reader.globalTableSize;
  if (flags & 0x80) {
    tableSize = 1 << ((flags & 7) + 1);
    if (!readColorTable(file, tableSize, red, green, blue)) return headerFailure();
  }
  *colorCount = tableSize != 0 ? tableSize : 256;
  *interlaced = (unsigned char)((flags >> 6) & 1);
  *transparent = reader.transparent;

  int initialCodeSize = fgetc(file);
  if (initialCodeSize < 1 || initialCodeSize > 8) return headerFailure();
  startDecoder(initialCodeSize);
  return 0;
}

namespace {

// Whether the decoder may still give pixels: false once the end code, the
// end of the data or damage has been met and nothing is left on the stack.
bool pixelsLeft() { return reader.stackTop > 0 || !reader.finished; }

}  // namespace

int ReadGifImage(FILE* file, unsigned char* row, int width, int skip) {
  if (skip) {
    while (nextPixel(file) >= 0) {
    }
    return 0;
  }
  for (int x = 0; x < width; x++) {
    int pixel = nextPixel(file);
    if (pixel < 0) break;
    row[x] = (unsigned char)pixel;
  }
  return 0;
}

// ---- the converter --------------------------------------------------------

namespace {

enum Gif2BmpError {
  kNoError = -1,
  kNoMemory = 0,
  kNoFileName = 1,
  kOpenFailed = 2,
  kReadFailed = 3,
  kWriteFailed = 4,
  kSeekFailed = 5,
  kNoModuleDir = 7,
  kNoScratchDir = 8,
  kSubroutine = 9,
};

const char* const gif2BmpErrorTexts[] = {
    "cannot allocate memory.\n",
    "no file name.\n",
    "failed to open file.\n",
    "failed to read data from file.\n",
    "failed to write data to file.\n",
    "failed to move file pointer.\n",
    "failed to make temporary file.\n",
    "failed to get module directory name.\n",
    "failed to make temporary directory.\n",
    "caught error from subroutine.\n",
};

// Everything one conversion holds open or allocated, released by finish().
struct Conversion {
  FILE* gif = nullptr;
  FILE* bmp = nullptr;
  FILE* mask = nullptr;
  FILE* scratch = nullptr;
  unsigned char* palette = nullptr;
  unsigned char* row = nullptr;
  unsigned char* lastRow = nullptr;  // every row past the staged ones repeats it
  long stagedRows = 0;               // rows in the scratch file
  char scratchDir[1024] = "";
  char scratchName[1100] = "";

  uint16_t width = 0, height = 0, transparent = ZM_GIF_NO_TRANSPARENT;
  int colorCount = 0;
  unsigned char interlaced = 0;
  unsigned char red[256], green[256], blue[256];
};

int closeFile(FILE** file) {
  int result = 0;
  if (*file != nullptr) result = fclose(*file);
  *file = nullptr;
  return result;
}

// Where image row r lies in the scratch file, which holds rows in the order
// the GIF stores them.
long scratchIndex(int r, int height, bool interlaced) {
  if (!interlaced) return r;
  int last = height - 1;
  int p1 = (last >> 3) + 1;
  int p2 = ((last - 4) >> 3) + p1 + 1;
  int p3 = ((last - 2) >> 2) + p2 + 1;
  if (r & 1) return ((r - 1) >> 1) + p3;
  if ((r & 3) == 2) return ((r - 2) >> 2) + p2;
  if ((r & 7) == 4) return ((r - 4) >> 3) + p1;
  return r >> 3;
}

int writeHeaders(FILE* file, int width, int height, int bits, int colors, unsigned char* map) {
  ZmBmpFileHeader header;
  ZmBmpInfo info = {};
  info.width = width;
  info.height = height;
  info.bitCount = (uint16_t)bits;
  info.colorsUsed = (uint32_t)colors;
  info.colormap = map;
  if (zmSetBMPHeader(&header, &info) != 0 || zmWriteBMPHeaders(file, &header, &info) != 0) return -1;
  return 0;
}

ZmBmpInfo rowInfo(int width, int bits) {
  ZmBmpInfo info = {};
  info.width = width;
  info.height = 1;
  info.bitCount = (uint16_t)bits;
  return info;
}

int openScratch(Conversion* c) {
  const char* temp = zmGetTempDir();
  if (temp == nullptr) return kNoModuleDir;
  snprintf(c->scratchDir, sizeof c->scratchDir, "%s/gif2bmp", temp);
  struct stat status;
  if (stat(c->scratchDir, &status) != 0 && mkdir(c->scratchDir, 0700) != 0) return kNoScratchDir;
  // The process id keeps two running programs off each other's rows.
  snprintf(c->scratchName, sizeof c->scratchName, "%s/aho.%ld", c->scratchDir, (long)getpid());
  c->scratch = fopen(c->scratchName, "w+b");
  if (c->scratch == nullptr) return kOpenFailed;
  // Unlinked at once: the open file keeps its rows, and nothing is left
  // behind however the program ends.
  remove(c->scratchName);
  c->scratchName[0] = '\0';
  return kNoError;
}

// Stages rows while the decoder gives pixels. A row it leaves unfinished
// keeps what the buffer held before, so all rows from the last staged one
// on are alike: only the first of them is kept, in memory.
int stageRows(Conversion* c) {
  while (c->stagedRows < c->height && pixelsLeft()) {
    ReadGifImage(c->gif, c->row, c->width, 0);
    if (fwrite(c->row, 1, c->width, c->scratch) != c->width) return kWriteFailed;
    c->stagedRows++;
  }
  memcpy(c->lastRow, c->row, c->width);
  closeFile(&c->gif);
  return fflush(c->scratch) == 0 ? kNoError : kWriteFailed;
}

int readStagedRow(Conversion* c, int r) {
  long index = scratchIndex(r, c->height, c->interlaced);
  if (index >= c->stagedRows) {
    memcpy(c->row, c->lastRow, c->width);
    return kNoError;
  }
  if (fseek(c->scratch, index * (long)c->width, SEEK_SET) != 0)
    return kSeekFailed;
  if (fread(c->row, 1, c->width, c->scratch) != c->width) return kReadFailed;
  return kNoError;
}

int writeImage(Conversion* c, int bits) {
  ZmBmpInfo info = rowInfo(c->width, bits);
  for (int r = c->height - 1; r >= 0; r--) {
    int error = readStagedRow(c, r);
    if (error != kNoError) return error;
    if (zmWriteBMPRow(c->bmp, &info, c->row) != 0) return kSubroutine;
  }
  return closeFile(&c->bmp) == 0 ? kNoError : kWriteFailed;
}

int writeMask(Conversion* c, const char* maskName) {
  c->mask = fopen(maskName, "wb");
  if (c->mask == nullptr) return kOpenFailed;
  unsigned char blackAndWhite[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  if (writeHeaders(c->mask, c->width, c->height, 1, 2, blackAndWhite) != 0) return kSubroutine;
  ZmBmpInfo info = rowInfo(c->width, 1);
  for (int r = c->height - 1; r >= 0; r--) {
    int error = readStagedRow(c, r);
    if (error != kNoError) return error;
    for (int x = 0; x < c->width; x++) c->row[x] = c->row[x] == c->transparent ? 1 : 0;
    if (zmWriteBMPRow(c->mask, &info, c->row) != 0) return kSubroutine;
  }
  return closeFile(&c->mask) == 0 ? kNoError : kWriteFailed;
}

int convert(Conversion* c, const char* gifName, const char* bmpName, const char* maskName) {
  if (gifName == nullptr || bmpName == nullptr) return kNoFileName;
  c->gif = fopen(gifName, "rb");
  if (c->gif == nullptr) return kOpenFailed;
  c->bmp = fopen(bmpName, "wb");
  if (c->bmp == nullptr) return kOpenFailed;
  if (zmReadGifHeader(c->gif, &c->width, &c->height, c->red, c->green, c->blue, &c->transparent, &c->colorCount,
                      &c->interlaced) != 0)
    return kSubroutine;
  // The whole image passes through the scratch file and the BMP: a forged
  // size in a few bytes of GIF must not make us write gigabytes.
  if ((uint64_t)c->width * c->height > ZM_BMP_MAX_PIXEL_BYTES) return kNoMemory;

  int bits = c->colorCount <= 2 ? 1 : c->colorCount <= 16 ? 4 : 8;
  c->palette = (unsigned char*)zmMalloc(4 * (size_t)c->colorCount);
  if (c->palette == nullptr) return kNoMemory;
  for (int i = 0; i < c->colorCount; i++) {
    c->palette[4 * i] = c->blue[i];
    c->palette[4 * i + 1] = c->green[i];
    c->palette[4 * i + 2] = c->red[i];
  }
  if (writeHeaders(c->bmp, c->width, c->height, bits, c->colorCount, c->palette) != 0) return kSubroutine;
  c->row = (unsigned char*)zmMalloc(c->width);
  c->lastRow = (unsigned char*)zmMalloc(c->width);
  if (c->row == nullptr || c->lastRow == nullptr) return kNoMemory;

  int error = openScratch(c);
  if (error == kNoError) error = stageRows(c);
  if (error == kNoError) error = writeImage(c, bits);
  if (error == kNoError && maskName != nullptr && c->transparent != ZM_GIF_NO_TRANSPARENT)
    error = writeMask(c, maskName);
  return error;
}

void finish(Conversion* c) {
  closeFile(&c->gif);
  closeFile(&c->bmp);
  closeFile(&c->mask);
  closeFile(&c->scratch);
  if (c->scratchName[0] != '\0') remove(c->scratchName);
  if (c->scratchDir[0] != '\0') rmdir(c->scratchDir);
  zmFree(c->palette);
  zmFree(c->row);
  zmFree(c->lastRow);
}

}  // namespace

int zmGif2Bmp(const char* gifName, const char* bmpName, const char* maskName) {
  Conversion conversion;
  int error = convert(&conversion, gifName, bmpName, maskName);
  finish(&conversion);
  if (error == kNoError) return 0;
  zmReportWarning("zmGif2Bmp : %s", gif2BmpErrorTexts[error]);
  return -1;
}
