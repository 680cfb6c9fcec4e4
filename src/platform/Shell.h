#pragma once
#include <cstdint>
#include <string>

namespace tyx {

using ProcessHandle = uintptr_t;
using WindowHandle = uintptr_t;

// Starting files through the shell, and the processes and windows of other
// programs.
class IShell {
 public:
  virtual ~IShell() = default;
  // Opens the file ("Open", working folder C:\, shown without taking the
  // focus). Returns the shell's result, above 32 on success; with
  // `wantProcess` the started process is handed back (0 when there is none).
  virtual uint32_t ShellExecute(const std::string& file, const std::string& parameters, bool wantProcess,
                                ProcessHandle& process) = 0;
  // Whether this process holds an administrator's full token while the
  // user's own is the limited one (UAC's elevation); false before Vista.
  virtual bool RunsElevated() = 0;
  // Opens the file as above, but by the desktop's shell (verb "open"), so
  // that it runs with the rights of the user of the desktop, not with this
  // process's. False when there is no desktop shell or it refuses.
  virtual bool ShellExecuteAsDesktopUser(const std::string& file, const std::string& parameters) = 0;
  virtual void Beep(uint32_t frequency, uint32_t milliseconds) = 0;
  // OpenProcess with full access; 0 when it cannot be opened.
  virtual ProcessHandle OpenProcess(uint32_t processId) = 0;
  // GetExitCodeProcess; false when it cannot be read.
  virtual bool GetExitCode(ProcessHandle process, uint32_t& code) = 0;
  virtual void WaitForever(ProcessHandle process) = 0;
  virtual void CloseProcess(ProcessHandle process) = 0;

  // A top-level window by its title (no class name); 0 when there is none.
  virtual WindowHandle FindWindow(const std::string& title) = 0;
  // Posts WM_QUIT (wParam 0, lParam 0) to the window.
  virtual void PostQuit(WindowHandle window) = 0;
  // The identifier of the process that owns the window; 0 when it is gone.
  virtual uint32_t WindowProcessId(WindowHandle window) = 0;
};

}  // namespace tyx
