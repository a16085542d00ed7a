// engine/modelling.cpp -- parse contexts, model and clump brackets, parts,
// joints and prototypes.
#include "engine/modelling.h"

#include <cstring>

#include "engine/clump.h"
#include "engine/error.h"
#include "engine/library.h"
#include "engine/material.h"
#include "engine/path.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/shapereaderstate.h"

namespace {

// The modelling contexts, the shape path and the last script read (engine/shapereaderstate.h).
RwShapeReaderState shapeReader;

constexpr intptr_t jointStackCapacity = 8;
constexpr intptr_t firstPartCapacity = 8;
constexpr intptr_t partZeroVertexRoom = 256;
constexpr intptr_t partZeroPolygonRoom = 8;

int fail(int number) {
  RwSetError(number);
  return 0;
}

// ---- library settings

int setTrace(intptr_t value) {
  RwSetModellingTag(value);
  return 1;
}

const RwLibrarySetting traceSetting = {RwGetModellingTag, setTrace};

const RwLibrarySetting& settingAt(int index) {
  const RwModellingTextureLinks& links = rwModellingTextureLinks();
  const RwLibrarySetting* settings[rwModellingSettings] = {&traceSetting, &links.dithering, &links.gammaCorrection,
                                                           &links.paletteMode, &links.indexRemap};
  return *settings[index];
}

// Column 0: at context creation; column 1: at modelbegin.
void saveSettings(RwParseContext* context, int column) {
  for (int i = 0; i < rwModellingSettings; ++i) {
    const RwLibrarySetting& setting = settingAt(i);
    context->savedSettings[i][column] = setting.get();
  }
  context->settingsSaved[column] = 1;
}

void restoreSettings(RwParseContext* context, int column) {
  if (!context->settingsSaved[column]) return;
  for (int i = 0; i < rwModellingSettings; ++i) {
    const RwLibrarySetting& setting = settingAt(i);
    setting.set(context->savedSettings[i][column]);
    context->savedSettings[i][column] = 0;
  }
  context->settingsSaved[column] = 0;
}

// ---- stacks

void popCTMTo(intptr_t depth) {
  while (depth >= 0 && RwCTMDepth() > depth) RwPopCTM();
}

void popJointsTo(intptr_t depth) {
  while (depth >= 0 && RwJointDepth() > depth) RwPopJointMatrix();
}

void popMaterialsTo(intptr_t depth) {
  while (depth >= 0 && RwCurrentMaterialDepth() > depth) RwPopCurrentMaterial();
}

// ---- clump definitions

void endBuildingWhenIdle() {
  if (!RwIsAnyClumpDefinitionOpen()) RwSetModelBuilding(0);
}

void unlinkDefinition(RwParseContext* context, RwCreationContext* definition) {
  (definition->previous ? definition->previous->next : context->firstDefinition) = definition->next;
  (definition->next ? definition->next->previous : context->lastDefinition) = definition->previous;
}

// Destroys the parts still held and returns the stacks to their depths at
// clumpbegin.
void removeDefinition(RwParseContext* context, RwCreationContext* definition) {
  for (intptr_t i = 0; i <= definition->lastPart; ++i) {
    if (definition->parts[i]) RwDestroyClump(definition->parts[i]);
  }
  RwEngineFree(definition->parts);
  popCTMTo(definition->savedCTMDepth);
  popJointsTo(definition->savedJointDepth);
  popMaterialsTo(definition->savedMaterialDepth);
  unlinkDefinition(context, definition);
  RwFreeRecord(shapeReader.modelling.definitions, definition);
}

void discardDefinitions(RwParseContext* context) {
  while (context->lastDefinition) removeDefinition(context, context->lastDefinition);
}

bool appendPart(RwCreationContext* definition, RwClump* part) {
  if (definition->lastPart + 1 == definition->partCapacity) {
    intptr_t grown = definition->partCapacity + definition->partCapacity / 2;
    auto* parts = static_cast<RwClump**>(RwEngineRealloc(definition->parts, grown * sizeof(RwClump*)));
    if (!parts) return fail(rwErrOutOfMemory);
    definition->parts = parts;
    definition->partCapacity = grown;
  }
  definition->parts[++definition->lastPart] = part;
  return true;
}

bool pushFreshMaterial(bool fresh) {
  if (!RwPushCurrentMaterial()) return false;
  return !fresh || RwResetMaterial(RwWritableCurrentMaterial());
}

// Pushes the CTM and the joint stack, keeping copies of what they held (or
// the identity for a fresh definition), and starts both from the identity.
bool pushFrames(RwCreationContext* definition, bool fresh) {
  if (fresh) {
    RwIdentityMatrix(&definition->savedModelling);
    RwIdentityMatrix(&definition->savedJoint);
  } else {
    RwCopyMatrix(RwGetCTM(), &definition->savedModelling);
    RwCopyMatrix(RwJointMatrix(), &definition->savedJoint);
  }
  if (!RwPushCTM()) return false;
  RwIdentityMatrix(RwGetCTM());
  if (!RwPushJointMatrix()) return false;
  RwIdentityMatrix(RwJointMatrix());
  return true;
}

RwCreationContext* beginDefinition(RwParseContext* context) {
  bool fresh = !context->modelling && !context->lastDefinition;
  auto* definition = static_cast<RwCreationContext*>(RwAllocRecord(shapeReader.modelling.definitions));
  if (!definition) return nullptr;
  *definition = {};
  definition->savedCTMDepth = RwCTMDepth();
  definition->savedJointDepth = RwJointDepth();
  definition->savedMaterialDepth = RwCurrentMaterialDepth();
  definition->lastPart = -1;
  definition->previous = context->lastDefinition;
  (context->lastDefinition ? context->lastDefinition->next : context->firstDefinition) = definition;
  context->lastDefinition = definition;
  definition->parts = static_cast<RwClump**>(RwEngineAlloc(firstPartCapacity * sizeof(RwClump*)));
  bool ok = definition->parts != nullptr;
  if (ok) definition->partCapacity = firstPartCapacity;
  ok = ok && pushFreshMaterial(fresh) && pushFrames(definition, fresh);
  RwClump* partZero = ok ? RwCreateClump(partZeroVertexRoom, partZeroPolygonRoom) : nullptr;
  if (!partZero || !appendPart(definition, partZero)) {
    if (partZero) RwDestroyClump(partZero);
    if (!definition->parts) RwSetError(rwErrOutOfMemory);
    removeDefinition(context, definition);
    return nullptr;
  }
  return definition;
}

bool isEmptyDefinition(const RwCreationContext* definition) {
  RwClump* partZero = definition->parts[0];
  return definition->lastPart == 0 && RwGetClumpNumVertices(partZero) == 0 && partZero->polygonCount == 0 &&
         !partZero->firstChild;
}

// Each part's children move to the clump, carrying the part's transform.
bool adoptChildren(RwClump* clump, RwClump* part) {
  RwMatrix local;
  if (!RwGetClumpLocalMatrix(part, &local)) return false;
  while (RwClump* child = part->firstChild) {
    RwTransformMatrix(&child->modellingMatrix, &local, RwPostConcat);
    if (!RwAddChildToClump(clump, child)) return false;
  }
  return true;
}

// The definition's parts merged into part 0, which becomes the finished
// clump; null on failure (part 0 then stays with the definition). Part 0
// keeps its own polygons rather than copying them: a copy would make every
// polygon of the definition pass through its material's user list twice.
RwClump* mergeParts(RwCreationContext* definition) {
  RwClump* clump = definition->parts[0];
  bool ok = true;
  for (intptr_t i = 1; i <= definition->lastPart && ok; ++i) ok = RwMoveClumpIntoClump(clump, definition->parts[i]);
  for (intptr_t i = 1; i <= definition->lastPart && ok; ++i) ok = adoptChildren(clump, definition->parts[i]);
  ok = ok && RwTransformClump(clump, &definition->savedModelling, RwReplace) &&
       RwTransformClumpJoint(clump, &definition->savedJoint, RwReplace);
  if (!ok) return nullptr;
  definition->parts[0] = nullptr;
  return clump;
}

RwClump* finishOne(RwClump* clump, void*) {
  if (!RwFinishClumpModel(clump)) RwSetError(rwErrInvalidArgument);
  return clump;
}

// Derived data for the whole hierarchy, children first.
bool finishHierarchy(RwClump* root) { return RwForAllClumpsInHierarchy(root, finishOne, nullptr) != nullptr; }

void replaceResult(RwParseContext* context, RwClump* clump) {
  if (context->result && context->result != clump) RwDestroyClump(context->result);
  context->result = clump;
}

// Ends the innermost definition. A prototype's definition is not a script
// result and may end at top level while the prototype flag is set.
RwClump* endDefinition(RwParseContext* context, bool forPrototype) {
  RwCreationContext* definition = context->lastDefinition;
  if (!definition) return failWith<RwClump>(rwErrNotModelling);
  if (isEmptyDefinition(definition)) {
    removeDefinition(context, definition);
    endBuildingWhenIdle();
    return failWith<RwClump>(rwErrDegenerateFrame);
  }
  RwClump* clump = mergeParts(definition);
  removeDefinition(context, definition);
  if (clump && context->lastDefinition) {
    if (RwAddChildToClump(context->lastDefinition->parts[0], clump)) return clump;
    RwDestroyClump(clump);
    return nullptr;
  }
  endBuildingWhenIdle();
  if (!clump) return nullptr;
  if (context->prototype && !forPrototype) {
    RwDestroyClump(clump);
    return failWith<RwClump>(rwErrOpenClumps);
  }
  if (!RwIsModelBuilding() && !finishHierarchy(clump)) {
    RwDestroyClump(clump);
    return nullptr;
  }
  if (context != shapeReader.modelling.first && !forPrototype) replaceResult(context, clump);
  return clump;
}

// ---- prototypes

void freePrototype(RwPrototype* prototype) {
  if (prototype->clump) RwDestroyClump(prototype->clump);
  RwEngineFree(prototype->name);
  RwFreeRecord(shapeReader.modelling.prototypes, prototype);
}

void freePrototypes(RwParseContext* context) {
  while (RwPrototype* prototype = context->prototypes) {
    context->prototypes = prototype->next;
    freePrototype(prototype);
  }
  context->prototype = 0;
}

RwPrototype* findPrototype(RwParseContext* context, const char* name) {
  for (RwPrototype* p = context->prototypes; p; p = p->next) {
    if (RwSameNameNoCase(p->name, name)) return p;
  }
  return nullptr;
}

char* copyName(const char* name) {
  size_t length = std::strlen(name);
  auto* copy = static_cast<char*>(RwEngineAlloc(length + 1));
  if (copy) std::memcpy(copy, name, length + 1);
  return copy;
}

// ---- materials of a part

RwPolygon* assignMaterial(RwPolygon* polygon, void* material) {
  if (!RwAssignPolygonMaterial(polygon, static_cast<RwMaterial*>(material))) return nullptr;
  return polygon;
}

RwClump* assignMaterialToClump(RwClump* clump, void* material) {
  RwForAllPolygonsInClumpWithData(clump, assignMaterial, material);
  return clump;
}

// ---- the model bracket

// Returns the stacks and settings to what they were at modelbegin and frees
// the model's prototypes.
void restoreModel(RwParseContext* context) {
  popCTMTo(context->savedCTMDepth);
  popJointsTo(context->savedJointDepth);
  popMaterialsTo(context->savedMaterialDepth);
  context->savedCTMDepth = context->savedJointDepth = context->savedMaterialDepth = -1;
  restoreSettings(context, 1);
  freePrototypes(context);
  context->modelling = 0;
}

RwParseContext* makeContext() {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  auto* context = static_cast<RwParseContext*>(RwAllocRecord(modelling.parseContexts));
  if (!context) return nullptr;
  *context = {};
  context->savedCTMDepth = context->savedJointDepth = context->savedMaterialDepth = -1;
  context->openingCTMDepth = RwCTMDepth();
  context->openingJointDepth = RwJointDepth();
  context->openingMaterialDepth = RwCurrentMaterialDepth();
  saveSettings(context, 0);
  context->previous = modelling.last;
  if (modelling.last) modelling.last->next = context;
  if (!modelling.first) modelling.first = context;
  modelling.last = context;
  return context;
}

void unlinkContext(RwParseContext* context) {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  (context->previous ? context->previous->next : modelling.first) = context->next;
  (context->next ? context->next->previous : modelling.last) = context->previous;
}

// Puts back everything the context changed; its result stays.
void cleanUpContext(RwParseContext* context) {
  discardDefinitions(context);
  restoreModel(context);
  popCTMTo(context->openingCTMDepth);
  popJointsTo(context->openingJointDepth);
  popMaterialsTo(context->openingMaterialDepth);
  restoreSettings(context, 0);
}

}  // namespace

// ---- module

int RwOpenModellingModule() {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  modelling = {};
  modelling.parseContexts = RwCreatePool("parsecontextlist", sizeof(RwParseContext));
  modelling.definitions = RwCreatePool("creationcontextlist", sizeof(RwCreationContext));
  modelling.prototypes = RwCreatePool("prototypenodelist", sizeof(RwPrototype));
  if (!modelling.parseContexts || !modelling.definitions || !modelling.prototypes) return fail(rwErrOutOfMemory);
  modelling.joints = RwCreateMatrixStack(jointStackCapacity);
  return modelling.joints && makeContext() ? 1 : 0;
}

int RwCloseModellingModule() {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  while (modelling.last) {
    RwParseContext* context = modelling.last;
    cleanUpContext(context);
    if (context->result) RwDestroyClump(context->result);
    unlinkContext(context);
    RwFreeRecord(modelling.parseContexts, context);
  }
  if (modelling.joints) RwDestroyMatrixStack(modelling.joints);
  RwDestroyPool(modelling.parseContexts);
  RwDestroyPool(modelling.definitions);
  RwDestroyPool(modelling.prototypes);
  modelling = {};
  RwSetModelBuilding(0);
  return 1;
}

// ---- brackets

int RwModelBegin() {
  RwParseContext* context = shapeReader.modelling.last;
  if (!context) return fail(rwErrInvalidArgument);
  if (context->modelling || context->lastDefinition) return fail(rwErrModelling);
  context->savedCTMDepth = RwCTMDepth();
  context->savedJointDepth = RwJointDepth();
  context->savedMaterialDepth = RwCurrentMaterialDepth();
  bool ok = RwPushCTM() && RwIdentityMatrix(RwGetCTM()) && RwPushJointMatrix() && RwIdentityMatrix(RwJointMatrix()) &&
            pushFreshMaterial(true);
  if (!ok) {
    restoreModel(context);
    return 0;
  }
  saveSettings(context, 1);
  freePrototypes(context);
  context->modelling = 1;
  return 1;
}

int RwModelEnd() {
  RwParseContext* context = shapeReader.modelling.last;
  if (!context || !context->modelling) return fail(rwErrNotModelling);
  bool open = context->lastDefinition || context->prototype;
  discardDefinitions(context);
  restoreModel(context);
  endBuildingWhenIdle();
  return open ? fail(rwErrOpenClumps) : 1;
}

int RwClumpBegin() {
  RwParseContext* context = shapeReader.modelling.last;
  if (!context) return fail(rwErrInvalidArgument);
  RwSetModelBuilding(1);
  if (beginDefinition(context)) return 1;
  endBuildingWhenIdle();
  return 0;
}

RwClump* RwClumpEnd(RwClump** out) {
  RwParseContext* context = shapeReader.modelling.last;
  if (!context) return failWith<RwClump>(rwErrNotModelling);
  RwClump* clump = endDefinition(context, false);
  if (out) *out = clump;
  return clump;
}

// ---- CTM, joints, sampling

int RwTranslateCTM(float x, float y, float z) { return RwTranslateMatrix(RwGetCTM(), x, y, z, RwPreConcat) ? 1 : 0; }

int RwRotateCTM(float x, float y, float z, float angle) {
  return RwRotateMatrix(RwGetCTM(), x, y, z, angle, RwPreConcat) ? 1 : 0;
}

int RwScaleCTM(float x, float y, float z) { return RwScaleMatrix(RwGetCTM(), x, y, z, RwPreConcat) ? 1 : 0; }

int RwSetGeometrySampling(intptr_t sampling) {
  return RwSetMaterialGeometrySampling(RwWritableCurrentMaterial(), sampling) ? 1 : 0;
}

RwMatrix* RwJointMatrix() { return RwMatrixStackTop(shapeReader.modelling.joints); }
RwMatrix* RwPushJointMatrix() { return RwPushMatrixStack(shapeReader.modelling.joints); }
RwMatrix* RwPopJointMatrix() { return RwPopMatrixStack(shapeReader.modelling.joints); }
intptr_t RwJointDepth() {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  return modelling.joints ? RwMatrixStackDepth(modelling.joints) : -1;
}

int RwRotateJoint(float x, float y, float z, float angle) {
  return RwRotateMatrix(RwJointMatrix(), x, y, z, angle, RwPreConcat) ? 1 : 0;
}

// ---- prototypes

int RwProtoBegin(const char* name) {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  RwParseContext* context = modelling.last;
  if (!context || !context->modelling) return fail(rwErrScriptModelState);
  if (context->lastDefinition) return fail(rwErrScriptClumpState);
  auto* prototype = static_cast<RwPrototype*>(RwAllocRecord(modelling.prototypes));
  if (!prototype) return 0;
  *prototype = {copyName(name), nullptr, context->prototypes};
  if (!prototype->name) {
    RwFreeRecord(modelling.prototypes, prototype);
    return fail(rwErrOutOfMemory);
  }
  context->prototypes = prototype;
  if (!RwClumpBegin()) {
    context->prototypes = prototype->next;
    freePrototype(prototype);
    return 0;
  }
  context->prototype = 1;
  return 1;
}

int RwProtoEnd() {
  RwParseContext* context = shapeReader.modelling.last;
  if (!context || !context->modelling) return fail(rwErrScriptModelState);
  if (!context->prototype || !context->lastDefinition) return fail(rwErrNotModelling);
  // A clump opened inside the prototype and still open: its clumpend is due.
  if (context->firstDefinition != context->lastDefinition) return fail(rwErrOpenClumps);
  context->prototype = 0;
  RwPrototype* prototype = context->prototypes;
  RwClump* clump = endDefinition(context, true);
  if (!clump) {
    context->prototypes = prototype->next;
    freePrototype(prototype);
    return 0;
  }
  prototype->clump = clump;
  return 1;
}

int RwProtoInstance(const char* name, int takeMaterial) {
  RwParseContext* context = shapeReader.modelling.last;
  if (!RwCurrentClumpDefinition()) return fail(rwErrOutsideClump);
  RwPrototype* prototype = findPrototype(context, name);
  if (!prototype) return fail(rwErrPrototypeName);
  if (!prototype->clump) return fail(rwErrEmptyPrototype);
  RwClump* copy = RwDuplicateClump(prototype->clump);
  if (!copy) return 0;
  if (!RwAddModellingPart(copy, takeMaterial)) {
    RwDestroyClump(copy);
    return 0;
  }
  return 1;
}

// ---- for the primitives and the readers

RwParseContext* RwCurrentParseContext() { return shapeReader.modelling.last; }

RwCreationContext* RwCurrentClumpDefinition() {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  return modelling.last ? modelling.last->lastDefinition : nullptr;
}

RwClump* RwCurrentDefinitionClump() {
  RwCreationContext* definition = RwCurrentClumpDefinition();
  return definition ? definition->parts[0] : nullptr;
}

int RwIsAnyClumpDefinitionOpen() {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  for (RwParseContext* context = modelling.first; context; context = context->next) {
    if (context->lastDefinition) return 1;
  }
  return 0;
}

int RwAddModellingPart(RwClump* part, int takeMaterial) {
  RwCreationContext* definition = RwCurrentClumpDefinition();
  if (!definition) return fail(rwErrOutsideClump);
  if (!part) return fail(rwErrInvalidArgument);
  if (!RwTransformClump(part, RwGetCTM(), RwPreConcat)) return 0;
  if (takeMaterial && !RwForAllClumpsInHierarchy(part, assignMaterialToClump, RwCurrentMaterial())) return 0;
  return appendPart(definition, part) ? 1 : 0;
}

int RwAddModelPolygon(RwClump* clump, intptr_t count, const int32_t* indices, RwPolygon** out) {
  int pending = RwGetAndClearError();
  *out = RwAddModelPolygonToClump(clump, count, indices);
  int raised = RwGetAndClearError();
  RwRestoreError(pending ? pending : raised);
  return *out || raised == rwErrNone ? 1 : 0;
}

RwParseContext* RwBeginParseContext() {
  RwParseContext* context = makeContext();
  if (!context) RwSetError(rwErrOutOfMemory);
  return context;
}

RwClump* RwEndParseContext(RwParseContext* context, int keepResult) {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  if (!context || context != modelling.last || context == modelling.first) {
    return failWith<RwClump>(rwErrNotModelling);
  }
  cleanUpContext(context);
  RwClump* result = context->result;
  if (result && !keepResult) RwDestroyClump(result);
  unlinkContext(context);
  RwFreeRecord(modelling.parseContexts, context);
  endBuildingWhenIdle();
  return keepResult ? result : nullptr;
}

intptr_t RwScriptNestingDepth() {
  RwShapeReaderState::ModellingState& modelling = shapeReader.modelling;
  intptr_t depth = 0;
  for (RwParseContext* context = modelling.first; context && context->next; context = context->next) ++depth;
  return depth;
}

RwShapeReaderState& rwShapeReaderState() { return shapeReader; }
