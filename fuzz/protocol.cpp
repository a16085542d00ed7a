// fuzz/protocol.cpp -- the server's byte stream through the client's receive
// path: gathered in the ring in pieces as the socket would deliver them,
// cut into messages and each handed to its handler, in a shared world of a
// few objects and the user's avatar.
//
// The layers are filled as the program fills them, with the fetch of the
// VRML harness: an add-objects message can name only files in the
// harness's private folder. Whatever the stream, the handlers must touch
// only live objects and leave the world deletable.
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/object.h"
#include "core/report.h"
#include "core/world.h"
#include "fuzz/harness.h"
#include "fuzz/layers.h"
#include "multiuser/connection.h"
#include "multiuser/peers.h"
#include "multiuser/receive.h"
#include "multiuser/ring.h"

namespace {

// Objects with ids from 1000 on, as another user's messages name them; a
// switch, a named child and a procedure a peer may call.
constexpr const char* kSharedWorld =
    "#VRML V1.0 ascii\n"
    "Separator {\n"
    "  DEF mover Separator { Cube { } }\n"
    "  DEF choice Switch { whichChild 0 Cube { } Sphere { } }\n"
    "  DEF holder Separator { DEF inner Separator { Cone { } } }\n"
    "  Script { procedure \"proc greet {o e d} {return 0}\" scriptType TCL }\n"
    "}\n";
// The most bytes one delivery puts into the ring, as a socket read might.
constexpr size_t kDelivery = 1500;

std::string worldFile;

void startLayers() {
  fuzz::startLayersOverPrivateFolder();
  zmTurnOffFlag(ZM_FLAG_WARNING);
  zmTurnOffFlag(ZM_FLAG_ERROR);
}

ZmWorld* sharedWorld() {
  const std::string path = fuzz::writeInput("shared.wrl", reinterpret_cast<const uint8_t*>(kSharedWorld),
                                            std::char_traits<char>::length(kSharedWorld));
  ZmWorld* world = fuzz::readCurrentWorld(path, 1000, 1999);
  ZmObj* person = nullptr;
  if (zmNewZmObj(world, &person, 0) == 0) {
    zmAddTopObject(person, "person.wrl");
    world->person = person;
  }
  return world;
}

// Dispatches every whole message the ring holds; false once the stream can
// no longer be cut (a head byte that is no class).
bool dispatchHeld(ZmqxBuffer* ring) {
  for (;;) {
    const int64_t size = zmqxMessageSizeAtHead(ring, nullptr);
    if (size == ZMQX_MESSAGE_INCOMPLETE) return true;
    if (size == ZMQX_BAD_CLASS) return false;
    zmqxDispatch(ring);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (startLayers(), true);
  (void)started;
  ZmWorld* world = sharedWorld();
  ZmqxBuffer* ring = &zmqxConnection().ring;
  zmqxResetBuffer(ring);
  for (size_t at = 0; at < size;) {
    const size_t piece = std::min({kDelivery, size - at, size_t(zmqxBufferFree(ring))});
    if (piece == 0 || zmqxPutData(ring, data + at, int32_t(piece)) != 0) break;
    at += piece;
    if (!dispatchHeld(ring)) break;
  }
  zmqxResetBuffer(ring);
  zmqxForgetPeers();
  zmSetCurrentWorld(nullptr);
  zmDeleteWorld(world);
  fuzz::clearPrivateFolder();
  return 0;
}
