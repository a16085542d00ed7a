// core/vecmath.cpp -- vectors, small matrices and affine transforms.
//
// Every product is formed in double and stored back as float, and every
// function computes into locals before writing its output, so an output may
// always be one of the inputs.
#include "core/vecmath.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

// ---- Products over row-major n x n float matrices -------------------------

// out = first * second (apply first, then second under the row-vector rule).
template <int N>
void multiplySquare(const float* first, const float* second, float* out) {
  float product[N * N];
  for (int row = 0; row < N; ++row) {
    for (int col = 0; col < N; ++col) {
      double sum = 0.0;
      for (int k = 0; k < N; ++k) sum += double(first[row * N + k]) * double(second[k * N + col]);
      product[row * N + col] = float(sum);
    }
  }
  std::copy(product, product + N * N, out);
}

template <int N>
void transposeSquare(const float* in, float* out) {
  float transposed[N * N];
  for (int row = 0; row < N; ++row) {
    for (int col = 0; col < N; ++col) transposed[col * N + row] = in[row * N + col];
  }
  std::copy(transposed, transposed + N * N, out);
}

// ---- Row vector times matrix ----------------------------------------------

ZmVec3 timesMat3(const ZmVec3& v, const float m[9]) {
  const double x = v.x, y = v.y, z = v.z;
  return {float(x * m[0] + y * m[3] + z * m[6]), float(x * m[1] + y * m[4] + z * m[7]),
          float(x * m[2] + y * m[5] + z * m[8])};
}

ZmVec2 timesMat2(const ZmVec2& v, const float m[4]) {
  const double x = v.x, y = v.y;
  return {float(x * m[0] + y * m[2]), float(x * m[1] + y * m[3])};
}

ZmVec3 transformPoint(const ZmRT& rt, const ZmVec3& p) {
  const double x = p.x, y = p.y, z = p.z;
  const float* m = rt.m;
  return {float(x * m[0] + y * m[3] + z * m[6] + rt.t.x),
          float(x * m[1] + y * m[4] + z * m[7] + rt.t.y),
          float(x * m[2] + y * m[5] + z * m[8] + rt.t.z)};
}

ZmVec2 transformPoint(const ZmRT2& rt, const ZmVec2& p) {
  const double x = p.x, y = p.y;
  const float* m = rt.m;
  return {float(x * m[0] + y * m[2] + rt.t.x), float(x * m[1] + y * m[3] + rt.t.y)};
}

// ---- Affine composition and rigid inverse ----------------------------------

ZmRT composeRT(const ZmRT& a, const ZmRT& b) {  // b then a
  ZmRT c;
  multiplySquare<3>(b.m, a.m, c.m);
  c.t = transformPoint(a, b.t);
  return c;
}

ZmRT2 composeRT2(const ZmRT2& a, const ZmRT2& b) {
  ZmRT2 c;
  multiplySquare<2>(b.m, a.m, c.m);
  c.t = transformPoint(a, b.t);
  return c;
}

ZmRT rigidInverse(const ZmRT& a) {
  ZmRT inverse;
  transposeSquare<3>(a.m, inverse.m);
  const ZmVec3 turned = timesMat3(a.t, inverse.m);
  inverse.t = {-turned.x, -turned.y, -turned.z};
  return inverse;
}

ZmRT2 rigidInverse(const ZmRT2& a) {
  ZmRT2 inverse;
  transposeSquare<2>(a.m, inverse.m);
  const ZmVec2 turned = timesMat2(a.t, inverse.m);
  inverse.t = {-turned.x, -turned.y};
  return inverse;
}

// ---- Vectors ----------------------------------------------------------------

double dot(const ZmVec3& a, const ZmVec3& b) {
  return double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
}

ZmVec3 cross(const ZmVec3& a, const ZmVec3& b) {
  return {float(double(a.y) * b.z - double(a.z) * b.y),
          float(double(a.z) * b.x - double(b.z) * a.x),
          float(double(b.y) * a.x - double(a.y) * b.x)};
}

ZmVec3 normalized(const ZmVec3& a) {
  const double length = std::sqrt(dot(a, a));
  if (length == 0.0) return {0.0f, 0.0f, 0.0f};
  return {float(a.x / length), float(a.y / length), float(a.z / length)};
}

ZmVec3 difference(const ZmVec3& a, const ZmVec3& b) {
  return {float(double(a.x) - b.x), float(double(a.y) - b.y), float(double(a.z) - b.z)};
}

// ---- Rotations ------------------------------------------------------------

struct Mat3d {
  double m[9];
};

Mat3d rotationX(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {{1, 0, 0, 0, c, s, 0, -s, c}};
}

Mat3d rotationY(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {{c, 0, -s, 0, 1, 0, s, 0, c}};
}

Mat3d rotationZ(double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  return {{c, s, 0, -s, c, 0, 0, 0, 1}};
}

Mat3d times(const Mat3d& a, const Mat3d& b) {
  Mat3d product;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      double sum = 0.0;
      for (int k = 0; k < 3; ++k) sum += a.m[row * 3 + k] * b.m[k * 3 + col];
      product.m[row * 3 + col] = sum;
    }
  }
  return product;
}

// Stores first*second*third: the turn that applies first, then second, then
// third. Only the final product is rounded to float.
void storeTurns(const Mat3d& first, const Mat3d& second, const Mat3d& third, float out[9]) {
  const Mat3d product = times(times(first, second), third);
  for (int i = 0; i < 9; ++i) out[i] = float(product.m[i]);
}

// ---- Decomposition --------------------------------------------------------

struct Row {
  double x, y, z;
};

double length(const Row& r) { return std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z); }

// Divides the row by its length and returns that length; a zero row stays
// zero (scale 0) instead of filling the angles with NaN.
double normalizeRow(Row& r) {
  const double len = length(r);
  if (len != 0.0) {
    r.x /= len;
    r.y /= len;
    r.z /= len;
  }
  return len;
}

double tripleProduct(const Row& r0, const Row& r1, const Row& r2) {
  return r0.x * (r1.y * r2.z - r1.z * r2.y) + r0.y * (r1.z * r2.x - r1.x * r2.z) +
         r0.z * (r1.x * r2.y - r1.y * r2.x);
}

// Below this |cos(ay)| the x and z turns act about one axis (gimbal lock) and
// only their difference (at +90 degrees) or sum (at -90) survives in the
// matrix. No float angle has a cosine of exactly 0, so the test needs a
// margin; 1e-6 lies just above the float rounding of the matrix elements.
constexpr double kGimbalCosine = 1e-6;

ZmVec3 anglesOfRows(const Row& r0, const Row& r1, const Row& r2) {
  // Rounding may leave |r0.z| a hair above 1, where asin has no value.
  const float ay = float(std::asin(std::clamp(-r0.z, -1.0, 1.0)));
  if (std::fabs(std::cos(double(ay))) >= kGimbalCosine) {
    return {float(std::atan2(r1.z, r2.z)), ay, float(std::atan2(r0.y, r0.x))};
  }
  // With az = 0 and sin(ay) = +-1, row 1 is (sin(ay)*sin(ax), cos(ax), 0).
  const double sinY = std::copysign(1.0, double(ay));
  return {float(std::atan2(sinY * r1.x, r1.y)), ay, 0.0f};
}

}  // namespace

// ---- Products -------------------------------------------------------------

void zmMat3Mult(const float a[9], const float b[9], float c[9]) { multiplySquare<3>(b, a, c); }
void zmMat3PreMult(const float a[9], float b[9]) { multiplySquare<3>(b, a, b); }
void zmMat3PostMult(const float a[9], float b[9]) { multiplySquare<3>(a, b, b); }
void zmMat2Mult(const float a[4], const float b[4], float c[4]) { multiplySquare<2>(b, a, c); }
void zmMat2PreMult(const float a[4], float b[4]) { multiplySquare<2>(b, a, b); }
void zmMat2PostMult(const float a[4], float b[4]) { multiplySquare<2>(a, b, b); }

void zmRTMult(const ZmRT* a, const ZmRT* b, ZmRT* c) { *c = composeRT(*a, *b); }
void zmRTPreMult(const ZmRT* a, ZmRT* b) { *b = composeRT(*a, *b); }
void zmRTPostMult(const ZmRT* a, ZmRT* b) { *b = composeRT(*b, *a); }
void zmRT2Mult(const ZmRT2* a, const ZmRT2* b, ZmRT2* c) { *c = composeRT2(*a, *b); }
void zmRT2PreMult(const ZmRT2* a, ZmRT2* b) { *b = composeRT2(*a, *b); }
void zmRT2PostMult(const ZmRT2* a, ZmRT2* b) { *b = composeRT2(*b, *a); }

// ---- Inverse, transpose, identity, construction ---------------------------

void zmRTInvert(const ZmRT* a, ZmRT* b) { *b = rigidInverse(*a); }
void zmRTInvertSelf(ZmRT* a) { *a = rigidInverse(*a); }
void zmRT2Invert(const ZmRT2* a, ZmRT2* b) { *b = rigidInverse(*a); }
void zmRT2InvertSelf(ZmRT2* a) { *a = rigidInverse(*a); }

void zmMat3Transpose(const float a[9], float b[9]) { transposeSquare<3>(a, b); }
void zmMat3TransposeSelf(float a[9]) { transposeSquare<3>(a, a); }
void zmMat2Transpose(const float a[4], float b[4]) { transposeSquare<2>(a, b); }
void zmMat2TransposeSelf(float a[4]) { transposeSquare<2>(a, a); }

ZmRT* zmRTIdentity(ZmRT* a) {
  *a = ZmRT{};
  a->m[0] = a->m[4] = a->m[8] = 1.0f;
  return a;
}

void zmRT2Identity(ZmRT2* a) { *a = ZmRT2{{1.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f}}; }

void zmMat3Identity(float m[9]) { zmMat3Diagonal(1.0f, 1.0f, 1.0f, m); }

float* zmMat2Identity(float a[4]) {
  a[0] = a[3] = 1.0f;
  a[1] = a[2] = 0.0f;
  return a;
}

void zmMat3Diagonal(float x, float y, float z, float m[9]) {
  std::fill(m, m + 9, 0.0f);
  m[0] = x;
  m[4] = y;
  m[8] = z;
}

// ---- Vectors --------------------------------------------------------------

void zmVec3Add(const ZmVec3* a, const ZmVec3* b, ZmVec3* c) { zmVec3Combine(a, b, c, 1.0f, 1.0f); }

ZmVec3* zmVec3Sum(const ZmVec3* a, const ZmVec3* b, ZmVec3* c) {
  return zmVec3Combine(a, b, c, 1.0f, 1.0f);
}

void zmVec2Add(const ZmVec2* a, const ZmVec2* b, ZmVec2* c) {
  *c = {float(double(a->x) + b->x), float(double(a->y) + b->y)};
}

void zmVec3AddTo(const ZmVec3* a, ZmVec3* b) { zmVec3Combine(a, b, b, 1.0f, 1.0f); }
void zmVec2AddTo(const ZmVec2* a, ZmVec2* b) { zmVec2Add(a, b, b); }
void zmVec3Sub(const ZmVec3* a, const ZmVec3* b, ZmVec3* c) { *c = difference(*a, *b); }
void zmVec3Negate(const ZmVec3* a, ZmVec3* b) { *b = {-a->x, -a->y, -a->z}; }

ZmVec2* zmVec2Negate(const ZmVec2* a, ZmVec2* b) {
  *b = {-a->x, -a->y};
  return b;
}

void zmVec3NegateSelf(ZmVec3* a) { zmVec3Negate(a, a); }
void zmVec2NegateSelf(ZmVec2* a) { zmVec2Negate(a, a); }
void zmVec3Zero(ZmVec3* a) { *a = {0.0f, 0.0f, 0.0f}; }
void zmVec2Zero(ZmVec2* a) { *a = {0.0f, 0.0f}; }

double zmVec3Dot(const ZmVec3* a, const ZmVec3* b) { return dot(*a, *b); }
double zmVec3DotProduct(const ZmVec3* a, const ZmVec3* b) { return dot(*a, *b); }
double zmVec2Dot(const ZmVec2* a, const ZmVec2* b) { return zmDot2f(a->x, a->y, b->x, b->y); }

double zmDot3f(float x0, float y0, float z0, float x1, float y1, float z1) {
  return dot({x0, y0, z0}, {x1, y1, z1});
}

double zmDot2f(float x0, float y0, float x1, float y1) {
  return double(x0) * x1 + double(y0) * y1;
}

void zmVec3Cross(const ZmVec3* a, const ZmVec3* b, ZmVec3* c) { *c = cross(*a, *b); }

ZmVec3* zmVec3CrossRet(const ZmVec3* a, const ZmVec3* b, ZmVec3* c) {
  *c = cross(*a, *b);
  return c;
}

double zmVec3Length(const ZmVec3* a) { return std::sqrt(dot(*a, *a)); }
void zmVec3Normalize(const ZmVec3* a, ZmVec3* b) { *b = normalized(*a); }
void zmVec3NormalizeSelf(ZmVec3* a) { *a = normalized(*a); }

ZmVec3* zmVec3Combine(const ZmVec3* a, const ZmVec3* b, ZmVec3* c, float wa, float wb) {
  *c = {float(double(wa) * a->x + double(wb) * b->x), float(double(wa) * a->y + double(wb) * b->y),
        float(double(wa) * a->z + double(wb) * b->z)};
  return c;
}

void zmCalcPolygonNormal(const ZmVec3* p0, const ZmVec3* p1, const ZmVec3* p2, ZmVec3* n) {
  *n = normalized(cross(difference(*p1, *p0), difference(*p2, *p0)));
}

void zmVec3ArrayMin(const ZmVec3* v, int n, ZmVec3* min) {
  if (n < 1) return;
  ZmVec3 least = v[0];
  for (int i = 1; i < n; ++i) {
    if (v[i].x < least.x) least.x = v[i].x;
    if (v[i].y < least.y) least.y = v[i].y;
    if (v[i].z < least.z) least.z = v[i].z;
  }
  *min = least;
}

void zmVec3ArrayMax(const ZmVec3* v, int n, ZmVec3* max) {
  if (n < 1) return;
  ZmVec3 greatest = v[0];
  for (int i = 1; i < n; ++i) {
    if (v[i].x > greatest.x) greatest.x = v[i].x;
    if (v[i].y > greatest.y) greatest.y = v[i].y;
    if (v[i].z > greatest.z) greatest.z = v[i].z;
  }
  *max = greatest;
}

void zmVec3ArrayMinMax(const ZmVec3* v, int n, ZmVec3* max, ZmVec3* min) {
  zmVec3ArrayMax(v, n, max);
  zmVec3ArrayMin(v, n, min);
}

// ---- Transforming ---------------------------------------------------------

void zmMat3TransformVec3(const float m[9], const ZmVec3* v, ZmVec3* out) { *out = timesMat3(*v, m); }
void zmMat3TransformVec3Self(const float m[9], ZmVec3* v) { *v = timesMat3(*v, m); }
void zmMat2TransformVec2(const float m[4], const ZmVec2* v, ZmVec2* out) { *out = timesMat2(*v, m); }
void zmMat2TransformVec2Self(const float m[4], ZmVec2* v) { *v = timesMat2(*v, m); }

void zmRTTransformPoint(const ZmRT* m, const ZmVec3* p, ZmVec3* out) { *out = transformPoint(*m, *p); }
void zmRTTransformPointSelf(const ZmRT* m, ZmVec3* p) { *p = transformPoint(*m, *p); }
void zmRT2TransformPoint(const ZmRT2* m, const ZmVec2* p, ZmVec2* out) {
  *out = transformPoint(*m, *p);
}
void zmRT2TransformPointSelf(const ZmRT2* m, ZmVec2* p) { *p = transformPoint(*m, *p); }

int zmRTTransformPoints(int n, const ZmRT* m, const ZmVec3* in, ZmVec3* out) {
  if (n <= 0) return 0;
  for (int i = 0; i < n; ++i) out[i] = transformPoint(*m, in[i]);
  return n;
}

void zmRT2TransformPoints(int n, const ZmRT2* m, const ZmVec2* in, ZmVec2* out) {
  for (int i = 0; i < n; ++i) out[i] = transformPoint(*m, in[i]);
}

// ---- Rotations ------------------------------------------------------------

void zmMat3FromAngles(double ax, double ay, double az, float m[9]) {
  storeTurns(rotationX(ax), rotationY(ay), rotationZ(az), m);
}

void zmMat3FromAnglesZYX(double ax, double ay, double az, float m[9]) {
  storeTurns(rotationZ(az), rotationY(ay), rotationX(ax), m);
}

void zmMat3FromAnglesYXZ(double ax, double ay, double az, float m[9]) {
  storeTurns(rotationY(ay), rotationX(ax), rotationZ(az), m);
}

void zmMat3FromAnglesZXY(double ax, double ay, double az, float m[9]) {
  storeTurns(rotationZ(az), rotationX(ax), rotationY(ay), m);
}

void zmMat3FromAxisAngle(const ZmVec3* axis, double angle, float m[9]) {
  const double x = axis->x, y = axis->y, z = axis->z;
  const double c = std::cos(angle), s = std::sin(angle), k = 1.0 - c;
  const double rotation[9] = {x * x * k + c,     x * y * k + z * s, x * z * k - y * s,
                              x * y * k - z * s, y * y * k + c,     y * z * k + x * s,
                              x * z * k + y * s, y * z * k - x * s, z * z * k + c};
  for (int i = 0; i < 9; ++i) m[i] = float(rotation[i]);
}

// ---- Decomposition --------------------------------------------------------

void unmatrix(const ZmRT* matrix, ZmVec3* translation, float rotation[9], ZmVec3* scale,
              ZmVec3* angles) {
  const float* m = matrix->m;
  Row r0{m[0], m[1], m[2]}, r1{m[3], m[4], m[5]}, r2{m[6], m[7], m[8]};
  double sx = normalizeRow(r0), sy = normalizeRow(r1), sz = normalizeRow(r2);
  if (tripleProduct(r0, r1, r2) < 0.0) {
    for (Row* r : {&r0, &r1, &r2}) *r = {-r->x, -r->y, -r->z};
    sx = -sx;
    sy = -sy;
    sz = -sz;
  }
  *translation = matrix->t;
  *scale = {float(sx), float(sy), float(sz)};
  *angles = anglesOfRows(r0, r1, r2);
  zmMat3Diagonal(angles->x, angles->y, angles->z, rotation);
}
