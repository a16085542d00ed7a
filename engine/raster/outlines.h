// engine/raster/outlines.h -- wireframe outlines.
//
// Owns: the 8 draw routines of draw pairs 2 and 3 (the closed outline of a
// polygon in the polygon's colour, or in its first vertex's colour, in
// 15/16-bit and 8-bit colour, without and with z-buffer) and the segment
// walk they share.
// It does not own the colour rules (engine/raster/shading.h), the tables,
// nor the point clouds of pairs 0 and 1 (engine/raster/points.h).
//
// The edges run v[n - 1] to v[0], then v[k - 1] to v[k]; an edge whose two
// vertices lie outside the same clip plane (the clip bits 2..7 of the
// vertex flags) is skipped. A segment is walked from its left end (the
// ends' fractions dropped) in max(|dx|, |dy|) equal 16.16 steps; its right
// end is not plotted, and a segment of no length plots its one pixel.
// Segments on the viewport's right or bottom edge are pulled inside it
// (or, lying along it, dropped) so that the raster's last column and row
// are reached but never passed; a pixel outside the viewport is never
// written. The z-buffered routines plot where the stored depth is at most
// the segment's, storing the depth and then the colour. The vertex-colour
// routines colour the whole outline by the first vertex's intensities (at 8
// bits its red one) and leave the polygon record as it is.
#ifndef LUMENFOLD_ENGINE_RASTER_OUTLINES_H
#define LUMENFOLD_ENGINE_RASTER_OUTLINES_H

struct RwRasterPolygon;

int RwRas16OutlineFlat(const RwRasterPolygon* polygon);
int RwRas16OutlineFlatZ(const RwRasterPolygon* polygon);
int RwRas16OutlineGouraud(const RwRasterPolygon* polygon);
int RwRas16OutlineGouraudZ(const RwRasterPolygon* polygon);
int RwRas8OutlineFlat(const RwRasterPolygon* polygon);
int RwRas8OutlineFlatZ(const RwRasterPolygon* polygon);
int RwRas8OutlineGouraud(const RwRasterPolygon* polygon);
int RwRas8OutlineGouraudZ(const RwRasterPolygon* polygon);

#endif
