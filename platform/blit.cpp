// platform/blit.cpp -- BitBlt, StretchBlt, PatBlt and the two DIB-to-device
// copies, with their record of blits into windows.
#include <string>

#include "platform/dib.h"
#include "platform/raster.h"
#include "platform/recorder.h"

using namespace platform::gdi;

namespace {

void recordWindowBlit(const Target& target, const char* call, int x, int y, int width, int height) {
  if (!isWindowDc(*target.dc)) return;
  platform::recordEvent("Blit", std::string(call) + " " + std::to_string(x) + "," +
                                    std::to_string(y) + " " + std::to_string(width) + "x" +
                                    std::to_string(height));
}

Pattern patternFor(const Target& target, uint8_t rop) {
  if (!ropUsesPattern(rop)) return Pattern{};
  return makePattern(*target.dc, target.dc->brush, *target.surface.format);
}

BOOL blitFromDc(const char* call, HDC dest, int x, int y, int width, int height, HDC source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
  Target to;
  if (!resolveTarget(dest, &to)) return FALSE;
  uint8_t index = ropIndex(rop);
  BlitRequest request{x,       y,       width,       height,       nullptr,
                      sourceX, sourceY, sourceWidth, sourceHeight, index};
  Target from;
  if (ropUsesSource(index)) {
    if (!resolveTarget(source, &from)) return FALSE;
    request.source = &from.surface;
  }
  const PixelFormat& sourceFormat = request.source ? *from.surface.format : *to.surface.format;
  ColourMap colours(sourceFormat, *to.surface.format, to.dc, request.source ? from.dc : nullptr);
  rasterBlit(to, request, patternFor(to, index), &colours);
  recordWindowBlit(to, call, x, y, width, height);
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            DWORD rop) {
  return blitFromDc("BitBlt", dest, x, y, width, height, source, sourceX, sourceY, width, height,
                    rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                int sourceWidth, int sourceHeight, DWORD rop) {
  return blitFromDc("StretchBlt", dest, x, y, width, height, source, sourceX, sourceY, sourceWidth,
                    sourceHeight, rop);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  uint8_t index = ropIndex(rop);
  if (ropUsesSource(index)) return FALSE;
  return blitFromDc("PatBlt", hdc, x, y, width, height, nullptr, 0, 0, width, height, rop);
}

int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int sourceX, int sourceY,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage) {
  Target to;
  DibLayout layout;
  if (!resolveTarget(hdc, &to) || bits == nullptr || lines == 0 || lines > 32767 ||
      startScan > 32767 || width > 32767 || height > 32767 ||
      !readDibLayout(info, usage, to.dc, &layout))
    return 0;
  int rows = static_cast<int>(lines);
  int first = static_cast<int>(startScan);
  int w = static_cast<int>(width);
  int h = static_cast<int>(height);
  Surface source = dibRows(layout, bits, rows);
  // A bottom-up DIB counts scan lines, and the source origin, from its
  // bottom; the rows present begin at scan line `first`.
  int top = layout.bottomUp ? first + rows - sourceY - h : sourceY - first;
  BlitRequest request{x, y, w, h, &source, sourceX, top, w, h, ropIndex(SRCCOPY)};
  ColourMap colours(layout.format, *to.surface.format, to.dc, nullptr);
  rasterBlit(to, request, Pattern{}, &colours);
  recordWindowBlit(to, "SetDIBitsToDevice", x, y, w, h);
  return rows;
}

int StretchDIBits(HDC hdc, int x, int y, int width, int height, int sourceX, int sourceY,
                  int sourceWidth, int sourceHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop) {
  Target to;
  DibLayout layout;
  if (!resolveTarget(hdc, &to) || !readDibLayout(info, usage, to.dc, &layout))
    return static_cast<int>(GDI_ERROR);
  uint8_t index = ropIndex(rop);
  if (ropUsesSource(index) && bits == nullptr) return static_cast<int>(GDI_ERROR);
  Surface source = dibRows(layout, bits, layout.height);
  int top = layout.bottomUp ? layout.height - sourceY - sourceHeight : sourceY;
  BlitRequest request{x, y, width, height, &source, sourceX, top, sourceWidth, sourceHeight, index};
  ColourMap colours(layout.format, *to.surface.format, to.dc, nullptr);
  rasterBlit(to, request, patternFor(to, index), &colours);
  recordWindowBlit(to, "StretchDIBits", x, y, width, height);
  return height < 0 ? -height : height;
}
