// engine/raster/triframe.h -- the triangle frame every solid draw routine
// is built on.
//
// Owns: the fan loop that cuts a polygon into triangles; the skeleton that
// every triangle set-up shares, the perspective one included (top corner,
// the three shapes, the skip of a triangle whose rows hold no pixel, edge
// slopes, the two trapezoids; see drawTriangle); the set-up that steps
// channels linearly (per row and per pixel); and the row walk shared by the
// linear span loops (edges stepped before a row is drawn, rows from the
// floor of the left edge to, not including, the floor of the right edge,
// the ordered dither advanced per pixel and per row).
// It does not own what a pixel gets: each linear family gives a rule (see
// below) with its per-vertex values and its span loop; the perspective
// set-up is engine/raster/perspective.cpp's.
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
template <bool depthBuffered>
void startRows(int32_t y) {
  RwSpanParams& block = SpanParams;
  block.colourRow = rwRasterTarget.rowTable[y];
  block.colourStride = rwRasterTarget.stride;
  block.ditherRow = rwRasterTarget.ditherRows[y & 7];
  if constexpr (depthBuffered) {
    block.zRow = rwRasterTarget.zBase + y * rwRasterTarget.zStride;
    block.zStride = rwRasterTarget.zStride;
  }
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

// ---- the skeleton every triangle set-up shares

/*
 * TriangleCorners --
 *   Triangle (v[0], v[i], v[i + 1]) of a polygon in whole pixels, with its
 *   top corner T and the two that follow it in fan order, F and S. On equal
 *   rows P is taken before Q and R, and R before Q. For a triangle that
 *   runs counter-clockwise on the screen (y downward), F lies on the left
 *   edge and S on the right.
 */
struct TriangleCorners {
  const RwRasterVertex* v[3];
  int32_t x[3], y[3];
  int t, f, s;
  int32_t dyF, dyS;  // rows from T down to F and down to S
};

inline TriangleCorners cornersOf(const RwRasterPolygon* polygon, intptr_t i) {
  TriangleCorners c;
  c.v[0] = polygon->vertices[0];
  c.v[1] = polygon->vertices[i];
  c.v[2] = polygon->vertices[i + 1];
  for (int k = 0; k < 3; ++k) {
    c.x[k] = RwScreenPixel(c.v[k]->screenX);
    c.y[k] = RwScreenPixel(c.v[k]->screenY);
  }
  c.t = (c.y[1] < c.y[0] && c.y[1] < c.y[2]) ? 1 : (c.y[2] < c.y[0] ? 2 : 0);
  c.f = c.t == 2 ? 0 : c.t + 1;
  c.s = c.t == 0 ? 2 : c.t - 1;
  c.dyF = c.y[c.f] - c.y[c.t];
  c.dyS = c.y[c.s] - c.y[c.t];
  return c;
}

// The row walk of a triangle whose edges both leave the top T downward
// (F on the left, S on the right), the knee included.
inline bool generalHasPixels(const TriangleCorners& c, int32_t slopeLeft, int32_t slopeRight) {
  const int32_t* x = c.x;
  int32_t leftEdge = x[c.t] * 65536, rightEdge = leftEdge;
  if (rowsHavePixels(&leftEdge, slopeLeft, &rightEdge, slopeRight, std::min(c.dyF, c.dyS))) return true;
  if (c.dyF < c.dyS) {
    leftEdge = x[c.f] * 65536;
    return rowsHavePixels(&leftEdge, RwEdgeSlope(x[c.s] - x[c.f], c.dyS - c.dyF), &rightEdge, slopeRight,
                          c.dyS - c.dyF);
  }
  if (c.dyF > c.dyS) {
    rightEdge = x[c.s] * 65536;
    return rowsHavePixels(&leftEdge, slopeLeft, &rightEdge, RwEdgeSlope(x[c.f] - x[c.s], c.dyF - c.dyS),
                          c.dyF - c.dyS);
  }
  return false;
}

// Sets the block's edges to the segment from corner `from` down `rows` rows
// to corner `to`.
inline void setLeftEdge(const TriangleCorners& c, int from, int to, int32_t rows) {
  SpanParams.leftX = c.x[from] * 65536;
  SpanParams.leftStep = RwEdgeSlope(c.x[to] - c.x[from], rows);
}
inline void setRightEdge(const TriangleCorners& c, int from, int to, int32_t rows) {
  SpanParams.rightX = c.x[from] * 65536;
  SpanParams.rightStep = RwEdgeSlope(c.x[to] - c.x[from], rows);
}

/*
 * generalTriangle --
 *   Both edges leave T downward and the right one must lie strictly right
 *   of the left one. The upper trapezoid runs to the nearer of F and S; at
 *   that knee the edge that ends restarts exactly at its corner.
 */
template <class SetUp>
void generalTriangle(const RwRasterPolygon* polygon, const TriangleCorners& c) {
  const int32_t slopeLeft = RwEdgeSlope(c.x[c.f] - c.x[c.t], c.dyF);
  const int32_t slopeRight = RwEdgeSlope(c.x[c.s] - c.x[c.t], c.dyS);
  const int64_t slopeDifference = int64_t{slopeRight} - slopeLeft;
  if (slopeDifference < 1) return;
  if (!generalHasPixels(c, slopeLeft, slopeRight)) return;
  SetUp setUp(polygon, c);
  SpanParams.leftX = SpanParams.rightX = c.x[c.t] * 65536;
  SpanParams.leftStep = slopeLeft;
  SpanParams.rightStep = slopeRight;
  setUp.fromTop(slopeDifference);
  setUp.draw(std::min(c.dyF, c.dyS));
  if (c.dyF < c.dyS) {
    setLeftEdge(c, c.f, c.s, c.dyS - c.dyF);
    setUp.leftKnee();
    setUp.draw(c.dyS - c.dyF);
  } else if (c.dyF > c.dyS) {
    setRightEdge(c, c.s, c.f, c.dyF - c.dyS);
    setUp.rightKnee();
    setUp.draw(c.dyF - c.dyS);
  }
}

/*
 * flatTopTriangle --
 *   A flat top row, from left to right: F then T when F shares T's row,
 *   else T then S; both edges meet at the remaining corner.
 */
template <class SetUp>
void flatTopTriangle(const RwRasterPolygon* polygon, const TriangleCorners& c) {
  const int left = c.dyF == 0 ? c.f : c.t;
  const int right = c.dyF == 0 ? c.t : c.s;
  const int bottom = c.dyF == 0 ? c.s : c.f;
  const int32_t rows = c.y[bottom] - c.y[c.t];
  if (c.x[right] - c.x[left] < 1 || rows < 1) return;
  int32_t leftEdge = c.x[left] * 65536, rightEdge = c.x[right] * 65536;
  if (!rowsHavePixels(&leftEdge, RwEdgeSlope(c.x[bottom] - c.x[left], rows), &rightEdge,
                      RwEdgeSlope(c.x[bottom] - c.x[right], rows), rows))
    return;
  SetUp setUp(polygon, c);
  setLeftEdge(c, left, bottom, rows);
  setRightEdge(c, right, bottom, rows);
  setUp.flatTop(left, right, bottom, rows);
  setUp.draw(rows);
}

/*
 * drawTriangle --
 *   Draws triangle (v[0], v[i], v[i + 1]) of the polygon with a set-up.
 *   Only triangles that run counter-clockwise on the screen (y downward)
 *   produce pixels; degenerate ones draw nothing. A triangle whose rows all
 *   come out empty (most of a dense mesh seen from afar) is let go before
 *   its set-up: every span loop draws exactly the rows that rowsHavePixels
 *   finds.
 *
 *   A set-up is a type made per triangle from (polygon, corners) that
 *   starts the block's rows and reads its corners' values, and then has
 *     fromTop(slopeDifference)  interpolants of a general triangle from T
 *     leftKnee(), rightKnee()   the start edge changing at F, or the other at S
 *     flatTop(l, r, b, rows)    interpolants of a flat top
 *     draw(rows)                one trapezoid through its span loop.
 *   The skeleton sets the edges in x before each call.
 */
template <class SetUp>
void drawTriangle(const RwRasterPolygon* polygon, intptr_t i) {
  const TriangleCorners c = cornersOf(polygon, i);
  if (c.dyF == 0 || c.dyS == 0) {
    flatTopTriangle<SetUp>(polygon, c);
  } else {
    generalTriangle<SetUp>(polygon, c);
  }
}

// ---- the set-up of the families that interpolate channels linearly

/*
 * ChannelSetUp --
 *   Every channel of a rule stepped linearly: per row along the left edge,
 *   per pixel across.
 */
template <class Rule>
class ChannelSetUp {
 public:
  static constexpr int channels = Rule::colourChannels + (Rule::depthBuffered ? 1 : 0);

  ChannelSetUp(const RwRasterPolygon* polygon, const TriangleCorners& c) : c_(c) {
    for (int k : {c.t, c.f, c.s}) Rule::vertex(polygon, c.v[k], value_[k]);
    Rule::begin(polygon);
    startRows<Rule::depthBuffered>(c.y[c.t]);
  }

  void fromTop(int64_t slopeDifference) {
    int32_t rowStep[maxChannels] = {}, stepTS[maxChannels] = {}, pixelStep[maxChannels] = {};
    channelSteps(value_[c_.t], value_[c_.f], c_.dyF, channels, rowStep);
    channelSteps(value_[c_.t], value_[c_.s], c_.dyS, channels, stepTS);
    pixelSteps(stepTS, rowStep, slopeDifference, Rule::colourChannels, Rule::depthBuffered, pixelStep);
    Rule::load(value_[c_.t], rowStep, pixelStep);
  }

  // The left edge starts again at F: new row steps, the values carry on.
  void leftKnee() {
    int32_t rowStep[maxChannels] = {};
    channelSteps(value_[c_.f], value_[c_.s], c_.dyS - c_.dyF, channels, rowStep);
    Rule::rowSteps(rowStep);
  }

  // Only the right edge changes: the values follow the left one.
  void rightKnee() {}

  void flatTop(int left, int right, int bottom, int32_t rows) {
    int32_t rowStep[maxChannels] = {}, pixelStep[maxChannels] = {};
    channelSteps(value_[left], value_[bottom], rows, channels, rowStep);
    channelSteps(value_[left], value_[right], c_.x[right] - c_.x[left], channels, pixelStep);
    Rule::load(value_[left], rowStep, pixelStep);
  }

  void draw(int32_t rows) {
    SpanParams.rows = rows;
    Rule::span(&SpanParams);
  }

 private:
  const TriangleCorners& c_;
  int32_t value_[3][maxChannels] = {};
};

// A triangle of a rule (see the top of this file).
template <class Rule>
void triangle(const RwRasterPolygon* polygon, intptr_t i) {
  drawTriangle<ChannelSetUp<Rule>>(polygon, i);
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
