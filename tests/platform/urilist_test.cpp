// Reading the file URI lists that drag-and-drop sources offer: which lines
// give files, how they decode, and which lists are refused whole.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "platform/urilist.h"

namespace {

using Paths = std::vector<std::string>;

struct ListCase {
  const char* name;
  std::string list;
  bool wellFormed;
  Paths paths;
};

const ListCase kCases[] = {
    {"two files, one escaped blank", "file:///tmp/a.wrl\r\nfile:///tmp/my%20world.wrl\r\n", true,
     {"/tmp/a.wrl", "/tmp/my world.wrl"}},
    {"bare line feeds, no final one", "file:///a\nfile:///b", true, {"/a", "/b"}},
    {"comments, blank lines, other schemes", "# dragged\r\nhttp://example.org/x.wrl\r\n\r\nFILE:///c%2fd", true,
     {"/c/d"}},
    {"localhost and no authority", "file://LocalHost/tmp/x\r\nfile:/tmp/y\r\n", true, {"/tmp/x", "/tmp/y"}},
    {"another machine's file is skipped", "file://faraway.example/tmp/x\r\n", true, {}},
    {"query and fragment are not the path", "file:///tmp/z.wrl#view\r\nfile:///tmp/q?x=1", true,
     {"/tmp/z.wrl", "/tmp/q"}},
    {"escaped UTF-8 and raw bytes", "file:///tmp/caf%C3%A9\r\nfile:///tmp/raw b\xC3\xA9", true,
     {"/tmp/caf\xC3\xA9", "/tmp/raw b\xC3\xA9"}},
    {"empty list", "", true, {}},
    {"escape cut short", "file:///tmp/a.wrl\r\nfile:///tmp/%2", false, {}},
    {"escape without hex digits", "file:///tmp/%zz", false, {}},
    {"escape giving a NUL byte", "file:///tmp/a%00b", false, {}},
    {"relative file path", "file:relative/path", false, {}},
    {"host without a path", "file://localhost", false, {}},
    {"no scheme", "/tmp/bare/path", false, {}},
    {"control character", "file:///a\r\nfile:///b\x01\r\n", false, {}},
    {"NUL inside a line", std::string("file:///a\0b", 11), false, {}},
};

TEST(UriListTest, ListsGiveTheirLocalFilesOrAreRefusedWhole) {
  for (const ListCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Paths paths{"left over"};
    EXPECT_EQ(platform::parseFileUriList(c.list, &paths), c.wellFormed);
    EXPECT_EQ(paths, c.paths);
  }
}

TEST(UriListTest, ThisMachinesNameCountsAsLocal) {
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  Paths paths;
  EXPECT_TRUE(platform::parseFileUriList("file://" + std::string(host) + "/tmp/here.wrl", &paths));
  EXPECT_EQ(paths, Paths{"/tmp/here.wrl"});
}

TEST(UriListTest, BoundsOnFilesPathsAndLength) {
  std::string full;
  for (size_t i = 0; i < platform::kMaxUriListFiles; i++) full += "file:///f" + std::to_string(i) + "\r\n";
  Paths paths;
  EXPECT_TRUE(platform::parseFileUriList(full, &paths));
  EXPECT_EQ(paths.size(), platform::kMaxUriListFiles);
  EXPECT_FALSE(platform::parseFileUriList(full + "file:///one-more\r\n", &paths));
  EXPECT_TRUE(paths.empty());

  // An escape counts once in the decoded path.
  std::string longest = "/" + std::string(platform::kMaxUriListPath - 2, 'p') + "%41";
  EXPECT_TRUE(platform::parseFileUriList("file://" + longest, &paths));
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0].size(), platform::kMaxUriListPath);
  EXPECT_FALSE(platform::parseFileUriList("file://" + longest + "p", &paths));

  std::string padded = "file:///a\r\n#" + std::string(platform::kMaxUriListBytes, ' ');
  EXPECT_FALSE(platform::parseFileUriList(padded, &paths));
  EXPECT_TRUE(platform::parseFileUriList(padded.substr(0, platform::kMaxUriListBytes), &paths));
}

}  // namespace
