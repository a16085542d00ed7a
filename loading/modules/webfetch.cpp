// loading/modules/webfetch.cpp -- the web module: one web document into a
// file; see loading/httpfetch.h.
//
// The transfer runs on libcurl's multi interface so that the wait for data
// is ours: each turn performs what is ready, calls the caller's progress
// function, then waits at most 100 ms for the socket.
#include "loading/httpfetch.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kPollMs = 100;
constexpr long kMaxRedirects = 10;
constexpr const char* kWebSchemes = "http,https";

// The file being written and how much of it there is.
struct Sink {
  std::FILE* file = nullptr;
  long long received = 0;
};

size_t writeBlock(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  const size_t bytes = size * count;
  if (std::fwrite(data, 1, bytes, sink->file) != bytes) return 0;  // libcurl ends with a write error
  sink->received += static_cast<long long>(bytes);
  return bytes;
}

void initialiseOnce() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

// A new file at `path`, replacing a file there and never following a link.
std::FILE* createFile(const char* path) {
  std::remove(path);
  const int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (descriptor < 0) return nullptr;
  std::FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) close(descriptor);
  return file;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;

void configure(CURL* easy, const char* url, Sink* sink, char* errors) {
  curl_easy_setopt(easy, CURLOPT_URL, url);
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, kWebSchemes);
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, kWebSchemes);
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);  // an error page is not the document
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, "Lumenfold");
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, writeBlock);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, sink);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errors);
}

long long expectedLength(CURL* easy) {
  curl_off_t length = -1;
  if (curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1;
  return length;
}

// Runs the transfer to its end or until keepGoing says false.
ZmFetchOutcome transfer(CURL* easy, Sink* sink, const char* errors, ZmFetchProgress keepGoing, void* user) {
  Multi multi(curl_multi_init());
  if (multi == nullptr || curl_multi_add_handle(multi.get(), easy) != CURLM_OK)
    return {ZM_FETCH_FAILED, 0, "cannot start the transfer"};
  int running = 1;
  bool cancelled = false;
  while (running > 0 && !cancelled) {
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
    if (keepGoing != nullptr && !keepGoing(sink->received, expectedLength(easy), user)) cancelled = true;
    if (running > 0 && !cancelled) curl_multi_poll(multi.get(), nullptr, 0, kPollMs, nullptr);
  }
  CURLcode result = CURLE_FAILED_INIT;
  int left = 0;
  while (CURLMsg* done = curl_multi_info_read(multi.get(), &left))
    if (done->msg == CURLMSG_DONE) result = done->data.result;
  curl_multi_remove_handle(multi.get(), easy);

  long code = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
  if (cancelled) return {ZM_FETCH_CANCELLED, code, "cancelled"};
  if (result == CURLE_HTTP_RETURNED_ERROR) return {ZM_FETCH_HTTP_ERROR, code, "HTTP " + std::to_string(code)};
  if (result != CURLE_OK) return {ZM_FETCH_FAILED, code, errors[0] != '\0' ? errors : curl_easy_strerror(result)};
  return {ZM_FETCH_OK, code, ""};
}

// The caller (zmHttpFetch) has checked the URL's scheme and the path.
ZmFetchOutcome fetch(const char* url, const char* path, ZmFetchProgress keepGoing, void* user) {
  initialiseOnce();
  Easy easy(curl_easy_init());
  if (easy == nullptr) return {ZM_FETCH_FAILED, 0, "cannot start the transfer"};
  Sink sink;
  sink.file = createFile(path);
  if (sink.file == nullptr) return {ZM_FETCH_FAILED, 0, std::string("cannot write ") + path};
  char errors[CURL_ERROR_SIZE] = "";
  configure(easy.get(), url, &sink, errors);
  ZmFetchOutcome outcome = transfer(easy.get(), &sink, errors, keepGoing, user);
  const bool written = std::fclose(sink.file) == 0;
  if (outcome.status == ZM_FETCH_OK && !written) outcome = {ZM_FETCH_FAILED, outcome.httpCode, std::string("cannot write ") + path};
  if (outcome.status != ZM_FETCH_OK) std::remove(path);
  return outcome;
}

}  // namespace

extern "C" const ZmWebFetcher lumenfoldWebFetcher = {fetch};
