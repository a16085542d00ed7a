// tests/shell/frame_timer_test.cpp -- the frame timer's interval rule and the
// "-dframerate" lines it writes.
#include <gtest/gtest.h>

#include <string>

#include "platform/recorder.h"
#include "shell/viewwin.h"

namespace {

struct IntervalCase {
  uint32_t interval, rendering, tkDelay;
  uint32_t expected;
  int changed;
};

TEST(FrameIntervalTest, GrowsOnlyPastTheIntervalAndShrinksWheneverSmaller) {
  const IntervalCase cases[] = {
      {20, 35, 90, 135, 1},      // a slow frame: delay + rendering + 10
      {135, 10, 90, 110, 1},     // a faster frame brings it down
      {20, 10, 0, 20, 0},        // N equal to the interval: unchanged
      {20, 1500, 0, 1000, 1},    // growth stops at one second
      {20, 30, 0, 40, 1},        // 30 ms rendering, no toolkit
      {40, 15, 0, 25, 1},        // then 15 ms
      {1000, 1500, 90, 1000, 1}, // capped again; the timer still restarts
      {50, 50, 0, 50, 0},        // rendering equal to the interval: N = 60 is not smaller
  };
  for (const IntervalCase& c : cases) {
    const ZmFrameInterval next = zmNextFrameInterval(c.interval, c.rendering, c.tkDelay);
    EXPECT_EQ(next.interval, c.expected) << c.interval << "/" << c.rendering << "/" << c.tkDelay;
    EXPECT_EQ(next.changed, c.changed) << c.interval << "/" << c.rendering << "/" << c.tkDelay;
  }
}

struct TimingCase {
  uint32_t rendering, other, total;
  ZmFrameInterval next;
  std::string lines;
};

TEST(FrameIntervalTest, DebugLinesGiveTimesRateAndNewInterval) {
  const TimingCase cases[] = {
      {35, 5, 40, {135, 1},
       "Rendering   35 msec. Other    5 msec. Total 40 msec. (25.00 fps)\n"
       "timer interval will be reset to [135 ms]\n"},
      {10, 20, 30, {20, 0}, "Rendering   10 msec. Other   20 msec. Total 30 msec. (33.33 fps)\n"},
      // No time measured at all: no rate rather than a division by zero.
      {0, 0, 0, {20, 0}, "Rendering    0 msec. Other    0 msec. Total 0 msec. ( 0.00 fps)\n"},
  };
  for (const TimingCase& c : cases) {
    platform::clearRecordedEvents();
    zmWriteFrameTiming(c.rendering, c.other, c.total, c.next);
    std::string written;
    for (const platform::RecordedEvent& event : platform::recordedEvents("DebugOutput")) written += event.detail;
    EXPECT_EQ(written, c.lines);
  }
}

}  // namespace
