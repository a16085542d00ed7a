// engine/rasterfeed.cpp -- the description of a polygon that the
// rasterisers draw from.
#include "engine/rasterfeed.h"

#include "engine/material.h"
#include "engine/polygon.h"
#include "engine/texture.h"

void RwDescribeVertex(const RwVertex* vertex, RwRasterVertex* out) {
  out->screenX = vertex->screenX;
  out->screenY = vertex->screenY;
  out->depth = vertex->depth;
  out->cameraDepth = vertex->cameraDepth;
  out->u = vertex->u;
  out->v = vertex->v;
  for (int c = 0; c < 3; ++c) out->intensity[c] = vertex->intensity[c];
  out->flags = vertex->flags;
}

void RwDescribePolygon(const RwPolygon* polygon, RwRasterVertex* vertices, RwRasterPolygon* out) {
  const RwMaterial* material = polygon->material;
  const uint32_t count = polygon->vertexCount;
  for (uint32_t k = 0; k < count; ++k) RwDescribeVertex(polygon->vertices[k], &vertices[k]);
  out->vertexCount = count;
  out->vertices = vertices;
  for (int c = 0; c < 3; ++c) out->intensity[c] = polygon->intensity[c];
  out->colour = material->colour;
  out->opacity = material->opacity;
  out->textureModes = material->textureModes;
  out->texels = material->texture ? material->texture->texels : nullptr;
}

RwDescribedPolygon::RwDescribedPolygon(const RwPolygon* polygon) {
  RwRasterVertex* vertices = inline_;
  if (polygon->vertexCount > inlineVertices) {
    heap_ = std::make_unique<RwRasterVertex[]>(polygon->vertexCount);
    vertices = heap_.get();
  }
  RwDescribePolygon(polygon, vertices, &polygon_);
}
