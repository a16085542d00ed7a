// Tests of core/vecmath: the row-vector convention of products and inverses,
// the rotation builders, the vector helpers' degenerate inputs, and unmatrix
// round trips (including gimbal lock and reflections).
#include "core/vecmath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kHalfPi = std::numbers::pi / 2;

ZmRT translation(float x, float y, float z) {
  ZmRT rt;
  zmRTIdentity(&rt);
  rt.t = {x, y, z};
  return rt;
}

ZmRT turnAndShift(double ax, double ay, double az, ZmVec3 t) {
  ZmRT rt;
  zmMat3FromAngles(ax, ay, az, rt.m);
  rt.t = t;
  return rt;
}

void expectVec3Near(const ZmVec3& actual, const ZmVec3& expected, double tolerance = 1e-6) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expectMat3Near(const float* actual, const float* expected, double tolerance = 1e-6) {
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

void expectRTNear(const ZmRT& actual, const ZmRT& expected, double tolerance = 1e-6) {
  expectMat3Near(actual.m, expected.m, tolerance);
  expectVec3Near(actual.t, expected.t, tolerance);
}

ZmVec3 mapped(const ZmRT& rt, ZmVec3 p) {
  ZmVec3 out;
  zmRTTransformPoint(&rt, &p, &out);
  return out;
}

ZmVec3 turned(const float* m, ZmVec3 v) {
  zmMat3TransformVec3Self(m, &v);
  return v;
}

// ---- Products and inverses -------------------------------------------------

TEST(VecmathProducts, RTMultAppliesSecondOperandFirst) {
  const ZmRT shift = translation(1, 0, 0);
  const ZmRT quarterTurn = turnAndShift(0, 0, kHalfPi, {0, 0, 0});
  ZmRT c;
  zmRTMult(&shift, &quarterTurn, &c);
  expectVec3Near(mapped(c, {1, 0, 0}), {1, 1, 0});
  zmRTMult(&quarterTurn, &shift, &c);
  expectVec3Near(mapped(c, {1, 0, 0}), {0, 2, 0});
}

TEST(VecmathProducts, PreAndPostMultComposeInPlace) {
  const ZmRT a = turnAndShift(0.3, -0.7, 1.1, {1, 2, 3});
  const ZmRT b = turnAndShift(-1.2, 0.4, 0.25, {-4, 0.5, 2});
  const ZmVec3 p{0.5f, -1.5f, 2.0f};

  ZmRT pre = b;
  zmRTPreMult(&a, &pre);
  expectVec3Near(mapped(pre, p), mapped(a, mapped(b, p)), 1e-5);

  ZmRT post = b;
  zmRTPostMult(&a, &post);
  expectVec3Near(mapped(post, p), mapped(b, mapped(a, p)), 1e-5);

  ZmRT aliased = a;
  zmRTMult(&aliased, &b, &aliased);
  ZmRT separate;
  zmRTMult(&a, &b, &separate);
  expectRTNear(aliased, separate);
}

TEST(VecmathProducts, Mat3FormsFollowTheSameOrder) {
  float a[9], b[9], expected[9];
  zmMat3FromAngles(0.2, 0.9, -0.4, a);
  zmMat3FromAngles(1.3, -0.1, 0.6, b);
  zmMat3Mult(a, b, expected);  // b then a
  const ZmVec3 v{1, 2, 3};
  expectVec3Near(turned(expected, v), turned(a, turned(b, v)), 1e-5);

  float pre[9];
  std::copy(b, b + 9, pre);
  zmMat3PreMult(a, pre);
  expectMat3Near(pre, expected);

  float post[9];
  std::copy(b, b + 9, post);
  zmMat3PostMult(a, post);
  expectVec3Near(turned(post, v), turned(b, turned(a, v)), 1e-5);

  // Writing the product over an operand gives the same matrix.
  zmMat3Mult(a, b, b);
  expectMat3Near(b, expected);
}

TEST(VecmathProducts, RT2ComposesAndInvertsLikeRT) {
  // Quarter turn followed by a shift of (2, 0).
  ZmRT2 turn{{0, 1, -1, 0}, {0, 0}};
  ZmRT2 shift;
  zmRT2Identity(&shift);
  shift.t = {2, 0};
  ZmRT2 both;
  zmRT2Mult(&shift, &turn, &both);
  ZmVec2 p{1, 0};
  zmRT2TransformPointSelf(&both, &p);
  EXPECT_NEAR(p.x, 2, 1e-6);
  EXPECT_NEAR(p.y, 1, 1e-6);

  ZmRT2 inverse;
  zmRT2Invert(&both, &inverse);
  zmRT2PostMult(&inverse, &both);  // inverse first, then both
  ZmRT2 identity;
  zmRT2Identity(&identity);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(both.m[i], identity.m[i], 1e-6);
  EXPECT_NEAR(both.t.x, 0, 1e-6);
  EXPECT_NEAR(both.t.y, 0, 1e-6);
}

TEST(VecmathInverse, RigidTransformTimesItsInverseIsIdentity) {
  const ZmRT a = turnAndShift(0.7, -0.3, 2.1, {5, -6, 7});
  ZmRT inverse, product, identity;
  zmRTInvert(&a, &inverse);
  zmRTMult(&a, &inverse, &product);
  expectRTNear(product, *zmRTIdentity(&identity), 1e-5);

  ZmRT self = a;
  zmRTInvertSelf(&self);
  expectRTNear(self, inverse);
}

TEST(VecmathInverse, ScaledMatrixIsOnlyTransposed) {
  ZmRT scaled = translation(1, 2, 3);
  scaled.m[0] = 2.0f;
  ZmRT inverse;
  zmRTInvert(&scaled, &inverse);
  EXPECT_EQ(inverse.m[0], 2.0f);
  expectVec3Near(inverse.t, {-2, -2, -3});
}

// ---- Rotations -------------------------------------------------------------

TEST(VecmathRotation, ElementaryTurnsAreRightHanded) {
  float m[9];
  zmMat3FromAngles(0, 0, kHalfPi, m);
  expectVec3Near(turned(m, {1, 0, 0}), {0, 1, 0});
  zmMat3FromAngles(kHalfPi, 0, 0, m);
  expectVec3Near(turned(m, {0, 1, 0}), {0, 0, 1});
  zmMat3FromAngles(0, kHalfPi, 0, m);
  expectVec3Near(turned(m, {0, 0, 1}), {1, 0, 0});
}

TEST(VecmathRotation, FromAnglesMatchesTheClosedForm) {
  const double ax = 0.4, ay = -1.1, az = 2.5;
  const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
  const double cz = std::cos(az), sz = std::sin(az);
  const float expected[9] = {float(cz * cy),
                             float(sz * cy),
                             float(-sy),
                             float(cz * sy * sx - sz * cx),
                             float(sz * sy * sx + cz * cx),
                             float(cy * sx),
                             float(cz * sy * cx + sz * sx),
                             float(sz * sy * cx - cz * sx),
                             float(cy * cx)};
  float m[9];
  zmMat3FromAngles(ax, ay, az, m);
  expectMat3Near(m, expected);
}

TEST(VecmathRotation, AngleOrdersTurnAxesInTheirNamedOrder) {
  const double ax = 0.3, ay = -0.8, az = 1.4;
  float rx[9], ry[9], rz[9];
  zmMat3FromAngles(ax, 0, 0, rx);
  zmMat3FromAngles(0, ay, 0, ry);
  zmMat3FromAngles(0, 0, az, rz);
  using Builder = void (*)(double, double, double, float*);
  struct Case {
    const char* name;
    Builder build;
    const float* first;
    const float* second;
    const float* third;
  };
  const Case cases[] = {
      {"XYZ", zmMat3FromAngles, rx, ry, rz},
      {"ZYX", zmMat3FromAnglesZYX, rz, ry, rx},
      {"YXZ", zmMat3FromAnglesYXZ, ry, rx, rz},
      {"ZXY", zmMat3FromAnglesZXY, rz, rx, ry},
  };
  const ZmVec3 v{0.2f, -1.0f, 0.7f};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    float m[9];
    c.build(ax, ay, az, m);
    expectVec3Near(turned(m, v), turned(c.third, turned(c.second, turned(c.first, v))), 1e-5);
  }
}

TEST(VecmathRotation, AxisAngleAgreesWithAngles) {
  float fromAxis[9], fromAngles[9];
  const ZmVec3 z{0, 0, 1};
  zmMat3FromAxisAngle(&z, kHalfPi, fromAxis);
  zmMat3FromAngles(0, 0, kHalfPi, fromAngles);
  expectMat3Near(fromAxis, fromAngles);

  const ZmVec3 y{0, 1, 0};
  zmMat3FromAxisAngle(&y, -0.6, fromAxis);
  zmMat3FromAngles(0, -0.6, 0, fromAngles);
  expectMat3Near(fromAxis, fromAngles);
}

// ---- Vectors -----------------------------------------------------------------

TEST(VecmathVectors, CrossFollowsTheRightHandRule) {
  const ZmVec3 x{1, 0, 0}, y{0, 1, 0};
  ZmVec3 c;
  EXPECT_EQ(zmVec3CrossRet(&x, &y, &c), &c);
  expectVec3Near(c, {0, 0, 1});
  zmVec3Cross(&y, &x, &c);
  expectVec3Near(c, {0, 0, -1});
}

TEST(VecmathVectors, ZeroLengthNormalisesToZero) {
  const ZmVec3 zero{0, 0, 0};
  ZmVec3 out{9, 9, 9};
  zmVec3Normalize(&zero, &out);
  expectVec3Near(out, zero, 0);
  ZmVec3 self = zero;
  zmVec3NormalizeSelf(&self);
  EXPECT_FALSE(std::isnan(self.x) || std::isnan(self.y) || std::isnan(self.z));
  expectVec3Near(self, zero, 0);

  ZmVec3 v{3, 0, 4};
  zmVec3NormalizeSelf(&v);
  expectVec3Near(v, {0.6f, 0, 0.8f});
}

TEST(VecmathVectors, PolygonNormal) {
  const ZmVec3 p0{1, 1, 0}, p1{3, 1, 0}, p2{1, 4, 0};
  ZmVec3 n;
  zmCalcPolygonNormal(&p0, &p1, &p2, &n);
  expectVec3Near(n, {0, 0, 1});
  const ZmVec3 q0{1, 1, 0}, q1{2, 2, 2}, q2{3, 3, 4};  // on one line
  zmCalcPolygonNormal(&q0, &q1, &q2, &n);
  expectVec3Near(n, {0, 0, 0}, 0);
}

TEST(VecmathVectors, ArrayMinMaxKeepsFirstOfEqualValues) {
  // -0.0 equals 0.0 but shows which of the tied x values was kept.
  const ZmVec3 v[] = {{0.0f, 5, -1}, {-0.0f, 2, 7}, {-0.0f, 2, -3}};
  ZmVec3 min, max;
  zmVec3ArrayMinMax(v, 3, &max, &min);
  EXPECT_FALSE(std::signbit(min.x));
  EXPECT_FALSE(std::signbit(max.x));
  expectVec3Near(min, {0, 2, -3}, 0);
  expectVec3Near(max, {0, 5, 7}, 0);

  zmVec3ArrayMin(v + 1, 1, &min);
  zmVec3ArrayMax(v + 1, 1, &max);
  EXPECT_TRUE(std::signbit(min.x));
  expectVec3Near(min, v[1], 0);
  expectVec3Near(max, v[1], 0);

  ZmVec3 untouched{9, 9, 9};
  zmVec3ArrayMin(v, 0, &untouched);
  expectVec3Near(untouched, {9, 9, 9}, 0);
}

TEST(VecmathVectors, TransformPointsCountsWhatItDid) {
  const ZmRT shift = translation(1, 2, 3);
  const ZmVec3 in[] = {{0, 0, 0}, {1, 1, 1}};
  ZmVec3 out[2] = {};
  EXPECT_EQ(zmRTTransformPoints(2, &shift, in, out), 2);
  expectVec3Near(out[1], {2, 3, 4});
  EXPECT_EQ(zmRTTransformPoints(0, &shift, in, out), 0);
  EXPECT_EQ(zmRTTransformPoints(-4, &shift, in, out), 0);
}

// ---- unmatrix ------------------------------------------------------------------

struct Decomposition {
  ZmVec3 translation, scale, angles;
  float rotation[9];
};

Decomposition decompose(const ZmRT& rt) {
  Decomposition d;
  unmatrix(&rt, &d.translation, d.rotation, &d.scale, &d.angles);
  return d;
}

// The 3x3 part rebuilt from scale and angles: each row of the rotation times
// its scale.
void rebuild(const Decomposition& d, float m[9]) {
  zmMat3FromAngles(d.angles.x, d.angles.y, d.angles.z, m);
  const float scale[3] = {d.scale.x, d.scale.y, d.scale.z};
  for (int i = 0; i < 9; ++i) m[i] *= scale[i / 3];
}

TEST(VecmathUnmatrix, GivesBackTheAnglesItWasBuiltFrom) {
  const double degree = kPi / 180;
  struct Angles {
    double ax, ay, az;
  };
  const Angles cases[] = {
      {0, 0, 0},
      {0.5, 0, 0},
      {0, 0.5, 0},
      {0, 0, 0.5},
      {0.3, -0.7, 1.2},
      {-2.5, 1.2, -3.0},
      {170 * degree, -45 * degree, -170 * degree},
      {10 * degree, 89 * degree, 20 * degree},
      {-10 * degree, -89 * degree, 120 * degree},
  };
  for (const Angles& a : cases) {
    SCOPED_TRACE(testing::Message() << a.ax << ", " << a.ay << ", " << a.az);
    const ZmRT rt = turnAndShift(a.ax, a.ay, a.az, {1, -2, 3});
    const Decomposition d = decompose(rt);
    expectVec3Near(d.angles, {float(a.ax), float(a.ay), float(a.az)}, 2e-5);
    expectVec3Near(d.scale, {1, 1, 1}, 1e-6);
    expectVec3Near(d.translation, {1, -2, 3}, 0);
    float diagonal[9];
    zmMat3Diagonal(d.angles.x, d.angles.y, d.angles.z, diagonal);
    expectMat3Near(d.rotation, diagonal, 0);
  }
}

// At ay = +-90 degrees the x and z turns share an axis: only ax - az (at +90)
// or ax + az (at -90) is in the matrix, and it comes back as x with z = 0.
TEST(VecmathUnmatrix, GimbalLockFoldsTheTurnIntoX) {
  struct Case {
    double ax, ay, az, expectedX;
  };
  const Case cases[] = {
      {0.3, kHalfPi, 0.2, 0.1},
      {0.3, -kHalfPi, 0.2, 0.5},
      {0, kHalfPi, 0, 0},
      {-1.0, -kHalfPi, 0.4, -0.6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ax << ", " << c.ay << ", " << c.az);
    const ZmRT rt = turnAndShift(c.ax, c.ay, c.az, {0, 0, 0});
    const Decomposition d = decompose(rt);
    expectVec3Near(d.angles, {float(c.expectedX), float(c.ay), 0}, 1e-5);
    float m[9];
    rebuild(d, m);
    expectMat3Near(m, rt.m, 1e-5);
  }
}

// A matrix that reaches 90 degrees through a product carries rounding noise
// where the cosine terms would be; the decomposition must still rebuild it.
TEST(VecmathUnmatrix, NoisyGimbalMatrixStillRebuilds) {
  ZmRT first = turnAndShift(0.3, kPi / 4, 0, {0, 0, 0});
  const ZmRT second = turnAndShift(0, kPi / 4, 0.2, {0, 0, 0});
  ZmRT product;
  zmRTMult(&second, &first, &product);  // first, then second
  const Decomposition d = decompose(product);
  float m[9];
  rebuild(d, m);
  expectMat3Near(m, product.m, 1e-5);
}

// Row lengths become the scale; a left-handed matrix comes back with every
// scale negated (two mirrors make a turn and come back positive).
TEST(VecmathUnmatrix, ScaleAndReflection) {
  struct Case {
    const char* name;
    ZmVec3 rowScale, expectedScale;
  };
  const Case cases[] = {
      {"uniform", {2, 2, 2}, {2, 2, 2}},
      {"per row", {0.5f, 3, 1.5f}, {0.5f, 3, 1.5f}},
      {"mirrored x", {-2, 1, 1}, {-2, -1, -1}},
      {"mirrored x and y", {-2, -1, 3}, {2, 1, 3}},
      {"mirrored all", {-1, -1, -1}, {-1, -1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZmRT rt = turnAndShift(0.4, 0.3, -0.9, {7, 8, 9});
    const float s[3] = {c.rowScale.x, c.rowScale.y, c.rowScale.z};
    for (int i = 0; i < 9; ++i) rt.m[i] *= s[i / 3];
    const Decomposition d = decompose(rt);
    expectVec3Near(d.scale, c.expectedScale, 1e-5);
    float m[9];
    rebuild(d, m);
    expectMat3Near(m, rt.m, 1e-5);
  }
}

TEST(VecmathUnmatrix, ZeroRowGivesZeroScaleNotNaN) {
  ZmRT rt = turnAndShift(0, 0, 0, {0, 0, 0});
  rt.m[0] = rt.m[1] = rt.m[2] = 0;
  const Decomposition d = decompose(rt);
  EXPECT_EQ(d.scale.x, 0.0f);
  for (float value : {d.angles.x, d.angles.y, d.angles.z}) EXPECT_FALSE(std::isnan(value));
}

}  // namespace
