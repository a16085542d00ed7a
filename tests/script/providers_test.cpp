// The commands whose work is another layer's hand their words to it: what
// a script asks shows in the viewer's navigation, in media's sounds and
// bodies, and in the shell's record; each is read back from that layer.
#include <string>
#include <vector>

#include "core/leaf.h"
#include "media/bodies.h"
#include "media/install.h"
#include "media/sound.h"
#include "platform/recorder.h"
#include "tests/script/command_fixture.h"
#include "viewer/hooks.h"
#include "viewer/navigation.h"

namespace {

std::vector<std::string> opened;

class ProviderTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    zmInstallMediaHooks();  // so that deleting the world frees the bodies scripts load
    opened.clear();
    scriptShellHooks->getUserName = [] { return "walker"; };
    scriptShellHooks->wwwOpenUrl = [](const char* url) {
      opened.emplace_back(url);
      return 0;
    };
  }

  void TearDown() override {
    zmSoundSetWorld(nullptr);
    zmSoundShutdown();
    CommandTest::TearDown();
  }

  // A sound object named `name` in the world's sound list, its leaf not
  // playing; the world becomes the sound world.
  ZmSoundLeaf* addSound(const char* name) {
    ZmObj* object = nullptr;
    EXPECT_EQ(zmNewZmObj(world, &object, 1), 0);
    zmNameObject(object, name);
    auto* leaf = static_cast<ZmSoundLeaf*>(zmNewSoundLeaf());
    zmAddLeaf(object, 0, leaf);
    EXPECT_EQ(zmAddTopObject(object, name), 0);
    EXPECT_EQ(zmAddSoundObj(world, object), 0);
    zmSoundSetWorld(world);
    return leaf;
  }

  ServiceGuard<ZmViewerMedia> viewerMediaHooks{viewerMedia};

  std::string runOk(const std::string& script) {
    std::string text;
    EXPECT_EQ(run(script, &text), TCL_OK) << script << " -> " << text;
    return text;
  }
};

TEST_F(ProviderTest, SoundCommandsSetTheNamedSoundsLeaf) {
  ZmSoundLeaf* bell = addSound("bell");
  runOk("set bell [zmGetObjByName bell]");
  const struct {
    const char* script;
    const char* result;
    int state;
    int unattenuated;
    int loop;
    int volume;
  } steps[] = {
      {"zmPlaySpotSoundByName bell 1", "0", ZM_SOUND_AUDIBLE, 1, 1, bell->volume},
      {"zmStopSoundByName bell", "0", ZM_SOUND_STOPPED, 1, 1, bell->volume},
      {"zmPlayAmbientSound $bell 0", "0", ZM_SOUND_AUDIBLE, 0, 0, bell->volume},
      {"zmSetSoundVolumeByName bell 60", "0", ZM_SOUND_AUDIBLE, 0, 0, 60},
      {"zmSetSoundVolume $bell 300", "0", ZM_SOUND_AUDIBLE, 0, 0, 255},
      {"zmSuspendSoundByName bell", "0", ZM_SOUND_PAUSED, 0, 0, 255},
      {"zmResumeSound $bell", "0", ZM_SOUND_AUDIBLE, 0, 0, 255},
      {"zmPlaySpotSoundByName nobell 1", "-1", ZM_SOUND_AUDIBLE, 0, 0, 255},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(runOk(step.script), step.result) << step.script;
    EXPECT_EQ(bell->state, step.state) << step.script;
    EXPECT_EQ(bell->unattenuated, step.unattenuated) << step.script;
    EXPECT_EQ(bell->loop, step.loop) << step.script;
    EXPECT_EQ(bell->volume, step.volume) << step.script;
  }
}

TEST_F(ProviderTest, PostureCommandsStepTheBodyAroundItsFrames) {
  const std::string body = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/walker.wkn";
  ASSERT_EQ(runOk("zmDebugFunc zmKinNew " + body + " walker"), "0");
  ZmObj* walker = nullptr;
  for (ZmTopObjList* top = world->topObjects; top != nullptr; top = top->next) {
    int32_t frames = 0;
    if (zmKinGetMaxFrame(top->object, &frames) == 0) walker = top->object;
  }
  ASSERT_NE(walker, nullptr);
  const struct {
    const char* script;
    int frame;  // the body's frame afterwards
  } steps[] = {
      {"zmKinSetFrame $walker 15", 15},
      {"zmKinNextPosture $walker", 0},  // past the last frame: the first
      {"zmKinPrevPosture $walker", 15},  // and back
      {"zmKinPrevPosture $walker", 14},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(runOk(step.script), "0") << step.script;
    int32_t frame = -1;
    ASSERT_EQ(zmKinGetFrame(walker, &frame), 0);
    EXPECT_EQ(frame, step.frame) << step.script;
  }
  EXPECT_EQ(runOk("zmKinGetFrame $walker cur max; list $cur $max"), "14 16");
}

TEST_F(ProviderTest, SetNavigationSwitchesTheWorldsWalkingAndGivesThePreviousSwitch) {
  ASSERT_EQ(zmNavInit(), 0);
  const zmNavState* navigation = zmGetNavState(world);
  ASSERT_NE(navigation, nullptr);
  const struct {
    const char* script;
    const char* previous;
    int enabled;
  } steps[] = {
      {"zmSetNavigation 0", "1", 0},
      {"zmSetNavigation 0", "0", 0},
      {"zmSetNavigation 1", "0", 1},
      {"zmSetNavigation 1", "1", 1},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(runOk(step.script), step.previous) << step.script;
    EXPECT_EQ(navigation->enabled, step.enabled) << step.script;
  }
}

TEST_F(ProviderTest, AmIMasterIsTheCurrentWorldsFlag) {
  EXPECT_EQ(runOk("zmqxAmIMaster"), "0");
  world->master = 1;
  EXPECT_EQ(runOk("zmqxAmIMaster"), "1");
}

TEST_F(ProviderTest, ShellCommandsReachTheShellsRecord) {
  EXPECT_EQ(runOk("zmGetUserName"), "walker");
  EXPECT_EQ(runOk("zmWwwOpenUrl http://example.org/"), "0");
  EXPECT_EQ(opened, std::vector<std::string>{"http://example.org/"});
}

TEST_F(ProviderTest, HelpShowsAUsageLineInTheDebuggerOutput) {
  std::string text;
  ASSERT_EQ(run("zmHelp zmTranslate", &text), TCL_OK) << text;
  std::string output;
  for (const platform::RecordedEvent& event : platform::recordedEvents("DebugOutput")) output += event.detail;
  EXPECT_NE(output.find("zmTclError(): zmTranslate:Usage : zmTranslate ZmObj x y z  ZmCoordSystem  ZmTransferMode\n"),
            std::string::npos)
      << output;
  EXPECT_NE(output.find("zmTclFunc(): zmTranslate  zmRotate\n"), std::string::npos);  // the walk passed it
  EXPECT_EQ(output.find("zmTclFunc(): zmTranslate  zmDebugFunc"), std::string::npos);  // and stopped at the name
  platform::clearRecordedEvents();
  ASSERT_EQ(run("zmGetLocalTime s m; list [info exists s] [info exists m] [info exists h]", &text), TCL_OK);
  EXPECT_EQ(text, "1 1 0");
}

}  // namespace
