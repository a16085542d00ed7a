// engine/winbitmap.cpp -- the Windows devices' read bitmap word: a platform
// bitmap into an engine raster through the image reader's row converter.
#include <vector>

#include "engine/imagefile.h"
#include "engine/pool.h"
#include "engine/rasters.h"
#include "engine/texture.h"
#include "engine/windevice.h"

namespace {

struct BitmapInfo256 {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
};

int32_t supportedDepth(WORD bitsPerPixel) {
  return bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ? bitsPerPixel : 24;
}

bool copyColourTable(HDC dc, HBITMAP bitmap, BitmapInfo256* info, RwRaster* raster) {
  if (!GetDIBits(dc, bitmap, 0, static_cast<UINT>(info->header.biHeight), nullptr,
                 reinterpret_cast<LPBITMAPINFO>(info), DIB_RGB_COLORS)) {
    return false;
  }
  for (int i = 0; i < 256; ++i) {
    raster->colourMap[i * 3] = info->colours[i].rgbRed;
    raster->colourMap[i * 3 + 1] = info->colours[i].rgbGreen;
    raster->colourMap[i * 3 + 2] = info->colours[i].rgbBlue;
  }
  return true;
}

// Rows are asked for bottom-up, one at a time from the top row down.
bool readRows(HDC dc, HBITMAP bitmap, BitmapInfo256* info, RwRaster* raster, intptr_t decodeBits) {
  int32_t width = info->header.biWidth, height = info->header.biHeight, depth = info->header.biBitCount;
  std::vector<uint8_t> row(RwImageRowBufferSize(width, depth));
  RwImageResampler resampler;
  for (int32_t index = 0; index < height; ++index) {
    UINT fromBottom = static_cast<UINT>(height - 1 - index);
    if (GetDIBits(dc, bitmap, fromBottom, 1, row.data(), reinterpret_cast<LPBITMAPINFO>(info), DIB_RGB_COLORS) != 1) {
      return false;
    }
    if (!RwAddImageRow(row.data(), width, height, index, depth, raster, decodeBits, &resampler)) return false;
  }
  return true;
}

}  // namespace

intptr_t RwReadWindowsBitmap(HBITMAP bitmap, intptr_t flags, RwRaster* raster) {
  BITMAP description;
  if (!raster || !bitmap || !GetObjectA(bitmap, sizeof description, &description)) return 0;
  int32_t width = description.bmWidth, height = description.bmHeight;
  if (width < 1 || height < 1 || width > rwImageMaxSide || height > rwImageMaxSide) return 0;
  int32_t depth = supportedDepth(description.bmBitsPixel);
  intptr_t decodeBits = rwDecodeSwap | ((flags & rwTextureResample) ? rwDecodeResample : 0);
  if (depth == 8 && width == rwTextureSide && height % rwTextureSide == 0) decodeBits &= ~rwDecodeResample;
  if (!raster->colourMap) raster->colourMap = static_cast<uint8_t*>(RwEngineAlloc(256 * 3));
  if (!raster->colourMap) return 0;
  BitmapInfo256 info = {};
  info.header = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(depth), 0, 0, 0, 0, 0, 0};
  HDC dc = CreateCompatibleDC(nullptr);
  bool read = dc && copyColourTable(dc, bitmap, &info, raster) && readRows(dc, bitmap, &info, raster, decodeBits);
  if (dc) DeleteDC(dc);
  return read ? (intptr_t{width} << 16) + height : 0;
}
