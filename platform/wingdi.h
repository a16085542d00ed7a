// platform/wingdi.h -- drawing: device contexts, bitmaps and DIB sections,
// blits, palettes, pens, brushes, fonts and text.
//
// Owns: the GDI object table (DCs, bitmaps, brushes, pens, fonts, palettes)
// and every call that draws into a DC, the window DCs (GetDC, ReleaseDC,
// BeginPaint, EndPaint) and the device capabilities. It does not own the
// windows themselves nor their update regions (winuser.h), the display
// description (display.h) nor the per-window pixel surfaces (presenter.h).
//
// Handles are keys into the platform's own table and are never reused, so a
// deleted or invented handle is refused with the failure result of the real
// interface (NULL, 0, FALSE, GDI_ERROR or CLR_INVALID) and never crashes.
// Every drawing call clips to the destination's bounds (and a blit to its
// source's), whatever rectangles it is given.
//
// Raster operations are the ternary operations: the byte in bits 16..23 of a
// ROP code is a truth table over pattern, source and destination, applied to
// the destination format's pixel values (palette indices on 8-bit surfaces).
// Text is drawn with FreeType and the DejaVu faces, one-bit rendered with
// fixed settings so that the same text gives the same pixels on every run.
#ifndef LUMENFOLD_PLATFORM_WINGDI_H
#define LUMENFOLD_PLATFORM_WINGDI_H

#include "platform/wintypes.h"

// ------------------------------------------------------------- failures

#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR ((HANDLE)(intptr_t)-1)
#define CLR_INVALID 0xFFFFFFFF

// ---------------------------------------------------------- bitmap records

#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3

#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

#define CBM_INIT 0x04

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // positive: rows bottom-up; negative: top-down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

struct BITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct RGBTRIPLE {
  BYTE rgbtBlue;
  BYTE rgbtGreen;
  BYTE rgbtRed;
};

// The colour table (or the three BI_BITFIELDS masks, as DWORDs) follows the
// header; bmiColors is declared with one entry as the record is laid out.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
typedef BITMAPINFO* LPBITMAPINFO;

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
  WORD bfType;  // "BM"
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
};
#pragma pack(pop)

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;  // DIB sections only; NULL for device bitmaps
};
typedef BITMAP* LPBITMAP;

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

// -------------------------------------------------------------- palettes

#define PC_RESERVED 0x01
#define PC_EXPLICIT 0x02
#define PC_NOCOLLAPSE 0x04

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};
typedef PALETTEENTRY* LPPALETTEENTRY;

struct LOGPALETTE {
  WORD palVersion;  // 0x300
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
};
typedef LOGPALETTE* LPLOGPALETTE;

// ------------------------------------------------------- pens and brushes

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6

#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3

struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;  // x is the width; y is unused
  COLORREF lopnColor;
};

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;  // BS_PATTERN: the bitmap handle
};

// --------------------------------------------------------- stock objects

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

// ------------------------------------------------------- raster operations

#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// SetStretchBltMode: every mode samples the nearest source pixel.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// SetBkMode
#define TRANSPARENT 1
#define OPAQUE 2

// SetTextAlign
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24

// ----------------------------------------------------- device capabilities

#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMFONTS 22
#define NUMCOLORS 24
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define RASTERCAPS 38

#define DT_RASDISPLAY 1

#define RC_BITBLT 0x0001
#define RC_BANDING 0x0002
#define RC_SCALING 0x0004
#define RC_BITMAP64 0x0008
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800
#define RC_STRETCHDIB 0x2000

// ------------------------------------------------------------------ fonts

#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define OEM_CHARSET 255

#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30

// TEXTMETRICA.tmPitchAndFamily bits
#define TMPF_FIXED_PITCH 0x01  // set for a variable-pitch font, as the name does not say
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

struct LOGFONTA {
  LONG lfHeight;  // < 0: character height in pixels; > 0: cell height; 0: default
  LONG lfWidth;   // average character width; 0: the face's own proportions
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTA* LPLOGFONTA;

struct TEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
typedef TEXTMETRICA* LPTEXTMETRICA;

// What EnumFontFamiliesA hands its callback (as LOGFONTA* and TEXTMETRICA*,
// their first members).
struct ENUMLOGFONTA {
  LOGFONTA elfLogFont;
  BYTE elfFullName[LF_FULLFACESIZE];
  BYTE elfStyle[LF_FACESIZE];
};

struct NEWTEXTMETRICA {
  TEXTMETRICA tm;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
};

typedef int(CALLBACK* FONTENUMPROCA)(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM);

// DrawTextA
#define DT_TOP 0x0000
#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_RIGHT 0x0002
#define DT_VCENTER 0x0004
#define DT_BOTTOM 0x0008
#define DT_WORDBREAK 0x0010
#define DT_SINGLELINE 0x0020
#define DT_EXPANDTABS 0x0040
#define DT_NOCLIP 0x0100
#define DT_CALCRECT 0x0400
#define DT_NOPREFIX 0x0800

// ---------------------------------------------------------------- painting

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

// ================================================================ calls

// ---------------------------------------------------------- device contexts

/*
 * GetDC, ReleaseDC --
 *   A DC on the client area of a window (its pixel surface, presenter.h), or
 *   on the screen for a NULL window. ReleaseDC deletes the DC; it returns 1,
 *   or 0 when the DC is not a window DC of that window.
 */
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

/*
 * BeginPaint --
 *   A DC on the window's surface clipped to the update rectangle, which is
 *   returned in ps->rcPaint and then validated. NULL for an invalid window or
 *   a null record. EndPaint deletes the DC and returns TRUE.
 */
HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);

// A memory DC compatible with the display (whatever `hdc` is); it starts with
// the stock 1x1 monochrome bitmap selected.
HDC CreateCompatibleDC(HDC hdc);
// "DISPLAY" (any case) gives a screen DC; any other driver gives NULL.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const void* initData);
#define CreateDC CreateDCA
BOOL DeleteDC(HDC hdc);

// The display description (display.h) for every kind of DC; 0 for an
// invalid DC or an unknown index.
int GetDeviceCaps(HDC hdc, int index);

COLORREF SetTextColor(HDC hdc, COLORREF colour);  // previous, or CLR_INVALID
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);  // previous, or 0
int GetBkMode(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);  // previous, or GDI_ERROR
UINT GetTextAlign(HDC hdc);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous);

// --------------------------------------------------------------- objects

HGDIOBJ GetStockObject(int which);
/*
 * SelectObject --
 *   Selects a bitmap (memory DCs only; a bitmap lives in one DC at a time),
 *   brush, pen or font into the DC. Results: the previously selected object;
 *   NULL for an invalid DC or object, or a bitmap that cannot be selected.
 *   Palettes go through SelectPalette.
 */
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
/*
 * DeleteObject --
 *   Frees the object. Stock objects are not freed (TRUE). An object that is
 *   still selected into a DC is kept and FALSE returned, so that no DC is
 *   left holding a freed object.
 */
BOOL DeleteObject(HGDIOBJ object);
// Fills BITMAP or DIBSECTION, LOGPEN, LOGBRUSH, LOGFONTA or the palette's
// entry count (a WORD); with a null buffer returns the size it would fill.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
#define GetObject GetObjectA
DWORD GetObjectType(HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

HPEN CreatePen(int style, int width, COLORREF colour);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF colour);
// Keeps a copy of the bitmap's pixels: the bitmap may be deleted afterwards.
// A monochrome pattern draws its 0 bits in the DC's text colour and its 1
// bits in the background colour.
HBRUSH CreatePatternBrush(HBITMAP bitmap);
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

// --------------------------------------------------------------- bitmaps

// A device bitmap: rows top-down and WORD-aligned; 1 bit per pixel is
// black/white, 8 bits index the system palette, 16 bits are 5:5:5 on a
// 15-bit display and 5:6:5 otherwise. A zero size gives the stock 1x1
// monochrome bitmap, as the real interface does.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// In the format of the display (a memory DC's monochrome bitmap stays
// monochrome).
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
/*
 * CreateDIBSection --
 *   A bitmap whose pixels the caller reaches directly through *bits: 1, 4, 8
 *   bits with a colour table (DIB_RGB_COLORS, or DIB_PAL_COLORS indexing the
 *   palette selected into `hdc`), 16 bits as BI_RGB 5:5:5 or BI_BITFIELDS
 *   with masks, 24 bits, 32 bits. Rows are DWORD-aligned and bottom-up for a
 *   positive height. Results: the bitmap, or NULL (and *bits NULL) for a
 *   bad header or a zero size. `section` and `offset` are ignored.
 */
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// A device bitmap in the display's format, filled from the DIB when
// CBM_INIT is given.
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* info, UINT usage);
/*
 * GetDIBits --
 *   Copies `lines` rows from `start` (counted from the bottom for a
 *   bottom-up request) of the bitmap into `bits` in the format the header
 *   asks for, and fills the colour table. With `bits` NULL it fills in the
 *   header (biSizeImage and, when biBitCount is 0, the bitmap's own format)
 *   and the colour table. Results: the rows copied (nonzero when only the
 *   header was filled); 0 on failure.
 */
int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, LPBITMAPINFO info,
              UINT usage);
int SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* info, UINT usage);
// Raw rows as the bitmap keeps them (top-down; WORD-aligned for device
// bitmaps, DWORD-aligned for DIB sections); the bytes copied, 0 on failure.
LONG GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits);
LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);
// The colour table of the DIB section selected into the DC: entries set or
// read, 0 when it has none.
UINT SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colours);
UINT GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colours);

// The colour actually set or read; CLR_INVALID outside the bitmap or clip.
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF colour);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC hdc, int x, int y);

// ----------------------------------------------------------------- blits

// Blits into a window DC record kind "Blit" with the detail
// "<call> <x>,<y> <width>x<height>" (the destination rectangle as asked).
BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop);
// Negative extents mirror; pixels are sampled, never blended.
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop);
BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
// Copies `lines` DIB rows from `startScan` (counted from the DIB's bottom)
// to the DC; the rows copied, 0 on failure.
int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage);
// The rows drawn, or GDI_ERROR.
int StretchDIBits(HDC hdc, int x, int y, int width, int height, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop);

// -------------------------------------------------------------- palettes

HPALETTE CreatePalette(const LOGPALETTE* palette);
UINT SetPaletteEntries(HPALETTE palette, UINT start, UINT count, const PALETTEENTRY* entries);
// With entries NULL, the palette's entry count.
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, LPPALETTEENTRY entries);
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);
// The previous palette, or NULL.
HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
/*
 * RealizePalette --
 *   On a palette display, maps the DC's logical palette into the system
 *   palette: in the foreground, entries 10..245 of the system palette are
 *   given to the logical entries in order (a PC_NOCOLLAPSE or PC_RESERVED
 *   entry always takes a slot of its own, another one shares an equal
 *   colour); in the background, or once the free slots are gone, entries
 *   map to the nearest system colour. Results: the number of logical
 *   entries that took a system slot of their own; 0 on a true-colour
 *   display or with the default palette; GDI_ERROR for an invalid DC.
 */
UINT RealizePalette(HDC hdc);
// 0 unless the display has a palette.
UINT GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, LPPALETTEENTRY entries);
BOOL UnrealizeObject(HGDIOBJ object);

// ------------------------------------------------------------- drawing

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT position);
// Draws with the selected pen from the current position up to, not
// including, (x, y), which becomes the current position.
BOOL LineTo(HDC hdc, int x, int y);
// Outline with the pen, inside filled with the brush.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rect);
// A dotted outline drawn by inverting, so that drawing it twice removes it.
BOOL DrawFocusRect(HDC hdc, const RECT* rect);

// ---------------------------------------------------------- fonts and text

/*
 * CreateFontIndirectA --
 *   Face names map to DejaVu Sans Mono ("SYSTEM", "FixedSys", "Courier New",
 *   "Courier", "Terminal"), DejaVu Serif ("Times New Roman", "Times", "MS
 *   Serif", "Roman") or DejaVu Sans (everything else); a style word after
 *   the family ("Arial Italic", "Courier New Bold") is honoured as well as
 *   lfWeight >= FW_SEMIBOLD and lfItalic.
 */
HFONT CreateFontIndirectA(const LOGFONTA* font);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
#define CreateFontIndirect CreateFontIndirectA
#define CreateFont CreateFontA
/*
 * EnumFontFamiliesA --
 *   With a NULL family, reports each known family once; with a family name
 *   (or a family followed by a style word), reports that face; an unknown
 *   name reports nothing. Stops when the callback returns 0. Results: the
 *   last callback result, 1 when nothing was reported.
 */
int EnumFontFamiliesA(HDC hdc, LPCSTR family, FONTENUMPROCA proc, LPARAM lParam);
#define EnumFontFamilies EnumFontFamiliesA

// Draws in the text colour at (x, y) as the text alignment says, over a
// background-colour cell in OPAQUE mode.
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);
#define TextOut TextOutA
/*
 * DrawTextA --
 *   Formats the text in the rectangle (length -1: up to the terminator)
 *   with the DT_* flags: lines split at line breaks unless DT_SINGLELINE,
 *   and between words at the rectangle's width with DT_WORDBREAK; "&" marks
 *   the next character as underlined ("&&" is one "&") unless DT_NOPREFIX.
 *   DT_CALCRECT only measures, setting the rectangle's right and bottom.
 *   Results: the height of the text, 0 on failure.
 */
int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format);
#define DrawText DrawTextA
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size);
BOOL GetTextExtentPointA(HDC hdc, LPCSTR text, int length, LPSIZE size);
#define GetTextExtentPoint32 GetTextExtentPoint32A
#define GetTextExtentPoint GetTextExtentPointA
BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics);
#define GetTextMetrics GetTextMetricsA
int GetTextFaceA(HDC hdc, int size, LPSTR name);

#endif
