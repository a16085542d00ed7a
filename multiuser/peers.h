// multiuser/peers.h -- the other users as the receive path knows them.
//
// Owns: one record per user that the server's add-objects messages name,
// told apart by the id range each message gives (a message whose first id
// lies in a known range belongs to that range's user), with the nickname
// that came as the message's comment, what that user's files and objects
// cost, and the limits on both, per user and for the whole server. Records
// live from one connection's start to its end, in the connection's record. The nickname also tells
// who speaks in a chat message that names one of the user's objects. It does not own the objects
// (the world), the messages (multiuser/receive.h) nor the connection.
//
// Past a limit the add-objects messages of that user are refused, with one
// warning per user; what was admitted stays.
#ifndef LUMENFOLD_MULTIUSER_PEERS_H
#define LUMENFOLD_MULTIUSER_PEERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "core/object.h"

// What the other users may add: objects and bytes of the files read for
// them, each user and all of them together.
constexpr long ZMQX_PEER_OBJECTS = 2000;
constexpr uint64_t ZMQX_PEER_BYTES = uint64_t(8) << 20;
constexpr long ZMQX_SERVER_OBJECTS = 20000;
constexpr uint64_t ZMQX_SERVER_BYTES = uint64_t(64) << 20;

struct ZmqxPeer {
  ZmId first, last;      // the id range of its first add-objects message
  std::string nickname;  // that message's comment, without control characters; may be empty
  long objects;          // admitted so far
  uint64_t bytes;
  bool warned;           // its one warning has been given
};

// The users of one connection, kept in its record (multiuser/connection.h).
struct ZmqxPeers {
  std::vector<ZmqxPeer> users;
  long objects = 0;  // admitted, of all users
  uint64_t bytes = 0;
};

// Forgets every user (a connection starts or ends).
void zmqxForgetPeers();

// The user whose range holds the id; null when none does.
const ZmqxPeer* zmqxPeerOf(ZmId id);

// The user of an add-objects message: the one whose range holds `first`,
// else a new one with the range and the comment (null: none) as nickname.
ZmqxPeer* zmqxPeerOfMessage(ZmId first, ZmId last, const char* comment);

/*
 * zmqxAdmit --
 *   Whether the user may add `objects` more objects read from `bytes` more
 *   bytes of files, within its own limits and the server's.
 * Results:
 *   true, with both counted for the user and the server; false, with
 *   nothing counted and, the first time for that user, the warning
 *   "zmqxUpcallAddObjects: <nickname> (ids <first>..<last>) adds more than
 *   the program takes from <one user|all users>: refused."
 */
bool zmqxAdmit(ZmqxPeer* peer, long objects, uint64_t bytes);

// The text without its control characters (bytes below 32, and 127).
std::string zmqxWithoutControls(const char* text);

/*
 * zmqxChatLineOf --
 *   A received chat text as it is shown: without control characters (so
 *   that no line break starts a line of its own), and led by the nickname
 *   of the user whose object spoke (`speaker`, the id the message names)
 *   when it does not already begin with that nickname and ": ", so that no
 *   one speaks under another's name. The text is kept whole after it. A
 *   speaker of no known user, or of one without a nickname, keeps the text
 *   as it came, less its control characters.
 */
std::string zmqxChatLineOf(ZmId speaker, const char* text);

#endif
