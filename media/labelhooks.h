// media/labelhooks.h -- the calls media makes up into the shell: the labels
// over the view stand still while a video covers it.
//
// Owns: the shell's service record for media (core/service.h), its constant
// default record and the service media calls it through. It does not own
// the labels (the shell's).
#ifndef LUMENFOLD_MEDIA_LABELHOOKS_H
#define LUMENFOLD_MEDIA_LABELHOOKS_H

#include "core/service.h"

struct ZmMediaShell {
  // zmLabelHideAll -- freezes every label where it stands, and the ones
  // made later. Default: there are no labels.
  void (*labelHideAll)();
  // zmLabelShowAll -- lets the labels follow their objects again. Default:
  // as above.
  void (*labelShowAll)();
};
inline constexpr ZmMediaShell kMediaShellDefaults = {
    .labelHideAll = [] {},
    .labelShowAll = [] {},
};
inline constinit ZmService<ZmMediaShell> mediaShell{"shell", "mediaShell", kMediaShellDefaults};

#endif
