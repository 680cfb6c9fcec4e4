#include "platform/win32/Win32Shell.h"

#include "platform/win32/WinApi.h"
#include <shellapi.h>
#undef ShellExecute

namespace tyx::win32 {
namespace {

// The shell's result code for the thread's error after a failed start.
uint32_t ShellCodeOf(DWORD error, uint32_t otherwise) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND: return ERROR_FILE_NOT_FOUND;
    case ERROR_PATH_NOT_FOUND: return ERROR_PATH_NOT_FOUND;
    case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return SE_ERR_OOM;
    case ERROR_BAD_FORMAT:
    case ERROR_BAD_EXE_FORMAT: return ERROR_BAD_FORMAT;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return SE_ERR_SHARE;
    case ERROR_NO_ASSOCIATION: return SE_ERR_NOASSOC;
    case ERROR_DDE_FAIL: return SE_ERR_DDEFAIL;
    case ERROR_DLL_NOT_FOUND: return SE_ERR_DLLNOTFOUND;
    default: return otherwise;
  }
}

}  // namespace

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
  DWORD error = GetLastError();
  process = wantProcess && ok ? reinterpret_cast<ProcessHandle>(info.hProcess) : 0;
  auto result = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info.hInstApp));
  if (ok) return result > 32 ? result : 33;  // started, although the shell left no instance value
  if (result > 32) return ShellCodeOf(error, 0);
  // Wine calls every start it could not make a bad format; the thread's
  // error tells which it was (a locked executable, say).
  return result == ERROR_BAD_FORMAT ? ShellCodeOf(error, result) : result;
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
