// tests/tool_runner.h -- runs one of the command-line programs of tools/,
// built next to the test programs, and captures what it prints.
//
// Owns nothing but the command line it builds and the scratch file that
// holds the program's standard error while it runs; the programs
// themselves are what the tests examine.
#ifndef LUMENFOLD_TESTS_TOOL_RUNNER_H
#define LUMENFOLD_TESTS_TOOL_RUNNER_H

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tool_runner {

struct ToolRun {
  int status;          // exit status, -1 when the program did not exit normally
  std::string output;  // standard output
  std::string errors;  // standard error
};

inline std::string toolPath(const std::string& name) { return std::string(LUMENFOLD_TOOLS_DIR) + "/" + name; }

inline std::string readWhole(FILE* file) {
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  return text;
}

// Runs the tool with the arguments (already quoted where they need it), in
// the folder given, or in the test's own working folder when it is empty.
inline ToolRun runTool(const std::string& name, const std::string& arguments, const std::string& folder = "") {
  ToolRun run{-1, "", ""};
  char errorsPath[] = "/tmp/tool_runner_errors_XXXXXX";
  const int errorsFd = mkstemp(errorsPath);
  if (errorsFd < 0) return run;
  close(errorsFd);
  std::string command = "'" + toolPath(name) + "' " + arguments + " 2>'" + errorsPath + "'";
  if (!folder.empty()) command = "cd '" + folder + "' && " + command;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    run.output = readWhole(pipe);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  if (FILE* errors = std::fopen(errorsPath, "rb")) {
    run.errors = readWhole(errors);
    std::fclose(errors);
  }
  std::remove(errorsPath);
  return run;
}

}  // namespace tool_runner

#endif
