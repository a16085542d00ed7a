// vrmlwrite/hooks.h -- the call the VRML writer makes up into loading
// (core/service.h), beyond those it shares with the reader (vrml/hooks.h:
// an entry's URL text and local file).
#ifndef LUMENFOLD_VRMLWRITE_HOOKS_H
#define LUMENFOLD_VRMLWRITE_HOOKS_H

#include "core/object.h"
#include "core/service.h"
#include "vrml/hooks.h"

struct ZmWriterLoading {
  // zmGetUrlNameOfWWW -- the URL of the object's extension 9 (inline) or 10
  // (anchor) in *url; 0, or -1 (reported, except for an object without that
  // extension). Default: the URL text (getUrl) of the extension's entry; -1
  // without an entry or a text.
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
