// platform/video.cpp -- the MCI window stand-in over FFmpeg's libraries.
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include "platform/resources.h"
#include "platform/vfw.h"
#include "platform/wingdi.h"

namespace {

constexpr UINT_PTR kFrameTimer = 1;
const char kClassName[] = "MCIWndClass";

// One open video file: reads packets of its video stream and hands back
// each decoded frame as 32-bit BGR rows from the top.
class VideoFile {
 public:
  ~VideoFile() {
    sws_freeContext(scaler_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
  }

  bool open(const char* path) {
    av_log_set_level(AV_LOG_FATAL);  // failures come back as results, not as console noise
    if (avformat_open_input(&format_, path, nullptr, nullptr) < 0) return false;
    if (avformat_find_stream_info(format_, nullptr) < 0) return false;
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream_ < 0 || !decoder) return false;
    codec_ = avcodec_alloc_context3(decoder);
    if (!codec_) return false;
    if (avcodec_parameters_to_context(codec_, format_->streams[stream_]->codecpar) < 0) return false;
    if (avcodec_open2(codec_, decoder, nullptr) < 0) return false;
    if (codec_->width <= 0 || codec_->height <= 0) return false;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    return packet_ && frame_;
  }

  int width() const { return codec_->width; }
  int height() const { return codec_->height; }

  // Milliseconds between frames from the stream's rate; 40 when unknown.
  UINT frameIntervalMs() const {
    AVRational rate = format_->streams[stream_]->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = format_->streams[stream_]->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) return 40;
    UINT ms = static_cast<UINT>(1000LL * rate.den / rate.num);
    return ms ? ms : 1;
  }

  // The next frame into `bgr` (width * height pixels); false at the end of
  // the file or on a frame that cannot be decoded.
  bool nextFrame(std::vector<uint32_t>* bgr) {
    for (;;) {
      int got = avcodec_receive_frame(codec_, frame_);
      if (got == 0) return convert(bgr);
      if (got != AVERROR(EAGAIN)) return false;
      if (draining_) return false;
      if (!feedPacket()) return false;
    }
  }

 private:
  bool feedPacket() {
    for (;;) {
      if (av_read_frame(format_, packet_) < 0) {
        draining_ = true;
        return avcodec_send_packet(codec_, nullptr) == 0;
      }
      bool ours = packet_->stream_index == stream_;
      int sent = ours ? avcodec_send_packet(codec_, packet_) : 0;
      av_packet_unref(packet_);
      if (sent < 0) return false;
      if (ours) return true;
    }
  }

  bool convert(std::vector<uint32_t>* bgr) {
    scaler_ = sws_getCachedContext(scaler_, frame_->width, frame_->height, AVPixelFormat(frame_->format),
                                   width(), height(), AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr);
    if (!scaler_) return false;
    bgr->assign(static_cast<size_t>(width()) * height(), 0);
    uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(bgr->data()), nullptr, nullptr, nullptr};
    int strides[4] = {width() * 4, 0, 0, 0};
    sws_scale(scaler_, frame_->data, frame_->linesize, 0, frame_->height, planes, strides);
    av_frame_unref(frame_);
    return true;
  }

  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  SwsContext* scaler_ = nullptr;
  int stream_ = -1;
  bool draining_ = false;
};

// What an MCI window keeps: its file, the frame on show, its notify flag.
struct Player {
  VideoFile file;
  std::vector<uint32_t> frame;
  bool notifyMode = false;
  bool playing = false;
  int framesShown = 0;
};

Player* playerOf(HWND hwnd) { return reinterpret_cast<Player*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

void drawFrame(HWND hwnd, const Player& player) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = player.file.width();
  info.bmiHeader.biHeight = -player.file.height();  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(hwnd);
  SetDIBitsToDevice(dc, 0, 0, player.file.width(), player.file.height(), 0, 0, 0, player.file.height(),
                    player.frame.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(hwnd, dc);
}

bool showNextFrame(HWND hwnd, Player* player) {
  if (!player->file.nextFrame(&player->frame)) return false;
  ++player->framesShown;
  drawFrame(hwnd, *player);
  return true;
}

void stopPlaying(HWND hwnd, Player* player) {
  if (!player->playing) return;
  KillTimer(hwnd, kFrameTimer);
  player->playing = false;
}

void onFrameTimer(HWND hwnd, Player* player) {
  if (showNextFrame(hwnd, player)) return;
  stopPlaying(hwnd, player);
  if (player->notifyMode)
    SendMessageA(GetParent(hwnd), MCIWNDM_NOTIFYMODE, reinterpret_cast<WPARAM>(hwnd), MCI_MODE_STOP);
}

LRESULT CALLBACK mciWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Player* player = playerOf(hwnd);
  if (!player) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case MCI_PLAY:
      if (!player->playing) {
        player->playing = SetTimer(hwnd, kFrameTimer, player->file.frameIntervalMs(), nullptr) != 0;
      }
      return 0;
    case MCI_STOP:
      stopPlaying(hwnd, player);
      return 0;
    case WM_TIMER:
      if (wParam == kFrameTimer && player->playing) onFrameTimer(hwnd, player);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      if (player->framesShown) drawFrame(hwnd, *player);
      return 0;
    }
    case WM_NCDESTROY:
      stopPlaying(hwnd, player);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      delete player;
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerClassOnce(HINSTANCE instance) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = mciWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  return RegisterClassA(&wc) != 0;
}

}  // namespace

HWND MCIWndCreateA(HWND parent, HINSTANCE instance, DWORD style, LPCSTR file) {
  if (!file || !registerClassOnce(instance)) return nullptr;
  auto player = std::make_unique<Player>();
  if (!player->file.open(file)) return nullptr;
  player->notifyMode = (style & MCIWNDF_NOTIFYMODE) != 0;
  DWORD windowStyle = style & 0xFFFF0000u;
  HWND hwnd = CreateWindowExA(0, kClassName, file, windowStyle, 0, 0, player->file.width(),
                              player->file.height(), parent, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  Player* kept = player.release();
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kept));
  showNextFrame(hwnd, kept);
  return hwnd;
}

namespace platform {
int mciFramesShown(HWND mciWindow) {
  char name[32];
  if (!IsWindow(mciWindow) || !GetClassNameA(mciWindow, name, sizeof name) || std::strcmp(name, kClassName) != 0) return 0;
  Player* player = playerOf(mciWindow);
  return player ? player->framesShown : 0;
}
}  // namespace platform
