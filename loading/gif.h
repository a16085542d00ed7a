// loading/gif.h -- the GIF reader and the GIF to BMP converter.
//
// Owns: the reader and LZW decoder state of the one GIF being read (kept in
// a single program-wide record, so files are read one at a time), and the
// scratch file through which zmGif2Bmp stages rows so the BMP can be
// written bottom-up and interlaced images come out in display order.
// It does not own the BMP format (bmpfile.h) or how fetched files are named.
#ifndef LUMENFOLD_LOADING_GIF_H
#define LUMENFOLD_LOADING_GIF_H

#include <cstdint>
#include <cstdio>

#define ZM_GIF_NO_TRANSPARENT 0xFFFF

/*
 * zmReadGifHeader --
 *   Reads the signature, screen descriptor, global colour table and blocks
 *   up to the first image descriptor, then starts the LZW decoder.
 *   The maps receive 256 entries each (unused ones 0). The colour count is
 *   the size of the table the image uses (its local one when it has one,
 *   else the global one; 256 when it has neither).
 * Results:
 *   0, with the file at the image's pixel data; -1 after the warning
 *   "zmReadGifHeader : failed to read GIF header.\n".
 */
int zmReadGifHeader(FILE* file, uint16_t* width, uint16_t* height, unsigned char* red, unsigned char* green,
                    unsigned char* blue, uint16_t* transparent, int* colorCount, unsigned char* interlaced);

/*
 * ReadGifImage --
 *   Decodes the next `width` pixel indices into `row`. The end of the image
 *   or damaged data ends the row early and leaves the rest of `row` as it
 *   was; later calls then give nothing. With `skip` set, the rest of the
 *   image is read and dropped instead.
 * Results:
 *   0.
 */
int ReadGifImage(FILE* file, unsigned char* row, int width, int skip);

/*
 * zmGif2Bmp --
 *   Converts the first image of a GIF into a 1, 4 or 8-bit BMP file and,
 *   when a mask name is given and the image has a transparent colour, a
 *   1-bit mask BMP that is 1 exactly where that colour is.
 * Results:
 *   0; or -1 after a warning "zmGif2Bmp : " plus the error's text, with
 *   every file closed and the scratch file removed.
 */
int zmGif2Bmp(const char* gifName, const char* bmpName, const char* maskName);

#endif
