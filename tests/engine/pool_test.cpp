// Record pools and the path utilities.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/path.h"
#include "engine/pool.h"
#include "engine_fixture.h"

namespace {

using Pools = OpenEngine;

TEST_F(Pools, RecordSizesAndRecordsPerPage) {
  struct Case {
    intptr_t requested;
    size_t size;
    size_t perPage;
  } cases[] = {
      {1, rwPoolSmallestRecord, rwPoolPageRecordBytes / rwPoolSmallestRecord},
      {2, 8, 510},  // the smallest record is one pointer-sized word
      {68, 68, 60},
      {4084, 4084, 1},
  };
  for (const Case& c : cases) {
    RwPool* pool = RwCreatePool("test", c.requested);
    ASSERT_NE(pool, nullptr) << c.requested;
    EXPECT_EQ(pool->recordSize, c.size);
    EXPECT_EQ(pool->recordsPerPage, c.perPage);
  }
  EXPECT_EQ(RwCreatePool("too big", 4085), nullptr);
  EXPECT_EQ(RwCreatePool("empty", 0), nullptr);
  EXPECT_EQ(RwGetError(), 0);
}

TEST_F(Pools, PagesAreTakenOnlyWhenTheFreeListIsEmpty) {
  RwPool* pool = RwCreatePool("pages", 4084);
  uintptr_t before = RwGetPoolState().pagesAllocated;
  void* first = RwAllocRecord(pool);
  void* second = RwAllocRecord(pool);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(pool->pageCount, 2u);
  EXPECT_EQ(pool->recordsInUse, 2u);
  EXPECT_EQ(RwGetPoolState().pagesAllocated, before + 2);

  RwFreeRecord(pool, second);
  EXPECT_EQ(RwAllocRecord(pool), second);  // reused, no new page
  EXPECT_EQ(pool->pageCount, 2u);
}

TEST_F(Pools, RecordsOfOnePageAreDistinctAndWritable) {
  RwPool* pool = RwCreatePool("small", 12);
  std::vector<unsigned char*> records;
  for (size_t i = 0; i < pool->recordsPerPage; ++i) {
    auto* record = static_cast<unsigned char*>(RwAllocRecord(pool));
    ASSERT_NE(record, nullptr);
    std::memset(record, static_cast<int>(i), 12);
    records.push_back(record);
  }
  EXPECT_EQ(pool->pageCount, 1u);
  for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i][11], static_cast<unsigned char>(i));
}

TEST_F(Pools, FreeingIntoAPoolWithNothingInUseChangesNothing) {
  RwPool* pool = RwCreatePool("idle", 16);
  unsigned char stray[16] = {};
  RwFreeRecord(pool, stray);
  EXPECT_EQ(pool->freeList, nullptr);
  EXPECT_EQ(pool->recordsInUse, 0u);
}

TEST_F(Pools, ExhaustedHeapIsError3) {
  RwPool* pool = RwCreatePool("starved", 4084);
  RwFailAllocationsAfter(0);
  EXPECT_EQ(RwAllocRecord(pool), nullptr);
  EXPECT_EQ(RwGetAndClearError(), rwErrOutOfMemory);
}

TEST(Paths, AbsolutePaths) {
  EXPECT_EQ(RwIsAbsolutePath("/usr/share"), 1);
  EXPECT_EQ(RwIsAbsolutePath("\\shapes"), 1);
  EXPECT_EQ(RwIsAbsolutePath("c:shapes"), 1);
  EXPECT_EQ(RwIsAbsolutePath("shapes/a.rwx"), 0);
  EXPECT_EQ(RwIsAbsolutePath("1:x"), 0);
}

TEST(Paths, JoiningIsBounded) {
  char out[13];
  EXPECT_EQ(RwJoinPath(out, sizeof out, "dir", "name.rwx"), out);
  EXPECT_STREQ(out, "dir/name.rwx");  // 13 bytes with the terminator
  EXPECT_EQ(RwJoinPath(out, sizeof out, "dirx", "name.rwx"), nullptr);
  EXPECT_STREQ(out, "");
}

TEST(Paths, ExtensionIsAddedOnlyWithoutADot) {
  char out[32];
  EXPECT_EQ(RwAddExtension("wood", ".ras", out, sizeof out), out);
  EXPECT_STREQ(out, "wood.ras");
  out[0] = 'x';
  EXPECT_EQ(RwAddExtension("wood.gif", ".ras", out, sizeof out), nullptr);
  EXPECT_EQ(RwAddExtension("my.dir/wood", ".ras", out, sizeof out), nullptr);  // a dot anywhere counts
  EXPECT_EQ(out[0], 'x');
  char tiny[8];
  EXPECT_EQ(RwAddExtension("wood", ".bmp", tiny, sizeof tiny), nullptr);
}

TEST(Paths, BaseNames) {
  struct Case {
    const char* path;
    const char* base;
  } cases[] = {
      {"a.b/c.d", "c"},     {"c:x.ras", "x"},       {"dir\\sub\\tex.bmp", "tex"},
      {"plain", "plain"},   {"/x/y/.hidden", ""},   {"c:", ""},
  };
  for (const Case& c : cases) {
    char out[32];
    char* end = RwBaseName(c.path, out, sizeof out);
    EXPECT_STREQ(out, c.base) << c.path;
    EXPECT_EQ(end, out + std::strlen(c.base));
  }
  char small[3];
  RwBaseName("/long/name.x", small, sizeof small);
  EXPECT_STREQ(small, "na");
}

TEST(Paths, NamesCompareIgnoringCase) {
  EXPECT_EQ(RwSameNameNoCase("MSWindows", "mswindows"), 1);
  EXPECT_EQ(RwSameNameNoCase("abc", "abcd"), 0);
  EXPECT_EQ(RwSameNameNoCase("", ""), 1);
}

TEST(Paths, FileTests) {
  std::string dir = ::testing::TempDir();
  std::string path = dir + "/engine_path_test.txt";
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  EXPECT_EQ(RwTestFile(path.c_str(), rwFileExists), 0);
  EXPECT_EQ(RwTestFile(path.c_str(), rwFileWritable), 0);
  EXPECT_EQ(RwTestFile(path.c_str(), 3), 1);
  std::remove(path.c_str());
  EXPECT_EQ(RwTestFile(path.c_str(), rwFileExists), 1);
  EXPECT_EQ(RwTestFile(path.c_str(), rwFileWritable), 1);
}

}  // namespace
