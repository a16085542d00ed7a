// tests/loading_stand_ins.h -- what the loading layer would install, as the
// suites of the layers below it need it: URL entries that know only their
// URL text, and a movie texture of fixed size.
//
// Owns: the table of entries handed out since the last installStandInUrls,
// freed when the next one begins. It does not own the hook tables (the
// suite's guards, tests/vrml_hook_guards.h, give them back afterwards) nor
// the other hooks of a suite, nor decide what an entry's local file is (a
// suite that needs that sets getLocalFile itself).
#ifndef LUMENFOLD_TESTS_LOADING_STAND_INS_H
#define LUMENFOLD_TESTS_LOADING_STAND_INS_H

#include <map>
#include <memory>
#include <string>

#include "core/leaf.h"
#include "core/memory.h"
#include "tests/vrml_hook_guards.h"

struct ZmUrlHash {
  std::string url;
};

inline std::map<std::string, std::unique_ptr<ZmUrlHash>> standInUrls;

// One entry per URL text, so the same URL always gives the same pointer as
// the real table does.
inline ZmUrlHash* standInUrl(const char* url) {
  auto& entry = standInUrls[url];
  if (!entry) entry = std::make_unique<ZmUrlHash>(ZmUrlHash{url});
  return entry.get();
}

// Starts a fresh table and points wwwLoadFile and getUrl at it.
inline void installStandInUrls(VrmlHookGuards& vrmlHooks) {
  standInUrls.clear();
  vrmlHooks.loading->wwwLoadFile = standInUrl;
  vrmlHooks.loading->getUrl = [](ZmUrlHash* entry) { return entry->url.c_str(); };
}

// Points newMovie and deleteTexture at a 128 by 128 movie of one frame, and
// frees what a texture holds when the core lets it go, so the suites run
// leak-free without the image loaders.
inline void installStandInMovies(CoreHookGuards& coreHooks, VrmlHookGuards& vrmlHooks) {
  vrmlHooks.media->newMovie = []() {
    auto* movie = static_cast<ZmTextureMovie*>(zmMalloc(sizeof(ZmTextureMovie)));
    *movie = {1, 128, 128, 4.0f, nullptr, 0, 1, 1.0f};
    return movie;
  };
  coreHooks.viewer->deleteTexture = [](ZmTexture* texture) {
    zmFree(texture->uv.values);
    ZmTextureImage* image = zmDropTextureImage(texture);
    if (image == nullptr) return;
    if (image->movie) zmFree(image->movie->soundFile);
    zmFree(image->movie);
    zmFree(image);
  };
}

#endif
