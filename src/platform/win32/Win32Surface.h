#pragma once
#include <string>
#include <vector>

#include "platform/Surface.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {

// picStatus: drawn in twips, shown by its child window from a memory bitmap.
class Win32Surface : public ISurface {
 public:
  Win32Surface(int widthTwips, int heightTwips);
  ~Win32Surface() override;
  Win32Surface(const Win32Surface&) = delete;
  Win32Surface& operator=(const Win32Surface&) = delete;

  void Attach(HWND window) { window_ = window; }
  void SetFont(HFONT font) { SelectObject(dc_, font); }
  void Paint(HDC target);
  int PixelWidth() const { return pixelWidth_; }
  int PixelHeight() const { return pixelHeight_; }

  int Width() override { return widthTwips_; }
  int Height() override { return heightTwips_; }
  void SetForeColor(uint32_t color) override { fore_ = color; }
  void SetBackColor(uint32_t color) override;
  void MeasureText(const std::string& text, double& width, double& height) override;
  void SetDrawMode(DrawMode mode) override { mode_ = mode; }
  void FillRect(double x1, double y1, double x2, double y2, uint32_t color) override;
  void PrintText(double x, double y, const std::string& text) override;
  void Refresh() override;
  void Clear() override;

 private:
  int Px(double twips) const;
  double Twips(int pixels) const;
  // One step of the picture, in pixels: a fill, or a text when it has one.
  struct Operation {
    int left, top, right, bottom;
    uint32_t color;
    DrawMode mode;
    std::wstring text;
    bool operator==(const Operation&) const = default;
  };
  void Render();

  int widthTwips_, heightTwips_, pixelWidth_, pixelHeight_, dpi_;
  HDC dc_;
  HBITMAP bitmap_, oldBitmap_;
  HWND window_ = nullptr;
  uint32_t fore_ = 0, back_ = 0xFFFFFF;
  DrawMode mode_ = DrawMode::CopyPen;
  // The steps since the last erase, and those the bitmap holds.
  std::vector<Operation> picture_, drawn_;
};

}  // namespace tyx::win32
