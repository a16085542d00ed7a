// A world's script commands driving the real sounds and bodies, wired the
// way the program's start-up wires them: what a script asks is heard on the
// recorded wave output and read back from the body it loaded.
#include <memory>
#include <string>
#include <vector>

#include "media/timeouthooks.h"
#include "multiuser/hooks.h"
#include "script/host.h"
#include "script/install.h"
#include "tests/media/body_fixture.h"
#include "tests/media/media_fixture.h"

namespace {

class ScriptMediaTest : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    // File URLs are the files themselves.
    zmSetUrlFetch([](ZmUrlHash* entry) { return zmGetUrl(entry); });
    zmInstallScriptHooks();
    zmSetCurrentWorld(world);
    ASSERT_EQ(zmScriptInit(world, ZM_SCRIPT_TCL), 0);
  }

  void TearDown() override {
    zmSetCurrentWorld(nullptr);
    MediaTest::TearDown();
  }

  // Runs the script at the global level of the world's interpreter, as the
  // world's own scripts run; its result text.
  std::string eval(const std::string& script) {
    Tcl_Interp* interp = zmScriptGetInterp(world);
    EXPECT_EQ(Tcl_EvalEx(interp, script.c_str(), -1, TCL_EVAL_GLOBAL), TCL_OK) << script;
    return Tcl_GetStringResult(interp);
  }

  // Every block written to the wave output records its peak level.
  static int waveWrites() { return int(platform::recordedEvents("WaveLevel").size()); }
  static std::string lastWaveLevel() {
    const std::vector<std::string> levels = events("WaveLevel");
    return levels.empty() ? "nothing written" : levels.back();
  }

  ServiceGuard<ZmMediaScript> mediaScriptHooks{mediaScript};
  ServiceGuard<ZmMultiUserScript> multiUserScriptHooks{multiUserScript};
  // For the tests that build objects in the viewer; it outlives the world,
  // which the tear-down deletes.
  std::unique_ptr<ViewerForWorld> viewer;
};

TEST_F(ScriptMediaTest, ScriptsPlayQuietenPauseAndStopASoundOnTheWaveOutput) {
  constexpr int kFull = 7969;  // the square wave's peak at volume 255 of 256
  constexpr int kHalf = 3969;  // at 127
  constexpr int kAny = -1;
  struct Step {
    const char* script;
    const char* result;
    int state;
    bool writing;  // blocks reach the output in the ticks after
    bool open;     // the wave device afterwards
    int level;     // the peak of the last block written, or kAny
  };
  const Step steps[] = {
      {"zmPlaySpotSound $bell 1", "0", ZM_SOUND_AUDIBLE, true, true, kFull},
      {"zmSetSoundVolume $bell 127", "0", ZM_SOUND_AUDIBLE, true, true, kHalf},
      {"zmSuspendSound $bell", "0", ZM_SOUND_PAUSED, false, false, kAny},
      {"zmResumeSound $bell", "0", ZM_SOUND_AUDIBLE, true, true, kHalf},
      {"zmSetSoundVolumeByName bell 255", "0", ZM_SOUND_AUDIBLE, true, true, kFull},
      {"zmSuspendSoundByName bell", "0", ZM_SOUND_PAUSED, false, false, kAny},
      {"zmResumeSoundByName bell", "0", ZM_SOUND_AUDIBLE, true, true, kFull},
      {"zmSuspendAllSound", "0", ZM_SOUND_PAUSED, false, false, kAny},
      {"zmResumeAllSound", "0", ZM_SOUND_AUDIBLE, true, true, kFull},
      {"zmSuspendSoundByName nobell", "-1", ZM_SOUND_AUDIBLE, true, true, kAny},
      {"zmStopSound $bell", "0", ZM_SOUND_STOPPED, false, false, kAny},
      {"zmPlayAmbientSoundByName bell 1", "0", ZM_SOUND_AUDIBLE, true, true, kFull},
      {"zmStopSoundByName bell", "0", ZM_SOUND_STOPPED, false, false, kAny},
      {"zmPlayAmbientSound $bell 1", "0", ZM_SOUND_AUDIBLE, true, true, kFull},
  };
  ZmSoundLeaf* leaf = addSound("bell", writeFile("bell.wav", waveBytes({squareWave(40000, 8000)})), 1, {0, 0, 0});
  eval("set bell [zmGetObjByName bell]");
  for (const Step& step : steps) {
    EXPECT_EQ(eval(step.script), step.result) << step.script;
    runTicks(2);  // the blocks already queued go out
    const int before = waveWrites();
    runTicks(50);
    EXPECT_EQ(leaf->state, step.state) << step.script;
    EXPECT_EQ(waveWrites() > before, step.writing) << step.script;
    EXPECT_EQ(zmWaveDeviceOpen(), step.open) << step.script;
    if (step.level != kAny) {
      EXPECT_EQ(lastWaveLevel(), std::to_string(step.level)) << step.script;
    }
  }
}

TEST_F(ScriptMediaTest, AScriptLoadsABodyAndStepsItThroughItsFrames) {
  const std::string body = std::string(LUMENFOLD_SOURCE_DIR) + "/examples/walker.wkn";
  viewer = std::make_unique<ViewerForWorld>(world);
  ASSERT_TRUE(viewer->open);
  ASSERT_EQ(eval("zmDebugFunc zmKinNew " + body + " walker"), "0");
  const struct {
    const char* script;
    const char* result;
  } steps[] = {
      {"zmKinGetFrame $walker cur max; list $cur $max", "-1 16"},  // never posed yet
      {"zmKinSetFrame $walker 5", "0"},
      {"zmKinGetFrame $walker cur max; list $cur $max", "5 16"},
      {"zmKinSetFrame $walker 16", "-4"},  // one past the last frame
      {"zmKinGetFrame $walker cur; set cur", "5"},
  };
  for (const auto& step : steps) EXPECT_EQ(eval(step.script), step.result) << step.script;
  EXPECT_EQ(world->topObjectCount, 2) << "the camera and the body";
}

}  // namespace
