// engine/raster/points.cpp -- point clouds.
#include "engine/raster/points.h"

#include <type_traits>

#include "engine/raster/rasterapi.h"
#include "engine/raster/shading.h"

namespace {

using namespace rwraster;

template <bool sixteen>
using Pixel = std::conditional_t<sixteen, uint16_t, uint8_t>;

template <bool sixteen>
Pixel<sixteen> colourOf(uintptr_t colour, const int32_t* intensity) {
  if constexpr (sixteen) {
    return shade16(colour, intensity);
  } else {
    return shade8(colour, intensity[0]);
  }
}

bool insideViewport(int32_t x, int32_t y) {
  return x >= 0 && y >= 0 && x < (rwRasterTarget.viewportWidth >> 16) && y < (rwRasterTarget.viewportHeight >> 16);
}

template <bool sixteen, bool vertexColour, bool depthBuffered>
int drawPoints(const RwRasterPolygon* polygon) {
  const intptr_t count = polygon->vertexCount;
  const uintptr_t colour = polygon->colour;
  const Pixel<sixteen> polygonColour = colourOf<sixteen>(colour, polygon->intensity);
  for (intptr_t k = 0; k + 1 < count; ++k) {
    const RwRasterVertex* vertex = polygon->vertices[k];
    const int32_t x = RwScreenPixel(vertex->screenX);
    const int32_t y = RwScreenPixel(vertex->screenY);
    if (!insideViewport(x, y)) continue;
    if constexpr (depthBuffered) {
      auto* z = reinterpret_cast<uint16_t*>(rwRasterTarget.zBase + y * rwRasterTarget.zStride) + x;
      const auto depth = static_cast<uint16_t>(vertex->depth);
      if (*z >= depth) continue;
      *z = depth;
    }
    auto* pixel = reinterpret_cast<Pixel<sixteen>*>(rwRasterTarget.rowTable[y]) + x;
    *pixel = vertexColour ? colourOf<sixteen>(colour, vertex->intensity) : polygonColour;
  }
  return 0;
}

}  // namespace

int RwRas16PointsFlat(const RwRasterPolygon* polygon) { return drawPoints<true, false, false>(polygon); }
int RwRas16PointsFlatZ(const RwRasterPolygon* polygon) { return drawPoints<true, false, true>(polygon); }
int RwRas16PointsGouraud(const RwRasterPolygon* polygon) { return drawPoints<true, true, false>(polygon); }
int RwRas16PointsGouraudZ(const RwRasterPolygon* polygon) { return drawPoints<true, true, true>(polygon); }
int RwRas8PointsFlat(const RwRasterPolygon* polygon) { return drawPoints<false, false, false>(polygon); }
int RwRas8PointsFlatZ(const RwRasterPolygon* polygon) { return drawPoints<false, false, true>(polygon); }
int RwRas8PointsGouraud(const RwRasterPolygon* polygon) { return drawPoints<false, true, false>(polygon); }
int RwRas8PointsGouraudZ(const RwRasterPolygon* polygon) { return drawPoints<false, true, true>(polygon); }
