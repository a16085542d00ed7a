// vrml/urlbase.cpp -- the URLs of the inline files being read.
#include "vrml/urlbase.h"

#include "vrml/session.h"

#include <cctype>
#include <vector>

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// True when the name starts with a scheme: letters, digits, '+', '-' or '.'
// after a letter, then ':'.
bool hasScheme(const std::string& name) {
  size_t i = 0;
  while (i < name.size() && (std::isalnum(static_cast<unsigned char>(name[i])) || name[i] == '+' ||
                             name[i] == '-' || name[i] == '.'))
    ++i;
  return i > 0 && i < name.size() && name[i] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

// The length of "scheme://host" at the start of the URL, 0 without one.
size_t authorityLength(const std::string& url) {
  size_t scheme = url.find("://");
  if (scheme == std::string::npos || !hasScheme(url.substr(0, scheme + 1))) return 0;
  size_t path = url.find('/', scheme + 3);
  return path == std::string::npos ? url.size() : path;
}

// Removes "." steps and "step/.." pairs from the path after `keep`
// characters; ".." that has nothing to climb stays.
std::string normalise(const std::string& url, size_t keep) {
  std::vector<std::string> steps;
  std::string step;
  auto flush = [&](bool last) {
    if (step == ".") {
      if (last) steps.push_back("");
    } else if (step == ".." && !steps.empty() && steps.back() != "..") {
      steps.pop_back();
      if (last) steps.push_back("");
    } else {
      steps.push_back(step);
    }
    step.clear();
  };
  for (size_t i = keep; i < url.size(); ++i) {
    if (isSeparator(url[i])) flush(false); else step += url[i];
  }
  flush(true);
  std::string out = url.substr(0, keep);
  for (size_t i = 0; i < steps.size(); ++i) out += (i ? "/" : "") + steps[i];
  return out;
}

}  // namespace

void qvPushBaseUrl(const std::string& url) { qvSession().baseUrls.push_back(url); }

void qvPopBaseUrl() {
  std::vector<std::string>& baseUrls = qvSession().baseUrls;
  if (!baseUrls.empty()) baseUrls.pop_back();
}

std::string qvResolveUrl(const char* name) {
  std::string written = name ? name : "";
  const std::vector<std::string>& baseUrls = qvSession().baseUrls;
  if (baseUrls.empty() || written.empty() || hasScheme(written)) return written;
  const std::string& base = baseUrls.back();
  size_t authority = authorityLength(base);
  if (isSeparator(written[0])) return authority ? base.substr(0, authority) + written : written;
  size_t folderEnd = base.find_last_of("/\\");
  std::string folder = folderEnd == std::string::npos || folderEnd + 1 < authority ? "" : base.substr(0, folderEnd + 1);
  if (authority && folder.empty()) folder = base + "/";
  bool absolute = !folder.empty() && isSeparator(folder[0]);
  size_t keep = authority ? authority + 1 : (absolute ? 1 : 0);
  return normalise(folder + written, keep);
}
