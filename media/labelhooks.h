// media/labelhooks.h -- the calls media makes up into the shell: the labels
// over the view stand still while a video covers it.
//
// Owns: the table of those calls, all slots null at start, filled by the
// shell's install function (tests set recorders), its inline wrappers, and
// the list of its slots for the start-up's check. It does not own the
// labels (the shell's).
#ifndef LUMENFOLD_MEDIA_LABELHOOKS_H
#define LUMENFOLD_MEDIA_LABELHOOKS_H

#include <span>

#include "core/hooks.h"
#include "core/hookslots.h"

struct ZmMediaShellHooks {
  // zmLabelHideAll -- freezes every label where it stands, and the ones
  // made later. Unset: there are no labels.
  void (*labelHideAll)();
  // zmLabelShowAll -- lets the labels follow their objects again. Unset: as
  // above.
  void (*labelShowAll)();
};
extern ZmMediaShellHooks zmMediaShellHooks;

inline void hookLabelHideAll() {
  if (zmMediaShellHooks.labelHideAll) zmMediaShellHooks.labelHideAll();
}

inline void hookLabelShowAll() {
  if (zmMediaShellHooks.labelShowAll) zmMediaShellHooks.labelShowAll();
}

// Every slot of the table above, for the start-up's check.
std::span<const ZmHookSlot> zmMediaShellHookSlots();

#endif
