// platform/recorder.cpp -- the event log and the scripted message-box answers.
#include "platform/recorder.h"

#include <deque>
#include <utility>

namespace {

// What the platform showed or did, and what the next message boxes answer.
struct Recorder {
  std::vector<platform::RecordedEvent> eventLog;  // in the order recorded
  bool keepingEvents = true;
  std::deque<int> messageBoxAnswers;  // taken from the front
};
Recorder recorder;

}  // namespace

namespace platform {

void recordEvent(std::string kind, std::string detail) {
  if (!recorder.keepingEvents) return;
  recorder.eventLog.push_back(RecordedEvent{std::move(kind), std::move(detail)});
}

std::vector<RecordedEvent> recordedEvents(const std::string& kind) {
  if (kind.empty()) return recorder.eventLog;
  std::vector<RecordedEvent> matching;
  for (const RecordedEvent& event : recorder.eventLog) {
    if (event.kind == kind) matching.push_back(event);
  }
  return matching;
}

void clearRecordedEvents() { recorder.eventLog.clear(); }

void keepRecordedEvents(bool keep) {
  recorder.keepingEvents = keep;
  if (!keep) std::vector<RecordedEvent>().swap(recorder.eventLog);
}

void queueMessageBoxAnswer(int answer) { recorder.messageBoxAnswers.push_back(answer); }

bool takeMessageBoxAnswer(int* answer) {
  if (recorder.messageBoxAnswers.empty()) return false;
  *answer = recorder.messageBoxAnswers.front();
  recorder.messageBoxAnswers.pop_front();
  return true;
}

void clearMessageBoxAnswers() { recorder.messageBoxAnswers.clear(); }

}  // namespace platform
