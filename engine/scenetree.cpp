// engine/scenetree.cpp -- a scene's spatial tree: placing leaves by
// separating planes, overlap groups, enclosers, the queue and the rebuild.
#include "engine/scenetree.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/clump.h"
#include "engine/damage.h"
#include "engine/error.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/ptrarray.h"
#include "engine/scene.h"
#include "engine/scenerecords.h"

namespace {

constexpr float separationTolerance = -0.01f;  // boxes overlapping by less still separate
constexpr uintptr_t depthGroupFlags = rwNodeOverlap | rwNodeInDepthGroup | rwNodeGroupHead | rwNodeGroupLast;
constexpr int rwSeparateBInFront = 1;
constexpr int rwOverlapping = 2;
constexpr int rwSeparateAInFront = 3;

// ---- vectors

struct Vec {
  float x, y, z;
};

float dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec matrixRow(const RwMatrix& m, int row) { return {m.m[row][0], m.m[row][1], m.m[row][2]}; }

// ---- nodes, the node array and the queue

RwSceneNode* makeNode(RwScene* scene, intptr_t kind) {
  auto* node = static_cast<RwSceneNode*>(RwAllocRecord(rwSceneRecords().tree.nodePool));
  if (!node) return nullptr;
  *node = {};
  node->scene = scene;
  node->kind = kind;
  return node;
}

void putInQueue(RwSceneNode* leaf, intptr_t index) {
  leaf->scene->nodeArray[index] = leaf;
  leaf->queueIndex = index;
}

// The last entry fills the leaf's place, so that leaving costs the same
// however long the queue is.
void unqueueLeaf(RwSceneNode* leaf) {
  if (!(leaf->flags & rwNodeQueued)) return;
  RwScene* scene = leaf->scene;
  RwSceneNode* last = scene->nodeArray[--scene->arrayCount];
  if (last != leaf) putInQueue(last, leaf->queueIndex);
  leaf->flags &= ~rwNodeQueued;
}

void pushUnbounded(RwSceneNode* leaf) {
  RwScene* scene = leaf->scene;
  leaf->enclosed = scene->unboundedLeaves;
  scene->unboundedLeaves = leaf;
  leaf->flags |= rwNodeUnbounded;
}

void unlinkUnbounded(RwSceneNode* leaf) {
  for (RwSceneNode** link = &leaf->scene->unboundedLeaves; *link; link = &(*link)->enclosed) {
    if (*link == leaf) {
      *link = leaf->enclosed;
      break;
    }
  }
  leaf->enclosed = nullptr;
  leaf->flags &= ~rwNodeUnbounded;
}

// ---- tree structure

// Where the node is held: the root, an encloser's subtree word, a split's
// child word or a group's member entry.
RwSceneNode** slotOf(RwSceneNode* node) {
  RwSceneNode* parent = node->parent;
  if (!parent) return &node->scene->root;
  if (parent->enclosed == node) return &parent->enclosed;
  if (parent->kind == rwNodeSplit) return parent->split.front == node ? &parent->split.front : &parent->split.back;
  for (intptr_t i = 0; i < parent->group.childCount; ++i) {
    if (parent->group.children[i] == node) return &parent->group.children[i];
  }
  return nullptr;
}

void takePlace(RwSceneNode* old, RwSceneNode* replacement) {
  RwSceneNode** slot = slotOf(old);
  *slot = replacement;
  if (replacement) replacement->parent = old->parent;
}

void leaveTreeIntoQueue(RwSceneNode* leaf) {
  leaf->flags &= ~rwNodeInTree;
  leaf->parent = nullptr;
  RwQueueSceneLeaf(leaf);
}

// Every leaf of the subtree queued, every split and group node freed.
void dismantle(RwSceneNode* node) {
  if (!node) return;
  switch (node->kind) {
    case rwNodeLeaf: {
      RwSceneNode* inside = node->enclosed;
      node->enclosed = nullptr;
      leaveTreeIntoQueue(node);
      dismantle(inside);
      break;
    }
    case rwNodeGroup:
      for (intptr_t i = 0; i < node->group.childCount; ++i) leaveTreeIntoQueue(node->group.children[i]);
      RwFreeSceneNode(node);
      break;
    case rwNodeSplit:
      dismantle(node->split.front);
      dismantle(node->split.back);
      dismantle(node->enclosed);
      RwFreeSceneNode(node);
      break;
    default:
      break;
  }
}

// Takes the node out of its place; a split parent gives its place to the
// other child, a group parent goes with all its members queued.
void detachFromTree(RwSceneNode* node) {
  RwSceneNode* parent = node->parent;
  if (!parent) {
    node->scene->root = nullptr;
  } else if (parent->enclosed == node) {
    parent->enclosed = nullptr;
  } else if (parent->kind == rwNodeSplit) {
    RwSceneNode* sibling = parent->split.front == node ? parent->split.back : parent->split.front;
    takePlace(parent, sibling);
    dismantle(parent->enclosed);
    parent->enclosed = nullptr;
    RwFreeSceneNode(parent);
  } else {
    for (intptr_t i = 0; i < parent->group.childCount; ++i) {
      RwSceneNode* member = parent->group.children[i];
      if (member != node) leaveTreeIntoQueue(member);
    }
    detachFromTree(parent);
    RwFreeSceneNode(parent);
  }
  node->parent = nullptr;
}

// ---- bounds and intervals

bool isTurnedLeaf(const RwSceneNode* node) { return node->kind == rwNodeLeaf && !node->clump->worldMatrix.identity; }

bool hasGeometry(const RwClump* clump) {
  const RwVertexArray* array = clump->vertexArray;
  return array && array->count > rwReservedVertices && clump->drawablePolygons->count > 0;
}

void computeLeafBounds(RwSceneNode* leaf) {
  RwClump* clump = leaf->clump;
  leaf->flags &= ~rwNodeBoundsStale;
  if (!hasGeometry(clump)) {
    leaf->flags |= rwNodeEmpty;
    leaf->sizeKey = -1.0f;
    return;
  }
  RwVector low = RwVertexAt(clump->vertexArray, rwMinimumCorner)->model;
  RwVector high = RwVertexAt(clump->vertexArray, rwMaximumCorner)->model;
  if (clump->alignment != 1) {
    // Any turn towards the camera stays inside the cube around the diagonal.
    RwVector diagonal = {high.x - low.x, high.y - low.y, high.z - low.z};
    float side = std::sqrt(RwDotProduct(&diagonal, &diagonal));
    RwVector centre = {(low.x + high.x) * 0.5f, (low.y + high.y) * 0.5f, (low.z + high.z) * 0.5f};
    low = {centre.x - side * 0.5f, centre.y - side * 0.5f, centre.z - side * 0.5f};
    high = {centre.x + side * 0.5f, centre.y + side * 0.5f, centre.z + side * 0.5f};
  }
  const float bounds[6] = {low.x, high.x, low.y, high.y, low.z, high.z};
  std::copy(bounds, bounds + 6, leaf->bounds);
  RwVector extent = {high.x - low.x, high.y - low.y, high.z - low.z};
  leaf->extent[0] = extent.x;
  leaf->extent[1] = extent.y;
  leaf->extent[2] = extent.z;
  if (!clump->worldMatrix.identity) RwTransformVector(&extent, &clump->worldMatrix);
  leaf->sizeKey = RwDotProduct(&extent, &extent);
  leaf->flags &= ~rwNodeEmpty;
}

struct Interval {
  float low, high;
};

// Range of axis . p over the node's box: a leaf's box placed by its clump's
// world matrix, another node's world box.
Interval intervalAlong(const RwSceneNode* node, const Vec& axis) {
  const float* b = node->bounds;
  float coefficient[3] = {axis.x, axis.y, axis.z};
  float base = 0.0f;
  if (isTurnedLeaf(node)) {
    const RwMatrix& world = node->clump->worldMatrix;
    for (int j = 0; j < 3; ++j) coefficient[j] = dot(axis, matrixRow(world, j));
    base = dot(axis, matrixRow(world, 3));
  }
  Interval interval = {base, base};
  for (int j = 0; j < 3; ++j) {
    float atLow = coefficient[j] * b[2 * j];
    float atHigh = coefficient[j] * b[2 * j + 1];
    interval.low += std::min(atLow, atHigh);
    interval.high += std::max(atLow, atHigh);
  }
  return interval;
}

void worldBox(const RwSceneNode* node, float* box) {
  const Vec axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int j = 0; j < 3; ++j) {
    Interval interval = intervalAlong(node, axes[j]);
    box[2 * j] = interval.low;
    box[2 * j + 1] = interval.high;
  }
}

void widenBounds(RwSceneNode* node, const RwSceneNode* by) {
  float box[6];
  worldBox(by, box);
  for (int j = 0; j < 3; ++j) {
    node->bounds[2 * j] = std::min(node->bounds[2 * j], box[2 * j]);
    node->bounds[2 * j + 1] = std::max(node->bounds[2 * j + 1], box[2 * j + 1]);
  }
}

// The node's box becomes the union of the world boxes of a and b.
void boundsOfPair(RwSceneNode* node, const RwSceneNode* a, const RwSceneNode* b) {
  worldBox(a, node->bounds);
  widenBounds(node, b);
}

// ---- separation

Vec worldCentre(const RwSceneNode* node) {
  const float* b = node->bounds;
  RwVector centre = {(b[0] + b[1]) * 0.5f, (b[2] + b[3]) * 0.5f, (b[4] + b[5]) * 0.5f};
  if (isTurnedLeaf(node)) RwTransformPoint(&centre, &node->clump->worldMatrix);
  return {centre.x, centre.y, centre.z};
}

// Whether a world point lies in the node's box (minimum in, maximum out).
bool holdsPoint(const RwSceneNode* node, Vec point) {
  if (isTurnedLeaf(node)) {
    RwMatrix inverse;
    RwInvertMatrix(&node->clump->worldMatrix, &inverse);
    RwVector local = {point.x, point.y, point.z};
    RwTransformPoint(&local, &inverse);
    point = {local.x, local.y, local.z};
  }
  const float* b = node->bounds;
  return point.x >= b[0] && point.x < b[1] && point.y >= b[2] && point.y < b[3] && point.z >= b[4] && point.z < b[5];
}

void nodeAxes(const RwSceneNode* node, Vec* axes) {
  if (isTurnedLeaf(node)) {
    for (int j = 0; j < 3; ++j) axes[j] = matrixRow(node->clump->worldMatrix, j);
  } else {
    axes[0] = {1, 0, 0};
    axes[1] = {0, 1, 0};
    axes[2] = {0, 0, 1};
  }
}

struct Plane {
  Vec axis;
  float frontOffset, backOffset;
};

// Tries one axis: 3 with A in front, 1 with B in front, 0 when it does not separate.
int separateAlong(const RwSceneNode* a, const RwSceneNode* b, Vec axis, Plane* plane) {
  float length = std::sqrt(dot(axis, axis));
  if (!(length > 0.0f)) return 0;
  axis = {axis.x / length, axis.y / length, axis.z / length};
  Interval ia = intervalAlong(a, axis);
  Interval ib = intervalAlong(b, axis);
  if (ia.low - ib.high >= separationTolerance) {
    *plane = {axis, -ia.low, -ib.high};
    return rwSeparateAInFront;
  }
  if (ib.low - ia.high >= separationTolerance) {
    *plane = {axis, -ib.low, -ia.high};
    return rwSeparateBInFront;
  }
  return 0;
}

int separate(const RwSceneNode* a, const RwSceneNode* b, Plane* plane) {
  if (holdsPoint(a, worldCentre(b)) || holdsPoint(b, worldCentre(a))) return rwOverlapping;
  Vec axesA[3], axesB[3];
  nodeAxes(a, axesA);
  for (const Vec& axis : axesA) {
    if (int result = separateAlong(a, b, axis, plane)) return result;
  }
  if (!isTurnedLeaf(a) && !isTurnedLeaf(b)) return rwOverlapping;
  nodeAxes(b, axesB);
  for (const Vec& axis : axesB) {
    if (int result = separateAlong(a, b, axis, plane)) return result;
  }
  for (const Vec& axisA : axesA) {
    for (const Vec& axisB : axesB) {
      if (int result = separateAlong(a, b, cross(axisA, axisB), plane)) return result;
    }
  }
  return rwOverlapping;
}

// ---- insertion

bool insertAt(RwScene* scene, RwSceneNode** slot, RwSceneNode* owner, RwSceneNode* node);

void markInTree(RwSceneNode* node) { node->flags |= rwNodeInTree; }

// A split node in old's place with old and node on the sides the plane gives.
bool splitWith(RwSceneNode* old, RwSceneNode* node, int result, const Plane& plane) {
  RwSceneNode* split = makeNode(old->scene, rwNodeSplit);
  if (!split) return false;
  RwSceneNode* front = result == rwSeparateAInFront ? old : node;
  RwSceneNode* back = front == old ? node : old;
  split->split = {0, {plane.axis.x, plane.axis.y, plane.axis.z}, plane.frontOffset, plane.backOffset, front, back};
  takePlace(old, split);
  front->parent = back->parent = split;
  boundsOfPair(split, front, back);
  if ((front->flags & rwNodeEncloser) && (back->flags & rwNodeEncloser)) split->flags |= rwNodeEncloser;
  markInTree(node);
  return true;
}

// Room for one more member. The array doubles when full, so that a group
// grown one member at a time copies each entry a bounded number of times.
bool reserveMember(RwSceneNode* group) {
  auto& members = group->group;
  if (members.childCount < members.capacity) return true;
  const intptr_t capacity = std::max<intptr_t>(2, 2 * members.capacity);
  auto* grown = static_cast<RwSceneNode**>(
      RwEngineRealloc(members.children, static_cast<size_t>(capacity) * sizeof(RwSceneNode*)));
  if (!grown) return false;
  members.children = grown;
  members.capacity = capacity;
  return true;
}

// A group in the leaf's place with the leaf as its first member and room
// for a second; null when memory ran out (the leaf stays where it was).
RwSceneNode* groupInPlaceOf(RwSceneNode* leaf) {
  RwSceneNode* group = makeNode(leaf->scene, rwNodeGroup);
  if (!group) return nullptr;
  if (!reserveMember(group)) {
    RwFreeSceneNode(group);
    return nullptr;
  }
  takePlace(leaf, group);
  group->group.children[group->group.childCount++] = leaf;
  leaf->parent = group;
  worldBox(leaf, group->bounds);
  return group;
}

// The node joins the leaf or group that it overlaps, as the last member;
// the group's box widens by the node's alone (the union of the members'
// boxes, as if recomputed over all of them).
bool joinOverlapGroup(RwSceneNode* existing, RwSceneNode* node) {
  RwSceneNode* group = existing->kind == rwNodeLeaf ? groupInPlaceOf(existing) : existing;
  if (!group || !reserveMember(group)) return false;
  group->group.children[group->group.childCount++] = node;
  node->parent = group;
  existing->flags |= rwNodeOverlap;
  node->flags |= rwNodeOverlap;
  widenBounds(group, node);
  markInTree(node);
  return true;
}

// The leaf-or-group rule: node goes next to the leaf or group in *slot.
bool insertNextTo(RwScene* scene, RwSceneNode** slot, RwSceneNode* node) {
  RwSceneNode* existing = *slot;
  Plane plane;
  int result = separate(existing, node, &plane);
  if (result != rwOverlapping) return splitWith(existing, node, result, plane);
  if (existing->flags & rwNodeEncloser) return insertAt(scene, &existing->enclosed, existing, node);
  if (!(node->flags & rwNodeEncloser)) return joinOverlapGroup(existing, node);
  // The container takes the place and holds what was there.
  takePlace(existing, node);
  node->enclosed = existing;
  existing->parent = node;
  markInTree(node);
  return true;
}

enum class Side { behind, inFront, straddling };

Side sideOfSplit(RwSceneNode* split, const RwSceneNode* node) {
  auto& s = split->split;
  Interval interval = intervalAlong(node, {s.axis[0], s.axis[1], s.axis[2]});
  float frontValue = s.frontOffset + interval.low;
  float backValue = s.backOffset + interval.high;
  if (backValue < 0.0f) return Side::behind;
  if (frontValue > 0.0f) return Side::inFront;
  float slab = s.backOffset - s.frontOffset;
  if (frontValue + backValue >= 0.0f && slab > -frontValue) {
    s.frontOffset -= frontValue;
    return Side::inFront;
  }
  if (frontValue + backValue < 0.0f && slab > backValue) {
    s.backOffset -= backValue;
    return Side::behind;
  }
  return Side::straddling;
}

bool insertStraddling(RwScene* scene, RwSceneNode* split, RwSceneNode* node) {
  if (split->flags & rwNodeEncloser) return insertAt(scene, &split->enclosed, split, node);
  if (!(scene->flags & rwSceneRebuiltWhole)) {
    scene->flags |= rwSceneRebuildWhole;  // the rebuild starts again from scratch
    return true;
  }
  Plane plane;
  int result = separate(split, node, &plane);
  if (result != rwOverlapping) return splitWith(split, node, result, plane);
  for (RwSceneNode* child : {split->split.front, split->split.back}) {
    if ((child->flags & rwNodeEncloser) && separate(child, node, &plane) == rwOverlapping) {
      return insertAt(scene, &child->enclosed, child, node);
    }
  }
  node->flags |= rwNodeOverlap;
  split->flags |= rwNodeOverlap;
  scene->flags |= rwSceneHasOverlaps;
  widenBounds(split, node);
  return insertAt(scene, &split->split.front, split, node);
}

bool insertIntoSplit(RwScene* scene, RwSceneNode* split, RwSceneNode* node) {
  Side side = sideOfSplit(split, node);
  if (side == Side::straddling) return insertStraddling(scene, split, node);
  widenBounds(split, node);
  RwSceneNode** child = side == Side::behind ? &split->split.back : &split->split.front;
  return insertAt(scene, child, split, node);
}

// Inserts the node into the subtree held in *slot (owner: the node holding
// the slot). False only when memory ran out (error 3).
bool insertAt(RwScene* scene, RwSceneNode** slot, RwSceneNode* owner, RwSceneNode* node) {
  bool ok;
  if (!*slot) {
    *slot = node;
    node->parent = owner;
    markInTree(node);
    ok = true;
  } else if ((*slot)->kind == rwNodeSplit) {
    ok = insertIntoSplit(scene, *slot, node);
  } else {
    ok = insertNextTo(scene, slot, node);
  }
  if (!ok) RwSetError(rwErrOutOfMemory);
  return ok;
}

// ---- rebuild

void collectRoots(const RwSceneNode* node) {
  if (!node) return;
  switch (node->kind) {
    case rwNodeLeaf:
      if (!node->clump->parent) rwSceneRecords().tree.rootClumps.push_back(node->clump);
      collectRoots(node->enclosed);
      break;
    case rwNodeGroup:
      for (intptr_t i = node->group.childCount; i-- > 0;) collectRoots(node->group.children[i]);
      break;
    case rwNodeSplit:
      collectRoots(node->split.front);
      collectRoots(node->split.back);
      collectRoots(node->enclosed);
      break;
    default:
      break;
  }
}

void updateWorldMatrices(RwScene* scene) {
  RwSceneRecords::SceneTreeModule& tree = rwSceneRecords().tree;
  tree.rootClumps.clear();
  collectRoots(scene->root);
  for (intptr_t i = 0; i < scene->arrayCount; ++i) {
    if (!scene->nodeArray[i]->clump->parent) tree.rootClumps.push_back(scene->nodeArray[i]->clump);
  }
  for (RwSceneNode* leaf = scene->unboundedLeaves; leaf; leaf = leaf->enclosed) {
    if (!leaf->clump->parent) tree.rootClumps.push_back(leaf->clump);
  }
  for (RwClump* clump : tree.rootClumps) RwUpdateClumpHierarchy(clump);
  // Geometry added to a clump without any leaves the unbounded list again.
  for (RwSceneNode* leaf = scene->unboundedLeaves; leaf;) {
    RwSceneNode* next = leaf->enclosed;
    if (hasGeometry(leaf->clump)) RwPullSceneLeafOut(leaf);
    leaf = next;
  }
}

void takeLeafFromQueue(RwSceneNode* leaf) {
  leaf->flags &= ~(rwNodeQueued | depthGroupFlags);
  leaf->parent = nullptr;
  if (leaf->clump->flags & rwContainer) {
    leaf->flags |= rwNodeEncloser;
  } else {
    leaf->flags &= ~rwNodeEncloser;
  }
}

bool placeQueuedLeaves(RwScene* scene) {
  RwSceneNode** queue = scene->nodeArray;
  for (intptr_t i = 0; i < scene->arrayCount; ++i) computeLeafBounds(queue[i]);
  std::sort(queue, queue + scene->arrayCount,
            [](const RwSceneNode* a, const RwSceneNode* b) { return a->sizeKey < b->sizeKey; });
  for (intptr_t i = 0; i < scene->arrayCount; ++i) queue[i]->queueIndex = i;
  while (scene->arrayCount > 0) {
    RwSceneNode* leaf = queue[--scene->arrayCount];
    takeLeafFromQueue(leaf);
    if (leaf->flags & rwNodeEmpty) {
      pushUnbounded(leaf);
      continue;
    }
    if (!insertAt(scene, &scene->root, nullptr, leaf)) {
      RwQueueSceneLeaf(leaf);
      return false;
    }
    if ((scene->flags & rwSceneRebuildWhole) && !(scene->flags & rwSceneRebuiltWhole)) {
      // A straddling leaf found no place: start again from every leaf, this one first.
      RwDismantleSceneTree(scene);
      scene->flags |= rwSceneRebuiltWhole;
      RwQueueSceneLeaf(leaf);
    }
  }
  return true;
}

bool rebuild(RwScene* scene) {
  if (scene->leafCount > 0) updateWorldMatrices(scene);
  if (scene->arrayCount == 0 && !(scene->flags & rwSceneRebuildWhole)) {
    scene->flags &= ~(rwSceneRebuildWhole | rwSceneRebuiltWhole);
    return true;
  }
  if (scene->flags & rwSceneRebuildWhole) {
    RwDismantleSceneTree(scene);
    scene->flags |= rwSceneRebuiltWhole;
  } else if ((scene->flags & rwSceneHasOverlaps) && scene->root) {
    RwDismantleSceneTree(scene);
    scene->flags = (scene->flags & ~rwSceneHasOverlaps) | rwSceneRebuiltWhole;
  } else if (!scene->root) {
    scene->flags |= rwSceneRebuiltWhole;
  }
  if (!placeQueuedLeaves(scene)) return false;
  scene->flags &= ~(rwSceneRebuildWhole | rwSceneRebuiltWhole);
  return true;
}

}  // namespace

// ---- module

int RwOpenSceneTreeModule() {
  RwSceneRecords::SceneTreeModule& tree = rwSceneRecords().tree;
  tree.nodePool = RwCreatePool("scenenodelist", sizeof(RwSceneNode));
  return tree.nodePool ? 1 : 0;
}

int RwCloseSceneTreeModule() {
  RwSceneRecords::SceneTreeModule& tree = rwSceneRecords().tree;
  tree.rootClumps = {};
  RwDestroyPool(tree.nodePool);
  tree.nodePool = nullptr;
  return 1;
}

// ---- leaves and nodes

RwSceneNode* RwCreateSceneLeaf(RwScene* scene, RwClump* clump) {
  RwSceneNode* leaf = makeNode(scene, rwNodeLeaf);
  if (!leaf) return nullptr;
  leaf->clump = clump;
  leaf->flags = rwNodeBoundsStale;
  leaf->sizeKey = -1.0f;
  return leaf;
}

void RwFreeSceneNode(RwSceneNode* node) {
  if (node->kind == rwNodeGroup) RwEngineFree(node->group.children);
  node->groupRects = RwFreeDamagedRects(node->groupRects);
  node->kind = rwNodeFree;
  RwFreeRecord(rwSceneRecords().tree.nodePool, node);
}

void RwQueueSceneLeaf(RwSceneNode* leaf) {
  if (leaf->flags & rwNodeQueued) return;
  putInQueue(leaf, leaf->scene->arrayCount++);
  leaf->flags |= rwNodeQueued;
}

void RwPullSceneLeafOut(RwSceneNode* leaf) {
  if (leaf->flags & rwNodeUnbounded) {
    unlinkUnbounded(leaf);
    RwQueueSceneLeaf(leaf);
    return;
  }
  if (!(leaf->flags & rwNodeInTree)) return;
  RwSceneNode* inside = leaf->enclosed;
  leaf->enclosed = nullptr;
  dismantle(inside);
  detachFromTree(leaf);
  leaveTreeIntoQueue(leaf);
}

void RwRemoveSceneLeaf(RwSceneNode* leaf) {
  RwScene* scene = leaf->scene;
  RwPullSceneLeafOut(leaf);
  unqueueLeaf(leaf);
  leaf->flags &= ~(rwNodeInTree | depthGroupFlags);
  --scene->leafCount;
  RwSizeSceneNodeArray(scene, scene->leafCount);  // a failed shrink keeps the larger array
  scene->flags |= rwSceneRebuildWhole;
}

bool RwSizeSceneNodeArray(RwScene* scene, intptr_t leaves) {
  size_t entries = static_cast<size_t>(std::max<intptr_t>(leaves, 1));
  auto* grown = static_cast<RwSceneNode**>(RwEngineRealloc(scene->nodeArray, entries * sizeof(RwSceneNode*)));
  if (!grown) return false;
  scene->nodeArray = grown;
  return true;
}

void RwDismantleSceneTree(RwScene* scene) {
  RwSceneNode* root = scene->root;
  scene->root = nullptr;
  dismantle(root);
}

// ---- rebuild

int RwRebuildScene(RwScene* scene) {
  if (!scene) {
    RwSetError(rwErrInvalidArgument);
    return 0;
  }
  return rebuild(scene) ? 1 : 0;
}
