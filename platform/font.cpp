// platform/font.cpp -- font handles, font enumeration, text measuring and
// drawing: TextOutA and DrawTextA.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fontface.h"
#include "platform/raster.h"

using namespace platform::gdi;

namespace {

// One line of text ready to draw: its characters and which of them carry
// the underline of a "&" prefix.
struct TextLine {
  std::string text;
  std::vector<bool> underlined;
};

FontFace* dcFace(const DcObject& dc) {
  FontObject* font = findFont(dc.font);
  return font != nullptr ? faceFor(font->font) : nullptr;
}

const LOGFONTA* dcLogFont(const DcObject& dc) {
  FontObject* font = findFont(dc.font);
  return font != nullptr ? &font->font : nullptr;
}

void fillBox(const Target& target, int left, int top, int right, int bottom, uint32_t value) {
  BlitRequest request;
  request.x = left;
  request.y = top;
  request.width = right - left;
  request.height = bottom - top;
  request.rop = ropIndex(PATCOPY);
  if (request.width > 0 && request.height > 0)
    rasterBlit(target, request, solidPattern(value), nullptr);
}

void drawGlyph(const Target& target, const Glyph& g, int penX, int baseline, uint32_t value) {
  const RECT& clip = target.clip;
  for (int row = 0; row < g.rows; row++) {
    int y = baseline - g.top + row;
    if (y < clip.top || y >= clip.bottom) continue;
    const uint8_t* bits = &g.bits[static_cast<size_t>(g.pitch) * row];
    for (int col = 0; col < g.width; col++) {
      int x = penX + g.left + col;
      if (x < clip.left || x >= clip.right) continue;
      if (bits[col >> 3] & (0x80 >> (col & 7))) target.surface.write(x, y, value);
    }
  }
  const int left = penX + g.left, top = baseline - g.top;
  noteDrawn(target, RECT{left, top, left + g.width, top + g.rows});
}

/*
 * drawTextLine --
 *   Draws one line with its cell's top-left at (x, top): the background
 *   cell first in OPAQUE mode, then the glyphs and underlines in the text
 *   colour. Returns the line's width.
 */
int drawTextLine(const Target& target, FontFace& face, int x, int top, const TextLine& line) {
  const DcObject& dc = *target.dc;
  const FaceMetrics& m = faceMetrics(face);
  const LOGFONTA* font = dcLogFont(dc);
  const PixelFormat& format = *target.surface.format;
  int length = static_cast<int>(line.text.size());
  int width = textWidth(face, line.text.data(), length);
  if (!target.surface.valid()) return width;
  if (dc.backMode == OPAQUE)
    fillBox(target, x, top, x + width, top + m.height, dcColourValue(dc, format, dc.backColour));
  uint32_t ink = dcColourValue(dc, format, dc.textColour);
  int baseline = top + m.ascent;
  int underlineY = baseline + m.underlinePosition - 1;
  int penX = x;
  for (int i = 0; i < length; i++) {
    const Glyph& g = faceGlyph(face, static_cast<unsigned char>(line.text[i]));
    drawGlyph(target, g, penX, baseline, ink);
    bool underline = (font != nullptr && font->lfUnderline) ||
                     (i < static_cast<int>(line.underlined.size()) && line.underlined[i]);
    if (underline)
      fillBox(target, penX, underlineY, penX + g.advance, underlineY + m.lineThickness, ink);
    penX += g.advance;
  }
  if (font != nullptr && font->lfStrikeOut) {
    int y = baseline - m.ascent / 3;
    fillBox(target, x, y, x + width, y + m.lineThickness, ink);
  }
  return width;
}

// Removes the "&" prefixes: "&x" underlines x, "&&" is one "&".
TextLine withoutPrefixes(const std::string& text, bool prefixes) {
  TextLine line;
  for (size_t i = 0; i < text.size(); i++) {
    bool mark = false;
    if (prefixes && text[i] == '&' && i + 1 < text.size()) {
      i++;
      mark = text[i] != '&';
    }
    line.text.push_back(text[i]);
    line.underlined.push_back(mark);
  }
  return line;
}

std::string expandTabs(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\t') {
      out.push_back(c);
      continue;
    }
    do out.push_back(' ');
    while (out.size() % 8 != 0);
  }
  return out;
}

// The paragraphs of the text, split at CR LF, LF or CR.
std::vector<std::string> paragraphs(const std::string& text) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < text.size(); i++) {
    if (text[i] == '\r' || text[i] == '\n') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') i++;
      out.emplace_back();
    } else {
      out.back().push_back(text[i]);
    }
  }
  return out;
}

// Breaks a paragraph between words so that each line fits `width`; a word
// wider than the width stands on a line of its own.
void wrapParagraph(FontFace& face, const TextLine& paragraph, int width,
                   std::vector<TextLine>* lines) {
  const std::string& t = paragraph.text;
  size_t start = 0;
  while (true) {
    size_t end = start;  // end of the longest fitting run of words
    size_t scan = start;
    while (scan < t.size()) {
      size_t wordEnd = t.find(' ', scan);
      if (wordEnd == std::string::npos) wordEnd = t.size();
      int w = textWidth(face, t.data() + start, static_cast<int>(wordEnd - start));
      if (w > width && end > start) break;
      end = wordEnd;
      scan = wordEnd < t.size() ? wordEnd + 1 : wordEnd;
      if (w > width) break;
    }
    TextLine line;
    line.text = t.substr(start, end - start);
    line.underlined.assign(paragraph.underlined.begin() + static_cast<ptrdiff_t>(start),
                           paragraph.underlined.begin() + static_cast<ptrdiff_t>(end));
    lines->push_back(std::move(line));
    start = end;
    while (start < t.size() && t[start] == ' ') start++;
    if (start >= t.size()) return;
  }
}

std::vector<TextLine> layoutLines(FontFace& face, const std::string& text, const RECT& rect,
                                  UINT format) {
  std::string source = (format & DT_EXPANDTABS) ? expandTabs(text) : text;
  bool prefixes = !(format & DT_NOPREFIX);
  std::vector<TextLine> lines;
  if (format & DT_SINGLELINE) {
    lines.push_back(withoutPrefixes(source, prefixes));
    return lines;
  }
  for (const std::string& p : paragraphs(source)) {
    TextLine paragraph = withoutPrefixes(p, prefixes);
    if ((format & DT_WORDBREAK) && !paragraph.text.empty())
      wrapParagraph(face, paragraph, rect.right - rect.left, &lines);
    else
      lines.push_back(std::move(paragraph));
  }
  return lines;
}

void fillTextMetrics(const FaceMetrics& m, const LOGFONTA& font, const FaceChoice& choice,
                     TEXTMETRICA* tm) {
  *tm = TEXTMETRICA{};
  tm->tmHeight = m.height;
  tm->tmAscent = m.ascent;
  tm->tmDescent = m.descent;
  tm->tmInternalLeading = m.internalLeading;
  tm->tmExternalLeading = m.externalLeading;
  tm->tmAveCharWidth = m.averageWidth;
  tm->tmMaxCharWidth = m.maxWidth;
  tm->tmWeight = choice.bold ? FW_BOLD : FW_NORMAL;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = choice.italic ? 1 : 0;
  tm->tmUnderlined = font.lfUnderline;
  tm->tmStruckOut = font.lfStrikeOut;
  BYTE family = choice.family == FontFamily::Mono    ? FF_MODERN
                : choice.family == FontFamily::Serif ? FF_ROMAN
                                                     : FF_SWISS;
  tm->tmPitchAndFamily =
      static_cast<BYTE>(family | TMPF_VECTOR | TMPF_TRUETYPE |
                        (choice.family == FontFamily::Mono ? 0 : TMPF_FIXED_PITCH));
  tm->tmCharSet = ANSI_CHARSET;
}

constexpr LONG kEnumeratedHeight = 16;  // cell height reported by enumeration

constexpr const char* kEnumeratedFamilies[] = {"System",        "FixedSys",         "Courier New",
                                               "Courier",       "Terminal",         "Arial",
                                               "MS Sans Serif", "Times New Roman",  "MS Serif",
                                               "DejaVu Sans",   "DejaVu Sans Mono", "DejaVu Serif"};

// Reports one face to an enumeration callback.
int reportFace(const char* family, const FaceChoice& choice, FONTENUMPROCA proc, LPARAM lParam) {
  ENUMLOGFONTA described{};
  LOGFONTA& lf = described.elfLogFont;
  std::strncpy(lf.lfFaceName, family, LF_FACESIZE - 1);
  lf.lfWeight = choice.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = choice.italic ? 1 : 0;
  lf.lfHeight = kEnumeratedHeight;
  NEWTEXTMETRICA metrics{};
  FontFace* face = faceFor(lf);
  if (face == nullptr) return 1;
  fillTextMetrics(faceMetrics(*face), lf, choice, &metrics.tm);
  lf.lfWidth = metrics.tm.tmAveCharWidth;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfOutPrecision = 3;  // stroke precision, as enumerated outline fonts report
  lf.lfClipPrecision = 2;
  lf.lfQuality = DRAFT_QUALITY;
  lf.lfPitchAndFamily =
      static_cast<BYTE>((choice.family == FontFamily::Mono ? FIXED_PITCH : VARIABLE_PITCH) |
                        (metrics.tm.tmPitchAndFamily & 0xF0));
  std::snprintf(reinterpret_cast<char*>(described.elfFullName), LF_FULLFACESIZE, "%s", family);
  const char* style = choice.bold && choice.italic ? "Bold Italic"
                      : choice.bold                ? "Bold"
                      : choice.italic              ? "Italic"
                                                   : "Regular";
  std::snprintf(reinterpret_cast<char*>(described.elfStyle), LF_FACESIZE, "%s", style);
  metrics.ntmSizeEM = 2048;
  metrics.ntmCellHeight = static_cast<UINT>(metrics.tm.tmHeight);
  metrics.ntmAvgWidth = static_cast<UINT>(metrics.tm.tmAveCharWidth);
  return proc(&described.elfLogFont, &metrics.tm, TRUETYPE_FONTTYPE, lParam);
}

bool textArguments(HDC hdc, LPCSTR text, int length, Target* target, FontFace** face) {
  if (length < 0 || (text == nullptr && length > 0) || !resolveTarget(hdc, target)) return false;
  *face = dcFace(*target->dc);
  return *face != nullptr;
}

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (font == nullptr) return nullptr;
  auto f = std::make_unique<FontObject>();
  f->font = *font;
  f->font.lfFaceName[LF_FACESIZE - 1] = '\0';
  return static_cast<HFONT>(addObject(std::move(f)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = italic != 0;
  lf.lfUnderline = underline != 0;
  lf.lfStrikeOut = strikeOut != 0;
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName != nullptr) std::strncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

int EnumFontFamiliesA(HDC hdc, LPCSTR family, FONTENUMPROCA proc, LPARAM lParam) {
  if (findDc(hdc) == nullptr || proc == nullptr) return 0;
  int result = 1;
  if (family == nullptr) {
    for (const char* name : kEnumeratedFamilies) {
      result = reportFace(name, chooseFace(name, FW_NORMAL, false), proc, lParam);
      if (result == 0) break;
    }
    return result;
  }
  bool known = false;
  FaceChoice choice = chooseFace(family, FW_NORMAL, false, &known);
  if (!known) return result;
  // Report under the family's own spelling, without the style words.
  for (const char* name : kEnumeratedFamilies) {
    size_t n = std::strlen(name);
    if (strncasecmp(name, family, n) == 0 && (family[n] == '\0' || family[n] == ' '))
      return reportFace(name, choice, proc, lParam);
  }
  return reportFace(family, choice, proc, lParam);
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size) {
  // Measuring needs the DC's font only: resolving its pixels would compose
  // the whole screen for a screen DC and mark a window as redrawn.
  DcObject* dc = findDc(hdc);
  if (size == nullptr || dc == nullptr || length < 0 || (text == nullptr && length > 0)) return FALSE;
  FontFace* face = dcFace(*dc);
  if (face == nullptr) return FALSE;
  size->cx = length > 0 ? textWidth(*face, text, length) : 0;
  size->cy = faceMetrics(*face).height;
  return TRUE;
}

BOOL GetTextExtentPointA(HDC hdc, LPCSTR text, int length, LPSIZE size) {
  return GetTextExtentPoint32A(hdc, text, length, size);
}

BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) {
  DcObject* dc = findDc(hdc);
  if (dc == nullptr || metrics == nullptr) return FALSE;
  const LOGFONTA* font = dcLogFont(*dc);
  FontFace* face = dcFace(*dc);
  if (font == nullptr || face == nullptr) return FALSE;
  fillTextMetrics(faceMetrics(*face), *font,
                  chooseFace(font->lfFaceName, font->lfWeight, font->lfItalic != 0), metrics);
  return TRUE;
}

int GetTextFaceA(HDC hdc, int size, LPSTR name) {
  DcObject* dc = findDc(hdc);
  const LOGFONTA* font = dc != nullptr ? dcLogFont(*dc) : nullptr;
  if (font == nullptr) return 0;
  int length = static_cast<int>(strnlen(font->lfFaceName, LF_FACESIZE));
  if (name == nullptr) return length + 1;
  if (size <= 0) return 0;
  int n = std::min(length, size - 1);
  std::memcpy(name, font->lfFaceName, static_cast<size_t>(n));
  name[n] = '\0';
  return n;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
  Target target;
  FontFace* face;
  if (!textArguments(hdc, text, length, &target, &face)) return FALSE;
  DcObject& dc = *target.dc;
  const FaceMetrics& m = faceMetrics(*face);
  bool updatePosition = (dc.textAlign & TA_UPDATECP) != 0;
  if (updatePosition) {
    x = dc.position.x;
    y = dc.position.y;
  }
  int width = length > 0 ? textWidth(*face, text, length) : 0;
  UINT horizontal = dc.textAlign & TA_CENTER;
  UINT vertical = dc.textAlign & TA_BASELINE;
  int left = horizontal == TA_CENTER ? x - width / 2 : horizontal == TA_RIGHT ? x - width : x;
  int top = vertical == TA_BASELINE ? y - m.ascent : vertical == TA_BOTTOM ? y - m.height : y;
  TextLine line{std::string(text != nullptr ? text : "", static_cast<size_t>(length)), {}};
  drawTextLine(target, *face, left, top, line);
  if (updatePosition && horizontal == TA_LEFT) dc.position.x = x + width;
  if (updatePosition && horizontal == TA_RIGHT) dc.position.x = x - width;
  return TRUE;
}

int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
  Target target;
  FontFace* face;
  if (text == nullptr || rect == nullptr) return 0;
  if (length < 0) length = static_cast<int>(std::strlen(text));
  if (!textArguments(hdc, text, length, &target, &face)) return 0;
  const FaceMetrics& m = faceMetrics(*face);
  std::vector<TextLine> lines =
      layoutLines(*face, std::string(text, static_cast<size_t>(length)), *rect, format);
  int height = m.height * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const TextLine& line : lines)
      widest =
          std::max(widest, textWidth(*face, line.text.data(), static_cast<int>(line.text.size())));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  int top = rect->top;
  bool single = (format & DT_SINGLELINE) != 0;
  if (single && (format & DT_VCENTER)) top = rect->top + (rect->bottom - rect->top - height) / 2;
  if (single && (format & DT_BOTTOM)) top = rect->bottom - height;
  if (!(format & DT_NOCLIP)) intersect(target.clip, *rect, &target.clip);
  for (size_t i = 0; i < lines.size(); i++) {
    const TextLine& line = lines[i];
    int width = textWidth(*face, line.text.data(), static_cast<int>(line.text.size()));
    int left = rect->left;
    if (format & DT_CENTER)
      left = rect->left + (rect->right - rect->left - width) / 2;
    else if (format & DT_RIGHT)
      left = rect->right - width;
    drawTextLine(target, *face, left, top + m.height * static_cast<int>(i), line);
  }
  bool offset = single && (format & (DT_VCENTER | DT_BOTTOM));
  return offset ? top - rect->top + height : height;
}
