// bench/platform_present.cpp -- the platform's presentation path, headless:
// what it costs to get a frame of the 3-D view from the renderer's 16-bit
// image to the picture a display is sent.
// - RowConversion/<pair>: one 1024-pixel row converted by the tuned loop
//   and by the reference, pixel by pixel through colours;
// - ViewBlit/<width>: the view's frame (5:6:5) copied onto a window of the
//   24-bit display, every frame different, and the same frame again;
// - ComposeView/<width>: a main window of the program's shape (a frame,
//   a menu bar, the view and two toolbars) composed where the view was
//   drawn, against composing it whole.
// Widths 456 (the program's first window) and 1024, 4:3 views.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/composition.h"
#include "platform/display.h"
#include "platform/pixelrows.h"
#include "platform/raster.h"
#include "platform/windows.h"

namespace {

using platform::gdi::PixelFormat;

std::vector<uint8_t> noise(size_t bytes) {
  std::vector<uint8_t> out(bytes);
  uint32_t state = 12345;
  for (uint8_t& b : out) b = static_cast<uint8_t>((state = state * 1103515245u + 12345u) >> 16);
  return out;
}

struct Pair {
  const char* name;
  PixelFormat from, to;
};

const std::vector<Pair>& pairs() {
  static const std::vector<Pair> all = {
      {"565_to_32", platform::gdi::rgb565Format(), platform::gdi::directFormat(32)},
      {"565_to_24", platform::gdi::rgb565Format(), platform::gdi::directFormat(24)},
      {"555_to_32", platform::gdi::rgb555Format(), platform::gdi::directFormat(32)},
      {"24_to_32", platform::gdi::directFormat(24), platform::gdi::directFormat(32)},
      {"32_to_565", platform::gdi::directFormat(32), platform::gdi::rgb565Format()},
  };
  return all;
}

void RowConversion(benchmark::State& state) {
  const Pair& pair = pairs()[static_cast<size_t>(state.range(0))];
  const bool reference = state.range(1) != 0;
  constexpr int kCount = 1024;
  const std::vector<uint8_t> from = noise(kCount * 4);
  std::vector<uint8_t> to(kCount * 4);
  platform::gdi::ColourMap colours(pair.from, pair.to, nullptr, nullptr);
  for (auto _ : state) {
    if (reference)
      platform::gdi::convertRowReference(pair.from, pair.to, from.data(), to.data(), kCount);
    else
      colours.convertRow(from.data(), to.data(), kCount);
    benchmark::DoNotOptimize(to.data());
  }
  state.SetLabel(std::string(pair.name) + (reference ? " reference" : ""));
  state.SetItemsProcessed(state.iterations() * kCount);
}

// A window of the program's shape: a captioned frame with a menu bar, the
// 4:3 view and two toolbars, on the 24-bit display.
struct MainWindow {
  explicit MainWindow(int viewWidth) {
    platform::setDisplayDepth(24);
    platform::setDisplaySize(1280, 1024);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "PresentBenchWindow";
    RegisterClassA(&windowClass);
    viewHeight = viewWidth * 3 / 4;
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 1, "&File");
    AppendMenuA(bar, MF_STRING, 2, "&Go");
    main = CreateWindowExA(0, "PresentBenchWindow", "Lumenfold", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           viewWidth + 80, viewHeight + 120, nullptr, bar, nullptr, nullptr);
    view = CreateWindowExA(0, "PresentBenchWindow", "", WS_CHILD | WS_VISIBLE, 15, 28, viewWidth, viewHeight, main,
                           nullptr, nullptr, nullptr);
    CreateWindowExA(0, "PresentBenchWindow", "", WS_CHILD | WS_VISIBLE, viewWidth + 20, 28, 40, viewHeight, main,
                    nullptr, nullptr, nullptr);
    CreateWindowExA(0, "PresentBenchWindow", "", WS_CHILD | WS_VISIBLE, 15, viewHeight + 32, viewWidth, 24, main,
                    nullptr, nullptr, nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = viewWidth;
    info.bmiHeader.biHeight = -viewHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 16;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    frame = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    frameDc = CreateCompatibleDC(nullptr);
    SelectObject(frameDc, frame);
    pixels = static_cast<uint8_t*>(bits);
    const std::vector<uint8_t> filled = noise(static_cast<size_t>(viewWidth) * viewHeight * 2);
    std::memcpy(pixels, filled.data(), filled.size());
    width = viewWidth;
  }
  ~MainWindow() {
    DeleteDC(frameDc);
    DeleteObject(frame);
    DestroyWindow(main);
    UnregisterClassA("PresentBenchWindow", nullptr);
  }
  // The frame changed in one pixel of every row, so every row is new.
  void changeFrame(int round) {
    for (int y = 0; y < viewHeight; y++) pixels[size_t(y) * width * 2 + size_t(round % width) * 2] ^= 0x5A;
  }
  void showFrame() {
    HDC dc = GetDC(view);
    BitBlt(dc, 0, 0, width, viewHeight, frameDc, 0, 0, SRCCOPY);
    ReleaseDC(view, dc);
  }
  HWND main, view;
  HBITMAP frame;
  HDC frameDc;
  uint8_t* pixels;
  int width, viewHeight;
};

void ViewBlit(benchmark::State& state) {
  MainWindow window(static_cast<int>(state.range(0)));
  const bool same = state.range(1) != 0;
  int round = 0;
  for (auto _ : state) {
    if (!same) window.changeFrame(round++);
    window.showFrame();
  }
  state.SetLabel(same ? "the same frame again" : "every frame new");
  state.SetItemsProcessed(state.iterations() * window.width * window.viewHeight);
}

void ComposeView(benchmark::State& state) {
  MainWindow window(static_cast<int>(state.range(0)));
  const bool whole = state.range(1) != 0;
  platform::ComposedPicture picture;
  RECT changed;
  platform::composeChanges(window.main, &picture, &changed);
  int round = 0;
  for (auto _ : state) {
    window.changeFrame(round++);
    window.showFrame();
    if (whole) platform::notePresentationChanged();
    platform::composeChanges(window.main, &picture, &changed);
    benchmark::DoNotOptimize(picture.pixels);
  }
  state.SetLabel(whole ? "composed whole" : "where drawn");
}

}  // namespace

BENCHMARK(RowConversion)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}});
BENCHMARK(ViewBlit)->ArgsProduct({{456, 1024}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(ComposeView)->ArgsProduct({{456, 1024}, {0, 1}})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
