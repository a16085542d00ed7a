// engine/depthsort.h -- depth sorting of a clump's polygons by their planes.
//
// Owns: the static drawing order of a plane-ordered (mode 1) clump, correct
// from every viewpoint while back faces are culled: the pools "planelist"
// (tree nodes, used only while an order is built) and "singlelist", the
// order kept in the clump's three depth-sort words (first run's flag, run
// lengths ending with 0, polygons in drawing order), its building, freeing
// and drawing, and the clump bookkeeping that keeps it in step with the
// clump's mode and geometry (the record it provides to rwClumpLinks.sorting).
// It does not own the polygons (engine/polygon.h), the draw entries nor the
// clip chain it drives (engine/clip.h).
//
// A run of flag 1 holds polygons that straddle one another's planes: they
// are drawn with the z-buffered entry, the others with the plain one.
#ifndef LUMENFOLD_ENGINE_DEPTHSORT_H
#define LUMENFOLD_ENGINE_DEPTHSORT_H

#include <cstdint>

#include "engine/device.h"

struct RwClump;
struct RwPolygon;

// Points within this distance of a plane count as on it.
constexpr float rwPlaneTolerance = 0.001f;

struct RwPlaneNode {
  RwPlaneNode* back;   // drawn before this node's list
  RwPlaneNode* front;  // drawn after it
  RwPlaneNode* next;   // the rest of this node's list
  float normal[3];     // unit plane normal (model coordinates)
  float distance;      // normal . centroid
  float weight;        // size of the polygon
  RwPolygon* polygon;
  uintptr_t conflict;  // 1: must be z-buffered
};

// The clump's order, read from its depth-sort words.
struct RwPlaneOrder {
  uintptr_t firstFlag;         // flag of the first run: 0 plain, 1 z-buffered
  uint32_t* runs;              // run lengths, then 0; null when no order
  RwPolygon** ordered;         // one per drawable polygon, in drawing order
};
RwPlaneOrder RwGetClumpPlaneOrder(const RwClump* clump);

// "singlelist": opened and closed with the library; nothing draws from it.
int RwOpenPlaneSinglesModule();
int RwClosePlaneSinglesModule();
// "planelist" and the clump bookkeeping.
int RwOpenPlaneOrderModule();
int RwClosePlaneOrderModule();

/*
 * RwBuildPlaneOrder --
 *   Builds the clump's order from its draw list (a clump without polygons
 *   gets none and succeeds).
 * Results:
 *   1, or 0 with error 3: then nothing of the build is kept and the clump
 *   has no order.
 */
int RwBuildPlaneOrder(RwClump* clump);
// Where N belongs relative to E: 0 same polygon, -1 before E, 1 after E,
// 2 conflict, 3 no constraint.
int RwClassifyPlanePair(const RwPlaneNode* existing, const RwPlaneNode* added);

// In mode 1 with a suspension count of 0: the order built again (a clump
// above 1000 polygons is made z-buffered instead). Otherwise 1.
int RwBuildClumpPlaneOrder(RwClump* clump);
void RwFreeClumpPlaneOrder(RwClump* clump);

// 1 when the order holds exactly the clump's drawable polygons.
int RwPlaneOrderCoversClump(const RwClump* clump);
// 1 when the order is a single run of plain polygons (no z clearing).
int RwPlaneOrderIsOnePlainRun(const RwClump* clump);

/*
 * RwDrawPlaneOrder --
 *   Draws the order run by run, switching between a plain and a z-buffered
 *   entry: the clump's uniform pair when the entry examined (the clip
 *   chain's final entry for a clipped clump) is its uniform plain routine,
 *   else the material-indirect pair.
 */
void RwDrawPlaneOrder(RwDrawEntry entry, RwClump* clump);
void RwDrawPlaneOrderUnclipped(RwDrawEntry plain, RwDrawEntry zBuffered, RwClump* clump);
void RwDrawPlaneOrderClipped(RwDrawEntry plain, RwDrawEntry zBuffered, RwClump* clump);

#endif
