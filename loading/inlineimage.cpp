// loading/inlineimage.cpp -- inline SFImage texts to BMP files and back; see
// inlineimage.h.
#include "loading/inlineimage.h"

#include <cstdio>
#include <cstring>

#include "core/memory.h"
#include "core/report.h"
#include "loading/bmpfile.h"

namespace {

// Largest text zmBmp2InlineTexture allocates; a bigger BMP is refused as an
// allocation failure.
constexpr uint64_t kMaxTextBytes = 1ull << 30;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isWordChar(char c) { return c >= 33 && c <= 126; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool hasHexLetter(const char* word) {
  for (; *word != '\0'; word++)
    if (hexValue(*word) >= 10) return true;
  return false;
}

// At most 8 hex digits (4 bytes), the first as the most significant.
uint32_t parseHex(const char* digits) {
  uint32_t value = 0;
  for (int i = 0; i < 8 && hexValue(digits[i]) >= 0; i++) value = (value << 4) | (uint32_t)hexValue(digits[i]);
  return value;
}

// Digits beyond 2^40 stop counting: every caller keeps 32 bits or fewer.
int64_t parseDecimal(const char* word) {
  bool negative = *word == '-';
  if (*word == '-' || *word == '+') word++;
  int64_t value = 0;
  for (; *word >= '0' && *word <= '9' && value < (int64_t(1) << 40); word++) value = value * 10 + (*word - '0');
  return negative ? -value : value;
}

uint32_t parsePixel(const char* word) {
  if (word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) return parseHex(word + 2);
  if (hasHexLetter(word)) return parseHex(word);
  return (uint32_t)parseDecimal(word);
}

}  // namespace

void get_word(const char** cursor, char* word) {
  const char* p = *cursor;
  for (;;) {
    while (isSpace(*p)) p++;
    if (*p != '#') break;
    while (*p != '\0' && *p != '\n' && *p != '\r') p++;
  }
  size_t length = 0;
  while (isWordChar(*p)) {
    if (length + 1 < ZM_INLINE_WORD_SIZE) word[length++] = *p;
    p++;
  }
  word[length] = '\0';
  *cursor = p;
}

int zmReadInlineImageHeader(const char** cursor, ZmInlineImageSize* size) {
  char word[ZM_INLINE_WORD_SIZE];
  do {
    get_word(cursor, word);
    if (word[0] == '\0') {
      zmReportWarning("zmReadInlineImageHeader : cannot find image structure\n");
      return -1;
    }
  } while (strcmp(word, "image") != 0);
  int64_t values[3];
  for (int64_t& value : values) {
    get_word(cursor, word);
    value = parseDecimal(word);
  }
  size->width = (uint16_t)values[0];
  size->height = (uint16_t)values[1];
  size->components = (uint16_t)values[2];
  int result = 0;
  if (values[0] < 1 || values[0] > 0xFFFF) {
    zmReportWarning("zmReadInlineImageHeader : image width > 0 is expected\n");
    result = -1;
  }
  if (values[1] < 1 || values[1] > 0xFFFF) {
    zmReportWarning("zmReadInlineImageHeader : image height > 0 is expected\n");
    result = -1;
  }
  if (values[2] < 1 || values[2] > 4) {
    zmReportWarning("zmReadInlineImageHeader : 1 <= #components <= 4 is expected\n");
    result = -1;
  }
  return result;
}

int zmReadInlineImageRow(const char** cursor, unsigned char* row, int width, int components) {
  char word[ZM_INLINE_WORD_SIZE];
  for (int x = 0; x < width; x++) {
    get_word(cursor, word);
    if (word[0] == '\0') return -1;
    uint32_t value = parsePixel(word);
    for (int c = 0; c < components; c++) row[x * components + c] = (unsigned char)(value >> (8 * (components - 1 - c)));
  }
  return 0;
}

int zmReadInlineImage(const char** cursor, ZmInlineImageSize* size, unsigned char** pixels) {
  if (zmReadInlineImageHeader(cursor, size) != 0) {
    zmReportWarning("zmReadInlineImage : failed to read inlineimage header.\n");
    return -1;
  }
  size_t rowBytes = (size_t)size->width * size->components;
  unsigned char* target = *pixels;
  unsigned char* allocated = nullptr;
  if (target == nullptr) {
    target = allocated = (unsigned char*)zmMalloc(rowBytes * size->height);
    if (target == nullptr) {
      zmReportWarning("zmReadInlineImage : cannot allocate memory\n");
      return -1;
    }
  }
  for (int y = 0; y < size->height; y++) {
    if (zmReadInlineImageRow(cursor, target + rowBytes * y, size->width, size->components) != 0) {
      zmReportWarning("zmReadInlineImage : failed to read inline image data.\n");
      zmFree(allocated);
      return -1;
    }
  }
  *pixels = target;
  return 0;
}

// ---- inline image to BMP -----------------------------------------------

namespace {

// Error numbers of both converters: 3 is the subroutine failure of the
// inline-to-BMP one and the size mismatch of the BMP-to-text one, which
// reports subroutine failures as 4.
enum ConverterError {
  kFine = -1,
  kNoMemory = 0,
  kNoFileName = 1,
  kOpenFailed = 2,
  kSubroutine = 3,
  kSizesDiffer = 3,
  kTextSubroutine = 4,
};

const char* const toBmpErrors[] = {"cannot allocate memory.", "no file name.", "failed to open file.",
                                   "caught error from subroutine."};
const char* const toTextErrors[] = {"cannot allocate memory.", "no file name.", "failed to open file.",
                                    "sizes of bmpfile and maskfile are expected to be the same.",
                                    "caught error from subroutine."};

// The distinct colours of the image, {blue, green, red, 0}; 257 entries
// counted means more than 256.
struct ColorTable {
  unsigned char map[256 * 4];
  int count;
};

void pixelColor(const unsigned char* pixel, int components, unsigned char* blue, unsigned char* green,
                unsigned char* red) {
  if (components <= 2) {
    *blue = *green = *red = pixel[0];
  } else {
    *red = pixel[0];
    *green = pixel[1];
    *blue = pixel[2];
  }
}

int findColor(const ColorTable* table, unsigned char blue, unsigned char green, unsigned char red) {
  int known = table->count < 256 ? table->count : 256;
  for (int i = 0; i < known; i++) {
    const unsigned char* entry = table->map + 4 * i;
    if (entry[0] == blue && entry[1] == green && entry[2] == red) return i;
  }
  return -1;
}

void collectColor(ColorTable* table, const unsigned char* pixel, int components) {
  if (table->count > 256) return;
  unsigned char blue, green, red;
  pixelColor(pixel, components, &blue, &green, &red);
  if (findColor(table, blue, green, red) >= 0) return;
  if (table->count == 256) {
    table->count = 257;
    return;
  }
  unsigned char* entry = table->map + 4 * table->count++;
  entry[0] = blue;
  entry[1] = green;
  entry[2] = red;
}

int depthForColors(int count) {
  if (count > 256) return 24;
  if (count > 16) return 8;
  if (count > 2) return 4;
  return 1;
}

struct ToBmp {
  FILE* bmp = nullptr;
  FILE* mask = nullptr;
  unsigned char* row = nullptr;      // width * components
  unsigned char* maskRow = nullptr;  // width
  unsigned char* outRow = nullptr;   // width * 3
  ZmInlineImageSize size = {};
  ColorTable colors = {};
};

ZmBmpInfo imageInfo(int width, int height, int bits, int colors, unsigned char* map) {
  ZmBmpInfo info = {};
  info.width = width;
  info.height = height;
  info.bitCount = (uint16_t)bits;
  info.colorsUsed = (uint32_t)colors;
  info.colormap = map;
  return info;
}

int writeHeaders(FILE* file, ZmBmpInfo* info) {
  ZmBmpFileHeader header;
  return zmSetBMPHeader(&header, info) == 0 && zmWriteBMPHeaders(file, &header, info) == 0 ? 0 : -1;
}

// First pass: colours, and the mask rows when there is a mask.
int scanColors(ToBmp* c, const char** cursor) {
  int width = c->size.width, components = c->size.components;
  ZmBmpInfo maskInfo = imageInfo(width, c->size.height, 1, 2, nullptr);
  for (int y = 0; y < c->size.height; y++) {
    if (zmReadInlineImageRow(cursor, c->row, width, components) != 0) return kSubroutine;
    for (int x = 0; x < width; x++) {
      const unsigned char* pixel = c->row + x * components;
      collectColor(&c->colors, pixel, components);
      if (c->mask != nullptr) c->maskRow[x] = pixel[components - 1] > 127 ? 1 : 0;
    }
    if (c->mask != nullptr && zmWriteBMPRow(c->mask, &maskInfo, c->maskRow) != 0) return kSubroutine;
  }
  if (c->mask != nullptr) {
    int closed = fclose(c->mask);
    c->mask = nullptr;
    if (closed != 0) return kSubroutine;
  }
  return kFine;
}

int writePixels(ToBmp* c, const char** cursor, ZmBmpInfo* info) {
  int width = c->size.width, components = c->size.components;
  for (int y = 0; y < c->size.height; y++) {
    if (zmReadInlineImageRow(cursor, c->row, width, components) != 0) return kSubroutine;
    for (int x = 0; x < width; x++) {
      unsigned char blue, green, red;
      pixelColor(c->row + x * components, components, &blue, &green, &red);
      if (info->bitCount == 24) {
        c->outRow[3 * x] = blue;
        c->outRow[3 * x + 1] = green;
        c->outRow[3 * x + 2] = red;
      } else {
        c->outRow[x] = (unsigned char)findColor(&c->colors, blue, green, red);
      }
    }
    if (zmWriteBMPRow(c->bmp, info, c->outRow) != 0) return kSubroutine;
  }
  return kFine;
}

int inlineToBmp(ToBmp* c, const char* text, const char* bmpName, const char* maskName) {
  if (bmpName == nullptr || text == nullptr) return kNoFileName;
  c->bmp = fopen(bmpName, "wb");
  if (c->bmp == nullptr) return kOpenFailed;
  const char* cursor = text;
  if (zmReadInlineImageHeader(&cursor, &c->size) != 0) return kSubroutine;
  const char* firstPixel = cursor;
  int width = c->size.width, height = c->size.height, components = c->size.components;
  c->row = (unsigned char*)zmMalloc((size_t)width * components);
  c->outRow = (unsigned char*)zmMalloc((size_t)width * 3);
  if (c->row == nullptr || c->outRow == nullptr) return kNoMemory;

  if ((components == 2 || components == 4) && maskName != nullptr) {
    c->mask = fopen(maskName, "wb");
    if (c->mask == nullptr) return kOpenFailed;
    c->maskRow = (unsigned char*)zmMalloc(width);
    if (c->maskRow == nullptr) return kNoMemory;
    unsigned char blackAndWhite[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    ZmBmpInfo maskInfo = imageInfo(width, height, 1, 2, blackAndWhite);
    if (writeHeaders(c->mask, &maskInfo) != 0) return kSubroutine;
  }
  int error = scanColors(c, &cursor);
  if (error != kFine) return error;

  int bits = depthForColors(c->colors.count);
  ZmBmpInfo info = imageInfo(width, height, bits, bits == 24 ? 0 : c->colors.count, c->colors.map);
  if (writeHeaders(c->bmp, &info) != 0) return kSubroutine;
  cursor = firstPixel;
  error = writePixels(c, &cursor, &info);
  if (error != kFine) return error;
  int closed = fclose(c->bmp);
  c->bmp = nullptr;
  return closed == 0 ? kFine : kSubroutine;
}

}  // namespace

int zmInlineTexture2Bmp(const char* text, const char* bmpName, const char* maskName) {
  ToBmp conversion;
  int error = inlineToBmp(&conversion, text, bmpName, maskName);
  if (conversion.bmp != nullptr) fclose(conversion.bmp);
  if (conversion.mask != nullptr) fclose(conversion.mask);
  zmFree(conversion.row);
  zmFree(conversion.maskRow);
  zmFree(conversion.outRow);
  if (error == kFine) return 0;
  zmReportWarning("zmInlineTexture2Bmp : %s\n", toBmpErrors[error]);
  return -1;
}

// ---- BMP to inline image -----------------------------------------------

namespace {

struct BmpSource {
  FILE* file = nullptr;
  ZmBmpFileHeader header = {};
  ZmBmpInfo info = {};
  unsigned char* row = nullptr;
};

struct ToText {
  BmpSource image, mask;
  char* text = nullptr;
  size_t capacity = 0;
  size_t length = 0;
  bool textAllocated = false;
};

int openSource(BmpSource* source, const char* name) {
  if (zmOpenBMP(name, &source->file) != 0) return kTextSubroutine;
  if (zmReadBMPInfoHeader(source->file, &source->header, &source->info) != 0 || source->info.compression != 0)
    return kTextSubroutine;
  return kFine;
}

int allocateRow(BmpSource* source) {
  source->row = (unsigned char*)zmMalloc((size_t)source->info.width * 3);
  return source->row == nullptr ? kNoMemory : kFine;
}

void closeSource(BmpSource* source) {
  if (source->file != nullptr && source->file != stdin) fclose(source->file);
  zmFree(source->row);
  zmFree(source->info.colormap);
}

bool grayMap(const ZmBmpInfo* info) {
  if (info->bitCount == 24) return false;
  uint32_t entries = info->colorsUsed != 0 ? info->colorsUsed : (1u << info->bitCount);
  for (uint32_t i = 0; i < entries; i++) {
    const unsigned char* entry = info->colormap + 4 * i;
    if (entry[0] != entry[1] || entry[1] != entry[2]) return false;
  }
  return true;
}

// R, G, B of pixel x of the row just read.
void sourceColor(const BmpSource* source, int x, unsigned char rgb[3]) {
  const unsigned char* bgr =
      source->info.bitCount == 24 ? source->row + 3 * x : source->info.colormap + 4 * source->row[x];
  rgb[0] = bgr[2];
  rgb[1] = bgr[1];
  rgb[2] = bgr[0];
}

void append(ToText* c, const char* format, unsigned a, unsigned b = 0, unsigned d = 0, unsigned e = 0) {
  int written = snprintf(c->text + c->length, c->capacity - c->length, format, a, b, d, e);
  if (written > 0) c->length += (size_t)written;
}

void appendPixel(ToText* c, const unsigned char* channels, int components, char separator) {
  static const char* const formats[] = {"0x%02x", "0x%02x%02x", "0x%02x%02x%02x", "0x%02x%02x%02x%02x"};
  append(c, formats[components - 1], channels[0], channels[1], channels[2], channels[3]);
  if (c->length + 1 < c->capacity) {
    c->text[c->length++] = separator;
    c->text[c->length] = '\0';
  }
}

uint64_t textBytes(const ZmBmpInfo* image, int components, int headerLength) {
  return (uint64_t)image->width * (uint64_t)image->height * (1ull << (components + 2)) + (uint64_t)headerLength + 2;
}

// Whether the text of the image, even at one component, could fit: the
// sizes come from the file, so they are checked before any row is allocated.
bool textCanFit(const ToText* c) {
  uint64_t least = textBytes(&c->image.info, 1, 0);
  return least <= (c->text == nullptr ? kMaxTextBytes : c->capacity);
}

int prepareText(ToText* c, int components) {
  char header[128];
  int32_t width = c->image.info.width, height = c->image.info.height;
  int headerLength = snprintf(header, sizeof header, "%s %c\n%s %ld %ld %d\n", "Texture2", '{', "image", (long)width,
                              (long)height, components);
  uint64_t needed = textBytes(&c->image.info, components, headerLength);
  if (c->text == nullptr) {
    if (needed > kMaxTextBytes) return kNoMemory;
    c->text = (char*)zmMalloc((size_t)needed);
    if (c->text == nullptr) return kNoMemory;
    c->capacity = (size_t)needed;
    c->textAllocated = true;
  } else if (c->capacity < needed) {
    return kNoMemory;
  }
  memcpy(c->text, header, (size_t)headerLength + 1);
  c->length = (size_t)headerLength;
  return kFine;
}

int bmpToText(ToText* c, const char* bmpName, const char* maskName) {
  if (bmpName == nullptr) return kNoFileName;
  int error = openSource(&c->image, bmpName);
  if (error != kFine) return error;
  if (!textCanFit(c)) return kNoMemory;
  error = allocateRow(&c->image);
  if (error != kFine) return error;
  bool hasMask = maskName != nullptr;
  if (hasMask) {
    error = openSource(&c->mask, maskName);
    if (error != kFine) return error;
    if (c->mask.info.width != c->image.info.width || c->mask.info.height != c->image.info.height) return kSizesDiffer;
    error = allocateRow(&c->mask);
    if (error != kFine) return error;
  }
  bool grayImage = grayMap(&c->image.info);
  bool grayMask = hasMask && grayMap(&c->mask.info);
  int components = (grayImage ? 1 : 3) + (hasMask ? 1 : 0);
  error = prepareText(c, components);
  if (error != kFine) return error;

  int32_t width = c->image.info.width;
  for (int32_t y = 0; y < c->image.info.height; y++) {
    if (zmReadBMPRow(c->image.file, &c->image.info, c->image.row) != 0) return kTextSubroutine;
    if (hasMask && zmReadBMPRow(c->mask.file, &c->mask.info, c->mask.row) != 0) return kTextSubroutine;
    for (int32_t x = 0; x < width; x++) {
      unsigned char rgb[3], channels[4];
      sourceColor(&c->image, x, rgb);
      int n = 0;
      if (grayImage) {
        channels[n++] = rgb[0];
      } else {
        for (unsigned char v : rgb) channels[n++] = v;
      }
      if (hasMask) {
        unsigned char m[3];
        sourceColor(&c->mask, x, m);
        channels[n++] = grayMask ? m[2] : (unsigned char)((30 * m[0] + 58 * m[1] + 11 * m[2]) / 100);
      }
      appendPixel(c, channels, components, x + 1 == width ? '\n' : ' ');
    }
  }
  if (c->length + 2 <= c->capacity) memcpy(c->text + c->length, "}", 2);
  c->length++;
  return kFine;
}

}  // namespace

int zmBmp2InlineTexture(const char* bmpName, const char* maskName, char** text, size_t* capacity) {
  ToText conversion;
  conversion.text = *text;
  conversion.capacity = *text != nullptr ? *capacity : 0;
  int error = bmpToText(&conversion, bmpName, maskName);
  closeSource(&conversion.image);
  closeSource(&conversion.mask);
  if (error == kFine) {
    *text = conversion.text;
    *capacity = conversion.capacity;
    return 0;
  }
  if (conversion.textAllocated) zmFree(conversion.text);
  zmReportWarning("zmBmp2InlineTexture : %s\n", toTextErrors[error]);
  return -1;
}
