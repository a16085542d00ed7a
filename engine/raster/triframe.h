// engine/raster/triframe.h -- the triangle frame every solid draw routine
// is built on.
//
// Owns: the fan loop that cuts a polygon into triangles, the skip of a
// triangle whose rows hold no pixel, the triangle set-up (top vertex, the
// three shapes, edge slopes, interpolant steps per row and per pixel, the
// two trapezoids) and the row walk shared by the span loops (edges stepped
// before a row is drawn, rows from the floor of the left edge to, not
// including, the floor of the right edge, the ordered dither advanced per
// pixel and per row).
// It does not own what a pixel gets: each family gives a rule (see
// RwTriangleRule below) with its per-vertex values and its span loop.
//
// A rule is a type with:
//   colourChannels        number of 8.8 colour channels (0..3)
//   depthBuffered         whether a 16.16 depth channel follows them
//   begin(polygon)        per-triangle set-up of SpanParams (flat colour,
//                         opacity, shade block)
//   vertex(polygon, v, c) the vertex's channel values into c
//   load(value, row, pix) the interpolants into SpanParams
//   rowSteps(row)         new per-row steps after the knee
//   span(block)           draws block->rows rows
#ifndef LUMENFOLD_ENGINE_RASTER_TRIFRAME_H
#define LUMENFOLD_ENGINE_RASTER_TRIFRAME_H

#include <algorithm>
#include <cstdint>

#include "engine/raster/rasterapi.h"
#include "engine/raster/rastertarget.h"

namespace rwraster {

constexpr int maxChannels = 6;  // textured Gouraud: u, v, three colours, depth

// Steps of every channel from a to b over n rows or columns.
inline void channelSteps(const int32_t* a, const int32_t* b, int32_t n, int channels, int32_t* out) {
  for (int c = 0; c < channels; ++c) out[c] = RwInterpolantStep(a[c], b[c], n);
}

// Per-pixel steps in the general shape, from the row steps along the two
// long edges and the difference of their x slopes.
inline void pixelSteps(const int32_t* stepTS, const int32_t* stepTF, int64_t slopeDifference, int colourChannels,
                       bool depth, int32_t* out) {
  // A 16.16 quotient that saturates as RwFixDiv does (texture coordinates
  // can be large; colour channels never reach the limits).
  for (int c = 0; c < colourChannels; ++c) {
    const int64_t quotient = (int64_t{stepTS[c]} - stepTF[c]) * 65536 / slopeDifference;
    out[c] = static_cast<int32_t>(std::clamp<int64_t>(quotient, INT32_MIN, INT32_MAX));
  }
  if (!depth) return;
  const int c = colourChannels;
  const int64_t difference = int64_t{stepTS[c]} - stepTF[c];
  const int64_t divisor = slopeDifference >> 6;
  out[c] = divisor == 0 ? static_cast<int32_t>(difference)
                        : static_cast<int32_t>(static_cast<uint32_t>(difference / divisor) << 10);
}

// Sets the row state of the block for a triangle whose top row is y.
template <class Rule>
void startRows(int32_t y) {
  RwSpanParams& block = SpanParams;
  block.colourRow = rwRasterTarget.rowTable[y];
  block.colourStride = rwRasterTarget.stride;
  block.ditherRow = rwRasterTarget.ditherRows[y & 7];
  if constexpr (Rule::depthBuffered) {
    block.zRow = rwRasterTarget.zBase + y * rwRasterTarget.zStride;
    block.zStride = rwRasterTarget.zStride;
  }
}

template <class Rule>
void drawTrapezoid(int32_t rows) {
  SpanParams.rows = rows;
  Rule::span(&SpanParams);
}

/*
 * rowsHavePixels --
 *   Steps the edges over `rows` rows as walkRows does and tells whether a
 *   row has a pixel (its left column below its right one). Without one, the
 *   edges are left where the walk leaves them, so that a second trapezoid
 *   can go on from there.
 */
inline bool rowsHavePixels(int32_t* leftX, int32_t leftStep, int32_t* rightX, int32_t rightStep, int32_t rows) {
  for (; rows > 0; --rows) {
    *leftX = RwWrapAdd(*leftX, leftStep);
    *rightX = RwWrapAdd(*rightX, rightStep);
    if ((*leftX >> 16) < (*rightX >> 16)) return true;
  }
  return false;
}

// The row walk of a triangle whose edges both leave the top T downward
// (F on the left, S on the right), the knee included.
inline bool generalHasPixels(const int32_t* x, int t, int f, int s, int32_t dyF, int32_t dyS, int32_t slopeLeft,
                             int32_t slopeRight) {
  int32_t leftEdge = x[t] * 65536, rightEdge = leftEdge;
  if (rowsHavePixels(&leftEdge, slopeLeft, &rightEdge, slopeRight, std::min(dyF, dyS))) return true;
  if (dyF < dyS) {
    leftEdge = x[f] * 65536;
    return rowsHavePixels(&leftEdge, RwEdgeSlope(x[s] - x[f], dyS - dyF), &rightEdge, slopeRight, dyS - dyF);
  }
  if (dyF > dyS) {
    rightEdge = x[s] * 65536;
    return rowsHavePixels(&leftEdge, slopeLeft, &rightEdge, RwEdgeSlope(x[f] - x[s], dyF - dyS), dyF - dyS);
  }
  return false;
}

/*
 * triangle --
 *   Draws triangle (v[0], v[i], v[i + 1]) of the polygon with the rule.
 *   Only triangles that run counter-clockwise on the screen (y downward)
 *   produce pixels; degenerate ones draw nothing. A triangle whose rows all
 *   come out empty (most of a dense mesh seen from afar) is let go before
 *   its interpolants are set up: every span loop draws exactly the rows
 *   that rowsHavePixels finds.
 */
template <class Rule>
void triangle(const RwRasterPolygon* polygon, intptr_t i) {
  constexpr int channels = Rule::colourChannels + (Rule::depthBuffered ? 1 : 0);
  const RwRasterVertex* v[3] = {polygon->vertices[0], polygon->vertices[i], polygon->vertices[i + 1]};
  int32_t x[3], y[3];
  for (int k = 0; k < 3; ++k) {
    x[k] = RwScreenPixel(v[k]->screenX);
    y[k] = RwScreenPixel(v[k]->screenY);
  }
  // On equal rows P is taken before Q and R, and R before Q.
  const int t = (y[1] < y[0] && y[1] < y[2]) ? 1 : (y[2] < y[0] ? 2 : 0);
  const int f = (t + 1) % 3;
  const int s = (t + 2) % 3;
  const int32_t dyF = y[f] - y[t];
  const int32_t dyS = y[s] - y[t];

  int32_t value[3][maxChannels] = {};
  int32_t rowStep[maxChannels] = {};
  int32_t pixelStep[maxChannels] = {};
  RwSpanParams& block = SpanParams;

  if (dyF == 0 || dyS == 0) {  // a flat top row: F then T, or T then S, from left to right
    const int left = dyF == 0 ? f : t;
    const int right = dyF == 0 ? t : s;
    const int bottom = dyF == 0 ? s : f;
    const int32_t rows = y[bottom] - y[t];
    if (x[right] - x[left] < 1 || rows < 1) return;
    int32_t leftEdge = x[left] * 65536, rightEdge = x[right] * 65536;
    if (!rowsHavePixels(&leftEdge, RwEdgeSlope(x[bottom] - x[left], rows), &rightEdge,
                        RwEdgeSlope(x[bottom] - x[right], rows), rows))
      return;
    for (int k : {t, f, s}) Rule::vertex(polygon, v[k], value[k]);
    Rule::begin(polygon);
    startRows<Rule>(y[t]);
    block.leftX = x[left] * 65536;
    block.leftStep = RwEdgeSlope(x[bottom] - x[left], rows);
    block.rightX = x[right] * 65536;
    block.rightStep = RwEdgeSlope(x[bottom] - x[right], rows);
    channelSteps(value[left], value[bottom], rows, channels, rowStep);
    channelSteps(value[left], value[right], x[right] - x[left], channels, pixelStep);
    Rule::load(value[left], rowStep, pixelStep);
    drawTrapezoid<Rule>(rows);
    return;
  }
  // General: both edges leave T downward; the right one must lie strictly right.
  const int32_t slopeLeft = RwEdgeSlope(x[f] - x[t], dyF);
  const int32_t slopeRight = RwEdgeSlope(x[s] - x[t], dyS);
  const int64_t slopeDifference = int64_t{slopeRight} - slopeLeft;
  if (slopeDifference < 1) return;
  if (!generalHasPixels(x, t, f, s, dyF, dyS, slopeLeft, slopeRight)) return;
  for (int k : {t, f, s}) Rule::vertex(polygon, v[k], value[k]);
  Rule::begin(polygon);
  startRows<Rule>(y[t]);
  block.leftX = block.rightX = x[t] * 65536;
  block.leftStep = slopeLeft;
  block.rightStep = slopeRight;
  int32_t stepTS[maxChannels] = {};
  channelSteps(value[t], value[f], dyF, channels, rowStep);
  channelSteps(value[t], value[s], dyS, channels, stepTS);
  pixelSteps(stepTS, rowStep, slopeDifference, Rule::colourChannels, Rule::depthBuffered, pixelStep);
  Rule::load(value[t], rowStep, pixelStep);
  drawTrapezoid<Rule>(std::min(dyF, dyS));
  if (dyF < dyS) {  // knee on the left: the left edge restarts exactly at F
    block.leftX = x[f] * 65536;
    block.leftStep = RwEdgeSlope(x[s] - x[f], dyS - dyF);
    channelSteps(value[f], value[s], dyS - dyF, channels, rowStep);
    Rule::rowSteps(rowStep);
    drawTrapezoid<Rule>(dyS - dyF);
  } else if (dyF > dyS) {  // knee on the right: the right edge restarts exactly at S
    block.rightX = x[s] * 65536;
    block.rightStep = RwEdgeSlope(x[f] - x[s], dyF - dyS);
    drawTrapezoid<Rule>(dyF - dyS);
  }
}

// The fan loop: triangles (0, i, i + 1) for i = n - 2 down to 1. A polygon
// of fewer than 3 vertices has no triangle and draws nothing.
template <RwTriangleRoutine drawTriangle>
int fan(const RwRasterPolygon* polygon) {
  const intptr_t count = polygon->vertexCount;
  for (intptr_t i = count - 2; i >= 1; --i) drawTriangle(polygon, i);
  return 0;
}

/*
 * walkRows --
 *   The row walk of every span loop: per row the edges and the left-edge
 *   interpolants take one step, then `row(block, xl, xr, d)` draws pixels
 *   xl .. xr - 1 with d the dither word of pixel xl; then the row addresses
 *   and the dither row word advance.
 */
template <bool depthBuffered, class Row>
inline void walkRows(RwSpanParams* block, int interpolants, Row row) {
  const uint32_t* columns = rwRasterTarget.ditherColumns;
  for (; block->rows > 0; --block->rows) {
    block->leftX = RwWrapAdd(block->leftX, block->leftStep);
    block->rightX = RwWrapAdd(block->rightX, block->rightStep);
    if (interpolants & 1) block->first.value = RwWrapAdd(block->first.value, block->first.rowStep);
    if (interpolants & 2) block->second.value = RwWrapAdd(block->second.value, block->second.rowStep);
    if (interpolants & 4) block->third.value = RwWrapAdd(block->third.value, block->third.rowStep);
    if (interpolants & 16) {
      block->third.value = static_cast<int32_t>(static_cast<uint32_t>(RwWrapAdd(block->third.value, block->third.rowStep)) &
                                                0x7FFF7FFFu);
    }
    if (interpolants & 8) block->depth.value = RwWrapAdd(block->depth.value, block->depth.rowStep);
    const int32_t xl = block->leftX >> 16;
    const int32_t xr = block->rightX >> 16;
    if (xl < xr) row(block, xl, xr, columns[xl & 7] ^ (block->ditherRow & 255));
    block->colourRow += block->colourStride;
    if constexpr (depthBuffered) block->zRow += block->zStride;
    block->ditherRow ^= block->ditherRow >> 6;
  }
}

// Interpolant bits for walkRows.
constexpr int stepFirst = 1;
constexpr int stepSecond = 2;
constexpr int stepThird = 4;        // a plain 32-bit sum
constexpr int stepDepth = 8;
constexpr int stepThirdMasked = 16;  // packed texture coordinates, guard bits cleared

// A step kept in 16 bits, sign-extended.
inline int32_t low16Step(int32_t step) { return static_cast<int16_t>(step); }
// Two 8.8 values in one word (high in the upper half, low sign-extended) so
// that one addition steps both.
inline int32_t packedHalves(int32_t high, int32_t low) {
  return RwWrapAdd(static_cast<int32_t>(static_cast<uint32_t>(high) << 16), low16Step(low));
}

}  // namespace rwraster

#endif
