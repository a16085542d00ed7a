// engine/rectfill.h -- rectangle fills of the colour image and the z-buffer.
//
// Owns: the row loops that clear a rectangle of the current camera's colour
// image (8-bit and 16-bit) to a replicated pattern, and a rectangle of a
// z-buffer to 0 (the farthest depth). They keep no state.
// It does not own the memory they write (the camera image and the depth
// buffer belong to the device) nor the choice of rectangle (the callers').
//
// Widths are in bytes. An empty rectangle (width or rows below 1) writes
// nothing.
#ifndef LUMENFOLD_ENGINE_RECTFILL_H
#define LUMENFOLD_ENGINE_RECTFILL_H

#include <cstdint>

/*
 * RwRas8FillRect, RwRas16FillRect --
 *   Fill `rows` rows of `width` bytes from *start, stepping by the current
 *   camera's image stride. The pattern is the palette index in all four
 *   bytes (8-bit) or the pixel in both halves (16-bit). Rows wider than 16
 *   bytes are stored as 32-bit words plus a tail: 8-bit the remaining bytes,
 *   16-bit one pixel when width AND 3 is 2 or 3. Narrow rows are stored
 *   byte by byte (8-bit) or pixel by pixel (16-bit).
 */
void RwRas8FillRect(uint8_t* const* start, intptr_t width, intptr_t rows, uint32_t pattern);
void RwRas16FillRect(uint8_t* const* start, intptr_t width, intptr_t rows, uint32_t pattern);

// Zeroes `rows` rows of `width` bytes: 32-bit words when wider than 16
// bytes (no tail: callers round the width up to a multiple of 4), 16-bit
// entries otherwise.
void RwClearZBufferRect(uint8_t* start, intptr_t width, intptr_t rows, intptr_t stride);

#endif
