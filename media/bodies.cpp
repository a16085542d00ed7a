// media/bodies.cpp -- articulated bodies in the scene; see bodies.h.
#include "media/bodies.h"

#include <cstring>
#include <string>

#include "core/bounds.h"
#include "core/leaf.h"
#include "core/material.h"
#include "core/memory.h"
#include "core/object.h"
#include "core/report.h"
#include "core/strings.h"
#include "core/transform.h"
#include "core/world.h"
#include "loading/urltable.h"
#include "media/bodyreading.h"
#include "viewer/api.h"
#include "vrml/parse.h"

namespace {

// out = a x b: a applied first, then b (row vectors).
void firstThen(const float a[9], const float b[9], float out[9]) { zmMat3Mult(b, a, out); }

template <class Record> Record* extensionOf(ZmObj* object, int32_t type) {
  return reinterpret_cast<Record*>(zmGetObjExtension(object, type));
}

// A copy of the local file of a URL, through the URL table of the world
// being built (else the current one); null after the report.
char* copyLocalName(const char* url) {
  const char* local = url ? zmGetLocalFile(zmWwwLoadFile(url)) : nullptr;
  if (local == nullptr) {
    zmReportWarning("zmKinNew: zmWwwLoadFile failed.");
    return nullptr;
  }
  char* copy = zmStrdup(local);
  if (copy == nullptr) zmReportError("zmKinNew: zmStrdup failed.");
  return copy;
}

// ---- Bones ----

int32_t outboundCount(const ZmKinSegment* segment) {
  int32_t count = 0;
  for (const ZmKinSite* site = segment->sites; site != nullptr; site = site->next) ++count;
  return count;
}

template <class Element> bool allocate(int32_t count, int32_t* countField, Element** values) {
  *values = static_cast<Element*>(zmMalloc(sizeof(Element) * size_t(count)));
  if (*values == nullptr) return false;
  *countField = count;
  return true;
}

bool setColor(ZmMFColor* list, float r, float g, float b) {
  if (!allocate(1, &list->count, &list->values)) return false;
  list->values[0] = {r, g, b};
  return true;
}

bool setFloat(ZmMFFloat* list, float value) {
  if (!allocate(1, &list->count, &list->values)) return false;
  list->values[0] = value;
  return true;
}

// The bone's one-element material. The ambient green is 8.0 as the bone
// colours have always been; the renderer clamps it.
bool setBoneMaterial(ZmMaterial* material) {
  material->count = 1;
  return setColor(&material->ambient_color, 0.2f, 8.0f, 0.2f) && setColor(&material->diffuse_color, 0, 1, 0) &&
         setColor(&material->specular_color, 0, 1, 0) && setColor(&material->emmisive_color, 0, 0, 0) &&
         setFloat(&material->shininess, 1.0f) && setFloat(&material->transparency, 0.0f) &&
         setFloat(&material->specularpower, 1.0f);
}

// Vertex 0 at the inbound site, then each outbound site relative to it.
void fillBonePoints(const ZmKinSegment* segment, ZmVec3* points) {
  const ZmVec3& origin = segment->inboundSite->transform.t;
  points[0] = {0, 0, 0};
  int32_t i = 1;
  for (const ZmKinSite* site = segment->sites; site != nullptr; site = site->next)
    zmVec3Sub(&site->transform.t, &origin, &points[i++]);
}

ZmLeaf* makeLineBone(const ZmKinSegment* segment) {
  ZmLine* line = zmNewLineLeaf();
  if (line == nullptr) {
    zmReportError("MakeKinLeaf: Can't allocate line shape.");
    return nullptr;
  }
  if (!allocate(2, &line->vertex.count, &line->vertex.values)) {
    zmReportError("MakeKinLeaf: Can't allocate ZmVec3 x 2.");
    zmDeleteLeaf(line);
    return nullptr;
  }
  fillBonePoints(segment, line->vertex.values);
  return line;
}

ZmLeaf* makeFaceBone(const ZmKinSegment* segment, int32_t outbound) {
  ZmFace* face = zmNewFaceLeaf();
  if (face == nullptr) {
    zmReportError("MakeKinLeaf: Can't allocate face shape.");
    return nullptr;
  }
  const int32_t corners = outbound + 1;
  const char* failure = nullptr;
  if (!allocate(corners, &face->vertex.count, &face->vertex.values)) {
    failure = "MakeKinLeaf: Can't allocate ZmVec3 x num.";
  } else if (!allocate(1, &face->normal.count, &face->normal.values)) {
    failure = "MakeKinLeaf: Can't allocate ZmVec3.";
  } else if (!allocate(corners, &face->texture.uv.count, &face->texture.uv.values)) {
    failure = "MakeKinLeaf: Can't allocate ZmVec2 x num.";
  }
  if (failure != nullptr) {
    zmReportError("%s", failure);
    zmDeleteLeaf(face);
    return nullptr;
  }
  fillBonePoints(segment, face->vertex.values);
  const ZmVec3* v = face->vertex.values;
  zmCalcPolygonNormal(&v[0], &v[1], &v[2], &face->normal.values[0]);
  face->normalBinding = 4;
  face->materialBinding = 0;
  face->face_type = 0;
  return face;
}

// ---- Postures ----

int bodyAndPosition(ZmObj* top, const char* caller, ZmKinBody** body, ZmKinPosition** position) {
  *body = extensionOf<ZmKinBody>(top, zmKinemationBody);
  if (*body == nullptr) {
    zmReportWarning("%s: cannot get kinemation body.", caller);
    return -1;
  }
  *position = extensionOf<ZmKinPosition>(top, zmKinemationPosition);
  if (*position == nullptr) {
    zmReportWarning("%s: cannot get kinemation position.", caller);
    return -1;
  }
  return 0;
}

int moveChildren(ZmObj* object, int32_t frame) {
  for (ZmChildList* node = object->child; node != nullptr; node = node->next)
    if (int result = zmKinObjMoveRecursive(node->object, frame); result != 0) return result;
  return 0;
}

}  // namespace

// ---- Loading --------------------------------------------------------------------

int zmKinNew(ZmWorld* world, const char* bodyUrl, const char* skinUrl, ZmObj** object) {
  bool& loadingBody = bodyFileReading().loading;
  if (loadingBody || object == nullptr) return -1;
  loadingBody = true;
  ZmObj* top = skinUrl != nullptr ? nullptr : *object;
  ZmObj* skin = nullptr;
  ZmKinBody* body = nullptr;
  std::FILE* file = nullptr;
  // Every failure below frees what this call made or was given, once.
  auto fail = [&](bool isError, const char* text) {
    if (text != nullptr) (isError ? zmReportError : zmReportWarning)("%s", text);
    if (file != nullptr) std::fclose(file);
    zmDeleteZmObj(top);
    zmDeleteZmObj(skin);
    zmKinDeleteBody(body);
    *object = nullptr;
    loadingBody = false;
    return -1;
  };
  if (skinUrl != nullptr) {
    char* skinFile = copyLocalName(skinUrl);
    if (skinFile == nullptr) return fail(false, nullptr);
    if (zmNewZmObj(world, &top, 1) != 0 || zmNewZmObj(world, &skin, 0) != 0) {
      zmFree(skinFile);
      return fail(true, "zmKinNew: zmNewZmObj failed.");
    }
    const int parsed = zmParseVRMLInZmObj(skinFile, skin);
    zmFree(skinFile);
    if (parsed != 0) return fail(false, "zmKinNew: zmParseVRMLInZmObj failed.");
    if (zmValidateChildWRT(skin) != 0) return fail(false, "zmKinNew: zmValidateChildWRT failed.");
  }
  if (top == nullptr) return fail(false, "zmKinNew: no object to build the body into.");
  char* bodyFile = copyLocalName(bodyUrl);
  if (bodyFile == nullptr) return fail(false, nullptr);
  body = zmKinNewBody();
  if (body == nullptr) {
    zmFree(bodyFile);
    return fail(true, "zmKinNew: Can't allocate ZmKinBody structure.\n");
  }
  file = std::fopen(bodyFile, "rb");
  if (file == nullptr) zmReportWarning("zmKinNew: %s open failed.", bodyFile);
  zmFree(bodyFile);
  if (file == nullptr) return fail(false, nullptr);
  zmKinResetWords();
  if (zmKinParseBody(file, body) != 0) return fail(false, "zmKinNew: zmKinParseBody failed.");
  zmKinResetWords();
  if (parseCapFile(file, body) != 0) return fail(false, "zmKinNew: parseCapFile failed.");
  // The rest of the "endcapture" line is not motion.
  for (int c; (c = std::getc(file)) != EOF && c != '\n';) {
  }
  if (zmLineCount(file, body) != 0) return fail(false, "zmKinNew: zmLineCount failed.");
  if (zmLoadMov(file, body) != 0) return fail(false, "zmKinNew: zmLoadMov failed.");
  std::fclose(file);
  file = nullptr;
  if (zmKinObjHierarchy(world, body, skin, top) != 0) return fail(false, "zmKinNew: faild.");
  // The skin's parts that no segment took are attached nowhere.
  zmDeleteZmObj(skin);
  *object = top;
  loadingBody = false;
  return 0;
}

int zmKinNewTopObject(ZmWorld* world, const char* bodyUrl, const char* skinUrl, ZmObj** object) {
  ZmObj* top = nullptr;
  if (skinUrl == nullptr && zmNewZmObj(world, &top, 1) != 0) return -1;
  if (int result = zmKinNew(world, bodyUrl, skinUrl, &top); result != 0) return result;
  int result = zmConstructObjInViewer(top);
  if (result == 0) result = zmAddTopObject(top, skinUrl != nullptr ? skinUrl : bodyUrl);
  if (result != 0) {
    zmDeleteZmObj(top);
    return result;
  }
  if (object != nullptr) *object = top;
  return 0;
}

int zmKinObjHierarchy(ZmWorld* world, ZmKinBody* body, ZmObj* skin, ZmObj* top) {
  if (body == nullptr || body->rootSegment == nullptr || top == nullptr) return -1;
  ZmObj* root = top;
  if (int result = zmKinObjectTreeRec(world, body->rootSegment, skin, nullptr, &root); result != 0) return result;
  if (zmRegisterObjExtension(top, zmKinemationBody, reinterpret_cast<intptr_t>(body)) != 0) {
    zmReportWarning("zmKinObjHierarchy: zmRegisterObjExtension failed");
    return -1;
  }
  auto* position = static_cast<ZmKinPosition*>(zmMalloc(sizeof(ZmKinPosition)));
  if (position == nullptr) {
    zmDeleteObjExtension(top, zmKinemationBody);
    zmReportError("zmKinObjHierarchy: zmMalloc- ZmKinPosition failed");
    return -1;
  }
  position->frame = -1;
  zmMat3Transpose(top->localRT.m, position->placement.m);
  if (zmRegisterObjExtension(top, zmKinemationPosition, reinterpret_cast<intptr_t>(position)) != 0) {
    zmDeleteObjExtension(top, zmKinemationBody);
    zmFree(position);
    zmReportWarning("zmKinObjHierarchy: zmRegisterObjExtension failed");
    return -1;
  }
  return 0;
}

int zmKinObjectTreeRec(ZmWorld* world, ZmKinSegment* segment, ZmObj* skin, ZmObj* parent, ZmObj** object) {
  if (segment == nullptr || object == nullptr) return -1;
  ZmObj* made = nullptr;
  if (parent != nullptr && zmNewZmObj(world, &made, 0) != 0) {
    zmReportError("zmKinObjectTreeRec: zmNewZmObj failed");
    return -1;
  }
  ZmObj* self = parent != nullptr ? made : *object;
  auto fail = [&](int result) {
    zmDeleteZmObj(made);  // the root belongs to the caller
    return result;
  };
  if (zmNameObject(self, segment->name) == nullptr) {
    zmReportError("zmKinObjectTreeRec: memory allocation failed.");
    return fail(-1);
  }
  firstThen(segment->ownSide.m, segment->parentSide.m, self->localRT.m);
  self->localRT.t = segment->offset;
  zmInvalidateBoundingCube(self);
  if (parent != nullptr && zmAddChild(parent, self) != 0) {
    zmReportError("zmKinObjctTreeRec: zmAddChild failed");
    return fail(-1);
  }
  if ((skin != nullptr ? MakeSkin(self, skin) : MakeBone(self, segment)) != 0) {
    zmReportWarning("zmKinObjectTreeRec: makeSkin failed.");
    return fail(-1);
  }
  if (zmRegisterObjExtension(self, zmKinemationSegment, reinterpret_cast<intptr_t>(segment)) != 0) {
    zmReportWarning("zmKinObjectTreeRec: zmRegisterObjExtension failed");
    return fail(-1);
  }
  for (ZmKinSite* site = segment->sites; site != nullptr; site = site->next) {
    if (site->inbound == 1 || site->connected == nullptr) continue;
    ZmObj* child = nullptr;
    if (int result = zmKinObjectTreeRec(world, site->connected->segment, skin, self, &child); result != 0)
      return fail(result);
  }
  *object = self;
  return 0;
}

int MakeBone(ZmObj* object, ZmKinSegment* segment) {
  ZmObj* bone = nullptr;
  if (zmNewZmObj(object->world, &bone, 0) != 0) {
    zmReportError("MakeBone: zmNewZmObj failed");
    return -1;
  }
  auto fail = [&](int result, bool isError, const char* text) {
    (isError ? zmReportError : zmReportWarning)("%s", text);
    zmDeleteZmObj(bone);
    return result;
  };
  if (zmAddChild(object, bone) != 0) return fail(-1, true, "MakeBone: zmAddChild failed");
  const std::string name = std::string(object->comment[1] ? object->comment[1] : "") + ".bone";
  if (zmNameObject(bone, name.c_str()) == nullptr) return fail(-5, true, "MakeBone: memory allocation failed.");
  if (MakeKinLeaf(segment, bone) != 0) return fail(-1, false, "MakeBone: MakeKinLeaf failed.");
  return 0;
}

int MakeKinLeaf(ZmKinSegment* segment, ZmObj* bone) {
  const int32_t outbound = outboundCount(segment);
  if (outbound == 0 || segment->inboundSite == nullptr) {
    zmReportWarning("MakeKinLeaf: Undefined 'no shape'.");
    return -1;
  }
  ZmLeaf* leaf = outbound == 1 ? makeLineBone(segment) : makeFaceBone(segment, outbound);
  if (leaf == nullptr) return outbound == 1 ? -1 : -5;
  ZmMaterial* material = zmOwnLeafMaterial(static_cast<ZmShape*>(leaf));
  if (material == nullptr || !setBoneMaterial(material)) {
    zmReportError("MakeKinLeaf: can not allocate memory for material's contents.");
    zmDeleteLeaf(leaf);
    return -5;
  }
  zmAddLeaf(bone, 0, leaf);
  zmInvalidateBoundingCubeUp(bone);
  return 0;
}

int MakeSkin(ZmObj* object, ZmObj* skin) {
  ZmObj* named = zmGetObjByName(skin, object->comment[1]);
  if (named == nullptr) {
    zmReportWarning("MakeSkin: zmGetObjByName failed.");
    return -1;
  }
  if (named->child == nullptr) {
    zmReportWarning("MakeSkin: incorrect structure in ZmObj tree.");
    return -1;
  }
  ZmObj* part = named->child->object;
  const ZmRT partWorld = *zmGetWRT(part);
  if (zmRemoveChild(part) != 0) return -1;
  part->parent = nullptr;
  if (zmAddChild(object, part) != 0) {
    zmReportError("MakeSkin: zmAddChild failed.");
    zmDeleteZmObj(part);
    return -1;
  }
  // The part keeps its place in the world under its new parent.
  ZmRT inverse;
  zmRTInvert(zmGetWRT(object), &inverse);
  zmRTMult(&inverse, &partWorld, &part->localRT);
  zmInvalidateBoundingCube(part);
  zmInvalidateChildWRT(object);
  return 0;
}

// ---- Postures -------------------------------------------------------------------

int KinSetFrame(ZmObj* top, int32_t frame, int mode) {
  if (top == nullptr) return -1;
  ZmKinBody* body = nullptr;
  ZmKinPosition* position = nullptr;
  if (bodyAndPosition(top, "KinSetFrame", &body, &position) != 0) return -1;
  if (frame < 0 || frame >= body->frameCount) {
    zmReportWarning("KinSetFrame: out of range (max_frame = %d)", body->frameCount);
    return -4;
  }
  position->frame = frame;
  // Q: the turn given to the top object since the last frame was set.
  float added[9];
  firstThen(position->placement.m, top->localRT.m, added);
  float rootTurn[9];
  firstThen(body->rootSegment->ownSide.m, body->rootRotations[frame].m, rootTurn);
  zmMat3Transpose(rootTurn, position->placement.m);
  ZmRT moved;
  firstThen(rootTurn, added, moved.m);
  ZmVec3 step = {0, 0, 0};
  if (mode == 1 || mode == 2) zmMat3TransformVec3(added, &body->rootSteps[frame], &step);
  if (mode == 2) zmVec3NegateSelf(&step);
  zmVec3Add(&top->localRT.t, &step, &moved.t);
  if (zmObjectRotateTrans(top, &moved, ZM_COORD_OWN, 0) != 0) {
    zmReportWarning("KinSetFrame: zmObjectRotateTrans failed.");
    return -1;
  }
  return moveChildren(top, frame);
}

int zmKinObjMoveRecursive(ZmObj* object, int32_t frame) {
  const auto* segment = object ? extensionOf<ZmKinSegment>(object, zmKinemationSegment) : nullptr;
  if (segment == nullptr) return 0;  // bones and skin parts end the walk
  float turn[9];
  firstThen(segment->ownSide.m, segment->motion[frame].m, turn);
  firstThen(turn, segment->parentSide.m, turn);
  if (zmObjectRotate(object, turn, ZM_COORD_OWN, 0) != 0) {
    zmReportWarning("zmKinObjMoveRecursive: zmOjbectRotate failed.");
    return -1;
  }
  return moveChildren(object, frame);
}

int zmKinSetFrame(ZmObj* top, int32_t frame) { return KinSetFrame(top, frame, 0); }

int zmKinNextPosture(ZmObj* top) {
  if (top == nullptr) return -1;
  ZmKinBody* body = nullptr;
  ZmKinPosition* position = nullptr;
  if (bodyAndPosition(top, "zmKinSetFrame", &body, &position) != 0) return -1;
  const int32_t next = position->frame + 1;
  return KinSetFrame(top, next < body->frameCount ? next : 0, 1);
}

int zmKinPrevPosture(ZmObj* top) {
  if (top == nullptr) return -1;
  ZmKinBody* body = nullptr;
  ZmKinPosition* position = nullptr;
  if (bodyAndPosition(top, "zmKinSetFrame", &body, &position) != 0) return -1;
  const int32_t previous = position->frame - 1;
  return KinSetFrame(top, previous >= 0 && previous < body->frameCount ? previous : body->frameCount - 1, 2);
}

int zmKinGetBodyAndPos(ZmObj* top, ZmKinBody** body, ZmKinPosition** position) {
  if (top == nullptr) return -1;
  return bodyAndPosition(top, "zmKinGetBodyAndPos", body, position);
}

int zmKinGetFrame(ZmObj* top, int32_t* frame) {
  ZmKinBody* body = nullptr;
  ZmKinPosition* position = nullptr;
  if (zmKinGetBodyAndPos(top, &body, &position) != 0) return -1;
  *frame = position->frame;
  return 0;
}

int zmKinGetMaxFrame(ZmObj* top, int32_t* frameCount) {
  ZmKinBody* body = nullptr;
  ZmKinPosition* position = nullptr;
  if (zmKinGetBodyAndPos(top, &body, &position) != 0) return -1;
  *frameCount = body->frameCount;
  return 0;
}

int zmKinDeleteBodyAndPos(ZmObj* object) {
  if (object == nullptr) return -1;
  zmKinDeleteBody(extensionOf<ZmKinBody>(object, zmKinemationBody));
  zmFree(extensionOf<ZmKinPosition>(object, zmKinemationPosition));
  zmDeleteObjExtension(object, zmKinemationBody);
  zmDeleteObjExtension(object, zmKinemationPosition);
  return 0;
}
