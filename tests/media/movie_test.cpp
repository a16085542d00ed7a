// Movie textures: the frames a movie steps through on a clock, its pausing
// and restarting, and the movies that cannot play.
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/event.h"
#include "core/leaf.h"
#include "loading/bmpfile.h"
#include "media/movie.h"
#include "viewer/texture.h"
#include "viewer/api.h"
#include "engine/texture.h"
#include "tests/media/body_fixture.h"

namespace {

// A time-out queue on a virtual clock, in place of scripting's: entries run
// when the clock reaches their due time, repeating ones again an interval
// later while they answer 0.
struct VirtualTimeOuts {
  struct Entry {
    std::unique_ptr<ZmTimeOutHandlerList> record;
    ZmObj* object;
    uint32_t interval;
    ZmMediaTimeOutCallback callback;
    uint64_t due;
  };
  std::vector<Entry> queue;
  uint64_t now = 0;
  std::vector<uint32_t> intervalsAdded;

  void advance(uint64_t ms) {
    const uint64_t end = now + ms;
    for (;;) {
      Entry* next = nullptr;
      for (Entry& entry : queue)
        if (entry.due <= end && (next == nullptr || entry.due < next->due)) next = &entry;
      if (next == nullptr) break;
      now = next->due;
      ZmTimeOutHandlerList* running = next->record.get();
      const int answer = next->callback(next->object, nullptr, "");
      Entry* still = find(running);  // the run may have removed it
      if (still == nullptr) continue;
      if (answer != 0) {
        remove(running);
      } else {
        still->due += still->interval;
      }
    }
    now = end;
  }

  Entry* find(ZmTimeOutHandlerList* record) {
    for (Entry& entry : queue)
      if (entry.record.get() == record) return &entry;
    return nullptr;
  }

  void remove(ZmTimeOutHandlerList* record) {
    std::erase_if(queue, [&](const Entry& entry) { return entry.record.get() == record; });
  }
};

VirtualTimeOuts* timeOuts = nullptr;

class MovieTest : public BodyMediaTest {
 protected:
  void SetUp() override {
    BodyMediaTest::SetUp();
    timeOuts = &clock;
    coreHooks.viewer->deleteTexture = zmDeleteTexture;  // frees the movie with its texture
    mediaScriptHooks->addTimeOutHandler = [](ZmObj* object, uint32_t interval, ZmMediaTimeOutCallback callback,
                                             int repeating) -> ZmTimeOutHandlerList* {
      EXPECT_EQ(repeating, 1);
      auto record = std::make_unique<ZmTimeOutHandlerList>();
      ZmTimeOutHandlerList* made = record.get();
      timeOuts->queue.push_back({std::move(record), object, interval, callback, timeOuts->now + interval});
      timeOuts->intervalsAdded.push_back(interval);
      return made;
    };
    mediaScriptHooks->removeTimeOutHandler = [](ZmObj*, ZmTimeOutHandlerList* record) { timeOuts->remove(record); };
  }

  void TearDown() override {
    for (ZmObj* object : objects) zmDeleteZmObj(object);
    BodyMediaTest::TearDown();  // the world's movies remove their time-outs
    timeOuts = nullptr;
  }

  // A strip of `frames` 128 x 128 frames, the first at the top.
  std::string writeStrip(int frames) {
    const std::string path = (folder / ("strip" + std::to_string(frames) + ".bmp")).string();
    ZmBmpFileHeader header{};
    ZmBmpInfo info{};
    info.width = 128;
    info.height = 128 * frames;
    info.bitCount = 24;
    std::vector<unsigned char> pixels(size_t(info.width) * size_t(info.height) * 3, 0x40);
    EXPECT_EQ(zmSetBMPHeader(&header, &info), 0);
    EXPECT_EQ(zmWriteBMP(path.c_str(), &header, &info, pixels.data()), 0);
    return path;
  }

  // A sphere textured with the strip, its movie attached as the viewer
  // attaches it when the texture is applied.
  ZmObj* movieObject(int frames) {
    ZmObj* object = nullptr;
    if (zmNewZmObj(world, &object, 1) != 0) return nullptr;
    objects.push_back(object);
    ZmSphere* sphere = zmNewSphereLeaf();
    zmAddLeaf(object, 0, sphere);
    zmOwnTextureImage(&sphere->texture)->file = zmWwwLoadFile(writeStrip(frames).c_str());
    zmSetTextureMovie(object);
    return object;
  }

  static ZmTextureMovie* movieOf(ZmObj* object) { return static_cast<ZmShape*>(object->leaf)->texture.image->movie; }

  VirtualTimeOuts clock;
  std::vector<ZmObj*> objects;
};

TEST_F(MovieTest, FramesAdvanceAtTheMovieSpeed) {
  constexpr int kFrames = 5;
  const struct {
    float speed;
  } cases[] = {{1.0f}, {2.0f}, {0.5f}, {-2.0f}, {-1.0f}, {3.0f}};
  for (const auto& c : cases) {
    ZmObj* object = movieObject(kFrames);
    ASSERT_NE(movieOf(object), nullptr) << allReports();
    ASSERT_EQ(zmGet3DMovieFrameNum(object), kFrames);
    ASSERT_EQ(zmSet3DMovieSpeed(object, c.speed), 0);
    const uint32_t interval = uint32_t(std::trunc(1000.0 / 4.0 / std::fabs(c.speed)));
    EXPECT_EQ(clock.intervalsAdded.back(), interval) << c.speed;
    clock.advance(1000);
    const int steps = int(1000 / interval);
    const int expected = c.speed >= 0 ? steps % kFrames : (kFrames - steps % kFrames) % kFrames;
    EXPECT_EQ(zmGet3DMovieFrame(object), expected) << "speed " << c.speed;
    EXPECT_EQ(zmPause3DMovie(object), 0);
    clock.advance(1000);
    EXPECT_EQ(zmGet3DMovieFrame(object), expected) << "paused at speed " << c.speed;
  }
  EXPECT_TRUE(clock.queue.empty());
}

TEST_F(MovieTest, AMovieWithoutLoopPausesItselfOnItsLastFrame) {
  constexpr int kFrames = 3;
  ZmObj* object = movieObject(kFrames);
  ASSERT_NE(movieOf(object), nullptr) << allReports();
  zmSet3DMovieLoop(object, 0);
  clock.advance(250 * (kFrames + 4));
  EXPECT_EQ(zmGet3DMovieFrame(object), kFrames - 1);
  EXPECT_TRUE(clock.queue.empty()) << "the movie's time-out is gone";
  EXPECT_EQ(movieOf(object)->paused, 1);
  EXPECT_EQ(zmPause3DMovie(object), -1) << "nothing runs to pause";
  // Playing again restarts from the end: looping on, it wraps to the start.
  zmSet3DMovieLoop(object, 1);
  ASSERT_EQ(zmPlay3DMovie(object), 0);
  clock.advance(250);
  EXPECT_EQ(zmGet3DMovieFrame(object), 0);
}

TEST_F(MovieTest, MoviesThatCannotStepStartNoTimeOut) {
  ZmObj* object = movieObject(4);
  ASSERT_NE(movieOf(object), nullptr) << allReports();
  ASSERT_EQ(clock.queue.size(), 1u);

  // Speed 0: playing, but nothing steps until the speed changes.
  ASSERT_EQ(zmSet3DMovieSpeed(object, 0.0f), 0);
  EXPECT_TRUE(clock.queue.empty());
  EXPECT_EQ(movieOf(object)->paused, 0);
  ASSERT_EQ(zmSet3DMovieSpeed(object, 1.0f), 0);
  EXPECT_EQ(clock.queue.size(), 1u);

  // Frame rate 0: a warning, and no time-out at all.
  reports().clear();
  movieOf(object)->framesPerSec = 0.0f;
  EXPECT_EQ(zmPlay3DMovie(object), -1);
  EXPECT_TRUE(clock.queue.empty());
  EXPECT_TRUE(reported("zmPlay3DMovie: a movie of 0 frames a second cannot play.")) << allReports();
}

TEST_F(MovieTest, SetFrameClampsAndStepsWrapBothWays) {
  constexpr int kFrames = 10;
  ZmObj* object = movieObject(kFrames);
  ASSERT_NE(movieOf(object), nullptr) << allReports();
  zmPause3DMovie(object);
  const struct {
    int asked, shown;
  } clamps[] = {{1000, kFrames - 1}, {-5, 0}, {4, 4}};
  for (const auto& c : clamps) {
    EXPECT_EQ(zmSet3DMovieFrame(object, c.asked), 0);
    EXPECT_EQ(zmGet3DMovieFrame(object), c.shown) << c.asked;
  }
  ASSERT_EQ(zmSet3DMovieFrame(object, 0), 0);
  zmSet3DMovieLoop(object, 0);
  EXPECT_EQ(zmSet3DMoviePrevFrame(object), 0);
  EXPECT_EQ(zmGet3DMovieFrame(object), kFrames - 1) << "back from the first frame: the last, loop or not";
  EXPECT_EQ(zmSet3DMovieNextFrame(object), 0);
  EXPECT_EQ(zmGet3DMovieFrame(object), kFrames - 1) << "no loop: the last frame stays";
}

TEST_F(MovieTest, AnObjectWithoutAMovieAnswersNoMovie) {
  ZmObj* object = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &object, 1), 0);
  objects.push_back(object);
  EXPECT_EQ(zmPlay3DMovie(object), -1);
  EXPECT_EQ(zmPause3DMovie(object), -1);
  EXPECT_EQ(zmGet3DMovieFrame(object), -1);
  EXPECT_EQ(zmGet3DMovieSpeed(object), -1.0f);
  EXPECT_TRUE(clock.queue.empty());
}

}  // namespace

namespace {

// ---- A world with a movie texture, through the viewer and the engine --------------

class MovieWorldTest : public MovieTest {
 protected:
  void SetUp() override {
    MovieTest::SetUp();
    viewer.emplace(world);
    ASSERT_TRUE(viewer->open);
    coreHooks.viewer->deleteTexture = zmDeleteTexture;
  }

  void TearDown() override {
    MovieTest::TearDown();
    viewer.reset();  // after the world
  }

  // The first object under `object` whose first leaf's texture has a movie.
  static ZmObj* findMovie(ZmObj* object) {
    if (object->leaf != nullptr && zmIsShapeLeaf(object->leaf) && movieOf(object) != nullptr) return object;
    for (ZmChildList* node = object->child; node != nullptr; node = node->next)
      if (ZmObj* found = findMovie(node->object)) return found;
    return nullptr;
  }

  std::optional<ViewerForWorld> viewer;
};

// The example's strip plays into the engine texture at four frames a second.
TEST_F(MovieWorldTest, TheExampleMovieStepsTheEngineTexture) {
  const std::string examples = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/";
  baseFolder() = examples;
  zmVFclearPendingTextures();
  ASSERT_EQ(zmConstructWorld((examples + "movie.wrl").c_str(), world), 0) << allReports();
  zmVFloadAllPendingTextures();  // as the program does once the world is built
  ZmObj* panel = nullptr;
  for (ZmTopObjList* node = world->topObjects; node != nullptr && panel == nullptr; node = node->next)
    panel = findMovie(node->object);
  ASSERT_NE(panel, nullptr) << allReports();
  ASSERT_EQ(zmGet3DMovieFrameNum(panel), 8);
  ASSERT_EQ(clock.intervalsAdded, std::vector<uint32_t>{250});
  const char* image = zmGetLocalFile(static_cast<ZmShape*>(panel->leaf)->texture.image->file);
  RwTexture* texture = image ? RwFindNamedTexture(image) : nullptr;
  ASSERT_NE(texture, nullptr) << allReports();
  for (int second = 1; second <= 3; ++second) {
    clock.advance(1000);
    EXPECT_EQ(zmGet3DMovieFrame(panel), (4 * second) % 8) << second << " s";
    EXPECT_EQ(texture->currentFrame, (4 * second) % 8) << second << " s";
  }
}

}  // namespace
