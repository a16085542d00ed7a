// engine/matrix.cpp -- matrices, matrix stacks and vectors.
#include "engine/matrix.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "engine/error.h"
#include "engine/mathsstate.h"
#include "engine/mathtables.h"
#include "engine/pool.h"

namespace {

constexpr float degreesToRadians = 0.017453292f;
constexpr intptr_t initialStackCapacity = 16;

bool validMode(int32_t mode) { return mode >= RwReplace && mode <= RwPostConcat; }

void setAffineColumn(RwMatrix* matrix) {
  matrix->m[0][3] = matrix->m[1][3] = matrix->m[2][3] = 0.0f;
  matrix->m[3][3] = 1.0f;
}

void markGeneral(RwMatrix* matrix) {
  setAffineColumn(matrix);
  matrix->identity = 0;
  matrix->changed = 1;
}

void copyMatrix(const RwMatrix& source, RwMatrix& destination) {
  std::memcpy(destination.m, source.m, sizeof source.m);
  destination.identity = source.identity;
  destination.changed = 1;
}

void setIdentity(RwMatrix& matrix) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) matrix.m[row][column] = row == column ? 1.0f : 0.0f;
  }
  matrix.identity = 1;
  matrix.changed = 1;
}

RwVector row(const RwMatrix& matrix, int index) {
  return {matrix.m[index][0], matrix.m[index][1], matrix.m[index][2]};
}

void setRow(RwMatrix& matrix, int index, const RwVector& value) {
  matrix.m[index][0] = value.x;
  matrix.m[index][1] = value.y;
  matrix.m[index][2] = value.z;
}

RwVector cross(const RwVector& a, const RwVector& b) {
  return {a.y * b.z - b.y * a.z, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const RwVector& a, const RwVector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Normalises in place; returns the length.
float normalise(RwVector& vector) { return RwNormalizeVector(&vector, &vector); }

// The affine product a x b of two general matrices into a third.
RwMatrix multiplyGeneral(const RwMatrix& a, const RwMatrix& b) {
  RwMatrix out;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 3; ++j) {
      double sum = static_cast<double>(a.m[i][0]) * b.m[0][j] + static_cast<double>(a.m[i][1]) * b.m[1][j] +
                   static_cast<double>(a.m[i][2]) * b.m[2][j];
      if (i == 3) sum += b.m[3][j];
      out.m[i][j] = static_cast<float>(sum);
    }
  }
  markGeneral(&out);
  return out;
}

// a x b, copying an operand flagged identity's partner with its flag.
RwMatrix multiply(const RwMatrix& a, const RwMatrix& b) {
  RwMatrix out;
  if (a.identity) {
    copyMatrix(b, out);
  } else if (b.identity) {
    copyMatrix(a, out);
  } else {
    out = multiplyGeneral(a, b);
  }
  return out;
}

// T combined into M by mode (already checked).
RwMatrix combine(const RwMatrix& matrix, const RwMatrix& transform, int32_t mode) {
  RwMatrix out;
  switch (mode) {
    case RwReplace:
      copyMatrix(transform, out);
      return out;
    case RwPreConcat:
      return multiply(transform, matrix);
    default:
      return multiply(matrix, transform);
  }
}

RwMatrix rotation(const RwVector& axis, float angle) {
  float radians = angle * degreesToRadians;
  float s = std::sin(radians);
  float c = std::cos(radians);
  float t = 1.0f - c;
  float x = axis.x, y = axis.y, z = axis.z;
  RwMatrix r;
  r.m[0][0] = 1.0f - (1.0f - x * x) * t;
  r.m[0][1] = x * y * t + z * s;
  r.m[0][2] = x * z * t - y * s;
  r.m[1][0] = x * y * t - z * s;
  r.m[1][1] = 1.0f - (1.0f - y * y) * t;
  r.m[1][2] = y * z * t + x * s;
  r.m[2][0] = x * z * t + y * s;
  r.m[2][1] = y * z * t - x * s;
  r.m[2][2] = 1.0f - (1.0f - z * z) * t;
  r.m[3][0] = r.m[3][1] = r.m[3][2] = 0.0f;
  markGeneral(&r);
  return r;
}

// The base pair (i, j) of the orthonormalisation; row k = i x j.
struct BasePair {
  int i, j, k;
};

BasePair chooseBasePair(const float lengths[3], const RwVector rows[3]) {
  constexpr BasePair pair01 = {0, 1, 2}, pair12 = {1, 2, 0}, pair20 = {2, 0, 1};
  if (lengths[0] == 0.0f) return pair12;
  if (lengths[1] == 0.0f) return pair20;
  if (lengths[2] == 0.0f) return pair01;
  float p = std::fabs(dot(rows[1], rows[2]));
  float q = std::fabs(dot(rows[2], rows[0]));
  float r = std::fabs(dot(rows[0], rows[1]));
  if (q > p) return r > p ? pair12 : pair01;
  return q < r ? pair20 : pair01;
}

RwMatrix orthonormalise(const RwMatrix& source) {
  RwMatrix out;
  if (source.identity) {
    copyMatrix(source, out);
    return out;
  }
  RwVector rows[3];
  float lengths[3];
  for (int i = 0; i < 3; ++i) {
    RwVector r = row(source, i);
    lengths[i] = RwNormalizeVector(&rows[i], &r);
  }
  BasePair pair = chooseBasePair(lengths, rows);
  rows[pair.k] = cross(rows[pair.i], rows[pair.j]);
  normalise(rows[pair.k]);
  rows[pair.j] = cross(rows[pair.k], rows[pair.i]);
  normalise(rows[pair.j]);
  for (int i = 0; i < 3; ++i) setRow(out, i, rows[i]);
  for (int column = 0; column < 4; ++column) out.m[3][column] = source.m[3][column];
  out.m[0][3] = out.m[1][3] = out.m[2][3] = 0.0f;
  out.identity = 0;
  out.changed = 1;
  return out;
}

RwMatrix* takeMatrix() { return static_cast<RwMatrix*>(RwAllocRecord(rwMathsState().matrices.matrixPool)); }

RwMatrixStack* requireStack(RwMatrixStack* stack) {
  if (!stack) RwSetError(rwErrInvalidArgument);
  return stack;
}

// Bit-pattern helpers of the float normalisation.
uint32_t bitsOf(float value) { return std::bit_cast<uint32_t>(value); }
float floatOf(uint32_t bits) { return std::bit_cast<float>(bits); }

// Index of the highest set bit, looked up a byte at a time.
int highestSetBit(uint32_t value) {
  for (int shift = 24; shift > 0; shift -= 8) {
    if (value >> shift) return rwSignificantBitsTable[(value >> shift) & 0xFF] - 1 + shift;
  }
  return rwSignificantBitsTable[value] - 1;
}

}  // namespace

RwMatrix* RwCopyMatrix(const RwMatrix* source, RwMatrix* destination) {
  if (!source || !destination) return failWith<RwMatrix>(rwErrInvalidArgument);
  copyMatrix(*source, *destination);
  return destination;
}

const RwMatrix* RwGetMatrix(const RwMatrix* source, RwMatrix* destination) {
  if (!source || !destination) return failWith<const RwMatrix>(rwErrInvalidArgument);
  copyMatrix(*source, *destination);
  return source;
}

RwMatrix* RwIdentityMatrix(RwMatrix* matrix) {
  if (!matrix) return failWith<RwMatrix>(rwErrInvalidArgument);
  setIdentity(*matrix);
  return matrix;
}

RwMatrix* RwSetMatrixElement(RwMatrix* matrix, int row, int column, float value) {
  if (!matrix || row < 0 || row > 3 || column < 0 || column > 3) return failWith<RwMatrix>(rwErrInvalidArgument);
  matrix->m[row][column] = value;
  matrix->identity = 0;
  matrix->changed = 1;
  return matrix;
}

RwMatrix* RwMultiplyMatrix(const RwMatrix* a, const RwMatrix* b, RwMatrix* out) {
  if (!a || !b || !out) return failWith<RwMatrix>(rwErrInvalidArgument);
  *out = multiply(*a, *b);
  return out;
}

RwMatrix* RwTransformMatrix(RwMatrix* matrix, const RwMatrix* transform, int32_t mode) {
  if (!matrix || !transform) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (!validMode(mode)) return failWith<RwMatrix>(rwErrCombineMode);
  *matrix = combine(*matrix, *transform, mode);
  return matrix;
}

RwMatrix* RwTranslateMatrix(RwMatrix* matrix, float x, float y, float z, int32_t mode) {
  if (!matrix) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (!validMode(mode)) return failWith<RwMatrix>(rwErrCombineMode);
  float (&m)[4][4] = matrix->m;
  if (mode == RwReplace) {
    setIdentity(*matrix);
    m[3][0] = x;
    m[3][1] = y;
    m[3][2] = z;
  } else if (mode == RwPreConcat) {
    for (int column = 0; column < 3; ++column) m[3][column] += x * m[0][column] + y * m[1][column] + z * m[2][column];
  } else {
    m[3][0] += x;
    m[3][1] += y;
    m[3][2] += z;
  }
  markGeneral(matrix);
  return matrix;
}

RwMatrix* RwScaleMatrix(RwMatrix* matrix, float x, float y, float z, int32_t mode) {
  if (!matrix) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (!validMode(mode)) return failWith<RwMatrix>(rwErrCombineMode);
  float (&m)[4][4] = matrix->m;
  const float scale[3] = {x, y, z};
  if (mode == RwReplace) {
    setIdentity(*matrix);
    for (int i = 0; i < 3; ++i) m[i][i] = scale[i];
  } else if (mode == RwPreConcat) {
    for (int i = 0; i < 3; ++i) {
      for (int column = 0; column < 3; ++column) m[i][column] *= scale[i];
    }
  } else {
    for (int i = 0; i < 4; ++i) {
      for (int column = 0; column < 3; ++column) m[i][column] *= scale[column];
    }
  }
  markGeneral(matrix);
  return matrix;
}

RwMatrix* RwRotateMatrix(RwMatrix* matrix, float x, float y, float z, float angle, int32_t mode) {
  if (!matrix) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (!validMode(mode)) return failWith<RwMatrix>(rwErrCombineMode);
  RwVector axis = {x, y, z};
  if (normalise(axis) == 0.0f) return failWith<RwMatrix>(rwErrZeroVector);
  RwMatrix r = rotation(axis, angle);
  if (mode == RwReplace || matrix->identity) {
    *matrix = r;
  } else {
    *matrix = mode == RwPreConcat ? multiplyGeneral(r, *matrix) : multiplyGeneral(*matrix, r);
  }
  return matrix;
}

RwMatrix* RwInvertMatrix(const RwMatrix* source, RwMatrix* destination) {
  if (!source || !destination) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (source->identity) {
    copyMatrix(*source, *destination);
    return destination;
  }
  const float (&m)[4][4] = source->m;
  float a[3][3];  // adjugate: a[i][j] = cofactor of m[j][i]
  a[0][0] = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  a[0][1] = m[0][2] * m[2][1] - m[0][1] * m[2][2];
  a[0][2] = m[0][1] * m[1][2] - m[0][2] * m[1][1];
  a[1][0] = m[1][2] * m[2][0] - m[1][0] * m[2][2];
  a[1][1] = m[0][0] * m[2][2] - m[0][2] * m[2][0];
  a[1][2] = m[0][2] * m[1][0] - m[0][0] * m[1][2];
  a[2][0] = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  a[2][1] = m[0][1] * m[2][0] - m[0][0] * m[2][1];
  a[2][2] = m[0][0] * m[1][1] - m[0][1] * m[1][0];
  float determinant = m[0][0] * a[0][0] + m[0][1] * a[1][0] + m[0][2] * a[2][0];
  if (determinant != 0.0f) {
    float scale = 1.0f / determinant;
    for (auto& adjugateRow : a) {
      for (float& value : adjugateRow) value *= scale;
    }
  }
  RwMatrix out;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) out.m[i][j] = a[i][j];
  }
  for (int j = 0; j < 3; ++j) {
    out.m[3][j] = -(m[3][0] * a[0][j] + m[3][1] * a[1][j] + m[3][2] * a[2][j]);
  }
  markGeneral(&out);
  *destination = out;
  return destination;
}

RwMatrix* RwOrthoNormalizeMatrix(const RwMatrix* source, RwMatrix* destination) {
  if (!source || !destination) return failWith<RwMatrix>(rwErrInvalidArgument);
  *destination = orthonormalise(*source);
  return destination;
}

RwMatrix* RwTransformOrthoNormal(RwMatrix* matrix, const RwMatrix* transform, int32_t mode) {
  if (!matrix || !transform) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (!validMode(mode)) return failWith<RwMatrix>(rwErrCombineMode);
  RwMatrix combined = combine(*matrix, *transform, mode);
  RwMatrix frame = orthonormalise(combined);
  float agreement = 1.0f;
  if (!combined.identity) {
    // The rebuilt frame is always right-handed: a combined at-axis pointing
    // against it means the transform mirrored the frame.
    RwVector at = row(combined, 2);
    normalise(at);
    agreement = dot(cross(row(frame, 0), row(frame, 1)), at);
  }
  if (!(agreement >= 0.9f)) return failWith<RwMatrix>(rwErrDegenerateFrame);
  *matrix = frame;
  return matrix;
}

namespace {

RwMatrix* rotateAboutAxis(RwMatrix* matrix, float x, float y, float z, float angle) {
  if (!RwRotateMatrix(matrix, x, y, z, angle, RwPreConcat)) return nullptr;
  return RwOrthoNormalizeMatrix(matrix, matrix);
}

}  // namespace

RwMatrix* RwRotateMatrixX(RwMatrix* matrix, float angle) { return rotateAboutAxis(matrix, 1, 0, 0, angle); }
RwMatrix* RwRotateMatrixY(RwMatrix* matrix, float angle) { return rotateAboutAxis(matrix, 0, 1, 0, angle); }
RwMatrix* RwRotateMatrixZ(RwMatrix* matrix, float angle) { return rotateAboutAxis(matrix, 0, 0, 1, angle); }

RwMatrix* RwPreTranslateMatrix(RwMatrix* matrix, float x, float y, float z) {
  return RwTranslateMatrix(matrix, x, y, z, RwPreConcat);
}

RwMatrix* RwPostTranslateMatrix(RwMatrix* matrix, float x, float y, float z) {
  return RwTranslateMatrix(matrix, x, y, z, RwPostConcat);
}

RwMatrix* RwSetMatrixPosition(RwMatrix* matrix, float x, float y, float z) {
  if (!matrix) return failWith<RwMatrix>(rwErrInvalidArgument);
  setRow(*matrix, 3, {x, y, z});
  markGeneral(matrix);
  return matrix;
}

namespace {

RwVector* readRow(const RwMatrix* matrix, int index, RwVector* out) {
  if (!matrix || !out) return failWith<RwVector>(rwErrInvalidArgument);
  *out = row(*matrix, index);
  return out;
}

bool allZero(float x, float y, float z) { return x == 0.0f && y == 0.0f && z == 0.0f; }

// row[target] = normalise(a x b); error 7 when that has no length.
void deriveRow(RwMatrix& matrix, int target, const RwVector& a, const RwVector& b) {
  RwVector value = cross(a, b);
  if (normalise(value) == 0.0f) RwSetError(rwErrDegenerateFrame);
  setRow(matrix, target, value);
}

}  // namespace

RwVector* RwGetMatrixPosition(const RwMatrix* matrix, RwVector* out) { return readRow(matrix, 3, out); }
RwVector* RwGetMatrixAt(const RwMatrix* matrix, RwVector* out) { return readRow(matrix, 2, out); }
RwVector* RwGetMatrixUp(const RwMatrix* matrix, RwVector* out) { return readRow(matrix, 1, out); }
RwVector* RwGetMatrixRight(const RwMatrix* matrix, RwVector* out) { return readRow(matrix, 0, out); }

RwMatrix* RwSetMatrixAt(RwMatrix* matrix, float x, float y, float z) {
  if (!matrix) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (allZero(x, y, z)) return failWith<RwMatrix>(rwErrZeroVector);
  RwVector at = {x, y, z};
  bool hasLength = normalise(at) != 0.0f;
  setRow(*matrix, 2, at);
  if (!hasLength) {
    RwSetError(rwErrDegenerateFrame);
  } else {
    RwVector right = cross(row(*matrix, 1), at);
    if (normalise(right) != 0.0f) setRow(*matrix, 0, right);
  }
  deriveRow(*matrix, 1, row(*matrix, 2), row(*matrix, 0));
  markGeneral(matrix);
  return matrix;
}

RwMatrix* RwSetMatrixUp(RwMatrix* matrix, float x, float y, float z) {
  if (!matrix) return failWith<RwMatrix>(rwErrInvalidArgument);
  if (allZero(x, y, z)) return failWith<RwMatrix>(rwErrZeroVector);
  RwVector up = {x, y, z};
  if (normalise(up) == 0.0f) RwSetError(rwErrDegenerateFrame);
  setRow(*matrix, 1, up);
  RwVector right = cross(up, row(*matrix, 2));
  if (normalise(right) == 0.0f) {
    deriveRow(*matrix, 2, row(*matrix, 0), up);
  } else {
    setRow(*matrix, 0, right);
  }
  deriveRow(*matrix, 1, row(*matrix, 2), row(*matrix, 0));
  markGeneral(matrix);
  return matrix;
}

RwVector* RwTransformPoint(RwVector* point, const RwMatrix* matrix) {
  if (!point || !matrix) return failWith<RwVector>(rwErrInvalidArgument);
  const float (&m)[4][4] = matrix->m;
  RwVector p = *point;
  point->x = p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0];
  point->y = p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1];
  point->z = p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2];
  return point;
}

RwVector* RwTransformVector(RwVector* vector, const RwMatrix* matrix) {
  if (!vector || !matrix) return failWith<RwVector>(rwErrInvalidArgument);
  const float (&m)[4][4] = matrix->m;
  RwVector v = *vector;
  vector->x = v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0];
  vector->y = v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1];
  vector->z = v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2];
  return vector;
}

RwVector* RwTransformNormal(RwVector* out, const RwVector* normal, const RwMatrix* matrix) {
  if (!out || !normal || !matrix) return failWith<RwVector>(rwErrInvalidArgument);
  RwVector n = *normal;
  if (!matrix->identity) {
    RwVector r0 = row(*matrix, 0), r1 = row(*matrix, 1), r2 = row(*matrix, 2);
    RwVector p = cross(r0, r1), q = cross(r1, r2), r = cross(r2, r0);
    n = {n.x * q.x + n.y * r.x + n.z * p.x, n.x * q.y + n.y * r.y + n.z * p.y,
         n.x * q.z + n.y * r.z + n.z * p.z};
  }
  RwNormalizeVector(out, &n);
  return out;
}

RwMatrixStack* RwCreateMatrixStack(intptr_t capacity) {
  RwMathsState::MatrixModule& matrices = rwMathsState().matrices;
  if (capacity < 1) return failWith<RwMatrixStack>(rwErrBadCount);
  auto* stack = static_cast<RwMatrixStack*>(RwAllocRecord(matrices.stackPool));
  if (!stack) return failWith<RwMatrixStack>(rwErrOutOfMemory);
  stack->slots = static_cast<RwMatrix**>(RwEngineAlloc(capacity * sizeof(RwMatrix*)));
  RwMatrix* bottom = stack->slots ? takeMatrix() : nullptr;
  if (!bottom) {
    RwEngineFree(stack->slots);
    RwFreeRecord(matrices.stackPool, stack);
    return failWith<RwMatrixStack>(rwErrOutOfMemory);
  }
  setIdentity(*bottom);
  stack->slots[0] = bottom;
  stack->capacity = capacity;
  stack->top = 0;
  return stack;
}

int RwDestroyMatrixStack(RwMatrixStack* stack) {
  RwMathsState::MatrixModule& matrices = rwMathsState().matrices;
  if (!requireStack(stack)) return 0;
  for (intptr_t i = 0; i < stack->capacity && stack->slots[i]; ++i) RwFreeRecord(matrices.matrixPool, stack->slots[i]);
  RwEngineFree(stack->slots);
  RwFreeRecord(matrices.stackPool, stack);
  return 1;
}

RwMatrix* RwPushMatrixStack(RwMatrixStack* stack) {
  if (!requireStack(stack)) return nullptr;
  intptr_t top = stack->top + 1;
  if (top == stack->capacity) {
    intptr_t grown = stack->capacity + stack->capacity / 2;
    auto* slots = static_cast<RwMatrix**>(RwEngineRealloc(stack->slots, grown * sizeof(RwMatrix*)));
    if (!slots) return failWith<RwMatrix>(rwErrOutOfMemory);
    for (intptr_t i = stack->capacity; i < grown; ++i) slots[i] = nullptr;
    stack->slots = slots;
    stack->capacity = grown;
  }
  if (!stack->slots[top]) {
    stack->slots[top] = takeMatrix();
    if (!stack->slots[top]) return failWith<RwMatrix>(rwErrOutOfMemory);
  }
  copyMatrix(*stack->slots[top - 1], *stack->slots[top]);
  stack->top = top;
  return stack->slots[top];
}

RwMatrix* RwPopMatrixStack(RwMatrixStack* stack) {
  if (!requireStack(stack)) return nullptr;
  if (stack->top > 0) --stack->top;
  return stack->slots[stack->top];
}

RwMatrix* RwMatrixStackTop(RwMatrixStack* stack) {
  if (!requireStack(stack)) return nullptr;
  return stack->slots[stack->top];
}

intptr_t RwMatrixStackDepth(const RwMatrixStack* stack) {
  if (!stack) {
    RwSetError(rwErrInvalidArgument);
    return -1;
  }
  return stack->top;
}

RwMatrix* RwPushCTM() { return RwPushMatrixStack(rwMathsState().matrices.ctmStack); }
RwMatrix* RwPopCTM() { return RwPopMatrixStack(rwMathsState().matrices.ctmStack); }
RwMatrix* RwGetCTM() { return RwMatrixStackTop(rwMathsState().matrices.ctmStack); }
intptr_t RwCTMDepth() { return RwMatrixStackDepth(rwMathsState().matrices.ctmStack); }
RwMatrix* RwPushScratchMatrix() { return RwPushMatrixStack(rwMathsState().matrices.scratchStack); }
RwMatrix* RwPopScratchMatrix() { return RwPopMatrixStack(rwMathsState().matrices.scratchStack); }
RwMatrix* RwScratchMatrix() { return RwMatrixStackTop(rwMathsState().matrices.scratchStack); }

int RwOpenMatrixModule() {
  RwMathsState::MatrixModule& matrices = rwMathsState().matrices;
  matrices.matrixPool = RwCreatePool("matrixlist", sizeof(RwMatrix));
  matrices.stackPool = RwCreatePool("matrixstacklist", sizeof(RwMatrixStack));
  if (!matrices.matrixPool || !matrices.stackPool) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  matrices.ctmStack = RwCreateMatrixStack(initialStackCapacity);
  if (!matrices.ctmStack) return 0;
  matrices.scratchStack = RwCreateMatrixStack(initialStackCapacity);
  return matrices.scratchStack ? 1 : 0;
}

int RwCloseMatrixModule() {
  RwMathsState::MatrixModule& matrices = rwMathsState().matrices;
  if (matrices.ctmStack) RwDestroyMatrixStack(matrices.ctmStack);
  if (matrices.scratchStack) RwDestroyMatrixStack(matrices.scratchStack);
  RwDestroyPool(matrices.stackPool);
  RwDestroyPool(matrices.matrixPool);
  matrices = {};
  return 1;
}

RwVector* RwAddVector(const RwVector* a, const RwVector* b, RwVector* out) {
  *out = {a->x + b->x, a->y + b->y, a->z + b->z};
  return out;
}

RwVector* RwSubtractVector(const RwVector* a, const RwVector* b, RwVector* out) {
  *out = {a->x - b->x, a->y - b->y, a->z - b->z};
  return out;
}

RwVector* RwScaleVector(const RwVector* a, float scale, RwVector* out) {
  *out = {a->x * scale, a->y * scale, a->z * scale};
  return out;
}

RwVector* RwAddScaledVector(const RwVector* a, const RwVector* b, float scale, RwVector* out) {
  *out = {a->x + b->x * scale, a->y + b->y * scale, a->z + b->z * scale};
  return out;
}

float RwDotProduct(const RwVector* a, const RwVector* b) { return dot(*a, *b); }

RwVector* RwCrossProduct(const RwVector* a, const RwVector* b, RwVector* out) {
  *out = cross(*a, *b);  // computed whole first, so out may be an operand
  return out;
}

float RwNormalizeVector(RwVector* out, const RwVector* in) {
  uint32_t bits[3] = {bitsOf(in->x), bitsOf(in->y), bitsOf(in->z)};
  uint32_t largest = 0;  // exponent field of the largest magnitude
  for (uint32_t b : bits) {
    if ((b & 0x7F800000u) > largest) largest = b & 0x7F800000u;
  }
  if (((bits[0] | bits[1] | bits[2]) & 0x7FFFFFFFu) == 0) {
    *out = *in;
    return 0.0f;
  }
  // Scale by a power of two so the largest component lies in [0.125, 0.25).
  constexpr uint32_t eighth = 0x3E000000u;
  bool down = largest > eighth;
  uint32_t step = down ? largest - eighth : eighth - largest;
  for (uint32_t& b : bits) {
    if (down) {
      b = (b & 0x7FFFFFFFu) > step ? b - step : 0u;
    } else if ((b & 0x7FFFFFFFu) != 0) {
      b += step;
    }
  }
  RwVector scaled = {floatOf(bits[0]), floatOf(bits[1]), floatOf(bits[2])};
  float squares = dot(scaled, scaled);
  float length = RwSqrt(&squares);
  float inverse = 1.0f / length;
  *out = {scaled.x * inverse, scaled.y * inverse, scaled.z * inverse};
  return floatOf(down ? bitsOf(length) + step : bitsOf(length) - step);
}

RwVector* RwNormalize(RwVector* vector) {
  RwNormalizeVector(vector, vector);
  return vector;
}

RwFixed RwNormalizeFixedVector(RwFixedVector* vector) {
  auto magnitude = [](RwFixed v) { return v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v); };
  uint32_t all = magnitude(vector->x) | magnitude(vector->y) | magnitude(vector->z);
  if (all == 0) return 0;
  int highest = highestSetBit(all);
  // Bring the largest magnitude into [2^13, 2^14): 0.125 to 0.25 in 16.16.
  RwFixed* components[3] = {&vector->x, &vector->y, &vector->z};
  for (RwFixed* c : components) *c = highest > 13 ? *c >> (highest - 13) : *c << (13 - highest);
  int64_t squares = static_cast<int64_t>(vector->x) * vector->x + static_cast<int64_t>(vector->y) * vector->y +
                    static_cast<int64_t>(vector->z) * vector->z;                  // 32.32
  RwFixed length = static_cast<RwFixed>(RwFixedSqrt(static_cast<uint32_t>(squares >> 16)));  // 16.16
  RwFixed inverse = RwFixDiv(rwFixedOne, length);
  for (RwFixed* c : components) *c = RwFixMul(*c, inverse);
  int64_t scaledLength = highest > 13 ? static_cast<int64_t>(length) << (highest - 13)
                                      : static_cast<int64_t>(length) >> (13 - highest);
  return scaledLength > rwFixedLargest ? rwFixedLargest : static_cast<RwFixed>(scaledLength);
}

RwFixedVector* RwNormalizeFixed(RwFixedVector* vector) {
  RwNormalizeFixedVector(vector);
  return vector;
}
