// Matrices, combine modes, inversion, orthonormalisation, frames, stacks and
// vectors.
#include <bit>
#include <cstring>
#include <cmath>

#include <gtest/gtest.h>

#include "engine/matrix.h"
#include "engine_fixture.h"

namespace {

using Matrices = OpenEngine;

constexpr float tolerance = 1e-5f;

void expectMatrixNear(const RwMatrix& actual, const float (&expected)[4][4]) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(actual.m[r][c], expected[r][c], tolerance) << r << "," << c;
  }
}

void expectVectorNear(const RwVector& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

RwMatrix identity() {
  RwMatrix m;
  RwIdentityMatrix(&m);
  return m;
}

RwVector transformed(const RwMatrix& m, RwVector p) {
  RwTransformPoint(&p, &m);
  return p;
}

TEST_F(Matrices, TranslateAndScaleInEveryMode) {
  RwMatrix m = identity();
  RwScaleMatrix(&m, 2, 3, 4, RwReplace);
  RwTranslateMatrix(&m, 1, 1, 1, RwPreConcat);  // in m's local frame: scaled
  expectMatrixNear(m, {{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {2, 3, 4, 1}});
  RwTranslateMatrix(&m, 1, 1, 1, RwPostConcat);  // after m: plain
  expectMatrixNear(m, {{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {3, 4, 5, 1}});
  RwScaleMatrix(&m, 10, 1, 1, RwPostConcat);  // scales column 0 of every row
  expectMatrixNear(m, {{20, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {30, 4, 5, 1}});
  RwScaleMatrix(&m, 1, 1, 0.5f, RwPreConcat);  // scales row 2
  expectMatrixNear(m, {{20, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 2, 0}, {30, 4, 5, 1}});

  // Replacing with a unit scale or a zero translation still gives a general matrix.
  RwScaleMatrix(&m, 1, 1, 1, RwReplace);
  EXPECT_EQ(m.identity, 0);
  RwTranslateMatrix(&m, 0, 0, 0, RwReplace);
  EXPECT_EQ(m.identity, 0);
  EXPECT_EQ(m.changed, 1);
}

TEST_F(Matrices, BadModeOrNullMatrixLeavesEverythingAsItWas) {
  RwMatrix m = identity();
  m.changed = 0;
  EXPECT_EQ(RwTranslateMatrix(&m, 1, 2, 3, 4), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrCombineMode);
  EXPECT_EQ(RwScaleMatrix(&m, 2, 2, 2, 0), nullptr);
  EXPECT_EQ(RwRotateMatrix(&m, 0, 0, 1, 5, 9), nullptr);
  EXPECT_EQ(RwTransformMatrix(&m, &m, -1), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrCombineMode);
  EXPECT_EQ(m.identity, 1);
  EXPECT_EQ(m.changed, 0);
  EXPECT_EQ(RwIdentityMatrix(nullptr), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
  EXPECT_EQ(RwSetMatrixElement(&m, 4, 0, 1), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrInvalidArgument);
}

TEST_F(Matrices, TransformMatrixCombineModes) {
  RwMatrix move = identity(), turn = identity();
  RwTranslateMatrix(&move, 5, 0, 0, RwReplace);
  RwRotateMatrix(&turn, 0, 0, 1, 90, RwReplace);

  RwMatrix m = move;
  RwTransformMatrix(&m, &turn, RwPreConcat);  // turn first, then move
  expectVectorNear(transformed(m, {1, 0, 0}), 5, 1, 0);
  m = move;
  RwTransformMatrix(&m, &turn, RwPostConcat);  // move first, then turn
  expectVectorNear(transformed(m, {1, 0, 0}), 0, 6, 0);
  RwTransformMatrix(&m, &turn, RwReplace);
  expectVectorNear(transformed(m, {1, 0, 0}), 0, 1, 0);

  // An identity operand makes the result a copy of the other, flag included.
  RwMatrix fresh = identity();
  RwTransformMatrix(&fresh, &move, RwPreConcat);
  EXPECT_EQ(fresh.identity, 0);
  EXPECT_EQ(std::memcmp(fresh.m, move.m, sizeof move.m), 0);
  RwMatrix unit = identity();
  RwMatrix other = identity();
  RwTransformMatrix(&other, &unit, RwPostConcat);
  EXPECT_EQ(other.identity, 1);
}

TEST_F(Matrices, MultiplyMatchesComposition) {
  RwMatrix a = identity(), b = identity(), out;
  RwRotateMatrix(&a, 1, 2, 3, 40, RwReplace);
  RwTranslateMatrix(&a, 1, -2, 3, RwPostConcat);
  RwScaleMatrix(&b, 2, 2, 2, RwReplace);
  RwTranslateMatrix(&b, 0, 7, 0, RwPostConcat);
  RwMultiplyMatrix(&a, &b, &out);
  RwVector p = {0.3f, -4, 2};
  RwVector expected = transformed(b, transformed(a, p));
  expectVectorNear(transformed(out, p), expected.x, expected.y, expected.z);
  // The output may be an operand.
  RwMultiplyMatrix(&a, &b, &a);
  expectVectorNear(transformed(a, p), expected.x, expected.y, expected.z);
}

TEST_F(Matrices, RotationAxisIsNormalisedAndMustHaveLength) {
  RwMatrix m = identity();
  RwRotateMatrix(&m, 0, 0, 5, 90, RwReplace);
  expectVectorNear(transformed(m, {1, 0, 0}), 0, 1, 0);
  EXPECT_EQ(m.identity, 0);
  RwMatrix before = m;
  EXPECT_EQ(RwRotateMatrix(&m, 0, 0, 0, 30, RwReplace), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrZeroVector);
  EXPECT_EQ(std::memcmp(&before, &m, sizeof m), 0);
}

TEST_F(Matrices, RotateAboutAxesKeepsTheFrameOrthonormal) {
  RwMatrix m = identity();
  for (int i = 0; i < 100; ++i) {
    RwRotateMatrixX(&m, 7);
    RwRotateMatrixY(&m, 11);
    RwRotateMatrixZ(&m, 13);
  }
  RwVector rows[3];
  RwGetMatrixRight(&m, &rows[0]);
  RwGetMatrixUp(&m, &rows[1]);
  RwGetMatrixAt(&m, &rows[2]);
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(RwDotProduct(&rows[i], &rows[i]), 1.0f, 1e-3f);
    EXPECT_NEAR(RwDotProduct(&rows[i], &rows[(i + 1) % 3]), 0.0f, 1e-3f);
  }
}

TEST_F(Matrices, InverseUndoesTheTransform) {
  RwMatrix m = identity(), inverse, product;
  RwRotateMatrix(&m, 1, 1, 0, 33, RwReplace);
  RwScaleMatrix(&m, 2, 0.5f, 3, RwPostConcat);
  RwTranslateMatrix(&m, 4, 5, 6, RwPostConcat);
  ASSERT_EQ(RwInvertMatrix(&m, &inverse), &inverse);
  RwMultiplyMatrix(&m, &inverse, &product);
  expectMatrixNear(product, {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}});
  RwInvertMatrix(&m, &m);  // in place
  EXPECT_EQ(std::memcmp(m.m, inverse.m, sizeof m.m), 0);
}

TEST_F(Matrices, InverseOfASingularMatrixIsTheUnscaledAdjugate) {
  RwMatrix m = identity();
  RwScaleMatrix(&m, 2, 3, 0, RwReplace);
  RwMatrix inverse;
  RwInvertMatrix(&m, &inverse);
  EXPECT_EQ(RwGetError(), 0);
  expectMatrixNear(inverse, {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 6, 0}, {0, 0, 0, 1}});
}

TEST_F(Matrices, OrthonormalisationKeepsTheBaseRows) {
  struct Case {
    float rows[3][3];
  } cases[] = {
      {{{2, 0, 0}, {0.1f, 3, 0}, {0, 0, 5}}},     // rows 0 and 1 nearly orthogonal
      {{{1, 0.2f, 0}, {0, 1, 0.3f}, {0, 0, 1}}},  // skewed all round
      {{{0, 0, 0}, {0, 1, 0}, {0, 0, 1}}},        // a zero row is rebuilt
  };
  for (const Case& c : cases) {
    RwMatrix m = identity();
    for (int r = 0; r < 3; ++r) {
      for (int col = 0; col < 3; ++col) RwSetMatrixElement(&m, r, col, c.rows[r][col]);
    }
    RwSetMatrixPosition(&m, 7, 8, 9);
    RwOrthoNormalizeMatrix(&m, &m);
    RwVector rows[3];
    RwGetMatrixRight(&m, &rows[0]);
    RwGetMatrixUp(&m, &rows[1]);
    RwGetMatrixAt(&m, &rows[2]);
    RwVector cross;
    RwCrossProduct(&rows[0], &rows[1], &cross);
    EXPECT_NEAR(RwDotProduct(&cross, &rows[2]), 1.0f, 1e-3f);  // right-handed, unit
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(RwDotProduct(&rows[i], &rows[(i + 1) % 3]), 0.0f, 1e-3f);
    RwVector position;
    RwGetMatrixPosition(&m, &position);
    expectVectorNear(position, 7, 8, 9);
  }
}

TEST_F(Matrices, TransformOrthoNormalRefusesAMirror) {
  RwMatrix m = identity(), turn = identity(), mirror = identity();
  RwRotateMatrix(&turn, 0, 1, 0, 30, RwReplace);
  RwScaleMatrix(&turn, 1.01f, 1, 1, RwPostConcat);  // a little drift is corrected
  ASSERT_EQ(RwTransformOrthoNormal(&m, &turn, RwPreConcat), &m);
  RwVector right;
  RwGetMatrixRight(&m, &right);
  EXPECT_NEAR(RwDotProduct(&right, &right), 1.0f, 1e-3f);

  RwMatrix before = m;
  RwScaleMatrix(&mirror, -1, 1, 1, RwReplace);
  EXPECT_EQ(RwTransformOrthoNormal(&m, &mirror, RwPreConcat), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrDegenerateFrame);
  EXPECT_EQ(std::memcmp(&before, &m, sizeof m), 0);

  RwMatrix unit = identity();
  EXPECT_EQ(RwTransformOrthoNormal(&unit, &unit, RwPostConcat), &unit);
}

TEST_F(Matrices, FrameSetters) {
  RwMatrix m = identity();
  RwSetMatrixAt(&m, 0, 0, -2);
  RwVector right, up, at;
  RwGetMatrixRight(&m, &right);
  RwGetMatrixUp(&m, &up);
  RwGetMatrixAt(&m, &at);
  expectVectorNear(at, 0, 0, -1);
  expectVectorNear(up, 0, 1, 0);
  expectVectorNear(right, -1, 0, 0);  // right = up x at

  RwSetMatrixUp(&m, 0, 0, 1);  // up along the old at: the at axis is rebuilt
  RwGetMatrixUp(&m, &up);
  expectVectorNear(up, 0, 0, 1);
  RwGetMatrixAt(&m, &at);
  EXPECT_NEAR(RwDotProduct(&at, &up), 0.0f, tolerance);
  EXPECT_EQ(RwGetError(), 0);

  EXPECT_EQ(RwSetMatrixAt(&m, 0, -0.0f, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrZeroVector);
  EXPECT_EQ(RwSetMatrixUp(&m, 0, 0, 0), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrZeroVector);
}

TEST_F(Matrices, VectorsAndNormals) {
  RwMatrix m = identity();
  RwScaleMatrix(&m, 1, 4, 1, RwReplace);
  RwTranslateMatrix(&m, 10, 10, 10, RwPostConcat);
  RwVector v = {1, 1, 0};
  RwTransformVector(&v, &m);  // no translation
  expectVectorNear(v, 1, 4, 0);
  RwVector normal = {1, 1, 0}, out;
  RwTransformNormal(&out, &normal, &m);  // the inverse transpose squashes y
  float k = 1.0f / std::sqrt(1.0f + 1.0f / 16);
  expectVectorNear(out, k, k / 4, 0);
  RwMatrix unit = identity();
  RwTransformNormal(&out, &normal, &unit);
  expectVectorNear(out, std::sqrt(0.5f), std::sqrt(0.5f), 0);

  RwVector a = {1, 2, 3}, b = {4, 5, 6}, r;
  expectVectorNear(*RwAddVector(&a, &b, &r), 5, 7, 9);
  expectVectorNear(*RwSubtractVector(&a, &b, &r), -3, -3, -3);
  expectVectorNear(*RwScaleVector(&a, 2, &r), 2, 4, 6);
  expectVectorNear(*RwAddScaledVector(&a, &b, 0.5f, &r), 3, 4.5f, 6);
  EXPECT_FLOAT_EQ(RwDotProduct(&a, &b), 32);
  expectVectorNear(*RwCrossProduct(&a, &b, &r), -3, 6, -3);
}

TEST_F(Matrices, FloatNormalisationNeitherOverflowsNorUnderflows) {
  RwVector zero = {0, -0.0f, 0}, out = {9, 9, 9};
  EXPECT_EQ(RwNormalizeVector(&out, &zero), 0.0f);
  EXPECT_EQ(std::bit_cast<uint32_t>(out.y), 0x80000000u);  // copied bit for bit

  RwVector huge = {1e30f, 1e-30f, 0};
  float length = RwNormalizeVector(&out, &huge);
  EXPECT_NEAR(length / 1e30f, 1.0f, 1e-3f);
  EXPECT_NEAR(out.x, 1.0f, 1e-3f);
  EXPECT_EQ(out.y, 0.0f);  // flushed

  RwVector tiny = {3e-30f, -4e-30f, 0};
  length = RwNormalizeVector(&out, &tiny);
  EXPECT_NEAR(length / 5e-30f, 1.0f, 1e-3f);
  EXPECT_NEAR(out.x, 0.6f, 1e-3f);
  EXPECT_NEAR(out.y, -0.8f, 1e-3f);
}

TEST_F(Matrices, FixedNormalisation) {
  struct Case {
    RwFixedVector in;
    RwFixed length;
  } cases[] = {
      {{3 << 16, 4 << 16, 0}, 5 << 16},
      {{0, -(2 << 16), 0}, 2 << 16},
      {{100, 0, 0}, 100},
      {{INT32_MIN, INT32_MIN, 0}, INT32_MAX},  // the length does not fit: saturated
  };
  for (const Case& c : cases) {
    RwFixedVector v = c.in;
    RwFixed length = RwNormalizeFixedVector(&v);
    EXPECT_NEAR(length, c.length, std::abs(c.length) / 500.0 + 2);
    double norm = std::hypot(std::hypot(v.x / 65536.0, v.y / 65536.0), v.z / 65536.0);
    EXPECT_NEAR(norm, 1.0, 2e-3) << c.in.x;
  }
  RwFixedVector zero = {0, 0, 0};
  EXPECT_EQ(RwNormalizeFixedVector(&zero), 0);
}

TEST_F(Matrices, StacksGrowByHalfAndPopNeverPassesTheBottom) {
  RwMatrixStack* stack = RwCreateMatrixStack(16);
  ASSERT_NE(stack, nullptr);
  EXPECT_EQ(RwPopMatrixStack(stack), stack->slots[0]);
  EXPECT_EQ(RwMatrixStackDepth(stack), 0);

  RwTranslateMatrix(RwMatrixStackTop(stack), 1, 2, 3, RwReplace);
  for (int push = 1; push <= 24; ++push) {
    RwMatrix* top = RwPushMatrixStack(stack);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->identity, 0);  // copy of the one below
    EXPECT_EQ(top->m[3][2], 3.0f);
    if (push == 15) {
      EXPECT_EQ(stack->capacity, 16);
    } else if (push == 16 || push == 23) {
      EXPECT_EQ(stack->capacity, 24);
    }
  }
  EXPECT_EQ(stack->capacity, 36);
  EXPECT_EQ(RwMatrixStackDepth(stack), 24);

  RwMatrix* reused = stack->slots[5];
  for (int i = 0; i < 20; ++i) RwPopMatrixStack(stack);
  RwIdentityMatrix(RwMatrixStackTop(stack));
  EXPECT_EQ(RwPushMatrixStack(stack), reused);  // popped matrices are kept
  EXPECT_EQ(reused->identity, 1);
  EXPECT_EQ(RwDestroyMatrixStack(stack), 1);
}

TEST_F(Matrices, PushThatCannotGrowLeavesTheStackAsItWas) {
  RwMatrixStack* stack = RwCreateMatrixStack(2);
  ASSERT_NE(RwPushMatrixStack(stack), nullptr);
  RwFailAllocationsAfter(0);
  EXPECT_EQ(RwPushMatrixStack(stack), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrOutOfMemory);
  RwFailAllocationsAfter(-1);
  EXPECT_EQ(RwMatrixStackDepth(stack), 1);
  EXPECT_EQ(stack->capacity, 2);
  EXPECT_NE(RwPushMatrixStack(stack), nullptr);
  RwDestroyMatrixStack(stack);
}

TEST_F(Matrices, LibraryStacks) {
  EXPECT_EQ(RwCTMDepth(), 0);
  RwMatrix* pushed = RwPushCTM();
  EXPECT_EQ(RwGetCTM(), pushed);
  EXPECT_EQ(RwCTMDepth(), 1);
  RwPopCTM();
  EXPECT_EQ(RwCTMDepth(), 0);

  RwMatrix* bottom = RwScratchMatrix();
  ASSERT_NE(bottom, nullptr);
  EXPECT_EQ(bottom->identity, 1);
  RwMatrix* scratch = RwPushScratchMatrix();
  EXPECT_NE(scratch, bottom);
  EXPECT_EQ(RwPopScratchMatrix(), bottom);
}

}  // namespace
