// Tests of what a world's scripts may read, by the world's origin: a local
// world reads its own folder, the program's and "usrfiles"; a world from
// the web only what it fetched and "usrfiles". Each row is a script and
// whether it may succeed; %W is the world's folder, %O a folder beside it
// that is not the world's.
#include <filesystem>
#include <fstream>

#include "loading/madecopies.h"
#include "loading/urltable.h"
#include "loading/wwwlink.h"
#include "tests/script/script_fixture.h"

namespace {

struct Row {
  const char* script;
  bool succeeds;
};

class ReadRightsSecurity : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    zmSetUrlFetch(zmWwwFetchUrl);
    worldFolder = folder / "world";
    otherFolder = folder / "world-x";  // shares the world folder's name as a prefix
    std::filesystem::create_directories(worldFolder / "sub");
    std::filesystem::create_directories(otherFolder);
    std::ofstream(worldFolder / "beside.txt") << "beside";
    std::ofstream(worldFolder / "sub" / "deep.tcl") << "set ::deep 1";
    std::ofstream(worldFolder / "part.wrl") << "#VRML V1.0 ascii\nSeparator { Cube { } }\n";
    std::ofstream(otherFolder / "evil.tcl") << "set ::evil 1";
    std::ofstream(otherFolder / "secret.txt") << "secret";
    std::ofstream(otherFolder / "part.wrl") << "#VRML V1.0 ascii\nSeparator { Cube { } }\n";
    std::filesystem::create_symlink(otherFolder / "secret.txt", worldFolder / "link.txt");
  }

  ZmWorld* worldNamed(const std::string& name) {
    ZmWorld* world = zmNewWorld(name.c_str());
    worlds.push_back(world);
    zmSetCurrentWorld(world);
    return world;
  }

  std::string fill(std::string script) const {
    for (auto [key, path] : {std::pair{"%W", worldFolder}, std::pair{"%O", otherFolder}}) {
      for (size_t at; (at = script.find(key)) != std::string::npos;) script.replace(at, 2, path.string());
    }
    return script;
  }

  void expectRows(ZmWorld* world, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
      std::string text;
      EXPECT_EQ(eval(world, fill(row.script), &text) == 0, row.succeeds) << row.script << ": " << text;
    }
  }

  std::filesystem::path worldFolder, otherFolder;
};

TEST_F(ReadRightsSecurity, ALocalWorldReadsBesideItAndNotOutside) {
  ZmWorld* world = worldNamed("file://" + (worldFolder / "w.wrl").string());
  expectRows(world, {
                        {"set f [open %W/beside.txt]; read $f", true},
                        {"file size %W/beside.txt", true},
                        {"file exists %W/missing.txt", true},
                        {"source %W/sub/deep.tcl", true},
                        {"zmWwwLoadFile file://%W/beside.txt", true},
                        {"zmAddObjFromFile 0 %W/part.wrl", true},
                        {"file exists $zmInitfile", true},  // the program's folder
                        {"set f [open %O/secret.txt]; read $f", false},
                        {"set f [open %W/link.txt]; read $f", false},  // a link out of the folder
                        {"set f [open %W/../world-x/secret.txt]; read $f", false},
                        {"source %O/evil.tcl", false},  // the world's folder is a prefix of it
                        {"file size %O/secret.txt", false},
                        {"file exists %O/secret.txt", false},
                        {"zmWwwLoadFile file://%O/secret.txt", false},
                        {"zmWwwLoadFile %O/secret.txt", false},
                        {"zmAddObjFromFile 0 %O/part.wrl", false},
                        {"set f [open /etc/passwd]; read $f", false},
                        {"set f [open ~/.profile]; read $f", false},
                    });
  std::string text;
  ASSERT_EQ(eval(world, "list [info exists ::deep] [info exists ::evil]", &text), 0);
  EXPECT_EQ(text, "1 0");
}

// What a web world fetched is a copy the program made for one of its URLs on
// the web; the same file without that, or a copy of a local file, is not.
TEST_F(ReadRightsSecurity, AWorldFromTheWebReadsOnlyWhatItFetchedAndUsrfiles) {
  ZmWorld* world = worldNamed("http://127.0.0.1:1/w.wrl");
  const std::filesystem::path fetched = folder / "fetched.txt", copied = folder / "copied.txt",
                              unrecorded = folder / "unrecorded.txt";
  for (const auto& path : {fetched, copied, unrecorded}) std::ofstream(path) << "data";
  zmRecordMadeCopy(fetched.c_str());
  zmRecordMadeCopy(copied.c_str());
  zmNewUrlHashEntry(world->urlTable, "http://127.0.0.1:1/data.txt", fetched.c_str(), 11);
  zmNewUrlHashEntry(world->urlTable, ("file://" + (otherFolder / "secret.txt").string()).c_str(), copied.c_str(), 11);
  zmNewUrlHashEntry(world->urlTable, "http://127.0.0.1:1/other.txt", unrecorded.c_str(), 11);
  expectRows(world, {
                        {("set f [open " + fetched.string() + "]; read $f").c_str(), true},
                        {"set f [open notes.txt w]; puts $f n; close $f; set f [open notes.txt]; read $f", true},
                        {("set f [open " + copied.string() + "]; read $f").c_str(), false},
                        {("set f [open " + unrecorded.string() + "]; read $f").c_str(), false},
                        {"set f [open %W/beside.txt]; read $f", false},
                        {"file exists $zmInitfile", false},
                        {"set f [open /etc/passwd]; read $f", false},
                        {"file size /etc/passwd", false},
                        {"glob /", false},
                        {"zmWwwLoadFile file:///etc/passwd", false},
                    });
  std::string text;
  ASSERT_EQ(eval(world, "list [zmWwwOpenUrl file:///etc/x.wrl] [zmWwwOpenFile /etc/x.wrl]", &text), 0);
  EXPECT_EQ(text, "-1 -1");
  EXPECT_TRUE(noticed("a world from the web cannot open local files"));
  ASSERT_EQ(eval(world, "list [array names ::env] $::tcl_platform(user)", &text), 0);
  EXPECT_TRUE(text == "{} {}" || text == "DISPLAY {}") << text;
  zmDeleteMadeCopy(fetched.c_str());
  zmDeleteMadeCopy(copied.c_str());
}

}  // namespace
