// engine/raster/spanfamily.h -- the perspective span families: the tuned
// row loops that thirteen perspective triangle routines hand their
// trapezoids to.
//
// Owns: one entry per family, its scan-line loop (edges, u and v at both
// ends of a row by four divisions, the choice of walk per row) and its ten
// span variants (eight perspective ones by walking direction and the senses
// of u and v, two affine ones by walking direction), and what each family
// does with a pixel.
// It does not own the triangle set-up (engine/raster/perspective.h), nor
// the stepping along a span it shares with the plain row loop
// (engine/raster/perspstep.h).
//
// An entry draws SpanParams.rows rows of the trapezoid that SpanParams and
// PerspectiveParams describe (the argument is not read: the blocks are
// program-wide) and leaves every stepped field at the last row drawn,
// rows at -1, and the raster rows and the dither row word at the next row.
// A row is walked in perspective when its start weight exceeds its end
// weight by 128.0 or more, else affinely. A perspective row's first pixel
// shows the coordinates one step past the start end; an affine row's the
// start end itself, as the affine routines draw a row seen head-on.
// Per pixel: z families draw where the stored depth is at most the pixel's;
// texel 0 writes nothing. Filtered families move the texel by the dither
// byte b (v) and b XOR 0xAA (u), upwards, in 1/512 texel, wrapping; the
// affine variants of the filtered families without z-buffer swap the two.
// The Gouraud families round the level by b. The dither word of a span
// starts from the column word of its first pixel (the exclusive right end
// when walking leftward), from the forward column table except in the
// perspective leftward variants of the z-buffered 8-bit Gouraud family.
#ifndef LUMENFOLD_ENGINE_RASTER_SPANFAMILY_H
#define LUMENFOLD_ENGINE_RASTER_SPANFAMILY_H

#include "engine/raster/rastertarget.h"

void RwRas16SpanUnlitPerspOpaque(RwSpanParams* block);
void RwRas16SpanUnlitPerspFilterOpaque(RwSpanParams* block);
void RwRas16SpanUnlitPerspFilterOpaqueZ(RwSpanParams* block);
void RwRas8SpanUnlitPerspOpaque(RwSpanParams* block);
void RwRas8SpanFlatPerspOpaque(RwSpanParams* block);
void RwRas8SpanUnlitPerspOpaqueZ(RwSpanParams* block);
void RwRas8SpanFlatPerspOpaqueZ(RwSpanParams* block);
void RwRas8SpanUnlitPerspFilterOpaque(RwSpanParams* block);
void RwRas8SpanFlatPerspFilterOpaque(RwSpanParams* block);
void RwRas8SpanUnlitPerspFilterOpaqueZ(RwSpanParams* block);
void RwRas8SpanFlatPerspFilterOpaqueZ(RwSpanParams* block);
void RwRas8SpanGouraudPerspOpaque(RwSpanParams* block);
void RwRas8SpanGouraudPerspOpaqueZ(RwSpanParams* block);

#endif
