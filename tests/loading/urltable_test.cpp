// The URL table of a world: registration, lookup, local files fetched on
// demand, the temporary files deleted with the world, and the WWW object
// extensions.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "core/hash.h"
#include "core/object.h"
#include "core/world.h"
#include "loading/filetype.h"
#include "loading/loadhooks.h"
#include "loading/madecopies.h"
#include "loading/urltable.h"
#include "platform/recorder.h"
#include "tests/loading/loading_fixture.h"
#include "vrml/parse.h"

using namespace loadingtest;

namespace {

// The fetch stand-in answers from a fixed name, counting its calls.
const char* fetchAnswer = nullptr;
int fetchCalls = 0;
const char* fakeFetch(ZmUrlHash*) {
  ++fetchCalls;
  return fetchAnswer;
}

class UrlTableTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    zmResetReportStateForTest();
    platform::clearRecordedEvents();
    zmInstallLoadingHooks();
    fetchAnswer = nullptr;
    fetchCalls = 0;
    world = zmNewWorld("file:///w/main.wrl");
    ASSERT_NE(world, nullptr);
    ASSERT_NE(world->urlTable, nullptr);
    zmSetCurrentWorld(world);
  }
  void TearDown() override {
    zmSetCurrentWorld(nullptr);
    if (world) zmDeleteWorld(world);
    zmResetReportStateForTest();
    LoadingTest::TearDown();
  }
  static bool exists(const std::string& name) {
    struct stat status;
    return stat(name.c_str(), &status) == 0;
  }
  std::vector<std::string> errorBoxes() const {
    std::vector<std::string> texts;
    for (const auto& event : platform::recordedEvents("MessageBox")) texts.push_back(event.detail);
    return texts;
  }
  ZmWorld* world = nullptr;
};

bool sameBucket(const char* a, const char* b, uint32_t buckets) {
  return zmHashString(a) % buckets == zmHashString(b) % buckets;
}

TEST_F(UrlTableTest, LookupIgnoresCaseOnlyWithinABucket) {
  ZmUrlHashTable* table = world->urlTable;
  ASSERT_EQ(table->bucketCount, 203);
  ZmUrlHash* first = zmNewUrlHashEntry(table, "wood.gif", nullptr, ZM_FILE_UNKNOWN);
  ASSERT_NE(first, nullptr);
  ZmUrlHash* second = zmNewUrlHashEntry(table, "Wood.GIF", nullptr, ZM_FILE_UNKNOWN);
  if (sameBucket("wood.gif", "Wood.GIF", 203)) {
    EXPECT_EQ(second, first);
  } else {
    EXPECT_NE(second, first);
    EXPECT_STREQ(zmGetUrl(second), "Wood.GIF");
  }

  ZmUrlHashTable* single = nullptr;
  ASSERT_EQ(zmNewUrlHash(1, &single), 0);
  ZmUrlHash* lower = zmNewUrlHashEntry(single, "a/Tex.gif", nullptr, 8);
  EXPECT_EQ(zmNewUrlHashEntry(single, "A/TEX.GIF", nullptr, 0), lower);
  EXPECT_EQ(zmFindUrlHashEntry(single, "a/tex.GIF"), lower);
  EXPECT_EQ(zmFindUrlHashEntry(single, "b.gif"), nullptr);
  zmFreeUrlHash(single);
}

TEST_F(UrlTableTest, ANewRegistrationNeverReplacesTheFirst) {
  ZmUrlHash* entry = zmNewUrlHashEntry(world->urlTable, "http://h/a.wrl", "/tmp/first.wrl", ZM_FILE_WRL);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(zmNewUrlHashEntry(world->urlTable, "http://h/a.wrl", "/tmp/second.wrl", ZM_FILE_BMP), entry);
  EXPECT_STREQ(entry->local_filename, "/tmp/first.wrl");
  EXPECT_EQ(entry->mimeType, ZM_FILE_WRL);
  entry->local_filename[0] = '\0';  // nothing on disk to delete at the end
}

TEST_F(UrlTableTest, DeletingAnEntryMatchesTheExactUrl) {
  ZmUrlHashTable* table = nullptr;
  ASSERT_EQ(zmNewUrlHash(1, &table), 0);  // one bucket: every URL shares it
  zmNewUrlHashEntry(table, "x.wrl", nullptr, ZM_FILE_UNKNOWN);
  zmDeleteUrlHashEntry(table, "X.WRL");
  EXPECT_NE(zmFindUrlHashEntry(table, "x.wrl"), nullptr);
  zmDeleteUrlHashEntry(table, "x.wrl");
  EXPECT_EQ(zmFindUrlHashEntry(table, "x.wrl"), nullptr);
  zmFreeUrlHash(table);

  zmDeleteUrlHashEntry(nullptr, "x.wrl");
  zmDeleteUrlHashEntry(world->urlTable, nullptr);
  EXPECT_EQ(zmNewUrlHashEntry(nullptr, "x.wrl", nullptr, 0), nullptr);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmDeleteUrlHashEntry: pHashtable is NULL",
                                                  "zmDeleteUrlHashEntry: URL is NULL",
                                                  "zmNewUrlHashEntry: URL or pHashtable is NULL"}));
}

TEST_F(UrlTableTest, FreeingTheWorldDeletesOnlyTemporaryFiles) {
  const std::string fetched = path("fetched.wrl"), converted = path("wood.bmp"), world_ = path("local.wrl"),
                    original = path("orig.gif"), unpacked = path("z.wrl"), usersOwn = path("mine.bmp"),
                    usersWorld = path("users.wrl");
  for (const std::string& name : {fetched, converted, world_, original, unpacked, usersOwn, usersWorld})
    writeFile(name, {1});
  zmRecordMadeCopy(fetched.c_str());
  zmRecordMadeCopy(converted.c_str());
  zmRecordMadeCopy(unpacked.c_str());
  ZmUrlHashTable* table = world->urlTable;
  zmNewUrlHashEntry(table, "http://h/fetched.wrl", fetched.c_str(), ZM_FILE_WRL);
  zmNewUrlHashEntry(table, "file:///tex/wood.gif", converted.c_str(), ZM_FILE_BMP);
  zmNewUrlHashEntry(table, "file:///w/local.wrl", world_.c_str(), ZM_FILE_WRL);
  zmNewUrlHashEntry(table, "orig.gif", original.c_str(), ZM_FILE_GIF);
  zmNewUrlHashEntry(table, "file:///w/z.wrl.gz", unpacked.c_str(), ZM_FILE_WRL);
  // Named like a converted copy, but the program never wrote it.
  zmNewUrlHashEntry(table, "file:///tex/mine.gif", usersOwn.c_str(), ZM_FILE_BMP);
  // A web URL, but the file is the user's, not one the program fetched.
  zmNewUrlHashEntry(table, "http://h/users.wrl", usersWorld.c_str(), ZM_FILE_WRL);
  zmSetCurrentWorld(nullptr);
  ASSERT_EQ(zmDeleteWorld(world), 0);
  world = nullptr;
  EXPECT_FALSE(exists(fetched));
  EXPECT_FALSE(exists(converted));
  EXPECT_FALSE(exists(unpacked));
  EXPECT_TRUE(exists(world_));
  EXPECT_TRUE(exists(original));  // the GIF itself, never converted: kept
  EXPECT_TRUE(exists(usersOwn));
  EXPECT_TRUE(exists(usersWorld));
}

TEST_F(UrlTableTest, CopiesLeftByAnEndedRunAreDeletedAtStart) {
  // A run that made two copies, deleted one and then ended without a word.
  pid_t ended = fork();
  if (ended == 0) _exit(0);
  ASSERT_GT(ended, 0);
  waitpid(ended, nullptr, 0);
  const std::string kept = path("kept.wrl"), left = path("left.wrl"), gone = path("gone.bmp");
  for (const std::string& name : {kept, left}) writeFile(name, {1});
  std::string journals = path("home/copies/");
  std::filesystem::create_directories(journals);
  std::ofstream(journals + std::to_string(ended) + ".list") << "+" << left << "\n+" << gone << "\n-" << gone << "\n";
  // A run still going keeps its copies.
  std::ofstream(journals + std::to_string(getppid()) + ".list") << "+" << kept << "\n";

  EXPECT_EQ(zmCleanUpLeftCopies(), 1);
  EXPECT_FALSE(exists(left));
  EXPECT_TRUE(exists(kept));
  EXPECT_FALSE(exists(journals + std::to_string(ended) + ".list"));
  EXPECT_TRUE(exists(journals + std::to_string(getppid()) + ".list"));
}

TEST_F(UrlTableTest, LocalFilesAreFetchedOnceOnDemand) {
  ZmUrlHash* entry = zmWwwLoadFile("tex/a.gif");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->local_filename, nullptr);
  EXPECT_EQ(entry->mimeType, ZM_FILE_UNKNOWN);

  // Nothing can fetch yet: a warning, and the entry stays without a file.
  EXPECT_EQ(zmGetLocalFile(entry), nullptr);
  EXPECT_EQ(zmGetMimeType(entry), ZM_FILE_UNKNOWN);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmGetLocalFile(): NULL", "zmGetLocalFile(): NULL"}));

  zmSetUrlFetch(fakeFetch);
  EXPECT_EQ(zmGetLocalFile(entry), nullptr);  // a failed fetch is tried again next time
  EXPECT_EQ(fetchCalls, 1);
  fetchAnswer = "/w/tex/a.bmp";
  EXPECT_STREQ(zmGetLocalFile(entry), "/w/tex/a.bmp");
  EXPECT_EQ(zmGetMimeType(entry), ZM_FILE_BMP);
  EXPECT_STREQ(zmGetLocalFile(entry), "/w/tex/a.bmp");
  EXPECT_EQ(fetchCalls, 2);
  entry->local_filename[0] = '\0';  // no file to delete

  warnings().clear();
  EXPECT_EQ(zmGetLocalFile(nullptr), nullptr);
  EXPECT_EQ(zmGetMimeType(nullptr), ZM_FILE_UNKNOWN);
  EXPECT_EQ(warnings(), (std::vector<std::string>{"zmGetLocalFile: argument pointer to ZmUrlHash is null.",
                                                  "zmGetMimeType: argument pointer to ZmUrlHash is null."}));
}

TEST_F(UrlTableTest, RegisteringNeedsACurrentWorld) {
  zmSetCurrentWorld(nullptr);
  EXPECT_EQ(zmWwwLoadFile("a.wrl"), nullptr);
  EXPECT_EQ(warnings(), std::vector<std::string>{"zmWwwLoadFile: world is NULL"});
  zmSetCurrentWorld(world);
  EXPECT_EQ(zmWwwLoadFile("a.wrl"), zmWwwLoadFile("a.wrl"));
}

// A world read while another is current files its URLs in its own table.
TEST_F(UrlTableTest, RegisteringWhileAWorldIsReadFilesIntoThatWorld) {
  std::string file = path("built.wrl");
  {
    std::ofstream out(file);
    out << "#VRML V1.0 ascii\nSeparator { DEF BackgroundImage Info { string \"sky.bmp\" }\n"
            "WWWAnchor { name \"http://h/next.wrl\" Cube { } } }\n";
  }
  ZmWorld* built = zmNewWorld("file:///w/built.wrl");
  ASSERT_NE(built, nullptr);
  ASSERT_EQ(parseVRMLIntoWorld(file.c_str(), built), 0);
  for (const char* url : {file.c_str(), "http://h/next.wrl", "sky.bmp"}) {
    EXPECT_NE(zmFindUrlHashEntry(built->urlTable, url), nullptr) << url;
    EXPECT_EQ(zmFindUrlHashEntry(world->urlTable, url), nullptr) << url;
  }
  EXPECT_EQ(built->backgroundImage, zmFindUrlHashEntry(built->urlTable, "sky.bmp"));
  EXPECT_EQ(zmDeleteWorld(built), 0);
}

TEST_F(UrlTableTest, InlineAndAnchorObjectsHoldTheirEntries) {
  ZmObj* object = nullptr;
  ASSERT_EQ(zmNewZmObj(world, &object, 0), 0);
  ASSERT_EQ(zmAddTopObject(object, "main.wrl"), 0);
  const char* text = nullptr;
  EXPECT_EQ(zmGetUrlNameOfWWW(object, zmWWWInline, &text), -1);  // none yet: no report
  EXPECT_TRUE(errorBoxes().empty());

  ASSERT_EQ(zmSetNameOfWWW(object, zmWWWInline, "sub/in.wrl"), 0);
  ASSERT_EQ(zmSetNameOfWWW(object, zmWWWAnchor, "http://h/next.wrl"), 0);
  EXPECT_EQ(zmGetUrlNameOfWWW(object, zmWWWInline, &text), 0);
  EXPECT_STREQ(text, "sub/in.wrl");
  EXPECT_EQ(zmGetUrlNameOfWWW(object, zmWWWAnchor, &text), 0);
  EXPECT_STREQ(text, "http://h/next.wrl");
  EXPECT_EQ(zmFindUrlHashEntry(world->urlTable, "sub/in.wrl"),
            reinterpret_cast<ZmUrlHash*>(zmGetObjExtension(object, zmWWWInline)));

  // A local file that cannot be had is only a warning.
  EXPECT_EQ(zmGetLocalNameOfWWW(object, zmWWWInline, &text), -1);
  EXPECT_EQ(warnings().back(), "zmGetLocalNameOfWWW: zmGetLocalFile() failed.");
  EXPECT_TRUE(errorBoxes().empty());
  zmSetUrlFetch(fakeFetch);
  fetchAnswer = "/w/sub/in.wrl";
  EXPECT_EQ(zmGetLocalNameOfWWW(object, zmWWWInline, &text), 0);
  EXPECT_STREQ(text, "/w/sub/in.wrl");

  EXPECT_EQ(zmSetNameOfWWW(object, 3, "x.wrl"), -1);
  EXPECT_EQ(zmSetNameOfWWW(object, zmWWWInline, "again.wrl"), -1);  // it has one already
  std::vector<std::string> boxes = errorBoxes();
  ASSERT_EQ(boxes.size(), 1u);  // the fatal box shows once a run
  EXPECT_NE(boxes[0].find("zmSetNameOfWWW: Invalid argument."), std::string::npos);
}

}  // namespace
