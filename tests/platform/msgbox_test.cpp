// Tests of the headless message box and the recorder.
#include "tests/platform/window_fixture.h"

namespace {

class MessageBoxTest : public WindowTest {};

TEST_F(MessageBoxTest, RecordsEachBoxAndAnswersFromTheScriptThenTheFirstButton) {
  platform::queueMessageBoxAnswer(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Lumenfold", MB_YESNO), IDNO);
  const struct {
    UINT type;
    int answer;
  } firstButtons[] = {{MB_OK, IDOK},         {MB_OKCANCEL, IDOK},     {MB_YESNO, IDYES},
                      {MB_YESNOCANCEL, IDYES}, {MB_RETRYCANCEL, IDRETRY},
                      {MB_ABORTRETRYIGNORE | MB_ICONSTOP, IDABORT}};
  for (const auto& c : firstButtons) EXPECT_EQ(MessageBoxA(nullptr, "t", "c", c.type), c.answer);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDOK);
  std::vector<platform::RecordedEvent> boxes = platform::recordedEvents("MessageBox");
  ASSERT_EQ(boxes.size(), 8u);
  EXPECT_EQ(boxes[0].detail, "Lumenfold\nSave?");
  EXPECT_EQ(boxes[7].detail, "Error\n");
  platform::recordEvent("Blit", "BitBlt 0,0 8x8");
  EXPECT_EQ(platform::recordedEvents().size(), 9u);
  EXPECT_EQ(platform::recordedEvents("Blit").size(), 1u);
  platform::clearRecordedEvents();
  EXPECT_TRUE(platform::recordedEvents().empty());
}

TEST_F(MessageBoxTest, AnUnscriptedBoxPrintsItsCaptionAndTextToStandardError) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Load Error", "Lumenfold", MB_OK), IDOK);
  platform::queueMessageBoxAnswer(IDCANCEL);
  MessageBoxA(nullptr, "scripted", "Quiet", MB_OKCANCEL);  // a test's answer is not a headless run
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Lumenfold: Load Error\n");
}

TEST_F(MessageBoxTest, ABoxPumpsNoMessages) {
  HWND a = makeWindow();
  ValidateRect(a, nullptr);
  PostMessageA(a, WM_USER, 0, 0);
  log.clear();
  MessageBoxA(a, "text", "caption", MB_OK);
  EXPECT_TRUE(log.empty());
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

}  // namespace
