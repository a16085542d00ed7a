// Private profile files: the note and sound-set profiles read by number,
// names ignoring case, and the string and list forms with their cuts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/profile.h"
#include "tests/temp_folder.h"

namespace {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = folder + "/note.sna";
    std::ofstream(path) << "; a note sound\r\n"
                           "[Bell]\r\n"
                           "CHANNEL = 3\r\n"
                           "NOTE=60 ; middle C\r\n"
                           "channel=9\r\n"
                           "Hex=0x1F\r\n"
                           "Negative= -2\r\n"
                           "Word=loud\r\n"
                           "Quoted=\"  spaced  \"\r\n"
                           "\r\n"
                           "[soundset]\n"
                           "SOUNDSET=1\n"
                           "[bell]\n"
                           "VEROCITY=5\n";
  }

  TempFolder temp{"lf-profile"};
  std::string folder = temp.path(), path;
};

TEST_F(ProfileTest, IntegersFollowTheFirstMatchingSectionAndKey) {
  struct {
    const char* section;
    const char* key;
    INT fallback;
    UINT expected;
  } cases[] = {
      {"Bell", "CHANNEL", 0, 3},        // first key of a name wins over "channel=9"
      {"bell", "note", 0, 60},          // names ignore case; the number ends at the space
      {"Bell", "VEROCITY", 127, 127},   // only the first [bell] section is read
      {"Bell", "Hex", 0, 31},
      {"Bell", "Negative", 0, static_cast<UINT>(-2)},
      {"Bell", "Word", 7, 0},           // present but not a number
      {"soundset", "SOUNDSET", -1, 1},
      {"soundset", "CHANNEL", 16, 16},
      {"Nothing", "NOTE", -1, static_cast<UINT>(-1)},
  };
  for (const auto& each : cases)
    EXPECT_EQ(GetPrivateProfileIntA(each.section, each.key, each.fallback, path.c_str()), each.expected)
        << each.section << "/" << each.key;
  EXPECT_EQ(GetPrivateProfileIntA("Bell", "NOTE", 4, (folder + "/missing.sna").c_str()), 4u);
  EXPECT_EQ(GetPrivateProfileIntA(nullptr, "NOTE", 4, path.c_str()), 4u);
  EXPECT_EQ(GetPrivateProfileIntA("Bell", "NOTE", 4, nullptr), 4u);
}

TEST_F(ProfileTest, StringsListsAndCuts) {
  char out[64];
  EXPECT_EQ(GetPrivateProfileStringA("BELL", "quoted", "", out, sizeof out, path.c_str()), 10u);
  EXPECT_STREQ(out, "  spaced  ");
  EXPECT_EQ(GetPrivateProfileStringA("Bell", "none", "fallback", out, sizeof out, path.c_str()), 8u);
  EXPECT_STREQ(out, "fallback");
  EXPECT_EQ(GetPrivateProfileStringA("Bell", "none", nullptr, out, sizeof out, path.c_str()), 0u);
  EXPECT_STREQ(out, "");

  char small[4];
  EXPECT_EQ(GetPrivateProfileStringA("Bell", "Word", "", small, sizeof small, path.c_str()), 3u);
  EXPECT_STREQ(small, "lou");

  DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", out, sizeof out, path.c_str());
  EXPECT_EQ(std::string(out, length + 1), std::string("Bell\0soundset\0bell\0\0", length + 1));
  EXPECT_EQ(length, 19u);
  length = GetPrivateProfileStringA("soundset", nullptr, "", out, sizeof out, path.c_str());
  EXPECT_EQ(std::string(out, length + 1), std::string("SOUNDSET\0\0", 10));

  char cut[8];
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", cut, sizeof cut, path.c_str()), 6u);
  EXPECT_EQ(std::string(cut, 8), std::string("Bell\0s\0\0", 8));
  EXPECT_EQ(GetPrivateProfileStringA("Bell", "Word", "", nullptr, 10, path.c_str()), 0u);
}

}  // namespace
