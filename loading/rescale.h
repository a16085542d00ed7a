// loading/rescale.h -- area-averaging image rescaling in integers.
//
// Owns: the four resampling routines (grow or shrink in x and y), their row
// routines, the pixel readers (palette, 15-bit, 24- and 32-bit) and writers
// (nearest palette entry, 24-bit). Every target pixel is the average of the
// source area it covers, weighted by the overlaps; no floating point.
// It does not own the images: callers give both buffers, rows packed
// without padding.
//
// Geometry: one source pixel weighs W; target column j spans qx (plus one
// for the columns the error term picks, rx of them), so the spans add up to
// source width times W; rows likewise with qy and ry. Callers choose W, qx,
// rx, qy and ry so those sums hold; the routines refuse them otherwise.
#ifndef LUMENFOLD_LOADING_RESCALE_H
#define LUMENFOLD_LOADING_RESCALE_H

#include <cstdint>

struct ZmRescaleGeometry {
  int32_t srcWidth, srcHeight;
  int32_t dstWidth, dstHeight;
  int32_t unitWeight;      // W
  int32_t qx, qy;          // whole span of a target column and row
  int32_t rx, ry;          // remainders spread by the error terms
  unsigned char srcBytes;  // source format: 1 palette, 2 5-5-5, 3 and 4 three bytes used
  unsigned char dstBytes;  // target format: 1 nearest palette entry, 3 three bytes
};

struct ZmPixelAccess {
  const unsigned char* colormap;
  int32_t mapEntries;
  unsigned char entrySize;  // bytes per map entry; its first three are the colour
  // 0, or -1 for a palette index beyond the map.
  int (*readPixel)(const ZmPixelAccess*, const unsigned char* pixel, unsigned char color[3]);
  void (*writePixel)(const ZmPixelAccess*, const unsigned char color[3], unsigned char* pixel);
};

/*
 * zmRescaleImage --
 *   Resamples `source` into `target` with the routine that fits the
 *   directions: zmEnlargeImage, zmStretchImageX (wider, lower),
 *   zmStretchImageY (narrower, not lower) or zmShrinkImage.
 * Results:
 *   0; -1 after a warning (no target, bad geometry or formats, no memory).
 */
int zmRescaleImage(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                   const unsigned char* colormap, int32_t mapEntries, unsigned char entrySize);

int zmEnlargeImage(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                   const ZmPixelAccess* access);
int zmStretchImageX(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                    const ZmPixelAccess* access);
int zmStretchImageY(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                    const ZmPixelAccess* access);
int zmShrinkImage(const unsigned char* source, unsigned char* target, const ZmRescaleGeometry* geometry,
                  const ZmPixelAccess* access);

#endif
