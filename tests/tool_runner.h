// tests/tool_runner.h -- runs one of the command-line programs of tools/,
// built next to the test programs, and captures what it prints.
//
// Owns nothing but the command line it builds; the programs themselves are
// what the tests examine.
#ifndef LUMENFOLD_TESTS_TOOL_RUNNER_H
#define LUMENFOLD_TESTS_TOOL_RUNNER_H

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tool_runner {

struct ToolRun {
  int status;          // exit status, -1 when the program did not exit normally
  std::string output;  // standard output (standard error is discarded)
};

inline std::string toolPath(const std::string& name) { return std::string(LUMENFOLD_TOOLS_DIR) + "/" + name; }

// Runs the tool with the arguments (already quoted where they need it).
inline ToolRun runTool(const std::string& name, const std::string& arguments) {
  std::string command = "'" + toolPath(name) + "' " + arguments + " 2>/dev/null";
  ToolRun run{-1, ""};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace tool_runner

#endif
