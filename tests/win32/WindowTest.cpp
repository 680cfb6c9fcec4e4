#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/win32/Win32Dialogs.h"
#include "platform/win32/Win32Window.h"
#include "session/ProgressBar.h"

namespace tyx::win32 {
namespace {

// The form's client area as the X server shows it.
struct Capture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

  void Take(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    width = client.right;
    height = client.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    auto* p = static_cast<uint32_t*>(bits);
    pixels.assign(p, p + static_cast<size_t>(width) * height);
    for (uint32_t& px : pixels) px &= 0xFFFFFF;
    SaveIfAsked(info, bits);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }

  // For the README: TYX_SCREENSHOT names a .bmp to write.
  void SaveIfAsked(const BITMAPINFO& info, const void* bits) const {
    char path[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("TYX_SCREENSHOT", path, MAX_PATH)) return;
    std::string windowsPath = std::string("Z:") + path;
    for (char& c : windowsPath)
      if (c == '/') c = '\\';
    FILE* f = std::fopen(windowsPath.c_str(), "wb");
    if (!f) return;
    DWORD size = static_cast<DWORD>(width) * height * 4;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0,
                          0, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f);
    std::fwrite(bits, size, 1, f);
    std::fclose(f);
  }

  int Dark(int left, int top, int right, int bottom) const {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) {
        uint32_t c = At(x, y);
        n += ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255) < 200;
      }
    return n;
  }
};

class Drawing : public IWindowEvents {
 public:
  explicit Drawing(Win32Window& window) : window_(window) {}
  void OnActivate() override { window_.SetCaption(Label::App, "Aktualizace aplikace Žluťoučký kůň"); }
  void OnMainTimer() override {
    window_.EnableTimer(Timer::Main, false);
    window_.SetCaption(Label::Status, "Stažení souboru – čeština úplně");
    ShowProgress(window_.StatusBox(), 0.25f, false);
    for (int i = 0; i < 20; ++i) {
      window_.Pump();
      Sleep(20);
    }
    capture.Take(window_.Handle());
    window_.Unload();
  }
  void OnEndTimer() override {}
  bool OnCloseRequest() override { return true; }
  Capture capture;

 private:
  Win32Window& window_;
};

TEST(Win32Window, ProgressBarAndCzechTextReachTheScreen) {
  Win32Dialogs dialogs;
  Win32Window window(dialogs);
  Drawing drawing(window);
  window.EnableTimer(Timer::Main, true);
  ASSERT_TRUE(window.ShowModal(drawing));
  const Capture& c = drawing.capture;
  ASSERT_EQ(c.width, 672);
  ASSERT_EQ(c.height, 369);
  // picStatus: 2288, 3030 twips -> 152, 202 pixels; 373 x 26.
  const int left = 152, top = 202, width = 373, row = top + 20;
  int navy = 0;
  for (int x = left; x < left + width; ++x) navy += c.At(x, row) == 0x000080;
  EXPECT_NEAR(static_cast<double>(navy) / width, 0.25, 0.02);
  EXPECT_EQ(c.At(left + 5, row), 0x000080u);
  EXPECT_EQ(c.At(left + width - 5, row), 0xFFFFFFu);
  EXPECT_GT(c.Dark(left + width / 2 - 20, top + 2, left + width / 2 + 20, top + 24), 10);  // "25%"
  EXPECT_GT(c.Dark(14, 30, 480, 55), 100);    // the heading
  EXPECT_GT(c.Dark(152, 184, 525, 197), 40);  // the status line
  EXPECT_EQ(c.At(5, 360), 0x5F9FCBu);         // the footer strip
}

}  // namespace
}  // namespace tyx::win32
