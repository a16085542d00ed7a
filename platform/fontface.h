// platform/fontface.h -- the DejaVu faces behind the program's fonts.
//
// Owns: FreeType, the choice of a DejaVu file for a LOGFONTA (face name,
// weight, italics), the faces loaded at each pixel size, their metrics and
// their one-bit glyph images. It does not own font handles (gdi_objects.h)
// nor the drawing of text into DCs (font.cpp).
//
// Rendering settings are fixed (the bytecode interpreter version is set
// explicitly and glyphs are rendered one bit deep), so a text gives the
// same pixels on every run whatever the environment says.
#ifndef LUMENFOLD_PLATFORM_FONTFACE_H
#define LUMENFOLD_PLATFORM_FONTFACE_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wingdi.h"

namespace platform::gdi {

enum class FontFamily { Sans, Mono, Serif };

struct FaceChoice {
  FontFamily family = FontFamily::Sans;
  bool bold = false;
  bool italic = false;
};

// Face name (with any trailing style words), weight and italics to a
// DejaVu face. `known` tells whether the family name was one the platform
// recognises (EnumFontFamiliesA reports only those).
FaceChoice chooseFace(const char* faceName, LONG weight, bool italic, bool* known = nullptr);

struct Glyph {
  int left = 0;   // from the pen position to the image's left column
  int top = 0;    // from the baseline up to the image's top row
  int width = 0;  // image size in pixels
  int rows = 0;
  int pitch = 0;              // bytes per image row
  int advance = 0;            // pixels to the next pen position
  std::vector<uint8_t> bits;  // one bit per pixel, the leftmost in bit 7
};

struct FaceMetrics {
  int ascent = 0;
  int descent = 0;
  int height = 0;  // ascent + descent
  int internalLeading = 0;
  int externalLeading = 0;
  int averageWidth = 0;
  int maxWidth = 0;
  int underlinePosition = 0;  // rows below the baseline
  int lineThickness = 1;
};

// The Unicode character of a byte of the program's single-byte code page
// (Latin-1, with the usual printable characters in 0x80..0x9F).
uint32_t singleByteToUnicode(unsigned char c);

class FontFace;

// The face for a LOGFONTA; null when FreeType or the font file fails.
// Faces live until the program ends.
FontFace* faceFor(const LOGFONTA& font);

const FaceMetrics& faceMetrics(const FontFace& face);
// The glyph of a character in the program's single-byte code page.
const Glyph& faceGlyph(FontFace& face, unsigned char c);
int textWidth(FontFace& face, const char* text, int length);

}  // namespace platform::gdi

#endif
