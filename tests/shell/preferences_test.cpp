// tests/shell/preferences_test.cpp -- the preference store against the
// registry (defaults on first run, stored values, writes only on change) and
// the Preferences dialog's OK and Cancel.
#include <gtest/gtest.h>

#include <string>

#include "platform/controls.h"
#include "platform/registry.h"
#include "shell/preferences.h"
#include "shell_fixture.h"

namespace {

using platform::DialogAction;

constexpr const char* kKey = "Software\\Orvane Corporation\\Lumenfold\\";

// The registry's own view of a value, read without the store: "<missing>"
// when there is none.
std::string stored(const char* section, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kKey) + section).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "<missing>";
  char data[600] = "";
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return "<missing>";
  EXPECT_EQ(type, DWORD{REG_SZ});
  return data;
}

// Stores `text` with its terminator, or without one: the registry keeps
// whatever bytes it is given, and a text exactly as long as the reader's
// buffer passes the registry's own size check only when unterminated.
void store(const char* section, const char* name, const std::string& text, bool terminated = true) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kKey) + section).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           DWORD(text.size() + (terminated ? 1 : 0))),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

class PreferencesTest : public shelltest::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    zmResetPreferencesForTest();
  }
  void TearDown() override {
    zmResetPreferencesForTest();
    ShellTest::TearDown();
  }

  int yesNo(int id) {
    int value = -7;
    EXPECT_EQ(zmGetPreference(id, &value), 0) << id;
    return value;
  }
  std::string text(int id) {
    char value[256] = "untouched";
    EXPECT_EQ(zmGetPreference(id, value), 0) << id;
    return value;
  }
};

TEST_F(PreferencesTest, FirstRunWritesTheDefaultOfEveryPreferenceRead) {
  EXPECT_EQ(stored("Sound", "Sound"), "<missing>");
  for (int id : {ZM_PREF_SOUND, ZM_PREF_WALKING_SOUND, ZM_PREF_MULTI_USER, ZM_PREF_TEXTURE}) EXPECT_EQ(yesNo(id), 1);
  EXPECT_EQ(text(ZM_PREF_NICK_NAME), "(nik)");
  EXPECT_EQ(text(ZM_PREF_SOCKS_HOST), "");
  for (auto [section, name] : {std::pair{"Sound", "Sound"}, {"Sound", "WalkingSound"}, {"MultiUser", "MultiUser"},
                               {"Texture", "Texture"}})
    EXPECT_EQ(stored(section, name), "yes") << name;
  EXPECT_EQ(stored("User", "NickName"), "(nik)");
  EXPECT_EQ(stored("MultiUser", "SOCKS Host"), "");
  EXPECT_EQ(stored("User", "Name"), "<missing>");  // never read, never written
  int unused;
  EXPECT_EQ(zmGetPreference(8, &unused), -1);
  EXPECT_EQ(zmSetPreference(-1, &unused), -1);
}

TEST_F(PreferencesTest, StoredValuesAreReadAndOnlyAFittingTextCounts) {
  const std::string longHost(256, 'h');  // fills the 256 bytes: no room for the terminator
  const std::string fittingHost(255, 'f');
  store("Sound", "Sound", "YES");
  store("Sound", "WalkingSound", "no");
  store("Texture", "Texture", "yes");
  store("User", "NickName", "ann");
  store("MultiUser", "SOCKS Host", longHost, false);
  store("MultiUser", "SOCKS Port", fittingHost);
  EXPECT_EQ(yesNo(ZM_PREF_SOUND), 0);  // only "yes" counts
  EXPECT_EQ(yesNo(ZM_PREF_WALKING_SOUND), 0);
  EXPECT_EQ(yesNo(ZM_PREF_TEXTURE), 1);
  EXPECT_EQ(text(ZM_PREF_NICK_NAME), "ann");
  EXPECT_EQ(text(ZM_PREF_SOCKS_HOST), "");  // counts as missing: the cached default replaces it
  EXPECT_EQ(stored("MultiUser", "SOCKS Host"), "");
  EXPECT_EQ(text(ZM_PREF_SOCKS_PORT), fittingHost);
}

TEST_F(PreferencesTest, SettingWritesOnlyAChangedValue) {
  EXPECT_EQ(text(ZM_PREF_NICK_NAME), "(nik)");
  store("User", "NickName", "changed behind the store's back");
  EXPECT_EQ(zmSetPreference(ZM_PREF_NICK_NAME, "(nik)"), -1);  // unchanged: nothing written
  EXPECT_EQ(stored("User", "NickName"), "changed behind the store's back");
  EXPECT_EQ(zmSetPreference(ZM_PREF_NICK_NAME, "bob"), 0);
  EXPECT_EQ(stored("User", "NickName"), "bob");
  EXPECT_EQ(text(ZM_PREF_NICK_NAME), "bob");

  const int off = 0, other = 5;
  EXPECT_EQ(zmSetPreference(ZM_PREF_TEXTURE, &off), 0);
  EXPECT_EQ(stored("Texture", "Texture"), "no");
  EXPECT_EQ(zmSetPreference(ZM_PREF_TEXTURE, &other), -1);  // anything but 1 is "no" again
  EXPECT_EQ(zmSetPreference(ZM_PREF_USER_NAME, std::string(40, 'x').c_str()), 0);
  EXPECT_EQ(text(ZM_PREF_USER_NAME), std::string(31, 'x'));  // cut to the row's 32 bytes
}

TEST_F(PreferencesTest, DialogShowsThePreferencesAndOnlyOkWritesThem) {
  store("User", "NickName", "ann");
  HWND owner = makeOwner();
  struct Case {
    std::vector<DialogAction> script;
    int result;
    int texture;
    const char* nick;
    const char* port;
  } cases[] = {
      {{{DialogAction::Check, ZM_PREFDLG_TEXTURE, "", BST_UNCHECKED},
        {DialogAction::Type, ZM_PREFDLG_NICK_NAME, "cat"},
        {DialogAction::Press, IDCANCEL}},
       -1, 1, "ann", ""},
      {{{DialogAction::Check, ZM_PREFDLG_TEXTURE, "", BST_UNCHECKED},
        {DialogAction::Type, ZM_PREFDLG_NICK_NAME, "cat"},
        {DialogAction::Type, ZM_PREFDLG_SOCKS_PORT, "1080"},
        {DialogAction::Press, IDOK}},
       0, 0, "cat", "1080"},
  };
  for (const Case& c : cases) {
    platform::queueDialogScript(c.script);
    EXPECT_EQ(zmOpenPreferenceDialog(owner), c.result);
    EXPECT_EQ(yesNo(ZM_PREF_TEXTURE), c.texture);
    EXPECT_EQ(stored("Texture", "Texture"), c.texture ? "yes" : "no");
    EXPECT_EQ(stored("User", "NickName"), c.nick);
    EXPECT_EQ(text(ZM_PREF_SOCKS_PORT), c.port);
  }
  EXPECT_EQ(stored("Sound", "Sound"), "yes");  // written back as shown
}

TEST(PreferenceKeyPath, SplitsAtTheFirstBackslashForTheFourRootsOnly) {
  struct Case {
    const char* path;
    int result;
    HKEY root;
    const char* subKey;
  } cases[] = {
      {"HKEY_CURRENT_USER\\Software\\X", 0, HKEY_CURRENT_USER, "Software\\X"},
      {"HKEY_LOCAL_MACHINE\\a", 0, HKEY_LOCAL_MACHINE, "a"},
      {"HKEY_USERS\\", 0, HKEY_USERS, ""},
      {"HKEY_CLASSES_ROOT\\b\\c", 0, HKEY_CLASSES_ROOT, "b\\c"},
      {"hkey_current_user\\Software", -1, nullptr, nullptr},
      {"HKEY_CURRENT_USER", -1, nullptr, nullptr},
      {"HKEY_CURRENT_CONFIG\\x", -1, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    HKEY root = nullptr;
    const char* subKey = nullptr;
    EXPECT_EQ(zmSplitKeyPath(c.path, &root, &subKey), c.result) << c.path;
    if (c.result != 0) continue;
    EXPECT_EQ(root, c.root) << c.path;
    EXPECT_STREQ(subKey, c.subKey) << c.path;
  }
}

}  // namespace
