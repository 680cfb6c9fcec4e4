#include "platform/win32/Win32Shell.h"

#include "platform/win32/WinApi.h"
#include <shellapi.h>
#undef ShellExecute

namespace tyx::win32 {

uint32_t Win32Shell::ShellExecute(const std::string& file, const std::string& parameters, bool wantProcess,
                                  ProcessHandle& process) {
  const std::string ansiFile = codePage_.ToAnsi(file), ansiParameters = codePage_.ToAnsi(parameters);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  // The shell's own error box would come on top of ours.
  info.fMask = SEE_MASK_FLAG_NO_UI | (wantProcess ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.hwnd = GetDesktopWindow();
  info.lpVerb = "Open";
  info.lpFile = ansiFile.c_str();
  info.lpParameters = ansiParameters.c_str();
  info.lpDirectory = "C:\\";
  info.nShow = SW_SHOWNOACTIVATE;
  BOOL ok = ShellExecuteExA(&info);
  process = wantProcess && ok ? reinterpret_cast<ProcessHandle>(info.hProcess) : 0;
  auto result = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.hInstApp));
  if (ok && result <= 32) result = 33;  // started, although the shell left no instance value
  if (!ok && result > 32) result = GetLastError() <= 32 ? GetLastError() : 0;
  return result;
}

void Win32Shell::Beep(uint32_t frequency, uint32_t milliseconds) { ::Beep(frequency, milliseconds); }

ProcessHandle Win32Shell::OpenProcess(uint32_t processId) {
  return reinterpret_cast<ProcessHandle>(::OpenProcess(0x1F0FFF, FALSE, processId));
}

bool Win32Shell::GetExitCode(ProcessHandle process, uint32_t& code) {
  DWORD c = 0;
  if (!GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &c)) return false;
  code = c;
  return true;
}

void Win32Shell::WaitForever(ProcessHandle process) {
  WaitForSingleObject(reinterpret_cast<HANDLE>(process), INFINITE);
}

void Win32Shell::CloseProcess(ProcessHandle process) { CloseHandle(reinterpret_cast<HANDLE>(process)); }

WindowHandle Win32Shell::FindWindow(const std::string& title) {
  return reinterpret_cast<WindowHandle>(FindWindowA(nullptr, codePage_.ToAnsi(title).c_str()));
}

void Win32Shell::PostQuit(WindowHandle window) { PostMessageA(reinterpret_cast<HWND>(window), WM_QUIT, 0, 0); }

uint32_t Win32Shell::WindowProcessId(WindowHandle window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &pid);
  return pid;
}

}  // namespace tyx::win32
