#pragma once
#include "platform/CodePage.h"
#include "platform/Shell.h"
#include "platform/win32/TimedCall.h"

namespace tyx::win32 {

class Win32Shell : public IShell {
 public:
  explicit Win32Shell(ICodePage& codePage) : codePage_(codePage) {}
  uint32_t ShellExecute(const std::string& file, const std::string& parameters, bool wantProcess,
                        ProcessHandle& process) override;
  bool RunsElevated() override;
  bool ShellExecuteAsDesktopUser(const std::string& file, const std::string& parameters) override;
  void Beep(uint32_t frequency, uint32_t milliseconds) override;
  ProcessHandle OpenProcess(uint32_t processId) override;
  bool GetExitCode(ProcessHandle process, uint32_t& code) override;
  void WaitForever(ProcessHandle process) override;
  void CloseProcess(ProcessHandle process) override;
  WindowHandle FindWindow(const std::string& title) override;
  void PostQuit(WindowHandle window) override;
  uint32_t WindowProcessId(WindowHandle window) override;

 private:
  ICodePage& codePage_;
  TimedCall desktop_;  // the desktop starts, one after another
};

}  // namespace tyx::win32
