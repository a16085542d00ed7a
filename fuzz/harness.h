// fuzz/harness.h -- what every fuzzing harness shares: a private folder for
// the files a reader wants, and quiet program messages.
//
// Owns: the harness's private folder (made on first use under $TMPDIR, or
// /tmp, and removed with all it holds when the process exits) and the
// environment that points the program's own folders into it. It does not own
// the readers under test nor the inputs, which libFuzzer or the replay
// program hand in.
//
// Each harness defines LLVMFuzzerTestOneInput; it must leave nothing behind
// between inputs (files, engine state, memory), because the replay program
// and libFuzzer run many inputs in one process.
#ifndef LUMENFOLD_FUZZ_HARNESS_H
#define LUMENFOLD_FUZZ_HARNESS_H

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// The private folder, with a trailing '/'. Made on first call; a failure to
// make it stops the process, since no input could then be tried.
const std::string& privateFolder();

// Points TEMP, TMPDIR, LUMENFOLD_HOME and the XDG folders at the private
// folder, so that the registry, the user folder and the program's temporary
// folder all live in it. Call before the first use of any of them.
void adoptPrivateFolderAsHome();

// Writes the bytes to privateFolder() + name and returns that path.
std::string writeInput(const char* name, const uint8_t* data, size_t size);

// Removes everything inside the private folder, keeping the folder.
void clearPrivateFolder();

// The bytes as a text, cut at the first NUL (the readers take C strings).
std::string asText(const uint8_t* data, size_t size);

}  // namespace fuzz

#endif
