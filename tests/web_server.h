// tests/web_server.h -- a web server of the tests' own (tests/webserver.py)
// serving a folder on 127.0.0.1, started for a test and stopped with it.
//
// Owns the server process: started by the constructor, ended by the
// destructor. It does not own the folder it serves.
#ifndef LUMENFOLD_TESTS_WEB_SERVER_H
#define LUMENFOLD_TESTS_WEB_SERVER_H

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

class WebServer {
 public:
  // With a log path, every request line that reaches the server is
  // appended to that file.
  explicit WebServer(const std::string& folder, const std::string& log = "") {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
      const std::string script = LUMENFOLD_SOURCE_DIR "/tests/webserver.py";
      if (log.empty()) {
        execlp("python3", "python3", script.c_str(), folder.c_str(), static_cast<char*>(nullptr));
      } else {
        execlp("python3", "python3", script.c_str(), folder.c_str(), log.c_str(), static_cast<char*>(nullptr));
      }
      _exit(127);
    }
    close(out[1]);
    std::FILE* lines = fdopen(out[0], "r");
    if (lines == nullptr || std::fscanf(lines, "%d", &port_) != 1) port_ = 0;
    if (lines != nullptr) std::fclose(lines);
  }
  ~WebServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  bool running() const { return port_ > 0; }
  // The URL of a path below the served folder ("a/b.wrl").
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

#endif
