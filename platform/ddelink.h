// platform/ddelink.h -- the transport of conversations between programs:
// the runtime folder where each program that serves names listens on a
// Unix-domain socket, the frames that carry connects and transactions, and
// the streams that carry one conversation each.
//
// Owns: the program's listening socket (its file "<pid>.sock" in the
// folder), the incoming streams and their partial frames, and the client
// side's synchronous exchanges. It does not own conversations, instances or
// callbacks (ddeml.cpp decides what a frame means).
//
// The folder is $LUMENFOLD_HOME/dde when LUMENFOLD_HOME is set (a test's
// private world), else $XDG_RUNTIME_DIR/lumenfold-dde, else
// "lumenfold-dde-<uid>" in the temporary folder ($TEMP, $TMPDIR, /tmp); it
// is made with mode 0700 and refused when another user owns it or others
// may enter it. A socket path too long for the system leaves the program
// without a listener: conversations within the program still work.
//
// Internal to the platform layer; everything runs on the program's thread.
#ifndef LUMENFOLD_PLATFORM_DDELINK_H
#define LUMENFOLD_PLATFORM_DDELINK_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::dde {

enum class FrameKind : uint8_t {
  Connect = 1,     // service, topic
  Accept = 2,      // the connect was taken
  Refuse = 3,      // no server took it
  Transact = 4,    // sequence, type, format, item, data
  Reply = 5,       // sequence, result, format, data (when hasData)
  Disconnect = 6,  // the client ends the conversation
};

// The largest frame payload accepted: the two names, an item and its data
// that the program exchanges are each at most a few hundred bytes (a URL,
// a file name, a short answer). A stream announcing a larger frame is
// broken off, so that no stream holds more than one frame's bytes.
constexpr uint32_t kLargestFramePayload = 8u << 10;
// The most incoming streams served at once; further ones are closed as
// they come.
constexpr size_t kMostIncomingStreams = 32;

struct Frame {
  FrameKind kind = FrameKind::Refuse;
  uint32_t sequence = 0;
  uint32_t type = 0;
  uint32_t format = 0;
  uint32_t result = 0;
  bool hasData = false;
  std::string service, topic, item;
  std::vector<uint8_t> data;
};

// The server side's view of the streams other programs opened. `frame` is
// called for each whole frame and fills *reply when it returns true;
// `closed` when the peer closed the stream (not when closeIncoming did).
struct IncomingHandlers {
  std::function<bool(int stream, const Frame& frame, Frame* reply)> frame;
  std::function<void(int stream)> closed;
};

// Starts listening (once; later calls keep the first handlers). False when
// the folder or the socket cannot be had.
bool startListening(IncomingHandlers handlers);
// Stops listening, removes the socket file and closes the incoming streams.
void stopListening();
// Closes one incoming stream: the server ends the conversation.
void closeIncoming(int stream);

// Offers `connect` to the other programs that listen, oldest socket first,
// each waiting at most `timeoutMs`. The stream of the first that accepts,
// or -1. Sockets of programs that have gone are removed.
int connectToPeer(const Frame& connect, uint32_t timeoutMs);
// Sends `request` and waits at most `timeoutMs` for the reply of its
// sequence (earlier replies are dropped). False on time-out or a broken
// stream.
bool exchange(int stream, const Frame& request, Frame* reply, uint32_t timeoutMs);
// Sends `last` (when given) and closes the stream.
void closeOutgoing(int stream, const Frame* last);
// Reads and drops what waits on an idle outgoing stream; false when the
// peer has closed it.
bool drainOutgoing(int stream);

// The runtime folder, with no trailing '/'; empty when it cannot be had.
std::string runtimeFolder();

}  // namespace platform::dde

#endif
