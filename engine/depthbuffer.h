// engine/depthbuffer.h -- the depth buffer shared by every camera image.
//
// Owns: the one z-buffer of 16-bit depths (0 = farthest) that the software
// devices draw into for whichever camera is being updated, its growth when a
// camera image needs more room, and the clearing of a rectangle of it.
// It does not own the camera images nor decide when depths are tested (the
// draw routines do).
//
// The buffer grows to the widest and the tallest image ever asked for,
// taken separately, so an image that is wider but shorter than the buffer
// never costs a taller one its rows. It lives until RwFreeDepthBuffer.
#ifndef LUMENFOLD_ENGINE_DEPTHBUFFER_H
#define LUMENFOLD_ENGINE_DEPTHBUFFER_H

#include <cstdint>

#include "engine/device.h"

struct RwDepthBuffer {
  uint16_t* base;    // first entry of the top row, or null
  intptr_t width;    // entries per row
  intptr_t height;   // rows
  intptr_t stride;   // bytes from a row to the next: 2 x width
};

const RwDepthBuffer& RwGetDepthBuffer();

/*
 * RwGrowDepthBuffer --
 *   Makes the buffer at least width x height (pixels): when either exceeds
 *   the buffer, the old buffer is freed and one of the larger width and the
 *   larger height is made.
 * Results:
 *   1, or 0 with error 3 (the buffer is then gone: width and height 0).
 */
int RwGrowDepthBuffer(intptr_t width, intptr_t height);
void RwFreeDepthBuffer();

// Zeroes the rectangle (pixels), clipped to the buffer and rounded out to
// whole 32-bit words: it starts on an even pixel and covers a multiple of
// two pixels.
void RwClearDepthBufferRect(const RwRect* rect);

#endif
