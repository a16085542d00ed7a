// core/vecmath.h -- vectors, small matrices and affine transforms in float.
//
// Owns: the value types ZmVec2, ZmVec3, ZmRT (3x4 affine: a 3x3
// rotation-scale part and a translation) and ZmRT2 (2x3 texture transform),
// and plain functions over them and over 2x2 and 3x3 matrices held as
// row-major float arrays: products, rigid inverses, transposes, vector
// arithmetic, point transforms, rotations from angles or an axis, and the
// decomposition of a ZmRT (unmatrix). Nothing here allocates, reports or
// fails; every operand is an array the caller owns. It does not own object
// transforms or coordinate systems (core/transform.h), which build on it.
//
// Conventions every caller relies on:
//  - Vectors are row vectors multiplied on the left: a 3x3 matrix maps v to
//    v*M, so the rows of M are the images of the x, y and z axes. A ZmRT
//    maps a point p to p*M + t; a direction goes through the 3x3 part only.
//    The 2-D forms (2x2 matrices, ZmRT2) follow the same rule.
//  - "b then a" names the transform that applies b first: as matrices B*A.
//  - Rotations are right-handed, angles are radians and come in as double;
//    everything else is float, with sums and products formed in double and
//    stored back as float.
#ifndef LUMENFOLD_CORE_VECMATH_H
#define LUMENFOLD_CORE_VECMATH_H

struct ZmVec2 {
  float x, y;
};

struct ZmVec3 {
  float x, y, z;
};

// Twelve floats in this order, as the wire and bookmark formats keep them:
// the rotation-scale rows (row r is m[3r], m[3r+1], m[3r+2]), then t.
struct ZmRT {
  float m[9];
  ZmVec3 t;
};

// Six floats: the 2x2 part (row r is m[2r], m[2r+1]), then t.
struct ZmRT2 {
  float m[4];
  ZmVec2 t;
};

static_assert(sizeof(ZmRT) == 12 * sizeof(float), "ZmRT is twelve packed floats");
static_assert(sizeof(ZmRT2) == 6 * sizeof(float), "ZmRT2 is six packed floats");

// ---- Products -------------------------------------------------------------
// Mult(a, b, c): c = b then a. PreMult(a, b): b = b then a. PostMult(a, b):
// b = a then b. Every form may write over one of its inputs.

void zmMat3Mult(const float a[9], const float b[9], float c[9]);
void zmMat3PreMult(const float a[9], float b[9]);
void zmMat3PostMult(const float a[9], float b[9]);
void zmMat2Mult(const float a[4], const float b[4], float c[4]);
void zmMat2PreMult(const float a[4], float b[4]);
void zmMat2PostMult(const float a[4], float b[4]);

// c's 3x3 part is B*A and its translation t_b*A + t_a, so c(p) = a(b(p)).
void zmRTMult(const ZmRT* a, const ZmRT* b, ZmRT* c);
void zmRTPreMult(const ZmRT* a, ZmRT* b);
void zmRTPostMult(const ZmRT* a, ZmRT* b);
void zmRT2Mult(const ZmRT2* a, const ZmRT2* b, ZmRT2* c);
void zmRT2PreMult(const ZmRT2* a, ZmRT2* b);
void zmRT2PostMult(const ZmRT2* a, ZmRT2* b);

// ---- Inverse, transpose, identity, construction ---------------------------

/*
 * zmRTInvert, zmRTInvertSelf, zmRT2Invert, zmRT2InvertSelf --
 *   Rigid inverse: the matrix part is transposed and t' = -(t * M^T).
 *   This is the true inverse only when the matrix part is a pure rotation;
 *   scene matrices are kept rigid (an object's scale lives apart).
 *   zmRTInvert(a, b) writes the inverse of a into b (b may be a).
 */
void zmRTInvert(const ZmRT* a, ZmRT* b);
void zmRTInvertSelf(ZmRT* a);
void zmRT2Invert(const ZmRT2* a, ZmRT2* b);
void zmRT2InvertSelf(ZmRT2* a);

void zmMat3Transpose(const float a[9], float b[9]);
void zmMat3TransposeSelf(float a[9]);
void zmMat2Transpose(const float a[4], float b[4]);
void zmMat2TransposeSelf(float a[4]);

ZmRT* zmRTIdentity(ZmRT* a);  // returns a
void zmRT2Identity(ZmRT2* a);
void zmMat3Identity(float m[9]);
float* zmMat2Identity(float a[4]);  // returns a
// The zero matrix with x, y, z on the diagonal.
void zmMat3Diagonal(float x, float y, float z, float m[9]);

// ---- Vectors --------------------------------------------------------------

void zmVec3Add(const ZmVec3* a, const ZmVec3* b, ZmVec3* c);     // c = a + b
ZmVec3* zmVec3Sum(const ZmVec3* a, const ZmVec3* b, ZmVec3* c);  // c = a + b; returns c
void zmVec2Add(const ZmVec2* a, const ZmVec2* b, ZmVec2* c);
void zmVec3AddTo(const ZmVec3* a, ZmVec3* b);  // b += a
void zmVec2AddTo(const ZmVec2* a, ZmVec2* b);
void zmVec3Sub(const ZmVec3* a, const ZmVec3* b, ZmVec3* c);  // c = a - b
void zmVec3Negate(const ZmVec3* a, ZmVec3* b);                // b = -a
ZmVec2* zmVec2Negate(const ZmVec2* a, ZmVec2* b);             // b = -a; returns b
void zmVec3NegateSelf(ZmVec3* a);
void zmVec2NegateSelf(ZmVec2* a);
void zmVec3Zero(ZmVec3* a);
void zmVec2Zero(ZmVec2* a);

double zmVec3Dot(const ZmVec3* a, const ZmVec3* b);
double zmVec3DotProduct(const ZmVec3* a, const ZmVec3* b);  // same as zmVec3Dot
double zmVec2Dot(const ZmVec2* a, const ZmVec2* b);
double zmDot3f(float x0, float y0, float z0, float x1, float y1, float z1);
double zmDot2f(float x0, float y0, float x1, float y1);

void zmVec3Cross(const ZmVec3* a, const ZmVec3* b, ZmVec3* c);         // c = a x b
ZmVec3* zmVec3CrossRet(const ZmVec3* a, const ZmVec3* b, ZmVec3* c);  // returns c
double zmVec3Length(const ZmVec3* a);

// b = a / |a|. A vector of length zero gives (0, 0, 0) in both forms rather
// than a division by zero.
void zmVec3Normalize(const ZmVec3* a, ZmVec3* b);
void zmVec3NormalizeSelf(ZmVec3* a);

// c = wa*a + wb*b; returns c.
ZmVec3* zmVec3Combine(const ZmVec3* a, const ZmVec3* b, ZmVec3* c, float wa, float wb);

// n = the unit normal of (p1 - p0) x (p2 - p0); (0, 0, 0) for collinear points.
void zmCalcPolygonNormal(const ZmVec3* p0, const ZmVec3* p1, const ZmVec3* p2, ZmVec3* n);

/*
 * zmVec3ArrayMin, zmVec3ArrayMax, zmVec3ArrayMinMax --
 *   Component-wise minimum / maximum of n vectors. A later value replaces
 *   the current one only when strictly smaller (greater). With n < 1 the
 *   outputs are left untouched. Note the order max, min in the last form.
 */
void zmVec3ArrayMin(const ZmVec3* v, int n, ZmVec3* min);
void zmVec3ArrayMax(const ZmVec3* v, int n, ZmVec3* max);
void zmVec3ArrayMinMax(const ZmVec3* v, int n, ZmVec3* max, ZmVec3* min);

// ---- Transforming (every output may be the input) -------------------------

void zmMat3TransformVec3(const float m[9], const ZmVec3* v, ZmVec3* out);  // v*M
void zmMat3TransformVec3Self(const float m[9], ZmVec3* v);
void zmMat2TransformVec2(const float m[4], const ZmVec2* v, ZmVec2* out);
void zmMat2TransformVec2Self(const float m[4], ZmVec2* v);
void zmRTTransformPoint(const ZmRT* m, const ZmVec3* p, ZmVec3* out);  // p*M + t
void zmRTTransformPointSelf(const ZmRT* m, ZmVec3* p);
void zmRT2TransformPoint(const ZmRT2* m, const ZmVec2* p, ZmVec2* out);
void zmRT2TransformPointSelf(const ZmRT2* m, ZmVec2* p);
// Transforms n points from in to out; returns n, or 0 when n <= 0.
int zmRTTransformPoints(int n, const ZmRT* m, const ZmVec3* in, ZmVec3* out);
void zmRT2TransformPoints(int n, const ZmRT2* m, const ZmVec2* in, ZmVec2* out);

// ---- Rotations (out: a 3x3 matrix) ----------------------------------------
// With Rx, Ry, Rz the right-handed turns about the fixed axes:
//   zmMat3FromAngles    = Rx*Ry*Rz  (turns about x first, then y, then z)
//   zmMat3FromAnglesZYX = Rz*Ry*Rx  (z first, then y, then x)
//   zmMat3FromAnglesYXZ = Ry*Rx*Rz  (y first, then x, then z)
//   zmMat3FromAnglesZXY = Rz*Rx*Ry  (z first, then x, then y)

void zmMat3FromAngles(double ax, double ay, double az, float m[9]);
void zmMat3FromAnglesZYX(double ax, double ay, double az, float m[9]);
void zmMat3FromAnglesYXZ(double ax, double ay, double az, float m[9]);
void zmMat3FromAnglesZXY(double ax, double ay, double az, float m[9]);
// Rotation by angle about axis; the axis should be a unit vector (it is not
// normalised here).
void zmMat3FromAxisAngle(const ZmVec3* axis, double angle, float m[9]);

/*
 * unmatrix --
 *   Decomposes a ZmRT into translation, per-row scale and the angles of
 *   zmMat3FromAngles (radians about x, y, z). Rows are normalised but not
 *   made orthogonal (no shear is taken out). A left-handed matrix gives
 *   negated scales and the angles of the negated rows. Near ay = +-90
 *   degrees only ax -+ az is defined: the angles come back with az = 0.
 *   `rotation` receives zmMat3Diagonal(angles). A zero row gives scale 0.
 */
void unmatrix(const ZmRT* matrix, ZmVec3* translation, float rotation[9], ZmVec3* scale,
              ZmVec3* angles);

#endif
