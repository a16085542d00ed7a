// tests/platform/colourmap_test.cpp -- the blit's colour conversion between
// direct-colour formats: its per-channel tables give exactly what the
// general conversion through a COLORREF gives.
#include <gtest/gtest.h>

#include "platform/pixels.h"
#include "platform/raster.h"
#include "tests/platform/gdi_fixture.h"

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

class SixteenBitBlitTest : public GdiTest {};

// Every 5:6:5 value copied onto the 24-bit display's window and into a 32-bit
// DIB comes out as the general conversion makes it.
TEST_F(SixteenBitBlitTest, EveryValueReachesTrueColourTargetsExactly) {
  void* sourceBits = nullptr;
  HDC source = dibDc(dib565(256, -256), &sourceBits);
  auto* values = static_cast<uint16_t*>(sourceBits);
  for (uint32_t v = 0; v < 65536; v++) values[v] = static_cast<uint16_t>(v);
  const platform::gdi::PixelFormat from = platform::gdi::rgb565Format();

  HWND window = makeSurfaceWindow(256, 256);
  HDC windowDc = GetDC(window);
  ASSERT_TRUE(BitBlt(windowDc, 0, 0, 256, 256, source, 0, 0, SRCCOPY));
  ReleaseDC(window, windowDc);
  const platform::WindowPixels shown = pixelsOf(window);
  ASSERT_EQ(shown.width, 256);

  void* wideBits = nullptr;
  HDC wide = dibDc(dibInfo(256, -256, 32), &wideBits);
  ASSERT_TRUE(BitBlt(wide, 0, 0, 256, 256, source, 0, 0, SRCCOPY));
  const auto* wideValues = static_cast<const uint32_t*>(wideBits);
  const platform::gdi::PixelFormat to = platform::gdi::directFormat(32);

  for (uint32_t v = 0; v < 65536; v++) {
    const COLORREF colour = platform::gdi::valueToColour(from, v);
    ASSERT_EQ(shown.at(v % 256, v / 256), colour) << "value " << v;
    ASSERT_EQ(wideValues[v] & to.valueMask(), platform::gdi::colourToValue(to, colour)) << "value " << v;
  }
}

}  // namespace
