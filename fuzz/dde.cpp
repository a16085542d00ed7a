// fuzz/dde.cpp -- bytes another program writes on a stream to the program's
// browser-link socket: cut into frames, turned into connects and
// transactions, and each transaction's item read into its arguments as the
// program's DDE handler reads them.
//
// The service here answers from the item's arguments alone; the program's
// own handlers would act on the files an item names, which a harness must
// not do to the machine it runs on. The bytes are also read as one item,
// into buffers of exactly the size each call is given.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/report.h"
#include "fuzz/harness.h"
#include "loading/ddeserver.h"
#include "platform/ddelink.h"
#include "platform/ddeml.h"
#include "platform/tclloop.h"

namespace {

constexpr int kArgumentsRead = 4;
// Turns of the socket loop an input may take before it is given up.
constexpr int kMostTurns = 200;

DWORD instance = 0;
HSZ service = nullptr;
std::string answer;

std::string textOf(HSZ hsz) {
  char buffer[ZM_DDE_ITEM_SIZE] = "";
  DdeQueryStringA(instance, hsz, buffer, sizeof buffer, CP_WINANSI);
  return buffer;
}

// The item's first arguments read into buffers of exactly `size` bytes:
// what is read must fit, terminator included.
void readArguments(const char* item, size_t size) {
  for (int n = 0; n < kArgumentsRead; ++n) {
    std::unique_ptr<char[]> out(new char[size]);
    if (zmDdeItemArgument(item, n, out.get(), size) && std::strlen(out.get()) >= size) std::abort();
  }
}

HDDEDATA CALLBACK serve(UINT type, UINT, HCONV, HSZ topic, HSZ item, HDDEDATA, ULONG_PTR, ULONG_PTR) {
  switch (type) {
    case XTYP_CONNECT:
      return reinterpret_cast<HDDEDATA>(uintptr_t(item == service));
    case XTYP_REQUEST:
    case XTYP_POKE:
    case XTYP_EXECUTE: {
      const std::string itemText = textOf(item);
      readArguments(itemText.c_str(), ZM_DDE_ITEM_SIZE);
      char first[ZM_DDE_ITEM_SIZE] = "";
      zmDdeItemArgument(itemText.c_str(), 0, first, sizeof first);
      answer = textOf(topic) + ":" + first;
      if (type != XTYP_REQUEST) return reinterpret_cast<HDDEDATA>(uintptr_t(DDE_FACK));
      return DdeCreateDataHandle(instance, reinterpret_cast<LPBYTE>(answer.data()), DWORD(answer.size() + 1), 0, item,
                                 CF_TEXT, 0);
    }
    default:
      return nullptr;
  }
}

void startService() {
  fuzz::adoptPrivateFolderAsHome();
  zmTurnOffFlag(ZM_FLAG_WARNING);
  if (DdeInitializeA(&instance, serve, 0, 0) != DMLERR_NO_ERROR) std::abort();
  service = DdeCreateStringHandleA(instance, "LUMENFOLD", CP_WINANSI);
  if (DdeNameService(instance, service, nullptr, DNS_REGISTER) == nullptr) std::abort();
}

int dialOwnSocket() {
  const std::string path = platform::dde::runtimeFolder() + "/" + std::to_string(getpid()) + ".sock";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) std::abort();
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) std::abort();
  return fd;
}

// Writes the bytes and ends the stream's sending side, then serves the
// socket until the program has closed the stream: it has then taken every
// frame, or broken off at a bad one.
void sendAndServe(const uint8_t* data, size_t size) {
  const int fd = dialOwnSocket();
  size_t sent = 0;
  int turns = 0;
  while (sent < size && turns++ < kMostTurns) {
    const ssize_t n = send(fd, data + sent, size - sent, MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n > 0) sent += size_t(n);
    platform::serviceWatchedFds(0);
  }
  shutdown(fd, SHUT_WR);
  for (; turns < kMostTurns; ++turns) {
    platform::serviceWatchedFds(5);
    char reply[4096];
    const ssize_t n = recv(fd, reply, sizeof reply, MSG_DONTWAIT);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) break;
  }
  close(fd);
  platform::serviceWatchedFds(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = (startService(), true);
  (void)started;
  const std::string item = fuzz::asText(data, size);
  for (size_t bufferSize : {size_t{1}, size_t{2}, size_t{7}, size_t{ZM_DDE_ITEM_SIZE}}) readArguments(item.c_str(), bufferSize);
  sendAndServe(data, size);
  return 0;
}
