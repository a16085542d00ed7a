// multiuser/protocol.cpp -- the wire records; see protocol.h.
#include "multiuser/protocol.h"

#include <cmath>
#include <cstring>

namespace {

// Offsets of the class-0 header and of the bodies.
constexpr int kClassAt = 0, kChannelAt = 1, kClientAt = 5, kKindAt = 9, kLengthAt = 13;
constexpr int kBodyAt = ZMQX_HEADER_SIZE;
constexpr int kSubKindAt = 21, kDestinationAt = 25;
constexpr uint32_t kObjectBaseLength = 9;  // object id, sub-kind, destination flag

// Sets length and kind; -1 when the message would pass the limit.
int beginBody(uint8_t* message, uint32_t kind, uint64_t length) {
  if (ZMQX_HEADER_SIZE + length > uint64_t(ZMQX_MAX_MESSAGE)) return -1;
  zmqxSetBodyLength(message, uint32_t(length));
  zmqxSetKind(message, kind);
  return ZMQX_HEADER_SIZE + int(length);
}

// Copies a text with its NUL; the position after it.
uint8_t* putText(uint8_t* at, const char* text) {
  const size_t size = std::strlen(text) + 1;
  std::memcpy(at, text, size);
  return at + size;
}

const uint8_t* bodyEnd(const uint8_t* message) {
  return message + ZMQX_HEADER_SIZE + zmqxGetWord(message + kLengthAt);
}

// The text at `at` when its NUL lies before `end`; the position after the
// NUL in *next. Null when the text runs to the end.
const char* takeText(const uint8_t* at, const uint8_t* end, const uint8_t** next) {
  if (at >= end) return nullptr;
  const void* nul = std::memchr(at, 0, size_t(end - at));
  if (nul == nullptr) return nullptr;
  *next = static_cast<const uint8_t*>(nul) + 1;
  return reinterpret_cast<const char*>(at);
}

template <typename T>
void store(T* out, T value) {
  if (out != nullptr) *out = value;
}

// Completes a kind-6 message: sub-kind, destination flag and the length of
// the base plus the payload; -1 past the limit.
int beginObjectPayload(uint8_t* message, uint32_t subKind, uint8_t destination, uint64_t payload) {
  const int size = beginBody(message, ZMQX_KIND_OBJECT, kObjectBaseLength + payload);
  if (size < 0) return -1;
  zmqxPutWord(message + kSubKindAt, subKind);
  message[kDestinationAt] = destination;
  return size;
}

}  // namespace

// ---- Words and fixed point ---------------------------------------------------

void zmqxPutWord(uint8_t* at, uint32_t value) {
  at[0] = uint8_t(value >> 24);
  at[1] = uint8_t(value >> 16);
  at[2] = uint8_t(value >> 8);
  at[3] = uint8_t(value);
}

uint32_t zmqxGetWord(const uint8_t* at) {
  return uint32_t(at[0]) << 24 | uint32_t(at[1]) << 16 | uint32_t(at[2]) << 8 | uint32_t(at[3]);
}

int32_t zmqxFloatToFixed(float value) {
  // 16.16 on the wire, but scaled by 65535: the peer divides by 65536.
  const double scaled = std::trunc(double(value) * 65535.0);
  if (std::isnan(scaled)) return 0;
  if (scaled >= 2147483647.0) return INT32_MAX;
  if (scaled <= -2147483648.0) return INT32_MIN;
  return int32_t(scaled);
}

float zmqxFixedToFloat(int32_t word) { return float(double(word) / 65536.0); }

// ---- Handshake -----------------------------------------------------------------

void zmqxWriteClientHello(uint8_t* buffer) {
  std::memcpy(buffer, "hello", 5);
  buffer[5] = 1;
  buffer[6] = 1;
}

int zmqxReadClientHello(const uint8_t* buffer) { return std::memcmp(buffer, "hello", 5) == 0 ? 0 : -1; }

void zmqxWriteServerHello(uint8_t* buffer, uint32_t helloId, uint32_t channelId) {
  std::memcpy(buffer, "hello", 6);
  zmqxPutWord(buffer + 6, helloId);
  zmqxPutWord(buffer + 10, channelId);
}

int zmqxReadServerHello(const uint8_t* buffer, uint32_t* helloId, uint32_t* channelId) {
  store(helloId, zmqxGetWord(buffer + 6));
  store(channelId, zmqxGetWord(buffer + 10));
  return std::memcmp(buffer, "hello", 6) == 0 ? 0 : -1;
}

void zmqxWriteServerReject(uint8_t* buffer, uint8_t reason) {
  std::memset(buffer, 0, ZMQX_SERVER_HELLO_SIZE);
  std::memcpy(buffer, "reject", 6);
  buffer[6] = reason;
}

int zmqxIsServerReject(const uint8_t* buffer) { return std::memcmp(buffer, "reject", 6) == 0 ? 1 : 0; }

// ---- Class-0 header ------------------------------------------------------------

void zmqxWriteHeader(uint8_t* message, uint8_t messageClass, uint32_t channelId, uint32_t clientId) {
  message[kClassAt] = messageClass;
  zmqxPutWord(message + kChannelAt, channelId);
  zmqxPutWord(message + kClientAt, clientId);
  zmqxPutWord(message + kKindAt, 0);
  zmqxPutWord(message + kLengthAt, 0);
}

void zmqxSetKind(uint8_t* message, uint32_t kind) { zmqxPutWord(message + kKindAt, kind); }

void zmqxSetBodyLength(uint8_t* message, uint32_t length) { zmqxPutWord(message + kLengthAt, length); }

void zmqxReadHeader(const uint8_t* message, uint8_t* messageClass, uint32_t* channelId, uint32_t* clientId,
                    uint32_t* kind, uint32_t* length) {
  store(messageClass, message[kClassAt]);
  store(channelId, zmqxGetWord(message + kChannelAt));
  store(clientId, zmqxGetWord(message + kClientAt));
  // A class-1 message ends before the length word: read only what is asked.
  if (kind != nullptr) *kind = zmqxGetWord(message + kKindAt);
  if (length != nullptr) *length = zmqxGetWord(message + kLengthAt);
}

uint64_t zmqxMessageSize(const uint8_t* message) {
  switch (message[kClassAt]) {
    case ZMQX_CLASS_POSTURE: return ZMQX_POSTURE_SIZE;
    case ZMQX_CLASS_POSITION: return ZMQX_POSITION_SIZE;
    default: return ZMQX_HEADER_SIZE + uint64_t(zmqxGetWord(message + kLengthAt));
  }
}

// ---- Class-0 kinds -----------------------------------------------------------

int zmqxWriteAvatar(uint8_t* message, const char* nickname, const char* avatarFile) {
  const int size =
      beginBody(message, ZMQX_KIND_AVATAR, uint64_t(std::strlen(nickname)) + std::strlen(avatarFile) + 2);
  if (size < 0) return -1;
  putText(putText(message + kBodyAt, nickname), avatarFile);
  return size;
}

int zmqxReadAvatar(const uint8_t* message, const char** nickname, const char** avatarFile) {
  const uint8_t* end = bodyEnd(message);
  const uint8_t* next = nullptr;
  const char* first = takeText(message + kBodyAt, end, &next);
  const char* second = first ? takeText(next, end, &next) : nullptr;
  if (second == nullptr) return -1;
  store(nickname, first);
  store(avatarFile, second);
  return 0;
}

int zmqxWriteClientId(uint8_t* message, uint32_t clientId) {
  const int size = beginBody(message, ZMQX_KIND_CLIENT_ID, 4);
  zmqxPutWord(message + kBodyAt, clientId);
  return size;
}

void zmqxReadClientId(const uint8_t* message, uint32_t* clientId) { store(clientId, zmqxGetWord(message + kBodyAt)); }

int zmqxWriteAddObjects(uint8_t* message, ZmId firstId, ZmId lastId, const char* url, const char* comment) {
  uint64_t length = 8 + uint64_t(std::strlen(url)) + 1;
  if (comment != nullptr) length += std::strlen(comment) + 1;
  const int size = beginBody(message, ZMQX_KIND_ADD_OBJECTS, length);
  if (size < 0) return -1;
  zmqxPutWord(message + kBodyAt, uint32_t(firstId));
  zmqxPutWord(message + kBodyAt + 4, uint32_t(lastId));
  uint8_t* next = putText(message + kBodyAt + 8, url);
  if (comment != nullptr) putText(next, comment);
  return size;
}

int zmqxReadAddObjects(const uint8_t* message, ZmId* firstId, ZmId* lastId, const char** url,
                       const char** comment) {
  const uint8_t* end = bodyEnd(message);
  const uint8_t* next = nullptr;
  if (end < message + kBodyAt + 8) return -1;
  const char* address = takeText(message + kBodyAt + 8, end, &next);
  if (address == nullptr) return -1;
  // A comment is there exactly when the URL's NUL ends short of the body.
  const char* remark = nullptr;
  if (next < end && (remark = takeText(next, end, &next)) == nullptr) return -1;
  store(firstId, ZmId(zmqxGetWord(message + kBodyAt)));
  store(lastId, ZmId(zmqxGetWord(message + kBodyAt + 4)));
  store(url, address);
  store(comment, remark);
  return 0;
}

int zmqxWriteObjectId(uint8_t* message, uint32_t kind, ZmId objectId) {
  const int size = beginBody(message, kind, 4);
  zmqxPutWord(message + kBodyAt, uint32_t(objectId));
  return size;
}

void zmqxReadObjectId(const uint8_t* message, ZmId* objectId) { store(objectId, ZmId(zmqxGetWord(message + kBodyAt))); }

int zmqxWriteUnused(uint8_t* message, uint32_t first, uint32_t second, const char* text) {
  const int size = beginBody(message, ZMQX_KIND_UNUSED, 8 + uint64_t(std::strlen(text)) + 1);
  if (size < 0) return -1;
  zmqxPutWord(message + kBodyAt, first);
  zmqxPutWord(message + kBodyAt + 4, second);
  putText(message + kBodyAt + 8, text);
  return size;
}

int zmqxReadUnused(const uint8_t* message, uint32_t* first, uint32_t* second, const char** text) {
  const uint8_t* end = bodyEnd(message);
  const uint8_t* next = nullptr;
  const char* found = end >= message + kBodyAt + 8 ? takeText(message + kBodyAt + 8, end, &next) : nullptr;
  if (found == nullptr) return -1;
  store(first, zmqxGetWord(message + kBodyAt));
  store(second, zmqxGetWord(message + kBodyAt + 4));
  store(text, found);
  return 0;
}

int zmqxWriteLeave(uint8_t* message, uint8_t reason) {
  const int size = beginBody(message, ZMQX_KIND_LEAVE, 1);
  message[kBodyAt] = reason;
  return size;
}

int zmqxWriteMaster(uint8_t* message, uint8_t master) {
  const int size = beginBody(message, ZMQX_KIND_MASTER, 1);
  message[kBodyAt] = master;
  return size;
}

uint8_t zmqxReadByte(const uint8_t* message) { return message[kBodyAt]; }

// ---- Kind 6 ----------------------------------------------------------------------

int zmqxWriteObjectMessage(uint8_t* message, ZmId objectId) {
  const int size = beginObjectPayload(message, ZMQX_SUB_TRANS, 1, 0);
  zmqxPutWord(message + kBodyAt, uint32_t(objectId));
  return size;
}

void zmqxReadObjectMessage(const uint8_t* message, ZmId* objectId, uint32_t* subKind, uint8_t* destination) {
  store(objectId, ZmId(zmqxGetWord(message + kBodyAt)));
  store(subKind, zmqxGetWord(message + kSubKindAt));
  store(destination, message[kDestinationAt]);
}

int zmqxWriteRotTrans(uint8_t* message, const ZmRT* matrix) {
  const int size = beginObjectPayload(message, ZMQX_SUB_ROT_TRANS, 1, 48);
  const float values[12] = {matrix->m[0], matrix->m[1], matrix->m[2], matrix->m[3], matrix->m[4], matrix->m[5],
                            matrix->m[6], matrix->m[7], matrix->m[8], matrix->t.x,  matrix->t.y,  matrix->t.z};
  for (int i = 0; i < 12; ++i) zmqxPutWord(message + ZMQX_OBJECT_PAYLOAD + 4 * i, uint32_t(zmqxFloatToFixed(values[i])));
  return size;
}

void zmqxReadRotTrans(const uint8_t* message, ZmRT* matrix) {
  float values[12];
  for (int i = 0; i < 12; ++i) values[i] = zmqxFixedToFloat(int32_t(zmqxGetWord(message + ZMQX_OBJECT_PAYLOAD + 4 * i)));
  std::memcpy(matrix->m, values, sizeof matrix->m);
  matrix->t = {values[9], values[10], values[11]};
}

int zmqxWriteChatText(uint8_t* message, const char* text) {
  const int size = beginObjectPayload(message, ZMQX_SUB_CHAT, 0, uint64_t(std::strlen(text)) + 1);
  if (size >= 0) putText(message + ZMQX_OBJECT_PAYLOAD, text);
  return size;
}

int zmqxReadChatText(const uint8_t* message, const char** text) {
  const uint8_t* next = nullptr;
  const char* found = takeText(message + ZMQX_OBJECT_PAYLOAD, bodyEnd(message), &next);
  if (found == nullptr) return -1;
  store(text, found);
  return 0;
}

int zmqxWriteApplEvent(uint8_t* message, uint32_t eventMask, const char* text) {
  const int size = beginObjectPayload(message, ZMQX_SUB_APPL_EVENT, 0, 4 + uint64_t(std::strlen(text)) + 1);
  if (size < 0) return -1;
  zmqxPutWord(message + ZMQX_OBJECT_PAYLOAD, eventMask);
  putText(message + ZMQX_OBJECT_PAYLOAD + 4, text);
  return size;
}

int zmqxReadApplEvent(const uint8_t* message, uint32_t* eventMask, const char** text) {
  const uint8_t* end = bodyEnd(message);
  const uint8_t* next = nullptr;
  const uint8_t* textAt = message + ZMQX_OBJECT_PAYLOAD + 4;
  const char* found = takeText(textAt, end, &next);
  if (found == nullptr) return -1;
  store(eventMask, zmqxGetWord(message + ZMQX_OBJECT_PAYLOAD));
  store(text, found);
  return 0;
}

int zmqxWriteApplSpecific(uint8_t* message, const char* procedure, const char* userData, uint8_t destination) {
  const uint64_t payload = uint64_t(std::strlen(procedure)) + std::strlen(userData) + 2;
  const int size = beginObjectPayload(message, ZMQX_SUB_APPL_SPECIFIC, destination, payload);
  if (size >= 0) putText(putText(message + ZMQX_OBJECT_PAYLOAD, procedure), userData);
  return size;
}

int zmqxReadApplSpecific(const uint8_t* message, const char** procedure, const char** userData) {
  const uint8_t* end = bodyEnd(message);
  const uint8_t* next = nullptr;
  const char* name = takeText(message + ZMQX_OBJECT_PAYLOAD, end, &next);
  const char* data = name ? takeText(next, end, &next) : nullptr;
  if (data == nullptr) return -1;
  store(procedure, name);
  store(userData, data);
  return 0;
}

// ---- Classes 1 and 2 -----------------------------------------------------------

int zmqxWritePostureStep(uint8_t* message, uint32_t channelId, uint32_t clientId, ZmId objectId, uint8_t step) {
  message[kClassAt] = ZMQX_CLASS_POSTURE;
  zmqxPutWord(message + kChannelAt, channelId);
  zmqxPutWord(message + kClientAt, clientId);
  zmqxPutWord(message + 9, uint32_t(objectId));
  message[13] = step;
  return ZMQX_POSTURE_SIZE;
}

void zmqxReadPostureStep(const uint8_t* message, uint32_t* channelId, uint32_t* clientId, ZmId* objectId,
                         uint8_t* step) {
  store(channelId, zmqxGetWord(message + kChannelAt));
  store(clientId, zmqxGetWord(message + kClientAt));
  store(objectId, ZmId(zmqxGetWord(message + 9)));
  store(step, message[13]);
}

int zmqxWritePosition(uint8_t* message, uint32_t channelId, uint32_t clientId, ZmId objectId,
                      const ZmVec3* position) {
  message[kClassAt] = ZMQX_CLASS_POSITION;
  zmqxPutWord(message + kChannelAt, channelId);
  zmqxPutWord(message + kClientAt, clientId);
  zmqxPutWord(message + 9, uint32_t(objectId));
  zmqxPutWord(message + 13, uint32_t(zmqxFloatToFixed(position->x)));
  zmqxPutWord(message + 17, uint32_t(zmqxFloatToFixed(position->y)));
  zmqxPutWord(message + 21, uint32_t(zmqxFloatToFixed(position->z)));
  message[25] = 0;
  message[26] = 1;
  return ZMQX_POSITION_SIZE;
}

void zmqxReadPosition(const uint8_t* message, uint32_t* channelId, uint32_t* clientId, ZmId* objectId,
                      ZmVec3* position) {
  store(channelId, zmqxGetWord(message + kChannelAt));
  store(clientId, zmqxGetWord(message + kClientAt));
  store(objectId, ZmId(zmqxGetWord(message + 9)));
  if (position != nullptr) {
    *position = {zmqxFixedToFloat(int32_t(zmqxGetWord(message + 13))),
                 zmqxFixedToFloat(int32_t(zmqxGetWord(message + 17))),
                 zmqxFixedToFloat(int32_t(zmqxGetWord(message + 21)))};
  }
}
