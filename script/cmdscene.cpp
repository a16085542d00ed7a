// script/cmdscene.cpp -- objects, leaves, named values, transforms,
// distances and collisions for scripts; see cmdscene.h.
#include "script/cmdscene.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/apphandles.h"
#include "core/collision.h"
#include "core/dirs.h"
#include "core/leaf.h"
#include "core/object.h"
#include "core/objvalue.h"
#include "core/transform.h"
#include "core/vecmath.h"
#include "core/world.h"
#include "platform/winuser.h"
#include "script/host.h"
#include "viewer/api.h"
#include "vrml/parse.h"

namespace zmcmd {

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// Nine float words, row by row.
void matrixWords(const char* const words[], float matrix[9]) {
  for (int i = 0; i < 9; ++i) matrix[i] = float(floatWord(words[i]));
}

// Three angle words in degrees, as a rotation.
void angleWords(const char* const words[], float matrix[9]) {
  zmMat3FromAngles(floatWord(words[0]) * kRadiansPerDegree, floatWord(words[1]) * kRadiansPerDegree,
                   floatWord(words[2]) * kRadiansPerDegree, matrix);
}

ZmVec3 vectorWords(const char* const words[]) {
  return {float(floatWord(words[0])), float(floatWord(words[1])), float(floatWord(words[2]))};
}

// The transform's translation into three variables and, given nine more
// names, its rotation rows.
int storeTransform(Tcl_Interp* interp, const ZmRT* transform, int count, const char* const names[]) {
  if (transform == nullptr) return emptyResult(interp);
  const float values[] = {transform->t.x, transform->t.y, transform->t.z};
  for (int i = 0; i < 3; ++i) {
    if (!setFloatVar(interp, names[i], values[i])) return TCL_ERROR;
  }
  for (int i = 3; i < count; ++i) {
    if (!setFloatVar(interp, names[i], transform->m[i - 3])) return TCL_ERROR;
  }
  return emptyResult(interp);
}

constexpr const char* kTransformReadUsage = "ZmObj x y z  [rx ry rz rx1 ry1 rz1 rx2 ry2 rz2]";

int readTransform(Tcl_Interp* interp, int argc, const char* argv[], ZmRT* (*read)(ZmObj*)) {
  if (argc != 5 && argc != 14) return zmTclError(interp, argv[0], kTransformReadUsage);
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  return storeTransform(interp, read(object), argc - 2, argv + 2);
}

// The new object built in the viewer, as the command's pointer text; 0
// when parsing or building failed.
int addedObjectResult(Tcl_Interp* interp, int parsed, ZmObj* added) {
  if (parsed != 0 || added == nullptr || zmConstructObjInViewer(added) != 0) added = nullptr;
  zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, added);
  return TCL_OK;
}

// A file the command made, removed however the command ends.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // Makes a new file "qxXXXXXX" in the temporary folder holding `text`;
  // false when it cannot be made or written (its name then in path()).
  bool write(const std::string& text) {
    char folder[1024];
    path_ = zmGetTempBaseDir(folder, sizeof folder) > 0 ? folder : ".";
    if (path_.back() != '/') path_ += '/';
    path_ += "qxXXXXXX";
    int descriptor = mkstemp(path_.data());
    if (descriptor < 0) {
      failed_ = path_;
      path_.clear();
      return false;
    }
    FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
      close(descriptor);
      return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
  }
  const char* path() const { return path_.empty() ? failed_.c_str() : path_.c_str(); }

 private:
  std::string path_;
  std::string failed_;
};

}  // namespace

// ---- Objects and tree ----------------------------------------------------

ZM_COMMAND(getObjByName) {
  if (argc < 2 || argc > 4) return zmTclError(interp, argv[0], "[root_obj] name [-r]");
  ZmObj* found = nullptr;
  if (argc == 2) {
    found = zmGetTopObjByPath(argv[1]);
  } else {
    ZmObj* root = objectArg(interp, argv[0], argv[1]);
    if (root == nullptr) return TCL_ERROR;
    found = argc == 3 ? zmGetChildObjByPath(root, argv[2]) : zmGetObjByName(root, argv[2]);
  }
  zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, found);
  return TCL_OK;
}

// The result is the address of the stored name: non-zero on success. It is
// no handle and is never taken back.
ZM_COMMAND(nameObject) {
  if (argc != 3) return zmTclError(interp, argv[0], "ZmObj name");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  return intResult(interp, long(reinterpret_cast<intptr_t>(zmNameObject(object, argv[2]))));
}

ZM_COMMAND(getObjPart) {
  if (argc != 3) return zmTclError(interp, argv[0], "Obj PartsName");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  auto number = int32_t(longWord(argv[2]));
  // A cone or cylinder keeps its side and caps as leaves of known kinds.
  bool byKind = object->vrmlType == ZM_VRML_CONE || object->vrmlType == ZM_VRML_CYLINDER;
  ZmLeaf* leaf = byKind ? zmFindLeafByType(object, number) : zmFindLeafByNo(object, number);
  zmScriptSetPtrResult(interp, ZM_HANDLE_LEAF, leaf);
  return TCL_OK;
}

// Adds the file's objects under `parentText` (a Separator) or, for 0, as
// top objects of the current world.
static int addFromFile(Tcl_Interp* interp, const char* command, const char* parentText, const char* file) {
  bool bad = false;
  auto* parent = static_cast<ZmObj*>(zmScriptHandle(ZM_HANDLE_OBJECT, parentText, &bad));
  if (bad) return zmScriptErrorResult(interp, "%s:bad ZmObj[%s]", command, parentText);
  if (parent != nullptr && parent->vrmlType != ZM_VRML_SEPARATOR)
    return zmScriptErrorResult(interp, "%s:Can't add child to [%s], must be a Separator.", command, "Separator");
  ZmObj* added = nullptr;
  int parsed = parent ? zmParseVRMLAddToObj(file, parent, &added) : zmParseVRMLAddToWorld(file, &added);
  return addedObjectResult(interp, parsed, added);
}

ZM_COMMAND(addObjFromFile) {
  if (argc != 3) return zmTclError(interp, argv[0], "{obj|0} VRMLfilename");
  if (!mayReadArg(interp, argv[0], argv[2])) return TCL_ERROR;
  return addFromFile(interp, argv[0], argv[1], argv[2]);
}

ZM_COMMAND(addObjFromStr) {
  if (argc != 3) return zmTclError(interp, argv[0], "{obj|0} VRMLfilename");
  TemporaryFile file;
  if (!file.write(argv[2])) return zmScriptErrorResult(interp, "%s:%s open error.", argv[0], file.path());
  return addFromFile(interp, argv[0], argv[1], file.path());
}

ZM_COMMAND(delObj) {
  if (argc != 2) return zmTclError(interp, argv[0], "obj");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  return intResult(interp, zmDeleteZmObj(object));
}

ZM_COMMAND(setSwitchObjByNo) {
  if (argc != 3) return zmTclError(interp, argv[0], "obj childNo");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  return intResult(interp, zmSetSwitchObjNo(object, int32_t(longWord(argv[2]))));
}

ZM_COMMAND(getSwitchObjByNo) {
  if (argc != 3) return zmTclError(interp, argv[0], "swobj no");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, zmGetSwitchObjByNo(object, int32_t(longWord(argv[2]))));
  return TCL_OK;
}

ZM_COMMAND(getSwitchObjInfo) {
  if (argc != 3 && argc != 4) return zmTclError(interp, argv[0], "swobj current [max]");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  if (!setLongVar(interp, argv[2], zmGetSwitchObjNo(object))) return TCL_ERROR;
  if (argc == 4 && !setLongVar(interp, argv[3], zmGetSwitchObjNum(object))) return TCL_ERROR;
  return emptyResult(interp);
}

ZM_COMMAND(getPerson) {
  if (argc != 1) return zmTclError(interp, argv[0], "");
  ZmWorld* world = zmGetCurrentWorld();
  zmScriptSetPtrResult(interp, ZM_HANDLE_OBJECT, world ? world->person : nullptr);
  return TCL_OK;
}

// ---- Named values --------------------------------------------------------

ZM_COMMAND(newVariable) {
  if (argc != 4 && argc != 5) return zmTclError(interp, argv[0], "obj name value [ro]");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  const char* stored = zmNewValue(object, ZM_VALUE_STRING, argv[2], argv[3], argc == 4 ? 1 : 0);
  if (stored == nullptr) return zmScriptErrorResult(interp, "%s:zmNewObjValue failed.", argv[0]);
  return textResult(interp, stored);
}

ZM_COMMAND(getOrSetVariable) {
  bool setting = std::strcmp(argv[0], "zmSetVariable") == 0;
  if (argc != (setting ? 4 : 3)) return zmTclError(interp, argv[0], setting ? "obj name [value]" : "obj name");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  const char* value = setting ? zmSetObjValue(object, ZM_VALUE_STRING, argv[2], argv[3])
                              : zmGetObjValue(object, ZM_VALUE_STRING, argv[2]);
  if (value == nullptr) return zmScriptErrorResult(interp, "%s [%s] failed.", argv[0], argv[2]);
  return textResult(interp, value);
}

ZM_COMMAND(delVariable) {
  if (argc != 3) return zmTclError(interp, argv[0], "obj name");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  zmDeleteObjValue(object, ZM_VALUE_STRING, argv[2]);
  return emptyResult(interp);
}

// ---- Transforms ----------------------------------------------------------

ZM_COMMAND(rotate) {
  if (argc != 13)
    return zmTclError(interp, argv[0], "ZmObj px py pz px1 py1 pz1 px2 py2 py2 ZmCoordSystem  ZmTransferMode");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  float turn[9];
  matrixWords(argv + 2, turn);
  return intResult(interp, zmObjectRotate(object, turn, int(longWord(argv[11])), int(longWord(argv[12]))));
}

ZM_COMMAND(rotateAngle) {
  if (argc != 7) return zmTclError(interp, argv[0], "ZmObj x y z  ZmCoordSystem ZmTransferMode");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  float turn[9];
  angleWords(argv + 2, turn);
  return intResult(interp, zmObjectRotate(object, turn, int(longWord(argv[5])), int(longWord(argv[6]))));
}

ZM_COMMAND(translate) {
  if (argc != 7) return zmTclError(interp, argv[0], "ZmObj x y z  ZmCoordSystem  ZmTransferMode");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  ZmVec3 step = vectorWords(argv + 2);
  return intResult(interp, zmObjectTrans(object, &step, int(longWord(argv[5])), int(longWord(argv[6]))));
}

ZM_COMMAND(rotateTranslate) {
  if (argc != 16)
    return zmTclError(interp, argv[0],
                      "ZmObj rx ry rz rx1 ry1 rz1 rx2 ry2 rz2 tx ty tz ZmCoordSystem ZmTransferMode");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  ZmRT transform;
  matrixWords(argv + 2, transform.m);
  transform.t = vectorWords(argv + 11);
  return intResult(interp,
                   zmObjectRotateTrans(object, &transform, int(longWord(argv[14])), int(longWord(argv[15]))));
}

ZM_COMMAND(rotateAngleTranslate) {
  if (argc != 10) return zmTclError(interp, argv[0], "ZmObj x y z tx ty tz ZmCoordSystem ZmTransferMode");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  ZmRT transform;
  angleWords(argv + 2, transform.m);
  transform.t = vectorWords(argv + 5);
  return intResult(interp,
                   zmObjectRotateTrans(object, &transform, int(longWord(argv[8])), int(longWord(argv[9]))));
}

ZM_COMMAND(getObjWRT) { return readTransform(interp, argc, argv, zmGetWRT); }
ZM_COMMAND(getObjLRT) { return readTransform(interp, argc, argv, zmGetLRT); }

ZM_COMMAND(pos3DTo2D) {
  if (argc != 6) return zmTclError(interp, argv[0], "3dx 3dy 3dz 2dx 2dy");
  const float point[3] = {float(floatWord(argv[1])), float(floatWord(argv[2])), float(floatWord(argv[3]))};
  int x = 0, y = 0, onScreen = 0;
  int status = zmProjectObjPoint(zmGetCurrentWorld(), point, &x, &y, &onScreen);
  RECT frame = {};
  if (HWND main = zmGetMainHwnd()) GetWindowRect(main, &frame);
  if (!setLongVar(interp, argv[4], long(x) + frame.left) || !setLongVar(interp, argv[5], long(y) + frame.top))
    return TCL_ERROR;
  return intResult(interp, status);
}

// ---- Distances and collisions ----------------------------------------------

ZM_COMMAND(calcDistance) {
  if (argc != 3) return zmTclError(interp, argv[0], "ZmObj ZmObj");
  ZmObj* first = objectArg(interp, argv[0], argv[1]);
  if (first == nullptr) return TCL_ERROR;
  ZmObj* second = objectArg(interp, argv[0], argv[2]);
  if (second == nullptr) return TCL_ERROR;
  return floatResult(interp, zmCalcObjDistance(first, second));
}

// The variable `ret` receives whether a collision was found.
ZM_COMMAND(intersectTopObjAndWorld) {
  if (argc != 5) return zmTclError(interp, argv[0], "ZmObj  ZmBoolean ZmBoolean ret");
  ZmObj* object = objectArg(interp, argv[0], argv[1]);
  if (object == nullptr) return TCL_ERROR;
  int32_t collided = 0;
  int status = zmEvalCollisionTopObjAndWorld(object, int32_t(longWord(argv[2])), int32_t(longWord(argv[3])),
                                             &collided);
  if (!setLongVar(interp, argv[4], collided)) return TCL_ERROR;
  return intResult(interp, status);
}

ZM_COMMAND(intersectTopObjs) {
  if (argc != 6) return zmTclError(interp, argv[0], "ZmObj ZmObj ZmBoolean ZmBoolean ret");
  ZmObj* first = objectArg(interp, argv[0], argv[1]);
  if (first == nullptr) return TCL_ERROR;
  ZmObj* second = objectArg(interp, argv[0], argv[2]);
  if (second == nullptr) return TCL_ERROR;
  int32_t collided = 0;
  int status = zmEvalCollisionTopObjs(first, second, int32_t(longWord(argv[3])), int32_t(longWord(argv[4])),
                                      &collided);
  if (!setLongVar(interp, argv[5], collided)) return TCL_ERROR;
  return intResult(interp, status);
}

}  // namespace zmcmd
