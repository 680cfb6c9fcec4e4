#include "platform/win32/Win32System.h"

#include <vector>

#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"

namespace tyx::win32 {
namespace {

SYSTEMTIME ToSystemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

}  // namespace

bool Win32System::GetVersionEx(uint32_t& platformId, uint32_t& majorVersion) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  if (!GetVersionExA(&info)) return false;
  platformId = info.dwPlatformId;
  majorVersion = info.dwMajorVersion;
  return true;
}

int64_t Win32System::UnixTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const int64_t ticks = (int64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;  // 100 ns since 1601
  return ticks / 10000000 - 11644473600;
}

LocalTime Win32System::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string Win32System::ShortDate(const LocalTime& t) {
  SYSTEMTIME st = ToSystemTime(t);
  wchar_t buffer[128];
  int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128);
  return n > 0 ? Utf8(buffer, static_cast<size_t>(n - 1)) : std::string();
}

std::string Win32System::LongTime(const LocalTime& t) {
  SYSTEMTIME st = ToSystemTime(t);
  wchar_t buffer[128];
  int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
  return n > 0 ? Utf8(buffer, static_cast<size_t>(n - 1)) : std::string();
}

uint32_t Win32System::TickCount() { return GetTickCount(); }

void Win32System::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace tyx::win32
