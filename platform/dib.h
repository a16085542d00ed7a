// platform/dib.h -- reading the description of a device-independent bitmap.
//
// Owns: turning a caller's BITMAPINFO (40-byte or larger header, or the old
// 12-byte core header) into a pixel format and size, and viewing the
// caller's rows as a Surface. It does not own any pixels: the rows stay the
// caller's, who vouches for their length as the real interface demands.
#ifndef LUMENFOLD_PLATFORM_DIB_H
#define LUMENFOLD_PLATFORM_DIB_H

#include "platform/gdi_objects.h"
#include "platform/pixels.h"

namespace platform::gdi {

struct DibLayout {
  PixelFormat format;
  int width = 0;
  int height = 0;        // rows, always positive
  bool bottomUp = true;  // a positive biHeight
  DWORD compression = BI_RGB;
  size_t rowSize = 0;  // DWORD-aligned
};

/*
 * readDibLayout --
 *   Checks the header (1, 4, 8, 16, 24 or 32 bits; BI_RGB, or BI_BITFIELDS
 *   at 16 and 32 bits with non-zero masks; sides 1..32767) and reads its
 *   colour table: RGBQUADs, or with DIB_PAL_COLORS WORD indices into the
 *   palette selected into `dc` (which must then be given). False when the
 *   header is refused.
 */
bool readDibLayout(const BITMAPINFO* info, UINT usage, const DcObject* dc, DibLayout* layout);

// The caller's `rows` rows seen from the top: for a bottom-up DIB the last
// row in memory is the top one.
Surface dibRows(const DibLayout& layout, const void* bits, int rows);

}  // namespace platform::gdi

#endif
