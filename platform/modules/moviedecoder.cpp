// platform/modules/moviedecoder.cpp -- the movie module: video files
// decoded with FFmpeg behind the tracks of platform/moviefile.h.
#include "platform/moviefile.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace platform {
namespace {

// One stream of a file, its packets read and decoded in turn.
class DecodedStream {
 public:
  ~DecodedStream() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
  }

  bool open(const char* path, AVMediaType type) {
    av_log_set_level(AV_LOG_FATAL);  // failures come back as results, not as console noise
    if (avformat_open_input(&format_, path, nullptr, nullptr) < 0) return false;
    if (avformat_find_stream_info(format_, nullptr) < 0) return false;
    const AVCodec* decoder = nullptr;
    index_ = av_find_best_stream(format_, type, -1, -1, &decoder, 0);
    if (index_ < 0 || !decoder) return false;
    codec_ = avcodec_alloc_context3(decoder);
    if (!codec_) return false;
    if (avcodec_parameters_to_context(codec_, stream()->codecpar) < 0) return false;
    if (avcodec_open2(codec_, decoder, nullptr) < 0) return false;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    return packet_ && frame_;
  }

  const AVCodecContext* codec() const { return codec_; }
  const AVStream* stream() const { return format_->streams[index_]; }

  // The next decoded frame, kept until the next call; null at the end of
  // the stream or on data that cannot be decoded.
  const AVFrame* receive() {
    for (;;) {
      int got = avcodec_receive_frame(codec_, frame_);
      if (got == 0) return frame_;
      if (got != AVERROR(EAGAIN) || draining_ || !feedPacket()) return nullptr;
    }
  }

  // Moves to the last key frame at or before `ms`.
  bool seek(int64_t ms) {
    int64_t target = startPts() + av_rescale_q(ms, AVRational{1, 1000}, stream()->time_base);
    if (av_seek_frame(format_, index_, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(codec_);
    draining_ = false;
    return true;
  }

  // A time stamp of the stream in milliseconds from the stream's start.
  int64_t msOf(int64_t pts) const { return av_rescale_q(pts - startPts(), stream()->time_base, AVRational{1, 1000}); }

 private:
  int64_t startPts() const { return stream()->start_time != AV_NOPTS_VALUE ? stream()->start_time : 0; }

  bool feedPacket() {
    for (;;) {
      if (av_read_frame(format_, packet_) < 0) {
        draining_ = true;
        return avcodec_send_packet(codec_, nullptr) == 0;
      }
      bool ours = packet_->stream_index == index_;
      int sent = ours ? avcodec_send_packet(codec_, packet_) : 0;
      av_packet_unref(packet_);
      if (sent < 0) return false;
      if (ours) return true;
    }
  }

  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  int index_ = -1;
  bool draining_ = false;
};

// ---------------------------------------------------------------- picture

class DecodedPictureTrack : public PictureTrack {
 public:
  ~DecodedPictureTrack() override { sws_freeContext(scaler_); }

  // False when the file cannot be read or holds no video stream that can
  // be decoded.
  bool open(const char* path);

  int width() const override { return stream_->codec()->width; }
  int height() const override { return stream_->codec()->height; }
  unsigned frameIntervalMs() const override;
  bool next(std::vector<uint32_t>* bgr, int64_t* dueMs) override;

 private:
  std::unique_ptr<DecodedStream> stream_;
  SwsContext* scaler_ = nullptr;
  int64_t lastDueMs_ = -1;
};

bool DecodedPictureTrack::open(const char* path) {
  auto stream = std::make_unique<DecodedStream>();
  if (!stream->open(path, AVMEDIA_TYPE_VIDEO)) return false;
  if (stream->codec()->width <= 0 || stream->codec()->height <= 0) return false;
  stream_ = std::move(stream);
  return true;
}

unsigned DecodedPictureTrack::frameIntervalMs() const {
  AVRational rate = stream_->stream()->avg_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) rate = stream_->stream()->r_frame_rate;
  if (rate.num <= 0 || rate.den <= 0) return 40;
  auto ms = static_cast<unsigned>(1000LL * rate.den / rate.num);
  return ms ? ms : 1;
}

bool DecodedPictureTrack::next(std::vector<uint32_t>* bgr, int64_t* dueMs) {
  const AVFrame* frame = stream_->receive();
  if (!frame) return false;
  int64_t pts = frame->best_effort_timestamp;
  // A frame without a time stamp follows the one before it at the rate.
  *dueMs = pts != AV_NOPTS_VALUE ? stream_->msOf(pts) : lastDueMs_ < 0 ? 0 : lastDueMs_ + frameIntervalMs();
  lastDueMs_ = *dueMs;
  scaler_ = sws_getCachedContext(scaler_, frame->width, frame->height, AVPixelFormat(frame->format), width(),
                                 height(), AV_PIX_FMT_BGR0, SWS_POINT, nullptr, nullptr, nullptr);
  if (!scaler_) return false;
  bgr->assign(static_cast<size_t>(width()) * height(), 0);
  uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(bgr->data()), nullptr, nullptr, nullptr};
  int strides[4] = {width() * 4, 0, 0, 0};
  sws_scale(scaler_, frame->data, frame->linesize, 0, frame->height, planes, strides);
  return true;
}

// ---------------------------------------------------------------- sound

class DecodedSoundTrack : public SoundTrack {
 public:
  ~DecodedSoundTrack() override { swr_free(&converter_); }

  // False when the file holds no sound stream that can be decoded.
  bool open(const char* path);

  const WAVEFORMATEX& format() const override { return format_; }
  size_t read(char* out, size_t size) override;
  int64_t positionMs() const override;
  void skipTo(int64_t ms) override;
  bool seekTo(int64_t ms) override;

 private:
  // Decodes one more frame onto the pending bytes; with the flag its time
  // stamp sets the position (the first frame after a seek).
  bool decodeMore(bool takeTimeFromFrame = false);
  void consume(size_t bytes);

  std::unique_ptr<DecodedStream> stream_;
  SwrContext* converter_ = nullptr;
  WAVEFORMATEX format_{};
  std::vector<char> pending_;  // converted bytes not yet read
  size_t pendingAt_ = 0;
  int64_t nextSample_ = 0;  // index, from the stream's start, of pending_[pendingAt_]
};

bool DecodedSoundTrack::open(const char* path) {
  auto stream = std::make_unique<DecodedStream>();
  if (!stream->open(path, AVMEDIA_TYPE_AUDIO)) return false;
  const AVCodecContext* codec = stream->codec();
  const int rate = codec->sample_rate;
  const int sourceChannels = codec->ch_layout.nb_channels;
  if (rate <= 0 || sourceChannels <= 0) return false;
  // More than two channels are mixed down to two.
  const int channels = sourceChannels == 1 ? 1 : 2;
  AVChannelLayout in{}, out{};
  if (codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&in, sourceChannels);
  } else if (av_channel_layout_copy(&in, &codec->ch_layout) < 0) {
    return false;
  }
  av_channel_layout_default(&out, channels);
  bool made = swr_alloc_set_opts2(&converter_, &out, AV_SAMPLE_FMT_S16, rate, &in, codec->sample_fmt, rate, 0,
                                  nullptr) >= 0 &&
              swr_init(converter_) >= 0;
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
  if (!made) return false;
  const auto align = static_cast<WORD>(channels * 2);
  format_ = {WAVE_FORMAT_PCM, WORD(channels), DWORD(rate), DWORD(rate) * align, align, 16, 0};
  stream_ = std::move(stream);
  return true;
}

bool DecodedSoundTrack::decodeMore(bool takeTimeFromFrame) {
  const AVFrame* frame = stream_->receive();
  if (!frame) return false;
  const int rate = int(format_.nSamplesPerSec);
  if (takeTimeFromFrame && frame->best_effort_timestamp != AV_NOPTS_VALUE)
    nextSample_ = stream_->msOf(frame->best_effort_timestamp) * rate / 1000;
  pending_.erase(pending_.begin(), pending_.begin() + ptrdiff_t(pendingAt_));
  pendingAt_ = 0;
  const size_t start = pending_.size();
  const int room = swr_get_out_samples(converter_, frame->nb_samples);
  if (room < 0) return false;
  pending_.resize(start + size_t(room) * format_.nBlockAlign);
  uint8_t* planes[1] = {reinterpret_cast<uint8_t*>(pending_.data() + start)};
  const int made = swr_convert(converter_, planes, room, const_cast<const uint8_t**>(frame->extended_data),
                               frame->nb_samples);
  pending_.resize(start + size_t(std::max(made, 0)) * format_.nBlockAlign);
  return made >= 0;
}

void DecodedSoundTrack::consume(size_t bytes) {
  pendingAt_ += bytes;
  nextSample_ += int64_t(bytes / format_.nBlockAlign);
}

size_t DecodedSoundTrack::read(char* out, size_t size) {
  size -= size % format_.nBlockAlign;
  size_t done = 0;
  while (done < size) {
    if (pendingAt_ == pending_.size() && !decodeMore()) break;
    size_t n = std::min(size - done, pending_.size() - pendingAt_);
    std::memcpy(out + done, pending_.data() + pendingAt_, n);
    consume(n);
    done += n;
  }
  return done;
}

int64_t DecodedSoundTrack::positionMs() const { return nextSample_ * 1000 / int64_t(format_.nSamplesPerSec); }

void DecodedSoundTrack::skipTo(int64_t ms) {
  const int64_t target = ms * int64_t(format_.nSamplesPerSec) / 1000;
  while (nextSample_ < target) {
    if (pendingAt_ == pending_.size() && !decodeMore()) return;
    size_t wanted = size_t(target - nextSample_) * format_.nBlockAlign;
    consume(std::min(wanted, pending_.size() - pendingAt_));
  }
}

bool DecodedSoundTrack::seekTo(int64_t ms) {
  if (!stream_->seek(ms)) return false;
  pending_.clear();
  pendingAt_ = 0;
  swr_init(converter_);  // forgets what it held of the samples before
  // The first frame after the seek tells where the track stands; one
  // without a time stamp is taken to be where it was asked to go.
  nextSample_ = ms * int64_t(format_.nSamplesPerSec) / 1000;
  decodeMore(true);
  skipTo(ms);
  return true;
}

// The track of `path` that Decoder reads; null when it cannot be opened.
template <typename Track, typename Decoder>
std::unique_ptr<Track> openTrack(const char* path) {
  auto track = std::make_unique<Decoder>();
  if (!track->open(path)) return nullptr;
  return track;
}

}  // namespace
}  // namespace platform

extern "C" const platform::MovieDecoders lumenfoldMovieDecoders = {
    platform::openTrack<platform::PictureTrack, platform::DecodedPictureTrack>,
    platform::openTrack<platform::SoundTrack, platform::DecodedSoundTrack>,
};
