// vrmlwrite/hooks.h -- the calls the VRML writer makes up into the layers
// above it, beyond those it shares with the reader (vrml/hooks.h: the URL
// text and the local file of an entry).
//
// Owns: the loading layer's record ZmWriterLoading, its default and the
// service `writerLoading` the writer calls it through (core/service.h). It
// does not own the function behind the record.
#ifndef LUMENFOLD_VRMLWRITE_HOOKS_H
#define LUMENFOLD_VRMLWRITE_HOOKS_H

#include "core/object.h"
#include "core/service.h"
#include "vrml/hooks.h"

struct ZmWriterLoading {
  // zmGetUrlNameOfWWW -- the URL of the object's extension 9 (inline) or 10
  // (anchor) in *url; 0, or -1 (reported, except for an object without that
  // extension). Default: the URL text (getUrl) of the extension's entry; -1
  // when there is no entry or no text.
  int (*getUrlNameOfWWW)(ZmObj* object, int kind, const char** url);
};

inline constexpr ZmWriterLoading kWriterLoadingDefaults = {
    .getUrlNameOfWWW = [](ZmObj* object, int kind, const char** url) {
      auto* entry = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(object, kind));
      const char* text = entry != nullptr ? vrmlLoading().getUrl(entry) : nullptr;
      if (text == nullptr) return -1;
      *url = text;
      return 0;
    },
};
inline constinit ZmService<ZmWriterLoading> writerLoading{"loading", "writerLoading", kWriterLoadingDefaults};

#endif
