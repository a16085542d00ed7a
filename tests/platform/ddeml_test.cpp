// Tests of the data exchange calls: string handles, conversations and
// transactions within the program, and with another program (a forked
// child serving a name over the runtime folder).
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/ddelink.h"
#include "platform/ddeml.h"
#include "platform/recorder.h"
#include "platform/tclloop.h"
#include "tests/temp_folder.h"

namespace {

// A server that takes one service name, answers requests with "<topic>:<item>"
// (the item "slow" after 400 ms), acknowledges pokes and executes whose data
// is "ok", and notes what it saw.
struct TestServer {
  DWORD instance = 0;
  HSZ service = nullptr;
  std::vector<std::string> seen;  // "connect TOPIC", "confirm", "poke ITEM DATA", "disconnect"
  bool quit = false;              // an execute of "quit" asks for it
};
TestServer* server = nullptr;

std::string text(DWORD instance, HSZ hsz) {
  char buffer[256];
  DdeQueryStringA(instance, hsz, buffer, sizeof buffer, CP_WINANSI);
  return buffer;
}

std::string bytesOf(HDDEDATA data) {
  std::string out(DdeGetData(data, nullptr, 0, 0), '\0');
  DdeGetData(data, reinterpret_cast<LPBYTE>(out.data()), DWORD(out.size()), 0);
  return out;
}

HDDEDATA CALLBACK serverCallback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data, ULONG_PTR,
                                 ULONG_PTR) {
  TestServer& s = *server;
  switch (type) {
    case XTYP_CONNECT:
      if (hsz2 != s.service) return nullptr;
      s.seen.push_back("connect " + text(s.instance, hsz1));
      return reinterpret_cast<HDDEDATA>(TRUE);
    case XTYP_CONNECT_CONFIRM:
      s.seen.push_back("confirm");
      return nullptr;
    case XTYP_REQUEST: {
      std::string answer = text(s.instance, hsz1) + ":" + text(s.instance, hsz2);
      if (text(s.instance, hsz2) == "slow") std::this_thread::sleep_for(std::chrono::milliseconds(400));
      return DdeCreateDataHandle(s.instance, reinterpret_cast<LPBYTE>(answer.data()), DWORD(answer.size() + 1), 0,
                                 hsz2, CF_TEXT, 0);
    }
    case XTYP_POKE:
    case XTYP_EXECUTE: {
      const std::string handed = bytesOf(data);
      s.seen.push_back((type == XTYP_POKE ? "poke " : "execute ") + text(s.instance, hsz2) + " " + handed);
      if (handed == "quit") s.quit = true;
      return reinterpret_cast<HDDEDATA>(uintptr_t(handed == "ok" || handed == "quit" ? DDE_FACK : 0));
    }
    case XTYP_DISCONNECT:
      s.seen.push_back("disconnect");
      return nullptr;
    default:
      return nullptr;
  }
}

void startServer(TestServer* s, const char* name) {
  server = s;
  ASSERT_EQ(DdeInitializeA(&s->instance, serverCallback, 0, 0), UINT(DMLERR_NO_ERROR));
  s->service = DdeCreateStringHandleA(s->instance, name, CP_WINANSI);
  ASSERT_NE(DdeNameService(s->instance, s->service, nullptr, DNS_REGISTER), nullptr);
}

class DdemlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LUMENFOLD_HOME", home.c_str(), 1);
    platform::clearRecordedEvents();
    ASSERT_EQ(DdeInitializeA(&client, nullptr, APPCMD_CLIENTONLY, 0), UINT(DMLERR_NO_ERROR));
  }
  void TearDown() override {
    DdeUninitialize(client);
    if (server != nullptr) DdeUninitialize(server->instance);
    server = nullptr;
    unsetenv("LUMENFOLD_HOME");
  }

  HCONV connect(const char* service, const char* topic) {
    HSZ s = DdeCreateStringHandleA(client, service, CP_WINANSI);
    HSZ t = DdeCreateStringHandleA(client, topic, CP_WINANSI);
    HCONV conv = DdeConnect(client, s, t, nullptr);
    DdeFreeStringHandle(client, s);
    DdeFreeStringHandle(client, t);
    return conv;
  }

  // The answer of a request, or "(none)".
  std::string request(HCONV conv, const char* item, DWORD timeoutMs = 1000) {
    HSZ hsz = DdeCreateStringHandleA(client, item, CP_WINANSI);
    HDDEDATA data = DdeClientTransaction(nullptr, 0, conv, hsz, CF_TEXT, XTYP_REQUEST, timeoutMs, nullptr);
    DdeFreeStringHandle(client, hsz);
    if (data == nullptr) return "(none)";
    std::string answer = bytesOf(data);
    DdeFreeDataHandle(data);
    return answer.c_str();
  }

  DWORD transact(HCONV conv, UINT type, const char* item, std::string handed) {
    HSZ hsz = DdeCreateStringHandleA(client, item, CP_WINANSI);
    DWORD result = 0xdead;
    DdeClientTransaction(reinterpret_cast<LPBYTE>(handed.data()), DWORD(handed.size()), conv, hsz, CF_TEXT, type,
                         1000, &result);
    DdeFreeStringHandle(client, hsz);
    return result;
  }

  TempFolder temp{"lf-ddeml"};
  std::filesystem::path home = temp.path();
  DWORD client = 0;
};

TEST_F(DdemlTest, StringHandlesAreSharedIgnoringCaseAndQueriedWithinTheBuffer) {
  DWORD other = 0;
  DdeInitializeA(&other, nullptr, APPCMD_CLIENTONLY, 0);
  HSZ a = DdeCreateStringHandleA(client, "WWW_Alert", CP_WINANSI);
  HSZ b = DdeCreateStringHandleA(other, "www_alert", CP_WINANSI);
  EXPECT_EQ(a, b);
  EXPECT_EQ(DdeCmpStringHandles(a, b), 0);
  char small[5];
  EXPECT_EQ(DdeQueryStringA(client, a, small, sizeof small, CP_WINANSI), 4u);
  EXPECT_STREQ(small, "WWW_");
  EXPECT_EQ(DdeQueryStringA(client, a, nullptr, 0, CP_WINANSI), 9u);
  EXPECT_EQ(DdeCreateStringHandleA(client, "", CP_WINANSI), nullptr);
  // The text lives while any instance holds it.
  EXPECT_TRUE(DdeFreeStringHandle(client, a));
  EXPECT_FALSE(DdeFreeStringHandle(client, a));  // not held twice
  EXPECT_EQ(text(other, b), "WWW_Alert");
  DdeUninitialize(other);
  EXPECT_EQ(DdeQueryStringA(client, a, small, sizeof small, CP_WINANSI), 0u);
}

TEST_F(DdemlTest, ConversationWithinTheProgramCarriesRequestsPokesAndExecutesAndIsRecorded) {
  TestServer s;
  startServer(&s, "Lumenfold");
  HCONV conv = connect("LUMENFOLD", "WWW_Topic");
  ASSERT_NE(conv, nullptr);
  EXPECT_EQ(request(conv, "first"), "WWW_Topic:first");
  EXPECT_EQ(transact(conv, XTYP_POKE, "item", "ok"), DWORD(DDE_FACK));
  EXPECT_EQ(transact(conv, XTYP_POKE, "item", "no"), 0u);
  EXPECT_EQ(DdeGetLastError(client), UINT(DMLERR_NOTPROCESSED));
  EXPECT_EQ(transact(conv, XTYP_EXECUTE, "cmd", "ok"), DWORD(DDE_FACK));
  EXPECT_TRUE(DdeDisconnect(conv));
  EXPECT_FALSE(DdeDisconnect(conv));
  EXPECT_EQ(request(conv, "late"), "(none)");
  EXPECT_EQ(s.seen, (std::vector<std::string>{"connect WWW_Topic", "confirm", "poke item ok", "poke item no",
                                              "execute cmd ok", "disconnect"}));
  std::vector<std::string> transcript;
  for (const auto& event : platform::recordedEvents("Dde")) transcript.push_back(event.detail);
  EXPECT_EQ(transcript, (std::vector<std::string>{"request Lumenfold WWW_Topic first", "poke Lumenfold WWW_Topic item",
                                                  "poke Lumenfold WWW_Topic item",
                                                  "execute Lumenfold WWW_Topic cmd"}));
}

TEST_F(DdemlTest, ConnectsForAnotherServiceAreRefusedAndClientsCannotServeNames) {
  TestServer s;
  startServer(&s, "Lumenfold");
  EXPECT_EQ(connect("NETSCAPE", "WWW_OpenURL"), nullptr);
  EXPECT_EQ(DdeGetLastError(client), UINT(DMLERR_NO_CONV_ESTABLISHED));
  EXPECT_TRUE(s.seen.empty());
  HSZ name = DdeCreateStringHandleA(client, "Client", CP_WINANSI);
  EXPECT_EQ(DdeNameService(client, name, nullptr, DNS_REGISTER), nullptr);
  EXPECT_EQ(DdeGetLastError(client), UINT(DMLERR_DLL_USAGE));
  // A server that withdrew its name is no longer offered connects.
  DdeNameService(s.instance, nullptr, nullptr, DNS_UNREGISTER);
  EXPECT_EQ(connect("Lumenfold", "WWW_OpenURL"), nullptr);
}

TEST_F(DdemlTest, EndingAServerInstanceTellsItsClients) {
  TestServer s;
  startServer(&s, "Lumenfold");
  std::vector<std::string> clientSeen;
  static std::vector<std::string>* notes;
  notes = &clientSeen;
  DWORD listening = 0;
  DdeInitializeA(
      &listening,
      [](UINT type, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) -> HDDEDATA {
        if (type == XTYP_DISCONNECT) notes->push_back("disconnect");
        return nullptr;
      },
      APPCMD_CLIENTONLY, 0);
  HSZ service = DdeCreateStringHandleA(listening, "Lumenfold", CP_WINANSI);
  HCONV conv = DdeConnect(listening, service, service, nullptr);
  ASSERT_NE(conv, nullptr);
  DdeUninitialize(s.instance);
  server = nullptr;
  EXPECT_EQ(clientSeen, (std::vector<std::string>{"disconnect"}));
  EXPECT_FALSE(DdeDisconnect(conv));
  DdeUninitialize(listening);
}

// The child serves "Peer" until an execute of "quit" or ten seconds pass.
[[noreturn]] void servePeer() {
  static TestServer s;
  startServer(&s, "Peer");
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!s.quit && std::chrono::steady_clock::now() < end) platform::serviceWatchedFds(50);
  DdeUninitialize(s.instance);
  _exit(s.quit ? 0 : 3);
}

bool waitForPeerSocket(const std::filesystem::path& folder, pid_t pid) {
  const auto socket = folder / (std::to_string(pid) + ".sock");
  for (int i = 0; i < 100; ++i) {
    if (std::filesystem::exists(socket)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST_F(DdemlTest, ConversationWithAnotherProgramTimesOutAndDropsTheLateAnswer) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) servePeer();
  ASSERT_TRUE(waitForPeerSocket(home / "dde", child));
  EXPECT_EQ(connect("Unknown", "T"), nullptr);
  HCONV conv = connect("peer", "Topic");
  ASSERT_NE(conv, nullptr);
  EXPECT_EQ(request(conv, "one"), "Topic:one");
  EXPECT_EQ(transact(conv, XTYP_POKE, "item", "ok"), DWORD(DDE_FACK));
  EXPECT_EQ(request(conv, "slow", 100), "(none)");
  EXPECT_EQ(DdeGetLastError(client), UINT(DMLERR_TIMEOUT));
  EXPECT_EQ(request(conv, "two", 2000), "Topic:two");
  EXPECT_EQ(transact(conv, XTYP_EXECUTE, "cmd", "quit"), DWORD(DDE_FACK));
  EXPECT_TRUE(DdeDisconnect(conv));
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  // The child withdrew its socket; nothing answers any more.
  EXPECT_EQ(connect("peer", "Topic"), nullptr);
}

// A raw stream to this program's own socket, as another local program
// would open it.
int dialOwnSocket(const std::filesystem::path& folder) {
  const std::string path = (folder / (std::to_string(getpid()) + ".sock")).string();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Serves the socket until the stream is closed by the program (true) or
// two seconds pass with it still open (false).
bool closedByProgram(int fd) {
  for (int turn = 0; turn < 40; ++turn) {
    platform::serviceWatchedFds(50);
    char byte;
    const ssize_t n = recv(fd, &byte, 1, MSG_DONTWAIT);
    if (n == 0) return true;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return true;
  }
  return false;
}

void sendHeader(int fd, uint32_t payloadSize) { ASSERT_EQ(send(fd, &payloadSize, 4, MSG_NOSIGNAL), 4); }

// A stream is held to the largest frame: one announcing a larger frame is
// broken off at its header, while one of the largest size is kept until
// its bytes, here no frame, prove it broken.
TEST_F(DdemlTest, AStreamAnnouncingAFrameLargerThanAnyItemIsClosed) {
  TestServer s;
  startServer(&s, "Lumenfold");
  const int tooLarge = dialOwnSocket(home / "dde");
  const int largest = dialOwnSocket(home / "dde");
  ASSERT_GE(tooLarge, 0);
  ASSERT_GE(largest, 0);
  sendHeader(tooLarge, platform::dde::kLargestFramePayload + 1);
  sendHeader(largest, platform::dde::kLargestFramePayload);
  EXPECT_TRUE(closedByProgram(tooLarge));
  EXPECT_FALSE(closedByProgram(largest));
  const std::string garbage(platform::dde::kLargestFramePayload, 'x');
  ASSERT_EQ(send(largest, garbage.data(), garbage.size(), MSG_NOSIGNAL), ssize_t(garbage.size()));
  EXPECT_TRUE(closedByProgram(largest));
  close(tooLarge);
  close(largest);
}

// Past the most streams a new one is closed at once; once one ends, a new
// stream is served again.
TEST_F(DdemlTest, StreamsPastTheMostAreClosedAsTheyCome) {
  TestServer s;
  startServer(&s, "Lumenfold");
  std::vector<int> streams;
  for (size_t i = 0; i < platform::dde::kMostIncomingStreams; ++i) {
    streams.push_back(dialOwnSocket(home / "dde"));
    ASSERT_GE(streams.back(), 0);
    platform::serviceWatchedFds(10);
  }
  const int extra = dialOwnSocket(home / "dde");
  ASSERT_GE(extra, 0);
  EXPECT_TRUE(closedByProgram(extra));
  EXPECT_FALSE(closedByProgram(streams.front()));
  close(extra);
  close(streams.front());
  streams.erase(streams.begin());
  platform::serviceWatchedFds(50);
  const int again = dialOwnSocket(home / "dde");
  ASSERT_GE(again, 0);
  EXPECT_FALSE(closedByProgram(again));
  close(again);
  for (int fd : streams) close(fd);
}

}  // namespace
