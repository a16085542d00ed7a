// platform/recorder.cpp -- the event log and the scripted message-box answers.
#include "platform/recorder.h"

#include <deque>
#include <utility>

namespace {

std::vector<platform::RecordedEvent> eventLog;  // in the order recorded
bool keepingEvents = true;
std::deque<int> messageBoxAnswers;              // taken from the front

}  // namespace

namespace platform {

void recordEvent(std::string kind, std::string detail) {
  if (!keepingEvents) return;
  eventLog.push_back(RecordedEvent{std::move(kind), std::move(detail)});
}

std::vector<RecordedEvent> recordedEvents(const std::string& kind) {
  if (kind.empty()) return eventLog;
  std::vector<RecordedEvent> matching;
  for (const RecordedEvent& event : eventLog) {
    if (event.kind == kind) matching.push_back(event);
  }
  return matching;
}

void clearRecordedEvents() { eventLog.clear(); }

void keepRecordedEvents(bool keep) {
  keepingEvents = keep;
  if (!keep) std::vector<RecordedEvent>().swap(eventLog);
}

void queueMessageBoxAnswer(int answer) { messageBoxAnswers.push_back(answer); }

bool takeMessageBoxAnswer(int* answer) {
  if (messageBoxAnswers.empty()) return false;
  *answer = messageBoxAnswers.front();
  messageBoxAnswers.pop_front();
  return true;
}

void clearMessageBoxAnswers() { messageBoxAnswers.clear(); }

}  // namespace platform
