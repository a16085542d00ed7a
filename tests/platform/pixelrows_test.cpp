// tests/platform/pixelrows_test.cpp -- the tuned conversion paths (row
// loops, the colour decoder, the blit's row copy) against the reference,
// pixel by pixel through colours, on every format the platform has: 8-bit
// with a palette, 16-bit 5:6:5 and 5:5:5, 24 and 32 bits, and bitfield
// layouts the loops must turn down or handle at their edges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/pixelrows.h"
#include "platform/pixels.h"
#include "platform/raster.h"
#include "tests/platform/gdi_fixture.h"

namespace {

using platform::gdi::PixelFormat;

struct NamedFormat {
  std::string name;
  PixelFormat format;
};

// 256 distinct colours, none of them grey, so that nearest colours are unique.
PixelFormat paletteFormat() {
  PixelFormat format{.bitsPerPixel = 8};
  for (int i = 0; i < 256; i++)
    format.colours.push_back(RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>((i * 37) & 255), 0});
  return format;
}

PixelFormat bitfields(int bits, uint32_t red, uint32_t green, uint32_t blue) {
  return PixelFormat{.bitsPerPixel = bits, .redMask = red, .greenMask = green, .blueMask = blue};
}

const std::vector<NamedFormat>& formats() {
  static const std::vector<NamedFormat> all = {
      {"8-bit palette", paletteFormat()},
      {"5:6:5", platform::gdi::rgb565Format()},
      {"5:5:5", platform::gdi::rgb555Format()},
      {"24-bit", platform::gdi::directFormat(24)},
      {"32-bit", platform::gdi::directFormat(32)},
      {"32-bit blue high", bitfields(32, 0x0000FF, 0x00FF00, 0xFF0000)},
      {"16-bit 4:4:4", bitfields(16, 0x0F00, 0x00F0, 0x000F)},
      {"16-bit 3:3:2", bitfields(16, 0x00E0, 0x001C, 0x0003)},  // too narrow for the shift loop
      {"32-bit 10:10:10", bitfields(32, 0x3FF00000, 0x000FFC00, 0x000003FF)},
      {"32-bit scattered", bitfields(32, 0x00F00F00, 0x000000F0, 0x0F00000F)},
  };
  return all;
}

// Every value of a format up to 16 bits (every `stride`th one), else a
// spread in which every bit moves, as a row of pixels.
std::vector<uint8_t> sampleRow(const PixelFormat& format, int* count, uint32_t stride = 1) {
  const int bytes = format.bitsPerPixel / 8;
  std::vector<uint32_t> values;
  if (format.bitsPerPixel <= 16) {
    for (uint32_t v = 0; v < (1u << format.bitsPerPixel); v += stride) values.push_back(v);
  } else {
    uint32_t state = 2463534242u;
    for (uint32_t i = 0; i < 20000 / stride; i++) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      values.push_back(state & format.valueMask());
    }
  }
  std::vector<uint8_t> row(values.size() * bytes);
  for (size_t i = 0; i < values.size(); i++) std::memcpy(&row[i * bytes], &values[i], static_cast<size_t>(bytes));
  *count = static_cast<int>(values.size());
  return row;
}

// The colour bits of each pixel of a row: a copy between like formats keeps
// the others as they were, the reference clears them.
std::vector<uint32_t> colourValues(const PixelFormat& format, const uint8_t* row, int count) {
  const platform::gdi::Surface surface{count, 1, const_cast<uint8_t*>(row), 0, &format};
  std::vector<uint32_t> values(static_cast<size_t>(count));
  for (int x = 0; x < count; x++) values[static_cast<size_t>(x)] = surface.read(x, 0) & format.valueMask();
  return values;
}

TEST(PixelRowsTest, EveryPairOfFormatsConvertsAsTheReferenceDoes) {
  for (const NamedFormat& from : formats()) {
    for (const NamedFormat& to : formats()) {
      // Into a palette each pixel is a search of it: fewer of them.
      int count = 0;
      const std::vector<uint8_t> source = sampleRow(from.format, &count, to.format.indexed() ? 17 : 1);
      const int toBytes = to.format.bitsPerPixel / 8;
      platform::gdi::ColourMap colours(from.format, to.format, nullptr, nullptr);
      // Whole rows, and short ones, whose last pixel a 3-byte loop treats apart.
      for (int length : {count, 1, 2, 3, 17}) {
        if (length > count) continue;
        std::vector<uint8_t> tuned(static_cast<size_t>(length) * toBytes + 4, 0xEE);
        std::vector<uint8_t> reference(tuned.size(), 0xEE);
        colours.convertRow(source.data(), tuned.data(), length);
        // Like formats are copied (the reference would round 10-bit channels).
        if (from.format.sameAs(to.format))
          std::memcpy(reference.data(), source.data(), static_cast<size_t>(length) * toBytes);
        else
          platform::gdi::convertRowReference(from.format, to.format, source.data(), reference.data(), length);
        ASSERT_EQ(colourValues(to.format, tuned.data(), length), colourValues(to.format, reference.data(), length))
            << from.name << " -> " << to.name << ", " << length << " pixels";
        for (size_t past = static_cast<size_t>(length) * toBytes; past < tuned.size(); past++)
          ASSERT_EQ(tuned[past], 0xEE) << from.name << " -> " << to.name << " wrote past " << length << " pixels";
      }
    }
  }
}

TEST(PixelRowsTest, TheDecoderReadsEveryFormatAsTheReferenceDoes) {
  for (const NamedFormat& f : formats()) {
    int count = 0;
    const std::vector<uint8_t> row = sampleRow(f.format, &count);
    const platform::gdi::ColourDecoder decoder(f.format);
    const platform::gdi::Surface surface{count, 1, const_cast<uint8_t*>(row.data()), 0, &f.format};
    for (int x = 0; x < count; x++) {
      const uint32_t value = surface.read(x, 0);
      ASSERT_EQ(decoder.colour(value), platform::gdi::valueToColour(f.format, value)) << f.name << " value " << value;
    }
  }
}

// The loops chosen for the formats the program draws and shows with: none
// of them falls back to the pixel-by-pixel map.
TEST(PixelRowsTest, ShiftLoopsTakeTheDirectFormatsOfAtLeastFourBitsAChannel) {
  const struct {
    PixelFormat from, to;
    bool taken;
  } cases[] = {
      {platform::gdi::rgb565Format(), platform::gdi::directFormat(32), true},
      {platform::gdi::rgb555Format(), platform::gdi::directFormat(24), true},
      {platform::gdi::directFormat(32), bitfields(32, 0x0000FF, 0x00FF00, 0xFF0000), true},
      {platform::gdi::directFormat(32), platform::gdi::rgb565Format(), true},
      {bitfields(16, 0x00E0, 0x001C, 0x0003), platform::gdi::directFormat(32), false},
      {bitfields(32, 0x3FF00000, 0x000FFC00, 0x000003FF), platform::gdi::directFormat(32), false},
      {paletteFormat(), platform::gdi::directFormat(32), false},
  };
  for (const auto& c : cases) {
    platform::gdi::RowConversion conversion;
    EXPECT_EQ(platform::gdi::RowConversion::channelShifts(c.from, c.to, &conversion), c.taken)
        << c.from.bitsPerPixel << " -> " << c.to.bitsPerPixel;
  }
}

class BlitPathTest : public GdiTest {
 protected:
  // A DIB section of the format, its rows filled from the sample row.
  HDC sectionOf(const PixelFormat& format, int width, int height, void** bits) {
    const bool bitfields = !format.indexed() && format.bitsPerPixel != 24;
    DibInfo info = dibInfo(width, -height, format.bitsPerPixel, bitfields ? BI_BITFIELDS : BI_RGB);
    if (format.indexed()) {
      std::copy(format.colours.begin(), format.colours.end(), info.colours);
      info.header.biClrUsed = 256;
    } else if (bitfields) {
      const DWORD masks[3] = {format.redMask, format.greenMask, format.blueMask};
      std::memcpy(info.colours, masks, sizeof masks);
    }
    return dibDc(info, bits);
  }
};

// A blit between DIB sections of two formats copies rows through the
// tuned loops: the pixels are the reference's.
TEST_F(BlitPathTest, BlitsBetweenSectionsOfEveryFormatGiveTheReferencePixels) {
  constexpr int kWidth = 61, kHeight = 37;  // odd widths: rows padded, last pixels apart
  for (const NamedFormat& from : formats()) {
    int count = 0;
    const std::vector<uint8_t> sample = sampleRow(from.format, &count);
    void* sourceBits = nullptr;
    HDC source = sectionOf(from.format, kWidth, kHeight, &sourceBits);
    const size_t sourceRow = platform::gdi::rowBytes(kWidth, from.format.bitsPerPixel, 4);
    const int fromBytes = from.format.bitsPerPixel / 8;
    for (int y = 0; y < kHeight; y++)
      std::memcpy(static_cast<uint8_t*>(sourceBits) + sourceRow * y,
                  &sample[(static_cast<size_t>(y) * 97 % static_cast<size_t>(count - kWidth)) * fromBytes],
                  static_cast<size_t>(kWidth) * fromBytes);
    for (const NamedFormat& to : formats()) {
      void* destBits = nullptr;
      HDC dest = sectionOf(to.format, kWidth, kHeight, &destBits);
      ASSERT_TRUE(BitBlt(dest, 0, 0, kWidth, kHeight, source, 0, 0, SRCCOPY));
      const size_t destRow = platform::gdi::rowBytes(kWidth, to.format.bitsPerPixel, 4);
      std::vector<uint8_t> expected(static_cast<size_t>(kWidth) * (to.format.bitsPerPixel / 8));
      for (int y = 0; y < kHeight; y++) {
        const uint8_t* sourceRowBits = static_cast<uint8_t*>(sourceBits) + sourceRow * y;
        if (from.format.sameAs(to.format))
          std::memcpy(expected.data(), sourceRowBits, expected.size());
        else
          platform::gdi::convertRowReference(from.format, to.format, sourceRowBits, expected.data(), kWidth);
        ASSERT_EQ(colourValues(to.format, static_cast<uint8_t*>(destBits) + destRow * y, kWidth),
                  colourValues(to.format, expected.data(), kWidth))
            << from.name << " -> " << to.name << ", row " << y;
      }
    }
  }
}

// The view's frame (5:6:5) copied onto a window at each display depth: the
// window shows the reference's colours, and the frame copied again the same
// changes nothing.
TEST_F(BlitPathTest, TheViewsFrameReachesAWindowAtEveryDepthAsTheReferenceGivesIt) {
  for (int depth : {8, 15, 16, 24}) {
    ASSERT_TRUE(platform::setDisplayDepth(depth));
    void* bits = nullptr;
    HDC frame = dibDc(dib565(256, -256), &bits);
    for (uint32_t v = 0; v < 65536; v++) static_cast<uint16_t*>(bits)[v] = static_cast<uint16_t>(v);
    HWND window = makeSurfaceWindow(256, 256);
    HDC windowDc = GetDC(window);
    ASSERT_TRUE(BitBlt(windowDc, 0, 0, 256, 256, frame, 0, 0, SRCCOPY));
    ReleaseDC(window, windowDc);
    const platform::WindowPixels shown = pixelsOf(window);
    const PixelFormat display = platform::gdi::displayFormat();
    const PixelFormat from = platform::gdi::rgb565Format();
    for (uint32_t v = 0; v < 65536; v++) {
      const COLORREF expected =
          platform::gdi::valueToColour(display, platform::gdi::colourToValue(display, platform::gdi::valueToColour(from, v)));
      ASSERT_EQ(shown.at(int(v % 256), int(v / 256)), expected) << "depth " << depth << " value " << v;
    }
    DestroyWindow(window);
  }
}

}  // namespace
