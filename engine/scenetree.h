// engine/scenetree.h -- a scene's spatial tree.
//
// Owns: the pool "scenenodelist" and the node records made from it, each
// scene's tree of separating planes over its clumps' leaves (with the
// enclosers that hold what lies inside them and the overlap groups of
// leaves that no plane separates), the queue of leaves waiting to be placed,
// the list of unbounded leaves and the lazy rebuild that places the queue.
// It does not own the scene records and their node arrays (engine/scene.h),
// nor the drawing order walked from the tree, which fills the nodes' depth
// group fields (engine/scene.cpp), nor the clumps the leaves stand for.
//
// A leaf is in exactly one of: the tree, the queue (the node array's first
// arrayCount entries), the list of unbounded leaves (clumps without geometry,
// never drawn).
#ifndef LUMENFOLD_ENGINE_SCENETREE_H
#define LUMENFOLD_ENGINE_SCENETREE_H

#include <cstdint>

struct RwClump;
struct RwDamagedRect;
struct RwScene;

// Node flags.
constexpr uintptr_t rwNodeInTree = 1;
constexpr uintptr_t rwNodeBoundsStale = 2;
constexpr uintptr_t rwNodeEncloser = 4;
constexpr uintptr_t rwNodeEmpty = 8;
constexpr uintptr_t rwNodeOverlap = 16;
constexpr uintptr_t rwNodeInDepthGroup = 32;
constexpr uintptr_t rwNodeGroupHead = 64;
constexpr uintptr_t rwNodeGroupLast = 128;
constexpr uintptr_t rwNodeQueued = 256;        // in the scene's queue
constexpr uintptr_t rwNodeUnbounded = 512;     // on the list of unbounded leaves

// Node kinds.
constexpr intptr_t rwNodeFree = 0;
constexpr intptr_t rwNodeLeaf = 1;
constexpr intptr_t rwNodeGroup = 2;
constexpr intptr_t rwNodeSplit = 3;

struct RwSceneNode {
  uintptr_t flags;
  float groupDepth[2];           // nearest and farthest camera depth of the depth group it heads
  RwDamagedRect* groupRects;     // screen rectangles of the group it heads
  RwSceneNode* groupHead;        // for the last member of a depth group: its head
  RwSceneNode* enclosed;         // encloser: the subtree inside it; unbounded leaf: the next one
  RwSceneNode* parent;           // null at the root
  RwScene* scene;
  float bounds[6];               // min x, max x, min y, max y, min z, max z (a leaf: modelling coordinates)
  float extent[3];               // max - min per axis
  float sizeKey;                 // squared length of the (turned) extent; -1.0 when empty
  intptr_t queueIndex;           // a queued leaf: its entry in the scene's node array
  intptr_t kind;                 // free, leaf, group, split
  union {
    RwClump* clump;              // leaf
    struct {
      intptr_t childCount;
      intptr_t capacity;         // entries the children array has room for
      RwSceneNode** children;    // heap array of leaves, in the order they joined
    } group;
    struct {
      uintptr_t visit;           // bit 0: first side walked; bit 1: enclosed subtree walked
      float axis[3];             // unit
      float frontOffset;         // front child where axis . p + frontOffset >= 0
      float backOffset;          // back child where axis . p + backOffset <= 0
      RwSceneNode* front;
      RwSceneNode* back;
    } split;
  };
};

// The node pool; 0 when it is not made.
int RwOpenSceneTreeModule();
// Hands the pool back; every scene must be destroyed first.
int RwCloseSceneTreeModule();

// A leaf for the clump, in no structure yet; null with error 3.
RwSceneNode* RwCreateSceneLeaf(RwScene* scene, RwClump* clump);
// Returns a node to the pool; it must be in no structure.
void RwFreeSceneNode(RwSceneNode* node);
// Appends the leaf to its scene's queue, unless it is queued already.
void RwQueueSceneLeaf(RwSceneNode* leaf);
/*
 * RwPullSceneLeafOut --
 *   Queues a leaf of the tree or of the unbounded list for placing at the
 *   next rebuild.
 * Side effects:
 *   What the leaf encloses, the other members of its group and what the
 *   split node above it enclosed are queued too; that split node goes.
 */
void RwPullSceneLeafOut(RwSceneNode* leaf);
// Takes the leaf out of every structure of its scene and leaves the scene
// one leaf smaller, to be rebuilt whole; the leaf keeps its scene pointer.
void RwRemoveSceneLeaf(RwSceneNode* leaf);
// Gives the node array room for `leaves` leaves (at least one); false when
// memory ran out, the array is then as it was.
bool RwSizeSceneNodeArray(RwScene* scene, intptr_t leaves);
// Queues every leaf of the tree and frees its split and group nodes.
void RwDismantleSceneTree(RwScene* scene);

/*
 * RwRebuildScene --
 *   Brings the world matrices of the scene's clumps up to date and places
 *   the queued leaves: into the tree as it stands, or into a tree rebuilt
 *   from every leaf when a leaf left the scene or an overlap straddled a
 *   plane.
 * Results:
 *   1, or 0 with error 1 (null) or 3 (an insertion failed; the leaf that
 *   found no room stays queued).
 */
int RwRebuildScene(RwScene* scene);

#endif
