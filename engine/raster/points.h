// engine/raster/points.h -- point clouds.
//
// Owns: the 8 draw routines of draw pairs 0 and 1 (a polygon's vertices as
// single pixels, in the polygon's colour or in each vertex's own colour, in
// 15/16-bit and 8-bit colour, without and with z-buffer).
// It does not own the colour rules (engine/raster/shading.h) nor the tables.
//
// A polygon of n vertices draws v[0] .. v[n - 2]: its last vertex is not
// drawn. A vertex whose pixel lies outside the viewport is skipped, so a
// point never writes outside the image. The z-buffered routines draw a
// point only when the stored depth is below the vertex's, storing the depth
// first and then the colour.
#ifndef LUMENFOLD_ENGINE_RASTER_POINTS_H
#define LUMENFOLD_ENGINE_RASTER_POINTS_H

struct RwRasterPolygon;

int RwRas16PointsFlat(const RwRasterPolygon* polygon);
int RwRas16PointsFlatZ(const RwRasterPolygon* polygon);
int RwRas16PointsGouraud(const RwRasterPolygon* polygon);
int RwRas16PointsGouraudZ(const RwRasterPolygon* polygon);
int RwRas8PointsFlat(const RwRasterPolygon* polygon);
int RwRas8PointsFlatZ(const RwRasterPolygon* polygon);
int RwRas8PointsGouraud(const RwRasterPolygon* polygon);
int RwRas8PointsGouraudZ(const RwRasterPolygon* polygon);

#endif
