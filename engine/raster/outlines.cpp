// engine/raster/outlines.cpp -- wireframe outlines (see outlines.h).
#include "engine/raster/outlines.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>
#include <utility>

#include "engine/raster/rasterapi.h"
#include "engine/raster/shading.h"

namespace {

using namespace rwraster;

constexpr uint8_t clipBits = 0xFC;

template <bool sixteen>
using Pixel = std::conditional_t<sixteen, uint16_t, uint8_t>;

// A segment end: 16.16 position with the fraction dropped, 16.16 depth.
struct End {
  int32_t x, y;
  int64_t z;
};

End endOf(const RwRasterVertex* v) {
  return {static_cast<int32_t>(static_cast<uint32_t>(v->screenX) & 0xFFFF0000u),
          static_cast<int32_t>(static_cast<uint32_t>(v->screenY) & 0xFFFF0000u),
          int64_t{v->depth & 0xFFFF} << 16};
}

template <bool sixteen, bool depthBuffered>
void plot(int32_t x, int32_t y, int64_t z, Pixel<sixteen> colour) {
  if (x < 0 || y < 0 || x >= (rwRasterTarget.viewportWidth >> 16) || y >= (rwRasterTarget.viewportHeight >> 16)) return;
  if constexpr (depthBuffered) {
    auto* stored = reinterpret_cast<uint16_t*>(rwRasterTarget.zBase + y * rwRasterTarget.zStride) + x;
    const auto depth = static_cast<uint16_t>(z >> 16);
    if (*stored > depth) return;
    *stored = depth;
  }
  reinterpret_cast<Pixel<sixteen>*>(rwRasterTarget.rowTable[y])[x] = colour;
}

/*
 * segment --
 *   Plots the segment from p to q but not q itself, walked from its left
 *   end. An end on the right edge W is pulled one unit in when the segment
 *   is steep, an end on the bottom edge H when it is flat (the top end when
 *   it is the one on the edge); a segment lying along either edge draws
 *   nothing.
 */
template <bool sixteen, bool depthBuffered>
void segment(End p, End q, Pixel<sixteen> colour) {
  if (q.x < p.x) std::swap(p, q);
  const int32_t width = rwRasterTarget.viewportWidth;
  const int32_t height = rwRasterTarget.viewportHeight;
  if (q.x == width) {
    if (p.x == width) return;
    if (int64_t{q.x} - p.x < std::llabs(int64_t{q.y} - p.y)) q.x -= 1;
  }
  if (p.y == height || q.y == height) {
    if (p.y == q.y) return;
    if (p.y == height) {
      p.y -= 1;
    } else if (int64_t{q.y} - p.y < int64_t{q.x} - p.x) {
      q.y -= 1;
    }
  }
  const int64_t dx = int64_t{q.x} - p.x, dy = int64_t{q.y} - p.y, dz = q.z - p.z;
  const int32_t wholeDx = static_cast<int16_t>(dx >> 16);
  const int32_t wholeDy = static_cast<int16_t>(dy >> 16);
  const int32_t steps = std::max(wholeDx, std::abs(wholeDy));
  if (steps <= 0) {
    plot<sixteen, depthBuffered>(p.x >> 16, p.y >> 16, p.z, colour);
    return;
  }
  const int64_t xStep = dx / steps, yStep = dy / steps, zStep = dz / steps;
  int64_t x = p.x, y = p.y, z = p.z;
  for (int32_t k = 0; k < steps; ++k, x += xStep, y += yStep, z += zStep) {
    plot<sixteen, depthBuffered>(static_cast<int32_t>(x >> 16), static_cast<int32_t>(y >> 16), z, colour);
  }
}

template <bool sixteen>
Pixel<sixteen> colourOf(uintptr_t colour, const int32_t* intensity) {
  if constexpr (sixteen) {
    return shade16(colour, intensity);
  } else {
    return shade8(colour, intensity[0]);
  }
}

template <bool sixteen, bool firstVertexColour, bool depthBuffered>
int drawOutline(const RwRasterPolygon* polygon) {
  const intptr_t count = polygon->vertexCount;
  if (count < 1) return 0;
  const int32_t* intensity = firstVertexColour ? polygon->vertices[0]->intensity : polygon->intensity;
  const Pixel<sixteen> colour = colourOf<sixteen>(polygon->colour, intensity);
  const RwRasterVertex* previous = polygon->vertices[count - 1];
  for (intptr_t k = 0; k < count; ++k) {
    const RwRasterVertex* vertex = polygon->vertices[k];
    if ((previous->flags & vertex->flags & clipBits) == 0) {
      segment<sixteen, depthBuffered>(endOf(previous), endOf(vertex), colour);
    }
    previous = vertex;
  }
  return 0;
}

}  // namespace

int RwRas16OutlineFlat(const RwRasterPolygon* polygon) { return drawOutline<true, false, false>(polygon); }
int RwRas16OutlineFlatZ(const RwRasterPolygon* polygon) { return drawOutline<true, false, true>(polygon); }
int RwRas16OutlineGouraud(const RwRasterPolygon* polygon) { return drawOutline<true, true, false>(polygon); }
int RwRas16OutlineGouraudZ(const RwRasterPolygon* polygon) { return drawOutline<true, true, true>(polygon); }
int RwRas8OutlineFlat(const RwRasterPolygon* polygon) { return drawOutline<false, false, false>(polygon); }
int RwRas8OutlineFlatZ(const RwRasterPolygon* polygon) { return drawOutline<false, false, true>(polygon); }
int RwRas8OutlineGouraud(const RwRasterPolygon* polygon) { return drawOutline<false, true, false>(polygon); }
int RwRas8OutlineGouraudZ(const RwRasterPolygon* polygon) { return drawOutline<false, true, true>(polygon); }
