#pragma once
#include <string>

namespace tyx::win32 {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string Utf8(const wchar_t* wide, size_t length);
// The system's own description of a Win32 error code, without the line end.
std::string SystemErrorText(unsigned long code);

}  // namespace tyx::win32
