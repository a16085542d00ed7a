// engine/rasters.cpp -- raster records.
#include "engine/rasters.h"

#include "engine/appearancerecords.h"
#include "engine/device.h"
#include "engine/error.h"
#include "engine/pool.h"

namespace {

void freeRaster(RwRaster* raster) {
  RwEngineFree(raster->pixels);
  RwEngineFree(raster->colourMap);
  RwFreeRecord(rwAppearanceRecords().rasters.pool, raster);
}

}  // namespace

RwRaster* RwCreateRaster(intptr_t width, intptr_t height, intptr_t depth) {
  RwAppearanceRecords::RasterModule& rasters = rwAppearanceRecords().rasters;
  if (width < 0 || height < 0 || depth < 0) {
    RwSetError(rwErrBadCount);
    return nullptr;
  }
  auto* raster = static_cast<RwRaster*>(RwAllocRecord(rasters.pool));
  if (!raster) return nullptr;
  intptr_t rowBytes = (depth * width + 7) / 8;
  *raster = {};
  raster->width = static_cast<int32_t>(width);
  raster->height = static_cast<int32_t>(height);
  raster->depth = static_cast<int32_t>(depth);
  raster->stride = static_cast<int32_t>((rowBytes + 3) & ~intptr_t{3});
  if (raster->stride != 0 && height > 0) {
    raster->pixels = static_cast<uint8_t*>(RwEngineAlloc(static_cast<size_t>(raster->stride) * height));
    if (!raster->pixels) {
      RwFreeRecord(rasters.pool, raster);
      RwSetError(rwErrOutOfMemory);
      return nullptr;
    }
  }
  rasters.live.insert(raster);
  return raster;
}

int RwDestroyRaster(RwRaster* raster) {
  if (!raster) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  if (raster->owner) {
    RwSetError(rwErrRasterInUse);
    return 0;
  }
  if (rwDeviceRecord.rasterReleaseHook) rwDeviceRecord.rasterReleaseHook(raster);
  rwAppearanceRecords().rasters.live.erase(raster);
  freeRaster(raster);
  return 1;
}

intptr_t RwGetRasterHeight(const RwRaster* raster) {
  if (!raster) {
    RwSetError(rwErrInvalidArgument);
    return -1;
  }
  return raster->height;
}

int RwOpenRasterModule() {
  RwAppearanceRecords::RasterModule& rasters = rwAppearanceRecords().rasters;
  rasters.pool = RwCreatePool("rasterlist", sizeof(RwRaster));
  if (!rasters.pool) RwSetError(rwErrOutOfMemory);
  return rasters.pool ? 1 : 0;
}

int RwCloseRasterModule() {
  RwAppearanceRecords::RasterModule& rasters = rwAppearanceRecords().rasters;
  for (RwRaster* raster : rasters.live) freeRaster(raster);
  rasters.live.clear();
  RwDestroyPool(rasters.pool);
  rasters.pool = nullptr;
  return 1;
}
