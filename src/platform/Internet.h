#pragma once
#include <cstdint>
#include <string>

namespace tyx {

using InternetHandle = uintptr_t;

constexpr uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr uint32_t INTERNET_OPEN_TYPE_PROXY = 3;
constexpr uint32_t INTERNET_FLAG_RELOAD = 0x80000000u;
constexpr uint32_t INTERNET_OPTION_CONNECT_TIMEOUT = 2;
constexpr uint32_t INTERNET_OPTION_SEND_TIMEOUT = 5;
constexpr uint32_t INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
constexpr uint32_t HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr uint32_t HTTP_QUERY_DATE = 9;
constexpr uint32_t HTTP_QUERY_LAST_MODIFIED = 11;
constexpr uint32_t HTTP_QUERY_STATUS_CODE = 19;
constexpr uint32_t HTTP_QUERY_CONTENT_RANGE = 53;
constexpr uint32_t HTTP_QUERY_ETAG = 54;

// The WinINet calls of the download and the size query. Texts are UTF-8;
// `wide` picks the W or the A form of a call.
class IInternet {
 public:
  virtual ~IInternet() = default;
  // An empty agent or proxy is passed as none (null), unless `emptyProxy`
  // asks for an empty proxy name.
  virtual InternetHandle Open(bool wide, const std::string& agent, uint32_t accessType, const std::string& proxy,
                              bool emptyProxy, uint32_t flags) = 0;
  // `headers`: extra request header lines, each ending in CR LF; empty: none (null).
  virtual InternetHandle OpenUrl(bool wide, InternetHandle session, const std::string& url,
                                 const std::string& headers, uint32_t flags, uintptr_t context) = 0;
  // false when the read failed; `read` is 0 at the end of the data.
  virtual bool ReadFile(InternetHandle file, char* buffer, uint32_t size, uint32_t& read) = 0;
  virtual void CloseHandle(InternetHandle handle) = 0;
  virtual InternetHandle Connect(InternetHandle session, const std::string& host, uint16_t port) = 0;
  virtual InternetHandle OpenRequest(InternetHandle connection, const std::string& verb, const std::string& object,
                                     const std::string& version, uint32_t flags) = 0;
  virtual bool SetOption(InternetHandle handle, uint32_t option, uint32_t value) = 0;
  // `headers`: extra request header lines, each ending in CR LF.
  virtual bool SendRequest(InternetHandle request, const std::string& headers) = 0;
  // HttpQueryInfoA into a buffer of `bufferSize` bytes; the text as ANSI bytes.
  virtual bool QueryInfo(InternetHandle request, uint32_t level, uint32_t bufferSize, std::string& text) = 0;
  // The thread's last error after a failed call.
  virtual uint32_t LastError() = 0;
};

}  // namespace tyx
