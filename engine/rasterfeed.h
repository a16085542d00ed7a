// engine/rasterfeed.h -- the description of a polygon that the rasterisers
// draw from.
//
// Owns: filling the narrow description of engine/raster/rasterapi.h from a
// polygon, its material and the material's texture, and the software
// devices' draw entries, each of which describes the polygon and hands the
// description to one draw routine.
// It does not own the records it reads (engine/polygon.h,
// engine/material.h, engine/texture.h) nor the draw routines
// (engine/raster/).
//
// Nothing is copied per vertex: an engine vertex begins with the
// rasterisers' vertex, and the description lists the polygon's own vertex
// addresses. Everything here is inline because it runs for every polygon
// drawn.
#ifndef LUMENFOLD_ENGINE_RASTERFEED_H
#define LUMENFOLD_ENGINE_RASTERFEED_H

#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/raster/rasterapi.h"
#include "engine/texture.h"

/*
 * RwDescribePolygon --
 *   The description of a polygon: its vertices in drawing order, its facet
 *   lighting, and its material's colour, opacity, texture modes and the
 *   texel frame in force (null without a texture). It lists the polygon's
 *   vertices, so it lasts as long as the polygon is left alone.
 */
inline RwRasterPolygon RwDescribePolygon(const RwPolygon* polygon) {
  const RwMaterial* material = polygon->material;
  RwRasterPolygon described;
  described.vertexCount = polygon->vertexCount;
  described.vertices = reinterpret_cast<const RwRasterVertexAddress*>(polygon->vertices);
  for (int c = 0; c < 3; ++c) described.intensity[c] = polygon->intensity[c];
  described.colour = material->colour;
  described.opacity = material->opacity;
  described.textureModes = material->textureModes;
  described.texels = material->texture ? material->texture->texels : nullptr;
  return described;
}

// The draw entry of a software device for a draw routine.
template <RwRasterEntry draw>
int RwRasterise(RwPolygon* polygon) {
  const RwRasterPolygon described = RwDescribePolygon(polygon);
  return draw(&described);
}

#endif
