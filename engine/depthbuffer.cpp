// engine/depthbuffer.cpp -- the depth buffer shared by every camera image.
#include "engine/depthbuffer.h"

#include <algorithm>

#include "engine/devicestate.h"
#include "engine/error.h"
#include "engine/pool.h"
#include "engine/rectfill.h"

const RwDepthBuffer& RwGetDepthBuffer() { return rwDeviceState().depthBuffer; }

int RwGrowDepthBuffer(intptr_t width, intptr_t height) {
  RwDepthBuffer& depthBuffer = rwDeviceState().depthBuffer;
  if (width <= depthBuffer.width && height <= depthBuffer.height) return 1;
  intptr_t newWidth = std::max(width, depthBuffer.width);
  intptr_t newHeight = std::max(height, depthBuffer.height);
  RwFreeDepthBuffer();
  auto* base = static_cast<uint16_t*>(RwEngineAlloc(static_cast<size_t>(newWidth * newHeight) * sizeof(uint16_t)));
  if (!base) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  depthBuffer = {base, newWidth, newHeight, newWidth * static_cast<intptr_t>(sizeof(uint16_t))};
  return 1;
}

void RwFreeDepthBuffer() {
  RwDepthBuffer& depthBuffer = rwDeviceState().depthBuffer;
  RwEngineFree(depthBuffer.base);
  depthBuffer = {};
}

void RwClearDepthBufferRect(const RwRect* rect) {
  RwDepthBuffer& depthBuffer = rwDeviceState().depthBuffer;
  intptr_t left = std::max<intptr_t>(rect->x, 0) & ~intptr_t{1};
  intptr_t top = std::max<intptr_t>(rect->y, 0);
  intptr_t right = std::min<intptr_t>(intptr_t{rect->x} + rect->width, depthBuffer.width);
  intptr_t bottom = std::min<intptr_t>(intptr_t{rect->y} + rect->height, depthBuffer.height);
  if (!depthBuffer.base || right <= left || bottom <= top) return;
  // Whole 32-bit words: an even start and an even count of entries.
  intptr_t widthBytes = ((right - left) * 2 + 3) & ~intptr_t{3};
  widthBytes = std::min(widthBytes, (depthBuffer.width - left) * 2);
  auto* start = reinterpret_cast<uint8_t*>(depthBuffer.base) + top * depthBuffer.stride + left * 2;
  RwClearZBufferRect(start, widthBytes, bottom - top, depthBuffer.stride);
}
