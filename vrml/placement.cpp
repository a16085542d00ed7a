// vrml/placement.cpp -- rigid matrices and leftovers of the built objects.
#include "vrml/placement.h"

#include <cmath>

#include "core/bounds.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/transform.h"
#include "vrml/qvstate.h"

namespace {

// 3x3 matrices in double, rows first, as ZmRT keeps them.
struct Mat3 {
  double r[3][3];
};

Mat3 toMat3(const float m[9]) {
  Mat3 a;
  for (int i = 0; i < 9; ++i) a.r[i / 3][i % 3] = m[i];
  return a;
}

void fromMat3(const Mat3& a, float m[9]) {
  for (int i = 0; i < 9; ++i) m[i] = static_cast<float>(a.r[i / 3][i % 3]);
}

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void cross(const double a[3], const double b[3], double c[3]) {
  c[0] = a[1] * b[2] - a[2] * b[1];
  c[1] = a[2] * b[0] - a[0] * b[2];
  c[2] = a[0] * b[1] - a[1] * b[0];
}

bool normalize(double v[3]) {
  double length = std::sqrt(dot(v, v));
  if (length == 0.0) return false;
  for (int i = 0; i < 3; ++i) v[i] /= length;
  return true;
}

// a * b^T: entry (i, j) is row i of a against row j of b.
Mat3 timesTransposed(const Mat3& a, const Mat3& b) {
  Mat3 c;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) c.r[i][j] = dot(a.r[i], b.r[j]);
  return c;
}

// a * b, b acting after a.
Mat3 product(const Mat3& a, const Mat3& b) {
  Mat3 c;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) c.r[i][j] = a.r[i][0] * b.r[0][j] + a.r[i][1] * b.r[1][j] + a.r[i][2] * b.r[2][j];
  return c;
}

// Completes rows that Gram-Schmidt could not give (a zero scale) so that
// the rows stay orthonormal and right-handed.
void completeRows(Mat3& q, bool have[3]) {
  int present = have[0] + have[1] + have[2];
  if (present == 0) {
    q = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    return;
  }
  if (present == 1) {
    int k = have[0] ? 0 : have[1] ? 1 : 2;
    // The world axis least along the present row gives the next row.
    int e = 0;
    for (int i = 1; i < 3; ++i)
      if (std::fabs(q.r[k][i]) < std::fabs(q.r[k][e])) e = i;
    int next = (k + 1) % 3;
    for (int i = 0; i < 3; ++i) q.r[next][i] = (i == e ? 1.0 : 0.0) - q.r[k][e] * q.r[k][i];
    normalize(q.r[next]);
    have[next] = true;
  }
  for (int m = 0; m < 3; ++m)
    if (!have[m]) cross(q.r[(m + 1) % 3], q.r[(m + 2) % 3], q.r[m]);
}

// The rotation of a's rows by Gram-Schmidt in row order, right-handed.
Mat3 rotationOf(const Mat3& a) {
  double largest = 0;
  for (const auto& row : a.r) largest = std::fmax(largest, std::sqrt(dot(row, row)));
  Mat3 q{};
  bool have[3] = {false, false, false};
  for (int i = 0; i < 3; ++i) {
    double v[3] = {a.r[i][0], a.r[i][1], a.r[i][2]};
    for (int j = 0; j < i; ++j) {
      if (!have[j]) continue;
      double along = dot(a.r[i], q.r[j]);
      for (int c = 0; c < 3; ++c) v[c] -= along * q.r[j][c];
    }
    if (std::sqrt(dot(v, v)) <= largest * 1e-6) continue;
    normalize(v);
    for (int c = 0; c < 3; ++c) q.r[i][c] = v[c];
    have[i] = true;
  }
  bool whole = have[0] && have[1] && have[2];
  completeRows(q, have);
  double turn[3];
  cross(q.r[1], q.r[2], turn);
  if (whole && dot(q.r[0], turn) < 0) {
    int mirrored = 0;
    for (int i = 1; i < 3; ++i)
      if (q.r[i][i] < q.r[mirrored][mirrored]) mirrored = i;
    for (double& value : q.r[mirrored]) value = -value;
  }
  return q;
}

bool isIdentity(const float m[9]) {
  for (int i = 0; i < 9; ++i)
    if (std::fabs(m[i] - (i % 4 == 0 ? 1.0f : 0.0f)) > 1e-6f) return false;
  return true;
}

// Off the diagonal nothing but rounding.
bool isAxisScale(const Mat3& a) {
  double largest = 0, offDiagonal = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      largest = std::fmax(largest, std::fabs(a.r[i][j]));
      if (i != j) offDiagonal = std::fmax(offDiagonal, std::fabs(a.r[i][j]));
    }
  return offDiagonal <= largest * 1e-5;
}

// The state's local matrix after the node's own placement.
ZmRT relativeMatrix(const QvState* state, const ZmRT* placement) {
  ZmRT relative = state->getTopElement(QV_LOCAL_RT)->matrix;
  if (placement) zmRTPostMult(placement, &relative);
  return relative;
}

// ------------------------------------------------------------ leaves

bool isVertexLeaf(const ZmLeaf* leaf) {
  return leaf->kind == ZM_LEAF_FACE || leaf->kind == ZM_LEAF_LINE || leaf->kind == ZM_LEAF_POINT_SET;
}

// Points go through a; normals through its inverse transposed (the
// cofactors, signed by the determinant so that they keep their side).
struct VertexMap {
  explicit VertexMap(const Mat3& a) : points(a) {
    for (int i = 0; i < 3; ++i) cross(a.r[(i + 1) % 3], a.r[(i + 2) % 3], normals.r[i]);
    if (dot(a.r[0], normals.r[0]) < 0)
      for (auto& row : normals.r)
        for (double& value : row) value = -value;
  }
  static void apply(const Mat3& m, ZmVec3* v) {
    const double in[3] = {v->x, v->y, v->z};
    double out[3];
    for (int c = 0; c < 3; ++c) out[c] = in[0] * m.r[0][c] + in[1] * m.r[1][c] + in[2] * m.r[2][c];
    *v = {static_cast<float>(out[0]), static_cast<float>(out[1]), static_cast<float>(out[2])};
  }
  void point(ZmVec3* v) const { apply(points, v); }
  void normal(ZmVec3* n) const {
    apply(normals, n);
    zmVec3NormalizeSelf(n);
  }
  void all(ZmMFVec3f& vertices, ZmMFVec3f& normalList) const {
    for (int32_t i = 0; i < vertices.count; ++i) point(&vertices.values[i]);
    for (int32_t i = 0; i < normalList.count; ++i) normal(&normalList.values[i]);
  }
  Mat3 points, normals;
};

// The vertices take a. Without children, the object's rotation goes into
// them as well: its box, an axis-aligned box turned by the local matrix,
// then fits the sheared shape tightly.
void bakeIntoVertices(ZmObj* object, const Mat3& a) {
  Mat3 whole = a;
  if (object->child == nullptr) {
    const Mat3 turn = toMat3(object->localRT.m);
    whole = product(a, turn);
    // The world matrix was the turn then the parent's world; now only the latter.
    Mat3 turnBack;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) turnBack.r[i][j] = turn.r[j][i];
    fromMat3(product(turnBack, toMat3(object->worldRT.m)), object->worldRT.m);
    zmMat3Identity(object->localRT.m);
    zmInvalidateBoundingCube(object);
  }
  const VertexMap map(whole);
  for (ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) {
    if (leaf->kind == ZM_LEAF_FACE) {
      auto* face = static_cast<ZmFace*>(leaf);
      map.all(face->vertex, face->normal);
      map.normal(&face->orthogonalNormal);
    } else if (leaf->kind == ZM_LEAF_LINE) {
      auto* line = static_cast<ZmLine*>(leaf);
      map.all(line->vertex, line->normal);
    } else {
      auto* points = static_cast<ZmPointSet*>(leaf);
      map.all(points->vertex, points->normal);
    }
  }
}

void carryIntoLeaves(ZmObj* object, const Mat3& leftover) {
  Mat3 scaled = leftover;
  for (int i = 0; i < 3; ++i)
    for (double& value : scaled.r[i]) value *= object->scale[i];
  bool vertexLeaves = true;
  for (const ZmLeaf* leaf = object->leaf; leaf; leaf = leaf->next) vertexLeaves &= isVertexLeaf(leaf);
  if (isAxisScale(scaled)) {
    for (int i = 0; i < 3; ++i) object->scale[i] = static_cast<float>(scaled.r[i][i]);
  } else if (vertexLeaves) {
    bakeIntoVertices(object, scaled);
    for (float& value : object->scale) value = 1.0f;
    // A sheared cube is a cube no more: it is kept, and written, as faces.
    if (object->vrmlType == ZM_VRML_CUBE) object->vrmlType = ZM_VRML_INDEXED_FACE_SET;
  } else {
    // Quadrics and text cannot shear: each axis keeps the length it is
    // stretched to.
    for (int i = 0; i < 3; ++i) object->scale[i] = static_cast<float>(std::sqrt(dot(scaled.r[i], scaled.r[i])));
  }
  zmInvalidateBoundingCubeUp(object);
}

void carryIntoChild(ZmObj* child, const Mat3& leftover) {
  // The child's frame: its rigid local matrix, then the parent's leftover.
  ZmRT relative;
  fromMat3(product(toMat3(child->localRT.m), leftover), relative.m);
  relative.t = child->localRT.t;
  VertexMap::apply(leftover, &relative.t);
  float rest[9];
  splitRigid(relative, &child->localRT, rest);
  zmInvalidateBoundingCube(child);
  carryLeftover(child, rest);
}

}  // namespace

void splitRigid(const ZmRT& affine, ZmRT* rigid, float leftover[9]) {
  const Mat3 a = toMat3(affine.m);
  const Mat3 q = rotationOf(a);
  fromMat3(timesTransposed(a, q), leftover);
  fromMat3(q, rigid->m);
  rigid->t = affine.t;
}

void placeZmObj(const QvState* state, ZmObj* object, const ZmRT* placement) {
  float leftover[9];
  splitRigid(relativeMatrix(state, placement), &object->localRT, leftover);
  zmRTMult(&state->getTopElement(QV_WORLD_RT)->matrix, &object->localRT, &object->worldRT);
}

void leftoverOf(const QvState* state, const ZmObj* object, const ZmRT* placement, float leftover[9]) {
  const ZmRT relative = relativeMatrix(state, placement);
  fromMat3(timesTransposed(toMat3(relative.m), toMat3(object->localRT.m)), leftover);
}

void carryLeftover(ZmObj* object, const float leftover[9]) {
  if (isIdentity(leftover)) return;
  const Mat3 rest = toMat3(leftover);
  if (object->leaf) carryIntoLeaves(object, rest);
  for (ZmChildList* node = object->child; node; node = node->next) carryIntoChild(node->object, rest);
  if (object->child) zmInvalidateChildWRT(object);
}
