// engine/drawslots.cpp -- the software device's draw slot table and
// rasteriser selection.
#include "engine/drawslots.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/camera.h"
#include "engine/depthbuffer.h"
#include "engine/devicestate.h"
#include "engine/error.h"
#include "engine/imageconvert.h"
#include "engine/palette.h"
#include "engine/pool.h"
#include "engine/raster/outlines.h"
#include "engine/raster/perspective.h"
#include "engine/raster/points.h"
#include "engine/raster/textured.h"
#include "engine/raster/untextured.h"
#include "engine/rasterfeed.h"
#include "engine/rasters.h"
#include "engine/rectfill.h"
#include "engine/renderstate.h"
#include "engine/shadetable.h"

namespace {

constexpr intptr_t softwareDevicePolygonWord = 32;
constexpr intptr_t perspectiveModeMask = 7;
constexpr intptr_t parallelModeMask = 5;  // never the foreshorten routines

intptr_t bytesPerPixel() { return rwDeviceState().installed.depth == 8 ? 1 : 2; }

// Renderer pairs by depth.
constexpr RwRendererPair pairs16[rwRendererPairs] = {
    {RwRasterise<RwRas16PointsFlat>, RwRasterise<RwRas16PointsFlatZ>},
    {RwRasterise<RwRas16PointsGouraud>, RwRasterise<RwRas16PointsGouraudZ>},
    {RwRasterise<RwRas16OutlineFlat>, RwRasterise<RwRas16OutlineFlatZ>},
    {RwRasterise<RwRas16OutlineGouraud>, RwRasterise<RwRas16OutlineGouraudZ>},
    {RwRasterise<RwRas16FanFlatOpaque>, RwRasterise<RwRas16FanFlatOpaqueZ>},
    {RwRasterise<RwRas16FanGouraudOpaque>, RwRasterise<RwRas16FanGouraudOpaqueZ>},
    {RwRasterise<RwRas16FanFlatStipple>, RwRasterise<RwRas16FanFlatStippleZ>},
    {RwRasterise<RwRas16FanGouraudStipple>, RwRasterise<RwRas16FanGouraudStippleZ>},
    {RwRasterise<RwRas16FanFlatTexOpaque>, RwRasterise<RwRas16FanFlatTexOpaqueZ>},
    {RwRasterise<RwRas16FanGouraudTexOpaque>, RwRasterise<RwRas16FanGouraudTexOpaqueZ>},
    {RwRasterise<RwRas16FanFlatTexStipple>, RwRasterise<RwRas16FanFlatTexStippleZ>},
    {RwRasterise<RwRas16FanGouraudTexStipple>, RwRasterise<RwRas16FanGouraudTexStippleZ>},
};
constexpr RwRendererPair pairs8[rwRendererPairs] = {
    {RwRasterise<RwRas8PointsFlat>, RwRasterise<RwRas8PointsFlatZ>},
    {RwRasterise<RwRas8PointsGouraud>, RwRasterise<RwRas8PointsGouraudZ>},
    {RwRasterise<RwRas8OutlineFlat>, RwRasterise<RwRas8OutlineFlatZ>},
    {RwRasterise<RwRas8OutlineGouraud>, RwRasterise<RwRas8OutlineGouraudZ>},
    {RwRasterise<RwRas8FanFlatOpaque>, RwRasterise<RwRas8FanFlatOpaqueZ>},
    {RwRasterise<RwRas8FanGouraudOpaque>, RwRasterise<RwRas8FanGouraudOpaqueZ>},
    {RwRasterise<RwRas8FanFlatStipple>, RwRasterise<RwRas8FanFlatStippleZ>},
    {RwRasterise<RwRas8FanGouraudStipple>, RwRasterise<RwRas8FanGouraudStippleZ>},
    {RwRasterise<RwRas8FanFlatTexOpaque>, RwRasterise<RwRas8FanFlatTexOpaqueZ>},
    {RwRasterise<RwRas8FanGouraudTexOpaque>, RwRasterise<RwRas8FanGouraudTexOpaqueZ>},
    {RwRasterise<RwRas8FanFlatTexStipple>, RwRasterise<RwRas8FanFlatTexStippleZ>},
    {RwRasterise<RwRas8FanGouraudTexStipple>, RwRasterise<RwRas8FanGouraudTexStippleZ>},
};

// ---- common slots

// The rectangle (viewport coordinates) moved into the image and clipped to it.
bool imageRect(const RwCamera* camera, const RwRect& rect, RwRect* out) {
  const intptr_t left = std::max<intptr_t>(intptr_t{camera->viewport[0]} + rect.x, 0);
  const intptr_t top = std::max<intptr_t>(intptr_t{camera->viewport[1]} + rect.y, 0);
  const intptr_t right = std::min<intptr_t>(intptr_t{camera->viewport[0]} + rect.x + rect.width, camera->image.width);
  const intptr_t bottom =
      std::min<intptr_t>(intptr_t{camera->viewport[1]} + rect.y + rect.height, camera->image.height);
  if (right <= left || bottom <= top || !camera->image.rowTable) return false;
  *out = {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
          static_cast<int32_t>(bottom - top)};
  return true;
}

void clearRect(RwCamera* camera, const RwRect* rect) {
  RwRect area;
  if (!rect || !imageRect(camera, *rect, &area)) return;
  uint8_t* start = camera->image.rowTable[area.y] + area.x * bytesPerPixel();
  // The fills step by the current camera's stride.
  RwCamera* current = rwRenderState.currentCamera;
  rwRenderState.currentCamera = camera;
  if (rwDeviceState().installed.depth == 8) {
    RwRas8FillRect(&start, area.width, area.height, static_cast<uint32_t>(camera->backgroundIndex & 0xFF) * 0x01010101u);
  } else {
    RwRas16FillRect(&start, area.width * 2, area.height,
                    static_cast<uint32_t>(camera->backgroundColour & 0xFFFF) * 0x00010001u);
  }
  rwRenderState.currentCamera = current;
}

void drawBackdropRect(RwCamera* camera, const RwRect* source, intptr_t x, intptr_t y) {
  const RwRaster* raster = camera->backdrop;
  if (!raster || !source || !raster->pixels || raster->depth != camera->image.depth) return;
  const RwRect target = {static_cast<int32_t>(x), static_cast<int32_t>(y), source->width, source->height};
  RwRect area;
  if (!imageRect(camera, target, &area)) return;
  const intptr_t skipX = area.x - (camera->viewport[0] + x);
  const intptr_t skipY = area.y - (camera->viewport[1] + y);
  const intptr_t sourceX = source->x + skipX;
  const intptr_t sourceY = source->y + skipY;
  const intptr_t width = std::min<intptr_t>(area.width, raster->width - sourceX);
  const intptr_t rows = std::min<intptr_t>(area.height, raster->height - sourceY);
  if (sourceX < 0 || sourceY < 0 || width < 1) return;
  const intptr_t bpp = bytesPerPixel();
  for (intptr_t r = 0; r < rows; ++r) {
    std::memcpy(camera->image.rowTable[area.y + r] + area.x * bpp,
                raster->pixels + (sourceY + r) * raster->stride + sourceX * bpp, static_cast<size_t>(width * bpp));
  }
}

void clearDepthRect(const RwRect* rect) {
  if (!rect) return;
  RwRect shifted = *rect;
  if (const RwCamera* camera = rwRenderState.currentCamera) {
    shifted.x += camera->viewport[0];
    shifted.y += camera->viewport[1];
  }
  RwClearDepthBufferRect(&shifted);
}

intptr_t readNoBitmap(HBITMAP, intptr_t, RwRaster*) { return 0; }

RwRaster* copyImageToRaster(RwCamera* camera, RwRaster* raster) {
  if (!camera || !raster || raster->depth != camera->image.depth || !raster->pixels || !camera->image.rowTable) {
    RwSetError(rwErrInvalidArgument);
    return nullptr;
  }
  const intptr_t rows = std::min<intptr_t>(raster->height, camera->image.height);
  const intptr_t bytes = std::min<intptr_t>(raster->width, camera->image.width) * bytesPerPixel();
  for (intptr_t r = 0; r < rows; ++r) {
    std::memcpy(raster->pixels + r * raster->stride, camera->image.rowTable[r], static_cast<size_t>(bytes));
  }
  return raster;
}

uintptr_t colourToDeviceValue(const uint16_t* rgb) {
  return RwSoftwareColourValue(rwDeviceState().installed.depth, rgb);
}
void deviceValueToColour(uintptr_t value, uint16_t* rgb) {
  RwSoftwareValueColour(rwDeviceState().installed.depth, value, rgb);
}
uintptr_t combineValueAndLevel(uintptr_t value, intptr_t level) { return value * 256 + static_cast<uintptr_t>(level); }

intptr_t control(intptr_t request, void* buffer, intptr_t size) {
  RwDeviceState::InstalledDevice& installed = rwDeviceState().installed;
  if (!RwControlBufferHoldsAnswer(buffer, size)) return 0;
  const bool palettised = installed.depth == 8;
  switch (request) {
    case rwControlImageDepth:
      return RwAnswerControl(buffer, static_cast<int32_t>(installed.depth));
    case rwControlPalettised:
    case rwControlPaletteDisplay:
      return RwAnswerControl(buffer, palettised ? 1 : 0);
    case rwControlPaletteSize:
      if (palettised) return RwAnswerControl(buffer, 256);
      break;
  }
  RwSetError(rwErrControlRequest);
  return 0;
}

intptr_t extendedControl(intptr_t, intptr_t, void*, intptr_t) {
  RwSetError(rwErrNotSupported);
  return 0;
}

void colourTableUpdate(RwCamera* camera) { RwRefreshBackgroundIndex(camera); }

}  // namespace

const RwTriangleRoutine* RwGetTextureModeTable() { return rwDeviceState().installed.textureModes; }

int RwInstallRenderers(RwDeviceRecord* record, intptr_t, intptr_t, intptr_t depth) {
  RwDeviceState::InstalledDevice& installed = rwDeviceState().installed;
  if (depth == 1) return 1;
  if (depth != 8 && depth != 15 && depth != 16) return 0;
  RwCloseRenderers();
  installed.depth = depth;
  record->depth = depth;
  record->maxPolygonVertices = softwareDevicePolygonWord;
  record->beginUpdate = RwBeginRender;
  record->clearRect = clearRect;
  record->drawBackdropRect = drawBackdropRect;
  record->clearDepthRect = clearDepthRect;
  record->colourToDeviceValue = colourToDeviceValue;
  record->deviceValueToColour = deviceValueToColour;
  record->combineValueAndLevel = combineValueAndLevel;
  record->readBitmap = readNoBitmap;
  record->copyImageToRaster = copyImageToRaster;
  record->control = control;
  record->extendedControl = extendedControl;
  record->close = RwCloseRenderers;
  record->colourTableUpdate = colourTableUpdate;
  record->nearestPaletteIndex = RwFindNearestPaletteIndexSlot;
  record->rasterReleaseHook = nullptr;
  record->convertImage = RwConvertImage;
  // Every entry of the depth's blocks is filled; the other depth's blocks
  // are never reached.
  for (RwTriangleRoutine& entry : installed.textureModes) entry = nullptr;
  RwFillAffineTextureModes(installed.textureModes, depth);
  RwFillPerspectiveTextureModes(installed.textureModes, depth);
  rwRasterTarget = {};
  rwRasterTarget.textureModeMask = perspectiveModeMask;
  rwRasterTarget.textureModeTable = installed.textureModes;

  installed.slopeBlock = static_cast<int32_t*>(RwEngineAlloc(rwSlopeTableBytes));
  if (!installed.slopeBlock) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  rwRasterTarget.slopeTable = RwFillSlopeTable(installed.slopeBlock);
  const RwRendererPair* pairs = depth == 8 ? pairs8 : pairs16;
  std::copy(pairs, pairs + rwRendererPairs, record->renderers);
  if (!RwAllocShadeTables(depth)) return 0;
  RwBuildGammaTables();
  RwBuildShadeTables();
  const RwShadeTables shading = RwGetShadeTables();
  rwRasterTarget.shadeTable = shading.shade;
  rwRasterTarget.shadeRampTable = shading.ramp;
  return 1;
}

void RwCloseRenderers() {
  RwDeviceState::InstalledDevice& installed = rwDeviceState().installed;
  RwEngineFree(installed.slopeBlock);
  installed.slopeBlock = nullptr;
  RwFreeShadeTables();
  RwFreeDepthBuffer();
  RwFreePaletteOctree();
  installed.viewportRows.clear();
  installed.viewportRows.shrink_to_fit();
  rwRasterTarget = {};
  installed.depth = 0;
}

void RwBeginRender(RwCamera* camera, intptr_t) {
  RwDeviceState::InstalledDevice& installed = rwDeviceState().installed;
  const RwCameraImage& image = camera->image;
  if (!image.rowTable) return;
  const intptr_t x = camera->viewport[0];
  const intptr_t y = camera->viewport[1];
  const intptr_t width = camera->viewport[2];
  const intptr_t height = camera->viewport[3];
  installed.viewportRows.resize(static_cast<size_t>(std::max<intptr_t>(height, 1)));
  const intptr_t leftByte = x * bytesPerPixel();
  for (intptr_t row = 0; row < height; ++row) installed.viewportRows[row] = image.rowTable[y + row] + leftByte;
  rwRasterTarget.rowTable = installed.viewportRows.data();
  rwRasterTarget.stride = image.stride;
  const RwDepthBuffer& depth = RwGetDepthBuffer();
  rwRasterTarget.zBase = depth.base ? reinterpret_cast<uint8_t*>(depth.base) + y * depth.stride + x * 2 : nullptr;
  rwRasterTarget.zStride = depth.stride;
  rwRasterTarget.ditherColumns = DitherColumns + (x & 7);
  rwRasterTarget.ditherRows = DitherRows + (y & 7);
  rwRasterTarget.perspDitherColumns = PerspDitherColumns + (x & 7);
  rwRasterTarget.perspDitherRows = PerspDitherRows + (y & 7);
  rwRasterTarget.viewportWidth = static_cast<int32_t>(width * 65536);
  rwRasterTarget.viewportHeight = static_cast<int32_t>(height * 65536);
  rwRasterTarget.textureModeMask = camera->projection == rwParallel ? parallelModeMask : perspectiveModeMask;
  const RwShadeTables shading = RwGetShadeTables();
  rwRasterTarget.shadeTable = shading.shade;
  rwRasterTarget.shadeRampTable = shading.ramp;
  rwRasterTarget.expandedShadeTable = shading.expanded;
  rwRasterTarget.textureModeTable = installed.textureModes;
}

void RwRefreshBackgroundIndex(RwCamera* camera) {
  if (!camera || rwDeviceState().installed.depth != 8) return;
  const uintptr_t rgb565 = (camera->backgroundColour >> 16) & 0xFFFF;
  const auto widen = [](uintptr_t bits, int width) {
    const uintptr_t byte = bits << (8 - width);
    return static_cast<uint8_t>(byte | byte >> width);
  };
  const uint8_t rgb[3] = {widen((rgb565 >> 11) & 31, 5), widen((rgb565 >> 5) & 63, 6), widen(rgb565 & 31, 5)};
  const int index = findNearestPaletteIndex(rgb);
  camera->backgroundIndex = static_cast<uintptr_t>(index) & 0xFF;
}
