// engine/matrix.h -- matrices, matrix stacks and vectors.
//
// Owns: the 4x4 matrix record with its identity and changed flags, every
// operation that builds, combines, inverts or orthonormalises matrices, the
// frame setters and getters, the matrix stacks (the modelling CTM stack and
// the application's scratch stack, made by this module's open), and the float
// and 16.16 vector operations. It owns the pools "matrixlist" and
// "matrixstacklist".
// It does not own the matrices that clumps, cameras and lights embed: those
// records own their copies.
//
// Points are row vectors: p maps to p x M. Rows 0, 1, 2 are the right, up and
// at axes of a frame and row 3 the position; column 3 is (0, 0, 0, 1) in
// every matrix the engine builds and is never read by a product. Failures set
// the sticky error number (1 null argument, 2 bad combine mode, 3 memory, 7
// degenerate frame, 31 zero-length axis) and return null.
#ifndef LUMENFOLD_ENGINE_MATRIX_H
#define LUMENFOLD_ENGINE_MATRIX_H

#include <cstdint>

#include "engine/fixed.h"

struct RwVector {
  float x, y, z;
};

// Three 16.16 values.
struct RwFixedVector {
  RwFixed x, y, z;
};

struct RwMatrix {
  float m[4][4];     // m[row][column]
  uint8_t identity;  // 1 while known to be the identity: products skip work
  uint8_t changed;   // set by every write; owners of a cached inverse clear it
};

enum RwCombineMode : int32_t {
  RwReplace = 1,     // M = T
  RwPreConcat = 2,   // M = T x M: T acts first, in M's local frame
  RwPostConcat = 3,  // M = M x T: T acts after M
};

// Products are formed with double-precision sums and stored as floats.
RwMatrix* RwCopyMatrix(const RwMatrix* source, RwMatrix* destination);  // returns destination
const RwMatrix* RwGetMatrix(const RwMatrix* source, RwMatrix* destination);  // returns source
RwMatrix* RwIdentityMatrix(RwMatrix* matrix);
RwMatrix* RwSetMatrixElement(RwMatrix* matrix, int row, int column, float value);
// out = a x b; out may be an operand.
RwMatrix* RwMultiplyMatrix(const RwMatrix* a, const RwMatrix* b, RwMatrix* out);
RwMatrix* RwTransformMatrix(RwMatrix* matrix, const RwMatrix* transform, int32_t mode);
RwMatrix* RwTranslateMatrix(RwMatrix* matrix, float x, float y, float z, int32_t mode);
RwMatrix* RwScaleMatrix(RwMatrix* matrix, float x, float y, float z, int32_t mode);
// Rotation by `angle` degrees about the axis (normalised here).
RwMatrix* RwRotateMatrix(RwMatrix* matrix, float x, float y, float z, float angle, int32_t mode);
// Affine inverse by the adjugate; a singular source gives the unscaled
// adjugate and no error. The destination may be the source.
RwMatrix* RwInvertMatrix(const RwMatrix* source, RwMatrix* destination);
// The orthonormal frame nearest the source's rows, keeping handedness; may
// work in place.
RwMatrix* RwOrthoNormalizeMatrix(const RwMatrix* source, RwMatrix* destination);
// Combines like RwTransformMatrix, orthonormalises the result and accepts it
// only when it agrees with the combined at-axis (triple product at least
// 0.9); a mirroring transform gives error 7 and leaves the matrix unchanged.
RwMatrix* RwTransformOrthoNormal(RwMatrix* matrix, const RwMatrix* transform, int32_t mode);
RwMatrix* RwRotateMatrixX(RwMatrix* matrix, float angle);
RwMatrix* RwRotateMatrixY(RwMatrix* matrix, float angle);
RwMatrix* RwRotateMatrixZ(RwMatrix* matrix, float angle);
RwMatrix* RwPreTranslateMatrix(RwMatrix* matrix, float x, float y, float z);
RwMatrix* RwPostTranslateMatrix(RwMatrix* matrix, float x, float y, float z);

RwMatrix* RwSetMatrixPosition(RwMatrix* matrix, float x, float y, float z);
RwVector* RwGetMatrixPosition(const RwMatrix* matrix, RwVector* out);
// Set row 2 (at) or row 1 (up) and re-derive the rest of the frame. An
// all-zero direction is error 31 (matrix unchanged); a frame that cannot be
// completed raises 7 but the remaining steps still run and the matrix is
// returned.
RwMatrix* RwSetMatrixAt(RwMatrix* matrix, float x, float y, float z);
RwVector* RwGetMatrixAt(const RwMatrix* matrix, RwVector* out);
RwMatrix* RwSetMatrixUp(RwMatrix* matrix, float x, float y, float z);
RwVector* RwGetMatrixUp(const RwMatrix* matrix, RwVector* out);
RwVector* RwGetMatrixRight(const RwMatrix* matrix, RwVector* out);

RwVector* RwTransformPoint(RwVector* point, const RwMatrix* matrix);    // with row 3
RwVector* RwTransformVector(RwVector* vector, const RwMatrix* matrix);  // without row 3
// out = the normal transformed by the inverse transpose, normalised.
RwVector* RwTransformNormal(RwVector* out, const RwVector* normal, const RwMatrix* matrix);

// A stack of matrices from "matrixlist"; slot 0 always holds one.
struct RwMatrixStack {
  RwMatrix** slots;
  intptr_t capacity;  // number of slots
  intptr_t top;       // index of the top slot
};

RwMatrixStack* RwCreateMatrixStack(intptr_t capacity);
// Hands the matrices and the record back to their pools and frees the slots.
int RwDestroyMatrixStack(RwMatrixStack* stack);
// Pushes a copy of the top matrix and returns it; grows the slots by half
// when full. Null with error 3 (stack unchanged) when memory runs out.
RwMatrix* RwPushMatrixStack(RwMatrixStack* stack);
// Drops the top unless it is slot 0; returns the matrix now on top.
RwMatrix* RwPopMatrixStack(RwMatrixStack* stack);
RwMatrix* RwMatrixStackTop(RwMatrixStack* stack);
intptr_t RwMatrixStackDepth(const RwMatrixStack* stack);

RwMatrix* RwPushCTM();
RwMatrix* RwPopCTM();
RwMatrix* RwGetCTM();
intptr_t RwCTMDepth();
RwMatrix* RwPushScratchMatrix();
RwMatrix* RwPopScratchMatrix();
RwMatrix* RwScratchMatrix();

// Opened and closed by the library: the two pools and the two stacks.
int RwOpenMatrixModule();
int RwCloseMatrixModule();

// Float vectors; out may be an operand unless stated.
RwVector* RwAddVector(const RwVector* a, const RwVector* b, RwVector* out);
RwVector* RwSubtractVector(const RwVector* a, const RwVector* b, RwVector* out);
RwVector* RwScaleVector(const RwVector* a, float scale, RwVector* out);
RwVector* RwAddScaledVector(const RwVector* a, const RwVector* b, float scale, RwVector* out);
float RwDotProduct(const RwVector* a, const RwVector* b);
RwVector* RwCrossProduct(const RwVector* a, const RwVector* b, RwVector* out);
// out = in / length, by exponent arithmetic so that neither overflows nor
// underflows; returns the length. An all-zero input is copied, length 0.
float RwNormalizeVector(RwVector* out, const RwVector* in);
RwVector* RwNormalize(RwVector* vector);
// Normalises a 16.16 vector in place; returns its 16.16 length (saturated).
RwFixed RwNormalizeFixedVector(RwFixedVector* vector);
RwFixedVector* RwNormalizeFixed(RwFixedVector* vector);

#endif
