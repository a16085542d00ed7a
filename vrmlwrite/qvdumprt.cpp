// vrmlwrite/qvdumprt.cpp -- the dispatch by node type and the transform
// output over the stack of transform levels.
//
// In VRML 1.0 a transform node changes the state of everything after it in
// the same separator, so each level remembers the transform it last put
// into effect and the next object gets only the difference.
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>

#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/transform.h"
#include "vrmlwrite/qvdump.h"
#include "vrmlwrite/qvdumps.h"

namespace {

int leaveOut(DumpContext& dump) {
  ++dump.objectsLeftOut;
  return -1;
}

// Below this share of a transform's largest component, a component is the
// rounding of the float arithmetic that worked the transform out.
constexpr double kRoundingShare = 1e-6;

/*
 * transformText --
 *   A number of a transform the writer worked out (a difference of two
 *   levels' matrices, its decomposition, a scale and its inverse), to
 *   seven significant digits: its last digits are float rounding, which
 *   written in full would come back a little different each time the world
 *   is written again. A component within rounding of zero beside the
 *   largest of its kind (`largest`) is written as 0.
 */
std::string transformText(double value, double largest) {
  if (std::fabs(value) <= kRoundingShare * std::fabs(largest)) return "0";
  char text[48];
  const std::to_chars_result written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 6);
  double rounded = 0.0;
  std::from_chars(text, written.ptr, rounded);
  return dumpNumberText(rounded);
}

// The value of a number text the writer made.
double valueOf(const std::string& text) {
  double value = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// The largest magnitude among the values.
double largestOf(std::initializer_list<double> values) {
  double largest = 0.0;
  for (double value : values) largest = std::fmax(largest, std::fabs(value));
  return largest;
}

// The rotation of a rigid 3x3 part (row vectors) as a unit axis and an
// angle in radians; the axis is 0 0 1 for no rotation.
void rotationAxisAngle(const float m[9], double axis[3], double* angle) {
  double c = (m[0] + m[4] + m[8] - 1.0) / 2.0;
  *angle = std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
  double v[3] = {m[5] - m[7], m[6] - m[2], m[1] - m[3]};
  double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length < 1e-6) {
    // No rotation, or a half turn: the axis comes from the diagonal.
    double d[3] = {m[0], m[4], m[8]};
    for (int i = 0; i < 3; i++) v[i] = std::sqrt(std::fmax(0.0, (d[i] + 1.0) / 2.0));
    if (m[1] < 0) v[1] = -v[1];
    if (m[2] < 0) v[2] = -v[2];
    length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (*angle < 1e-6 || length < 1e-6) {
      axis[0] = 0, axis[1] = 0, axis[2] = 1;
      return;
    }
  }
  for (int i = 0; i < 3; i++) axis[i] = v[i] / length;
}

// True when the 3x3 part is a pure rotation: its rows are orthonormal.
// A MatrixTransform may bring a scale or shear into an object's transform.
bool isRigid(const float m[9]) {
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) {
      float dot = m[3 * i] * m[3 * j] + m[3 * i + 1] * m[3 * j + 1] + m[3 * i + 2] * m[3 * j + 2];
      if (std::fabs(dot - (i == j ? 1.0f : 0.0f)) > 1e-5f) return false;
    }
  return true;
}

// The full inverse of an affine transform whose 3x3 part is invertible (a
// singular part gives the rigid inverse, the best that can be written).
void invertAffine(const ZmRT* a, ZmRT* inverse) {
  const float* m = a->m;
  double cofactor[9] = {
      m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
      m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5],
      m[3] * m[7] - m[4] * m[6], m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
  double determinant = m[0] * cofactor[0] + m[1] * cofactor[3] + m[2] * cofactor[6];
  if (std::fabs(determinant) < 1e-12) {
    zmRTInvert(a, inverse);
    return;
  }
  for (int i = 0; i < 9; i++) inverse->m[i] = static_cast<float>(cofactor[i] / determinant);
  // Row vectors: p' = p M + t, so p = (p' - t) M^-1.
  const float* n = inverse->m;
  const ZmVec3& t = a->t;
  inverse->t = {-(t.x * n[0] + t.y * n[3] + t.z * n[6]), -(t.x * n[1] + t.y * n[4] + t.z * n[7]),
                -(t.x * n[2] + t.y * n[5] + t.z * n[8])};
}

// A transform that is no pure rotation and shift, as one MatrixTransform
// node: its rows as the reader takes them back.
void dumpMatrixTransform(DumpContext& dump, const ZmRT* rt) {
  const float* m = rt->m;
  const double largest = largestOf({m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]});
  const double farthest = largestOf({rt->t.x, rt->t.y, rt->t.z});
  std::string text = "MatrixTransform{ matrix";
  for (int row = 0; row < 3; row++) {
    for (int column = 0; column < 3; column++) text += " " + transformText(m[3 * row + column], largest);
    text += " 0";
  }
  for (float value : {rt->t.x, rt->t.y, rt->t.z}) text += " " + transformText(value, farthest);
  dumpPrintf(dump, "%s 1 }", text.c_str());
}

// A scale is worked out from the reader's matrices: to six decimals, 1 is
// the rounding of an earlier scale undone, no scale of the object's own.
bool isUnitScale(const float scale[3]) { return dumpIsNearVec3f(scale[0], scale[1], scale[2], 1.0, 1.0, 1.0); }

struct NodeWriter {
  const char* typeName;
  int (*write)(DumpContext& dump, ZmObj* object);
};

constexpr NodeWriter nodeWriters[] = {
    {"AmbientSound", zmDumpAmbientSound},
    {"Cone", zmDumpCone},
    {"Cube", zmDumpCube},
    {"Cylinder", zmDumpCylinder},
    {"DirectionalLight", zmDumpDirectionalLight},
    {"Group", zmDumpGroup},
    {"Info", zmDumpInfo},
    {"IndexedFaceSet", zmDumpIndexedFaceSet},
    {"IndexedLineSet", zmDumpIndexedLineSet},
    {"LOD", zmDumpLOD},
    {"OrthographicCamera", zmDumpOrthographicCamera},
    {"PerspectiveCamera", zmDumpPerspectiveCamera},
    {"PointLight", zmDumpPointLight},
    {"SpotLight", zmDumpSpotLight},
    {"Separator", zmDumpSeparator},
    {"Sphere", zmDumpSphere},
    {"Switch", zmDumpSwitch},
    {"WWWAnchor", zmDumpWWWAnchor},
    {"WWWInline", zmDumpWWWInline},
    {"TransformSeparator", zmDumpTransformSeparator},
    {"AsciiText", zmDumpAsciiText},
    {"PointSet", zmDumpPointSet},
};

}  // namespace

int zmDumpZmObj(DumpContext& dump, ZmObj* object) {
  if (object->vrmlType == 0) {
    zmReportWarning("zmDumpZmObj(): No output is done for zmNULLVRMLType.");
    return leaveOut(dump);
  }
  const char* typeName = zmGetVRMLTypeName(object->vrmlType);
  if (typeName == nullptr) {
    // A code outside the table has no name to write or to warn with.
    zmReportWarning("zmDumpZmObj(): '%d' is non-supported ZmObj type.", object->vrmlType);
    return leaveOut(dump);
  }
  for (const NodeWriter& writer : nodeWriters)
    if (std::strcmp(writer.typeName, typeName) == 0) return writer.write(dump, object);
  zmReportWarning("zmDumpZmObj(): '%s' is non-supported ZmObj type.", typeName);
  return leaveOut(dump);
}

int32_t dumpObjectsLeftOut(DumpContext& dump) { return dump.objectsLeftOut; }

void dumpResetObjectsLeftOut(DumpContext& dump) { dump.objectsLeftOut = 0; }

void zmDumpLocalRT(DumpContext& dump, ZmObj* object) {
  ZmRT inLevel;
  zmRTMult(&dump.frame, zmGetLRT(object), &inLevel);
  dumpRelativeRT(dump, &inLevel);
  const float* scale = object->scale;
  if (!isUnitScale(scale))
    dumpPrintf(dump, "Scale{ scaleFactor %s %s %s }", transformText(scale[0], 0).c_str(),
               transformText(scale[1], 0).c_str(), transformText(scale[2], 0).c_str());
}

void dumpUndoLocalScale(DumpContext& dump, ZmObj* object) {
  const float* scale = object->scale;
  if (isUnitScale(scale)) return;
  // The inverse of the factor written, as near as the text comes to it.
  std::string factor[3];
  for (int i = 0; i < 3; i++) {
    const double written = valueOf(transformText(scale[i], 0));
    factor[i] = written != 0.0 ? transformText(1.0 / written, 0) : "1";
  }
  dumpPrintf(dump, "Scale{ scaleFactor %s %s %s }", factor[0].c_str(), factor[1].c_str(), factor[2].c_str());
}

ZmRT dumpGetFrame(DumpContext& dump) { return dump.frame; }

void dumpSetFrame(DumpContext& dump, const ZmRT* frame) { dump.frame = *frame; }

int dumpRelativeRT(DumpContext& dump, const ZmRT* rt) {
  int sw = dumpIsRT(dump);
  ZmRT relative;
  if (sw == 0) {
    dumpSetSW(dump, 1);
    relative = *rt;
  } else if (sw == 1) {
    ZmRT stored, inverse;
    dumpGetRT(dump, &stored);
    if (isRigid(stored.m))
      zmRTInvert(&stored, &inverse);
    else
      invertAffine(&stored, &inverse);
    zmRTMult(&inverse, rt, &relative);
  } else {
    return sw;
  }
  dumpSetRT(dump, rt);
  if (dumpIsIdentityRT(&relative)) return 1;
  if (isRigid(relative.m))
    dumpTranslationRotation(dump, &relative);
  else
    dumpMatrixTransform(dump, &relative);
  return 0;
}

void dumpTranslationRotation(DumpContext& dump, const ZmRT* rt) {
  ZmVec3 translation, scale, angles;
  float rotation[9];
  unmatrix(rt, &translation, rotation, &scale, &angles);
  const double farthest = largestOf({translation.x, translation.y, translation.z});
  if (!dumpIsNearVec3f(translation.x, translation.y, translation.z, 0.0, 0.0, 0.0))
    dumpPrintf(dump, "Translation{ translation %s %s %s }", transformText(translation.x, farthest).c_str(),
               transformText(translation.y, farthest).c_str(), transformText(translation.z, farthest).c_str());
  int x, y, z;
  double angle;
  dumpRotationAxis(&angles, &x, &y, &z, &angle);
  if (dumpIsNoRotation(x, y, z, angle)) return;
  if (x + y + z == 1) {
    dumpPrintf(dump, "Rotation{ rotation %d %d %d %s }", x, y, z, transformText(angle, 0).c_str());
    return;
  }
  // Turns about several axes: one flag per axis would name a wrong axis, so
  // the rotation's own axis and angle are written.
  double axis[3], turn;
  rotationAxisAngle(rt->m, axis, &turn);
  const double longest = largestOf({axis[0], axis[1], axis[2]});
  dumpPrintf(dump, "Rotation{ rotation %s %s %s %s }", transformText(axis[0], longest).c_str(),
             transformText(axis[1], longest).c_str(), transformText(axis[2], longest).c_str(),
             transformText(turn, 0).c_str());
}

void dumpRotationAxis(const ZmVec3* angles, int* x, int* y, int* z, double* angle) {
  const QvTdouble values[3] = {dumpToDouble(angles->x), dumpToDouble(angles->y), dumpToDouble(angles->z)};
  int* flags[3] = {x, y, z};
  *angle = 0.0;
  bool found = false;
  for (int axis = 0; axis < 3; axis++) {
    *flags[axis] = dumpIsNoRotation(0, 0, 0, values[axis]) ? 0 : 1;
    if (*flags[axis] && !found) {
      *angle = values[axis];
      found = true;
    }
  }
}

// ---- The stack of transform levels ---------------------------------------------

int dumpPushRT(DumpContext& dump) {
  auto* level = static_cast<STACKRT*>(zmMalloc(sizeof(STACKRT)));
  if (level == nullptr) {
    zmReportMessage("dumpPushRT(): Couldn't allocate memory for STACKRT.");
    return -5;
  }
  if (dump.stackTop == nullptr) {
    dump.stackBottom = level;
  } else {
    dump.stackTop->up = level;
    level->down = dump.stackTop;
  }
  dump.stackTop = level;
  return 0;
}

void dumpPopRT(DumpContext& dump) {
  if (dump.stackTop == nullptr) return;
  STACKRT* below = dump.stackTop->down;
  zmFree(dump.stackTop);
  if (below == nullptr) {
    dumpClearRT(dump);
    return;
  }
  below->up = nullptr;
  dump.stackTop = below;
}

void dumpClearRT(DumpContext& dump) {
  dump.stackBottom = nullptr;
  dump.stackTop = nullptr;
}

void dumpFreeRT(DumpContext& dump) {
  while (dump.stackTop != nullptr) {
    STACKRT* below = dump.stackTop->down;
    zmFree(dump.stackTop);
    dump.stackTop = below;
  }
  dumpClearRT(dump);
}

int dumpIsRT(DumpContext& dump) {
  if (dump.stackTop == nullptr) {
    zmReportWarning("dumpIsRT(): stack RT data is empty.");
    return -1;
  }
  return dump.stackTop->SW;
}

void dumpSetSW(DumpContext& dump, int32_t value) {
  if (dump.stackTop == nullptr) {
    zmReportWarning("dumpSetSW(): stack RT data is empty.");
    return;
  }
  dump.stackTop->SW = value;
}

void dumpGetRT(DumpContext& dump, ZmRT* rt) {
  if (dump.stackTop == nullptr) {
    zmReportWarning("dumpGetRT(): stack RT data is empty.");
  } else if (rt == nullptr) {
    zmReportWarning("dumpGetRT(): Invaild argument.");
  } else {
    *rt = dump.stackTop->RT;
  }
}

void dumpSetRT(DumpContext& dump, const ZmRT* rt) {
  if (dump.stackTop == nullptr) {
    zmReportWarning("dumpSetRT(): stack RT data is empty.");
  } else if (rt == nullptr) {
    zmReportWarning("dumpSetRT(): Invaild argument.");
  } else {
    dump.stackTop->RT = *rt;
  }
}
