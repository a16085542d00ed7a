// LHA archives named by a world: members extracted into numbered folders of
// the temporary folder, post-processed, scripts run in order, entered in the
// URL table; the warnings of unusable archives; a failed extraction cleaned
// up; member names that try to leave the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/memory.h"
#include "core/strings.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/lha.h"
#include "loading/loadhooks.h"
#include "loading/madecopies.h"
#include "loading/urltable.h"
#include "tests/lha_builder.h"
#include "tests/loading/gif_builder.h"
#include "tests/loading/loading_fixture.h"
#include "vrml/hooks.h"

namespace {

using loadingtest::LoadingTest;
namespace fs = std::filesystem;

std::vector<std::string> calls;
std::string fetchedFile;

const char* fetch(ZmUrlHash* entry) {
  calls.push_back(std::string("fetch:") + zmGetUrl(entry));
  return fetchedFile.empty() ? nullptr : fetchedFile.c_str();
}

int evalScript(ZmWorld*, const char* file) {
  calls.push_back(std::string("eval:") + file);
  return 0;
}

std::string twoPixelGif() {
  loadingtest::GifPicture p;
  p.width = p.height = 2;
  p.globalTable = {{0, 0, 0}, {255, 255, 255}};
  p.pixels = {0, 1, 1, 0};
  p.minCodeSize = 2;
  const std::vector<unsigned char> bytes = loadingtest::buildGif(p);
  return std::string(bytes.begin(), bytes.end());
}

class LhaTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    zmTurnOffFlag(ZM_FLAG_ERROR);
    zmInstallLoadingHooks();
    zmSetUrlFetch(fetch);
    scripts->scriptEvalFile = evalScript;
    world = zmNewWorld("file:///w/main.wrl");
    ASSERT_NE(world, nullptr);
    zmSetCurrentWorld(world);
    calls.clear();
    archive = path("pack.lzh");
    fetchedFile = archive;
  }
  void TearDown() override {
    zmSetCurrentWorld(nullptr);
    zmDeleteWorld(world);
    zmTurnOnFlag(ZM_FLAG_ERROR);
    LoadingTest::TearDown();
  }

  std::string folder(int number) const { return std::string(zmGetTempDir()) + "/" + std::to_string(number) + "/"; }

  // "<local file>:<type code>" of the world's entry for `url`; "none".
  std::string entered(const char* url) const {
    const ZmUrlHash* entry = zmFindUrlHashEntry(world->urlTable, url);
    if (entry == nullptr) return "none";
    return std::string(entry->local_filename ? entry->local_filename : "") + ":" + std::to_string(entry->mimeType);
  }

  ServiceGuard<ZmLoadingScript> scripts{loadingScript};
  ZmWorld* world = nullptr;
  std::string archive;
};

TEST_F(LhaTest, ExtractsIntoNumberedFoldersAndEntersEveryMember) {
  lhatest::writeArchive(archive, {{"a.wrl", "#VRML V1.0 ascii\n"},
                                  {"tex\\wood.gif", twoPixelGif()},
                                  {"init.tcl", "set x 1\n"},
                                  {"b.wrl", "#VRML V1.0 ascii\n"}});
  int first = zmNextLhaFolderNumber();
  ASSERT_EQ(zmExtractLha("http://host/pack.lzh"), 0);
  std::string f = folder(first);
  EXPECT_EQ(calls, (std::vector<std::string>{"fetch:http://host/pack.lzh", "eval:" + f + "init.tcl"}));
  EXPECT_EQ(entered("a.wrl"), f + "a.wrl:4");
  EXPECT_EQ(entered("init.tcl"), f + "init.tcl:5");
  EXPECT_EQ(entered("b.wrl"), f + "b.wrl:4");
  // An image member is converted for the engine; its extracted file stays.
  const std::string picture = entered("tex/wood.gif");
  EXPECT_NE(picture.find("/wood.bmp:0"), std::string::npos) << picture;
  EXPECT_TRUE(fs::exists(picture.substr(0, picture.rfind(':'))));
  EXPECT_TRUE(fs::exists(f + "tex/wood.gif"));
  EXPECT_TRUE(fs::exists(archive));
  EXPECT_TRUE(loadingtest::warnings().empty());

  // The next archive of the run gets the next folder; an archive the
  // program fetched (a copy it made) is deleted once extracted.
  zmRecordMadeCopy(archive.c_str());
  calls.clear();
  ASSERT_EQ(zmExtractLha("http://host/pack.lzh"), 0);
  EXPECT_EQ(zmNextLhaFolderNumber(), first + 2);
  EXPECT_TRUE(fs::exists(folder(first + 1) + "a.wrl"));
  EXPECT_FALSE(fs::exists(archive));
}

TEST_F(LhaTest, MembersThatCannotBeConvertedAreLeftOut) {
  lhatest::writeArchive(archive, {{"broken.gif", "GIF89a"}, {"a.wrl", "#VRML V1.0 ascii\n"}});
  ASSERT_EQ(zmExtractLha("pack.lzh"), 0);
  EXPECT_EQ(entered("broken.gif"), "none");
  EXPECT_NE(entered("a.wrl"), "none");
}

TEST_F(LhaTest, AUsersArchiveIsKeptAfterExtraction) {
  lhatest::writeArchive(archive, {{"a.wrl", "#VRML V1.0 ascii\n"}});
  ASSERT_EQ(zmExtractLha(("file://" + archive).c_str()), 0);
  EXPECT_TRUE(fs::exists(archive));
}

TEST_F(LhaTest, UnusableArchivesWarnAndChangeNothing) {
  std::string text = path("text.lzh");
  loadingtest::writeFile(text, {'n', 'o', 't', ' ', 'l', 'z', 'h'});
  std::string noMembers = path("dots.lzh");
  lhatest::writeArchive(noMembers, {{"..", "x"}});
  struct Case {
    std::string file;
    std::string warning;
  } cases[] = {
      {text, "zmExtractLha: invalid LHA file " + text},
      {path("missing.lzh"), "zmExtractLha: invalid LHA file " + path("missing.lzh")},
      {noMembers, "zmExtractLha: there is no file in " + noMembers},
  };
  int folderBefore = zmNextLhaFolderNumber();
  for (const Case& c : cases) {
    loadingtest::warnings().clear();
    calls.clear();
    fetchedFile = c.file;
    EXPECT_EQ(zmExtractLha("x.lzh"), 0);
    EXPECT_EQ(loadingtest::warnings(), std::vector<std::string>{c.warning});
    EXPECT_EQ(calls.size(), 1u) << calls.back();
  }
  // A fetch that fails ends quietly.
  fetchedFile.clear();
  loadingtest::warnings().clear();
  EXPECT_EQ(zmExtractLha("x.lzh"), 0);
  EXPECT_TRUE(loadingtest::warnings().empty());
  EXPECT_EQ(zmNextLhaFolderNumber(), folderBefore);
}

TEST_F(LhaTest, FailedExtractionWarnsAndRemovesTheMembers) {
  lhatest::writeArchive(archive, {{"a.wrl", "some data"}}, true);
  int number = zmNextLhaFolderNumber();
  EXPECT_EQ(zmExtractLha("pack.lzh"), 0);
  EXPECT_EQ(loadingtest::warnings(), std::vector<std::string>{"CRC error."});
  EXPECT_FALSE(fs::exists(folder(number) + "a.wrl"));
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(LhaTest, MembersNeverLeaveTheirFolder) {
  lhatest::writeArchive(archive, {{"..\\..\\evil.wrl", "x"}, {"\\abs.wrl", "y"}});
  int number = zmNextLhaFolderNumber();
  ASSERT_EQ(zmExtractLha("pack.lzh"), 0);
  std::string f = folder(number);
  EXPECT_EQ(entered("evil.wrl"), f + "evil.wrl:4");
  EXPECT_EQ(entered("abs.wrl"), f + "abs.wrl:4");
  EXPECT_FALSE(fs::exists(std::string(zmGetTempDir()) + "/evil.wrl"));
  EXPECT_FALSE(fs::exists(dir + "/evil.wrl"));
}

TEST_F(LhaTest, BuilderHookExtractsAndFreesTheCopy) {
  lhatest::writeArchive(archive, {{"a.wrl", "x"}});
  vrmlLoading().extractLha("pack.lzh", zmStrdup("pack.lzh"));
  EXPECT_EQ(calls, std::vector<std::string>{"fetch:pack.lzh"});
  EXPECT_NE(entered("a.wrl"), "none");
}

}  // namespace
