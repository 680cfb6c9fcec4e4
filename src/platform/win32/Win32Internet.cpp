#include "platform/win32/Win32Internet.h"

#include <cstring>
#include <vector>

#include "platform/win32/Wide.h"
#include "platform/win32/WinApi.h"
#include <wininet.h>

namespace tyx::win32 {
namespace {

HINTERNET H(InternetHandle h) { return reinterpret_cast<HINTERNET>(h); }
InternetHandle Of(HINTERNET h) { return reinterpret_cast<InternetHandle>(h); }

}  // namespace

template <class T>
T Win32Internet::OnWorker(InternetHandle limitOf, T timedOut, std::function<T()> call) {
  auto limit = receiveTimeouts_.find(limitOf);
  auto done = std::make_shared<std::pair<T, DWORD>>(timedOut, 0);
  if (!worker_.Run([done, call] { done->second = (done->first = call()) ? 0 : GetLastError(); },
                   limit == receiveTimeouts_.end() ? INFINITE : limit->second)) {
    SetLastError(ERROR_INTERNET_TIMEOUT);
    return timedOut;
  }
  SetLastError(done->second);
  return done->first;
}

InternetHandle Win32Internet::Child(InternetHandle parent, HINTERNET child) {
  auto limit = receiveTimeouts_.find(parent);
  if (child && limit != receiveTimeouts_.end()) receiveTimeouts_[Of(child)] = limit->second;
  return Of(child);
}

InternetHandle Win32Internet::Open(bool wide, const std::string& agent, uint32_t accessType, const std::string& proxy,
                                   bool emptyProxy, uint32_t flags) {
  const bool hasProxy = emptyProxy || !proxy.empty();
  if (wide)
    return Of(OnWorker<HINTERNET>(0, nullptr, [a = Wide(agent), p = Wide(proxy), accessType, hasProxy, flags] {
      return InternetOpenW(a.empty() ? nullptr : a.c_str(), accessType, hasProxy ? p.c_str() : nullptr, nullptr,
                           flags);
    }));
  return Of(OnWorker<HINTERNET>(
      0, nullptr, [a = codePage_.ToAnsi(agent), p = codePage_.ToAnsi(proxy), accessType, hasProxy, flags] {
        return InternetOpenA(a.empty() ? nullptr : a.c_str(), accessType, hasProxy ? p.c_str() : nullptr, nullptr,
                             flags);
      }));
}

InternetHandle Win32Internet::OpenUrl(bool wide, InternetHandle session, const std::string& url,
                                      const std::string& headers, uint32_t flags, uintptr_t context) {
  if (wide)
    return Child(session, OnWorker<HINTERNET>(session, nullptr,
                                              [s = H(session), u = Wide(url), h = Wide(headers), flags, context] {
                                                return InternetOpenUrlW(s, u.c_str(), h.empty() ? nullptr : h.c_str(),
                                                                        static_cast<DWORD>(h.size()), flags, context);
                                              }));
  return Child(session, OnWorker<HINTERNET>(session, nullptr,
                                            [s = H(session), u = codePage_.ToAnsi(url), h = headers, flags, context] {
                                              return InternetOpenUrlA(s, u.c_str(), h.empty() ? nullptr : h.c_str(),
                                                                      static_cast<DWORD>(h.size()), flags, context);
                                            }));
}

bool Win32Internet::ReadFile(InternetHandle file, char* buffer, uint32_t size, uint32_t& read) {
  read = 0;
  if (!lastRead_) lastRead_ = std::make_shared<ReadResult>();
  auto r = lastRead_;
  r->data.resize(size);
  const BOOL ok = OnWorker<BOOL>(file, FALSE, [r, f = H(file)] {
    r->read = 0;
    return InternetReadFile(f, r->data.data(), static_cast<DWORD>(r->data.size()), &r->read);
  });
  if (GetLastError() == ERROR_INTERNET_TIMEOUT && !ok) {
    lastRead_.reset();  // the worker left behind may still write into it
    return false;
  }
  read = r->read;
  if (read) std::memcpy(buffer, r->data.data(), read);
  return ok != FALSE;
}

void Win32Internet::CloseHandle(InternetHandle handle) {
  if (!handle) return;
  OnWorker<BOOL>(handle, FALSE, [h = H(handle)] { return InternetCloseHandle(h); });
  receiveTimeouts_.erase(handle);
}

InternetHandle Win32Internet::Connect(InternetHandle session, const std::string& host, uint16_t port) {
  return Child(session, OnWorker<HINTERNET>(session, nullptr, [s = H(session), h = codePage_.ToAnsi(host), port] {
                 return InternetConnectA(s, h.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
               }));
}

InternetHandle Win32Internet::OpenRequest(InternetHandle connection, const std::string& verb,
                                          const std::string& object, const std::string& version, uint32_t flags) {
  return Child(connection, OnWorker<HINTERNET>(connection, nullptr,
                                               [c = H(connection), verb, o = codePage_.ToAnsi(object), version, flags] {
                                                 return HttpOpenRequestA(c, verb.c_str(), o.c_str(), version.c_str(),
                                                                         nullptr, nullptr, flags, 0);
                                               }));
}

bool Win32Internet::SetOption(InternetHandle handle, uint32_t option, uint32_t value) {
  if (option == INTERNET_OPTION_RECEIVE_TIMEOUT) receiveTimeouts_[handle] = value;
  return OnWorker<BOOL>(handle, FALSE, [h = H(handle), option, value] {
    DWORD v = value;
    return InternetSetOptionA(h, option, &v, sizeof v);
  });
}

bool Win32Internet::SendRequest(InternetHandle request, const std::string& headers) {
  return OnWorker<BOOL>(request, FALSE, [r = H(request), headers] {
    return HttpSendRequestA(r, headers.empty() ? nullptr : headers.c_str(), static_cast<DWORD>(headers.size()),
                            nullptr, 0);
  });
}

bool Win32Internet::QueryInfo(InternetHandle request, uint32_t level, uint32_t bufferSize, std::string& text) {
  auto buffer = std::make_shared<std::vector<char>>(bufferSize, '\0');
  auto length = std::make_shared<DWORD>(bufferSize);
  const BOOL ok = OnWorker<BOOL>(request, FALSE, [r = H(request), level, buffer, length] {
    DWORD index = 0;
    return HttpQueryInfoA(r, level, buffer->data(), length.get(), &index);
  });
  text = ok ? std::string(buffer->data(), *length < bufferSize ? *length : bufferSize) : std::string();
  return ok != FALSE;
}

uint32_t Win32Internet::LastError() { return GetLastError(); }

}  // namespace tyx::win32
