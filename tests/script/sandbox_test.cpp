// Tests of the sandbox: what a world's script may not reach outside its
// interpreter, each attempt against a marker file that must not appear and
// a victim file that must stay as it was.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "tests/script/script_fixture.h"

namespace {

class SandboxSecurity : public ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    outside = folder / "outside";
    std::filesystem::create_directories(outside);
    marker = outside / "marker";
    victim = outside / "victim";
    std::ofstream(victim) << "kept";
    chmod(victim.c_str(), 0600);
  }

  // The script with %M replaced by the marker's path and %V by the victim's.
  std::string fill(std::string script) const {
    for (auto [key, path] : {std::pair{"%M", marker}, std::pair{"%V", victim}}) {
      for (size_t at; (at = script.find(key)) != std::string::npos;) script.replace(at, 2, path.string());
    }
    return script;
  }

  bool victimIntact() const {
    std::ifstream in(victim);
    std::stringstream content;
    content << in.rdbuf();
    struct stat info {};
    return content.str() == "kept" && stat(victim.c_str(), &info) == 0 && (info.st_mode & 0777) == 0600;
  }

  std::filesystem::path outside, marker, victim;
};

TEST_F(SandboxSecurity, AttemptsToReachTheSystemAreRefused) {
  const char* attempts[] = {
      "set f [open %M w]; puts $f x; close $f",
      "close [open %M a]",
      "close [open %M r+]",
      "close [open %V r+]",
      "close [open %V a]",
      "close [open %V {RDWR}]",
      "set f [open %V]; read $f",
      "file size %V",
      "file stat %V info",
      "file type %V",
      "file normalize ~",
      "file nativename ~/x",
      "file dirname ~",
      "glob /",
      "glob -directory / *",
      "close [open %M {WRONLY CREAT}]",
      "close [open ../marker w]",
      "close [open .. w]",
      "close [open {|touch %M} r]",
      "close [open {|touch %M} w]",
      "close [open {|touch %M}]",
      "close [open {| sh -c {touch %M}} r+]",
      "exec touch %M",
      "load %M",
      "socket localhost 1",
      "interp create other; other eval {exec touch %M}",
      "interp invokehidden {} exec touch %M",
      "interp expose {} exec; exec touch %M",
      "interp alias {} run {} exec; run touch %M",
      "interp alias {} run other exec",
      "cd %M",
      "file delete %V",
      "file del -force -- %V",
      "file rename %V %M",
      "file copy %V %M",
      "file mkdir %M",
      "file link -symbolic %M %V",
      "file attributes %V -permissions 0777",
      "file mtime %V 0",
      "close [lindex [file tempfile name] 0]",
      "::tcl::file::delete %V",
      "::tcl::file::size %V",
      "::tcl::file::readable %V",
      "glob -directory [file dirname %V] *",
      "glob [file dirname %V]/*",
      "source %V",
      "set auto_path [list [file dirname %M]]",
      "lappend auto_path [file dirname %M]",
  };
  for (const char* attempt : attempts) {
    ZmWorld* world = newWorld();
    notices().clear();
    EXPECT_EQ(eval(world, fill(attempt)), -1) << attempt;
    EXPECT_TRUE(noticed("Tcl error: ")) << attempt;
    EXPECT_FALSE(std::filesystem::exists(marker)) << attempt;
    EXPECT_TRUE(victimIntact()) << attempt;
  }
}

TEST_F(SandboxSecurity, AutoPathAndTheEnvironmentStayAsTheyWere) {
  ZmWorld* world = newWorld();
  std::string before, after;
  ASSERT_EQ(eval(world, "set auto_path", &before), 0);
  eval(world, "unset auto_path");
  ASSERT_EQ(eval(world, "set auto_path", &after), 0);
  EXPECT_EQ(after, before);
  const std::string path = std::getenv("PATH");
  ASSERT_EQ(eval(world, "set env(PATH) " + outside.string()), 0);
  EXPECT_EQ(std::getenv("PATH"), path);
}

TEST_F(SandboxSecurity, PlainNamesAreFilesInUsrfiles) {
  ZmWorld* world = newWorld();
  std::string text;
  ASSERT_EQ(eval(world, "set f [open notes.txt w]; puts -nonewline $f hello; close $f"), 0);
  std::filesystem::path usrfiles = folder / "home" / "usrfiles";
  EXPECT_TRUE(std::filesystem::exists(usrfiles / "notes.txt"));
  ASSERT_EQ(eval(world, "set f [open notes.txt]; set t [read $f]; close $f; set t", &text), 0);
  EXPECT_EQ(text, "hello");
  ASSERT_EQ(eval(world, "glob *.txt", &text), 0);
  EXPECT_EQ(text, "notes.txt");
  ASSERT_EQ(eval(world, "file rename notes.txt kept.txt"), 0);
  EXPECT_TRUE(std::filesystem::exists(usrfiles / "kept.txt"));
  ASSERT_EQ(eval(world, "file delete kept.txt"), 0);
  EXPECT_FALSE(std::filesystem::exists(usrfiles / "kept.txt"));
  // So are queries of plain names; a full path outside what the world may
  // read is refused.
  ASSERT_EQ(eval(world, "set f [open new.txt w]; close $f; list [file exists new.txt] [file size new.txt]", &text), 0);
  EXPECT_EQ(text, "1 0");
  EXPECT_EQ(eval(world, fill("set f [open %V]; set t [read $f]; close $f; set t"), &text), -1);
}

TEST_F(SandboxSecurity, OpenRefusalsCarryTheirTexts) {
  ZmWorld* world = newWorld();
  ASSERT_EQ(eval(world, "proc zmTclerror {m} {set ::m $m}"), 0);
  struct Case {
    std::string script, message;
  } cases[] = {
      {"open c:/x/y.txt w", "can't create c:/x/y.txt from zmbrowser.\n"},
      {"open sub/y.txt RDWR", "Posix access mode not support.\n"},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_EQ(eval(world, c.script), -1);
    ASSERT_EQ(eval(world, "set ::m", &text), 0);
    EXPECT_EQ(text, c.message);
  }
}

}  // namespace
