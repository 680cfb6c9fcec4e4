#pragma once
#include <optional>
#include <string>

#include "log/UpdateLog.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "session/Run.h"

namespace tyx {

// The variables of the update window, alive as long as it.
struct FormVariables {
  std::optional<std::string> mNewVerType;  // unset until the source decision has run
  std::string mHost;
  std::string mPath;
  bool mCloseRequested = false;  // the user closed the window while a step ran
};

// What every update step works with: the run, the platform, the log and the
// window with its variables.
struct Session {
  Run& run;
  Platform& platform;
  UpdateLog& log;
  IWindow& window;
  FormVariables form;

  // Shows the text in the status line and logs the line as it reads there.
  void ShowStatus(const std::string& text) {
    window.SetCaption(Label::Status, text);
    log.WriteLog(window.Caption(Label::Status));
  }
  void Pump() { window.Pump(); }
};

}  // namespace tyx
