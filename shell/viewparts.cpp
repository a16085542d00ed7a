// shell/viewparts.cpp -- the 3-D view's record; see viewparts.h.
#include "shell/viewparts.h"

namespace {

ZmViewParts viewParts;

}  // namespace

ZmViewParts& zmViewParts() { return viewParts; }
