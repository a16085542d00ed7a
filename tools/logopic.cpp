// logopic -- draws the program's logo ("logo.bmp", 52 x 11 pixels, 24 bits)
// into a folder; the main window shows it under the view. Beside it, the
// program's icon in the same colours, its initial on black, 48 x 48: as
// "icon.bmp", which the program gives the window manager, and as
// "lumenfold.xpm", which a desktop shows (installed into the icon theme).
//
//   logopic FOLDER
//
// The logo is the program's name in the sans-serif face on black, the main
// window's background, lit from gold at the top to orange at the bottom. The
// text is drawn with the platform's own GDI and fonts, at the largest height
// whose width fits the picture. The build runs it; nothing else writes it.
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "loading/bmpfile.h"
#include "platform/wingdi.h"

namespace {

constexpr const char* kFace = "Arial Bold";

// A text drawn as a picture of its own size, with the largest font that fits.
struct Picture {
  const char* text;
  int width, height;
  int largestFontHeight;
};
constexpr Picture kLogo{"Lumenfold", 52, 11, 14};
constexpr Picture kIcon{"L", 48, 48, 60};

struct Rgb {
  unsigned char r, g, b;
};
constexpr Rgb kTop{255, 214, 92};
constexpr Rgb kBottom{232, 118, 36};

// The font of the largest height whose rendering of the text fits the picture.
HFONT fittingFont(HDC dc, const Picture& picture, SIZE* extent) {
  for (int height = picture.largestFontHeight; height > 4; --height) {
    HFONT font = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, kFace);
    HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32A(dc, picture.text, int(std::strlen(picture.text)), extent);
    SelectObject(dc, previous);
    if (extent->cx <= picture.width && extent->cy <= picture.height + picture.height / 4) return font;
    DeleteObject(font);
  }
  return nullptr;
}

unsigned char blend(unsigned char from, unsigned char to, int step, int steps) {
  return static_cast<unsigned char>(from + (to - from) * step / steps);
}

// The text in white on black, drawn into a top-down 24-bit DIB section; the
// coverage of each pixel (its white level) is kept.
bool drawCoverage(const Picture& picture, std::vector<unsigned char>* coverage) {
  const int width = picture.width, height = picture.height;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP surface = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (surface == nullptr || dc == nullptr) return false;
  HGDIOBJ previousBitmap = SelectObject(dc, surface);
  SIZE extent{};
  HFONT font = fittingFont(dc, picture, &extent);
  if (font == nullptr) return false;
  HGDIOBJ previousFont = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  TextOutA(dc, (width - extent.cx) / 2, (height - extent.cy) / 2, picture.text, int(std::strlen(picture.text)));
  const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
  const auto* pixels = static_cast<const unsigned char*>(bits);
  coverage->assign(size_t(width * height), 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) (*coverage)[size_t(y * width + x)] = pixels[rowBytes * y + size_t(x) * 3 + 1];
  }
  SelectObject(dc, previousFont);
  SelectObject(dc, previousBitmap);
  DeleteObject(font);
  DeleteDC(dc);
  DeleteObject(surface);
  return true;
}

// The picture's colours, rows from the top: the ink from gold at the top to
// orange at the bottom, where the text covers the black.
std::vector<Rgb> inked(const Picture& picture, const std::vector<unsigned char>& coverage) {
  std::vector<Rgb> colours(coverage.size());
  const int last = picture.height - 1;
  for (int y = 0; y < picture.height; ++y) {
    const Rgb ink{blend(kTop.r, kBottom.r, y, last), blend(kTop.g, kBottom.g, y, last),
                  blend(kTop.b, kBottom.b, y, last)};
    for (int x = 0; x < picture.width; ++x) {
      const size_t at = size_t(y * picture.width + x);
      const int level = coverage[at];
      colours[at] = Rgb{static_cast<unsigned char>(ink.r * level / 255), static_cast<unsigned char>(ink.g * level / 255),
                        static_cast<unsigned char>(ink.b * level / 255)};
    }
  }
  return colours;
}

bool writeBmp(const std::string& path, const Picture& picture, const std::vector<Rgb>& colours) {
  // File order: rows bottom up, each pixel blue, green, red.
  std::vector<unsigned char> rows(colours.size() * 3, 0);
  for (int y = 0; y < picture.height; ++y) {
    unsigned char* row = &rows[size_t((picture.height - 1 - y) * picture.width * 3)];
    for (int x = 0; x < picture.width; ++x) {
      const Rgb& c = colours[size_t(y * picture.width + x)];
      row[x * 3 + 0] = c.b;
      row[x * 3 + 1] = c.g;
      row[x * 3 + 2] = c.r;
    }
  }
  ZmBmpFileHeader header{};
  ZmBmpInfo info{};
  info.width = picture.width;
  info.height = picture.height;
  info.bitCount = 24;
  return zmSetBMPHeader(&header, &info) == 0 && zmWriteBMP(path.c_str(), &header, &info, rows.data()) == 0;
}

// An XPM picture: each distinct colour named by two characters.
bool writeXpm(const std::string& path, const Picture& picture, const std::vector<Rgb>& colours) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+-";
  std::map<uint32_t, std::string> names;
  for (const Rgb& c : colours) {
    const uint32_t key = uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
    if (names.count(key) != 0) continue;
    const size_t n = names.size();
    if (n >= 64 * 64) return false;
    names[key] = std::string{kDigits[n / 64], kDigits[n % 64]};
  }
  FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return false;
  std::fprintf(file, "/* XPM */\nstatic char *lumenfold[] = {\n\"%d %d %zu 2\",\n", picture.width, picture.height,
               names.size());
  for (const auto& [key, name] : names) std::fprintf(file, "\"%s c #%06X\",\n", name.c_str(), unsigned(key));
  for (int y = 0; y < picture.height; ++y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      const Rgb& c = colours[size_t(y * picture.width + x)];
      row += names[uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b];
    }
    std::fprintf(file, "\"%s\"%s\n", row.c_str(), y + 1 < picture.height ? "," : "};");
  }
  return std::fclose(file) == 0;
}

bool draw(const Picture& picture, std::vector<Rgb>* colours) {
  std::vector<unsigned char> coverage;
  if (!drawCoverage(picture, &coverage)) return false;
  *colours = inked(picture, coverage);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: logopic FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::vector<Rgb> logo, icon;
  if (!draw(kLogo, &logo) || !draw(kIcon, &icon)) {
    std::fprintf(stderr, "logopic: cannot draw the pictures\n");
    return 1;
  }
  for (const auto& [path, written] :
       {std::pair{folder + "/logo.bmp", writeBmp(folder + "/logo.bmp", kLogo, logo)},
        std::pair{folder + "/icon.bmp", writeBmp(folder + "/icon.bmp", kIcon, icon)},
        std::pair{folder + "/lumenfold.xpm", writeXpm(folder + "/lumenfold.xpm", kIcon, icon)}}) {
    if (!written) {
      std::fprintf(stderr, "logopic: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
