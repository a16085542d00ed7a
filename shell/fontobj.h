// shell/fontobj.h -- font objects: a font with the colours and the brush it
// is drawn with, for the shell's text windows and the object labels.
//
// Owns: the ZmFontObj record, its font and its brush (both freed with the
// record). It does not own the device contexts the font is selected into
// nor the windows that draw with it; a caller deletes a font object only
// once no DC holds its font or brush selected.
#ifndef LUMENFOLD_SHELL_FONTOBJ_H
#define LUMENFOLD_SHELL_FONTOBJ_H

#include "platform/wingdi.h"

// Flag bit 2: the brush is an 8 x 8 monochrome pattern with every bit set
// (it paints in the background colour of the DC it is used on) instead of a
// solid brush of the font object's background colour.
constexpr int ZM_FONT_PATTERN_BRUSH = 0x4;

struct ZmFontObj {
  HFONT font;          // the face's first enumerated description at `height`
  int height;          // the height asked for (a LOGFONTA lfHeight)
  int lineHeight;      // tmHeight of the font, in pixels
  COLORREF bgColor;    // background colour the text is drawn on
  COLORREF textColor;  // colour of the text
  HBRUSH brush;        // see ZM_FONT_PATTERN_BRUSH
  int flags;
};

/*
 * zmNewFontObj --
 *   Makes a font of the named face at the given height (width 0, the face's
 *   own proportions), measured on the view window's DC (the screen's while
 *   there is no view window). An unknown face gives the platform's default
 *   face at that height.
 * Results:
 *   The record, or null when the font or the brush cannot be made. The
 *   caller frees it with zmDeleteFontObj.
 */
ZmFontObj* zmNewFontObj(const char* face, int height, COLORREF background, COLORREF text, int flags);

// Deletes the font, the brush and the record; null is ignored.
void zmDeleteFontObj(ZmFontObj* fontObj);

// Readers; each gives 0 (null handles, black, height 0) for a null record.
HFONT zmGetFontObjFont(const ZmFontObj* fontObj);
HBRUSH zmGetFontObjBrush(const ZmFontObj* fontObj);
int zmGetFontObjLineHeight(const ZmFontObj* fontObj);
COLORREF zmGetFontObjBgColor(const ZmFontObj* fontObj);
COLORREF zmGetFontObjTextColor(const ZmFontObj* fontObj);

#endif
