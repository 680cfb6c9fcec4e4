#pragma once
#include <string>

#include "platform/Surface.h"

namespace tyx {

// What the update window reacts to; the window dispatches these on its thread.
class IWindowEvents {
 public:
  virtual ~IWindowEvents() = default;
  virtual void OnActivate() = 0;
  virtual void OnMainTimer() = 0;
  virtual void OnEndTimer() = 0;
  // The user asks to close the window; false keeps it open.
  virtual bool OnCloseRequest() = 0;
};

enum class Label { App, Status };
enum class Timer { Main, End };
enum class MousePointer { Default, Hourglass };

// The one window of the program, with its labels, timers and progress box.
class IWindow {
 public:
  virtual ~IWindow() = default;
  // Shows the window modally; returns once it has been unloaded, or false at
  // once when there is no window to be had (no desktop to show it on).
  virtual bool ShowModal(IWindowEvents& events) = 0;
  virtual void Unload() = 0;
  virtual void SetCaption(Label label, const std::string& text) = 0;
  virtual std::string Caption(Label label) = 0;
  virtual void EnableTimer(Timer timer, bool enabled) = 0;
  virtual void SetMousePointer(MousePointer pointer) = 0;
  // Lets the window process its pending events once.
  virtual void Pump() = 0;
  // The progress box picStatus.
  virtual ISurface& StatusBox() = 0;
};

}  // namespace tyx
