// shell/mainparts.cpp -- the main window's record; see mainparts.h.
#include "shell/mainparts.h"

namespace {

ZmMainWindowParts record;

}  // namespace

ZmMainWindowParts& zmMainWindowParts() { return record; }
