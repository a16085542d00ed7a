// fuzz/layers.h -- the program's layers started for a harness whose input
// is a world (or acts on one): every URL a world names is fetched from the
// harness's private folder, never from the machine or the network.
//
// Owns nothing beyond the start-up call; the private folder belongs to
// fuzz/harness.h.
#ifndef LUMENFOLD_FUZZ_LAYERS_H
#define LUMENFOLD_FUZZ_LAYERS_H

namespace fuzz {

// Adopts the private folder as the program's home and starts the layers,
// with a fetch that finds a relative URL (no "..", no scheme) inside the
// private folder and nothing else. Call once, before the first input.
void startLayersOverPrivateFolder();

}  // namespace fuzz

#endif
