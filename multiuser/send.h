// multiuser/send.h -- sending from the scene: the user's avatar moving, an
// object dragged or turned, a script's event, chat text or message for
// another user's script.
//
// Owns: one sender per message the client writes and the master-flag query.
// Each builds its message in a local buffer and writes it whole on the
// connection's socket (multiuser/connection.h); nothing is queued. It does
// not own the connection nor the moves themselves (core/transform.h).
//
// Results of every sender: the bytes sent; SOCKET_ERROR (-1) when there is no
// socket, the send failed, or a text would make the message longer than
// ZMQX_MAX_MESSAGE (nothing is sent then); 0 when the object has the null
// id (it is not shared, nothing is sent).
#ifndef LUMENFOLD_MULTIUSER_SEND_H
#define LUMENFOLD_MULTIUSER_SEND_H

#include <cstdint>

#include "core/object.h"
#include "core/vecmath.h"

struct ZmWorld;

// The current world's master flag (0 or 1); 0 without a world.
int zmqxAmIMaster();

// The object's world matrix (kind 6, sub-kind 2, destination flag 1).
int zmqxUpdateObj(ZmObj* object);
// Moves the object as zmObjectTrans / zmObjectRotateTrans do, then sends its
// world matrix; 0.
int zmqxObjectTrans(ZmObj* object, const ZmVec3* vector, int coordSystem, int relative);
int zmqxObjectRotate(ZmObj* object, const ZmRT* matrix, int coordSystem, int relative);
// A 3x3 turn as zmObjectRotate, then the world matrix; 0.
int zmqxObjectRotate3(ZmObj* object, const float rotation[9], int coordSystem, int relative);
// Steps the object's articulated body (direction > 0 forward, else back) and
// sends the class-1 step, also for an object with the null id.
int zmqxPostureStep(ZmObj* object, int direction);

int zmqxSendApplEvent(ZmObj* object, uint32_t eventMask, const char* text);
int zmqxSendChatStr(ZmObj* object, const char* text);
// The longest text zmqxSendChatStr carries: 173.
int zmqxChatTextLimit();
// The object's world translation (class 2).
int zmqxSendObjPosition(ZmObj* object);
// Destination flag 4 when this client is the master, else 2.
int zmqxSendApplSpecificMsg(ZmObj* object, const char* procedure, const char* userData);
int zmqxSendApplSpecificMsgWithDist(ZmObj* object, const char* procedure, const char* userData,
                                    uint8_t destination);

// The user's avatar: the camera object registered as camera 2, or null.
ZmObj* zmGetPersonObj(ZmWorld* world);

#endif
