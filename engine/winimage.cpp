// engine/winimage.cpp -- the camera images of the Windows devices: plain
// DIB, DIB section and WinG back-ends, showing and colour tables.
#include <algorithm>
#include <cstring>

#include "engine/camera.h"
#include "engine/depthbuffer.h"
#include "engine/drawslots.h"
#include "engine/error.h"
#include "engine/palette.h"
#include "engine/pool.h"
#include "engine/windevice.h"
#include "engine/wingload.h"

namespace {

// A camera image's back-end record.
struct BackEndImage {
  HDC memoryDc;         // DIB section and WinG
  uint8_t* bits;
  BITMAPINFO* info;     // the bitmap description
  HBITMAP bitmap;       // DIB section and WinG
  HGDIOBJ previous;     // selected into the DC before the bitmap
  intptr_t stretchWidth;   // -1: no stretching
  intptr_t stretchHeight;
  bool ownsBlock;       // plain DIB: the description and bits are ours
  UINT usage;           // colour-table usage for the plain DIB calls
};

constexpr size_t headerBytes = sizeof(BITMAPINFOHEADER);
constexpr size_t colourTableBytes = 256 * sizeof(RGBQUAD);
constexpr size_t bitfieldBytes = 3 * sizeof(DWORD);

const RwWindowsDeviceState& device() { return RwGetWindowsDeviceState(); }
intptr_t imageDepth() { return device().imageDepth; }
bool ownsImage(const RwCamera* camera) { return camera->descriptorMadeByDevice == 1; }
BackEndImage* backEndOf(const RwCamera* camera) { return static_cast<BackEndImage*>(camera->image.backEnd); }

// The colour table of an 8-bit description: palette indices 0..255 on a
// palette display (DIB_PAL_COLORS), else the RGB of entries 10..245.
UINT fillColourTable(BITMAPINFO* info) {
  if (device().paletteDisplay) {
    auto* indices = reinterpret_cast<WORD*>(info->bmiColors);
    for (WORD i = 0; i < 256; ++i) indices[i] = i;
    return DIB_PAL_COLORS;
  }
  RwEngineColourTable(info->bmiColors);
  return DIB_RGB_COLORS;
}

void describe(BITMAPINFOHEADER* header, intptr_t width, intptr_t height, intptr_t rowBytes) {
  *header = {};
  header->biSize = headerBytes;
  header->biWidth = static_cast<LONG>(width);
  header->biHeight = static_cast<LONG>(height);
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(imageDepth());
  header->biCompression = imageDepth() == 16 ? BI_BITFIELDS : BI_RGB;
  header->biSizeImage = static_cast<DWORD>(rowBytes * (height < 0 ? -height : height));
  header->biClrUsed = header->biClrImportant = imageDepth() == 8 ? 256 : 0;
}

BITMAPINFO* newDescription(intptr_t width, intptr_t height, intptr_t rowBytes, UINT* usage) {
  const size_t tail = imageDepth() == 8 ? colourTableBytes : bitfieldBytes;
  auto* info = static_cast<BITMAPINFO*>(RwEngineAlloc(headerBytes + tail));
  if (!info) return nullptr;
  describe(&info->bmiHeader, width, height, rowBytes);
  *usage = DIB_RGB_COLORS;
  if (imageDepth() == 8) {
    *usage = fillColourTable(info);
  } else {
    const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(info->bmiColors, masks, sizeof masks);
  }
  return info;
}

// ---- creation per back-end: bits and row order into the record

bool createPlainDib(RwCamera* camera, BackEndImage* image, intptr_t width, intptr_t height, intptr_t rowBytes) {
  if (!ownsImage(camera)) {
    // The caller's packed bitmap must describe exactly this image.
    auto* info = static_cast<BITMAPINFO*>(camera->descriptor);
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const DWORD colours = imageDepth() == 8 ? 256 : 0;
    if (h.biSize != headerBytes || h.biWidth != width || h.biHeight != height || h.biPlanes != 1 ||
        h.biBitCount != imageDepth() || h.biCompression != BI_RGB || h.biSizeImage != rowBytes * height ||
        h.biClrUsed != colours) {
      return false;
    }
    image->info = info;
    image->bits = reinterpret_cast<uint8_t*>(info) + headerBytes + colours * sizeof(RGBQUAD);
    image->usage = DIB_RGB_COLORS;
    return true;
  }
  UINT usage = DIB_RGB_COLORS;
  BITMAPINFO* described = newDescription(width, height, rowBytes, &usage);
  if (!described) return false;
  const size_t tail = imageDepth() == 8 ? colourTableBytes : bitfieldBytes;
  auto* block = static_cast<uint8_t*>(RwEngineAlloc(headerBytes + tail + static_cast<size_t>(rowBytes * height)));
  if (block) std::memcpy(block, described, headerBytes + tail);
  RwEngineFree(described);
  if (!block) return false;
  image->info = reinterpret_cast<BITMAPINFO*>(block);
  image->bits = block + headerBytes + tail;
  image->ownsBlock = true;
  image->usage = usage;
  return true;
}

bool createDibSection(RwCamera* camera, BackEndImage* image, intptr_t width, intptr_t height, intptr_t rowBytes) {
  if (!ownsImage(camera)) return false;
  image->memoryDc = CreateCompatibleDC(nullptr);
  if (!image->memoryDc) return false;
  if (device().paletteDisplay) {
    SelectPalette(image->memoryDc, device().palette, FALSE);
    RealizePalette(image->memoryDc);
  }
  UINT usage = DIB_RGB_COLORS;
  image->info = newDescription(width, height, rowBytes, &usage);
  if (!image->info) return false;
  void* bits = nullptr;
  image->bitmap = CreateDIBSection(image->memoryDc, image->info, usage, &bits, nullptr, 0);
  if (!image->bitmap) return false;
  image->bits = static_cast<uint8_t*>(bits);
  image->previous = SelectObject(image->memoryDc, image->bitmap);
  return image->previous != nullptr;
}

bool createWinG(RwCamera* camera, BackEndImage* image, intptr_t width, intptr_t height) {
  const RwWinGLibrary* wing = RwWinG();
  if (!ownsImage(camera) || !wing) return false;
  image->memoryDc = wing->createDC();
  if (!image->memoryDc) return false;
  image->info = static_cast<BITMAPINFO*>(RwEngineAlloc(headerBytes + colourTableBytes));
  if (!image->info) return false;
  BITMAPINFOHEADER& header = image->info->bmiHeader;
  if (!wing->recommendDIBFormat(image->info)) return false;
  const int orientation = device().wingOrientation;
  const bool topDown = orientation != 0 ? orientation < 0 : header.biHeight < 0;
  header.biBitCount = 8;
  header.biWidth = static_cast<LONG>(width);
  header.biHeight = static_cast<LONG>(topDown ? -height : height);
  header.biClrUsed = header.biClrImportant = 256;
  PALETTEENTRY logical[256] = {};
  if (device().palette) GetPaletteEntries(device().palette, 0, 256, logical);
  for (int i = 0; i < 256; ++i) image->info->bmiColors[i] = {logical[i].peBlue, logical[i].peGreen, logical[i].peRed, 0};
  RGBQUAD engine[256];
  RwEngineColourTable(engine);
  std::copy(engine + rwFirstEnginePaletteEntry, engine + rwLastUsablePaletteEntry + 1,
            image->info->bmiColors + rwFirstEnginePaletteEntry);
  void* bits = nullptr;
  image->bitmap = wing->createBitmap(image->memoryDc, image->info, &bits);
  if (!image->bitmap) return false;
  image->bits = static_cast<uint8_t*>(wing->getDIBPointer(image->bitmap, image->info));
  if (!image->bits) image->bits = static_cast<uint8_t*>(bits);
  image->previous = SelectObject(image->memoryDc, image->bitmap);
  return image->bits && image->previous;
}

void releaseImage(BackEndImage* image) {
  if (!image) return;
  if (image->memoryDc && image->previous) SelectObject(image->memoryDc, image->previous);
  if (image->bitmap) DeleteObject(image->bitmap);
  if (image->memoryDc) DeleteDC(image->memoryDc);
  const bool separateDescription = device().backEnd != rwBackEndPlainDib;
  if (separateDescription || image->ownsBlock) RwEngineFree(image->info);
  RwEngineFree(image);
}

/*
 * createCameraImage --
 *   Word 4 for every back-end: grows the depth buffer, rounds the width up
 *   to a multiple of 4, makes the back-end's bitmap and the row table.
 *   Results: 1, or 0 with everything made freed (error 3 when memory ran out).
 */
int createCameraImage(RwCamera* camera, intptr_t width, intptr_t height) {
  if (width < 1 || height < 1) return 0;
  const intptr_t rounded = (width + 3) & ~intptr_t{3};
  if (!RwGrowDepthBuffer(rounded, height)) return 0;
  const intptr_t rowBytes = imageDepth() * rounded / 8;
  auto* image = static_cast<BackEndImage*>(RwEngineAlloc(sizeof(BackEndImage)));
  auto** rows = static_cast<uint8_t**>(RwEngineAlloc(static_cast<size_t>(height) * sizeof(uint8_t*)));
  if (!image || !rows) {
    RwEngineFree(image);
    RwEngineFree(rows);
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  *image = {};
  image->stretchWidth = image->stretchHeight = -1;
  bool made = false;
  switch (device().backEnd) {
    case rwBackEndPlainDib:
      made = createPlainDib(camera, image, rounded, height, rowBytes);
      break;
    case rwBackEndDibSection:
      made = createDibSection(camera, image, rounded, height, rowBytes);
      break;
    case rwBackEndWinG:
      made = createWinG(camera, image, rounded, height);
      break;
  }
  if (!made) {
    releaseImage(image);
    RwEngineFree(rows);
    return 0;
  }
  const bool topDown = image->info->bmiHeader.biHeight < 0;
  RwCameraImage& out = camera->image;
  out.topRow = topDown ? image->bits : image->bits + (height - 1) * rowBytes;
  out.stride = topDown ? rowBytes : -rowBytes;
  for (intptr_t y = 0; y < height; ++y) rows[y] = out.topRow + y * out.stride;
  out.width = rounded;
  out.height = height;
  out.depth = imageDepth();
  out.rowTable = rows;
  out.backEnd = image;
  out.memoryDc = image->memoryDc;
  return 1;
}

void destroyCameraImage(RwCamera* camera) {
  releaseImage(backEndOf(camera));
  RwEngineFree(camera->image.rowTable);
  camera->image = {};
}

// ---- showing

struct ShowArea {
  int x, y, width, height;                          // in the image (and 1:1 in the window)
  int targetX, targetY, targetWidth, targetHeight;  // in the window
  bool stretched;
};

ShowArea showArea(const RwCamera* camera, const BackEndImage* image, const RwRect& rect) {
  ShowArea area;
  area.x = camera->viewport[0] + rect.x;
  area.y = camera->viewport[1] + rect.y;
  area.width = rect.width;
  area.height = rect.height;
  const intptr_t viewportWidth = camera->viewport[2];
  const intptr_t viewportHeight = camera->viewport[3];
  area.stretched = image->stretchWidth >= 0 && viewportWidth > 0 && viewportHeight > 0 &&
                   (image->stretchWidth != viewportWidth || image->stretchHeight != viewportHeight);
  if (!area.stretched) {
    area.targetX = area.x;
    area.targetY = area.y;
    area.targetWidth = area.width;
    area.targetHeight = area.height;
    return area;
  }
  area.targetX = static_cast<int>(camera->viewport[0] + rect.x * image->stretchWidth / viewportWidth);
  area.targetY = static_cast<int>(camera->viewport[1] + rect.y * image->stretchHeight / viewportHeight);
  area.targetWidth = static_cast<int>(rect.width * image->stretchWidth / viewportWidth);
  area.targetHeight = static_cast<int>(rect.height * image->stretchHeight / viewportHeight);
  return area;
}

// Prepares the window DC and works out the area; false for nothing to show.
bool beginShow(const RwCamera* camera, const RwRect* rect, HDC windowDc, ShowArea* area) {
  const BackEndImage* image = backEndOf(camera);
  if (!rect || rect->width < 1 || rect->height < 1 || !image || !windowDc) return false;
  if (device().paletteDisplay) {
    SelectPalette(windowDc, device().palette, device().backgroundPalette ? TRUE : FALSE);
    RealizePalette(windowDc);
  }
  *area = showArea(camera, image, *rect);
  return true;
}

void showPlainDib(RwCamera* camera, const RwRect* rect, HDC windowDc) {
  ShowArea a;
  if (!beginShow(camera, rect, windowDc, &a)) return;
  const BackEndImage* image = backEndOf(camera);
  const int height = static_cast<int>(camera->image.height);
  const int sourceY = height - a.y - a.height;  // bottom-up rows count from the bottom
  if (a.stretched) {
    StretchDIBits(windowDc, a.targetX, a.targetY, a.targetWidth, a.targetHeight, a.x, sourceY, a.width, a.height,
                  image->bits, image->info, image->usage, SRCCOPY);
  } else {
    SetDIBitsToDevice(windowDc, a.x, a.y, a.width, a.height, a.x, sourceY, 0, height, image->bits, image->info,
                      image->usage);
  }
}

void showDibSection(RwCamera* camera, const RwRect* rect, HDC windowDc) {
  ShowArea a;
  if (!beginShow(camera, rect, windowDc, &a)) return;
  HDC source = backEndOf(camera)->memoryDc;
  if (a.stretched) {
    StretchBlt(windowDc, a.targetX, a.targetY, a.targetWidth, a.targetHeight, source, a.x, a.y, a.width, a.height,
               SRCCOPY);
  } else {
    BitBlt(windowDc, a.x, a.y, a.width, a.height, source, a.x, a.y, SRCCOPY);
  }
}

void showWinG(RwCamera* camera, const RwRect* rect, HDC windowDc) {
  ShowArea a;
  const RwWinGLibrary* wing = RwWinG();
  if (!wing || !beginShow(camera, rect, windowDc, &a)) return;
  HDC source = backEndOf(camera)->memoryDc;
  if (a.stretched) {
    wing->stretchBlt(windowDc, a.targetX, a.targetY, a.targetWidth, a.targetHeight, source, a.x, a.y, a.width,
                     a.height);
  } else {
    wing->bitBlt(windowDc, a.x, a.y, a.width, a.height, source, a.x, a.y);
  }
}

// ---- colour tables after a palette change

void updatePlainDibTable(RwCamera* camera) {
  BackEndImage* image = backEndOf(camera);
  if (image && image->ownsBlock && imageDepth() == 8) fillColourTable(image->info);
  RwRefreshBackgroundIndex(camera);
}

void updateDibSectionTable(RwCamera* camera) {
  const BackEndImage* image = backEndOf(camera);
  if (image && imageDepth() == 8) {
    RGBQUAD table[256];
    RwEngineColourTable(table);
    SetDIBColorTable(image->memoryDc, rwFirstEnginePaletteEntry, 236, table + rwFirstEnginePaletteEntry);
  }
  RwRefreshBackgroundIndex(camera);
}

void updateWinGTable(RwCamera* camera) {
  const BackEndImage* image = backEndOf(camera);
  if (image && RwWinG()) {
    RGBQUAD table[256];
    RwEngineColourTable(table);
    RwWinG()->setDIBColorTable(image->memoryDc, rwFirstEnginePaletteEntry, 236, table + rwFirstEnginePaletteEntry);
  }
  RwRefreshBackgroundIndex(camera);
}

}  // namespace

void RwInstallWindowsBackEnd(RwDeviceRecord* record, int backEnd) {
  record->createCameraImage = createCameraImage;
  record->destroyCameraImage = destroyCameraImage;
  record->endUpdate = [](RwCamera*) {};
  switch (backEnd) {
    case rwBackEndPlainDib:
      record->showImage = showPlainDib;
      record->colourTableUpdate = updatePlainDibTable;
      break;
    case rwBackEndDibSection:
      record->showImage = showDibSection;
      record->colourTableUpdate = updateDibSectionTable;
      break;
    case rwBackEndWinG:
      record->showImage = showWinG;
      record->colourTableUpdate = updateWinGTable;
      break;
  }
}

int RwSetCameraImageStretch(RwCamera* camera, intptr_t width, intptr_t height) {
  BackEndImage* image = camera ? backEndOf(camera) : nullptr;
  if (!image) return 0;
  image->stretchWidth = width;
  image->stretchHeight = height;
  return 1;
}
