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

void Win32Surface::Paint(HDC target) const { BitBlt(target, 0, 0, pixelWidth_, pixelHeight_, dc_, 0, 0, SRCCOPY); }

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
  Note('F', {left, top, right, bottom, static_cast<int>(color), static_cast<int>(mode_)});
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ old = SelectObject(dc_, brush);
  PatBlt(dc_, left, top, right - left, bottom - top, mode_ == DrawMode::NotXorPen ? kPatternNotXorDest : PATCOPY);
  SelectObject(dc_, old);
  DeleteObject(brush);
}

void Win32Surface::PrintText(double x, double y, const std::string& text) {
  std::wstring w = Wide(text);
  Note('T', {Px(x), Px(y), static_cast<int>(fore_)});
  picture_.append(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(wchar_t));
  SetTextColor(dc_, fore_);
  TextOutW(dc_, Px(x), Px(y), w.c_str(), static_cast<int>(w.size()));
}

// The picture is described by what was drawn since the last erase, in
// pixels; a redraw that would show the same picture is left out, so a bar
// that has not grown by a whole pixel costs no repaint.
void Win32Surface::Note(char operation, std::initializer_list<int> values) {
  picture_ += operation;
  for (int v : values) picture_.append(reinterpret_cast<const char*>(&v), sizeof v);
}

void Win32Surface::Refresh() {
  if (!window_ || picture_ == shown_) return;
  shown_ = picture_;
  // Copied at once rather than through WM_PAINT, which costs several more
  // round trips to the Wine server.
  WindowDC dc(window_);
  Paint(dc.get());
}

void Win32Surface::Clear() {
  picture_.clear();
  Note('C', {static_cast<int>(back_)});
  HBRUSH brush = CreateSolidBrush(back_);
  RECT all{0, 0, pixelWidth_, pixelHeight_};
  ::FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

}  // namespace tyx::win32
