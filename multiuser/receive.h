// multiuser/receive.h -- the receive path: the pump that reads the server's
// bytes into the ring, cuts them into whole messages and turns each into a
// call on the current world.
//
// Owns: zmSockProc, zmqxDispatch and one handler per message (objects added
// from a VRML file, moves, posture steps, chat text, a script procedure
// named by another user, the master flag, the avatar's shared id, the
// server's leave). It does not own the framing primitives (multiuser/ring.h)
// nor the connection (multiuser/connection.h).
//
// What others send never acts on the user's own avatar (only the server's
// word on its id does, and that deletes nothing), nor on an object whose
// deletion is under way; other users' objects are admitted within the
// limits of multiuser/peers.h, and their chat shows who speaks.
//
// Framing is never lost: a message longer than ZMQX_MAX_MESSAGE is refused
// and its bytes dropped as they arrive; a head byte that is no class leaves
// the server, since nothing after it can be cut.
#ifndef LUMENFOLD_MULTIUSER_RECEIVE_H
#define LUMENFOLD_MULTIUSER_RECEIVE_H

#include <cstdint>

#include "multiuser/ring.h"

// The event type of a script call from another user: no keyword names it.
enum : uint32_t { ZMQX_EVENT_APPL_SPECIFIC = 0x100000 };

// A handler's result for a kind or kind-6 sub-kind the client does not take.
enum : int { ZMQX_UNKNOWN_KIND = -5 };

/*
 * zmSockProc --
 *   The pump, run by the main window on every message it passes on: takes
 *   a connection under way a step further (zmqxContinueConnect), reads
 *   what the socket holds and dispatches every whole message, but stops
 *   after an add-objects message (its file read pumps messages; the rest
 *   waits for the next call). A nested call while one runs does nothing.
 * Results:
 *   0; -1 when it did not run (no world, server text or avatar, or not
 *   connected), the connection attempt failed, or the stream ended (the
 *   peer closed or reset it, or sent a byte that is no message class),
 *   after which the server has been left.
 */
int zmSockProc();

/*
 * zmqxDispatch --
 *   Takes the message at the head out of the ring and runs its handler.
 * Results:
 *   The handler's result (0 success, negative failure, ZMQX_UNKNOWN_KIND);
 *   0 when no message is complete; ZMQX_BAD_CLASS; ZMQX_TOO_LONG for a message longer than
 *   ZMQX_MAX_MESSAGE, whose bytes are then dropped.
 */
int zmqxDispatch(ZmqxBuffer* ring);

// The handlers, each given a whole message (the header's length held).
int zmqxUpcallSys1(const uint8_t* message);
int zmqxUpcallSys2(const uint8_t* message);
int zmqxUpcallAddObjects(const uint8_t* message);
int zmqxUpcallMyself(const uint8_t* message);
int zmqxUpcallRotTrans(const uint8_t* message);
int zmqxUpcallApplSendText(const uint8_t* message);
int zmqxUpcallApplSpecific(const uint8_t* message);

#endif
