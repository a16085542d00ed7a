// loading/jpeg.h -- JPEG to BMP conversion through the JPEG library
// (release 6 interface).
//
// Owns: the program's front end to the decoder (files, error handling that
// returns to the caller instead of ending the program, the add-on message
// table, the comment-marker processor, the option record) and the BMP
// output module that stores decoded rows and writes them bottom-up.
// It does not own the BMP library of bmpfile.h (it takes only its size cap
// from there): this module writes its headers itself, in the Windows or
// OS/2 form.
#ifndef LUMENFOLD_LOADING_JPEG_H
#define LUMENFOLD_LOADING_JPEG_H

#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

// Decoder options, in the order callers fill them.
struct ZmJpgOption {
  int32_t colors;                 // > 0: quantise to that many colours
  int32_t dctMethod;              // the library's J_DCT_METHOD code
  int32_t ditherMode;             // the library's J_DITHER_MODE code (2 Floyd-Steinberg)
  unsigned char fast;             // fast, lower-quality decoding
  unsigned char grayscale;        // force grayscale output
  int32_t maxMemory;              // kilobytes; > 0 sets the library's limit to 1000 times it
  unsigned char fancyUpsampling;
  unsigned char twoPassQuantize;
  int32_t scaleNum;
  int32_t scaleDenom;
  unsigned char verbose;          // banner once per run, and one more trace level
};

// The record the image conversion uses: 256 colours, Floyd-Steinberg.
extern const ZmJpgOption zmJpgImageConversionOption;

struct ZmBmpDest;

/*
 * zmInitBmpOutput --
 *   Creates the BMP output module in the decompression object's image pool
 *   (it goes with the object). Call after the header is read and the
 *   options set, before decompression starts. An output colour space other
 *   than grayscale or RGB is the library error 1005.
 */
ZmBmpDest* zmInitBmpOutput(j_decompress_ptr cinfo, int os2);

/*
 * zmJpg2Bmp --
 *   Decodes a JPEG file into a BMP file: OS/2 headers when format is 1,
 *   Windows headers otherwise; options may be null (24-bit output).
 * Results:
 *   0; -1 after a warning when a name is missing, a file cannot be opened,
 *   the decoder stops on an error, or the decoder warned during the run
 *   ("JPEG internal warning\n"; the BMP file is then written but suspect).
 *   Both files are closed on every path.
 */
int zmJpg2Bmp(const char* jpegName, const char* bmpName, int format, const ZmJpgOption* options);

#endif
