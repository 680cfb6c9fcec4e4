#include "platform/win32/Win32Internet.h"

#include <vector>

#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"
#include <wininet.h>

namespace tyx::win32 {
namespace {

HINTERNET H(InternetHandle h) { return reinterpret_cast<HINTERNET>(h); }
InternetHandle Of(HINTERNET h) { return reinterpret_cast<InternetHandle>(h); }

}  // namespace

InternetHandle Win32Internet::Open(bool wide, const std::string& agent, uint32_t accessType, const std::string& proxy,
                                   bool emptyProxy, uint32_t flags) {
  bool hasProxy = emptyProxy || !proxy.empty();
  if (wide) {
    std::wstring a = Wide(agent), p = Wide(proxy);
    return Of(InternetOpenW(agent.empty() ? nullptr : a.c_str(), accessType, hasProxy ? p.c_str() : nullptr, nullptr,
                            flags));
  }
  std::string a = codePage_.ToAnsi(agent), p = codePage_.ToAnsi(proxy);
  return Of(InternetOpenA(agent.empty() ? nullptr : a.c_str(), accessType, hasProxy ? p.c_str() : nullptr, nullptr,
                          flags));
}

InternetHandle Win32Internet::OpenUrl(bool wide, InternetHandle session, const std::string& url,
                                      const std::string& headers, uint32_t flags, uintptr_t context) {
  if (wide) {
    std::wstring h = Wide(headers);
    return Of(InternetOpenUrlW(H(session), Wide(url).c_str(), headers.empty() ? nullptr : h.c_str(),
                               static_cast<DWORD>(h.size()), flags, context));
  }
  return Of(InternetOpenUrlA(H(session), codePage_.ToAnsi(url).c_str(), headers.empty() ? nullptr : headers.c_str(),
                             static_cast<DWORD>(headers.size()), flags, context));
}

bool Win32Internet::ReadFile(InternetHandle file, char* buffer, uint32_t size, uint32_t& read) {
  DWORD n = 0;
  auto timeout = receiveTimeouts_.find(file);
  BOOL ok = timeout == receiveTimeouts_.end() ? InternetReadFile(H(file), buffer, size, &n)
                                              : timedRead_.Read(H(file), buffer, size, n, timeout->second);
  read = n;
  return ok != FALSE;
}

void Win32Internet::CloseHandle(InternetHandle handle) {
  receiveTimeouts_.erase(handle);
  if (handle) InternetCloseHandle(H(handle));
}

InternetHandle Win32Internet::Connect(InternetHandle session, const std::string& host, uint16_t port) {
  return Of(InternetConnectA(H(session), codePage_.ToAnsi(host).c_str(), port, nullptr, nullptr,
                             INTERNET_SERVICE_HTTP, 0, 0));
}

InternetHandle Win32Internet::OpenRequest(InternetHandle connection, const std::string& verb,
                                          const std::string& object, const std::string& version, uint32_t flags) {
  return Of(HttpOpenRequestA(H(connection), verb.c_str(), codePage_.ToAnsi(object).c_str(), version.c_str(), nullptr,
                             nullptr, flags, 0));
}

bool Win32Internet::SetOption(InternetHandle handle, uint32_t option, uint32_t value) {
  DWORD v = value;
  if (option == INTERNET_OPTION_RECEIVE_TIMEOUT) receiveTimeouts_[handle] = value;
  return InternetSetOptionA(H(handle), option, &v, sizeof v) != FALSE;
}

bool Win32Internet::SendRequest(InternetHandle request, const std::string& headers) {
  return HttpSendRequestA(H(request), headers.empty() ? nullptr : headers.c_str(), static_cast<DWORD>(headers.size()),
                          nullptr, 0) != FALSE;
}

bool Win32Internet::QueryInfo(InternetHandle request, uint32_t level, uint32_t bufferSize, std::string& text) {
  std::vector<char> buffer(bufferSize, '\0');
  DWORD length = bufferSize, index = 0;
  BOOL ok = HttpQueryInfoA(H(request), level, buffer.data(), &length, &index);
  text = ok ? std::string(buffer.data(), length < bufferSize ? length : bufferSize) : std::string();
  return ok != FALSE;
}

uint32_t Win32Internet::LastError() { return GetLastError(); }

}  // namespace tyx::win32
