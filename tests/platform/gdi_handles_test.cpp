// Failure results for invalid handles, null pointers and zero sizes; blits
// clipped whatever their rectangles; object lifetime; painting a window
// and saving its pixels; the screen; the library table.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/module.h"
#include "tests/platform/gdi_fixture.h"

namespace {

TEST_F(GdiTest, InvalidHandlesAndNullPointersGiveTheFailureResults) {
  HDC bad = reinterpret_cast<HDC>(0x4321);
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(CreateCompatibleDC(bad), nullptr);
  EXPECT_EQ(GetDC(reinterpret_cast<HWND>(0x99)), nullptr);
  EXPECT_EQ(SelectObject(bad, brush), nullptr);
  EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(0x77)), nullptr);
  EXPECT_EQ(SelectObject(dc, dc), nullptr);
  EXPECT_FALSE(BitBlt(bad, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, bad, 0, 0, SRCCOPY));
  EXPECT_EQ(SetPixel(bad, 0, 0, 0), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);  // the stock bitmap is not drawn into
  EXPECT_EQ(GetDeviceCaps(bad, BITSPIXEL), 0);
  EXPECT_EQ(SetTextColor(bad, 0), CLR_INVALID);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(RealizePalette(bad), static_cast<UINT>(GDI_ERROR));
  EXPECT_EQ(GetObjectA(bad, 4, nullptr), 0);
  EXPECT_EQ(FillRect(dc, nullptr, brush), 0);
  EXPECT_EQ(FillRect(dc, nullptr, reinterpret_cast<HBRUSH>(dc)), 0);
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(CreatePalette(nullptr), nullptr);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 1, 1, 0, 0, 1, 1, nullptr, nullptr, DIB_RGB_COLORS, SRCCOPY),
            static_cast<int>(GDI_ERROR));
  EXPECT_EQ(GetDIBits(dc, nullptr, 0, 1, nullptr, nullptr, DIB_RGB_COLORS), 0);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 0);  // not a window DC
  EXPECT_FALSE(DeleteObject(dc));        // DCs go through DeleteDC
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));  // handles are never reused
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));
}

TEST_F(GdiTest, ZeroSizesAndBadHeadersAreRefused) {
  void* bits = reinterpret_cast<void*>(1);
  DibInfo empty = dibInfo(0, 4, 8);
  EXPECT_EQ(CreateDIBSection(nullptr, empty.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  DibInfo badDepth = dibInfo(4, 4, 7);
  EXPECT_EQ(CreateDIBSection(nullptr, badDepth.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  DibInfo noMasks = dibInfo(4, 4, 16, BI_BITFIELDS);
  EXPECT_EQ(CreateDIBSection(nullptr, noMasks.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  DibInfo paletteIndices = dibInfo(4, 4, 8);
  EXPECT_EQ(CreateDIBSection(nullptr, paletteIndices.info(), DIB_PAL_COLORS, &bits, nullptr, 0),
            nullptr);
  DibInfo huge = dibInfo(40000, 4, 8);
  EXPECT_EQ(CreateDIBSection(nullptr, huge.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  HDC screen = GetDC(nullptr);
  // A zero size gives the shared 1 x 1 monochrome bitmap.
  HBITMAP stock = CreateBitmap(0, 0, 1, 1, nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(screen, 0, 5), stock);
  BITMAP bm;
  ASSERT_EQ(GetObjectA(stock, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 1);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteObject(stock));  // kept: it is stock
  EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 5), nullptr);
  EXPECT_EQ(CreateBitmap(4, 4, 1, 12, nullptr), nullptr);
  ReleaseDC(nullptr, screen);
}

TEST_F(GdiTest, BlitsAreClippedToBothBitmapsWhateverTheRectangles) {
  void* destBits = nullptr;
  void* sourceBits = nullptr;
  HDC dest = dibDc(dibInfo(5, 3, 8), &destBits);
  HDC source = dibDc(dibInfo(3, 2, 8), &sourceBits);
  std::memset(sourceBits, 1, 8);
  const int cases[][8] = {
      {-100, -100, 300, 300, 0, 0, 3, 2},   {3, 1, 10, 10, -5, -5, 10, 10},
      {0, 0, 5, 3, 2, 1, 100000, 100000},   {4, 2, -9, -9, 2, 1, -2, -2},
      {0, 0, 1 << 30, 1 << 30, 0, 0, 1, 1}, {-(1 << 30), 0, 1 << 30, 3, 0, 0, 3, 2}};
  for (const auto& c : cases) {
    EXPECT_TRUE(StretchBlt(dest, c[0], c[1], c[2], c[3], source, c[4], c[5], c[6], c[7], SRCCOPY));
    EXPECT_TRUE(BitBlt(dest, c[0], c[1], c[2], c[3], source, c[4], c[5], SRCINVERT));
    EXPECT_TRUE(PatBlt(dest, c[0], c[1], c[2], c[3], PATINVERT));
  }
  uint8_t rows[8] = {};
  DibInfo info = dibInfo(3, 2, 8);
  EXPECT_EQ(
      SetDIBitsToDevice(dest, -3, -3, 3000, 3000, -7, 9, 0, 2, rows, info.info(), DIB_RGB_COLORS),
      2);
  EXPECT_EQ(StretchDIBits(dest, 2, 2, -3000, 3000, 5, 5, 1, 1, rows, info.info(), DIB_RGB_COLORS,
                          SRCCOPY),
            3000);
  EXPECT_TRUE(BitBlt(dest, 1, 1, 5, 3, dest, 0, 0, SRCCOPY));  // overlapping, within one bitmap
}

TEST_F(GdiTest, ObjectsSelectedIntoADcOutliveDeleteObject) {
  HDC dc = CreateCompatibleDC(nullptr);
  HDC other = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 1, nullptr);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(9, 9, 9));
  EXPECT_EQ(SelectObject(dc, bitmap), CreateBitmap(0, 0, 1, 1, nullptr));  // the DC's first bitmap
  EXPECT_EQ(SelectObject(other, bitmap), nullptr);                         // one DC at a time
  SelectObject(dc, pen);
  EXPECT_FALSE(DeleteObject(bitmap));
  EXPECT_FALSE(DeleteObject(pen));
  LOGPEN lp;
  EXPECT_EQ(GetObjectA(pen, sizeof lp, &lp), static_cast<int>(sizeof lp));
  EXPECT_EQ(lp.lopnWidth.x, 2);
  BITMAP bm;
  EXPECT_EQ(GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidthBytes, 2);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_TRUE(DeleteDC(dc));  // deselects both
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock: kept
  EXPECT_NE(GetObjectType(GetStockObject(BLACK_BRUSH)), 0u);
  DeleteDC(other);
}

TEST_F(GdiTest, BeginPaintErasesWithTheClassBrushAndClipsToTheUpdateRectangle) {
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hbrBackground = blue;
  wc.lpszClassName = "LfGdiPainted";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND hwnd = CreateWindowExA(0, "LfGdiPainted", "", WS_POPUP | WS_VISIBLE, 0, 0, 8, 6, nullptr,
                              nullptr, nullptr, nullptr);
  ValidateRect(hwnd, nullptr);
  RECT part{2, 2, 5, 4};
  InvalidateRect(hwnd, &part, TRUE);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(ps.rcPaint.left, 2);
  EXPECT_EQ(ps.rcPaint.bottom, 4);
  EXPECT_FALSE(ps.fErase);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_TRUE(PatBlt(dc, 0, 0, 8, 6, WHITENESS));  // clipped to rcPaint
  EXPECT_EQ(ReleaseDC(hwnd, dc), 0);               // a paint DC ends with EndPaint
  EXPECT_TRUE(EndPaint(hwnd, &ps));
  platform::WindowPixels p = pixelsOf(hwnd);
  EXPECT_EQ(p.at(2, 2), RGB(255, 255, 255));
  EXPECT_EQ(p.at(4, 3), RGB(255, 255, 255));
  EXPECT_EQ(p.at(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(p.at(5, 3), RGB(0, 0, 0));
  EXPECT_EQ(platform::recordedEvents("Blit").back().detail, "PatBlt 0,0 8x6");

  std::string path = ::testing::TempDir() + "lf_gdi_window.bmp";
  ASSERT_TRUE(platform::saveWindowBmp(hwnd, path));
  std::ifstream file(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 54u + 6 * 24);  // 8 pixels of 3 bytes per row
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  // Rows bottom-up: row 3 from the top is the third row in the file.
  size_t white = 54 + 2 * 24 + 2 * 3;
  EXPECT_EQ(static_cast<uint8_t>(bytes[white]), 255);
  std::remove(path.c_str());
  EXPECT_FALSE(platform::saveWindowBmp(hwnd, "/no/such/folder/x.bmp"));

  DestroyWindow(hwnd);
  platform::WindowPixels gone;
  EXPECT_FALSE(platform::readWindowPixels(hwnd, &gone));
  EXPECT_TRUE(UnregisterClassA("LfGdiPainted", nullptr));
  EXPECT_TRUE(DeleteObject(blue));
}

TEST_F(GdiTest, TheScreenShowsVisibleWindowsAtTheirPlaces) {
  HWND hwnd = makeSurfaceWindow(4, 4);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  HDC dc = GetDC(hwnd);
  PatBlt(dc, 0, 0, 4, 4, WHITENESS);
  ReleaseDC(hwnd, dc);
  platform::WindowPixels screen;
  ASSERT_TRUE(platform::readScreenPixels(&screen));
  EXPECT_EQ(screen.width, 1024);
  EXPECT_EQ(screen.at(origin.x + 3, origin.y + 3), RGB(255, 255, 255));
  EXPECT_EQ(screen.at(origin.x + 4, origin.y + 3), RGB(0, 0, 0));
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(GetPixel(display, origin.x, origin.y), RGB(255, 255, 255));
  DeleteDC(display);
  EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
}

INT_PTR answer() { return 42; }

TEST(ModuleTest, OnlyProvidedLibrariesLoad) {
  EXPECT_EQ(LoadLibraryA("wing32.dll"), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  static const platform::ModuleEntryPoint entries[] = {
      {"Answer", answer}, {nullptr, nullptr}};
  ASSERT_TRUE(platform::provideModule("lftest.dll", entries));
  EXPECT_FALSE(platform::provideModule("LFTEST.DLL", entries));
  HMODULE module = LoadLibraryA("C:\\Windows\\LfTest.dll");
  ASSERT_NE(module, nullptr);
  FARPROC proc = GetProcAddress(module, "Answer");
  ASSERT_NE(proc, nullptr);
  EXPECT_EQ(proc(), 42);
  EXPECT_EQ(GetProcAddress(module, "Missing"), nullptr);
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetProcAddress(module, "Answer"), nullptr);  // not loaded any more
  EXPECT_FALSE(FreeLibrary(module));
  EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(12345)));
}

}  // namespace
