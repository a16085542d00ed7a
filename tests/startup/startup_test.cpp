// tests/startup/startup_test.cpp -- the start-up installs every layer that
// exists, hands the stand-ins their slots, and names what stays unset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "loading/loadhooks.h"
#include "multiuser/hooks.h"
#include "platform/moviefile.h"
#include "startup/startup.h"
#include "tests/own_modules.h"
#include "tests/vrml_hook_guards.h"
#include "viewer/hooks.h"
#include "vrmlwrite/hooks.h"

namespace {

// Read before any test runs: what linking the layers maps.
const std::string mapsAtStart = mappedFiles();

int quiet(const char*) { return 0; }

std::vector<std::string> notices;
int recordNotice(const char* text) {
  notices.emplace_back(text);
  return 0;
}

class StartupTest : public ::testing::Test {
 protected:
  CoreHookGuards coreHooks;
  VrmlHookGuards vrmlHooks;
  ServiceGuard<ZmWriterLoading> writerHooks{writerLoading};
  ServiceGuard<ZmLoadingScript> loadingScriptHooks{loadingScript};
  ServiceGuard<ZmMultiUserScript> multiUserScriptHooks{multiUserScript};
  ServiceGuard<ZmViewerMultiUser> viewerMultiUserHooks{viewerMultiUser};
};

TEST_F(StartupTest, NothingInstalledListsEverySlotOfTheNamedLayerOnly) {
  const std::string unset = zmListUnsetHooks({"loading"});
  EXPECT_NE(unset.find("loading: coreLoading\n"), std::string::npos) << unset;
  EXPECT_NE(unset.find("loading: vrmlLoading\n"), std::string::npos) << unset;
  EXPECT_NE(unset.find("loading: writerLoading\n"), std::string::npos) << unset;
  EXPECT_EQ(unset.find("viewer:"), std::string::npos) << unset;
  EXPECT_EQ(zmListUnsetHooks({}), "");
}

TEST_F(StartupTest, StartedLayersLeaveOnlyTheirMissingSlotsListed) {
  zmStartLayers({quiet});
  EXPECT_EQ(zmListUnsetHooks({"loading"}), "");  // loading provides all of its slots
  EXPECT_EQ(zmListUnsetHooks({"script"}), "");   // and so does scripting
  EXPECT_EQ(zmListUnsetHooks({"multiuser"}), "");
  // The shell's windows fill theirs later.
  const std::string shell = zmListUnsetHooks({"shell"});
  EXPECT_NE(shell.find("shell: multiUserShell\n"), std::string::npos) << shell;
  const std::string viewer = zmListUnsetHooks({"viewer"});
  EXPECT_EQ(viewer.find("renderSetMaterial"), std::string::npos) << viewer;
  EXPECT_EQ(viewer.find("destroyObjInViewer"), std::string::npos) << viewer;
  EXPECT_EQ(viewer.find("navSetGravity"), std::string::npos) << viewer;
  const std::string media = zmListUnsetHooks({"media"});
  for (const char* slot : {"deleteSoundLeaf", "soundSetWorld", "newSoundLeaf", "addSoundObj"})
    EXPECT_EQ(media.find(slot), std::string::npos) << slot << " in\n" << media;
  EXPECT_EQ(coreMessages().notifyMessage, quiet);
}

TEST_F(StartupTest, StandInsLeftNullStayUnset) {
  zmStartLayers({nullptr});
  EXPECT_FALSE(coreMessages.provided());
}

#ifndef NDEBUG
TEST_F(StartupTest, DebugStartUpPrintsWhatTheInstalledLayersLeaveUnset) {
  testing::internal::CaptureStderr();
  zmStartLayers({quiet});
  const std::string printed = testing::internal::GetCapturedStderr();
  // Nothing at all once the installed layers fill every slot they provide.
  const std::string unset = zmListUnsetHooks({"viewer", "loading", "script", "media", "multiuser"});
  EXPECT_EQ(printed, unset.empty() ? "" : "Service records left unset by the installed layers:\n" + unset);
}
#endif

// The libraries that only the run-time modules link, and the display's,
// which only the program links: a tool maps none of them.
TEST_F(StartupTest, NeitherLinkingNorStartingTheLayersMapsTheModulesLibraries) {
  const std::string before = mappedFiles();
  zmStartLayers({quiet});
  const std::string after = mappedFiles();
  for (const char* library : {"libavcodec.so", "libfluidsynth.so", "libcurl", "libtk", "libX11"}) {
    EXPECT_EQ(mapsAtStart.find(library), std::string::npos) << library;
    EXPECT_EQ(after.find(library) != std::string::npos, before.find(library) != std::string::npos) << library;
  }
}

TEST_F(StartupTest, AModuleThatCannotBeLoadedIsReportedOnceAmongTheMessages) {
  MissingModules missing;  // first: the start-up puts the program's reporter in place of its recorder
  notices.clear();
  zmStartLayers({recordNotice});
  for (int attempt = 0; attempt < 2; ++attempt) EXPECT_EQ(platform::openPictureTrack("any.avi"), nullptr);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("movies.so"), std::string::npos) << notices[0];
}

}  // namespace
