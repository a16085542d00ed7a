// tests/shell/lamp_test.cpp -- the status lamp: where its frame lies, and its
// blink seen through the frame's pixels in the main window.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/wingdi.h"
#include "shell/lamp.h"
#include "tests/shell/main_window_fixture.h"
#include "viewer/rendering.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A view of 100 x 75: the frame's edges run through x 13 and 116, y 27 and
// 104, three pixels wide.
constexpr int kViewWidth = 100;
constexpr int kViewHeight = 75;

class LampTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    zmSetViewWindowSize(kViewWidth, kViewHeight);
    zmStopLampBlink();
  }
  void TearDown() override {
    zmStopLampBlink();
    zmSetViewWindowSize(0, 0);
    MainWindowTest::TearDown();
  }

  // The lamp's colour as the main window shows it, at the middle of the
  // frame's top edge.
  COLORREF shownColour() const { return mainPixels().at(13 + kViewWidth / 2, 27); }

  struct Step {
    DWORD time;
    int phasesLeft;
    COLORREF shown;
  };
  void runSteps(std::initializer_list<Step> steps) {
    for (const Step& step : steps) {
      SCOPED_TRACE(step.time);
      zmLampBlinkStep(step.time);
      EXPECT_EQ(zmGetLampPhases(), step.phasesLeft);
      EXPECT_EQ(shownColour(), step.shown);
    }
  }
};

TEST_F(LampTest, FrameHugsTheViewWithAThreePixelPen) {
  HDC dc = GetDC(main);
  zmDrawLampFrame(dc, kRed);
  ReleaseDC(main, dc);
  const platform::WindowPixels shown = mainPixels();
  struct Probe {
    int x, y;
    bool lit;
  };
  const int midX = 60, midY = 65;
  for (const Probe& p : {Probe{12, midY, true}, Probe{14, midY, true}, Probe{11, midY, false},
                         Probe{15, midY, false},  // left edge around x 13
                         Probe{midX, 26, true}, Probe{midX, 28, true}, Probe{midX, 25, false},
                         Probe{midX, 29, false},  // top edge around y 27
                         Probe{115, midY, true}, Probe{117, midY, true}, Probe{114, midY, false},
                         Probe{118, midY, false},  // right edge around x 116
                         Probe{midX, 103, true}, Probe{midX, 105, true}, Probe{midX, 102, false},
                         Probe{midX, 106, false},  // bottom edge around y 104
                         Probe{13, 27, true}, Probe{116, 104, true}}) {
    EXPECT_EQ(shown.at(p.x, p.y) == kRed, p.lit) << p.x << "," << p.y;
  }
}

TEST_F(LampTest, BlinkShowsColourRestColourRestAndEndsAtRest) {
  EXPECT_EQ(zmGetLampRestColor(), kBlack);
  zmSetLamp(kRed);  // at 1000: the first phase lasts until after 1250
  EXPECT_EQ(zmGetLampColor(), kRed);
  EXPECT_EQ(zmGetLampPhases(), 3);
  EXPECT_EQ(shownColour(), kRed);
  runSteps({
      {1100, 3, kRed},
      {1250, 3, kRed},    // the deadline itself is not past it
      {1251, 2, kBlack},  // next deadline 1501
      {1501, 2, kBlack},
      {1520, 1, kRed},    // next deadline 1770
      {1771, 0, kBlack},
      {9000, 0, kBlack},  // at rest: nothing more is drawn
  });
}

TEST_F(LampTest, AlertDuringABlinkRestartsThreePhasesInItsColour) {
  zmSetLamp(kGreen);
  runSteps({{1300, 2, kBlack}});
  platform::advanceClock(400);  // 1400
  zmSetLamp(kRed);
  EXPECT_EQ(zmGetLampPhases(), 3);
  EXPECT_EQ(shownColour(), kRed);
  runSteps({
      {1600, 3, kRed},  // the new deadline is 1650, not the old blink's 1550
      {1651, 2, kBlack},
      {1902, 1, kRed},
      {2153, 0, kBlack},
  });
}

TEST_F(LampTest, StoppedBlinkStaysWhereItStoodAndARestedOneGoesBlack) {
  zmSetLamp(kRed);
  zmStopLampBlink();
  runSteps({{1251, 0, kRed}, {5000, 0, kRed}});

  zmSetLamp(kGreen);
  zmRestLamp();
  EXPECT_EQ(zmGetLampPhases(), 0);
  EXPECT_EQ(shownColour(), kBlack);
  runSteps({{9000, 0, kBlack}});
}

// The clock wraps after 2^32 ms; a blink across the wrap still waits its
// 250 ms.
class LampWrapTest : public LampTest {
 protected:
  uint64_t startClockMs() const override { return 0xFFFFFF00u; }  // 256 ms before the wrap
};

TEST_F(LampWrapTest, PhasesLastTheirTimeAcrossTheClockWrap) {
  zmSetLamp(kRed);  // deadline 0xFFFFFF00 + 250 = 0xFFFFFFFA
  runSteps({
      {0xFFFFFF01u, 3, kRed},
      {0xFFFFFFFBu, 2, kBlack},  // next deadline 245, after the wrap
      {0xFFFFFFFFu, 2, kBlack},  // a plain comparison would take 245 as past
      {100, 2, kBlack},
      {246, 1, kRed},
  });
}

}  // namespace
