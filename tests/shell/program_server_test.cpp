// tests/shell/program_server_test.cpp -- the program headless, in real time,
// on a world whose server accepts the connection and never answers: the
// world is drawn at once and the attempt ends on its own.
#include <chrono>
#include <string>
#include <thread>

#include "shell/viewwin.h"
#include "tests/shell/program_fixture.h"
#include "tests/shell/silent_server.h"

namespace {

using Clock = std::chrono::steady_clock;

class ProgramServerTest : public ProgramTest {
 protected:
  // Serves the program's messages in real time until `done` holds or the
  // seconds have gone; the time it took.
  template <typename Done>
  double pumpUntil(Done done, int seconds) {
    const auto start = Clock::now();
    while (!done() && Clock::now() - start < std::chrono::seconds(seconds)) {
      pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
  }
};

TEST_F(ProgramServerTest, ASilentServerHoldsNeitherTheFirstFrameNorTheProgram) {
  SilentServer server(14);
  ASSERT_GT(server.port(), 0);
  const std::string world = write("silent.wrl", "#VRML V1.0 ascii\nSeparator {\n  DEF ZmServer Info { string \"127.0.0.1:" +
                                                    std::to_string(server.port()) + "\" }\n  Cube {}\n}\n");
  platform::useVirtualClock(false);
  const long framesBefore = zmGetFrameStats().frames;
  const auto started = Clock::now();
  start(world);
  const auto up = Clock::now();
  EXPECT_LT(up - started, std::chrono::seconds(3));  // the world was not held for its server
  ASSERT_NE(zmGetCurrentWorld(), nullptr);
  pumpUntil([&] { return zmGetFrameStats().frames > framesBefore; }, 5);
  EXPECT_LT(Clock::now() - up, std::chrono::seconds(1));
  EXPECT_FALSE(reported("Connection failed."));

  pumpUntil([&] { return reported("Connection failed."); }, 16);
  const double failed = std::chrono::duration<double>(Clock::now() - started).count();
  EXPECT_TRUE(reported("Connection failed."));
  // Ten seconds of the server's, with room for a loaded machine's late timer:
  // what matters is that the attempt ends on its own.
  EXPECT_LT(failed, 14.0);
  EXPECT_GT(failed, 9.0);
  const long framesThen = zmGetFrameStats().frames;
  EXPECT_GT(framesThen - framesBefore, 20);  // frames went on meanwhile
  pumpUntil([&] { return zmGetFrameStats().frames > framesThen; }, 2);
  EXPECT_GT(zmGetFrameStats().frames, framesThen);  // and go on after
}

}  // namespace
