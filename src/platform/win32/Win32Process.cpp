#include "platform/win32/Win32Process.h"

#include <vector>

#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {

std::string Win32Process::CommandLine() {
  const wchar_t* p = GetCommandLineW();
  // The program's own path comes first, quoted when it holds blanks.
  if (*p == L'"') {
    ++p;
    while (*p && *p != L'"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != L' ' && *p != L'\t') ++p;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return Utf8(std::wstring(p));
}

std::string Win32Process::OwnFolder() {
  std::vector<wchar_t> buffer(32768);
  DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  std::wstring path(buffer.data(), n);
  size_t slash = path.find_last_of(L"\\/");
  return Utf8(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

bool Win32Process::WaitForRunLock(uint32_t timeoutMs) {
  // Windows releases it when the process ends, also after a crash.
  lock_ = KernelHandle(CreateMutexW(nullptr, FALSE, L"Local\\TyxUpdate.Run"));
  if (!lock_) return true;  // no lock to be had: run as before rather than never
  DWORD result = WaitForSingleObject(lock_.get(), timeoutMs);
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

}  // namespace tyx::win32
