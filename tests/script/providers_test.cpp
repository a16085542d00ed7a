// Commands whose work belongs to layers not built yet reach them through
// the script layer's hooks with their words, and give back the answer.
#include <string>
#include <vector>

#include "platform/recorder.h"
#include "tests/script/command_fixture.h"

namespace {

std::vector<std::string> calls;

std::string nameOf(ZmObj* object) { return object && object->comment[1] ? object->comment[1] : "?"; }

class ProviderTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    calls.clear();
    scriptMediaHooks->playAmbientSoundByName = [](const char* name, int loop) {
      calls.push_back("ambient " + std::string(name) + " " + std::to_string(loop));
      return 0;
    };
    scriptMediaHooks->setSoundVolume = [](ZmObj* object, int volume) {
      calls.push_back("volume " + nameOf(object) + " " + std::to_string(volume));
      return 0;
    };
    scriptMediaHooks->set3DMovieSpeed = [](ZmObj* object, float speed) {
      calls.push_back("speed " + nameOf(object) + " " + std::to_string(speed));
      return 0;
    };
    scriptMediaHooks->kinGetFrame = [](ZmObj*, int* frame) {
      *frame = 7;
      return 0;
    };
    scriptMediaHooks->kinGetMaxFrame = [](ZmObj*, int* frames) {
      *frames = 30;
      return 0;
    };
    scriptMediaHooks->kinNewTopObject = [](ZmWorld* world, const char* body, const char* skin, ZmObj** object) {
      calls.push_back("body " + std::string(body) + (skin ? " skin" : " no skin"));
      *object = zmGetTopObjByPath("box");
      return 0;
    };
    scriptMultiUserHooks->qxSendApplSpecificMsgWithDist = [](ZmObj* object, const char* procedure, const char* text,
                                                            int destination) {
      calls.push_back("send " + nameOf(object) + " " + procedure + " {" + text + "} " + std::to_string(destination));
    };
    scriptShellHooks->getUserName = [] { return "walker"; };
    scriptShellHooks->wwwOpenUrl = [](const char* url) {
      calls.push_back("open " + std::string(url));
      return 0;
    };
    scriptViewerHooks->enableNavigation = [] {
      calls.push_back("walk on");
      return 0;
    };
    scriptViewerHooks->disableNavigation = [] {
      calls.push_back("walk off");
      return 1;
    };
  }
};

TEST_F(ProviderTest, CommandsHandTheirWordsOn) {
  struct Case {
    const char* script;
    const char* result;
    const char* call;  // null: none
  } cases[] = {
      {"zmPlayAmbientSoundByName bell 1", "0", "ambient bell 1"},
      {"zmSetSoundVolume $box 60", "0", "volume box 60"},
      {"zmSet3DMovieSpeed $box 1.5", "0", "speed box 1.500000"},
      {"zmKinGetFrame $box cur max; list $cur $max", "7 30", nullptr},
      {"zmDebugFunc zmKinNew walk.wkn body; expr {$body == $box}", "1", "body walk.wkn no skin"},
      {"zmqxSendApplSpecificMsgWithDist $box wave {a [b] $c} 4", "", "send box wave {a [b] $c} 4"},
      {"zmGetUserName", "walker", nullptr},
      {"zmWwwOpenUrl http://example.org/", "0", "open http://example.org/"},
      {"zmSetNavigation 1", "0", "walk on"},
      {"zmSetNavigation 0", "1", "walk off"},
  };
  for (const Case& c : cases) {
    calls.clear();
    std::string text;
    EXPECT_EQ(run(c.script, &text), TCL_OK) << c.script << " -> " << text;
    EXPECT_EQ(text, c.result) << c.script;
    EXPECT_EQ(calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{}) << c.script;
  }
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
