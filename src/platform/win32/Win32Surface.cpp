#include "platform/win32/Win32Surface.h"

#include <cmath>

#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"

namespace tyx::win32 {
namespace {

constexpr DWORD kPatternNotXorDest = 0x00A50065;  // PDxn: what R2_NOTXORPEN does to a pen

}  // namespace

Win32Surface::Win32Surface(int widthTwips, int heightTwips) : widthTwips_(widthTwips), heightTwips_(heightTwips) {
  WindowDC screen(nullptr);
  dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
  if (dpi_ <= 0) dpi_ = 96;
  pixelWidth_ = Px(widthTwips);
  pixelHeight_ = Px(heightTwips);
  dc_ = CreateCompatibleDC(screen.get());
  bitmap_ = CreateCompatibleBitmap(screen.get(), pixelWidth_, pixelHeight_);
  oldBitmap_ = static_cast<HBITMAP>(SelectObject(dc_, bitmap_));
  SetBkMode(dc_, TRANSPARENT);
  Clear();
}

Win32Surface::~Win32Surface() {
  SelectObject(dc_, oldBitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

int Win32Surface::Px(double twips) const { return static_cast<int>(std::lround(twips * dpi_ / 1440.0)); }
double Win32Surface::Twips(int pixels) const { return pixels * 1440.0 / dpi_; }

void Win32Surface::Paint(HDC target) {
  Render();
  BitBlt(target, 0, 0, pixelWidth_, pixelHeight_, dc_, 0, 0, SRCCOPY);
}

void Win32Surface::SetBackColor(uint32_t color) {
  back_ = color;
  Clear();
}

void Win32Surface::MeasureText(const std::string& text, double& width, double& height) {
  std::wstring w = Wide(text);
  SIZE size{};
  GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(w.size()), &size);
  width = Twips(size.cx);
  height = Twips(size.cy);
}

void Win32Surface::FillRect(double x1, double y1, double x2, double y2, uint32_t color) {
  int left = Px(std::fmin(x1, x2)), right = Px(std::fmax(x1, x2));
  int top = Px(std::fmin(y1, y2)), bottom = Px(std::fmax(y1, y2));
  if (right <= left || bottom <= top) return;
  picture_.push_back({left, top, right, bottom, color, mode_, {}});
}

void Win32Surface::PrintText(double x, double y, const std::string& text) {
  if (text.empty()) return;  // nothing to draw, and a step without text is a fill
  picture_.push_back({Px(x), Px(y), 0, 0, fore_, mode_, Wide(text)});
}

void Win32Surface::Clear() {
  picture_.assign(1, {0, 0, pixelWidth_, pixelHeight_, back_, DrawMode::CopyPen, {}});
}

// The progress is drawn for every chunk of a download, mostly as the same
// picture again; it reaches the bitmap, and the screen, only when it differs.
void Win32Surface::Refresh() {
  if (!window_ || picture_ == drawn_) return;
  // Copied at once rather than through WM_PAINT, which costs several more
  // round trips to the Wine server.
  WindowDC dc(window_);
  Paint(dc.get());
}

void Win32Surface::Render() {
  if (picture_ == drawn_) return;
  for (const Operation& o : picture_) {
    if (!o.text.empty()) {
      SetTextColor(dc_, o.color);
      TextOutW(dc_, o.left, o.top, o.text.c_str(), static_cast<int>(o.text.size()));
      continue;
    }
    HBRUSH brush = CreateSolidBrush(o.color);
    HGDIOBJ old = SelectObject(dc_, brush);
    PatBlt(dc_, o.left, o.top, o.right - o.left, o.bottom - o.top,
           o.mode == DrawMode::NotXorPen ? kPatternNotXorDest : PATCOPY);
    SelectObject(dc_, old);
    DeleteObject(brush);
  }
  drawn_ = picture_;
}

}  // namespace tyx::win32
