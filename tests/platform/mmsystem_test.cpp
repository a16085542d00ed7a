// Tests of the multimedia calls: RIFF reading over files written here, the
// silent wave device's timing and notices on the virtual clock, and the
// MIDI messages it records.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/mmsystem.h"
#include "tests/platform/window_fixture.h"
#include "tests/temp_folder.h"

namespace {

using Bytes = std::vector<unsigned char>;

void appendU32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void appendU16(Bytes& out, uint16_t value) {
  out.push_back(static_cast<unsigned char>(value));
  out.push_back(static_cast<unsigned char>(value >> 8));
}

void appendChunk(Bytes& out, const char* id, const Bytes& data) {
  out.insert(out.end(), id, id + 4);
  appendU32(out, uint32_t(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2) out.push_back(0);
}

Bytes pcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
  Bytes fmt;
  uint16_t blockAlign = uint16_t(channels * bits / 8);
  appendU16(fmt, WAVE_FORMAT_PCM);
  appendU16(fmt, channels);
  appendU32(fmt, rate);
  appendU32(fmt, rate * blockAlign);
  appendU16(fmt, blockAlign);
  appendU16(fmt, bits);
  return fmt;
}

Bytes sampleData(size_t size) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>(i * 7 + 1);
  return data;
}

// RIFF form `form` holding an odd-sized LIST chunk (so a pad byte must be
// skipped), then `fmt `, then `data`, then a trailing chunk.
Bytes waveFile(const char* form = "WAVE", size_t dataSize = 101) {
  Bytes body(form, form + 4);
  Bytes info(std::begin("INFOabc"), std::end("INFOabc") - 1);  // 7 bytes
  appendChunk(body, "LIST", info);
  appendChunk(body, "fmt ", pcmFormat(1, 22050, 16));
  appendChunk(body, "data", sampleData(dataSize));
  appendChunk(body, "cue ", Bytes(4, 0));
  Bytes file;
  appendChunk(file, "RIFF", body);
  return file;
}

class MmioTest : public ::testing::Test {
 protected:
  TempFolder temp{"lf_mmio"};
  std::string folder = temp.path();

  std::string write(const std::string& name, const Bytes& bytes) {
    std::string path = folder + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
  }

  static HMMIO open(std::string path) { return mmioOpenA(path.data(), nullptr, MMIO_READ | MMIO_ALLOCBUF); }

 private:
};

TEST_F(MmioTest, DescendsToFmtAndDataWithExactSizesAndBoundedReads) {
  Bytes bytes = waveFile();
  HMMIO mmio = open(write("a.wav", bytes));
  ASSERT_NE(mmio, nullptr);

  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.ckid, FOURCC_RIFF);
  EXPECT_EQ(riff.cksize, bytes.size() - 8);
  EXPECT_EQ(riff.dwDataOffset, 8u);

  MMCKINFO fmt{};
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  ASSERT_EQ(mmioDescend(mmio, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(fmt.cksize, 16u);
  EXPECT_EQ(fmt.dwDataOffset, 12u + 16u + 8u);  // after the form, the padded LIST and its header
  PCMWAVEFORMAT format{};
  char spare[8];
  EXPECT_EQ(mmioRead(mmio, reinterpret_cast<HPSTR>(&format), sizeof format), 16);
  EXPECT_EQ(mmioRead(mmio, spare, sizeof spare), 0);  // the chunk ends there
  EXPECT_EQ(format.wf.wFormatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(format.wf.nSamplesPerSec, 22050u);
  EXPECT_EQ(format.wf.nAvgBytesPerSec, 44100u);
  EXPECT_EQ(format.wBitsPerSample, 16);
  EXPECT_EQ(mmioAscend(mmio, &fmt, 0), MMSYSERR_NOERROR);

  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  ASSERT_EQ(mmioDescend(mmio, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(data.cksize, 101u);
  EXPECT_EQ(mmioSeek(mmio, 0, SEEK_CUR), LONG(data.dwDataOffset));
  Bytes got(200);
  EXPECT_EQ(mmioRead(mmio, reinterpret_cast<HPSTR>(got.data()), 200), 101);  // not the pad or "cue "
  got.resize(101);
  EXPECT_EQ(got, sampleData(101));
  // A looping reader seeks back to the data and reads it again.
  EXPECT_EQ(mmioSeek(mmio, LONG(data.dwDataOffset), SEEK_SET), LONG(data.dwDataOffset));
  EXPECT_EQ(mmioRead(mmio, reinterpret_cast<HPSTR>(got.data()), 10), 10);

  // Ascending past the odd-sized data lands on the next chunk's header.
  EXPECT_EQ(mmioAscend(mmio, &data, 0), MMSYSERR_NOERROR);
  MMCKINFO next{};
  ASSERT_EQ(mmioDescend(mmio, &next, &riff, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(next.ckid, mmioFOURCC('c', 'u', 'e', ' '));
  EXPECT_EQ(mmioClose(mmio, 0), MMSYSERR_NOERROR);
}

TEST_F(MmioTest, MalformedFilesFailWithChunkNotFound) {
  Bytes whole = waveFile();
  size_t dataHeader = 12 + 16 + 24;  // RIFF header and form, padded LIST, fmt chunk
  Bytes noData = whole;
  std::memcpy(noData.data() + dataHeader, "junk", 4);
  struct Case {
    const char* name;
    Bytes bytes;
    MMRESULT riff;  // descending into the WAVE form
    MMRESULT data;  // then into its "data" chunk
  } cases[] = {
      {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '\n'},
       MMIOERR_CHUNKNOTFOUND, 0},
      {"wrong form", waveFile("AVI "), MMIOERR_CHUNKNOTFOUND, 0},
      {"empty", Bytes{}, MMIOERR_CHUNKNOTFOUND, 0},
      {"cut in the data header", Bytes(whole.begin(), whole.begin() + long(dataHeader) + 5),
       MMSYSERR_NOERROR, MMIOERR_CHUNKNOTFOUND},
      {"no data chunk", noData, MMSYSERR_NOERROR, MMIOERR_CHUNKNOTFOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HMMIO mmio = open(write("bad.wav", c.bytes));
    ASSERT_NE(mmio, nullptr);
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    EXPECT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), c.riff);
    if (c.riff == MMSYSERR_NOERROR) {
      long at = mmioSeek(mmio, 0, SEEK_CUR);
      MMCKINFO data{};
      data.ckid = mmioFOURCC('d', 'a', 't', 'a');
      EXPECT_EQ(mmioDescend(mmio, &data, &riff, MMIO_FINDCHUNK), c.data);
      EXPECT_EQ(mmioSeek(mmio, 0, SEEK_CUR), at);  // a failed search leaves the position
    }
    mmioClose(mmio, 0);
  }
}

TEST_F(MmioTest, DataCutShortIsFoundButReadsShort) {
  Bytes whole = waveFile("WAVE", 400);
  Bytes cut(whole.begin(), whole.begin() + 12 + 16 + 24 + 8 + 150);
  HMMIO mmio = open(write("short.wav", cut));
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  ASSERT_EQ(mmioDescend(mmio, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(data.cksize, 400u);
  char buffer[400];
  EXPECT_EQ(mmioRead(mmio, buffer, 400), 150);
  mmioClose(mmio, 0);
}

TEST_F(MmioTest, OpenFailuresGiveTheirCodes) {
  std::string existing = write("x.wav", waveFile());
  struct Case {
    std::string path;
    DWORD flags;
    UINT error;
  } cases[] = {
      {folder + "/missing.wav", MMIO_READ, MMIOERR_FILENOTFOUND},
      {folder, MMIO_READ, MMIOERR_CANNOTOPEN},  // a folder
      {existing, MMIO_WRITE, MMIOERR_ACCESSDENIED},
      {existing, MMIO_READWRITE, MMIOERR_ACCESSDENIED},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.path);
    MMIOINFO info{};
    EXPECT_EQ(mmioOpenA(c.path.data(), &info, c.flags), nullptr);
    EXPECT_EQ(info.wErrorRet, c.error);
  }
}

TEST_F(MmioTest, StaleAndBogusHandlesAreRefused) {
  HMMIO mmio = open(write("y.wav", waveFile()));
  ASSERT_EQ(mmioClose(mmio, 0), MMSYSERR_NOERROR);
  HMMIO bogus = reinterpret_cast<HMMIO>(uintptr_t(0xdead));
  for (HMMIO handle : {mmio, bogus, HMMIO(nullptr)}) {
    MMCKINFO ck{};
    char byte;
    EXPECT_EQ(mmioClose(handle, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioDescend(handle, &ck, nullptr, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioAscend(handle, &ck, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(mmioRead(handle, &byte, 1), -1);
    EXPECT_EQ(mmioSeek(handle, 0, SEEK_SET), -1);
  }
}

// 22050 Hz mono 16-bit: 44100 bytes a second, so 4410 bytes play 100 ms.
WAVEFORMATEX monoFormat() {
  return WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
}

class WaveOutTest : public WindowTest {
 protected:
  static constexpr DWORD kBlockBytes = 4410;
  HWND window = nullptr;
  HWAVEOUT device = nullptr;
  char samples[2][kBlockBytes] = {};
  WAVEHDR headers[2] = {};

  void SetUp() override {
    WindowTest::SetUp();
    window = makeWindow();
    ValidateRect(window, nullptr);
    WAVEFORMATEX format = monoFormat();
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(window), 0,
                          CALLBACK_WINDOW),
              MMSYSERR_NOERROR);
    for (int i = 0; i < 2; ++i) {
      headers[i].lpData = samples[i];
      headers[i].dwBufferLength = kBlockBytes;
      headers[i].dwFlags = WHDR_DONE;
      ASSERT_EQ(waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
  }

  void TearDown() override {
    if (device != nullptr) {
      waveOutReset(device);
      for (WAVEHDR& header : headers) waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
      waveOutClose(device);
    }
    WindowTest::TearDown();
  }

  // Pumps the queue and returns the headers of the MM_WOM_DONE notices it
  // delivered, in order.
  std::vector<WAVEHDR*> pumpDone() {
    log.clear();
    pumpAll();
    std::vector<WAVEHDR*> done;
    for (const LoggedMessage& entry : log) {
      if (entry.message != MM_WOM_DONE) continue;
      EXPECT_EQ(entry.hwnd, window);
      EXPECT_EQ(entry.wParam, reinterpret_cast<WPARAM>(device));
      done.push_back(reinterpret_cast<WAVEHDR*>(entry.lParam));
    }
    return done;
  }

  void writeBoth() {
    for (WAVEHDR& header : headers)
      ASSERT_EQ(waveOutWrite(device, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
};

TEST_F(WaveOutTest, BuffersComeBackInOrderWhenTheirTimeHasPlayedAndNotBefore) {
  log.clear();
  pumpAll();
  EXPECT_EQ(messagesFor(window), (std::vector<UINT>{MM_WOM_OPEN}));
  writeBoth();
  EXPECT_EQ(headers[0].dwFlags, DWORD(WHDR_PREPARED | WHDR_INQUEUE));

  platform::advanceClock(99);
  EXPECT_TRUE(pumpDone().empty());
  platform::advanceClock(1);
  EXPECT_EQ(pumpDone(), (std::vector<WAVEHDR*>{&headers[0]}));
  EXPECT_EQ(headers[0].dwFlags, DWORD(WHDR_PREPARED | WHDR_DONE));
  EXPECT_EQ(headers[1].dwFlags & WHDR_DONE, 0u);
  platform::advanceClock(99);
  EXPECT_TRUE(pumpDone().empty());
  platform::advanceClock(1);
  EXPECT_EQ(pumpDone(), (std::vector<WAVEHDR*>{&headers[1]}));

  std::vector<std::string> details;
  for (const platform::RecordedEvent& event : platform::recordedEvents("Wave"))
    details.push_back(event.detail);
  EXPECT_EQ(details, (std::vector<std::string>{"open 1 ch 22050 Hz 16 bit", "write 4410", "write 4410"}));
}

TEST_F(WaveOutTest, ALateLoopReturnsEveryPlayedBufferInOrder) {
  writeBoth();
  platform::advanceClock(500);
  EXPECT_EQ(pumpDone(), (std::vector<WAVEHDR*>{&headers[0], &headers[1]}));
}

TEST_F(WaveOutTest, AWaitingMessageLoopPlaysThroughOnTheVirtualClock) {
  pumpAll();
  uint64_t start = platform::clockMs();
  writeBoth();
  log.clear();
  MSG msg;
  while (messagesFor(window) != std::vector<UINT>{MM_WOM_DONE, MM_WOM_DONE} && GetMessageA(&msg, nullptr, 0, 0))
    DispatchMessageA(&msg);
  EXPECT_EQ(platform::clockMs() - start, 200u);
}

TEST_F(WaveOutTest, AfterAnUnderrunTheNextBufferPlaysFromItsWrite) {
  ASSERT_EQ(waveOutWrite(device, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  platform::advanceClock(400);
  EXPECT_EQ(pumpDone().size(), 1u);
  ASSERT_EQ(waveOutWrite(device, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  platform::advanceClock(99);
  EXPECT_TRUE(pumpDone().empty());
  platform::advanceClock(1);
  EXPECT_EQ(pumpDone().size(), 1u);
}

TEST_F(WaveOutTest, ResetReturnsPendingBuffersAtOnceAndAllowsClose) {
  writeBoth();
  platform::advanceClock(50);
  EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutUnprepareHeader(device, &headers[0], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  ASSERT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  for (const WAVEHDR& header : headers) EXPECT_EQ(header.dwFlags, DWORD(WHDR_PREPARED | WHDR_DONE));
  EXPECT_EQ(pumpDone(), (std::vector<WAVEHDR*>{&headers[0], &headers[1]}));
  platform::advanceClock(1000);
  EXPECT_TRUE(pumpDone().empty());  // nothing comes back twice

  for (WAVEHDR& header : headers)
    EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(device, &headers[0], sizeof(WAVEHDR)), WAVERR_UNPREPARED);
  ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  log.clear();
  pumpAll();
  EXPECT_EQ(messagesFor(window), (std::vector<UINT>{MM_WOM_CLOSE}));
  EXPECT_EQ(waveOutReset(device), MMSYSERR_INVALHANDLE);  // closed handles stay invalid
  device = nullptr;
}

TEST_F(WaveOutTest, VolumeIsKeptPerDevice) {
  DWORD volume = 0;
  EXPECT_EQ(waveOutGetVolume(device, &volume), MMSYSERR_NOERROR);
  EXPECT_EQ(volume, 0xFFFFFFFFu);
  EXPECT_EQ(waveOutSetVolume(device, 0x80004000), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutGetVolume(device, &volume), MMSYSERR_NOERROR);
  EXPECT_EQ(volume, 0x80004000u);
}

TEST_F(WaveOutTest, OpenRefusesWhatTheDeviceCannotPlay) {
  auto withChange = [](auto change) {
    WAVEFORMATEX format = monoFormat();
    change(format);
    return format;
  };
  struct Case {
    const char* name;
    WAVEFORMATEX format;
    UINT deviceId;
    DWORD flags;
    MMRESULT expected;
  } cases[] = {
      {"compressed", withChange([](WAVEFORMATEX& f) { f.wFormatTag = 2; }), 0, CALLBACK_WINDOW, WAVERR_BADFORMAT},
      {"three channels", withChange([](WAVEFORMATEX& f) { f.nChannels = 3; }), 0, CALLBACK_WINDOW, WAVERR_BADFORMAT},
      {"12 bits", withChange([](WAVEFORMATEX& f) { f.wBitsPerSample = 12; }), 0, CALLBACK_WINDOW, WAVERR_BADFORMAT},
      {"rate disagrees", withChange([](WAVEFORMATEX& f) { f.nAvgBytesPerSec = 1000; }), 0, CALLBACK_WINDOW,
       WAVERR_BADFORMAT},
      {"no such device", monoFormat(), 3, CALLBACK_WINDOW, MMSYSERR_BADDEVICEID},
      {"function callback", monoFormat(), 0, 0x00030000, MMSYSERR_INVALFLAG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWAVEOUT other = nullptr;
    EXPECT_EQ(waveOutOpen(&other, c.deviceId, &c.format, reinterpret_cast<DWORD_PTR>(window), 0, c.flags),
              c.expected);
    EXPECT_EQ(other, nullptr);
  }
  WAVEFORMATEX format = monoFormat();
  HWAVEOUT other = nullptr;
  EXPECT_EQ(waveOutOpen(&other, 0, &format, 0x1234, 0, CALLBACK_WINDOW), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &format, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
}

TEST_F(WaveOutTest, BogusHandlesAreRefused) {
  HWAVEOUT bogus = reinterpret_cast<HWAVEOUT>(uintptr_t(0xbeef));
  DWORD volume;
  for (HWAVEOUT handle : {bogus, HWAVEOUT(nullptr)}) {
    EXPECT_EQ(waveOutPrepareHeader(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutUnprepareHeader(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutReset(handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutSetVolume(handle, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutGetVolume(handle, &volume), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutClose(handle), MMSYSERR_INVALHANDLE);
  }
}

class MidiOutTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::clearRecordedEvents(); }
};

std::vector<std::string> midiDetails() {
  std::vector<std::string> details;
  for (const platform::RecordedEvent& event : platform::recordedEvents("Midi")) details.push_back(event.detail);
  return details;
}

TEST_F(MidiOutTest, MessagesAreRecordedInOrderAndResetSilencesEveryChannel) {
  HMIDIOUT midi = nullptr;
  ASSERT_EQ(midiOutOpen(&midi, MIDI_MAPPER, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  HMIDIOUT second = nullptr;
  EXPECT_EQ(midiOutOpen(&second, 0, 0, 0, CALLBACK_NULL), MMSYSERR_ALLOCATED);
  EXPECT_EQ(midiOutShortMsg(midi, 0x007F3C92), MMSYSERR_NOERROR);  // note on, channel 3
  EXPECT_EQ(midiOutShortMsg(midi, 0x00003C82), MMSYSERR_NOERROR);  // and off
  EXPECT_EQ(midiOutShortMsg(midi, 0x000000CF), MMSYSERR_NOERROR);
  EXPECT_EQ(midiDetails(), (std::vector<std::string>{"007F3C92", "00003C82", "000000CF"}));

  platform::clearRecordedEvents();
  ASSERT_EQ(midiOutReset(midi), MMSYSERR_NOERROR);
  std::vector<std::string> allOff;
  for (int channel = 0; channel < 16; ++channel) {
    char text[16];
    std::snprintf(text, sizeof text, "00007BB%X", channel);
    allOff.push_back(text);
  }
  EXPECT_EQ(midiDetails(), allOff);
  ASSERT_EQ(midiOutClose(midi), MMSYSERR_NOERROR);

  platform::clearRecordedEvents();
  HMIDIOUT bogus = reinterpret_cast<HMIDIOUT>(uintptr_t(0xf00d));
  for (HMIDIOUT handle : {midi, bogus, HMIDIOUT(nullptr)}) {
    EXPECT_EQ(midiOutShortMsg(handle, 0x90), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutReset(handle), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(midiOutClose(handle), MMSYSERR_INVALHANDLE);
  }
  EXPECT_TRUE(midiDetails().empty());
}

TEST_F(MidiOutTest, OpenRefusesOtherDevicesAndCallbacks) {
  HMIDIOUT midi = nullptr;
  EXPECT_EQ(midiOutOpen(&midi, 2, 0, 0, CALLBACK_NULL), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(midiOutOpen(&midi, 0, 0, 0, CALLBACK_WINDOW), MMSYSERR_INVALFLAG);
  EXPECT_EQ(midiOutOpen(nullptr, 0, 0, 0, CALLBACK_NULL), MMSYSERR_INVALPARAM);
  EXPECT_EQ(midi, nullptr);
}

}  // namespace
