#pragma once
#include <cstdint>
#include <string>

namespace tyx {

constexpr uint32_t kNavy = 0x800000;   // Windows colour value: blue 128
constexpr uint32_t kWhite = 0xFFFFFF;

enum class DrawMode { CopyPen = 13, NotXorPen = 10 };

// A picture box to draw into, in twips with (0, 0) at its top left.
class ISurface {
 public:
  virtual ~ISurface() = default;
  virtual int Width() = 0;
  virtual int Height() = 0;
  virtual void SetForeColor(uint32_t color) = 0;
  // Setting the background erases the box.
  virtual void SetBackColor(uint32_t color) = 0;
  virtual void MeasureText(const std::string& text, double& width, double& height) = 0;
  virtual void SetDrawMode(DrawMode mode) = 0;
  // Fills (x1, y1)-(x2, y2) in the colour, combined by the draw mode.
  virtual void FillRect(double x1, double y1, double x2, double y2, uint32_t color) = 0;
  // Prints the text at (x, y) in the foreground colour.
  virtual void PrintText(double x, double y, const std::string& text) = 0;
  virtual void Refresh() = 0;
  virtual void Clear() = 0;
};

}  // namespace tyx
