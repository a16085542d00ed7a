// engine/renderstate.cpp -- the render globals: depth mapping, depth groups.
#include "engine/renderstate.h"

#include "engine/camera.h"
#include "engine/damage.h"
#include "engine/device.h"

RwRenderState rwRenderState = {};

namespace {

constexpr float thinnestRange = 9.5367431640625e-7f;  // 2^-20
constexpr float nearScreenDepth = 32704.0f;
constexpr float farScreenDepth = 64.0f;
constexpr float screenDepthSpan = nearScreenDepth - farScreenDepth;  // 32640

bool parallelProjection() {
  const RwCamera* camera = rwRenderState.currentCamera;
  return camera && camera->projection == 2;
}

}  // namespace

void RwResetRenderState() { rwRenderState = {}; }

void RwSetZProjection(const float* range) {
  float nearDepth = range[0];
  float farDepth = range[1];
  if (farDepth - nearDepth < thinnestRange) farDepth = nearDepth + thinnestRange;
  float span = farDepth - nearDepth;
  if (parallelProjection()) {
    rwRenderState.zScale = -screenDepthSpan / span;
    rwRenderState.zOffset = (nearScreenDepth * farDepth - farScreenDepth * nearDepth) / span;
  } else {
    // Linear in 1 / depth: zScale / near + zOffset = 32704, zScale / far + zOffset = 64.
    rwRenderState.zScale = farDepth * nearDepth * screenDepthSpan / span;
    rwRenderState.zOffset = (farScreenDepth * farDepth - nearScreenDepth * nearDepth) / span;
  }
  rwRenderState.bestPickDepth = 0;
}

void RwBeginDepthGroup() { rwRenderState.depthGroup = 1; }
void RwEndDepthGroup() { rwRenderState.depthGroup = 0; }
intptr_t RwIsDepthGroup() { return rwRenderState.depthGroup; }

void RwClearZBufferRects(const RwDamagedRect* list) {
  if (!rwDeviceRecord.clearDepthRect) return;
  for (const RwDamagedRect* node = list; node; node = node->next) {
    const RwRect rect = {node->x, node->y, node->width, node->height};
    rwDeviceRecord.clearDepthRect(&rect);
  }
}
