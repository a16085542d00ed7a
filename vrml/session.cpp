// vrml/session.cpp -- the stack of parse sessions.
#include "vrml/session.h"

#include <utility>

#include "core/world.h"
#include "platform/fatal.h"

namespace {

QvParseSession current;  // the top of the stack; the guards hold the rest

}  // namespace

QvParseSession& qvSession() { return current; }

QvSessionGuard::QvSessionGuard(ZmWorld* world, int32_t inlineCounter) : saved(std::move(current)) {
  current = QvParseSession{};
  current.world = world;
  current.inlineCounter = inlineCounter;
  current.outer = &saved;
  // An inlined file's names are found beside it: its read goes on with the
  // URLs of the inline files around it.
  if (inlineCounter < 0) {
    current.baseUrls = saved.baseUrls;
    current.fromPeer = saved.fromPeer;
    current.peerBehaviourReported = saved.peerBehaviourReported;
  }
}

QvSessionGuard::~QvSessionGuard() {
  ZM_ASSERT(current.outer == &saved, "parse sessions end innermost first");
  current = std::move(saved);
}

ZmWorld* zmGetWorldBeingBuiltOrCurrent() {
  return current.world != nullptr ? current.world : zmGetCurrentWorld();
}
