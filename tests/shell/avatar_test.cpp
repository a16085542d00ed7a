// tests/shell/avatar_test.cpp -- the avatar chooser's default, its choice
// kept across openings, and Cancel keeping it.
#include <gtest/gtest.h>

#include <string>

#include "shell/avatar.h"
#include "shell_fixture.h"

namespace {

using platform::DialogAction;

class AvatarTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    zmResetAvatarForTest();
  }
  void TearDown() override {
    zmResetAvatarForTest();
    ShellTest::TearDown();
  }
};

TEST_F(AvatarTest, TheDialogSelectsTheCurrentAvatarAndOnlySelectChangesIt) {
  HWND owner = makeOwner();
  struct Step {
    const char* what;
    std::vector<DialogAction> script;
    const char* avatar;
  } steps[] = {
      // SELECT at once takes what the dialog selected when it opened.
      {"first opening selects the default", {{DialogAction::Press, IDOK}}, "person.wrl"},
      {"choose the girl", {{DialogAction::Pick, ZM_AVDLG_LIST, "", 2}, {DialogAction::Press, IDOK}}, "girl.wrl"},
      {"reopening selects the girl", {{DialogAction::Press, IDOK}}, "girl.wrl"},
      {"cancel keeps the girl", {{DialogAction::Pick, ZM_AVDLG_LIST, "", 1}, {DialogAction::Press, IDCANCEL}}, "girl.wrl"},
      {"choose the boy", {{DialogAction::Pick, ZM_AVDLG_LIST, "", 1}, {DialogAction::Press, IDOK}}, "boy.wrl"},
  };
  for (const Step& step : steps) {
    platform::queueDialogScript(step.script);
    EXPECT_EQ(zmOpenAvatarDialog(owner), 0) << step.what;
    EXPECT_STREQ(zmGetAvatarFile(), step.avatar) << step.what;
  }
}

TEST_F(AvatarTest, NoChoiceIsThePerson) {
  EXPECT_STREQ(zmGetAvatarFile(), "person.wrl");
  HWND owner = makeOwner();
  platform::queueDialogScript({{DialogAction::Press, IDCANCEL}});
  zmOpenAvatarDialog(owner);
  EXPECT_STREQ(zmGetAvatarFile(), "person.wrl");
}

}  // namespace
