// engine/raster/spanfamily.cpp -- the perspective span families (see
// spanfamily.h).
#include "engine/raster/spanfamily.h"

#include "engine/raster/perspective.h"
#include "engine/raster/perspstep.h"

namespace {

using namespace rwraster;

// A family: its pixel width, lighting, z-buffer and filter, and whether its
// perspective leftward variants seed the dither from the reverse columns.
template <class PixelType, Light lightKind, bool zBuffer, bool filtered, bool reverseColumns = false>
struct Family {
  using Pixel = PixelType;
  static constexpr Light light = lightKind;
  static constexpr bool depthBuffered = zBuffer;
  static constexpr bool filter = filtered;
  static constexpr bool gouraud = lightKind == Light::gouraud;
  static constexpr bool dithered = filtered || gouraud;
  static constexpr bool reverseColumnsInPerspective = reverseColumns;
};

// Where a span's coordinates start and how they step: the perspective
// state, or (affine variants) the start and a constant step.
struct SpanStart {
  PerspectiveState perspective;
  uint32_t u, v, du, dv;
};

/*
 * variant --
 *   Pixels a .. b - 1 of the current row, walked leftward when reverse.
 *   Perspective coordinates step before every pixel, the first included;
 *   affine ones after it, so that a row seen head-on samples its start end
 *   first, as the affine routines do. Then the depth steps; then the texel,
 *   the depth test and the write. The dither word
 *   and the light advance after every pixel, drawn or not.
 */
template <class F, bool reverse, bool vDown, bool uDown, bool affine>
void variant(RwSpanParams* block, int32_t a, int32_t b, SpanStart start) {
  using Pixel = typename F::Pixel;
  Pixel* colour = reinterpret_cast<Pixel*>(block->colourRow);
  uint16_t* depth = reinterpret_cast<uint16_t*>(block->zRow);
  const uint8_t* texels = block->texels;
  const uint32_t zStep = static_cast<uint32_t>(block->depth.pixelStep);
  uint32_t zAcc = static_cast<uint32_t>(block->depth.value) - zStep;
  const int32_t lightStep = block->first.pixelStep;
  Running at = {0, block->first.value, 0};
  uint32_t d = 0;
  if constexpr (F::dithered) {
    constexpr bool reverseColumns = F::reverseColumnsInPerspective && reverse && !affine;
    const uint32_t* columns = reverseColumns ? rwRasterTarget.perspDitherColumns : rwRasterTarget.ditherColumns;
    d = columns[(reverse ? b : a) & 7] ^ (block->ditherRow & 0xFF);
  }
  PerspectiveState steps = start.perspective;
  uint32_t u = start.u, v = start.v;
  constexpr int32_t dx = reverse ? -1 : 1;
  for (int32_t x = reverse ? b - 1 : a, n = b - a; n > 0; --n, x += dx) {
    if constexpr (affine) {
      u = start.u;
      v = start.v;
      start.u += start.du;
      start.v += start.dv;
    } else {
      steps.next<uDown, vDown>();
      u = steps.u;
      v = steps.v;
    }
    if constexpr (F::depthBuffered) zAcc += zStep;
    const uint32_t dither = d & 0xFF;
    uint32_t t;
    if constexpr (F::filter) {
      t = unsignedJitterTexel<Pixel, affine && !F::depthBuffered>(texels, u, v, dither);
    } else {
      t = plainTexel<Pixel>(texels, u, v);
    }
    if (t != 0) {
      const auto z = static_cast<uint16_t>(zAcc >> 16);
      if (!F::depthBuffered || depth[x] <= z) {
        if constexpr (F::depthBuffered) depth[x] = z;
        colour[x] = shadeTexel<F::light, Pixel>(block, t, at, dither);
      }
    }
    if constexpr (F::dithered) d ^= d >> 6;
    if constexpr (F::gouraud) at.first = RwWrapAdd(at.first, lightStep);
  }
}

using Variant = void (*)(RwSpanParams*, int32_t, int32_t, SpanStart);

// SpanVariantTable: perspective by (leftward, v falls, u falls), then
// affine rightward and leftward.
template <class F>
constexpr Variant spanVariants[10] = {
    variant<F, false, false, false, false>, variant<F, true, false, false, false>,
    variant<F, false, true, false, false>,  variant<F, true, true, false, false>,
    variant<F, false, false, true, false>,  variant<F, true, false, true, false>,
    variant<F, false, true, true, false>,   variant<F, true, true, true, false>,
    variant<F, false, false, false, true>,  variant<F, true, false, false, true>,
};

// A start weight above the end weight by this much (128.0) earns the
// perspective walk.
constexpr int64_t perspectiveThreshold = 0x800000;

/*
 * familyRows --
 *   The scan-line loop: per row the start-edge light and depth, both
 *   edges' u and v, and the edges in x step once; a row with pixels picks
 *   its variant and is drawn; then the raster rows and the dither row word
 *   move to the next row.
 */
template <class F>
void familyRows(RwSpanParams* block) {
  RwPerspectiveParams& persp = PerspectiveParams;
  const bool reverse = persp.direction != 0;
  while (--block->rows >= 0) {
    if constexpr (F::gouraud) block->first.value = RwWrapAdd(block->first.value, block->first.rowStep);
    if constexpr (F::depthBuffered) block->depth.value = RwWrapAdd(block->depth.value, block->depth.rowStep);
    advanceEdge(persp.right);
    advanceEdge(persp.left);
    block->rightX = RwWrapAdd(block->rightX, block->rightStep);
    block->leftX = RwWrapAdd(block->leftX, block->leftStep);
    const int32_t a = block->leftX >> 16;
    const int32_t b = block->rightX >> 16;
    if (a < b) {
      const RwPerspectiveEdge& from = reverse ? persp.right : persp.left;
      const RwPerspectiveEdge& to = reverse ? persp.left : persp.right;
      const int32_t n = b - a;
      SpanStart start{};
      int index;
      if (int64_t{from.w} - to.w >= perspectiveThreshold) {
        start.perspective = PerspectiveState(PerspectiveSteps({from.w, from.u, from.v, to.w, to.u, to.v}, n));
        index = (reverse ? 1 : 0) + (start.perspective.vDecreasing ? 2 : 0) + (start.perspective.uDecreasing ? 4 : 0);
      } else {
        start.u = static_cast<uint32_t>(from.u) << 16;
        start.v = static_cast<uint32_t>(from.v) << 16;
        start.du = linearStep(from.u, to.u, n);
        start.dv = linearStep(from.v, to.v, n);
        index = 8 + (reverse ? 1 : 0);
      }
      spanVariants<F>[index](block, a, b, start);
    }
    block->colourRow += block->colourStride;
    if constexpr (F::depthBuffered) block->zRow += block->zStride;
    if constexpr (F::dithered) block->ditherRow ^= block->ditherRow >> 6;
  }
}

}  // namespace

void RwRas16SpanUnlitPerspOpaque(RwSpanParams* b) { familyRows<Family<uint16_t, Light::unlit, false, false>>(b); }
void RwRas16SpanUnlitPerspFilterOpaque(RwSpanParams* b) {
  familyRows<Family<uint16_t, Light::unlit, false, true>>(b);
}
void RwRas16SpanUnlitPerspFilterOpaqueZ(RwSpanParams* b) {
  familyRows<Family<uint16_t, Light::unlit, true, true>>(b);
}
void RwRas8SpanUnlitPerspOpaque(RwSpanParams* b) { familyRows<Family<uint8_t, Light::unlit, false, false>>(b); }
void RwRas8SpanFlatPerspOpaque(RwSpanParams* b) { familyRows<Family<uint8_t, Light::flat, false, false>>(b); }
void RwRas8SpanUnlitPerspOpaqueZ(RwSpanParams* b) { familyRows<Family<uint8_t, Light::unlit, true, false>>(b); }
void RwRas8SpanFlatPerspOpaqueZ(RwSpanParams* b) { familyRows<Family<uint8_t, Light::flat, true, false>>(b); }
void RwRas8SpanUnlitPerspFilterOpaque(RwSpanParams* b) { familyRows<Family<uint8_t, Light::unlit, false, true>>(b); }
void RwRas8SpanFlatPerspFilterOpaque(RwSpanParams* b) { familyRows<Family<uint8_t, Light::flat, false, true>>(b); }
void RwRas8SpanUnlitPerspFilterOpaqueZ(RwSpanParams* b) { familyRows<Family<uint8_t, Light::unlit, true, true>>(b); }
void RwRas8SpanFlatPerspFilterOpaqueZ(RwSpanParams* b) { familyRows<Family<uint8_t, Light::flat, true, true>>(b); }
void RwRas8SpanGouraudPerspOpaque(RwSpanParams* b) { familyRows<Family<uint8_t, Light::gouraud, false, false>>(b); }
void RwRas8SpanGouraudPerspOpaqueZ(RwSpanParams* b) {
  familyRows<Family<uint8_t, Light::gouraud, true, false, true>>(b);
}
