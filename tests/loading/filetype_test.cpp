// File types, MIME texts, URL resolution and the post-processing of fetched
// files.
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "loading/filetype.h"
#include "platform/recorder.h"
#include "tests/loading/gif_builder.h"

using namespace loadingtest;

namespace {

struct NameCase {
  const char* name;
  uint32_t type;
};

TEST(FileType, ByExtensionIgnoringCase) {
  const NameCase cases[] = {
      {"scene.WRL", ZM_FILE_WRL}, {".wrl", ZM_FILE_UNKNOWN},     {"archive.tar.gz", ZM_FILE_GZ},
      {"a.JPE", ZM_FILE_JPEG},    {"b.jpeg", ZM_FILE_JPEG},      {"c.Jpg", ZM_FILE_JPEG},
      {"pic.gif", ZM_FILE_GIF},   {"x.lzh", ZM_FILE_LZH},        {"noext", ZM_FILE_UNKNOWN},
      {"s.tcl", ZM_FILE_TCL},     {"m.wkn", ZM_FILE_WKN},        {"http://h/d.x/file", ZM_FILE_UNKNOWN},
      {"i.bmp", ZM_FILE_BMP},     {"r.ras", ZM_FILE_RAS},        {"v.avi", ZM_FILE_AVI},
      {"w.wav", ZM_FILE_WAV},     {"t.txt", ZM_FILE_UNKNOWN},
  };
  for (const NameCase& c : cases) EXPECT_EQ(zmGetFileType(c.name), c.type) << c.name;
}

TEST(FileType, InnerTypeOfGzipNamesIsCaseSensitive) {
  const NameCase cases[] = {
      {"world.wrl.gz", ZM_FILE_WRL}, {"archive.tar.gz", ZM_FILE_UNKNOWN}, {"WORLD.WRL.GZ", ZM_FILE_UNKNOWN},
      {"a.lzh.gz", ZM_FILE_UNKNOWN}, {"pic.jpe.gz", ZM_FILE_JPEG},        {"x.gz", ZM_FILE_UNKNOWN},
      {"i.gif.gz", ZM_FILE_GIF},     {"/d.wrl/x.gz", ZM_FILE_UNKNOWN},
  };
  for (const NameCase& c : cases) EXPECT_EQ(zmGetGzInnerFileType(c.name), c.type) << c.name;
}

TEST(FileType, MimeTextsMapBothWays) {
  const char* names[] = {"a.bmp", "a.ras", "a.avi", "a.wav", "a.wrl", "a.tcl",
                         "a.wkn", "a.jpg", "a.gif", "a.gz",  "a.lzh"};
  for (uint32_t type = 0; type < 11; ++type) {
    const char* mime = zmGetMimeTextOfFile(names[type]);
    ASSERT_NE(mime, nullptr) << names[type];
    EXPECT_EQ(zmGetFileTypeOfMime(mime), type) << mime;
  }
  EXPECT_STREQ(zmGetMimeTextOfFile("w.WRL"), "x-world/x-vrml");
  EXPECT_EQ(zmGetMimeTextOfFile("notes.txt"), nullptr);
  EXPECT_EQ(zmGetFileTypeOfMime("image/GIF"), ZM_FILE_UNKNOWN);
  EXPECT_EQ(zmGetFileTypeOfMime("image/x-MS-bmp"), ZM_FILE_BMP);
}

TEST(FileType, UrlSchemes) {
  const std::pair<const char*, int> cases[] = {
      {"file:///tmp/a.wrl", ZM_SCHEME_FILE}, {"FILE:/x", ZM_SCHEME_FILE}, {"Http://h/a", ZM_SCHEME_HTTP},
      {"ftp://h/a", ZM_SCHEME_OTHER},        {"https://h", ZM_SCHEME_OTHER}, {"../a.wrl", ZM_SCHEME_NONE},
      {"fil:x", ZM_SCHEME_OTHER},
  };
  for (const auto& [url, scheme] : cases) EXPECT_EQ(zmGetUrlScheme(url), scheme) << url;
}

class UrlTest : public LoadingTest {};

TEST_F(UrlTest, RelativeUrlsResolveAgainstTheDocument) {
  struct {
    const char* base;
    const char* url;
    const char* expected;  // null: failure
  } cases[] = {
      {"file:///C|/a/b/c.wrl", "../tex/a.gif", "file:///C|/a/tex/a.gif"},
      {"file:///C|/a/b.wrl", "/x.wrl", "file:///x.wrl"},
      {"file:///C|/a/b.wrl", "./x.wrl", "file:///C|/a/./x.wrl"},
      {"file:///tmp/w/a.wrl", "../../t/b.gif", "file:///t/b.gif"},
      {"http://host/d/e/w.wrl", "sub/i.wrl", "http://host/d/e/sub/i.wrl"},
      {"http://host/w.wrl", "/top.wrl", "http://host/top.wrl"},
      {"file:///C|/a.wrl", "../../../../x", nullptr},
      {"nofolder", "x.wrl", nullptr},
      {"file:", "/x.wrl", nullptr},
  };
  for (const auto& c : cases) {
    warnings().clear();
    const char* resolved = zmDdeParseAnchor(c.base, c.url);
    if (c.expected == nullptr) {
      EXPECT_EQ(resolved, nullptr) << c.url;
      ASSERT_EQ(warnings().size(), 1u);
      EXPECT_EQ(warnings()[0], std::string("zmDdeParseAnchor: absolute : ") + c.base + ", relative : " + c.url + "\n");
    } else {
      ASSERT_NE(resolved, nullptr) << c.url;
      EXPECT_STREQ(resolved, c.expected);
    }
  }
  const char* absolute = "http://other/x.wrl";
  EXPECT_EQ(zmDdeParseAnchor("file:///a/b.wrl", absolute), absolute);
}

TEST_F(UrlTest, ResolvedUrlsNeverOverrunTheirBuffer) {
  std::string longBase = "file:///" + std::string(600, 'd') + "/w.wrl";
  EXPECT_EQ(zmDdeParseAnchor(longBase.c_str(), "x.wrl"), nullptr);
  std::string base = "file:///" + std::string(400, 'd') + "/w.wrl";
  std::string longUrl(200, 'u');
  EXPECT_EQ(zmDdeParseAnchor(base.c_str(), longUrl.c_str()), nullptr);
  EXPECT_EQ(zmDdeParseAnchor(base.c_str(), ("/" + longUrl + longUrl + longUrl).c_str()), nullptr);
  EXPECT_EQ(warnings().size(), 3u);
}

TEST_F(UrlTest, FileUrlsBecomeLocalPaths) {
  const std::pair<const char*, const char*> cases[] = {
      {"file:///C|/dir/a%20b.wrl", "/dir/a b.wrl"},
      {"file:////srv/x.wrl", "/srv/x.wrl"},
      {"file:///tmp/a\\b.wrl", "/tmp/a/b.wrl"},
      {"FILE:///tmp/100%25.wrl", "/tmp/100%.wrl"},
      {"file:///tmp/bad%zz", "/tmp/bad%zz"},
  };
  for (const auto& [url, path] : cases) {
    const char* local = zmFileUrlToPath(url);
    ASSERT_NE(local, nullptr) << url;
    EXPECT_STREQ(local, path);
  }
  EXPECT_EQ(zmFileUrlToPath("http://host/a.wrl"), nullptr);
  EXPECT_EQ(zmFileUrlToPath(("file:///" + std::string(600, 'p')).c_str()), nullptr);
}

TEST_F(UrlTest, PathsRoundTripThroughFileUrls) {
  const char* url = zmMakeFileUrl("/tmp/100% sure/a.wrl");
  ASSERT_NE(url, nullptr);
  EXPECT_STREQ(url, "file:///tmp/100%25 sure/a.wrl");
  EXPECT_STREQ(zmFileUrlToPath(url), "/tmp/100% sure/a.wrl");
  EXPECT_STREQ(zmMakeFileUrl("\\tmp\\w.wrl"), "file:///tmp/w.wrl");
  EXPECT_EQ(zmMakeFileUrl(("/" + std::string(600, 'p')).c_str()), nullptr);
}

TEST_F(UrlTest, NamesResolveToACaseInsensitiveMatch) {
  std::filesystem::create_directories(path("Sub/Tex"));
  writeFile(path("Sub/Tex/Wood.GIF"), {1});
  std::string url = "file://" + dir + "/sub\\TEX/wood.gif";
  const char* local = zmFileUrlToPath(url.c_str());
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(std::string(local), path("Sub/Tex/Wood.GIF"));

  char missing[512];
  snprintf(missing, sizeof missing, "%s/SUB/nothing/x.gif", dir.c_str());
  EXPECT_EQ(zmResolveLocalName(missing), 0);
  EXPECT_EQ(std::string(missing), path("Sub/nothing/x.gif"));
}

class PostProcessTest : public LoadingTest {
 protected:
  static bool exists(const std::string& name) {
    struct stat status;
    return stat(name.c_str(), &status) == 0;
  }
  void writeGif(const std::string& name) {
    GifPicture p;
    p.width = p.height = 2;
    p.globalTable = {{0, 0, 0}, {255, 255, 255}};
    p.pixels = {0, 1, 1, 0};
    p.minCodeSize = 2;
    writeFile(name, buildGif(p));
  }
  char out[ZM_URL_BUFFER_SIZE] = "";
};

TEST_F(PostProcessTest, OutputNamesTakeTheTypesExtension) {
  const struct {
    int placement;
    const char* source;
    uint32_t type;
    const char* expected;
  } cases[] = {
      {2, "/my.dir/pic.gif", ZM_FILE_BMP, "/my.dir/pic.bmp"},
      {1, "/my.dir/pic", ZM_FILE_BMP, "/my.dir/pic.bmp"},
      {1, "/d/w.wrl.gz", ZM_FILE_WRL, "/d/w.wrl.wrl"},
      {1, "/d/a.jpeg", ZM_FILE_JPEG, "/d/a.jpg"},
      {1, "/d/a.tar", ZM_FILE_GZ, "/d/a"},
      {1, "/d/.hidden", ZM_FILE_TCL, "/d/.hidden.tcl"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(zmMakeFilenameFromMime(c.placement, c.source, out, sizeof out, c.type), out) << c.source;
    EXPECT_STREQ(out, c.expected);
  }
  ASSERT_EQ(zmMakeFilenameFromMime(ZM_PLACE_LOCAL, "C:\\w\\pic.gif", out, sizeof out, ZM_FILE_BMP), out);
  EXPECT_EQ(std::string(out), path("home/pic.bmp"));
  char small[8];
  EXPECT_EQ(zmMakeFilenameFromMime(1, "/d/long.gif", small, sizeof small, ZM_FILE_BMP), nullptr);
}

TEST_F(PostProcessTest, EmptyBaseNameIsAnError) {
  platform::clearRecordedEvents();
  zmResetReportStateForTest();
  EXPECT_EQ(zmMakeFilenameFromMime(ZM_PLACE_LOCAL, "/d/", out, sizeof out, ZM_FILE_BMP), nullptr);
  auto boxes = platform::recordedEvents("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].detail.find("zmMakeFilenameFromMime: invalid filename"), std::string::npos);
  zmResetReportStateForTest();
}

TEST_F(PostProcessTest, LocalGifIsConvertedIntoTheUserFolderAndKept) {
  writeGif(path("x.gif"));
  ASSERT_EQ(zmPreProcessFile(ZM_PLACE_LOCAL, path("x.gif").c_str(), out, sizeof out, ZM_FILE_WRL), 0);
  EXPECT_EQ(std::string(out), path("home/x.bmp"));
  EXPECT_TRUE(exists(out));
  EXPECT_TRUE(exists(path("x.gif")));
  ReadBack bmp(out);
  EXPECT_EQ(bmp.result, 0);
  EXPECT_EQ(bmp.info.width, 2);
}

TEST_F(PostProcessTest, FetchedGifIsConvertedBesideItselfAndDeleted) {
  writeGif(path("y.gif"));
  ASSERT_EQ(zmPreProcessFile(ZM_PLACE_FETCHED, path("y.gif").c_str(), out, sizeof out, ZM_FILE_WRL), 0);
  EXPECT_EQ(std::string(out), path("y.bmp"));
  EXPECT_TRUE(exists(out));
  EXPECT_FALSE(exists(path("y.gif")));
}

TEST_F(PostProcessTest, FailedConversionLeavesNoOutput) {
  writeFile(path("bad.gif"), {'G', 'I', 'F', '8', '8', 'a'});
  writeFile(path("bad.jpg"), {0xFF, 0xD8, 0x00});
  EXPECT_EQ(zmPreProcessFile(ZM_PLACE_FETCHED, path("bad.gif").c_str(), out, sizeof out, ZM_FILE_WRL), -1);
  EXPECT_EQ(zmPreProcessFile(2, path("bad.jpg").c_str(), out, sizeof out, ZM_FILE_WRL), -1);
  EXPECT_FALSE(exists(path("bad.bmp")));
  EXPECT_FALSE(exists(path("bad.gif")));  // fetched: deleted whatever the outcome
  EXPECT_TRUE(exists(path("bad.jpg")));
}

TEST_F(PostProcessTest, PlainFilesAreUsedAsTheyAre) {
  ASSERT_EQ(zmPreProcessFile(ZM_PLACE_FETCHED, "/d/w.wrl", out, sizeof out, ZM_FILE_WRL), 0);
  EXPECT_STREQ(out, "/d/w.wrl");
  char small[4];
  EXPECT_EQ(zmPreProcessFile(ZM_PLACE_FETCHED, "/d/w.wrl", small, sizeof small, ZM_FILE_WRL), -1);
}

TEST_F(PostProcessTest, GzipFilesAreUnpackedThenConverted) {
  writeFile(path("bad.wrl.gz"), {1});
  zmTurnOffFlag(ZM_FLAG_ERROR);  // the gzip failure would close the program
  EXPECT_EQ(zmPreProcessFile(ZM_PLACE_FETCHED, path("bad.wrl.gz").c_str(), out, sizeof out, ZM_FILE_WRL), -1);
  zmTurnOnFlag(ZM_FLAG_ERROR);
  EXPECT_FALSE(exists(path("bad.wrl.gz")));  // fetched: deleted whatever the outcome

  gzipped("w.wrl.gz", "#VRML V1.0 ascii\n");
  ASSERT_EQ(zmPreProcessFile(ZM_PLACE_FETCHED, path("w.wrl.gz").c_str(), out, sizeof out, ZM_FILE_WRL), 0);
  EXPECT_EQ(std::string(out), path("w.wrl"));
  EXPECT_FALSE(exists(path("w.wrl.gz")));

  writeGif(path("picture"));
  const Bytes gif = readFile(path("picture"));
  gzipped("t.gif.gz", std::string(gif.begin(), gif.end()));
  ASSERT_EQ(zmPreProcessFile(2, path("t.gif.gz").c_str(), out, sizeof out, ZM_FILE_WRL), 0);
  EXPECT_EQ(std::string(out), path("t.bmp"));
  EXPECT_TRUE(exists(path("t.gif")));
  EXPECT_TRUE(exists(path("t.gif.gz")));
}

TEST_F(PostProcessTest, OverlongUnpackedNameIsRefused) {
  const std::string folder = path(std::string(200, 'n'));
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string packed =
      gzipped(std::string(200, 'n') + "/" + std::string(60, 'w') + ".wrl.gz", "#VRML V1.0 ascii\n");
  const size_t unpackedLength = packed.size() - std::strlen(".gz");
  ASSERT_GE(unpackedLength, size_t(ZM_NAME_BUFFER_SIZE));
  EXPECT_EQ(zmPreProcessFile(2, packed.c_str(), out, sizeof out, ZM_FILE_WRL), -1);
  ASSERT_FALSE(warnings().empty());
  EXPECT_EQ(warnings().back(), "zmPreProcessFile: convertedLength=" + std::to_string(unpackedLength) +
                                   ": buffer 256 size is overflow.");
}

}  // namespace
