// vrmlwrite/hooks.h -- the calls the VRML writer makes up into the layers
// above it, beyond those it shares with the reader (vrml/hooks.h: the URL
// text and the local file of an entry).
//
// Owns: the loading layer's table `zmWriterLoadingHooks`, null at start, and
// the inline wrapper of its slot, named as in core/hooks.h. It does not own
// the function behind the slot.
#ifndef LUMENFOLD_VRMLWRITE_HOOKS_H
#define LUMENFOLD_VRMLWRITE_HOOKS_H

#include <span>

#include "core/object.h"
#include "vrml/hooks.h"

struct ZmWriterLoadingHooks {
  // zmGetUrlNameOfWWW -- the URL of the object's extension 9 (inline) or 10
  // (anchor) in *url; 0, or -1 (reported, except for an object without that
  // extension). Unset: the URL text (hookGetUrl) of the extension's entry;
  // -1 when there is no entry or no text.
  int (*getUrlNameOfWWW)(ZmObj* object, int kind, const char** url);
};
extern ZmWriterLoadingHooks zmWriterLoadingHooks;

inline int hookGetUrlNameOfWWW(ZmObj* object, int kind, const char** url) {
  if (zmWriterLoadingHooks.getUrlNameOfWWW) return zmWriterLoadingHooks.getUrlNameOfWWW(object, kind, url);
  auto* entry = reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(object, kind));
  const char* text = entry != nullptr ? hookGetUrl(entry) : nullptr;
  if (text == nullptr) return -1;
  *url = text;
  return 0;
}

// Every slot of the table above, for the start-up's check.
std::span<const ZmHookSlot> zmWriterHookSlots();

#endif
