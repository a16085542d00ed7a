// engine/scene.cpp -- scenes: the drawing order with depth groups, render,
// pick, light lists, moving clumps between scenes and destruction.
#include "engine/scene.h"

#include <algorithm>
#include <cfloat>
#include <vector>

#include "engine/camera.h"
#include "engine/clump.h"
#include "engine/damage.h"
#include "engine/error.h"
#include "engine/light.h"
#include "engine/pool.h"
#include "engine/renderstate.h"
#include "engine/scenerecords.h"
#include "engine/scenetree.h"

namespace {

constexpr intptr_t firstLightingCount = 999999;

// ---- drawing order

// State of one walk of the tree into the drawing list.
struct Walk {
  RwScene* scene;
  RwCamera* camera;
  float eye[3];              // camera position
  RwSceneNode* openGroup;    // head of the depth group being filled
  intptr_t overlapNesting;   // overlap split nodes around the node walked
  intptr_t insideGroup;      // raised while walking an overlap split's back child
};

void walkNode(Walk& walk, RwSceneNode* node);

void appendToList(Walk& walk, RwSceneNode* node) {
  RwScene* scene = walk.scene;
  if (scene->arrayCount < scene->leafCount) scene->nodeArray[scene->arrayCount++] = node;
}

// Adds the leaf's screen rectangle and depth range to the open group;
// false when the leaf is not visible (it is then left out of the list).
bool joinDepthGroup(Walk& walk, RwSceneNode* leaf) {
  RwRect rect = {0, 0, walk.camera->viewport[2], walk.camera->viewport[3]};
  float depth[2] = {walk.camera->nearClipping, walk.camera->farClipping};
  const uintptr_t outcode = rwSceneLinks().clumpScreenBounds(leaf->clump, walk.camera, &rect, depth);
  if (outcode >= 256 || rect.width == 0 || rect.height == 0) return false;
  RwSceneNode* head = walk.openGroup;
  leaf->flags |= rwNodeInDepthGroup;
  head->groupDepth[0] = std::min(head->groupDepth[0], depth[0]);
  head->groupDepth[1] = std::max(head->groupDepth[1], depth[1]);
  head->groupRects = RwAddDamagedRect(head->groupRects, &rect);
  return true;
}

void closeDepthGroup(Walk& walk) {
  RwSceneNode* head = walk.openGroup;
  if (!head) return;
  walk.openGroup = nullptr;
  RwScene* scene = walk.scene;
  RwSceneNode* last = scene->arrayCount ? scene->nodeArray[scene->arrayCount - 1] : nullptr;
  if (last && last != head) {
    last->flags |= rwNodeGroupLast;
    last->groupHead = head;
  } else {
    // A group of one needs no z-buffer.
    head->groupRects = RwFreeDamagedRects(head->groupRects);
    head->flags &= ~(rwNodeInDepthGroup | rwNodeGroupHead);
  }
}

// False when the leaf is dropped from the drawing list.
bool enterDepthGroup(Walk& walk, RwSceneNode* leaf) {
  if (walk.openGroup) return joinDepthGroup(walk, leaf);
  if (!(leaf->flags & (rwNodeOverlap | rwNodeInDepthGroup))) return true;
  leaf->groupDepth[0] = FLT_MAX;
  leaf->groupDepth[1] = FLT_MIN;
  leaf->groupRects = nullptr;
  leaf->flags |= rwNodeGroupHead;
  walk.openGroup = leaf;
  if (joinDepthGroup(walk, leaf)) return true;
  walk.openGroup = nullptr;
  leaf->groupRects = RwFreeDamagedRects(leaf->groupRects);
  leaf->flags &= ~(rwNodeGroupHead | rwNodeInDepthGroup);
  return false;
}

// From the leaf up through split nodes whose second side is being walked:
// their enclosed subtrees come before the leaf (once each).
void climbFrom(Walk& walk, RwSceneNode* leaf) {
  RwSceneNode* from = leaf;
  for (RwSceneNode* up = leaf->parent; up && up->kind == rwNodeSplit && (up->split.visit & 1) && up->enclosed != from;
       up = up->parent) {
    if (up->enclosed && !(up->split.visit & 2)) {
      up->split.visit |= 2;
      walkNode(walk, up->enclosed);
    }
    from = up;
  }
}

void walkLeaf(Walk& walk, RwSceneNode* leaf) {
  leaf->flags &= ~(rwNodeGroupHead | rwNodeGroupLast);
  if (walk.insideGroup > 0) {
    leaf->flags |= rwNodeInDepthGroup;
  } else {
    leaf->flags &= ~rwNodeInDepthGroup;
  }
  const bool listed = enterDepthGroup(walk, leaf);
  const bool encloser = (leaf->flags & rwNodeEncloser) != 0;
  if (listed && encloser) appendToList(walk, leaf);
  climbFrom(walk, leaf);
  if (listed && !encloser) appendToList(walk, leaf);
  if (encloser && leaf->enclosed) walkNode(walk, leaf->enclosed);
}

void walkSide(Walk& walk, RwSceneNode* child, bool raised) {
  if (raised) ++walk.insideGroup;
  walkNode(walk, child);
  if (raised) --walk.insideGroup;
}

void walkSplit(Walk& walk, RwSceneNode* split) {
  auto& s = split->split;
  s.visit = 0;
  const float eyeAlongAxis = s.axis[0] * walk.eye[0] + s.axis[1] * walk.eye[1] + s.axis[2] * walk.eye[2];
  const bool eyeInFront = eyeAlongAxis + (s.frontOffset + s.backOffset) * 0.5f >= 0.0f;
  const bool overlap = (split->flags & rwNodeOverlap) != 0;
  if (overlap) ++walk.overlapNesting;
  RwSceneNode* first = eyeInFront ? s.back : s.front;
  RwSceneNode* second = eyeInFront ? s.front : s.back;
  walkSide(walk, first, overlap && first == s.back);
  s.visit |= 1;
  walkSide(walk, second, overlap && second == s.back);
  // When the second side ends in a group no leaf climbs here: walk it now.
  if (split->enclosed && !(s.visit & 2)) {
    s.visit |= 2;
    walkNode(walk, split->enclosed);
  }
  if (overlap && --walk.overlapNesting == 0) closeDepthGroup(walk);
}

void walkGroup(Walk& walk, RwSceneNode* group) {
  for (intptr_t i = 0; i < group->group.childCount; ++i) walkNode(walk, group->group.children[i]);
  if (walk.overlapNesting == 0) closeDepthGroup(walk);
}

void walkNode(Walk& walk, RwSceneNode* node) {
  if (!node) return;
  switch (node->kind) {
    case rwNodeLeaf:
      walkLeaf(walk, node);
      break;
    case rwNodeGroup:
      walkGroup(walk, node);
      break;
    case rwNodeSplit:
      walkSplit(walk, node);
      break;
    default:
      break;
  }
}

void fillDrawingList(RwScene* scene, RwCamera* camera) {
  const float (&m)[4][4] = camera->matrix.m;
  Walk walk = {scene, camera, {m[3][0], m[3][1], m[3][2]}, nullptr, 0, 0};
  scene->arrayCount = 0;
  walkNode(walk, scene->root);
  closeDepthGroup(walk);
}

void emptyDrawingList(RwScene* scene) {
  for (intptr_t i = 0; i < scene->arrayCount; ++i) {
    RwSceneNode* entry = scene->nodeArray[i];
    entry->groupRects = RwFreeDamagedRects(entry->groupRects);
    entry->flags &= ~rwNodeGroupHead;
  }
  scene->arrayCount = 0;
  RwEndDepthGroup();
}

void startDepthGroup(RwSceneNode* head) {
  RwClearZBufferRects(head->groupRects);
  RwSetZProjection(head->groupDepth);
  RwBeginDepthGroup();
}

// ---- scenes

// Moves one clump's leaf into the scene's queue; false (error 3) leaves
// everything as it was.
bool moveLeaf(RwScene* scene, RwClump* clump) {
  RwSceneNode* leaf = clump->sceneLeaf;
  if (leaf && leaf->scene == scene) {
    RwPullSceneLeafOut(leaf);
  } else {
    if (!RwSizeSceneNodeArray(scene, scene->leafCount + 1)) {
      RwSetError(rwErrOutOfMemory);
      return false;
    }
    if (leaf) {
      RwRemoveSceneLeaf(leaf);
      leaf->scene = scene;
    } else if (!(leaf = RwCreateSceneLeaf(scene, clump))) {
      return false;
    }
    clump->sceneLeaf = leaf;
    ++scene->leafCount;
    RwQueueSceneLeaf(leaf);
  }
  clump->lightingStamp = 0;
  return true;
}

// Children's branches first, then the clump.
bool moveBranch(RwScene* scene, RwClump* clump) {
  for (RwClump* child = clump->firstChild; child; child = child->nextSibling) {
    if (!moveBranch(scene, child)) return false;
  }
  return moveLeaf(scene, clump);
}

void unlinkScene(RwScene* scene) {
  for (RwScene** link = &rwSceneRecords().scenes.live; *link; link = &(*link)->nextScene) {
    if (*link == scene) {
      *link = scene->nextScene;
      return;
    }
  }
}

RwLight* destroyLight(RwLight* light) {
  RwDestroyLight(light);
  return light;
}

void destroyScene(RwScene* scene) {
  RwForAllLightsInScene(scene, destroyLight);
  RwDismantleSceneTree(scene);
  std::vector<RwClump*> roots;
  for (intptr_t i = 0; i < scene->arrayCount; ++i) {
    if (!scene->nodeArray[i]->clump->parent) roots.push_back(scene->nodeArray[i]->clump);
  }
  for (RwSceneNode* leaf = scene->unboundedLeaves; leaf; leaf = leaf->enclosed) {
    if (!leaf->clump->parent) roots.push_back(leaf->clump);
  }
  // Each root takes its branch with it; every clump's leaf leaves the scene.
  for (RwClump* clump : roots) RwDestroyClump(clump);
  RwEngineFree(scene->nodeArray);
  unlinkScene(scene);
  RwFreeRecord(rwSceneRecords().scenes.pool, scene);
}

// ---- the clump links

RwSceneNode* liveLeaf(RwClump* clump) {
  if (!clump->sceneLeaf || RwClumpIsBeingDestroyed(clump)) return nullptr;
  return clump->sceneLeaf;
}

int enterDefaultScene(RwClump* clump) { return moveLeaf(rwSceneRecords().scenes.defaultScene, clump) ? 1 : 0; }

void leaveScene(RwClump* clump) {
  RwSceneNode* leaf = liveLeaf(clump);
  if (!leaf) return;
  RwRemoveSceneLeaf(leaf);
  RwFreeSceneNode(leaf);
  clump->sceneLeaf = nullptr;
}

void pullClumpOutOfTree(RwClump* clump) {
  if (RwSceneNode* leaf = liveLeaf(clump)) RwPullSceneLeafOut(leaf);
}

void markClumpBoundsStale(RwClump* clump) {
  RwSceneNode* leaf = liveLeaf(clump);
  if (!leaf) return;
  leaf->flags |= rwNodeBoundsStale;
  RwPullSceneLeafOut(leaf);
}

int moveToSceneOf(RwClump* clump, RwClump* into) {
  RwSceneNode* target = liveLeaf(into);
  if (!target) return 1;
  return moveBranch(target->scene, clump) ? 1 : 0;
}

constexpr RwClumpSceneLinks clumpSceneLinks = {
    .enterDefaultScene = enterDefaultScene,
    .leaveScene = leaveScene,
    .pullOutOfTree = pullClumpOutOfTree,
    .markBoundsStale = markClumpBoundsStale,
    .moveToSceneOf = moveToSceneOf,
};

}  // namespace

// ---- module

int RwOpenSceneModule() {
  RwSceneRecords::SceneModule& scenes = rwSceneRecords().scenes;
  scenes.live = nullptr;
  scenes.pool = RwCreatePool("scenelist", sizeof(RwScene));
  const int treeOpen = RwOpenSceneTreeModule();
  if (!scenes.pool || !treeOpen) {
    RwSetError(rwErrOutOfMemory);
    return 0;
  }
  scenes.defaultScene = RwCreateScene();
  if (!scenes.defaultScene) return 0;
  rwClumpLinks.scene.provide(clumpSceneLinks);
  return 1;
}

int RwCloseSceneModule() {
  RwSceneRecords::SceneModule& scenes = rwSceneRecords().scenes;
  // Other scenes first: their lights and clumps go with them.
  for (RwScene* scene = scenes.live; scene;) {
    RwScene* next = scene->nextScene;
    if (scene != scenes.defaultScene) destroyScene(scene);
    scene = next;
  }
  if (scenes.defaultScene) destroyScene(scenes.defaultScene);
  scenes.defaultScene = nullptr;
  rwClumpLinks.scene.withdraw();
  RwCloseSceneTreeModule();
  RwDestroyPool(scenes.pool);
  scenes.pool = nullptr;
  return 1;
}

// ---- scenes

RwScene* RwCreateScene() {
  RwSceneRecords::SceneModule& scenes = rwSceneRecords().scenes;
  auto* scene = static_cast<RwScene*>(RwAllocRecord(scenes.pool));
  if (!scene) return nullptr;
  *scene = {};
  scene->lightingCount = firstLightingCount;
  if (!RwSizeSceneNodeArray(scene, 1)) {
    RwFreeRecord(scenes.pool, scene);
    return failWith<RwScene>(rwErrOutOfMemory);
  }
  scene->nextScene = scenes.live;
  scenes.live = scene;
  return scene;
}

RwScene* RwGetDefaultScene() { return rwSceneRecords().scenes.defaultScene; }

RwScene* RwGetClumpScene(RwClump* clump) {
  if (!clump) return failWith<RwScene>(rwErrInvalidArgument);
  RwSceneNode* leaf = liveLeaf(clump);
  return leaf ? leaf->scene : nullptr;
}

RwScene* RwAddClumpToScene(RwScene* scene, RwClump* clump) {
  if (!scene || !clump) return failWith<RwScene>(rwErrInvalidArgument);
  if (clump->parent) return failWith<RwScene>(rwErrNotRootClump);
  return moveBranch(scene, clump) ? scene : nullptr;
}

RwScene* RwAddLightToScene(RwScene* scene, RwLight* light) {
  if (!scene || !light) return failWith<RwScene>(rwErrInvalidArgument);
  RwRemoveLightFromScene(light);
  RwLight** list = light->state == rwLightOn ? &scene->lightsOn : &scene->lightsOff;
  light->next = *list;
  *list = light;
  light->scene = scene;
  if (light->state == rwLightOn) ++scene->lightingCount;
  return scene;
}

void RwRemoveLightFromScene(RwLight* light) {
  RwScene* scene = light->scene;
  if (!scene) return;
  RwLight** list = light->state == rwLightOn ? &scene->lightsOn : &scene->lightsOff;
  for (RwLight** link = list; *link; link = &(*link)->next) {
    if (*link == light) {
      *link = light->next;
      break;
    }
  }
  if (light->state == rwLightOn) ++scene->lightingCount;
  light->next = nullptr;
  light->scene = nullptr;
}

RwScene* RwForAllLightsInScene(RwScene* scene, RwLightCallback callback) {
  if (!scene || !callback) return failWith<RwScene>(rwErrInvalidArgument);
  intptr_t count = 0;
  for (RwLight* list : {scene->lightsOff, scene->lightsOn}) {
    for (RwLight* light = list; light; light = light->next) ++count;
  }
  auto* copy = static_cast<RwLight**>(RwEngineAlloc(static_cast<size_t>(std::max<intptr_t>(count, 1)) * sizeof(RwLight*)));
  if (!copy) return failWith<RwScene>(rwErrOutOfMemory);
  intptr_t filled = 0;
  for (RwLight* list : {scene->lightsOff, scene->lightsOn}) {
    for (RwLight* light = list; light; light = light->next) copy[filled++] = light;
  }
  int pending = RwGetAndClearError();
  bool stopped = false;
  for (intptr_t i = 0; i < count && !stopped; ++i) {
    callback(copy[i]);
    stopped = RwGetError() != rwErrNone;
  }
  RwEngineFree(copy);
  if (stopped) return nullptr;
  RwRestoreError(pending);
  return scene;
}

RwScene* RwRenderScene(RwScene* scene) {
  if (!scene) return failWith<RwScene>(rwErrInvalidArgument);
  if (scene->leafCount == 0) return scene;
  RwCamera* camera = rwRenderState.currentCamera;
  if (!camera) return failWith<RwScene>(rwErrInvalidArgument);
  RwUpdateCameraView(camera);
  if (!RwRebuildScene(scene)) return nullptr;
  fillDrawingList(scene, camera);
  bool ok = true;
  for (intptr_t i = 0; i < scene->arrayCount && ok; ++i) {
    RwSceneNode* entry = scene->nodeArray[i];
    if (entry->kind != rwNodeLeaf) {
      RwSetError(rwErrSceneNode);
      ok = false;
      continue;
    }
    if (entry->flags & rwNodeInDepthGroup) {
      if (entry->flags & rwNodeGroupHead) {
        startDepthGroup(entry);
        entry->groupRects = RwFreeDamagedRects(entry->groupRects);
        entry->flags &= ~(rwNodeInDepthGroup | rwNodeGroupHead);
      }
      entry->flags &= ~rwNodeGroupLast;
    } else {
      RwEndDepthGroup();
    }
    rwSceneLinks().renderClump(entry->clump);
  }
  emptyDrawingList(scene);
  return ok ? scene : nullptr;
}

RwPickRecord* RwPickScene(RwScene* scene, intptr_t x, intptr_t y, RwCamera* camera, RwPickRecord* record) {
  if (!scene || !camera || !record) return failWith<RwPickRecord>(rwErrInvalidArgument);
  record->kind = 0;
  if (scene->leafCount == 0) return record;
  if (!RwRebuildScene(scene)) return nullptr;
  RwCamera* previous = rwRenderState.currentCamera;
  rwRenderState.currentCamera = camera;
  RwUpdateCameraView(camera);
  fillDrawingList(scene, camera);
  bool failed = false, final = false, inGroup = false, foundInGroup = false;
  // Nearest first: the drawing list backwards.
  for (intptr_t i = scene->arrayCount; i-- > 0 && !failed;) {
    RwSceneNode* entry = scene->nodeArray[i];
    if (entry->flags & rwNodeGroupLast) {
      RwSceneNode* head = entry->groupHead;
      inGroup = true;
      if (!final) startDepthGroup(head);
      head->groupRects = RwFreeDamagedRects(head->groupRects);
      head->flags &= ~rwNodeGroupHead;
    } else if (!(entry->flags & (rwNodeOverlap | rwNodeInDepthGroup))) {
      if (inGroup && foundInGroup) final = true;
      inGroup = false;
      RwEndDepthGroup();
    }
    if (final) continue;
    RwPickRecord hit = {};
    if (!rwSceneLinks().pickClump(entry->clump, x, y, camera, &hit)) {
      failed = true;
    } else if (hit.kind == 1) {
      *record = hit;
      foundInGroup = inGroup;
      final = !inGroup;
    }
  }
  emptyDrawingList(scene);
  rwRenderState.currentCamera = previous;
  return failed ? nullptr : record;
}

int RwDestroyScene(RwScene* scene) {
  if (!scene) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  if (scene == rwSceneRecords().scenes.defaultScene) {
    RwSetError(rwErrDefaultScene);
    return 0;
  }
  destroyScene(scene);
  return 1;
}
