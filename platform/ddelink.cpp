// platform/ddelink.cpp -- conversations between programs over Unix-domain
// sockets; see ddelink.h.
//
// A frame on a stream is its payload's length (4 bytes, this machine's
// order: both ends run here) and the payload: kind, sequence, type, format,
// result, hasData, then service, topic, item and data, each a 4-byte length
// and its bytes. Sockets stay blocking for writes (with a send time-out, so
// a peer that stops reading cannot hold the program) and are read without
// blocking, so the message loop never waits on a peer.
#include "platform/ddelink.h"

#include <dirent.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>

#include "platform/ddestate.h"
#include "platform/tclloop.h"

namespace platform::dde {
namespace {

constexpr size_t kHeader = 4;
constexpr size_t kLargestFrame = kHeader + kLargestFramePayload;
constexpr int kSendTimeoutSeconds = 2;
// Reads of one drain of an outgoing stream.
constexpr int kDrainTurns = 16;


// ---------------------------------------------------------------- frames

void put32(std::string& out, uint32_t value) { out.append(reinterpret_cast<const char*>(&value), 4); }

void putBytes(std::string& out, const void* bytes, size_t size) {
  put32(out, static_cast<uint32_t>(size));
  out.append(static_cast<const char*>(bytes), size);
}

std::string encode(const Frame& frame) {
  std::string payload;
  payload += static_cast<char>(frame.kind);
  put32(payload, frame.sequence);
  put32(payload, frame.type);
  put32(payload, frame.format);
  put32(payload, frame.result);
  payload += static_cast<char>(frame.hasData ? 1 : 0);
  putBytes(payload, frame.service.data(), frame.service.size());
  putBytes(payload, frame.topic.data(), frame.topic.size());
  putBytes(payload, frame.item.data(), frame.item.size());
  putBytes(payload, frame.data.data(), frame.data.size());
  std::string wire;
  put32(wire, static_cast<uint32_t>(payload.size()));
  return wire + payload;
}

// Reads fields off a payload; any read past its end leaves `ok` false.
struct Reader {
  const char* at;
  size_t left;
  bool ok = true;

  bool take(void* out, size_t size) {
    if (!ok || size > left) return ok = false;
    std::memcpy(out, at, size);
    at += size;
    left -= size;
    return true;
  }
  uint32_t u32() {
    uint32_t value = 0;
    take(&value, 4);
    return value;
  }
  uint8_t u8() {
    uint8_t value = 0;
    take(&value, 1);
    return value;
  }
  std::string text() {
    const uint32_t size = u32();
    if (!ok || size > left) {
      ok = false;
      return {};
    }
    std::string value(at, size);
    at += size;
    left -= size;
    return value;
  }
};

bool decode(const std::string& payload, Frame* frame) {
  Reader in{payload.data(), payload.size()};
  frame->kind = static_cast<FrameKind>(in.u8());
  frame->sequence = in.u32();
  frame->type = in.u32();
  frame->format = in.u32();
  frame->result = in.u32();
  frame->hasData = in.u8() != 0;
  frame->service = in.text();
  frame->topic = in.text();
  frame->item = in.text();
  const std::string data = in.text();
  frame->data.assign(data.begin(), data.end());
  return in.ok && in.left == 0;
}

enum class Cut { Whole, Partial, Broken };

// Takes the first whole frame off the front of `buffer`.
Cut cutFrame(std::string& buffer, Frame* frame) {
  if (buffer.size() < kHeader) return Cut::Partial;
  uint32_t size = 0;
  std::memcpy(&size, buffer.data(), kHeader);
  if (size > kLargestFramePayload) return Cut::Broken;
  if (buffer.size() < kHeader + size) return Cut::Partial;
  const std::string payload = buffer.substr(kHeader, size);
  buffer.erase(0, kHeader + size);
  return decode(payload, frame) ? Cut::Whole : Cut::Broken;
}

// ---------------------------------------------------------------- sockets

uint64_t nowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uint64_t(now.tv_sec) * 1000 + uint64_t(now.tv_nsec) / 1000000;
}

bool writeAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += size_t(n);
  }
  return true;
}

enum class Read { Data, Nothing, Closed };

// Appends what waits on the socket, without blocking, but never more than
// completes the largest frame: a buffer holds at most one frame, because
// whole frames are cut off it before the next read and a header announcing
// a larger one breaks the stream.
Read readAvailable(int fd, std::string& buffer) {
  char chunk[kLargestFrame];
  const size_t room = buffer.size() < kLargestFrame ? kLargestFrame - buffer.size() : 0;
  if (room == 0) return Read::Closed;  // a full buffer that holds no frame is broken
  const ssize_t n = recv(fd, chunk, room, MSG_DONTWAIT);
  if (n > 0) {
    buffer.append(chunk, size_t(n));
    return Read::Data;
  }
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return Read::Nothing;
  return Read::Closed;
}

// Waits until `deadline` for the next whole frame on an outgoing stream.
bool readFrame(int fd, uint64_t deadline, Frame* frame) {
  Links& links = exchangeState().links;
  std::string& buffer = links.outgoing[fd];
  for (;;) {
    switch (cutFrame(buffer, frame)) {
      case Cut::Whole: return true;
      case Cut::Broken: return false;
      case Cut::Partial: break;
    }
    const uint64_t now = nowMs();
    if (now >= deadline) return false;
    pollfd wait{fd, POLLIN, 0};
    const int ready = poll(&wait, 1, int(std::min<uint64_t>(deadline - now, 60000)));
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0 && readAvailable(fd, buffer) == Read::Closed) return false;
  }
}

int openSocket() {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  timeval limit{kSendTimeoutSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  return fd;
}

bool fillAddress(const std::string& path, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// ---------------------------------------------------------------- the folder

std::string temporaryFolder() {
  for (const char* name : {"TEMP", "TMPDIR"})
    if (const char* value = std::getenv(name); value != nullptr && value[0] != '\0') return value;
  return "/tmp";
}

// Makes the folder when missing; true when it is this user's alone.
bool privateFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info{};
  if (lstat(folder.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

// The sockets of the other programs, oldest first.
std::vector<std::string> peerSockets(const std::string& folder) {
  std::vector<std::pair<timespec, std::string>> found;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return {};
  const std::string own = std::to_string(getpid()) + ".sock";
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == own || name.size() <= 5 || name.compare(name.size() - 5, 5, ".sock") != 0) continue;
    struct stat info{};
    const std::string path = folder + "/" + name;
    if (lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) found.emplace_back(info.st_mtim, path);
  }
  closedir(dir);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first.tv_sec != b.first.tv_sec ? a.first.tv_sec < b.first.tv_sec : a.first.tv_nsec < b.first.tv_nsec;
  });
  std::vector<std::string> paths;
  for (auto& entry : found) paths.push_back(std::move(entry.second));
  return paths;
}

// A stream to the program listening at `path`; -1 when none listens there
// (the socket of a program that has gone is removed).
int dialPeer(const std::string& path) {
  sockaddr_un address;
  if (!fillAddress(path, &address)) return -1;
  const int fd = openSocket();
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  if (errno == ECONNREFUSED) unlink(path.c_str());
  close(fd);
  return -1;
}

// ---------------------------------------------------------------- serving

void dropIncoming(int stream) {
  Links& links = exchangeState().links;
  if (links.listener.incoming.erase(stream) == 0) return;
  unwatchFd(stream);
  close(stream);
}

// Handles every whole frame that has arrived on an incoming stream. The
// handler may close the stream or stop the listener: each turn looks again.
void serveStream(int stream) {
  Links& links = exchangeState().links;
  auto found = links.listener.incoming.find(stream);
  if (found == links.listener.incoming.end()) return;
  if (readAvailable(stream, found->second) == Read::Closed) {
    auto closed = links.listener.handlers.closed;
    dropIncoming(stream);
    if (closed) closed(stream);
    return;
  }
  for (;;) {
    found = links.listener.incoming.find(stream);
    if (found == links.listener.incoming.end()) return;
    Frame frame;
    const Cut cut = cutFrame(found->second, &frame);
    if (cut == Cut::Partial) return;
    if (cut == Cut::Broken) {
      auto closed = links.listener.handlers.closed;
      dropIncoming(stream);
      if (closed) closed(stream);
      return;
    }
    Frame reply;
    auto handle = links.listener.handlers.frame;
    if (handle && handle(stream, frame, &reply) && links.listener.incoming.count(stream) != 0)
      writeAll(stream, encode(reply));
  }
}

void acceptStream(int listening) {
  Links& links = exchangeState().links;
  const int stream = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
  if (stream < 0) return;
  // Past the most streams a new one is closed at once rather than left
  // waiting: each holds a buffer, and a local program could open thousands.
  if (links.listener.incoming.size() >= kMostIncomingStreams) {
    close(stream);
    return;
  }
  timeval limit{kSendTimeoutSeconds, 0};
  setsockopt(stream, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  links.listener.incoming[stream] = std::string();
  watchFd(stream, [](int fd, unsigned) { serveStream(fd); });
}

}  // namespace

std::string runtimeFolder() {
  std::string folder;
  if (const char* home = std::getenv("LUMENFOLD_HOME"); home != nullptr && home[0] != '\0') {
    mkdir(home, 0700);
    folder = std::string(home) + "/dde";
  } else if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run != nullptr && run[0] != '\0') {
    folder = std::string(run) + "/lumenfold-dde";
  } else {
    folder = temporaryFolder() + "/lumenfold-dde-" + std::to_string(getuid());
  }
  return privateFolder(folder) ? folder : std::string();
}

bool startListening(IncomingHandlers handlers) {
  Links& links = exchangeState().links;
  if (links.listener.fd >= 0) return true;
  const std::string folder = runtimeFolder();
  if (folder.empty()) return false;
  const std::string path = folder + "/" + std::to_string(getpid()) + ".sock";
  sockaddr_un address;
  if (!fillAddress(path, &address)) return false;
  const int fd = openSocket();
  if (fd < 0) return false;
  unlink(path.c_str());
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 16) != 0) {
    close(fd);
    return false;
  }
  links.listener.fd = fd;
  links.listener.path = path;
  links.listener.handlers = std::move(handlers);
  watchFd(fd, [](int listening, unsigned) { acceptStream(listening); });
  return true;
}

void stopListening() {
  Links& links = exchangeState().links;
  if (links.listener.fd < 0) return;
  unwatchFd(links.listener.fd);
  close(links.listener.fd);
  unlink(links.listener.path.c_str());
  while (!links.listener.incoming.empty()) dropIncoming(links.listener.incoming.begin()->first);
  links.listener = Listener{};
}

void closeIncoming(int stream) { dropIncoming(stream); }

int connectToPeer(const Frame& connect, uint32_t timeoutMs) {
  Links& links = exchangeState().links;
  const std::string folder = runtimeFolder();
  if (folder.empty()) return -1;
  for (const std::string& path : peerSockets(folder)) {
    const int stream = dialPeer(path);
    if (stream < 0) continue;
    links.outgoing[stream] = std::string();
    Frame answer;
    if (writeAll(stream, encode(connect)) && readFrame(stream, nowMs() + timeoutMs, &answer) &&
        answer.kind == FrameKind::Accept)
      return stream;
    links.outgoing.erase(stream);
    close(stream);
  }
  return -1;
}

bool exchange(int stream, const Frame& request, Frame* reply, uint32_t timeoutMs) {
  if (!writeAll(stream, encode(request))) return false;
  const uint64_t deadline = nowMs() + timeoutMs;
  Frame answer;
  while (readFrame(stream, deadline, &answer)) {
    if (answer.kind == FrameKind::Reply && answer.sequence == request.sequence) {
      *reply = std::move(answer);
      return true;
    }
  }
  return false;
}

void closeOutgoing(int stream, const Frame* last) {
  Links& links = exchangeState().links;
  if (last != nullptr) writeAll(stream, encode(*last));
  links.outgoing.erase(stream);
  close(stream);
}

bool drainOutgoing(int stream) {
  Links& links = exchangeState().links;
  std::string& buffer = links.outgoing[stream];
  // Whatever waits is a late reply to a transaction that gave up on it. It
  // is cut off as it comes, so that a peer that floods the stream is not
  // kept in memory, and the rest waits for the next drain, so that it
  // cannot hold the caller either.
  for (int turn = 0; turn < kDrainTurns; ++turn) {
    const Read read = readAvailable(stream, buffer);
    Frame late;
    Cut cut;
    while ((cut = cutFrame(buffer, &late)) == Cut::Whole) {
    }
    if (read == Read::Closed || cut == Cut::Broken) return false;
    if (read == Read::Nothing) return true;
  }
  return true;
}

}  // namespace platform::dde
