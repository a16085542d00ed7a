// multiuser/peers.cpp -- the other users; see peers.h.
#include "multiuser/peers.h"

#include "core/report.h"
#include "multiuser/connection.h"

namespace {

bool holds(const ZmqxPeer& peer, ZmId id) { return id >= peer.first && id <= peer.last; }

}  // namespace

void zmqxForgetPeers() { zmqxConnection().peers = ZmqxPeers{}; }

const ZmqxPeer* zmqxPeerOf(ZmId id) {
  const ZmqxPeers& peers = zmqxConnection().peers;
  for (const ZmqxPeer& peer : peers.users)
    if (holds(peer, id)) return &peer;
  return nullptr;
}

ZmqxPeer* zmqxPeerOfMessage(ZmId first, ZmId last, const char* comment) {
  ZmqxPeers& peers = zmqxConnection().peers;
  for (ZmqxPeer& peer : peers.users)
    if (holds(peer, first)) return &peer;
  peers.users.push_back({first, last, comment ? zmqxWithoutControls(comment) : "", 0, 0, false});
  return &peers.users.back();
}

bool zmqxAdmit(ZmqxPeer* peer, long objects, uint64_t bytes) {
  ZmqxPeers& peers = zmqxConnection().peers;
  const bool userFits = peer->objects + objects <= ZMQX_PEER_OBJECTS && peer->bytes + bytes <= ZMQX_PEER_BYTES;
  const bool serverFits = peers.objects + objects <= ZMQX_SERVER_OBJECTS && peers.bytes + bytes <= ZMQX_SERVER_BYTES;
  if (userFits && serverFits) {
    peer->objects += objects;
    peer->bytes += bytes;
    peers.objects += objects;
    peers.bytes += bytes;
    return true;
  }
  if (!peer->warned)
    zmReportWarning("zmqxUpcallAddObjects: %s (ids %d..%d) adds more than the program takes from %s: refused.",
                    peer->nickname.empty() ? "a user" : peer->nickname.c_str(), peer->first, peer->last,
                    userFits ? "all users" : "one user");
  peer->warned = true;
  return false;
}

std::string zmqxWithoutControls(const char* text) {
  std::string kept;
  for (const char* at = text; *at != '\0'; ++at) {
    const auto byte = static_cast<unsigned char>(*at);
    if (byte >= 0x20 && byte != 0x7F) kept += *at;
  }
  return kept;
}

std::string zmqxChatLineOf(ZmId speaker, const char* text) {
  const std::string line = zmqxWithoutControls(text);
  const ZmqxPeer* peer = zmqxPeerOf(speaker);
  if (peer == nullptr || peer->nickname.empty()) return line;
  const std::string prefix = peer->nickname + ": ";
  return line.compare(0, prefix.size(), prefix) == 0 ? line : prefix + line;
}
