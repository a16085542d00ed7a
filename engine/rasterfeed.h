// engine/rasterfeed.h -- the description of a polygon that the rasterisers
// draw from.
//
// Owns: filling the narrow description of engine/raster/rasterapi.h from a
// polygon, its vertices, its material and the material's texture, and the
// software devices' draw entries, each of which describes the polygon and
// hands the description to one draw routine.
// It does not own the records it reads (engine/polygon.h,
// engine/material.h, engine/texture.h) nor the draw routines
// (engine/raster/).
#ifndef LUMENFOLD_ENGINE_RASTERFEED_H
#define LUMENFOLD_ENGINE_RASTERFEED_H

#include <cstdint>
#include <memory>

#include "engine/raster/rasterapi.h"

struct RwPolygon;
struct RwVertex;

// One vertex of the description from the engine's vertex.
void RwDescribeVertex(const RwVertex* vertex, RwRasterVertex* out);

// The description of a polygon whose vertices go to `vertices` (room for
// the polygon's vertex count): the vertices in drawing order, the facet
// lighting, and the material's colour, opacity, texture modes and the
// texel frame in force (null without a texture).
void RwDescribePolygon(const RwPolygon* polygon, RwRasterVertex* vertices, RwRasterPolygon* out);

// A polygon described for one draw: the vertices of small polygons live in
// the record, larger ones on the heap.
class RwDescribedPolygon {
 public:
  explicit RwDescribedPolygon(const RwPolygon* polygon);
  // The description points into the record: it stays where it was made.
  RwDescribedPolygon(const RwDescribedPolygon&) = delete;
  RwDescribedPolygon& operator=(const RwDescribedPolygon&) = delete;
  const RwRasterPolygon* get() const { return &polygon_; }

 private:
  static constexpr uint32_t inlineVertices = 16;
  RwRasterPolygon polygon_;
  RwRasterVertex inline_[inlineVertices];
  std::unique_ptr<RwRasterVertex[]> heap_;
};

// The draw entry of a software device for a draw routine.
template <RwRasterEntry draw>
int RwRasterise(RwPolygon* polygon) {
  const RwDescribedPolygon described(polygon);
  return draw(described.get());
}

#endif
