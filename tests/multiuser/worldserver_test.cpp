// tests/multiuser/worldserver_test.cpp -- two clients meet through
// tools/worldserver: this test's process and a child process, each with its
// own client and world.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "multiuser/send.h"
#include "tests/multiuser/client_fixture.h"
#include "tests/world_server.h"

namespace {

using WorldServerMeeting = ClientTest;

// The second client to join gets the avatar ids from 2000; its avatar's move
// reaches the first client, which holds an object with that id.
TEST_F(WorldServerMeeting, OneClientsMoveReachesTheOther) {
  TestWorldServer server;
  ASSERT_GT(server.port(), 0);
  serveAt(server.port());

  int go[2];
  ASSERT_EQ(pipe(go), 0);
  const pid_t mover = fork();
  ASSERT_GE(mover, 0);
  if (mover == 0) {
    // Client A: joins second, waits for its avatar's id, then walks.
    char signal = 0;
    close(go[1]);
    if (read(go[0], &signal, 1) != 1 || zmZMQXConnect() != 0) _exit(2);
    if (!pumpUntil([&] { return person->id == 2000; })) _exit(3);
    const ZmVec3 place = {7, 8, 9};
    zmqxObjectTrans(person, &place, ZM_COORD_WORLD, 0);
    usleep(100 * 1000);
    _exit(zmZMQXExit() == 0 ? 0 : 4);
  }
  close(go[0]);

  // Client B: joins first and holds an object where A's avatar will be.
  ZmObj* avatarOfA = objectWithId(2000);
  ASSERT_EQ(zmZMQXConnect(), 0);
  ASSERT_TRUE(pumpUntil([&] { return person->id == 1000; }));
  EXPECT_EQ(world->master, 1);
  ASSERT_EQ(write(go[1], "g", 1), 1);
  close(go[1]);

  const float expected = 9 * 65535.0f / 65536.0f;
  EXPECT_TRUE(pumpUntil([&] { return std::fabs(zmGetWRT(avatarOfA)->t.z - expected) < 1e-4f; }));
  EXPECT_FLOAT_EQ(zmGetWRT(avatarOfA)->t.x, 7 * 65535.0f / 65536.0f);
  int status = -1;
  waitpid(mover, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  zmZMQXExit();
}

}  // namespace
