// engine/depthsort.cpp -- plane orders: building, freeing and drawing.
#include "engine/depthsort.h"

#include "engine/camera.h"
#include "engine/clip.h"
#include "engine/clump.h"
#include "engine/error.h"
#include "engine/matrix.h"
#include "engine/polydraw.h"
#include "engine/polygon.h"
#include "engine/pool.h"
#include "engine/poolrecords.h"
#include "engine/ptrarray.h"
#include "engine/renderstate.h"
#include "engine/vertexxform.h"

namespace {

RwPoolRecords::DepthSort& pools() { return rwPoolRecords().depthSort; }

// The clump's three depth-sort words.
enum SortWord { firstFlagWord = 0, runsWord = 1, orderedWord = 2 };

uint32_t* runsOf(const RwClump* clump) { return reinterpret_cast<uint32_t*>(clump->sortData[runsWord]); }
RwPolygon** orderedOf(const RwClump* clump) { return reinterpret_cast<RwPolygon**>(clump->sortData[orderedWord]); }
void storeOrder(RwClump* clump, uintptr_t firstFlag, uint32_t* runs, RwPolygon** ordered) {
  clump->sortData[firstFlagWord] = firstFlag;
  clump->sortData[runsWord] = reinterpret_cast<uintptr_t>(runs);
  clump->sortData[orderedWord] = reinterpret_cast<uintptr_t>(ordered);
}

// ---- planes

// Centroid, unit normal (sum of the fan's cross products) and the length of
// that sum as the polygon's weight.
void setPlane(RwPlaneNode* node, const RwPolygon* polygon) {
  const uint32_t n = polygon->vertexCount;
  const RwVector& v0 = polygon->vertices[0]->model;
  RwVector centroid = {0.0f, 0.0f, 0.0f}, sum = {0.0f, 0.0f, 0.0f};
  for (uint32_t i = 0; i < n; ++i) RwAddVector(&centroid, &polygon->vertices[i]->model, &centroid);
  RwScaleVector(&centroid, 1.0f / static_cast<float>(n), &centroid);
  for (uint32_t i = 1; i + 1 < n; ++i) {
    RwVector a, b, c;
    RwSubtractVector(&polygon->vertices[i]->model, &v0, &a);
    RwSubtractVector(&polygon->vertices[i + 1]->model, &v0, &b);
    RwCrossProduct(&a, &b, &c);
    RwAddVector(&sum, &c, &sum);
  }
  RwVector unit;
  node->weight = RwNormalizeVector(&unit, &sum);
  node->normal[0] = unit.x;
  node->normal[1] = unit.y;
  node->normal[2] = unit.z;
  node->distance = RwDotProduct(&unit, &centroid);
}

struct SideCounts {
  int front, behind;
};

// How many of the polygon's vertices lie in front of and behind the plane.
SideCounts countSides(const RwPolygon* polygon, const RwPlaneNode* plane) {
  const RwVector normal = {plane->normal[0], plane->normal[1], plane->normal[2]};
  SideCounts counts = {0, 0};
  for (uint32_t i = 0; i < polygon->vertexCount; ++i) {
    const float d = RwDotProduct(&normal, &polygon->vertices[i]->model) - plane->distance;
    if (d > rwPlaneTolerance) {
      ++counts.front;
    } else if (d < -rwPlaneTolerance) {
      ++counts.behind;
    }
  }
  return counts;
}

// ---- building

// Puts the node into the tree below the root (see RwClassifyPlanePair).
void insertNode(RwPlaneNode* root, RwPlaneNode* added) {
  for (RwPlaneNode* at = root;;) {
    float beforeWeight = 0.0f, afterWeight = 0.0f;
    int beforeCount = 0, afterCount = 0;
    for (RwPlaneNode* e = at; e; e = e->next) {
      switch (RwClassifyPlanePair(e, added)) {
        case -1: afterWeight += e->weight; ++afterCount; break;
        case 1: beforeWeight += e->weight; ++beforeCount; break;
        case 2: e->conflict = added->conflict = 1; break;
        default: break;
      }
    }
    if (beforeCount == 0 && afterCount == 0) {
      added->next = at->next;
      at->next = added;
      return;
    }
    // Ties go to the front. The group on the other side cannot be kept
    // apart from the new polygon: both are z-buffered.
    const bool toFront = beforeWeight >= afterWeight;
    if (toFront ? afterCount : beforeCount) {
      const int losing = toFront ? -1 : 1;
      for (RwPlaneNode* e = at; e; e = e->next) {
        if (RwClassifyPlanePair(e, added) == losing) e->conflict = 1;
      }
      added->conflict = 1;
    }
    RwPlaneNode*& child = toFront ? at->front : at->back;
    if (!child) {
      child = added;
      return;
    }
    at = child;
  }
}

// The flattened order with its runs of equal flags.
struct Flattening {
  RwPolygon** ordered;
  uint32_t* runs;
  uintptr_t emitted;
  uintptr_t runCount;
  uintptr_t currentFlag;
  uintptr_t firstFlag;
  bool started;
};

void emit(Flattening& out, const RwPlaneNode* node) {
  if (!out.started) out.firstFlag = node->conflict;
  if (!out.started || node->conflict != out.currentFlag) {
    out.runs[out.runCount++] = 0;
    out.currentFlag = node->conflict;
    out.started = true;
  }
  ++out.runs[out.runCount - 1];
  out.ordered[out.emitted++] = node->polygon;
}

// A tree node's list: the nodes of the current flag first, then the others,
// so that runs stay as long as possible.
void emitList(Flattening& out, const RwPlaneNode* head) {
  const uintptr_t flag = out.started ? out.currentFlag : head->conflict;
  for (const RwPlaneNode* e = head; e; e = e->next) {
    if (e->conflict == flag) emit(out, e);
  }
  for (const RwPlaneNode* e = head; e; e = e->next) {
    if (e->conflict != flag) emit(out, e);
  }
}

// In order (back, list, front) with an explicit stack of one entry per node.
void flatten(Flattening& out, RwPlaneNode* root, RwPlaneNode** stack) {
  uintptr_t depth = 0;
  RwPlaneNode* node = root;
  while (node || depth) {
    for (; node; node = node->back) stack[depth++] = node;
    node = stack[--depth];
    emitList(out, node);
    node = node->front;
  }
}

// Scratch of one build, released whatever happens.
struct BuildScratch {
  RwPlaneNode** nodes = nullptr;
  uintptr_t nodeCount = 0;
  RwPlaneNode** stack = nullptr;
  ~BuildScratch() {
    RwPool* planes = pools().planes;
    for (uintptr_t i = 0; i < nodeCount; ++i) RwFreeRecord(planes, nodes[i]);
    RwEngineFree(nodes);
    RwEngineFree(stack);
  }
};

bool failOutOfMemory() {
  RwSetError(rwErrOutOfMemory);
  return false;
}

bool makeNodes(BuildScratch& scratch, RwClump* clump, uintptr_t count) {
  RwPool* planes = pools().planes;
  for (uintptr_t i = 0; i < count; ++i) {
    auto* node = static_cast<RwPlaneNode*>(RwAllocRecord(planes));
    if (!node) return false;
    *node = {};
    node->polygon = static_cast<RwPolygon*>(RwPtrArrayEntry(clump->drawablePolygons, i));
    setPlane(node, node->polygon);
    scratch.nodes[scratch.nodeCount++] = node;
  }
  return true;
}

// ---- drawing

uintptr_t polygonCount(const RwClump* clump) { return clump->drawablePolygons->count; }

// Calls `each` for every run with its flag and its polygons.
template <typename Each>
void forEachRun(RwClump* clump, Each each) {
  uintptr_t flag = clump->sortData[firstFlagWord];
  RwPolygon** polygon = orderedOf(clump);
  for (const uint32_t* run = runsOf(clump); *run; ++run) {
    each(flag, polygon, *run);
    polygon += *run;
    flag ^= 1;
  }
}

// ---- the clump's bookkeeping

void modeChanged(RwClump* clump) {
  RwFreeClumpPlaneOrder(clump);
  RwBuildClumpPlaneOrder(clump);
}

constexpr RwClumpSortLinks clumpSortLinks = {
    .hiddenSurfaceModeChanged = modeChanged,
    .freeSortData = RwFreeClumpPlaneOrder,
    .geometryChangedInBulk = [](RwClump* clump) { RwBuildClumpPlaneOrder(clump); },
};

}  // namespace

RwPlaneOrder RwGetClumpPlaneOrder(const RwClump* clump) {
  return {clump->sortData[firstFlagWord], runsOf(clump), orderedOf(clump)};
}

int RwOpenPlaneSinglesModule() {
  RwPool*& singles = pools().singles;
  singles = RwCreatePool("singlelist", 2 * sizeof(void*));
  if (!singles) return failOutOfMemory() ? 1 : 0;
  return 1;
}

int RwClosePlaneSinglesModule() {
  RwPool*& singles = pools().singles;
  RwDestroyPool(singles);
  singles = nullptr;
  return 1;
}

int RwOpenPlaneOrderModule() {
  RwPool*& planes = pools().planes;
  planes = RwCreatePool("planelist", sizeof(RwPlaneNode));
  if (!planes) return failOutOfMemory() ? 1 : 0;
  rwClumpLinks.sorting.provide(clumpSortLinks);
  return 1;
}

int RwClosePlaneOrderModule() {
  rwClumpLinks.sorting.withdraw();
  RwPool*& planes = pools().planes;
  RwDestroyPool(planes);
  planes = nullptr;
  return 1;
}

int RwClassifyPlanePair(const RwPlaneNode* existing, const RwPlaneNode* added) {
  if (existing->polygon == added->polygon) return 0;
  const SideCounts n = countSides(added->polygon, existing);
  const SideCounts e = countSides(existing->polygon, added);
  if (n.front == 0 && e.front == 0) return 3;
  if (n.behind == 0 && e.behind == 0) return 3;
  if (n.front == 0) return -1;
  if (n.behind == 0 || e.front == 0) return 1;
  if (e.behind != 0) return 2;
  return -1;
}

int RwBuildPlaneOrder(RwClump* clump) {
  const uintptr_t count = polygonCount(clump);
  if (count == 0) return 1;
  BuildScratch scratch;
  scratch.nodes = static_cast<RwPlaneNode**>(RwEngineAlloc(count * sizeof(RwPlaneNode*)));
  if (!scratch.nodes) return failOutOfMemory();
  if (!makeNodes(scratch, clump, count)) return 0;
  for (uintptr_t i = 1; i < count; ++i) insertNode(scratch.nodes[0], scratch.nodes[i]);
  scratch.stack = static_cast<RwPlaneNode**>(RwEngineAlloc(count * sizeof(RwPlaneNode*)));
  auto* runs = static_cast<uint32_t*>(RwEngineAlloc((count + 1) * sizeof(uint32_t)));
  auto* ordered = static_cast<RwPolygon**>(RwEngineAlloc(count * sizeof(RwPolygon*)));
  if (!scratch.stack || !runs || !ordered) {
    RwEngineFree(runs);
    RwEngineFree(ordered);
    return failOutOfMemory();
  }
  Flattening out = {ordered, runs, 0, 0, 0, 0, false};
  flatten(out, scratch.nodes[0], scratch.stack);
  runs[out.runCount] = 0;
  storeOrder(clump, out.firstFlag, runs, ordered);
  return 1;
}

int RwBuildClumpPlaneOrder(RwClump* clump) {
  if (RwClumpHiddenSurfaceMode(clump) != rwPlaneOrdered || clump->sortSuspensionCount != 0) return 1;
  RwFreeClumpPlaneOrder(clump);
  if (polygonCount(clump) > rwLargestPlaneOrderedClump) return RwMakeClumpEditable(clump);
  return RwBuildPlaneOrder(clump);
}

void RwFreeClumpPlaneOrder(RwClump* clump) {
  RwEngineFree(runsOf(clump));
  RwEngineFree(orderedOf(clump));
  storeOrder(clump, 0, nullptr, nullptr);
}

int RwPlaneOrderCoversClump(const RwClump* clump) {
  const uint32_t* run = RwGetClumpPlaneOrder(clump).runs;
  if (!run) return 0;
  uintptr_t covered = 0;
  for (; *run; ++run) covered += *run;
  return covered == polygonCount(clump) ? 1 : 0;
}

int RwPlaneOrderIsOnePlainRun(const RwClump* clump) {
  const RwPlaneOrder order = RwGetClumpPlaneOrder(clump);
  return order.runs && order.firstFlag == 0 && order.runs[0] && order.runs[1] == 0 ? 1 : 0;
}

void RwDrawPlaneOrder(RwDrawEntry entry, RwClump* clump) {
  const bool clipped = clump->lastOutcode != 0;
  const RwDrawEntry examined = clipped ? RwGetClipFinalStage() : entry;
  RwDrawEntry plain = RwDrawPolygonPlain, zBuffered = RwDrawPolygonZ;
  const RwClumpDrawChoice& choice = clump->drawChoice;
  if (choice.uniform && examined == choice.plain && examined != RwDrawPolygonPlain) {
    plain = choice.plain;
    zBuffered = choice.depthBuffered;
  }
  if (clipped) {
    RwDrawPlaneOrderClipped(plain, zBuffered, clump);
  } else {
    RwDrawPlaneOrderUnclipped(plain, zBuffered, clump);
  }
}

void RwDrawPlaneOrderUnclipped(RwDrawEntry plain, RwDrawEntry zBuffered, RwClump* clump) {
  forEachRun(clump, [&](uintptr_t flag, RwPolygon** polygons, uint32_t length) {
    const RwDrawEntry entry = flag ? zBuffered : plain;
    for (uint32_t i = 0; i < length; ++i) {
      if (RwTriOrientation(polygons[i])) entry(polygons[i]);
    }
  });
}

void RwDrawPlaneOrderClipped(RwDrawEntry plain, RwDrawEntry zBuffered, RwClump* clump) {
  const RwDrawEntry head = RwBuildClipChain(RwClipDriverFor(rwRenderState.currentCamera), clump->lastOutcode);
  forEachRun(clump, [&](uintptr_t flag, RwPolygon** polygons, uint32_t length) {
    RwSetClipFinalStage(flag ? zBuffered : plain);
    for (uint32_t i = 0; i < length; ++i) head(polygons[i]);
  });
}
