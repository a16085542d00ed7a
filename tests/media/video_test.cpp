// The video window: a video made here with FFmpeg's encoder plays over the
// view, its frames in order at the file's rate; sounds pause and labels
// stand still around it; the end, a left press or a right release closes
// it; a damaged file is refused.
#include <array>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "media/labelhooks.h"
#include "media/video.h"
#include "platform/presenter.h"
#include "platform/vfw.h"
#include "tests/media/media_fixture.h"

namespace {

constexpr int kSide = 16;
constexpr int kRate = 10;  // frames a second: 100 ms each

// Writes an AVI of one flat colour per frame, losslessly coded, so that the
// colours read back are exact.
bool writeColourVideo(const std::string& path, const std::vector<COLORREF>& colours) {
  AVFormatContext* format = nullptr;
  if (avformat_alloc_output_context2(&format, nullptr, "avi", path.c_str()) < 0) return false;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FFV1);
  AVStream* stream = avformat_new_stream(format, nullptr);
  AVCodecContext* encoder = avcodec_alloc_context3(codec);
  encoder->width = kSide;
  encoder->height = kSide;
  encoder->pix_fmt = AV_PIX_FMT_BGR0;
  encoder->time_base = {1, kRate};
  stream->time_base = encoder->time_base;
  stream->avg_frame_rate = {kRate, 1};
  bool ok = avcodec_open2(encoder, codec, nullptr) == 0 &&
            avcodec_parameters_from_context(stream->codecpar, encoder) >= 0 &&
            avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(format, nullptr) >= 0;
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  auto drain = [&] {
    while (avcodec_receive_packet(encoder, packet) == 0) {
      av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
      packet->stream_index = stream->index;
      av_interleaved_write_frame(format, packet);
    }
  };
  for (size_t i = 0; ok && i < colours.size(); ++i) {
    frame->format = encoder->pix_fmt;
    frame->width = kSide;
    frame->height = kSide;
    ok = av_frame_get_buffer(frame, 0) == 0;
    for (int y = 0; ok && y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        uint8_t* pixel = frame->data[0] + y * frame->linesize[0] + x * 4;
        pixel[0] = GetBValue(colours[i]);
        pixel[1] = GetGValue(colours[i]);
        pixel[2] = GetRValue(colours[i]);
        pixel[3] = 0;
      }
    }
    frame->pts = static_cast<int64_t>(i);
    ok = ok && avcodec_send_frame(encoder, frame) == 0;
    drain();
    av_frame_unref(frame);
  }
  avcodec_send_frame(encoder, nullptr);
  drain();
  if (ok) av_write_trailer(format);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&encoder);
  avio_closep(&format->pb);
  avformat_free_context(format);
  return ok;
}

class VideoTest : public MediaTest {
 protected:
  const std::vector<COLORREF> colours = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(200, 100, 50)};

  std::string colourVideo() {
    std::string path = writeFile("colours.avi", "");  // kept in the list of files to remove
    EXPECT_TRUE(writeColourVideo(path, colours));
    return path;
  }

  static HWND mciWindow() { return GetWindow(zmVideoWindow(), GW_CHILD); }

  static COLORREF shownColour() {
    platform::WindowPixels pixels;
    EXPECT_TRUE(platform::readWindowPixels(mciWindow(), &pixels));
    return pixels.width > 0 ? pixels.at(kSide / 2, kSide / 2) : COLORREF(-1);
  }

  static void advance(int ms) {
    platform::advanceClock(ms);
    pump();
  }

  // A playing sound to watch being paused and resumed.
  ZmSoundLeaf* playingSound() {
    std::string path = writeFile("loop.wav", waveBytes({squareWave(300, 2000)}));
    ZmSoundLeaf* leaf = addSound("loop", path, 1, {0, 0, 0});
    zmPlaySpotSound(leaf->owner, 1);
    runTicks(2);
    EXPECT_EQ(leaf->state, ZM_SOUND_AUDIBLE);
    return leaf;
  }
};

TEST_F(VideoTest, FramesShowInOrderAtTheFilesRateAndTheEndClosesTheWindowAndResumesSounds) {
  makeCamera();
  ZmSoundLeaf* sound = playingSound();
  ASSERT_EQ(zmVideoPlay(colourVideo().c_str()), 0);
  ASSERT_NE(zmVideoWindow(), nullptr);
  EXPECT_EQ(sound->state, ZM_SOUND_PAUSED);

  std::vector<COLORREF> seen = {shownColour()};
  for (size_t i = 1; i < colours.size(); ++i) {
    advance(99);
    EXPECT_EQ(shownColour(), seen.back()) << "frame " << i << " waits its turn";
    advance(1);
    seen.push_back(shownColour());
  }
  EXPECT_EQ(seen, colours);
  EXPECT_EQ(platform::mciFramesShown(mciWindow()), int(colours.size()));

  advance(100);
  pump();
  EXPECT_EQ(zmVideoWindow(), nullptr) << "the end closes it";
  EXPECT_NE(sound->state, ZM_SOUND_PAUSED);
}

TEST_F(VideoTest, ALeftPressOrARightReleaseClosesItAndARightPressDoesNot) {
  struct Case {
    const char* name;
    UINT message;
    bool closes;
  };
  const std::array<Case, 3> cases = {{
      {"left press", WM_LBUTTONDOWN, true},
      {"right release", WM_RBUTTONUP, true},
      {"right press", WM_RBUTTONDOWN, false},
  }};
  std::string path = colourVideo();
  for (const Case& c : cases) {
    for (bool onTheMovie : {false, true}) {
      ASSERT_EQ(zmVideoPlay(path.c_str()), 0) << c.name;
      HWND target = onTheMovie ? mciWindow() : zmVideoWindow();
      SendMessageA(target, c.message, 0, 0);
      pump();
      EXPECT_EQ(zmVideoWindow() == nullptr, c.closes) << c.name << (onTheMovie ? " on the movie" : " beside it");
      if (zmVideoWindow()) SendMessageA(zmVideoWindow(), WM_CLOSE, 0, 0);
    }
  }
}

TEST_F(VideoTest, LabelsStandStillWhileItPlaysAndAFailedPlayLeavesThemAlone) {
  static std::string calls;
  calls.clear();
  HookTableGuard<ZmMediaShellHooks> guard{zmMediaShellHooks};
  zmMediaShellHooks = {[] { calls += "hide "; }, [] { calls += "show "; }};
  EXPECT_EQ(zmVideoPlay((folder + "/missing.avi").c_str()), -1);
  EXPECT_EQ(calls, "");
  ASSERT_EQ(zmVideoPlay(colourVideo().c_str()), 0);
  EXPECT_EQ(calls, "hide ");
  SendMessageA(zmVideoWindow(), WM_LBUTTONDOWN, 0, 0);
  pump();
  EXPECT_EQ(zmVideoWindow(), nullptr);
  EXPECT_EQ(calls, "hide show ");
}

TEST_F(VideoTest, ADamagedOrMissingFileIsRefusedAndSoundsPlayOn) {
  makeCamera();
  ZmSoundLeaf* sound = playingSound();
  std::string whole = colourVideo();
  FILE* in = std::fopen(whole.c_str(), "rb");
  ASSERT_NE(in, nullptr);
  std::string bytes(64, '\0');
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
  std::fclose(in);
  std::string garbage(4096, '\x5a');
  for (const std::string& path : {writeFile("cut.avi", bytes), writeFile("noise.avi", garbage),
                                  folder + "/missing.avi"}) {
    EXPECT_EQ(zmVideoPlay(path.c_str()), -1) << path;
    EXPECT_EQ(zmVideoWindow(), nullptr) << path;
    EXPECT_EQ(sound->state, ZM_SOUND_AUDIBLE) << path;
  }
}

}  // namespace
