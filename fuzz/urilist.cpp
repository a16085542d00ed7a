// fuzz/urilist.cpp -- a "text/uri-list" as a drag-and-drop source offers it,
// read into the local files it names.
//
// Whatever the list, the reader keeps to its bounds: a refused list names no
// file, an accepted one at most the most files, each an absolute path within
// the longest path and without a NUL byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/harness.h"
#include "platform/urilist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> paths;
  const std::string_view list(reinterpret_cast<const char*>(data), size);
  const bool accepted = platform::parseFileUriList(list, &paths);
  if (!accepted && !paths.empty()) std::abort();
  if (paths.size() > platform::kMaxUriListFiles) std::abort();
  for (const std::string& path : paths) {
    if (path.empty() || path[0] != '/' || path.size() > platform::kMaxUriListPath) std::abort();
    if (path.find('\0') != std::string::npos) std::abort();
  }
  return 0;
}
