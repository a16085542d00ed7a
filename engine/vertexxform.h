// engine/vertexxform.h -- the vertex transform and the orientation test.
//
// Owns: the bulk transform that takes an array of vertices through a matrix
// into a camera's frame and projects them to 16.16 screen positions and
// 16-bit screen depths, and the screen-space orientation test of a polygon.
// It does not own the vertices (their clump's), the camera, nor the depth
// mapping in force (engine/renderstate.h). It keeps no state.
#ifndef LUMENFOLD_ENGINE_VERTEXXFORM_H
#define LUMENFOLD_ENGINE_VERTEXXFORM_H

#include <cstdint>

struct RwCamera;
struct RwMatrix;
struct RwPolygon;
struct RwVertex;

// Modes of RwTransformVertices.
constexpr int rwTransformAndProject = 1;
constexpr int rwTransformOnly = 2;  // camera frame, left for the clip chain

/*
 * RwTransformVertices --
 *   Takes `count` vertices from `vertices` on through the matrix (model
 *   position as a row vector). Mode 2 stores the camera-frame x, y, z as
 *   float bits in the screen x, screen y and depth words and z again as the
 *   camera depth. Any other mode projects with the camera's viewport scale
 *   and the depth mapping in force: perspective divides by z, parallel does
 *   not; screen x and y become 16.16 pixels and the depth word the screen
 *   depth, each rounded to the nearest integer (ties to even; a value
 *   beyond the 32-bit range or NaN gives 0x80000000). Writes no clip codes
 *   and no intensities.
 */
void RwTransformVertices(RwVertex* vertices, intptr_t count, const RwMatrix* matrix, const RwCamera* camera,
                         int mode);

// 1 when the first three screen positions turn counter-clockwise on the
// screen (y downward): the cross product (v1 - v0) x (v2 - v1) is negative.
int RwTriOrientation(const RwPolygon* polygon);

#endif
