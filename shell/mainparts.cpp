// shell/mainparts.cpp -- the main window's record; see mainparts.h.
#include "shell/mainparts.h"

namespace {

ZmMainWindowParts mainWindowParts;

}  // namespace

ZmMainWindowParts& zmMainWindowParts() { return mainWindowParts; }
