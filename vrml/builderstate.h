// vrml/builderstate.h -- the scene builder's record (private to vrml/).
//
// Owns: BuilderState, the program-wide state of the scene builder: the two
// settings through which the program shapes every build -- the limits on
// a build (`limits`, vrml/buildlimits.cpp) and the event-bit substitution
// every EventHandler's mask goes through (`substitution`,
// vrml/extnodes.cpp) -- and the tally of the build under way (`tally`,
// vrml/buildlimits.cpp). The record is defined in vrml/buildlimits.cpp. It
// does not own the parse under way (vrml/session.h) nor what the builder
// makes.
#ifndef LUMENFOLD_VRML_BUILDERSTATE_H
#define LUMENFOLD_VRML_BUILDERSTATE_H

#include <cstdint>
#include <string>

#include "core/event.h"
#include "vrml/buildlimits.h"

// The build under way (or the last one).
struct BuildTally {
  std::string fileName;     // the outermost file
  int64_t faces = 0;        // face leaves made
  int64_t inlineReads = 0;  // inline files read
  bool reported = false;    // the limit message is out
  bool emptyObjectNoted = false;  // an object without children and leaves was noted
  ZmBuildInlineRanges inlineRanges;
};

// getZmEventType reports an event handler's `from` event as `to`.
struct EventSubstitution {
  uint32_t from = ZM_EVENT_RIGHT_BUTTON_DOWN;
  uint32_t to = ZM_EVENT_PICK;
};

struct BuilderState {
  ZmBuildLimits limits = {500000, 2000000, 4096};
  EventSubstitution substitution;
  BuildTally tally;
};
BuilderState& builderState();

#endif
