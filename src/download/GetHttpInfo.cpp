#include "download/GetHttpInfo.h"

#include <limits>

namespace tyx {
namespace {

// 5 ms, as the values were once given, fail on any real network.
constexpr uint32_t kTimeoutMs = 5000;

// The first byte, not the package: closing the request handle receives the
// rest of the body, and even left unread the socket buffers take megabytes of
// it. A server that honours the range names the package's size in
// Content-Range (206, or 416 for an empty package); one that ignores it
// answers as to a plain GET, with Content-Length.
constexpr char kFirstByte[] = "Range: bytes=0-0\r\n";

// The package's size as the answer gives it: Content-Range's total, or else
// Content-Length.
std::string SizeText(IInternet& internet, InternetHandle request) {
  std::string text;
  QueryHttpHeader(internet, request, text, HTTP_QUERY_CONTENT_RANGE);
  size_t slash = text.find('/');
  if (slash != std::string::npos) return text.substr(slash + 1);
  // A 206's Content-Length is the one byte asked for, not the package.
  QueryHttpHeader(internet, request, text, HTTP_QUERY_STATUS_CODE);
  if (text == "206") return "";
  QueryHttpHeader(internet, request, text, HTTP_QUERY_CONTENT_LENGTH);
  return text;
}

// The run-time conversion of a header text to a 32-bit number; false with
// the reason when it is not one.
bool ToInt32(const std::string& text, int32_t& value, std::string& why) {
  if (text.empty() || text.find_first_not_of("0123456789 ") != std::string::npos ||
      text.find_first_not_of(' ') == std::string::npos) {
    why = "Type mismatch";
    return false;
  }
  long long n = 0;
  for (char c : text) {
    if (c == ' ') continue;
    n = n * 10 + (c - '0');
    if (n > std::numeric_limits<int32_t>::max()) {
      why = "Overflow";
      return false;
    }
  }
  value = static_cast<int32_t>(n);
  return true;
}

}  // namespace

bool QueryHttpHeader(IInternet& internet, InternetHandle request, std::string& text, uint32_t level) {
  std::string buffer;
  bool ok = internet.QueryInfo(request, level, 1024, buffer);
  text.clear();
  for (char c : buffer)
    if (c != '\0') text += c;
  return ok;
}

void GetHttpInfo(Session& s, const std::string& host, const std::string& path, int32_t& size,
                 std::string& lastModified) {
  IInternet& net = s.platform.internet;
  std::string why;
  bool stored = false;
  InternetHandle session = net.Open(false, "TYX downloader", INTERNET_OPEN_TYPE_PRECONFIG, "", false, 0);
  if (session) {
    InternetHandle connection = net.Connect(session, host, 80);
    InternetHandle request = 0;
    if (connection) request = net.OpenRequest(connection, "GET", path, "HTTP/1.0", INTERNET_FLAG_RELOAD);
    if (request) {
      for (uint32_t option :
           {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT})
        net.SetOption(request, option, kTimeoutMs);
      if (net.SendRequest(request, kFirstByte)) {
        std::string text;
        int32_t value = 0;
        if (ToInt32(s.platform.codePage.FromAnsi(SizeText(net, request)), value, why)) {
          size = value;
          stored = true;
          QueryHttpHeader(net, request, text, HTTP_QUERY_LAST_MODIFIED);
          lastModified = s.platform.codePage.FromAnsi(text);
        }
      }
    }
    net.CloseHandle(request);
    net.CloseHandle(connection);
    net.CloseHandle(session);
  }
  if (!stored) s.log.WriteLog("Velikost souboru nebyla zjištěna. (" + why + ")");
}

}  // namespace tyx
