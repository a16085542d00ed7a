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
#include "loading/lha.h"
#include "loading/madecopies.h"
#include "tests/lha_builder.h"
#include "tests/loading/loading_fixture.h"
#include "vrml/hooks.h"

namespace {

using loadingtest::LoadingTest;
namespace fs = std::filesystem;

std::vector<std::string> calls;
std::string fetchedFile;

const char* fetch(const char* url) {
  calls.push_back(std::string("fetch:") + url);
  return fetchedFile.empty() ? nullptr : fetchedFile.c_str();
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

uint32_t fileType(const char* name) {
  if (endsWith(name, ".tcl")) return 5;
  if (endsWith(name, ".wrl")) return 4;
  if (endsWith(name, ".bmp")) return 0;
  return 1;
}

// Stands in for the converter: a GIF member becomes a BMP of the same base
// name in the temporary folder.
int preProcess(int flag, const char* source, char* out, size_t outSize, uint32_t) {
  std::string name = source;
  if (flag != 0) return -1;
  if (endsWith(name, ".gif")) {
    std::string base = fs::path(name).stem().string();
    name = std::string(zmGetTempDir()) + "/" + base + ".bmp";
  }
  snprintf(out, outSize, "%s", name.c_str());
  return 0;
}

int evalScript(const char* file) {
  calls.push_back(std::string("eval:") + file);
  return 0;
}

int enter(const char* url, const char* localFile, uint32_t type) {
  calls.push_back(std::string("enter:") + url + "=" + localFile + ":" + std::to_string(type));
  return 0;
}

class LhaTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    zmTurnOffFlag(ZM_FLAG_ERROR);
    zmInstallLoadingHooks();
    zmLhaCallbacks = {fetch, preProcess, fileType, evalScript, enter};
    calls.clear();
    archive = path("pack.lzh");
    fetchedFile = archive;
  }
  void TearDown() override {
    zmLhaCallbacks = {};
    zmTurnOnFlag(ZM_FLAG_ERROR);
    LoadingTest::TearDown();
  }

  std::string folder(int number) const { return std::string(zmGetTempDir()) + "/" + std::to_string(number) + "/"; }

  std::string archive;
};

TEST_F(LhaTest, ExtractsIntoNumberedFoldersAndEntersEveryMember) {
  lhatest::writeArchive(archive, {{"a.wrl", "#VRML V1.0 ascii\n"},
                                  {"tex\\wood.gif", "GIF89a"},
                                  {"init.tcl", "set x 1\n"},
                                  {"b.wrl", "#VRML V1.0 ascii\n"}});
  int first = zmNextLhaFolderNumber();
  ASSERT_EQ(zmExtractLha("http://host/pack.lzh"), 0);
  std::string f = folder(first);
  std::string temp = zmGetTempDir();
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "fetch:http://host/pack.lzh",
                       "enter:a.wrl=" + f + "a.wrl:4",
                       "enter:tex/wood.gif=" + temp + "/wood.bmp:0",
                       "eval:" + f + "init.tcl",
                       "enter:init.tcl=" + f + "init.tcl:5",
                       "enter:b.wrl=" + f + "b.wrl:4",
                   }));
  EXPECT_TRUE(fs::exists(f + "tex/wood.gif"));
  EXPECT_TRUE(fs::exists(archive));
  EXPECT_TRUE(loadingtest::warnings().empty());

  // The next archive of the run gets the next folder; an archive the
  // program fetched (a copy it made) is deleted once extracted.
  zmRecordMadeCopy(archive.c_str());
  calls.clear();
  ASSERT_EQ(zmExtractLha("http://host/pack.lzh"), 0);
  EXPECT_EQ(zmNextLhaFolderNumber(), first + 2);
  EXPECT_EQ(calls[1], "enter:a.wrl=" + folder(first + 1) + "a.wrl:4");
  EXPECT_FALSE(fs::exists(archive));
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
  EXPECT_EQ(calls, (std::vector<std::string>{"fetch:pack.lzh", "enter:evil.wrl=" + f + "evil.wrl:4",
                                             "enter:abs.wrl=" + f + "abs.wrl:4"}));
  EXPECT_FALSE(fs::exists(std::string(zmGetTempDir()) + "/evil.wrl"));
  EXPECT_FALSE(fs::exists(dir + "/evil.wrl"));
}

TEST_F(LhaTest, BuilderHookExtractsAndFreesTheCopy) {
  lhatest::writeArchive(archive, {{"a.wrl", "x"}});
  vrmlLoading().extractLha("pack.lzh", zmStrdup("pack.lzh"));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].rfind("enter:a.wrl=", 0), 0u);
}

}  // namespace
