// engine/poolrecords.h -- the record pools of the engine's geometry (private
// to engine/).
//
// Owns the one record that holds the pool handles of the modules whose whole
// state is their pools: clumps, polygons, the depth sort's nodes, damaged
// rectangles and user draws. Each pool is made through the pool module and
// sits on its pool list, created by its module's open and destroyed by its
// close; RwFreeAllPools releases their pages at the library close. The
// record is defined in polygon.cpp, where every added vertex reads the
// model-building switch.
//
// Which module writes which member:
//   clumps        clump.cpp
//   polygons      polygon.cpp    and the model-building switch
//   depthSort     depthsort.cpp
//   damagedRects  damage.cpp
//   userDraws     userdraw.cpp
// It does not own the pool module's own state (engine/pool.cpp) nor the pools
// of the modules that keep object lists (cameras, lights, materials, scenes,
// rasters, matrices): those sit with their lists.
#ifndef LUMENFOLD_ENGINE_POOLRECORDS_H
#define LUMENFOLD_ENGINE_POOLRECORDS_H

#include <cstdint>

#include "engine/pool.h"

struct RwPoolRecords {
  RwPool* clumps = nullptr;  // "clumplist"

  struct Polygons {
    RwPool* triangles = nullptr;  // "trianglelist"
    RwPool* quads = nullptr;      // "quadlist"
    bool modelBuilding = false;   // polygons and vertices deferred until the model is finished
  } polygons;

  struct DepthSort {
    RwPool* singles = nullptr;  // "singlelist": one-polygon entries
    RwPool* planes = nullptr;   // "planelist": the nodes of the plane tree
  } depthSort;

  RwPool* damagedRects = nullptr;  // "metarectlist"
  RwPool* userDraws = nullptr;     // "userdrawlist"
};

RwPoolRecords& rwPoolRecords();

#endif
