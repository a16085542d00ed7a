// multiuser/ring.cpp -- the receive ring; see ring.h.
#include "multiuser/ring.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies n bytes starting at ring position `from` into out, across the end.
void copyOut(const ZmqxBuffer* ring, int32_t from, uint8_t* out, int32_t n) {
  const int32_t first = std::min(n, ZMQX_RING_SIZE - from);
  std::memcpy(out, ring->data + from, size_t(first));
  std::memcpy(out + first, ring->data, size_t(n - first));
}

void advanceRead(ZmqxBuffer* ring, int64_t n) { ring->read = int32_t((ring->read + n) % ZMQX_RING_SIZE); }

}  // namespace

void zmqxResetBuffer(ZmqxBuffer* ring) {
  ring->read = 0;
  ring->write = 0;
  ring->discard = 0;
}

int32_t zmqxBufferCount(const ZmqxBuffer* ring) {
  const int32_t count = ring->write - ring->read;
  return count < 0 ? count + ZMQX_RING_SIZE : count;
}

int32_t zmqxBufferFree(const ZmqxBuffer* ring) { return ZMQX_RING_SIZE - 1 - zmqxBufferCount(ring); }

int zmqxPutData(ZmqxBuffer* ring, const uint8_t* bytes, int32_t n) {
  const int32_t dropped = int32_t(std::min<uint64_t>(ring->discard, uint64_t(n)));
  const int32_t kept = n - dropped;
  if (kept > zmqxBufferFree(ring)) return ZMQX_RING_FULL;
  ring->discard -= uint64_t(dropped);
  bytes += dropped;
  if (zmqxBufferCount(ring) == 0) ring->read = ring->write = 0;
  const int32_t first = std::min(kept, ZMQX_RING_SIZE - ring->write);
  std::memcpy(ring->data + ring->write, bytes, size_t(first));
  std::memcpy(ring->data, bytes + first, size_t(kept - first));
  ring->write = (ring->write + kept) % ZMQX_RING_SIZE;
  return 0;
}

int zmqxGetData(ZmqxBuffer* ring, uint8_t* out, int32_t n) {
  if (n > zmqxBufferCount(ring)) return ZMQX_RING_SHORT;
  copyOut(ring, ring->read, out, n);
  advanceRead(ring, n);
  return 0;
}

int64_t zmqxMessageSizeAtHead(ZmqxBuffer* ring, const uint8_t** header) {
  const int32_t held = zmqxBufferCount(ring);
  if (held < ZMQX_POSTURE_SIZE) return ZMQX_MESSAGE_INCOMPLETE;
  const uint8_t messageClass = ring->data[ring->read];
  if (messageClass > ZMQX_CLASS_POSITION) return ZMQX_BAD_CLASS;
  int32_t headSize = ZMQX_HEADER_SIZE;
  if (messageClass == ZMQX_CLASS_POSTURE) headSize = ZMQX_POSTURE_SIZE;
  if (messageClass == ZMQX_CLASS_POSITION) headSize = ZMQX_POSITION_SIZE;
  if (held < headSize) return ZMQX_MESSAGE_INCOMPLETE;
  // Only a class-0 header is ever read past its class byte before dispatch,
  // so only it needs a contiguous copy when it wraps.
  const uint8_t* head = ring->data + ring->read;
  if (messageClass == ZMQX_CLASS_MESSAGE && ring->read + ZMQX_HEADER_SIZE > ZMQX_RING_SIZE) {
    copyOut(ring, ring->read, ring->scratchHeader, ZMQX_HEADER_SIZE);
    head = ring->scratchHeader;
  }
  if (header != nullptr) *header = head;
  const uint64_t size = zmqxMessageSize(head);
  if (size > uint64_t(ZMQX_MAX_MESSAGE)) return ZMQX_TOO_LONG;
  if (size > uint64_t(held)) return ZMQX_MESSAGE_INCOMPLETE;
  return int64_t(size);
}

void zmqxDiscardHead(ZmqxBuffer* ring, uint64_t size) {
  const int32_t held = zmqxBufferCount(ring);
  const int64_t now = int64_t(std::min<uint64_t>(size, uint64_t(held)));
  advanceRead(ring, now);
  ring->discard = size - uint64_t(now);
}
