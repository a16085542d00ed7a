// tests/platform/colourmap_test.cpp -- the blit's colour conversion between
// direct-colour formats: its per-channel tables give exactly what the
// general conversion through a COLORREF gives.
#include <gtest/gtest.h>

#include "platform/pixels.h"
#include "platform/raster.h"

namespace {

TEST(ColourMapTest, DirectFormatsConvertAsTheGeneralPathDoes) {
  const platform::gdi::PixelFormat formats[] = {platform::gdi::rgb555Format(), platform::gdi::rgb565Format(),
                                                platform::gdi::directFormat(24), platform::gdi::directFormat(32)};
  for (const auto& source : formats) {
    for (const auto& dest : formats) {
      if (source.sameAs(dest)) continue;
      platform::gdi::ColourMap colours(source, dest, nullptr, nullptr);
      // Every 16-bit value; a spread of wider ones, all channels moving.
      const uint32_t step = source.bitsPerPixel <= 16 ? 1 : 4099;
      for (uint32_t value = 0; value <= source.valueMask(); value += step) {
        const uint32_t expected = platform::gdi::colourToValue(dest, platform::gdi::valueToColour(source, value));
        ASSERT_EQ(colours.map(value), expected)
            << source.bitsPerPixel << " -> " << dest.bitsPerPixel << " value " << value;
      }
    }
  }
}

}  // namespace
