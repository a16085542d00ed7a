// platform/recorder.h -- the log of what the platform showed or did that a
// test cannot otherwise see, and the scripted answers for modal boxes.
//
// Owns: the ordered event log (message boxes shown, blits made, sounds played,
// processes run: each area records its own kind) and the queue of scripted
// message-box answers. It does not decide what is recorded: each area calls
// recordEvent with its own kind and detail text.
//
// The log is program-wide and grows until cleared; tests clear it in their
// fixtures. The program, which never reads it, turns it off at start: a
// log of every frame's blit would grow for as long as it runs. All calls are
// for the program's one thread.
#ifndef LUMENFOLD_PLATFORM_RECORDER_H
#define LUMENFOLD_PLATFORM_RECORDER_H

#include <string>
#include <vector>

namespace platform {

struct RecordedEvent {
  std::string kind;    // "MessageBox", "Blit", "DebugOutput", ...
  std::string detail;  // the area's own description of the event
};

// Appends one event to the log, unless the log is off.
void recordEvent(std::string kind, std::string detail);

// Turns the log on (as it starts) or off; off, it also drops what it holds.
void keepRecordedEvents(bool keep);

// The events in the order they were recorded: all of them, or only those of
// one kind.
std::vector<RecordedEvent> recordedEvents(const std::string& kind = "");

void clearRecordedEvents();

// Scripted answers for modal boxes: each MessageBoxA takes the next queued
// answer (IDOK, IDYES, ...); with none queued it answers the box's first
// button.
void queueMessageBoxAnswer(int answer);

// Takes the next scripted answer into *answer; false when none is queued.
// For the modal boxes of the platform, not for tests.
bool takeMessageBoxAnswer(int* answer);

// Drops every queued answer (tests call it with clearRecordedEvents).
void clearMessageBoxAnswers();

}  // namespace platform

#endif
