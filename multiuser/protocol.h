// multiuser/protocol.h -- the bytes that the client and the world server
// exchange: the hello records, the three message classes with their 17-byte
// class-0 header, every class-0 kind and kind-6 sub-kind, and the fixed-point
// words of coordinates.
//
// Owns: writers and readers over a caller's buffer, for both directions, so
// that the client and tools/worldserver share one definition. Pure functions:
// no sockets, no scene, no state. It does not own the framing of a stream
// (multiuser/ring.h) nor what a message does (multiuser/receive.h).
//
// Layout: every word is 32-bit big-endian; ids are signed words; texts end
// with a NUL and a second text follows the first one's NUL. A message is at
// most ZMQX_MAX_MESSAGE bytes: writers that carry texts refuse (-1, nothing
// written past that size) a text that would make it longer, and the receive
// path refuses longer messages too. Buffers given to writers hold at least
// ZMQX_MAX_MESSAGE bytes.
#ifndef LUMENFOLD_MULTIUSER_PROTOCOL_H
#define LUMENFOLD_MULTIUSER_PROTOCOL_H

#include <cstdint>

#include "core/object.h"
#include "core/vecmath.h"

enum : int {
  ZMQX_HEADER_SIZE = 17,         // class-0 header; the body follows it
  ZMQX_POSTURE_SIZE = 14,        // class 1, fixed
  ZMQX_POSITION_SIZE = 27,       // class 2, fixed
  ZMQX_MAX_MESSAGE = 200,        // the longest message either side takes
  ZMQX_CLIENT_HELLO_SIZE = 7,
  ZMQX_SERVER_HELLO_SIZE = 14,   // a reject is padded to this size too
  ZMQX_OBJECT_PAYLOAD = 26,      // where a kind-6 payload begins
  ZMQX_CHAT_TEXT_LIMIT = 173,    // the longest chat text: 199 - 26
};

// Message classes (byte 0).
enum : uint8_t { ZMQX_CLASS_MESSAGE = 0, ZMQX_CLASS_POSTURE = 1, ZMQX_CLASS_POSITION = 2 };

// Class-0 kinds.
enum : uint32_t {
  ZMQX_KIND_AVATAR = 0,          // nickname, avatar file
  ZMQX_KIND_CLIENT_ID = 1,       // the client id of later messages
  ZMQX_KIND_ADD_OBJECTS = 2,     // first id, last id, URL, optional comment
  ZMQX_KIND_TO_CHILD0 = 3,       // object id
  ZMQX_KIND_MYSELF = 4,          // the id of the receiver's avatar
  ZMQX_KIND_UNUSED = 5,          // word, word, text
  ZMQX_KIND_OBJECT = 6,          // object message, by sub-kind
  ZMQX_KIND_LEAVE = 7,           // reason byte
  ZMQX_KIND_MASTER = 8,          // master byte
};

// Kind-6 sub-kinds.
enum : uint32_t {
  ZMQX_SUB_TRANS = 0,
  ZMQX_SUB_ROT = 1,
  ZMQX_SUB_ROT_TRANS = 2,        // 12 fixed-point words, the order of a ZmRT
  ZMQX_SUB_CHAT = 9,
  ZMQX_SUB_APPL_EVENT = 11,
  ZMQX_SUB_APPL_SPECIFIC = 10000,
};

// ---- Words and fixed point ---------------------------------------------------

void zmqxPutWord(uint8_t* at, uint32_t value);
uint32_t zmqxGetWord(const uint8_t* at);

// Float to the wire's fixed point: value x 65535.0 truncated toward zero.
// Values beyond the signed 32-bit range clamp to its ends, NaN gives 0.
int32_t zmqxFloatToFixed(float value);
// Wire fixed point to float: word / 65536.0 (so 1.0 comes back as 0.9999847).
float zmqxFixedToFloat(int32_t word);

// ---- Handshake -----------------------------------------------------------------

void zmqxWriteClientHello(uint8_t* buffer);  // "hello", 1, 1
// 0 when the first five bytes are "hello"; -1 otherwise.
int zmqxReadClientHello(const uint8_t* buffer);
void zmqxWriteServerHello(uint8_t* buffer, uint32_t helloId, uint32_t channelId);
// 0 for "hello\0" with the two words; -1 otherwise (the words are still read).
int zmqxReadServerHello(const uint8_t* buffer, uint32_t* helloId, uint32_t* channelId);
// "reject", the reason byte, zero padding to ZMQX_SERVER_HELLO_SIZE.
void zmqxWriteServerReject(uint8_t* buffer, uint8_t reason);
// 1 when the first six bytes are "reject", else 0.
int zmqxIsServerReject(const uint8_t* buffer);

// ---- Class-0 header ------------------------------------------------------------

// Writes class, channel and client id, kind 0 and length 0. The reader
// touches the kind and length words only when asked for them.
void zmqxWriteHeader(uint8_t* message, uint8_t messageClass, uint32_t channelId, uint32_t clientId);
void zmqxSetKind(uint8_t* message, uint32_t kind);
void zmqxSetBodyLength(uint8_t* message, uint32_t length);
void zmqxReadHeader(const uint8_t* message, uint8_t* messageClass, uint32_t* channelId, uint32_t* clientId,
                    uint32_t* kind, uint32_t* length);
// The size of the message from its first bytes (at least the header for
// class 0): 14 for class 1, 27 for class 2, otherwise 17 + the length word.
// 64-bit so that no length word overflows it.
uint64_t zmqxMessageSize(const uint8_t* message);

// ---- Class-0 kinds -----------------------------------------------------------
//
// Each writer completes a message whose header is written: it sets the body
// length and the kind and fills the body. Results: the whole message size,
// or -1 (nothing written) when the texts would make it longer than
// ZMQX_MAX_MESSAGE. Each reader takes the whole message (header length
// bytes held) and fills the out-pointers that are not null; texts point
// into the message. Readers of texts give -1 when a text does not end
// inside the body, else 0.

int zmqxWriteAvatar(uint8_t* message, const char* nickname, const char* avatarFile);
int zmqxReadAvatar(const uint8_t* message, const char** nickname, const char** avatarFile);

int zmqxWriteClientId(uint8_t* message, uint32_t clientId);
void zmqxReadClientId(const uint8_t* message, uint32_t* clientId);

// comment null: no comment (an empty one is still sent as a NUL).
int zmqxWriteAddObjects(uint8_t* message, ZmId firstId, ZmId lastId, const char* url, const char* comment);
// *comment is null when the message has none.
int zmqxReadAddObjects(const uint8_t* message, ZmId* firstId, ZmId* lastId, const char** url,
                       const char** comment);

// Kinds 3 and 4 carry one object id.
int zmqxWriteObjectId(uint8_t* message, uint32_t kind, ZmId objectId);
void zmqxReadObjectId(const uint8_t* message, ZmId* objectId);

int zmqxWriteUnused(uint8_t* message, uint32_t first, uint32_t second, const char* text);
int zmqxReadUnused(const uint8_t* message, uint32_t* first, uint32_t* second, const char** text);

int zmqxWriteLeave(uint8_t* message, uint8_t reason);
int zmqxWriteMaster(uint8_t* message, uint8_t master);
// The byte of a kind-7 or kind-8 message.
uint8_t zmqxReadByte(const uint8_t* message);

// ---- Kind 6: object messages ----------------------------------------------------

// The base the sub-kind writers complete: object id, sub-kind 0, destination
// flag 1, length 9. Returns the message size.
int zmqxWriteObjectMessage(uint8_t* message, ZmId objectId);
void zmqxReadObjectMessage(const uint8_t* message, ZmId* objectId, uint32_t* subKind, uint8_t* destination);

int zmqxWriteRotTrans(uint8_t* message, const ZmRT* matrix);  // flag 1
void zmqxReadRotTrans(const uint8_t* message, ZmRT* matrix);
int zmqxWriteChatText(uint8_t* message, const char* text);  // flag 0
int zmqxReadChatText(const uint8_t* message, const char** text);
int zmqxWriteApplEvent(uint8_t* message, uint32_t eventMask, const char* text);  // flag 0
int zmqxReadApplEvent(const uint8_t* message, uint32_t* eventMask, const char** text);
int zmqxWriteApplSpecific(uint8_t* message, const char* procedure, const char* userData, uint8_t destination);
int zmqxReadApplSpecific(const uint8_t* message, const char** procedure, const char** userData);

// ---- Classes 1 and 2 -----------------------------------------------------------

// step: 1 next posture, 255 previous. Returns ZMQX_POSTURE_SIZE.
int zmqxWritePostureStep(uint8_t* message, uint32_t channelId, uint32_t clientId, ZmId objectId, uint8_t step);
void zmqxReadPostureStep(const uint8_t* message, uint32_t* channelId, uint32_t* clientId, ZmId* objectId,
                         uint8_t* step);
// The 16-bit word at 25 is written as 1. Returns ZMQX_POSITION_SIZE.
int zmqxWritePosition(uint8_t* message, uint32_t channelId, uint32_t clientId, ZmId objectId,
                      const ZmVec3* position);
void zmqxReadPosition(const uint8_t* message, uint32_t* channelId, uint32_t* clientId, ZmId* objectId,
                      ZmVec3* position);

#endif
