// logopic -- draws the program's logo ("logo.bmp", 52 x 11 pixels, 24 bits)
// into a folder; the main window shows it under the view.
//
//   logopic FOLDER
//
// The logo is the program's name in the sans-serif face on black, the main
// window's background, lit from gold at the top to orange at the bottom. The
// text is drawn with the platform's own GDI and fonts, at the largest height
// whose width fits the picture. The build runs it; nothing else writes it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "loading/bmpfile.h"
#include "platform/wingdi.h"

namespace {

constexpr int kWidth = 52;
constexpr int kHeight = 11;
constexpr const char* kName = "Lumenfold";
constexpr const char* kFace = "Arial Bold";
constexpr int kLargestFontHeight = 14;

struct Rgb {
  unsigned char r, g, b;
};
constexpr Rgb kTop{255, 214, 92};
constexpr Rgb kBottom{232, 118, 36};

// The font of the largest height whose rendering of the name fits the width.
HFONT fittingFont(HDC dc, SIZE* extent) {
  for (int height = kLargestFontHeight; height > 4; --height) {
    HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, kFace);
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32A(dc, kName, int(std::strlen(kName)), extent);
    SelectObject(dc, previous);
    if (extent->cx <= kWidth) return font;
    DeleteObject(font);
  }
  return nullptr;
}

unsigned char blend(unsigned char from, unsigned char to, int step, int steps) {
  return static_cast<unsigned char>(from + (to - from) * step / steps);
}

// The name in white on black, drawn into a top-down 24-bit DIB section; the
// coverage of each pixel (its white level) is kept.
bool drawCoverage(std::vector<unsigned char>* coverage) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -kHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (surface == nullptr || dc == nullptr) return false;
  HGDIOBJ previousBitmap = SelectObject(dc, surface);
  SIZE extent{};
  HFONT font = fittingFont(dc, &extent);
  if (font == nullptr) return false;
  HGDIOBJ previousFont = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  TextOutA(dc, (kWidth - extent.cx) / 2, (kHeight - extent.cy) / 2, kName, int(std::strlen(kName)));
  const size_t rowBytes = (size_t(kWidth) * 3 + 3) & ~size_t(3);
  const auto* pixels = static_cast<const unsigned char*>(bits);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) (*coverage)[size_t(y * kWidth + x)] = pixels[rowBytes * y + size_t(x) * 3 + 1];
  }
  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(font);
  DeleteDC(dc);
  DeleteObject(surface);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: logopic FOLDER\n");
    return 2;
  }
  std::vector<unsigned char> coverage(size_t(kWidth * kHeight), 0);
  if (!drawCoverage(&coverage)) {
    std::fprintf(stderr, "logopic: cannot draw the name\n");
    return 1;
  }
  // File order: rows bottom up, each pixel blue, green, red.
  std::vector<unsigned char> rows(size_t(kWidth * kHeight * 3), 0);
  for (int y = 0; y < kHeight; ++y) {
    const Rgb ink{blend(kTop.r, kBottom.r, y, kHeight - 1), blend(kTop.g, kBottom.g, y, kHeight - 1),
                  blend(kTop.b, kBottom.b, y, kHeight - 1)};
    unsigned char* row = &rows[size_t((kHeight - 1 - y) * kWidth * 3)];
    for (int x = 0; x < kWidth; ++x) {
      const int level = coverage[size_t(y * kWidth + x)];
      row[x * 3 + 0] = static_cast<unsigned char>(ink.b * level / 255);
      row[x * 3 + 1] = static_cast<unsigned char>(ink.g * level / 255);
      row[x * 3 + 2] = static_cast<unsigned char>(ink.r * level / 255);
    }
  }
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  info.width = kWidth;
  info.height = kHeight;
  info.bitCount = 24;
  const std::string path = std::string(argv[1]) + "/logo.bmp";
  if (zmSetBMPHeader(&header, &info) != 0 || zmWriteBMP(path.c_str(), &header, &info, rows.data()) != 0) {
    std::fprintf(stderr, "logopic: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
