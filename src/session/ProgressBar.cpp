#include "session/ProgressBar.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tyx {
namespace {

// Erases the box and prints the text centred on a cleared background.
void DrawCentredText(ISurface& box, const std::string& text) {
  box.SetForeColor(kNavy);
  box.SetBackColor(kWhite);
  double w = 0, h = 0;
  box.MeasureText(text, w, h);
  w = std::round(w);
  h = std::round(h);
  double x = std::round(box.Width() / 2.0 - w / 2);
  double y = std::round(box.Height() / 2.0 - h / 2);
  box.SetDrawMode(DrawMode::CopyPen);
  box.FillRect(x, y, x + w, y + h, kWhite);
  box.PrintText(x, y, text);
  box.SetDrawMode(DrawMode::NotXorPen);
}

}  // namespace

void ShowProgress(ISurface& box, float fraction, bool atEnd) {
  double p = std::floor(static_cast<double>(fraction) * 100 + 0.5);
  if (!atEnd) {
    if (p == 0) p = 1;
    if (p == 100) p = 99;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.0f%%", p);
  DrawCentredText(box, text);
  if (fraction > 0) {
    // A fraction above 1 still fills the box, no further.
    double width = box.Width() * std::fmin(static_cast<double>(fraction), 1.0);
    box.FillRect(0, 0, width, box.Height(), kNavy);
  } else {
    box.FillRect(0, 0, box.Width(), box.Height(), kWhite);
  }
  box.Refresh();
}

void ShowProgressBytes(ISurface& box, float bytes, int32_t& position) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", static_cast<double>(bytes));
  DrawCentredText(box, text);
  if (bytes <= 0) {
    box.FillRect(0, 0, box.Width(), box.Height(), kWhite);
  } else {
    double top = 30, bottom = box.Height() - 100.0;
    for (int right : {position - 1000, position - 500, position})
      box.FillRect(right - 300, top, right, bottom, kNavy);
  }
  box.Refresh();
  if (box.Width() + 1300 > position)
    position += 100;
  else
    position = -1300;
}

void ClearProgress(ISurface& box) {
  box.Clear();
  box.Refresh();
}

}  // namespace tyx
