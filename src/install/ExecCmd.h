#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace tyx {

// The Czech text for a failed start; the file name follows texts that end
// with ": ".
std::string ShellErrorText(uint32_t code, const std::string& file);

class ExecCmd {
 public:
  ExecCmd(IShell& shell, IDialogs& dialogs, std::function<void()> pump)
      : shell_(shell), dialogs_(dialogs), pump_(std::move(pump)) {}
  // Starts the file through the shell, through the desktop's when this
  // process runs elevated; on failure beeps, shows the reason and answers 0.
  // With `wait` it returns once the program has ended (not when elevated).
  uint32_t ShellExec(const std::string& file, bool wait, const std::string& parameters);
  uint32_t WaitForProcess(uint32_t processId, bool block);

 private:
  uint32_t WaitForHandle(ProcessHandle process, bool block);
  uint32_t Refuse(const std::string& text);
  IShell& shell_;
  IDialogs& dialogs_;
  std::function<void()> pump_;
};

}  // namespace tyx
