// platform/pixelrows.h -- runs of pixels converted from one format to
// another, for formats of 8 bits a pixel and more.
//
// Owns: RowConversion, the loop chosen once for a pair of formats together
// with what it needs (a table of every source value, or each channel's
// shifts and masks), which converts a run of pixels of one row; and
// convertRowReference, the pixel-by-pixel conversion through colours that
// the tuned loops are held to. It converts values only: what a DC's colours
// mean for monochrome bitmaps, and which loop a blit asks for, are
// ColourMap's (raster.h).
//
// The loops read the source and write the destination once per pixel and
// do nothing else: no call, no branch on the format, no counting of bits.
// The direct-colour loop is written so that the compiler vectorises it.
#ifndef LUMENFOLD_PLATFORM_PIXELROWS_H
#define LUMENFOLD_PLATFORM_PIXELROWS_H

#include <cstdint>
#include <vector>

#include "platform/pixels.h"

namespace platform::gdi {

class RowConversion {
 public:
  // Nothing made yet: ready() is false.
  RowConversion() = default;

  // Between formats of the same layout: whole bytes copied.
  static RowConversion copy(int bitsPerPixel);
  // Each source value (8 or 16 bits) through `table`, which holds the
  // destination value of every one of them.
  static RowConversion lookup(int fromBits, int toBits, std::vector<uint32_t> table);
  /*
   * channelShifts --
   *   Direct colour to direct colour by each channel's shifts and masks:
   *   for source channels of 4 to 8 bits and destination channels of at
   *   most 8. False (and *out untouched) for other formats.
   */
  static bool channelShifts(const PixelFormat& from, const PixelFormat& to, RowConversion* out);

  bool ready() const { return kind_ != Kind::Unmade; }
  // Converts `count` pixels from `from` to `to`, which must not overlap
  // unless the conversion is a copy.
  void run(const uint8_t* from, uint8_t* to, int count) const;

  // One channel's way through the shift loop: the source channel taken out
  // and widened to 8 bits by repeating its top bits, narrowed to the
  // destination's width and put in place.
  struct ChannelStep {
    uint32_t inShift = 0, inMask = 0;       // raw = (value >> inShift) & inMask
    uint32_t widenLeft = 0, widenRight = 0; // level = raw << widenLeft | raw >> widenRight
    uint32_t narrowRight = 0, outShift = 0; // out |= (level >> narrowRight) << outShift
  };

 private:
  enum class Kind { Unmade, Copy, Lookup, Shifts };
  Kind kind_ = Kind::Unmade;
  int fromBytes_ = 0, toBytes_ = 0;
  std::vector<uint32_t> table_;
  ChannelStep steps_[3];
};

/*
 * convertRowReference --
 *   The reference: each of `count` pixels read, turned into its colour and
 *   back into the destination's nearest value (valueToColour and
 *   colourToValue).
 */
void convertRowReference(const PixelFormat& from, const PixelFormat& to, const uint8_t* fromRow, uint8_t* toRow,
                         int count);

}  // namespace platform::gdi

#endif
