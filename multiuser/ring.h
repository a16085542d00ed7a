// multiuser/ring.h -- the ring buffer that gathers the server's bytes until a
// whole message is there.
//
// Owns: `zmqxBuffer` (10240 bytes with read and write positions, one byte
// always free so that read = write means empty), the 17-byte scratch copy of
// a class-0 header that wraps past the end, the count of bytes still to be
// dropped from an oversized message, and the size of the message at the head.
// It does not own the socket nor what a message means (multiuser/receive.h).
#ifndef LUMENFOLD_MULTIUSER_RING_H
#define LUMENFOLD_MULTIUSER_RING_H

#include <cstdint>

#include "multiuser/protocol.h"

enum : int32_t { ZMQX_RING_SIZE = 10240 };

// Results of the ring operations.
enum : int {
  ZMQX_RING_FULL = -2,          // zmqxPutData: less free space than bytes
  ZMQX_RING_SHORT = -3,         // zmqxGetData: fewer bytes held than asked
  ZMQX_MESSAGE_INCOMPLETE = -4, // the head message is not all there yet
  ZMQX_BAD_CLASS = -5,          // the head byte is no message class
  ZMQX_TOO_LONG = -6,           // the head message is longer than ZMQX_MAX_MESSAGE
};

struct ZmqxBuffer {
  uint8_t data[ZMQX_RING_SIZE];
  int32_t read;                            // first byte held
  int32_t write;                           // where the next byte goes
  uint8_t scratchHeader[ZMQX_HEADER_SIZE]; // contiguous copy of a wrapping header
  uint64_t discard;                        // bytes of a refused message still to drop on arrival
};

// Empties the ring (positions 0, nothing to drop).
void zmqxResetBuffer(ZmqxBuffer* ring);
int32_t zmqxBufferCount(const ZmqxBuffer* ring);
int32_t zmqxBufferFree(const ZmqxBuffer* ring);  // 10239 - count

// Appends n bytes, first dropping as many as a refused message still owes.
// 0, or ZMQX_RING_FULL (nothing stored) when fewer than the kept bytes fit.
int zmqxPutData(ZmqxBuffer* ring, const uint8_t* bytes, int32_t n);
// Takes n bytes from the head into out; 0 or ZMQX_RING_SHORT.
int zmqxGetData(ZmqxBuffer* ring, uint8_t* out, int32_t n);

/*
 * zmqxMessageSizeAtHead --
 *   The size of the message at the head when all of it is held.
 * Results:
 *   The size; ZMQX_MESSAGE_INCOMPLETE while bytes are missing;
 *   ZMQX_BAD_CLASS for a head byte that is no class; ZMQX_TOO_LONG as soon
 *   as a class-0 header announces more than ZMQX_MAX_MESSAGE bytes (without
 *   waiting for them).
 * Side effects:
 *   A header that wraps is copied into the scratch header; *header, when
 *   not null, points at a contiguous copy of the head's first bytes (the
 *   header for class 0).
 */
int64_t zmqxMessageSizeAtHead(ZmqxBuffer* ring, const uint8_t** header);

// Drops the refused message at the head: what is held now, and the rest as
// it arrives. `size` is what zmqxMessageSize gave for its header.
void zmqxDiscardHead(ZmqxBuffer* ring, uint64_t size);

#endif
