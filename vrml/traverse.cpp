// vrml/traverse.cpp -- the per-node-type conversions and their dispatch.
#include "vrml/traverse.h"

#include <cstring>
#include <new>
#include <string>

#include "core/bounds.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/report.h"
#include "vrml/asciitext.h"
#include "vrml/buildlimits.h"
#include "vrml/faceset.h"
#include "vrml/lightcam.h"
#include "vrml/lineset.h"
#include "vrml/objcreate.h"
#include "vrml/placement.h"
#include "vrml/primitives.h"
#include "vrml/qvnodes.h"
#include "vrml/qvstate.h"
#include "vrml/session.h"
#include "vrml/sound.h"
#include "vrml/switchlod.h"
#include "vrml/worldinfo.h"
#include "vrml/wwwnodes.h"

namespace {

struct QvTraversal;
using TraverseFn = int (*)(QvNode* node, QvState* state, ZmObj** object, const QvTraversal& row);

// One node type's conversion. Shape, light and camera rows name the three
// operations of their class; property rows name their stack; face and line
// sets name the operation that hangs their leaves on the object.
struct QvTraversal {
  const char* typeName;
  TraverseFn traverse;
  int32_t stack;
  ZmLeaf* (*createZmLeaf)(const QvNode* node, QvState* state);
  void (*setZmNodeLocalRT)(const QvNode* node, ZmRT* m);
  ZmObj* (*setZmSpecialNode)(const QvNode* node, QvState* state, ZmObj* object, ZmLeaf* leaf);
  int (*createAndAddLeaves)(const QvNode* node, QvState* state, ZmObj* object);
};

constexpr char kNoLeafText[] = "zmSetBoundingCube(): child and leaf is null.";

// Checks the object's box and notes, once per build, an object without
// children and leaves: a world may hold thousands of empty Separators, and
// one note at the first says all there is to say.
void setBoxOrNoteEmpty(ZmObj* object, const QvNode* node, const char* typeName) {
  if (zmSetBoundingCube(object) != -1 || !zmBuildFirstEmptyObject()) return;
  QvNode::postWarning(node->lineNum, typeName, kNoLeafText);
}

// What the state's transform holds beyond the object's rigid matrices goes
// into the object's scale or leaves.
void carryStateLeftover(const QvState* state, ZmObj* object) {
  float leftover[9];
  leftoverOf(state, object, nullptr, leftover);
  carryLeftover(object, leftover);
}

// Calls fn for each child of a group node in file order.
template <class F> void forEachChild(const QvGroup* group, F fn) {
  for (int32_t i = 0; i < group->getNumChildren(); ++i)
    if (!fn(group->getChild(i))) return;
}

// ------------------------------------------------------------ groups

// A Group opens no level: what its children push stays in force for its
// later siblings. Its children are placed relative to the Group by matrix
// elements of its own; when the Group ends, what its local element
// gathered is carried into the enclosing local matrix.
int traverseGroup(QvNode* node, QvState* state, ZmObj** out, const QvTraversal&) {
  const char* fn = "QvGroup::traverse";
  ZmObj* object = createZmObjFor(node, state, "Group", fn);
  if (object == nullptr) return -1;
  if (!pushMatrixElements(state, object, fn)) {
    discardZmObj(object, fn);
    return -1;
  }
  bool stopped = false;
  forEachChild(static_cast<QvGroup*>(node), [&](QvNode* childNode) {
    ZmObj* child = nullptr;
    if (traverse(childNode, state, &child) != 0 || child == nullptr) {
      if (qvSession().stopFlag == 1) {
        qvSession().stopFlag = 0;
        stopped = true;
        return false;
      }
      return true;
    }
    if (zmAddChild(object, child) != 0) {
      zmReportMessage("%s: zmAddChild() failed.", fn);
      discardZmObj(child, fn);
    }
    return true;
  });
  // The enclosing local matrix was the Group's leftover then its rigid
  // local matrix; the gathered element begins with that leftover.
  ZmRT enclosing = object->localRT;
  zmRTPostMult(&state->getTopElement(QV_LOCAL_RT)->matrix, &enclosing);
  state->popElement(QV_WORLD_RT);
  state->popElement(QV_LOCAL_RT);
  state->getTopElement(QV_LOCAL_RT)->matrix = enclosing;
  if (stopped) {
    discardZmObj(object, fn);
    return -1;
  }
  *out = object;
  return 0;
}

// The Separator procedure, shared with Switch, which leaves out the
// bounding-cube check.
int traverseSeparatorLike(QvNode* node, QvState* state, ZmObj** out, const QvTraversal& row, const char* fn,
                          bool checkBox) {
  ZmObj* object = createZmObjFor(node, state, row.typeName, fn);
  if (object == nullptr) return -1;
  applyZmAttachments(state, object, nullptr);
  if (traverseStacking(static_cast<QvGroup*>(node), state, object) == 1) {
    discardZmObj(object, fn);
    return -1;
  }
  if (checkBox) setBoxOrNoteEmpty(object, node, row.typeName);
  if (row.setZmSpecialNode) {
    object = row.setZmSpecialNode(node, state, object, nullptr);
    if (object == nullptr) {
      zmReportMessage("%s: setZmSpecialNode() failed.", fn);
      return -1;
    }
  }
  *out = object;
  return 0;
}

int traverseSeparator(QvNode* node, QvState* state, ZmObj** out, const QvTraversal& row) {
  return traverseSeparatorLike(node, state, out, row, "QvSeparator::traverse", true);
}

int traverseSwitch(QvNode* node, QvState* state, ZmObj** out, const QvTraversal& row) {
  return traverseSeparatorLike(node, state, out, row, "QvSwitch::traverse", false);
}

int traverseTransformSeparator(QvNode* node, QvState* state, ZmObj** out, const QvTraversal&) {
  const char* fn = "QvTransformSeparator::traverse";
  ZmObj* object = createZmObjFor(node, state, "TransformSeparator", fn);
  if (object == nullptr) return -1;
  applyZmAttachments(state, object, nullptr);
  if (!pushMatrixElements(state, object, fn)) {
    discardZmObj(object, fn);
    return -1;
  }
  const QvElement* worldRT = state->getTopElement(QV_WORLD_RT);
  const QvElement* localRT = state->getTopElement(QV_LOCAL_RT);
  bool failed = false;
  forEachChild(static_cast<QvGroup*>(node), [&](QvNode* childNode) {
    ZmObj* child = nullptr;
    if (traverse(childNode, state, &child) != 0 || child == nullptr) return true;
    if (zmAddChild(object, child) != 0) {
      zmReportMessage("%s: zmAddChild() failed.", fn);
      discardZmObj(child, fn);
      failed = true;
      return false;
    }
    return true;
  });
  if (state->getTopElement(QV_WORLD_RT) != worldRT) zmReportWarning("%s: worldRT stack is inconsistent.", fn);
  if (state->getTopElement(QV_LOCAL_RT) != localRT) zmReportWarning("%s: LocalRT stack is inconsistent.", fn);
  state->popElement(QV_WORLD_RT);
  state->popElement(QV_LOCAL_RT);
  if (failed) {
    discardZmObj(object, fn);
    return -1;
  }
  *out = object;
  return 0;
}

// ----------------------------------------------- shapes, lights, cameras

int traverseLeafNode(QvNode* node, QvState* state, ZmObj** out, const QvTraversal& row) {
  const char* type = row.typeName;
  const std::string fn = std::string(type) + "::traverse()";
  ZmObj* object = createZmObjFor(node, state, type, fn.c_str());
  if (object == nullptr) return -1;
  ZmLeaf* leaf = row.createZmLeaf(node, state);
  if (leaf == nullptr) {
    zmReportMessage("%s: %s", fn.c_str(), "Couldn't allocate memory for ZmLeaf.");
    discardZmObj(object, fn.c_str());
    return -1;
  }
  applyZmAttachments(state, object, leaf);
  zmAddLeaf(object, 0, leaf);
  if (row.setZmNodeLocalRT) {
    // Lights and cameras take the rigid part only: a scale has no meaning
    // for them beyond where it puts them.
    ZmRT placement;
    zmRTIdentity(&placement);
    row.setZmNodeLocalRT(node, &placement);
    placeZmObj(state, object, &placement);
  } else {
    carryStateLeftover(state, object);
  }
  setBoxOrNoteEmpty(object, node, type);
  if (row.setZmSpecialNode) {
    object = row.setZmSpecialNode(node, state, object, leaf);
    if (object == nullptr) {
      zmReportMessage("%s: %s", fn.c_str(), "setZmSpecialNode() failed.");
      return -1;
    }
  }
  *out = object;
  return 0;
}

// IndexedFaceSet and IndexedLineSet: many leaves, placed by the state's
// matrices alone; the attachments come after the leaves.
int traverseIndexedSet(QvNode* node, QvState* state, ZmObj** out, const QvTraversal& row) {
  const char* type = row.typeName;
  const std::string fn = std::string(type) + "::traverse()";
  ZmObj* object = createZmObjFor(node, state, type, fn.c_str());
  if (object == nullptr) return -1;
  if (row.createAndAddLeaves(node, state, object) != 0) {
    zmReportWarning("%s: %s", fn.c_str(), "createAndAddLeaves() failed.");
    zmReportMessage("%s: at line %ld", fn.c_str(), node->lineNum);
    discardZmObj(object, fn.c_str());
    return -1;
  }
  carryStateLeftover(state, object);
  setBoxOrNoteEmpty(object, node, type);
  applyZmAttachments(state, object, object->leaf);
  *out = object;
  return 0;
}

int traverseInfoNode(QvNode* node, QvState* state, ZmObj**, const QvTraversal&) { return traverseInfo(node, state); }

// ------------------------------------------------------ property nodes

int traverseProperty(QvNode* node, QvState* state, ZmObj**, const QvTraversal& row) {
  if (state == nullptr) return 0;
  if (state->pushNode(row.stack, node)) return 0;
  zmReportMessage("Qv%s::traverse(): %s", row.typeName, "Couldn't allocate memory for QvElement.");
  return -1;
}

// ------------------------------------------------------ transform nodes

// The local matrix := M then the local matrix: M acts first on what
// follows. The world element stays the rigid frame the objects hang in.
int applyTransform(QvState* state, const ZmRT& m) {
  zmRTPostMult(&m, &state->getTopElement(QV_LOCAL_RT)->matrix);
  return 0;
}

// Identity with the factors on the diagonal.
ZmRT scaleRT(const QvSFVec3f& factor) {
  ZmRT m;
  zmRTIdentity(&m);
  zmMat3Diagonal(factor.value[0], factor.value[1], factor.value[2], m.m);
  return m;
}

int traverseScale(QvNode* node, QvState* state, ZmObj**, const QvTraversal&) {
  if (state == nullptr) return -1;
  return applyTransform(state, scaleRT(static_cast<QvScale*>(node)->scaleFactor));
}

int traverseTranslation(QvNode* node, QvState* state, ZmObj**, const QvTraversal&) {
  ZmRT m;
  setZmTranslationRT(static_cast<QvTranslation*>(node)->translation, &m);
  return applyTransform(state, m);
}

int traverseRotation(QvNode* node, QvState* state, ZmObj**, const QvTraversal&) {
  ZmRT m;
  setZmRotationRT(static_cast<QvRotation*>(node)->rotation, &m);
  return applyTransform(state, m);
}

int traverseMatrixTransform(QvNode* node, QvState* state, ZmObj**, const QvTraversal&) {
  const float (*rows)[4] = static_cast<QvMatrixTransform*>(node)->matrix.value;
  if (rows[0][3] != 0 || rows[1][3] != 0 || rows[2][3] != 0 || rows[3][3] != 1)
    zmReportWarning("QvMatrixTransform::traverse(): invalid matrix.");
  ZmRT m;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m.m[3 * r + c] = rows[r][c];
  m.t = {rows[3][0], rows[3][1], rows[3][2]};
  return applyTransform(state, m);
}

// Translation x centre x rotation x scale orientation x scale x its
// inverse x the inverse centre, multiplied up left to right: the last acts
// first, so the scale works about the centre along the turned axes.
int traverseTransform(QvNode* node, QvState* state, ZmObj**, const QvTraversal&) {
  const auto* t = static_cast<QvTransform*>(node);
  ZmRT translation, center, rotation, scaleOrientation, scaleOrientationInverse, centerInverse;
  ZmRT scale = scaleRT(t->scaleFactor);
  setZmTranslationRT(t->translation, &translation);
  setZmTranslationRT(t->center, &center);
  setZmRotationRT(t->rotation, &rotation);
  setZmRotationRT(t->scaleOrientation, &scaleOrientation);
  zmRTInvert(&scaleOrientation, &scaleOrientationInverse);
  zmRTInvert(&center, &centerInverse);
  ZmRT m;
  zmRTIdentity(&m);
  for (const ZmRT* factor : {&translation, &center, &rotation, &scaleOrientation, &scale,
                             &scaleOrientationInverse, &centerInverse})
    zmRTPostMult(factor, &m);
  return applyTransform(state, m);
}

// A row for a conversion that its own module owns whole.
template <int (*Convert)(QvNode*, QvState*, ZmObj**)>
int traverseBy(QvNode* node, QvState* state, ZmObj** out, const QvTraversal&) {
  return Convert(node, state, out);
}

// The conversions by node type. Types missing here make no object.
constexpr QvTraversal kTraversals[] = {
    {"Group", traverseGroup},
    {"Separator", traverseSeparator},
    {"TransformSeparator", traverseTransformSeparator},
    {"Switch", traverseSwitch, 0, nullptr, nullptr, setZmSwitchSpecialNode},
    {"LOD", traverseBy<traverseLOD>},
    {"WWWAnchor", traverseBy<traverseWWWAnchor>},
    {"WWWInline", traverseBy<traverseWWWInline>},
    {"AmbientSound", traverseLeafNode, 0, createZmAmbientSoundLeaf, nullptr, setZmAmbientSoundSpecialNode},
    {"Info", traverseInfoNode},
    {"IndexedFaceSet", traverseIndexedSet, 0, nullptr, nullptr, nullptr, createAndAddFaceSetLeaves},
    {"IndexedLineSet", traverseIndexedSet, 0, nullptr, nullptr, nullptr, createAndAddLineSetLeaves},
    {"AsciiText", traverseLeafNode, 0, createZmAsciiTextLeaf},
    {"Cube", traverseLeafNode, 0, createZmCubeLeaf},
    {"Cone", traverseLeafNode, 0, createZmConeLeaf},
    {"Cylinder", traverseLeafNode, 0, createZmCylinderLeaf},
    {"Sphere", traverseLeafNode, 0, createZmSphereLeaf},
    {"PointSet", traverseLeafNode, 0, createZmPointSetLeaf},
    {"DirectionalLight", traverseLeafNode, 0, createZmDirectionalLightLeaf, setZmDirectionalLightLocalRT},
    {"PointLight", traverseLeafNode, 0, createZmPointLightLeaf, setZmPointLightLocalRT},
    {"SpotLight", traverseLeafNode, 0, createZmSpotLightLeaf, setZmSpotLightLocalRT},
    {"OrthographicCamera", traverseLeafNode, 0, createZmOrthographicCameraLeaf, setZmCameraLocalRT,
     setZmCameraSpecialNode},
    {"PerspectiveCamera", traverseLeafNode, 0, createZmPerspectiveCameraLeaf, setZmCameraLocalRT,
     setZmCameraSpecialNode},
    {"Coordinate3", traverseProperty, QV_COORDINATE3},
    {"MaterialBinding", traverseProperty, QV_MATERIAL_BINDING},
    {"Material", traverseProperty, QV_MATERIAL},
    {"NormalBinding", traverseProperty, QV_NORMAL_BINDING},
    {"Normal", traverseProperty, QV_NORMAL},
    {"ShapeHints", traverseProperty, QV_SHAPE_HINTS},
    {"TransparentTexture2", traverseProperty, QV_TRANSPARENT_TEXTURE2},
    {"Texture2", traverseProperty, QV_TEXTURE2},
    {"Texture2Transform", traverseProperty, QV_TEXTURE2_TRANSFORM},
    {"TextureCoordinate2", traverseProperty, QV_TEXTURE_COORDINATE2},
    {"Script", traverseProperty, QV_SCRIPT},
    {"Attributes", traverseProperty, QV_ATTRIBUTES},
    {"EventHandler", traverseProperty, QV_EVENT_HANDLER},
    {"SporadicTask", traverseProperty, QV_SPORADIC_TASK},
    {"PeriodicTask", traverseProperty, QV_PERIODIC_TASK},
    {"CalendarTask", traverseProperty, QV_CALENDAR_TASK},
    {"Movie2", traverseProperty, QV_MOVIE2},
    {"Scale", traverseScale},
    {"Translation", traverseTranslation},
    {"Rotation", traverseRotation},
    {"MatrixTransform", traverseMatrixTransform},
    {"Transform", traverseTransform},
};

const QvTraversal* findTraversal(const char* typeName) {
  // Every node of the world comes through here: the first letter rules out
  // most rows without a call.
  for (const QvTraversal& row : kTraversals)
    if (row.typeName[0] == typeName[0] && std::strcmp(row.typeName, typeName) == 0) return &row;
  return nullptr;
}

}  // namespace

int traverse(QvNode* node, QvState* state, ZmObj** object) {
  *object = nullptr;
  const QvTraversal* row = findTraversal(node->getTypeName());
  if (row == nullptr) return 0;
  // Past a limit the node is passed over like one that makes nothing, so
  // what was built stays and the rest of the tree is not walked.
  if (!zmBuildMayGoOn(state->getWorld())) return 0;
  if (!state->getPath().enter(node, "traverse")) return 0;
  const int result = row->traverse(node, state, object, *row);
  state->getPath().leave();
  if (*object != nullptr) zmCountBuiltFaces(*object);
  return result;
}

bool pushMatrixElements(QvState* state, const ZmObj* object, const char* fn) {
  QvElement* worldRT = new (std::nothrow) QvElement;
  QvElement* localRT = worldRT ? new (std::nothrow) QvElement : nullptr;
  if (localRT == nullptr) {
    zmReportMessage("%s: %s", fn, worldRT ? "Couldn't allocate memory for QvElement of localRT."
                                          : "Couldn't allocate memory for QvElement of worldRT.");
    delete worldRT;
    return false;
  }
  worldRT->matrix = object->worldRT;
  leftoverOf(state, object, nullptr, localRT->matrix.m);
  state->addElement(QV_WORLD_RT, worldRT);
  state->addElement(QV_LOCAL_RT, localRT);
  return true;
}

int traverseStacking(const QvGroup* group, QvState* state, ZmObj* parent) {
  const char* fn = "QvGroup::traverseStacking()";
  state->push();
  if (!pushMatrixElements(state, parent, fn)) {
    state->pop();
    return -1;
  }
  int result = 0;
  forEachChild(group, [&](QvNode* childNode) {
    ZmObj* child = nullptr;
    if (traverse(childNode, state, &child) != 0 || child == nullptr) {
      if (qvSession().stopFlag != 1) return true;
      qvSession().stopFlag = 0;
      result = 1;
      return false;
    }
    if (zmAddChild(parent, child) != 0) {
      zmReportMessage("QvGroup::traverseStacking(): zmAddChild() failed.");
      discardZmObj(child, fn);
      result = -1;
      return false;
    }
    return true;
  });
  state->pop();
  return result;
}

int zmSetBoundingCube(ZmObj* object) {
  if (object->child == nullptr && object->leaf == nullptr) return -1;
  zmRefreshBoundingCube(object);
  return 0;
}
