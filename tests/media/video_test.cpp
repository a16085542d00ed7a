// The video window: a video made here with FFmpeg's encoder plays over the
// view, its frames in order at the file's rate and its sound track through
// the wave output in step with them; sounds pause and labels stand still
// around it; the end, a left press or a right release closes it; a damaged
// file is refused.
#include <array>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "media/labelhooks.h"
#include "tests/hook_guard.h"
#include "media/video.h"
#include "platform/presenter.h"
#include "platform/vfw.h"
#include "tests/media/media_fixture.h"
#include "tests/own_modules.h"

namespace {

constexpr int kSide = 16;
constexpr int kRate = 10;  // frames a second: 100 ms each
// Sound rates: one the program's test sounds do not use, and one at which
// the blocks written ahead (16 of 4096 bytes) last 683 ms, less than a
// second of video.
constexpr int kSoundRate = 11025;
constexpr int kQuickSoundRate = 48000;

// The sound of a frame's time: a square wave whose loudness tells the frame.
int16_t loudnessOf(size_t frame) { return int16_t(1000 * (frame + 1)); }

// Writes an AVI of one flat colour per frame, losslessly coded so that the
// colours read back are exact; with a sound rate, also a mono 16-bit sound
// track whose loudness changes with each frame.
class VideoWriter {
 public:
  VideoWriter(const std::string& path, int soundRate) : soundRate_(soundRate) {
    ok_ = avformat_alloc_output_context2(&format_, nullptr, "avi", path.c_str()) >= 0;
    ok_ = ok_ && addStream(&picture_, AV_CODEC_ID_FFV1, [](AVCodecContext* c) {
            c->width = kSide;
            c->height = kSide;
            c->pix_fmt = AV_PIX_FMT_BGR0;
            c->time_base = {1, kRate};
          });
    if (soundRate > 0) {
      ok_ = ok_ && addStream(&sound_, AV_CODEC_ID_PCM_S16LE, [soundRate](AVCodecContext* c) {
              c->sample_fmt = AV_SAMPLE_FMT_S16;
              c->sample_rate = soundRate;
              av_channel_layout_default(&c->ch_layout, 1);
              c->time_base = {1, soundRate};
            });
    }
    ok_ = ok_ && avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 &&
          avformat_write_header(format_, nullptr) >= 0;
  }

  ~VideoWriter() {
    for (Track* track : {&picture_, &sound_}) avcodec_free_context(&track->codec);
    if (format_) avio_closep(&format_->pb);
    avformat_free_context(format_);
  }

  bool write(const std::vector<COLORREF>& colours) {
    for (size_t i = 0; ok_ && i < colours.size(); ++i) {
      ok_ = send(picture_, colourFrame(colours[i], int64_t(i)));
      if (sound_.codec) ok_ = ok_ && send(sound_, soundFrame(i));
    }
    for (Track* track : {&picture_, &sound_})
      if (track->codec) ok_ = ok_ && send(*track, nullptr);
    return ok_ && av_write_trailer(format_) == 0;
  }

 private:
  struct Track {
    AVStream* stream = nullptr;
    AVCodecContext* codec = nullptr;
  };

  template <typename Setup>
  bool addStream(Track* track, AVCodecID id, Setup setup) {
    const AVCodec* codec = avcodec_find_encoder(id);
    track->stream = avformat_new_stream(format_, nullptr);
    track->codec = avcodec_alloc_context3(codec);
    setup(track->codec);
    track->stream->time_base = track->codec->time_base;
    return avcodec_open2(track->codec, codec, nullptr) == 0 &&
           avcodec_parameters_from_context(track->stream->codecpar, track->codec) >= 0;
  }

  static AVFrame* colourFrame(COLORREF colour, int64_t pts) {
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_BGR0;
    frame->width = kSide;
    frame->height = kSide;
    av_frame_get_buffer(frame, 0);
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        uint8_t* pixel = frame->data[0] + y * frame->linesize[0] + x * 4;
        pixel[0] = GetBValue(colour);
        pixel[1] = GetGValue(colour);
        pixel[2] = GetRValue(colour);
        pixel[3] = 0;
      }
    }
    frame->pts = pts;
    return frame;
  }

  AVFrame* soundFrame(size_t index) const {
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_SAMPLE_FMT_S16;
    frame->sample_rate = soundRate_;
    av_channel_layout_default(&frame->ch_layout, 1);
    frame->nb_samples = soundRate_ / kRate;
    av_frame_get_buffer(frame, 0);
    auto* samples = reinterpret_cast<int16_t*>(frame->data[0]);
    for (int i = 0; i < frame->nb_samples; ++i) samples[i] = int16_t((i / 8) % 2 ? loudnessOf(index) : -loudnessOf(index));
    frame->pts = int64_t(index) * frame->nb_samples;
    return frame;
  }

  // Encodes the frame (null: the end) and writes what comes out; frees it.
  bool send(Track& track, AVFrame* frame) {
    bool sent = avcodec_send_frame(track.codec, frame) == 0;
    av_frame_free(&frame);
    AVPacket* packet = av_packet_alloc();
    while (avcodec_receive_packet(track.codec, packet) == 0) {
      av_packet_rescale_ts(packet, track.codec->time_base, track.stream->time_base);
      packet->stream_index = track.stream->index;
      sent = av_interleaved_write_frame(format_, packet) == 0 && sent;
    }
    av_packet_free(&packet);
    return sent;
  }

  int soundRate_;
  AVFormatContext* format_ = nullptr;
  Track picture_, sound_;
  bool ok_ = false;
};

class VideoTest : public MediaTest {
 protected:
  const std::vector<COLORREF> colours = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(200, 100, 50)};

  std::string colourVideo(int soundRate = 0, const std::vector<COLORREF>& frames = {}) {
    std::string path = writeFile("colours.avi", "");  // kept in the list of files to remove
    EXPECT_TRUE(VideoWriter(path, soundRate).write(frames.empty() ? colours : frames));
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

  // The events of a kind recorded by the wave device of the video's sound
  // track, from its opening on.
  static std::vector<std::string> videoDeviceEvents(const std::string& kind) {
    std::vector<std::string> found;
    bool open = false;
    for (const platform::RecordedEvent& event : platform::recordedEvents()) {
      if (event.kind == "Wave" && event.detail.rfind("open ", 0) == 0)
        open = event.detail == "open 1 ch " + std::to_string(kSoundRate) + " Hz 16 bit";
      if (open && event.kind == kind) found.push_back(event.detail);
    }
    return found;
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
  std::string path = colourVideo(kSoundRate);
  platform::clearRecordedEvents();
  ASSERT_EQ(zmVideoPlay(path.c_str()), 0);
  ASSERT_NE(zmVideoWindow(), nullptr);
  EXPECT_EQ(sound->state, ZM_SOUND_PAUSED);
  RECT view, movie;
  GetClientRect(mainWindow, &view);  // the view window when no world shows
  POINT viewOrigin{0, 0};
  ClientToScreen(mainWindow, &viewOrigin);
  OffsetRect(&view, viewOrigin.x, viewOrigin.y);
  GetWindowRect(mciWindow(), &movie);
  EXPECT_NEAR(movie.left + movie.right, view.left + view.right, 1) << "the picture is centred over the view";
  EXPECT_NEAR(movie.top + movie.bottom, view.top + view.bottom, 1);

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

  // The sound track went to a device of its own, whole and at its loudness.
  std::vector<std::string> track = videoDeviceEvents("Wave");
  ASSERT_FALSE(track.empty());
  EXPECT_EQ(track.back(), "close");
  size_t bytes = 0;
  for (const std::string& event : track)
    if (event.rfind("write ", 0) == 0) bytes += std::stoul(event.substr(6));
  EXPECT_EQ(bytes, size_t(kSoundRate / kRate) * 2 * colours.size());
}

// A second of video whose sound is written a little ahead: when the thread
// is held up for longer than that, the picture skips to its time and the
// sound skips the samples it missed; a stop and a play take both up again
// where the picture stood.
TEST_F(VideoTest, SoundStaysInStepWithThePictureThroughDelaysAndStops) {
  std::vector<COLORREF> frames;
  for (int i = 0; i < 10; ++i) frames.push_back(RGB(25 * i, 250 - 25 * i, 128));
  std::string path = colourVideo(kQuickSoundRate, frames);
  platform::clearRecordedEvents();
  ASSERT_EQ(zmVideoPlay(path.c_str()), 0);
  auto levels = [] { return events("WaveLevel"); };
  const size_t ahead = levels().size();
  ASSERT_GT(ahead, 0u);
  EXPECT_EQ(levels().front(), std::to_string(loudnessOf(0)));

  advance(850);
  EXPECT_EQ(shownColour(), frames[8]);
  ASSERT_GT(levels().size(), ahead);
  EXPECT_EQ(levels()[ahead], std::to_string(loudnessOf(8))) << "the sound skipped to the picture";

  SendMessageA(mciWindow(), MCI_STOP, 0, 0);
  const size_t atStop = levels().size();
  advance(1000);
  EXPECT_EQ(levels().size(), atStop) << "nothing plays while stopped";
  EXPECT_EQ(shownColour(), frames[8]);
  SendMessageA(mciWindow(), MCI_PLAY, 0, 0);
  pump();
  ASSERT_GT(levels().size(), atStop);
  EXPECT_EQ(levels()[atStop], std::to_string(loudnessOf(8))) << "the sound went back to the picture";

  advance(150);
  advance(20);
  EXPECT_EQ(zmVideoWindow(), nullptr) << "picture and sound ended together";
  EXPECT_EQ(events("Wave").back(), "close");
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
  ServiceGuard<ZmMediaShell> guard{mediaShell};
  guard->labelHideAll = [] { calls += "hide "; };
  guard->labelShowAll = [] { calls += "show "; };
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

TEST_F(VideoTest, WithoutTheMovieModuleEveryMovieIsRefusedAfterOneReport) {
  makeCamera();
  const std::string path = colourVideo(kSoundRate);
  {
    MissingModules missing;
    for (int attempt = 0; attempt < 2; ++attempt) {
      EXPECT_EQ(zmVideoPlay(path.c_str()), -1);
      EXPECT_EQ(zmVideoWindow(), nullptr);
    }
    ASSERT_EQ(missing.reports().size(), 1u);
    EXPECT_NE(missing.reports()[0].find("movies.so"), std::string::npos) << missing.reports()[0];
  }
  // Found again where it is built, the module is mapped by the first movie.
  EXPECT_EQ(zmVideoPlay(path.c_str()), 0);
  EXPECT_NE(mappedFiles().find("/lib/movies.so"), std::string::npos);
}

}  // namespace
