// engine/rasters.cpp -- raster records.
#include "engine/rasters.h"

#include <unordered_set>

#include "engine/device.h"
#include "engine/error.h"
#include "engine/pool.h"

namespace {

RwPool* rasterPool = nullptr;  // "rasterlist"
// Rasters not yet destroyed: the module close frees their pixel blocks, which
// live on the heap and not in the pool's pages.
std::unordered_set<RwRaster*> liveRasters;

void freeRaster(RwRaster* raster) {
  RwEngineFree(raster->pixels);
  RwEngineFree(raster->colourMap);
  RwFreeRecord(rasterPool, raster);
}

}  // namespace

RwRaster* RwCreateRaster(intptr_t width, intptr_t height, intptr_t depth) {
  if (width < 0 || height < 0 || depth < 0) {
    RwSetError(rwErrBadCount);
    return nullptr;
  }
  auto* raster = static_cast<RwRaster*>(RwAllocRecord(rasterPool));
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
      RwFreeRecord(rasterPool, raster);
      RwSetError(rwErrOutOfMemory);
      return nullptr;
    }
  }
  liveRasters.insert(raster);
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
  liveRasters.erase(raster);
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
  rasterPool = RwCreatePool("rasterlist", sizeof(RwRaster));
  if (!rasterPool) RwSetError(rwErrOutOfMemory);
  return rasterPool ? 1 : 0;
}

int RwCloseRasterModule() {
  for (RwRaster* raster : liveRasters) freeRaster(raster);
  liveRasters.clear();
  RwDestroyPool(rasterPool);
  rasterPool = nullptr;
  return 1;
}
