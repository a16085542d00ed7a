// platform/fontface.cpp -- FreeType, face choice, sizes, metrics, glyphs.
#include "platform/fontface.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>

namespace platform::gdi {
namespace {

constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";
constexpr int kDefaultCellHeight = 16;  // pixels, for lfHeight 0
constexpr int kLargestPixelSize = 1024;

struct FamilyName {
  const char* name;
  FontFamily family;
};

// The names the program asks for, and the DejaVu family each stands for.
constexpr FamilyName kFamilies[] = {
    {"System", FontFamily::Mono},
    {"FixedSys", FontFamily::Mono},
    {"Courier New", FontFamily::Mono},
    {"Courier", FontFamily::Mono},
    {"Terminal", FontFamily::Mono},
    {"DejaVu Sans Mono", FontFamily::Mono},
    {"Arial", FontFamily::Sans},
    {"Helvetica", FontFamily::Sans},
    {"MS Sans Serif", FontFamily::Sans},
    {"DejaVu Sans", FontFamily::Sans},
    {"Times New Roman", FontFamily::Serif},
    {"Times", FontFamily::Serif},
    {"MS Serif", FontFamily::Serif},
    {"Roman", FontFamily::Serif},
    {"DejaVu Serif", FontFamily::Serif},
};

// Characters 0x80..0x9F of the program's code page; the rest are Latin-1.
constexpr uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string fileFor(const FaceChoice& choice) {
  static const char* const kStems[] = {"DejaVuSans", "DejaVuSansMono", "DejaVuSerif"};
  std::string stem = kStems[static_cast<int>(choice.family)];
  bool serif = choice.family == FontFamily::Serif;
  const char* slant = serif ? "Italic" : "Oblique";
  if (choice.bold && choice.italic) return kFontFolder + stem + "-Bold" + slant + ".ttf";
  if (choice.bold) return kFontFolder + stem + "-Bold.ttf";
  if (choice.italic) return kFontFolder + stem + "-" + slant + ".ttf";
  return kFontFolder + stem + ".ttf";
}

int scaled(long units, int pixels, int unitsPerEm) {
  return static_cast<int>(std::lround(static_cast<double>(units) * pixels / unitsPerEm));
}

}  // namespace

uint32_t singleByteToUnicode(unsigned char c) {
  return c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : c;
}

class FontFace {
 public:
  FontFace(FT_Face face, const LOGFONTA& font) : face_(face) { size(font); }
  ~FontFace() { FT_Done_Face(face_); }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const FaceMetrics& metrics() const { return metrics_; }

  const Glyph& glyph(unsigned char c) {
    std::unique_ptr<Glyph>& slot = glyphs_[c];
    if (slot == nullptr) slot = render(c);
    return *slot;
  }

 private:
  // Chooses the pixel size for the font's height and width, and the
  // metrics at that size, from the face's Windows ascent and descent.
  void size(const LOGFONTA& font) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
    int unitsPerEm = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
    long winAscent = os2 != nullptr ? os2->usWinAscent : face_->ascender;
    long winDescent = os2 != nullptr ? os2->usWinDescent : -face_->descender;
    long cellUnits = std::max(1L, winAscent + winDescent);
    long averageUnits =
        os2 != nullptr && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : unitsPerEm / 2;

    int cell = font.lfHeight > 0 ? static_cast<int>(font.lfHeight) : 0;
    int pixels = font.lfHeight < 0 ? static_cast<int>(-font.lfHeight)
                                   : scaled(unitsPerEm, cell > 0 ? cell : kDefaultCellHeight,
                                            static_cast<int>(cellUnits));
    pixels = std::clamp(pixels, 1, kLargestPixelSize);
    int widthPixels = font.lfWidth > 0
                          ? std::clamp(scaled(unitsPerEm, static_cast<int>(font.lfWidth),
                                              static_cast<int>(averageUnits)),
                                       1, kLargestPixelSize)
                          : pixels;
    FT_Set_Pixel_Sizes(face_, static_cast<FT_UInt>(widthPixels), static_cast<FT_UInt>(pixels));

    FaceMetrics& m = metrics_;
    if (cell > 0) {
      m.ascent = static_cast<int>(std::lround(static_cast<double>(winAscent) * cell / cellUnits));
      m.descent = cell - m.ascent;
    } else {
      m.ascent = scaled(winAscent, pixels, unitsPerEm);
      m.descent = scaled(winDescent, pixels, unitsPerEm);
    }
    m.height = m.ascent + m.descent;
    m.internalLeading = std::max(0, m.height - pixels);
    long lineUnits =
        hhea != nullptr ? hhea->Ascender - hhea->Descender + hhea->Line_Gap : cellUnits;
    m.externalLeading = std::max(0, scaled(lineUnits - cellUnits, pixels, unitsPerEm));
    m.averageWidth = std::max(1, scaled(averageUnits, widthPixels, unitsPerEm));
    m.maxWidth = std::max(1, scaled(face_->bbox.xMax - face_->bbox.xMin, widthPixels, unitsPerEm));
    m.underlinePosition = std::max(1, scaled(-face_->underline_position, pixels, unitsPerEm));
    m.lineThickness = std::max(1, scaled(face_->underline_thickness, pixels, unitsPerEm));
  }

  std::unique_ptr<Glyph> render(unsigned char c) {
    auto g = std::make_unique<Glyph>();
    if (FT_Load_Char(face_, singleByteToUnicode(c), FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return g;
    FT_GlyphSlot slot = face_->glyph;
    g->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    const FT_Bitmap& b = slot->bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_MONO || b.buffer == nullptr) return g;
    g->left = slot->bitmap_left;
    g->top = slot->bitmap_top;
    g->width = static_cast<int>(b.width);
    g->rows = static_cast<int>(b.rows);
    g->pitch = (g->width + 7) / 8;
    g->bits.resize(static_cast<size_t>(g->pitch) * g->rows);
    for (int y = 0; y < g->rows; y++) {
      const unsigned char* from =
          b.pitch >= 0 ? b.buffer + b.pitch * y : b.buffer + (-b.pitch) * (g->rows - 1 - y);
      std::memcpy(&g->bits[static_cast<size_t>(g->pitch) * y], from, static_cast<size_t>(g->pitch));
    }
    return g;
  }

  FT_Face face_;
  FaceMetrics metrics_;
  std::array<std::unique_ptr<Glyph>, 256> glyphs_;
};

namespace {

class FreeType {
 public:
  FreeType() {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return;
    }
    FT_UInt interpreter = TT_INTERPRETER_VERSION_40;
    FT_Property_Set(library_, "truetype", "interpreter-version", &interpreter);
  }
  ~FreeType() {
    faces.clear();
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }
  FT_Library library() const { return library_; }

  std::map<std::tuple<std::string, LONG, LONG>, std::unique_ptr<FontFace>> faces;

 private:
  FT_Library library_ = nullptr;
};

FreeType& freeType() {
  static FreeType instance;
  return instance;
}

}  // namespace

FaceChoice chooseFace(const char* faceName, LONG weight, bool italic, bool* known) {
  FaceChoice choice;
  choice.bold = weight >= FW_SEMIBOLD;
  choice.italic = italic;
  std::string name(faceName != nullptr ? faceName : "",
                   faceName != nullptr ? strnlen(faceName, LF_FACESIZE) : 0);
  // Trailing style words: "Arial Italic", "Courier New Bold Italic".
  for (bool stripped = true; stripped;) {
    stripped = false;
    static const char* const kStyles[] = {" Bold", " Italic", " Oblique", " Regular"};
    for (const char* style : kStyles) {
      size_t n = std::strlen(style);
      if (name.size() > n && strcasecmp(name.c_str() + name.size() - n, style) == 0) {
        if (style[1] == 'B') choice.bold = true;
        if (style[1] == 'I' || style[1] == 'O') choice.italic = true;
        name.resize(name.size() - n);
        stripped = true;
      }
    }
  }
  if (known != nullptr) *known = false;
  for (const FamilyName& f : kFamilies) {
    if (strcasecmp(f.name, name.c_str()) == 0) {
      choice.family = f.family;
      if (known != nullptr) *known = true;
      break;
    }
  }
  return choice;
}

FontFace* faceFor(const LOGFONTA& font) {
  FreeType& ft = freeType();
  if (ft.library() == nullptr) return nullptr;
  FaceChoice choice = chooseFace(font.lfFaceName, font.lfWeight, font.lfItalic != 0);
  std::string path = fileFor(choice);
  auto key = std::make_tuple(path, font.lfHeight, font.lfWidth);
  auto found = ft.faces.find(key);
  if (found != ft.faces.end()) return found->second.get();
  FT_Face face = nullptr;
  if (FT_New_Face(ft.library(), path.c_str(), 0, &face) != 0) return nullptr;
  auto made = std::make_unique<FontFace>(face, font);
  FontFace* raw = made.get();
  ft.faces.emplace(key, std::move(made));
  return raw;
}

const FaceMetrics& faceMetrics(const FontFace& face) { return face.metrics(); }

const Glyph& faceGlyph(FontFace& face, unsigned char c) { return face.glyph(c); }

int textWidth(FontFace& face, const char* text, int length) {
  int width = 0;
  for (int i = 0; i < length; i++) width += face.glyph(static_cast<unsigned char>(text[i])).advance;
  return width;
}

}  // namespace platform::gdi
