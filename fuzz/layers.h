// fuzz/layers.h -- the program's layers started for a harness whose input
// is a world (or acts on one): every URL a world names is fetched from the
// harness's private folder, never from the machine or the network.
//
// Owns nothing beyond the start-up call and the reading of a world file;
// the private folder belongs to fuzz/harness.h.
#ifndef LUMENFOLD_FUZZ_LAYERS_H
#define LUMENFOLD_FUZZ_LAYERS_H

#include <string>

#include "core/object.h"

namespace fuzz {

// Adopts the private folder as the program's home and starts the layers,
// with a fetch that finds a relative URL (no "..", no scheme) inside the
// private folder and nothing else. Call once, before the first input.
void startLayersOverPrivateFolder();

// A new world, made the current one, its objects numbered from `firstId`
// to `lastId`, read from the world file at `path`; aborts when no world
// can be made. The caller deletes it.
ZmWorld* readCurrentWorld(const std::string& path, ZmId firstId = -10000, ZmId lastId = -1);

}  // namespace fuzz

#endif
