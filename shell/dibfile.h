// shell/dibfile.h -- moving pictures between BMP files, packed
// device-independent bitmaps and drawable bitmaps.
//
// Owns: the packed DIB (one zero-filled block from zmMalloc: a 40-byte
// BITMAPINFOHEADER, the colour table of 4-byte entries, then the pixel
// rows), reading one from a BMP file or a bare DIB file, writing one as a
// BMP file, and the conversions between packed DIBs and bitmaps through the
// screen's device context. It does not own the parsing of BMP headers and
// colour maps (loading/bmpfile.h, shared with the image converters), the
// bitmaps it hands out (the caller deletes them) nor what the pictures are
// for (bookmark thumbnails, avatar pictures).
//
// Depths read and written: 1, 4, 8 and 24 bits per pixel, uncompressed.
// A file whose header promises more than it holds (more colours than its
// depth can index, pixel rows beyond its end, a declared image smaller than
// its rows) is refused, and nothing past its end is ever read.
#ifndef LUMENFOLD_SHELL_DIBFILE_H
#define LUMENFOLD_SHELL_DIBFILE_H

#include "platform/wingdi.h"
#include "platform/wintypes.h"

// Number of colours of a header: a 40-byte header's used-colour count when
// it is not 0, otherwise 2, 16 or 256 for 1, 4 or 8 bits per pixel and 0
// for any other depth. A 12-byte core header counts by its depth.
DWORD zmDibNumColors(const BITMAPINFOHEADER* header);

// Bytes of the colour table: the number of colours times 3 for a core
// header, times 4 otherwise.
DWORD zmDibColorTableSize(const BITMAPINFOHEADER* header);

// Fills in the derived fields of a 40-byte header: the image size (rows of
// ((width x bits + 31) / 32) x 4 bytes, height rows) when it is 0, the
// used-colour count when it is 0.
void zmCompleteDibHeader(BITMAPINFOHEADER* header);

// The pixel rows of a packed DIB.
void* zmDibBits(BITMAPINFOHEADER* dib);

/*
 * zmReadDibFile --
 *   Reads a BMP file, or a file that holds a bare DIB (no "BM" file header),
 *   into a new packed DIB; an old 12-byte core header is widened to 40
 *   bytes with its colours widened to 4-byte entries.
 * Results:
 *   The DIB (the caller frees it with zmFree), or null when the file cannot
 *   be opened, is not a picture of a depth listed above, or does not hold
 *   what its header promises (a warning tells which).
 */
BITMAPINFOHEADER* zmReadDibFile(const char* path);

/*
 * zmWriteDibFile --
 *   Writes the packed DIB as a BMP file: the 14-byte file header ("BM",
 *   block size + 14, 0, 0, offset of the pixel rows), then the block.
 * Results:
 *   0; ERROR_INVALID_HANDLE (6) for a null DIB; ERROR_BAD_FORMAT for a
 *   depth or compression that is not written; otherwise the system error
 *   code of the failing create or write (ERROR_PATH_NOT_FOUND for a missing
 *   folder, ERROR_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_WRITE_FAULT), after
 *   which no partial file is left.
 */
DWORD zmWriteDibFile(const char* path, const BITMAPINFOHEADER* dib);

/*
 * zmBitmapToDib --
 *   Copies a bitmap into a new packed DIB. `bitsPerPixel` 0 takes the
 *   bitmap's own depth when it is 1, 2, 4 or 8, else 24 (so a 16-bit
 *   screen picture becomes 24 bits); `palette` null stands for the stock
 *   default palette, which is selected and realised in the screen's DC
 *   while the pixels are read.
 * Results:
 *   The DIB (free it with zmFree), or null on any failure.
 */
BITMAPINFOHEADER* zmBitmapToDib(HBITMAP bitmap, DWORD compression, WORD bitsPerPixel, HPALETTE palette);

// A new device bitmap holding the DIB's picture (delete it with
// DeleteObject), drawn through `palette` when one is given; null on failure.
HBITMAP zmDibToBitmap(const BITMAPINFOHEADER* dib, HPALETTE palette);

#endif
