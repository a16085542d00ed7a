// loading/bmpfile.h -- the small BMP library shared by the image converters.
//
// Owns: the in-memory BMP header records, their completion and check, the
// writer of headers, colour map and pixel rows (1, 4, 8 or 24 bits per
// pixel, uncompressed only) and the matching reader (Windows and OS/2
// headers). It does not own the files: callers open and close them, except
// in zmWriteBMP and zmReadBMP, which do both.
//
// Pixel rows handed in and out hold one byte per pixel (a palette index) or,
// for 24 bits, three bytes per pixel in file order (blue, green, red).
// Whole images are arrays of rows in file order, the bottom row first.
#ifndef LUMENFOLD_LOADING_BMPFILE_H
#define LUMENFOLD_LOADING_BMPFILE_H

#include <cstdint>
#include <cstdio>

// Largest pixel array zmReadBMP allocates, and the largest image the GIF and
// JPEG converters write (32 MB: 4096 x 2730 in 24 bits, 5792 x 5792 in 8);
// a bigger header is taken as forged and refused as an allocation failure.
// Textures are used 128 pixels wide and backdrops at the view's size, so a
// world never needs more, and a few bytes of forged header cannot make the
// program write and read back hundreds of megabytes.
#define ZM_BMP_MAX_PIXEL_BYTES (32u << 20)

struct ZmBmpFileHeader {
  char type[3];        // "BM"
  uint32_t fileSize;
  uint16_t reserved1;
  uint16_t reserved2;
  uint32_t dataOffset;  // of the pixel rows
};

// The Windows info header in its field order, then the colour map: entries
// of 4 bytes {blue, green, red, 0}. A map the reader allocates always holds
// 2 to the power of the bit count entries, so any pixel index finds one.
struct ZmBmpInfo {
  uint32_t headerSize;
  int32_t width;
  int32_t height;
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;
  uint32_t imageSize;
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t colorsUsed;
  uint32_t colorsImportant;
  unsigned char* colormap;
};

// Bytes of one stored row, padded to a multiple of 4.
uint64_t zmBMPRowLength(const ZmBmpInfo* info);

/*
 * zmSetBMPHeader --
 *   Checks width, height and depth, forces BI_RGB, and fills in the type,
 *   reserved words, header size, planes, data offset, image size and file
 *   size.
 * Results:
 *   0, or -1 with a warning for a bad width, height or depth (or a size that
 *   does not fit the file's 32-bit fields).
 */
int zmSetBMPHeader(ZmBmpFileHeader* header, ZmBmpInfo* info);

// Writes both headers and, below 24 bits, the colour map. 0 or -1.
int zmWriteBMPHeaders(FILE* file, const ZmBmpFileHeader* header, const ZmBmpInfo* info);

// Packs one row of info->width pixels and pads it. 0 or -1.
int zmWriteBMPRow(FILE* file, const ZmBmpInfo* info, const unsigned char* row);

// Writes a whole image; a null name is standard output. 0 or -1.
int zmWriteBMP(const char* name, ZmBmpFileHeader* header, ZmBmpInfo* info, const unsigned char* pixels);

// Opens for reading (a null name is standard input; a missing file is tried
// again with ".bmp" appended). 0 or -1; the caller closes the file.
int zmOpenBMP(const char* name, FILE** file);

/*
 * zmReadBMPInfoHeader --
 *   Reads the file header, the info (or OS/2 core) header and the colour map.
 *   When info->colormap is null a map is allocated (zmMalloc; the caller
 *   frees it); a given map must hold 256 entries.
 * Results:
 *   0, or -1 after a warning.
 */
int zmReadBMPInfoHeader(FILE* file, ZmBmpFileHeader* header, ZmBmpInfo* info);

// As zmReadBMPInfoHeader for a bare DIB: the info (or core) header and the
// colour map, with no file header before them.
int zmReadBMPInfoOnly(FILE* file, ZmBmpInfo* info);

// Reads and unpacks one row into width (or 3 times width) bytes. 0 or -1.
int zmReadBMPRow(FILE* file, const ZmBmpInfo* info, unsigned char* row);

/*
 * zmReadBMP --
 *   Reads a whole uncompressed BMP. *pixels, when null, receives a new
 *   array of height * width * (3 or 1) bytes; info->colormap as in
 *   zmReadBMPInfoHeader. The caller frees both with zmFree.
 * Results:
 *   0; or -1 after a warning, with the file closed and whatever was
 *   allocated here freed.
 */
int zmReadBMP(const char* name, ZmBmpFileHeader* header, ZmBmpInfo* info, unsigned char** pixels);

#endif
