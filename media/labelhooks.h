// media/labelhooks.h -- the calls media makes up into the shell
// (core/service.h): the labels over the view stand still while a video
// covers it. The labels are the shell's.
#ifndef LUMENFOLD_MEDIA_LABELHOOKS_H
#define LUMENFOLD_MEDIA_LABELHOOKS_H

#include "core/service.h"

struct ZmMediaShell {
  // zmLabelHideAll, zmLabelShowAll -- freeze every label where it stands
  // (and the ones made later); let them follow their objects again.
  void (*labelHideAll)();
  void (*labelShowAll)();
};
inline constexpr ZmMediaShell kMediaShellDefaults = {.labelHideAll = zmNothing, .labelShowAll = zmNothing};
inline constinit ZmService<ZmMediaShell> mediaShell{"shell", "mediaShell", kMediaShellDefaults};

#endif
