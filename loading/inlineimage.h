// loading/inlineimage.h -- converters between inline SFImage texts and BMP
// files.
//
// Owns: the word reader over a text in memory, the reader of an inline
// image ("image" width height components, then one number per pixel), and
// the two library entry points: an inline image to a palette or true-colour
// BMP plus a 1-bit transparency mask, and a BMP (with an optional mask BMP)
// to the text of a Texture2 node. It does not own the BMP format
// (bmpfile.h) or the VRML reader, which never calls these.
//
// Inline pixels in memory: height rows of width pixels of `components`
// bytes each, from the number's most significant byte used (0xRRGGBB gives
// R, G, B; 0xGGAA gives G, A); the first row is the bottom row.
#ifndef LUMENFOLD_LOADING_INLINEIMAGE_H
#define LUMENFOLD_LOADING_INLINEIMAGE_H

#include <cstddef>
#include <cstdint>

// Longest word kept; longer runs are read whole and cut to this.
#define ZM_INLINE_WORD_SIZE 64

struct ZmInlineImageSize {
  uint16_t width;
  uint16_t height;
  uint16_t components;  // 1 gray, 2 gray and alpha, 3 RGB, 4 RGBA
};

// The next word at *cursor (skipping white space and "#" comments), moving
// the cursor past it; an empty word at the end of the text.
void get_word(const char** cursor, char* word);

/*
 * zmReadInlineImageHeader --
 *   Finds the word "image" and reads width, height and components.
 * Results:
 *   0; -1 after a warning when there is no "image", or a value is out of
 *   range (width or height outside 1..65535, components outside 1..4).
 */
int zmReadInlineImageHeader(const char** cursor, ZmInlineImageSize* size);

// Reads one row of `width` pixel words into width * components bytes.
// 0, or -1 when the text ends first.
int zmReadInlineImageRow(const char** cursor, unsigned char* row, int width, int components);

/*
 * zmReadInlineImage --
 *   Reads the header and every pixel. *pixels, when null, receives a new
 *   buffer (zmMalloc; the caller frees it); a given one must hold
 *   width * height * components bytes.
 * Results:
 *   0, or -1 after a warning.
 */
int zmReadInlineImage(const char** cursor, ZmInlineImageSize* size, unsigned char** pixels);

/*
 * zmInlineTexture2Bmp --
 *   Writes the inline image in `text` as a BMP of the smallest palette
 *   depth that holds its colours (24 bits beyond 256) and, for 2 or 4
 *   components and a mask name, a 1-bit mask that is 1 where alpha > 127.
 * Results:
 *   0, or -1 after the log line "zmInlineTexture2Bmp : " plus the error.
 */
int zmInlineTexture2Bmp(const char* text, const char* bmpName, const char* maskName);

/*
 * zmBmp2InlineTexture --
 *   Writes "Texture2 {\nimage W H C\n" plus one hex word per pixel and "}"
 *   for a BMP and an optional mask BMP of the same size (its gray level is
 *   the alpha). When *text is null a buffer is allocated (zmMalloc; the
 *   caller frees it) and *capacity receives its size; a given buffer holds
 *   *capacity bytes and is refused when too small.
 * Results:
 *   0, or -1 after the log line "zmBmp2InlineTexture : " plus the error.
 */
int zmBmp2InlineTexture(const char* bmpName, const char* maskName, char** text, size_t* capacity);

#endif
